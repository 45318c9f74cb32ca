#include "windows/editor/historial.h"

void HistorialEdicion::Agregar(const QString &texto)
{
    if (num_ >= Max) {
        for (int i = 1; i < Max; ++i) textos_[i - 1] = textos_[i];
        num_ = Max - 1;
    }
    textos_[num_] = texto;
    ++num_;
}

void HistorialEdicion::QuitarUltimo()
{
    if (num_ > 0) --num_;
}

void HistorialEdicion::Recortar(int n)
{
    if (n < 0) n = 0;
    if (n < num_) num_ = n;
}

QString HistorialEdicion::Linea(int numero, const QString &texto)
{
    return QString::number(numero) + QStringLiteral(".  ") + texto;
}

QStringList HistorialEdicion::Lineas() const
{
    QStringList l;
    for (int i = 0; i < num_; ++i) l << Linea(i + 1, textos_[i]);
    return l;
}

namespace RutasCurva {

bool EsAMP(const QString &ruta) { return ruta.right(4).toLower() == QStringLiteral(".amp"); }

QString ConExtensionACV(const QString &ruta)
{
    if (ruta.right(4).toLower() != QStringLiteral(".acv")) return ruta + QStringLiteral(".acv");
    return ruta;
}

} // namespace RutasCurva
