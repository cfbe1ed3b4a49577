#pragma once
// An INI document bound to a file: loaded when created, written back when
// released, and only when it was changed.
//
// Release() saves a changed document: a temporary file beside the target is
// written and renamed over it, so a failed save never leaves a truncated
// file behind; the failure is raised as EFileError. The destructor releases
// a store that was not released explicitly; a failure there is raised too,
// unless another exception is already on its way.

#include "KvIniList.h"

#include <string>

namespace kv {

class TKvLargeIniFile : public TKvIniList {
public:
    explicit TKvLargeIniFile(std::string FileName);
    ~TKvLargeIniFile() noexcept(false);
    TKvLargeIniFile(const TKvLargeIniFile&) = delete;
    TKvLargeIniFile& operator=(const TKvLargeIniFile&) = delete;

    const std::string& Filename() const { return FFilename; }
    void Release();

private:
    std::string FFilename;
    bool FReleased = false;
};

} // namespace kv
