#include "KvReportClipboard.h"

#include "KvRtfWriter.h"

namespace kv {

std::unique_ptr<QMimeData> ReportMimeData(const TKvRtfDocument& Report)
{
    auto Data = std::make_unique<QMimeData>();
    const std::string Rtf = WriteRtf(Report);
    Data->setData("text/rtf", QByteArray(Rtf.data(), static_cast<qsizetype>(Rtf.size())));
    Data->setData("application/rtf", QByteArray(Rtf.data(), static_cast<qsizetype>(Rtf.size())));
    Data->setText(Report.Body->toPlainText());
    return Data;
}

} // namespace kv
