// The linear NIST StRD problems against their certified values.

#include "analysis/KvLinearRegression.h"
#include "analysis/KvPolynomialRegression.h"

#include "KvNistReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

using namespace kv;
using kvtest::Digits;
using kvtest::ReadNistFile;
using kvtest::TNistDataSet;

namespace {

const double Lo = -1.7e308, Hi = 1.7e308;

TNistDataSet Linear(const std::string& Name)
{
    return ReadNistFile(kvtest::NistPath("linear", Name));
}

void Report(const std::string& Name, const std::string& What, double Value)
{
    std::printf("  %-9s %-28s %5.1f digits\n", Name.c_str(), What.c_str(), Value);
    ::testing::Test::RecordProperty(Name + " " + What, std::to_string(Value));
}

TEST(NistLinear, ReaderFindsTheParts)
{
    const TNistDataSet Norris = Linear("Norris");
    EXPECT_EQ(Norris.Y.size(), 36u);
    ASSERT_EQ(Norris.X.size(), 1u);
    ASSERT_EQ(Norris.Parameters.size(), 2u);
    EXPECT_EQ(Norris.Parameters[1].Value, 1.00211681802045);
    EXPECT_EQ(Norris.Parameters[1].Deviation, 0.429796848199937E-03);
    EXPECT_EQ(Norris.ResidualStandardDeviation, 0.884796396144373);
    EXPECT_EQ(Norris.RSquared, 0.999993745883712);
    EXPECT_EQ(Norris.Y[0], 0.1);
    EXPECT_EQ(Norris.X[0][0], 0.2);
    const TNistDataSet Longley = Linear("Longley");
    EXPECT_EQ(Longley.X.size(), 6u);
    EXPECT_EQ(Longley.Parameters.size(), 7u);
    const TNistDataSet Misra = ReadNistFile(kvtest::NistPath("nonlinear", "Misra1a"));
    EXPECT_TRUE(Misra.Nonlinear);
    ASSERT_EQ(Misra.Parameters.size(), 2u);
    EXPECT_EQ(Misra.Parameters[0].Start1, 500);
    EXPECT_EQ(Misra.Parameters[1].Start2, 0.0005);
    EXPECT_EQ(Misra.Parameters[0].Value, 2.3894212918E+02);
    EXPECT_EQ(Misra.ResidualSumOfSquares, 1.2455138894E-01);
    EXPECT_EQ(Misra.Y.size(), 14u);
}

TEST(NistLinear, Norris)
{
    const TNistDataSet S = Linear("Norris");
    LinearRegressionResult R;
    LinearRegression(S.X[0], S.Y, Lo, Hi, R);
    const double n = static_cast<double>(S.Y.size());
    const double Results[] = {Digits(R.Offset, S.Parameters[0].Value), Digits(R.Slope, S.Parameters[1].Value),
                              Digits(R.DeltaOffset, S.Parameters[0].Deviation),
                              Digits(R.DeltaSlope, S.Parameters[1].Deviation),
                              Digits(std::sqrt(R.ChiSquare / (n - 2)), S.ResidualStandardDeviation),
                              Digits(R.R * R.R, S.RSquared)};
    const char* Names[] = {"B0", "B1", "SD(B0)", "SD(B1)", "residual SD", "R-squared"};
    for (int i = 0; i < 6; ++i) {
        Report("Norris", Names[i], Results[i]);
        EXPECT_GE(Results[i], 9) << Names[i];
    }
}

TEST(NistLinear, NoIntercept)
{
    for (const std::string Name : {"NoInt1", "NoInt2"}) {
        const TNistDataSet S = Linear(Name);
        LinearRegressionResult R;
        R.Offset = 0;
        FixedOffsetRegression(S.X[0], S.Y, Lo, Hi, R);
        const double n = static_cast<double>(S.Y.size());
        const double B1 = Digits(R.Slope, S.Parameters[0].Value);
        const double SD = Digits(R.DeltaSlope, S.Parameters[0].Deviation);
        const double Residual = Digits(std::sqrt(R.ChiSquare / (n - 1)), S.ResidualStandardDeviation);
        Report(Name, "B1", B1);
        Report(Name, "SD(B1)", SD);
        Report(Name, "residual SD", Residual);
        EXPECT_GE(B1, 9);
        EXPECT_GE(SD, 9);
        EXPECT_GE(Residual, 9);
    }
}

// The smallest number of digits over the certified coefficients, with the
// residual standard deviation and R-squared reported beside them.
struct TPolynomialDigits {
    double Coefficients = 15, ResidualSD = 0, RSquared = 0;
};

TPolynomialDigits PolynomialDigits(const TNistDataSet& S)
{
    PolynomialResult R;
    R.Order = static_cast<int32_t>(S.Parameters.size()) - 1;
    PolynomialRegression(S.X[0], S.Y, Lo, Hi, R);
    TPolynomialDigits D;
    for (size_t k = 0; k < S.Parameters.size(); ++k)
        D.Coefficients = std::min(D.Coefficients, Digits(R.Coefficients[k], S.Parameters[k].Value));
    const double Freedom = static_cast<double>(S.Y.size() - S.Parameters.size());
    D.ResidualSD = Digits(std::sqrt(R.ChiSquare / Freedom), S.ResidualStandardDeviation);
    D.RSquared = Digits(R.R2, S.RSquared);
    return D;
}

TEST(NistLinear, Pontius)
{
    const TPolynomialDigits D = PolynomialDigits(Linear("Pontius"));
    Report("Pontius", "coefficients (smallest)", D.Coefficients);
    Report("Pontius", "residual SD", D.ResidualSD);
    Report("Pontius", "R-squared", D.RSquared);
    EXPECT_GE(D.Coefficients, 9);
    EXPECT_GE(D.ResidualSD, 9);
    EXPECT_GE(D.RSquared, 9);
}

TEST(NistLinear, HigherDifficultyPolynomials)
{
    // Floors: at least the digits the normal equations reached in extended
    // precision for the fifth-order problems (9 to 12), seven for the
    // tenth-order Filip, whose normal matrix is too ill-conditioned for them.
    struct TFloor {
        const char* Name;
        double Coefficients, ResidualSD, RSquared;
    };
    for (const TFloor F : {TFloor{"Wampler1", 12, 0, 9}, TFloor{"Wampler2", 12, 0, 9}, TFloor{"Wampler3", 12, 9, 9},
                           TFloor{"Wampler4", 12, 9, 9}, TFloor{"Wampler5", 10, 9, 9}, TFloor{"Filip", 7, 7, 7}}) {
        TPolynomialDigits D;
        try {
            D = PolynomialDigits(Linear(F.Name));
        } catch (const EMathError& E) {
            ADD_FAILURE() << F.Name << ": " << E.what();
            continue;
        }
        Report(F.Name, "coefficients (smallest)", D.Coefficients);
        Report(F.Name, "residual SD", D.ResidualSD);
        Report(F.Name, "R-squared", D.RSquared);
        EXPECT_GE(D.Coefficients, F.Coefficients) << F.Name;
        EXPECT_GE(D.ResidualSD, F.ResidualSD) << F.Name;
        EXPECT_GE(D.RSquared, F.RSquared) << F.Name;
    }
}

} // namespace
