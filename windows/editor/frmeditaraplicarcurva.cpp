// The curve editor's construction: the controls, their layout and wiring,
// the first load, closing and the language. The rest of the class lives
// beside it: raton.cpp (mouse editing and the render timer), cambioscurva.cpp
// (curve hand-over, channels, negation, reset, undo and history), vista.cpp
// (canvas, sliders, output histogram and preview), archivos.cpp (sample image
// and curve files), guardarprocesada.cpp and imprimirprocesada.cpp (output).

#include "windows/editor/frmeditaraplicarcurva.h"

#include "app/estilo.h"
#include "app/idioma.h"
#include "curves/curvas.h"
#include "imaging/preview.h"
#include "platform/colorref.h"
#include "platform/controles.h"
#include "platform/picturebox.h"
#include "platform/progress.h"
#include "windows/editor/conservado.h"

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
    Conservado::Instancia().Historial.Vaciar();
    Conservado::Instancia().PasoConLinea = 0;
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
    // A generated curve waiting to be handed over keeps its undo line.
    SincronizarLineaGenerada();
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
