// EXP, LN, SIN and COS through the vector routines: within 2 ulp of the
// standard library, the array forms equal to the single-value forms bit for
// bit at every length and in place, and the faults of the functions the
// same whether a formula is evaluated for one X or for a block of them.

#include "expression/ExpressionParser.h"
#include "expression/ExpressionVectorMath.h"
#include "foundation/KvErrors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using namespace kv;

namespace {

// Distance in units in the last place between two finite doubles of one sign.
int64_t UlpDistance(double A, double B)
{
    int64_t IA, IB;
    std::memcpy(&IA, &A, sizeof A);
    std::memcpy(&IB, &B, sizeof B);
    return IA > IB ? IA - IB : IB - IA;
}

struct TFunction {
    const char* Name;
    double (*Single)(double);
    bool (*Array)(const double*, double*, size_t);
    double (*Reference)(double);
    double Low, High; // arguments drawn from here
};

double StdExp(double X) { return std::exp(X); }
double StdLog(double X) { return std::log(X); }
double StdSin(double X) { return std::sin(X); }
double StdCos(double X) { return std::cos(X); }

const TFunction Functions[] = {
    {"EXP", vecmath::Exp, vecmath::Exp, StdExp, -745, 709.7},
    {"LN", vecmath::Ln, vecmath::Ln, StdLog, 0, 1e300},
    {"SIN", vecmath::Sin, vecmath::Sin, StdSin, -1e6, 1e6},
    {"COS", vecmath::Cos, vecmath::Cos, StdCos, -1e6, 1e6},
};

TEST(VectorMath, WithinTwoUlpOfTheStandardLibrary)
{
    std::mt19937_64 Random(11);
    for (const TFunction& F : Functions) {
        SCOPED_TRACE(F.Name);
        std::uniform_real_distribution<double> U(F.Low, F.High);
        std::vector<double> X(4099);
        for (size_t i = 0; i < X.size(); ++i)
            X[i] = i % 3 == 0 ? U(Random) : U(Random) * 1e-3; // also small arguments
        X[0] = std::numeric_limits<double>::denorm_min();
        X[1] = 1;
        std::vector<double> Out(X.size());
        F.Array(X.data(), Out.data(), X.size());
        for (size_t i = 0; i < X.size(); ++i) {
            const double Expected = F.Reference(X[i]);
            if (std::fabs(Expected) < std::numeric_limits<double>::min()) // subnormal results: absolute
                ASSERT_NEAR(Out[i], Expected, 1e-320) << X[i];
            else
                ASSERT_LE(UlpDistance(Out[i], Expected), 2) << X[i];
        }
    }
}

TEST(VectorMath, ArraysEqualSingleValuesAtEveryLengthAndInPlace)
{
    for (const TFunction& F : Functions) {
        SCOPED_TRACE(F.Name);
        for (size_t Count = 1; Count <= 11; ++Count) {
            std::vector<double> X(Count), Out(Count);
            for (size_t i = 0; i < Count; ++i)
                X[i] = 0.37 * static_cast<double>(i + 1) - 1.2;
            F.Array(X.data(), Out.data(), Count);
            std::vector<double> InPlace = X;
            F.Array(InPlace.data(), InPlace.data(), Count);
            for (size_t i = 0; i < Count; ++i) { // bit for bit: LN of X below 0 is NaN
                ASSERT_EQ(UlpDistance(Out[i], F.Single(X[i])), 0) << Count << " " << i;
                ASSERT_EQ(UlpDistance(InPlace[i], Out[i]), 0) << Count << " " << i;
            }
        }
    }
}

TEST(VectorMath, EdgeValues)
{
    const double Inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(vecmath::Exp(710.0), Inf);
    EXPECT_EQ(vecmath::Exp(-746.0), 0.0);
    EXPECT_EQ(vecmath::Exp(0.0), 1.0);
    EXPECT_EQ(vecmath::Ln(0.0), -Inf);
    EXPECT_TRUE(std::isnan(vecmath::Ln(-1.0)));
    EXPECT_EQ(vecmath::Ln(1.0), 0.0);
    EXPECT_NEAR(vecmath::Ln(std::numeric_limits<double>::denorm_min()), -744.44007192138126, 1e-12);
    // Nothing is left of an angle of 2^63 or more.
    for (const double X : {9223372036854775808.0, -1e300, 1e19}) {
        EXPECT_EQ(vecmath::Sin(X), 0.0) << X;
        EXPECT_EQ(vecmath::Cos(X), 0.0) << X;
    }
    EXPECT_NE(vecmath::Sin(9223372036854774784.0), 0.0); // the double below 2^63
}

// The array forms tell whether every result is finite, wherever the one
// that is not stands (whole vectors and the padded rest alike).
TEST(VectorMath, ArraysReportAResultThatIsNotFinite)
{
    for (size_t Count = 1; Count <= 9; ++Count) {
        std::vector<double> X(Count, 0.5), Out(Count);
        EXPECT_TRUE(vecmath::Exp(X.data(), Out.data(), Count));
        EXPECT_TRUE(vecmath::Ln(X.data(), Out.data(), Count));
        for (size_t Bad = 0; Bad < Count; ++Bad) {
            std::vector<double> Y = X;
            Y[Bad] = 710;
            EXPECT_FALSE(vecmath::Exp(Y.data(), Out.data(), Count)) << Count << " " << Bad;
            Y[Bad] = -1;
            EXPECT_FALSE(vecmath::Ln(Y.data(), Out.data(), Count)) << Count << " " << Bad;
            Y[Bad] = 0;
            EXPECT_FALSE(vecmath::Ln(Y.data(), Out.data(), Count)) << Count << " " << Bad;
            EXPECT_TRUE(vecmath::Sin(Y.data(), Out.data(), Count));
        }
    }
}

// Each X alone and a block of X give the same values and stop at the same
// fault: the overflow of EXP, the pole of LN, the NaN of LN below 0.
TEST(VectorMath, BlockAndSingleEvaluationsAgreeOnValuesAndFaults)
{
    struct TCase {
        const char* Formula;
        double Bad; // the X that faults
        const char* Fault;
    };
    const TCase Cases[] = {
        {"A*EXP(X)+B", 710, typeid(EOverflow).name()},
        {"LN(X)*A", 0, typeid(EZeroDivide).name()},
        {"LN(X-1)", 0.5, typeid(EInvalidOp).name()},
        {"SIN(X)*COS(X*B)", 1e308, nullptr},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Formula);
        TFunctionParser P;
        const double Parameters[] = {1.5, -0.25};
        P.SetParameterValues(Parameters);
        P.SetExpression(C.Formula);
        std::vector<double> Xs;
        for (int i = 0; i < 600; ++i)
            Xs.push_back(i * 0.9 + 1.25);
        Xs[517] = C.Bad;
        std::vector<double> Got(Xs.size(), -1);
        std::string Fault;
        try {
            P.ValuesAt(Xs, Got);
        } catch (const EKvError& E) {
            Fault = typeid(E).name();
        }
        EXPECT_EQ(Fault, C.Fault ? C.Fault : "");
        const size_t Computed = C.Fault ? 517 : Xs.size();
        for (size_t i = 0; i < Computed; ++i)
            ASSERT_EQ(Got[i], P.ValueAt(Xs[i])) << i;
        if (C.Fault) {
            EXPECT_THROW(P.ValueAt(C.Bad), EKvError);
        }
    }
}

} // namespace
