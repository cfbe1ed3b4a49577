#include "KvLargeIniFile.h"

#include "KvTextFile.h"

#include <exception>

namespace kv {

TKvLargeIniFile::TKvLargeIniFile(std::string FileName) : FFilename(std::move(FileName))
{
    // A missing or unreadable file leaves the document empty; a later
    // change replaces it on release.
    UseTextFile(FFilename, [this](std::string_view Text) { SetText(Text); });
}

TKvLargeIniFile::~TKvLargeIniFile() noexcept(false)
{
    if (FReleased)
        return;
    if (std::uncaught_exceptions() > 0) {
        // Unwinding already: the caller is told of the first failure only.
        try {
            Release();
        } catch (...) {
        }
        return;
    }
    Release();
}

void TKvLargeIniFile::Release()
{
    if (FReleased)
        return;
    FReleased = true;
    if (!Modified())
        return;
    DropLeadingEmptyLines();
    WriteFileReplacing(FFilename, Text());
}

} // namespace kv
