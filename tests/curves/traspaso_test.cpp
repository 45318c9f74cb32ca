// A generated master curve written over the editor's curve: one undo step per
// run of generations, and the way back to the curve the run found.

#include "ayuda_curvas.h"

#include "curves/motor.h"
#include "curves/traspaso.h"

#include <gtest/gtest.h>

using namespace modEngine;

namespace {

void Generar(const Puntos &p)
{
    int16_t x[MaxPuntos], y[MaxPuntos];
    for (size_t k = 0; k < p.size(); ++k) x[k] = int16_t(p[k].first), y[k] = int16_t(p[k].second);
    InstalarCurvaGenerada(x, y, int(p.size()));
}

bool MismoMotor(const EstadoMotor &a, const EstadoMotor &b)
{
    return MismoEstado(a.curvas, b.curvas) && a.canal == b.canal && a.modo == b.modo && a.seleccion == b.seleccion &&
           Copia(a.lutR) == Copia(b.lutR) && Copia(a.lutG) == Copia(b.lutG) && Copia(a.lutB) == Copia(b.lutB) &&
           a.posAnillo == b.posAnillo && a.numAnillo == b.numAnillo;
}

const Puntos A{{0, 0}, {128, 180}, {255, 255}}, B{{0, 10}, {128, 160}, {255, 250}};

// The editor's curve: red edited, blue shown with a level moved, one step held.
EstadoMotor CurvaDelEditor()
{
    ReiniciarCurvas();
    PonerPuntos(1, {{0, 0}, {90, 40}, {255, 255}});
    ComponerLUTs();
    GuardarDeshacer();
    CanalActual = 3;
    PuntoSel = 1;
    FijarNivel(3, 3, 210);
    return TomarMotor();
}

} // namespace

TEST(Traspaso, UnaTandaDeGeneracionesEsUnPasoYNoDevuelveLaCurvaDelEditor)
{
    const EstadoMotor editor = CurvaDelEditor();
    const int32_t version = VersionCurva;
    Generar(A);
    // The master holds the points and is current and rebuilt; the rest stays.
    EXPECT_EQ((std::tuple{DelCanal(0), int(CanalActual), VersionCurva, int(SalidaBlanco[3]), DelCanal(1)}),
              (std::tuple{A, 0, version + 1, 210, Puntos{{0, 0}, {90, 40}, {255, 255}}}));
    EXPECT_EQ(Copia(LutB)[128], 180);
    // One step, holding the editor's curve; the next generations take none.
    const int32_t paso = PasoGenerado();
    EXPECT_TRUE(paso && NumeroDeshacer() == 2 && MismoEstado(*UltimoDeshacer(), editor.curvas));
    for (int i = 0; i < 12; ++i) Generar(i % 2 ? A : B);
    EXPECT_EQ((std::pair{int(NumeroDeshacer()), PasoGenerado()}), (std::pair{2, paso}));
    // Choosing a channel is no change: No puts the editor's engine back whole,
    // the run's step gone with it.
    CanalActual = 2;
    RegenerarCurvaActual();
    EXPECT_TRUE(DevolverCurvaAnterior());
    EXPECT_TRUE(MismoMotor(TomarMotor(), editor));
    EXPECT_EQ((std::tuple{PasoGenerado(), PasoDevuelto(), VersionCurva > version + 14}), (std::tuple{0, paso, true}));
    // The run is over: a second No has nothing to give back; once it is
    // closed (a hand-over), no step is named either.
    EXPECT_FALSE(DevolverCurvaAnterior());
    CerrarTraspaso();
    EXPECT_EQ((std::pair{PasoGenerado(), PasoDevuelto()}), (std::pair{0, 0}));

    // Fewer than two points, or more than sixteen: nothing; two and sixteen
    // are a curve.
    const EstadoMotor antes = TomarMotor();
    int16_t x[17], y[17];
    for (int k = 0; k < 17; ++k) x[k] = y[k] = int16_t(k * 15);
    InstalarCurvaGenerada(x, y, 1);
    InstalarCurvaGenerada(x, y, 17);
    EXPECT_TRUE(MismoMotor(TomarMotor(), antes));
    for (int n : {2, 16}) {
        InstalarCurvaGenerada(x, y, n);
        EXPECT_EQ((std::pair{int(NumPuntos[0]), int(PuntoX[0][n - 1])}), (std::pair{n, (n - 1) * 15})) << n;
    }
}

TEST(Traspaso, NoDevuelveElAnilloLlenoEnteroYQuitaElPasoDeshechoEncima)
{
    // n snapshots 0..n-1 (the input black of red), the editor's curve 10.
    const auto Lleno = [](int16_t n) {
        ReiniciarCurvas();
        for (int16_t i = 0; i < n; ++i) {
            EntradaNegro[1] = i;
            GuardarDeshacer();
        }
        EntradaNegro[1] = 10;
        return TomarMotor();
    };
    const auto MasAntiguo = [] {
        while (Deshacer()) {}
        return int(EntradaNegro[1]);
    };
    // The run's step wrote over snapshot 0: No gives back all ten.
    const EstadoMotor editor = Lleno(10);
    Generar(A);
    EXPECT_EQ(NumeroDeshacer(), 10);
    EXPECT_TRUE(DevolverCurvaAnterior());
    EXPECT_TRUE(MismoMotor(TomarMotor(), editor));
    EXPECT_EQ(MasAntiguo(), 0);

    // An empty ring stays empty.
    Lleno(0);
    Generar(A);
    EXPECT_TRUE(DevolverCurvaAnterior());
    EXPECT_EQ(NumeroDeshacer(), 0);

    // The step in the ring's last slot, an edit above it (over snapshot 0)
    // undone: the step goes all the same, snapshot 0 stays gone.
    Lleno(9);
    Generar(A);
    const int32_t paso = PasoGenerado();
    ASSERT_NE(paso, 0);
    GuardarDeshacer();
    PuntoY[0][1] = 20;
    Deshacer();
    EXPECT_EQ(PasoGenerado(), paso);
    EXPECT_TRUE(DevolverCurvaAnterior());
    EXPECT_EQ((std::tuple{int(NumeroDeshacer()), int(EntradaNegro[1]), PasoDevuelto()}), (std::tuple{8, 10, paso}));
    EXPECT_EQ(MasAntiguo(), 1);
}

TEST(Traspaso, UnCambioEntreGeneracionesEmpiezaOtraTandaYNoSeDevuelveLoCambiado)
{
    CurvaDelEditor();
    Generar(A);
    // Edited after the generation (a step of the editor's): the next one
    // starts a run of its own, whose step is that edited curve.
    GuardarDeshacer();
    PuntoY[0][1] = 200;
    RegenerarCurvaActual();
    const EstadoCurvas editada = TomarEstado();
    Generar(B);
    EXPECT_EQ(NumeroDeshacer(), 4);
    EXPECT_TRUE(MismoEstado(*UltimoDeshacer(), editada));
    // The interpolation mode is part of the curve: No keeps what is shown.
    ModoInterpolacion = 1;
    EXPECT_FALSE(DevolverCurvaAnterior());
    EXPECT_EQ(DelCanal(0), B);

    // The same curve generated twice in a new run: no step until it differs.
    CerrarTraspaso();
    const int16_t n = NumeroDeshacer();
    Generar(B);
    EXPECT_EQ((std::pair{int(NumeroDeshacer()), PasoGenerado()}), (std::pair{int(n), 0}));
    Generar(A);
    EXPECT_EQ(NumeroDeshacer(), n + 1);
    // A step pushed on top since: the curve goes back, the steps stay, each
    // with what it held (the generated curve, then the run's own step).
    GuardarDeshacer();
    EXPECT_TRUE(DevolverCurvaAnterior());
    EXPECT_EQ((std::pair{DelCanal(0), int(NumeroDeshacer())}), (std::pair{B, n + 2}));
    Deshacer();
    EXPECT_EQ(DelCanal(0), A);
    Deshacer();
    EXPECT_EQ(DelCanal(0), B);
    // A reset ends the run.
    Generar(A);
    ReiniciarCurvas();
    EXPECT_FALSE(DevolverCurvaAnterior());
}

TEST(Traspaso, LaPrimeraGeneracionDelProgramaIniciaLasCurvas)
{
    // As the program starts: every array zero, no window has set them up.
    PonerMotor(EstadoMotor{});
    CurvasIniciadas = false;
    Generar(A);
    EXPECT_EQ((std::tuple{DelCanal(0), DelCanal(3), int(SalidaBlanco[1]), int(NumeroDeshacer())}),
              (std::tuple{A, Puntos{{0, 0}, {255, 255}}, 255, 1}));
    EXPECT_EQ((std::pair{Copia(LutR)[128], Copia(LutG)[128]}), (std::pair<uint8_t, uint8_t>{180, 180}));
}
