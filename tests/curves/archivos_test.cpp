// ACV and AMP curve files: bytes in and out, scaling, truncation and bad input.

#include "ayuda_curvas.h"
#include "support/sistema.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace modEngine;

namespace {

class ArchivosCurva : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ReiniciarCurvas();
        arnes::InstalarCajas();
        arnes::vistas = {};
    }
    void TearDown() override { MsgBox::InstalarResponder({}); }
    QTemporaryDir dir;
    std::mt19937 rng{7};
};

const QByteArray exportado =
    U16({4, 4, 2, 0, 0, 255, 255, 2, 0, 0, 255, 255, 3, 10, 0, 255, 128, 200, 255, 2, 0, 0, 255, 255});

Puntos Muestreo(int desplazamiento) // one AMP line: every 17th value
{
    Puntos p;
    for (int k = 0; k < 16; ++k) p.emplace_back(k * 17, (k * 17 + desplazamiento) % 256);
    return p;
}

} // namespace

TEST_F(ArchivosCurva, ExportarEscribeLosBytesEsperados)
{
    PonerPuntos(2, {{0, 10}, {128, 300}, {255, 200}});
    const QString ruta = dir.filePath("salida.acv");
    ASSERT_TRUE(ExportarCurvaACV(ruta));
    EXPECT_EQ(Leer(ruta), exportado);
    EXPECT_EQ(arnes::vistas.cuenta, 0);
}

TEST_F(ArchivosCurva, LecturaDeArchivosBuenos)
{
    QByteArray veinte = U16({4, 5, 20});
    for (int k = 0; k < 20; ++k) veinte += U16({k * 10, k * 12});
    veinte += U16({1, 50, 50, 0, 2, 0, 255, 255, 0, 3, 1, 1, 2, 2, 3, 3}); // the fifth record is ignored
    Puntos dieciseis;
    for (int k = 0; k < 16; ++k) dieciseis.emplace_back(k * 12, k * 10);
    QByteArray fracciones = LineaAMP();
    fracciones.replace(" 17 ", " 17.000 ").replace("0 1 ", "+0 1 ").replace(" 30 ", " -0 ").replace(" 31 ", " 0.0 ");
    const Puntos id = {{0, 0}, {255, 255}};

    const struct {
        const char *caso;
        QByteArray bytes;
        bool amp;
        std::vector<Puntos> canales; // expected; ACV channels past the list keep their points
    } casos[] = {
        {"exported file", exportado, false, {id, id, {{0, 10}, {128, 255}, {255, 200}}, id}},
        {"v4 scaled as pairs", U16({4, 1, 4, 0, 0, 32768, 32768, 128, 300, 65535, 65535}), false,
         {{{0, 0}, {1, 0}, {128, 128}, {255, 255}}}},
        {"v4 small values as they are, sorted", U16({4, 1, 3, 250, 240, 10, 20, 100, 100}), false,
         {{{20, 10}, {100, 100}, {240, 250}}}},
        {"v1 clamped, never scaled", U16({1, 1, 2, 0, 0, 100, 300}), false, {{{0, 0}, {255, 100}}}},
        {"counts 20, 1, 0 and 2", veinte, false, {dieciseis, id, id, {{0, 255}, {255, 0}}}},
        {"one AMP line", "  " + LineaAMP(3, " ,, ") + " \t\r\n", true, {Muestreo(3), id, id, id}},
        {"AMP line ends, an empty line", LineaAMP(0, ",") + "\r\n\r\n" + LineaAMP(10) + "\r" + LineaAMP(20) + "\nx\n",
         true, {Muestreo(0), id, Muestreo(10), Muestreo(20)}},
        {"AMP whole values with a fraction or sign", fracciones, true, {Muestreo(0), id, id, id}},
        {"empty AMP", QByteArray(), true, {id, id, id, id}},
        {"AMP after a UTF-8 byte-order mark", "\xEF\xBB\xBF" + LineaAMP(3) + "\r\n\r\n" + LineaAMP(20), true,
         {Muestreo(3), id, Muestreo(20), id}},
    };
    for (const auto &c : casos) {
        arnes::PrepararEstado(rng);
        Puntos antes[4];
        for (int16_t ch = 0; ch < 4; ++ch) OrdenarPuntos(ch), antes[ch] = DelCanal(ch);
        EXPECT_EQ(arnes::Probar(c.bytes, c.amp), "") << c.caso;
        EXPECT_EQ(arnes::vistas.cuenta, 0) << c.caso;
        for (size_t ch = 0; ch < 4; ++ch)
            EXPECT_EQ(DelCanal(int(ch)), ch < c.canales.size() ? c.canales[ch] : antes[ch]) << c.caso << ", " << ch;
    }
}

TEST_F(ArchivosCurva, ArchivosMalosDejanLaCurvaComoEstaba)
{
    auto amp = [](const char *v) { return LineaAMP().replace(" 100 ", " " + QByteArray(v) + " "); };
    const char *corto = "El archivo ACV esta truncado.", *numCurvas = "Numero de curvas ACV no valido.",
               *version = "Version ACV no compatible.", *noNum = "Valor AMP no numerico.",
               *cuenta = "Cada canal AMP debe contener exactamente 256 valores.",
               *rango = "Los valores AMP deben ser enteros entre 0 y 255.",
               *demasiados = "Demasiados valores en un canal AMP.";
    const struct {
        QByteArray bytes;
        bool amp;
        const char *texto;
    } casos[] = {
        {QByteArray(), false, corto},
        {U16({4}) + QByteArray(1, 0), false, corto},
        {U16({2, 1, 2, 0, 0, 255, 255}), false, version},
        {U16({9, 1}), false, version},
        {U16({4, 0}), false, numCurvas},
        {U16({1, 33}), false, numCurvas},
        {U16({4, 2, 2, 0, 0, 255, 255}) + QByteArray(1, 0), false, corto},
        {U16({4, 3, 2, 0, 0, 255, 255, 3, 0, 0, 128}), false, corto},
        {U16({4, 6, 0, 0, 0, 0, 0, 65535}), false, corto},
        {LineaAMP().left(LineaAMP().lastIndexOf(' ')), true, cuenta},
        {LineaAMP() + "\n1 2 3", true, cuenta},
        {LineaAMP() + "\n" + LineaAMP() + " 7", true, demasiados},
        {amp("1,5"), true, demasiados},
        {LineaAMP() + " x", true, noNum},
        {amp("nan"), true, noNum}, {amp("inf"), true, noNum}, {amp("0x10"), true, noNum}, {amp("12abc"), true, noNum},
        {amp("1e2"), true, noNum}, {amp("."), true, noNum}, {amp("+"), true, noNum}, {amp("1.2.3"), true, noNum},
        {amp("12.5"), true, rango}, {amp("-1"), true, rango}, {amp("256"), true, rango},
        {amp("99999999999999999999"), true, rango},
    };
    for (const auto &c : casos) {
        arnes::PrepararEstado(rng);
        EXPECT_EQ(arnes::Probar(c.bytes, c.amp), "") << c.texto;
        EXPECT_EQ(arnes::vistas.ultima.texto.section(": ", 1), QString::fromUtf8(c.texto))
            << c.bytes.left(40).toHex().constData();
        EXPECT_EQ(arnes::vistas.ultima.Icono(), MsgBox::Exclamation);
    }
}

TEST_F(ArchivosCurva, ArchivoInexistenteYExportacionFallida)
{
    arnes::PrepararEstado(rng);
    GuardarDeshacer();
    const arnes::Foto antes;
    for (const QString &ruta : {dir.filePath("no-esta.acv"), dir.filePath("no-esta.amp")}) {
        EXPECT_FALSE(ruta.endsWith(".acv") ? ImportarCurvaACV(ruta) : ImportarCurvaAMP(ruta));
        EXPECT_EQ(arnes::vistas.ultima.texto, "Archivo no encontrado: " + ruta);
    }
    const arnes::Foto despues;
    EXPECT_TRUE(despues.MismaCurva(antes));
    EXPECT_EQ(despues.numDeshacer, antes.numDeshacer); // nothing popped

    arnes::vistas = {};
    EXPECT_FALSE(ExportarCurvaACV(dir.filePath("no/existe/curva.acv")));
    EXPECT_EQ(arnes::vistas.cuenta, 1);
    EXPECT_TRUE(arnes::vistas.ultima.texto.startsWith("No se pudo exportar la curva ACV: "));
    // A folder in the way: the old file stays whole and no temporary is left.
    const QString viejo = Poner(dir.filePath("bueno.acv"), "viejo");
    QDir(dir.path()).mkdir("carpeta.acv");
    EXPECT_FALSE(ExportarCurvaACV(dir.filePath("carpeta.acv")));
    EXPECT_EQ(Leer(viejo), "viejo");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(ArchivosCurva, BytesDeMasTrasLaCurva)
{
    // ACV: the records are read, whatever follows them is not, however long:
    // megabytes after an exported file, and after the largest file there
    // can be (32 records of 65535 points, 8388548 bytes: the last read
    // ends on its last byte).
    QByteArray registro = U16({65535});
    for (int k = 0; k < 65535; ++k) registro += char(0), registro += char(k), registro += char(0), registro += char(k);
    const QByteArray mayor = U16({4, 32}) + registro.repeated(32);
    ASSERT_EQ(mayor.size(), 8388548);
    Puntos diagonal;
    for (int k = 0; k < 16; ++k) diagonal.emplace_back(k, k);
    const Puntos id = {{0, 0}, {255, 255}};
    const struct { QByteArray bytes; std::vector<Puntos> canales; } acv[] = {
        {exportado + QByteArray(10 << 20, '\xFF'), {id, id, {{0, 10}, {128, 255}, {255, 200}}, id}},
        {mayor + QByteArray(2 << 20, '\x07'), {diagonal, diagonal, diagonal, diagonal}},
    };
    for (const auto &c : acv) {
        arnes::PrepararEstado(rng);
        GuardarDeshacer();
        EXPECT_TRUE(ImportarCurvaACV(Poner(dir.filePath("largo.acv"), c.bytes)));
        EXPECT_EQ(arnes::vistas.cuenta, 0);
        for (int ch = 0; ch < 4; ++ch) EXPECT_EQ(DelCanal(ch), c.canales[size_t(ch)]) << ch;
    }
    // AMP is text of a few kilobytes: 16 MiB is read, a byte more refused.
    const QByteArray amp = LineaAMP(3) + "\n\n\n\n";
    for (int demas : {0, 1}) {
        arnes::PrepararEstado(rng);
        GuardarDeshacer();
        const Puntos antes = DelCanal(0);
        const QByteArray bytes = amp + QByteArray((16 << 20) - amp.size() + demas, ' ');
        EXPECT_EQ(ImportarCurvaAMP(Poner(dir.filePath("largo.amp"), bytes)), demas == 0);
        EXPECT_EQ(arnes::vistas.ultima.texto, demas ? "No se pudo importar la curva AMP: El archivo es demasiado grande." : "");
        EXPECT_EQ(DelCanal(0), demas ? antes : Muestreo(3));
    }
}
