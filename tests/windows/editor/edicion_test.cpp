// Level handles, history jumps and the histogram cursor, without a window.

#include "windows/editor/edicion.h"

#include "platform/picturebox.h"

#include <gtest/gtest.h>

using namespace EdicionNiveles;

TEST(EdicionNiveles, PressTakesTheNearerHandleAndDragStopsAtTheOther)
{
    const struct { int x, ancho, negro, blanco; int16_t asa; } pulsar[] = {
        {129, 257, 0, 255, Blanca},
        {250, 256, 0, 200, Blanca}, // beyond a handle, whatever the distances
        {-3, 256, 0, 255, Negra},
        {101, 256, 100, 100, Blanca}, // stacked: right of them white, else black
        {100, 256, 100, 100, Negra},
        {99, 256, 100, 100, Negra},
        // Handles at 64/255 x 175 = 43.92 -> 44 and 191/255 x 175 = 131.08 -> 131.
        {87, 176, 64, 191, Negra},
        {88, 176, 64, 191, Blanca},
        {0, 1, 0, 255, Ninguna}, // no scale
        {0, 0, 0, 255, Ninguna},
    };
    for (const auto &c : pulsar)
        EXPECT_EQ(AsaPulsada(c.x, c.ancho, c.negro, c.blanco), c.asa) << c.x << " on " << c.ancho;

    const struct { int x, ancho; int16_t asa; int negro, blanco, nivel; } arrastrar[] = {
        {300, 256, Blanca, 0, 255, 255},
        {-5, 256, Negra, 0, 255, 0},
        {87, 176, Blanca, 0, 255, 126}, // 87 x 255 \ 175 = 126.77, truncated
        {88, 176, Blanca, 0, 255, 128},
        {50, 256, Blanca, 100, 255, 100}, // the handles meet but never cross
        {200, 256, Negra, 0, 80, 80},
        {300, 256, Negra, 0, 80, 80},
        {50, 256, Ninguna, 0, 255, -1},
        {0, 1, Negra, 0, 255, -1},
        {40000, 2, Blanca, 0, 255, 255},
    };
    for (const auto &c : arrastrar)
        EXPECT_EQ(NivelArrastrado(c.x, c.ancho, c.asa, c.negro, c.blanco), c.nivel) << c.x << " on " << c.ancho;
}

TEST(SaltoHistorial, UndoesTheLinesAfterTheClickedOneAsFarAsTheRingGoes)
{
    const struct { int indice, lineas, instantaneas, pasos; } casos[] = {
        // -1: no line after the clicked one; 0: a jump that undoes nothing (empty ring).
        {1, 5, 5, 3}, {4, 5, 5, -1}, {0, 20, 10, 10}, {0, 5, 0, 0}, {-1, 5, 5, -1}, {7, 5, 5, -1},
    };
    for (const auto &c : casos)
        EXPECT_EQ(SaltoHistorial::Pasos(c.indice, c.lineas, c.instantaneas), c.pasos) << c.indice << "/" << c.lineas;
}

TEST(CursorHistograma, SnapsToTheNearestBinAndErasesItself)
{
    // 360 wide: 100 / 360 x 255 = 70.8 -> bin 71 at 71 / 255 x 359 = 99.96; 2 -> bin 1 at 1.41.
    const struct { int x, ancho, columna; } casos[] = {
        {100, 256, 100}, {101, 256, 101}, {100, 360, 100}, {2, 360, 1}, {500, 360, 359}, {-20, 360, 0}, {5, 0, -1},
    };
    for (const auto &c : casos) EXPECT_EQ(CursorHistograma::Posicion(c.x, c.ancho), c.columna) << c.x;

    Superficie s(20, 10);
    s.BackColor = 0x000000, s.Cls(), s.PSet(7, 3, 0x123456);
    CursorHistograma::Invertir(s, 7); // stops short of the last row
    EXPECT_EQ((std::array{s.Point(7, 0), s.Point(7, 3), s.Point(7, 9), s.Point(6, 0)}),
              (std::array{0xFFFFFFu, 0x123456u ^ 0xFFFFFFu, 0u, 0u}));
    CursorHistograma::Invertir(s, 7);
    EXPECT_EQ(s.Point(7, 3), 0x123456u);
    CursorHistograma::Invertir(s, 20); // off the box: nothing
}
