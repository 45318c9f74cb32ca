#pragma once
// The ICC profile embedded in the sample image.
//
//   modICC::DescripcionPerfilEmbebido(bitmap)  the profile's description, or
//       "Sin perfil ICC" (none), "Perfil ICC embebido" (no readable text),
//       "Perfil ICC desconocido" (failure on the way).
//   modICC::GuardarPerfilEmbebidoTemp(bitmap)  writes the profile bytes to a
//       new temporary "zolv_icc_...icc" file and returns its path; "" when
//       there is no profile or the file cannot be written (nothing is left).
//   modICC::LeerDescripcionICC(bytes)  the first 'desc' tag's text ('desc'
//       or 'mluc' type), trimmed of spaces; "" when none can be read. Every
//       bound is checked in 64 bits: no profile can make it read outside.
//   modICC::PerfilRGBDeArchivo(path)  the bytes of a profile file when they
//       form a profile of RGB data (signature 'acsp', colour space 'RGB ',
//       declared size within the file); empty otherwise, also when unreadable.
//   modICC::LeerU32BE(bytes, offset)   a big-endian field; empty when it lies
//       outside the bytes or does not fit a 32-bit signed value.

#include <FreeImage.h>
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace modICC {

// Profiles are small: larger data is not one, wherever it comes from.
constexpr int64_t kMaximoPerfil = 64LL << 20;

QString DescripcionPerfilEmbebido(FIBITMAP *bitmap);
QString GuardarPerfilEmbebidoTemp(FIBITMAP *bitmap);
QString LeerDescripcionICC(const QByteArray &datos);
QByteArray PerfilRGBDeArchivo(const QString &ruta);
std::optional<int32_t> LeerU32BE(const QByteArray &datos, int64_t offset);

} // namespace modICC
