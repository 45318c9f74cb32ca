// JPEGs judged by their own structure and by every word libjpeg says: scan
// data overwritten, markers out of place, a few bytes that claim gigapixels,
// and the valid shapes that must still load with their pixels.

#include "support/imagen.h"

#include "jpegs.h"

#include "imaging/apertura.h"
#include "imaging/cargar.h"
#include "imaging/jpeg.h"
#include "platform/memoria.h"
#include "support/inyeccion/inyeccion.h"
#include "support/scripted.h"

#include <cmath>
#include <fcntl.h>
#include <tuple>
#include <unistd.h>
#include <gtest/gtest.h>

using namespace modImage;

namespace {

// Smooth shades with a little grain, as a photo compresses.
uint32_t Foto(int x, int y)
{
    return uint32_t(128 + 100 * std::sin(x / 17.0)) << 16 | uint32_t(128 + 90 * std::cos(y / 11.0)) << 8 |
           uint32_t((x * y / 37 + prueba::Ruido(x, y) % 9) & 0xFF);
}
uint32_t Plano(int, int) { return 0x808080; }

const QString kDanado = "No es una imagen o está dañada.";

// The pixels the loader gives, or nothing.
QByteArray Decodificada(const QByteArray &jpg)
{
    modFreeImage::Apertura a = modFreeImage::AbrirImagen(Poner(prueba::Ruta("pixeles.jpg"), jpg));
    if (!a.bmp) return {};
    modFreeImage::Bitmap b = modFreeImage::A24Bits(std::move(a.bmp));
    return QByteArray(reinterpret_cast<const char *>(FreeImage_GetBits(b.get())), qsizetype(FreeImage_GetPitch(b.get()) * FreeImage_GetHeight(b.get())));
}

int Buscar(const QByteArray &j, const char *marca, int desde = 0) { return int(j.indexOf(QByteArray(marca, 2), desde)); }

} // namespace

TEST(JpegDanado, DatosDeScanSobrescritosSeRechazanCuandoLibjpegLoDice)
{
    // 40 files, baseline and progressive, each with 12 bytes of one scan's
    // data overwritten. Each is refused exactly when libjpeg warns or fails
    // on it, whichever warning comes first; on the others it says nothing
    // and their data decode to valid codes that end where the scan ends.
    const QByteArray base[2] = {Leer(prueba::Guardar(prueba::Color24(256, 192, Foto), FIF_JPEG, "base.jpg", 90)),
                                Leer(prueba::Guardar(prueba::Color24(256, 192, Foto), FIF_JPEG, "basep.jpg", JPEG_PROGRESSIVE | 90))};
    uint32_t s = 777;
    auto azar = [&s] { return s ^= s << 13, s ^= s >> 17, s ^= s << 5; };
    int rechazados = 0;
    for (int i = 0; i < 40; ++i) {
        SCOPED_TRACE(i);
        const auto scans = jpegs::Scans(base[i % 2]);
        ASSERT_EQ(scans.size(), i % 2 ? 10u : 1u);
        const auto [desde, hasta] = scans[size_t(i / 2) % scans.size()];
        QByteArray d = base[i % 2];
        const int o = desde + int(azar() % uint32_t(hasta - desde - 12));
        for (int k = 0; k < 12; ++k) d[o + k] = char(azar());
        const QString r = Poner(prueba::Ruta("sobrescrito.jpg"), d);
        modFreeImage::Apertura a = modFreeImage::AbrirImagen(r);
        ASSERT_EQ(!a.bmp, jpegs::Avisos(d) != 0);
        EXPECT_EQ(a.motivo, a.bmp ? QString() : kDanado);
        rechazados += !a.bmp;
    }
    EXPECT_GE(rechazados, 15);
}

TEST(JpegDanado, UnAvisoInofensivoPrimeroNoTapaLosDemas)
{
    // JFIF 3.01: libjpeg warns of an unknown revision first. Alone, that
    // loads; with an overwritten scan behind it (libjpeg then warns of
    // corrupt data too), it is refused: every warning counts, not the first.
    QByteArray jfif = Leer(prueba::Guardar(prueba::Color24(256, 192, Foto), FIF_JPEG, "jfif.jpg", 90));
    const int version = Buscar(jfif, "\xFF\xE0") + 9;
    ASSERT_EQ(jfif.mid(version - 5, 5), QByteArray("JFIF\0", 5));
    jfif[version] = 3;
    QByteArray danado = jfif;
    const int o = jpegs::Scans(jfif)[0].first + 4283;
    for (int k = 0; k < 12; ++k) danado[o + k] = char(0x5A + 31 * k);
    ASSERT_GE(jpegs::Avisos(danado), 2);

    CajasGuionadas cajas;
    EXPECT_TRUE(CargarImagenEscaneo(Poner(prueba::Ruta("jfif3.jpg"), jfif), nullptr));
    EXPECT_TRUE(modFreeImage::UltimoMensaje().contains("unknown JFIF revision"));
    const QString r = Poner(prueba::Ruta("jfif3_danado.jpg"), danado);
    EXPECT_FALSE(CargarImagenEscaneo(r, nullptr));
    EXPECT_TRUE(modFreeImage::UltimoMensaje().contains("Corrupt JPEG data")); // kept, not printed
    ASSERT_EQ(cajas.llamadas.size(), 1);
    EXPECT_EQ(cajas.llamadas[0].texto, "Error al cargar: " + r + "\r\n" + kDanado);
}

TEST(JpegEstructura, MarcasYDatosQueNoCasanSeRechazanYLasFormasValidasCargan)
{
    // Damaged files are refused by their structure before a codec holds
    // their frame, so the large ones are larger than the decode may take
    // below (2 MB a request): 1024 x 768 in 4:2:0 is 64 x 48 MCUs, here a
    // restart every 2 of them: 1535 markers, RST0 to RST7 over and over.
    jpegs::Opciones rst;
    rst.reinicio = 2;
    const QByteArray conRst = jpegs::Codificar(1024, 768, Foto, rst);
    const int datos = jpegs::Scans(conRst)[0].first, fin = int(conRst.size()) - 2;
    std::vector<int> reinicios;
    for (int i = datos; i < fin; ++i)
        if (uint8_t(conRst[i]) == 0xFF && (uint8_t(conRst[i + 1]) & 0xF8) == 0xD0) reinicios.push_back(i);
    ASSERT_EQ(reinicios.size(), 1535u);
    ASSERT_EQ(uint8_t(conRst[reinicios.back() + 1]), 0xD0 + 1534 % 8);
    const auto quitar = [](QByteArray d, int i, int n) { return d.remove(i, n); };
    const auto poner = [](QByteArray d, int i, const QByteArray &b) { return d.insert(i, b); };
    QByteArray desordenado = conRst;
    std::swap(desordenado[reinicios[700] + 1], desordenado[reinicios[701] + 1]);

    jpegs::Opciones porComponente;
    porComponente.porComponente = true;
    const QByteArray tres = jpegs::Codificar(64, 48, Foto, porComponente);
    const int ultimoScan = tres.lastIndexOf(QByteArray("\xFF\xDA", 2));
    // Flat 1024 x 1024, optimised tables: a 1-bit code each for DC 0 and
    // the end of block, so the sequential scan is 2 bits a block, the least
    // there is, and the progressive DC scan 1 bit.
    jpegs::Opciones plana;
    plana.optimizar = true;
    const QByteArray secuencialPlana = jpegs::Codificar(1024, 1024, Plano, plana);
    plana.progresivo = true;
    const QByteArray progresivaPlana = jpegs::Codificar(1024, 1024, Plano, plana);
    // The largest MCU there is: 2 x 2 Y, 2 x 2 Cb, 2 x 1 Cr, ten blocks.
    jpegs::Opciones diez;
    diez.muestreo[0][0] = diez.muestreo[0][1] = diez.muestreo[1][0] = diez.muestreo[1][1] = diez.muestreo[2][0] = 2;
    diez.muestreo[2][1] = 1;
    jpegs::Opciones aritmetica;
    aritmetica.aritmetico = true;
    const QByteArray aritmeticaPlana = jpegs::Codificar(1024, 1024, Plano, aritmetica);
    const auto [sd, sh] = jpegs::Scans(secuencialPlana)[0];
    ASSERT_EQ(sh - sd, 6 * 64 * 64 * 2 / 8); // 24576 blocks of 4:2:0, 2 bits each
    // Cb and Cr of 1024 x 1024 interleaved in a scan of their own: 2
    // blocks an MCU, 2 bits each.
    plana.progresivo = false, plana.colorJunto = true;
    const QByteArray colorPlano = jpegs::Codificar(1024, 1024, Plano, plana);
    ASSERT_EQ(jpegs::Scans(colorPlano)[1].second - jpegs::Scans(colorPlano)[1].first, 64 * 64 * 2 * 2 / 8);
    plana.colorJunto = false;
    // 4096 x 4096 the same: 393216 blocks, 98304 bytes at the least.
    plana.progresivo = false;
    const QByteArray granPlana = jpegs::Codificar(4096, 4096, Plano, plana);
    ASSERT_EQ(jpegs::Scans(granPlana)[0].second - jpegs::Scans(granPlana)[0].first, 98304);
    ASSERT_LT(jpegs::Scans(aritmeticaPlana)[0].second - jpegs::Scans(aritmeticaPlana)[0].first, 100);

    // The frame header's size and type, as bytes to change.
    const auto marco = [](QByteArray d, int w, int h, char tipo = 0) {
        const int sof = std::max(Buscar(d, "\xFF\xC0"), Buscar(d, "\xFF\xC2"));
        d[sof + 5] = char(h >> 8), d[sof + 6] = char(h), d[sof + 7] = char(w >> 8), d[sof + 8] = char(w);
        if (tipo) d[sof + 1] = tipo;
        return d;
    };
    const QByteArray baseline = Leer(prueba::Guardar(prueba::Color24(64, 48, Foto), FIF_JPEG, "b.jpg", 90));
    const QByteArray progresiva = Leer(prueba::Guardar(prueba::Color24(64, 48, Foto), FIF_JPEG, "p.jpg", JPEG_PROGRESSIVE | 90));
    const int dqt = Buscar(baseline, "\xFF\xDB");
    QByteArray idsRepetidos = baseline; // every component id 1, in the frame and the scan
    for (int i = 0; i < 3; ++i) idsRepetidos[Buscar(baseline, "\xFF\xC0") + 10 + 3 * i] = 1, idsRepetidos[Buscar(baseline, "\xFF\xDA") + 5 + 2 * i] = 1;

    const struct { QString nombre; QByteArray bytes, igualQue; } cargan[] = {
        {"reinicios.jpg", conRst, conRst},
        {"tras_el_fin.jpg", conRst + QByteArray("\x00\xFF\xD8\xFF\xC0 junk", 11) + QByteArray(1000, '\x55'), conRst},
        {"reinicio_final.jpg", poner(conRst, fin, "\xFF\xD7"), conRst}, // libjpeg passes them too
        {"relleno.jpg", poner(baseline, dqt, "\xFF\xFF\xFF"), baseline},
        {"marcas_sueltas.jpg", poner(baseline, dqt, QByteArray("\xFF\xD0\xFF\x01", 4)), baseline}, // RST0 and TEM stand alone
        {"ids_repetidos.jpg", idsRepetidos, baseline}, // libjpeg renames them 1, 2, 3
        {"comentario_sin_largo.jpg", poner(baseline, dqt, QByteArray("\xFF\xFE\0\0", 4)), baseline},
        // A comment of 65533 bytes, past the first 64 KiB the walk reads at once.
        {"comentario_largo.jpg", poner(baseline, 2, QByteArray("\xFF\xFE\xFF\xFF", 4) + QByteArray(65533, 'c')), baseline},
        {"diez_bloques.jpg", jpegs::Codificar(64, 48, Foto, diez), {}},
        {"reinicios_finales.jpg", poner(conRst, fin, "\xFF\xD7\xFF\xD0"), conRst},
        {"por_componente.jpg", tres, {}},
        {"secuencial_plana.jpg", secuencialPlana, {}},
        {"color_plano.jpg", colorPlano, {}},
        {"progresiva_plana.jpg", progresivaPlana, {}},
        {"aritmetica_plana.jpg", aritmeticaPlana, {}}, // arithmetic data has no least size
    };
    for (const auto &c : cargan) {
        SCOPED_TRACE(c.nombre.toStdString());
        EXPECT_EQ(jpegs::Avisos(c.bytes), 0);
        const QByteArray px = Decodificada(c.bytes);
        EXPECT_FALSE(px.isEmpty()) << modFreeImage::UltimoMensaje().toStdString();
        EXPECT_TRUE(c.igualQue.isEmpty() || px == Decodificada(c.igualQue));
    }

    QByteArray segundoMarco = baseline;
    segundoMarco.insert(Buscar(baseline, "\xFF\xDA"), baseline.mid(Buscar(baseline, "\xFF\xC0"), 19));
    QByteArray doce = baseline;
    doce[Buscar(baseline, "\xFF\xC0") + 4] = 12;
    const struct { QString nombre; QByteArray bytes; } rechazan[] = {
        {"basura_entre_segmentos.jpg", poner(conRst, Buscar(conRst, "\xFF\xDB"), "\x01")},
        {"cero_entre_segmentos.jpg", poner(conRst, Buscar(conRst, "\xFF\xDB"), QByteArray("\xFF\x00", 2))},
        {"reinicios_desordenados.jpg", desordenado},
        {"ultimo_reinicio_perdido.jpg", quitar(conRst, reinicios.back(), 2)}, // the order still holds
        {"reinicio_repetido.jpg", poner(conRst, reinicios[3], conRst.mid(reinicios[3], 2))},
        {"marco_en_los_datos.jpg", poner(conRst, datos + 20, "\xFF\xC0")},
        {"inicio_en_los_datos.jpg", poner(conRst, datos + 20, "\xFF\xD8")},
        {"sin_fin.jpg", conRst.chopped(2)},
        {"datos_cortados.jpg", quitar(secuencialPlana, sd + 100, 1)}, // one byte short of 2 bits a block
        {"dc_cortado.jpg", quitar(progresivaPlana, jpegs::Scans(progresivaPlana)[0].first + 100, 1)},
        {"grande_cortada.jpg", quitar(granPlana, jpegs::Scans(granPlana)[0].first + 100, 1)},
        {"color_cortado.jpg", quitar(colorPlano, jpegs::Scans(colorPlano)[1].first + 100, 1)},
        {"componente_sin_scan.jpg", tres.left(ultimoScan) + "\xFF\xD9"},
        {"dos_marcos.jpg", segundoMarco},
        {"sin_perdida.jpg", marco(baseline, 64, 48, char(0xC3))},
        {"doce_bits.jpg", doce},
        {"sin_scans.jpg", baseline.left(Buscar(baseline, "\xFF\xDA")) + "\xFF\xD9"},
        {"alto_cero.jpg", marco(baseline, 64, 0)},
        // A few hundred bytes that claim 48952 x 20560 (about a gigapixel).
        {"diminuta_enorme.jpg", marco(baseline, 48952, 20560)},
        {"diminuta_enorme_progresiva.jpg", marco(progresiva, 48952, 20560)},
    };
    // A terabyte said to be there, and no request above 2 MB granted: each
    // is refused as damaged, none for want of memory.
    Memoria::FijarDisponible(int64_t(1) << 40);
    Inyeccion::LimitarMemoria(2 << 20);
    for (const auto &c : rechazan) {
        SCOPED_TRACE(c.nombre.toStdString());
        const QString r = Poner(prueba::Ruta(c.nombre), c.bytes);
        CajasGuionadas cajas;
        HayEscaneo = HayMuestra = false;
        LeerInfoImagen(r);
        EXPECT_FALSE(CargarImagenEscaneo(r, nullptr));
        EXPECT_FALSE(CargarMuestra(r, nullptr));
        ASSERT_EQ(cajas.llamadas.size(), 2);
        EXPECT_EQ(cajas.llamadas[0].texto, "Error al cargar: " + r + "\r\n" + kDanado);
        EXPECT_EQ(cajas.llamadas[1].texto, "Error al cargar la muestra: " + r + "\r\n" + kDanado);
    }
    Inyeccion::LimitarMemoria(0);
    Memoria::FijarDisponible(-1);
}

// A walk's result is the last file's alone, whatever the structure held
// before: a baseline frame needs no coefficient buffer even after a
// progressive one was walked into the same structure.
TEST(JpegEstructura, CadaRecorridoDaSoloLasCifrasDeSuFichero)
{
    jpegs::Opciones progresivo;
    progresivo.progresivo = true;
    const QString p = Poner(prueba::Ruta("progresivo.jpg"), jpegs::Codificar(64, 48, Foto, progresivo)),
                  b = Poner(prueba::Ruta("base.jpg"), jpegs::Codificar(32, 16, Foto));
    modFreeImage::EstructuraJPEG j;
    for (const auto &[ruta, ancho, alto, conCoeficientes] : {std::tuple{p, 64, 48, true}, {b, 32, 16, false}}) {
        const int fd = ::open(QFile::encodeName(ruta).constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        Archivos::Flujo f(fd);
        EXPECT_TRUE(modFreeImage::RecorrerJPEG(f, j));
        ::close(fd);
        EXPECT_EQ((std::tuple{j.ancho, j.alto, j.componentes, j.coeficientes > 0}), (std::tuple{int64_t(ancho), int64_t(alto), 3, conCoeficientes}));
    }
}
