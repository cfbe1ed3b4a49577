#pragma once
// Helpers of the document tests: a scratch folder and a formula engine that
// knows a handful of prepared formulas, so the table's evaluation rules are
// tested apart from the parser.

#include "document/KvColumnFormula.h"
#include "foundation/KvErrors.h"
#include "foundation/KvMissing.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>

namespace kvtest {

class TScratchFolder {
public:
    TScratchFolder()
    {
        static int Counter = 0;
        FPath = std::filesystem::temp_directory_path() /
                ("kurvex-document-" + std::to_string(::getpid()) + "-" + std::to_string(++Counter));
        std::filesystem::create_directories(FPath);
    }
    ~TScratchFolder()
    {
        std::error_code Ignored;
        std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, Ignored);
        std::filesystem::remove_all(FPath, Ignored);
    }
    std::string File(const std::string& Name) const { return (FPath / Name).string(); }
    const std::filesystem::path& Path() const { return FPath; }

private:
    std::filesystem::path FPath;
};

inline std::string ReadAll(const std::string& FileName)
{
    std::ifstream In(FileName, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

inline void WriteAll(const std::string& FileName, const std::string& Text)
{
    std::ofstream(FileName, std::ios::binary) << Text;
}

// Prepared formula text -> function of (columns, row).
class TFakeFormula : public kv::TKvColumnFormula {
public:
    using TColumns = std::span<kv::TKvRealVector* const>;
    using TFunction = std::function<double(TColumns, int32_t)>;

    explicit TFakeFormula(std::map<std::string, TFunction> Known) : FKnown(std::move(Known)) {}

    // The value of column k in Row, as the parser's column functions read
    // it: an empty cell raises EMissingValue.
    static double Cell(TColumns Columns, int32_t k, int32_t Row)
    {
        if (k < 1 || k > static_cast<int32_t>(Columns.size()))
            throw kv::ERangeError("Column does not exist");
        const double X = Columns[static_cast<size_t>(k - 1)]->GetValue(Row - 1);
        if (kv::IsMissing(X))
            throw kv::EMissingValue();
        return X;
    }

    void BindColumns(TColumns Columns) override { FColumns = Columns; }
    void SetExpression(const std::string& Prepared) override
    {
        Expressions.push_back(Prepared);
        auto It = FKnown.find(Prepared);
        if (It == FKnown.end()) {
            FCurrent = nullptr;
            throw kv::EMathParserError("Error parsing expression:\r" + Prepared);
        }
        FCurrent = &It->second;
    }
    double Value(int32_t Row) override
    {
        if (!FCurrent)
            return 0;
        return (*FCurrent)(FColumns, Row);
    }

    std::vector<std::string> Expressions; // every text compiled, in order

private:
    std::map<std::string, TFunction> FKnown;
    const TFunction* FCurrent = nullptr;
    TColumns FColumns;
};

} // namespace kvtest
