#pragma once
// Shared by the print tests: pictures, ICC profiles made with Little CMS
// (linked here directly, apart from the program's run-time copy), and what a
// printed PDF holds.

#include "support/colapdf.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace prueba {

// No white pixel, and a different colour in every column.
inline QImage Patron(int ancho, int alto)
{
    QImage im(ancho, alto, QImage::Format_BGR888);
    for (int y = 0; y < alto; ++y)
        for (int x = 0; x < ancho; ++x) im.setPixel(x, y, qRgb(x % 241, (x * 7 + y * 3) % 239, (x / 241 * 50 + y * 11) % 233));
    return im;
}

inline QString Guardar(cmsHPROFILE perfil, const QString &ruta)
{
    cmsSaveProfileToFile(perfil, QFile::encodeName(ruta).constData());
    cmsCloseProfile(perfil);
    return ruta;
}

// Wide primaries and gamma 1.8. As a printer profile (which Qt does not
// read), with a bluish paper white: absolute colorimetric differs there.
inline cmsHPROFILE PerfilAncho(bool deImpresora = false)
{
    cmsCIExyY blanco;
    cmsWhitePointFromTemp(&blanco, 6504);
    const cmsCIExyYTRIPLE primarios = {{0.7347, 0.2653, 1}, {0.1152, 0.8264, 1}, {0.1566, 0.0177, 1}};
    cmsToneCurve *g = cmsBuildGamma(nullptr, 1.8), *curvas[3] = {g, g, g};
    cmsHPROFILE p = cmsCreateRGBProfile(&blanco, &primarios, curvas);
    cmsFreeToneCurve(g);
    const cmsCIEXYZ papel = {0.90, 0.95, 0.95};
    if (deImpresora) {
        cmsSetDeviceClass(p, cmsSigOutputClass);
        cmsWriteTag(p, cmsSigMediaWhitePointTag, &papel);
    }
    return p;
}

// Little CMS's own conversion of a BGR picture, as the engine should ask for it.
inline QImage TransformarLCMS(const QImage &bgr, const QString &de, const QString &a, int intento, bool bpc)
{
    cmsHPROFILE pde = cmsOpenProfileFromFile(QFile::encodeName(de).constData(), "r"),
                pa = cmsOpenProfileFromFile(QFile::encodeName(a).constData(), "r");
    cmsHTRANSFORM t = cmsCreateTransform(pde, TYPE_BGR_8, pa, TYPE_BGR_8, cmsUInt32Number(intento),
                                         cmsFLAGS_HIGHRESPRECALC | (bpc ? cmsFLAGS_BLACKPOINTCOMPENSATION : 0));
    QImage r(bgr.size(), QImage::Format_BGR888);
    for (int y = 0; y < bgr.height(); ++y) cmsDoTransform(t, bgr.constScanLine(y), r.scanLine(y), cmsUInt32Number(bgr.width()));
    cmsDeleteTransform(t);
    cmsCloseProfile(pde);
    cmsCloseProfile(pa);
    return r;
}

// The largest difference of any channel (256 for other sizes).
inline int Diferencia(const QImage &a, const QImage &b)
{
    if (a.size() != b.size()) return 256;
    int d = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            d = std::max({d, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()), std::abs(p.blue() - q.blue())});
        }
    return d;
}

} // namespace prueba
