// The curve editor's mouse: points dragged, inserted and deleted on the
// canvas, the level handles on the two sliders, the histogram cursor, and the
// render timer that redraws while a button is held. Each press keeps the
// curve as it found it, so its first change takes one undo snapshot.

#include "windows/editor/frmeditaraplicarcurva.h"

#include "curves/curvas.h"
#include "curves/deshacer.h"
#include "imaging/modimage.h"
#include "imaging/preview.h"
#include "platform/numbers.h"
#include "platform/picturebox.h"
#include "windows/editor/conservado.h"
#include "windows/editor/edicion.h"

#include <QLabel>
#include <QTimer>

// --- mouse on the canvas ---

void frmEditarAplicarCurva::picCurve_MouseDown(Qt::MouseButton boton, int x, int y)
{
    using namespace modEngine;
    if (boton != Qt::LeftButton) return;
    tmrRender_->start();
    EmpezarPulsacion(true);
    CurvaMouseDown(PixelACurvaX(x), PixelACurvaY(y));
    AnotarCambioPulsacion();
    // An inserted point changes the curve: the next tick shows it.
    MarcarPreviewSucio();
}

void frmEditarAplicarCurva::picCurve_MouseMove(Qt::MouseButtons, int x, int y)
{
    Conservado &k = Conservado::Instancia();
    k.CurvaXRaton = PixelACurvaX(x);
    k.CurvaYRaton = PixelACurvaY(y);
    if (modEngine::Arrastrando) {
        modEngine::CurvaMouseMove(k.CurvaXRaton, k.CurvaYRaton);
        AnotarCambioPulsacion();
        // The preview follows the drag at the timer's pace.
        MarcarPreviewSucio();
    }
    lblInput_->setText(QStringLiteral("In: ") + QString::number(k.CurvaXRaton));
    lblOutput_->setText(QStringLiteral("Out: ") + QString::number(255 - k.CurvaYRaton));
}

void frmEditarAplicarCurva::picCurve_MouseUp(Qt::MouseButton, int, int)
{
    tmrRender_->stop();
    modEngine::CurvaMouseUp();
    AnotarCambioPulsacion();
    mAntesPulsacion.reset();
    modEngine::RegenerarCurvaActual();
    // The timer may have last drawn before the final move.
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::picCurve_DblClick()
{
    using namespace modEngine;
    const Conservado &k = Conservado::Instancia();
    const EstadoCurvas antes = TomarEstado();
    BorrarPuntoCercano(k.CurvaXRaton, k.CurvaYRaton);
    const EstadoCurvas despues = TomarEstado();
    if (!MismoEstado(antes, despues)) {
        const EstadoCurvas *ultimo = UltimoDeshacer();
        if (!mPulsacionGuardada) {
            // The press that began the double click changed nothing.
            GuardarDeshacer(antes);
            AgregarHistorial(QStringLiteral("Curva ") + NombreCanal(CanalActual));
            ActualizarBotonDeshacer();
        } else if (ultimo && MismoEstado(*ultimo, despues)) {
            // The point its press inserted is gone again: nothing to undo.
            Deshacer();
            QuitarUltimoHistorial();
            ActualizarBotonDeshacer();
        }
        mPulsacionGuardada = false;
    }
    RegenerarCurvaActual();
    RefreshSliders();
    RedibujarCurvaEHistograma();
    ActualizarBotonExportar();
    RefrescarVistaPrevia();
}

// --- mouse on the level sliders ---

void frmEditarAplicarCurva::SliderMouseDown(PictureBox *pic, int16_t &asa, int16_t nivelBase, Qt::MouseButton boton,
                                            int x)
{
    if (boton != Qt::LeftButton) return;
    const int16_t ch = modEngine::CanalActual;
    if (ch < 0 || ch >= modEngine::NumCanales) return;
    const int32_t w = Numeros::CLng(pic->ScaleWidth());
    // A slider without a scale takes no press (and no snapshot).
    if (w < 2) return;
    tmrRender_->start();
    const bool entrada = nivelBase == 0;
    asa = EdicionNiveles::AsaPulsada(x, w, entrada ? modEngine::EntradaNegro[ch] : modEngine::SalidaNegro[ch],
                                     entrada ? modEngine::EntradaBlanco[ch] : modEngine::SalidaBlanco[ch]);
    // No history line and no refresh of the undo button for a slider press.
    EmpezarPulsacion(false);
}

void frmEditarAplicarCurva::SliderMouseMove(PictureBox *pic, int16_t asa, int16_t nivelBase, int x)
{
    if (asa != EdicionNiveles::Negra && asa != EdicionNiveles::Blanca) return;
    const int16_t ch = modEngine::CanalActual;
    if (ch < 0 || ch >= modEngine::NumCanales) return;
    const bool entrada = nivelBase == 0;
    const int32_t v = EdicionNiveles::NivelArrastrado(
        x, Numeros::CLng(pic->ScaleWidth()), asa, entrada ? modEngine::EntradaNegro[ch] : modEngine::SalidaNegro[ch],
        entrada ? modEngine::EntradaBlanco[ch] : modEngine::SalidaBlanco[ch]);
    if (v < 0) return;
    modEngine::FijarNivel(ch, static_cast<int16_t>(nivelBase + asa), static_cast<int16_t>(v));
    AnotarCambioPulsacion();
    modEngine::RegenerarCurvaActual();
    RefreshSliders();
    MarcarPreviewSucio();
}

void frmEditarAplicarCurva::SliderMouseUp(int16_t &asa)
{
    tmrRender_->stop();
    asa = EdicionNiveles::Ninguna;
    mAntesPulsacion.reset();
    // The timer may have last drawn before the final move.
    MostrarCurvaCambiada();
}

void frmEditarAplicarCurva::EmpezarPulsacion(bool conLinea)
{
    mAntesPulsacion = modEngine::TomarEstado();
    mPulsacionConLinea = conLinea;
    mPulsacionGuardada = false;
}

void frmEditarAplicarCurva::AnotarCambioPulsacion()
{
    if (!mAntesPulsacion || modEngine::MismoEstado(*mAntesPulsacion, modEngine::TomarEstado())) return;
    modEngine::GuardarDeshacer(*mAntesPulsacion);
    mAntesPulsacion.reset();
    mPulsacionGuardada = true;
    if (!mPulsacionConLinea) return;
    AgregarHistorial(QStringLiteral("Curva ") + NombreCanal(modEngine::CanalActual));
    ActualizarBotonDeshacer();
}

void frmEditarAplicarCurva::picSliderIn_MouseDown(Qt::MouseButton boton, int x, int)
{
    SliderMouseDown(picSliderIn_, mArrastreEntrada, 0, boton, x);
}

void frmEditarAplicarCurva::picSliderIn_MouseMove(Qt::MouseButtons, int x, int)
{
    SliderMouseMove(picSliderIn_, mArrastreEntrada, 0, x);
}

void frmEditarAplicarCurva::picSliderIn_MouseUp(Qt::MouseButton, int, int) { SliderMouseUp(mArrastreEntrada); }

void frmEditarAplicarCurva::picSliderOut_MouseDown(Qt::MouseButton boton, int x, int)
{
    SliderMouseDown(picSliderOut_, mArrastreSalida, 2, boton, x);
}

void frmEditarAplicarCurva::picSliderOut_MouseMove(Qt::MouseButtons, int x, int)
{
    SliderMouseMove(picSliderOut_, mArrastreSalida, 2, x);
}

void frmEditarAplicarCurva::picSliderOut_MouseUp(Qt::MouseButton, int, int) { SliderMouseUp(mArrastreSalida); }

// --- histogram cursor ---

void frmEditarAplicarCurva::picHist_MouseMove(Qt::MouseButtons, int x, int)
{
    const int32_t w = Numeros::CLng(picHist_->ScaleWidth());
    if (w == 0) return;
    const int32_t pos = CursorHistograma::Posicion(x, w);
    Superficie &s = picHist_->S();
    if (mCursorHist >= 0) CursorHistograma::Invertir(s, mCursorHist);
    CursorHistograma::Invertir(s, pos);
    mCursorHist = static_cast<int16_t>(pos);
    picHist_->Refresh();
}

// --- canvas pixels to curve values ---

int32_t frmEditarAplicarCurva::PixelACurvaX(int32_t px) const
{
    return LienzoCurva::PixelACurvaX(px, Numeros::CLng(picCurve_->ScaleWidth()));
}

int32_t frmEditarAplicarCurva::PixelACurvaY(int32_t py) const
{
    return LienzoCurva::PixelACurvaY(py, Numeros::CLng(picCurve_->ScaleHeight()));
}

// --- render timer ---

void frmEditarAplicarCurva::tmrRender_Timer()
{
    RedibujarCurvaEHistograma();
    Conservado &k = Conservado::Instancia();
    if (modImage::HayMuestra && mVerCurvaAplicada && k.PreviewSucio) {
        modImage::DibujarVistaConCurva(picMuestra_);
        k.PreviewSucio = false;
    }
}
