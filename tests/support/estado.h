#pragma once
// The process-wide state of the engines back to how the program starts:
// tests that share one process must not see each other's curve, images or
// open dialogs.

// Curves uninitialised (the next window load resets them), no scan, no
// sample, no preview, output flags off, the profile copy deleted, and no
// dialog left shown.
void ReiniciarEstadoProceso();
