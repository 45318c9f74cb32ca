#pragma once
// The curve editor: the shared tone curve over the sample's histogram, the
// level sliders, the output histogram, the preview of a sample image with the
// curve applied, and curve files. One instance, an MDI child. The scan
// evaluator hands it curves through EditorCurva.
//
// Drawing lives in lienzo.h, panel texts in infoimagen.h, the history texts
// in historial.h, what outlives the window in conservado.h; this class wires
// them to the controls and the engines. Its members are defined in the .cpp
// files named in each section below.

#include "app/ventanas.h"
#include "curves/deshacer.h"
#include "platform/filedialogs.h"
#include "windows/editor/historial.h"
#include "windows/editor/lienzo.h"

#include <QWidget>

#include <cstdint>
#include <optional>

class PictureBox;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTimer;

class frmEditarAplicarCurva : public QWidget, public ConIdioma, public EditorCurva {
    Q_OBJECT
public:
    explicit frmEditarAplicarCurva(QWidget *parent = nullptr);
    ~frmEditarAplicarCurva() override;

    // --- language (frmeditaraplicarcurva.cpp) ---
    void AplicarIdioma() override;

    // --- the curve as a whole (cambioscurva.cpp) ---
    bool TieneCurvaCargada() const override;
    // Makes the n points the master curve and resets everything else of the
    // curve. n outside 2..16 (or missing arrays) changes nothing; values are
    // clamped to 0..255.
    void RecibirCurvaGenerada(const int *xs, const int *ys, int n) override;
    void RefrescarDesdeCurvaCompartida() override;
    void optCatmullRom_Click();
    void optNatural_Click();
    void optRGB_Click();
    void optR_Click();
    void optG_Click();
    void optB_Click();
    void chkNegar_Click();
    void cmdReset_Click();
    void cmdUndo_Click();
    void lstHistorial_Click();
    void AgregarHistorial(const QString &texto);
    void QuitarUltimoHistorial();
    void RefrescarListaHistorial();
    void ActualizarBotonDeshacer();
    bool HayCurvaParaGrabar() const;
    void ActualizarBotonExportar();
    static QString NombreCanal(int16_t canal) { return LienzoCurva::NombreCanal(canal); }

    // --- mouse and render timer (raton.cpp) ---
    void tmrRender_Timer();
    // Mouse on the canvas and the sliders: the render timer runs from a left
    // press until the release. A left press pushes an undo snapshot (of the
    // curve before the press) once it changes the curve, and on the canvas
    // adds a history line then; a press that changes nothing leaves neither.
    void picCurve_MouseDown(Qt::MouseButton boton, int x, int y);
    void picCurve_MouseMove(Qt::MouseButtons botones, int x, int y);
    void picCurve_MouseUp(Qt::MouseButton boton, int x, int y);
    // Deletes the point under the last pointer position; no snapshot when the
    // press that began the double click took one (and that one is dropped
    // when the deletion takes away the point the press inserted).
    void picCurve_DblClick();
    void picSliderIn_MouseDown(Qt::MouseButton boton, int x, int y);
    void picSliderIn_MouseMove(Qt::MouseButtons botones, int x, int y);
    void picSliderIn_MouseUp(Qt::MouseButton boton, int x, int y);
    void picSliderOut_MouseDown(Qt::MouseButton boton, int x, int y);
    void picSliderOut_MouseMove(Qt::MouseButtons botones, int x, int y);
    void picSliderOut_MouseUp(Qt::MouseButton boton, int x, int y);
    void picHist_MouseMove(Qt::MouseButtons botones, int x, int y);
    int32_t PixelACurvaX(int32_t px) const;
    int32_t PixelACurvaY(int32_t py) const;

    // --- drawing, preview and view options (vista.cpp) ---
    // Both sliders and the four level labels for the current channel.
    void RefreshSliders();
    // Canvas and output histogram (no preview).
    void RedibujarCurvaEHistograma();
    void DibujarCurva();
    // picHist for the chosen histogram channel, then the statistics.
    void DibujarHistograma(const LienzoCurva::HistogramasSalida &h);
    void ActualizarEstadisticasHistograma(const LienzoCurva::HistogramasSalida &h);
    void DibujarRampaHistograma();
    void cboHistCanal_Click();
    void optOriginal_Click();
    void optCurvaAplicada_Click();
    void chkInvertirTonos_Click() { AplicarCambioInversion(); }
    void chkInvertirHorizontal_Click() { AplicarCambioInversion(); }
    void RefrescarVistaPrevia();
    void SincronizarOpcionesInversion();
    bool HayInversionActiva() const;
    void AplicarCambioInversion();
    bool EsCurvaIdentidad() const;

    // --- sample image, curve files, progress window (archivos.cpp) ---
    void cmdCargarImagenAProcesar_Click();
    void cmdImportACV_Click();
    void cmdExportACV_Click();
    void ActualizarInfoImagen();
    // Chosen path, or "" when cancelled; the folder of an accepted choice is
    // remembered under clave.
    QString DialogoAbrirArchivo(const QString &titulo, const QList<Dialogos::Filtro> &filtro,
                                const QString &extDef, const QString &clave);
    QString DialogoGuardarArchivo(const QString &titulo, const QList<Dialogos::Filtro> &filtro,
                                  const QString &extDef, const QString &nombreDef, const QString &clave);
    void MostrarProgreso(const QString &mensaje);
    void CerrarProgreso();

    // --- save of the processed image (guardarprocesada.cpp) ---
    void cmdGuardarImagenCurva_Click();
    // --- print of the processed image (imprimirprocesada.cpp) ---
    void cmdImprimirImagenCurva_Click() { ImprimirImagenProcesada(); }
    void ImprimirImagenProcesada();

    // --- state, read-only ---
    bool CurvaRecibida() const { return mCurvaRecibida; }
    bool VerCurvaAplicada() const { return mVerCurvaAplicada; }
    bool PreviewSucio() const;
    // The next render-timer tick redraws the preview (a drag changed the curve).
    void MarcarPreviewSucio();
    int16_t CanalHist() const { return mCanalHist; }
    int16_t CursorHist() const { return mCursorHist; }
    // Handle held on each slider: -1 none, 0 black, 1 white.
    int16_t ArrastreEntrada() const { return mArrastreEntrada; }
    int16_t ArrastreSalida() const { return mArrastreSalida; }
    const HistorialEdicion &Historial() const;
    // The kept copy of the last received or imported master curve.
    int16_t NumPuntosCurva() const;
    int16_t CurvaX(int i) const;
    int16_t CurvaY(int i) const;

    PictureBox *picCurve() const { return picCurve_; }
    PictureBox *picSliderIn() const { return picSliderIn_; }
    PictureBox *picSliderOut() const { return picSliderOut_; }
    PictureBox *picHist() const { return picHist_; }
    PictureBox *picHistRampa() const { return picHistRampa_; }
    PictureBox *picMuestra() const { return picMuestra_; }
    QTimer *tmrRender() const { return tmrRender_; }

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void CrearControles();
    void Form_Load();
    // The channel and interpolation buttons show the engine's choice, set
    // without running their handlers.
    void MostrarEstadoMotor();
    // The history line of the scan evaluator's undo step: added while that
    // step is the newest, taken away when the step went back with No.
    void SincronizarLineaGenerada();
    void ElegirCanal(QRadioButton *boton, int16_t canal);
    void ElegirInterpolacion(QRadioButton *boton, int16_t modo);
    // After the curve state changed: sliders, canvas, histogram, preview and
    // the export button show it.
    void MostrarCurvaCambiada();
    // Slider handlers shared by both sliders: nivelBase 0 for the input
    // levels, 2 for the output levels.
    void SliderMouseDown(PictureBox *pic, int16_t &asa, int16_t nivelBase, Qt::MouseButton boton, int x);
    void SliderMouseMove(PictureBox *pic, int16_t asa, int16_t nivelBase, int x);
    void SliderMouseUp(int16_t &asa);
    // The curve as a press found it, until the press changes it.
    void EmpezarPulsacion(bool conLinea);
    void AnotarCambioPulsacion();

    // Window state; the kept part (kept copy of the curve, dirty mark, history
    // texts, last mouse position) lives beyond the window, in conservado.h.
    bool mCurvaRecibida = false;
    bool mVerCurvaAplicada = true;
    int16_t mArrastreEntrada = -1, mArrastreSalida = -1;
    int16_t mCanalHist = 0;
    int16_t mCursorHist = -1;
    std::optional<modEngine::EstadoCurvas> mAntesPulsacion;
    bool mPulsacionConLinea = false;
    // The last press took its snapshot.
    bool mPulsacionGuardada = false;

    PictureBox *picCurve_ = nullptr, *picSliderIn_ = nullptr, *picSliderOut_ = nullptr;
    PictureBox *picHist_ = nullptr, *picHistRampa_ = nullptr, *picMuestra_ = nullptr;
    QLabel *lblInput_ = nullptr, *lblOutput_ = nullptr;
    QLabel *lblSliderInTitle_ = nullptr, *lblSliderOutTitle_ = nullptr;
    QLabel *lblInMin_ = nullptr, *lblInMax_ = nullptr, *lblOutMin_ = nullptr, *lblOutMax_ = nullptr;
    QGroupBox *fraCanales_ = nullptr;
    QRadioButton *optRGB_ = nullptr, *optR_ = nullptr, *optG_ = nullptr, *optB_ = nullptr;
    QGroupBox *frmTipoCurva_ = nullptr;
    QRadioButton *optNatural_ = nullptr, *optCatmullRom_ = nullptr;
    QCheckBox *chkNegar_ = nullptr;
    QPushButton *cmdImportACV_ = nullptr, *cmdExportACV_ = nullptr, *cmdReset_ = nullptr, *cmdUndo_ = nullptr;
    QListWidget *lstHistorial_ = nullptr;
    QLabel *lblHistorial_ = nullptr;
    QComboBox *cboHistCanal_ = nullptr;
    QLabel *lblHistCanal_ = nullptr;
    QLabel *lblHPromedio_ = nullptr, *lblHDesv_ = nullptr, *lblHMediana_ = nullptr;
    QLabel *lblHPromedioVal_ = nullptr, *lblHDesvVal_ = nullptr, *lblHMedianaVal_ = nullptr;
    QPushButton *cmdCargarImagenAProcesar_ = nullptr;
    QLabel *lblFichImag0_ = nullptr, *lblFichImag_ = nullptr;
    QGroupBox *frmInfoImagen_ = nullptr;
    QLabel *lblPixels_ = nullptr, *lblMedidas_ = nullptr, *lblResolucion_ = nullptr, *lblEspacioColor_ = nullptr;
    QGroupBox *frmVer_ = nullptr;
    QRadioButton *optCurvaAplicada_ = nullptr, *optOriginal_ = nullptr;
    QCheckBox *chkInvertirTonos_ = nullptr, *chkInvertirHorizontal_ = nullptr;
    QPushButton *cmdGuardarImagenCurva_ = nullptr, *cmdImprimirImagenCurva_ = nullptr;
    QTimer *tmrRender_ = nullptr;
    QFrame *Line1_ = nullptr;
};
