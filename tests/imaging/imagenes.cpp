#include "imagenes.h"

#include "imaging/freeimage_io.h"
#include "imaging/modimage.h"

#include <QDir>
#include <QFile>

namespace prueba {

QString Ruta(const QString &nombre) { return QDir::tempPath() + u'/' + nombre; }

QString Guardar(FIBITMAP *b, FREE_IMAGE_FORMAT fif, const QString &nombre, int flags)
{
    modFreeImage::Iniciar();
    const QString r = Ruta(nombre);
    const bool ok = b && FreeImage_Save(fif, b, QFile::encodeName(r).constData(), flags);
    if (b) FreeImage_Unload(b);
    return ok ? r : QString();
}

FIBITMAP *Color24(int ancho, int alto, const std::function<uint32_t(int, int)> &f)
{
    FIBITMAP *b = FreeImage_Allocate(ancho, alto, 24);
    for (int y = 0; y < alto; ++y) {
        BYTE *fila = FreeImage_GetScanLine(b, alto - 1 - y);
        for (int x = 0; x < ancho; ++x) {
            const uint32_t c = f(x, y);
            fila[3 * x + FI_RGBA_RED] = (c >> 16) & 0xFF;
            fila[3 * x + FI_RGBA_GREEN] = (c >> 8) & 0xFF;
            fila[3 * x + FI_RGBA_BLUE] = c & 0xFF;
        }
    }
    return b;
}

BGR Pixel(const std::vector<uint8_t> &px, int32_t alto, int32_t paso, int x, int y)
{
    const size_t i = size_t(alto - 1 - y) * paso + 3 * x;
    return {px.at(i), px.at(i + 1), px.at(i + 2)};
}

BGR PixelEscaneo(int x, int y)
{
    return Pixel(modImage::PixelesEscaneo, modImage::AltoEscaneo, modImage::PasoEscaneo, x, y);
}

void FijarEscaneo(int ancho, int alto, const std::function<BGR(int, int)> &f)
{
    using namespace modImage;
    AnchoEscaneo = ancho;
    AltoEscaneo = alto;
    PasoEscaneo = static_cast<int32_t>(PasoDeAncho(ancho));
    PixelesEscaneo.assign(size_t(PasoEscaneo) * alto, 0xEE);
    for (int y = 0; y < alto; ++y)
        for (int x = 0; x < ancho; ++x) {
            const BGR c = f(x, y);
            const size_t i = size_t(alto - 1 - y) * PasoEscaneo + 3 * x;
            PixelesEscaneo[i] = uint8_t(c.b);
            PixelesEscaneo[i + 1] = uint8_t(c.g);
            PixelesEscaneo[i + 2] = uint8_t(c.r);
        }
    HayEscaneo = true;
}

void PonerU32(QByteArray &d, int offset, uint32_t v)
{
    if (d.size() < offset + 4) d.resize(offset + 4, '\0');
    d[offset] = char(v >> 24);
    d[offset + 1] = char(v >> 16);
    d[offset + 2] = char(v >> 8);
    d[offset + 3] = char(v);
}

QByteArray PerfilICC(const QByteArray &tablaYDatos)
{
    QByteArray d(128, '\0');
    d.append(tablaYDatos);
    PonerU32(d, 0, uint32_t(d.size()));
    d.replace(36, 4, "acsp");
    return d;
}

namespace {
QByteArray UnaEtiquetaDesc(const QByteArray &datos)
{
    QByteArray t;
    PonerU32(t, 0, 1);                  // tag count
    PonerU32(t, 4, 0x64657363);         // 'desc'
    PonerU32(t, 8, 128 + 4 + 12);       // data right after the table
    PonerU32(t, 12, uint32_t(datos.size()));
    t.append(datos);
    return t;
}
} // namespace

QByteArray PerfilDesc(const QByteArray &texto, int32_t cuenta)
{
    QByteArray d;
    PonerU32(d, 0, 0x64657363);
    PonerU32(d, 4, 0);
    PonerU32(d, 8, uint32_t(cuenta < 0 ? texto.size() : cuenta));
    d.append(texto);
    return PerfilICC(UnaEtiquetaDesc(d));
}

QByteArray PerfilMluc(const QString &texto)
{
    QByteArray d;
    PonerU32(d, 0, 0x6D6C7563);
    PonerU32(d, 4, 0);
    PonerU32(d, 8, 1);  // records
    PonerU32(d, 12, 12); // record size
    d.append("enUS");
    PonerU32(d, 20, uint32_t(texto.size() * 2));
    PonerU32(d, 24, 28);
    for (QChar c : texto) {
        d.append(char(c.unicode() >> 8));
        d.append(char(c.unicode() & 0xFF));
    }
    return PerfilICC(UnaEtiquetaDesc(d));
}

QByteArray LeerArchivo(const QString &ruta)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

void EscribirArchivo(const QString &ruta, const QByteArray &d)
{
    QFile f(ruta);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(d);
}

QStringList Temporales(const QString &prefijo)
{
    return QDir(QDir::tempPath()).entryList({prefijo + u'*'}, QDir::Files);
}

} // namespace prueba
