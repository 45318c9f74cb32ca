#pragma once
// Shared by the print tests: pictures, ICC profiles made with Little CMS
// (linked here directly, apart from the program's run-time copy), and the
// PDF read back with poppler-utils.

#include <lcms2.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace prueba {

// A picture with no white pixel and a different colour in every column.
inline QImage Patron(int ancho, int alto)
{
    QImage im(ancho, alto, QImage::Format_BGR888);
    for (int y = 0; y < alto; ++y)
        for (int x = 0; x < ancho; ++x)
            im.setPixel(x, y, qRgb(x % 241, (x * 7 + y * 3) % 239, (x / 241 * 50 + y * 11) % 233));
    return im;
}

inline QByteArray Ejecutar(const QString &programa, const QStringList &args)
{
    QProcess p;
    p.start(programa, args);
    p.waitForFinished(60000);
    return p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
}

inline int PaginasPDF(const QString &pdf)
{
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(Ejecutar("pdfinfo", {pdf})));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The pictures of the PDF, in order, as RGB32.
inline QList<QImage> ImagenesPDF(const QString &pdf)
{
    QTemporaryDir dir;
    Ejecutar("pdfimages", {QStringLiteral("-ppm"), pdf, dir.filePath("i")});
    QList<QImage> r;
    for (const QString &f : QDir(dir.path()).entryList(QDir::Files, QDir::Name))
        r << QImage(dir.filePath(f)).convertToFormat(QImage::Format_RGB32);
    return r;
}

// The box of non-white pixels of page 1 rendered at ppp pixels per inch,
// and the page's size at that resolution.
inline QRect CajaEnPagina(const QString &pdf, int ppp, QSize *pagina = nullptr)
{
    QTemporaryDir dir;
    Ejecutar("pdftoppm", {QStringLiteral("-r"), QString::number(ppp), QStringLiteral("-f"), QStringLiteral("1"),
                          QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-singlefile"), pdf, dir.filePath("p")});
    const QImage im(dir.filePath("p.ppm"));
    if (pagina) *pagina = im.size();
    QRect caja;
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x)
            if (im.pixel(x, y) != qRgb(255, 255, 255)) caja |= QRect(x, y, 1, 1);
    return caja;
}

inline QString Guardar(cmsHPROFILE perfil, const QString &ruta)
{
    cmsSaveProfileToFile(perfil, QFile::encodeName(ruta).constData());
    cmsCloseProfile(perfil);
    return ruta;
}

// A matrix/TRC RGB profile unlike sRGB: wide primaries, gamma 1.8. As a
// printer profile (which Qt does not read) with a bluish paper white, so that
// absolute colorimetric differs from relative.
inline cmsHPROFILE PerfilAncho(bool deImpresora = false)
{
    cmsCIExyY blanco;
    cmsWhitePointFromTemp(&blanco, 6504);
    const cmsCIExyYTRIPLE primarios = {{0.7347, 0.2653, 1}, {0.1152, 0.8264, 1}, {0.1566, 0.0177, 1}};
    cmsToneCurve *g = cmsBuildGamma(nullptr, 1.8);
    cmsToneCurve *curvas[3] = {g, g, g};
    cmsHPROFILE p = cmsCreateRGBProfile(&blanco, &primarios, curvas);
    cmsFreeToneCurve(g);
    if (deImpresora) {
        cmsSetDeviceClass(p, cmsSigOutputClass);
        const cmsCIEXYZ papel = {0.90, 0.95, 0.95};
        cmsWriteTag(p, cmsSigMediaWhitePointTag, &papel);
    }
    return p;
}

// A printer profile made of lookup tables only (Lab connection), as real
// printer profiles are; Qt's colour space cannot read it.
inline cmsHPROFILE PerfilConTablas()
{
    cmsHPROFILE srgb = cmsCreate_sRGBProfile(), lab = cmsCreateLab4Profile(nullptr);
    auto tabla = [](cmsHPROFILE de, cmsUInt32Number fde, cmsHPROFILE a, cmsUInt32Number fa) {
        cmsHTRANSFORM t = cmsCreateTransform(de, fde, a, fa, INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE);
        cmsPipeline *p = cmsPipelineAlloc(nullptr, 3, 3);
        cmsStage *clut = cmsStageAllocCLut16bit(nullptr, 17, 3, 3, nullptr);
        cmsStageSampleCLut16bit(clut, [](const cmsUInt16Number e[], cmsUInt16Number s[], void *c) -> cmsInt32Number {
            cmsDoTransform(static_cast<cmsHTRANSFORM>(c), e, s, 1);
            return TRUE;
        }, t, 0);
        // Stored as A curves, table, B curves (identity curves around it).
        cmsPipelineInsertStage(p, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
        cmsPipelineInsertStage(p, cmsAT_END, clut);
        cmsPipelineInsertStage(p, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
        cmsDeleteTransform(t);
        return p;
    };
    cmsPipeline *aLab = tabla(srgb, TYPE_RGB_16, lab, TYPE_Lab_16), *aRgb = tabla(lab, TYPE_Lab_16, srgb, TYPE_RGB_16);
    cmsHPROFILE p = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(p, 4.3);
    cmsSetDeviceClass(p, cmsSigOutputClass);
    cmsSetColorSpace(p, cmsSigRgbData);
    cmsSetPCS(p, cmsSigLabData);
    cmsWriteTag(p, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsWriteTag(p, cmsSigAToB0Tag, aLab);
    cmsWriteTag(p, cmsSigBToA0Tag, aRgb);
    cmsPipelineFree(aLab);
    cmsPipelineFree(aRgb);
    cmsCloseProfile(srgb);
    cmsCloseProfile(lab);
    return p;
}

// Little CMS's own conversion of a BGR picture, as the engine is asked to do it.
inline QImage TransformarLCMS(const QImage &bgr, const QString &de, const QString &a, int intento, bool bpc)
{
    cmsHPROFILE pde = cmsOpenProfileFromFile(QFile::encodeName(de).constData(), "r");
    cmsHPROFILE pa = cmsOpenProfileFromFile(QFile::encodeName(a).constData(), "r");
    cmsHTRANSFORM t = cmsCreateTransform(pde, TYPE_BGR_8, pa, TYPE_BGR_8, cmsUInt32Number(intento),
                                         cmsFLAGS_HIGHRESPRECALC | (bpc ? cmsFLAGS_BLACKPOINTCOMPENSATION : 0));
    QImage r(bgr.size(), QImage::Format_BGR888);
    for (int y = 0; y < bgr.height(); ++y) cmsDoTransform(t, bgr.constScanLine(y), r.scanLine(y), cmsUInt32Number(bgr.width()));
    cmsDeleteTransform(t);
    cmsCloseProfile(pde);
    cmsCloseProfile(pa);
    return r;
}

// Largest difference of any channel between two pictures of one size.
inline int Diferencia(const QImage &a, const QImage &b)
{
    if (a.size() != b.size()) return 256;
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    int d = 0;
    for (int j = 0; j < x.height(); ++j)
        for (int i = 0; i < x.width(); ++i) {
            const QRgb p = x.pixel(i, j), q = y.pixel(i, j);
            d = std::max({d, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    return d;
}

} // namespace prueba
