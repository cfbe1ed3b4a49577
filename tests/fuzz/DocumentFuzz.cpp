// Fuzzes the reading of a data file's content: any text must load into the
// table and the assignment, recompute its live formulas and save again
// without crashing, hanging or reading outside the table.

#include "document/KvDocument.h"
#include "foundation/KvErrors.h"
#include "foundation/KvIniList.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

using namespace kv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    // Big tables are legitimate but slow; they say nothing more here.
    if (Size > 8192)
        return 0;
    TKvIniList Store;
    Store.SetText(std::string_view(reinterpret_cast<const char*>(Data), Size));
    if (Store.ReadInteger("Table", "MaxColumns", 26) > 64)
        return 0;
    TKvDocument Document;
    try {
        Document.LoadLayout(Store);
        Document.LoadValues(Store);
        Document.Assignment.LoadAssignments(Store);
        Document.UpdateLockedRows();
        if (Document.Table.MaxDataCount() <= 2000 && Document.Table.HasLiveFormula())
            Document.Table.RecalculateAll();
        TKvIniList Saved;
        Document.SaveLayout(Saved);
        Document.SaveValues(Saved);
        Document.Assignment.SaveAssignments(Saved);
        // Every graph is formatted alike; the first ones show any fault,
        // and a bounded count keeps a slow input a sign of a slow load.
        const int32_t Graphs = std::min(Document.Assignment.GraphCount(), 16);
        for (int32_t g = 1; g <= Graphs; ++g)
            for (int32_t k = 1; k <= Document.Table.MaxColumns(); ++k)
                (void)Document.Assignment.AssignmentText(g, k);
    } catch (const EKvError&) {
        // A clear error is an acceptable answer to a damaged file.
    }
    return 0;
}
