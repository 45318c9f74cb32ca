#pragma once
// What the save-options dialog decides without any widget: the formats and
// their extensions, the image library's format identifiers and save flags,
// the initial folder and file name from the source image, and the path text
// helpers (they scan from the end and accept both '\' and '/').

#include <QString>

namespace GuardarOpciones {

enum class Formato { Ninguno, JPEG, PNG, TIFF, WEBP, BMP };

// cboTiffCompr entries, in list order.
enum CompresionTiff : int {
    TiffSinCompresion = 0,
    TiffLZW = 1,
    TiffZIP = 2,
    TiffPackBits = 3,
    TiffJPEG = 4,
};

// The TIFF predictor and byte-order choices ride above the library's own
// TIFF bits; the save hands them on unchanged.
constexpr int FlagTiffPredictor = 0x10000;
constexpr int FlagTiffBigEndian = 0x20000;

// The user's choices, as the dialog's controls hold them.
struct Opciones {
    Formato formato = Formato::JPEG;
    int calidadJpeg = 92;      // 1..100
    bool jpegProgresivo = false;
    int compresionPng = 6;     // 0..9
    int compresionTiff = TiffLZW; // -1: no entry chosen
    bool tiffPredictor = false;
    bool tiffBigEndian = false;
    int calidadWebp = 90;      // 1..100
    bool webpLossless = false;
};

// ".jpg", ".png", ".tif", ".webp", ".bmp"; "" for Ninguno.
QString Extension(Formato f);
// The Save-as filter's description and pattern: "JPEG" / "*.jpg".
QString Descripcion(Formato f);
QString Patron(Formato f);
// The image library's format identifier (FIF_JPEG ...); 0 for Ninguno.
int IdFormato(Formato f);
// The format a source extension selects (".jpeg", ".tiff" included); JPEG
// for anything else. The extension is compared in lower case.
Formato FormatoPorExtension(const QString &extension);

// The image library's save flags for the choices.
int CalcularSaveFlag(const Opciones &o);

// Whether the TIFF predictor box applies: only LZW and ZIP use it.
bool PredictorAplicable(int compresionTiff);

// Path text helpers.
QString CarpetaDe(const QString &ruta);
QString NombreArchivoDe(const QString &ruta);
QString ExtensionDe(const QString &ruta);
QString QuitarExtension(const QString &ruta);

// The name with its extension replaced by the given one.
QString CambiarExtension(const QString &nombre, const QString &extension);
// The name as it will be written: trimmed, always ending in the format's
// extension (".JPG" counts as ".jpg").
QString NombreConExtension(const QString &nombre, Formato f);

// The folder used when there is no source image: the user's pictures
// folder, or the home folder when that does not exist.
QString CarpetaPorDefecto();
// The destination folder for a source path (without trailing separator).
QString CarpetaInicial(const QString &rutaOrigen);
// The proposed file name for a source path: "<name> _ curva aplicada<ext>".
QString NombreInicial(const QString &rutaOrigen);

} // namespace GuardarOpciones
