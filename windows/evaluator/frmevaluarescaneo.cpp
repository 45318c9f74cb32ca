#include "windows/evaluator/frmevaluarescaneo.h"

#include "app/appstate.h"
#include "app/estilo.h"
#include "app/idioma.h"
#include "app/mdiform1.h"
#include "app/progreso.h"
#include "curves/archivoscurva.h"
#include "curves/curvas.h"
#include "curves/traspaso.h"
#include "imaging/cargar.h"
#include "imaging/medicion.h"
#include "platform/colorref.h"
#include "platform/controles.h"
#include "platform/filedialogs.h"
#include "platform/msgbox.h"
#include "platform/numbers.h"
#include "platform/progress.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>
#include <exception>
#include <optional>

using Numeros::CLng;

namespace {

// The scan box and the curve box, in pixels.
constexpr int kCajaAncho = 520;
constexpr int kCajaAlto = 520;
constexpr int kCurvaLado = 256;

const QString kAyudaRejilla = QStringLiteral("Arrastra la rejilla con el raton\nCursores: mover  |  Inicio: reset");
// A sample line at its usual widest.
const QString kLineaMasLarga = QStringLiteral("Muestra 100%  Raw=255.0  Corr=255.0  Norm=255");

// The pictures of the grid buttons.
enum class Dibujo { Izquierda, Derecha, Arriba, Abajo, Reiniciar, Agrandar, Reducir };

QIcon Icono(Dibujo d)
{
    QPixmap px(20, 20);
    px.fill(Qt::transparent);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 30, 30), 2));
    p.setBrush(QColor(30, 30, 30));
    auto flecha = [&](QPointF a, QPointF b, QPointF c) {
        QPainterPath path;
        path.moveTo(a);
        path.lineTo(b);
        path.lineTo(c);
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (d) {
    case Dibujo::Izquierda: flecha({4, 10}, {15, 3}, {15, 17}); break;
    case Dibujo::Derecha: flecha({16, 10}, {5, 3}, {5, 17}); break;
    case Dibujo::Arriba: flecha({10, 4}, {3, 15}, {17, 15}); break;
    case Dibujo::Abajo: flecha({10, 16}, {3, 5}, {17, 5}); break;
    case Dibujo::Reiniciar:
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(10, 10), 6, 6);
        p.drawLine(QPointF(10, 4), QPointF(10, 10));
        break;
    case Dibujo::Agrandar:
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3, 3, 14, 14));
        break;
    case Dibujo::Reducir:
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(7, 7, 6, 6));
        break;
    }
    return QIcon(px);
}

int CodigoTecla(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Left: return Evaluador::TeclaIzquierda;
    case Qt::Key_Right: return Evaluador::TeclaDerecha;
    case Qt::Key_Up: return Evaluador::TeclaArriba;
    case Qt::Key_Down: return Evaluador::TeclaAbajo;
    case Qt::Key_Home: return Evaluador::TeclaInicio;
    default: return 0;
    }
}

QString Formato01(double v)
{
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    return loc.toString(v, 'f', 1);
}

} // namespace

namespace Evaluador {

void DibujarCurva(Superficie &s, bool conCurva)
{
    const int w = s.ScaleWidth(), h = s.ScaleHeight();
    s.Cls();
    s.DrawWidth = 1;
    const uint32_t rejilla = ColorRef::Gris(48);
    for (int i = 1; i <= 3; ++i) {
        const int x = CLng(i / 4.0 * (w - 12)) + 6;
        const int y = CLng(i / 4.0 * (h - 12)) + 6;
        s.Line(x, 6, x, h - 6, rejilla);
        s.Line(6, y, w - 6, y, rejilla);
    }
    s.Line(6, h - 6, w - 6, 6, ColorRef::Gris(80));
    if (!conCurva) return;

    const uint8_t *t = modEngine::LutR;
    uint32_t color = ColorRef::RGB(255, 255, 255);
    switch (modEngine::CanalActual) {
    case 1: color = ColorRef::RGB(255, 96, 96); break;
    case 2: t = modEngine::LutG; color = ColorRef::RGB(96, 192, 96); break;
    case 3: t = modEngine::LutB; color = ColorRef::RGB(64, 128, 255); break;
    default: break;
    }
    s.DrawWidth = 2;
    int px = 6, py = (h - 6) - CLng(t[0] / 255.0 * (h - 12));
    for (int i = 1; i <= 255; ++i) {
        const int x = CLng(i / 255.0 * (w - 12)) + 6;
        const int y = (h - 6) - CLng(t[i] / 255.0 * (h - 12));
        s.Line(px, py, x, y, color);
        px = x;
        py = y;
    }
    s.DrawWidth = 1;
}

} // namespace Evaluador

frmEvaluarEscaneo::frmEvaluarEscaneo(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmEvaluarEscaneo"));
    setWindowTitle(QStringLiteral("Evaluar escaneo y generar curva"));
    Estilo::AplicarOscuro(this);

    cmdCargarEscaneo_ = Control<QPushButton>(this, "cmdCargarEscaneo");
    lblCartaTitulo_ = Control<QLabel>(this, "lblCartaTitulo");
    picCartaGris_ = CajaDibujo(this, "picCartaGris", kCajaAncho, kCajaAlto, 0);
    chkMostrarAreasAnalizar_ = Control<QCheckBox>(this, "chkMostrarAreasAnalizar");
    cmdIzquierda_ = Control<QPushButton>(this, "cmdIzquierda");
    cmdDerecha_ = Control<QPushButton>(this, "cmdDerecha");
    cmdArriba_ = Control<QPushButton>(this, "cmdArriba");
    cmdAbajo_ = Control<QPushButton>(this, "cmdAbajo");
    cmdReiniciar_ = Control<QPushButton>(this, "cmdReiniciar");
    cmdAgrandar_ = Control<QPushButton>(this, "cmdAgrandar");
    cmdReducir_ = Control<QPushButton>(this, "cmdReducir");
    lblRejilla_ = Control<QLabel>(this, "lblRejilla");
    // The hint's two lines keep their place while it is hidden, so nothing
    // below it moves when it appears.
    lblRejilla_->setText(kAyudaRejilla);
    QSizePolicy reservado = lblRejilla_->sizePolicy();
    reservado.setRetainSizeWhenHidden(true);
    lblRejilla_->setSizePolicy(reservado);
    optMedia_ = Control<QRadioButton>(this, "optMedia");
    optMediana_ = Control<QRadioButton>(this, "optMediana");
    optPercentiles_ = Control<QRadioButton>(this, "optPercentiles");
    cmdGenerarCurva_ = Control<QPushButton>(this, "cmdGenerarCurva");
    lblInfoTitulo_ = Control<QLabel>(this, "lblInfoTitulo");
    lstMuestras_ = Control<QListWidget>(this, "lstMuestras");
    // The sample lines in columns, the list as wide as a full line.
    lstMuestras_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    lstMuestras_->setMinimumWidth(lstMuestras_->fontMetrics().horizontalAdvance(kLineaMasLarga) +
                                  2 * lstMuestras_->frameWidth() +
                                  style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 12);
    lblResultado_ = Control<QLabel>(this, "lblResultado");
    lblResultado_->setText(QStringLiteral("Rango dinámico: -"));
    picCurve_ = CajaDibujo(this, "picCurve", kCurvaLado, kCurvaLado, 0x141414);
    cmdGrabaCurva_ = Control<QPushButton>(this, "cmdGrabaCurva");
    cmdEnviarCurvaEditor_ = Control<QPushButton>(this, "cmdEnviarCurvaEditor");

    const std::pair<QPushButton *, Dibujo> dibujos[] = {
        {cmdIzquierda_, Dibujo::Izquierda}, {cmdDerecha_, Dibujo::Derecha},     {cmdArriba_, Dibujo::Arriba},
        {cmdAbajo_, Dibujo::Abajo},         {cmdReiniciar_, Dibujo::Reiniciar}, {cmdAgrandar_, Dibujo::Agrandar},
        {cmdReducir_, Dibujo::Reducir}};
    for (const auto &[b, d] : dibujos) {
        b->setIcon(Icono(d));
        b->setFixedSize(32, 28);
    }

    // Layout: the scan on the left, controls and results on the right.
    auto *botones = new QGridLayout;
    botones->addWidget(cmdArriba_, 0, 1);
    botones->addWidget(cmdIzquierda_, 1, 0);
    botones->addWidget(cmdReiniciar_, 1, 1);
    botones->addWidget(cmdDerecha_, 1, 2);
    botones->addWidget(cmdAbajo_, 2, 1);
    botones->addWidget(cmdReducir_, 0, 3);
    botones->addWidget(cmdAgrandar_, 2, 3);

    auto *metodos = new QHBoxLayout;
    metodos->addWidget(optMedia_);
    metodos->addWidget(optMediana_);
    metodos->addWidget(optPercentiles_);

    auto *izquierda = new QVBoxLayout;
    izquierda->addWidget(cmdCargarEscaneo_);
    izquierda->addWidget(lblCartaTitulo_);
    izquierda->addWidget(picCartaGris_);
    izquierda->addStretch(1);

    auto *derecha = new QVBoxLayout;
    derecha->addWidget(chkMostrarAreasAnalizar_);
    derecha->addLayout(botones);
    derecha->addWidget(lblRejilla_);
    derecha->addLayout(metodos);
    derecha->addWidget(cmdGenerarCurva_);
    derecha->addWidget(lblInfoTitulo_);
    derecha->addWidget(lstMuestras_, 1);
    derecha->addWidget(lblResultado_);
    derecha->addWidget(picCurve_);
    auto *envio = new QHBoxLayout;
    envio->addWidget(cmdGrabaCurva_);
    envio->addWidget(cmdEnviarCurvaEditor_);
    derecha->addLayout(envio);

    auto *principal = new QHBoxLayout(this);
    principal->addLayout(izquierda);
    principal->addLayout(derecha);

    connect(cmdCargarEscaneo_, &QPushButton::clicked, this, [this] { cmdCargarEscaneo_Click(); });
    connect(cmdGenerarCurva_, &QPushButton::clicked, this, [this] { cmdGenerarCurva_Click(); });
    connect(cmdGrabaCurva_, &QPushButton::clicked, this, [this] { cmdGrabaCurva_Click(); });
    connect(cmdEnviarCurvaEditor_, &QPushButton::clicked, this, [this] { cmdEnviarCurvaEditor_Click(); });
    connect(chkMostrarAreasAnalizar_, &QCheckBox::toggled, this, [this] { chkMostrarAreasAnalizar_Click(); });
    connect(cmdIzquierda_, &QPushButton::clicked, this, [this] { MoverRejilla(Evaluador::TeclaIzquierda); });
    connect(cmdDerecha_, &QPushButton::clicked, this, [this] { MoverRejilla(Evaluador::TeclaDerecha); });
    connect(cmdArriba_, &QPushButton::clicked, this, [this] { MoverRejilla(Evaluador::TeclaArriba); });
    connect(cmdAbajo_, &QPushButton::clicked, this, [this] { MoverRejilla(Evaluador::TeclaAbajo); });
    connect(cmdReiniciar_, &QPushButton::clicked, this, [this] { MoverRejilla(Evaluador::TeclaInicio); });
    connect(cmdAgrandar_, &QPushButton::clicked, this, [this] {
        if (Evaluador::Agrandar(rejilla_)) RedibujarRejilla();
    });
    connect(cmdReducir_, &QPushButton::clicked, this, [this] {
        if (Evaluador::Reducir(rejilla_)) RedibujarRejilla();
    });
    connect(picCartaGris_, &PictureBox::MouseDown, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) { picCartaGris_MouseDown(b, x, y); });
    connect(picCartaGris_, &PictureBox::MouseMove, this,
            [this](Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y) { picCartaGris_MouseMove(x, y); });
    connect(picCartaGris_, &PictureBox::MouseUp, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { picCartaGris_MouseUp(); });

    // The window sees the keys whichever of its controls has the focus.
    for (QWidget *w : findChildren<QWidget *>()) w->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);

    // Form load.
    Ventanas::Registrar(this);
    rejilla_.Reiniciar();
    arrastre_ = {};
    escaneoCargado_ = false;
    curvaGenerada_ = false;
    modEngine::AsegurarCurvasIniciadas();
    modEngine::RegenerarCurvaActual();
    RedibujarCurva();
    cmdGenerarCurva_->setEnabled(false);
    cmdGrabaCurva_->setEnabled(false);
    cmdEnviarCurvaEditor_->setEnabled(false);
    HabilitarBotonesRejilla(false);
    rejilla_.MitadLadoMuestra = Evaluador::MitadLadoInicial;
    lblRejilla_->setVisible(false);
    if (!optMedia_->isChecked() && !optMediana_->isChecked() && !optPercentiles_->isChecked())
        optMediana_->setChecked(true);
    AplicarIdioma();
}

frmEvaluarEscaneo::~frmEvaluarEscaneo() { Ventanas::Quitar(this); }

void frmEvaluarEscaneo::AplicarIdioma()
{
    setWindowTitle(T(QStringLiteral("Evaluar escaneo y generar curva"), QStringLiteral("Evaluate scan and generate curve")));
    cmdCargarEscaneo_->setText(T(QStringLiteral("Cargar escaneo"), QStringLiteral("Load scan")));
    cmdGenerarCurva_->setText(T(QStringLiteral("Generar curva"), QStringLiteral("Generate curve")));
    cmdGrabaCurva_->setText(T(QStringLiteral("Grabar curva"), QStringLiteral("Save curve")));
    cmdEnviarCurvaEditor_->setText(T(QStringLiteral("Enviar curva a editor"), QStringLiteral("Send curve to editor")));
    optMedia_->setText(T(QStringLiteral("Media"), QStringLiteral("Mean")));
    optMediana_->setText(T(QStringLiteral("Mediana"), QStringLiteral("Median")));
    optPercentiles_->setText(T(QStringLiteral("Percentiles"), QStringLiteral("Percentiles")));
    chkMostrarAreasAnalizar_->setText(T(QStringLiteral("Mostrar áreas a analizar"), QStringLiteral("Show sample areas")));
    cmdReducir_->setToolTip(T(QStringLiteral("Reducir tamaño"), QStringLiteral("Reduce size")));
    cmdAgrandar_->setToolTip(T(QStringLiteral("Ampliar tamaño"), QStringLiteral("Increase size")));
    lblCartaTitulo_->setText(T(QStringLiteral("Escaneo carta"), QStringLiteral("Chart scan")));
    lblInfoTitulo_->setText(T(QStringLiteral("Informacion de muestras"), QStringLiteral("Sample information")));
    if (!curvaGenerada_) lblResultado_->setText(T(QStringLiteral("Rango dinámico: -"), QStringLiteral("Dynamic range: -")));
}

int16_t frmEvaluarEscaneo::MetodoMuestreo() const
{
    if (optPercentiles_->isChecked()) return Evaluador::MetodoPercentiles;
    if (optMedia_->isChecked()) return Evaluador::MetodoMedia;
    return Evaluador::MetodoMediana;
}

Evaluador::Vista frmEvaluarEscaneo::VistaEscaneo() const
{
    Evaluador::Vista v;
    modImage::RectanguloVistaEscaneo(picCartaGris_->ScaleWidth(), picCartaGris_->ScaleHeight(), v.dx, v.dy, v.dw,
                                     v.dh);
    return v;
}

void frmEvaluarEscaneo::HabilitarBotonesRejilla(bool si)
{
    for (QPushButton *b : {cmdIzquierda_, cmdDerecha_, cmdArriba_, cmdAbajo_, cmdReiniciar_, cmdAgrandar_, cmdReducir_})
        b->setEnabled(si);
}

void frmEvaluarEscaneo::MostrarAyudaRejilla()
{
    lblRejilla_->setText(kAyudaRejilla);
    lblRejilla_->setVisible(chkMostrarAreasAnalizar_->isChecked());
}

// ---------------------------------------------------------------- loading

void frmEvaluarEscaneo::cmdCargarEscaneo_Click()
{
    if (GuardaOcupado::Activo()) return;
    Dialogos::Peticion p;
    p.titulo = QStringLiteral("Seleccionar escaneo de carta");
    p.filtros = {{QStringLiteral("Imagenes (*.bmp;*.jpg;*.tif;*.tiff;*.png;*.webp)"),
                  QStringLiteral("*.bmp;*.jpg;*.jpeg;*.tif;*.tiff;*.png;*.webp")},
                 {QStringLiteral("Todos (*.*)"), QStringLiteral("*.*")}};
    p.extensionDefecto = QStringLiteral("jpg");
    p.owner = this;
    const QString ruta = modAppState::DialogoConCarpeta(p, QStringLiteral("Escaneo"));
    if (ruta.isEmpty()) return;

    // Results of the earlier scan must not pass for this one's, whether or
    // not it loads.
    LimpiarResultados();
    // A failed load leaves the earlier scan in place and says why itself.
    bool cargado = false;
    try {
        SesionProgreso progreso(QStringLiteral("Cargando escaneo..."));
        cargado = modImage::CargarImagenEscaneo(ruta, picCartaGris_);
    } catch (const std::exception &e) {
        MsgBox::Mostrar(QStringLiteral("Error al cargar el escaneo: ") + QString::fromLocal8Bit(e.what()),
                        MsgBox::Exclamation, QString(), this);
        return;
    }
    if (!cargado) {
        // Repaint what was shown before.
        if (escaneoCargado_) RedibujarRejilla();
        return;
    }

    escaneoCargado_ = true;
    lblCartaTitulo_->setText(QStringLiteral("Escaneo: ") + QFileInfo(ruta).fileName());
    rejilla_.Reiniciar();
    chkMostrarAreasAnalizar_->setChecked(true);
    RedibujarRejilla();
    cmdGenerarCurva_->setEnabled(true);
    MostrarAyudaRejilla();
}

void frmEvaluarEscaneo::LimpiarResultados()
{
    muestras_ = {};
    puntos_ = {};
    curvaGenerada_ = false;
    lstMuestras_->clear();
    lblResultado_->setText(T(QStringLiteral("Rango dinámico: -"), QStringLiteral("Dynamic range: -")));
    Evaluador::DibujarCurva(picCurve_->S(), false);
    picCurve_->Refresh();
    cmdGrabaCurva_->setEnabled(false);
    cmdEnviarCurvaEditor_->setEnabled(false);
}

void frmEvaluarEscaneo::chkMostrarAreasAnalizar_Click()
{
    const bool marcado = chkMostrarAreasAnalizar_->isChecked();
    HabilitarBotonesRejilla(marcado);
    lblRejilla_->setVisible(escaneoCargado_ && marcado);
    if (escaneoCargado_) RedibujarRejilla();
}

// ---------------------------------------------------------------- the grid

void frmEvaluarEscaneo::RedibujarRejilla() { DibujarRejilla(); }

void frmEvaluarEscaneo::DibujarRejilla()
{
    if (!escaneoCargado_) return;
    const int32_t W = modImage::AnchoEscaneo, H = modImage::AltoEscaneo;
    if (W < 10 || H < 10) return;
    const Evaluador::Vista v = VistaEscaneo();
    if (v.Vacia()) return;

    modImage::PintarEscaneo(picCartaGris_->S());
    Superficie &s = picCartaGris_->S();
    s.DrawWidth = 1;
    const uint32_t gris = ColorRef::RGB(100, 100, 100);
    const Evaluador::GeometriaRejilla g = Evaluador::CalcularGeometriaRejilla(rejilla_, W, H);
    for (int i = 1; i <= 9; ++i) {
        const auto l = Evaluador::LineaVertical(g, v, W, H, i);
        s.Line(l.x1, l.y1, l.x2, l.y2, gris);
    }
    for (int i = 1; i <= 10; ++i) {
        const auto l = Evaluador::LineaHorizontal(g, v, W, H, i);
        s.Line(l.x1, l.y1, l.x2, l.y2, gris);
    }
    if (chkMostrarAreasAnalizar_->isChecked()) DibujarAreasMuestreo();
    picCartaGris_->Refresh();
}

void frmEvaluarEscaneo::DibujarAreasMuestreo()
{
    const int32_t W = modImage::AnchoEscaneo, H = modImage::AltoEscaneo;
    if (W < 10 || H < 10) return;
    const Evaluador::Vista v = VistaEscaneo();
    const Evaluador::GeometriaRejilla g = Evaluador::CalcularGeometriaRejilla(rejilla_, W, H);
    Superficie &s = picCartaGris_->S();
    s.DrawWidth = 1;
    const int32_t h = rejilla_.MitadLadoMuestra;
    for (int k = 0; k < Evaluador::NumParches; ++k) {
        const Evaluador::Punto c = Evaluador::CentroMuestra(rejilla_, g, W, H, k);
        const int32_t sx = Evaluador::CajaX(v, W, c.x), sy = Evaluador::CajaY(v, H, c.y);
        s.LineBox(sx - h, sy - h, sx + h, sy + h, ColorRef::RGB(255, 0, 0));
    }
}

void frmEvaluarEscaneo::MoverRejilla(int tecla)
{
    if (!escaneoCargado_) return;
    Evaluador::MoverRejilla(rejilla_, tecla);
    RedibujarRejilla();
}

void frmEvaluarEscaneo::AjustarMargenes(double dH, double dV)
{
    if (Evaluador::AjustarMargenes(rejilla_, dH, dV)) RedibujarRejilla();
}

void frmEvaluarEscaneo::Form_KeyDown(int tecla, bool shift)
{
    if (!escaneoCargado_) return;
    if (shift) {
        switch (tecla) {
        case Evaluador::TeclaIzquierda: AjustarMargenes(-Evaluador::PasoRejilla, 0); break;
        case Evaluador::TeclaDerecha: AjustarMargenes(Evaluador::PasoRejilla, 0); break;
        case Evaluador::TeclaArriba: AjustarMargenes(0, -Evaluador::PasoRejilla); break;
        case Evaluador::TeclaAbajo: AjustarMargenes(0, Evaluador::PasoRejilla); break;
        default: break;
        }
        return;
    }
    MoverRejilla(tecla);
}

void frmEvaluarEscaneo::keyPressEvent(QKeyEvent *e)
{
    const int tecla = CodigoTecla(e->key());
    if (tecla && escaneoCargado_) {
        Form_KeyDown(tecla, e->modifiers() & Qt::ShiftModifier);
        return;
    }
    QWidget::keyPressEvent(e);
}

bool frmEvaluarEscaneo::eventFilter(QObject *o, QEvent *e)
{
    // Grid keys reach the window before the focused control.
    if (e->type() == QEvent::KeyPress && escaneoCargado_) {
        auto *k = static_cast<QKeyEvent *>(e);
        const int tecla = CodigoTecla(k->key());
        if (tecla) {
            Form_KeyDown(tecla, k->modifiers() & Qt::ShiftModifier);
            return true;
        }
    }
    return QWidget::eventFilter(o, e);
}

void frmEvaluarEscaneo::picCartaGris_MouseDown(Qt::MouseButton boton, int x, int y)
{
    if (!escaneoCargado_ || boton != Qt::LeftButton) return;
    arrastre_.Empezar(x, y);
    picCartaGris_->setCursor(Qt::SizeAllCursor);
}

void frmEvaluarEscaneo::picCartaGris_MouseMove(int x, int y)
{
    if (!escaneoCargado_) return;
    if (arrastre_.Mover(rejilla_, x, y, VistaEscaneo())) RedibujarRejilla();
}

void frmEvaluarEscaneo::picCartaGris_MouseUp()
{
    arrastre_.Terminar();
    picCartaGris_->unsetCursor();
    RedibujarRejilla();
}

// ---------------------------------------------------------------- the curve

void frmEvaluarEscaneo::RedibujarCurva()
{
    Evaluador::DibujarCurva(picCurve_->S());
    picCurve_->Refresh();
}

void frmEvaluarEscaneo::cmdGenerarCurva_Click()
{
    if (GuardaOcupado::Activo()) return;
    if (!escaneoCargado_) {
        MsgBox::Mostrar(QStringLiteral("Primero cargue un escaneo de la carta."), MsgBox::Information, QString(), this);
        return;
    }
    lblRejilla_->setVisible(false);

    const auto informar = [](int p, const QString &t) { Progreso::Informar(t, p); };
    std::optional<SesionProgreso> progreso;
    progreso.emplace(QStringLiteral("Analizando carta..."));

    const Evaluador::ResultadoMuestreo res = Evaluador::MuestrearParches(
        rejilla_, modImage::AnchoEscaneo, modImage::AltoEscaneo, VistaEscaneo(), MetodoMuestreo(), 0, 80,
        [](int32_t x1, int32_t y1, int32_t x2, int32_t y2, double &r, double &g, double &b, int16_t m) {
            return modImage::MedirParche(x1, y1, x2, y2, r, g, b, m);
        },
        informar, [this](const QString &t) { MsgBox::Mostrar(t, MsgBox::Exclamation, QString(), this); },
        muestras_);
    if (!res.ok) {
        progreso.reset();
        MsgBox::Mostrar(res.error, MsgBox::Exclamation, QString(), this);
        return;
    }
    lstMuestras_->clear();
    lstMuestras_->addItems(res.lineas);

    informar(80, QStringLiteral("Generando curva... 80%"));
    const Evaluador::PuntosCurva puntos = Evaluador::GenerarPuntosCurva(muestras_.MuestraNormalizada, informar);
    if (puntos.NumPuntosCurva < 2) {
        progreso.reset();
        MsgBox::Mostrar(QStringLiteral("No se pudo calcular una curva válida. Verifique el escaneo."),
                        MsgBox::Exclamation, QString(), this);
        return;
    }

    puntos_ = puntos;
    modEngine::InstalarCurvaGenerada(puntos_.PuntoCurvaX, puntos_.PuntoCurvaY, puntos_.NumPuntosCurva);
    RedibujarCurva();
    curvaGenerada_ = true;
    cmdGrabaCurva_->setEnabled(true);
    cmdEnviarCurvaEditor_->setEnabled(true);
    modAppState::AvisarEditorCurvaGenerada();
    informar(100, QStringLiteral("Listo. ") + QString::number(puntos_.NumPuntosCurva) +
                      QStringLiteral(" puntos de curva generados."));
    progreso.reset();

    lblResultado_->setText(QStringLiteral("Rango dinámico: ") + Formato01(muestras_.MinCorregida) +
                           QStringLiteral(" - ") + Formato01(muestras_.MaxCorregida) + QStringLiteral("\nCurva: ") +
                           QString::number(puntos_.NumPuntosCurva) + QStringLiteral(" puntos"));
    RedibujarRejilla();
    MostrarAyudaRejilla();
}

void frmEvaluarEscaneo::cmdEnviarCurvaEditor_Click()
{
    if (!curvaGenerada_ || puntos_.NumPuntosCurva < 2) {
        cmdEnviarCurvaEditor_->setEnabled(false);
        return;
    }
    const QString nombre = QStringLiteral("frmEditarAplicarCurva");
    QWidget *w = Ventanas::Buscar(nombre);
    if (auto *e = dynamic_cast<EditorCurva *>(w)) {
        if (e->TieneCurvaCargada()) {
            const int r = MsgBox::Mostrar(QStringLiteral("El editor ya contiene una curva.\r\n"
                                                         "¿Desea sustituirla por la curva generada?"),
                                          MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2,
                                          QStringLiteral("Enviar curva a editor"), this);
            if (r != MsgBox::Yes) {
                // The editor keeps its curve: the one the generations replaced.
                if (modEngine::DevolverCurvaAnterior()) {
                    RedibujarCurva();
                    modAppState::AvisarEditorCurvaGenerada();
                }
                return;
            }
        }
    } else if (MDIForm1 *frame = MDIForm1::Instancia()) {
        w = frame->MostrarVentana(nombre);
    }
    auto *editor = dynamic_cast<EditorCurva *>(w);
    if (!editor) return;

    int xs[Evaluador::MaxPuntosCurva] = {}, ys[Evaluador::MaxPuntosCurva] = {};
    for (int k = 0; k < puntos_.NumPuntosCurva; ++k) {
        xs[k] = puntos_.PuntoCurvaX[k];
        ys[k] = puntos_.PuntoCurvaY[k];
    }
    editor->RecibirCurvaGenerada(xs, ys, puntos_.NumPuntosCurva);
    modEngine::CerrarTraspaso();
    if (MDIForm1 *frame = MDIForm1::Instancia()) frame->MostrarVentana(nombre);
    else {
        w->show();
        w->raise();
    }
}

void frmEvaluarEscaneo::cmdGrabaCurva_Click()
{
    if (!curvaGenerada_ || puntos_.NumPuntosCurva < 2) {
        MsgBox::Mostrar(QStringLiteral("No hay una curva generada para grabar."), MsgBox::Information, QString(), this);
        cmdGrabaCurva_->setEnabled(false);
        return;
    }
    Dialogos::Peticion p;
    p.guardar = true;
    p.titulo = QStringLiteral("Exportar curva ACV");
    p.filtros = {{QStringLiteral("Curves Photoshop (*.acv)"), QStringLiteral("*.acv")}};
    p.extensionDefecto = QStringLiteral("acv");
    p.nombreArchivo = QStringLiteral("Curva_Generada");
    // A name typed without ".acv" gets it, and an existing file of the new
    // name is asked about first.
    modAppState::ForzarExtension(p);
    p.owner = this;
    const QString ruta = modAppState::DialogoConCarpeta(p, QStringLiteral("Curva"));
    if (ruta.isEmpty()) return;

    // The generated curve, whatever the editor holds now.
    if (!modEngine::ExportarCurvaACV(ruta, Evaluador::ConCurvaGenerada(puntos_))) return; // the writer has said why
    MsgBox::Mostrar(QStringLiteral("Curva exportada a:\r\n") + ruta, MsgBox::Information, QString(), this);
}

void frmEvaluarEscaneo::closeEvent(QCloseEvent *e)
{
    // Never in the middle of a load or a sampling run.
    if (GuardaOcupado::Activo()) {
        e->ignore();
        return;
    }
    QWidget::closeEvent(e);
}
