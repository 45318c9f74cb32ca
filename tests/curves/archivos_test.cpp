// ACV and AMP curve files: bytes in and out, scaling, truncation, bad input,
// and the rollback of a failed import.

#include "ayuda_curvas.h"
#include "curves/archivoscurva.h"
#include "support/scripted.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace modEngine;

namespace {

QByteArray U16(std::initializer_list<int> valores)
{
    QByteArray b;
    for (int v : valores) {
        b.append(static_cast<char>((v >> 8) & 0xFF));
        b.append(static_cast<char>(v & 0xFF));
    }
    return b;
}

class ArchivosCurva : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ReiniciarCurvas();
    }
    QString Escribir(const QString &nombre, const QByteArray &contenido)
    {
        const QString ruta = dir.filePath(nombre);
        QFile f(ruta);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenido);
        return ruta;
    }
    QByteArray LeerBytes(const QString &ruta)
    {
        QFile f(ruta);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    // Imports as the editor does: a snapshot first.
    bool ImportarACV(const QByteArray &contenido)
    {
        GuardarDeshacer();
        return ImportarCurvaACV(Escribir("c.acv", contenido));
    }
    bool ImportarAMP(const QByteArray &contenido)
    {
        GuardarDeshacer();
        return ImportarCurvaAMP(Escribir("c.amp", contenido));
    }
    QString UnicoMensaje() const
    {
        EXPECT_EQ(cajas.llamadas.size(), 1);
        if (cajas.llamadas.isEmpty()) return {};
        EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Exclamation);
        return cajas.llamadas[0].texto;
    }
    // A state worth restoring: several points, levels, a current colour
    // channel, tables holding the red curve alone.
    void EstadoEditado()
    {
        PonerPuntos(0, {{0, 20}, {128, 150}, {255, 230}});
        PonerPuntos(1, {{0, 0}, {60, 90}, {255, 255}});
        PonerPuntos(3, {{10, 250}, {245, 5}});
        FijarNivel(2, 1, 200);
        FijarNivel(3, 2, 30);
        CanalActual = 1;
        PuntoSel = 1;
        ModoInterpolacion = 1;
        RegenerarCurvaActual();
    }

    QTemporaryDir dir;
    CajasGuionadas cajas;
};

QByteArray LineaAMP(int desplazamiento = 0, const char *sep = " ")
{
    QByteArray l;
    for (int i = 0; i < 256; ++i) {
        if (i) l += sep;
        l += QByteArray::number((i + desplazamiento) % 256);
    }
    return l;
}

} // namespace

TEST_F(ArchivosCurva, ExportarEscribeLosBytesEsperados)
{
    PonerPuntos(2, {{0, 10}, {128, 300}, {255, 200}});
    const QString ruta = dir.filePath("salida.acv");
    ASSERT_TRUE(ExportarCurvaACV(ruta));
    const QByteArray esperado = U16({4, 4, 2, 0, 0, 255, 255, 2, 0, 0, 255, 255, 3, 10, 0, 255, 128,
                                      200, 255, 2, 0, 0, 255, 255});
    EXPECT_EQ(LeerBytes(ruta), esperado);
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}

TEST_F(ArchivosCurva, IdaYVueltaConservaPuntosYReponeNiveles)
{
    EstadoEditado();
    PonerPuntos(2, {{200, 40}, {0, 0}, {255, 255}, {90, 180}}); // unsorted
    const EstadoCurvas antes = TomarEstado();
    const QString ruta = dir.filePath("ida.acv");
    ASSERT_TRUE(ExportarCurvaACV(ruta));
    ReiniciarCurvas();
    CanalActual = 2;
    GuardarDeshacer();
    ASSERT_TRUE(ImportarCurvaACV(ruta));
    for (int ch = 0; ch < 4; ++ch) {
        ASSERT_EQ(NumPuntos[ch], antes.NumPuntos[ch]) << ch;
        EXPECT_EQ(EntradaNegro[ch], 0);
        EXPECT_EQ(EntradaBlanco[ch], 255);
        EXPECT_EQ(SalidaNegro[ch], 0);
        EXPECT_EQ(SalidaBlanco[ch], 255);
    }
    for (int ch : {0, 1, 3})
        for (int k = 0; k < NumPuntos[ch]; ++k) {
            EXPECT_EQ(PuntoX[ch][k], antes.PuntoX[ch][k]);
            EXPECT_EQ(PuntoY[ch][k], antes.PuntoY[ch][k]);
        }
    // The composition sorted the unsorted channel.
    EXPECT_EQ(PuntoX[2][1], 90);
    EXPECT_EQ(PuntoY[2][2], 40);
    EXPECT_EQ(CanalActual, 2);
    EXPECT_EQ(VersionCurva, 5);
    EXPECT_EQ(NumeroDeshacer(), 1); // a good import keeps the caller's snapshot
    // Exporting the imported curve gives the same file again.
    const QByteArray primero = LeerBytes(ruta);
    PonerPuntos(2, {{200, 40}, {0, 0}, {255, 255}, {90, 180}});
    ASSERT_TRUE(ExportarCurvaACV(ruta));
    EXPECT_EQ(LeerBytes(ruta), primero);
}

TEST_F(ArchivosCurva, Version4EscalaYVersion1Limita)
{
    // 0..65535 scaled; 32768 gives 128; a pair is scaled as a whole.
    ASSERT_TRUE(ImportarACV(U16({4, 1, 4, 0, 0, 32768, 32768, 128, 300, 65535, 65535})));
    EXPECT_EQ(NumPuntos[0], 4);
    EXPECT_EQ(PuntoX[0][1], 1);  // (128, 300) -> output 0, input 1
    EXPECT_EQ(PuntoY[0][1], 0);
    EXPECT_EQ(PuntoX[0][2], 128);
    EXPECT_EQ(PuntoY[0][2], 128);
    EXPECT_EQ(PuntoX[0][3], 255);
    EXPECT_EQ(PuntoY[0][3], 255);
    // Version 4 with small values: taken as they are.
    ASSERT_TRUE(ImportarACV(U16({4, 1, 2, 10, 20, 250, 240})));
    EXPECT_EQ(PuntoX[0][0], 20);
    EXPECT_EQ(PuntoY[0][0], 10);
    // Version 1 is never scaled: clamped.
    ASSERT_TRUE(ImportarACV(U16({1, 1, 2, 0, 0, 100, 300})));
    EXPECT_EQ(PuntoX[0][1], 255);
    EXPECT_EQ(PuntoY[0][1], 100);
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}

TEST_F(ArchivosCurva, UnaCurvaCambiaSoloElMaestroYReponeTodosLosNiveles)
{
    EstadoEditado();
    ASSERT_TRUE(ImportarACV(U16({4, 1, 3, 0, 0, 200, 100, 255, 255})));
    EXPECT_EQ(NumPuntos[0], 3);
    EXPECT_EQ(NumPuntos[1], 3);
    EXPECT_EQ(PuntoY[1][1], 90); // colour curves stay
    EXPECT_EQ(PuntoX[3][0], 10);
    EXPECT_EQ(EntradaBlanco[2], 255);
    EXPECT_EQ(SalidaNegro[3], 0);
    EXPECT_EQ(CanalActual, 1);
    // Tables composed: blue = its own curve after the master.
    const auto azul = Tabla(3, 1);
    const auto maestro = Tabla(0, 1);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(LutB[i], azul[maestro[i]]) << i;
}

TEST_F(ArchivosCurva, CuentasDePuntosYRegistrosDeMas)
{
    // 20 points keep the first 16; 1 point and none become the identity;
    // a fifth record is read and ignored.
    QByteArray f = U16({4, 5, 20});
    for (int k = 0; k < 20; ++k) f += U16({k * 10, k * 12});
    f += U16({1, 50, 50});
    f += U16({0});
    f += U16({2, 0, 255, 255, 0});
    f += U16({3, 1, 1, 2, 2, 3, 3});
    ASSERT_TRUE(ImportarACV(f));
    EXPECT_EQ(NumPuntos[0], 16);
    EXPECT_EQ(PuntoX[0][15], 180);
    EXPECT_EQ(PuntoY[0][15], 150);
    for (int ch : {1, 2}) {
        EXPECT_EQ(NumPuntos[ch], 2);
        EXPECT_EQ(PuntoX[ch][0], 0);
        EXPECT_EQ(PuntoY[ch][1], 255);
    }
    EXPECT_EQ(PuntoY[3][0], 255);
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}

TEST_F(ArchivosCurva, ACVMalFormadoDejaElEstadoComoEstaba)
{
    struct Caso {
        QByteArray bytes;
        const char *texto;
    };
    const QByteArray tresCurvas = U16({4, 3, 2, 0, 0, 255, 255, 3, 0, 0, 128}); // ends in record 2
    const Caso casos[] = {
        {QByteArray(), "El archivo ACV esta truncado."},
        {U16({4}) + QByteArray(1, 0), "El archivo ACV esta truncado."},
        {U16({2, 1, 2, 0, 0, 255, 255}), "Version ACV no compatible."},
        {U16({4, 0}), "Numero de curvas ACV no valido."},
        {U16({1, 33}), "Numero de curvas ACV no valido."},
        {U16({4, 2, 2, 0, 0, 255, 255}) + QByteArray(1, 0), "El archivo ACV esta truncado."},
        {tresCurvas, "El archivo ACV esta truncado."},
        {U16({4, 6, 0, 0, 0, 0, 0, 65535}), "El archivo ACV esta truncado."},
    };
    for (const Caso &c : casos) {
        ReiniciarCurvas();
        EstadoEditado();
        const FotoCurvas antes = FotoCurvas::Tomar();
        cajas.llamadas.clear();
        EXPECT_FALSE(ImportarACV(c.bytes)) << c.texto;
        EXPECT_EQ(UnicoMensaje(), QStringLiteral("No se pudo importar la curva ACV: ") + c.texto);
        const FotoCurvas despues = FotoCurvas::Tomar();
        EXPECT_TRUE(despues.MismasCurvas(antes)) << c.bytes.toHex().constData();
        EXPECT_EQ(despues.numDeshacer, antes.numDeshacer); // the pushed snapshot was popped
        EXPECT_EQ(despues.version, antes.version);
    }
}

TEST_F(ArchivosCurva, ImportacionFallidaSinInstantaneaRestauraIgual)
{
    EstadoEditado();
    GuardarDeshacer();
    PonerPuntos(0, {{0, 0}, {30, 200}, {255, 255}}); // changed after the push
    RegenerarCurvaActual();
    const FotoCurvas antes = FotoCurvas::Tomar();
    EXPECT_FALSE(ImportarCurvaACV(Escribir("x.acv", U16({9, 1}))));
    EXPECT_TRUE(FotoCurvas::Tomar().MismasCurvas(antes));
    EXPECT_EQ(NumeroDeshacer(), 0); // the ring is still popped
}

TEST_F(ArchivosCurva, ArchivoInexistente)
{
    EstadoEditado();
    GuardarDeshacer();
    const FotoCurvas antes = FotoCurvas::Tomar();
    const QString ruta = dir.filePath("no-esta.acv");
    EXPECT_FALSE(ImportarCurvaACV(ruta));
    EXPECT_EQ(UnicoMensaje(), QStringLiteral("Archivo no encontrado: ") + ruta);
    cajas.llamadas.clear();
    EXPECT_FALSE(ImportarCurvaAMP(dir.path())); // a folder is not a curve file
    EXPECT_EQ(UnicoMensaje(), QStringLiteral("Archivo no encontrado: ") + dir.path());
    const FotoCurvas despues = FotoCurvas::Tomar();
    EXPECT_TRUE(despues.MismasCurvas(antes));
    EXPECT_EQ(despues.numDeshacer, 1); // the caller's snapshot stays
}

TEST_F(ArchivosCurva, ExportacionFallidaAvisaYNoTocaNada)
{
    const QString ruta = dir.filePath("no/existe/curva.acv");
    EXPECT_FALSE(ExportarCurvaACV(ruta));
    EXPECT_TRUE(UnicoMensaje().startsWith(QStringLiteral("No se pudo exportar la curva ACV: ")));
    EXPECT_FALSE(QFile::exists(ruta));
    // A good file stays whole when the new content cannot take its place.
    const QString bueno = Escribir("bueno.acv", U16({4, 1, 2, 0, 0, 255, 255}));
    QDir(dir.path()).mkdir("carpeta.acv");
    cajas.llamadas.clear();
    EXPECT_FALSE(ExportarCurvaACV(dir.filePath("carpeta.acv")));
    EXPECT_EQ(LeerBytes(bueno), U16({4, 1, 2, 0, 0, 255, 255}));
    EXPECT_TRUE(QFileInfo(dir.filePath("carpeta.acv")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1); // no temporary left
}

TEST_F(ArchivosCurva, AMPUnaLineaMuestreaDieciseisPuntos)
{
    EstadoEditado();
    const int version = VersionCurva;
    ASSERT_TRUE(ImportarAMP("  " + LineaAMP(3, " ,, ") + " \t\r\n"));
    EXPECT_EQ(NumPuntos[0], 16);
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(PuntoX[0][k], k * 17);
        EXPECT_EQ(PuntoY[0][k], (k * 17 + 3) % 256);
    }
    for (int ch = 1; ch < 4; ++ch) {
        EXPECT_EQ(NumPuntos[ch], 2);
        EXPECT_EQ(PuntoX[ch][1], 255);
        EXPECT_EQ(PuntoY[ch][1], 255);
        EXPECT_EQ(SalidaNegro[ch], 0);
    }
    EXPECT_EQ(EntradaBlanco[2], 255);
    EXPECT_EQ(CanalActual, 1);
    EXPECT_EQ(VersionCurva, version + 9);
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}

TEST_F(ArchivosCurva, AMPCuatroLineasYLineasVacias)
{
    // CR LF, LF and lone CR all end a line; an empty line is an identity;
    // lines after the fourth are not read.
    const QByteArray f = LineaAMP(0, ",") + "\r\n\r\n" + LineaAMP(10) + "\r" + LineaAMP(20) +
                         "\nnot read\n";
    ASSERT_TRUE(ImportarAMP(f));
    EXPECT_EQ(NumPuntos[0], 16);
    EXPECT_EQ(NumPuntos[1], 2);
    EXPECT_EQ(PuntoY[2][1], 27);
    EXPECT_EQ(PuntoY[3][15], 19); // (255 + 20) mod 256
    // Whole values written with a fraction are accepted.
    QByteArray l = LineaAMP();
    l.replace(" 17 ", " 17.000 ");
    l.replace("0 1 ", "+0 1 ");
    ASSERT_TRUE(ImportarAMP(l));
    EXPECT_EQ(PuntoY[0][1], 17);
    // An empty file makes every channel an identity.
    ASSERT_TRUE(ImportarAMP(QByteArray()));
    EXPECT_EQ(NumPuntos[0], 2);
}

TEST_F(ArchivosCurva, AMPMalFormadoDejaElEstadoComoEstaba)
{
    const QString cuenta = QStringLiteral("Cada canal AMP debe contener exactamente 256 valores.");
    const QString rango = QStringLiteral("Los valores AMP deben ser enteros entre 0 y 255.");
    const QString noNum = QStringLiteral("Valor AMP no numerico.");
    const QString demasiados = QStringLiteral("Demasiados valores en un canal AMP.");
    auto conValor = [](const QByteArray &v) {
        QByteArray l = LineaAMP();
        l.replace(" 100 ", " " + v + " ");
        return l;
    };
    struct Caso {
        QByteArray bytes;
        QString texto;
    };
    const Caso casos[] = {
        {LineaAMP().left(LineaAMP().lastIndexOf(' ')), cuenta},       // 255 values
        {LineaAMP() + "\n" + LineaAMP() + " 7", demasiados},
        {LineaAMP() + " x", noNum}, // a 257th value that is not a number is that error
        {conValor("12.5"), rango},
        {conValor("-1"), rango},
        {conValor("256"), rango},
        {conValor("99999999999999999999"), rango},
        {conValor("nan"), noNum},
        {conValor("inf"), noNum},
        {conValor("0x10"), noNum},
        {conValor("12abc"), noNum},
        {conValor("1e2"), noNum},
        {conValor("1,5"), demasiados}, // a comma separates: one value too many
        {conValor("."), noNum},
        {conValor("+"), noNum},
        {conValor("1.2.3"), noNum},
        {LineaAMP() + "\n" + "1 2 3", cuenta},
    };
    for (const Caso &c : casos) {
        ReiniciarCurvas();
        EstadoEditado();
        const FotoCurvas antes = FotoCurvas::Tomar();
        cajas.llamadas.clear();
        EXPECT_FALSE(ImportarAMP(c.bytes)) << c.texto.toStdString();
        EXPECT_EQ(UnicoMensaje(), QStringLiteral("No se pudo importar la curva AMP: ") + c.texto);
        const FotoCurvas despues = FotoCurvas::Tomar();
        EXPECT_TRUE(despues.MismasCurvas(antes));
        EXPECT_EQ(despues.numDeshacer, antes.numDeshacer);
        EXPECT_EQ(despues.version, antes.version);
    }
    // "-0" and "0.0" are zero, not negative.
    EXPECT_TRUE(ImportarAMP(conValor("-0")));
    EXPECT_TRUE(ImportarAMP(conValor("0.0")));
}
