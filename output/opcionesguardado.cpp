#include "output/opcionesguardado.h"

#include <FreeImage.h>

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace GuardarOpciones {

QString Extension(Formato f)
{
    switch (f) {
    case Formato::JPEG: return QStringLiteral(".jpg");
    case Formato::PNG: return QStringLiteral(".png");
    case Formato::TIFF: return QStringLiteral(".tif");
    case Formato::WEBP: return QStringLiteral(".webp");
    case Formato::BMP: return QStringLiteral(".bmp");
    case Formato::Ninguno: break;
    }
    return QString();
}

QString Descripcion(Formato f)
{
    switch (f) {
    case Formato::JPEG: return QStringLiteral("JPEG");
    case Formato::PNG: return QStringLiteral("PNG");
    case Formato::TIFF: return QStringLiteral("TIFF");
    case Formato::WEBP: return QStringLiteral("WebP");
    case Formato::BMP: return QStringLiteral("BMP");
    case Formato::Ninguno: break;
    }
    return QString();
}

QString Patron(Formato f)
{
    const QString e = Extension(f);
    return e.isEmpty() ? QString() : QStringLiteral("*") + e;
}

int IdFormato(Formato f)
{
    switch (f) {
    case Formato::JPEG: return FIF_JPEG;
    case Formato::PNG: return FIF_PNG;
    case Formato::TIFF: return FIF_TIFF;
    case Formato::WEBP: return FIF_WEBP;
    case Formato::BMP: return FIF_BMP;
    case Formato::Ninguno: break;
    }
    return 0;
}

Formato FormatoPorExtension(const QString &extension)
{
    const QString e = extension.toLower();
    if (e == QLatin1String(".jpg") || e == QLatin1String(".jpeg")) return Formato::JPEG;
    if (e == QLatin1String(".png")) return Formato::PNG;
    if (e == QLatin1String(".tif") || e == QLatin1String(".tiff")) return Formato::TIFF;
    if (e == QLatin1String(".webp")) return Formato::WEBP;
    if (e == QLatin1String(".bmp")) return Formato::BMP;
    return Formato::JPEG;
}

bool PredictorAplicable(int compresionTiff)
{
    return compresionTiff == TiffLZW || compresionTiff == TiffZIP;
}

int CalcularSaveFlag(const Opciones &o)
{
    switch (o.formato) {
    case Formato::JPEG:
        return o.calidadJpeg | (o.jpegProgresivo ? JPEG_PROGRESSIVE : 0);
    case Formato::PNG:
        // Level 0 has its own flag: a plain 0 would mean the default level.
        return o.compresionPng == 0 ? PNG_Z_NO_COMPRESSION : o.compresionPng;
    case Formato::TIFF: {
        const int orden = o.tiffBigEndian ? FlagTiffBigEndian : 0;
        const int predictor = o.tiffPredictor ? FlagTiffPredictor : 0;
        switch (o.compresionTiff) {
        case TiffSinCompresion: return TIFF_NONE;
        case TiffLZW: return TIFF_LZW | predictor | orden;
        case TiffZIP: return TIFF_DEFLATE | predictor | orden;
        case TiffPackBits: return TIFF_PACKBITS | orden;
        case TiffJPEG: return TIFF_JPEG | orden;
        default: return 0;
        }
    }
    case Formato::WEBP:
        return o.webpLossless ? WEBP_LOSSLESS : o.calidadWebp;
    case Formato::BMP:
    case Formato::Ninguno:
        break;
    }
    return 0;
}

namespace {
// '/' is the only separator here: a backslash is an ordinary character of
// a file name.
qsizetype UltimoSeparador(const QString &ruta) { return ruta.lastIndexOf(u'/'); }
} // namespace

QString CarpetaDe(const QString &ruta)
{
    const qsizetype i = UltimoSeparador(ruta);
    return i < 0 ? QString() : ruta.left(i);
}

QString NombreArchivoDe(const QString &ruta)
{
    const qsizetype i = UltimoSeparador(ruta);
    return i < 0 ? ruta : ruta.mid(i + 1);
}

QString ExtensionDe(const QString &ruta)
{
    const qsizetype i = ruta.lastIndexOf(u'.');
    return i < 0 ? QString() : ruta.mid(i).toLower();
}

QString QuitarExtension(const QString &ruta)
{
    const qsizetype i = ruta.lastIndexOf(u'.');
    return i < 0 ? ruta : ruta.left(i);
}

QString CambiarExtension(const QString &nombre, const QString &extension)
{
    return QuitarExtension(nombre) + extension;
}

QString NombreConExtension(const QString &nombre, Formato f)
{
    QString n = nombre.trimmed();
    const QString e = Extension(f);
    if (ExtensionDe(n) != e) n = QuitarExtension(n) + e;
    return n;
}

QString CarpetaPorDefecto()
{
    const QString imagenes = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!imagenes.isEmpty() && QFileInfo(imagenes).isDir()) return QDir::cleanPath(imagenes);
    return QDir::homePath();
}

QString CarpetaInicial(const QString &rutaOrigen)
{
    if (rutaOrigen.isEmpty()) return CarpetaPorDefecto();
    const QString carpeta = CarpetaDe(rutaOrigen);
    // A bare file name would otherwise send the save to the root folder.
    if (carpeta.isEmpty() && !rutaOrigen.startsWith(u'/'))
        return QDir::currentPath();
    return carpeta;
}

QString NombreInicial(const QString &rutaOrigen)
{
    // The extension is taken from the file name alone, so a dot in a folder
    // name never lands in the proposed name.
    const QString nombre = NombreArchivoDe(rutaOrigen);
    return QuitarExtension(nombre) + QStringLiteral(" _ curva aplicada") + ExtensionDe(nombre);
}

} // namespace GuardarOpciones
