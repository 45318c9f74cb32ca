#include "support/estado.h"

#include "app/appstate.h"
#include "app/idioma.h"
#include "app/ventanas.h"
#include "curves/curvas.h"
#include "curves/motor.h"
#include "imaging/aplicar.h"
#include "imaging/cargar.h"
#include "imaging/modimage.h"
#include "imaging/preview.h"
#include "output/ajustesimpresora.h"
#include "output/cargalcms.h"
#include "output/dcimpresora.h"
#include "output/frmconfigimpresion.h"
#include "platform/filedialogs.h"
#include "platform/files.h"
#include "platform/memoria.h"
#include "platform/msgbox.h"
#include "platform/settings.h"
#include "platform/shell.h"
#include "windows/editor/conservado.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

void ReiniciarEstadoProceso()
{
    // Every array zero, as the program starts, until a window sets them up;
    // no run of generations, an empty ring.
    modEngine::ReiniciarCurvas();
    modEngine::PonerMotor(modEngine::EstadoMotor());
    modEngine::CurvasIniciadas = false;

    using namespace modImage;
    BorrarPerfilICCTemporal();
    HayEscaneo = HayMuestra = InvertirTonos = InvertirHorizontal = false;
    AnchoEscaneo = AltoEscaneo = PasoEscaneo = AnchoMuestra = AltoMuestra = PasoMuestra = 0;
    PixelesEscaneo.clear(), PixelesMuestra.clear(), PixelesMuestraOriginal.clear(), PixelesVista.clear();
    RutaMuestra.clear(), DescPerfilICC.clear(), DescPerfilOrigen.clear();
    DpiMuestraX = DpiMuestraY = 0;
    AnchoVista = AltoVista = PasoVista = XVista = YVista = VersionVista = 0;
    VistaInvertirTonos = VistaInvertirHorizontal = 0;
    std::memset(HistMuestra, 0, sizeof HistMuestra);
}

namespace {

QObject *&Guion()
{
    static QObject *g = nullptr;
    return g;
}

// Newest first, as closing the program would; MDI children go with their frame.
void DescargarVentanas()
{
    QList<QPointer<QWidget>> cargadas = Ventanas::Cargadas();
    std::reverse(cargadas.begin(), cargadas.end());
    for (const QPointer<QWidget> &v : cargadas) delete v.data();
    if (QCoreApplication::instance()) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The store only where the tests put it (test_main.cpp), never a user's.
void VaciarAjustes()
{
    Ajustes::GuardarPendientes();
    const QString ruta = Ajustes::RutaAlmacen();
    const QString propia = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (propia.isEmpty() || !QFileInfo(ruta).absoluteFilePath().startsWith(QDir(propia).absolutePath() + u'/')) return;
    QFile::remove(ruta);
    QFile::remove(ruta + QStringLiteral(".lock"));
}

int &Empezadas()
{
    static int n = 0;
    return n;
}

constexpr char kProgramaNuevo[] = "HALVORA_PROGRAMA_NUEVO";

} // namespace

void PruebaEmpezada() { ++Empezadas(); }

bool EnProgramaNuevo()
{
    const ::testing::TestInfo *prueba = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString nombre = QString::fromLatin1(prueba->test_suite_name()) + u'.' + QString::fromLatin1(prueba->name());
    if (Empezadas() <= 1 || qEnvironmentVariable(kProgramaNuevo) == nombre) return false;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kProgramaNuevo), nombre);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + nombre});
    const bool termino = p.waitForFinished(120000);
    const QString salida = QString::fromLocal8Bit(p.readAll());
    EXPECT_TRUE(termino && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 &&
                salida.contains(QStringLiteral("[  PASSED  ] 1 test.")))
        << "in a program of its own:\n" << salida.toStdString();
    if (!termino) p.kill(), p.waitForFinished();
    return true;
}

QObject *GuionDeLaPrueba()
{
    if (!Guion()) Guion() = new QObject;
    return Guion();
}

void ReiniciarPrograma()
{
    delete Guion();
    Guion() = nullptr;
    MsgBox::InstalarResponder({});
    Dialogos::InstalarResponder({});
    Shell::InstalarResponder({});
    DescargarVentanas();

    ReiniciarEstadoProceso();
    Conservado::Instancia() = Conservado();
    modImage::FijarHilosImagen(0), modImage::FijarRutaEscalar(false);
    Memoria::FijarDisponible(-1);
    Archivos::FijarCarpetaPrograma(QString());

    using namespace modImpresion;
    DevModeGuardado = DevMode();
    FijarDialogoAjustes({}), FijarCarpetaColor(QString()), FijarSalidaPDF(QString());
    FijarFalloDC(OperacionDC::IniciarDocumento, 0);
    frmConfigImpresion::FijarListaImpresoras(std::nullopt);
    modLCMS::FijarBusquedaSistema(true);
    modLCMS::lcms = modLCMS::Funciones();

    VaciarAjustes();
    modAppState::NuevaSesion();
    modIdioma::CargarIdioma();
}
