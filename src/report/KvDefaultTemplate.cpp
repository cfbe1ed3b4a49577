#include "KvDefaultTemplate.h"

#include "KvDefaultTemplateText.h"
#include "KvRtfReader.h"

namespace kv {

TKvRtfDocument DefaultTemplate() { return ReadRtf(DefaultTemplateText); }

} // namespace kv
