#pragma once
// Loading the chart scan and the sample image, and their fitted views.
//
//   modImage::CargarImagenEscaneo(path, pic)
//       loads the scan into PixelesEscaneo (24-bit), sets AnchoEscaneo,
//       AltoEscaneo, PasoEscaneo, HayEscaneo and paints it fitted in pic.
//       On failure one plain message box ("Formato no reconocido", "Error al
//       cargar", "Error al convertir") and nothing changes; true when loaded.
//   modImage::LeerInfoImagen(path)
//       size, profile description, profile copy and resolution of a file
//       into the sample's information; silent on failure. Call CargarMuestra
//       with the same path next: it keeps or undoes what this wrote.
//   modImage::CargarMuestra(path, pic)
//       loads the sample into PixelesMuestraOriginal and PixelesMuestra with
//       size, stride, path, profile and resolution, HayMuestra, and paints it;
//       true when it did.
//       All or nothing: on failure ("Formato no reconocido", "Error al cargar
//       la muestra", "Error al convertir la muestra") the previous sample and
//       its information stand as before the LeerInfoImagen call.
//   modImage::PintarEscaneo(pic), PintarMuestra(pic)
//       blacken the box and paint the image in its fit rectangle. The views
//       are made in memory from the buffers; no view file is written.
//   modImage::MostrarEscaneoEnPicture(pic), MostrarMuestraEnPicture(pic)
//       take the current buffer as the view and paint it.
//   modImage::RectanguloVistaEscaneo(boxW, boxH, l, t, w, h)
//       the scan's fit rectangle in that box (box <-> image mapping).
//   modImage::DescripcionPerfilICC(), DescripcionPerfilOrigen(),
//   RutaPerfilICCTemp() ("" when none), DpiX(), DpiY() (0 when unknown),
//   BorrarPerfilICCTemporal().
// Progress goes to the progress window while it is visible; the caller shows
// and closes it.

#include "imaging/modimage.h"

#include <QString>
#include <cstdint>

class PictureBox;
class Superficie;

namespace modImage {

bool CargarImagenEscaneo(const QString &ruta, PictureBox *pic);
void LeerInfoImagen(const QString &ruta);
bool CargarMuestra(const QString &ruta, PictureBox *pic);

void MostrarEscaneoEnPicture(PictureBox *pic);
void MostrarMuestraEnPicture(PictureBox *pic);
void PintarEscaneo(PictureBox *pic);
void PintarMuestra(PictureBox *pic);
// The same paintings onto a bare surface (no refresh).
void PintarEscaneo(Superficie &s);
void PintarMuestra(Superficie &s);

void RectanguloVistaEscaneo(int32_t anchoCaja, int32_t altoCaja, int32_t &izquierda, int32_t &arriba,
                            int32_t &ancho, int32_t &alto);

QString DescripcionPerfilICC();
QString DescripcionPerfilOrigen();
QString RutaPerfilICCTemp();
double DpiX();
double DpiY();
void BorrarPerfilICCTemporal();

} // namespace modImage
