#pragma once
// A printer "device context" for one print job: a QPrinter configured with
// the kept driver settings of that printer (the queue's defaults otherwise),
// the painter that draws on it once the document is started, and the CUPS
// job options the job will carry.
//
// Coordinates are device pixels at the printer's resolution, with the origin
// at the paper's top-left corner (Qt's full page, not its printable area).
// The document is written to a temporary file and handed to CUPS
// as one job only when it is ended: an aborted document, or one whose context
// is destroyed while open, leaves nothing queued and no file behind.

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>

namespace modImpresion {

// The capabilities the print job reads, by the platform's numbers.
enum CapacidadDC { HORZRES = 8, VERTRES = 10, LOGPIXELSX = 88, LOGPIXELSY = 90 };

class DCImpresora {
public:
    ~DCImpresora();
    DCImpresora(const DCImpresora &) = delete;
    DCImpresora &operator=(const DCImpresora &) = delete;

    QPrinter &Printer() { return *printer_; }
    // HORZRES/VERTRES: the sheet in device pixels; LOGPIXELSX/Y:
    // the resolution in pixels per inch; 0 for any other index.
    int GetDeviceCaps(int indice) const;
    // Switches the driver's colour management off for this job (the CUPS
    // option cm-calibration=true).
    void DesactivarICM();
    const QStringList &OpcionesCups() const { return opciones_; }

    // The document's steps; each false is the device refusing that step.
    bool IniciarDocumento(const QString &nombre);
    bool IniciarPagina();
    // Draws the source rectangle of the picture into the target rectangle
    // with lossless image rendering: the picture's pixels reach the page
    // unchanged, the page transform does the scaling.
    bool Dibujar(const QImage &imagen, const QRect &origen, const QRect &destino);
    bool TerminarPagina();
    bool TerminarDocumento(); // sends the document; one not ended is dropped with the context
    // Why the last step failed, when the system or CUPS said so ("" else):
    // the temporary folder full, the queue refusing the job, ...
    const QString &Motivo() const { return motivo_; }

private:
    friend std::unique_ptr<DCImpresora> CrearDCImpresora(const QString &impresora);
    DCImpresora() = default;
    bool Falla(int operacion);
    void Descartar();

    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
    QString cola_; // "" when printing into a file (tests)
    QStringList opciones_;
    QString temporal_;
    QString motivo_;
    int paginas_ = 0;
    int llamadas_[5] = {};
};

// The printer as its settings dialog opens on it and the device context
// starts from it: the kept settings when they are this printer's (any letter
// case), otherwise the queue's own defaults, its default paper included; not
// in full-page mode. Nothing when the printer is not installed or
// cannot be used. *cola receives the queue's name (not for the tests' PDF
// file).
std::unique_ptr<QPrinter> CrearPrinter(const QString &impresora, QString *cola = nullptr);

// The device context for a printer: CrearPrinter's printer in full-page
// mode; nothing when there is none. The name is used as given.
std::unique_ptr<DCImpresora> CrearDCImpresora(const QString &impresora);

// Tests: device contexts of any printer name print into this PDF file
// (QPrinter::PdfFormat, written on success only) instead of a queue; ""
// restores the queues.
void FijarSalidaPDF(const QString &ruta);

// Tests: the vez-th call (from 1) of an operation fails in every device
// context, as a failing device would (Rechazo), or throws as an unforeseen
// failure would (std::runtime_error, or std::bad_alloc as memory running
// out); vez 0 clears it.
enum class OperacionDC { IniciarDocumento, IniciarPagina, Dibujar, TerminarPagina, TerminarDocumento };
enum class FormaFallo { Rechazo, Excepcion, SinMemoria };
void FijarFalloDC(OperacionDC operacion, int vez, FormaFallo forma = FormaFallo::Rechazo);

} // namespace modImpresion
