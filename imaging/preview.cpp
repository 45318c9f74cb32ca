#include "imaging/preview.h"

#include "curves/luts.h"
#include "imaging/aplicar.h"
#include "imaging/cargar.h"
#include "imaging/fitrect.h"
#include "platform/numbers.h"
#include "platform/picturebox.h"

#include <QImage>

#include <algorithm>
#include <cstring>

namespace modImage {

Pixeles PixelesVista;
int32_t AnchoVista = 0, AltoVista = 0, PasoVista = 0;
int32_t XVista = 0, YVista = 0;
int32_t VersionVista = 0;
int16_t VistaInvertirTonos = 0, VistaInvertirHorizontal = 0;

namespace {

// The curve the cached drawing was made with: the counter alone misses a
// change of a channel that is not being edited, and comes back to an old
// value after a reset.
uint8_t TablasVista[3][256];

void GuardarTablasVista(const Instantanea &c)
{
    std::memcpy(TablasVista[0], c.lutR, 256);
    std::memcpy(TablasVista[1], c.lutG, 256);
    std::memcpy(TablasVista[2], c.lutB, 256);
}

bool MismasTablas(const Instantanea &c)
{
    return std::memcmp(TablasVista[0], c.lutR, 256) == 0 && std::memcmp(TablasVista[1], c.lutG, 256) == 0 &&
           std::memcmp(TablasVista[2], c.lutB, 256) == 0;
}

int16_t Booleano(bool b) { return b ? -1 : 0; }

bool HayVista() { return HayMuestra && AnchoVista >= 1 && AltoVista >= 1; }

} // namespace

void InvalidarCachePreview() { VersionVista = -1; }

void ConstruirVistaPrevia(const Superficie &pic)
{
    if (!HayMuestra || AnchoMuestra < 1 || AltoMuestra < 1) return;
    const int64_t pasoMuestra = PasoMuestra;
    if (pasoMuestra < 3LL * AnchoMuestra ||
        static_cast<int64_t>(PixelesMuestra.size()) < pasoMuestra * AltoMuestra)
        return;
    const int32_t anchoCaja = Numeros::CLng(pic.ScaleWidth());
    const int32_t altoCaja = Numeros::CLng(pic.ScaleHeight());
    int32_t x = 0, y = 0, w = 0, h = 0;
    CalcularRectanguloAjustado(anchoCaja, altoCaja, AnchoMuestra, AltoMuestra, x, y, w, h);
    if (w < 1 || h < 1) return;

    AnchoVista = w;
    AltoVista = h;
    XVista = x;
    YVista = y;
    PasoVista = static_cast<int32_t>(PasoDeAncho(w));
    PixelesVista.assign(static_cast<size_t>(PasoVista) * static_cast<size_t>(AltoVista), 0);

    // Nearest sample index for each preview column, worked out once.
    std::vector<int64_t> columnas(static_cast<size_t>(w));
    for (int32_t c = 0; c < w; ++c) {
        int64_t sx = Numeros::CLng(static_cast<double>(c) / w * AnchoMuestra);
        if (sx >= AnchoMuestra) sx = AnchoMuestra - 1;
        columnas[static_cast<size_t>(c)] = 3 * sx;
    }
    for (int32_t f = 0; f < h; ++f) {
        int64_t sy = Numeros::CLng(static_cast<double>(f) / h * AltoMuestra);
        if (sy >= AltoMuestra) sy = AltoMuestra - 1;
        const uint8_t *o = PixelesMuestra.data() + (AltoMuestra - 1 - sy) * pasoMuestra;
        uint8_t *d = PixelesVista.data() + static_cast<int64_t>(AltoVista - 1 - f) * PasoVista;
        for (int32_t c = 0; c < w; ++c, d += 3) {
            const uint8_t *p = o + columnas[static_cast<size_t>(c)];
            d[0] = p[0];
            d[1] = p[1];
            d[2] = p[2];
        }
    }
    VersionVista = -1;
}

void ConstruirVistaPrevia(PictureBox *pic)
{
    if (pic) ConstruirVistaPrevia(pic->S());
}

void DibujarBufferVista(const uint8_t *buffer, Superficie &pic)
{
    if (AnchoVista < 1 || AltoVista < 1 || !buffer) return;
    QImage &img = pic.Imagen();
    if (img.isNull()) return;
    img.fill(Qt::black);
    // 1:1 copy, clipped to the box; the buffer is bottom-up.
    const int x0 = std::max(0, XVista), x1 = std::min(img.width(), XVista + AnchoVista);
    const int y0 = std::max(0, YVista), y1 = std::min(img.height(), YVista + AltoVista);
    for (int y = y0; y < y1; ++y) {
        const int fila = y - YVista;
        const uint8_t *o = buffer + static_cast<int64_t>(AltoVista - 1 - fila) * PasoVista;
        QRgb *d = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = x0; x < x1; ++x) {
            const uint8_t *p = o + 3 * (x - XVista);
            d[x] = qRgb(p[2], p[1], p[0]);
        }
    }
}

void DibujarBufferVista(const Pixeles &buffer, PictureBox *pic)
{
    if (!pic) return;
    if (buffer.size() < static_cast<size_t>(std::max(0, PasoVista)) * static_cast<size_t>(std::max(0, AltoVista)))
        return;
    DibujarBufferVista(buffer.data(), pic->S());
    pic->Refresh();
}

namespace {
// True when it drew.
bool ConCurva(Superficie &pic)
{
    if (!HayVista()) return false;
    const Instantanea curva = TomarInstantanea();
    if (VersionVista == modEngine::VersionCurva && VistaInvertirTonos == Booleano(curva.invertirTonos) &&
        VistaInvertirHorizontal == Booleano(curva.invertirHorizontal) && MismasTablas(curva))
        return false;
    Pixeles temporal(PixelesVista.size());
    AplicarCurvaBuffer(curva, PixelesVista.data(), temporal.data(), AnchoVista, AltoVista, PasoVista, true, 0);
    DibujarBufferVista(temporal.data(), pic);
    VersionVista = modEngine::VersionCurva;
    VistaInvertirTonos = Booleano(curva.invertirTonos);
    VistaInvertirHorizontal = Booleano(curva.invertirHorizontal);
    GuardarTablasVista(curva);
    return true;
}
} // namespace

void DibujarVistaConCurva(Superficie &pic) { ConCurva(pic); }

void DibujarVistaConCurva(PictureBox *pic)
{
    if (pic && ConCurva(pic->S())) pic->Refresh();
}

void DibujarVistaOriginal(Superficie &pic)
{
    if (!HayVista()) return;
    if (!InvertirTonos && !InvertirHorizontal) {
        DibujarBufferVista(PixelesVista.data(), pic);
    } else {
        Pixeles temporal(PixelesVista.size());
        AplicarCurvaBuffer(PixelesVista, temporal, AnchoVista, AltoVista, PasoVista, false, 0);
        DibujarBufferVista(temporal.data(), pic);
    }
    VersionVista = -1;
}

void DibujarVistaOriginal(PictureBox *pic)
{
    if (!pic || !HayVista()) return;
    DibujarVistaOriginal(pic->S());
    pic->Refresh();
}

void RefrescarVistaEscaneo(PictureBox *pic) { PintarEscaneo(pic); }
void RefrescarVistaEscaneo(Superficie &pic) { PintarEscaneo(pic); }

} // namespace modImage
