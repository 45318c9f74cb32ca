#include "platform/picturebox.h"

#include "platform/colorref.h"
#include "platform/paginas.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <cstring>
#include <functional>

namespace {
// The surface measures fonts at the screen's logical 96 pixels per inch.
constexpr int kPuntosPorMetro = 3780;

QColor C(uint32_t c) { return ColorRef::AQColor(c); }
} // namespace

Superficie::Superficie(int ancho, int alto) { Redimensionar(ancho, alto); }

bool Superficie::Redimensionar(int ancho, int alto, QImage::Format formato)
{
    if (ancho <= 0 || alto <= 0) {
        imagen_ = QImage();
        return true;
    }
    imagen_ = QImage(ancho, alto, formato);
    if (imagen_.isNull()) return false;
    imagen_.setDotsPerMeterX(kPuntosPorMetro);
    imagen_.setDotsPerMeterY(kPuntosPorMetro);
    Rellenar(imagen_.rect(), BackColor);
    return true;
}

void Superficie::FontName(const QString &nombre)
{
    // Arial is drawn with its metric twin.
    fuente_.setFamily(nombre.compare(QStringLiteral("Arial"), Qt::CaseInsensitive) == 0
                          ? QStringLiteral("Liberation Sans")
                          : nombre);
}

void Superficie::FontSize(double puntos)
{
    if (puntos > 0) fuente_.setPointSizeF(puntos);
}

void Superficie::Cls()
{
    if (!imagen_.isNull()) Rellenar(imagen_.rect(), BackColor);
    CurrentX = 0;
    CurrentY = 0;
}

void Superficie::Rellenar(const QRect &r, uint32_t color)
{
    if (imagen_.format() != QImage::Format_BGR888) {
        if (r == imagen_.rect()) {
            imagen_.fill(C(color));
        } else {
            QPainter p(&imagen_);
            p.fillRect(r, C(color));
        }
        return;
    }
    // Qt fills 24-bit pictures pixel by pixel; an opaque colour over whole
    // pixels is these bytes (a plain memset for greys).
    const QRect a = r.intersected(imagen_.rect());
    if (a.isEmpty()) return;
    const uchar b = uchar(ColorRef::Azul(color)), g = uchar(ColorRef::Verde(color)), rr = uchar(ColorRef::Rojo(color));
    for (int y = a.top(); y <= a.bottom(); ++y) {
        uchar *d = imagen_.scanLine(y) + 3 * a.left();
        if (b == g && g == rr) {
            std::memset(d, b, size_t(3) * size_t(a.width()));
        } else {
            for (int x = 0; x < a.width(); ++x, d += 3) d[0] = b, d[1] = g, d[2] = rr;
        }
    }
}

void Superficie::Line(int x1, int y1, int x2, int y2, uint32_t color)
{
    if (imagen_.isNull()) return;
    if (x1 == x2 && y1 == y2) return;
    if (DrawWidth <= 1 && (y1 == y2 || x1 == x2)) {
        // Horizontal and vertical segments: exact pixels, end point excluded.
        // Pixels from the start up to, not including, the end.
        if (y1 == y2) {
            const int a = x2 > x1 ? x1 : x2 + 1, b = x2 > x1 ? x2 - 1 : x1;
            Rellenar(QRect(QPoint(a, y1), QPoint(b, y1)), color);
        } else {
            const int a = y2 > y1 ? y1 : y2 + 1, b = y2 > y1 ? y2 - 1 : y1;
            Rellenar(QRect(QPoint(x1, a), QPoint(x1, b)), color);
        }
        return;
    }
    QPainter p(&imagen_);
    QPen pen(C(color));
    pen.setWidth(DrawWidth < 1 ? 1 : DrawWidth);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.drawLine(x1, y1, x2, y2);
}

void Superficie::LineBox(int x1, int y1, int x2, int y2, uint32_t color)
{
    if (imagen_.isNull()) return;
    const int l = std::min(x1, x2), r = std::max(x1, x2);
    const int t = std::min(y1, y2), b = std::max(y1, y2);
    const int w = DrawWidth < 1 ? 1 : DrawWidth;
    Rellenar(QRect(QPoint(l, t), QPoint(r, std::min(b, t + w - 1))), color);
    Rellenar(QRect(QPoint(l, std::max(t, b - w + 1)), QPoint(r, b)), color);
    Rellenar(QRect(QPoint(l, t), QPoint(std::min(r, l + w - 1), b)), color);
    Rellenar(QRect(QPoint(std::max(l, r - w + 1), t), QPoint(r, b)), color);
}

void Superficie::LineBoxFill(int x1, int y1, int x2, int y2, uint32_t color)
{
    if (imagen_.isNull()) return;
    const int l = std::min(x1, x2), r = std::max(x1, x2);
    const int t = std::min(y1, y2), b = std::max(y1, y2);
    Rellenar(QRect(QPoint(l, t), QPoint(r, b)), color);
}

void Superficie::Circle(int x, int y, int radio, uint32_t color)
{
    if (imagen_.isNull() || radio < 0) return;
    QPainter p(&imagen_);
    QPen pen(C(color));
    pen.setWidth(DrawWidth < 1 ? 1 : DrawWidth);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPoint(x, y), radio, radio);
}

void Superficie::CircleFill(int x, int y, int radio, uint32_t color)
{
    if (imagen_.isNull() || radio < 0) return;
    QPainter p(&imagen_);
    p.setPen(QPen(C(color)));
    p.setBrush(C(color));
    p.drawEllipse(QPoint(x, y), radio, radio);
}

void Superficie::PSet(int x, int y, uint32_t color)
{
    if (imagen_.isNull() || x < 0 || y < 0 || x >= imagen_.width() || y >= imagen_.height()) return;
    imagen_.setPixel(x, y, C(color).rgb());
}

uint32_t Superficie::Point(int x, int y) const
{
    if (imagen_.isNull() || x < 0 || y < 0 || x >= imagen_.width() || y >= imagen_.height())
        return 0xFFFFFFFFu;
    return ColorRef::DeQRgb(imagen_.pixel(x, y));
}

namespace {
// Fonts are measured against an image at the surfaces' resolution.
QFontMetricsF Metricas(const QFont &f)
{
    static QImage ref = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        i.setDotsPerMeterX(kPuntosPorMetro);
        i.setDotsPerMeterY(kPuntosPorMetro);
        return i;
    }();
    return QFontMetricsF(f, &ref);
}
} // namespace

namespace {
// Text on a 24-bit surface. Antialiased text is blended with other roundings
// at 24 bits, and large glyphs drawn at other coordinates rasterise a little
// differently, so the text is drawn at its own place on a 32-bit picture of
// the surface's full size whose memory is only reserved: the area the text
// covers is copied in, written, copied back, and the pages are let go with the
// picture. The pixels are those of a 32-bit surface.
void TextoEn24Bits(QImage &img, const QRect &area, const std::function<void(QImage &)> &escribir)
{
    const qsizetype paso32 = qsizetype(img.width()) * 4;
    Paginas::Zona zona(size_t(paso32) * size_t(img.height()));
    if (!zona) {
        escribir(img); // no address space to spare: the text, if a level off here and there
        return;
    }
    QImage lienzo(zona.Datos(), img.width(), img.height(), paso32, QImage::Format_RGB32);
    lienzo.setDotsPerMeterX(img.dotsPerMeterX());
    lienzo.setDotsPerMeterY(img.dotsPerMeterY());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar *o = img.constScanLine(y) + 3 * area.left();
        QRgb *d = reinterpret_cast<QRgb *>(lienzo.scanLine(y)) + area.left();
        for (int x = 0; x < area.width(); ++x, o += 3) d[x] = qRgb(o[2], o[1], o[0]);
    }
    escribir(lienzo);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QRgb *o = reinterpret_cast<const QRgb *>(lienzo.constScanLine(y)) + area.left();
        uchar *d = img.scanLine(y) + 3 * area.left();
        for (int x = 0; x < area.width(); ++x, d += 3) d[0] = uchar(qBlue(o[x])), d[1] = uchar(qGreen(o[x])), d[2] = uchar(qRed(o[x]));
    }
}
} // namespace

void Superficie::Print(const QString &texto)
{
    if (!imagen_.isNull()) {
        const QFontMetricsF m = Metricas(fuente_);
        const QPointF en(CurrentX, CurrentY + m.ascent());
        auto escribir = [&](QImage &destino) {
            QPainter p(&destino);
            p.setFont(fuente_);
            p.setPen(C(ForeColor));
            p.drawText(en, texto);
        };
        if (imagen_.format() != QImage::Format_BGR888) {
            escribir(imagen_);
        } else {
            // Ink can reach past the measured box (antialiasing, overhangs).
            const qreal margen = 2 + m.height() / 16;
            const QRect area = m.boundingRect(texto)
                                   .translated(en)
                                   .adjusted(-margen, -margen, margen, margen)
                                   .toAlignedRect()
                                   .intersected(imagen_.rect());
            if (!area.isEmpty()) TextoEn24Bits(imagen_, area, escribir);
        }
    }
    CurrentX = 0;
    CurrentY += TextHeight(texto);
}

double Superficie::TextWidth(const QString &texto) const { return Metricas(fuente_).horizontalAdvance(texto); }

double Superficie::TextHeight(const QString &) const { return Metricas(fuente_).height(); }

void Superficie::DibujarImagen(int x, int y, int w, int h, const QImage &img)
{
    if (imagen_.isNull() || img.isNull() || w <= 0 || h <= 0) return;
    QPainter p(&imagen_);
    p.drawImage(QRect(x, y, w, h), img);
}

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    sup_.Redimensionar(std::max(1, width()), std::max(1, height()));
}

void PictureBox::SetPicture(const QImage &img)
{
    picture_ = img;
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!sup_.Vacia()) p.drawImage(0, 0, sup_.Imagen());
    if (!picture_.isNull()) p.drawImage(0, 0, picture_);
}

void PictureBox::resizeEvent(QResizeEvent *)
{
    if (width() == sup_.ScaleWidth() && height() == sup_.ScaleHeight()) return;
    // Keep what was drawn, like a retained picture box growing or shrinking.
    const QImage viejo = sup_.Imagen();
    sup_.Redimensionar(std::max(1, width()), std::max(1, height()));
    if (!viejo.isNull()) {
        QPainter p(&sup_.Imagen());
        p.drawImage(0, 0, viejo);
    }
    emit Resized();
}

namespace {
int Px(double v) { return static_cast<int>(std::floor(v)); }
} // namespace

void PictureBox::mousePressEvent(QMouseEvent *e)
{
    emit MouseDown(e->button(), e->modifiers(), Px(e->position().x()), Px(e->position().y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent *e)
{
    emit MouseMove(e->buttons(), e->modifiers(), Px(e->position().x()), Px(e->position().y()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent *e)
{
    emit MouseUp(e->button(), e->modifiers(), Px(e->position().x()), Px(e->position().y()));
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent *e)
{
    // A double click is its own event, never a second press.
    emit DblClick(Px(e->position().x()), Px(e->position().y()));
}
