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

#include <tuple>

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

// A printer profile for data of that colour space (version 4.3, Lab
// connection space) with no tables yet: Little CMS opens it and links
// nothing through it.
inline cmsHPROFILE PerfilSinTablas(cmsColorSpaceSignature espacio)
{
    cmsHPROFILE p = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(p, 4.3);
    cmsSetDeviceClass(p, cmsSigOutputClass);
    cmsSetColorSpace(p, espacio);
    cmsSetPCS(p, cmsSigLabData);
    cmsWriteTag(p, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    return p;
}

// A printer profile of tables (Lab connection space) whose perceptual
// tables lead to sRGB and whose colorimetric ones to the wide space: every
// intent gives other pixels.
inline cmsHPROFILE PerfilDeTablas()
{
    cmsHPROFILE p = PerfilSinTablas(cmsSigRgbData);
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr), srgb = cmsCreate_sRGBProfile(), ancho = PerfilAncho();
    // A 17-point table sampled from Little CMS's transform between the two,
    // between identity curves (the form the file's tables take).
    const auto tabla = [](cmsHPROFILE de, cmsUInt32Number fde, cmsHPROFILE a, cmsUInt32Number fa) {
        cmsHTRANSFORM t = cmsCreateTransform(de, fde, a, fa, INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE);
        cmsPipeline *lut = cmsPipelineAlloc(nullptr, 3, 3);
        cmsStage *clut = cmsStageAllocCLut16bit(nullptr, 17, 3, 3, nullptr);
        cmsStageSampleCLut16bit(
            clut, [](const cmsUInt16Number in[], cmsUInt16Number out[], void *t) -> cmsInt32Number {
                cmsDoTransform(static_cast<cmsHTRANSFORM>(t), in, out, 1);
                return 1;
            },
            t, 0);
        cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
        cmsPipelineInsertStage(lut, cmsAT_END, clut);
        cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
        cmsDeleteTransform(t);
        return lut;
    };
    cmsPipeline *aLab = tabla(srgb, TYPE_RGB_16, lab, TYPE_Lab_16), *aSrgb = tabla(lab, TYPE_Lab_16, srgb, TYPE_RGB_16),
                *aAncho = tabla(lab, TYPE_Lab_16, ancho, TYPE_RGB_16);
    cmsWriteTag(p, cmsSigAToB0Tag, aLab);
    cmsWriteTag(p, cmsSigBToA0Tag, aSrgb);
    cmsWriteTag(p, cmsSigBToA1Tag, aAncho);
    cmsWriteTag(p, cmsSigBToA2Tag, aSrgb);
    for (cmsPipeline *l : {aLab, aSrgb, aAncho}) cmsPipelineFree(l);
    for (cmsHPROFILE q : {lab, srgb, ancho}) cmsCloseProfile(q);
    return p;
}

// A printer profile whose black is a dark grey (5 % of white): black point
// compensation moves every dark tone.
inline cmsHPROFILE PerfilNegroElevado()
{
    cmsCIExyY blanco;
    cmsWhitePointFromTemp(&blanco, 6504);
    const cmsCIExyYTRIPLE primarios = {{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};
    const cmsFloat64Number parametros[] = {2.2, 0.95, 0, 0, 0, 0.05, 0}; // (0.95 x)^2.2 + 0.05
    cmsToneCurve *g = cmsBuildParametricToneCurve(nullptr, 5, parametros), *curvas[3] = {g, g, g};
    cmsHPROFILE p = cmsCreateRGBProfile(&blanco, &primarios, curvas);
    cmsFreeToneCurve(g);
    cmsSetDeviceClass(p, cmsSigOutputClass);
    return p;
}

// Printer profiles for data other than RGB: grey (gamma 2.2), and CMYK
// (tables to and from Lab, two points a side, every value 0).
inline cmsHPROFILE PerfilGris()
{
    cmsToneCurve *g = cmsBuildGamma(nullptr, 2.2);
    cmsHPROFILE p = cmsCreateGrayProfile(cmsD50_xyY(), g);
    cmsFreeToneCurve(g);
    cmsSetDeviceClass(p, cmsSigOutputClass);
    return p;
}
inline cmsHPROFILE PerfilCMYK()
{
    cmsHPROFILE p = PerfilSinTablas(cmsSigCmykData);
    for (const auto &[etiqueta, entradas, salidas] : {std::tuple{cmsSigAToB0Tag, 4u, 3u}, std::tuple{cmsSigBToA0Tag, 3u, 4u}}) {
        cmsPipeline *lut = cmsPipelineAlloc(nullptr, entradas, salidas);
        cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocToneCurves(nullptr, entradas, nullptr));
        cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocCLut16bit(nullptr, 2, entradas, salidas, nullptr));
        cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocToneCurves(nullptr, salidas, nullptr));
        cmsWriteTag(p, etiqueta, lut);
        cmsPipelineFree(lut);
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
