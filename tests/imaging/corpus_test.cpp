// Bad files, loaded both as the scan and as the sample: each is refused with
// its message (or decoded as far as the codec allows), never crashes, and
// leaves the loaded image, its profile copy and resolution as they were.
// Hostile ones are refused before any codec decodes them, with the file and
// the reason: sizes that would exhaust memory, pipes, folders and devices,
// formats the dialogs do not offer, no access.

#include "support/imagen.h"

#include "construidos.h"

#include "imaging/cargar.h"
#include "platform/memoria.h"
#include "support/scripted.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace modImage;

namespace {
using prueba::Ruido;
const std::tuple<FREE_IMAGE_FORMAT, QString, int> kFormatos[] = {
    {FIF_PNG, ".png", 0}, {FIF_JPEG, ".jpg", 90}, {FIF_TIFF, ".tif", TIFF_LZW}, {FIF_BMP, ".bmp", 0}, {FIF_WEBP, ".webp", 0}};

QByteArray Valido(int i, FIBITMAP *b = nullptr)
{
    const auto &[fif, ext, flags] = kFormatos[i];
    if (!b) b = prueba::Color24(48, 32, Ruido);
    if (fif == FIF_TIFF) prueba::Incrustar(b, prueba::PerfilDesc("Nuevo")); // the sample must drop its copy
    return Leer(prueba::Guardar(b, fif, "valido" + ext, flags));
}
QByteArray PngDe(uint32_t lado) // IHDR with a correct CRC
{
    QByteArray png = prueba::U32(prueba::U32(Valido(0), 16, lado), 20, lado);
    uint32_t c = 0xFFFFFFFFu;
    for (char ch : png.mid(12, 17)) {
        c ^= uint8_t(ch);
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return prueba::U32(png, 29, ~c);
}
using construido::LE16;
void U32LE(QByteArray &d, int o, uint32_t v) { d.replace(o, 4, construido::LE32(v)); }

const QString kCargar = "Error al cargar", kConvertir = "Error al convertir", kFormato = "Formato no reconocido",
              kCarga = "(se carga)";
// The heading of the box; no text: "cargar", "convertir" or a whole image.
struct Malo { QString nombre; QByteArray bytes; QString texto; };

std::vector<Malo> Tabla()
{
    std::vector<Malo> t = {{"sin_extension", Valido(0), kFormato}, {"raro.xyz", Valido(0), kFormato},
                           {"png_como.jpg", Valido(0), kCarga},    {"no_existe.png", {}, kCargar},
                           {"carpeta.png", {}, kCargar},           {"enorme.png", PngDe(0x7FFFFFFF), kCargar},
                           {"grande.png", PngDe(60000), kCargar}}; // 3.6e9 pixels
    uint32_t s = 12345;
    auto azar = [&s] { return s ^= s << 13, s ^= s >> 17, s ^= s << 5; };
    for (int i = 0; i < 5; ++i) {
        const QByteArray v = Valido(i);
        const QString ext = std::get<1>(kFormatos[i]);
        t.push_back({"vacio" + ext, {}, kCargar});
        t.push_back({"cabecera" + ext, v.left(12), kCargar});
        for (int parte : {2, 3, 5}) t.push_back({QString("cortado%1").arg(parte) + ext, v.left(v.size() / parte), {}});
        for (int j = 0; j < 5; ++j) // the content decides, whatever the name says
            if (j != i) t.push_back({"mal_nombre" + ext + std::get<1>(kFormatos[j]), v, kCarga});
        for (int caso = 0; caso < 24; ++caso) { // a few bit flips past the signature, headers included
            QByteArray d = v;
            for (int k = 0, n = 1 + int(azar() % 6); k < n; ++k) d[4 + int(azar() % uint32_t(d.size() - 4))] ^= char(1u << (azar() % 8));
            t.push_back({QString("flip%1").arg(caso) + ext, d, {}});
        }
    }
    QByteArray bmp = Valido(3); // 100000 x 100000, bottom-up and top-down
    U32LE(bmp, 18, 100000), U32LE(bmp, 22, 100000);
    t.push_back({"enorme.bmp", bmp, kCargar});
    U32LE(bmp, 22, uint32_t(-100000));
    t.push_back({"enorme_invertido.bmp", bmp, kCargar});
    QByteArray jpg = Valido(1); // 65535 x 65535 in the frame header
    jpg.replace(jpg.indexOf(QByteArray("\xFF\xC0", 2)) + 5, 4, QByteArray(4, char(0xFF)));
    t.push_back({"enorme.jpg", jpg, kCargar});
    QByteArray tif = Valido(2); // width and length tags as LONG 200000
    const int ifd = int(uint8_t(tif[4]) | uint8_t(tif[5]) << 8 | uint8_t(tif[6]) << 16);
    for (int e = 0, o = ifd + 2; e < (uint8_t(tif[ifd]) | uint8_t(tif[ifd + 1]) << 8); ++e, o += 12)
        if (tif[o + 1] == 1 && (tif[o] == 0 || tif[o] == 1)) tif[o + 2] = 4, tif[o + 3] = 0, U32LE(tif, o + 8, 200000);
    t.push_back({"enorme.tif", tif, kCargar});
    // Floating-point samples have no route to 24 bits.
    t.push_back({"flotante.tif", Valido(2, FreeImage_AllocateT(FIT_FLOAT, 3, 2, 32)), kConvertir});
    return t;
}
} // namespace

TEST(Corpus, ArchivosMalosDejanLaImagenAnterior)
{
    FIBITMAP *b = prueba::Color24(4, 2, Ruido);
    prueba::Incrustar(b, prueba::PerfilMluc("Anterior"));
    FreeImage_SetDotsPerMeterX(b, 11811), FreeImage_SetDotsPerMeterY(b, 11811);
    const QString muestra = prueba::Guardar(b, FIF_TIFF, "anterior.tif");
    const QString escaneo = prueba::Guardar(prueba::Color24(5, 3, Ruido), FIF_BMP, "conocido.bmp");
    Bloque escaneoAntes, muestraAntes; // blocks are never written: a view is a snapshot
    QString copia;
    auto conocidos = [&] {
        CajasGuionadas cajas;
        LeerInfoImagen(muestra);
        ASSERT_TRUE(CargarImagenEscaneo(escaneo, nullptr) && CargarMuestra(muestra, nullptr));
        escaneoAntes = PixelesEscaneo, muestraAntes = PixelesMuestra, copia = RutaPerfilICCTemp();
    };
    conocidos();
    int rechazos = 0;
    for (const Malo &m : Tabla()) {
        SCOPED_TRACE(m.nombre.toStdString());
        const QString r = prueba::Ruta(m.nombre);
        if (m.nombre.startsWith("carpeta")) QDir().mkpath(r);
        else if (!m.nombre.startsWith("no_existe")) Poner(r, m.bytes);
        CajasGuionadas cajas;
        const bool escaneoOk = CargarImagenEscaneo(r, nullptr);
        // The codec's complaint is kept for us, not printed.
        EXPECT_TRUE(m.nombre != "cortado2.png" || modFreeImage::UltimoMensaje().contains("PNG"));
        LeerInfoImagen(r);
        const bool muestraOk = CargarMuestra(r, nullptr);
        ASSERT_EQ(cajas.llamadas.size(), int(!escaneoOk) + int(!muestraOk));
        if (m.texto == kCarga) ASSERT_TRUE(escaneoOk && muestraOk) << "refused";
        else ASSERT_TRUE(m.texto.isEmpty() || !(escaneoOk || muestraOk)) << "accepted";
        const QStringList textos = m.texto.isEmpty() ? QStringList{kCargar, kConvertir} : QStringList{m.texto};
        // The heading, then the file; the reason follows on its own line.
        auto cabeza = [&r](const QString &t) { return t.section(QStringLiteral(": ") + r, 0, 0); };
        if (!escaneoOk) {
            ++rechazos;
            EXPECT_TRUE(textos.contains(cabeza(cajas.llamadas[0].texto))) << cajas.llamadas[0].texto.toStdString();
            EXPECT_EQ((std::tuple{cajas.llamadas[0].estilo, AnchoEscaneo, AltoEscaneo}), (std::tuple{int(MsgBox::Exclamation), 5, 3}));
            EXPECT_EQ(PixelesEscaneo, escaneoAntes);
        }
        ASSERT_EQ(PixelesEscaneo.size(), size_t(PasoEscaneo) * AltoEscaneo);
        if (!muestraOk) {
            const MsgBox::Llamada &c = cajas.llamadas.last();
            const QString t = cabeza(c.texto);
            EXPECT_TRUE(t == kFormato ? textos.contains(kFormato) : t.endsWith(" la muestra") && textos.contains(t.chopped(11)))
                << c.texto.toStdString();
            EXPECT_EQ((std::tuple{c.estilo, HayMuestra, AnchoMuestra, AltoMuestra, PasoMuestra, RutaMuestra, DescripcionPerfilICC()}),
                      (std::tuple{int(MsgBox::Exclamation), true, 4, 2, 12, muestra, QStringLiteral("Anterior")}));
            EXPECT_EQ(PixelesMuestra, muestraAntes);
            EXPECT_NEAR(DpiX(), 299.9994, 1e-9);
            EXPECT_EQ((std::pair{RutaPerfilICCTemp(), prueba::Temporales("zolv_icc_")}), (std::pair{copia, QStringList{QFileInfo(copia).fileName()}}));
        }
        ASSERT_EQ(PixelesMuestra.size(), size_t(PasoMuestra) * AltoMuestra);
        if (escaneoOk || muestraOk) conocidos();
    }
    EXPECT_GT(rechazos, 60);
}

namespace {
// A 16 x 16 TIFF (one strip) with a field of its first directory set, and
// its strip overwritten with noise when asked.
uint32_t L32(const QByteArray &d, int o) { return uint8_t(d[o]) | uint8_t(d[o + 1]) << 8 | uint8_t(d[o + 2]) << 16 | uint32_t(uint8_t(d[o + 3])) << 24; }
int Entrada(const QByteArray &d, int tag)
{
    const int ifd = int(L32(d, 4));
    for (int e = 0, n = uint8_t(d[ifd]) | uint8_t(d[ifd + 1]) << 8; e < n; ++e)
        if ((uint8_t(d[ifd + 2 + 12 * e]) | uint8_t(d[ifd + 3 + 12 * e]) << 8) == tag) return ifd + 2 + 12 * e;
    return -1;
}
QByteArray Tiff(int flags, std::initializer_list<std::pair<int, uint32_t>> campos, bool ruido = false)
{
    QByteArray d = Leer(prueba::Guardar(prueba::Color24(16, 16, Ruido), FIF_TIFF, "base.tif", flags));
    if (ruido) {
        const uint32_t desde = L32(d, Entrada(d, 273) + 8), n = L32(d, Entrada(d, 279) + 8);
        for (uint32_t i = 0; i < n; ++i) d[int(desde + i)] = char(Ruido(int(i), 7) >> 13);
    }
    for (auto [tag, v] : campos) {
        const int e = Entrada(d, tag);
        if (v > 0xFFFF) d[e + 2] = 4; // a SHORT field given a LONG value
        if (uint8_t(d[e + 2]) == 3) d[e + 8] = char(v), d[e + 9] = char(v >> 8);
        else U32LE(d, e + 8, v);
    }
    return d;
}
// The same strip TIFF with two strips of 15 rows, their offsets listed in
// an array at the end, and 'largos' byte counts of 1800 (their own array
// when more than one).
QByteArray DosTiras(const std::function<uint32_t(int64_t)> &muestra, int largos)
{
    QByteArray d = construido::TiffTira(40, 30, 3, 8, muestra, {{278, 15}, {279, 1800}});
    const int e = Entrada(d, 273), c = Entrada(d, 279);
    const uint32_t datos = L32(d, e + 8);
    U32LE(d, e + 4, 2), U32LE(d, e + 8, uint32_t(d.size()));
    d += construido::LE32(datos) + construido::LE32(datos + 1800);
    if (largos > 1) U32LE(d, c + 4, 2), U32LE(d, c + 8, uint32_t(d.size())), d += construido::LE32(1800) + construido::LE32(1800);
    return d;
}
} // namespace

TEST(Hostiles, RechazadosAntesDeDecodificarConElMotivo)
{
    QTemporaryDir dir;
    auto poner = [&dir](const QString &n, const QByteArray &b) { return Poner(dir.filePath(n), b); };
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("tuberia.png")).constData(), 0644), 0);
    ASSERT_TRUE(QDir().mkpath(dir.filePath("carpeta.png")));
    ASSERT_TRUE(QFile::link("/dev/null", dir.filePath("nulo.png")));
    QTemporaryDir cerrada; // as nobody, a folder of root's cannot be entered
    const QString secreto = cerrada.filePath("secreto.png");
    QFile::copy(prueba::Guardar(prueba::Color24(2, 2, [](int, int) { return 0u; }), FIF_PNG, "s.png"), secreto);
    ::chmod(QFile::encodeName(secreto).constData(), 0);
    // 1024 x 1024 at 24 bits in strips of two rows: the 3 MiB bitmap, two
    // strips (12 KiB) and the codec's 256 KiB: 3340 KiB.
    const QString tiff = prueba::Guardar(prueba::Color24(1024, 1024, [](int, int) { return 0x808080u; }), FIF_TIFF, "mega.tif", TIFF_LZW);

    const QString admitidos = QStringLiteral(". Se pueden abrir BMP, JPEG, PNG, TIFF, GIF y WebP.");
    QByteArray bmpLimite = Valido(3);
    U32LE(bmpLimite, 18, INT32_MAX), U32LE(bmpLimite, 22, INT32_MAX);
    const struct {
        QString ruta, motivo;
        int64_t memoria = -1; // the memory available, when it matters
        bool comoOtro = false; // read with an ordinary user's rights
    } casos[] = {
        {poner("gigante.gif", construido::Gif(32768, 32768, construido::LzwPlano(int64_t(1) << 30), 0)),
         "Imagen demasiado grande: 32768 x 32768 px necesitan 4096 MB de memoria y hay 1024 MB disponibles.", 1LL << 30},
        {tiff, "Imagen demasiado grande: 1024 x 1024 px necesitan 4 MB de memoria y hay 3 MB disponibles.", 3339 << 10}, // 1 KiB short
        {poner("ancho.gif", construido::Gif(65535, 65535, construido::LzwPlano(int64_t(65535) * 65535), 0)),
         "Imagen demasiado grande: 65535 x 65535 px necesitan 16384 MB de memoria (el máximo es 1073741824 píxeles)."},
        // Fields at their types' limits: the figure stops at the largest one.
        {poner("limite.bmp", bmpLimite),
         "Imagen demasiado grande: 2147483647 x 2147483647 px necesitan 8796093022208 MB de memoria (el máximo es 1073741824 píxeles)."},

        {dir.filePath("tuberia.png"), "No es un fichero normal: es un dispositivo, una tubería o un socket."},
        {dir.filePath("nulo.png"), "No es un fichero normal: es un dispositivo, una tubería o un socket."},
        {dir.filePath("carpeta.png"), "Es una carpeta, no un fichero."},
        {secreto, "No se puede leer el fichero: Permiso denegado", -1, true},
        {poner("capas.psd", "8BPS\0\x01\0\0\0\0\0\0\0\x03"), "Formato no admitido: PSD" + admitidos},
        {poner("textura.dds", "DDS |\0\0\0"), "Formato no admitido: DDS" + admitidos},
        {poner("hdr.exr", "\x76\x2F\x31\x01\x02\0\0\0"), "Formato no admitido: EXR" + admitidos},
        {poner("capas_como.png", "8BPS\0\x01\0\0\0\0\0\0\0\x03"), "No es una imagen o está dañada."},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.ruta.toStdString());
        Memoria::FijarDisponible(c.memoria);
        CajasGuionadas cajas;
        HayEscaneo = HayMuestra = false;
        {
            std::optional<ComoOtroUsuario> nadie;
            if (c.comoOtro) nadie.emplace();
            LeerInfoImagen(c.ruta); // silent, and never blocks
            EXPECT_FALSE(CargarImagenEscaneo(c.ruta, nullptr));
            EXPECT_FALSE(CargarMuestra(c.ruta, nullptr));
        }
        ASSERT_EQ(cajas.llamadas.size(), 2);
        EXPECT_EQ(cajas.llamadas[0].texto.toStdString(), ("Error al cargar: " + c.ruta + "\r\n" + c.motivo).toStdString());
        EXPECT_EQ(cajas.llamadas[1].texto.toStdString(), ("Error al cargar la muestra: " + c.ruta + "\r\n" + c.motivo).toStdString());
        for (const auto &l : cajas.llamadas) EXPECT_EQ(l.Icono(), int(MsgBox::Exclamation));
        EXPECT_FALSE(HayEscaneo || HayMuestra);
    }
    Memoria::FijarDisponible(-1);
    // With the memory it needs, the same TIFF loads.
    CajasGuionadas cajas;
    EXPECT_TRUE(CargarImagenEscaneo(tiff, nullptr));
    EXPECT_TRUE(cajas.llamadas.isEmpty());
}


TEST(Danados, UnErrorDelCodecODatosQueFaltanRechazanLaImagen)
{
    using construido::Gif, construido::LzwPlano, construido::TiffTira;
    const QByteArray bmp = Valido(3), png = Valido(0), jpg = Valido(1);
    QByteArray extra = jpg; // one stray byte before the end marker: a harmless warning
    extra.insert(extra.size() - 2, '\0');
    // GIFs of a 64 x 64 frame (a table of 256 colours before their blocks).
    const QByteArray plano = LzwPlano(64 * 64), gif = Gif(64, 64, plano);
    QByteArray roto = gif, raro = gif;
    roto[13 + 768 + 8 + 10 + 1 + 6] = char(0xFF); // codes the table does not hold yet
    raro.insert(13 + 768, 'B');                    // no kind of block
    const QByteArray dos = gif.chopped(1) + ',' + construido::LE32(0) + LE16(64) + LE16(64) + '\0' + '\x08' + plano + ';';
    // Noise fills the codec's table: its data clears it midway.
    // Codes of 2 bits from a minimum of 1: a clear, 4096 zeros, the end.
    QByteArray unBit(1025, '\0');
    unBit[0] = 2, unBit[1024] = 0x0C;
    modFreeImage::Bitmap gris(FreeImage_ConvertTo8Bits(modFreeImage::Bitmap(prueba::Color24(200, 150, Ruido)).get()));
    // Noise as FreeImage writes it: an application extension, a control
    // extension, the frame with its own table; and bytes put in at a place.
    const QByteArray local = Leer(prueba::Guardar(FreeImage_Clone(gris.get()), FIF_GIF, "local.gif"));
    const int marco = int(local.indexOf(QByteArray("\x21\xF9\x04", 3))) + 8;
    const auto con = [](QByteArray d, int en, const QByteArray &b) { return d.insert(en, b); };
    // One white pixel, the last entry of a table of two (codes of 3 bits:
    // clear, 1, end).
    const QByteArray blanco = Gif(1, 1, QByteArray("\x02\x4C\x01\x00", 4), 2, 2);
    // TIFFs of one uncompressed 40 x 30 strip of 3600 bytes, last in the file.
    const auto muestra = [](int64_t i) { return uint32_t(i * 37 % 251); };
    const QByteArray tira = TiffTira(40, 30, 3, 8, muestra);
    // Loaded ones with 'como' have the pixels of that file.
    const struct { QString nombre; QByteArray bytes; bool carga = false; QByteArray como = {}; } casos[] = {
        {"plano.gif", gif, true},
        {"sin_tabla.gif", Gif(64, 64, plano, 0), true},
        {"dos_colores.gif", Gif(64, 64, LzwPlano(64 * 64, 2), 2, 2), true},
        {"sin_codigo_fin.gif", Gif(64, 64, LzwPlano(64 * 64, 8, false)), true},
        {"sin_cierre.gif", gif.chopped(1), true}, // other readers take it
        {"dos_marcos.gif", dos, true},
        {"segundo_sin_pixeles.gif", dos.chopped(1 + plano.size()) + LzwPlano(10) + ';', true}, // only the first is loaded
        {"tabla_local.gif", local, true},
        // What other readers forgive, every pixel there: stray zero bytes
        // between blocks; an end without the trailer and the last block's
        // terminator, after a frame's data or an extension's.
        {"cero_antes_del_marco.gif", con(local, marco, QByteArray(1, '\0')), true, local},
        {"blanco.gif", blanco, true},
        {"cero_tras_la_tabla.gif", con(blanco, 13 + 6, QByteArray(1, '\0')), true, blanco}, // the table's last byte is no zero
        {"ceros_entre_bloques.gif", con(con(local, local.size() - 1, QByteArray(3, '\0')), 13, QByteArray(1, '\0')), true, local},
        {"sin_terminador_ni_cierre.gif", local.chopped(2), true, local},
        {"cero_y_sin_terminador.gif", con(local, marco, QByteArray(2, '\0')).chopped(2), true, local},
        {"segundo_sin_terminador_ni_cierre.gif", dos.chopped(2), true, gif},
        {"comentario_sin_terminador.gif", gif.chopped(1) + "\x21\xFE\x03" "abc", true, gif},
        {"etiqueta_al_final.gif", gif.chopped(1) + "\x21\xFE", true, gif},
        {"introductor_al_final.gif", gif.chopped(1) + '!'},
        {"sin_terminador_ni_pixeles.gif", Gif(64, 64, LzwPlano(64 * 64 - 1)).chopped(2)},
        {"solo_ceros_tras_la_cabecera.gif", Gif(64, 64, plano).left(13 + 768) + QByteArray(5, '\0')},
        {"gigante.gif", Gif(30000, 30000, plano)}, // 900 bytes
        {"sin_datos.gif", Gif(64, 64, QByteArray(1, '\0'))},
        {"un_pixel_menos.gif", Gif(64, 64, LzwPlano(64 * 64 - 1))},
        {"datos_cortados.gif", gif.left(gif.size() - 30)},
        {"lzw_roto.gif", roto},
        {"bloque_raro.gif", raro},
        {"codigos_de_9.gif", Gif(64, 64, LzwPlano(64 * 64, 9), 256, 9)},
        {"codigos_de_1.gif", Gif(64, 64, construido::SubBloques(unBit), 2, 1)},
        {"segundo_cortado.gif", dos.left(dos.size() - 20)},
        {"tira.tif", tira, true},
        {"tira16.tif", TiffTira(40, 30, 1, 16, muestra), true},
        {"sin_muestras_por_pixel.tif", TiffTira(40, 30, 1, 8, muestra, {{277, 0}}), true}, // one is the default
        {"sin_cuentas.tif", TiffTira(40, 30, 3, 8, muestra, {{279, 0}}), true},
        {"filas_de_mas.tif", TiffTira(40, 30, 3, 8, muestra, {{278, 1000}}), true},
        {"sin_filas.tif", TiffTira(40, 30, 3, 8, muestra, {{278, 0}}), true}, // the whole image in one
        {"etiqueta_privada.tif", TiffTira(40, 30, 3, 8, muestra, {{65000, 7}}), true},
        {"tiras.tif", Leer(prueba::Guardar(prueba::Color24(200, 50, Ruido), FIF_TIFF, "tiras.tif", TIFF_NONE)), true},
        {"dos_tiras.tif", DosTiras(muestra, 2), true},
        {"dos_tiras_una_cuenta.tif", DosTiras(muestra, 1)}, // fewer counts than strips
        // YCbCr subsampled 2 x 2 (the default) packs 4 pixels in 6 bytes:
        // a strip of 384 bytes holds all 16 x 16, grey 100.
        {"ycbcr.tif", TiffTira(16, 16, 3, 8, [](int64_t i) { return uint32_t(i % 6 < 4 ? 100 : 128); }, {{262, 6}, {279, 384}}), true},
        {"tira_corta.tif", TiffTira(40, 30, 3, 8, muestra, {{279, 3599}})},
        {"tira_corta_sin_compresion.tif", TiffTira(40, 30, 3, 8, muestra, {{259, 0}, {279, 3599}})}, // none is the default
        {"tira_fuera.tif", tira.chopped(1)},
        {"alta.tif", TiffTira(40, 30, 3, 8, muestra, {{257, 60}, {278, 30}})},
        {"alta_una_tira.tif", TiffTira(40, 30, 3, 8, muestra, {{257, 60}, {278, 0}})},
        {"filas1.tif", TiffTira(40, 30, 3, 8, muestra, {{278, 1}})},
        {"planos.tif", TiffTira(40, 30, 3, 8, muestra, {{284, 2}})},
        {"ruido_lzw.tif", Tiff(TIFF_LZW, {}, true)},
        {"ruido_deflate.tif", Tiff(TIFF_DEFLATE, {}, true)},
        {"ruido_jpeg.tif", Tiff(TIFF_JPEG, {}, true)},
        {"compresion.tif", Tiff(TIFF_LZW, {{259, 12345}})},
        {"cuentas.tif", Tiff(TIFF_NONE, {{279, 0xFFFFFFF0u}})},
        {"filas0.tif", Tiff(TIFF_LZW, {{278, 0}})},
        {"fotometrica.tif", Tiff(TIFF_NONE, {{262, 99}})},
        // A hundred bytes that claim 12000 x 12000 grey pixels in one strip of 144 MB.
        {"grande.tif", TiffTira(4, 4, 1, 8, muestra, {{256, 12000}, {257, 12000}, {278, 12000}, {279, 144000000}})},
        {"limite.tif", Tiff(TIFF_NONE, {{256, UINT32_MAX}, {257, UINT32_MAX}})}, // libtiff's own refusal
        {"cortado.bmp", bmp.left(bmp.size() - 40)},
        {"falta_un_byte.bmp", bmp.chopped(1)},
        {"contenedor_roto.webp", prueba::U32(Valido(4), 16, 0x7FFFFFFF)}, // its frame's size still reads
        {"cortado.png", png.left(png.size() - 30)},
        {"vacio.gif", construido::Gif(0, 0, construido::LzwPlano(1))},
        {"marca_de_mas.jpg", extra, true},
        {"entero.tif", Tiff(TIFF_LZW, {}), true},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.nombre.toStdString());
        const QString r = Poner(prueba::Ruta(c.nombre), c.bytes);
        CajasGuionadas cajas;
        HayEscaneo = HayMuestra = false;
        LeerInfoImagen(r);
        EXPECT_EQ(CargarImagenEscaneo(r, nullptr), c.carga);
        EXPECT_EQ(CargarMuestra(r, nullptr), c.carga);
        if (c.carga) {
            EXPECT_TRUE(cajas.llamadas.isEmpty());
            if (!c.como.isEmpty()) {
                const Bloque cargado = PixelesEscaneo;
                ASSERT_TRUE(CargarImagenEscaneo(Poner(prueba::Ruta("como.gif"), c.como), nullptr));
                EXPECT_EQ(cargado, PixelesEscaneo);
            }
            continue;
        }
        if (cajas.llamadas.size() != 2) {
            ADD_FAILURE() << cajas.llamadas.size() << " boxes";
            continue;
        }
        EXPECT_EQ(cajas.llamadas[0].texto, "Error al cargar: " + r + "\r\nNo es una imagen o está dañada.");
        EXPECT_EQ(cajas.llamadas[1].texto, "Error al cargar la muestra: " + r + "\r\nNo es una imagen o está dañada.");
    }
}
