#pragma once
// The program's state back to how a fresh start has it. Tests share one
// process; none may see another's windows, curves, images, settings or
// stand-ins. test_main.cpp runs ReiniciarPrograma before and after every
// test, so every fixture starts from it and leaves it.

// Curves as the program starts (every array zero, uninitialised: the next
// window load sets them up), no scan, no sample, no preview, output flags
// off, the profile copy deleted.
void ReiniciarEstadoProceso();

// Everything a fresh start has: no window loaded (the hidden save options,
// the progress window and any window a test left behind are unloaded), the
// engines as above with the editor's kept fields empty, no settings stored
// and Spanish, the session's warnings not yet given, no responders for boxes,
// dialogs, the shell or the driver's settings, and the system's printers,
// colour folder, colour library, program folder, memory figure and pixel
// loops; the scripted actions still waiting for a dialog are dropped.
void ReiniciarPrograma();

// Some of a fresh start no reset gives back: the undo steps are numbered
// from 1 in a new program, and never again. A test about that runs as the
// first test of a program of its own:
//   if (EnProgramaNuevo()) return;
// True in this program once the test ran there (its failures there are this
// test's); false where the test is to go on: in that program, or here when
// no other test ran before it.
bool EnProgramaNuevo();
// Counts the tests begun in this program (test_main.cpp).
void PruebaEmpezada();

class QObject;
// What the scripted actions of one test (timers waiting for a dialog) hang
// on: ReiniciarPrograma deletes it, so none of them reaches the next test.
QObject *GuionDeLaPrueba();
