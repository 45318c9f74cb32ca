#pragma once
// Message boxes: one function with the program's text, buttons, icon, default
// button and title. Tests install a responder that records each box and answers.

#include <functional>
#include <QString>

class QWidget;

namespace MsgBox {

// Style bits, combined with '|': buttons, then icon, then default button.
enum Estilo : int {
    OKOnly = 0,
    OKCancel = 1,
    YesNoCancel = 3,
    YesNo = 4,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
    DefaultButton2 = 256,
};

// Answers.
enum Respuesta : int { OK = 1, Cancel = 2, Yes = 6, No = 7 };

struct Llamada {
    QString texto;
    QString titulo; // empty: the box shows the program's name
    int estilo = 0;
    int Botones() const { return estilo & 0x7; }
    int Icono() const { return estilo & 0x70; }
    bool SegundoPorDefecto() const { return (estilo & DefaultButton2) != 0; }
};

using Responder = std::function<int(const Llamada &)>;

// Shows a modal box (or asks the installed responder) and returns the answer.
// While the program ends (Cierre) it answers as Escape would, unseen.
int Mostrar(const QString &texto, int estilo = OKOnly, const QString &titulo = QString(),
            QWidget *owner = nullptr);

// Installs a responder in place of the real boxes; an empty one restores them.
void InstalarResponder(Responder r);

} // namespace MsgBox
