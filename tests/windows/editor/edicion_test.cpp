// Level handles, history jumps and the histogram cursor, without a window.

#include "windows/editor/edicion.h"

#include "platform/picturebox.h"

#include <gtest/gtest.h>

using namespace EdicionNiveles;

TEST(EdicionNiveles, PressTakesTheNearerHandleAndBlackOnATie)
{
    // 257 pixels: the white handle sits at 256, so 128 is a tie (the window
    // tests drive the 256- and 257-pixel cases by mouse).
    EXPECT_EQ(AsaPulsada(129, 257, 0, 255), Blanca);
    // Beyond either handle, whatever the distances.
    EXPECT_EQ(AsaPulsada(250, 256, 0, 200), Blanca);
    EXPECT_EQ(AsaPulsada(-3, 256, 0, 255), Negra);
    // Handles on top of each other: right of them white, on or left black.
    EXPECT_EQ(AsaPulsada(101, 256, 100, 100), Blanca);
    EXPECT_EQ(AsaPulsada(100, 256, 100, 100), Negra);
    EXPECT_EQ(AsaPulsada(99, 256, 100, 100), Negra);
    // Handle positions round halves to even: 64 / 255 x 175 = 43.92 -> 44,
    // 191 / 255 x 175 = 131.08 -> 131; 87 is 43 from one and 44 from the other.
    EXPECT_EQ(AsaPulsada(87, 176, 64, 191), Negra);
    EXPECT_EQ(AsaPulsada(88, 176, 64, 191), Blanca);
    // No scale to press on.
    EXPECT_EQ(AsaPulsada(0, 1, 0, 255), Ninguna);
    EXPECT_EQ(AsaPulsada(0, 0, 0, 255), Ninguna);
}

TEST(EdicionNiveles, DraggedLevelTruncatesClampsAndStopsAtTheOtherHandle)
{
    EXPECT_EQ(NivelArrastrado(300, 256, Blanca, 0, 255), 255); // 300 x 255 \ 255 = 300
    EXPECT_EQ(NivelArrastrado(-5, 256, Negra, 0, 255), 0);
    // 87 x 255 \ 175 = 126.77, truncated.
    EXPECT_EQ(NivelArrastrado(87, 176, Blanca, 0, 255), 126);
    EXPECT_EQ(NivelArrastrado(88, 176, Blanca, 0, 255), 128);
    // The handles meet but never cross.
    EXPECT_EQ(NivelArrastrado(50, 256, Blanca, 100, 255), 100);
    EXPECT_EQ(NivelArrastrado(200, 256, Negra, 0, 80), 80);
    EXPECT_EQ(NivelArrastrado(300, 256, Negra, 0, 80), 80);
    // Nothing held, or no scale.
    EXPECT_EQ(NivelArrastrado(50, 256, Ninguna, 0, 255), -1);
    EXPECT_EQ(NivelArrastrado(0, 1, Negra, 0, 255), -1);
    EXPECT_EQ(NivelArrastrado(40000, 2, Blanca, 0, 255), 255);
}

TEST(SaltoHistorial, UndoesTheLinesAfterTheClickedOneAsFarAsTheRingGoes)
{
    EXPECT_EQ(SaltoHistorial::Pasos(1, 5, 5), 3);
    EXPECT_EQ(SaltoHistorial::Pasos(4, 5, 5), 0);   // the last line
    EXPECT_EQ(SaltoHistorial::Pasos(0, 20, 10), 10); // more lines than snapshots
    EXPECT_EQ(SaltoHistorial::Pasos(0, 5, 0), 0);
    EXPECT_EQ(SaltoHistorial::Pasos(-1, 5, 5), 0);
    EXPECT_EQ(SaltoHistorial::Pasos(7, 5, 5), 0);
}

TEST(CursorHistograma, SnapsToTheNearestBinAndErasesItself)
{
    EXPECT_EQ(CursorHistograma::Posicion(100, 256), 100);
    EXPECT_EQ(CursorHistograma::Posicion(101, 256), 101);
    // 360 wide: 100 / 360 x 255 = 70.8 -> bin 71 at 71 / 255 x 359 = 99.96.
    EXPECT_EQ(CursorHistograma::Posicion(100, 360), 100);
    EXPECT_EQ(CursorHistograma::Posicion(2, 360), 1); // bin 1 at 1.41
    EXPECT_EQ(CursorHistograma::Posicion(500, 360), 359);
    EXPECT_EQ(CursorHistograma::Posicion(-20, 360), 0);
    EXPECT_EQ(CursorHistograma::Posicion(5, 0), -1);

    Superficie s(20, 10);
    s.BackColor = 0x000000;
    s.Cls();
    s.PSet(7, 3, 0x123456);
    CursorHistograma::Invertir(s, 7);
    EXPECT_EQ(s.Point(7, 0), 0xFFFFFFu);
    EXPECT_EQ(s.Point(7, 3), 0x123456u ^ 0xFFFFFFu);
    EXPECT_EQ(s.Point(7, 9), 0x000000u); // the line stops short of the last row
    EXPECT_EQ(s.Point(6, 0), 0x000000u);
    CursorHistograma::Invertir(s, 7);
    EXPECT_EQ(s.Point(7, 0), 0x000000u);
    EXPECT_EQ(s.Point(7, 3), 0x123456u);
    CursorHistograma::Invertir(s, 20); // off the box: nothing
}
