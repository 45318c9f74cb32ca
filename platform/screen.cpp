#include "platform/screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace Pantalla {

namespace {
double Twips(bool x)
{
    const QScreen *s = QGuiApplication::primaryScreen();
    if (!s) return 15.0;
    const double dpi = x ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}
} // namespace

double TwipsPerPixelX() { return Twips(true); }
double TwipsPerPixelY() { return Twips(false); }

} // namespace Pantalla
