#pragma once
// Texts of the curve editor's information panel and statistics, GUI-free.
// Numbers are formatted with the system locale's separators and rounded to
// nearest with ties to even.

#include <QString>

#include <cstdint>

namespace InfoImagen {

// "#,##0": thousands grouped with the locale's group separator.
QString FormatoMiles(int64_t n);
// "0", "0.00": fixed decimals with the locale's decimal separator, no grouping.
QString FormatoFijo(double v, int decimales);

// "3,000 x 2,000 px"
QString TextoPixeles(int32_t ancho, int32_t alto);
// "25.40 x 16.93 cm", or "Sin datos" / "No data" without both resolutions.
QString TextoMedidas(int32_t ancho, int32_t alto, double dpiX, double dpiY);
// "300 ppp", "300 x 600 ppp", or "Sin datos" / "No data".
QString TextoResolucion(double dpiX, double dpiY);
// The profile description as given, or "Sin perfil" / "No profile" when blank.
QString TextoEspacioColor(const QString &descripcion);

} // namespace InfoImagen
