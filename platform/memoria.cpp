#include "platform/memoria.h"

#include <QByteArray>
#include <QFile>
#include <QList>

namespace Memoria {

namespace {
int64_t &Fijada()
{
    static int64_t b = -1;
    return b;
}

QByteArray Leer(const QString &ruta)
{
    QFile f(ruta);
    // Files of /proc and /sys report size 0: read what is there.
    return f.open(QIODevice::ReadOnly) ? f.read(64 * 1024) : QByteArray();
}

// "MemAvailable:  123456 kB" in /proc/meminfo.
int64_t DelSistema()
{
    for (const QByteArray &linea : Leer(QStringLiteral("/proc/meminfo")).split('\n')) {
        if (!linea.startsWith("MemAvailable:")) continue;
        const QList<QByteArray> campos = linea.simplified().split(' ');
        bool ok = false;
        const int64_t kb = campos.size() >= 2 ? campos[1].toLongLong(&ok) : 0;
        return ok ? kb * 1024 : -1;
    }
    return -1;
}

// The room under the control group's memory limit, -1 without one: cgroup
// v2 (memory.max) or v1 (memory.limit_in_bytes), at the group's own path or,
// inside a container, at the root of the mount.
int64_t DelGrupo()
{
    struct Par {
        QString max, uso;
    };
    QList<Par> candidatos;
    for (const QByteArray &linea : Leer(QStringLiteral("/proc/self/cgroup")).split('\n')) {
        const QList<QByteArray> c = linea.split(':');
        if (c.size() < 3) continue;
        const QString ruta = QString::fromUtf8(c.mid(2).join(':')).trimmed();
        if (c[0] == "0" && c[1].isEmpty()) {
            for (const QString &b : {QStringLiteral("/sys/fs/cgroup") + ruta, QStringLiteral("/sys/fs/cgroup")})
                candidatos.append({b + QStringLiteral("/memory.max"), b + QStringLiteral("/memory.current")});
        } else if (c[1] == "memory") {
            for (const QString &b : {QStringLiteral("/sys/fs/cgroup/memory") + ruta, QStringLiteral("/sys/fs/cgroup/memory")})
                candidatos.append({b + QStringLiteral("/memory.limit_in_bytes"), b + QStringLiteral("/memory.usage_in_bytes")});
        }
    }
    for (const Par &p : candidatos) {
        bool okMax = false, okUso = false;
        const int64_t max = Leer(p.max).trimmed().toLongLong(&okMax);
        const int64_t uso = Leer(p.uso).trimmed().toLongLong(&okUso);
        if (okMax && okUso) return max > uso ? max - uso : 0;
    }
    return -1;
}
} // namespace

int64_t Disponible()
{
    if (Fijada() >= 0) return Fijada();
    const int64_t sistema = DelSistema(), grupo = DelGrupo();
    if (sistema < 0) return grupo;
    return grupo >= 0 && grupo < sistema ? grupo : sistema;
}

void FijarDisponible(int64_t bytes) { Fijada() = bytes; }

} // namespace Memoria
