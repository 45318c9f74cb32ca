#include "app/senales.h"

#include "platform/progress.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace Senales {

namespace {
int tuberia[2] = {-1, -1};

void AlRecibir(int senal)
{
    const int guardado = errno;
    const char n = char(senal);
    // A full pipe already holds a signal waiting to be read.
    [[maybe_unused]] const ssize_t w = ::write(tuberia[1], &n, 1);
    errno = guardado;
}

// A long operation finishes first: its buffers stay in use until it returns.
void CuandoLibre(QObject *dueno, const std::function<void()> &terminar)
{
    if (GuardaOcupado::Activo()) {
        QTimer::singleShot(50, dueno, [dueno, terminar] { CuandoLibre(dueno, terminar); });
        return;
    }
    terminar();
}
} // namespace

void Instalar(QObject *dueno, std::function<void()> terminar)
{
    if (tuberia[0] < 0 && ::pipe2(tuberia, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto *aviso = new QSocketNotifier(tuberia[0], QSocketNotifier::Read, dueno);
    QObject::connect(aviso, &QSocketNotifier::activated, dueno, [dueno, terminar = std::move(terminar)] {
        // One read takes every signal waiting; the program ends once.
        char basura[16];
        [[maybe_unused]] const ssize_t r = ::read(tuberia[0], basura, sizeof basura);
        CuandoLibre(dueno, terminar);
    });
    struct sigaction sa = {};
    sa.sa_handler = AlRecibir;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(s, &sa, nullptr);
}

} // namespace Senales
