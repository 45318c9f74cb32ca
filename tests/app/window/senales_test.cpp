// The system asks the program to end (a logout, a shutdown, Ctrl+C): it ends
// as its Exit does, the embedded profile's copy removed and the settings the
// store kept out written.

#include "app/mdiform1.h"
#include "app/senales.h"
#include "imaging/cargar.h"
#include "platform/settings.h"
#include "support/imagen.h"
#include "support/scripted.h"
#include "support/sistema.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QLockFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

// Run by the test below as the program that gets the signal; nothing on its own.
TEST(Senales, ProgramaQueLaRecibe)
{
    const QString carpeta = qEnvironmentVariable("HALVORA_SENAL");
    if (carpeta.isEmpty()) GTEST_SKIP() << "run by Senales.TerminaComoSalir";
    const AlmacenEn almacen(carpeta);
    CajasGuionadas cajas;
    MDIForm1 m;
    Senales::Instalar(&m, [&m] { m.TerminarPorSenal(); });
    m.show();
    FIBITMAP *b = prueba::Color24(5, 3, [](int x, int y) { return uint32_t(x * 40 + y); });
    prueba::Incrustar(b, prueba::PerfilDesc("Perfil"));
    modImage::CargarMuestra(prueba::Guardar(b, FIF_TIFF, "muestra.tif"), nullptr);
    // The store is held by the test: the choice stays pending.
    m.findChild<QAction *>("mnuIdiomaEn")->trigger();
    Poner(carpeta + "/listo", modImage::RutaPerfilICCTemp().toUtf8());
    EXPECT_EQ(QCoreApplication::exec(), 0);
    // No box at the end, whatever the store did: nobody may be there.
    Poner(carpeta + "/cajas", QByteArray::number(cajas.llamadas.size()));
}

TEST(Senales, UnaOperacionLargaTerminaAntes)
{
    QWidget dueno;
    int fin = 0;
    Senales::Instalar(&dueno, [&fin] { ++fin; });
    {
        GuardaOcupado ocupado;
        ::raise(SIGTERM);
        QTest::qWait(200);
        EXPECT_EQ(fin, 0);
    }
    QTest::qWait(200);
    EXPECT_EQ(fin, 1);
}

TEST(Senales, TerminaComoSalir)
{
    for (int senal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(senal);
        QTemporaryDir d;
        const AlmacenEn almacen(d.path());
        QDir().mkpath(QFileInfo(Ajustes::RutaAlmacen()).path());
        QLockFile ocupado(Ajustes::RutaAlmacen() + ".lock");
        ASSERT_TRUE(ocupado.tryLock(0));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HALVORA_SENAL", d.path());
        env.insert("TMPDIR", d.path());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=Senales.ProgramaQueLaRecibe"});
        for (int i = 0; i < 3000 && !QFile::exists(d.filePath("listo")); ++i) QThread::msleep(10);
        const QString copia = QString::fromUtf8(Leer(d.filePath("listo")));
        ASSERT_TRUE(QFile::exists(copia)) << copia.toStdString();
        // Freed before the end, but for the hang-up: the store still refuses.
        if (senal != SIGHUP) ocupado.unlock();
        ::kill(pid_t(p.processId()), senal);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(std::pair(p.exitStatus(), p.exitCode()), std::pair(QProcess::NormalExit, 0));
        EXPECT_FALSE(QFile::exists(copia));
        EXPECT_EQ(QSettings(Ajustes::RutaAlmacen(), QSettings::IniFormat).value("Config/idioma").toString(), senal != SIGHUP ? "en" : "");
        EXPECT_EQ(Leer(d.filePath("cajas")), "1"); // the store's refusal, told once during the run
    }
}
