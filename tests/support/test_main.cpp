// Test start-up: Qt on the offscreen platform, a pinned locale, a private
// settings folder, temporary folder and home for the whole run, the tests'
// cups-pdf queue as this process's default printer, and the program's state
// as a fresh start has it around every test.

#include "support/colapdf.h"
#include "support/estado.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <clocale>
#include <cstdlib>

// The tests' leak suppressions, however the program is started (ctest or by
// hand). The programs that reach libcups' printer code also unwind in full
// (support/pila/pila_completa.cpp).
extern "C" __attribute__((used)) const char *__lsan_default_options()
{
    return "suppressions=" QT_TESTCASE_SOURCEDIR "/lsan.supp";
}

namespace {

// Every test starts from the state a fresh start has and leaves it so, run
// alone, in order or shuffled. Before the fixture is made and after it is
// gone, so nothing of it is still alive.
class EstadoInicial : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo &) override { PruebaEmpezada(), ReiniciarPrograma(); }
    void OnTestEnd(const ::testing::TestInfo &) override { ReiniciarPrograma(); }
};

} // namespace

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
    // The default printer for this process only, never the machine's: Qt
    // takes it from libcups's destination list, where LPDEST (then PRINTER)
    // comes before any lpoptions "Default" line and the server's default. The
    // private home keeps the user's own ~/.cups/lpoptions out of the tests.
    const QByteArray casa = (raiz.path() + QStringLiteral("/home")).toLocal8Bit();
    QDir().mkpath(QString::fromLocal8Bit(casa));
    setenv("HOME", casa.constData(), 1);
    setenv("LPDEST", ColaPDF::kCola, 1);

    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    ::testing::UnitTest::GetInstance()->listeners().Append(new EstadoInicial);
    return RUN_ALL_TESTS();
}
