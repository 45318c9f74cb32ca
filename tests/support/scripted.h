#pragma once
// Scripted answers for message boxes, file dialogs and the shell, for tests
// that drive the real windows. Each records what it was asked.

#include "platform/filedialogs.h"
#include "platform/msgbox.h"
#include "platform/shell.h"

#include <QList>
#include <QString>
#include <QStringList>

// Answers every message box with the next queued answer (the box's default
// button when the queue is empty) and records it.
class CajasGuionadas {
public:
    CajasGuionadas();
    ~CajasGuionadas();
    void Responder(int respuesta) { respuestas.append(respuesta); }
    QList<MsgBox::Llamada> llamadas;
    QList<int> respuestas;
};

// Answers every file dialog with the next queued path ("" cancels).
class DialogosGuionados {
public:
    DialogosGuionados();
    ~DialogosGuionados();
    void Responder(const QString &ruta) { rutas.append(ruta); }
    QList<Dialogos::Peticion> peticiones;
    QStringList rutas;
};

// Records shell opens instead of opening anything; `exito` false plays a
// system with no browser or viewer.
class ShellGuionado {
public:
    ShellGuionado();
    ~ShellGuionado();
    QStringList abiertos;
    bool exito = true;
};
