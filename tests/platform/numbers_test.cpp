#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <cfloat>

using namespace Numeros;

TEST(Redondeo, MitadesVanAlPar)
{
    EXPECT_EQ(CLng(0.5), 0);
    EXPECT_EQ(CLng(1.5), 2);
    EXPECT_EQ(CLng(2.5), 2);
    EXPECT_EQ(CLng(-0.5), 0);
    EXPECT_EQ(CLng(-1.5), -2);
    EXPECT_EQ(CLng(40.5), 40);
    EXPECT_EQ(CLng(41.5), 42);
    EXPECT_EQ(CInt(12.5), 12);
    EXPECT_EQ(CInt(2.4999999), 2);
    EXPECT_EQ(Redondear(3.5), 4.0);
}

TEST(Redondeo, FueraDeRangoSatura)
{
    EXPECT_EQ(CInt(40000.0), INT16_MAX);
    EXPECT_EQ(CInt(-40000.0), INT16_MIN);
    EXPECT_EQ(CLng(1e300), INT32_MAX);
    EXPECT_EQ(CLng(-1e300), INT32_MIN);
}

TEST(Redondeo, DivisionEnteraRedondeaOperandosYTrunca)
{
    EXPECT_EQ(DivEntera(7, 2), 3);
    EXPECT_EQ(DivEntera(-7, 2), -3);
    EXPECT_EQ(DivEntera(2.5, 1), 2);  // 2.5 -> 2
    EXPECT_EQ(DivEntera(3.5, 2), 2);  // 3.5 -> 4, 4 \ 2
    EXPECT_EQ(DivEntera(10, 2.5), 5); // 2.5 -> 2
    EXPECT_EQ(DivEntera(5, 0), 0);
}

TEST(Redondeo, LimitarByte)
{
    EXPECT_EQ(LimitarByte(int64_t{-3}), 0);
    EXPECT_EQ(LimitarByte(int64_t{300}), 255);
    EXPECT_EQ(LimitarByte(int64_t{128}), 128);
    EXPECT_EQ(LimitarByte(254.5), 254);
    EXPECT_EQ(LimitarByte(-0.4), 0);
}

TEST(Val, NumeroInicial)
{
    EXPECT_EQ(Val(QStringLiteral("1e3")), 1000.0);
    EXPECT_EQ(Val(QStringLiteral("12.5")), 12.5);
    EXPECT_EQ(Val(QStringLiteral("abc")), 0.0);
    EXPECT_EQ(Val(QString()), 0.0);
    EXPECT_EQ(Val(QStringLiteral("5000")), 5000.0);
    EXPECT_EQ(Val(QStringLiteral("2.5")), 2.5);
    EXPECT_EQ(Val(QStringLiteral("-7")), -7.0);
    EXPECT_EQ(Val(QStringLiteral("12 copias")), 12.0);
    EXPECT_EQ(Val(QStringLiteral("2,7")), 2.0);     // a comma ends the number
    EXPECT_EQ(Val(QStringLiteral("1 2")), 12.0);    // blanks are skipped
    EXPECT_EQ(Val(QStringLiteral(" \t2\n00")), 200.0);
    EXPECT_EQ(Val(QStringLiteral("12345678901")), 12345678901.0);
    EXPECT_EQ(Val(QStringLiteral("&H1F")), 31.0);
    EXPECT_EQ(Val(QStringLiteral("&o17")), 15.0);
    EXPECT_EQ(Val(QStringLiteral("1.5D2")), 150.0);
    EXPECT_EQ(Val(QStringLiteral("3e")), 3.0);      // an exponent without digits stops
    EXPECT_EQ(Val(QStringLiteral(".5")), 0.5);
    EXPECT_EQ(Val(QStringLiteral("1.2.3")), 1.2);
}

TEST(Val, MasAllaDelDoubleNoFalla)
{
    EXPECT_EQ(Val(QStringLiteral("1e400")), DBL_MAX);
    EXPECT_EQ(Val(QStringLiteral("-1e400")), -DBL_MAX);
    EXPECT_EQ(Val(QStringLiteral("1e-400")), 0.0);
}
