#pragma once
// The progress window: a message and a bar, shown during long operations.

#include "platform/progress.h"

#include <QWidget>

class QLabel;
class QProgressBar;

class frmProgresoCarga : public QWidget, public Progreso::Destino {
    Q_OBJECT
public:
    explicit frmProgresoCarga(QWidget *parent = nullptr);
    ~frmProgresoCarga() override;

    void PonerMensaje(const QString &texto) override;
    // Clamped to 0..100.
    void PonerProgreso(int porcentaje) override;
    bool EstaVisible() const override { return isVisible(); }

    QString Mensaje() const;
    int Valor() const;

    // Loads and shows the window with its first message at 0 %.
    static frmProgresoCarga *Mostrar(const QString &mensaje);
    // Unloads it, if loaded.
    static void Descargar();
    static frmProgresoCarga *Instancia();

private:
    QLabel *lblMensaje_;
    QProgressBar *pbBarra_;
};

// Shows the progress window for the life of a long operation, and holds the
// busy guard meanwhile.
class SesionProgreso {
public:
    explicit SesionProgreso(const QString &mensaje);
    ~SesionProgreso();
    SesionProgreso(const SesionProgreso &) = delete;
    SesionProgreso &operator=(const SesionProgreso &) = delete;

private:
    GuardaOcupado ocupado_;
};
