// libFuzzer entry for the image loader (clang only; not in the suite;
// scripts/fuzz.sh builds and runs it): the file's checks before decoding,
// the header read, the decoding of the admitted formats, the conversion to
// 24 bits, the copy into a buffer and the embedded profile. The first byte
// chooses the name the file is given (the name picks nothing but whether
// the file is looked at); the rest is the file. Memory for a load is capped
// at 256 MB, so a header that asks for more is refused, not decoded.

#include "imaging/apertura.h"
#include "imaging/fitrect.h"
#include "imaging/perfilicc.h"
#include "platform/memoria.h"
#include "platform/msgbox.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {
QTemporaryDir *Carpeta()
{
    static QTemporaryDir d;
    return &d;
}

[[noreturn]] void Fallo(const char *que)
{
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
    if (size == 0) return 0;
    static const char *const kNombres[] = {"x.png", "x.jpg", "x.tif", "x.bmp", "x.gif", "x.webp", "x.psd", "x.dat"};
    const QString ruta = Carpeta()->filePath(QString::fromLatin1(kNombres[data[0] % 8]));
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) Fallo("cannot write the input");
    f.write(reinterpret_cast<const char *>(data + 1), static_cast<qint64>(size - 1));
    f.close();

    modFreeImage::Apertura cab = modFreeImage::LeerCabeceraImagen(ruta);
    if (cab.bmp) {
        if (!modFreeImage::TamanoAdmisible(FreeImage_GetWidth(cab.bmp.get()), FreeImage_GetHeight(cab.bmp.get())))
            Fallo("a header over the limit was accepted");
        const QString copia = modICC::GuardarPerfilEmbebidoTemp(cab.bmp.get());
        modICC::DescripcionPerfilEmbebido(cab.bmp.get());
        if (!copia.isEmpty()) QFile::remove(copia);
    } else if (cab.motivo.isEmpty() && cab.rechazo != modFreeImage::Rechazo::FormatoDesconocido) {
        Fallo("refused without a reason");
    }

    modFreeImage::Apertura a = modFreeImage::AbrirImagen(ruta, 2);
    if (!a.bmp) return 0;
    modFreeImage::Bitmap b24 = modFreeImage::A24Bits(std::move(a.bmp));
    if (!b24) return 0;
    modImage::Pixeles px;
    int32_t paso = 0;
    if (modImage::CopiarBitmap(b24.get(), px, paso) &&
        int64_t(px.size()) != int64_t(paso) * FreeImage_GetHeight(b24.get()))
        Fallo("buffer and stride disagree");
    return 0;
}
