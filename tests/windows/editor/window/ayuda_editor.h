#pragma once
// The curve editor opened from the main menu with scripted dialogs, and
// helpers to drive the mouse and read the canvas, preview, history and tables.

#include "support/texto.h"
#include "windows/editor/frmeditaraplicarcurva.h"

#include "app/idioma.h"
#include "app/mdiform1.h"
#include "app/ventanas.h"
#include "curves/curvas.h"
#include "curves/deshacer.h"
#include "imaging/aplicar.h"
#include "imaging/modimage.h"
#include "imaging/preview.h"
#include "platform/picturebox.h"
#include "support/curvas.h"
#include "support/estado.h"
#include "support/scripted.h"
#include "support/sistema.h"
#include "windows/registro.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

inline uint32_t BGR(int r, int g, int b) { return static_cast<uint32_t>(r | (g << 8) | (b << 16)); }

// The engine's table of these points on a channel, with its current levels
// and interpolation; the shared state is left as it was.
inline Tabla256 TablaDe(int16_t canal, const Puntos &p)
{
    const modEngine::EstadoCurvas antes = modEngine::TomarEstado();
    PonerPuntos(canal, p);
    Tabla256 t{};
    modEngine::ConstruirLUTCanal(canal, t.data());
    modEngine::AplicarNivelesLUT(canal, t.data());
    modEngine::PonerEstado(antes);
    return t;
}

class EditorAbierto : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        RegistrarVentanasCalibracion(frame), frame.show();
        ASSERT_TRUE((w = Abrir()) && QTest::qWaitForWindowExposed(&frame));
        lienzo = w->picCurve(), lista = C<QListWidget>("lstHistorial"), deshacer = Boton("cmdUndo");
    }

    frmEditarAplicarCurva *Abrir()
    {
        frame.findChild<QAction *>(QStringLiteral("mnuEditarCurva"))->trigger();
        return qobject_cast<frmEditarAplicarCurva *>(Ventanas::Buscar(QStringLiteral("frmEditarAplicarCurva")));
    }

    template <class W = QWidget>
    W *C(const char *nombre, QWidget *padre = nullptr)
    {
        W *c = (padre ? padre : w)->findChild<W *>(QString::fromLatin1(nombre));
        EXPECT_TRUE(c) << nombre;
        return c;
    }
    QPushButton *Boton(const char *n) { return C<QPushButton>(n); }
    QString Texto(const char *n) { return C<QLabel>(n)->text(); }

    QString Archivo(const QString &nombre, const QByteArray &bytes) { return Poner(dir.filePath(nombre), bytes); }

    void CargarMuestra(const QString &ruta) { dialogos.Responder(ruta), Boton("cmdCargarImagenAProcesar")->click(); }
    // Left half (200, 50, 10), right half (20, 100, 240), 64 x 32: shown
    // 440 x 220 from y = 78 in the preview.
    void CargarDosColores()
    {
        QImage img(64, 32, QImage::Format_RGB888);
        img.fill(QColor(20, 100, 240));
        QPainter(&img).fillRect(0, 0, 32, 32, QColor(200, 50, 10));
        ASSERT_TRUE(img.save(dir.filePath(QStringLiteral("dos.png"))));
        CargarMuestra(dir.filePath(QStringLiteral("dos.png")));
        ASSERT_TRUE(modImage::HayMuestra);
    }
    uint32_t Preview(int x = 100, int y = 240) { return w->picMuestra()->S().Point(x, y); }
    // The left half of the sample through the whole curve.
    static uint32_t IzquierdaConCurva() { const auto c = modImage::TomarInstantanea(); return BGR(c.lutR[200], c.lutG[50], c.lutB[10]); }
    bool EsperarPreview() { return QTest::qWaitFor([this] { return !w->PreviewSucio(); }, 10000); }

    void Recibir(std::initializer_list<int> xs, std::initializer_list<int> ys) { w->RecibirCurvaGenerada(xs.begin(), ys.begin(), int(xs.size())); }

    // Canvas 360 x 360, plot from 6 to 354: pixel p is curve input
    // (p - 6) x 255 / 348, rounded half to even.
    void Pulsar(int x, int y) { QTest::mousePress(lienzo, Qt::LeftButton, {}, {x, y}), QTest::mouseRelease(lienzo, Qt::LeftButton, {}, {x, y}); }
    // As the system delivers it: press, release, double click, release.
    void DobleClic(int x, int y)
    {
        Mover(lienzo, x, y), Pulsar(x, y);
        QTest::mouseDClick(lienzo, Qt::LeftButton, {}, {x, y}), QTest::mouseRelease(lienzo, Qt::LeftButton, {}, {x, y});
    }
    // No button held; through a neighbour, as a cursor already there sends no move.
    static void Mover(QWidget *caja, int x, int y) { QTest::mouseMove(caja, QPoint(x, y + 1)), QTest::mouseMove(caja, QPoint(x, y)); }
    static void Arrastrar(QWidget *caja, QPoint desde, QPoint hasta)
    {
        QTest::mousePress(caja, Qt::LeftButton, {}, desde), QTest::mouseMove(caja, hasta);
        QTest::mouseRelease(caja, Qt::LeftButton, {}, hasta);
    }
    static void ArrastrarNivel(QWidget *s, int desde, int hasta) { Arrastrar(s, {desde, 12}, {hasta, 12}); }

    void ClicEnLinea(int fila)
    {
        QListWidgetItem *it = lista->item(fila);
        ASSERT_TRUE(it);
        lista->scrollToItem(it);
        QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, lista->visualItemRect(it).center());
    }
    QStringList Lineas()
    {
        QStringList l;
        for (int i = 0; i < lista->count(); ++i) l << lista->item(i)->text();
        return l;
    }

    QTemporaryDir dir;
    CajasGuionadas cajas;
    DialogosGuionados dialogos;
    MDIForm1 frame;
    frmEditarAplicarCurva *w = nullptr;
    PictureBox *lienzo = nullptr;
    QListWidget *lista = nullptr;
    QPushButton *deshacer = nullptr;
};
