#pragma once
// Reads the reference curves written by data/make_reference.py: blocks of
// rows of numbers, each block after a "# title" line.

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef KURVEX_ANALYSIS_TEST_DATA
#error "KURVEX_ANALYSIS_TEST_DATA must name the folder of the reference curves"
#endif

namespace kvtest {

using TRows = std::vector<std::vector<double>>;

inline std::map<std::string, TRows> ReadReferenceCurves(const std::string& FileName)
{
    const std::string Path = std::string(KURVEX_ANALYSIS_TEST_DATA) + "/" + FileName;
    std::ifstream File(Path);
    if (!File)
        throw std::runtime_error("cannot open " + Path);
    std::map<std::string, TRows> Blocks;
    TRows* Current = nullptr;
    for (std::string Line; std::getline(File, Line);) {
        if (Line.rfind("# ", 0) == 0) {
            Current = &Blocks[Line.substr(2)];
            continue;
        }
        if (!Current || Line.empty())
            continue;
        std::istringstream In(Line);
        std::vector<double> Row;
        for (double v; In >> v;)
            Row.push_back(v);
        Current->push_back(Row);
    }
    return Blocks;
}

inline std::vector<double> Column(const TRows& Rows, size_t k)
{
    std::vector<double> Values;
    for (const auto& Row : Rows)
        Values.push_back(Row.at(k));
    return Values;
}

} // namespace kvtest
