#include "windows/registro.h"

#include "app/mdiform1.h"

void RegistrarVentanasCalibracion(MDIForm1 &frame)
{
    // Each calibration window is registered here under its name.
    (void)frame;
}
