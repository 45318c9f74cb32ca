#include "windows/registro.h"

#include "app/mdiform1.h"
#include "windows/chart/frmgenerarcartagrises.h"

void RegistrarVentanasCalibracion(MDIForm1 &frame)
{
    // Each calibration window is registered here under its name.
    frame.RegistrarVentana(QStringLiteral("frmGenerarCartaGrises"), [] { return new frmGenerarCartaGrises(); });
    (void)frame;
}
