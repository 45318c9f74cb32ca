#pragma once
// The print set-up dialog: printer and copies, colour-management choices,
// paper and display unit, the printed width, the margins, centred or manual
// placement, and a live drawing of the sheet in which the picture can be
// moved and resized by mouse in manual placement. It prints nothing itself.
//
// The dialog lives for one print and starts from its defaults at every
// opening; the caller's Inicializar values, PerfilDocumentoEntrada and
// Imagen are its only input. Callers go through PedirConfiguracionImpresion
// (output/peticionimpresion.h), which shows it and reads the results.
//
// Lengths are centimetres inside; the boxes show the chosen display unit.
// The boxes are the only source of the values: RecogerValores copies them
// into the public members at every refresh and when Print is pressed.

#include "app/ventanas.h"
#include "output/configimpresion.h"
#include "output/vistaimpresion.h"

#include <QDialog>
#include <QImage>
#include <QStringList>
#include <optional>

class PictureBox;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmConfigImpresion : public QDialog, public ConIdioma {
    Q_OBJECT
public:
    explicit frmConfigImpresion(QWidget *parent = nullptr);
    ~frmConfigImpresion() override;

    // Results; Aceptado is true only after Print with a printer named.
    bool Aceptado = false;
    double AnchoCm = 0;
    double MargenArr = 0; // manual placement: the picture's Y from the sheet's top
    double MargenIzq = 0; // manual placement: the picture's X from the sheet's left
    bool Centrado = true;
    double PosX = 0;
    double PosY = 0;
    QString Impresora;
    int Copias = 1;
    int GestionColor = 0; // 0 printer manages, 1 the program converts, 2 none
    QString PerfilImpresora;
    QString RenderingIntent;
    bool CompensacionPuntoNegro = false;
    // Set by the caller before showing.
    QString PerfilDocumentoEntrada;
    QImage Imagen; // null: the preview draws a grey ramp instead

    // The picture's width in cm and its height/width ratio; nothing else.
    void Inicializar(double anchoCm, double relacionAspecto);
    void AplicarIdioma() override;

    // Runs the opening sequence and shows the dialog modally; returns when
    // it is hidden (Print, Cancel or the close box).
    void Mostrar();

    // Tests fix the printer list (names in order, the default name); an
    // empty optional restores the system's.
    struct ListaImpresoras {
        QStringList nombres;
        QString predeterminada;
    };
    static void FijarListaImpresoras(std::optional<ListaImpresoras> lista);

    // The geometry of the last complete preview drawing.
    const VistaImpresion::Geometria &GeometriaVista() const { return vista_; }

    // Handlers, public so the keyboard-free paths can be driven too.
    void cmdOK_Click();
    void cmdCancelar_Click();
    void cmdAjustesImpresora_Click();

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override;

private:
    void CrearControles();
    void ValoresDeDiseno();
    void Form_Load();
    void RecogerValores();

    // Printers, copies, colour choices.
    void CargarImpresoras();
    QString ImpresoraSeleccionada() const;
    void AvisarSinImpresora();
    void CargarOpcionesColor();
    void AplicarIdiomaColor();
    void ActualizarAvisoColor();

    // Paper and units.
    void CambiarUnidad(int unidad);
    void ActualizarEtiquetasUnidad();
    void CargarTamanoPapel();
    ConfigImpresion::Hoja ObtenerTamanoHoja();
    void Papel_Cambio();
    void PapelPersonalizado_LostFocus(QLineEdit *caja);

    // Size, position, margins.
    void ActualizarInfoCarta();
    void CalcularMargenesOpuestos();
    void HabilitarPosicionManual(bool habilitar);
    void optCentrado_Click();
    void optManual_Click();
    void Medida_Cambio(QLineEdit *caja);
    void Medida_LostFocus(QLineEdit *caja);

    // Preview and dragging.
    void DibujarVistaPrevia();
    void picVista_MouseDown(Qt::MouseButton boton, int x, int y);
    void picVista_MouseMove(int x, int y);
    void picVista_MouseUp();
    void AplicarArrastre(const VistaImpresion::Rect &r);

    // Writes a box while the change handlers stand aside.
    void Escribir(QLineEdit *caja, const QString &texto);
    double Cm(const QLineEdit *caja) const;
    QString EnUnidad(double cm) const;

    double mRelacionAspecto = 0;
    double mAnchoInicial = 0;
    QList<ConfigImpresion::Papel> mPapeles;
    double mHojaAncho = 0, mHojaAlto = 0;
    double mFactorUnidad = 0;
    QString mUnidad;
    bool mCargando = false;
    VistaImpresion::Geometria vista_;
    QImage imagenVista_;
    int mModoArrastre = 0;
    int mEsquinaArrastre = 0;
    int mArrastreDX = 0, mArrastreDY = 0;

    QGroupBox *fraImpresora_ = nullptr, *fraGestionColor_ = nullptr, *fraMargen_ = nullptr, *fraPos_ = nullptr,
              *fraPapel_ = nullptr;
    QComboBox *cboImpresora_ = nullptr, *cboGestionColor_ = nullptr, *cboPerfilImpresora_ = nullptr,
              *cboModoImpresion_ = nullptr, *cboRenderingIntent_ = nullptr, *cboUnidades_ = nullptr,
              *cboPapel_ = nullptr;
    QLineEdit *txtCopias_ = nullptr, *txtAncho_ = nullptr, *txtMargenArr_ = nullptr, *txtMargenIzq_ = nullptr,
              *txtMargenAbj_ = nullptr, *txtMargenDer_ = nullptr, *txtPosX_ = nullptr, *txtPosY_ = nullptr,
              *txtPapelAncho_ = nullptr, *txtPapelAlto_ = nullptr;
    QPushButton *cmdAjustesImpresora_ = nullptr, *cmdOK_ = nullptr, *cmdCancelar_ = nullptr;
    QCheckBox *chkCompensacionPuntoNegro_ = nullptr;
    QRadioButton *optCentrado_ = nullptr, *optManual_ = nullptr, *optPortrait_ = nullptr, *optLandscape_ = nullptr;
    QLabel *lblImpresora_ = nullptr, *lblCopias_ = nullptr, *lblPerfilDocumento_ = nullptr,
           *lblPerfilDocumentoVal_ = nullptr, *lblAdministracionColor_ = nullptr, *lblPerfilImpresora_ = nullptr,
           *lblModoImpresion_ = nullptr, *lblRenderingIntent_ = nullptr, *lblAvisoIcon_ = nullptr,
           *lblAvisoColor_ = nullptr, *lblUnidades_ = nullptr, *lblAnchoCarta_ = nullptr, *lblUnidAncho_ = nullptr,
           *lblMargenArr_ = nullptr, *lblMargenAbj_ = nullptr, *lblMargenIzq_ = nullptr, *lblMargenDer_ = nullptr,
           *lblInfoCentrado_ = nullptr, *lblPosX_ = nullptr, *lblPosY_ = nullptr, *lblUnidPos_ = nullptr,
           *lblPapelAncho_ = nullptr, *lblPapelAlto_ = nullptr, *lblPapelUnid_ = nullptr, *lblPapelInfo_ = nullptr,
           *lblInfoCarta_ = nullptr, *lblPreviewTit_ = nullptr;
    PictureBox *picVista_ = nullptr;
};
