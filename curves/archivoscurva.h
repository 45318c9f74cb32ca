#pragma once
// Curve files: ACV (binary, read and written) and AMP (text, read only).
//
//   bool ImportarCurvaACV(ruta), bool ImportarCurvaAMP(ruta)
//       Replace the points of the channels the file holds, put every level
//       back to 0/255/0/255 and compose the tables (VersionCurva +5 for ACV,
//       +9 for AMP); the current channel is kept. The caller pushes an undo
//       snapshot (GuardarDeshacer) just before. On failure they show one
//       message box themselves, pop that snapshot, leave the curve state,
//       tables and counter exactly as on entry, and return false. A missing
//       file is reported without popping.
//   bool ExportarCurvaACV(ruta), ExportarCurvaACV(ruta, estado)
//       Writes version 4 with the four channels' points (of the curve state,
//       or of a snapshot of it), through a temporary
//       file renamed into place; on failure the old file stays whole, one
//       message box is shown and the result is false (the caller then skips
//       its success message).
//
// The *Bytes variants run a reader on content already in memory, exactly as
// the file readers do after opening the file (the fuzz harness uses them).
// LeerACV/LeerAMP only parse: they throw ErrorCurva and change nothing.

#include "curves/curvas.h"
#include "curves/deshacer.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace modEngine {

// The platform's first user error number, &H80040000.
constexpr int32_t ErrorObjeto = static_cast<int32_t>(0x80040000u);

constexpr int32_t ErrACVCorto = ErrorObjeto + 1000;
constexpr int32_t ErrACVVersion = ErrorObjeto + 1001;
constexpr int32_t ErrACVNumCurvas = ErrorObjeto + 1002;
constexpr int32_t ErrACVSinCuenta = ErrorObjeto + 1003;
constexpr int32_t ErrACVSinPuntos = ErrorObjeto + 1004;
constexpr int32_t ErrAMPNoNumerico = ErrorObjeto + 1010;
constexpr int32_t ErrAMPFueraDeRango = ErrorObjeto + 1011;
constexpr int32_t ErrAMPDemasiados = ErrorObjeto + 1012;
constexpr int32_t ErrAMPCuenta = ErrorObjeto + 1013;

struct ErrorCurva {
    int32_t numero;
    QString descripcion;
};

// The channels a file provides; channels it does not mention keep theirs.
struct CurvasLeidas {
    bool presente[NumCanales] = {false, false, false, false};
    int16_t num[NumCanales] = {0, 0, 0, 0};
    int16_t x[NumCanales][MaxPuntos] = {};
    int16_t y[NumCanales][MaxPuntos] = {};
};

bool ImportarCurvaACV(const QString &ruta);
bool ImportarCurvaAMP(const QString &ruta);
[[nodiscard]] bool ExportarCurvaACV(const QString &ruta);
[[nodiscard]] bool ExportarCurvaACV(const QString &ruta, const EstadoCurvas &e);

bool ImportarCurvaACVBytes(const QByteArray &datos);
bool ImportarCurvaAMPBytes(const QByteArray &datos);

// longitud: the file's length (reads never go past it or past datos).
CurvasLeidas LeerACV(const QByteArray &datos, int64_t longitud);
CurvasLeidas LeerAMP(const QByteArray &datos);
// The bytes ExportarCurvaACV writes for the current state or a snapshot.
QByteArray BytesACV();
QByteArray BytesACV(const EstadoCurvas &e);

// Next two bytes, high first; throws ErrorCurva past the end.
int32_t LeerU16BE(const QByteArray &datos, int64_t &pos);
// Appends (valor \ 256) mod 256, then valor mod 256.
void EscribirU16BE(QByteArray &salida, int32_t valor);

} // namespace modEngine
