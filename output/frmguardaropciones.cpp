#include "output/frmguardaropciones.h"

#include "app/idioma.h"
#include "app/ventanas.h"
#include "platform/filedialogs.h"
#include "platform/controles.h"
#include "platform/msgbox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

using namespace GuardarOpciones;

namespace {

QLabel *Etiqueta(QWidget *padre, const char *nombre, const QString &texto)
{
    auto *l = Control<QLabel>(padre, nombre);
    l->setText(texto);
    return l;
}

QScrollBar *Barra(QWidget *padre, const char *nombre, int minimo, int maximo, int valor)
{
    auto *s = Control<QScrollBar>(padre, nombre);
    s->setOrientation(Qt::Horizontal);
    s->setRange(minimo, maximo);
    s->setValue(valor);
    s->setPageStep(10);
    s->setMinimumWidth(160);
    return s;
}

} // namespace

frmGuardarOpciones::frmGuardarOpciones(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGuardarOpciones"));
    setWindowTitle(QStringLiteral("Guardar como..."));
    CrearControles();
    ActualizarControles();
    Ventanas::Registrar(this);
}

frmGuardarOpciones::~frmGuardarOpciones() { Ventanas::Quitar(this); }

frmGuardarOpciones &frmGuardarOpciones::Instancia()
{
    static QPointer<frmGuardarOpciones> instancia;
    // Unloaded at exit by the frame; a later use loads it again.
    if (!instancia) instancia = new frmGuardarOpciones();
    return *instancia;
}

void frmGuardarOpciones::CrearControles()
{
    lblNombre_ = Etiqueta(this, "lblNombre", QStringLiteral("Nombre del archivo:"));
    txtNombre_ = Control<QLineEdit>(this, "txtNombre");
    txtNombre_->setMinimumWidth(280);
    cmdExaminar_ = Control<QPushButton>(this, "cmdExaminar");
    cmdExaminar_->setText(QStringLiteral("..."));
    cmdExaminar_->setAutoDefault(false);
    cmdExaminar_->setMaximumWidth(40);

    optJPEG_ = Control<QRadioButton>(this, "optJPEG");
    optJPEG_->setText(QStringLiteral("JPEG"));
    lblJpegCal_ = Etiqueta(this, "lblJpegCal", QStringLiteral("Calidad:"));
    scrCalidad_ = Barra(this, "scrCalidad", 1, 100, 92);
    lblCalidadVal_ = Etiqueta(this, "lblCalidadVal", QStringLiteral("92"));
    chkJpegProgresivo_ = Control<QCheckBox>(this, "chkJpegProgresivo");
    chkJpegProgresivo_->setText(QStringLiteral("Progresivo"));

    optPNG_ = Control<QRadioButton>(this, "optPNG");
    optPNG_->setText(QStringLiteral("PNG"));
    lblPngComp_ = Etiqueta(this, "lblPngComp", QStringLiteral("Compresión zlib:"));
    scrPngCompr_ = Barra(this, "scrPngCompr", 0, 9, 6);
    scrPngCompr_->setPageStep(1);
    lblPngVal_ = Etiqueta(this, "lblPngVal", QStringLiteral("6"));
    lblPngHint_ = Etiqueta(this, "lblPngHint", QStringLiteral("(0=sin compresión, 9=máxima)"));

    optTIFF_ = Control<QRadioButton>(this, "optTIFF");
    optTIFF_->setText(QStringLiteral("TIFF"));
    lblTiffCompr_ = Etiqueta(this, "lblTiffCompr", QStringLiteral("Compresión:"));
    cboTiffCompr_ = Control<QComboBox>(this, "cboTiffCompr");
    chkTiffPredictor_ = Control<QCheckBox>(this, "chkTiffPredictor");
    chkTiffPredictor_->setText(QStringLiteral("Predictor"));
    chkTiffBigEndian_ = Control<QCheckBox>(this, "chkTiffBigEndian");
    chkTiffBigEndian_->setText(QStringLiteral("Big-endian"));

    optWEBP_ = Control<QRadioButton>(this, "optWEBP");
    optWEBP_->setText(QStringLiteral("WebP"));
    lblWebpCal_ = Etiqueta(this, "lblWebpCal", QStringLiteral("Calidad:"));
    scrWebpCalidad_ = Barra(this, "scrWebpCalidad", 1, 100, 90);
    lblWebpVal_ = Etiqueta(this, "lblWebpVal", QStringLiteral("90"));
    chkWebpLossless_ = Control<QCheckBox>(this, "chkWebpLossless");
    chkWebpLossless_->setText(QStringLiteral("Sin pérdida (lossless)"));

    optBMP_ = Control<QRadioButton>(this, "optBMP");
    optBMP_->setText(QStringLiteral("BMP"));
    lblBmpHint_ = Etiqueta(this, "lblBmpHint", QStringLiteral("(sin opciones adicionales)"));

    cmdAceptar_ = Control<QPushButton>(this, "cmdAceptar");
    cmdAceptar_->setText(QStringLiteral("&Guardar"));
    cmdAceptar_->setDefault(true);
    cmdCancelar_ = Control<QPushButton>(this, "cmdCancelar");
    cmdCancelar_->setText(QStringLiteral("&Cancelar"));
    cmdCancelar_->setAutoDefault(false);

    optJPEG_->setChecked(true);
    grupo_ = new QButtonGroup(this);
    const std::pair<QRadioButton *, Formato> opciones[] = {
        {optJPEG_, Formato::JPEG}, {optPNG_, Formato::PNG}, {optTIFF_, Formato::TIFF},
        {optWEBP_, Formato::WEBP}, {optBMP_, Formato::BMP}};
    for (const auto &[boton, formato] : opciones) {
        grupo_->addButton(boton, static_cast<int>(formato));
        connect(boton, &QRadioButton::clicked, this, [this, f = formato] { Opcion_Click(f); });
    }

    auto *fila = new QHBoxLayout;
    fila->addWidget(lblNombre_);
    fila->addWidget(txtNombre_, 1);
    fila->addWidget(cmdExaminar_);

    auto *g = new QGridLayout;
    int r = 0;
    g->addWidget(optJPEG_, r, 0);
    g->addWidget(lblJpegCal_, r, 1);
    g->addWidget(scrCalidad_, r, 2);
    g->addWidget(lblCalidadVal_, r, 3);
    g->addWidget(chkJpegProgresivo_, r, 4);
    ++r;
    g->addWidget(optPNG_, r, 0);
    g->addWidget(lblPngComp_, r, 1);
    g->addWidget(scrPngCompr_, r, 2);
    g->addWidget(lblPngVal_, r, 3);
    g->addWidget(lblPngHint_, r, 4);
    ++r;
    g->addWidget(optTIFF_, r, 0);
    g->addWidget(lblTiffCompr_, r, 1);
    g->addWidget(cboTiffCompr_, r, 2);
    auto *tiff = new QHBoxLayout;
    tiff->addWidget(chkTiffPredictor_);
    tiff->addWidget(chkTiffBigEndian_);
    g->addLayout(tiff, r, 3, 1, 2);
    ++r;
    g->addWidget(optWEBP_, r, 0);
    g->addWidget(lblWebpCal_, r, 1);
    g->addWidget(scrWebpCalidad_, r, 2);
    g->addWidget(lblWebpVal_, r, 3);
    g->addWidget(chkWebpLossless_, r, 4);
    ++r;
    g->addWidget(optBMP_, r, 0);
    g->addWidget(lblBmpHint_, r, 1, 1, 4);
    g->setColumnMinimumWidth(3, 28);

    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(cmdAceptar_);
    botones->addWidget(cmdCancelar_);

    auto *v = new QVBoxLayout(this);
    v->addLayout(fila);
    v->addSpacing(8);
    v->addLayout(g);
    v->addSpacing(8);
    v->addLayout(botones);

    connect(scrCalidad_, &QScrollBar::valueChanged, this,
            [this](int x) { lblCalidadVal_->setText(QString::number(x)); });
    connect(scrPngCompr_, &QScrollBar::valueChanged, this,
            [this](int x) { lblPngVal_->setText(QString::number(x)); });
    connect(scrWebpCalidad_, &QScrollBar::valueChanged, this,
            [this](int x) { lblWebpVal_->setText(QString::number(x)); });
    connect(chkWebpLossless_, &QCheckBox::toggled, this, [this] { ActualizarControles(); });
    connect(cboTiffCompr_, &QComboBox::currentIndexChanged, this, [this] { ActualizarControles(); });
    connect(cmdExaminar_, &QPushButton::clicked, this, [this] { cmdExaminar_Click(); });
    connect(cmdAceptar_, &QPushButton::clicked, this, [this] { cmdAceptar_Click(); });
    connect(cmdCancelar_, &QPushButton::clicked, this, [this] { cmdCancelar_Click(); });
}

Formato frmGuardarOpciones::FormatoSeleccionado() const
{
    const int id = grupo_->checkedId();
    return id < 0 ? Formato::Ninguno : static_cast<Formato>(id);
}

Opciones frmGuardarOpciones::OpcionesActuales() const
{
    Opciones o;
    o.formato = FormatoSeleccionado();
    o.calidadJpeg = scrCalidad_->value();
    o.jpegProgresivo = chkJpegProgresivo_->isChecked();
    o.compresionPng = scrPngCompr_->value();
    o.compresionTiff = cboTiffCompr_->currentIndex();
    o.tiffPredictor = chkTiffPredictor_->isChecked();
    o.tiffBigEndian = chkTiffBigEndian_->isChecked();
    o.calidadWebp = scrWebpCalidad_->value();
    o.webpLossless = chkWebpLossless_->isChecked();
    return o;
}

QString frmGuardarOpciones::NombreConExtension() const
{
    return GuardarOpciones::NombreConExtension(txtNombre_->text(), FormatoSeleccionado());
}

QString frmGuardarOpciones::RutaDestino() const
{
    return carpetaDestino_ + QLatin1Char('/') + NombreConExtension();
}

void frmGuardarOpciones::Init(const QString &rutaOrigen, QWidget *hWndOwner)
{
    aceptado_ = false;
    saveFlag_ = 0;
    hWndOwner_ = hWndOwner;
    rutaConfirmada_.clear();
    carpetaDestino_ = CarpetaInicial(rutaOrigen);
    txtNombre_->setText(NombreInicial(rutaOrigen));
    SeleccionarFormato(FormatoPorExtension(ExtensionDe(NombreArchivoDe(rutaOrigen))));
    if (cboTiffCompr_->count() == 0) {
        cboTiffCompr_->addItems({QStringLiteral("Sin compresión"), QStringLiteral("LZW"),
                                 QStringLiteral("ZIP (Deflate)"), QStringLiteral("PackBits"),
                                 QStringLiteral("JPEG")});
        cboTiffCompr_->setCurrentIndex(TiffLZW);
    }
    ActualizarControles();
}

void frmGuardarOpciones::SeleccionarFormato(Formato f)
{
    if (FormatoSeleccionado() == f) return;
    if (QAbstractButton *b = grupo_->button(static_cast<int>(f))) b->setChecked(true);
    Opcion_Click(f);
}

void frmGuardarOpciones::Opcion_Click(Formato f)
{
    txtNombre_->setText(CambiarExtension(txtNombre_->text(), Extension(f)));
    ActualizarControles();
}

void frmGuardarOpciones::ActualizarControles()
{
    const Formato f = FormatoSeleccionado();
    const bool jpeg = f == Formato::JPEG, png = f == Formato::PNG, tiff = f == Formato::TIFF,
               webp = f == Formato::WEBP;
    for (QWidget *w : {static_cast<QWidget *>(scrCalidad_), static_cast<QWidget *>(lblJpegCal_),
                       static_cast<QWidget *>(lblCalidadVal_), static_cast<QWidget *>(chkJpegProgresivo_)})
        w->setEnabled(jpeg);
    for (QWidget *w : {static_cast<QWidget *>(scrPngCompr_), static_cast<QWidget *>(lblPngComp_),
                       static_cast<QWidget *>(lblPngVal_), static_cast<QWidget *>(lblPngHint_)})
        w->setEnabled(png);
    for (QWidget *w : {static_cast<QWidget *>(lblTiffCompr_), static_cast<QWidget *>(cboTiffCompr_),
                       static_cast<QWidget *>(chkTiffBigEndian_)})
        w->setEnabled(tiff);
    chkTiffPredictor_->setEnabled(tiff && PredictorAplicable(cboTiffCompr_->currentIndex()));
    for (QWidget *w : {static_cast<QWidget *>(lblWebpCal_), static_cast<QWidget *>(lblWebpVal_),
                       static_cast<QWidget *>(chkWebpLossless_)})
        w->setEnabled(webp);
    scrWebpCalidad_->setEnabled(webp && !chkWebpLossless_->isChecked());
}

void frmGuardarOpciones::ShowDialog()
{
    adjustSize();
    if (hWndOwner_) {
        const QRect marco = hWndOwner_->window()->frameGeometry();
        move(marco.center() - rect().center());
    }
    exec();
}

void frmGuardarOpciones::cmdExaminar_Click()
{
    const Formato f = FormatoSeleccionado();
    if (f == Formato::Ninguno) return;
    const QString patron = Patron(f);
    Dialogos::Peticion p;
    p.guardar = true;
    p.titulo = QStringLiteral("Guardar imagen con curva aplicada");
    p.filtros = {{Descripcion(f) + QStringLiteral(" (") + patron + QStringLiteral(")"), patron}};
    p.carpetaInicial = carpetaDestino_.isEmpty() ? QStringLiteral("/") : carpetaDestino_;
    p.nombreArchivo = NombreConExtension();
    p.extensionDefecto = patron.mid(2);
    // Parented to this dialog, which is on top, so it never opens behind it.
    p.owner = this;
    const QString ruta = Dialogos::Mostrar(p);
    if (ruta.isEmpty()) return;
    carpetaDestino_ = CarpetaDe(ruta);
    txtNombre_->setText(NombreArchivoDe(ruta));
    // The Save-as dialog has already asked about replacing this very file.
    rutaConfirmada_ = ruta;
}

void frmGuardarOpciones::cmdAceptar_Click()
{
    if (txtNombre_->text().trimmed().isEmpty()) {
        MsgBox::Mostrar(T(QStringLiteral("Introduce un nombre de archivo."), QStringLiteral("Enter a file name.")),
                        MsgBox::Exclamation, QString(), this);
        txtNombre_->setFocus();
        return;
    }
    // Never replace a file (the source image included) without asking;
    // a refusal keeps the dialog open so another name can be chosen.
    const QString ruta = RutaDestino();
    if (ruta != rutaConfirmada_ && QFileInfo::exists(ruta)) {
        const QString texto =
            T(QStringLiteral("El archivo ya existe:\r\n%1\r\n¿Desea reemplazarlo?"),
              QStringLiteral("The file already exists:\r\n%1\r\nDo you want to replace it?"))
                .arg(ruta);
        if (MsgBox::Mostrar(texto, MsgBox::YesNo | MsgBox::Exclamation | MsgBox::DefaultButton2, QString(),
                            this) != MsgBox::Yes) {
            txtNombre_->setFocus();
            return;
        }
    }
    fifDestino_ = IdFormato(FormatoSeleccionado());
    saveFlag_ = CalcularSaveFlag(OpcionesActuales());
    aceptado_ = true;
    QDialog::done(QDialog::Accepted);
}

void frmGuardarOpciones::cmdCancelar_Click()
{
    aceptado_ = false;
    QDialog::done(QDialog::Rejected);
}

void frmGuardarOpciones::reject() { cmdCancelar_Click(); }

void frmGuardarOpciones::closeEvent(QCloseEvent *e)
{
    // While shown, a close is the user's close box: it cancels and the
    // instance stays loaded. Hidden, it is the program unloading it.
    if (isVisible()) {
        cmdCancelar_Click();
        e->ignore();
        return;
    }
    e->accept();
}
