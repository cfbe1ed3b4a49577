// The table window's text import with detection: the import dialog, the
// progress of a long read, File | Open of a text file and the paste of a
// text table. The reading itself is the document layer's.

#include "MainTableForm.h"

#include "table/ImportTableForm.h"

#include "document/KvTextDetect.h"
#include "document/KvTextTableFile.h"
#include "foundation/KvErrors.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressDialog>

namespace kv {

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }
std::string S(const QString& Q) { return Q.toStdString(); }

constexpr int ProgressSteps = 1000;

} // namespace

bool TMainTableForm::OpenAnyFile(const QString& FileName)
{
    if (IsDataFile(S(FileName)))
        return LoadFromFile(FileName);
    return ImportTextFile(FileName, TTextImport::Open);
}

bool TMainTableForm::ImportTextFile(const QString& FileName, TTextImport Kind)
{
    std::string Text;
    try {
        Text = ReadTextTableFile(S(FileName));
    } catch (const EKvError& E) {
        ShowError(Q(E.what()));
        return false;
    }
    TImportTableForm Dialog(Text, DetectTextFormat(Text), ActiveColumn(), Kind != TTextImport::Open, this);
    if (!Services.RunImportDialog(Dialog))
        return false;
    const TKvTextPlacement Where = Dialog.Placement();
    // Import and Open asked before the file was chosen; a drop asks now,
    // and only when the table is to be replaced.
    if (Kind == TTextImport::Drop && Where.Mode == TKvTextPlacement::TMode::Replace && !AskOverwrite())
        return false;
    QProgressDialog Progress(QString("Importing %1 ...").arg(QFileInfo(FileName).fileName()), "Cancel", 0,
                             ProgressSteps, this);
    Progress.setWindowModality(Qt::WindowModal);
    Progress.setMinimumDuration(500);
    TKvTextReadLimits Limits;
    Limits.Progress = [&](double Done) {
        Progress.setValue(static_cast<int>(Done * ProgressSteps));
        return !Progress.wasCanceled();
    };
    StatusPanel(2)->clear();
    bool Done = false;
    try {
        RunFile([&] {
            Done = kv::ImportTextTable(FDocument, Text, Dialog.Format(), Where, Kind == TTextImport::Open, Limits);
        });
    } catch (const EKvError&) {
        return false;
    }
    if (!Done)
        return false;
    if (Kind != TTextImport::Open)
        MutableSettings().LastImExport = S(QFileInfo(FileName).absolutePath());
    if (!FDocument.Table.LastMessage().empty())
        Services.ShowInfo(Q(FDocument.Table.LastMessage()));
    return true;
}

void TMainTableForm::PasteTableText(const std::string& Text)
{
    if (HoldsOnlyNumbers(Text)) {
        FDocument.Table.PasteText(Text, ActiveColumn(), ActiveDataRow());
        return;
    }
    TKvTextReadLimits Limits;
    Limits.MaxColumns = FDocument.Table.MaxColumns() - ActiveColumn() + 1;
    TKvTextTable Table = ReadTextTable(Text, DetectTextFormat(Text), Limits);
    FDocument.Table.PlaceTextTable(Table, {TKvTextPlacement::TMode::Paste, ActiveColumn(), ActiveDataRow()});
}

} // namespace kv
