// A fuzz target run as a plain program: each file named, and each file in
// the folders named, goes once through LLVMFuzzerTestOneInput. Every test
// build links the targets this way and runs their seeds, so a harness cannot
// rot; scripts/fuzz.sh links the same targets with libFuzzer instead.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    QStringList entradas;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (!QFileInfo(a).isDir()) {
            entradas << a;
            continue;
        }
        for (const QFileInfo &f : QDir(a).entryInfoList(QDir::Files, QDir::Name)) entradas << f.filePath();
    }
    for (const QString &e : entradas) {
        QFile f(e);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(e));
            return 1;
        }
        const QByteArray d = f.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(d.constData()), size_t(d.size()));
    }
    std::printf("%lld inputs run\n", static_cast<long long>(entradas.size()));
    return entradas.isEmpty() ? 1 : 0;
}
