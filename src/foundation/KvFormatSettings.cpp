#include "KvFormatSettings.h"

namespace kv {

namespace {
TKvFormatSettings CurrentSettings;
}

const TKvFormatSettings& FormatSettings() { return CurrentSettings; }

void SetFormatSettings(const TKvFormatSettings& Settings) { CurrentSettings = Settings; }

} // namespace kv
