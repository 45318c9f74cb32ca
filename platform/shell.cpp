#include "platform/shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace Shell {

namespace {
std::function<bool(const QString &)> &Actual()
{
    static std::function<bool(const QString &)> r;
    return r;
}
} // namespace

void InstalarResponder(std::function<bool(const QString &)> r) { Actual() = std::move(r); }

void Abrir(const QString &destino, std::function<void()> siFalla)
{
    if (Actual()) {
        if (!Actual()(destino) && siFalla) siFalla();
        return;
    }
    const QUrl url = destino.contains(QStringLiteral("://")) ? QUrl(destino) : QUrl::fromLocalFile(destino);
    // xdg-open is what Qt itself would start, but Qt lets it go without
    // looking at how it ended: run it here to hear when it found nothing to
    // open with. It may stay until a viewer it started in the foreground is
    // closed; a run killed at exit is no failure.
    const QString abridor = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (abridor.isEmpty() || !QCoreApplication::instance()) {
        if (!QDesktopServices::openUrl(url) && siFalla) siFalla();
        return;
    }
    auto *p = new QProcess(QCoreApplication::instance());
    p->setProgram(abridor);
    p->setArguments({url.isLocalFile() ? url.toLocalFile() : url.toString()});
    p->setStandardOutputFile(QProcess::nullDevice());
    p->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(p, &QProcess::finished, p, [p, siFalla](int codigo, QProcess::ExitStatus estado) {
        if (estado == QProcess::NormalExit && codigo != 0 && siFalla) siFalla();
        p->deleteLater();
    });
    QObject::connect(p, &QProcess::errorOccurred, p, [p, siFalla](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart) return;
        if (siFalla) siFalla();
        p->deleteLater();
    });
    p->start();
}

} // namespace Shell
