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
    CajasGuionadas()
    {
        MsgBox::InstalarResponder([this](const MsgBox::Llamada &l) {
            llamadas.append(l);
            if (!respuestas.isEmpty()) return respuestas.takeFirst();
            switch (l.Botones()) { // as if Enter were pressed
            case MsgBox::YesNo:
            case MsgBox::YesNoCancel: return static_cast<int>(l.SegundoPorDefecto() ? MsgBox::No : MsgBox::Yes);
            case MsgBox::OKCancel: return static_cast<int>(l.SegundoPorDefecto() ? MsgBox::Cancel : MsgBox::OK);
            default: return static_cast<int>(MsgBox::OK);
            }
        });
    }
    ~CajasGuionadas() { MsgBox::InstalarResponder({}); }
    void Responder(int respuesta) { respuestas.append(respuesta); }
    QList<MsgBox::Llamada> llamadas;
    QList<int> respuestas;
};

// Answers every file dialog with the next queued path ("" cancels).
class DialogosGuionados {
public:
    DialogosGuionados()
    {
        Dialogos::InstalarResponder([this](const Dialogos::Peticion &p) {
            peticiones.append(p);
            return rutas.isEmpty() ? QString() : rutas.takeFirst();
        });
    }
    ~DialogosGuionados() { Dialogos::InstalarResponder({}); }
    void Responder(const QString &ruta) { rutas.append(ruta); }
    QList<Dialogos::Peticion> peticiones;
    QStringList rutas;
};

// Records shell opens instead of opening anything; `exito` false plays a
// system with no browser or viewer.
class ShellGuionado {
public:
    ShellGuionado()
    {
        Shell::InstalarResponder([this](const QString &d) {
            abiertos.append(d);
            return exito;
        });
    }
    ~ShellGuionado() { Shell::InstalarResponder({}); }
    QStringList abiertos;
    bool exito = true;
};
