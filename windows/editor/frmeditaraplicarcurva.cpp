#include "windows/editor/frmeditaraplicarcurva.h"

#include "app/appstate.h"
#include "app/estilo.h"
#include "app/idioma.h"
#include "app/progreso.h"
#include "curves/archivoscurva.h"
#include "curves/curvas.h"
#include "curves/deshacer.h"
#include "imaging/aplicar.h"
#include "imaging/cargar.h"
#include "imaging/histograma.h"
#include "imaging/modimage.h"
#include "imaging/preview.h"
#include "platform/colorref.h"
#include "platform/controles.h"
#include "platform/msgbox.h"
#include "platform/numbers.h"
#include "platform/picturebox.h"
#include "platform/progress.h"
#include "windows/editor/conservado.h"
#include "windows/editor/edicion.h"
#include "windows/editor/infoimagen.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <span>

namespace {

// Box sizes in pixels.
constexpr int kLienzo = 360;
constexpr int kHistAlto = 100;
constexpr int kRampaAlto = 11;
constexpr int kSliderAncho = 176;
constexpr int kSliderAlto = 25;
constexpr int kMuestraAncho = 440;
constexpr int kMuestraAlto = 376;

// Design colours: the channel and curve-type frames, and the dimmer captions.
constexpr uint32_t kFondoMarco = 0x303030;
constexpr uint32_t kTextoTenue = 0x909090;

Conservado &K() { return Conservado::Instancia(); }

} // namespace

frmEditarAplicarCurva::frmEditarAplicarCurva(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmEditarAplicarCurva"));
    CrearControles();
    Ventanas::Registrar(this);
    Form_Load();
}

frmEditarAplicarCurva::~frmEditarAplicarCurva()
{
    tmrRender_->stop();
    Ventanas::Quitar(this);
}

void frmEditarAplicarCurva::CrearControles()
{
    Estilo::AplicarOscuro(this);

    // Curve, sliders and coordinates.
    picCurve_ = CajaDibujo(this, "picCurve", kLienzo, kLienzo, LienzoCurva::ColorFondo);
    lblInput_ = Control<QLabel>(this, "lblInput");
    lblOutput_ = Control<QLabel>(this, "lblOutput");
    Estilo::ColorTexto(lblInput_, 0x707070);
    Estilo::ColorTexto(lblOutput_, 0x707070);
    lblSliderInTitle_ = Control<QLabel>(this, "lblSliderInTitle");
    lblSliderOutTitle_ = Control<QLabel>(this, "lblSliderOutTitle");
    Estilo::ColorTexto(lblSliderInTitle_, kTextoTenue);
    Estilo::ColorTexto(lblSliderOutTitle_, kTextoTenue);
    picSliderIn_ = CajaDibujo(this, "picSliderIn", kSliderAncho, kSliderAlto, LienzoCurva::ColorFondo);
    picSliderOut_ = CajaDibujo(this, "picSliderOut", kSliderAncho, kSliderAlto, LienzoCurva::ColorFondo);
    lblInMin_ = Control<QLabel>(this, "lblInMin");
    lblInMax_ = Control<QLabel>(this, "lblInMax");
    lblOutMin_ = Control<QLabel>(this, "lblOutMin");
    lblOutMax_ = Control<QLabel>(this, "lblOutMax");

    // Channel, curve type and the buttons over the whole curve.
    fraCanales_ = Control<QGroupBox>(this, "fraCanales");
    Estilo::Panel(fraCanales_, kFondoMarco);
    optRGB_ = Control<QRadioButton>(fraCanales_, "optRGB");
    optR_ = Control<QRadioButton>(fraCanales_, "optR");
    optG_ = Control<QRadioButton>(fraCanales_, "optG");
    optB_ = Control<QRadioButton>(fraCanales_, "optB");
    optRGB_->setText(QStringLiteral("RGB"));
    optR_->setText(QStringLiteral("R"));
    optG_->setText(QStringLiteral("G"));
    optB_->setText(QStringLiteral("B"));
    Estilo::ColorTexto(optR_, 0x4040FF);
    Estilo::ColorTexto(optG_, 0x40C040);
    Estilo::ColorTexto(optB_, 0xC04040);
    optRGB_->setChecked(true);
    frmTipoCurva_ = Control<QGroupBox>(this, "frmTipoCurva");
    Estilo::Panel(frmTipoCurva_, kFondoMarco);
    optNatural_ = Control<QRadioButton>(frmTipoCurva_, "optNatural");
    optCatmullRom_ = Control<QRadioButton>(frmTipoCurva_, "optCatmullRom");
    // Same texts in both languages.
    optNatural_->setText(QStringLiteral("NCS (PS)"));
    optNatural_->setToolTip(QStringLiteral("Spline cúbica natural (Natural Cubic Spline) -Tipo Photoshop-"));
    optCatmullRom_->setText(QStringLiteral("Catmull-lRom"));
    optCatmullRom_->setToolTip(QStringLiteral("PCHIP (Piecewise Cubic Hermite Interpolating Polynomial)"));
    optCatmullRom_->setChecked(true);
    chkNegar_ = Control<QCheckBox>(this, "chkNegar");
    cmdImportACV_ = Control<QPushButton>(this, "cmdImportACV");
    cmdExportACV_ = Control<QPushButton>(this, "cmdExportACV");
    cmdReset_ = Control<QPushButton>(this, "cmdReset");
    cmdUndo_ = Control<QPushButton>(this, "cmdUndo");
    lblHistorial_ = Control<QLabel>(this, "lblHistorial");
    Estilo::ColorTexto(lblHistorial_, kTextoTenue);
    lstHistorial_ = Control<QListWidget>(this, "lstHistorial");
    lstHistorial_->setFixedHeight(150);

    // Output histogram.
    lblHistCanal_ = Control<QLabel>(this, "lblHistCanal");
    cboHistCanal_ = Control<QComboBox>(this, "cboHistCanal");
    picHist_ = CajaDibujo(this, "picHist", kLienzo, kHistAlto, 0x000000);
    picHistRampa_ = CajaDibujo(this, "picHistRampa", kLienzo, kRampaAlto, 0x000000);
    lblHPromedio_ = Control<QLabel>(this, "lblHPromedio");
    lblHDesv_ = Control<QLabel>(this, "lblHDesv");
    lblHMediana_ = Control<QLabel>(this, "lblHMediana");
    for (QLabel *l : {lblHPromedio_, lblHDesv_, lblHMediana_}) Estilo::ColorTexto(l, kTextoTenue);
    lblHPromedioVal_ = Control<QLabel>(this, "lblHPromedioVal");
    lblHDesvVal_ = Control<QLabel>(this, "lblHDesvVal");
    lblHMedianaVal_ = Control<QLabel>(this, "lblHMedianaVal");

    // Sample image, its information, view options, preview, output.
    cmdCargarImagenAProcesar_ = Control<QPushButton>(this, "cmdCargarImagenAProcesar");
    lblFichImag0_ = Control<QLabel>(this, "lblFichImag0");
    lblFichImag_ = Control<QLabel>(this, "lblFichImag");
    lblFichImag_->setMinimumWidth(200);
    lblFichImag_->setMaximumWidth(kMuestraAncho);
    frmInfoImagen_ = Control<QGroupBox>(this, "frmInfoImagen");
    lblPixels_ = Control<QLabel>(frmInfoImagen_, "lblPixels");
    lblMedidas_ = Control<QLabel>(frmInfoImagen_, "lblMedidas");
    lblResolucion_ = Control<QLabel>(frmInfoImagen_, "lblResolucion");
    lblEspacioColor_ = Control<QLabel>(frmInfoImagen_, "lblEspacioColor");
    frmVer_ = Control<QGroupBox>(this, "frmVer");
    optCurvaAplicada_ = Control<QRadioButton>(frmVer_, "optCurvaAplicada");
    optOriginal_ = Control<QRadioButton>(frmVer_, "optOriginal");
    chkInvertirTonos_ = Control<QCheckBox>(frmVer_, "chkInvertirTonos");
    chkInvertirHorizontal_ = Control<QCheckBox>(frmVer_, "chkInvertirHorizontal");
    picMuestra_ = CajaDibujo(this, "picMuestra", kMuestraAncho, kMuestraAlto, 0x000000);
    cmdGuardarImagenCurva_ = Control<QPushButton>(this, "cmdGuardarImagenCurva");
    cmdImprimirImagenCurva_ = Control<QPushButton>(this, "cmdImprimirImagenCurva");
    // Nothing to save or print until a sample and something to apply exist.
    cmdGuardarImagenCurva_->setEnabled(false);
    cmdImprimirImagenCurva_->setEnabled(false);

    tmrRender_ = new QTimer(this);
    tmrRender_->setObjectName(QStringLiteral("tmrRender"));
    tmrRender_->setInterval(33);
    Line1_ = Control<QFrame>(this, "Line1");
    Line1_->setFrameShape(QFrame::VLine);
    QPalette linea = Line1_->palette();
    linea.setColor(QPalette::WindowText, ColorRef::AQColor(0x505050));
    Line1_->setPalette(linea);

    // --- layout ---
    auto *canales = new QHBoxLayout(fraCanales_);
    for (QRadioButton *o : {optRGB_, optR_, optG_, optB_}) canales->addWidget(o);
    auto *tipo = new QHBoxLayout(frmTipoCurva_);
    tipo->addWidget(optNatural_);
    tipo->addWidget(optCatmullRom_);

    auto *coords = new QHBoxLayout;
    coords->addWidget(lblInput_);
    coords->addWidget(lblOutput_);
    coords->addStretch(1);

    // Each slider with its title and end values in a column exactly as wide
    // as the slider, so the values sit under the slider's ends.
    auto columnaSlider = [this](QLabel *titulo, PictureBox *slider, QLabel *minimo, QLabel *maximo) {
        auto *columna = new QWidget(this);
        columna->setFixedWidth(kSliderAncho);
        auto *g = new QGridLayout(columna);
        g->setContentsMargins(0, 0, 0, 0);
        g->setHorizontalSpacing(0);
        g->addWidget(titulo, 0, 0, 1, 2);
        g->addWidget(slider, 1, 0, 1, 2);
        g->addWidget(minimo, 2, 0, Qt::AlignLeft);
        g->addWidget(maximo, 2, 1, Qt::AlignRight);
        return columna;
    };
    auto *sliders = new QHBoxLayout;
    sliders->addWidget(columnaSlider(lblSliderInTitle_, picSliderIn_, lblInMin_, lblInMax_));
    sliders->addWidget(columnaSlider(lblSliderOutTitle_, picSliderOut_, lblOutMin_, lblOutMax_));
    sliders->addStretch(1);

    auto *botones = new QGridLayout;
    botones->addWidget(cmdImportACV_, 0, 0);
    botones->addWidget(cmdExportACV_, 0, 1);
    botones->addWidget(cmdReset_, 1, 0);
    botones->addWidget(cmdUndo_, 1, 1);

    auto *izquierda = new QVBoxLayout;
    izquierda->addWidget(picCurve_);
    izquierda->addLayout(coords);
    izquierda->addLayout(sliders);
    izquierda->addWidget(fraCanales_);
    izquierda->addWidget(frmTipoCurva_);
    izquierda->addWidget(chkNegar_);
    izquierda->addLayout(botones);
    izquierda->addStretch(1);

    auto *combo = new QHBoxLayout;
    combo->addWidget(lblHistCanal_);
    combo->addWidget(cboHistCanal_, 1);
    auto *estad = new QGridLayout;
    estad->addWidget(lblHPromedio_, 0, 0);
    estad->addWidget(lblHPromedioVal_, 0, 1);
    estad->addWidget(lblHDesv_, 1, 0);
    estad->addWidget(lblHDesvVal_, 1, 1);
    estad->addWidget(lblHMediana_, 2, 0);
    estad->addWidget(lblHMedianaVal_, 2, 1);
    estad->setColumnStretch(1, 1);

    auto *centro = new QVBoxLayout;
    centro->addLayout(combo);
    centro->addWidget(picHist_);
    centro->addWidget(picHistRampa_);
    centro->setSpacing(2);
    centro->addLayout(estad);
    centro->addSpacing(8);
    centro->addWidget(lblHistorial_);
    centro->addWidget(lstHistorial_);
    centro->addStretch(1);

    auto *info = new QVBoxLayout(frmInfoImagen_);
    for (QLabel *l : {lblPixels_, lblMedidas_, lblResolucion_, lblEspacioColor_}) info->addWidget(l);
    auto *ver = new QGridLayout(frmVer_);
    ver->addWidget(optCurvaAplicada_, 0, 0);
    ver->addWidget(optOriginal_, 0, 1);
    ver->addWidget(chkInvertirTonos_, 1, 0);
    ver->addWidget(chkInvertirHorizontal_, 1, 1);
    auto *fichero = new QHBoxLayout;
    fichero->addWidget(lblFichImag0_);
    fichero->addWidget(lblFichImag_, 1);
    auto *salida = new QHBoxLayout;
    salida->addWidget(cmdGuardarImagenCurva_);
    salida->addWidget(cmdImprimirImagenCurva_);
    auto *paneles = new QHBoxLayout;
    paneles->addWidget(frmInfoImagen_, 1);
    paneles->addWidget(frmVer_, 1);

    auto *derecha = new QVBoxLayout;
    derecha->addWidget(cmdCargarImagenAProcesar_, 0, Qt::AlignLeft);
    derecha->addLayout(fichero);
    derecha->addLayout(paneles);
    derecha->addWidget(picMuestra_);
    derecha->addLayout(salida);
    derecha->addStretch(1);

    auto *principal = new QHBoxLayout(this);
    principal->addLayout(izquierda);
    principal->addLayout(centro);
    principal->addWidget(Line1_);
    principal->addLayout(derecha);

    // --- events ---
    connect(optCatmullRom_, &QRadioButton::toggled, this, [this](bool on) { if (on) optCatmullRom_Click(); });
    connect(optNatural_, &QRadioButton::toggled, this, [this](bool on) { if (on) optNatural_Click(); });
    connect(optOriginal_, &QRadioButton::toggled, this, [this](bool on) { if (on) optOriginal_Click(); });
    connect(optCurvaAplicada_, &QRadioButton::toggled, this, [this](bool on) { if (on) optCurvaAplicada_Click(); });
    connect(chkInvertirTonos_, &QCheckBox::toggled, this, [this] { chkInvertirTonos_Click(); });
    connect(chkInvertirHorizontal_, &QCheckBox::toggled, this, [this] { chkInvertirHorizontal_Click(); });
    connect(cboHistCanal_, &QComboBox::currentIndexChanged, this, [this] { cboHistCanal_Click(); });
    connect(cmdCargarImagenAProcesar_, &QPushButton::clicked, this, [this] { cmdCargarImagenAProcesar_Click(); });
    connect(cmdImportACV_, &QPushButton::clicked, this, [this] { cmdImportACV_Click(); });
    connect(cmdGuardarImagenCurva_, &QPushButton::clicked, this, [this] { cmdGuardarImagenCurva_Click(); });
    connect(cmdImprimirImagenCurva_, &QPushButton::clicked, this, [this] { cmdImprimirImagenCurva_Click(); });
    connect(cmdExportACV_, &QPushButton::clicked, this, [this] { cmdExportACV_Click(); });
    connect(tmrRender_, &QTimer::timeout, this, [this] { tmrRender_Timer(); });
    using F = frmEditarAplicarCurva;
    auto raton = [this](PictureBox *p, void (F::*baja)(Qt::MouseButton, int, int),
                        void (F::*mueve)(Qt::MouseButtons, int, int), void (F::*sube)(Qt::MouseButton, int, int)) {
        connect(p, &PictureBox::MouseDown, this,
                [this, baja](Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) { (this->*baja)(b, x, y); });
        connect(p, &PictureBox::MouseMove, this,
                [this, mueve](Qt::MouseButtons b, Qt::KeyboardModifiers, int x, int y) { (this->*mueve)(b, x, y); });
        connect(p, &PictureBox::MouseUp, this,
                [this, sube](Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) { (this->*sube)(b, x, y); });
    };
    raton(picCurve_, &F::picCurve_MouseDown, &F::picCurve_MouseMove, &F::picCurve_MouseUp);
    raton(picSliderIn_, &F::picSliderIn_MouseDown, &F::picSliderIn_MouseMove, &F::picSliderIn_MouseUp);
    raton(picSliderOut_, &F::picSliderOut_MouseDown, &F::picSliderOut_MouseMove, &F::picSliderOut_MouseUp);
    connect(picCurve_, &PictureBox::DblClick, this, [this](int, int) { picCurve_DblClick(); });
    connect(picHist_, &PictureBox::MouseMove, this,
            [this](Qt::MouseButtons b, Qt::KeyboardModifiers, int x, int y) { picHist_MouseMove(b, x, y); });
    // The coordinates and the histogram cursor follow the pointer with no
    // button held, too.
    picCurve_->setMouseTracking(true);
    picHist_->setMouseTracking(true);

    connect(optRGB_, &QRadioButton::toggled, this, [this](bool on) { if (on) optRGB_Click(); });
    connect(optR_, &QRadioButton::toggled, this, [this](bool on) { if (on) optR_Click(); });
    connect(optG_, &QRadioButton::toggled, this, [this](bool on) { if (on) optG_Click(); });
    connect(optB_, &QRadioButton::toggled, this, [this](bool on) { if (on) optB_Click(); });
    connect(chkNegar_, &QCheckBox::toggled, this, [this] { chkNegar_Click(); });
    connect(cmdReset_, &QPushButton::clicked, this, [this] { cmdReset_Click(); });
    connect(cmdUndo_, &QPushButton::clicked, this, [this] { cmdUndo_Click(); });
    // A click or Enter jumps; moving the selection with the keys does not (a
    // jump deletes the later steps for good).
    connect(lstHistorial_, &QListWidget::clicked, this, [this] { lstHistorial_Click(); });
    connect(lstHistorial_, &QListWidget::activated, this, [this] { lstHistorial_Click(); });
}

void frmEditarAplicarCurva::Form_Load()
{
    mCanalHist = 0;
    mCursorHist = -1;
    mCurvaRecibida = false;
    mVerCurvaAplicada = true;
    K().Historial.Vaciar();
    mArrastreEntrada = -1;
    mArrastreSalida = -1;

    // This window's preview box is new: whatever the preview cache says was
    // drawn, it was drawn into another box.
    modImage::InvalidarCachePreview();
    {
        const QSignalBlocker b(optCurvaAplicada_);
        optCurvaAplicada_->setChecked(true);
    }
    optCurvaAplicada_Click();

    modEngine::AsegurarCurvasIniciadas();
    MostrarEstadoMotor();
    DibujarRampaHistograma();
    lblHPromedioVal_->clear();
    lblHDesvVal_->clear();
    lblHMedianaVal_->clear();
    lblEspacioColor_->clear();

    modEngine::RegenerarCurvaActual();
    RefreshSliders();
    ActualizarBotonDeshacer();
    ActualizarBotonExportar();
    RefrescarListaHistorial();
    tmrRender_->stop();
    AplicarIdioma();
    RedibujarCurvaEHistograma();
    // The rebuild above may have changed the tables since the preview was
    // drawn: show what a save would apply.
    RefrescarVistaPrevia();
}

void frmEditarAplicarCurva::closeEvent(QCloseEvent *e)
{
    // Never in the middle of a sample load.
    if (GuardaOcupado::Activo()) {
        e->ignore();
        return;
    }
    tmrRender_->stop();
    QWidget::closeEvent(e);
}

void frmEditarAplicarCurva::MostrarEstadoMotor()
{
    const QSignalBlocker b1(optRGB_), b2(optR_), b3(optG_), b4(optB_), b5(optNatural_), b6(optCatmullRom_);
    switch (modEngine::CanalActual) {
    case 1: optR_->setChecked(true); break;
    case 2: optG_->setChecked(true); break;
    case 3: optB_->setChecked(true); break;
    default: optRGB_->setChecked(true); break;
    }
    if (modEngine::ModoInterpolacion == 1) optNatural_->setChecked(true);
    else optCatmullRom_->setChecked(true);
}

// --- language ---

void frmEditarAplicarCurva::AplicarIdioma()
{
    setWindowTitle(T(QStringLiteral("Editar curva / aplicar e imprimir imagen"),
                     QStringLiteral("Edit curve / apply and print image")));
    cmdImportACV_->setText(T(QStringLiteral("Cargar curva"), QStringLiteral("Load curve")));
    cmdExportACV_->setText(T(QStringLiteral("Grabar curva"), QStringLiteral("Save curve")));
    cmdReset_->setText(T(QStringLiteral("Reiniciar"), QStringLiteral("Reset")));
    cmdUndo_->setText(T(QStringLiteral("Deshacer"), QStringLiteral("Undo")));
    cmdCargarImagenAProcesar_->setText(T(QStringLiteral("Cargar imagen"), QStringLiteral("Load image")));
    cmdGuardarImagenCurva_->setText(T(QStringLiteral("Guardar imagen procesada"), QStringLiteral("Save processed image")));
    cmdImprimirImagenCurva_->setText(T(QStringLiteral("Imprimir imagen"), QStringLiteral("Print image")));
    chkNegar_->setText(T(QStringLiteral("Invertir curva de salida"), QStringLiteral("Invert output curve")));
    chkInvertirTonos_->setText(T(QStringLiteral("Invertir tonos"), QStringLiteral("Invert tones")));
    chkInvertirHorizontal_->setText(T(QStringLiteral("Invertir horizontal"), QStringLiteral("Flip horizontal")));
    frmTipoCurva_->setTitle(T(QStringLiteral("Tipo curva"), QStringLiteral("Curve type")));
    frmInfoImagen_->setTitle(T(QStringLiteral("Info imagen"), QStringLiteral("Image info")));
    frmVer_->setTitle(T(QStringLiteral("Ver imagen"), QStringLiteral("View image")));
    optCurvaAplicada_->setText(T(QStringLiteral("Curva aplicada"), QStringLiteral("Applied curve")));
    optOriginal_->setText(T(QStringLiteral("Original"), QStringLiteral("Original")));
    fraCanales_->setTitle(T(QStringLiteral("Canal"), QStringLiteral("Channel")));
    lblFichImag0_->setText(T(QStringLiteral("Fichero imagen:"), QStringLiteral("Image file:")));
    lblHPromedio_->setText(T(QStringLiteral("Promedio:"), QStringLiteral("Average:")));
    lblHDesv_->setText(T(QStringLiteral("Desv.est.:"), QStringLiteral("Std.dev.:")));
    lblHMediana_->setText(T(QStringLiteral("Mediana:"), QStringLiteral("Median:")));
    lblSliderInTitle_->setText(T(QStringLiteral("Entrada"), QStringLiteral("Input")));
    lblSliderOutTitle_->setText(T(QStringLiteral("Salida"), QStringLiteral("Output")));
    lblHistCanal_->setText(T(QStringLiteral("Histograma:"), QStringLiteral("Histogram:")));
    lblHistorial_->setText(T(QStringLiteral("Historial  (click = ir al punto)"),
                             QStringLiteral("History  (click = jump to point)")));
    lblInput_->setText(QStringLiteral("In: 0"));
    lblOutput_->setText(QStringLiteral("Out: 0"));

    // Refill the histogram channels in the new language, keeping the choice.
    int idx = cboHistCanal_->currentIndex();
    {
        const QSignalBlocker b(cboHistCanal_);
        cboHistCanal_->clear();
        cboHistCanal_->addItems({QStringLiteral("RGB"), T(QStringLiteral("Rojo"), QStringLiteral("Red")),
                                 T(QStringLiteral("Verde"), QStringLiteral("Green")),
                                 T(QStringLiteral("Azul"), QStringLiteral("Blue")),
                                 T(QStringLiteral("Luminosidad"), QStringLiteral("Luminance")),
                                 T(QStringLiteral("Colores"), QStringLiteral("Colors"))});
        if (idx < 0 || idx >= 6) idx = 0;
        cboHistCanal_->setCurrentIndex(idx);
    }
    cboHistCanal_Click();
}

// --- public members ---

bool frmEditarAplicarCurva::TieneCurvaCargada() const { return K().Historial.Num() >= 1 || mCurvaRecibida; }

void frmEditarAplicarCurva::RecibirCurvaGenerada(const int *xs, const int *ys, int n)
{
    using namespace modEngine;
    if (n < 2 || n > MaxPuntos || !xs || !ys) return;

    GuardarDeshacer();
    AgregarHistorial(QStringLiteral("Curva recibida"));
    ActualizarBotonDeshacer();

    PuntosYNivelesIniciales();
    Conservado &k = K();
    k.RecibirCurva(xs, ys, n);
    k.PonerCurvaEnMaestra();

    CanalActual = 0;
    MostrarEstadoMotor();
    mCurvaRecibida = true;

    ComponerLUTs();
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::RefrescarDesdeCurvaCompartida()
{
    // The scan evaluator makes the master channel current: the buttons must
    // not go on showing a colour channel that is no longer edited.
    MostrarEstadoMotor();
    // The evaluator keeps the curve it replaced as an undo snapshot.
    ActualizarBotonDeshacer();
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::MostrarCurvaCambiada()
{
    RefreshSliders();
    RedibujarCurvaEHistograma();
    K().PreviewSucio = true;
    ActualizarBotonExportar();
    RefrescarVistaPrevia();
}

// --- interpolation ---

void frmEditarAplicarCurva::ElegirInterpolacion(QRadioButton *boton, int16_t modo)
{
    if (!boton->isChecked()) return;
    modEngine::ModoInterpolacion = modo;
    modEngine::RegenerarCurvaActual();
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::optCatmullRom_Click() { ElegirInterpolacion(optCatmullRom_, 0); }
void frmEditarAplicarCurva::optNatural_Click() { ElegirInterpolacion(optNatural_, 1); }

bool frmEditarAplicarCurva::EsCurvaIdentidad() const { return LienzoCurva::EsCurvaIdentidad(); }

// --- drawing ---

void frmEditarAplicarCurva::RefreshSliders()
{
    const int c = modEngine::CanalActual;
    if (c < 0 || c >= modEngine::NumCanales) return;
    LienzoCurva::DibujarSlider(picSliderIn_->S(), modEngine::EntradaNegro[c], modEngine::EntradaBlanco[c]);
    picSliderIn_->Refresh();
    LienzoCurva::DibujarSlider(picSliderOut_->S(), modEngine::SalidaNegro[c], modEngine::SalidaBlanco[c]);
    picSliderOut_->Refresh();
    lblInMin_->setText(QString::number(modEngine::EntradaNegro[c]));
    lblInMax_->setText(QString::number(modEngine::EntradaBlanco[c]));
    lblOutMin_->setText(QString::number(modEngine::SalidaNegro[c]));
    lblOutMax_->setText(QString::number(modEngine::SalidaBlanco[c]));
}

void frmEditarAplicarCurva::DibujarCurva()
{
    LienzoCurva::DibujarCurva(picCurve_->S(), modImage::HayMuestra ? modImage::HistMuestra[4] : nullptr);
    picCurve_->Refresh();
}

void frmEditarAplicarCurva::RedibujarCurvaEHistograma()
{
    DibujarCurva();
    DibujarHistograma(LienzoCurva::CalcularHistogramasSalida(modImage::HayMuestra ? modImage::HistMuestra : nullptr));
}

void frmEditarAplicarCurva::tmrRender_Timer()
{
    RedibujarCurvaEHistograma();
    Conservado &k = K();
    if (modImage::HayMuestra && mVerCurvaAplicada && k.PreviewSucio) {
        modImage::DibujarVistaConCurva(picMuestra_);
        k.PreviewSucio = false;
    }
}

void frmEditarAplicarCurva::DibujarHistograma(const LienzoCurva::HistogramasSalida &h)
{
    using modHistograma::Histograma;
    switch (mCanalHist) {
    case 0: modHistograma::DibujarHistograma(picHist_, Histograma(h.luma), 0xC0C0C0); break;
    case 1: modHistograma::DibujarHistograma(picHist_, Histograma(h.rojo), 0x0000FF); break;
    case 2: modHistograma::DibujarHistograma(picHist_, Histograma(h.verde), 0x00FF00); break;
    case 3: modHistograma::DibujarHistograma(picHist_, Histograma(h.azul), 0xFF0000); break;
    case 4: modHistograma::DibujarHistograma(picHist_, Histograma(h.luma), 0xFFFFFF); break;
    case 5:
        modHistograma::DibujarHistogramaRGB(picHist_, Histograma(h.rojo), Histograma(h.verde), Histograma(h.azul));
        break;
    default: break;
    }
    ActualizarEstadisticasHistograma(h);
    mCursorHist = -1;
}

void frmEditarAplicarCurva::ActualizarEstadisticasHistograma(const LienzoCurva::HistogramasSalida &h)
{
    // Empty counts leave the figures shown as they were.
    const auto e =
        LienzoCurva::EstadisticasSalida(mCanalHist, h, modImage::HayMuestra ? modImage::HistMuestra : nullptr);
    if (!e) return;
    lblHPromedioVal_->setText(InfoImagen::FormatoFijo(e->media, 2));
    lblHDesvVal_->setText(InfoImagen::FormatoFijo(e->desviacion, 2));
    lblHMedianaVal_->setText(QString::number(e->mediana));
}

void frmEditarAplicarCurva::DibujarRampaHistograma()
{
    LienzoCurva::DibujarRampa(picHistRampa_->S());
    picHistRampa_->Refresh();
}

void frmEditarAplicarCurva::cboHistCanal_Click() { mCanalHist = static_cast<int16_t>(cboHistCanal_->currentIndex()); }

// --- mouse on the canvas ---

void frmEditarAplicarCurva::picCurve_MouseDown(Qt::MouseButton boton, int x, int y)
{
    using namespace modEngine;
    if (boton != Qt::LeftButton) return;
    tmrRender_->start();
    EmpezarPulsacion(true);
    CurvaMouseDown(PixelACurvaX(x), PixelACurvaY(y));
    AnotarCambioPulsacion();
    // An inserted point changes the curve: the next tick shows it.
    MarcarPreviewSucio();
}

void frmEditarAplicarCurva::picCurve_MouseMove(Qt::MouseButtons, int x, int y)
{
    Conservado &k = K();
    k.CurvaXRaton = PixelACurvaX(x);
    k.CurvaYRaton = PixelACurvaY(y);
    if (modEngine::Arrastrando) {
        modEngine::CurvaMouseMove(k.CurvaXRaton, k.CurvaYRaton);
        AnotarCambioPulsacion();
        // The preview follows the drag at the timer's pace.
        MarcarPreviewSucio();
    }
    lblInput_->setText(QStringLiteral("In: ") + QString::number(k.CurvaXRaton));
    lblOutput_->setText(QStringLiteral("Out: ") + QString::number(255 - k.CurvaYRaton));
}

void frmEditarAplicarCurva::picCurve_MouseUp(Qt::MouseButton, int, int)
{
    tmrRender_->stop();
    modEngine::CurvaMouseUp();
    AnotarCambioPulsacion();
    mAntesPulsacion.reset();
    modEngine::RegenerarCurvaActual();
    // The timer may have last drawn before the final move.
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::picCurve_DblClick()
{
    using namespace modEngine;
    const Conservado &k = K();
    const EstadoCurvas antes = TomarEstado();
    BorrarPuntoCercano(k.CurvaXRaton, k.CurvaYRaton);
    const EstadoCurvas despues = TomarEstado();
    if (!MismoEstado(antes, despues)) {
        const EstadoCurvas *ultimo = UltimoDeshacer();
        if (!mPulsacionGuardada) {
            // The press that began the double click changed nothing.
            GuardarDeshacer(antes);
            AgregarHistorial(QStringLiteral("Curva ") + NombreCanal(CanalActual));
            ActualizarBotonDeshacer();
        } else if (ultimo && MismoEstado(*ultimo, despues)) {
            // The point its press inserted is gone again: nothing to undo.
            Deshacer();
            QuitarUltimoHistorial();
            ActualizarBotonDeshacer();
        }
        mPulsacionGuardada = false;
    }
    RegenerarCurvaActual();
    RefreshSliders();
    RedibujarCurvaEHistograma();
    ActualizarBotonExportar();
    RefrescarVistaPrevia();
}

// --- mouse on the level sliders ---

void frmEditarAplicarCurva::SliderMouseDown(PictureBox *pic, int16_t &asa, int16_t nivelBase, Qt::MouseButton boton,
                                            int x)
{
    if (boton != Qt::LeftButton) return;
    const int16_t ch = modEngine::CanalActual;
    if (ch < 0 || ch >= modEngine::NumCanales) return;
    const int32_t w = Numeros::CLng(pic->ScaleWidth());
    // A slider without a scale takes no press (and no snapshot).
    if (w < 2) return;
    tmrRender_->start();
    const bool entrada = nivelBase == 0;
    asa = EdicionNiveles::AsaPulsada(x, w, entrada ? modEngine::EntradaNegro[ch] : modEngine::SalidaNegro[ch],
                                     entrada ? modEngine::EntradaBlanco[ch] : modEngine::SalidaBlanco[ch]);
    // No history line and no refresh of the undo button for a slider press.
    EmpezarPulsacion(false);
}

void frmEditarAplicarCurva::SliderMouseMove(PictureBox *pic, int16_t asa, int16_t nivelBase, int x)
{
    if (asa != EdicionNiveles::Negra && asa != EdicionNiveles::Blanca) return;
    const int16_t ch = modEngine::CanalActual;
    if (ch < 0 || ch >= modEngine::NumCanales) return;
    const bool entrada = nivelBase == 0;
    const int32_t v = EdicionNiveles::NivelArrastrado(
        x, Numeros::CLng(pic->ScaleWidth()), asa, entrada ? modEngine::EntradaNegro[ch] : modEngine::SalidaNegro[ch],
        entrada ? modEngine::EntradaBlanco[ch] : modEngine::SalidaBlanco[ch]);
    if (v < 0) return;
    modEngine::FijarNivel(ch, static_cast<int16_t>(nivelBase + asa), static_cast<int16_t>(v));
    AnotarCambioPulsacion();
    modEngine::RegenerarCurvaActual();
    RefreshSliders();
    MarcarPreviewSucio();
}

void frmEditarAplicarCurva::SliderMouseUp(int16_t &asa)
{
    tmrRender_->stop();
    asa = EdicionNiveles::Ninguna;
    mAntesPulsacion.reset();
    // The timer may have last drawn before the final move.
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::EmpezarPulsacion(bool conLinea)
{
    mAntesPulsacion = modEngine::TomarEstado();
    mPulsacionConLinea = conLinea;
    mPulsacionGuardada = false;
}

void frmEditarAplicarCurva::AnotarCambioPulsacion()
{
    if (!mAntesPulsacion || modEngine::MismoEstado(*mAntesPulsacion, modEngine::TomarEstado())) return;
    modEngine::GuardarDeshacer(*mAntesPulsacion);
    mAntesPulsacion.reset();
    mPulsacionGuardada = true;
    if (!mPulsacionConLinea) return;
    AgregarHistorial(QStringLiteral("Curva ") + NombreCanal(modEngine::CanalActual));
    ActualizarBotonDeshacer();
}

void frmEditarAplicarCurva::picSliderIn_MouseDown(Qt::MouseButton boton, int x, int)
{
    SliderMouseDown(picSliderIn_, mArrastreEntrada, 0, boton, x);
}

void frmEditarAplicarCurva::picSliderIn_MouseMove(Qt::MouseButtons, int x, int)
{
    SliderMouseMove(picSliderIn_, mArrastreEntrada, 0, x);
}

void frmEditarAplicarCurva::picSliderIn_MouseUp(Qt::MouseButton, int, int) { SliderMouseUp(mArrastreEntrada); }

void frmEditarAplicarCurva::picSliderOut_MouseDown(Qt::MouseButton boton, int x, int)
{
    SliderMouseDown(picSliderOut_, mArrastreSalida, 2, boton, x);
}

void frmEditarAplicarCurva::picSliderOut_MouseMove(Qt::MouseButtons, int x, int)
{
    SliderMouseMove(picSliderOut_, mArrastreSalida, 2, x);
}

void frmEditarAplicarCurva::picSliderOut_MouseUp(Qt::MouseButton, int, int) { SliderMouseUp(mArrastreSalida); }

// --- histogram cursor ---

void frmEditarAplicarCurva::picHist_MouseMove(Qt::MouseButtons, int x, int)
{
    const int32_t w = Numeros::CLng(picHist_->ScaleWidth());
    if (w == 0) return;
    const int32_t pos = CursorHistograma::Posicion(x, w);
    Superficie &s = picHist_->S();
    if (mCursorHist >= 0) CursorHistograma::Invertir(s, mCursorHist);
    CursorHistograma::Invertir(s, pos);
    mCursorHist = static_cast<int16_t>(pos);
    picHist_->Refresh();
}

// --- channels, negation, reset, undo ---

void frmEditarAplicarCurva::ElegirCanal(QRadioButton *boton, int16_t canal)
{
    if (!boton->isChecked()) return;
    modEngine::CanalActual = canal;
    modEngine::RegenerarCurvaActual();
    RefreshSliders();
    RedibujarCurvaEHistograma();
}

void frmEditarAplicarCurva::optRGB_Click() { ElegirCanal(optRGB_, 0); }
void frmEditarAplicarCurva::optR_Click() { ElegirCanal(optR_, 1); }
void frmEditarAplicarCurva::optG_Click() { ElegirCanal(optG_, 2); }
void frmEditarAplicarCurva::optB_Click() { ElegirCanal(optB_, 3); }

void frmEditarAplicarCurva::chkNegar_Click()
{
    using namespace modEngine;
    Conservado &k = K();
    const int16_t ch = CanalActual;
    if (ch < 0 || ch >= NumCanales) return;
    if (mCurvaRecibida ? k.NumPuntosCurva < 2 : NumPuntos[ch] < 2) return;

    const bool negada = chkNegar_->checkState() == Qt::Checked;
    GuardarDeshacer();
    AgregarHistorial(negada ? QStringLiteral("Negar curva") : QStringLiteral("Restaurar curva"));
    ActualizarBotonDeshacer();

    if (mCurvaRecibida) {
        // The master curve becomes the kept copy, mirrored; edits to the
        // master since it came are replaced (the snapshot holds them).
        k.NegarCurva();
        CanalActual = 0;
        MostrarEstadoMotor();
        k.PonerCurvaEnMaestra();
    } else {
        const int n = std::min<int>(NumPuntos[ch], MaxPuntos);
        for (int i = 0; i < n; ++i) PuntoY[ch][i] = static_cast<int16_t>(255 - PuntoY[ch][i]);
    }

    RegenerarCurvaActual();
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::cmdReset_Click()
{
    using namespace modEngine;
    ReiniciarCurvas();
    // The counter went back to 0 and could match what the preview shows.
    modImage::InvalidarCachePreview();
    for (int16_t ch = 0; ch < NumCanales; ++ch) {
        FijarNivel(ch, 0, 0);
        FijarNivel(ch, 1, 255);
        FijarNivel(ch, 2, 0);
        FijarNivel(ch, 3, 255);
    }
    K().Historial.Vaciar();
    lstHistorial_->clear();
    // The channel and curve type buttons show what the engine now holds.
    MostrarEstadoMotor();

    mCurvaRecibida = false;
    RegenerarCurvaActual();
    ActualizarBotonDeshacer();
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::cmdUndo_Click()
{
    if (modEngine::NumeroDeshacer() == 0) return;
    modEngine::Deshacer();
    QuitarUltimoHistorial();
    modEngine::RegenerarCurvaActual();
    ActualizarBotonDeshacer();
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::lstHistorial_Click()
{
    Conservado &k = K();
    if (k.SinEventoHistorial) return;
    // With lines after the clicked one but an empty ring, nothing is undone
    // and the list still shows where the history stands.
    const int32_t pasos = SaltoHistorial::Pasos(lstHistorial_->currentRow(), k.Historial.Num(),
                                                modEngine::NumeroDeshacer());
    if (pasos < 0) return;
    for (int32_t i = 0; i < pasos; ++i) modEngine::Deshacer();
    k.Historial.Recortar(k.Historial.Num() - pasos);

    modEngine::RegenerarCurvaActual();
    ActualizarBotonDeshacer();
    RefrescarListaHistorial();
    MostrarCurvaCambiada();
}

int32_t frmEditarAplicarCurva::PixelACurvaX(int32_t px) const
{
    return LienzoCurva::PixelACurvaX(px, Numeros::CLng(picCurve_->ScaleWidth()));
}

int32_t frmEditarAplicarCurva::PixelACurvaY(int32_t py) const
{
    return LienzoCurva::PixelACurvaY(py, Numeros::CLng(picCurve_->ScaleHeight()));
}

// --- preview and view options ---

void frmEditarAplicarCurva::optOriginal_Click()
{
    if (!optOriginal_->isChecked()) return;
    mVerCurvaAplicada = false;
    if (modImage::HayMuestra) RefrescarVistaPrevia();
}

void frmEditarAplicarCurva::optCurvaAplicada_Click()
{
    if (!optCurvaAplicada_->isChecked()) return;
    mVerCurvaAplicada = true;
    if (modImage::HayMuestra) {
        K().PreviewSucio = true;
        RefrescarVistaPrevia();
    }
}

void frmEditarAplicarCurva::SincronizarOpcionesInversion()
{
    modImage::InvertirTonos = chkInvertirTonos_->checkState() != Qt::Unchecked;
    modImage::InvertirHorizontal = chkInvertirHorizontal_->checkState() != Qt::Unchecked;
}

bool frmEditarAplicarCurva::HayInversionActiva() const
{
    return chkInvertirTonos_->checkState() != Qt::Unchecked || chkInvertirHorizontal_->checkState() != Qt::Unchecked;
}

void frmEditarAplicarCurva::AplicarCambioInversion()
{
    SincronizarOpcionesInversion();
    K().PreviewSucio = true;
    RefrescarVistaPrevia();
}

void frmEditarAplicarCurva::RefrescarVistaPrevia()
{
    SincronizarOpcionesInversion();
    if (!modImage::HayMuestra) return;
    if (mVerCurvaAplicada) modImage::DibujarVistaConCurva(picMuestra_);
    else modImage::DibujarVistaOriginal(picMuestra_);
    const bool habilitar = (!EsCurvaIdentidad() || HayInversionActiva()) && mVerCurvaAplicada;
    cmdGuardarImagenCurva_->setEnabled(habilitar);
    cmdImprimirImagenCurva_->setEnabled(habilitar);
}

bool frmEditarAplicarCurva::PreviewSucio() const { return K().PreviewSucio; }

void frmEditarAplicarCurva::MarcarPreviewSucio() { K().PreviewSucio = true; }

// --- history, undo and export buttons ---

const HistorialEdicion &frmEditarAplicarCurva::Historial() const { return K().Historial; }

void frmEditarAplicarCurva::AgregarHistorial(const QString &texto)
{
    K().Historial.Agregar(texto);
    RefrescarListaHistorial();
}

void frmEditarAplicarCurva::QuitarUltimoHistorial()
{
    K().Historial.QuitarUltimo();
    RefrescarListaHistorial();
}

void frmEditarAplicarCurva::RefrescarListaHistorial()
{
    // The list's own selection changes while it is refilled are not clicks.
    Conservado &k = K();
    k.SinEventoHistorial = true;
    lstHistorial_->clear();
    lstHistorial_->addItems(k.Historial.Lineas());
    if (lstHistorial_->count() >= 1) lstHistorial_->setCurrentRow(lstHistorial_->count() - 1);
    k.SinEventoHistorial = false;
}

void frmEditarAplicarCurva::ActualizarBotonDeshacer()
{
    // Spanish in both languages, as the count is only ever shown here.
    const int n = modEngine::NumeroDeshacer();
    if (n < 1) {
        cmdUndo_->setText(QStringLiteral("Deshacer (0)"));
        cmdUndo_->setEnabled(false);
    } else {
        cmdUndo_->setText(QStringLiteral("Deshacer (") + QString::number(n) + QStringLiteral(")"));
        cmdUndo_->setEnabled(true);
    }
}

bool frmEditarAplicarCurva::HayCurvaParaGrabar() const
{
    if (EsCurvaIdentidad()) return false;
    for (int ch = 0; ch < modEngine::NumCanales; ++ch)
        if (modEngine::NumPuntos[ch] >= 2) return true;
    return false;
}

void frmEditarAplicarCurva::ActualizarBotonExportar() { cmdExportACV_->setEnabled(HayCurvaParaGrabar()); }

// --- progress window ---

void frmEditarAplicarCurva::MostrarProgreso(const QString &mensaje) { frmProgresoCarga::Mostrar(mensaje); }

void frmEditarAplicarCurva::CerrarProgreso() { frmProgresoCarga::Descargar(); }

// --- sample image and curve files ---

QString frmEditarAplicarCurva::DialogoAbrirArchivo(const QString &titulo, const QList<Dialogos::Filtro> &filtro,
                                                   const QString &extDef, const QString &clave)
{
    Dialogos::Peticion p;
    p.guardar = false;
    p.titulo = titulo;
    p.filtros = filtro;
    p.extensionDefecto = extDef;
    p.owner = this;
    return clave.isEmpty() ? Dialogos::Mostrar(p) : modAppState::DialogoConCarpeta(p, clave);
}

QString frmEditarAplicarCurva::DialogoGuardarArchivo(const QString &titulo, const QList<Dialogos::Filtro> &filtro,
                                                     const QString &extDef, const QString &nombreDef,
                                                     const QString &clave)
{
    Dialogos::Peticion p;
    p.guardar = true;
    p.titulo = titulo;
    p.filtros = filtro;
    p.extensionDefecto = extDef;
    p.nombreArchivo = nombreDef;
    // A name given without the extension gets it, and an existing file of
    // the new name is asked about before it is replaced.
    modAppState::ForzarExtension(p);
    p.owner = this;
    return clave.isEmpty() ? Dialogos::Mostrar(p) : modAppState::DialogoConCarpeta(p, clave);
}

void frmEditarAplicarCurva::ActualizarInfoImagen()
{
    const int32_t w = modImage::AnchoMuestra, h = modImage::AltoMuestra;
    const double dx = modImage::DpiX(), dy = modImage::DpiY();
    lblPixels_->setText(InfoImagen::TextoPixeles(w, h));
    lblMedidas_->setText(InfoImagen::TextoMedidas(w, h, dx, dy));
    lblResolucion_->setText(InfoImagen::TextoResolucion(dx, dy));
    lblEspacioColor_->setText(InfoImagen::TextoEspacioColor(modImage::DescripcionPerfilICC()));
}

void frmEditarAplicarCurva::cmdCargarImagenAProcesar_Click()
{
    if (GuardaOcupado::Activo()) return;
    const QString ruta = DialogoAbrirArchivo(
        T(QStringLiteral("Seleccionar imagen de muestra"), QStringLiteral("Select sample image")),
        {{QStringLiteral("Imagenes (*.bmp;*.jpg;*.jpeg;*.png;*.tif)"),
          QStringLiteral("*.bmp;*.jpg;*.jpeg;*.png;*.tif;*.tiff")},
         {QStringLiteral("Todos (*.*)"), QStringLiteral("*.*")}},
        QStringLiteral("jpg"), QStringLiteral("Imagen"));
    if (ruta.isEmpty()) return;

    bool cargada = false;
    try {
        GuardaOcupado ocupado;
        modImage::LeerInfoImagen(ruta);
        MostrarProgreso(T(QStringLiteral("Cargando imagen de muestra..."), QStringLiteral("Loading sample image...")));
        cargada = modImage::CargarMuestra(ruta, picMuestra_);
        // Path and panel describe the file only once its pixels are in: a
        // failed load leaves the earlier sample described and shown.
        if (cargada) {
            lblFichImag_->setText(ruta);
            lblFichImag_->setToolTip(ruta);
            ActualizarInfoImagen();
        }
        modImage::ConstruirVistaPrevia(picMuestra_);
        modImage::CalcularHistogramasVista();
        CerrarProgreso();
    } catch (const std::exception &e) {
        CerrarProgreso();
        MsgBox::Mostrar(T(QStringLiteral("Error al cargar la imagen: "), QStringLiteral("Error loading image: ")) +
                            QString::fromLocal8Bit(e.what()),
                        MsgBox::Exclamation, QString(), this);
        return;
    }

    if (cargada && modImage::DescripcionPerfilOrigen() == QStringLiteral("CMYK")) {
        const QString dos = QStringLiteral("\r\n\r\n");
        MsgBox::Mostrar(
            T(QStringLiteral("La imagen cargada es CMYK."), QStringLiteral("The loaded image is CMYK.")) + dos +
                T(QStringLiteral("Se ha convertido automáticamente a RGB para poder editarla y previsualizarla."),
                  QStringLiteral("It was converted automatically to RGB so it can be edited and previewed.")) +
                dos +
                T(QStringLiteral("El archivo guardado también se guardará en RGB."),
                  QStringLiteral("The saved file will also be stored as RGB.")),
            MsgBox::Information, T(QStringLiteral("Conversión CMYK a RGB"), QStringLiteral("CMYK to RGB conversion")),
            this);
    }
    RefrescarVistaPrevia();
    RedibujarCurvaEHistograma();
}

void frmEditarAplicarCurva::cmdImportACV_Click()
{
    using namespace modEngine;
    if (GuardaOcupado::Activo()) return;
    const QString ruta = DialogoAbrirArchivo(QStringLiteral("Importar curva"),
                                             {{QStringLiteral("Curvas Photoshop (*.acv;*.amp)"), QStringLiteral("*.acv;*.amp")},
                                              {QStringLiteral("Todos (*.*)"), QStringLiteral("*.*")}},
                                             QStringLiteral("acv"), QStringLiteral("Curva"));
    if (ruta.isEmpty()) return;

    GuardarDeshacer();
    const bool ok = RutasCurva::EsAMP(ruta) ? ImportarCurvaAMP(ruta) : ImportarCurvaACV(ruta);
    if (!ok) {
        // The importer has reported and put the curve back as it was.
        ActualizarBotonDeshacer();
        return;
    }
    AgregarHistorial(QStringLiteral("Import Curva"));
    ActualizarBotonDeshacer();

    Conservado &k = K();
    k.TomarCurvaDeMaestra();
    mCurvaRecibida = true;
    if (chkNegar_->checkState() == Qt::Checked) {
        k.NegarCurva();
        k.PonerCurvaEnMaestra();
    }

    ComponerLUTs();
    MostrarEstadoMotor();
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::cmdExportACV_Click()
{
    if (GuardaOcupado::Activo()) return;
    if (!HayCurvaParaGrabar()) {
        MsgBox::Mostrar(QStringLiteral("No hay una curva generada, cargada o editada para grabar."), MsgBox::Information,
                        QString(), this);
        ActualizarBotonExportar();
        return;
    }
    QString ruta = DialogoGuardarArchivo(QStringLiteral("Exportar curva ACV"),
                                         {{QStringLiteral("Curves Photoshop (*.acv)"), QStringLiteral("*.acv")}},
                                         QStringLiteral("acv"), QStringLiteral("Curva_Generada"), QStringLiteral("Curva"));
    if (ruta.isEmpty()) return;
    ruta = RutasCurva::ConExtensionACV(ruta);
    // The writer reports its own failure and leaves an old file whole.
    if (!modEngine::ExportarCurvaACV(ruta)) return;
    MsgBox::Mostrar(QStringLiteral("Curva exportada a:\r\n") + ruta, MsgBox::Information, QString(), this);
}

int16_t frmEditarAplicarCurva::NumPuntosCurva() const { return K().NumPuntosCurva; }
int16_t frmEditarAplicarCurva::CurvaX(int i) const { return i >= 0 && i < modEngine::MaxPuntos ? K().CurvaX[i] : 0; }
int16_t frmEditarAplicarCurva::CurvaY(int i) const { return i >= 0 && i < modEngine::MaxPuntos ? K().CurvaY[i] : 0; }
