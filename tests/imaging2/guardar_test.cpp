// Saving the processed sample: a round trip through every format with the
// given flags, the file's bytes, progress, and failures that keep old files.

#include "ayuda_imagen.h"

#include "imaging/guardar.h"
#include "support/scripted.h"

#include <FreeImage.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace modImage;

namespace {

class Guardar : public ::testing::Test {
protected:
    void SetUp() override
    {
        EstadoInicial();
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override { EstadoInicial(); }
    QString Ruta(const QString &nombre) const { return dir.filePath(nombre); }
    QTemporaryDir dir;
};

// Sample 37 x 23 (rows with alignment bytes), smooth so that JPEG stays close.
Pixeles Degradado(int w, int h)
{
    return HacerBuffer(w, h, [](int x, int y, uint8_t *p) {
        p[0] = static_cast<uint8_t>(5 * x), p[1] = static_cast<uint8_t>(10 * y), p[2] = static_cast<uint8_t>(128);
    });
}

// Reads a file back as a 24-bit buffer in the engine's layout.
bool Leer(const QString &ruta, int &w, int &h, Pixeles &px)
{
    const QByteArray n = QFile::encodeName(ruta);
    const FREE_IMAGE_FORMAT fif = FreeImage_GetFileType(n.constData(), 0);
    if (fif == FIF_UNKNOWN) return false;
    FIBITMAP *b = FreeImage_Load(fif, n.constData(), 0);
    if (!b) return false;
    FIBITMAP *c = FreeImage_ConvertTo24Bits(b);
    FreeImage_Unload(b);
    if (!c) return false;
    w = static_cast<int>(FreeImage_GetWidth(c));
    h = static_cast<int>(FreeImage_GetHeight(c));
    const int64_t paso = PasoDeAncho(w);
    px.assign(static_cast<size_t>(paso * h), 0);
    for (int y = 0; y < h; ++y)
        std::memcpy(px.data() + y * paso, FreeImage_GetScanLine(c, y), static_cast<size_t>(3 * w));
    FreeImage_Unload(c);
    return true;
}

} // namespace

TEST_F(Guardar, IdaYVueltaEnCadaFormato)
{
    const int w = 37, h = 23;
    const Pixeles src = Degradado(w, h);
    PonerMuestra(w, h, src);
    for (int v = 0; v < 256; ++v) modEngine::LutG[v] = static_cast<uint8_t>(v / 2);
    InvertirTonos = true;
    InvertirHorizontal = true;
    // Expected: green halved, every byte inverted, columns mirrored.
    const int64_t paso = PasoDeAncho(w);
    Pixeles esperado(src.size(), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t *s = src.data() + y * paso + 3 * x;
            uint8_t *d = esperado.data() + y * paso + 3 * (w - 1 - x);
            d[0] = static_cast<uint8_t>(255 - s[0]);
            d[1] = static_cast<uint8_t>(255 - s[1] / 2);
            d[2] = static_cast<uint8_t>(255 - s[2]);
        }
    struct Caso {
        const char *nombre;
        int fif, flags;
        int tolerancia;
    };
    const Caso casos[] = {
        {"a.bmp", FIF_BMP, 0, 0},
        {"a.png", FIF_PNG, 9, 0},
        {"a.tif", FIF_TIFF, TIFF_LZW, 0},
        {"a.webp", FIF_WEBP, WEBP_LOSSLESS, 0},
        {"a.jpg", FIF_JPEG, 95 | JPEG_PROGRESSIVE, 24},
    };
    CajasGuionadas cajas;
    for (const Caso &c : casos) {
        ASSERT_TRUE(GuardarImagenProcesada(Ruta(QString::fromLatin1(c.nombre)), c.fif, c.flags)) << c.nombre;
        int rw = 0, rh = 0;
        Pixeles leido;
        ASSERT_TRUE(Leer(Ruta(QString::fromLatin1(c.nombre)), rw, rh, leido)) << c.nombre;
        ASSERT_EQ(rw, w);
        ASSERT_EQ(rh, h);
        int peor = 0;
        for (size_t i = 0; i < leido.size(); ++i) peor = std::max(peor, std::abs(leido[i] - esperado[i]));
        EXPECT_LE(peor, c.tolerancia) << c.nombre;
    }
    EXPECT_TRUE(cajas.llamadas.isEmpty());
    EXPECT_EQ(PixelesMuestra, src);
    EXPECT_EQ(PixelesMuestraOriginal, src);
    // Only the files asked for: no temporary left beside them.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

TEST_F(Guardar, LasOpcionesLleganIntactas)
{
    PonerMuestra(64, 64, BufferAleatorio(64, 64, 11));
    ASSERT_TRUE(GuardarImagenProcesada(Ruta("p.jpg"), FIF_JPEG, 90 | JPEG_PROGRESSIVE));
    ASSERT_TRUE(GuardarImagenProcesada(Ruta("b.jpg"), FIF_JPEG, 90));
    ASSERT_TRUE(GuardarImagenProcesada(Ruta("q.jpg"), FIF_JPEG, 10));
    ASSERT_TRUE(GuardarImagenProcesada(Ruta("n.png"), FIF_PNG, PNG_Z_NO_COMPRESSION));
    ASSERT_TRUE(GuardarImagenProcesada(Ruta("z.png"), FIF_PNG, 9));
    const auto leer = [&](const char *n) {
        QFile f(Ruta(QString::fromLatin1(n)));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    };
    // Progressive JPEG has a SOF2 marker, baseline a SOF0.
    EXPECT_TRUE(leer("p.jpg").contains(QByteArray("\xFF\xC2", 2)));
    EXPECT_FALSE(leer("b.jpg").contains(QByteArray("\xFF\xC2", 2)));
    EXPECT_LT(leer("q.jpg").size(), leer("b.jpg").size());
    // Random pixels stored without compression take at least their raw size.
    EXPECT_GE(leer("n.png").size(), 64 * 64 * 3);
    EXPECT_NE(leer("n.png"), leer("z.png"));
}

TEST_F(Guardar, BMPDeUnPixelDeAncho)
{
    PonerMuestra(1, 3, HacerBuffer(1, 3, [](int, int y, uint8_t *p) {
        p[0] = static_cast<uint8_t>(10 + y), p[1] = 20, p[2] = 30;
    }));
    ProgresoGrabado prog;
    ASSERT_TRUE(GuardarImagenProcesada(Ruta("uno.bmp"), FIF_BMP, 0));
    QFile f(Ruta("uno.bmp"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    ASSERT_EQ(b.size(), 54 + 3 * 4);
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(static_cast<uint8_t>(b[28]), 24); // bits per pixel
    // Bottom row first: 12, 20, 30 and a zero alignment byte.
    EXPECT_EQ(b.mid(54, 4), QByteArray("\x0C\x14\x1E\x00", 4));
    EXPECT_EQ(b.mid(62, 4), QByteArray("\x0A\x14\x1E\x00", 4));

    const QList<QPair<int, QString>> esperado = {
        {0, QStringLiteral("Aplicando curva a imagen completa...")},
        {0, QStringLiteral("Aplicando curva...")},
        {75, QStringLiteral("Guardando imagen...")},
        {100, QStringLiteral("Guardado.")},
    };
    EXPECT_EQ(prog.informes, esperado);
}

TEST_F(Guardar, FallosDejanElFicheroAnterior)
{
    ProgresoGrabado prog;
    CajasGuionadas cajas;
    // No sample: false, nothing shown or written.
    EXPECT_FALSE(GuardarImagenProcesada(Ruta("x.png"), FIF_PNG, 0));
    EXPECT_TRUE(cajas.llamadas.isEmpty());
    EXPECT_TRUE(prog.informes.isEmpty());
    EXPECT_FALSE(QFile::exists(Ruta("x.png")));

    PonerMuestra(8, 8, BufferAleatorio(8, 8, 4));
    const QString viejo = Ruta("viejo.png");
    {
        QFile f(viejo);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("contenido previo");
    }
    // A format the library cannot write: the old file stays whole.
    EXPECT_FALSE(GuardarImagenProcesada(viejo, 99, 0));
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, QStringLiteral("Error al guardar la imagen en:\r\n") + viejo);
    EXPECT_EQ(cajas.llamadas[0].estilo, static_cast<int>(MsgBox::Exclamation));
    EXPECT_TRUE(cajas.llamadas[0].titulo.isEmpty());
    QFile f(viejo);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("contenido previo"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("viejo.png")});
    EXPECT_NE(prog.informes.last().second, QStringLiteral("Guardado."));

    // A folder that does not exist.
    const QString sinCarpeta = Ruta("no/existe.bmp");
    EXPECT_FALSE(GuardarImagenProcesada(sinCarpeta, FIF_BMP, 0));
    ASSERT_EQ(cajas.llamadas.size(), 2);
    EXPECT_EQ(cajas.llamadas[1].texto, QStringLiteral("Error al guardar la imagen en:\r\n") + sinCarpeta);
}
