#include "GraphReportCommands.h"

#include "RichPreviewForm.h"

#include "ui/graphwindow/GraphForm.h"

#include "report/KvReportClipboard.h"
#include "report/KvRtfWriter.h"
#include "workspace/KvReportCommand.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <optional>

namespace kv {

namespace {

// One printer for every report, so the set-up is kept between commands.
QPrinter& ReportPrinter()
{
    static QPrinter Printer(QPrinter::HighResolution);
    return Printer;
}

std::optional<TKvRtfDocument> PrepareReport(TGraphForm& Form)
{
    const std::string Last = (QCoreApplication::applicationDirPath() + "/Templates/Default.rtf").toStdString();
    try {
        return MergeWindowReport(Form.Model(), {}, Last);
    } catch (const EKvError& E) {
        QMessageBox::critical(&Form, "Report", QString::fromStdString(E.what()));
        return std::nullopt;
    }
}

void Connect(TGraphForm& Form, const char* Name, void (*Command)(TGraphForm&))
{
    QAction* A = Form.Action(Name);
    A->setEnabled(true);
    QObject::connect(A, &QAction::triggered, &Form, [&Form, Command] { Command(Form); });
}

void ReportToClipboard(TGraphForm& Form)
{
    if (const auto Report = PrepareReport(Form))
        QApplication::clipboard()->setMimeData(ReportMimeData(*Report).release());
}

void PrintPreview(TGraphForm& Form)
{
    if (const auto Report = PrepareReport(Form)) {
        TRichPreviewForm Preview(&Form);
        Preview.SetReport(*Report);
        Preview.exec();
    }
}

void PrintReport(TGraphForm& Form)
{
    if (const auto Report = PrepareReport(Form)) {
        QPrintDialog Dialog(&ReportPrinter(), &Form);
        if (Dialog.exec() == QDialog::Accepted)
            TKvReportPaginator(*Report).Print(ReportPrinter());
    }
}

void PrinterSetup(TGraphForm& Form)
{
    QPageSetupDialog Dialog(&ReportPrinter(), &Form);
    Dialog.exec();
}

void SaveReport(TGraphForm& Form)
{
    const auto Report = PrepareReport(Form);
    if (!Report)
        return;
    QString File = QFileDialog::getSaveFileName(&Form, "Save Report", QString(), "Documents (*.rtf)");
    if (File.isEmpty())
        return;
    if (!File.endsWith(".rtf", Qt::CaseInsensitive))
        File += ".rtf";
    try {
        WriteRtfFile(*Report, File);
    } catch (const EKvError& E) {
        QMessageBox::critical(&Form, "Save Report", QString::fromStdString(E.what()));
    }
}

} // namespace

void AttachReportCommands(TGraphForm& Form)
{
    Connect(Form, "ReportClipBoard", ReportToClipboard);
    Connect(Form, "PrintPreview", PrintPreview);
    Connect(Form, "PrintReport", PrintReport);
    Connect(Form, "PrinterSetup", PrinterSetup);
    Connect(Form, "SaveReport", SaveReport);
}

} // namespace kv
