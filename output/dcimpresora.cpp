#include "output/dcimpresora.h"

#include "output/ajustesimpresora.h"
#include "output/cups.h"
#include "platform/files.h"

#include <QFile>
#include <QPrintEngine>
#include <QPrinterInfo>

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <stdexcept>
#include <unistd.h>

namespace modImpresion {

namespace {

QString g_salidaPDF;
OperacionDC g_falloOperacion = OperacionDC::IniciarDocumento;
int g_falloVez = 0;
FormaFallo g_falloForma = FormaFallo::Rechazo;

// The installed printer of that name, compared without case as CUPS does.
QPrinterInfo BuscarImpresora(const QString &nombre)
{
    QPrinterInfo info = QPrinterInfo::printerInfo(nombre);
    if (!info.isNull()) return info;
    for (const QString &n : QPrinterInfo::availablePrinterNames())
        if (n.compare(nombre, Qt::CaseInsensitive) == 0) return QPrinterInfo::printerInfo(n);
    return QPrinterInfo();
}

// A finished document ends with the PDF trailer; anything shorter was cut.
bool DocumentoCompleto(const QString &ruta)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 16) return false;
    f.seek(f.size() - 16);
    return f.read(16).contains("%%EOF");
}

// Why a document came out cut short: Qt's writer does not say, so the file
// system is asked for room beyond its end ("" when it gives it).
QString MotivoEscritura(const QString &ruta)
{
    const int fd = ::open(QFile::encodeName(ruta).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return Archivos::MotivoSistema(errno);
    const off_t fin = ::lseek(fd, 0, SEEK_END);
    const int e = fin < 0 ? errno : ::posix_fallocate(fd, fin, 1 << 16);
    ::close(fd);
    return e ? Archivos::MotivoSistema(e) : QString();
}

// The options Qt itself gives CUPS for a QPrinter's layout and duplex
// (copies are pages of their own here, never a CUPS option).
QStringList OpcionesDeTrabajo(const QPrinter &p, const QStringList &deLaCola)
{
    QStringList o{QStringLiteral("media"), p.pageLayout().pageSize().key()};
    const bool apaisado = p.pageLayout().orientation() == QPageLayout::Landscape;
    switch (p.duplex()) {
    case QPrinter::DuplexNone: o << QStringLiteral("sides") << QStringLiteral("one-sided"); break;
    case QPrinter::DuplexAuto:
        o << QStringLiteral("sides") << (apaisado ? QStringLiteral("two-sided-short-edge") : QStringLiteral("two-sided-long-edge"));
        break;
    case QPrinter::DuplexLongSide: o << QStringLiteral("sides") << QStringLiteral("two-sided-long-edge"); break;
    case QPrinter::DuplexShortSide: o << QStringLiteral("sides") << QStringLiteral("two-sided-short-edge"); break;
    }
    // An empty value would reach the job as landscape=false.
    if (apaisado) o << QStringLiteral("landscape") << QStringLiteral("true");
    return o + deLaCola;
}

} // namespace

void FijarSalidaPDF(const QString &ruta) { g_salidaPDF = ruta; }

void FijarFalloDC(OperacionDC operacion, int vez, FormaFallo forma)
{
    g_falloOperacion = operacion;
    g_falloVez = vez;
    g_falloForma = forma;
}

std::unique_ptr<QPrinter> CrearPrinter(const QString &impresora, QString *cola)
{
    if (impresora.trimmed().isEmpty()) return nullptr;
    std::unique_ptr<QPrinter> p;
    if (!g_salidaPDF.isEmpty()) {
        p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
    } else {
        const QPrinterInfo info = BuscarImpresora(impresora);
        if (info.isNull()) return nullptr;
        p = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        if (!p->isValid() || p->outputFormat() != QPrinter::NativeFormat) return nullptr;
        // Qt starts every printer on its own default paper (A4), not the queue's.
        if (info.defaultPageSize().isValid()) p->setPageSize(info.defaultPageSize());
        if (cola) *cola = info.printerName();
    }
    if (AjustesGuardadosDe(impresora)) AplicarAjustes(DevModeGuardado.ajustes, *p);
    return p;
}

std::unique_ptr<DCImpresora> CrearDCImpresora(const QString &impresora)
{
    std::unique_ptr<DCImpresora> dc(new DCImpresora);
    dc->printer_ = CrearPrinter(impresora, &dc->cola_);
    if (!dc->printer_) return nullptr;
    // Positions are measured from the paper's edge, as the set-up's preview
    // shows them; the device clips what falls in its unprintable margin.
    // Only here: the settings dialog given a full-page printer drops any
    // paper whose printable area is smaller than the sheet.
    dc->printer_->setFullPage(true);
    dc->opciones_ = LeerAjustes(*dc->printer_).opcionesCups;
    return dc;
}

DCImpresora::~DCImpresora() { Descartar(); }

int DCImpresora::GetDeviceCaps(int indice) const
{
    switch (indice) {
    case HORZRES: return printer_->width();
    case VERTRES: return printer_->height();
    case LOGPIXELSX: return printer_->logicalDpiX();
    case LOGPIXELSY: return printer_->logicalDpiY();
    default: return 0;
    }
}

void DCImpresora::DesactivarICM()
{
    // Name, value pairs: only a name counts.
    for (qsizetype i = 0; i + 1 < opciones_.size(); i += 2)
        if (opciones_[i] == QLatin1String("cm-calibration")) {
            opciones_[i + 1] = QStringLiteral("true");
            return;
        }
    opciones_ << QStringLiteral("cm-calibration") << QStringLiteral("true");
}

bool DCImpresora::Falla(int operacion)
{
    ++llamadas_[operacion];
    const bool falla = g_falloVez > 0 && int(g_falloOperacion) == operacion && llamadas_[operacion] == g_falloVez;
    if (falla && g_falloForma == FormaFallo::Excepcion) throw std::runtime_error("fallo simulado del dispositivo");
    if (falla && g_falloForma == FormaFallo::SinMemoria) throw std::bad_alloc();
    return falla;
}

bool DCImpresora::IniciarDocumento(const QString &nombre)
{
    if (Falla(int(OperacionDC::IniciarDocumento)) || painter_.isActive()) return false;
    // Into a temporary file either way: a PDF for the file output, otherwise
    // not ".pdf" (that name would turn the queue's printer into a plain PDF
    // writer).
    motivo_.clear();
    temporal_ = Archivos::CrearTemporal(QStringLiteral("zolv_impresion_"),
                                        cola_.isEmpty() ? QStringLiteral(".pdf") : QStringLiteral(".prn"));
    const QString salida = temporal_;
    if (salida.isEmpty()) {
        motivo_ = QStringLiteral("No se pudo crear un fichero temporal en ") + Archivos::CarpetaTemporal();
        Descartar();
        return false;
    }
    printer_->setDocName(nombre);
    printer_->setOutputFileName(salida);
    if (!painter_.begin(printer_.get())) {
        Descartar();
        return false;
    }
    // Pictures go into the document as they are (never JPEG); the smooth
    // hint asks the device to interpolate when it scales them up.
    painter_.setRenderHint(QPainter::LosslessImageRendering);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform);
    paginas_ = 0;
    return true;
}

bool DCImpresora::IniciarPagina()
{
    if (Falla(int(OperacionDC::IniciarPagina)) || !painter_.isActive()) return false;
    // Qt opens the first page with the document.
    if (paginas_ > 0 && !printer_->newPage()) return false;
    ++paginas_;
    return true;
}

bool DCImpresora::Dibujar(const QImage &imagen, const QRect &origen, const QRect &destino)
{
    if (Falla(int(OperacionDC::Dibujar)) || !painter_.isActive() || imagen.isNull()) return false;
    painter_.drawImage(QRectF(destino), imagen, QRectF(origen));
    return painter_.isActive() && printer_->printerState() != QPrinter::Error;
}

bool DCImpresora::TerminarPagina()
{
    if (Falla(int(OperacionDC::TerminarPagina)) || !painter_.isActive()) return false;
    return printer_->printerState() != QPrinter::Error;
}

bool DCImpresora::TerminarDocumento()
{
    if (Falla(int(OperacionDC::TerminarDocumento)) || !painter_.isActive()) return false;
    bool ok = painter_.end() && DocumentoCompleto(temporal_);
    if (!ok)
        motivo_ = MotivoEscritura(temporal_);
    else if (cola_.isEmpty()) {
        QFile f(temporal_);
        ok = f.open(QIODevice::ReadOnly) && Archivos::EscribirAtomico(g_salidaPDF, f.readAll(), &motivo_);
    } else {
        ok = ColaCUPS::Enviar(cola_, temporal_, printer_->docName(), OpcionesDeTrabajo(*printer_, opciones_)) > 0;
        if (!ok) motivo_ = ColaCUPS::UltimoMotivo();
    }
    Descartar();
    return ok;
}

void DCImpresora::Descartar()
{
    if (painter_.isActive()) painter_.end(); // into the temporary file, which goes next
    if (!temporal_.isEmpty()) Archivos::Borrar(temporal_);
    temporal_.clear();
}

} // namespace modImpresion
