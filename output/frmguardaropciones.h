#pragma once
// The save-options dialog: file name, folder, format and the options of that
// format, turned into a save request (path, format identifier, save flags).
// It writes nothing itself. One instance lives hidden for the run, so the
// per-format options keep the user's last values; Init resets the result,
// folder, name and format for each use. Spanish captions only.
//
//   frmGuardarOpciones &d = frmGuardarOpciones::Instancia();
//   d.Init(rutaOrigen, owner);
//   d.ShowDialog();
//   if (d.Aceptado()) save(d.RutaDestino(), d.FifDestino(), d.saveFlag());

#include "output/opcionesguardado.h"

#include <QDialog>
#include <QPointer>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

class frmGuardarOpciones : public QDialog {
    Q_OBJECT
public:
    explicit frmGuardarOpciones(QWidget *parent = nullptr);
    ~frmGuardarOpciones() override;

    // The one instance, loaded on first use.
    static frmGuardarOpciones &Instancia();

    // True after Guardar with a non-empty name (and, when the target exists,
    // the user's consent to replace it); false after Cancelar or the close box.
    bool Aceptado() const { return aceptado_; }
    // Save flags and format identifier, computed when Guardar is pressed.
    int saveFlag() const { return saveFlag_; }
    int FifDestino() const { return fifDestino_; }
    // The folder, a separator and NombreConExtension(), at each read.
    QString RutaDestino() const;

    // Prepares one use: the source image's path ("" when there is none) and
    // the window the dialog belongs to (it is centred over it).
    void Init(const QString &rutaOrigen, QWidget *hWndOwner);
    // Shows the dialog modally; returns when it is hidden.
    void ShowDialog();

    QString CarpetaDestino() const { return carpetaDestino_; }
    QString NombreConExtension() const;
    GuardarOpciones::Formato FormatoSeleccionado() const;
    // The controls' current choices.
    GuardarOpciones::Opciones OpcionesActuales() const;

    // Handlers.
    void cmdExaminar_Click();
    void cmdAceptar_Click();
    void cmdCancelar_Click();

public slots:
    // Escape and every other rejection go through Cancelar.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void CrearControles();
    void SeleccionarFormato(GuardarOpciones::Formato f);
    void Opcion_Click(GuardarOpciones::Formato f);
    void ActualizarControles();

    bool aceptado_ = false;
    int saveFlag_ = 0;
    int fifDestino_ = 0;
    QString carpetaDestino_;
    QPointer<QWidget> hWndOwner_;
    // The path the Save-as dialog already asked about replacing.
    QString rutaConfirmada_;

    QLabel *lblNombre_ = nullptr;
    QLineEdit *txtNombre_ = nullptr;
    QPushButton *cmdExaminar_ = nullptr;
    QButtonGroup *grupo_ = nullptr;
    QRadioButton *optJPEG_ = nullptr, *optPNG_ = nullptr, *optTIFF_ = nullptr, *optWEBP_ = nullptr,
                 *optBMP_ = nullptr;
    QLabel *lblJpegCal_ = nullptr, *lblCalidadVal_ = nullptr;
    QScrollBar *scrCalidad_ = nullptr;
    QCheckBox *chkJpegProgresivo_ = nullptr;
    QLabel *lblPngComp_ = nullptr, *lblPngVal_ = nullptr, *lblPngHint_ = nullptr;
    QScrollBar *scrPngCompr_ = nullptr;
    QLabel *lblTiffCompr_ = nullptr;
    QComboBox *cboTiffCompr_ = nullptr;
    QCheckBox *chkTiffPredictor_ = nullptr, *chkTiffBigEndian_ = nullptr;
    QLabel *lblWebpCal_ = nullptr, *lblWebpVal_ = nullptr;
    QScrollBar *scrWebpCalidad_ = nullptr;
    QCheckBox *chkWebpLossless_ = nullptr;
    QLabel *lblBmpHint_ = nullptr;
    QPushButton *cmdAceptar_ = nullptr, *cmdCancelar_ = nullptr;
};
