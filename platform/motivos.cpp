#include "platform/motivos.h"

#include "platform/carpetas.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace Archivos {

QString MotivoSistema(int e)
{
    switch (e) {
    case ENOSPC: return QStringLiteral("No queda espacio en el disco");
    case EDQUOT: return QStringLiteral("Se ha superado la cuota de disco");
    case EACCES:
    case EPERM: return QStringLiteral("Permiso denegado");
    case EROFS: return QStringLiteral("El disco es de solo lectura");
    case ENOENT: return QStringLiteral("No existe la carpeta o el fichero");
    case ENOTDIR: return QStringLiteral("Una parte de la ruta no es una carpeta");
    case EISDIR: return QStringLiteral("Es una carpeta");
    case ELOOP: return QStringLiteral("Demasiados enlaces simbólicos");
    case ENAMETOOLONG: return QStringLiteral("El nombre es demasiado largo");
    case EFBIG: return QStringLiteral("El fichero es demasiado grande");
    case EIO: return QStringLiteral("Error de lectura o escritura en el disco");
    case ENOMEM: return QStringLiteral("No hay memoria suficiente");
    case EMFILE:
    case ENFILE: return QStringLiteral("Demasiados ficheros abiertos");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("El fichero está en uso");
    case EEXIST: return QStringLiteral("Ya existe un fichero con ese nombre");
    case ENXIO:
    case ENODEV: return QStringLiteral("El dispositivo no está disponible");
    case ESTALE:
    case ENOTCONN:
    case ETIMEDOUT:
    case EHOSTDOWN:
    case EHOSTUNREACH: return QStringLiteral("Se ha perdido la conexión con el disco de red");
    case EOPNOTSUPP: return QStringLiteral("El sistema de ficheros no admite la operación");
    // The C library speaks English here; the number lets the user look it up.
    default: return QStringLiteral("Error del sistema número %1").arg(e);
    }
}

QString MotivoNoRegular(unsigned modo)
{
    return S_ISDIR(modo) ? MotivoSistema(EISDIR) : QStringLiteral("No es un fichero normal");
}

QString MotivoCrear(int e, const QByteArray &carpeta)
{
    if (e == EEXIST)
        return QStringLiteral("No quedan nombres libres para un fichero temporal en ") + QFile::decodeName(carpeta);
    return MotivoSistema(e);
}

QString MotivoCarpeta(int e, const QString &carpeta, const QString &cual)
{
    switch (e) {
    case ENOSPC:
    case EDQUOT: return MotivoSistema(e) + QStringLiteral(" de ") + cual + carpeta;
    case EEXIST: return MotivoCrear(e, QFile::encodeName(carpeta));
    default: return QStringLiteral("No se puede usar ") + cual + carpeta + QStringLiteral(": ") + MotivoSistema(e);
    }
}

QString MotivoTemporal(int e) { return MotivoCarpeta(e, CarpetaTemporal(), QStringLiteral("la carpeta temporal ")); }

} // namespace Archivos
