#include "app/senales.h"

#include "platform/cierre.h"

#include <QSocketNotifier>
#include <QThread>

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
} // namespace

void Instalar(QObject *dueno, std::function<void()> terminar)
{
    if (tuberia[0] < 0 && ::pipe2(tuberia, O_CLOEXEC | O_NONBLOCK) != 0) return;
    // The main loop runs one level above whoever installs the handlers.
    const int nivelBase = QThread::currentThread()->loopLevel() + 1;
    auto *aviso = new QSocketNotifier(tuberia[0], QSocketNotifier::Read, dueno);
    QObject::connect(aviso, &QSocketNotifier::activated, dueno, [dueno, nivelBase, terminar = std::move(terminar)] {
        // One read takes every signal waiting; the program ends once.
        char basura[16];
        [[maybe_unused]] const ssize_t r = ::read(tuberia[0], basura, sizeof basura);
        Cierre::Pedir(dueno, nivelBase, terminar);
    });
    struct sigaction sa = {};
    sa.sa_handler = AlRecibir;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(s, &sa, nullptr);
}

} // namespace Senales
