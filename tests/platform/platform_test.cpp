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
#include "support/scripted.h"
#include "support/texto.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>

#include <cfloat>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

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
    s.BackColor = ColorRef::Gris(255);
    s.Cls();
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
    s.FontName(QStringLiteral("Arial"));
    s.FontSize(12);
    const double h12 = s.TextHeight(QStringLiteral("X"));
    s.FontSize(24);
    const double h24 = s.TextHeight(QStringLiteral("X"));
    EXPECT_GT(h12, 12.0); // 12 pt is 16 px at 96 dpi
    EXPECT_NEAR(h24 / h12, 2.0, 0.15);
    EXPECT_GT(s.TextWidth(QStringLiteral("WWW")), s.TextWidth(QStringLiteral("i")));
    // Print moves the text position to the next line.
    s.CurrentX = 10;
    s.CurrentY = 5;
    s.Print(QStringLiteral("a"));
    EXPECT_EQ((std::pair{s.CurrentX, s.CurrentY}), (std::pair{0.0, 5 + h24}));
}

TEST(Archivos, TemporalesUnicosYExclusivos)
{
    const int abiertos = QDir("/proc/self/fd").count();
    QSet<QString> vistos;
    for (int i = 0; i < 200; ++i) {
        const QString r = Archivos::CrearTemporal(QStringLiteral("fi_img_"), QStringLiteral(".bmp"));
        EXPECT_TRUE(QFileInfo(r).fileName().startsWith(QStringLiteral("fi_img_")) && r.endsWith(QStringLiteral(".bmp")) &&
                    QFileInfo::exists(r) && !vistos.contains(r)) << r.toStdString();
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

TEST(Dialogos, ExtensionForzadaYReemplazo)
{
    QTemporaryDir d;
    DialogosGuionados dlg;
    CajasGuionadas cajas;
    Dialogos::Peticion p;
    p.guardar = p.forzarExtension = true;
    p.filtros = {{QStringLiteral("PNG (*.png)"), QStringLiteral("*.png")}};
    p.extensionDefecto = QStringLiteral("png");
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

TEST(Ajustes, UnCandadoQueNoSeSueltaNoDetieneNada)
{
    QTemporaryDir d;
    const AlmacenEn almacen(d.path());
    const QString ini = Ajustes::RutaAlmacen(), candado = ini + QStringLiteral(".lock");
    const QByteArray antes("[DialogFolders]\nCurva=/antes\n");
    Poner(ini, antes);
    // A stale lock that is a folder, and a fresh lock file of garbage: the
    // save gives up, the value holds for the session, the file stays.
    for (const QString caso : {"carpeta", "basura"}) {
        ASSERT_TRUE(caso == "carpeta" ? QDir().mkpath(candado) : Archivos::EscribirAtomico(candado, "\x01\xFFno\n\n"));
        EXPECT_FALSE(Ajustes::SaveSetting("DialogFolders", "Curva", "/tras/" + caso));
        EXPECT_EQ(Ajustes::GetSetting("DialogFolders", "Curva"), "/tras/" + caso);
        EXPECT_EQ(Leer(ini), antes);
        QDir(candado).removeRecursively(), QFile::remove(candado);
    }
    // Once the lock is gone, the next save writes what the session kept too.
    EXPECT_TRUE(Ajustes::SaveSetting("Config", "idioma", "en"));
    QSettings s(ini, QSettings::IniFormat);
    EXPECT_EQ(s.value("DialogFolders/Curva").toString() + s.value("Config/idioma").toString(), "/tras/basuraen");
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
    // A comma ends the number, blanks are skipped, an exponent without digits stops.
    const std::pair<const char *, double> casos[] = {
        {"1e3", 1000},      {"12.5", 12.5},  {"abc", 0},        {"", 0},          {"5000", 5000},
        {"-7", -7},         {"12 copias", 12}, {"2,7", 2},      {"1 2", 12},      {" \t2\n00", 200},
        {"12345678901", 12345678901.0}, {"&H1F", 31}, {"&o17", 15}, {"1.5D2", 150}, {"3e", 3},
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
