#include "windows/chart/frmgenerarcartagrises.h"

#include "app/appstate.h"
#include "app/estilo.h"
#include "app/idioma.h"
#include "platform/colorref.h"
#include "platform/controles.h"
#include "platform/filedialogs.h"
#include "platform/msgbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The preview box: 10695 x 10770 twips at 15 twips per pixel.
constexpr int kVistaAncho = 713;
constexpr int kVistaAlto = 718;
constexpr uint32_t kGrisVacio = 0xC0C0C0;

} // namespace

frmGenerarCartaGrises::frmGenerarCartaGrises(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmGenerarCartaGrises"));
    Estilo::AplicarOscuro(this);

    lblPPP_ = Control<QLabel>(this, "lblPPP");
    txtResolucion_ = Control<QLineEdit>(this, "txtResolucion");
    txtResolucion_->setMaxLength(4);
    lblRango_ = Control<QLabel>(this, "lblRango");
    lblRango_->setText(CartaGrises::RangoResolucion());
    Estilo::Aviso(lblRango_, true);
    lblRango_->setVisible(false);
    lblTitulo_ = Control<QLabel>(this, "lblTitulo");
    txtTitulo_ = Control<QLineEdit>(this, "txtTitulo");
    txtTitulo_->setMinimumWidth(200);
    chkNumeros_ = Control<QCheckBox>(this, "chkNumeros");
    chkLineas_ = Control<QCheckBox>(this, "chkLineas");
    frmPositivoNegativo_ = Control<QGroupBox>(this, "frmPositivoNegativo");
    optPositivo_ = Control<QRadioButton>(frmPositivoNegativo_, "optPositivo");
    optNegativo_ = Control<QRadioButton>(frmPositivoNegativo_, "optNegativo");
    lblFormato_ = Control<QLabel>(this, "lblFormato");
    cboFormato_ = Control<QComboBox>(this, "cboFormato");
    cmdGenerarCarta_ = Control<QPushButton>(this, "cmdGenerarCarta");
    cmdGrabarFichero_ = Control<QPushButton>(this, "cmdGrabarFichero");
    cmdImprimir_ = Control<QPushButton>(this, "cmdImprimir");
    lblPixels_ = Control<QLabel>(this, "lblPixels");
    picCartaGris_ = CajaDibujo(this, "picCartaGris", kVistaAncho, kVistaAlto, kGrisVacio);

    auto *opciones = new QHBoxLayout(frmPositivoNegativo_);
    opciones->addWidget(optPositivo_);
    opciones->addWidget(optNegativo_);

    auto *panel = new QGridLayout;
    int fila = 0;
    panel->addWidget(lblPPP_, fila, 0);
    auto *resolucion = new QHBoxLayout;
    resolucion->addWidget(txtResolucion_);
    resolucion->addWidget(lblRango_);
    panel->addLayout(resolucion, fila++, 1);
    panel->addWidget(lblPixels_, fila++, 1);
    panel->addWidget(lblTitulo_, fila, 0);
    panel->addWidget(txtTitulo_, fila++, 1);
    panel->addWidget(chkNumeros_, fila++, 0, 1, 2);
    panel->addWidget(chkLineas_, fila++, 0, 1, 2);
    panel->addWidget(frmPositivoNegativo_, fila++, 0, 1, 2);
    panel->addWidget(cmdGenerarCarta_, fila++, 0, 1, 2);
    panel->addWidget(lblFormato_, fila, 0);
    panel->addWidget(cboFormato_, fila++, 1);
    panel->addWidget(cmdGrabarFichero_, fila++, 0, 1, 2);
    panel->addWidget(cmdImprimir_, fila++, 0, 1, 2);
    panel->setRowStretch(fila, 1);

    auto *principal = new QHBoxLayout(this);
    principal->addLayout(panel);
    principal->addWidget(picCartaGris_, 0, Qt::AlignTop);

    // Form load.
    Ventanas::Registrar(this);
    cartaGenerada_ = false;
    txtResolucion_->setText(QStringLiteral("200"));
    txtTitulo_->setText(QStringLiteral("ZOLV Carta de grises"));
    CalcularGeometria();
    ActualizarEtiquetaPixeles();

    Superficie &s = picCartaGris_->S();
    s.BackColor = kGrisVacio;
    s.FontName(QStringLiteral("Arial"));
    s.FontSize(8);
    s.Cls();

    connect(txtResolucion_, &QLineEdit::textChanged, this, [this] { txtResolucion_Change(); });
    connect(txtTitulo_, &QLineEdit::textChanged, this, [this] { OpcionCambiada(); });
    // One redraw per change of mode: only the button that became selected.
    connect(optPositivo_, &QRadioButton::toggled, this, [this](bool on) { if (on) OpcionCambiada(); });
    connect(optNegativo_, &QRadioButton::toggled, this, [this](bool on) { if (on) OpcionCambiada(); });
    connect(chkNumeros_, &QCheckBox::toggled, this, [this] { OpcionCambiada(); });
    connect(chkLineas_, &QCheckBox::toggled, this, [this] { OpcionCambiada(); });
    connect(cmdGenerarCarta_, &QPushButton::clicked, this, [this] { cmdGenerarCarta_Click(); });
    connect(cmdGrabarFichero_, &QPushButton::clicked, this, [this] { cmdGrabarFichero_Click(); });
    connect(cmdImprimir_, &QPushButton::clicked, this, [this] { cmdImprimir_Click(); });

    optPositivo_->setChecked(true);
    cboFormato_->addItems({QStringLiteral("JPG"), QStringLiteral("PNG"), QStringLiteral("BMP"),
                           QStringLiteral("GIF"), QStringLiteral("TIF")});
    cboFormato_->setCurrentIndex(0);
    cmdGrabarFichero_->setEnabled(false);
    cmdImprimir_->setEnabled(false);
    chkLineas_->setChecked(true);
    optNegativo_->setChecked(true);
    AplicarIdioma();
}

frmGenerarCartaGrises::~frmGenerarCartaGrises() { Ventanas::Quitar(this); }

void frmGenerarCartaGrises::AplicarIdioma()
{
    setWindowTitle(T(QStringLiteral("Generar carta de grises"), QStringLiteral("Generate grayscale chart")));
    cmdGenerarCarta_->setText(T(QStringLiteral("Generar carta de grises"), QStringLiteral("Generate grayscale chart")));
    cmdGrabarFichero_->setText(T(QStringLiteral("Grabar fichero"), QStringLiteral("Save file")));
    cmdImprimir_->setText(T(QStringLiteral("Imprimir carta"), QStringLiteral("Print chart")));
    frmPositivoNegativo_->setTitle(T(QStringLiteral("Pos / Neg"), QStringLiteral("Pos / Neg")));
    optPositivo_->setText(T(QStringLiteral("Positivo"), QStringLiteral("Positive")));
    optNegativo_->setText(T(QStringLiteral("Negativo"), QStringLiteral("Negative")));
    chkNumeros_->setText(T(QStringLiteral("Numeros"), QStringLiteral("Numbers")));
    chkLineas_->setText(T(QStringLiteral("Líneas"), QStringLiteral("Lines")));
    lblTitulo_->setText(T(QStringLiteral("Título:"), QStringLiteral("Title:")));
    lblPPP_->setText(T(QStringLiteral("PPP:"), QStringLiteral("DPI:")));
    lblFormato_->setText(T(QStringLiteral("Formato salida:"), QStringLiteral("Output format:")));
}

void frmGenerarCartaGrises::CalcularGeometria() { geo_ = CartaGrises::CalcularGeometria(txtResolucion_->text()); }

void frmGenerarCartaGrises::ActualizarEtiquetaPixeles()
{
    lblPixels_->setText(QString::number(geo_.AnchoPx) + QStringLiteral(" x ") + QString::number(geo_.AltoPx) +
                        QStringLiteral(" px "));
}

CartaGrises::Opciones frmGenerarCartaGrises::Opciones() const
{
    CartaGrises::Opciones o;
    o.negativo = optNegativo_->isChecked();
    o.lineas = chkLineas_->isChecked();
    o.numeros = chkNumeros_->isChecked();
    o.titulo = txtTitulo_->text();
    return o;
}

void frmGenerarCartaGrises::DibujarCarta()
{
    CartaGrises::DibujarVista(picCartaGris_->S(), geo_, Opciones());
    picCartaGris_->Refresh();
}

bool frmGenerarCartaGrises::RenderizarBuffer() { return CartaGrises::RenderizarCompleta(picBuffer_, geo_, Opciones()); }

bool frmGenerarCartaGrises::ResolucionValida() const
{
    return CartaGrises::TextoResolucionAceptado(txtResolucion_->text());
}

bool frmGenerarCartaGrises::ComprobarResolucion()
{
    if (ResolucionValida()) return true;
    MsgBox::Mostrar(T(QStringLiteral("La resolución debe ser un número entero entre %1 y %2 ppp."),
                      QStringLiteral("The resolution must be a whole number from %1 to %2 DPI."))
                        .arg(CartaGrises::kResolucionMin)
                        .arg(CartaGrises::kResolucionMax),
                    MsgBox::Exclamation, QString(), this);
    txtResolucion_->setFocus();
    return false;
}

void frmGenerarCartaGrises::MostrarEstadoResolucion(bool aceptada)
{
    Estilo::Aviso(txtResolucion_, !aceptada);
    lblRango_->setVisible(!aceptada);
    if (aceptada) return;
    // Nothing on show may claim a resolution the box does not hold.
    lblPixels_->clear();
    if (cartaGenerada_) {
        Superficie &s = picCartaGris_->S();
        s.BackColor = kGrisVacio;
        s.Cls();
        picCartaGris_->Refresh();
    }
}

void frmGenerarCartaGrises::cmdGenerarCarta_Click()
{
    if (!ComprobarResolucion()) return;
    DibujarCarta();
    cartaGenerada_ = true;
    cmdGrabarFichero_->setEnabled(true);
    cmdImprimir_->setEnabled(true);
    ActualizarEtiquetaPixeles();
}

void frmGenerarCartaGrises::OpcionCambiada()
{
    if (cartaGenerada_ && ResolucionValida()) DibujarCarta();
}

void frmGenerarCartaGrises::txtResolucion_Change()
{
    // A refused entry (also on the way while typing) is shown as such at
    // once; the chart waits for an accepted one.
    const bool aceptada = ResolucionValida();
    MostrarEstadoResolucion(aceptada);
    if (!aceptada) return;
    CalcularGeometria();
    ActualizarEtiquetaPixeles();
    if (cartaGenerada_) DibujarCarta();
}

QString frmGenerarCartaGrises::DialogoGuardar(const QString &titulo, const CartaGrises::FormatoCarta &formato,
                                              const QString &nombre)
{
    Dialogos::Peticion p;
    p.guardar = true;
    p.titulo = titulo;
    p.filtros = {{formato.descripcion, formato.patrones}};
    p.nombreArchivo = nombre;
    p.extensionDefecto = formato.extension;
    // A typed name of another format gets this one's extension, so the
    // file's name never lies about its content.
    modAppState::ForzarExtension(p);
    p.owner = this;
    return Dialogos::Mostrar(p);
}

void frmGenerarCartaGrises::GuardarCarta()
{
    if (!cartaGenerada_) {
        MsgBox::Mostrar(T(QStringLiteral("Primero genera la carta de grises."),
                          QStringLiteral("Generate the grayscale chart first.")),
                        MsgBox::Information, QString(), this);
        return;
    }
    if (!ComprobarResolucion()) return;
    const int indice = cboFormato_->currentIndex() < 0 ? 0 : cboFormato_->currentIndex();
    const CartaGrises::FormatoCarta &formato = CartaGrises::FormatoDeIndice(indice);
    const QString ruta =
        DialogoGuardar(QStringLiteral("Guardar carta de grises"), formato, QStringLiteral("Carta_Grises_ZOLV"));
    if (ruta.isEmpty()) return;

    const QString error = QStringLiteral("Error al guardar: ");
    if (!RenderizarBuffer()) {
        MsgBox::Mostrar(error + CartaGrises::TextoSinMemoria(geo_.AnchoPx, geo_.AltoPx), MsgBox::Critical, QString(),
                        this);
        return;
    }
    QString motivo;
    if (!CartaGrises::GuardarImagenCarta(picBuffer_.Imagen(), ruta, indice, geo_.Resolucion, &motivo)) {
        MsgBox::Mostrar(error + motivo, MsgBox::Critical, QString(), this);
        return;
    }
    MsgBox::Mostrar(QStringLiteral("Fichero guardado correctamente:\r\n") + ruta, MsgBox::Information, QString(),
                    this);
}
