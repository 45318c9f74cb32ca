#include "app/mdiform1.h"

#include "app/acercade.h"
#include "app/appstate.h"
#include "app/idioma.h"
#include "imaging/cargar.h"
#include "platform/files.h"
#include "platform/msgbox.h"
#include "platform/settings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>

namespace {

MDIForm1 *gFrame = nullptr;

// The MDI client area with the background picture centred on it.
class AreaConFondo : public QMdiArea {
public:
    using QMdiArea::QMdiArea;
    void Fondo(const QImage &img)
    {
        fondo_ = img;
        viewport()->update();
    }

protected:
    void paintEvent(QPaintEvent *e) override
    {
        QMdiArea::paintEvent(e);
        if (fondo_.isNull()) return;
        QPainter p(viewport());
        p.drawImage((viewport()->width() - fondo_.width()) / 2, (viewport()->height() - fondo_.height()) / 2,
                    fondo_);
    }

private:
    QImage fondo_;
};

} // namespace

MDIForm1::MDIForm1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral("ZOLV Halvora"));
    gFrame = this;
    area_ = new AreaConFondo(this);
    area_->setObjectName(QStringLiteral("AreaMDI"));
    setCentralWidget(area_);
    resize(1280, 860);
    FinPrograma = [] { QCoreApplication::quit(); };
    CrearMenus();
    Ventanas::Registrar(this);
    MDIForm_Load();
}

MDIForm1::~MDIForm1()
{
    Ventanas::Quitar(this);
    if (gFrame == this) gFrame = nullptr;
}

MDIForm1 *MDIForm1::Instancia() { return gFrame; }

void MDIForm1::CrearMenus()
{
    QMenuBar *mb = menuBar();
    auto separador = [mb](const char *nombre) {
        QAction *a = mb->addAction(QStringLiteral("|"));
        a->setObjectName(QString::fromLatin1(nombre));
    };
    auto entrada = [this, mb](const char *nombre, const QString &texto) {
        QAction *a = mb->addAction(texto);
        a->setObjectName(QString::fromLatin1(nombre));
        a->setParent(this);
        return a;
    };

    separador("mnuSeparador0");
    mnuGenerarCarta_ = entrada("mnuGenerarCarta", QStringLiteral("&Generar carta grises"));
    separador("mnuSeparador1");
    mnuCrearCurva_ = entrada("mnuCrearCurva", QStringLiteral("Evalua &escaneo y generar curva"));
    separador("mnuSeparador2");
    mnuEditarCurva_ = entrada("mnuEditarCurva", QStringLiteral("Editar &curva e imprimir imagen"));
    separador("mnuSeparadorIdioma");
    mnuIdioma_ = mb->addMenu(QStringLiteral("Idioma / Language"));
    mnuIdioma_->setObjectName(QStringLiteral("mnuIdioma"));
    mnuIdiomaEs_ = mnuIdioma_->addAction(QStringLiteral("Español"));
    mnuIdiomaEs_->setObjectName(QStringLiteral("mnuIdiomaEs"));
    mnuIdiomaEs_->setCheckable(true);
    mnuIdiomaEs_->setChecked(true);
    mnuIdiomaEn_ = mnuIdioma_->addAction(QStringLiteral("English"));
    mnuIdiomaEn_->setObjectName(QStringLiteral("mnuIdiomaEn"));
    mnuIdiomaEn_->setCheckable(true);
    separador("mnuSeparadorAyuda");
    mnuAyuda_ = mb->addMenu(QStringLiteral("&Ayuda"));
    mnuAyuda_->setObjectName(QStringLiteral("mnuAyuda"));
    mnuAyudaUso_ = mnuAyuda_->addAction(QStringLiteral("Cómo usar el programa"));
    mnuAyudaUso_->setObjectName(QStringLiteral("mnuAyudaUso"));
    separador("mnuSeparador3");
    mnuAcercaDe_ = entrada("mnuAcercaDe", QStringLiteral("&Acerca de..."));
    separador("mnuSeparador4");
    mnuSalir_ = entrada("mnuSalir", QStringLiteral("&Salir"));
    separador("mnuSeparadorFinal");

    connect(mnuGenerarCarta_, &QAction::triggered, this, [this] { MostrarVentana(QStringLiteral("frmGenerarCartaGrises")); });
    connect(mnuCrearCurva_, &QAction::triggered, this, [this] { MostrarVentana(QStringLiteral("frmEvaluarEscaneo")); });
    connect(mnuEditarCurva_, &QAction::triggered, this, [this] { MostrarVentana(QStringLiteral("frmEditarAplicarCurva")); });
    // The check mark follows the language, never the click itself.
    connect(mnuIdiomaEs_, &QAction::triggered, this, [this] { modIdioma::CambiarIdioma(QStringLiteral("es")); AplicarIdioma(); });
    connect(mnuIdiomaEn_, &QAction::triggered, this, [this] { modIdioma::CambiarIdioma(QStringLiteral("en")); AplicarIdioma(); });
    connect(mnuAyudaUso_, &QAction::triggered, this, [this] { MostrarManual(); });
    connect(mnuAcercaDe_, &QAction::triggered, this, [this] { MostrarVentana(QStringLiteral("frmAcercaDe")); });
    connect(mnuSalir_, &QAction::triggered, this, [this] { mnuSalir_Click(); });

    RegistrarVentana(QStringLiteral("frmAcercaDe"), [] { return new frmAcercaDe(); });
}

void MDIForm1::MDIForm_Load()
{
    CargarFondo();
    tituloApp_ = QStringLiteral("ZOLV Halvora");
    versionApp_ = QStringLiteral("1.01");
    copyrightApp_ = QStringLiteral("© 2026 ZOLV. Todos los derechos reservados / All rights reserved.");
    webApp_ = QStringLiteral("https://www.zolv.example/halvora");
    emailApp_ = QStringLiteral("halvora@zolv.example");
    modIdioma::CargarIdioma();
    AplicarIdioma();
    // What earlier runs left behind: scratch files, and saves a killed
    // program did not finish, which the user hears about once.
    modAppState::NuevaSesion();
    Archivos::LimpiarTemporales();
    modAppState::AvisarGuardadosInterrumpidos(this);
}

void MDIForm1::CargarFondo()
{
    const QString ruta = Archivos::CarpetaPrograma() + QStringLiteral("/imag/fondo_01.jpg");
    if (!QFileInfo(ruta).isFile()) return;
    QImageReader r(ruta);
    const QImage img = r.read();
    if (!img.isNull()) static_cast<AreaConFondo *>(area_)->Fondo(img);
}

void MDIForm1::ActualizarTitulo() { setWindowTitle(T(QStringLiteral("ZOLV Halvora"), QStringLiteral("ZOLV Halvora"))); }

void MDIForm1::AplicarIdioma()
{
    ActualizarTitulo();
    mnuGenerarCarta_->setText(T(QStringLiteral("&Generar carta grises"), QStringLiteral("&Generate grayscale chart")));
    mnuCrearCurva_->setText(T(QStringLiteral("Evaluar &escaneo y generar curva"), QStringLiteral("Evaluate &scan and generate curve")));
    mnuEditarCurva_->setText(T(QStringLiteral("Editar &curva e imprimir imagen"), QStringLiteral("Edit &curve and print image")));
    mnuIdioma_->setTitle(T(QStringLiteral("Idioma / Language"), QStringLiteral("Language / Idioma")));
    mnuIdiomaEs_->setText(T(QStringLiteral("Español"), QStringLiteral("Español")));
    mnuIdiomaEn_->setText(T(QStringLiteral("English"), QStringLiteral("English")));
    mnuAyuda_->setTitle(T(QStringLiteral("&Ayuda"), QStringLiteral("&Help")));
    mnuAyudaUso_->setText(T(QStringLiteral("Cómo usar el programa"), QStringLiteral("How to use the program")));
    mnuAcercaDe_->setText(T(QStringLiteral("&Acerca de..."), QStringLiteral("&About...")));
    mnuSalir_->setText(T(QStringLiteral("&Salir"), QStringLiteral("E&xit")));
    mnuIdiomaEs_->setChecked(modIdioma::Idioma == QStringLiteral("es"));
    mnuIdiomaEn_->setChecked(modIdioma::Idioma == QStringLiteral("en"));
}

void MDIForm1::RegistrarVentana(const QString &nombre, Fabrica f) { fabricas_[nombre] = std::move(f); }

QWidget *MDIForm1::MostrarVentana(const QString &nombre)
{
    QWidget *w = Ventanas::Buscar(nombre);
    if (!w) {
        auto it = fabricas_.find(nombre);
        if (it == fabricas_.end()) return nullptr;
        w = it->second();
        if (!w) return nullptr;
        w->setAttribute(Qt::WA_DeleteOnClose);
        // A window of fixed size (the About box) has no maximise button.
        const bool fija = w->layout() && w->layout()->sizeConstraint() == QLayout::SetFixedSize;
        QMdiSubWindow *sub =
            fija ? area_->addSubWindow(w, Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
                 : area_->addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget())) {
        // A window of fixed size (the About box) keeps its size even when the
        // active window is maximised.
        const bool fija = !(sub->windowFlags() & Qt::WindowMaximizeButtonHint);
        area_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, fija);
        sub->show();
        w->show();
        area_->setActiveSubWindow(sub);
        sub->raise();
        area_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, false);
    } else {
        w->show();
        w->raise();
        w->activateWindow();
    }
    return w;
}

void MDIForm1::DescargarVentana(QWidget *w)
{
    if (!w) return;
    // A window that refuses to close (a long operation running) stays loaded;
    // one that accepts is gone at once, so the list of loaded windows is
    // right as soon as this returns.
    QWidget *marco = qobject_cast<QMdiSubWindow *>(w->parentWidget()) ? w->parentWidget() : w;
    if (marco->close()) delete marco;
}

void MDIForm1::DescargarTodas()
{
    for (const auto &p : Ventanas::Cargadas())
        if (p && p.data() != this) DescargarVentana(p.data());
}

void MDIForm1::mnuSalir_Click()
{
    if (MsgBox::Mostrar(T(QStringLiteral("¿Desea salir de la aplicación?"), QStringLiteral("Do you want to exit the application?")),
                        MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2,
                        T(QStringLiteral("Salir"), QStringLiteral("Exit")), this) != MsgBox::Yes)
        return;
    hide();
    Terminar();
}

void MDIForm1::closeEvent(QCloseEvent *e)
{
    // The close box asks nothing: every window goes and the program ends.
    if (!saliendo_) Terminar();
    e->accept();
}

void MDIForm1::TerminarPorSenal()
{
    if (saliendo_) return;
    hide();
    Terminar(false);
}

void MDIForm1::Terminar(bool avisar)
{
    saliendo_ = true;
    DescargarTodas();
    // Settings the store could not take while the program ran.
    QString motivo;
    if (!Ajustes::GuardarPendientes(&motivo) && avisar) modAppState::AvisarAjustesNoGuardados(motivo, true);
    // The copy of the sample's embedded profile lives only as long as the run.
    modImage::BorrarPerfilICCTemporal();
    if (FinPrograma) FinPrograma();
}

void MDIForm1::MostrarManual()
{
    const QString base = Archivos::CarpetaPrograma() + QStringLiteral("/ayuda/");
    QString ruta = base + (modIdioma::Idioma == QStringLiteral("en") ? QStringLiteral("halvora_manual_en.html")
                                                                     : QStringLiteral("halvora_manual_es.html"));
    if (!QFileInfo(ruta).isFile()) ruta = base + QStringLiteral("halvora_manual_es.html");
    if (!QFileInfo(ruta).isFile()) return;
    // Without a browser or viewer the user is told where the manual is.
    QPointer<MDIForm1> yo(this);
    modDialogo::AbrirConShell(ruta, [yo, ruta] {
        MsgBox::Mostrar(T(QStringLiteral("No hay un navegador o visor con el que abrir el manual. "
                                         "Puede abrirlo usted desde:\r\n"),
                          QStringLiteral("There is no browser or viewer to open the manual with. "
                                         "You can open it yourself from:\r\n")) +
                            QDir::toNativeSeparators(ruta),
                        MsgBox::Information, T(QStringLiteral("Ayuda"), QStringLiteral("Help")), yo.data());
    });
}
