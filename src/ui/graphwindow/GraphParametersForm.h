#pragma once
// The graph, axis and legend parameters dialog: one shared, non-modal
// window that edits a copy of a graph window's settings. Nothing reaches
// the graph before "&Update" or "&OK"; "&Cancel" puts back what the graph
// held when the dialog was attached.

#include "graph/KvAxis.h"
#include "graph/KvColor.h"

#include "foundation/KvIniList.h"

#include <QDialog>

#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTabWidget;
class QToolBar;

namespace kv {

class TKvCaptionEdit;
struct TKvCaretFormat;
class TKvColorBtn;
class TKvFloatEdit;
class TKvGraphWindowModel;
class TKvIntegerEdit;
class TKvLineStylesCombo;
class TKvSeries;

struct TAxisParameters {
    TKvAxScaling Scaling = TKvAxScaling::AxNormal;
    bool Visible = true, Twisted = false, ShowCaption = false, DoUserCaption = false, ShowScaleLabels = true;
    bool TicksToData = false, AutoTicks = true, AutoRange = true, ZoomOutOnApply = false;
    int32_t MajorTickLength = 0, TickLength = 0;
    int32_t MajorTickThicknes = 0, TickThicknes = 0, AxisThicknes = 0;
    int32_t BorderCaptionGap = 0, CaptionScalingsGap = 0, ScalingsTicksGap = 0, ExponentScalingsGap = 0,
            ValuesTicksGap = 0;
    TColor AxisColor = clBlack, MajorTickColor = clBlack, TickColor = clBlack;
    double MajorTickPart = 0, TickPart = 0, LabelPart = 0;
    double Start = 0, Stop = 0;
    QString UserCaption, AutoCaption;
    friend bool operator==(const TAxisParameters&, const TAxisParameters&) = default;
};

enum TAxisIndex { AxBottom, AxLeft, AxTop, AxRight };

struct TGraphParameters {
    std::array<TAxisParameters, 4> Axes; // bottom, left, top, right
    TColor LegendColor = clBtnFace, Color = clBtnFace, DataColor = clBtnFace;
    TKvLineStyleRecord LegendFrame, FrameLine, MinorGridX, MajorGridX, MajorGridY, MinorGridY;
    QString Title;
    bool ShowTitle = false, ZeroOrigin = false;
    bool LegendVisible = false, Horizontal = false;
    TKvAxisPos InGraphPosition = TKvAxisPos::AxFreeFloating;
    int32_t Columns = 1, Rows = 1, OutsideGap = 0, BorderGap = 0, VerticalGap = 0, HorizontalGap = 0, LineGap = 0,
            LineLength = 0;
    friend bool operator==(const TGraphParameters&, const TGraphParameters&) = default;
};

struct TLegendPrms {
    bool IncludeInLegend = true, DoUserCaption = false;
    QString UserCaption, AutoCaption; // at most 255 characters each
    friend bool operator==(const TLegendPrms&, const TLegendPrms&) = default;
};

struct TGraphFonts {
    TKvFontRecord Title, Legend;
    std::array<TKvFontRecord, 4> Caption, Scale; // bottom, left, top, right
    friend bool operator==(const TGraphFonts&, const TGraphFonts&) = default;
};

class TGraphParametersForm : public QDialog {
    Q_OBJECT

public:
    // Reads its position from section "GraphParameters" of the settings
    // file (when given) and writes its placement there when destroyed.
    explicit TGraphParametersForm(std::string SettingsFile = {}, QWidget* Parent = nullptr);
    ~TGraphParametersForm() override;

    // What the dialog asks of the desktop; tests replace these.
    std::function<bool(TKvFontRecord& Font)> ChooseFont;
    std::function<bool(TColor& Color)> ChooseColor;
    std::function<void(const QString& Topic)> OnHelp;
    // After "&OK": the assignment window, the side panel and the table refresh.
    std::function<void()> OnApplied;

    void AttachGraphWindow(TKvGraphWindowModel* Window, const QString& WindowCaption);
    // The window is going away: the dialog lets go of it and hides.
    void DetachGraphWindow(const TKvGraphWindowModel* Window);
    TKvGraphWindowModel* GraphWindow() const { return FWindow; }
    bool Applied() const { return FApplied; }

    const TGraphParameters& Working() const { return FWork; }
    const std::vector<TLegendPrms>& WorkingItems() const { return FItems; }
    const TGraphFonts& WorkingFonts() const { return FFonts; }

    void UpdateBtnClick();
    void OKBtnClick();
    void CancelBtnClick();

    // Shows the working values in all pages (also done when activated).
    void FillAll();
    // The markup tool bar shown while a caption edit of the dialog has the focus.
    QToolBar* MarkupBar() const { return FMarkupBar; }
    void SetMarkupActions(const QList<QAction*>& Actions);

signals:
    // The format at the caret of the dialog's caption edits, for the check
    // marks of the markup commands.
    void CaptionCaretChanged(const kv::TKvCaretFormat& Format);

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // Reading and writing the graph.
    void ReadGraph();
    void ApplyToGraph(const TGraphParameters& P, const std::vector<TLegendPrms>& Items, const TGraphFonts& F);
    void ApplyAxis(TKvAxis& Axis, const TAxisParameters& A);
    std::vector<TKvSeries*> LegendSeries() const;

    // Pages.
    void BuildGraphPage(QWidget* Page);
    void BuildAxisPage(QWidget* Page);
    void BuildLegendPage(QWidget* Page);
    void FillGraphPage();
    void FillAxisPage();
    void FillLegendPage();
    void BuildLegendRows();
    void ApplyAxisRules();
    void ApplyLegendRules();
    void LayoutFontButtons();

    // Editing.
    std::vector<int> SelectedAxes() const;
    int FocusedAxis() const;
    void ForSelectedAxes(const std::function<void(TAxisParameters&)>& Write);
    void SetBackgroundColor(TColor C);
    void SetDataColor(TColor C);
    void PickColor(TKvColorBtn* Button, const std::function<void(TColor)>& Write);
    void PickFont(const std::function<TKvFontRecord()>& Read, const std::function<void(const TKvFontRecord&)>& Write);
    void ZeroOriginClicked(bool Checked);

    template <class TWidget>
    TWidget* Named(TWidget* W, const char* Name, const QString& Hint);

    TKvGraphWindowModel* FWindow = nullptr;
    bool FApplied = false;
    bool FFilling = false;
    TGraphParameters FWork, FSaved;
    std::vector<TLegendPrms> FItems, FSavedItems;
    TGraphFonts FFonts, FSavedFonts;
    int32_t FLegendLeft = 0, FLegendTop = 0;
    std::string FSettingsFile;

    QTabWidget* FPages = nullptr;
    QToolBar* FMarkupBar = nullptr;
    QScrollArea* FLegendScroll = nullptr;
    QWidget* FLegendRows = nullptr;
    std::vector<TKvCaptionEdit*> FItemEdits;
};

template <class TWidget>
TWidget* TGraphParametersForm::Named(TWidget* W, const char* Name, const QString& Hint)
{
    W->setObjectName(Name);
    if (!Hint.isEmpty())
        W->setToolTip(Hint);
    return W;
}

} // namespace kv
