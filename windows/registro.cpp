#include "windows/registro.h"

#include "app/mdiform1.h"
#include "windows/chart/frmgenerarcartagrises.h"
#include "windows/editor/frmeditaraplicarcurva.h"
#include "windows/evaluator/frmevaluarescaneo.h"

void RegistrarVentanasCalibracion(MDIForm1 &frame)
{
    // Each calibration window is registered here under its name.
    frame.RegistrarVentana(QStringLiteral("frmGenerarCartaGrises"), [] { return new frmGenerarCartaGrises(); });
    frame.RegistrarVentana(QStringLiteral("frmEvaluarEscaneo"), [] { return new frmEvaluarEscaneo(); });
    frame.RegistrarVentana(QStringLiteral("frmEditarAplicarCurva"), [] { return new frmEditarAplicarCurva(); });
    (void)frame;
}
