#pragma once
// Makes the main window's menu reach the calibration windows.

class MDIForm1;

void RegistrarVentanasCalibracion(MDIForm1 &frame);
