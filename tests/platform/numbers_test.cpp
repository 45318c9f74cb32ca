#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <cfloat>

using namespace Numeros;

TEST(Redondeo, MitadesAlParSaturaYDivisionEntera)
{
    const std::pair<double, int32_t> largos[] = {{0.5, 0},   {1.5, 2},     {2.5, 2},         {-0.5, 0},       {-1.5, -2},
                                                 {40.5, 40}, {41.5, 42},   {1e300, INT32_MAX}, {-1e300, INT32_MIN}};
    for (const auto &[v, r] : largos) EXPECT_EQ(CLng(v), r) << v;
    const std::pair<double, int16_t> cortos[] = {{12.5, 12}, {2.4999999, 2}, {40000.0, INT16_MAX}, {-40000.0, INT16_MIN}};
    for (const auto &[v, r] : cortos) EXPECT_EQ(CInt(v), r) << v;
    EXPECT_EQ(Redondear(3.5), 4.0);
    // The operands are rounded first, then the quotient truncated: 3.5 -> 4, 4 \ 2.
    const std::tuple<double, double, int> divisiones[] = {{7, 2, 3}, {-7, 2, -3}, {2.5, 1, 2}, {3.5, 2, 2}, {10, 2.5, 5}, {5, 0, 0}};
    for (const auto &[a, b, r] : divisiones) EXPECT_EQ(DivEntera(a, b), r) << a << " \\ " << b;
    EXPECT_EQ(std::vector<int>({LimitarByte(int64_t{-3}), LimitarByte(int64_t{300}), LimitarByte(int64_t{128}),
                                LimitarByte(254.5), LimitarByte(-0.4)}),
              std::vector<int>({0, 255, 128, 254, 0}));
}

TEST(Val, NumeroInicial)
{
    // A comma ends the number, blanks are skipped, an exponent without digits stops.
    const std::pair<const char *, double> casos[] = {
        {"1e3", 1000},      {"12.5", 12.5},  {"abc", 0},        {"", 0},          {"5000", 5000},
        {"-7", -7},         {"12 copias", 12}, {"2,7", 2},      {"1 2", 12},      {" \t2\n00", 200},
        {"12345678901", 12345678901.0}, {"&H1F", 31}, {"&o17", 15}, {"1.5D2", 150}, {"3e", 3},
        {".5", 0.5},        {"1.2.3", 1.2},  {"1e400", DBL_MAX}, {"-1e400", -DBL_MAX}, {"1e-400", 0},
    };
    for (const auto &[texto, v] : casos) EXPECT_EQ(Val(QString::fromLatin1(texto)), v) << texto;
}
