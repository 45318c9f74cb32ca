#pragma once
// Shared by the in-suite mutation run and the libFuzzer entry point: feed one
// ACV or AMP content to the reader over a varied curve state and check what
// every import must guarantee. Returns "" or a description of the fault.

#include "curves/archivoscurva.h"
#include "curves/curvas.h"
#include "curves/deshacer.h"
#include "platform/msgbox.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

namespace arnes {

using namespace modEngine;

struct Cajas {
    int cuenta = 0;
    QString ultima;
};

inline Cajas &CajasVistas()
{
    static Cajas c;
    return c;
}

inline void InstalarCajas()
{
    MsgBox::InstalarResponder([](const MsgBox::Llamada &l) {
        ++CajasVistas().cuenta;
        CajasVistas().ultima = l.texto;
        return int(MsgBox::OK);
    });
}

// An edited state: points, levels, mode, channel and selection drawn from the
// generator, tables holding only the current channel (not composed), and
// sometimes a snapshot of an earlier state in the ring.
inline bool PrepararEstado(std::mt19937 &rng)
{
    auto U = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    ReiniciarCurvas();
    for (int ch = 0; ch < NumCanales; ++ch) {
        const int n = U(2, MaxPuntos);
        NumPuntos[ch] = static_cast<int16_t>(n);
        for (int k = 0; k < MaxPuntos; ++k) {
            PuntoX[ch][k] = static_cast<int16_t>(U(0, 255));
            PuntoY[ch][k] = static_cast<int16_t>(U(0, 255));
        }
        EntradaNegro[ch] = static_cast<int16_t>(U(-20, 120));
        EntradaBlanco[ch] = static_cast<int16_t>(U(100, 280));
        SalidaNegro[ch] = static_cast<int16_t>(U(0, 255));
        SalidaBlanco[ch] = static_cast<int16_t>(U(0, 255));
    }
    ModoInterpolacion = static_cast<int16_t>(U(0, 1));
    CanalActual = static_cast<int16_t>(U(0, 3));
    RegenerarCurvaActual();
    PuntoSel = static_cast<int16_t>(U(-1, 3));
    const bool empuja = U(0, 3) != 0;
    if (empuja) {
        GuardarDeshacer();
        if (U(0, 1)) { // the caller changed something after its push
            PuntoY[CanalActual][0] = static_cast<int16_t>(U(0, 255));
            FijarNivel(CanalActual, static_cast<int16_t>(U(0, 3)), static_cast<int16_t>(U(0, 255)));
        }
    }
    return empuja;
}

struct Foto {
    EstadoCurvas estado;
    std::array<uint8_t, 256> t[3];
    int16_t canal, sel, modo, numDeshacer;
    int32_t version;
};

inline Foto Tomar()
{
    Foto f;
    f.estado = TomarEstado();
    std::memcpy(f.t[0].data(), LutR, 256);
    std::memcpy(f.t[1].data(), LutG, 256);
    std::memcpy(f.t[2].data(), LutB, 256);
    f.canal = CanalActual;
    f.sel = PuntoSel;
    f.modo = ModoInterpolacion;
    f.numDeshacer = NumeroDeshacer();
    f.version = VersionCurva;
    return f;
}

// Imports 'datos' as AMP or ACV and checks the outcome.
inline std::string Probar(const QByteArray &datos, bool amp)
{
    const Foto antes = Tomar();
    Cajas &cajas = CajasVistas();
    cajas.cuenta = 0;
    const bool ok = amp ? ImportarCurvaAMPBytes(datos) : ImportarCurvaACVBytes(datos);
    const Foto despues = Tomar();

    if (!ok) {
        if (cajas.cuenta != 1) return "rejected with " + std::to_string(cajas.cuenta) + " message boxes";
        const QString prefijo = amp ? QStringLiteral("No se pudo importar la curva AMP: ")
                                    : QStringLiteral("No se pudo importar la curva ACV: ");
        if (!cajas.ultima.startsWith(prefijo)) return "wrong message: " + cajas.ultima.toStdString();
        if (std::memcmp(&antes.estado, &despues.estado, sizeof antes.estado) != 0)
            return "points or levels changed by a rejected file";
        for (int c = 0; c < 3; ++c)
            if (antes.t[c] != despues.t[c]) return "tables changed by a rejected file";
        if (antes.canal != despues.canal || antes.sel != despues.sel || antes.modo != despues.modo)
            return "channel, selection or mode changed by a rejected file";
        if (antes.version != despues.version) return "change counter moved by a rejected file";
        const int esperado = antes.numDeshacer > 0 ? antes.numDeshacer - 1 : 0;
        if (despues.numDeshacer != esperado) return "undo ring not popped exactly once";
        return {};
    }

    if (cajas.cuenta != 0) return "accepted file showed a message box";
    if (despues.canal != antes.canal || despues.modo != antes.modo) return "channel or mode changed";
    if (despues.version != antes.version + (amp ? 9 : 5)) return "wrong change counter after import";
    if (despues.numDeshacer != antes.numDeshacer) return "undo ring touched by a good import";
    for (int ch = 0; ch < NumCanales; ++ch) {
        const int n = NumPuntos[ch];
        if (n < 2 || n > MaxPuntos) return "point count out of range";
        for (int k = 0; k < n; ++k) {
            if (PuntoX[ch][k] < 0 || PuntoX[ch][k] > 255 || PuntoY[ch][k] < 0 || PuntoY[ch][k] > 255)
                return "point out of range";
            if (k > 0 && PuntoX[ch][k] < PuntoX[ch][k - 1]) return "points left unsorted";
        }
        if (EntradaNegro[ch] != 0 || EntradaBlanco[ch] != 255 || SalidaNegro[ch] != 0 ||
            SalidaBlanco[ch] != 255)
            return "levels not back to defaults";
    }
    // Tables: each colour curve applied after the master curve.
    uint8_t m[256], c[256];
    ConstruirLUTCanal(0, m);
    const uint8_t *luts[3] = {LutR, LutG, LutB};
    for (int16_t ch = 1; ch <= 3; ++ch) {
        ConstruirLUTCanal(ch, c);
        for (int i = 0; i < 256; ++i)
            if (luts[ch - 1][i] != c[m[i]]) return "tables not composed from the imported curve";
    }
    return {};
}

} // namespace arnes
