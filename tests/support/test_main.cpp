// Test start-up: Qt on the offscreen platform, a pinned locale, and a private
// settings folder and temporary folder for the whole run.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <clocale>
#include <cstdlib>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LC_ALL", "C.UTF-8", 1);
    std::setlocale(LC_ALL, "C.UTF-8");

    QTemporaryDir raiz(QDir::tempPath() + QStringLiteral("/halvora-test-XXXXXX"));
    const QByteArray config = (raiz.path() + QStringLiteral("/config")).toLocal8Bit();
    const QByteArray tmp = (raiz.path() + QStringLiteral("/tmp")).toLocal8Bit();
    QDir().mkpath(QString::fromLocal8Bit(config));
    QDir().mkpath(QString::fromLocal8Bit(tmp));
    setenv("XDG_CONFIG_HOME", config.constData(), 1);
    setenv("TMPDIR", tmp.constData(), 1);

    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    return RUN_ALL_TESTS();
}
