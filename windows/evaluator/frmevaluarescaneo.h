#pragma once
// The scan evaluator: the user loads a scan of the printed grey chart, lines
// the sample grid up on its patches (keys, buttons, mouse), measures them and
// turns the measurements into the master curve, which is exported as ACV or
// handed to the curve editor. The logic lives in rejilla.h, muestreo.h and
// generacion.h; this class is the window around it.

#include "app/ventanas.h"
#include "platform/picturebox.h"
#include "windows/evaluator/generacion.h"
#include "windows/evaluator/muestreo.h"
#include "windows/evaluator/rejilla.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

class frmEvaluarEscaneo : public QWidget, public ConIdioma {
    Q_OBJECT
public:
    explicit frmEvaluarEscaneo(QWidget *parent = nullptr);
    ~frmEvaluarEscaneo() override;

    void AplicarIdioma() override;

    // Event handlers (the buttons call them; tests may too).
    void cmdCargarEscaneo_Click();
    void cmdGenerarCurva_Click();
    void cmdEnviarCurvaEditor_Click();
    void cmdGrabaCurva_Click();
    void chkMostrarAreasAnalizar_Click();
    void MoverRejilla(int tecla);
    void Form_KeyDown(int tecla, bool shift);

    // What the window holds, for the windows and tests that read it.
    bool EscaneoCargado() const { return escaneoCargado_; }
    bool CurvaGenerada() const { return curvaGenerada_; }
    const Evaluador::Rejilla &Rejilla() const { return rejilla_; }
    const Evaluador::Muestras &Muestras() const { return muestras_; }
    const Evaluador::PuntosCurva &Puntos() const { return puntos_; }
    int16_t MetodoMuestreo() const;
    // Where the scan is shown in picCartaGris.
    Evaluador::Vista VistaEscaneo() const;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void RedibujarRejilla();
    void DibujarRejilla();
    void DibujarAreasMuestreo();
    void RedibujarCurva();
    void AjustarMargenes(double dH, double dV);
    void MostrarAyudaRejilla();
    void HabilitarBotonesRejilla(bool si);
    // No results, no curve drawn, nothing to save or send: a new scan's state.
    void LimpiarResultados();

    void picCartaGris_MouseDown(Qt::MouseButton boton, int x, int y);
    void picCartaGris_MouseMove(int x, int y);
    void picCartaGris_MouseUp();

    Evaluador::Rejilla rejilla_;
    Evaluador::Arrastre arrastre_;
    Evaluador::Muestras muestras_;
    Evaluador::PuntosCurva puntos_;
    bool escaneoCargado_ = false;
    bool curvaGenerada_ = false;

    QPushButton *cmdCargarEscaneo_ = nullptr;
    PictureBox *picCartaGris_ = nullptr;
    QLabel *lblCartaTitulo_ = nullptr;
    QCheckBox *chkMostrarAreasAnalizar_ = nullptr;
    QPushButton *cmdIzquierda_ = nullptr, *cmdDerecha_ = nullptr, *cmdArriba_ = nullptr, *cmdAbajo_ = nullptr,
                *cmdReiniciar_ = nullptr, *cmdAgrandar_ = nullptr, *cmdReducir_ = nullptr;
    QLabel *lblRejilla_ = nullptr;
    QRadioButton *optMedia_ = nullptr, *optMediana_ = nullptr, *optPercentiles_ = nullptr;
    QPushButton *cmdGenerarCurva_ = nullptr;
    QListWidget *lstMuestras_ = nullptr;
    QLabel *lblInfoTitulo_ = nullptr;
    QLabel *lblResultado_ = nullptr;
    PictureBox *picCurve_ = nullptr;
    QPushButton *cmdGrabaCurva_ = nullptr, *cmdEnviarCurvaEditor_ = nullptr;
};

namespace Evaluador {
// The curve display: grid, diagonal and (conCurva) the current channel's table.
void DibujarCurva(Superficie &s, bool conCurva = true);
} // namespace Evaluador
