#pragma once
// The curve editor's own record of its past: at most 20 texts, oldest first,
// shown numbered in the history list. Separate from the undo ring, which
// holds at most 10 snapshots: the two need not match.

#include <QString>
#include <QStringList>

#include <cstdint>

class HistorialEdicion {
public:
    static constexpr int Max = 20;

    // Appends a text; beyond 20 the oldest is dropped.
    void Agregar(const QString &texto);
    // Drops the last text, if any.
    void QuitarUltimo();
    void Vaciar() { num_ = 0; }
    // Keeps only the first n texts (n clamped to 0..Num).
    void Recortar(int n);

    int Num() const { return num_; }
    const QString &Texto(int i) const { return textos_[i]; }
    // The list's lines: "1.  Curva recibida", ...
    QStringList Lineas() const;
    static QString Linea(int numero, const QString &texto);

private:
    // Texts beyond num_ are kept, as the list's storage is.
    QString textos_[Max];
    int num_ = 0;
};

namespace RutasCurva {

// A file read as AMP: the last four characters, lower-cased, are ".amp".
bool EsAMP(const QString &ruta);
// The export name: ".acv" appended unless the name already ends with it
// (any case).
QString ConExtensionACV(const QString &ruta);

} // namespace RutasCurva
