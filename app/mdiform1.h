#pragma once
// The main window: an MDI frame with the program's texts, the background
// picture and the menu bar from which every other window is reached.

#include "app/ventanas.h"

#include <QMainWindow>
#include <functional>
#include <map>

class QAction;
class QMdiArea;
class QMenu;

class MDIForm1 : public QMainWindow, public ConIdioma {
    Q_OBJECT
public:
    explicit MDIForm1(QWidget *parent = nullptr);
    ~MDIForm1() override;

    // The one frame of the program (nullptr before it is made).
    static MDIForm1 *Instancia();

    const QString &TituloApp() const { return tituloApp_; }
    const QString &VersionApp() const { return versionApp_; }
    const QString &CopyrightApp() const { return copyrightApp_; }
    const QString &WebApp() const { return webApp_; }
    const QString &EmailApp() const { return emailApp_; }
    void TituloApp(const QString &v) { tituloApp_ = v; }
    void VersionApp(const QString &v) { versionApp_ = v; }
    void CopyrightApp(const QString &v) { copyrightApp_ = v; }
    void WebApp(const QString &v) { webApp_ = v; }
    void EmailApp(const QString &v) { emailApp_ = v; }

    void ActualizarTitulo();
    void AplicarIdioma() override;

    // Child windows are made by the factories registered under their names
    // (the windows live in folders above this one). MostrarVentana creates
    // the single instance on first use and brings it forward afterwards.
    using Fabrica = std::function<QWidget *()>;
    void RegistrarVentana(const QString &nombre, Fabrica f);
    QWidget *MostrarVentana(const QString &nombre);
    // Unloads a loaded window (its own close handling runs).
    static void DescargarVentana(QWidget *w);

    QMdiArea *AreaMDI() const { return area_; }

    // What ends the program after the exit sequence; tests replace it.
    std::function<void()> FinPrograma;

    // Menu handlers.
    void mnuSalir_Click();
    // The system asks the program to end (SIGTERM, SIGINT, SIGHUP): as Exit
    // does after its question, with no box nobody may be there to read. Run
    // from the main loop, every dialog closed (Senales).
    void TerminarPorSenal();
    void MostrarManual();

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void MDIForm_Load();
    void CargarFondo();
    void CrearMenus();
    void DescargarTodas();
    // Unloads every window, writes the settings still pending (saying so
    // when they cannot be, if 'avisar'), deletes the run's temporary copies
    // and ends.
    void Terminar(bool avisar = true);

    QString tituloApp_, versionApp_, copyrightApp_, webApp_, emailApp_;
    QMdiArea *area_ = nullptr;
    std::map<QString, Fabrica> fabricas_;

    QAction *mnuGenerarCarta_ = nullptr, *mnuCrearCurva_ = nullptr, *mnuEditarCurva_ = nullptr;
    QMenu *mnuIdioma_ = nullptr, *mnuAyuda_ = nullptr;
    QAction *mnuIdiomaEs_ = nullptr, *mnuIdiomaEn_ = nullptr, *mnuAyudaUso_ = nullptr;
    QAction *mnuAcercaDe_ = nullptr, *mnuSalir_ = nullptr;
    bool saliendo_ = false;
};
