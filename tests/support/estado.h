#pragma once
// The process-wide state of the engines back to how the program starts:
// tests that share one process must not see each other's curve or images.

// Curves uninitialised (the next window load resets them), no scan, no
// sample, no preview, output flags off, the profile copy deleted.
void ReiniciarEstadoProceso();
