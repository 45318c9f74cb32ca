// Saving the processed sample: resolution and profile kept, the bytes of a
// small BMP, progress, and failures that keep the old file. What each format
// holds is the save's fingerprints' and the editor's save journey's.

#include "support/imagen.h"

#include "imaging/apertura.h"
#include "imaging/bloque.h"
#include "imaging/cargar.h"
#include "imaging/guardar.h"
#include "platform/memoria.h"
#include "platform/numbers.h"
#include "support/scripted.h"

#include <QColorSpace>
#include <QImage>
#include <QTemporaryDir>

using namespace modImage;

namespace {
class Guardar : public Motor {
protected:
    QString Ruta(const QString &n) const { return dir.filePath(n); }
    QTemporaryDir dir;
    CajasGuionadas cajas;
};
} // namespace

TEST_F(Guardar, ConservaLaResolucionYElPerfilDeLaMuestra)
{
    // An Adobe RGB sample of 300 ppi across and 150 down (11811 and 5906 dots
    // per metre) as TIFF, PNG and JPEG, each loaded as the editor loads it:
    // the same profile from each, and in every file saved from it, read back
    // by the loader.
    const QByteArray perfil = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
    const auto delFichero = [](const QString &r) {
        const modFreeImage::Bitmap b = modFreeImage::LeerCabeceraImagen(r).bmp;
        const FIICCPROFILE *icc = b ? FreeImage_GetICCProfile(b.get()) : nullptr;
        return icc && icc->size ? QByteArray(static_cast<const char *>(icc->data), int(icc->size)) : QByteArray();
    };
    for (auto [fif, ext] : {std::pair{FIF_TIFF, ".tif"}, std::pair{FIF_PNG, ".png"}, std::pair{FIF_JPEG, ".jpg"}}) {
        SCOPED_TRACE(ext);
        FIBITMAP *b = prueba::Color24(9, 5, [](int x, int y) { return 0x102030u * uint32_t(1 + x + y); });
        FreeImage_SetDotsPerMeterX(b, 11811), FreeImage_SetDotsPerMeterY(b, 5906);
        prueba::Incrustar(b, perfil);
        const QString fuente = prueba::Guardar(b, fif, QStringLiteral("adobe300x150") + ext);
        LeerInfoImagen(fuente);
        EXPECT_EQ(Leer(RutaPerfilICCTemp()), perfil);
        ASSERT_TRUE(CargarMuestra(fuente, nullptr));
        EXPECT_EQ((std::pair{DescripcionPerfilICC(), Leer(RutaPerfilICCTemp())}), (std::pair{QStringLiteral("Adobe RGB"), perfil}));
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
            EXPECT_TRUE(!c.resolucion || ppp == 3000150) << ppp;
            FreeImage_Unload(l);
            EXPECT_EQ(delFichero(Ruta(c.nombre)), c.perfil ? perfil : QByteArray());
        }
        QFile::remove(fuente);
    }
}

TEST_F(Guardar, BMPDeUnPixelDeAnchoYProgreso)
{
    PonerMuestra(1, 3, Buffer(1, 3, [](int, int y, uint8_t *p) { p[0] = uint8_t(10 + y), p[1] = 20, p[2] = 30; }));
    ProgresoGrabado prog;
    ASSERT_TRUE(GuardarImagenProcesada(Ruta("uno.bmp"), FIF_BMP, 0));
    const QByteArray b = Leer(Ruta("uno.bmp"));
    // 24 bits per pixel; the bottom row first, each with a zero alignment byte.
    EXPECT_EQ((std::tuple{b.size(), b.left(2), int(b[28])}), (std::tuple{54 + 3 * 4, QByteArray("BM"), 24}));
    EXPECT_EQ(b.mid(54), QByteArray("\x0C\x14\x1E\x00\x0B\x14\x1E\x00\x0A\x14\x1E\x00", 12));
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
    Poner(viejo, "contenido previo");
    EXPECT_FALSE(GuardarImagenProcesada(viejo, 99, 0)); // a format the library cannot write
    EXPECT_NE(prog.informes.last().second, "Guardado.");
    EXPECT_FALSE(GuardarImagenProcesada(sinCarpeta, FIF_BMP, 0));
    ASSERT_EQ(cajas.llamadas.size(), 2);
    const QString motivos[] = {"FreeImage no pudo escribir el fichero (formato 99)", "No existe la carpeta o el fichero"};
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ((std::tuple{cajas.llamadas[i].texto, cajas.llamadas[i].estilo, cajas.llamadas[i].titulo}),
                  (std::tuple{"Error al guardar la imagen en:\r\n" + (i ? sinCarpeta : viejo) + "\r\n" + motivos[i], int(MsgBox::Exclamation), QString()}));
    EXPECT_EQ(Leer(viejo), "contenido previo");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"viejo.png"});

    // Memory, checked before any work as a load checks it: 1000 x 800 to
    // WebP takes its bitmap (2.4 MB), 24 bytes a pixel and 512 KiB, 22 MB;
    // once a save holds the bitmap, 19724288 bytes, which are enough.
    PonerMuestra(1000, 800, Aleatorio(1000, 800, 6));
    SoltarSalida();
    for (auto [fif, flags, bytes] : {std::tuple{FIF_BMP, 0, 2400000 + 524288}, {FIF_WEBP, 90, 2400000 + 524288 + 24 * 800000},
                                     {FIF_WEBP, WEBP_LOSSLESS, 2400000 + 524288 + 40 * 800000}})
        EXPECT_EQ(MemoriaGuardado(fif, flags, 1000, 800), bytes);
    prog.informes.clear();
    Memoria::FijarDisponible(0);
    EXPECT_FALSE(GuardarImagenProcesada(viejo, FIF_WEBP, 90));
    ASSERT_EQ(cajas.llamadas.size(), 3);
    EXPECT_EQ(cajas.llamadas[2].texto, "Error: no se pudo reservar memoria para guardar.\r\nNo hay memoria suficiente para "
                                       "guardar la imagen: 1000 x 800 px necesitan 22 MB y hay 0 MB disponibles.");
    EXPECT_TRUE(prog.informes.isEmpty());
    EXPECT_EQ(Leer(viejo), "contenido previo");
    Memoria::FijarDisponible(-1);
    ASSERT_TRUE(GuardarImagenProcesada(Ruta("uno.bmp"), FIF_BMP, 0));
    Memoria::FijarDisponible(19724288);
    EXPECT_TRUE(GuardarImagenProcesada(Ruta("otro.webp"), FIF_WEBP, 90));
    Memoria::FijarDisponible(-1);
    EXPECT_EQ(cajas.llamadas.size(), 3);
}
