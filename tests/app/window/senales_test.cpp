// A signal (a logout, a shutdown, a closed terminal) while a window shows a
// real file dialog or message box, or while a box is open inside a running
// save: what is open closes as cancelled, the operation finishes its own way,
// and the program ends as Exit does: status 0, the pending setting written,
// the profile's copy and every scratch file gone, the file whole.

#include "app/idioma.h"
#include "app/mdiform1.h"
#include "app/senales.h"
#include "imaging/cargar.h"
#include "imaging/modimage.h"
#include "platform/settings.h"
#include "support/imagen.h"
#include "support/scripted.h"
#include "support/sistema.h"
#include "windows/chart/geometria.h"
#include "windows/registro.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QFileDialog>
#include <QLineEdit>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <memory>
#include <optional>

namespace {

const QByteArray kViejo = PatronBytes(3000, 'v');

enum class Queda { Nada, Carta, Imagen, Viejo }; // what the folder holds after, besides the sample

const struct Caso {
    const char *nombre;
    const char *menu;                 // the window, from the main menu
    std::vector<const char *> pulsar; // its buttons, in order; the last opens what the signal finds
    const char *caja;                 // the box the signal finds (its text's start); none: a file dialog
    const char *guardar;              // the name the save dialogs are given, if any
    bool existe;                      // the target holds kViejo before
    bool lleno;                       // the folder lies on a full disk
    Queda queda;
} kCasos[] = {
    {"evaluator: Cargar escaneo", "mnuCrearCurva", {"cmdCargarEscaneo"}, nullptr, nullptr, false, false, Queda::Nada},
    {"chart: save dialog", "mnuGenerarCarta", {"cmdGenerarCarta", "cmdGrabarFichero"}, nullptr, nullptr, false, false, Queda::Nada},
    {"chart: saved box", "mnuGenerarCarta", {"cmdGenerarCarta", "cmdGrabarFichero"}, "Fichero guardado correctamente", "carta.png", false, false, Queda::Carta},
    {"editor: file dialog", "mnuEditarCurva", {"cmdCargarImagenAProcesar"}, nullptr, nullptr, false, false, Queda::Nada},
    {"editor: saved box", "mnuEditarCurva", {"cmdGuardarImagenCurva"}, "Imagen guardada correctamente", "p.png", false, false, Queda::Imagen},
    // Two loops deep: the question inside the save options.
    {"editor: replace question", "mnuEditarCurva", {"cmdGuardarImagenCurva"}, "The file already exists", "p.png", true, false, Queda::Viejo},
    // Inside the save itself, its busy guard held.
    {"editor: the save's error box", "mnuEditarCurva", {"cmdGuardarImagenCurva"}, "Error al guardar la imagen", "p.png", true, true, Queda::Viejo},
};

// The user's answers on the way to what the signal must find; true once it
// is open. Each answer runs on its own, as it may open the next loop.
bool Avanzar(const Caso &c, const QString &carpeta)
{
    QWidget *w = QApplication::activeModalWidget();
    auto luego = [w](auto f) { QTimer::singleShot(0, w, f); };
    if (auto *d = qobject_cast<QFileDialog *>(w)) {
        if (!c.caja) return true;
        luego([d, ruta = carpeta + '/' + c.guardar] {
            d->findChild<QLineEdit *>("fileNameEdit")->setText(ruta); // typed in
            static_cast<QDialog *>(d)->accept();
        });
    } else if (auto *b = qobject_cast<QMessageBox *>(w)) {
        if (c.caja && b->text().startsWith(QString::fromUtf8(c.caja))) return true;
        if (QAbstractButton *si = b->button(QMessageBox::Yes)) luego([si] { si->click(); });
    } else if (w && w->objectName() == "frmGuardarOpciones") {
        w->findChild<QRadioButton *>("optPNG")->click();
        w->findChild<QLineEdit *>("txtNombre")->setText(c.guardar);
        luego([a = w->findChild<QPushButton *>("cmdAceptar")] { a->click(); });
    }
    return false;
}

} // namespace

// Run by the test below as the program that gets the signal; nothing on its own.
TEST(SenalConDialogo, ProgramaQueLaRecibe)
{
    const QString d = qEnvironmentVariable("HALVORA_SENAL_DIALOGO");
    if (d.isEmpty()) GTEST_SKIP() << "run by SenalConDialogo.CadaSenalCierraLoAbiertoYTerminaComoSalir";
    const Caso &c = kCasos[qEnvironmentVariableIntValue("HALVORA_CASO")];
    const QString carpeta = qEnvironmentVariable("HALVORA_CARPETA");
    const AlmacenEn almacen(d + "/config");
    const TemporalEn tmp(d + "/tmp");
    MDIForm1 m;
    RegistrarVentanasCalibracion(m);
    Senales::Instalar(&m, [&m] { m.TerminarPorSenal(); });
    m.show();
    m.findChild<QAction *>(c.menu)->trigger();
    {
        // The store is held by the test: the choice stays pending, and the
        // box that says so (once) is answered here. Everything after is real.
        CajasGuionadas cajas;
        m.findChild<QAction *>("mnuIdiomaEn")->trigger();
        // The editor loads the sample itself; elsewhere it only leaves its
        // profile's copy.
        if (auto *cargar = m.findChild<QPushButton *>("cmdCargarImagenAProcesar")) {
            DialogosGuionados dialogos;
            dialogos.Responder(carpeta + "/muestra.tif");
            cargar->click();
            m.findChild<QCheckBox *>("chkInvertirTonos")->click(); // something to save
        }
        ASSERT_TRUE(modImage::HayMuestra || modImage::CargarMuestra(carpeta + "/muestra.tif", nullptr));
        ASSERT_EQ(cajas.llamadas.size(), 1);
    }
    if (auto *formato = m.findChild<QComboBox *>("cboFormato")) formato->setCurrentIndex(1); // PNG
    if (auto *ppp = m.findChild<QLineEdit *>("txtResolucion")) ppp->setText("72");
    // From the main loop, as the user would.
    QTimer::singleShot(0, &m, [&] {
        for (const char *b : c.pulsar) m.findChild<QPushButton *>(b)->click();
    });
    QTimer avance;
    QObject::connect(&avance, &QTimer::timeout, [&] {
        if (!Avanzar(c, carpeta)) return;
        avance.stop();
        // Whole when it appears.
        Poner(d + "/listo.tmp", modImage::RutaPerfilICCTemp().toUtf8());
        QFile::rename(d + "/listo.tmp", d + "/listo");
    });
    avance.start(20);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(SenalConDialogo, CadaSenalCierraLoAbiertoYTerminaComoSalir)
{
    // 61 x 23, with an embedded profile the run copies to the temporary folder.
    const QByteArray kMuestra = [] {
        QTemporaryDir t;
        const TemporalEn tmp(t.path());
        FIBITMAP *b = prueba::Color24(61, 23, [](int x, int y) { return uint32_t(x * 40 + y); });
        prueba::Incrustar(b, prueba::PerfilDesc("Perfil"));
        return Leer(prueba::Guardar(b, FIF_TIFF, "muestra.tif"));
    }();
    const CartaGrises::Geometria carta = CartaGrises::CalcularGeometria("72");
    for (int senal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(senal);
        // Every case at once, each its own program with its own folders.
        struct Hijo {
            explicit Hijo(const Caso &c) : caso(c) {}
            const Caso &caso;
            QTemporaryDir d;
            QString carpeta, almacen;
            std::optional<DiscoPequeno> disco;
            std::unique_ptr<QLockFile> candado;
            QProcess p;
        };
        std::vector<std::unique_ptr<Hijo>> hijos;
        for (const Caso &c : kCasos) {
            auto &h = *hijos.emplace_back(std::make_unique<Hijo>(c));
            h.carpeta = h.d.filePath("trabajo");
            QDir().mkpath(h.carpeta), QDir().mkpath(h.d.filePath("tmp"));
            if (c.lleno) {
                h.disco.emplace(h.carpeta, 64);
                if (!h.disco->motivo.isEmpty()) GTEST_SKIP() << h.disco->motivo.toStdString();
            }
            Poner(h.carpeta + "/muestra.tif", kMuestra);
            if (c.existe) Poner(h.carpeta + '/' + c.guardar, kViejo);
            if (c.lleno) h.disco->Llenar();
            {
                const AlmacenEn almacen(h.d.filePath("config"));
                h.almacen = Ajustes::RutaAlmacen();
            }
            QDir().mkpath(QFileInfo(h.almacen).path());
            h.candado = std::make_unique<QLockFile>(h.almacen + ".lock");
            ASSERT_TRUE(h.candado->tryLock(0));
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("HALVORA_SENAL_DIALOGO", h.d.path()), env.insert("HALVORA_CARPETA", h.carpeta);
            env.insert("HALVORA_CASO", QString::number(&c - kCasos));
            env.insert("TMPDIR", h.d.filePath("tmp")), env.insert("XDG_DATA_HOME", h.d.filePath("datos"));
            h.p.setProcessEnvironment(env);
            h.p.setProcessChannelMode(QProcess::ForwardedChannels);
            h.p.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=SenalConDialogo.ProgramaQueLaRecibe"});
        }
        for (auto &hp : hijos) {
            Hijo &h = *hp;
            SCOPED_TRACE(h.caso.nombre);
            const QString listo = h.d.filePath("listo");
            for (int i = 0; i < 3000 && !QFile::exists(listo) && h.p.state() != QProcess::NotRunning; ++i) QThread::msleep(10);
            const QString copia = QString::fromUtf8(Leer(listo));
            EXPECT_TRUE(QFile::exists(copia)) << copia.toStdString();
            // Freed before the signal: the pending choice can be written at the end.
            h.candado->unlock();
            ::kill(pid_t(h.p.processId()), senal);
            ASSERT_TRUE(h.p.waitForFinished(60000));
            EXPECT_EQ(std::pair(h.p.exitStatus(), h.p.exitCode()), std::pair(QProcess::NormalExit, 0));
            EXPECT_EQ(QSettings(h.almacen, QSettings::IniFormat).value("Config/idioma").toString(), "en");
            EXPECT_FALSE(QFile::exists(copia));
            QStringList restos;
            for (QDirIterator it(h.d.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories); it.hasNext();) {
                if (const QString f = it.next(); f.contains("zolv_")) restos << f;
            }
            EXPECT_EQ(restos, QStringList());

            QStringList hay = QDir(h.carpeta).entryList(QDir::Files | QDir::Hidden, QDir::Name);
            hay.removeOne(".relleno"), hay.removeOne("muestra.tif");
            const QString destino = h.caso.guardar ? h.carpeta + '/' + h.caso.guardar : QString();
            switch (h.caso.queda) {
            case Queda::Nada: break;
            case Queda::Carta: EXPECT_EQ(QImage(destino, "PNG").size(), QSize(carta.AnchoPx, carta.AltoPx)); break;
            case Queda::Imagen: EXPECT_EQ(QImage(destino, "PNG").size(), QSize(61, 23)); break;
            case Queda::Viejo: EXPECT_EQ(Leer(destino), kViejo); break;
            }
            EXPECT_EQ(hay, h.caso.queda == Queda::Nada ? QStringList() : QStringList{h.caso.guardar});
        }
    }
}
