#include "KvNistReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <string_view>
#include <regex>
#include <sstream>
#include <stdexcept>

#ifndef KURVEX_REFERENCE_DATA
#define KURVEX_REFERENCE_DATA "../shared/reference"
#endif

namespace kvtest {

namespace {

// Numbers such as 10.07E0, -0.262323073774029 or 0.429796848199937E-03.
std::vector<double> Numbers(const std::string& Line)
{
    std::vector<double> Result;
    const char* p = Line.data();
    const char* End = p + Line.size();
    while (p < End) {
        while (p < End && (*p == ' ' || *p == '\t' || *p == '='))
            ++p;
        if (p >= End)
            break;
        const char* Begin = p;
        if (*p == '+')
            ++p;
        double v = 0;
        auto [Next, Error] = std::from_chars(p, End, v);
        if (Error != std::errc() || (Next < End && *Next != ' ' && *Next != '\t')) {
            // A word: skip it.
            p = Begin;
            while (p < End && *p != ' ' && *p != '\t')
                ++p;
            continue;
        }
        Result.push_back(v);
        p = Next;
    }
    return Result;
}

// Joins the pieces (operator+ on temporaries trips a false warning of the
// compiler's restrict check at -O3).
std::string Concat(std::initializer_list<std::string_view> Pieces)
{
    std::string Result;
    for (std::string_view P : Pieces)
        Result.append(P);
    return Result;
}

std::string Trim(std::string s)
{
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    return s.substr(i);
}

} // namespace

std::string NistFolder() { return std::string(KURVEX_REFERENCE_DATA) + "/nist"; }

std::string NistPath(const std::string& Kind, const std::string& Name)
{
    return NistFolder() + "/" + Kind + "/" + Name + ".dat";
}

TNistDataSet ReadNistFile(const std::string& Path)
{
    std::ifstream File(Path, std::ios::binary);
    if (!File)
        throw std::runtime_error(Concat({"cannot open ", Path}));
    std::vector<std::string> Lines;
    for (std::string Line; std::getline(File, Line);)
        Lines.push_back(Trim(Line));

    TNistDataSet Set;
    const size_t Slash = Path.find_last_of('/');
    Set.Name = Path.substr(Slash == std::string::npos ? 0 : Slash + 1);
    if (Set.Name.size() > 4 && Set.Name.ends_with(".dat"))
        Set.Name.resize(Set.Name.size() - 4);

    // Header: the line ranges of the data.
    size_t DataFirst = 0, DataLast = 0;
    const std::regex DataRange(R"(Data\s+\(lines\s+(\d+)\s+to\s+(\d+)\))");
    for (size_t i = 0; i < std::min<size_t>(Lines.size(), 10); ++i) {
        std::smatch Match;
        if (std::regex_search(Lines[i], Match, DataRange)) {
            DataFirst = std::stoul(Match[1]);
            DataLast = std::stoul(Match[2]);
        }
        if (Lines[i].find("Nonlinear") != std::string::npos)
            Set.Nonlinear = true;
    }
    if (DataFirst == 0 || DataLast < DataFirst || DataLast > Lines.size())
        throw std::runtime_error(Concat({"no data range in ", Path}));

    // Certified values (before the data).
    const std::regex LinearParameter(R"(^B(\d+)\s)");
    const std::regex NonlinearParameter(R"(^b(\d+)\s*=)");
    bool AfterResidual = false;
    for (size_t i = 0; i + 1 < DataFirst; ++i) {
        const std::string& L = Lines[i];
        std::smatch Match;
        if (std::regex_search(L, Match, NonlinearParameter)) {
            const std::vector<double> v = Numbers(L.substr(Match.length(0)));
            if (v.size() >= 4)
                Set.Parameters.push_back({Concat({"b", Match[1].str()}), v[0], v[1], v[2], v[3]});
            Set.Nonlinear = true;
        } else if (!Set.Nonlinear && std::regex_search(L, Match, LinearParameter)) {
            const std::vector<double> v = Numbers(L.substr(Match.length(0)));
            if (v.size() >= 2)
                Set.Parameters.push_back({Concat({"B", Match[1].str()}), 0, 0, v[0], v[1]});
        } else if (L.rfind("Residual Sum of Squares", 0) == 0) {
            const std::vector<double> v = Numbers(L.substr(L.find(':') + 1));
            if (!v.empty())
                Set.ResidualSumOfSquares = v.back();
        } else if (L.rfind("Residual Standard Deviation", 0) == 0) {
            const std::vector<double> v = Numbers(L.substr(L.find(':') + 1));
            if (!v.empty())
                Set.ResidualStandardDeviation = v.back();
        } else if (L == "Residual") {
            AfterResidual = true;
        } else if (AfterResidual && L.rfind("Standard Deviation", 0) == 0) {
            const std::vector<double> v = Numbers(L);
            if (!v.empty())
                Set.ResidualStandardDeviation = v.back();
            AfterResidual = false;
        } else if (L.rfind("R-Squared", 0) == 0) {
            const std::vector<double> v = Numbers(L);
            if (!v.empty())
                Set.RSquared = v.back();
        } else if (!Set.Nonlinear && L.rfind("Residual ", 0) == 0) {
            // ANOVA row: Residual  df  SS  MS
            const std::vector<double> v = Numbers(L);
            if (v.size() >= 2)
                Set.ResidualSumOfSquares = v[1];
        }
    }
    if (Set.Parameters.empty())
        throw std::runtime_error(Concat({"no certified parameters in ", Path}));

    // Data: y then the predictors.
    for (size_t i = DataFirst - 1; i < DataLast; ++i) {
        const std::vector<double> v = Numbers(Lines[i]);
        if (v.size() < 2)
            throw std::runtime_error(Concat({"bad data line ", std::to_string(i + 1), " in ", Path}));
        if (Set.X.empty())
            Set.X.resize(v.size() - 1);
        if (v.size() - 1 != Set.X.size())
            throw std::runtime_error(Concat({"ragged data line ", std::to_string(i + 1), " in ", Path}));
        Set.Y.push_back(v[0]);
        for (size_t k = 1; k < v.size(); ++k)
            Set.X[k - 1].push_back(v[k]);
    }
    return Set;
}

double Digits(double Value, double Certified)
{
    if (!std::isfinite(Value))
        return 0;
    const double Error = Certified == 0 ? std::fabs(Value) : std::fabs(Value - Certified) / std::fabs(Certified);
    if (Error == 0)
        return 15;
    return std::clamp(-std::log10(Error), 0.0, 15.0) + 0.0; // never -0
}

} // namespace kvtest
