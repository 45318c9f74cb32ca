// The curve editor's drawing: the curve canvas, the level sliders with their
// end values, the output histogram with its statistics and ramp, and the
// preview of the sample with the view options (applied curve or original,
// tones inverted, flipped), which also decide whether there is output to
// save or print.

#include "windows/editor/frmeditaraplicarcurva.h"

#include "curves/curvas.h"
#include "imaging/histograma.h"
#include "imaging/modimage.h"
#include "imaging/preview.h"
#include "platform/picturebox.h"
#include "windows/editor/conservado.h"
#include "windows/editor/infoimagen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

// --- canvas, sliders and output histogram ---

void frmEditarAplicarCurva::RefreshSliders()
{
    const int c = modEngine::CanalActual;
    if (c < 0 || c >= modEngine::NumCanales) return;
    LienzoCurva::DibujarSlider(picSliderIn_->S(), modEngine::EntradaNegro[c], modEngine::EntradaBlanco[c]);
    picSliderIn_->Refresh();
    LienzoCurva::DibujarSlider(picSliderOut_->S(), modEngine::SalidaNegro[c], modEngine::SalidaBlanco[c]);
    picSliderOut_->Refresh();
    lblInMin_->setText(QString::number(modEngine::EntradaNegro[c]));
    lblInMax_->setText(QString::number(modEngine::EntradaBlanco[c]));
    lblOutMin_->setText(QString::number(modEngine::SalidaNegro[c]));
    lblOutMax_->setText(QString::number(modEngine::SalidaBlanco[c]));
}

void frmEditarAplicarCurva::DibujarCurva()
{
    LienzoCurva::DibujarCurva(picCurve_->S(), modImage::HayMuestra ? modImage::HistMuestra[4] : nullptr);
    picCurve_->Refresh();
}

void frmEditarAplicarCurva::RedibujarCurvaEHistograma()
{
    DibujarCurva();
    DibujarHistograma(LienzoCurva::CalcularHistogramasSalida(modImage::HayMuestra ? modImage::HistMuestra : nullptr));
}

void frmEditarAplicarCurva::DibujarHistograma(const LienzoCurva::HistogramasSalida &h)
{
    using modHistograma::Histograma;
    switch (mCanalHist) {
    case 0: modHistograma::DibujarHistograma(picHist_, Histograma(h.luma), 0xC0C0C0); break;
    case 1: modHistograma::DibujarHistograma(picHist_, Histograma(h.rojo), 0x0000FF); break;
    case 2: modHistograma::DibujarHistograma(picHist_, Histograma(h.verde), 0x00FF00); break;
    case 3: modHistograma::DibujarHistograma(picHist_, Histograma(h.azul), 0xFF0000); break;
    case 4: modHistograma::DibujarHistograma(picHist_, Histograma(h.luma), 0xFFFFFF); break;
    case 5:
        modHistograma::DibujarHistogramaRGB(picHist_, Histograma(h.rojo), Histograma(h.verde), Histograma(h.azul));
        break;
    default: break;
    }
    ActualizarEstadisticasHistograma(h);
    mCursorHist = -1;
}

void frmEditarAplicarCurva::ActualizarEstadisticasHistograma(const LienzoCurva::HistogramasSalida &h)
{
    // Empty counts leave the figures shown as they were.
    const auto e =
        LienzoCurva::EstadisticasSalida(mCanalHist, h, modImage::HayMuestra ? modImage::HistMuestra : nullptr);
    if (!e) return;
    lblHPromedioVal_->setText(InfoImagen::FormatoFijo(e->media, 2));
    lblHDesvVal_->setText(InfoImagen::FormatoFijo(e->desviacion, 2));
    lblHMedianaVal_->setText(QString::number(e->mediana));
}

void frmEditarAplicarCurva::DibujarRampaHistograma()
{
    LienzoCurva::DibujarRampa(picHistRampa_->S());
    picHistRampa_->Refresh();
}

void frmEditarAplicarCurva::cboHistCanal_Click() { mCanalHist = static_cast<int16_t>(cboHistCanal_->currentIndex()); }

// --- preview and view options ---

void frmEditarAplicarCurva::optOriginal_Click()
{
    if (!optOriginal_->isChecked()) return;
    mVerCurvaAplicada = false;
    if (modImage::HayMuestra) RefrescarVistaPrevia();
}

void frmEditarAplicarCurva::optCurvaAplicada_Click()
{
    if (!optCurvaAplicada_->isChecked()) return;
    mVerCurvaAplicada = true;
    if (modImage::HayMuestra) {
        Conservado::Instancia().PreviewSucio = true;
        RefrescarVistaPrevia();
    }
}

void frmEditarAplicarCurva::SincronizarOpcionesInversion()
{
    modImage::InvertirTonos = chkInvertirTonos_->checkState() != Qt::Unchecked;
    modImage::InvertirHorizontal = chkInvertirHorizontal_->checkState() != Qt::Unchecked;
}

bool frmEditarAplicarCurva::HayInversionActiva() const
{
    return chkInvertirTonos_->checkState() != Qt::Unchecked || chkInvertirHorizontal_->checkState() != Qt::Unchecked;
}

void frmEditarAplicarCurva::AplicarCambioInversion()
{
    SincronizarOpcionesInversion();
    Conservado::Instancia().PreviewSucio = true;
    RefrescarVistaPrevia();
}

void frmEditarAplicarCurva::RefrescarVistaPrevia()
{
    SincronizarOpcionesInversion();
    if (!modImage::HayMuestra) return;
    if (mVerCurvaAplicada) modImage::DibujarVistaConCurva(picMuestra_);
    else modImage::DibujarVistaOriginal(picMuestra_);
    const bool habilitar = (!EsCurvaIdentidad() || HayInversionActiva()) && mVerCurvaAplicada;
    cmdGuardarImagenCurva_->setEnabled(habilitar);
    cmdImprimirImagenCurva_->setEnabled(habilitar);
}

bool frmEditarAplicarCurva::EsCurvaIdentidad() const { return LienzoCurva::EsCurvaIdentidad(); }

bool frmEditarAplicarCurva::PreviewSucio() const { return Conservado::Instancia().PreviewSucio; }

void frmEditarAplicarCurva::MarcarPreviewSucio() { Conservado::Instancia().PreviewSucio = true; }
