#pragma once
// Printing for real in tests: the project's own CUPS queues, which
// scripts/cups.sh sets up (cups-pdf, and a driverless queue for an IPP
// Everywhere printer that keeps the raster it receives), and the print set-up
// dialog driven from inside its modal loop.
//
// This process prints as a CUPS user of its own, so its jobs are told apart
// from those of any other test running at the same time; cups-pdf writes each
// job to the queue's folder with "job_<id>" in its name.

#include "support/raster.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include <functional>

class frmConfigImpresion;

namespace ColaPDF {

// The queues' names. Every test program has kCola as its default printer,
// for its own processes only (see test_main.cpp).
inline constexpr char kCola[] = "halvora-pdf";
inline constexpr char kColaIPP[] = "halvora-ipp";

enum class Estado { Lista, SinPermisos, Fallo };
// Runs scripts/cups.sh once per process (it sets up both queues). SinPermisos: the script cannot run
// here (not root, no sudo); Fallo: it ran and failed. *motivo says why.
Estado Preparar(QString *motivo);

// The ids of this process's jobs on a queue so far, finished or not.
QList<int> Trabajos(const char *cola = kCola);
// The one job sent since antes, which must be titled titulo: its PDF once
// the queue has written it, or "" (with a test failure); its id in *id.
QString NuevoPDF(const QList<int> &antes, const QString &titulo, int *id = nullptr);
// The one job sent to the IPP queue since antes, which must be titled
// titulo: the pages the printer received once the job is done, or none (with
// a test failure).
QList<Raster::Pagina> NuevoRaster(const QList<int> &antes, const QString &titulo);
// A job's attribute as text ("" when it has none).
QString Atributo(int id, const char *nombre);
// The pages of a PDF (poppler's pdfinfo) and its pictures in order as RGB32
// (pdfimages).
int Paginas(const QString &pdf);
// The size of a PDF's first page in points (pdfinfo).
QSizeF Puntos(const QString &pdf);
QList<QImage> Imagenes(const QString &pdf);
// How a landscape page stands on the portrait sheet it is printed on: CUPS
// turns it a quarter clockwise for the IPP Everywhere printer (its top along
// the sheet's right edge) and counter-clockwise for cups-pdf. A page is
// turned back before it is measured.
enum class Giro { Ninguno, Horario, Antihorario };
// How far, in pixels of page 1 rendered at 100 ppp (pdftoppm), the picture lies from
// where it belongs (below): the largest distance between corresponding edges.
double Desvio(const QString &pdf, double anchoCm, double altoCm, bool centrado, double xCm, double yCm,
              Giro giro = Giro::Ninguno);
// The same in device pixels of a page the printer received: anchoCm x
// altoCm centred on the sheet, or at xCm, yCm from the paper's top-left
// corner, where the set-up's preview shows it. The ink's box reads each edge
// to a whole pixel, so a picture within one device pixel of its place reads
// up to kUnPixel away.
inline constexpr double kUnPixel = 1.5;
double Desvio(const Raster::Pagina &hoja, double anchoCm, double altoCm, bool centrado, double xCm, double yCm,
              Giro giro = Giro::Ninguno);

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
// Runs inside the next printer settings dialog (Qt's print dialog): in its
// printer properties, the paper (as the list names it or by its key) and
// the orientation, accepted, then the dialog accepted.
void EnAjustesImpresora(QPageSize::PageSizeId papel, QPageLayout::Orientation orientacion);
// In the set-up: the printer (the cups-pdf queue unless told), the colour
// mode (2: none), then Print.
void ImprimirEnPDF(frmConfigImpresion &d, int modoColor, const char *cola = ColaPDF::kCola);

// In a test body: skips the test when the queues cannot be set up here.
#define REQUIERE_COLA_IPP() REQUIERE_COLA_PDF()
