#pragma once
// A report for the clipboard: rich text as "text/rtf" with its plain text
// as the alternative for programs without RTF.

#include "KvRtfDocument.h"

#include <QMimeData>

#include <memory>

namespace kv {

std::unique_ptr<QMimeData> ReportMimeData(const TKvRtfDocument& Report);

} // namespace kv
