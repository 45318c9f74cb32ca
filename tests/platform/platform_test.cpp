#include "curves/archivoscurva.h"
#include "curves/deshacer.h"
#include "platform/colorref.h"
#include "platform/filedialogs.h"
#include "platform/files.h"
#include "platform/numbers.h"
#include "platform/picturebox.h"
#include "platform/progress.h"
#include "platform/screen.h"
#include "platform/settings.h"
#include "support/imagen.h"
#include "support/inyeccion/inyeccion.h"
#include "support/scripted.h"
#include "support/texto.h"

#include <QCoreApplication>
#include <QLockFile>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <cerrno>
#include <cfloat>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <optional>
#include <tuple>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

TEST(ColorRef, OrdenBGRYQuinceTwipsPorPixel)
{
    EXPECT_EQ(std::vector<uint32_t>({ColorRef::RGB(0xFF, 0, 0), ColorRef::RGB(0, 0, 0xFF), ColorRef::Gris(128)}),
              std::vector<uint32_t>({0xFF, 0xFF0000, 0x808080}));
    EXPECT_EQ(ColorRef::AQColor(0x00336699), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(std::pair(Pantalla::TwipsPerPixelX(), Pantalla::TwipsPerPixelY()), std::pair(15.0, 15.0));
}

TEST(Superficie, CajasYSegmentosExactos)
{
    Superficie s(20, 10);
    s.BackColor = ColorRef::Gris(255), s.Cls();
    s.LineBoxFill(2, 3, 5, 6, 0);                   // both corners included
    s.Line(10, 1, 15, 1, ColorRef::RGB(255, 0, 0)); // a segment stops before its end point,
    s.Line(15, 2, 10, 2, ColorRef::RGB(0, 255, 0)); // in either direction
    s.PSet(-1, 0, 0);                               // outside: ignored
    const struct { int x, y; uint32_t color; } pixeles[] = {
        {2, 3, 0}, {5, 6, 0}, {6, 6, 0xFFFFFF}, {5, 7, 0xFFFFFF}, {10, 1, 0xFF}, {14, 1, 0xFF}, {15, 1, 0xFFFFFF},
        {15, 2, 0xFF00}, {11, 2, 0xFF00}, {10, 2, 0xFFFFFF}, {25, 0, 0xFFFFFFFF}, // outside reads as "no colour"
    };
    for (const auto &p : pixeles) EXPECT_EQ(s.Point(p.x, p.y), p.color) << p.x << "," << p.y;
    s.Cls();
    s.LineBox(1, 1, 8, 8, 0); // edges only
    EXPECT_EQ(std::vector<uint32_t>({s.Point(1, 5), s.Point(8, 8), s.Point(4, 4)}), std::vector<uint32_t>({0, 0, 0xFFFFFF}));
}

TEST(Superficie, TextoEnPuntosA96Ppp)
{
    Superficie s(200, 50);
    s.FontName(QStringLiteral("Arial")), s.FontSize(12);
    const double h12 = s.TextHeight(QStringLiteral("X"));
    s.FontSize(24);
    const double h24 = s.TextHeight(QStringLiteral("X"));
    EXPECT_GT(h12, 12.0); // 12 pt is 16 px at 96 dpi
    EXPECT_NEAR(h24 / h12, 2.0, 0.15);
    EXPECT_GT(s.TextWidth(QStringLiteral("WWW")), s.TextWidth(QStringLiteral("i")));
    // Print moves the text position to the next line.
    s.CurrentX = 10, s.CurrentY = 5;
    s.Print(QStringLiteral("a"));
    EXPECT_EQ((std::pair{s.CurrentX, s.CurrentY}), (std::pair{0.0, 5 + h24}));
}

TEST(Archivos, TemporalesUnicosYExclusivos)
{
    Archivos::EsperarLimpieza(); // its folder stays open while it runs
    const int abiertos = QDir("/proc/self/fd").count();
    QSet<QString> vistos;
    for (int i = 0; i < 200; ++i) {
        const QString r = Archivos::CrearTemporal("fi_img_", ".bmp");
        EXPECT_TRUE(QFileInfo(r).fileName().startsWith("fi_img_") && r.endsWith(".bmp") && QFileInfo::exists(r) && !vistos.contains(r))
            << r.toStdString();
        vistos.insert(r);
    }
    for (const QString &r : vistos) EXPECT_TRUE(Archivos::Borrar(r));
    EXPECT_EQ(QDir("/proc/self/fd").count(), abiertos); // each held its lock until then
    // A second Borrar of the same name must not close the descriptor that
    // has since taken the old number.
    QFile otro(QDir::temp().filePath(QStringLiteral("fi_otro_%1").arg(QCoreApplication::applicationPid())));
    ASSERT_TRUE(otro.open(QIODevice::WriteOnly));
    for (const QString &r : vistos) EXPECT_TRUE(Archivos::Borrar(r));
    EXPECT_NE(::fcntl(otro.handle(), F_GETFD), -1) << "descriptor cerrado por Borrar";
    otro.remove();
}

// A Flujo keeps its first failure: every later call does nothing and says so.
TEST(Archivos, UnFlujoGuardaSuPrimerFallo)
{
    QTemporaryDir d;
    const QString ruta = Poner(d.filePath("f.bin"), "0123456789");
    const int fd = ::open(QFile::encodeName(ruta).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    Archivos::Flujo f(fd);
    char b[16];
    EXPECT_EQ(f.Leer(b, 4), 4);
    // The end of the file, whatever errno held before.
    EXPECT_TRUE(f.Posicionar(0, SEEK_END));
    errno = EINTR;
    EXPECT_EQ(f.Leer(b, 4), 0);
    EXPECT_TRUE(f.Posicionar(4, SEEK_SET));
    EXPECT_FALSE(f.Escribir("x", 1)); // read-only: EBADF
    EXPECT_TRUE(f.Fallo());
    EXPECT_EQ(f.Error(), EBADF);
    EXPECT_EQ((std::tuple{f.Leer(b, 4), f.Posicionar(0, SEEK_SET), f.Escribir("x", 1)}), (std::tuple{int64_t(0), false, false}));
    EXPECT_EQ(f.Posicion(), 4); // nothing moved it since
    f.Fallar(ENOSPC);
    EXPECT_EQ(f.Motivo(), "Error del sistema número 9");
    ::close(fd);
    // A read that fails: what came before it, and the failure kept.
    const int otro = ::open(QFile::encodeName(ruta).constData(), O_RDONLY | O_CLOEXEC);
    Archivos::Flujo g(otro);
    {
        const Inyeccion::Fallos fallos({{Inyeccion::Llamada::Leer, QFile::encodeName(ruta), 1, EIO}});
        EXPECT_EQ(g.Leer(b, 4), 0);
    }
    EXPECT_EQ(std::pair(g.Error(), g.Motivo()), std::pair(EIO, QString("Error de lectura o escritura en el disco")));
    EXPECT_EQ(g.Leer(b, 4), 0);
    ::close(otro);
    // Writes the system cuts short go on from where each stopped.
    const QString w = d.filePath("w.bin");
    const int wfd = ::open(QFile::encodeName(w).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(wfd, 0);
    Archivos::Flujo e(wfd);
    const QByteArray bytes = PatronBytes(10000, 'w');
    {
        const Inyeccion::Fallos fallos({{Inyeccion::Llamada::Escribir, QFile::encodeName(w), 1, 0, true, 999}});
        EXPECT_TRUE(e.Escribir(bytes.constData(), bytes.size()));
        EXPECT_EQ(fallos.Vistas(0), 11);
    }
    ::close(wfd);
    EXPECT_EQ(Leer(w), bytes);
}

// Links are followed as the system follows them, 40 at most.
TEST(Archivos, CadenasDeEnlaces)
{
    QTemporaryDir d;
    const QString real = Poner(d.filePath("real.bin"), "viejo");
    QString anterior = real;
    for (int i = 1; i <= 41; ++i) {
        const QString enlace = d.filePath(QString("e%1").arg(i));
        ASSERT_TRUE(QFile::link(anterior, enlace));
        anterior = enlace;
    }
    QString error;
    EXPECT_TRUE(Archivos::EscribirAtomico(d.filePath("e40"), "nuevo", &error)) << error.toStdString();
    EXPECT_EQ(Leer(real), "nuevo");
    EXPECT_FALSE(Archivos::EscribirAtomico(d.filePath("e41"), "otro", &error));
    EXPECT_EQ(error, "Demasiados enlaces simbólicos");
    EXPECT_EQ(Leer(real), "nuevo");
}

TEST(Dialogos, ExtensionForzadaYReemplazo)
{
    QTemporaryDir d;
    DialogosGuionados dlg;
    CajasGuionadas cajas;
    Dialogos::Peticion p;
    p.guardar = p.forzarExtension = true;
    p.filtros = {{QStringLiteral("PNG (*.png)"), QStringLiteral("*.png")}}, p.extensionDefecto = QStringLiteral("png");
    ASSERT_TRUE(QFile(d.filePath(QStringLiteral("c.jpg.png"))).open(QIODevice::WriteOnly));
    // A matching name passes unchanged (any case), a foreign extension gets
    // the format's, an existing file of the new name is asked about, and
    // cancel stays cancel.
    const struct { const char *elegido; int respuesta; const char *ruta; int preguntas; } casos[] = {
        {"a.PNG", 0, "a.PNG", 0}, {"b.jpg", 0, "b.jpg.png", 0}, {"c.jpg", MsgBox::No, "", 1},
        {"c.jpg", MsgBox::Yes, "c.jpg.png", 2}, {"", 0, "", 2},
    };
    for (const auto &c : casos) {
        dlg.Responder(*c.elegido ? d.filePath(QString::fromLatin1(c.elegido)) : QString());
        if (c.respuesta) cajas.Responder(c.respuesta);
        EXPECT_EQ(Dialogos::Mostrar(p), *c.ruta ? d.filePath(QString::fromLatin1(c.ruta)) : QString()) << c.elegido;
        EXPECT_EQ(cajas.llamadas.size(), c.preguntas) << c.elegido;
    }
    EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Question);
}

TEST(Progreso, SinVentanaVisibleNoInforma)
{
    ProgresoGrabado f(false);
    Progreso::Informar(40);
    f.visible = true;
    Progreso::Informar(QStringLiteral("x"), 40);
    Progreso::Quitar(&f);
    Progreso::Informar(50);
    EXPECT_EQ(f.informes, (Informes{{40, "x"}}));
    {
        GuardaOcupado g;
        EXPECT_TRUE(GuardaOcupado::Activo());
    }
    EXPECT_FALSE(GuardaOcupado::Activo());
}

TEST(Progreso, LaEntradaDuranteUnaOperacionLargaSeDescarta)
{
    QPushButton b(QStringLiteral("Reset"));
    b.show();
    int clics = 0;
    QObject::connect(&b, &QPushButton::clicked, [&clics] { ++clics; });
    auto clic = [&b] {
        for (auto [tipo, botones] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton}, {QEvent::MouseButtonRelease, Qt::NoButton}})
            QCoreApplication::postEvent(&b, new QMouseEvent(tipo, QPointF(5, 5), b.mapToGlobal(QPointF(5, 5)), Qt::LeftButton, botones, {}));
    };
    {
        GuardaOcupado ocupado;
        clic(); // after its last progress report (the editor's Save tests one in the middle)
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(clics, 0);
    clic();
    QCoreApplication::processEvents();
    EXPECT_EQ(clics, 1);
}

TEST(Redondeo, MitadesAlParSaturaYDivisionEntera)
{
    using namespace Numeros;
    const std::pair<double, int32_t> largos[] = {{0.5, 0},   {1.5, 2},     {2.5, 2},         {-0.5, 0},       {-1.5, -2},
                                                 {40.5, 40}, {41.5, 42},   {1e300, INT32_MAX}, {-1e300, INT32_MIN}};
    for (const auto &[v, r] : largos) EXPECT_EQ(CLng(v), r) << v;
    const std::pair<double, int16_t> cortos[] = {{12.5, 12}, {2.4999999, 2}, {40000.0, INT16_MAX}, {-40000.0, INT16_MIN}};
    for (const auto &[v, r] : cortos) EXPECT_EQ(CInt(v), r) << v;
    EXPECT_EQ(Redondear(3.5), 4.0);
    // The operands are rounded first, then the quotient truncated: 3.5 -> 4, 4 \ 2.
    const std::tuple<double, double, int> divisiones[] = {{7, 2, 3}, {-7, 2, -3}, {2.5, 1, 2}, {3.5, 2, 2}, {10, 2.5, 5}, {5, 0, 0}};
    for (const auto &[a, b, r] : divisiones) EXPECT_EQ(DivEntera(a, b), r) << a << " \\ " << b;
    EXPECT_EQ(std::vector<int>({LimitarByte(int64_t{-3}), LimitarByte(int64_t{300}), LimitarByte(int64_t{128}),
                                LimitarByte(254.5), LimitarByte(-0.4)}),
              std::vector<int>({0, 255, 128, 254, 0}));
}

TEST(Val, NumeroInicial)
{
    using namespace Numeros;
    // A comma ends the number, blanks are skipped, an exponent without digits
    // stops, and so does a digit the base does not have (8 in octal).
    const std::pair<const char *, double> casos[] = {
        {"1e3", 1000},      {"12.5", 12.5},  {"abc", 0},        {"", 0},          {"5000", 5000},
        {"-7", -7},         {"12 copias", 12}, {"2,7", 2},      {"1 2", 12},      {" \t2\n00", 200},
        {"12345678901", 12345678901.0}, {"&H1F", 31}, {"&o17", 15}, {"&O8", 0}, {"&O18", 1}, {"1.5D2", 150}, {"3e", 3},
        {".5", 0.5},        {"1.2.3", 1.2},  {"1e400", DBL_MAX}, {"-1e400", -DBL_MAX}, {"1e-400", 0},
    };
    for (const auto &[texto, v] : casos) EXPECT_EQ(Val(QString::fromLatin1(texto)), v) << texto;
}

// Importing a curve from what is not a file says what it is, without
// waiting on it, and leaves the curve as it was.
TEST(ImportarCurva, DeUnaCarpetaUnaTuberiaOUnDispositivo)
{
    using namespace modEngine;
    QTemporaryDir dir;
    const QString tuberia = dir.filePath("tuberia.acv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tuberia).constData(), 0600), 0);
    ReiniciarCurvas();
    PuntoX[0][1] = 200;
    ComponerLUTs();
    const EstadoCurvas antes = TomarEstado();
    const struct { QString ruta, motivo; } casos[] = {
        {dir.path(), "Es una carpeta"}, {tuberia, "No es un fichero normal"}, {"/dev/null", "No es un fichero normal"},
    };
    CajasGuionadas cajas;
    for (const auto &c : casos) {
        for (bool amp : {false, true}) {
            SCOPED_TRACE(c.ruta.toStdString() + (amp ? " as AMP" : " as ACV"));
            cajas.llamadas.clear();
            GuardarDeshacer();
            EXPECT_FALSE(amp ? ImportarCurvaAMP(c.ruta) : ImportarCurvaACV(c.ruta));
            ASSERT_EQ(cajas.llamadas.size(), 1);
            EXPECT_EQ(cajas.llamadas[0].texto,
                      QString("No se pudo importar la curva %1: ").arg(amp ? "AMP" : "ACV") + c.motivo);
            EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Exclamation);
            // Back to the caller's snapshot, popped.
            const EstadoCurvas despues = TomarEstado();
            EXPECT_EQ(std::memcmp(&antes, &despues, sizeof antes), 0);
            EXPECT_EQ(NumeroDeshacer(), 0);
        }
    }
}

// The settings store is replaced only by content that read back complete: a
// failure at any write of the save (Qt's own included) leaves it as it was,
// the value held for the session; instances saving at once lose nothing.

using Inyeccion::Llamada;

namespace {

// Every key of the store as the program reads it.
QMap<QString, QString> Claves(const QString &ruta)
{
    QSettings s(ruta, QSettings::IniFormat);
    QMap<QString, QString> m;
    for (const QString &k : s.allKeys()) m.insert(k, s.value(k).toString());
    return m;
}

} // namespace

TEST(Ajustes, UnCandadoSinDuenoSeTomaEnSeguida)
{
    QTemporaryDir d;
    const AlmacenEn almacen(d.path());
    const QString ini = Ajustes::RutaAlmacen(), candado = ini + QStringLiteral(".lock");
    const QByteArray antes("[DialogFolders]\nCurva=/antes\n");
    Poner(ini, antes);
    // The owner's line as QLockFile writes it, of this process: running.
    QByteArray linea;
    {
        QLockFile propio(d.filePath("propio.lock"));
        ASSERT_TRUE(propio.tryLock(0));
        linea = Leer(d.filePath("propio.lock"));
    }
    const QString kEspera = "otra instancia del programa la tiene ocupada";
    // Left by a killed save (empty, garbage, of a process gone): taken at
    // once; a folder or a link in its place: the store's folder is locked.
    // Held by someone, or naming a running process (one letting it go right
    // now) or another machine's: waited for, then refused.
    const struct { const char *caso; QByteArray bytes; bool retenido; QString motivo; } casos[] = {
        {"empty", "", false, ""},
        {"garbage", "\x01\xFFno\n\n", false, ""},
        {"process gone", "2147483647\nzolv\n\n", false, ""},
        {"folder", "(carpeta)", false, ""},
        {"dangling link", "(enlace)", false, ""},
        {"empty, held", "", true, kEspera},
        {"running owner's line", linea, false, kEspera},
        {"another machine's owner", "2147483647\nzolv\notra-maquina\n", false, kEspera},
    };
    const int abiertos = QDir("/proc/self/fd").count();
    for (const auto &c : casos) {
        SCOPED_TRACE(c.caso);
        const bool ajeno = c.bytes.startsWith('(');
        ASSERT_TRUE(c.bytes == "(carpeta)"  ? QDir().mkpath(candado)
                    : c.bytes == "(enlace)" ? QFile::link(d.filePath("nada"), candado)
                                            : !Poner(candado, c.bytes).isEmpty());
        QFile otro(candado);
        if (c.retenido) {
            ASSERT_TRUE(otro.open(QIODevice::ReadOnly) && ::flock(otro.handle(), LOCK_EX) == 0);
        }
        QString motivo;
        const QString valor = QString("/tras/") + c.caso;
        EXPECT_EQ(Ajustes::SaveSetting("DialogFolders", "Curva", valor, &motivo), c.motivo.isEmpty());
        EXPECT_EQ(motivo, c.motivo);
        EXPECT_EQ(Ajustes::GetSetting("DialogFolders", "Curva"), valor);
        if (c.motivo.isEmpty()) {
            EXPECT_EQ(Claves(ini), (QMap<QString, QString>{{"DialogFolders/Curva", valor}}));
            // Taken and let go: no lock file stays.
            EXPECT_EQ(QFileInfo(candado).exists() || QFileInfo(candado).isSymLink(), ajeno);
        } else {
            EXPECT_EQ(Claves(ini).value("DialogFolders/Curva"), "/tras/dangling link");
            EXPECT_EQ(Leer(candado), c.bytes);
        }
        otro.close();
        QDir(candado).removeRecursively(), QFile::remove(candado);
        EXPECT_EQ(QDir("/proc/self/fd").count(), abiertos);
    }
    // Let go during the wait at exit: what the session kept goes.
    QLockFile otra(candado);
    ASSERT_TRUE(otra.tryLock(0));
    std::thread suelta([&otra] { QThread::msleep(50), otra.unlock(); });
    EXPECT_TRUE(Ajustes::GuardarPendientes());
    suelta.join();
    EXPECT_EQ(Claves(ini), (QMap<QString, QString>{{"DialogFolders/Curva", "/tras/another machine's owner"}}));
}

TEST(AjustesSeguros, UnFalloEnCadaEscrituraDejaElAlmacenComoEstaba)
{
    QTemporaryDir d;
    const AlmacenEn almacen(d.filePath("config"));
    const DatosEn datos(d.filePath("datos"));
    QMap<QString, QString> esperado; // 20 remembered values, about 15 bytes a key
    for (int i = 0; i < 20; ++i) {
        esperado.insert(QString("Recordado/Clave%1").arg(i), QString("/ruta/%1").arg(i));
        EXPECT_TRUE(Ajustes::SaveSetting("Recordado", QString("Clave%1").arg(i), QString("/ruta/%1").arg(i)));
    }
    const QString ruta = Ajustes::RutaAlmacen();
    // The k-th call of each kind in the save's folders fails (the store's
    // own, its lock, the scratch copies, Qt's writes to them), or a read of
    // the scratch copies ends early, for every k until a save passes
    // untouched.
    const QByteArray carpeta = QFile::encodeName(d.path()), borradores = QFile::encodeName(d.filePath("datos"));
    const struct { Llamada llamada; QByteArray donde; long corto; } tipos[] = {
        {Llamada::Abrir, carpeta, -1},       {Llamada::Escribir, carpeta, -1}, {Llamada::Truncar, carpeta, -1},
        {Llamada::Sincronizar, carpeta, -1}, {Llamada::Cerrar, carpeta, -1},   {Llamada::Leer, carpeta, -1},
        {Llamada::Leer, borradores, 0},
    };
    int fallidos = 0;
    for (const auto &t : tipos) {
        for (int k = 1; k < 100; ++k) {
            SCOPED_TRACE("call kind " + std::to_string(int(t.llamada)) + ", number " + std::to_string(k) + ", short " + std::to_string(t.corto));
            const QByteArray antes = Leer(ruta);
            const QString valor = QString("valor %1 %2 %3").arg(int(t.llamada)).arg(k).arg(t.corto);
            bool ok, disparada;
            {
                const Inyeccion::Fallos fallos({{t.llamada, t.donde, k, EIO, false, t.corto}});
                ok = Ajustes::SaveSetting("Config", "idioma", valor);
                disparada = fallos.Disparada();
            }
            // The whole store with the new value, or the store as it was
            // and the value held for the session.
            esperado["Config/idioma"] = valor;
            EXPECT_EQ(Ajustes::GetSetting("Config", "idioma"), valor);
            if (ok) {
                EXPECT_EQ(Claves(ruta), esperado);
            } else {
                EXPECT_EQ(Leer(ruta), antes);
            }
            fallidos += !ok;
            if (!disparada) {
                EXPECT_TRUE(ok);
                break;
            }
        }
    }
    EXPECT_GT(fallidos, 10);
    EXPECT_TRUE(Ajustes::GuardarPendientes());
}

TEST(AjustesSeguros, LoQueOtraInstanciaGuardaDespuesSeRespeta)
{
    QTemporaryDir d;
    const AlmacenEn almacen(d.filePath("config"));
    Archivos::EsperarLimpieza(); // its folder stays open while it runs
    const int abiertos = QDir("/proc/self/fd").count();
    ASSERT_TRUE(Ajustes::SaveSetting("Config", "idioma", "en"));
    // Another instance stores its choice; this one saves something else.
    QSettings(Ajustes::RutaAlmacen(), QSettings::IniFormat).setValue("Config/idioma", "es");
    ASSERT_TRUE(Ajustes::SaveSetting("DialogFolders", "Curva", "/curvas"));
    Archivos::EsperarLimpieza();
    EXPECT_EQ(QDir("/proc/self/fd").count(), abiertos);
    EXPECT_EQ(Claves(Ajustes::RutaAlmacen()), (QMap<QString, QString>{{"Config/idioma", "es"}, {"DialogFolders/Curva", "/curvas"}}));
    EXPECT_EQ(Ajustes::GetSetting("Config", "idioma"), "es");
}

TEST(AjustesSeguros, AlmacenesDeCualquierLargoConservanSusClaves)
{
    QTemporaryDir d;
    const AlmacenEn almacen(d.filePath("config"));
    // Lengths about the reader's blocks: the last read may bring one byte.
    for (const int largo : {1, 16383, 16384, 16385, 40001}) {
        const QByteArray relleno(std::max(0, largo - 13), 'a');
        Poner(Ajustes::RutaAlmacen(), largo < 13 ? QByteArray(largo, '\n') : "[Relleno]\nx=" + relleno + '\n');
        ASSERT_EQ(Leer(Ajustes::RutaAlmacen()).size(), largo);
        EXPECT_TRUE(Ajustes::SaveSetting("Config", "idioma", QString::number(largo)));
        QMap<QString, QString> esperado{{"Config/idioma", QString::number(largo)}};
        if (largo >= 13) esperado.insert("Relleno/x", relleno);
        EXPECT_EQ(Claves(Ajustes::RutaAlmacen()), esperado) << largo;
    }
}

// A save killed while writing the store in place leaves a line without '='
// (its new text over the end of the old): every later save once failed on
// it. Each key QSettings reads is kept, the line goes, the value is stored.
TEST(AjustesSeguros, LineasQueQtNoLeeNoImpidenGuardar)
{
    QTemporaryDir d;
    const AlmacenEn almacen(d.filePath("config"));
    const QString ruta = Ajustes::RutaAlmacen();
    const QMap<QString, QString> kCurva{{"DialogFolders/Curva", "/c"}};
    const struct { const char *caso; QByteArray antes; QMap<QString, QString> leidas; } casos[] = {
        {"last line", "[Config]\nidioma=es\n\n[DialogFolders]\nCurva=/c\nrvas/viejas\n", {{"Config/idioma", "es"}, {"DialogFolders/Curva", "/c"}}},
        {"middle line", "[DialogFolders]\nCurva=/c\nvas/viejas\nImagen=/i\n", {{"DialogFolders/Curva", "/c"}, {"DialogFolders/Imagen", "/i"}}},
        {"no line end", "[DialogFolders]\nCurva=/c\nCurv", kCurva},
        {"the only line", "DialogFolders", {}},
        {"open section", "[DialogFolders]\nCurva=/c\n[Dia", kCurva},
        {"zeros", "[DialogFolders]\nCurva=/c\n" + QByteArray(40, '\0'), kCurva},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.caso);
        Poner(ruta, c.antes);
        ASSERT_EQ(Claves(ruta), c.leidas);
        // Twice: the first save's own text takes the next.
        for (const char *idioma : {"en", "es"}) {
            QString motivo;
            EXPECT_TRUE(Ajustes::SaveSetting("Config", "idioma", idioma, &motivo)) << motivo.toStdString();
            QMap<QString, QString> esperado = c.leidas;
            esperado.insert("Config/idioma", idioma);
            EXPECT_EQ(Claves(ruta), esperado);
        }
        EXPECT_FALSE(Leer(ruta).contains("vas/viejas"));
    }
    // A key QSettings reads but writes back as another ("a/" of [S] goes) is
    // no line to drop: the save is refused, and says which.
    const QByteArray antes = "[S]\na/=1\n";
    Poner(ruta, antes);
    QString motivo;
    EXPECT_FALSE(Ajustes::SaveSetting("Config", "idioma", "en", &motivo));
    EXPECT_EQ(motivo, "el fichero " + ruta + " tiene una clave que no se puede volver a escribir igual: S/a/");
    EXPECT_EQ(Leer(ruta), antes);
    Poner(ruta, "");
    EXPECT_TRUE(Ajustes::GuardarPendientes());
}

// A read of the old store that ends early without an error, at each of its
// reads in turn: a save that goes ahead keeps every key; one that reads it
// short fails, the store stays byte for byte and the value waits for the
// next save (taking what was read for the whole store would drop the keys
// after it).
TEST(AjustesSeguros, UnaLecturaCortaDelAlmacenNoLoSustituye)
{
    QTemporaryDir d;
    const AlmacenEn almacen(d.filePath("config"));
    const QString ruta = Poner(Ajustes::RutaAlmacen(), "[A]\nx=" + QByteArray(40000, 'a') + "\n[B]\ny=1\n");
    int cortas = 0;
    for (int k = 1; k < 20; ++k) {
        SCOPED_TRACE(k);
        const QString valor = QString::number(k);
        const QByteArray antes = Leer(ruta);
        Ajustes::RutaAlmacen(); // Qt has read it: the reads counted are the save's
        QString motivo;
        bool ok, disparada;
        {
            const Inyeccion::Fallos corta({{Llamada::Leer, QFile::encodeName(ruta), k, 0, false, 0}});
            ok = Ajustes::SaveSetting("Config", "idioma", valor, &motivo);
            disparada = corta.Disparada();
        }
        if (ok) {
            EXPECT_EQ(Claves(ruta), (QMap<QString, QString>{{"A/x", QString(40000, 'a')}, {"B/y", "1"}, {"Config/idioma", valor}}));
        } else {
            EXPECT_EQ(motivo, "Error de lectura o escritura en el disco");
            EXPECT_EQ(Leer(ruta), antes);
            EXPECT_EQ(Ajustes::GetSetting("Config", "idioma"), valor);
        }
        cortas += !ok;
        if (!disparada) break;
    }
    EXPECT_EQ(cortas, 3); // each of its three blocks
    // A read that fails says why in the system's words.
    QString motivo;
    {
        const Inyeccion::Fallos red({{Llamada::Leer, QFile::encodeName(ruta), 1, ESTALE}});
        EXPECT_FALSE(Ajustes::SaveSetting("Config", "idioma", "red", &motivo));
    }
    EXPECT_EQ(motivo, "Se ha perdido la conexión con el disco de red");
    EXPECT_TRUE(Ajustes::GuardarPendientes());
}

// A settings folder that takes no new file and holds no store yet (as an
// ordinary user: the tests' own folder is root's alone), one that cannot be
// made, a read-only disk (root may mount one) with and without a store: each
// says what refuses, nothing is left in the folder, the store stays.
TEST(AjustesSeguros, CarpetaQueNoAdmiteElAlmacen)
{
    QTemporaryDir d("/tmp/halvora-ajustes-XXXXXX");
    ::chmod(QFile::encodeName(d.path()).constData(), 0777);
    const DatosEn datos(d.filePath("datos"));
    const QString ro = d.filePath("ro");
    QDir().mkpath(ro), QDir().mkpath(d.filePath("cerrada/ZOLV Halvora"));
    const DiscoPequeno disco(ro, 64);
    const bool soloLectura = disco.motivo.isEmpty() && QDir().mkpath(ro + "/vacia/ZOLV Halvora") &&
                             !Poner(ro + "/llena/ZOLV Halvora/ZOLV Halvora.ini", "[Config]\nidioma=es\n").isEmpty() && disco.SoloLectura();
    for (const char *c : {"cerrada/ZOLV Halvora", "cerrada"}) ::chmod(QFile::encodeName(d.filePath(c)).constData(), 0555);
    const std::pair<QString, QString> casos[] = {
        {d.filePath("cerrada"), "no se puede crear el fichero %1: Permiso denegado"},
        {d.filePath("cerrada/no"), "no se puede crear la carpeta %2: Permiso denegado"},
        {ro + "/vacia", "no se puede crear el fichero %1: El disco es de solo lectura"},
        {ro + "/llena", "no se puede escribir en el fichero %1: El disco es de solo lectura"},
    };
    for (const auto &[config, motivo] : casos) {
        SCOPED_TRACE(config.toStdString());
        if (config.startsWith(ro) && !soloLectura) {
            std::cout << "[ SKIPPED  ] " << disco.motivo.toStdString() << "\n";
            continue;
        }
        const AlmacenEn almacen(config);
        const QString ruta = Ajustes::RutaAlmacen(), carpeta = QFileInfo(ruta).path();
        const auto hay = [&carpeta] { return QDir(carpeta).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); };
        const QStringList antes = hay();
        const QByteArray almacenAntes = Leer(ruta);
        QString dicho;
        {
            const ComoOtroUsuario otro;
            EXPECT_FALSE(Ajustes::SaveSetting("Config", "idioma", "en", &dicho));
        }
        EXPECT_EQ(dicho, QString(motivo).replace("%1", ruta).replace("%2", carpeta));
        EXPECT_EQ(hay(), antes);
        EXPECT_EQ(Leer(ruta), almacenAntes);
    }
    for (const char *c : {"cerrada", "cerrada/ZOLV Halvora"}) ::chmod(QFile::encodeName(d.filePath(c)).constData(), 0755);
    const AlmacenEn almacen(d.filePath("cerrada"));
    EXPECT_TRUE(Ajustes::GuardarPendientes());
}

// A full disk under the settings (its lock file finds no room) or under the
// scratch folder (16 KiB left: one of our copies finds none; or Qt's alone)
// says so, and where: never "another instance", never just "could not
// write"; so does a scratch folder that takes no new file. A tmpfs when root
// may mount one; and always every such call there failing.
TEST(AjustesSeguros, UnDiscoLlenoSeDiceLleno)
{
    QTemporaryDir d;
    const QString config = d.filePath("config"), datos = d.filePath("datos");
    const AlmacenEn almacen(config);
    const DatosEn enDatos(datos);
    const QString ruta = Ajustes::RutaAlmacen(), valor(5000, 'n'), borradores = Archivos::CarpetaBorradores();
    const QString lleno = "No queda espacio en el disco", llenos = lleno + " de la carpeta " + borradores;
    // The simulated fault: every such call in the folder, or from the
    // second one of a path (the scratch copy's lock, not the store's). Room
    // left on the tmpfs, in KiB.
    const struct { const char *caso; QString carpeta; int largo, libre; Inyeccion::Regla regla; QString motivo; } casos[] = {
        {"settings", config, 10, 0, {Llamada::Escribir, {}, 1, ENOSPC, true}, lleno},
        {"scratch, our copy", datos, 6000, 16, {Llamada::Escribir, {}, 1, ENOSPC, true}, llenos},
        {"scratch, Qt's copy", datos, 1000, 16, {Llamada::Escribir, ".ini.lock", 2, ENOSPC, true}, // two pages with the value
         "no se pudo escribir en la carpeta " + borradores}, // simulated: the folder has room
        {"scratch, no new file", datos, 10, 0, {Llamada::Abrir, {}, 1, EACCES, true}, "no se puede usar la carpeta " + borradores + ": Permiso denegado"},
        // Nor an unnamed one to ask why.
        {"scratch, no file at all", datos, 10, 0, {Llamada::Abrir, {}, 1, EOPNOTSUPP, true}, "no se pudo escribir en la carpeta " + borradores},
        // Made, then not opened again to be written (the fourth open of the three copies).
        {"scratch, a copy shut", datos, 10, 0, {Llamada::Abrir, "~zolv-", 4, EACCES}, "no se puede usar la carpeta " + borradores + ": Permiso denegado"},
    };
    for (const auto &c : casos) {
        for (bool real : {true, false}) {
            SCOPED_TRACE(std::string(c.caso) + (real ? ", tmpfs" : ", simulated"));
            QDir().mkpath(c.carpeta);
            std::optional<DiscoPequeno> disco;
            if (real && (c.regla.error != ENOSPC || !disco.emplace(c.carpeta, 64).motivo.isEmpty())) {
                if (disco) std::cout << "[ SKIPPED  ] " << disco->motivo.toStdString() << "\n";
                continue;
            }
            const QByteArray antes = "[A]\nx=" + QByteArray(c.largo, 'a') + '\n';
            Poner(ruta, antes);
            QDir().mkpath(borradores);
            std::optional<Inyeccion::Fallos> sinSitio;
            if (real) {
                disco->Llenar();
                QFile(c.carpeta + "/.relleno").resize(QFileInfo(c.carpeta + "/.relleno").size() - c.libre * 1024);
            } else {
                Inyeccion::Regla r = c.regla;
                if (r.ruta.isEmpty()) r.ruta = QFile::encodeName(c.carpeta);
                sinSitio.emplace(std::vector<Inyeccion::Regla>{r});
            }
            QString motivo;
            EXPECT_FALSE(Ajustes::SaveSetting("Config", "idioma", valor, &motivo));
            sinSitio.reset();
            EXPECT_EQ(motivo, real ? (c.carpeta == config ? lleno : llenos) : c.motivo);
            EXPECT_EQ(Leer(ruta), antes);
            EXPECT_EQ(QDir(QFileInfo(ruta).path()).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(ruta).fileName()});
            EXPECT_EQ(QDir(borradores).entryList(QDir::Files | QDir::Hidden), QStringList());
            // With room again, the value kept for the session goes.
            QFile::remove(c.carpeta + "/.relleno");
            EXPECT_TRUE(Ajustes::GuardarPendientes());
            EXPECT_EQ(Claves(ruta).value("Config/idioma"), valor);
        }
    }
}

TEST(AjustesSeguros, SinFicheroDeBloqueoSeBloqueaElAlmacen)
{
    // A folder that takes no new file, a store its user may write, as an
    // ordinary user (the tests' own folder is root's alone), and a lock
    // file left there by a killed save that can no longer go.
    QTemporaryDir d("/tmp/halvora-ajustes-XXXXXX");
    ::chmod(QFile::encodeName(d.path()).constData(), 0777);
    const AlmacenEn almacen(d.filePath("config"));
    const DatosEn datos(d.filePath("datos"));
    const QString ruta = Poner(Ajustes::RutaAlmacen(), "[Config]\nidioma=es\n");
    Poner(ruta + ".lock", "2147483647\nzolv\n\n"); // of a process gone
    ASSERT_EQ(::chown(QFile::encodeName(ruta).constData(), ComoOtroUsuario::Uid(), ComoOtroUsuario::Uid()), 0);
    ::chmod(QFile::encodeName(QFileInfo(ruta).path()).constData(), 0555);
    ComoOtroUsuario nadie;
    const int abiertos = QDir("/proc/self/fd").count();
    // Another instance holds the store itself: the value waits, and says why;
    // let go during the wait at exit, the value goes.
    QFile otra(ruta);
    ASSERT_TRUE(otra.open(QIODevice::ReadOnly));
    ASSERT_EQ(::flock(otra.handle(), LOCK_EX), 0);
    QString motivo;
    EXPECT_FALSE(Ajustes::SaveSetting("Config", "idioma", "en", &motivo));
    EXPECT_EQ(motivo, "otra instancia del programa la tiene ocupada");
    EXPECT_EQ(Leer(ruta), "[Config]\nidioma=es\n");
    std::thread suelta([&otra] { QThread::msleep(50), otra.close(); });
    EXPECT_TRUE(Ajustes::GuardarPendientes());
    suelta.join();
    EXPECT_EQ(Claves(ruta), (QMap<QString, QString>{{"Config/idioma", "en"}}));
    EXPECT_EQ(QDir("/proc/self/fd").count(), abiertos);
    EXPECT_EQ(QDir(QFileInfo(ruta).path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), (QStringList{"ZOLV Halvora.ini", "ZOLV Halvora.ini.lock"}));
}

constexpr int kClaves = 3; // saved by each instance

// Waits (a minute at most) until the folder holds 'n' files of the pattern.
void Esperar(const QString &carpeta, const QString &patron, int n)
{
    for (int i = 0; i < 6000 && QDir(carpeta).entryList({patron}, QDir::Files).size() < n; ++i) QThread::msleep(10);
}

// Run as another instance by the test below; nothing on its own.
TEST(AjustesSeguros, GuardaComoOtraInstancia)
{
    const QString n = qEnvironmentVariable("HALVORA_INSTANCIA");
    if (n.isEmpty()) GTEST_SKIP() << "run by AjustesSeguros.SeisInstanciasAlaVez";
    const QString config = qEnvironmentVariable("HALVORA_INSTANCIA_CONFIG");
    const AlmacenEn almacen(config);
    // Ready; all start saving together.
    Poner(config + "/listo" + n, "");
    Esperar(config, "ya", 1);
    for (int j = 0; j < kClaves; ++j) Ajustes::SaveSetting("Instancia" + n, QString("clave%1").arg(j), QString("%1.%2").arg(n).arg(j));
    Poner(config + "/guardado" + n, "");
    // As the program does at exit.
    EXPECT_TRUE(Ajustes::GuardarPendientes());
}

TEST(AjustesSeguros, SeisInstanciasAlaVez)
{
    QTemporaryDir d;
    std::vector<std::unique_ptr<QProcess>> instancias;
    for (int i = 0; i < 6; ++i) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HALVORA_INSTANCIA", QString::number(i));
        env.insert("HALVORA_INSTANCIA_CONFIG", d.path());
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(), {"--gtest_filter=AjustesSeguros.GuardaComoOtraInstancia"});
        instancias.push_back(std::move(p));
    }
    const AlmacenEn almacen(d.path());
    Esperar(d.path(), "listo*", 6);
    {
        // A seventh instance holds the store until the first has made all
        // its saves (none could write): that one's values go at its exit.
        QDir().mkpath(QFileInfo(Ajustes::RutaAlmacen()).absolutePath());
        QLockFile septima(Ajustes::RutaAlmacen() + ".lock");
        ASSERT_TRUE(septima.tryLock(0));
        Poner(d.filePath("ya"), "");
        Esperar(d.path(), "guardado*", 1);
    }
    for (auto &p : instancias) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0);
    }
    const QMap<QString, QString> claves = Claves(Ajustes::RutaAlmacen());
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < kClaves; ++j)
            EXPECT_EQ(claves.value(QString("Instancia%1/clave%2").arg(i).arg(j)), QString("%1.%2").arg(i).arg(j));
}
