// The report window's file, print and insert commands.

#include "GraphRichTextForm.h"

#include "ReportPictureFile.h"
#include "RichPreviewForm.h"

#include "ui/MainTableForm.h"
#include "ui/graphwindow/GraphForm.h"

#include "report/KvReportPaginator.h"
#include "report/KvRtfReader.h"
#include "report/KvRtfWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextEdit>

namespace kv {

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }
std::string S(const QString& Q) { return Q.toStdString(); }

// The remembered folder of a path that may name a file or a folder.
QString FolderOf(const QString& Path)
{
    if (Path.isEmpty())
        return {};
    const QFileInfo Info(Path);
    return QDir::cleanPath(Info.isDir() ? Info.absoluteFilePath() : Info.absolutePath());
}

} // namespace

// ---------------------------------------------------------------- files

void TGraphRichText::NewDocument()
{
    const TPage Page = ActivePage();
    SetDocument(Page, TKvRtfDocument());
}

QString TGraphRichText::ProposedFile() const
{
    const TKvTableSettings& Settings = FTable.Settings();
    if (ActivePage() == PgMerged)
        return FolderOf(Q(Settings.LastMerged));
    const QString Own = GraphWindow ? Q(GraphWindow->Model().TemplateFile) : QString();
    return Own.isEmpty() ? Q(Settings.LastTemplateLoaded) : Own;
}

bool TGraphRichText::OpenDocument()
{
    if (ActivePage() == PgTemplate)
        SetPart(PgTemplate, PtBody);
    QString Filter = DocumentFilter;
    const QString Chosen = FTable.Services.OpenFileName("Load Document", ProposedFile(), DocumentFilter, Filter);
    if (Chosen.isEmpty())
        return false;
    if (!QFileInfo::exists(Chosen)) {
        Fail("File not found: " + Chosen);
        return false;
    }
    return LoadFile(Chosen);
}

bool TGraphRichText::SaveDocument()
{
    if (ActivePage() == PgTemplate)
        SetPart(PgTemplate, PtBody);
    QString Filter = DocumentFilter;
    QString Chosen = FTable.Services.SaveFileName("Save Document", ProposedFile(), DocumentFilter, Filter);
    if (Chosen.isEmpty())
        return false;
    if (QFileInfo(Chosen).suffix().isEmpty())
        Chosen += ".rtf";
    return SaveFile(Chosen);
}

void TGraphRichText::RememberFile(TPage Page, const QString& FileName)
{
    TKvTableSettings& Settings = FTable.MutableSettings();
    if (Page == PgTemplate) {
        Settings.LastTemplateLoaded = S(FileName);
        if (GraphWindow)
            GraphWindow->Model().TemplateFile = S(FileName);
    } else {
        Settings.LastMerged = S(FolderOf(FileName) + "/");
    }
}

bool TGraphRichText::LoadFile(const QString& FileName)
{
    const TPage Page = ActivePage();
    try {
        SetDocument(Page, ReadRtfFile(FileName));
    } catch (const EKvError& E) {
        Fail(Q(E.what()));
        return false;
    }
    RememberFile(Page, FileName);
    return true;
}

bool TGraphRichText::SaveFile(const QString& FileName)
{
    const TPage Page = ActivePage();
    try {
        WriteRtfFile(Document(Page), FileName);
    } catch (const EKvError& E) {
        Fail(Q(E.what()));
        return false;
    }
    SetModified(Page, false);
    RememberFile(Page, FileName);
    return true;
}

void TGraphRichText::PrintDocument()
{
    QPrintDialog Dialog(&ReportPrinter(), this);
    if (Dialog.exec() == QDialog::Accepted)
        TKvReportPaginator(ActiveDocument()).Print(ReportPrinter());
}

void TGraphRichText::PrinterSetup()
{
    QPageSetupDialog Dialog(&ReportPrinter(), this);
    Dialog.exec();
}

void TGraphRichText::PreviewDocument()
{
    TRichPreviewForm Preview(this);
    Preview.SetReport(ActiveDocument());
    Preview.exec();
}

// ---------------------------------------------------------------- insert

void TGraphRichText::InsertImage()
{
    QString Filter = ImageFilter;
    const QString Chosen = FTable.Services.OpenFileName("Insert Image", QString(), ImageFilter, Filter);
    if (!Chosen.isEmpty())
        InsertImageFile(Chosen);
}

// A picture wider than the text area is shrunk to its width.
void TGraphRichText::InsertImageFile(const QString& FileName)
{
    TKvPicture Picture;
    try {
        Picture = PictureFromFile(FileName);
    } catch (const EKvError& E) {
        Fail(Q(E.what()));
        return;
    }
    const int Usable = ActiveDocument().UsableWidth();
    if (Picture.GoalWidth > Usable && Usable > 0) {
        Picture.GoalHeight = static_cast<int>(static_cast<long long>(Picture.GoalHeight) * Usable / Picture.GoalWidth);
        Picture.GoalWidth = Usable;
    }
    QTextEdit* Editor = FPages[ActivePage()].Editor;
    QTextCursor C = Editor->textCursor();
    C.insertText(QString(QChar::ObjectReplacementCharacter), MakePictureFormat(*Editor->document(), Picture));
    Editor->setTextCursor(C);
}

void TGraphRichText::InsertPageField(const QString& Instruction)
{
    QTextEdit* Editor = FPages[ActivePage()].Editor;
    QTextCursor C = Editor->textCursor();
    const QTextCharFormat Plain = WithoutField(C.charFormat());
    C.insertText("1", AsField(Plain, NewFieldId(), Instruction));
    Editor->setTextCursor(C);
    Editor->setCurrentCharFormat(Plain);
}

} // namespace kv
