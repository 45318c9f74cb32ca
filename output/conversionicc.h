#pragma once
// Colour conversion of a picture before printing, from its source ICC
// profile to the printer's.
//
// All three converters take the same arguments: the picture, whose top-left
// anchoPx x altoPx pixels are converted; the printer name (for the driver's
// profile); the source profile path (blank or missing: the system sRGB); the
// printer-profile entry (resolved by ResolverPerfilImpresora); the
// rendering-intent code (mapped by IntentoICC); black point compensation;
// and msgError, cleared on entry, which receives the failure text.
// They return a new picture of anchoPx x altoPx in QImage::Format_BGR888
// (blue, green, red; rows top-down; stride a multiple of 4, so a 1001-pixel
// row takes 3004 bytes), or a null QImage on failure. The caller's picture is
// not changed.
//
// ConvertirICC picks the engine: Little CMS when it loads from the program
// folder or the system; when it fails without black point compensation, Qt's
// colour transform (matrix/TRC RGB profiles only, and no rendering intents)
// is tried instead and only its outcome counts, unless Little CMS refused
// the transform because a profile is not for RGB data (grey, CMYK, Lab,
// ...): then its text stands. Compensation needs Little CMS. Qt's transform
// refuses such a profile too. Either refusal names each such profile, its
// part and its colour space after the engine's text:
//   "No se pudo crear la transformacion ICC con LittleCMS. El perfil de
//    impresora es de grises y hace falta uno RGB: /usr/share/color/icc/Gray.icc."

#include <QImage>
#include <QString>
#include <cstdint>

namespace modImpresion {

QImage ConvertirICC(const QImage &imagen, int32_t anchoPx, int32_t altoPx, const QString &impresora,
                    const QString &perfilOrigen, const QString &perfilImpresora, int indiceIntento,
                    bool compensarPuntoNegro, QString &msgError);

// Little CMS 2: 8-bit BGR on both sides, high-resolution precalculation,
// one call per row.
QImage ConvertirICCConLCMS(const QImage &imagen, int32_t anchoPx, int32_t altoPx, const QString &impresora,
                           const QString &perfilOrigen, const QString &perfilImpresora, int indiceIntento,
                           bool compensarPuntoNegro, QString &msgError);

// Qt's QColorSpace/QColorTransform, in place of the Windows colour system;
// compensation and intent are not used.
QImage ConvertirICCConQt(const QImage &imagen, int32_t anchoPx, int32_t altoPx, const QString &impresora,
                         const QString &perfilOrigen, const QString &perfilImpresora, int indiceIntento,
                         bool compensarPuntoNegro, QString &msgError);

} // namespace modImpresion
