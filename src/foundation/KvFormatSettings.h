#pragma once
// The locale's number punctuation. The program sets it once at start from
// the system locale; tests set it explicitly. Nothing below the app layer
// reads the environment itself.

namespace kv {

struct TKvFormatSettings {
    char DecimalSeparator = '.';
    char ListSeparator = ',';
};

const TKvFormatSettings& FormatSettings();
void SetFormatSettings(const TKvFormatSettings& Settings);

inline char DecimalSeparator() { return FormatSettings().DecimalSeparator; }
inline char ListSeparator() { return FormatSettings().ListSeparator; }

// Sets the separators for the lifetime of the object and restores the
// previous ones afterwards (tests and scoped exports).
class TKvScopedFormatSettings {
public:
    explicit TKvScopedFormatSettings(const TKvFormatSettings& Settings)
        : Saved(FormatSettings()) { SetFormatSettings(Settings); }
    ~TKvScopedFormatSettings() { SetFormatSettings(Saved); }
    TKvScopedFormatSettings(const TKvScopedFormatSettings&) = delete;
    TKvScopedFormatSettings& operator=(const TKvScopedFormatSettings&) = delete;

private:
    TKvFormatSettings Saved;
};

} // namespace kv
