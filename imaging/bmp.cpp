#include "imaging/bmp.h"

#include "imaging/lector.h"
#include "imaging/perfilbmp.h"

#include <QtEndian>

namespace modFreeImage {

namespace {

QByteArray BytesLE32(uint32_t v)
{
    QByteArray b(4, Qt::Uninitialized);
    qToLittleEndian<quint32>(v, b.data());
    return b;
}

constexpr uint32_t kRLE8 = 1, kRLE4 = 2, kCampos = 3, kJPEG = 4, kPNG = 5, kCamposAlfa = 6;

// Why the program cannot read a header that reads well; empty when it can.
QString Variante(uint32_t tamano, uint32_t bits, uint32_t compresion, const uint8_t *mascaras)
{
    const bool os2 = tamano == 64;
    if (os2 && compresion == kCampos) return QStringLiteral("compresión Huffman de OS/2");
    if (os2 && compresion == kJPEG) return QStringLiteral("compresión RLE24 de OS/2");
    if (compresion == kJPEG) return QStringLiteral("JPEG incrustado");
    if (compresion == kPNG) return QStringLiteral("PNG incrustado");
    if (compresion >= 11 && compresion <= 13) return QStringLiteral("CMYK");
    if (bits == 2 || bits == 64) return QStringLiteral("%1 bits por píxel").arg(bits);
    if (mascaras && (compresion == kCampos || compresion == kCamposAlfa)) {
        const uint32_t r = qFromLittleEndian<quint32>(mascaras), g = qFromLittleEndian<quint32>(mascaras + 4), b = qFromLittleEndian<quint32>(mascaras + 8);
        // The library's conversion knows these layouts only.
        if (bits == 16 && !(b == 0x1F && ((r == 0x7C00 && g == 0x3E0) || (r == 0xF800 && g == 0x7E0))))
            return QStringLiteral("16 bits por píxel en canales que no son 5-5-5 ni 5-6-5");
        if (bits == 32 && !(r == 0xFF0000 && g == 0xFF00 && b == 0xFF))
            return QStringLiteral("32 bits por píxel en canales que no son de 8 bits");
    }
    return {};
}

// Where an RLE8 image's last row ends with an end-of-line code (the library
// takes it for a row past the image); -1 when it does not, or when the data
// does not read (the decode then finds that).
int64_t FinDeLineaFinal(Lector &l, int64_t desde, int64_t filas)
{
    if (filas < 1 || !l.Posicionar(desde, SEEK_SET)) return -1;
    for (int64_t fila = 0;;) {
        uint8_t c[2];
        if (l.Leer(c, 2) != 2) return -1;
        if (c[0] != 0) continue; // a run
        switch (c[1]) {
        case 0:
            if (fila == filas - 1) return l.Posicion() - 2;
            ++fila;
            break;
        case 1: return -1;
        case 2:
            if (l.Leer(c, 2) != 2) return -1;
            fila += c[1];
            break;
        default: // literal pixels, to an even count
            if (!l.Posicionar(c[1] + (c[1] & 1), SEEK_CUR)) return -1;
        }
    }
}

} // namespace

bool CabeceraBMP(Archivos::Flujo &f, Cabecera &c)
{
    // The file header and the info header (the largest is 124 bytes), then
    // what may follow a 40-byte one: up to four colour masks.
    uint8_t h[14 + 124 + 16] = {};
    Lector l(f);
    const int64_t leidos = l.Leer(h, sizeof h);
    if (leidos < 18 || l.Fallo()) return false;
    const uint32_t tamano = qFromLittleEndian<quint32>(h + 14);
    const bool nueva = tamano == 52 || tamano == 56 || tamano == 64 || tamano == 108 || tamano == 124;
    if (tamano != 12 && tamano != 40 && !nueva) return false;
    std::vector<Pieza> piezas;
    if (tamano >= 40) {
        if (leidos < 14 + int64_t(tamano)) return false;
        const uint32_t bits = h[14 + 14] | h[14 + 15] << 8, compresion = qFromLittleEndian<quint32>(h + 14 + 16);
        // The masks follow a 40-byte header and lie inside the newer ones.
        const int nMascaras = tamano == 64 ? 0 : compresion == kCampos ? 3 : compresion == kCamposAlfa ? 4 : 0;
        const bool hayMascaras = nMascaras > 0 && leidos >= 14 + 40 + 4 * nMascaras;
        c.noAdmitido = Variante(tamano, bits, compresion, hayMascaras ? h + 14 + 40 : nullptr);
        if (!c.noAdmitido.isEmpty()) {
            c.noAdmitido = QStringLiteral("Variante de BMP no admitida: %1.").arg(c.noAdmitido);
            return false;
        }
        // What no writer makes: the library would read such pixels as
        // uncompressed ones.
        const bool profundidad = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
        if (!profundidad || compresion > kCamposAlfa || (compresion == kRLE8 && bits != 8) ||
            (compresion == kRLE4 && bits != 4) || (nMascaras > 0 && bits != 16 && bits != 32))
            return false;
        const int64_t datos = qFromLittleEndian<quint32>(h + 10), alto = int32_t(qFromLittleEndian<quint32>(h + 14 + 8));
        // The pixels, without the last row's end-of-line code of an RLE8.
        std::vector<Pieza> pixeles = {{datos, Pieza::kResto, {}}};
        if (compresion == kRLE8 && bits == 8) {
            const int64_t fin = FinDeLineaFinal(l, datos, alto);
            if (fin >= 0) pixeles = {{datos, fin - datos, {}}, {fin + 2, Pieza::kResto, {}}};
        }
        // The library takes neither the later headers nor masks with alpha:
        // the 40-byte header with three masks says the same.
        if (nueva || compresion == kCamposAlfa) {
            const int64_t resto = 14 + int64_t(tamano) + (tamano == 40 ? 4 * nMascaras : 0);
            const int64_t propias = 14 + 40 + (nMascaras > 0 ? 12 : 0);
            if (datos < resto) return false;
            // The palette (or whatever lies there) moves up with the pixels.
            QByteArray cabecera(reinterpret_cast<const char *>(h), 14 + 40);
            cabecera.replace(10, 4, BytesLE32(uint32_t(datos - resto + propias)));
            cabecera.replace(14, 4, BytesLE32(40));
            if (nMascaras > 0) {
                cabecera.replace(14 + 16, 4, BytesLE32(kCampos));
                cabecera += QByteArray(reinterpret_cast<const char *>(h + 14 + 40), 12);
            }
            piezas = {{0, 0, cabecera}, {resto, datos - resto, {}}};
            piezas.insert(piezas.end(), pixeles.begin(), pixeles.end());
        } else if (pixeles.size() > 1) {
            piezas = {{0, datos, {}}};
            piezas.insert(piezas.end(), pixeles.begin(), pixeles.end());
        }
    }
    if (piezas.empty()) {
        FreeImageIO io = IO();
        if (f.Posicionar(0, SEEK_SET)) c.bmp.reset(FreeImage_LoadFromHandle(FIF_BMP, &io, &f, FIF_LOAD_NOPIXELS));
    } else {
        Lector vista(f, piezas);
        FreeImageIO io = vista.IO();
        c.bmp.reset(FreeImage_LoadFromHandle(FIF_BMP, &io, &vista, FIF_LOAD_NOPIXELS));
    }
    if (!c.bmp) return false;
    modICC::PerfilBMP(f, c.bmp.get());
    if (f.Fallo()) return false;
    c.ancho = FreeImage_GetWidth(c.bmp.get());
    c.alto = FreeImage_GetHeight(c.bmp.get());
    c.bpp = static_cast<int>(FreeImage_GetBPP(c.bmp.get()));
    c.tipo = FreeImage_GetImageType(c.bmp.get());
    c.piezas = std::move(piezas);
    return true;
}

} // namespace modFreeImage
