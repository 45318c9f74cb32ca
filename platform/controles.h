#pragma once
// A control made as a child of its window and named as the program names
// it, so handlers and tests can find it by that name.

#include <QString>
#include <QWidget>

template <class W>
W *Control(QWidget *padre, const char *nombre)
{
    auto *w = new W(padre);
    w->setObjectName(QString::fromLatin1(nombre));
    return w;
}
