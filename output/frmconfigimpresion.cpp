#include "output/frmconfigimpresion.h"

#include "app/idioma.h"
#include "output/ajustesimpresora.h"
#include "output/cups.h"
#include "platform/controles.h"
#include "platform/msgbox.h"
#include "platform/picturebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cmath>

using namespace ConfigImpresion;

namespace {

constexpr int kVistaAncho = 320;
constexpr int kVistaAlto = 536;

// The window's own colours, in one place: the warning mark on its orange
// ground and the computed (read-only) margin boxes on light grey.
QString EstiloVentana()
{
    return QStringLiteral("QLabel#lblAvisoIcon { background-color: #FFC000; color: #000000; font-weight: bold; }"
                          "QLineEdit#txtMargenAbj, QLineEdit#txtMargenDer { background-color: #E0E0E0; color: #000000; }");
}

std::optional<frmConfigImpresion::ListaImpresoras> &ListaFijada()
{
    static std::optional<frmConfigImpresion::ListaImpresoras> lista;
    return lista;
}

QLineEdit *Caja(QWidget *padre, const char *nombre, int ancho = 64)
{
    auto *t = Control<QLineEdit>(padre, nombre);
    t->setFixedWidth(ancho);
    return t;
}

} // namespace

frmConfigImpresion::frmConfigImpresion(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmConfigImpresion"));
    setStyleSheet(EstiloVentana());
    mPapeles = TablaPapeles();
    CrearControles();
    ValoresDeDiseno();
    Ventanas::Registrar(this);
}

frmConfigImpresion::~frmConfigImpresion() { Ventanas::Quitar(this); }

void frmConfigImpresion::FijarListaImpresoras(std::optional<ListaImpresoras> lista) { ListaFijada() = std::move(lista); }

void frmConfigImpresion::CrearControles()
{
    // Printer.
    fraImpresora_ = Control<QGroupBox>(this, "fraImpresora");
    lblImpresora_ = Control<QLabel>(fraImpresora_, "lblImpresora");
    cboImpresora_ = Control<QComboBox>(fraImpresora_, "cboImpresora");
    cboImpresora_->setMinimumWidth(220);
    lblCopias_ = Control<QLabel>(fraImpresora_, "lblCopias");
    txtCopias_ = Caja(fraImpresora_, "txtCopias", 48);
    cmdAjustesImpresora_ = Control<QPushButton>(fraImpresora_, "cmdAjustesImpresora");
    auto *gImp = new QGridLayout(fraImpresora_);
    gImp->addWidget(lblImpresora_, 0, 0);
    gImp->addWidget(cboImpresora_, 0, 1, 1, 2);
    gImp->addWidget(lblCopias_, 1, 0);
    gImp->addWidget(txtCopias_, 1, 1);
    gImp->addWidget(cmdAjustesImpresora_, 1, 2, Qt::AlignRight);

    // Colour management.
    fraGestionColor_ = Control<QGroupBox>(this, "fraGestionColor");
    lblPerfilDocumento_ = Control<QLabel>(fraGestionColor_, "lblPerfilDocumento");
    lblPerfilDocumentoVal_ = Control<QLabel>(fraGestionColor_, "lblPerfilDocumentoVal");
    lblAdministracionColor_ = Control<QLabel>(fraGestionColor_, "lblAdministracionColor");
    cboGestionColor_ = Control<QComboBox>(fraGestionColor_, "cboGestionColor");
    lblPerfilImpresora_ = Control<QLabel>(fraGestionColor_, "lblPerfilImpresora");
    cboPerfilImpresora_ = Control<QComboBox>(fraGestionColor_, "cboPerfilImpresora");
    lblModoImpresion_ = Control<QLabel>(fraGestionColor_, "lblModoImpresion");
    cboModoImpresion_ = Control<QComboBox>(fraGestionColor_, "cboModoImpresion");
    lblRenderingIntent_ = Control<QLabel>(fraGestionColor_, "lblRenderingIntent");
    cboRenderingIntent_ = Control<QComboBox>(fraGestionColor_, "cboRenderingIntent");
    chkCompensacionPuntoNegro_ = Control<QCheckBox>(fraGestionColor_, "chkCompensacionPuntoNegro");
    lblAvisoIcon_ = Control<QLabel>(fraGestionColor_, "lblAvisoIcon");
    lblAvisoIcon_->setAlignment(Qt::AlignCenter);
    lblAvisoIcon_->setFixedSize(20, 20);
    lblAvisoColor_ = Control<QLabel>(fraGestionColor_, "lblAvisoColor");
    lblAvisoColor_->setWordWrap(true);
    lblAvisoColor_->setFixedSize(300, 48);
    lblAvisoColor_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *gColor = new QGridLayout(fraGestionColor_);
    int fila = 0;
    for (const auto &[etiqueta, control] :
         {std::pair<QLabel *, QWidget *>{lblPerfilDocumento_, lblPerfilDocumentoVal_},
          {lblAdministracionColor_, cboGestionColor_},
          {lblPerfilImpresora_, cboPerfilImpresora_},
          {lblModoImpresion_, cboModoImpresion_},
          {lblRenderingIntent_, cboRenderingIntent_}}) {
        gColor->addWidget(etiqueta, fila, 0);
        gColor->addWidget(control, fila++, 1, 1, 2);
    }
    gColor->addWidget(chkCompensacionPuntoNegro_, fila++, 1, 1, 2);
    gColor->addWidget(lblAvisoIcon_, fila, 0, Qt::AlignRight | Qt::AlignTop);
    gColor->addWidget(lblAvisoColor_, fila, 1, 1, 2);
    gColor->setColumnStretch(1, 1);

    // Units and width.
    lblUnidades_ = Control<QLabel>(this, "lblUnidades");
    cboUnidades_ = Control<QComboBox>(this, "cboUnidades");
    lblAnchoCarta_ = Control<QLabel>(this, "lblAnchoCarta");
    txtAncho_ = Caja(this, "txtAncho");
    lblUnidAncho_ = Control<QLabel>(this, "lblUnidAncho");
    auto *tamano = new QHBoxLayout;
    tamano->addWidget(lblUnidades_);
    tamano->addWidget(cboUnidades_);
    tamano->addSpacing(12);
    tamano->addWidget(lblAnchoCarta_);
    tamano->addWidget(txtAncho_);
    tamano->addWidget(lblUnidAncho_);
    tamano->addStretch(1);

    // Margins.
    fraMargen_ = Control<QGroupBox>(this, "fraMargen");
    lblMargenArr_ = Control<QLabel>(fraMargen_, "lblMargenArr");
    txtMargenArr_ = Caja(fraMargen_, "txtMargenArr");
    lblMargenAbj_ = Control<QLabel>(fraMargen_, "lblMargenAbj");
    txtMargenAbj_ = Caja(fraMargen_, "txtMargenAbj");
    lblMargenIzq_ = Control<QLabel>(fraMargen_, "lblMargenIzq");
    txtMargenIzq_ = Caja(fraMargen_, "txtMargenIzq");
    lblMargenDer_ = Control<QLabel>(fraMargen_, "lblMargenDer");
    txtMargenDer_ = Caja(fraMargen_, "txtMargenDer");
    txtMargenAbj_->setReadOnly(true);
    txtMargenDer_->setReadOnly(true);
    lblInfoCentrado_ = Control<QLabel>(fraMargen_, "lblInfoCentrado");
    auto *gMargen = new QGridLayout(fraMargen_);
    gMargen->addWidget(lblMargenArr_, 0, 0);
    gMargen->addWidget(txtMargenArr_, 0, 1);
    gMargen->addWidget(lblMargenAbj_, 0, 2);
    gMargen->addWidget(txtMargenAbj_, 0, 3);
    gMargen->addWidget(lblMargenIzq_, 1, 0);
    gMargen->addWidget(txtMargenIzq_, 1, 1);
    gMargen->addWidget(lblMargenDer_, 1, 2);
    gMargen->addWidget(txtMargenDer_, 1, 3);
    gMargen->addWidget(lblInfoCentrado_, 2, 0, 1, 4);

    // Position.
    fraPos_ = Control<QGroupBox>(this, "fraPos");
    optCentrado_ = Control<QRadioButton>(fraPos_, "optCentrado");
    optManual_ = Control<QRadioButton>(fraPos_, "optManual");
    lblPosX_ = Control<QLabel>(fraPos_, "lblPosX");
    txtPosX_ = Caja(fraPos_, "txtPosX");
    lblPosY_ = Control<QLabel>(fraPos_, "lblPosY");
    txtPosY_ = Caja(fraPos_, "txtPosY");
    lblUnidPos_ = Control<QLabel>(fraPos_, "lblUnidPos");
    auto *gPos = new QGridLayout(fraPos_);
    gPos->addWidget(optCentrado_, 0, 0, 1, 3);
    gPos->addWidget(optManual_, 0, 3, 1, 3);
    gPos->addWidget(lblPosX_, 1, 0);
    gPos->addWidget(txtPosX_, 1, 1);
    gPos->addWidget(lblPosY_, 1, 2);
    gPos->addWidget(txtPosY_, 1, 3);
    gPos->addWidget(lblUnidPos_, 1, 4);

    // Paper.
    fraPapel_ = Control<QGroupBox>(this, "fraPapel");
    cboPapel_ = Control<QComboBox>(fraPapel_, "cboPapel");
    optPortrait_ = Control<QRadioButton>(fraPapel_, "optPortrait");
    optLandscape_ = Control<QRadioButton>(fraPapel_, "optLandscape");
    lblPapelAncho_ = Control<QLabel>(fraPapel_, "lblPapelAncho");
    txtPapelAncho_ = Caja(fraPapel_, "txtPapelAncho");
    lblPapelAlto_ = Control<QLabel>(fraPapel_, "lblPapelAlto");
    txtPapelAlto_ = Caja(fraPapel_, "txtPapelAlto");
    lblPapelUnid_ = Control<QLabel>(fraPapel_, "lblPapelUnid");
    auto *gPapel = new QGridLayout(fraPapel_);
    gPapel->addWidget(cboPapel_, 0, 0, 1, 2);
    gPapel->addWidget(optPortrait_, 0, 2);
    gPapel->addWidget(optLandscape_, 0, 3, 1, 2);
    gPapel->addWidget(lblPapelAncho_, 1, 0);
    gPapel->addWidget(txtPapelAncho_, 1, 1);
    gPapel->addWidget(lblPapelAlto_, 1, 2);
    gPapel->addWidget(txtPapelAlto_, 1, 3);
    gPapel->addWidget(lblPapelUnid_, 1, 4);

    // Summaries, preview, buttons.
    lblPapelInfo_ = Control<QLabel>(this, "lblPapelInfo");
    lblInfoCarta_ = Control<QLabel>(this, "lblInfoCarta");
    lblPreviewTit_ = Control<QLabel>(this, "lblPreviewTit");
    picVista_ = CajaDibujo(this, "picVista", kVistaAncho, kVistaAlto);
    picVista_->setMouseTracking(true);
    // A click in the preview takes the focus, so the box being edited is
    // normalised before the drag reads it.
    picVista_->setFocusPolicy(Qt::ClickFocus);
    cmdOK_ = Control<QPushButton>(this, "cmdOK");
    cmdCancelar_ = Control<QPushButton>(this, "cmdCancelar");
    // Enter in a box must never print or open the driver's dialog.
    for (QPushButton *b : {cmdAjustesImpresora_, cmdOK_, cmdCancelar_}) b->setAutoDefault(false);

    auto *izquierda = new QVBoxLayout;
    izquierda->addWidget(fraImpresora_);
    izquierda->addWidget(fraGestionColor_);
    izquierda->addStretch(1);
    auto *centro = new QVBoxLayout;
    centro->addLayout(tamano);
    centro->addWidget(fraMargen_);
    centro->addWidget(fraPos_);
    centro->addWidget(fraPapel_);
    centro->addStretch(1);
    auto *derecha = new QVBoxLayout;
    derecha->addWidget(lblPreviewTit_);
    derecha->addWidget(picVista_);
    auto *columnas = new QHBoxLayout;
    columnas->addLayout(izquierda);
    columnas->addLayout(centro);
    columnas->addLayout(derecha);
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(cmdOK_);
    botones->addWidget(cmdCancelar_);
    auto *v = new QVBoxLayout(this);
    v->addLayout(columnas);
    v->addWidget(lblPapelInfo_);
    v->addWidget(lblInfoCarta_);
    v->addLayout(botones);
    // The window takes the size its captions need, in either language.
    v->setSizeConstraint(QLayout::SetFixedSize);

    // Handlers.
    connect(cboImpresora_, &QComboBox::currentIndexChanged, this, [this] { Impresora = ImpresoraSeleccionada(); });
    connect(cboGestionColor_, &QComboBox::currentIndexChanged, this, [this] { ActualizarAvisoColor(); });
    connect(cmdAjustesImpresora_, &QPushButton::clicked, this, [this] { cmdAjustesImpresora_Click(); });
    connect(cboUnidades_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!mCargando) CambiarUnidad(i);
    });
    connect(cboPapel_, &QComboBox::currentIndexChanged, this, [this] { Papel_Cambio(); });
    for (QRadioButton *o : {optPortrait_, optLandscape_})
        connect(o, &QRadioButton::toggled, this, [this](bool marcado) {
            if (marcado) Papel_Cambio();
        });
    for (QLineEdit *t : {txtPapelAncho_, txtPapelAlto_})
        connect(t, &QLineEdit::textChanged, this, [this] {
            if (mCargando || IndicePapel(cboPapel_->currentIndex()) != kPapelPersonalizado) return;
            ActualizarInfoCarta();
            DibujarVistaPrevia();
        });
    connect(optCentrado_, &QRadioButton::toggled, this, [this](bool marcado) {
        if (marcado) optCentrado_Click();
    });
    connect(optManual_, &QRadioButton::toggled, this, [this](bool marcado) {
        if (marcado) optManual_Click();
    });
    for (QLineEdit *t : {txtAncho_, txtMargenArr_, txtMargenAbj_, txtMargenIzq_, txtMargenDer_, txtPosX_, txtPosY_})
        connect(t, &QLineEdit::textChanged, this, [this, t] { Medida_Cambio(t); });
    for (QLineEdit *t : findChildren<QLineEdit *>()) t->installEventFilter(this);
    connect(picVista_, &PictureBox::MouseDown, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) { picVista_MouseDown(b, x, y); });
    connect(picVista_, &PictureBox::MouseMove, this,
            [this](Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y) { picVista_MouseMove(x, y); });
    connect(picVista_, &PictureBox::MouseUp, this, [this] { picVista_MouseUp(); });
    connect(cmdOK_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancelar_, &QPushButton::clicked, this, [this] { cmdCancelar_Click(); });
}

// The state the window has when it is created; every opening starts here.
void frmConfigImpresion::ValoresDeDiseno()
{
    mCargando = true;
    txtCopias_->setText(QStringLiteral("1"));
    txtAncho_->setText(QStringLiteral("19.00"));
    txtMargenArr_->setText(QStringLiteral("2.00"));
    txtMargenAbj_->setText(QStringLiteral("2.00"));
    txtMargenIzq_->setText(QStringLiteral("1.00"));
    txtMargenDer_->setText(QStringLiteral("1.00"));
    txtPosX_->setText(QStringLiteral("0.00"));
    txtPosY_->setText(QStringLiteral("0.00"));
    txtPapelAncho_->setText(QStringLiteral("21.00"));
    txtPapelAlto_->setText(QStringLiteral("29.70"));
    optPortrait_->setChecked(true);
    optCentrado_->setChecked(true);
    chkCompensacionPuntoNegro_->setChecked(false);
    mCargando = false;
    mFactorUnidad = 0;
    mUnidad.clear();
    vista_ = {};
    mModoArrastre = mEsquinaArrastre = mArrastreDX = mArrastreDY = 0;
    picVista_->setCursor(Qt::ArrowCursor);
}

void frmConfigImpresion::Inicializar(double anchoCm, double relacionAspecto)
{
    mAnchoInicial = anchoCm;
    mRelacionAspecto = relacionAspecto;
}

void frmConfigImpresion::Mostrar()
{
    Form_Load();
    exec();
}

void frmConfigImpresion::Form_Load()
{
    ValoresDeDiseno();
    if (!(mAnchoInicial > 0 && mAnchoInicial <= kMedidaMaximaCm)) mAnchoInicial = kAnchoPorDefecto;
    if (!(mRelacionAspecto > 0 && std::isfinite(mRelacionAspecto))) mRelacionAspecto = kRelacionPorDefecto;
    imagenVista_ = VistaImpresion::CopiaParaVista(Imagen);

    mPapeles = TablaPapeles();
    {
        const QSignalBlocker b(cboPapel_);
        cboPapel_->clear();
        for (const Papel &p : mPapeles) cboPapel_->addItem(p.nombre);
        cboPapel_->setCurrentIndex(0);
    }
    {
        const QSignalBlocker b(cboUnidades_);
        cboUnidades_->clear();
        cboUnidades_->addItems(TextosUnidades());
        cboUnidades_->setCurrentIndex(0);
    }
    CargarImpresoras();
    txtCopias_->setText(QStringLiteral("1"));
    CargarOpcionesColor();
    AplicarIdioma();

    mFactorUnidad = 0;
    CambiarUnidad(0);
    Escribir(txtAncho_, EnUnidad(mAnchoInicial));
    Aceptado = false;
    Centrado = true;
    optCentrado_->setChecked(true);
    Escribir(txtPosX_, EnUnidad(Cm(txtMargenIzq_)));
    Escribir(txtPosY_, EnUnidad(Cm(txtMargenArr_)));
    HabilitarPosicionManual(false);
    ActualizarInfoCarta();
    DibujarVistaPrevia();
}

void frmConfigImpresion::RecogerValores()
{
    AnchoCm = Cm(txtAncho_);
    if (AnchoCm <= 0) AnchoCm = mAnchoInicial;
    MargenArr = Cm(txtMargenArr_);
    MargenIzq = Cm(txtMargenIzq_);
    Centrado = optCentrado_->isChecked();
    Impresora = ImpresoraSeleccionada();
    Copias = LeerCopias(txtCopias_->text());
    const QString copias = QString::number(Copias);
    if (txtCopias_->text() != copias) txtCopias_->setText(copias);
    GestionColor = cboGestionColor_->currentIndex();
    if (cboPerfilImpresora_->currentIndex() >= 0) PerfilImpresora = cboPerfilImpresora_->currentText();
    if (cboRenderingIntent_->currentIndex() >= 0) RenderingIntent = cboRenderingIntent_->currentText();
    CompensacionPuntoNegro = chkCompensacionPuntoNegro_->checkState() != Qt::Unchecked;
    if (Centrado) {
        PosX = MargenIzq;
        PosY = MargenArr;
    } else {
        PosX = Cm(txtPosX_);
        PosY = Cm(txtPosY_);
        MargenIzq = PosX;
        MargenArr = PosY;
    }
}

void frmConfigImpresion::AplicarIdioma()
{
    setWindowTitle(T(QStringLiteral("Configuración de impresión"), QStringLiteral("Print setup")));
    fraImpresora_->setTitle(T(QStringLiteral("Configuración de impresora"), QStringLiteral("Printer setup")));
    const std::pair<QWidget *, QString> textos[] = {
        {lblImpresora_, T(QStringLiteral("Impresora:"), QStringLiteral("Printer:"))},
        {lblCopias_, T(QStringLiteral("Copias:"), QStringLiteral("Copies:"))},
        {cmdAjustesImpresora_, T(QStringLiteral("Ajustes de impresión..."), QStringLiteral("Print settings..."))},
        {lblUnidades_, T(QStringLiteral("Unidades:"), QStringLiteral("Units:"))},
        {lblAnchoCarta_, T(QStringLiteral("Ancho:"), QStringLiteral("Width:"))},
        {lblMargenArr_, T(QStringLiteral("Arriba:"), QStringLiteral("Top:"))},
        {lblMargenAbj_, T(QStringLiteral("Abajo:"), QStringLiteral("Bottom:"))},
        {lblMargenIzq_, T(QStringLiteral("Izquierda:"), QStringLiteral("Left:"))},
        {lblMargenDer_, T(QStringLiteral("Derecha:"), QStringLiteral("Right:"))},
        {lblInfoCentrado_, T(QStringLiteral("Con centrado automático los márgenes se usan sólo para validar\n"
                                            "que la carta cabe en la hoja."),
                             QStringLiteral("With automatic centering, margins are used only to check\n"
                                            "that the chart fits on the sheet."))},
        {optCentrado_, T(QStringLiteral("Centrado automático"), QStringLiteral("Auto center"))},
        {optManual_, T(QStringLiteral("Posición manual"), QStringLiteral("Manual position"))},
        {lblPosX_, T(QStringLiteral("X izq:"), QStringLiteral("X left:"))},
        {lblPosY_, T(QStringLiteral("Y arr:"), QStringLiteral("Y top:"))},
        {optPortrait_, T(QStringLiteral("Vertical"), QStringLiteral("Portrait"))},
        {optLandscape_, T(QStringLiteral("Horizontal"), QStringLiteral("Landscape"))},
        {lblPapelAncho_, T(QStringLiteral("Ancho:"), QStringLiteral("Width:"))},
        {lblPapelAlto_, T(QStringLiteral("Alto:"), QStringLiteral("Height:"))},
    };
    for (const auto &[w, texto] : textos) {
        if (auto *l = qobject_cast<QLabel *>(w)) l->setText(texto);
        else if (auto *b = qobject_cast<QAbstractButton *>(w)) b->setText(texto);
    }
    fraPos_->setTitle(T(QStringLiteral("Posición en la página"), QStringLiteral("Position on page")));
    fraPapel_->setTitle(T(QStringLiteral("Papel"), QStringLiteral("Paper")));
    ActualizarEtiquetasUnidad();
    lblPreviewTit_->setText(T(QStringLiteral("Vista previa"), QStringLiteral("Preview")));
    cmdOK_->setText(T(QStringLiteral("Imprimir"), QStringLiteral("Print")));
    cmdCancelar_->setText(T(QStringLiteral("Cancelar"), QStringLiteral("Cancel")));
    AplicarIdiomaColor();
    if (cboGestionColor_->currentIndex() >= 0) ActualizarAvisoColor();
    if (mFactorUnidad != 0) ActualizarInfoCarta();
}

// ---- Printers, copies, colour choices ----

void frmConfigImpresion::CargarImpresoras()
{
    const ListaImpresoras lista = ListaFijada().value_or(
        ListaImpresoras{modImpresion::Impresoras(), modImpresion::ImpresoraPredeterminada()});
    const QSignalBlocker b(cboImpresora_);
    cboImpresora_->clear();
    int elegida = -1;
    for (const QString &n : lista.nombres) {
        cboImpresora_->addItem(n);
        if (lista.predeterminada.compare(n, Qt::CaseInsensitive) == 0) elegida = cboImpresora_->count() - 1;
    }
    if (cboImpresora_->count() > 0) {
        cboImpresora_->setCurrentIndex(elegida < 0 ? 0 : elegida);
        Impresora = cboImpresora_->currentText();
    } else {
        Impresora.clear();
    }
}

void frmConfigImpresion::AvisarSinImpresora()
{
    QString texto = T(QStringLiteral("No hay impresora seleccionada."), QStringLiteral("No printer selected."));
    // An empty list because the print system does not answer says so.
    if (cboImpresora_->count() == 0) {
        const QString motivo = ColaCUPS::MotivoSinServicio();
        if (!motivo.isEmpty())
            texto += QStringLiteral("\r\n") +
                     T(QStringLiteral("No se puede acceder a ninguna impresora: "),
                       QStringLiteral("No printer can be reached: ")) +
                     motivo;
    }
    MsgBox::Mostrar(texto, MsgBox::Information, T(QStringLiteral("Imprimir"), QStringLiteral("Print")), this);
}

QString frmConfigImpresion::ImpresoraSeleccionada() const
{
    const int i = cboImpresora_->currentIndex();
    return i >= 0 ? cboImpresora_->itemText(i) : cboImpresora_->currentText().trimmed();
}

void frmConfigImpresion::cmdAjustesImpresora_Click()
{
    const QString nombre = ImpresoraSeleccionada();
    if (nombre.isEmpty()) {
        AvisarSinImpresora();
        return;
    }
    QString error;
    if (!modImpresion::MostrarAjustesImpresora(this, nombre, error) && !error.isEmpty())
        MsgBox::Mostrar(error, MsgBox::Exclamation,
                        T(QStringLiteral("Ajustes de impresión"), QStringLiteral("Print settings")), this);
}

void frmConfigImpresion::CargarOpcionesColor()
{
    const auto llenar = [](QComboBox *cbo, const QStringList &entradas) {
        const QSignalBlocker b(cbo);
        cbo->clear();
        cbo->addItems(entradas);
        cbo->setCurrentIndex(0);
    };
    llenar(cboGestionColor_, TextosGestionColor());
    llenar(cboPerfilImpresora_, PerfilesImpresora(modImpresion::CarpetaColorWindows()));
    llenar(cboModoImpresion_, {TextoModoNormal()});
    llenar(cboRenderingIntent_, TextosIntento());
    chkCompensacionPuntoNegro_->setChecked(false);
    AplicarIdiomaColor();
    ActualizarAvisoColor();
}

void frmConfigImpresion::AplicarIdiomaColor()
{
    fraGestionColor_->setTitle(T(QStringLiteral("Gestión de color"), QStringLiteral("Color management")));
    lblAvisoIcon_->setText(QStringLiteral("!"));
    lblPerfilDocumento_->setText(T(QStringLiteral("Perfil documento:"), QStringLiteral("Document profile:")));
    lblPerfilDocumentoVal_->setText(PerfilDocumentoEntrada.isEmpty()
                                        ? T(QStringLiteral("RGB sin etiqueta"), QStringLiteral("Untagged RGB"))
                                        : PerfilDocumentoEntrada);
    lblAdministracionColor_->setText(T(QStringLiteral("Administración:"), QStringLiteral("Handling:")));
    lblPerfilImpresora_->setText(T(QStringLiteral("Perfil impresora:"), QStringLiteral("Printer profile:")));
    lblModoImpresion_->setText(T(QStringLiteral("Modo:"), QStringLiteral("Mode:")));
    lblRenderingIntent_->setText(T(QStringLiteral("Rendering Intent:"), QStringLiteral("Rendering intent:")));
    chkCompensacionPuntoNegro_->setText(
        T(QStringLiteral("Compensación de punto negro"), QStringLiteral("Black point compensation")));
}

void frmConfigImpresion::ActualizarAvisoColor()
{
    const int modo = cboGestionColor_->currentIndex();
    lblAvisoColor_->setText(TextoAvisoColor(modo));
    // The tick is kept while the box is disabled.
    cboPerfilImpresora_->setEnabled(modo == 1);
    chkCompensacionPuntoNegro_->setEnabled(modo == 1);
}

// ---- Paper and units ----

void frmConfigImpresion::CambiarUnidad(int unidad)
{
    const double viejo = mFactorUnidad == 0 ? 1.0 : mFactorUnidad;
    const Unidad u = UnidadDe(unidad);
    mFactorUnidad = u.factor;
    mUnidad = u.abreviatura;
    mCargando = true;
    for (QLineEdit *t : {txtAncho_, txtMargenArr_, txtMargenAbj_, txtMargenIzq_, txtMargenDer_, txtPosX_, txtPosY_,
                         txtPapelAncho_, txtPapelAlto_})
        t->setText(EnUnidad(TextoACm(t->text(), viejo)));
    ActualizarEtiquetasUnidad();
    mCargando = false;
    CargarTamanoPapel();
    ActualizarInfoCarta();
    DibujarVistaPrevia();
}

void frmConfigImpresion::ActualizarEtiquetasUnidad()
{
    const QString u = mUnidad.isEmpty() ? QStringLiteral("cm") : mUnidad;
    lblUnidAncho_->setText(u);
    fraMargen_->setTitle(T(QStringLiteral("Márgenes"), QStringLiteral("Margins")) + QStringLiteral(" (") + u +
                         QStringLiteral(")"));
    lblUnidPos_->setText(QStringLiteral("(") + u + QStringLiteral(")"));
    lblPapelUnid_->setText(QStringLiteral("(") + u + QStringLiteral(")"));
}

void frmConfigImpresion::CargarTamanoPapel()
{
    if (mFactorUnidad == 0) return;
    const int i = IndicePapel(cboPapel_->currentIndex());
    if (i == kPapelPersonalizado) return;
    const Hoja h = Orientar(mPapeles[i].ancho, mPapeles[i].alto, optLandscape_->isChecked());
    Escribir(txtPapelAncho_, EnUnidad(h.ancho));
    Escribir(txtPapelAlto_, EnUnidad(h.alto));
}

Hoja frmConfigImpresion::ObtenerTamanoHoja()
{
    const int i = IndicePapel(cboPapel_->currentIndex());
    if (i == kPapelPersonalizado) {
        mPapeles[i].ancho = LadoPersonalizado(txtPapelAncho_->text(), mFactorUnidad);
        mPapeles[i].alto = LadoPersonalizado(txtPapelAlto_->text(), mFactorUnidad);
    }
    const Hoja h = Orientar(mPapeles[i].ancho, mPapeles[i].alto, optLandscape_->isChecked());
    mHojaAncho = h.ancho;
    mHojaAlto = h.alto;
    lblPapelInfo_->setText(TextoPapelInfo(mPapeles[i].nombre, h, !optPortrait_->isChecked()));
    return h;
}

void frmConfigImpresion::Papel_Cambio()
{
    if (mCargando) return;
    CargarTamanoPapel();
    ActualizarInfoCarta();
    DibujarVistaPrevia();
}

void frmConfigImpresion::PapelPersonalizado_LostFocus(QLineEdit *caja)
{
    if (IndicePapel(cboPapel_->currentIndex()) != kPapelPersonalizado) return;
    Escribir(caja, EnUnidad(LadoPersonalizado(caja->text(), mFactorUnidad)));
    ActualizarInfoCarta();
    DibujarVistaPrevia();
}

// ---- Size, position, margins ----

void frmConfigImpresion::ActualizarInfoCarta()
{
    if (mFactorUnidad == 0) return;
    RecogerValores();
    const Hoja hoja = ObtenerTamanoHoja();
    lblInfoCarta_->setText(TextoInfoCarta({AnchoCm, mRelacionAspecto * AnchoCm, Centrado, PosX, PosY}, hoja,
                                          mFactorUnidad, mUnidad, cboPapel_->currentText()));
}

void frmConfigImpresion::CalcularMargenesOpuestos()
{
    if (optCentrado_->isChecked() || mFactorUnidad == 0) return;
    const Hoja hoja = ObtenerTamanoHoja();
    double w = Cm(txtAncho_);
    if (w <= 0) w = mAnchoInicial;
    const Opuestos o = MargenesOpuestos(hoja, w, w * mRelacionAspecto, Cm(txtMargenArr_), Cm(txtMargenIzq_));
    Escribir(txtMargenAbj_, EnUnidad(o.abajo));
    Escribir(txtMargenDer_, EnUnidad(o.derecha));
}

void frmConfigImpresion::HabilitarPosicionManual(bool habilitar)
{
    for (QWidget *w : {static_cast<QWidget *>(txtPosX_), static_cast<QWidget *>(txtPosY_),
                       static_cast<QWidget *>(lblPosX_), static_cast<QWidget *>(lblPosY_),
                       static_cast<QWidget *>(lblUnidPos_)})
        w->setEnabled(habilitar);
}

void frmConfigImpresion::optCentrado_Click()
{
    if (mCargando) return;
    HabilitarPosicionManual(false);
    ActualizarInfoCarta();
    DibujarVistaPrevia();
}

void frmConfigImpresion::optManual_Click()
{
    if (mCargando) return;
    HabilitarPosicionManual(true);
    Escribir(txtPosX_, EnUnidad(Cm(txtMargenIzq_)));
    Escribir(txtPosY_, EnUnidad(Cm(txtMargenArr_)));
    ActualizarInfoCarta();
    DibujarVistaPrevia();
}

void frmConfigImpresion::Medida_Cambio(QLineEdit *caja)
{
    if (mCargando) return;
    if (caja == txtPosX_ || caja == txtPosY_) {
        // In manual placement X and Y are copied into the margins as typed.
        if (optManual_->isChecked()) {
            Escribir(caja == txtPosX_ ? txtMargenIzq_ : txtMargenArr_, caja->text());
            CalcularMargenesOpuestos();
        }
    } else if (caja != txtMargenAbj_ && caja != txtMargenDer_) {
        CalcularMargenesOpuestos();
    }
    ActualizarInfoCarta();
    DibujarVistaPrevia();
}

void frmConfigImpresion::Medida_LostFocus(QLineEdit *caja)
{
    double v = Cm(caja);
    if (caja == txtAncho_ && v <= 0) v = mAnchoInicial;
    const bool posicion = (caja == txtPosX_ || caja == txtPosY_) && optManual_->isChecked();
    mCargando = true;
    caja->setText(EnUnidad(v));
    if (posicion) (caja == txtPosX_ ? txtMargenIzq_ : txtMargenArr_)->setText(caja->text());
    mCargando = false;
    if (posicion) CalcularMargenesOpuestos();
    ActualizarInfoCarta();
    DibujarVistaPrevia();
}

bool frmConfigImpresion::eventFilter(QObject *obj, QEvent *ev)
{
    // Focus moving to another control of this window, not the window losing
    // the focus (a message box, another application, the window hiding).
    if (ev->type() == QEvent::FocusOut) {
        const Qt::FocusReason r = static_cast<QFocusEvent *>(ev)->reason();
        if (r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason) {
            if (obj == txtCopias_) txtCopias_->setText(QString::number(LeerCopias(txtCopias_->text())));
            else if (obj == txtPapelAncho_ || obj == txtPapelAlto_)
                PapelPersonalizado_LostFocus(static_cast<QLineEdit *>(obj));
            else if (auto *t = qobject_cast<QLineEdit *>(obj)) Medida_LostFocus(t);
        }
    }
    return QDialog::eventFilter(obj, ev);
}

// ---- Preview and dragging ----

void frmConfigImpresion::DibujarVistaPrevia()
{
    RecogerValores();
    Superficie &caja = picVista_->S();
    if (caja.ScaleWidth() < 10 || caja.ScaleHeight() < 10) return;
    const Hoja hoja = ObtenerTamanoHoja();
    const VistaImpresion::Entrada e{hoja.ancho, hoja.alto, AnchoCm,   mRelacionAspecto, Centrado,
                                    PosX,       PosY,      MargenIzq, MargenArr,
                                    imagenVista_.isNull() ? nullptr : &imagenVista_};
    VistaImpresion::Dibujar(caja, e, vista_);
    picVista_->Refresh();
}

void frmConfigImpresion::picVista_MouseDown(Qt::MouseButton boton, int x, int y)
{
    if (boton != Qt::LeftButton || !optManual_->isChecked()) return;
    const int z = VistaImpresion::ZonaVista(vista_, x, y);
    if (z == VistaImpresion::Dentro) {
        mModoArrastre = 1;
        mArrastreDX = x - vista_.cartaX;
        mArrastreDY = y - vista_.cartaY;
    } else if (z >= VistaImpresion::EsquinaSupIzq) {
        mModoArrastre = 2;
        mEsquinaArrastre = z - VistaImpresion::EsquinaSupIzq;
    } else {
        mModoArrastre = 0;
    }
}

void frmConfigImpresion::picVista_MouseMove(int x, int y)
{
    using namespace VistaImpresion;
    switch (mModoArrastre) {
    case 0: {
        if (!optManual_->isChecked()) return;
        const int z = ZonaVista(vista_, x, y);
        picVista_->setCursor(z == Dentro                                         ? Qt::SizeAllCursor
                             : z == EsquinaSupIzq || z == EsquinaInfDer         ? Qt::SizeFDiagCursor
                             : z == EsquinaSupDer || z == EsquinaInfIzq         ? Qt::SizeBDiagCursor
                                                                                : Qt::ArrowCursor);
        return;
    }
    case 1:
        AplicarArrastre(Mover(vista_, x, y, mArrastreDX, mArrastreDY));
        picVista_->setCursor(Qt::SizeAllCursor);
        return;
    case 2:
        picVista_->setCursor(mEsquinaArrastre % 2 == 0 ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
        AplicarArrastre(Esquina(vista_, mEsquinaArrastre, x, y, mRelacionAspecto));
        return;
    default: return;
    }
}

void frmConfigImpresion::picVista_MouseUp()
{
    mModoArrastre = 0;
    picVista_->setCursor(Qt::ArrowCursor);
}

void frmConfigImpresion::AplicarArrastre(const VistaImpresion::Rect &r)
{
    if (!(vista_.escala > 0)) return;
    const Hoja hoja = ObtenerTamanoHoja();
    VistaImpresion::Colocacion c;
    if (!VistaImpresion::ACm(vista_, r, mRelacionAspecto, hoja.ancho, hoja.alto, c)) return;
    mCargando = true;
    txtMargenIzq_->setText(EnUnidad(c.x));
    txtMargenArr_->setText(EnUnidad(c.y));
    txtPosX_->setText(EnUnidad(c.x));
    txtPosY_->setText(EnUnidad(c.y));
    txtAncho_->setText(EnUnidad(c.ancho));
    mCargando = false;
    CalcularMargenesOpuestos();
    ActualizarInfoCarta();
    DibujarVistaPrevia();
}

// ---- Print and Cancel ----

void frmConfigImpresion::cmdOK_Click()
{
    RecogerValores();
    if (Impresora.isEmpty()) {
        AvisarSinImpresora();
        return;
    }
    Aceptado = true;
    QDialog::done(QDialog::Accepted);
}

void frmConfigImpresion::cmdCancelar_Click()
{
    Aceptado = false;
    QDialog::done(QDialog::Rejected);
}

// Escape and the close box cancel.
void frmConfigImpresion::reject() { cmdCancelar_Click(); }

// ---- Boxes ----

void frmConfigImpresion::Escribir(QLineEdit *caja, const QString &texto)
{
    const bool antes = mCargando;
    mCargando = true;
    caja->setText(texto);
    mCargando = antes;
}

double frmConfigImpresion::Cm(const QLineEdit *caja) const { return TextoACm(caja->text(), mFactorUnidad); }

QString frmConfigImpresion::EnUnidad(double cm) const
{
    return FormatoMedida(mFactorUnidad > 0 ? cm / mFactorUnidad : cm);
}
