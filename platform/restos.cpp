#include "platform/restos.h"

#include "platform/carpetas.h"
#include "platform/descriptor.h"
#include "platform/temporales.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <condition_variable>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Archivos {

namespace {
// A leftover goes when it is a regular file of this user, last changed
// before 'limite', and no running save holds its lock.
void BorrarSiAbandonado(const QByteArray &ruta, time_t limite)
{
    struct stat st, abierto;
    if (::lstat(ruta.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_mtime >= limite)
        return;
    Descriptor d;
    d.fd = ::open(ruta.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (d.fd < 0 || ::fstat(d.fd, &abierto) != 0 || abierto.st_ino != st.st_ino || abierto.st_dev != st.st_dev ||
        ::flock(d.fd, LOCK_EX | LOCK_NB) != 0)
        return;
    // Still that file under that name (another cleanup may have been first).
    if (::lstat(ruta.constData(), &st) == 0 && abierto.st_ino == st.st_ino && abierto.st_dev == st.st_dev) ::unlink(ruta.constData());
}

struct Trabajo {
    QByteArray carpeta, inicio;
    std::function<Resto(QByteArrayView)> juzgar;
};

void Hacer(const Trabajo &t)
{
    const time_t haceUnaHora = ::time(nullptr) - 3600;
    Recorrer(t.carpeta, t.inicio, [&](QByteArrayView n) {
        const Resto r = t.juzgar(n);
        if (r != Resto::Ajeno)
            BorrarSiAbandonado(EnCarpeta(t.carpeta, n), r == Resto::UnaHora ? haceUnaHora : std::numeric_limits<time_t>::max());
    });
}

// The cleanup's thread: started when work comes and none runs (on the
// program's thread, once its event loop turns: the windows come first),
// ended when nothing is left.
class Limpiador {
public:
    ~Limpiador()
    {
        Esperar();
        const std::lock_guard<std::mutex> g(m_);
        if (hilo_.joinable()) hilo_.join();
    }
    void Poner(Trabajo t)
    {
        {
            const std::lock_guard<std::mutex> g(m_);
            cola_.push_back(std::move(t));
            if (activo_ || programado_) return;
            QCoreApplication *app = QCoreApplication::instance();
            if (!app || QThread::currentThread() != app->thread()) {
                Arrancar();
                return;
            }
            programado_ = true;
        }
        QTimer::singleShot(0, QCoreApplication::instance(), [this] {
            const std::lock_guard<std::mutex> g(m_);
            Arrancar();
        });
    }
    // Starts what is queued now, and waits for it.
    void Esperar()
    {
        std::unique_lock<std::mutex> l(m_);
        Arrancar();
        fin_.wait(l, [this] { return !activo_; });
    }

private:
    // With m_ held.
    void Arrancar()
    {
        programado_ = false;
        if (activo_ || cola_.empty()) return;
        if (hilo_.joinable()) hilo_.join(); // done already: it only returns
        activo_ = true;
        try {
            hilo_ = std::thread([this] { Trabajar(); });
        } catch (const std::system_error &) {
            // No thread to be had: the work waits for the next request.
            activo_ = false;
        }
    }
    void Trabajar()
    {
        for (;;) {
            Trabajo t;
            {
                const std::lock_guard<std::mutex> g(m_);
                if (cola_.empty()) {
                    activo_ = false;
                    fin_.notify_all();
                    return;
                }
                t = std::move(cola_.front());
                cola_.pop_front();
            }
            Hacer(t);
        }
    }
    std::mutex m_;
    std::condition_variable fin_;
    std::deque<Trabajo> cola_;
    std::thread hilo_;
    bool activo_ = false, programado_ = false;
};

Limpiador &ElLimpiador()
{
    static Limpiador l;
    return l;
}
} // namespace

void BorrarRestos(QByteArray carpeta, QByteArray inicio, std::function<Resto(QByteArrayView)> juzgar)
{
    ElLimpiador().Poner({std::move(carpeta), std::move(inicio), std::move(juzgar)});
}

void EsperarLimpieza() { ElLimpiador().Esperar(); }

void LimpiarTemporales()
{
    BorrarRestos(QFile::encodeName(CarpetaTemporal()), NombreTemporal::kInicioSuelto.toByteArray(), [](QByteArrayView n) {
        const auto clase = NombreTemporal::DeSuelto(n);
        if (!clase) return Resto::Ajeno;
        return clase->Prefijo() == kPrefijoEscritura ? Resto::Abandonado : Resto::UnaHora;
    });
    // The program's own scratch folder holds nothing else.
    BorrarRestos(QFile::encodeName(CarpetaBorradores()), QByteArray(), [](QByteArrayView) { return Resto::UnaHora; });
}

} // namespace Archivos
