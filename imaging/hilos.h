#pragma once
// The threads of the pixel loops: a pool started on first use and kept, so a
// loop over a few megapixels costs a wake-up of the workers, not the creation
// of a thread per worker per call.
//
//   EnParalelo(bloques, hilos, cuerpo, enOrden)
//       runs cuerpo(hilo, k) for the blocks k = 0 .. bloques - 1 on up to
//       `hilos` threads, the calling one among them (hilo 0). When enOrden is
//       given (nullptr otherwise) it is called on the calling thread with
//       k = 0, 1, 2, ... in order, each as soon as blocks 0 .. k are all done:
//       progress reports keep their values and order and never leave the GUI
//       thread. A loop started while the pool works for another one (from an
//       event handled during a progress report) runs on the calling thread.
//   HilosImagen()  threads for a loop: the number set by FijarHilosImagen
//                  (aplicar.h), else every core.
//   HilosPara(n)   threads for a loop over n pixels: one below a megapixel,
//                  and no more than one per quarter megapixel, so that each
//                  has work enough to pay for its wake-up.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <type_traits>
#include <vector>

namespace modImage {

int HilosImagen();
int HilosPara(int64_t pixeles);

// Workers of the pool lent to one loop: tarea(1) .. tarea(n) start at once
// on pool threads, and the destructor waits until all have returned. Fewer
// start (none when the pool is busy) if the pool cannot provide them.
class Equipo {
public:
    Equipo(int trabajadores, std::function<void(int)> tarea);
    ~Equipo();
    Equipo(const Equipo &) = delete;
    Equipo &operator=(const Equipo &) = delete;

private:
    std::function<void(int)> tarea_;
    int prestados_ = 0;
};

template <class Cuerpo, class EnOrden>
void EnParalelo(int64_t bloques, int hilos, Cuerpo &&cuerpo, EnOrden &&enOrden)
{
    constexpr bool conOrden = !std::is_same_v<std::decay_t<EnOrden>, std::nullptr_t>;
    hilos = static_cast<int>(std::max<int64_t>(1, std::min<int64_t>(hilos, bloques)));
    if (hilos == 1) {
        for (int64_t k = 0; k < bloques; ++k) {
            cuerpo(0, k);
            if constexpr (conOrden) enOrden(k);
        }
        return;
    }
    std::atomic<int64_t> siguiente{0};
    std::vector<std::atomic<bool>> hechos(static_cast<size_t>(bloques));
    std::mutex m;
    std::condition_variable cv;
    auto hecho = [&](int64_t k) { return hechos[static_cast<size_t>(k)].load(std::memory_order_acquire); };
    auto trabajar = [&](int hilo) {
        for (;;) {
            const int64_t k = siguiente.fetch_add(1, std::memory_order_relaxed);
            if (k >= bloques) break;
            cuerpo(hilo, k);
            hechos[static_cast<size_t>(k)].store(true, std::memory_order_release);
            if constexpr (conOrden) {
                std::lock_guard<std::mutex> l(m);
                cv.notify_one();
            }
        }
    };
    Equipo equipo(hilos - 1, trabajar);

    int64_t informado = 0;
    for (;;) {
        const int64_t k = siguiente.fetch_add(1, std::memory_order_relaxed);
        if (k >= bloques) break;
        cuerpo(0, k);
        hechos[static_cast<size_t>(k)].store(true, std::memory_order_release);
        if constexpr (conOrden)
            while (informado < bloques && hecho(informado)) enOrden(informado++);
    }
    if constexpr (conOrden) {
        while (informado < bloques) {
            {
                std::unique_lock<std::mutex> l(m);
                cv.wait(l, [&] { return hecho(informado); });
            }
            enOrden(informado++);
        }
    }
}

} // namespace modImage
