#include "platform/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace Shell {

namespace {
std::function<void(const QString &)> &Actual()
{
    static std::function<void(const QString &)> r;
    return r;
}
} // namespace

void InstalarResponder(std::function<void(const QString &)> r) { Actual() = std::move(r); }

void Abrir(const QString &destino)
{
    if (Actual()) {
        Actual()(destino);
        return;
    }
    const QUrl url = destino.contains(QStringLiteral("://")) ? QUrl(destino) : QUrl::fromLocalFile(destino);
    QDesktopServices::openUrl(url);
}

} // namespace Shell
