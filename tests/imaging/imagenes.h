#pragma once
// Test images made with FreeImage, and small helpers around the engine state.

#include "platform/progress.h"

#include <FreeImage.h>
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <cstdint>
#include <functional>

namespace prueba {

// A path in the test run's temporary folder.
QString Ruta(const QString &nombre);

// Saves and unloads the bitmap; returns the path ("" on failure).
QString Guardar(FIBITMAP *b, FREE_IMAGE_FORMAT fif, const QString &nombre, int flags = 0);

// A 24-bit bitmap filled by f(x, yDesdeArriba) -> 0x00RRGGBB.
FIBITMAP *Color24(int ancho, int alto, const std::function<uint32_t(int, int)> &f);

// Red, green, blue of picture pixel (x, y from the top) of a loaded buffer.
struct BGR {
    int b, g, r;
    bool operator==(const BGR &o) const { return b == o.b && g == o.g && r == o.r; }
};
BGR Pixel(const std::vector<uint8_t> &px, int32_t alto, int32_t paso, int x, int y);
BGR PixelEscaneo(int x, int y);

// A scan of the given size filled by f(x, yDesdeArriba), set straight into
// the engine state.
void FijarEscaneo(int ancho, int alto, const std::function<BGR(int, int)> &f);

// A minimal ICC profile: header, the given tag table and data after it.
QByteArray PerfilICC(const QByteArray &tablaYDatos);
// A profile whose only tag is 'desc' of type 'desc' with the given bytes.
QByteArray PerfilDesc(const QByteArray &texto, int32_t cuenta = -1);
// A profile whose only tag is 'desc' of type 'mluc' with UTF-16BE text.
QByteArray PerfilMluc(const QString &texto);

void PonerU32(QByteArray &d, int offset, uint32_t v);

QByteArray LeerArchivo(const QString &ruta);
void EscribirArchivo(const QString &ruta, const QByteArray &d);

// Files in the temporary folder whose names start with the prefix.
QStringList Temporales(const QString &prefijo);

// A progress window stand-in that records each report.
class ProgresoGrabado : public Progreso::Destino {
public:
    explicit ProgresoGrabado(bool visible = true) : visible_(visible) { Progreso::Registrar(this); }
    ~ProgresoGrabado() override { Progreso::Quitar(this); }
    bool EstaVisible() const override { return visible_; }
    void PonerMensaje(const QString &t) override { mensaje_ = t; }
    void PonerProgreso(int p) override { informes.append({mensaje_, p}); }
    QList<QPair<QString, int>> informes;

private:
    bool visible_;
    QString mensaje_;
};

} // namespace prueba
