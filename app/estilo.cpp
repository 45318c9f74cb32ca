#include "app/estilo.h"

#include "platform/colorref.h"
#include "platform/numbers.h"

#include <QPalette>
#include <QWidget>
#include <cmath>

namespace Estilo {

namespace {

double Lineal(int canal)
{
    const double c = canal / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminancia(const QColor &c)
{
    return 0.2126 * Lineal(c.red()) + 0.7152 * Lineal(c.green()) + 0.0722 * Lineal(c.blue());
}

QColor C(uint32_t ref) { return ColorRef::AQColor(ref); }

// Fields, lists and the indicators of check boxes and options: light, so
// that they stand out of the dark window, with black text and marks.
constexpr uint32_t kCampo = TextoClaro;
constexpr uint32_t kNegro = 0x000000;

void PonerEnTodos(QPalette &p, QPalette::ColorRole rol, const QColor &c)
{
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) p.setColor(g, rol, c);
}

} // namespace

double Contraste(const QColor &a, const QColor &b)
{
    const double la = Luminancia(a), lb = Luminancia(b);
    return la > lb ? (la + 0.05) / (lb + 0.05) : (lb + 0.05) / (la + 0.05);
}

QColor Legible(const QColor &texto, const QColor &fondo)
{
    if (Contraste(texto, fondo) >= ContrasteMinimo) return texto;
    const QColor destino =
        Contraste(Qt::white, fondo) >= Contraste(Qt::black, fondo) ? QColor(Qt::white) : QColor(Qt::black);
    auto mezcla = [](int a, int b, double t) { return Numeros::CLng(a + (b - a) * t); };
    for (int i = 1; i < 100; ++i) {
        const double t = i / 100.0;
        const QColor c(mezcla(texto.red(), destino.red(), t), mezcla(texto.green(), destino.green(), t),
                       mezcla(texto.blue(), destino.blue(), t));
        if (Contraste(c, fondo) >= ContrasteMinimo) return c;
    }
    return destino;
}

void AplicarOscuro(QWidget *ventana)
{
    if (!ventana) return;
    // Bevels and outlines follow from the button and window colours.
    QPalette p(C(FondoBoton), C(FondoOscuro));
    PonerEnTodos(p, QPalette::WindowText, C(TextoClaro));
    PonerEnTodos(p, QPalette::Base, C(kCampo));
    PonerEnTodos(p, QPalette::AlternateBase, C(0xD0D0D0));
    PonerEnTodos(p, QPalette::Text, C(kNegro));
    PonerEnTodos(p, QPalette::ButtonText, C(kNegro));
    PonerEnTodos(p, QPalette::PlaceholderText, C(0x606060));
    PonerEnTodos(p, QPalette::Highlight, C(0x404040));
    PonerEnTodos(p, QPalette::HighlightedText, C(0xFFFFFF));
    PonerEnTodos(p, QPalette::BrightText, C(0xFFFFFF));
    // Disabled texts are dimmer, labels still readable.
    p.setColor(QPalette::Disabled, QPalette::WindowText, C(0x909090));
    p.setColor(QPalette::Disabled, QPalette::Text, C(0x606060));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, C(0x707070));
    ventana->setPalette(p);
    ventana->setAutoFillBackground(true);
}

void Panel(QWidget *w, uint32_t fondo)
{
    if (!w) return;
    QPalette p = w->palette();
    PonerEnTodos(p, QPalette::Window, C(fondo));
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(g, QPalette::WindowText, Legible(p.color(g, QPalette::WindowText), C(fondo)));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void ColorTexto(QWidget *w, uint32_t color)
{
    if (!w) return;
    QPalette p = w->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(g, QPalette::WindowText, Legible(C(color), p.color(g, QPalette::Window)));
    w->setPalette(p);
}

void Aviso(QWidget *w, bool aviso)
{
    if (!w) return;
    QPalette p = w->palette();
    const QPalette alrededor = w->parentWidget() ? w->parentWidget()->palette() : p;
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(g, QPalette::WindowText,
                   aviso ? Legible(C(TextoAviso), p.color(g, QPalette::Window)) : alrededor.color(g, QPalette::WindowText));
        p.setColor(g, QPalette::Text,
                   aviso ? Legible(C(TextoAviso), p.color(g, QPalette::Base)) : alrededor.color(g, QPalette::Text));
    }
    w->setPalette(p);
}

} // namespace Estilo
