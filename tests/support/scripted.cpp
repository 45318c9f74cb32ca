#include "support/scripted.h"

CajasGuionadas::CajasGuionadas()
{
    MsgBox::InstalarResponder([this](const MsgBox::Llamada &l) {
        llamadas.append(l);
        if (!respuestas.isEmpty()) return respuestas.takeFirst();
        // Otherwise the box's default button, as if Enter were pressed.
        switch (l.Botones()) {
        case MsgBox::YesNo:
        case MsgBox::YesNoCancel: return static_cast<int>(l.SegundoPorDefecto() ? MsgBox::No : MsgBox::Yes);
        case MsgBox::OKCancel: return static_cast<int>(l.SegundoPorDefecto() ? MsgBox::Cancel : MsgBox::OK);
        default: return static_cast<int>(MsgBox::OK);
        }
    });
}
CajasGuionadas::~CajasGuionadas() { MsgBox::InstalarResponder({}); }

DialogosGuionados::DialogosGuionados()
{
    Dialogos::InstalarResponder([this](const Dialogos::Peticion &p) {
        peticiones.append(p);
        return rutas.isEmpty() ? QString() : rutas.takeFirst();
    });
}
DialogosGuionados::~DialogosGuionados() { Dialogos::InstalarResponder({}); }

ShellGuionado::ShellGuionado()
{
    Shell::InstalarResponder([this](const QString &d) {
        abiertos.append(d);
        return exito;
    });
}
ShellGuionado::~ShellGuionado() { Shell::InstalarResponder({}); }
