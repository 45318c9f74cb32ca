#include "output/vistaimpresion.h"

#include "platform/colorref.h"
#include "platform/numbers.h"
#include "platform/picturebox.h"

#include <algorithm>
#include <cstdlib>

namespace VistaImpresion {

namespace {

constexpr uint32_t kFondo = ColorRef::Gris(80);
constexpr uint32_t kSombra = ColorRef::Gris(40);
constexpr uint32_t kHoja = ColorRef::Gris(255);
constexpr uint32_t kBordeHoja = ColorRef::Gris(190);
constexpr uint32_t kNegro = ColorRef::Gris(0);
constexpr uint32_t kGuia = ColorRef::RGB(210, 60, 60);

constexpr double kPxMax = 16777216.0;

// Nearest integer (ties to even) of a pixel value kept within +-2^24.
int32_t Px(double v) { return Numeros::CLng(std::clamp(v, -kPxMax, kPxMax)); }

int32_t Limitar(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -(1LL << 26), 1LL << 26)); }

// A dotted pen: three pixels on, three off, the end point excluded.
void LineaPunteada(Superficie &caja, int x1, int y1, int x2, int y2)
{
    const bool vertical = x1 == x2;
    const int desde = vertical ? y1 : x1, hasta = vertical ? y2 : x2;
    const int limite = vertical ? caja.ScaleHeight() : caja.ScaleWidth();
    for (int i = std::max(desde, 0); i < hasta && i < limite; ++i)
        if ((i - desde) % 6 < 3) vertical ? caja.PSet(x1, i, kGuia) : caja.PSet(i, y1, kGuia);
}

} // namespace

bool Dibujar(Superficie &caja, const Entrada &e, Geometria &g)
{
    const int W = caja.ScaleWidth(), H = caja.ScaleHeight();
    if (W < 10 || H < 10) return false;
    caja.BackColor = kFondo;
    caja.Cls();

    double s = (W - 28) / e.hojaAncho;
    if ((H - 28) / e.hojaAlto < s) s = (H - 28) / e.hojaAlto;
    const int32_t pw = std::max(Px(e.hojaAncho * s), 4), ph = std::max(Px(e.hojaAlto * s), 4);
    const int32_t ox = (W - pw) / 2, oy = (H - ph) / 2;
    caja.LineBoxFill(ox + 5, oy + 5, ox + pw + 5, oy + ph + 5, kSombra);
    caja.LineBoxFill(ox, oy, ox + pw, oy + ph, kHoja);
    caja.LineBox(ox, oy, ox + pw, oy + ph, kBordeHoja);

    const int32_t cw = std::max(Px(s * e.anchoCm), 2), ch = std::max(Px(e.relacion * e.anchoCm * s), 2);
    int32_t cx, cy;
    if (e.centrado) {
        cx = ox + (pw - cw) / 2;
        cy = oy + (ph - ch) / 2;
    } else {
        cx = ox + Px(s * e.posX);
        cy = oy + Px(s * e.posY);
    }
    if (cx >= ox + pw || cy >= oy + ph) return false;
    cx = std::max(cx, ox);
    cy = std::max(cy, oy);

    if (e.imagen && !e.imagen->isNull()) {
        caja.DibujarImagen(cx, cy, cw, ch, *e.imagen);
    } else {
        const int32_t b = std::max(ch / 10, 1);
        for (int i = 0; i <= 9; ++i) {
            const int32_t abajo = i == 9 ? cy + ch : cy + i * b + b;
            caja.LineBoxFill(cx, cy + i * b, cx + cw, abajo, ColorRef::Gris(Numeros::CLng(i * 255.0 / 9)));
        }
    }
    g = {s, ox, oy, pw, ph, cx, cy, cw, ch};
    caja.LineBox(cx, cy, cx + cw, cy + ch, kNegro);
    if (e.centrado) return true;

    const int32_t mx = Px(s * e.margenIzq), my = Px(s * e.margenArr);
    if (mx > 0) LineaPunteada(caja, ox + mx, oy, ox + mx, oy + ph);
    if (my > 0) LineaPunteada(caja, ox, oy + my, ox + pw, oy + my);
    const int32_t esquinas[4][2] = {{cx, cy}, {cx + cw, cy}, {cx + cw, cy + ch}, {cx, cy + ch}};
    for (const auto &[x, y] : esquinas) {
        caja.LineBoxFill(x - 5, y - 5, x + 5, y + 5, kHoja);
        caja.LineBox(x - 5, y - 5, x + 5, y + 5, kNegro);
    }
    return true;
}

QImage CopiaParaVista(const QImage &imagen)
{
    constexpr int kLadoMaximo = 1024;
    if (imagen.isNull()) return {};
    const QImage reducida = imagen.width() > kLadoMaximo || imagen.height() > kLadoMaximo
                                ? imagen.scaled(kLadoMaximo, kLadoMaximo, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                : imagen;
    return reducida.convertToFormat(QImage::Format_RGB32);
}

int ZonaVista(const Geometria &g, int x, int y)
{
    const int64_t L = g.cartaX, T = g.cartaY, R = L + g.cartaAncho, B = T + g.cartaAlto;
    const auto cerca = [x, y](int64_t cx, int64_t cy) { return std::llabs(x - cx) < 8 && std::llabs(y - cy) < 8; };
    if (cerca(L, T)) return EsquinaSupIzq;
    if (cerca(R, T)) return EsquinaSupDer;
    if (cerca(R, B)) return EsquinaInfDer;
    if (cerca(L, B)) return EsquinaInfIzq;
    if (L <= x && x <= R && T <= y && y <= B) return Dentro;
    return Fuera;
}

Rect Mover(const Geometria &g, int x, int y, int dx, int dy)
{
    int64_t nx = int64_t{x} - dx, ny = int64_t{y} - dy;
    const int64_t derecha = int64_t{g.hojaX} + g.hojaAncho, abajo = int64_t{g.hojaY} + g.hojaAlto;
    if (nx < g.hojaX) nx = g.hojaX;
    if (ny < g.hojaY) ny = g.hojaY;
    if (nx + g.cartaAncho > derecha) nx = derecha - g.cartaAncho;
    if (ny + g.cartaAlto > abajo) ny = abajo - g.cartaAlto;
    return {Limitar(nx), Limitar(ny), g.cartaAncho};
}

Rect Esquina(const Geometria &g, int esquina, int x, int y, double relacion)
{
    int64_t izq = g.cartaX, arr = g.cartaY, der = izq + g.cartaAncho, abj = arr + g.cartaAlto;
    if (esquina == 0 || esquina == 3) izq = x;
    else der = x;
    if (esquina == 0 || esquina == 1) arr = y;
    else abj = y;
    if (izq >= der) izq = der - 2;
    if (arr >= abj) arr = abj - 2;
    const int64_t ancho = der - izq;
    if (esquina == 0 || esquina == 1) arr = abj - Px(static_cast<double>(ancho) * relacion);
    return {Limitar(izq), Limitar(arr), Limitar(ancho)};
}

bool ACm(const Geometria &g, const Rect &r, double relacion, double hojaAncho, double hojaAlto, Colocacion &c)
{
    const double s = g.escala;
    if (!(s > 0)) return false;
    double w = r.ancho / s, h = w * relacion;
    double px = (r.x - g.hojaX) / s, py = (r.y - g.hojaY) / s;
    if (w < 1) {
        w = 1;
        h = relacion;
    }
    if (px < 0) px = 0;
    if (py < 0) py = 0;
    if (hojaAncho - px < w) {
        w = hojaAncho - px;
        h = w * relacion;
    }
    if (hojaAlto - py < h) {
        h = hojaAlto - py;
        w = h / relacion;
    }
    if (w < 1) {
        w = 1;
        h = relacion;
    }
    if (px + w > hojaAncho) px = hojaAncho - w;
    if (py + h > hojaAlto) py = hojaAlto - h;
    if (px < 0) px = 0;
    if (py < 0) py = 0;
    c = {px, py, w};
    return true;
}

} // namespace VistaImpresion
