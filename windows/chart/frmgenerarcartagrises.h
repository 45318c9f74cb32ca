#pragma once
// The grey chart generator: the user picks resolution, title, mode, labels
// and outlines; Generate draws the chart into the preview, and from then on
// every option change redraws it. The chart is saved at full size as an image
// file or printed. Nothing is remembered between openings.

#include "app/ventanas.h"
#include "platform/picturebox.h"
#include "windows/chart/dibujo.h"
#include "windows/chart/geometria.h"
#include "windows/chart/guardarcarta.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmGenerarCartaGrises : public QWidget, public ConIdioma {
    Q_OBJECT
public:
    explicit frmGenerarCartaGrises(QWidget *parent = nullptr);
    ~frmGenerarCartaGrises() override;

    void AplicarIdioma() override;

    // Geometry from the resolution box (clamped), and the size label.
    void CalcularGeometria();
    void ActualizarEtiquetaPixeles();
    // The chart scaled into the preview.
    void DibujarCarta();
    // The chart at full size into picBuffer; false (picBuffer empty) when its
    // memory cannot be had.
    bool RenderizarBuffer();
    // Save as an image file, with its dialog and messages.
    void GuardarCarta();
    // Print, with the print set-up and its messages (imprimircarta.cpp).
    void ImprimirCarta();

    bool CartaGenerada() const { return cartaGenerada_; }
    // The resolution box holds an accepted resolution (the geometry's).
    bool ResolucionValida() const;
    const CartaGrises::Geometria &Geometria() const { return geo_; }
    int Resolucion() const { return geo_.Resolucion; }
    int AnchoPx() const { return geo_.AnchoPx; }
    int AltoPx() const { return geo_.AltoPx; }
    // The last full-size render.
    Superficie &picBuffer() { return picBuffer_; }
    PictureBox *picCartaGris() const { return picCartaGris_; }
    // The drawing options as the controls hold them now.
    CartaGrises::Opciones Opciones() const;

    // Event handlers.
    void cmdGenerarCarta_Click();
    void txtResolucion_Change();
    // Option buttons, check boxes and title: redraw once a chart exists.
    void OpcionCambiada();
    void cmdGrabarFichero_Click() { GuardarCarta(); }
    void cmdImprimir_Click() { ImprimirCarta(); }

private:
    // Shows whether the box holds an accepted resolution: a refused entry in
    // the warning colour with the range beside it, no size and no chart.
    void MostrarEstadoResolucion(bool aceptada);
    // False, after saying what the box must hold, when it holds no resolution.
    bool ComprobarResolucion();
    QString DialogoGuardar(const QString &titulo, const CartaGrises::FormatoCarta &formato, const QString &nombre);

    CartaGrises::Geometria geo_;
    bool cartaGenerada_ = false;
    Superficie picBuffer_;

    PictureBox *picCartaGris_ = nullptr;
    QLineEdit *txtResolucion_ = nullptr, *txtTitulo_ = nullptr;
    QCheckBox *chkNumeros_ = nullptr, *chkLineas_ = nullptr;
    QGroupBox *frmPositivoNegativo_ = nullptr;
    QRadioButton *optPositivo_ = nullptr, *optNegativo_ = nullptr;
    QComboBox *cboFormato_ = nullptr;
    QPushButton *cmdGenerarCarta_ = nullptr, *cmdGrabarFichero_ = nullptr, *cmdImprimir_ = nullptr;
    QLabel *lblRango_ = nullptr;
    QLabel *lblPixels_ = nullptr, *lblPPP_ = nullptr, *lblTitulo_ = nullptr, *lblFormato_ = nullptr;
};
