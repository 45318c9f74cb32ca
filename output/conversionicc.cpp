#include "output/conversionicc.h"

#include "output/ajustesimpresora.h"
#include "output/cargalcms.h"
#include "output/impresion.h"
#include "platform/files.h"

#include <QColorSpace>
#include <QColorTransform>
#include <QFile>
#include <QFileInfo>


namespace modImpresion {

namespace {

const QString kSinLCMS = QStringLiteral("No se encuentra la biblioteca Little CMS (liblcms2.so.2).");

bool Existe(const QString &ruta) { return !ruta.isEmpty() && QFileInfo(ruta).isFile(); }

// What both converters do first: the two profile files and the two working
// pictures, the source holding the picture's pixels.
struct Preparacion {
    QString perfilOrigen, perfilImpresora;
    QImage fuente, destino;
};

bool Preparar(const QImage &imagen, int32_t ancho, int32_t alto, const QString &impresora, const QString &perfilOrigen,
              const QString &perfilImpresora, Preparacion &p, QString &msgError)
{
    p.perfilOrigen = perfilOrigen.trimmed().isEmpty() ? RutaPerfilSRGB() : perfilOrigen;
    if (!Existe(p.perfilOrigen)) p.perfilOrigen = RutaPerfilSRGB();
    p.perfilImpresora = ResolverPerfilImpresora(perfilImpresora, impresora);
    if (!Existe(p.perfilImpresora)) {
        msgError = QStringLiteral("No se encontro el perfil de impresora.");
        return false;
    }
    if (ancho < 1 || alto < 1 || ancho > imagen.width() || alto > imagen.height()) {
        msgError = QStringLiteral("No se pudo copiar el bitmap origen ICC.");
        return false;
    }
    p.destino = QImage(ancho, alto, QImage::Format_BGR888);
    const QRect zona(0, 0, ancho, alto);
    p.fuente = imagen.format() == QImage::Format_BGR888 ? imagen.copy(zona)
                                                         : imagen.copy(zona).convertToFormat(QImage::Format_BGR888);
    if (p.destino.isNull() || p.fuente.isNull()) {
        msgError = QStringLiteral("No se pudo reservar el bitmap temporal ICC.");
        return false;
    }
    return true;
}

// The colour space an ICC profile's header declares ("RGB ", "GRAY",
// "CMYK", ...), or "" when the bytes are no profile.
QByteArray EspacioDeColor(const QByteArray &perfil)
{
    return perfil.size() >= 40 && perfil.mid(36, 4) == "acsp" ? perfil.mid(16, 4) : QByteArray();
}
// A profile file's bytes, none when it cannot be read.
QByteArray LeerPerfil(const QString &ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
// The colour space of a profile's header as the user is told it ("de
// grises", "CMYK", "Lab", ...), or "" when it is RGB or no profile at all.
QString EspacioNoRGB(const QByteArray &espacio)
{
    if (espacio.isEmpty() || espacio == "RGB ") return QString();
    if (espacio == "GRAY") return QStringLiteral("de grises");
    // "2CLR" to "FCLR": that many colourants, counted in hexadecimal.
    bool hex = false;
    const int tintas = espacio.left(1).toInt(&hex, 16);
    if (hex && espacio.mid(1) == "CLR") return QStringLiteral("de %1 colores").arg(tintas);
    return QString::fromLatin1(espacio).trimmed();
}

// Why no RGB picture converts through these profiles, whichever engine
// tries: each one that is for other data than RGB, named with its file
// ("" when both are RGB).
QString PerfilesNoRGB(const Preparacion &p)
{
    QStringList motivos;
    const struct {
        const char *papel;
        const QString &ruta;
    } perfiles[] = {{"de origen", p.perfilOrigen}, {"de impresora", p.perfilImpresora}};
    for (const auto &f : perfiles) {
        const QString espacio = EspacioNoRGB(EspacioDeColor(LeerPerfil(f.ruta)));
        if (!espacio.isEmpty())
            motivos << QStringLiteral("El perfil %1 es %2 y hace falta uno RGB: %3").arg(QLatin1String(f.papel), espacio, f.ruta);
    }
    return motivos.join(QStringLiteral(". "));
}

// The profile files that would not open, named for the user.
QString Ilegibles(bool origen, bool impresora, const Preparacion &p)
{
    QStringList rutas;
    if (!origen) rutas << p.perfilOrigen;
    if (!impresora && (origen || p.perfilImpresora != p.perfilOrigen)) rutas << p.perfilImpresora;
    return QStringLiteral("Perfil ilegible o dañado: ") + rutas.join(QStringLiteral(", "));
}

// Little CMS objects of one conversion, released on every path.
struct ObjetosLCMS {
    cmsHPROFILE origen = nullptr, impresora = nullptr;
    cmsHTRANSFORM transformacion = nullptr;
    ~ObjetosLCMS()
    {
        if (transformacion) modLCMS::lcms.DeleteTransform(transformacion);
        if (origen) modLCMS::lcms.CloseProfile(origen);
        if (impresora) modLCMS::lcms.CloseProfile(impresora);
    }
};

} // namespace

namespace {

// Little CMS's conversion; *sinSustituto is raised when it refused a pair
// that no other engine may convert either (a profile not for RGB data).
QImage ConvertirConLCMS(const QImage &imagen, int32_t anchoPx, int32_t altoPx, const QString &impresora,
                        const QString &perfilOrigen, const QString &perfilImpresora, int indiceIntento,
                        bool compensarPuntoNegro, QString &msgError, bool *sinSustituto)
{
    using modLCMS::lcms;
    msgError.clear();
    if (!modLCMS::CargarLCMS(Archivos::CarpetaPrograma())) {
        msgError = kSinLCMS;
        return QImage();
    }
    Preparacion p;
    if (!Preparar(imagen, anchoPx, altoPx, impresora, perfilOrigen, perfilImpresora, p, msgError)) return QImage();
    ObjetosLCMS o;
    o.origen = lcms.OpenProfileFromFile(QFile::encodeName(p.perfilOrigen).constData(), "r");
    o.impresora = lcms.OpenProfileFromFile(QFile::encodeName(p.perfilImpresora).constData(), "r");
    if (!o.origen || !o.impresora) {
        msgError = TextoConMotivo(QStringLiteral("No se pudieron abrir los perfiles ICC con LittleCMS."),
                                  Ilegibles(o.origen, o.impresora, p));
        return QImage();
    }
    const cmsUInt32Number flags = cmsFLAGS_HIGHRESPRECALC | (compensarPuntoNegro ? cmsFLAGS_BLACKPOINTCOMPENSATION : 0);
    o.transformacion = lcms.CreateTransform(o.origen, TYPE_BGR_8, o.impresora, TYPE_BGR_8,
                                            cmsUInt32Number(IntentoICC(indiceIntento)), flags);
    if (!o.transformacion) {
        const QString noRGB = PerfilesNoRGB(p);
        msgError = TextoConMotivo(QStringLiteral("No se pudo crear la transformacion ICC con LittleCMS."), noRGB);
        if (sinSustituto) *sinSustituto = !noRGB.isEmpty();
        return QImage();
    }
    // Row by row: each row ends in fill bytes up to the stride.
    for (int32_t y = 0; y < altoPx; ++y)
        lcms.DoTransform(o.transformacion, p.fuente.constScanLine(y), p.destino.scanLine(y), cmsUInt32Number(anchoPx));
    return p.destino;
}

} // namespace

QImage ConvertirICC(const QImage &imagen, int32_t anchoPx, int32_t altoPx, const QString &impresora,
                    const QString &perfilOrigen, const QString &perfilImpresora, int indiceIntento,
                    bool compensarPuntoNegro, QString &msgError)
{
    // Each way out below writes msgError, "" first.
    if (modLCMS::CargarLCMS(Archivos::CarpetaPrograma())) {
        bool sinSustituto = false;
        QImage r = ConvertirConLCMS(imagen, anchoPx, altoPx, impresora, perfilOrigen, perfilImpresora, indiceIntento,
                                    compensarPuntoNegro, msgError, &sinSustituto);
        if (!r.isNull() || compensarPuntoNegro || sinSustituto) return r;
    } else if (compensarPuntoNegro) {
        msgError = QStringLiteral("La compensacion de punto negro necesita la biblioteca Little CMS (liblcms2.so.2).");
        return QImage();
    }
    return ConvertirICCConQt(imagen, anchoPx, altoPx, impresora, perfilOrigen, perfilImpresora, indiceIntento,
                             compensarPuntoNegro, msgError);
}

QImage ConvertirICCConLCMS(const QImage &imagen, int32_t anchoPx, int32_t altoPx, const QString &impresora,
                           const QString &perfilOrigen, const QString &perfilImpresora, int indiceIntento,
                           bool compensarPuntoNegro, QString &msgError)
{
    return ConvertirConLCMS(imagen, anchoPx, altoPx, impresora, perfilOrigen, perfilImpresora, indiceIntento,
                            compensarPuntoNegro, msgError, nullptr);
}

QImage ConvertirICCConQt(const QImage &imagen, int32_t anchoPx, int32_t altoPx, const QString &impresora,
                         const QString &perfilOrigen, const QString &perfilImpresora, int, bool,
                         QString &msgError)
{
    msgError.clear();
    Preparacion p;
    if (!Preparar(imagen, anchoPx, altoPx, impresora, perfilOrigen, perfilImpresora, p, msgError)) return QImage();
    // Qt would take a grey profile for an RGB one and convert anyway.
    if (const QString noRGB = PerfilesNoRGB(p); !noRGB.isEmpty()) {
        msgError = TextoConMotivo(QStringLiteral("No se pudo crear la transformacion ICC."), noRGB);
        return QImage();
    }
    const QByteArray bytesOrigen = LeerPerfil(p.perfilOrigen), bytesImpresora = LeerPerfil(p.perfilImpresora);
    // Qt reads matrix/TRC RGB profiles; LUT-based printer profiles fail here.
    const QColorSpace origen = QColorSpace::fromIccProfile(bytesOrigen), destino = QColorSpace::fromIccProfile(bytesImpresora);
    if (!origen.isValid() || !destino.isValid()) {
        msgError = TextoConMotivo(QStringLiteral("No se pudieron abrir los perfiles ICC."),
                                  Ilegibles(origen.isValid(), destino.isValid(), p));
        return QImage();
    }
    const QColorTransform t = origen.transformationToColorSpace(destino);
    QImage fila(anchoPx, 1, QImage::Format_RGB32);
    if (fila.isNull()) {
        msgError = QStringLiteral("No se pudo aplicar la transformacion ICC.");
        return QImage();
    }
    // One row at a time through a 32-bit row, which Qt transforms in bulk.
    for (int32_t y = 0; y < altoPx; ++y) {
        const uchar *s = p.fuente.constScanLine(y);
        auto *rgb = reinterpret_cast<QRgb *>(fila.scanLine(0));
        for (int32_t x = 0; x < anchoPx; ++x, s += 3) rgb[x] = qRgb(s[2], s[1], s[0]);
        fila.applyColorTransform(t);
        const auto *convertido = reinterpret_cast<const QRgb *>(fila.constScanLine(0));
        uchar *d = p.destino.scanLine(y);
        for (int32_t x = 0; x < anchoPx; ++x, d += 3) {
            d[0] = uchar(qBlue(convertido[x]));
            d[1] = uchar(qGreen(convertido[x]));
            d[2] = uchar(qRed(convertido[x]));
        }
    }
    return p.destino;
}

} // namespace modImpresion
