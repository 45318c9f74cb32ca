#pragma once
// Printing for real in tests: the CUPS queue "PDF" (cups-pdf), which
// scripts/cups.sh sets up, and the print set-up dialog driven from inside its
// modal loop.
//
// This process prints as a CUPS user of its own, so its jobs are told apart
// from those of any other test running at the same time; cups-pdf writes each
// job to the queue's folder with "job_<id>" in its name.

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <functional>

class frmConfigImpresion;

namespace ColaPDF {

enum class Estado { Lista, SinPermisos, Fallo };
// Runs scripts/cups.sh once per process. SinPermisos: the script cannot run
// here (not root, no sudo); Fallo: it ran and failed. *motivo says why.
Estado Preparar(QString *motivo);

struct Trabajo {
    int id = 0;
    QString titulo;
};
// This process's jobs, finished or not, oldest first.
QList<Trabajo> Trabajos();
// The jobs sent since that list was taken.
QList<Trabajo> Nuevos(const QList<Trabajo> &antes);
// Waits (a minute at most) for the job to complete and for its PDF; the
// PDF's path, or "" when either never came.
QString PDF(int id);

// The pictures of a PDF, in order, as RGB32 (poppler's pdfimages).
QList<QImage> Imagenes(const QString &pdf);

// Where the picture belongs on a page of the queue rendered at that size:
// anchoCm x altoCm, centred on the printable area or at xCm, yCm from its
// corner, in the rendered page's pixels.
QRectF EnPagina(const QSize &pagina, double anchoCm, double altoCm, bool centrado, double xCm, double yCm);
// The largest distance between the edges of a box found on the page and the
// expected one, in pixels.
double Desvio(const QRect &caja, const QRectF &esperada);

} // namespace ColaPDF

// Runs the actions inside the next opening of the print set-up dialog; they
// end by pressing Print or Cancel (a dialog left open is a failure).
void EnConfiguracionImpresion(const std::function<void(frmConfigImpresion &)> &acciones);
