#pragma once
// A control made as a child of its window and named as the program names
// it, so handlers and tests can find it by that name.

#include "platform/picturebox.h"

#include <QString>
#include <QWidget>

#include <cstdint>

template <class W>
W *Control(QWidget *padre, const char *nombre)
{
    auto *w = new W(padre);
    w->setObjectName(QString::fromLatin1(nombre));
    return w;
}

// A picture box of a fixed size, its surface as large and cleared to fondo.
inline PictureBox *CajaDibujo(QWidget *padre, const char *nombre, int ancho, int alto, uint32_t fondo = 0xFFFFFF)
{
    auto *p = Control<PictureBox>(padre, nombre);
    p->setFixedSize(ancho, alto);
    p->S().BackColor = fondo;
    p->S().Redimensionar(ancho, alto);
    return p;
}
