#pragma once
// Whole-file text input and output.
//
// Text is UTF-8 inside the program. A file that is not valid UTF-8 was made
// elsewhere and is read as Windows-1252. Writing goes through a temporary
// file beside the target that is renamed over it, so the target is either
// the old file or the complete new one.

#include <functional>
#include <string>
#include <string_view>

namespace kv {

bool IsValidUtf8(std::string_view Text);
std::string Windows1252ToUtf8(std::string_view Text);

// A file's bytes mapped into memory for reading, without copying them.
// Empty files and files that cannot be mapped read through a plain buffer.
class TKvMappedFile {
public:
    explicit TKvMappedFile(const std::string& FileName);
    ~TKvMappedFile();
    TKvMappedFile(const TKvMappedFile&) = delete;
    TKvMappedFile& operator=(const TKvMappedFile&) = delete;

    bool IsOpen() const { return FOpen; }
    const std::string& Error() const { return FError; }
    std::string_view Bytes() const { return FBytes; }

private:
    bool FOpen = false;
    std::string FError;
    std::string_view FBytes;
    void* FMap = nullptr;
    size_t FMapSize = 0;
    std::string FBuffer;
};

// Calls Use with the file's text as UTF-8 (a leading UTF-8 byte-order mark
// dropped, Windows-1252 converted); the view lives only during the call.
// Returns false, with Error set, when the file cannot be read.
bool UseTextFile(const std::string& FileName, const std::function<void(std::string_view Text)>& Use,
                 std::string* Error = nullptr);

// Reads the whole file into Text as UTF-8 (a leading UTF-8 byte-order mark
// dropped). Returns false, with Error set, when the file cannot be read.
bool ReadTextFile(const std::string& FileName, std::string& Text, std::string* Error = nullptr);

// Replaces FileName by Data; raises EFileError "Cannot create file "<name>". <reason>"
// when it cannot be written.
void WriteFileReplacing(const std::string& FileName, std::string_view Data);

} // namespace kv
