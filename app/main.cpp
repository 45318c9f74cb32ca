// ZOLV Halvora: tone-curve calibration for photographic printing processes.

#include "app/mdiform1.h"
#include "app/senales.h"
#include "windows/registro.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZOLV Halvora"));
    MDIForm1 frame;
    RegistrarVentanasCalibracion(frame);
    Senales::Instalar(&frame, [&frame] { frame.TerminarPorSenal(); });
    frame.show();
    return app.exec();
}
