#include "KvGraphCommandArgs.h"

#include "foundation/KvErrors.h"

#include <algorithm>
#include <charconv>

namespace kv {

namespace {

class TArgReader {
public:
    TArgReader(const std::vector<std::string>& Args, const TKvGraphCommandSyntax& Syntax)
        : FArgs(Args), FSyntax(Syntax)
    {
    }

    [[noreturn]] void Fail(const std::string& Message) const
    {
        throw EConvertError(Message + std::string(FSyntax.Usage));
    }

    const std::string& NextValue(size_t& i) const
    {
        if (i + 1 >= FArgs.size())
            Fail("Missing value after " + FArgs[i] + ". ");
        return FArgs[++i];
    }

    int32_t Positive(const std::string& Text, const char* What) const
    {
        int32_t Value = 0;
        const auto [Ptr, Ec] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
        if (Ec != std::errc() || Ptr != Text.data() + Text.size() || Value < 1)
            Fail(std::string("Invalid ") + What + " '" + Text + "'. ");
        return Value;
    }

    void Size(const std::string& Text, TKvGraphCommandArgs& R) const
    {
        const size_t X = Text.find_first_of("xX");
        if (X == std::string::npos)
            Fail("Invalid size '" + Text + "'. ");
        R.Width = Positive(Text.substr(0, X), "width");
        R.Height = Positive(Text.substr(X + 1), "height");
    }

private:
    const std::vector<std::string>& FArgs;
    const TKvGraphCommandSyntax& FSyntax;
};

} // namespace

bool HasCommandOption(const std::vector<std::string>& Args, const char* Option)
{
    return std::find(Args.begin(), Args.end(), Option) != Args.end();
}

TKvGraphCommandArgs ParseGraphCommandArgs(const std::vector<std::string>& Args, const TKvGraphCommandSyntax& Syntax)
{
    const TArgReader Reader(Args, Syntax);
    TKvGraphCommandArgs R;
    for (size_t i = 0; i < Args.size(); ++i) {
        const std::string& A = Args[i];
        if (A == Syntax.Option)
            R.Output = Reader.NextValue(i);
        else if (A == "--graph")
            R.Graph = Reader.Positive(Reader.NextValue(i), "graph number");
        else if (A == "--size" && Syntax.TakesSize)
            Reader.Size(Reader.NextValue(i), R);
        else if (A == "--template" && Syntax.TakesTemplate)
            R.Template = Reader.NextValue(i);
        else if (A.starts_with("--"))
            Reader.Fail("Unknown option " + A + ". ");
        else if (R.DataFile.empty())
            R.DataFile = A;
        else
            Reader.Fail(std::string("Only one data file can be ") + Syntax.DataFileVerb + ". ");
    }
    if (R.Output.empty() || R.DataFile.empty())
        Reader.Fail("");
    return R;
}

} // namespace kv
