// The curve editor's changes to the whole curve: the curve handed over by
// the scan evaluator, the interpolation and channel buttons, negation, reset,
// undo and the jump back through the history, and the buttons that follow
// them. The kept copy of the master curve lives in conservado.h.

#include "windows/editor/frmeditaraplicarcurva.h"

#include "curves/curvas.h"
#include "curves/deshacer.h"
#include "curves/traspaso.h"
#include "imaging/preview.h"
#include "windows/editor/conservado.h"
#include "windows/editor/edicion.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>

// --- public members ---

bool frmEditarAplicarCurva::TieneCurvaCargada() const
{
    // A generated curve's own line is no curve of the editor's.
    const Conservado &k = Conservado::Instancia();
    const bool conLineaGenerada = k.PasoConLinea && k.PasoConLinea == modEngine::PasoGenerado();
    return k.Historial.Num() - (conLineaGenerada ? 1 : 0) >= 1 || mCurvaRecibida;
}

void frmEditarAplicarCurva::RecibirCurvaGenerada(const int *xs, const int *ys, int n)
{
    using namespace modEngine;
    if (n < 2 || n > MaxPuntos || !xs || !ys) return;

    GuardarDeshacer();
    AgregarHistorial(QStringLiteral("Curva recibida"));
    ActualizarBotonDeshacer();

    PuntosYNivelesIniciales();
    Conservado &k = Conservado::Instancia();
    k.RecibirCurva(xs, ys, n);
    k.PonerCurvaEnMaestra();

    CanalActual = 0;
    MostrarEstadoMotor();
    mCurvaRecibida = true;

    ComponerLUTs();
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::RefrescarDesdeCurvaCompartida()
{
    // The scan evaluator makes the master channel current (and puts back the
    // channel it found when its curve is kept out): the buttons show it.
    MostrarEstadoMotor();
    SincronizarLineaGenerada();
    ActualizarBotonDeshacer();
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::SincronizarLineaGenerada()
{
    // The undo step a run of generations took has a line of its own, so each
    // Undo takes away the line of the step it undoes.
    Conservado &k = Conservado::Instancia();
    const int32_t paso = modEngine::PasoGenerado();
    if (paso && paso != k.PasoConLinea) {
        k.PasoConLinea = paso;
        // Spanish in both languages, as every other history line.
        AgregarHistorial(QStringLiteral("Curva generada"));
    } else if (!paso && k.PasoConLinea && k.PasoConLinea == modEngine::PasoDevuelto()) {
        // The step went back with the curve the generations replaced.
        k.PasoConLinea = 0;
        QuitarUltimoHistorial();
    }
}

void frmEditarAplicarCurva::MostrarCurvaCambiada()
{
    RefreshSliders();
    RedibujarCurvaEHistograma();
    Conservado::Instancia().PreviewSucio = true;
    ActualizarBotonExportar();
    RefrescarVistaPrevia();
}

// --- interpolation ---

void frmEditarAplicarCurva::ElegirInterpolacion(QRadioButton *boton, int16_t modo)
{
    if (!boton->isChecked()) return;
    modEngine::ModoInterpolacion = modo;
    modEngine::RegenerarCurvaActual();
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::optCatmullRom_Click() { ElegirInterpolacion(optCatmullRom_, 0); }
void frmEditarAplicarCurva::optNatural_Click() { ElegirInterpolacion(optNatural_, 1); }

// --- channels, negation, reset, undo ---

void frmEditarAplicarCurva::MostrarEstadoMotor()
{
    const QSignalBlocker b1(optRGB_), b2(optR_), b3(optG_), b4(optB_), b5(optNatural_), b6(optCatmullRom_);
    switch (modEngine::CanalActual) {
    case 1: optR_->setChecked(true); break;
    case 2: optG_->setChecked(true); break;
    case 3: optB_->setChecked(true); break;
    default: optRGB_->setChecked(true); break;
    }
    if (modEngine::ModoInterpolacion == 1) optNatural_->setChecked(true);
    else optCatmullRom_->setChecked(true);
}

void frmEditarAplicarCurva::ElegirCanal(QRadioButton *boton, int16_t canal)
{
    if (!boton->isChecked()) return;
    modEngine::CanalActual = canal;
    modEngine::RegenerarCurvaActual();
    RefreshSliders();
    RedibujarCurvaEHistograma();
}

void frmEditarAplicarCurva::optRGB_Click() { ElegirCanal(optRGB_, 0); }
void frmEditarAplicarCurva::optR_Click() { ElegirCanal(optR_, 1); }
void frmEditarAplicarCurva::optG_Click() { ElegirCanal(optG_, 2); }
void frmEditarAplicarCurva::optB_Click() { ElegirCanal(optB_, 3); }

void frmEditarAplicarCurva::chkNegar_Click()
{
    using namespace modEngine;
    Conservado &k = Conservado::Instancia();
    const int16_t ch = CanalActual;
    if (ch < 0 || ch >= NumCanales) return;
    if (mCurvaRecibida ? k.NumPuntosCurva < 2 : NumPuntos[ch] < 2) return;

    const bool negada = chkNegar_->checkState() == Qt::Checked;
    GuardarDeshacer();
    AgregarHistorial(negada ? QStringLiteral("Negar curva") : QStringLiteral("Restaurar curva"));
    ActualizarBotonDeshacer();

    if (mCurvaRecibida) {
        // The master curve becomes the kept copy, mirrored; edits to the
        // master since it came are replaced (the snapshot holds them).
        k.NegarCurva();
        CanalActual = 0;
        MostrarEstadoMotor();
        k.PonerCurvaEnMaestra();
    } else {
        const int n = std::min<int>(NumPuntos[ch], MaxPuntos);
        for (int i = 0; i < n; ++i) PuntoY[ch][i] = static_cast<int16_t>(255 - PuntoY[ch][i]);
    }

    RegenerarCurvaActual();
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::cmdReset_Click()
{
    using namespace modEngine;
    ReiniciarCurvas();
    // The counter went back to 0 and could match what the preview shows.
    modImage::InvalidarCachePreview();
    for (int16_t ch = 0; ch < NumCanales; ++ch) {
        FijarNivel(ch, 0, 0);
        FijarNivel(ch, 1, 255);
        FijarNivel(ch, 2, 0);
        FijarNivel(ch, 3, 255);
    }
    Conservado::Instancia().Historial.Vaciar();
    lstHistorial_->clear();
    // The channel and curve type buttons show what the engine now holds.
    MostrarEstadoMotor();

    mCurvaRecibida = false;
    RegenerarCurvaActual();
    ActualizarBotonDeshacer();
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::cmdUndo_Click()
{
    if (modEngine::NumeroDeshacer() == 0) return;
    modEngine::Deshacer();
    QuitarUltimoHistorial();
    modEngine::RegenerarCurvaActual();
    ActualizarBotonDeshacer();
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::lstHistorial_Click()
{
    Conservado &k = Conservado::Instancia();
    if (k.SinEventoHistorial) return;
    // With lines after the clicked one but an empty ring, nothing is undone
    // and the list still shows where the history stands.
    const int32_t pasos = SaltoHistorial::Pasos(lstHistorial_->currentRow(), k.Historial.Num(),
                                                modEngine::NumeroDeshacer());
    if (pasos < 0) return;
    for (int32_t i = 0; i < pasos; ++i) modEngine::Deshacer();
    k.Historial.Recortar(k.Historial.Num() - pasos);

    modEngine::RegenerarCurvaActual();
    ActualizarBotonDeshacer();
    RefrescarListaHistorial();
    MostrarCurvaCambiada();
}

// --- history, undo and export buttons ---

const HistorialEdicion &frmEditarAplicarCurva::Historial() const
{
    return Conservado::Instancia().Historial;
}

void frmEditarAplicarCurva::AgregarHistorial(const QString &texto)
{
    Conservado::Instancia().Historial.Agregar(texto);
    RefrescarListaHistorial();
}

void frmEditarAplicarCurva::QuitarUltimoHistorial()
{
    Conservado::Instancia().Historial.QuitarUltimo();
    RefrescarListaHistorial();
}

void frmEditarAplicarCurva::RefrescarListaHistorial()
{
    // The list's own selection changes while it is refilled are not clicks.
    Conservado &k = Conservado::Instancia();
    k.SinEventoHistorial = true;
    lstHistorial_->clear();
    lstHistorial_->addItems(k.Historial.Lineas());
    if (lstHistorial_->count() >= 1) lstHistorial_->setCurrentRow(lstHistorial_->count() - 1);
    k.SinEventoHistorial = false;
}

void frmEditarAplicarCurva::ActualizarBotonDeshacer()
{
    // Spanish in both languages, as the count is only ever shown here.
    const int n = modEngine::NumeroDeshacer();
    if (n < 1) {
        cmdUndo_->setText(QStringLiteral("Deshacer (0)"));
        cmdUndo_->setEnabled(false);
    } else {
        cmdUndo_->setText(QStringLiteral("Deshacer (") + QString::number(n) + QStringLiteral(")"));
        cmdUndo_->setEnabled(true);
    }
}

bool frmEditarAplicarCurva::HayCurvaParaGrabar() const
{
    if (EsCurvaIdentidad()) return false;
    for (int ch = 0; ch < modEngine::NumCanales; ++ch)
        if (modEngine::NumPuntos[ch] >= 2) return true;
    return false;
}

void frmEditarAplicarCurva::ActualizarBotonExportar() { cmdExportACV_->setEnabled(HayCurvaParaGrabar()); }

// --- the kept copy of the master curve ---

int16_t frmEditarAplicarCurva::NumPuntosCurva() const { return Conservado::Instancia().NumPuntosCurva; }

int16_t frmEditarAplicarCurva::CurvaX(int i) const
{
    return i >= 0 && i < modEngine::MaxPuntos ? Conservado::Instancia().CurvaX[i] : 0;
}

int16_t frmEditarAplicarCurva::CurvaY(int i) const
{
    return i >= 0 && i < modEngine::MaxPuntos ? Conservado::Instancia().CurvaY[i] : 0;
}
