// Any text as a text table: it is detected and read, put into a table and
// exported; the export read back in its own layout gives the same cells.

#include "document/KvDataTable.h"
#include "document/KvTextDetect.h"
#include "document/KvTextImport.h"
#include "foundation/KvMissing.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr int32_t Columns = 64;

void Check(bool Condition)
{
    if (!Condition)
        std::abort();
}

// The exported rows: everything after the caption line, which markup and
// quotes may change (captions are not cells).
std::string_view DataLines(std::string_view Text) { return Text.substr(Text.find('\n') + 1); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size > 16384)
        return 0;
    const std::string_view Text(reinterpret_cast<const char*>(Data), Size);
    kv::TKvTextReadLimits Limits;
    Limits.MaxColumns = Columns;
    kv::TKvTextTable First = kv::ReadTextTable(Text, kv::DetectTextFormat(Text), Limits);
    Check(First.Columns.size() <= static_cast<size_t>(Columns));
    for (const auto& C : First.Columns) {
        Check(C.empty() || !kv::IsMissing(C.back()));
        for (double X : C)
            Check(kv::IsMissing(X) || std::isfinite(X));
    }
    kv::TKvDataTable Table(Columns);
    Table.PlaceTextTable(First, {});
    const std::string Exported = Table.ExportText('\t');

    kv::TKvTextFormat Tabs;
    Tabs.Delimiter = '\t';
    Tabs.HeaderRows = 1;
    Tabs.FirstDataLine = 1;
    kv::TKvTextTable Second = kv::ReadTextTable(Exported, Tabs, Limits);
    Check(Second.Unreadable == 0 && Second.CellsBeyondLastColumn == 0);
    kv::TKvDataTable Back(Columns);
    Back.PlaceTextTable(Second, {});
    Check(DataLines(Back.ExportText('\t')) == DataLines(Exported));
    // The export detects and reads without a fault too.
    kv::ReadTextTable(Exported, kv::DetectTextFormat(Exported), Limits);
    return 0;
}
