#pragma once
// The report window "Plot / Edit current Graph Printout": the template of
// a graph window's report and the report merged from it, each on a page of
// its own with the body, header and footer chosen under the editor; the
// merge tool bar on the template page; file, print, insert, view and
// format commands on the document of the visible page; the status bar
// with the modified mark, the typing mode and the field at the caret.
// One window serves every graph window; it belongs to the table window.

#include "report/KvRtfDocument.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <map>
#include <memory>

class QLabel;
class QPrinter;
class QTabBar;
class QTabWidget;
class QTextEdit;

namespace kv {

class TGraphForm;
class TMainTableForm;
class TReportFormatBar;
class TReportMergeBar;

class TGraphRichText : public QMainWindow {
    Q_OBJECT

public:
    enum TPage { PgTemplate = 0, PgMerged = 1 };
    enum TPart { PtBody = 0, PtHeader = 1, PtFooter = 2 };
    enum class TZoom { Zoom100, ZoomWidth, ZoomPage };

    static constexpr const char* DocumentFilter = "Documents (*.rtf *.RTF)";
    static constexpr const char* ImageFilter = "Graphic Files (*.bmp *.jpg *.wmf *.emf *.BMP *.JPG *.WMF *.EMF)";
    static constexpr const char* ModifiedQuestion = "Template was modified!\rDo you want to save?";
    static constexpr const char* ReplaceQuestion =
        "The report of another graph window was edited!\rDo you want to replace it?";

    explicit TGraphRichText(TMainTableForm& Table);
    ~TGraphRichText() override;
    // The table window's report window, made at its first use.
    static TGraphRichText& Shared(TMainTableForm& Table);
    // One printer for every report, so its set-up is kept between commands.
    static QPrinter& ReportPrinter();

    // The graph window being reported on.
    QPointer<TGraphForm> GraphWindow;
    int CoeffIndex = 1;
    int CalcIndex = 1;
    int SeriesIndex = 0;

    TKvRtfDocument& Document(TPage Page) const { return *FPages[Page].Document; }
    TKvRtfDocument& TemplateDocument() const { return Document(PgTemplate); }
    TKvRtfDocument& MergedDocument() const { return Document(PgMerged); }
    TKvRtfDocument& ActiveDocument() const { return Document(ActivePage()); }
    // Replaces a page's document by a copy of Source, not modified.
    void SetDocument(TPage Page, const TKvRtfDocument& Source);
    bool IsModified(TPage Page) const;
    void SetModified(TPage Page, bool Modified);

    TPage ActivePage() const;
    void ShowPage(TPage Page);
    QTextEdit* Editor(TPage Page) const { return FPages[Page].Editor; }
    QTabBar* PartTabs(TPage Page) const { return FPages[Page].Parts; }
    TPart Part(TPage Page) const { return FPages[Page].Part; }
    void SetPart(TPage Page, TPart Part);
    TReportMergeBar* MergeBar() const { return FMergeBar; }
    TReportFormatBar* FormatBar() const { return FFormatBar; }
    QAction* Action(const QString& Name) const;
    QLabel* StatusPanel(int i) const { return FPanels[static_cast<size_t>(i)]; }

    // ---- the report
    // Loads the graph window's template (its own, else the settings' last
    // one, else the shipped default) and merges it. Unsaved edits of the
    // template are offered for saving first, and an edited report of
    // another graph window is replaced only when the user says so; false
    // when the user cancels.
    bool PrepareReport(TGraphForm& Form);
    // Asks whether to save a modified template and does; false when the
    // user cancels or the save does not happen.
    bool AskToSaveTemplate();
    // Merges the template as it is now and shows the merged text.
    void MergeExecute();
    // The fields of the merge tool bar from the first series' results.
    void RefreshFieldLists();
    // Inserts a merge field at the template's caret.
    void InsertField(const QString& Name, const QString& Content);

    // ---- file commands on the active document; false when nothing was done
    void NewDocument();
    bool OpenDocument();
    bool SaveDocument();
    // What the dialogs lead to: the file read into or written from the
    // active page, the remembered paths updated.
    bool LoadFile(const QString& FileName);
    bool SaveFile(const QString& FileName);
    // The file or folder the dialogs of the active page start with.
    QString ProposedFile() const;
    void PrintDocument();
    void PrinterSetup();
    void PreviewDocument();

    // ---- insert commands at the active editor's caret
    void InsertImage();
    void InsertImageFile(const QString& FileName);
    void InsertPageField(const QString& Instruction);

    // ---- format
    // The page dialog on the active document; SetPageSetup is what it leads to.
    void EditPage();
    void SetPageSetup(const TKvPageSetup& Page);

    // ---- view
    void ShowInsertPoints(bool Show);
    void ShowSpaceMarkers(bool Show);
    void SetZoom(TZoom Zoom);
    TZoom Zoom(TPage Page) const { return FPages[Page].Zoom; }
    // The scale of a page's editor against the printed size.
    double ZoomScale(TPage Page) const { return FPages[Page].Scale; }
    // The description of the field at the active editor's caret.
    QString CaretFieldDescription() const;

protected:
    void closeEvent(QCloseEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // A template file becomes the graph's template and the one reports
    // start from; a report file's folder is where the next one is proposed.
    void RememberFile(TPage Page, const QString& FileName);

    struct TPageState {
        // The editor lays its part out for this device, whose resolution
        // is the screen's times the zoom; it outlives the documents.
        QImage LayoutDevice;
        double Scale = 1;
        std::unique_ptr<TKvRtfDocument> Document;
        QTextEdit* Editor = nullptr;
        QTabBar* Parts = nullptr;
        TPart Part = PtBody;
        TZoom Zoom = TZoom::Zoom100;
    };

    QAction* AddAction(const QString& Name, const QString& Caption, const QString& Hint,
                       const QKeySequence& Key = {});
    void CreateActions();
    void CreateMenus();
    QWidget* CreatePage(TPage Page);
    void AttachPart(TPage Page);
    void ApplyViewOptions(TPage Page);
    void PageChanged();
    void CaretMoved(TPage Page);
    void UpdateStatus();
    void UpdateInsertPoints(TPage Page);
    QTextDocument& PartDocument(TPage Page) const;
    void Fail(const QString& Message) const;

    TMainTableForm& FTable;
    std::array<TPageState, 2> FPages;
    QTabWidget* FTabs = nullptr;
    TReportMergeBar* FMergeBar = nullptr;
    TReportFormatBar* FFormatBar = nullptr;
    std::array<QLabel*, 3> FPanels{};
    std::map<QString, QAction*> FActions;
    bool FInsertPoints = true;
    bool FSpaceMarkers = false;
};

} // namespace kv
