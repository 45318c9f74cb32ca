// Saving the processed sample: a round trip through every format, the flags
// reaching the file, the bytes of a small BMP, progress, and failures that
// keep the old file.

#include "ayuda_imagen.h"

#include "imaging/cargar.h"
#include "imaging/guardar.h"
#include "imaging/imagenes.h"
#include "platform/numbers.h"
#include "support/scripted.h"

#include <FreeImage.h>
#include <QColorSpace>
#include <QDir>
#include <QImage>
#include <QFile>
#include <QTemporaryDir>

using namespace modImage;

namespace {
class Guardar : public Motor {
protected:
    QString Ruta(const QString &n) const { return dir.filePath(n); }
    QByteArray Bytes(const QString &n) const
    {
        QFile f(Ruta(n));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
    CajasGuionadas cajas;
};
} // namespace

TEST_F(Guardar, IdaYVueltaEnCadaFormatoSinTocarLaMuestra)
{
    // 37 x 23 (padded rows), smooth so that JPEG stays close.
    const int w = 37, h = 23;
    const Pixeles src = Buffer(w, h, [](int x, int y, uint8_t *p) { p[0] = uint8_t(5 * x), p[1] = uint8_t(10 * y), p[2] = 128; });
    PonerMuestra(w, h, src);
    modEngine::FijarNivel(2, 3, 127); // green halved, whichever channel is edited
    InvertirTonos = InvertirHorizontal = true;
    const Instantanea curva = TomarInstantanea();
    const struct { const char *nombre; int fif, flags, tolerancia; } casos[] = {
        {"a.bmp", FIF_BMP, 0, 0}, {"a.png", FIF_PNG, 9, 0}, {"a.tif", FIF_TIFF, TIFF_LZW, 0},
        {"a.webp", FIF_WEBP, WEBP_LOSSLESS, 0}, {"a.jpg", FIF_JPEG, 95 | JPEG_PROGRESSIVE, 24}};
    for (const auto &c : casos) {
        SCOPED_TRACE(c.nombre);
        ASSERT_TRUE(GuardarImagenProcesada(Ruta(c.nombre), c.fif, c.flags));
        FIBITMAP *leido = FreeImage_Load(FREE_IMAGE_FORMAT(c.fif), QFile::encodeName(Ruta(c.nombre)).constData(), 0);
        ASSERT_TRUE(leido);
        FIBITMAP *b = FreeImage_ConvertTo24Bits(leido);
        FreeImage_Unload(leido);
        ASSERT_EQ(std::pair(FreeImage_GetWidth(b), FreeImage_GetHeight(b)), std::pair(unsigned(w), unsigned(h)));
        // Green halved, every byte inverted, columns mirrored.
        int peor = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t *s = src.data() + y * PasoDeAncho(w) + 3 * x, *d = FreeImage_GetScanLine(b, y) + 3 * (w - 1 - x);
                for (int k = 0; k < 3; ++k) peor = std::max(peor, std::abs(d[k] - (255 - (k == 1 ? curva.lutG[s[k]] : s[k]))));
            }
        FreeImage_Unload(b);
        EXPECT_LE(peor, c.tolerancia);
    }
    EXPECT_TRUE(cajas.llamadas.isEmpty());
    EXPECT_EQ(PixelesMuestra, src);
    EXPECT_EQ(PixelesMuestraOriginal, src);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 5); // no temporary left beside them
    // The flags reach the file: a progressive JPEG has a SOF2 marker.
    ASSERT_TRUE(GuardarImagenProcesada(Ruta("b.jpg"), FIF_JPEG, 95));
    EXPECT_TRUE(Bytes("a.jpg").contains(QByteArray("\xFF\xC2", 2)));
    EXPECT_FALSE(Bytes("b.jpg").contains(QByteArray("\xFF\xC2", 2)));
}

TEST_F(Guardar, ConservaLaResolucionYElPerfilDeLaMuestra)
{
    // A 300 ppi (11811 dots per metre) Adobe RGB sample, loaded as the editor loads it.
    const QByteArray perfil = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
    FIBITMAP *b = prueba::Color24(9, 5, [](int x, int y) { return 0x102030u * uint32_t(1 + x + y); });
    FreeImage_SetDotsPerMeterX(b, 11811), FreeImage_SetDotsPerMeterY(b, 11811);
    prueba::Incrustar(b, perfil);
    const QString fuente = prueba::Guardar(b, FIF_TIFF, QStringLiteral("adobe300.tif"));
    LeerInfoImagen(fuente);
    ASSERT_TRUE(CargarMuestra(fuente, nullptr));
    const struct { const char *nombre; int fif, flags; bool resolucion, perfil; } casos[] = {
        {"p.tif", FIF_TIFF, 0, true, true},  {"p.png", FIF_PNG, 0, true, true}, {"p.jpg", FIF_JPEG, 90, true, true},
        {"p.webp", FIF_WEBP, WEBP_LOSSLESS, false, true}, {"p.bmp", FIF_BMP, 0, true, false}};
    for (const auto &c : casos) {
        SCOPED_TRACE(c.nombre);
        ASSERT_TRUE(GuardarImagenProcesada(Ruta(c.nombre), c.fif, c.flags));
        FIBITMAP *l = FreeImage_Load(FREE_IMAGE_FORMAT(c.fif), QFile::encodeName(Ruta(c.nombre)).constData(), 0);
        ASSERT_TRUE(l);
        const int ppp = Numeros::CLng(FreeImage_GetDotsPerMeterX(l) * 0.0254) * 10000 +
                        Numeros::CLng(FreeImage_GetDotsPerMeterY(l) * 0.0254);
        EXPECT_TRUE(!c.resolucion || ppp == 3000300) << ppp;
        // FreeImage does not read a PNG's profile back; Qt does.
        const FIICCPROFILE *icc = FreeImage_GetICCProfile(l);
        EXPECT_EQ(c.fif == FIF_PNG ? QImage(Ruta(c.nombre)).colorSpace().iccProfile()
                                   : QByteArray(static_cast<const char *>(icc->data), int(icc->size)),
                  c.perfil ? perfil : QByteArray());
        FreeImage_Unload(l);
    }
    QFile::remove(fuente);
}

TEST_F(Guardar, BMPDeUnPixelDeAnchoYProgreso)
{
    PonerMuestra(1, 3, Buffer(1, 3, [](int, int y, uint8_t *p) { p[0] = uint8_t(10 + y), p[1] = 20, p[2] = 30; }));
    ProgresoGrabado prog;
    ASSERT_TRUE(GuardarImagenProcesada(Ruta("uno.bmp"), FIF_BMP, 0));
    const QByteArray b = Bytes("uno.bmp");
    ASSERT_EQ(b.size(), 54 + 3 * 4);
    EXPECT_EQ(b.left(2), "BM");
    EXPECT_EQ(b[28], 24); // bits per pixel
    EXPECT_EQ(b.mid(54, 4), QByteArray("\x0C\x14\x1E\x00", 4)); // bottom row first, a zero alignment byte
    EXPECT_EQ(b.mid(62, 4), QByteArray("\x0A\x14\x1E\x00", 4));
    EXPECT_EQ(prog.informes, (Informes{{0, "Aplicando curva a imagen completa..."}, {0, "Aplicando curva..."},
                                       {75, "Guardando imagen..."}, {100, "Guardado."}}));
}

TEST_F(Guardar, FallosDejanElFicheroAnterior)
{
    ProgresoGrabado prog;
    EXPECT_FALSE(GuardarImagenProcesada(Ruta("x.png"), FIF_PNG, 0)); // no sample: nothing shown or written
    EXPECT_TRUE(cajas.llamadas.isEmpty() && prog.informes.isEmpty() && !QFile::exists(Ruta("x.png")));

    PonerMuestra(8, 8, Aleatorio(8, 8, 4));
    const QString viejo = Ruta("viejo.png"), sinCarpeta = Ruta("no/existe.bmp");
    QFile f(viejo);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("contenido previo") > 0);
    f.close();
    EXPECT_FALSE(GuardarImagenProcesada(viejo, 99, 0)); // a format the library cannot write
    EXPECT_NE(prog.informes.last().second, "Guardado.");
    EXPECT_FALSE(GuardarImagenProcesada(sinCarpeta, FIF_BMP, 0));
    ASSERT_EQ(cajas.llamadas.size(), 2);
    const QString motivos[] = {"FreeImage no pudo escribir el fichero (formato 99)", "No existe la carpeta o el fichero"};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(cajas.llamadas[i].texto, "Error al guardar la imagen en:\r\n" + (i ? sinCarpeta : viejo) + "\r\n" + motivos[i]);
        EXPECT_EQ(cajas.llamadas[i].estilo, int(MsgBox::Exclamation));
        EXPECT_TRUE(cajas.llamadas[i].titulo.isEmpty());
    }
    EXPECT_EQ(Bytes("viejo.png"), "contenido previo");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"viejo.png"});
}
