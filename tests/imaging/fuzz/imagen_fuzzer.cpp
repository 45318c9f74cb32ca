// Fuzz target for the image loader: the checks before decoding, the header
// with its embedded profile, the decoding of the admitted formats, and the
// 24-bit block the engine keeps. The first byte picks the file's name; the
// rest is the file. A load may take 256 MB at most, so a header asking for
// more is refused, not decoded. Seeds: semillas/ (one byte, then the file).

#include "imaging/apertura.h"
#include "imaging/bloque.h"
#include "imaging/perfilicc.h"
#include "platform/memoria.h"
#include "platform/msgbox.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {
void Comprobar(bool bien, const char *que)
{
    if (bien) return;
    std::fprintf(stderr, "image loader: %s\n", que);
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    MsgBox::InstalarResponder([](const MsgBox::Llamada &) { return int(MsgBox::OK); });
    Memoria::FijarDisponible(256LL << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir carpeta;
    static const char *const kNombres[] = {"x.png", "x.jpg", "x.tif", "x.bmp", "x.gif", "x.webp", "x.psd", "x.dat"};
    if (size == 0) return 0;
    QFile f(carpeta.filePath(QString::fromLatin1(kNombres[data[0] % 8])));
    Comprobar(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the input");
    f.write(reinterpret_cast<const char *>(data + 1), qint64(size - 1));
    f.close();

    const modFreeImage::Apertura cab = modFreeImage::LeerCabeceraImagen(f.fileName());
    Comprobar(cab.bmp || !cab.motivo.isEmpty(), "refused without a reason");
    if (cab.bmp) {
        Comprobar(modFreeImage::TamanoAdmisible(FreeImage_GetWidth(cab.bmp.get()), FreeImage_GetHeight(cab.bmp.get())),
                  "a header over the limit was accepted");
        Comprobar(cab.necesita > 0, "no memory estimate for an accepted header");
        modICC::DescripcionPerfilEmbebido(cab.bmp.get());
        const QString copia = modICC::GuardarPerfilEmbebidoTemp(cab.bmp.get());
        if (!copia.isEmpty()) QFile::remove(copia);
    }
    modFreeImage::Apertura a = modFreeImage::AbrirImagen(f.fileName());
    Comprobar(a.bmp || !a.motivo.isEmpty(), "refused without a reason");
    if (!a.bmp) return 0;
    const int64_t alto = FreeImage_GetHeight(a.bmp.get());
    modImage::Bloque px;
    int32_t paso = 0;
    if (modImage::Bloque24Bits(std::move(a.bmp), px, paso))
        Comprobar(int64_t(px.size()) == int64_t(paso) * alto, "buffer and stride disagree");
    return 0;
}
