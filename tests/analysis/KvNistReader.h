#pragma once
// A small reader for the NIST StRD files (linear and nonlinear least
// squares) in the reference folder; see its README for the layout. Used by
// the analysis tests and by the benchmark program that prints the digits
// table.

#include <string>
#include <vector>

namespace kvtest {

struct TNistParameter {
    std::string Name; // B0, B1, ... or b1, b2, ...
    double Start1 = 0; // nonlinear only
    double Start2 = 0; // nonlinear only
    double Value = 0;
    double Deviation = 0;
};

struct TNistDataSet {
    std::string Name;
    bool Nonlinear = false;
    std::vector<TNistParameter> Parameters;
    double ResidualStandardDeviation = 0;
    double RSquared = 0;             // linear only
    double ResidualSumOfSquares = 0; // nonlinear; for linear the ANOVA residual row
    std::vector<double> Y;
    std::vector<std::vector<double>> X; // one vector per predictor
};

// Reads a file; throws std::runtime_error with the reason when the file is
// missing or does not have the expected parts.
TNistDataSet ReadNistFile(const std::string& Path);

// The reference folder of the NIST files (KURVEX_REFERENCE_DATA/nist).
std::string NistFolder();
std::string NistPath(const std::string& Kind, const std::string& Name); // Kind: "linear" or "nonlinear"

// Log relative error: the number of significant digits Value shares with
// Certified (0 to 15; absolute error when Certified is 0).
double Digits(double Value, double Certified);

} // namespace kvtest
