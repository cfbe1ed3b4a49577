#pragma once
// The report template shipped with the program: the graph's title and
// picture, then per data series every result its calculations write, with
// captions formatted. It is compiled in and also installed as
// Templates/Default.rtf beside the program, where the settings' last
// template points by default.

#include "KvRtfDocument.h"

namespace kv {

TKvRtfDocument DefaultTemplate();

} // namespace kv
