#pragma once
// Shared by the mutation run, the file tests and the libFuzzer entry: import one
// ACV or AMP content over an edited curve state and check what every import must
// guarantee. Probar returns "" or a description of the fault.

#include "curves/archivoscurva.h"
#include "curves/deshacer.h"
#include "platform/msgbox.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <string>

namespace arnes {

using namespace modEngine;

struct Cajas {
    int cuenta = 0;
    MsgBox::Llamada ultima;
};
inline Cajas vistas; // message boxes since the last Probar

inline void InstalarCajas()
{
    MsgBox::InstalarResponder([](const MsgBox::Llamada &l) {
        ++vistas.cuenta;
        vistas.ultima = l;
        return int(MsgBox::OK);
    });
}

// Points, levels, mode, channel and selection from the generator; tables hold
// only the current channel; usually an undo snapshot, sometimes edited after.
inline void PrepararEstado(std::mt19937 &rng)
{
    auto U = [&](int a, int b) { return static_cast<int16_t>(std::uniform_int_distribution<int>(a, b)(rng)); };
    ReiniciarCurvas();
    for (int ch = 0; ch < NumCanales; ++ch) {
        NumPuntos[ch] = U(2, MaxPuntos);
        for (int k = 0; k < MaxPuntos; ++k) PuntoX[ch][k] = U(0, 255), PuntoY[ch][k] = U(0, 255);
        EntradaNegro[ch] = U(-20, 120), EntradaBlanco[ch] = U(100, 280);
        SalidaNegro[ch] = U(0, 255), SalidaBlanco[ch] = U(0, 255);
    }
    ModoInterpolacion = U(0, 1);
    CanalActual = U(0, 3);
    RegenerarCurvaActual();
    PuntoSel = U(-1, 3);
    if (U(0, 3) == 0) return;
    GuardarDeshacer();
    if (U(0, 1)) PuntoY[CanalActual][0] = U(0, 255), FijarNivel(CanalActual, U(0, 3), U(0, 255));
}

// Everything a rejected file must leave as it was, and the undo depth.
struct Foto {
    EstadoCurvas estado = TomarEstado();
    std::array<uint8_t, 768> tablas{};
    int16_t canal = CanalActual, sel = PuntoSel, modo = ModoInterpolacion, numDeshacer = NumeroDeshacer();
    int32_t version = VersionCurva;
    Foto()
    {
        for (int t = 0; t < 3; ++t) std::memcpy(tablas.data() + 256 * t, t == 0 ? LutR : t == 1 ? LutG : LutB, 256);
    }
    bool MismaCurva(const Foto &o) const
    {
        return std::memcmp(&estado, &o.estado, sizeof estado) == 0 && tablas == o.tablas && canal == o.canal &&
               sel == o.sel && modo == o.modo && version == o.version;
    }
};

inline std::string Probar(const QByteArray &datos, bool amp)
{
    const Foto antes;
    vistas = {};
    const bool ok = amp ? ImportarCurvaAMPBytes(datos) : ImportarCurvaACVBytes(datos);
    const Foto despues;
    if (!ok) {
        if (vistas.cuenta != 1) return "rejected with " + std::to_string(vistas.cuenta) + " message boxes";
        if (!vistas.ultima.texto.startsWith(QStringLiteral("No se pudo importar la curva %1: ")
                                                .arg(QLatin1String(amp ? "AMP" : "ACV"))))
            return "wrong message: " + vistas.ultima.texto.toStdString();
        if (!antes.MismaCurva(despues)) return "curve state, tables or counter changed by a rejected file";
        if (despues.numDeshacer != std::max(antes.numDeshacer - 1, 0)) return "undo ring not popped exactly once";
        return {};
    }
    if (vistas.cuenta != 0) return "accepted file showed a message box";
    if (despues.canal != antes.canal || despues.modo != antes.modo) return "channel or mode changed";
    if (despues.version != antes.version + (amp ? 9 : 5)) return "wrong change counter after import";
    if (despues.numDeshacer != antes.numDeshacer) return "undo ring touched by a good import";
    uint8_t m[256], c[256];
    ConstruirLUTCanal(0, m);
    for (int16_t ch = 0; ch < NumCanales; ++ch) {
        if (NumPuntos[ch] < 2 || NumPuntos[ch] > MaxPuntos) return "point count out of range";
        for (int k = 0; k < NumPuntos[ch]; ++k) {
            if (PuntoX[ch][k] < 0 || PuntoX[ch][k] > 255 || PuntoY[ch][k] < 0 || PuntoY[ch][k] > 255)
                return "point out of range";
            if (k > 0 && PuntoX[ch][k] < PuntoX[ch][k - 1]) return "points left unsorted";
        }
        if (EntradaNegro[ch] != 0 || EntradaBlanco[ch] != 255 || SalidaNegro[ch] != 0 || SalidaBlanco[ch] != 255)
            return "levels not back to defaults";
        ConstruirLUTCanal(ch, c); // each colour table: its own curve after the master
        for (int i = 0; ch > 0 && i < 256; ++i)
            if (despues.tablas[256 * (ch - 1) + i] != c[m[i]]) return "tables not composed from the imported curve";
    }
    return {};
}

} // namespace arnes
