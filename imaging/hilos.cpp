#include "imaging/hilos.h"

#include "imaging/aplicar.h"

#include <system_error>
#include <thread>

namespace modImage {

namespace {

int &HilosFijados()
{
    static int n = 0;
    return n;
}

// Threads that sleep between loops. One loop at a time holds them.
class Pool {
public:
    static Pool &Instancia()
    {
        static Pool p;
        return p;
    }

    ~Pool()
    {
        {
            std::lock_guard<std::mutex> l(m_);
            salir_ = true;
        }
        despertar_.notify_all();
        for (std::thread &t : hilos_) t.join();
    }

    // Starts tarea(1) .. tarea(n); how many started.
    int Prestar(int n, const std::function<void(int)> *tarea)
    {
        std::unique_lock<std::mutex> l(m_);
        if (prestado_ || n < 1) return 0;
        while (static_cast<int>(hilos_.size()) < n) {
            try {
                hilos_.emplace_back(&Pool::Trabajar, this, static_cast<int>(hilos_.size()) + 1, turno_);
            } catch (const std::system_error &) {
                break; // no more threads to be had: those running share the work
            }
        }
        n = std::min(n, static_cast<int>(hilos_.size()));
        if (n == 0) return 0;
        prestado_ = true;
        tarea_ = tarea;
        pedidos_ = pendientes_ = n;
        ++turno_;
        l.unlock();
        despertar_.notify_all();
        return n;
    }

    void Esperar()
    {
        std::unique_lock<std::mutex> l(m_);
        fin_.wait(l, [&] { return pendientes_ == 0; });
        prestado_ = false;
        tarea_ = nullptr;
    }

private:
    void Trabajar(int id, uint64_t visto)
    {
        std::unique_lock<std::mutex> l(m_);
        for (;;) {
            despertar_.wait(l, [&] { return salir_ || turno_ != visto; });
            if (salir_) return;
            visto = turno_;
            if (id > pedidos_) continue;
            const std::function<void(int)> *t = tarea_;
            l.unlock();
            (*t)(id);
            l.lock();
            if (--pendientes_ == 0) fin_.notify_all();
        }
    }

    std::mutex m_;
    std::condition_variable despertar_, fin_;
    std::vector<std::thread> hilos_;
    const std::function<void(int)> *tarea_ = nullptr;
    int pedidos_ = 0, pendientes_ = 0;
    uint64_t turno_ = 0;
    bool prestado_ = false, salir_ = false;
};

} // namespace

int HilosImagen()
{
    if (HilosFijados() > 0) return HilosFijados();
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(std::min(n, 64u));
}

int HilosPara(int64_t pixeles)
{
    if (pixeles < (int64_t(1) << 20)) return 1;
    return static_cast<int>(std::min<int64_t>(HilosImagen(), pixeles >> 18));
}

void FijarHilosImagen(int hilos) { HilosFijados() = std::max(0, hilos); }

Equipo::Equipo(int trabajadores, std::function<void(int)> tarea) : tarea_(std::move(tarea))
{
    prestados_ = Pool::Instancia().Prestar(trabajadores, &tarea_);
}

Equipo::~Equipo()
{
    if (prestados_ > 0) Pool::Instancia().Esperar();
}

} // namespace modImage
