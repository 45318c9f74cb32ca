#pragma once
// Printing for real in tests: the CUPS queue "PDF" (cups-pdf), which
// scripts/cups.sh sets up, and the print set-up dialog driven from inside its
// modal loop.
//
// This process prints as a CUPS user of its own, so its jobs are told apart
// from those of any other test running at the same time; cups-pdf writes each
// job to the queue's folder with "job_<id>" in its name.

#include <gtest/gtest.h>

#include <QImage>
#include <QList>
#include <QString>

#include <functional>

class frmConfigImpresion;

namespace ColaPDF {

enum class Estado { Lista, SinPermisos, Fallo };
// Runs scripts/cups.sh once per process. SinPermisos: the script cannot run
// here (not root, no sudo); Fallo: it ran and failed. *motivo says why.
Estado Preparar(QString *motivo);

// The ids of this process's jobs so far, finished or not.
QList<int> Trabajos();
// The one job sent since antes, which must be titled titulo: its PDF once
// the queue has written it, or "" (with a test failure); its id in *id.
QString NuevoPDF(const QList<int> &antes, const QString &titulo, int *id = nullptr);
// A job's attribute as text ("" when it has none).
QString Atributo(int id, const char *nombre);
// The pages of a PDF (poppler's pdfinfo) and its pictures in order as RGB32
// (pdfimages).
int Paginas(const QString &pdf);
QList<QImage> Imagenes(const QString &pdf);
// How far, in pixels of page 1 rendered at 100 ppp (pdftoppm), the picture lies from
// anchoCm x altoCm centred on the sheet or at xCm, yCm from the paper's
// corner: the largest distance between corresponding edges.
double Desvio(const QString &pdf, double anchoCm, double altoCm, bool centrado, double xCm, double yCm);

} // namespace ColaPDF

// In a test body: skips the test when the queue cannot be set up here, fails
// it when the set-up failed.
#define REQUIERE_COLA_PDF()                                                                                    \
    do {                                                                                                       \
        QString motivo_;                                                                                       \
        const ColaPDF::Estado estado_ = ColaPDF::Preparar(&motivo_);                                           \
        if (estado_ == ColaPDF::Estado::SinPermisos) GTEST_SKIP() << motivo_.toStdString();                    \
        ASSERT_EQ(estado_, ColaPDF::Estado::Lista) << motivo_.toStdString();                                   \
    } while (0)

// Runs the actions inside the next opening of the print set-up dialog; they
// end by pressing Print or Cancel (a dialog left open is a failure).
void EnConfiguracionImpresion(const std::function<void(frmConfigImpresion &)> &acciones);
// In the set-up: the printer "PDF", the colour mode (2: none), then Print.
void ImprimirEnPDF(frmConfigImpresion &d, int modoColor);
