#pragma once
// The data table window: the main window of the program. It shows the
// document's table in the cell grid and runs the table commands (editing,
// clipboard, columns, formulas, files, import and export) on the document
// model; the model does the work, the window asks the questions.

#include "document/KvDocument.h"
#include "document/KvUserSettings.h"
#include "ui/widgets/KvCaptionEdit.h"

#include <QMainWindow>
#include <QMessageBox>

#include <array>
#include <functional>
#include <map>
#include <optional>

class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;

namespace kv {

class TKvCellGrid;
class TEditFormulaForm;
class TGoToCellForm;
class TKvHelpForm;
class TCharTableForm;
class TGraphParametersForm;
class TImportTableForm;

class TMainTableForm : public QMainWindow {
    Q_OBJECT

public:
    // What the window asks of the desktop; tests replace these.
    struct TServices {
        std::function<QMessageBox::StandardButton(const QString& Text, QMessageBox::StandardButtons Buttons)> Ask;
        std::function<void(const QString& Text)> ShowError;
        std::function<void(const QString& Text)> ShowInfo;
        // Returns the chosen file, or empty; SelectedFilter in and out.
        std::function<QString(const QString& Title, const QString& Start, const QString& Filter,
                              QString& SelectedFilter)>
            OpenFileName;
        std::function<QString(const QString& Title, const QString& Start, const QString& Filter,
                              QString& SelectedFilter)>
            SaveFileName;
        std::function<void()> Beep;
        // Runs the import dialog of text tables; true on OK.
        std::function<bool(TImportTableForm& Dialog)> RunImportDialog;
    };

    static constexpr const char* DataFileFilter = "Kurvex data (*.plt)";

    TMainTableForm(TKvDocument& Document, const TKvPaths& Paths, QWidget* Parent = nullptr);
    ~TMainTableForm() override;

    TServices Services;
    // The window a question or file dialog belongs to: the program's
    // active window (the graph window that asked), else this one.
    QWidget* DialogParent();
    // Where the data file dialogs start.
    QString DataFileFolder() const;

    TKvDocument& Document() { return FDocument; }
    TKvCellGrid* Grid() const { return FGrid; }
    QLabel* StatusPanel(int i) const { return FPanels[static_cast<size_t>(i)]; }
    QAction* Action(const QString& Name) const;
    const TKvTableSettings& Settings() const { return FSettings; }
    // The program's folders and the settings file, for the windows that
    // read remembered values from it.
    const TKvPaths& Paths() const { return FPaths; }
    // The remembered folders, which the graph windows update too.
    TKvTableSettings& MutableSettings() { return FSettings; }
    // The shared Window menu of all windows and the assignment dialog,
    // both provided by the owner of the graph windows.
    QMenu* WindowMenu() const { return FWindowMenu; }
    std::function<void()> OnAssignGraphs;
    TEditFormulaForm* FormulaEditor() const { return FFormulaEditor; }
    TGoToCellForm* GoToCellDialog() const { return FGoToCell; }
    TKvHelpForm* Help() const { return FHelp; }
    TCharTableForm* CharTable() const { return FCharTable; }
    // The one graph, axis and legend parameters dialog of the program.
    TGraphParametersForm* ParametersDialog() const { return FParameters; }
    // Moves the active cell to data row Row (1-based) of Column, growing the grid.
    void GoToCell(int Column, int Row);
    TKvCaptionEdit* CaptionEditor() const { return FCaptionEditor; }
    // The format commands' check marks follow the caret of a caption editor
    // (the table's own or a dialog's).
    void CaptionCaretChanged(const TKvCaretFormat& Format);
    bool InsertMode() const { return FInsertMode; }

    // Data files and text tables.
    bool LoadFromFile(const QString& FileName);
    bool SaveToFile(const QString& FileName);
    bool ImportTable(const QString& FileName, char Separator);
    bool ExportTable(const QString& FileName, char Separator);
    // Text tables with detection, through the import dialog
    // (MainTableFormImport.cpp): File | Import Table, File | Open of a text
    // file (a new, untitled document) and a text file dropped onto the
    // window. False when cancelled or failed.
    enum class TTextImport { Import, Open, Drop };
    bool ImportTextFile(const QString& FileName, TTextImport Kind);
    bool DropTextTable(const QString& FileName) { return ImportTextFile(FileName, TTextImport::Drop); }
    // A data file or, for any other file, a text table as a new document.
    bool OpenAnyFile(const QString& FileName);

    // The command line, handled at the first activation of the window.
    void SetCommandLine(const QStringList& Arguments) { FCommandLine = Arguments; }
    void HandleCommandLine();
    // Saves the settings file now (the destructor does it too, once).
    void SaveSettings();

    // The grid shows what the model holds; call after changes from outside.
    void RefreshGrid();
    void UpdateActions();
    // The hint the grid shows at a viewport position.
    QString HintAt(const QPoint& Position) const;

public slots:
    void EditCut();
    void EditCopy();
    void EditPaste();
    void EditDelete();
    void InsertCell();
    void InsertRow();
    void InsertColumn();
    void DeleteColumn();
    void SelectColumn();
    void SelectRow();
    void ToFirstDataCol();
    void ToLastDataCol();
    void ToLastDataRow();
    void ToFirstRow();
    void DoGoTo();
    bool ClearAll();
    void Import();
    void Export();
    void Open();
    void Save();
    void EditFormula();
    void ShowAbout();
    void ShowHelpContents();
    void ShowHelpSearch();
    void ShowHelpTopic(const QString& Topic);
    void SetIconStyle(int Style);

protected:
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateGrid();
    void ConnectModel();
    QAction* AddAction(const QString& Name, const QString& Caption, const QString& Hint, const QKeySequence& Key,
                       void (TMainTableForm::*Slot)());
    void UpdateRecentFilesMenu();
    void OpenRecent(const QString& FileName);
    bool AskOverwrite();
    // The save dialog and the save; false when cancelled or failed.
    bool SaveDocument();
    // The window's place and size to and from the document's layout.
    void StorePlacement();
    void ApplyPlacement();
    QMessageBox::StandardButton Ask(const QString& Text, QMessageBox::StandardButtons Buttons);
    void ShowError(const QString& Text);
    void Beep();

    // Grid rows and columns against the model.
    int LockedRows() const;
    int DataRow(int GridRow) const { return GridRow - LockedRows(); }
    int ActiveColumn() const;
    int ActiveDataRow() const;
    std::vector<TKvCellRange> SelectedRanges() const;
    QString CellText(int Row, int Col) const;
    void CellAttributes(int Row, int Col, struct TKvCellAttributes& A) const;
    bool DrawLockedCell(QPainter& Painter, const QRect& Rect, int Row, int Col) const;
    void CellEdited(int Row, int Col, const QString& Text);
    void LockedCellClicked(int Row, int Col);
    void EditCaption(int Col);
    void CaptionEdited();
    void ApplyMessage(const std::string& Message);
    // The focused plain text field, when the clipboard commands are its own.
    QLineEdit* FocusedTextField() const;
    void RunFile(const std::function<void()>& Operation);
    // Paste of a text that is more than numbers and separators: detection.
    void PasteTableText(const std::string& Text);
    std::vector<QString> ColumnCaptions() const;

    TKvDocument& FDocument;
    TKvPaths FPaths;
    TKvTableSettings FSettings;
    TKvCellGrid* FGrid = nullptr;
    TKvCaptionEdit* FCaptionEditor = nullptr;
    int FCaptionColumn = 0;
    std::array<QLabel*, 3> FPanels{};
    std::map<QString, QAction*> FActions;
    QMenu* FFileMenu = nullptr;
    QMenu* FWindowMenu = nullptr;
    QAction* FRecentSeparator = nullptr;
    std::vector<QAction*> FRecentActions;
    QActionGroup* FIconStyles = nullptr;
    QToolBar* FToolBar = nullptr;
    TEditFormulaForm* FFormulaEditor = nullptr;
    TGoToCellForm* FGoToCell = nullptr;
    TKvHelpForm* FHelp = nullptr;
    TCharTableForm* FCharTable = nullptr;
    TGraphParametersForm* FParameters = nullptr;
    QStringList FCommandLine;
    bool FActivated = false;
    bool FSettingsSaved = false;
    bool FInsertMode = true;
    int FGoToRow = 1;
};

} // namespace kv
