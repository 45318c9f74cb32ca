// A channel's control points turned into a 256-entry table (before levels):
// a natural cubic spline, which extrapolates its end segments, or a monotone
// piecewise cubic Hermite curve, which holds the end values flat.

#include "curves/curvas.h"
#include "curves/internos.h"
#include "platform/numbers.h"

namespace modEngine {

namespace {

struct Puntos {
    int n = 0;
    double x[MaxPuntos];
    double y[MaxPuntos];
};

// Identity table, and the points with strictly increasing x (equal inputs
// are pushed one level apart, possibly beyond 255). False when fewer than two.
bool Preparar(const int16_t *px, const int16_t *py, int n, uint8_t tabla[256], Puntos &p)
{
    for (int i = 0; i < 256; ++i) tabla[i] = static_cast<uint8_t>(i);
    p.n = n < 0 ? 0 : (n > MaxPuntos ? MaxPuntos : n);
    if (p.n < 2) return false;
    for (int k = 0; k < p.n; ++k) {
        p.x[k] = px[k];
        p.y[k] = py[k];
    }
    for (int k = 1; k < p.n; ++k)
        if (p.x[k] <= p.x[k - 1]) p.x[k] = p.x[k - 1] + 1;
    return true;
}

inline uint8_t Byte(double v) { return Numeros::LimitarByte(v); }

// Table indices i with desde <= i <= hasta, kept inside the table.
inline int Desde(double v) { return v < 0 ? 0 : (v > 256 ? 256 : static_cast<int>(v)); }
inline int Hasta(double v) { return v > 255 ? 255 : (v < -1 ? -1 : static_cast<int>(v)); }

void SplineNatural(const int16_t *px, const int16_t *py, int num, uint8_t tabla[256])
{
    Puntos p;
    if (!Preparar(px, py, num, tabla, p)) return;
    const int n = p.n;
    const double *x = p.x;
    const double *a = p.y;

    if (n == 2) {
        for (int i = 0; i < 256; ++i)
            tabla[i] = Byte((i - x[0]) * (a[1] - a[0]) / (x[1] - x[0]) + a[0]);
        return;
    }

    double h[MaxPuntos], l[MaxPuntos], mu[MaxPuntos], z[MaxPuntos];
    double b[MaxPuntos], c[MaxPuntos], d[MaxPuntos];
    for (int k = 0; k <= n - 2; ++k) h[k] = x[k + 1] - x[k];
    l[0] = 1;
    mu[0] = 0;
    z[0] = 0;
    for (int k = 1; k <= n - 2; ++k) {
        const double alpha = (a[k + 1] - a[k]) * (3 / h[k]) - (a[k] - a[k - 1]) * (3 / h[k - 1]);
        l[k] = 2 * (x[k + 1] - x[k - 1]) - h[k - 1] * mu[k - 1];
        mu[k] = h[k] / l[k];
        z[k] = (alpha - h[k - 1] * z[k - 1]) / l[k];
    }
    c[n - 1] = 0;
    for (int k = n - 2; k >= 0; --k) {
        c[k] = z[k] - mu[k] * c[k + 1];
        b[k] = (a[k + 1] - a[k]) / h[k] - h[k] * (c[k + 1] + 2 * c[k]) / 3;
        d[k] = (c[k + 1] - c[k]) / (3 * h[k]);
    }

    for (int i = 0; i < 256; ++i) {
        int k;
        if (i <= x[0]) {
            k = 0;
        } else if (i >= x[n - 1]) {
            k = n - 2;
        } else {
            k = 0;
            while (!(i < x[k + 1])) ++k;
        }
        // t squared and cubed first, then the products: the order decides
        // which side an exact half lands on.
        const double t = i - x[k];
        const double t2 = t * t;
        const double t3 = t2 * t;
        tabla[i] = Byte(a[k] + b[k] * t + c[k] * t2 + d[k] * t3);
    }
}

void PCHIP(const int16_t *px, const int16_t *py, int num, uint8_t tabla[256])
{
    Puntos p;
    if (!Preparar(px, py, num, tabla, p)) return;
    const int n = p.n;
    const double *x = p.x;
    const double *y = p.y;

    if (n == 2) {
        for (int i = 0; i < 256; ++i) {
            double v;
            if (i <= x[0])
                v = y[0];
            else if (i >= x[1])
                v = y[1];
            else
                v = (i - x[0]) * (y[1] - y[0]) / (x[1] - x[0]) + y[0];
            tabla[i] = Byte(v);
        }
        return;
    }

    double h[MaxPuntos] = {}, delta[MaxPuntos] = {}, m[MaxPuntos] = {};
    for (int k = 0; k <= n - 2; ++k) {
        h[k] = x[k + 1] - x[k];
        delta[k] = (y[k + 1] - y[k]) / h[k];
    }
    m[0] = delta[0];
    m[n - 1] = delta[n - 2];
    for (int k = 1; k <= n - 2; ++k) {
        if (delta[k - 1] * delta[k] <= 0) {
            m[k] = 0; // a turn or a flat neighbour keeps the curve from overshooting
        } else {
            const double w1 = 2 * h[k] + h[k - 1];
            const double w2 = h[k] + 2 * h[k - 1];
            m[k] = (w1 + w2) / (w1 / delta[k - 1] + w2 / delta[k]);
        }
    }

    for (int i = 0, fin = Hasta(x[0] - 1); i <= fin; ++i) tabla[i] = Byte(y[0]);
    for (int i = Desde(x[n - 1] + 1); i <= 255; ++i) tabla[i] = Byte(y[n - 1]);

    int k = 0;
    for (int i = Desde(x[0]), fin = Hasta(x[n - 1]); i <= fin; ++i) {
        while (k < n - 2 && !(i < x[k + 1])) ++k;
        const double hk = h[k];
        const double t = (i - x[k]) / hk;
        const double t2 = t * t;
        const double t3 = t2 * t;
        const double v = hk * (t3 - 2 * t2 + t) * m[k] + (2 * t3 - 3 * t2 + 1) * y[k] +
                         (-2 * t3 + 3 * t2) * y[k + 1] + hk * (t3 - t2) * m[k + 1];
        tabla[i] = Byte(v);
    }
}

} // namespace

void Interpolar(const int16_t *x, const int16_t *y, int n, uint8_t tabla[256])
{
    if (ModoInterpolacion == 1)
        SplineNatural(x, y, n, tabla);
    else
        PCHIP(x, y, n, tabla);
}

void InterpolarSplineNatural(int16_t canal, uint8_t tabla[256])
{
    if (CanalValido(canal)) SplineNatural(PuntoX[canal], PuntoY[canal], Cuenta(canal), tabla);
}

void InterpolarPCHIP(int16_t canal, uint8_t tabla[256])
{
    if (CanalValido(canal)) PCHIP(PuntoX[canal], PuntoY[canal], Cuenta(canal), tabla);
}

} // namespace modEngine
