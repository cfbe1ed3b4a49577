#include "GraphReportCommands.h"

#include "GraphRichTextForm.h"
#include "RichPreviewForm.h"

#include "ui/graphwindow/GraphForm.h"

#include "report/KvReportClipboard.h"
#include "report/KvReportPaginator.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace kv {

namespace {

QPrinter& ReportPrinter() { return TGraphRichText::ReportPrinter(); }

// The merged report of the window, made by the shared report window;
// none when the user keeps the template being edited.
const TKvRtfDocument* PrepareReport(TGraphForm& Form)
{
    TGraphRichText& Report = TGraphRichText::Shared(Form.Table());
    return Report.PrepareReport(Form) ? &Report.MergedDocument() : nullptr;
}

void Connect(TGraphForm& Form, const char* Name, void (*Command)(TGraphForm&))
{
    QAction* A = Form.Action(Name);
    A->setEnabled(true);
    QObject::connect(A, &QAction::triggered, &Form, [&Form, Command] { Command(Form); });
}

// The window opens on the merged report; its template page edits the
// template. It is an ordinary window beside the graph windows: the
// program stays usable while it is open or minimised, and a graph window
// that goes away only ends the merge (the merge asks for its window).
void EditGraphPrintout(TGraphForm& Form)
{
    if (!PrepareReport(Form))
        return;
    TGraphRichText& Report = TGraphRichText::Shared(Form.Table());
    Report.show();
    if (Report.isMinimized())
        Report.showNormal();
    Report.raise();
    Report.activateWindow();
}

void ReportToClipboard(TGraphForm& Form)
{
    if (const TKvRtfDocument* Report = PrepareReport(Form))
        QApplication::clipboard()->setMimeData(ReportMimeData(*Report).release());
}

void PrintPreview(TGraphForm& Form)
{
    const TKvRtfDocument* Report = PrepareReport(Form);
    if (!Report)
        return;
    TRichPreviewForm Preview(&Form);
    Preview.SetReport(*Report);
    Preview.exec();
}

void PrintReport(TGraphForm& Form)
{
    const TKvRtfDocument* Report = PrepareReport(Form);
    if (!Report)
        return;
    QPrintDialog Dialog(&ReportPrinter(), &Form);
    if (Dialog.exec() == QDialog::Accepted)
        TKvReportPaginator(*Report).Print(ReportPrinter());
}

void PrinterSetup(TGraphForm& Form)
{
    QPageSetupDialog Dialog(&ReportPrinter(), &Form);
    Dialog.exec();
}

// The report window's save on its merged page: the last report folder.
void SaveReport(TGraphForm& Form)
{
    if (PrepareReport(Form))
        TGraphRichText::Shared(Form.Table()).SaveDocument();
}

} // namespace

void AttachReportCommands(TGraphForm& Form)
{
    Connect(Form, "EditGraphPrintout", EditGraphPrintout);
    Connect(Form, "ReportClipBoard", ReportToClipboard);
    Connect(Form, "PrintPreview", PrintPreview);
    Connect(Form, "PrintReport", PrintReport);
    Connect(Form, "PrinterSetup", PrinterSetup);
    Connect(Form, "SaveReport", SaveReport);
}

} // namespace kv
