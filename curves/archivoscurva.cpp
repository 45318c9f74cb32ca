#include "curves/archivoscurva.h"

#include "curves/deshacer.h"
#include "curves/internos.h"
#include "curves/motor.h"
#include "platform/files.h"
#include "platform/msgbox.h"
#include "platform/numbers.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace modEngine {

namespace {

const QString TextoTruncado = QStringLiteral("El archivo ACV esta truncado.");

// The most an ACV reader can ever consume: 32 records of 65535 points.
constexpr int64_t MaxBytesACV = 4 + 32 * (2 + 4 * int64_t{65535});
// A valid AMP file is a few kilobytes; anything this large is refused
// rather than read into memory.
constexpr int64_t MaxBytesAMP = 16 * 1024 * 1024;

[[noreturn]] void Lanzar(int32_t numero, const QString &texto) { throw ErrorCurva{numero, texto}; }

[[noreturn]] void ErrorLectura()
{
    Lanzar(62, QStringLiteral("Se ha leido mas alla del final del archivo."));
}

// Everything a failed import must put back.
struct Entrada {
    EstadoMotor motor = TomarMotor();
    int32_t version = VersionCurva;

    // The engine as on entry, less the snapshot the caller pushed just before.
    void Restaurar() const
    {
        PonerMotor(motor);
        Deshacer();
        PonerEstado(motor.curvas);
        VersionCurva = version;
    }
};

void Identidad(CurvasLeidas &c, int ch)
{
    c.num[ch] = 2;
    c.x[ch][0] = 0;
    c.y[ch][0] = 0;
    c.x[ch][1] = 255;
    c.y[ch][1] = 255;
}

// Writes the channels read and puts every level back to its default.
void Instalar(const CurvasLeidas &c)
{
    for (int ch = 0; ch < NumCanales; ++ch) {
        if (c.presente[ch]) {
            NumPuntos[ch] = c.num[ch];
            for (int k = 0; k < c.num[ch]; ++k) {
                PuntoX[ch][k] = c.x[ch][k];
                PuntoY[ch][k] = c.y[ch][k];
            }
        }
        EntradaNegro[ch] = 0;
        EntradaBlanco[ch] = 255;
        SalidaNegro[ch] = 0;
        SalidaBlanco[ch] = 255;
    }
}

// The failure path: pop the caller's snapshot, then put back exactly what
// was there on entry (even if the caller pushed nothing), one message.
void Fallo(const Entrada &entrada, const QString &prefijo, const ErrorCurva &e)
{
    entrada.Restaurar();
    MsgBox::Mostrar(prefijo + e.descripcion, MsgBox::Exclamation);
}

bool NoEncontrado(const QString &ruta)
{
    if (QFileInfo::exists(ruta)) return false;
    MsgBox::Mostrar(QStringLiteral("Archivo no encontrado: ") + ruta, MsgBox::Exclamation);
    return true;
}

// Reads at most 'tope' bytes of the file (or refuses a longer one when
// 'rechazarLargo'); *longitud receives the file's length. A folder, FIFO or
// device is refused by what it is, without waiting on it.
QByteArray LeerArchivo(const QString &ruta, int64_t tope, bool rechazarLargo, int64_t *longitud)
{
    const int fd = ::open(QFile::encodeName(ruta).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) Lanzar(75, Archivos::MotivoSistema(errno));
    QFile f;
    struct stat st;
    const bool abierto = f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    if (!abierto) ::close(fd);
    if (!abierto || ::fstat(fd, &st) != 0) Lanzar(75, QStringLiteral("Error de acceso a la ruta o al archivo."));
    if (!S_ISREG(st.st_mode)) Lanzar(75, Archivos::MotivoNoRegular(st.st_mode));
    const int64_t tam = f.size();
    if (tam > tope && rechazarLargo) Lanzar(7, QStringLiteral("El archivo es demasiado grande."));
    const int64_t aLeer = tam < tope ? tam : tope;
    QByteArray datos = f.read(aLeer);
    if (datos.size() != aLeer) ErrorLectura();
    *longitud = tam;
    return datos;
}

// ---- AMP numbers: digits with an optional sign and fraction, nothing else.

inline bool EsDigito(char c) { return c >= '0' && c <= '9'; }

// Returns the value 0..255 or throws the matching error.
int ValorAMP(const char *p, int64_t len)
{
    int64_t i = 0;
    bool negativo = false;
    if (i < len && (p[i] == '+' || p[i] == '-')) {
        negativo = p[i] == '-';
        ++i;
    }
    int64_t digitos = 0;
    int64_t entero = 0; // saturates: anything above 255 is out of range anyway
    bool fraccion = false;
    for (; i < len && EsDigito(p[i]); ++i, ++digitos)
        entero = entero > 1000 ? entero : entero * 10 + (p[i] - '0');
    if (i < len && p[i] == '.') {
        for (++i; i < len && EsDigito(p[i]); ++i, ++digitos)
            if (p[i] != '0') fraccion = true;
    }
    if (i != len || digitos == 0)
        Lanzar(ErrAMPNoNumerico, QStringLiteral("Valor AMP no numerico."));
    if ((negativo && (entero != 0 || fraccion)) || entero > 255 || fraccion)
        Lanzar(ErrAMPFueraDeRango, QStringLiteral("Los valores AMP deben ser enteros entre 0 y 255."));
    return static_cast<int>(entero);
}

inline bool EsBlanco(char c) { return c == ' ' || c == '\t'; }

} // namespace

int32_t LeerU16BE(const QByteArray &datos, int64_t &pos)
{
    if (pos < 0 || pos + 2 > datos.size()) ErrorLectura();
    const auto *b = reinterpret_cast<const uint8_t *>(datos.constData());
    const int32_t v = b[pos] * 256 + b[pos + 1];
    pos += 2;
    return v;
}

void EscribirU16BE(QByteArray &salida, int32_t valor)
{
    const uint32_t v = static_cast<uint32_t>(valor);
    salida.append(static_cast<char>((v / 256) % 256));
    salida.append(static_cast<char>(v % 256));
}

CurvasLeidas LeerACV(const QByteArray &datos, int64_t longitud)
{
    CurvasLeidas c;
    int64_t pos = 0;
    if (longitud < 4) Lanzar(ErrACVCorto, TextoTruncado);
    const int32_t version = LeerU16BE(datos, pos);
    if (version != 1 && version != 4)
        Lanzar(ErrACVVersion, QStringLiteral("Version ACV no compatible."));
    const int32_t curvas = LeerU16BE(datos, pos);
    if (curvas < 1 || curvas > 32)
        Lanzar(ErrACVNumCurvas, QStringLiteral("Numero de curvas ACV no valido."));

    for (int r = 0; r < curvas; ++r) {
        if (longitud - pos < 2) Lanzar(ErrACVSinCuenta, TextoTruncado);
        const int32_t n = LeerU16BE(datos, pos);
        if (4 * int64_t{n} > longitud - pos) Lanzar(ErrACVSinPuntos, TextoTruncado);
        if (r >= NumCanales) {
            pos += 4 * int64_t{n}; // records past the fourth are skipped
            if (pos > datos.size()) ErrorLectura();
            continue;
        }
        int cuenta = 0;
        for (int32_t k = 0; k < n; ++k) {
            int32_t o = LeerU16BE(datos, pos);
            int32_t i = LeerU16BE(datos, pos);
            if (version == 4 && (o > 255 || i > 255)) {
                o = Numeros::CLng(o / 65535.0 * 255);
                i = Numeros::CLng(i / 65535.0 * 255);
            }
            if (cuenta < MaxPuntos) {
                c.x[r][cuenta] = LimitarByte(i);
                c.y[r][cuenta] = LimitarByte(o);
                ++cuenta;
            }
        }
        c.presente[r] = true;
        c.num[r] = static_cast<int16_t>(cuenta);
        if (cuenta < 2) Identidad(c, r);
    }
    return c;
}

CurvasLeidas LeerAMP(const QByteArray &datos)
{
    CurvasLeidas c;
    const char *p = datos.constData();
    const int64_t tam = datos.size();
    // Editors that save UTF-8 may begin the file with a byte-order mark.
    int64_t pos = datos.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (int ch = 0; ch < NumCanales; ++ch) {
        c.presente[ch] = true;
        // One line: up to CR, LF or CR LF; blanks trimmed at both ends.
        int64_t ini = pos, fin = pos;
        while (fin < tam && p[fin] != '\n' && p[fin] != '\r') ++fin;
        pos = fin;
        if (pos < tam) pos += (p[pos] == '\r' && pos + 1 < tam && p[pos + 1] == '\n') ? 2 : 1;
        while (ini < fin && EsBlanco(p[ini])) ++ini;
        while (fin > ini && EsBlanco(p[fin - 1])) --fin;
        if (ini == fin) { // empty or missing line
            Identidad(c, ch);
            continue;
        }
        uint8_t valores[256];
        int tomados = 0;
        int64_t i = ini;
        while (i < fin) {
            while (i < fin && (EsBlanco(p[i]) || p[i] == ',')) ++i;
            if (i == fin) break;
            int64_t j = i;
            while (j < fin && !EsBlanco(p[j]) && p[j] != ',') ++j;
            const int v = ValorAMP(p + i, j - i);
            if (tomados == 256)
                Lanzar(ErrAMPDemasiados, QStringLiteral("Demasiados valores en un canal AMP."));
            valores[tomados++] = static_cast<uint8_t>(v);
            i = j;
        }
        if (tomados != 256)
            Lanzar(ErrAMPCuenta, QStringLiteral("Cada canal AMP debe contener exactamente 256 valores."));
        // Sixteen points sampled every 17 levels; the other values are dropped.
        c.num[ch] = MaxPuntos;
        for (int k = 0; k < MaxPuntos; ++k) {
            c.x[ch][k] = static_cast<int16_t>(k * 17);
            c.y[ch][k] = valores[k * 17];
        }
    }
    return c;
}

namespace {

const QString PrefijoACV = QStringLiteral("No se pudo importar la curva ACV: ");
const QString PrefijoAMP = QStringLiteral("No se pudo importar la curva AMP: ");

bool AplicarACV(const QByteArray &datos, int64_t longitud)
{
    const Entrada entrada;
    try {
        Instalar(LeerACV(datos, longitud));
    } catch (const ErrorCurva &e) {
        Fallo(entrada, PrefijoACV, e);
        return false;
    }
    ComponerLUTs();
    return true;
}

} // namespace

bool ImportarCurvaACVBytes(const QByteArray &datos) { return AplicarACV(datos, datos.size()); }

bool ImportarCurvaAMPBytes(const QByteArray &datos)
{
    const Entrada entrada;
    try {
        Instalar(LeerAMP(datos));
    } catch (const ErrorCurva &e) {
        Fallo(entrada, PrefijoAMP, e);
        return false;
    }
    for (int16_t ch = 0; ch < NumCanales; ++ch) {
        CanalActual = ch;
        RegenerarCurvaActual();
    }
    CanalActual = entrada.motor.canal;
    ComponerLUTs();
    return true;
}

bool ImportarCurvaACV(const QString &ruta)
{
    if (NoEncontrado(ruta)) return false;
    QByteArray datos;
    int64_t longitud = 0;
    try {
        datos = LeerArchivo(ruta, MaxBytesACV, false, &longitud);
    } catch (const ErrorCurva &e) {
        Fallo(Entrada(), PrefijoACV, e);
        return false;
    }
    return AplicarACV(datos, longitud);
}

bool ImportarCurvaAMP(const QString &ruta)
{
    if (NoEncontrado(ruta)) return false;
    QByteArray datos;
    int64_t longitud = 0;
    try {
        datos = LeerArchivo(ruta, MaxBytesAMP, true, &longitud);
    } catch (const ErrorCurva &e) {
        Fallo(Entrada(), PrefijoAMP, e);
        return false;
    }
    return ImportarCurvaAMPBytes(datos);
}

QByteArray BytesACV(const EstadoCurvas &e)
{
    QByteArray b;
    EscribirU16BE(b, 4);
    EscribirU16BE(b, 4);
    for (int ch = 0; ch < NumCanales; ++ch) {
        const int n = std::clamp<int>(e.NumPuntos[ch], 0, MaxPuntos);
        EscribirU16BE(b, n);
        for (int k = 0; k < n; ++k) {
            EscribirU16BE(b, LimitarByte(e.PuntoY[ch][k]));
            EscribirU16BE(b, LimitarByte(e.PuntoX[ch][k]));
        }
    }
    return b;
}

QByteArray BytesACV() { return BytesACV(TomarEstado()); }

bool ExportarCurvaACV(const QString &ruta, const EstadoCurvas &e)
{
    QString error;
    if (Archivos::EscribirAtomico(ruta, BytesACV(e), &error)) return true;
    MsgBox::Mostrar(QStringLiteral("No se pudo exportar la curva ACV: ") + error, MsgBox::Exclamation);
    return false;
}

bool ExportarCurvaACV(const QString &ruta) { return ExportarCurvaACV(ruta, TomarEstado()); }

} // namespace modEngine
