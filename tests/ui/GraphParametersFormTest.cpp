#include "ui/graphwindow/GraphParametersForm.h"

#include "document/KvUserSettings.h"
#include "foundation/KvLargeIniFile.h"
#include "ui/MainTableForm.h"
#include "ui/graphwindow/GraphForm.h"

#include "graph/KvDataSeries.h"
#include "graph/KvLegend.h"
#include "ui/KvFloatEdit.h"
#include "ui/KvIntegerEdit.h"
#include "ui/widgets/KvCaptionEdit.h"
#include "ui/widgets/KvColorPicker.h"
#include "workspace/KvWorkspace.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

using namespace kv;

namespace {

// The fields in which two axis records differ, for the failure message.
std::string Differences(const TAxisParameters& A, const TAxisParameters& B)
{
    std::string Out;
    auto Field = [&Out](const char* Name, auto X, auto Y) {
        if (!(X == Y))
            Out += std::string(Name) + " ";
    };
#define KV_FIELD(F) Field(#F, A.F, B.F)
    KV_FIELD(Scaling);
    KV_FIELD(Visible);
    KV_FIELD(Twisted);
    KV_FIELD(ShowCaption);
    KV_FIELD(DoUserCaption);
    KV_FIELD(ShowScaleLabels);
    KV_FIELD(TicksToData);
    KV_FIELD(AutoTicks);
    KV_FIELD(AutoRange);
    KV_FIELD(MajorTickLength);
    KV_FIELD(TickLength);
    KV_FIELD(MajorTickThicknes);
    KV_FIELD(TickThicknes);
    KV_FIELD(AxisThicknes);
    KV_FIELD(BorderCaptionGap);
    KV_FIELD(CaptionScalingsGap);
    KV_FIELD(ScalingsTicksGap);
    KV_FIELD(ExponentScalingsGap);
    KV_FIELD(ValuesTicksGap);
    KV_FIELD(AxisColor);
    KV_FIELD(MajorTickColor);
    KV_FIELD(TickColor);
    KV_FIELD(MajorTickPart);
    KV_FIELD(TickPart);
    KV_FIELD(LabelPart);
    KV_FIELD(Start);
    KV_FIELD(Stop);
    KV_FIELD(UserCaption);
    KV_FIELD(AutoCaption);
#undef KV_FIELD
    return Out;
}

class GraphParameters : public testing::Test {
protected:
    TKvWorkspace W;
    std::unique_ptr<TGraphParametersForm> Form;
    std::vector<TColor> NextColors;
    TKvFontRecord NextFont;

    // Graph 1 with Slots series: column 1 as X, columns 2.. as Y.
    void Open(int Slots = 1)
    {
        for (int k = 1; k <= Slots + 1; ++k)
            for (double V : {1.0, 4.0, 10.0})
                W.Document.Table.Data(k).Add(V * k);
        auto& A = W.Document.Assignment;
        auto& D = A.Graphs[0];
        if (D.SlotCount() < Slots)
            D.Resize(Slots);
        for (int s = 0; s < Slots; ++s) {
            D.XAxis[static_cast<size_t>(s)] = 1;
            D.YAxis[static_cast<size_t>(s)] = s + 2;
        }
        W.RebuildGraphWindows();
        Attach();
    }
    TKvGraphWindowModel& Model() { return W.Window(1); }
    void Attach()
    {
        if (!Form) {
            Form = std::make_unique<TGraphParametersForm>();
            Form->ChooseColor = [this](TColor& C) {
                if (NextColors.empty())
                    return false;
                C = NextColors.front();
                NextColors.erase(NextColors.begin());
                return true;
            };
            Form->ChooseFont = [this](TKvFontRecord& F) {
                F = NextFont;
                return true;
            };
        }
        Form->AttachGraphWindow(&Model(), Model().Caption);
        Form->show();
    }
    template <class T>
    T* Ctl(const QString& Name)
    {
        T* C = Form->findChild<T*>(Name);
        EXPECT_NE(C, nullptr) << Name.toStdString();
        return C;
    }
    void SelectAxes(std::initializer_list<int> Axes, int Focused)
    {
        auto* List = Ctl<QListWidget>("AxisSelect");
        Ctl<QTabWidget>("Pages")->setCurrentIndex(1);
        List->clearSelection();
        List->setCurrentRow(Focused);
        for (int i : Axes)
            List->item(i)->setSelected(true);
    }
    void SetInt(const char* Name, int V) { Ctl<TKvIntegerEdit>(Name)->setText(QString::number(V)); }
    void SetFloat(const char* Name, double V) { Ctl<TKvFloatEdit>(Name)->setText(QString::number(V)); }
    void Click(const char* Name) { Ctl<QAbstractButton>(Name)->click(); }
    void PickColor(const char* Button, TColor C)
    {
        NextColors = {C};
        Click(Button);
    }
    const TAxisParameters& Axis(int i) const { return Form->Working().Axes[static_cast<size_t>(i)]; }
    void Shot(const char* Name)
    {
        if (const char* Folder = std::getenv("KURVEX_SHOTS"))
            Form->grab().save(QString(Folder) + "/" + Name + ".png");
    }
};

TEST_F(GraphParameters, SeveralAxesGetOnlyTheValuesTheUserChanges)
{
    Open();
    Model().TopAxis.SetMajorTickLength(4);
    Model().RightAxis.SetMajorTickLength(-9);
    Attach();
    SelectAxes({AxTop, AxRight}, AxTop);
    auto* Visible = Ctl<QCheckBox>("AxisVisibleCheck");
    EXPECT_FALSE(Visible->isHidden());
    const bool WasVisible = Axis(AxTop).Visible;
    Visible->click();
    EXPECT_EQ(Axis(AxTop).Visible, !WasVisible);
    EXPECT_EQ(Axis(AxRight).Visible, !WasVisible);
    EXPECT_EQ(Axis(AxBottom).Visible, Model().BottomAxis.Visible());
    // Showing the focused axis does not copy its values into the other one.
    EXPECT_EQ(Axis(AxTop).MajorTickLength, 4);
    EXPECT_EQ(Axis(AxRight).MajorTickLength, 9);
    SetInt("AxisMajorTicksLengthEdit", 7);
    EXPECT_EQ(Axis(AxTop).MajorTickLength, 7);
    EXPECT_EQ(Axis(AxRight).MajorTickLength, 7);
    EXPECT_NE(Axis(AxLeft).MajorTickLength, 7);
    // With a primary axis in the selection the check is hidden; the caption
    // source needs exactly one axis.
    EXPECT_FALSE(Ctl<QWidget>("DoAutoCaptionCheck")->isEnabled());
    SelectAxes({AxBottom, AxTop}, AxTop);
    EXPECT_TRUE(Visible->isHidden());
    SelectAxes({AxTop}, AxTop);
    EXPECT_TRUE(Ctl<QWidget>("DoAutoCaptionCheck")->isEnabled());
}

TEST_F(GraphParameters, EnablingRulesOfTheAxisPage)
{
    Open();
    SelectAxes({AxBottom}, AxBottom);
    auto* Auto = Ctl<QCheckBox>("AxisAutoRangeCheck");
    Auto->setChecked(true);
    EXPECT_FALSE(Ctl<QWidget>("AxisRangeStartEdit")->isEnabled());
    Auto->setChecked(false);
    EXPECT_TRUE(Ctl<QWidget>("AxisRangeStopEdit")->isEnabled());
    Click("AxisLogRadio");
    EXPECT_EQ(Axis(AxBottom).Scaling, TKvAxScaling::AxLog);
    EXPECT_FALSE(Ctl<QWidget>("AxisAutoTicksCheck")->isEnabled());
    Click("AxisNormalRadio");
    Ctl<QCheckBox>("AxisAutoTicksCheck")->setChecked(false);
    EXPECT_TRUE(Ctl<QWidget>("AxisLabelsAtEdit")->isEnabled());
}

TEST_F(GraphParameters, AutomaticRangeZoomsOutOnEveryUpdate)
{
    Open();
    TKvAxis& Bottom = Model().BottomAxis;
    Bottom.SetStartEnd(TKvAxEnd::AxFixed);
    Bottom.SetStopEnd(TKvAxEnd::AxFixed);
    Bottom.SetStart(3);
    Bottom.SetStop(4);
    Attach();
    EXPECT_FALSE(Axis(AxBottom).AutoRange);
    SelectAxes({AxBottom}, AxBottom);
    Ctl<QCheckBox>("AxisAutoRangeCheck")->setChecked(true);
    EXPECT_TRUE(Axis(AxBottom).ZoomOutOnApply);
    Form->UpdateBtnClick();
    Model().Graph.PrepareForPaint();
    EXPECT_LE(Bottom.Start(), 1.0);
    EXPECT_GE(Bottom.Stop(), 10.0);
    Bottom.Zoom(4, 5);
    Model().Graph.PrepareForPaint();
    EXPECT_LT(Bottom.Stop(), 10.0);
    Form->UpdateBtnClick();
    Model().Graph.PrepareForPaint();
    EXPECT_LE(Bottom.Start(), 1.0);
    EXPECT_GE(Bottom.Stop(), 10.0);
}

TEST_F(GraphParameters, CancelAfterTwoUpdatesRestoresTheStateAtAttaching)
{
    Open(2);
    TKvGraphWindowModel& M = Model();
    M.Legend.Left = 40;
    M.Legend.Top = 50;
    Attach();
    const TGraphParameters Before = Form->Working();
    const std::vector<TLegendPrms> Items = Form->WorkingItems();
    const TGraphFonts Fonts = Form->WorkingFonts();
    NextFont.Name = "Courier New";
    NextFont.Size = 20;
    Click("TitleFontBtn");
    SelectAxes({AxBottom, AxLeft}, AxLeft);
    Click("AxisCaptionFontBtn");
    Ctl<QCheckBox>("LegendItemAuto1")->setChecked(false);
    Ctl<TKvCaptionEdit>("LegendItemEdit1")->SetCaption("\\ba\\b");
    PickColor("BackgroundColorBtn", 0x00FF00);
    Form->UpdateBtnClick();
    EXPECT_EQ(M.Graph.TitleFont().Name, "Courier New");
    EXPECT_EQ(M.LeftAxis.CaptionFont().Size, 20);
    EXPECT_EQ(M.Graph.OwnedSeries()[1]->UserCaption(), QString("\\ba\\b"));
    M.Legend.Left = 300; // dragged meanwhile
    Click("LegendFontBtn");
    Ctl<QCheckBox>("TitleCheck")->setChecked(!Before.ShowTitle);
    Form->UpdateBtnClick();
    EXPECT_EQ(M.Legend.Font().Name, "Courier New");
    Form->CancelBtnClick();
    EXPECT_FALSE(Form->isVisible());
    EXPECT_EQ(M.Graph.TitleFont(), Fonts.Title);
    EXPECT_EQ(M.Legend.Font(), Fonts.Legend);
    EXPECT_EQ(M.LeftAxis.CaptionFont(), Fonts.Caption[AxLeft]);
    EXPECT_EQ(M.BottomAxis.CaptionFont(), Fonts.Caption[AxBottom]);
    EXPECT_EQ(M.Graph.Color, Before.Color);
    EXPECT_EQ(M.Graph.ShowTitle(), Before.ShowTitle);
    EXPECT_EQ(M.Graph.OwnedSeries()[1]->DoUserCaption(), Items[1].DoUserCaption);
    EXPECT_EQ(M.Graph.OwnedSeries()[1]->UserCaption(), Items[1].UserCaption);
    EXPECT_EQ(M.Legend.Left, 40);
    EXPECT_EQ(M.Legend.Top, 50);
    // Reading the graph again gives what was read at attaching.
    Attach();
    EXPECT_TRUE(Form->Working() == Before);
    EXPECT_TRUE(Form->WorkingItems() == Items);
    // Without an update, cancel leaves changes made by other means alone.
    M.Graph.Color = 0x123456;
    Form->CancelBtnClick();
    EXPECT_EQ(M.Graph.Color, 0x123456);
}

TEST_F(GraphParameters, EqualColoursFollowTheBackground)
{
    Open();
    Model().Graph.Color = Model().Graph.DataColor = Model().Legend.Color = clBtnFace;
    Attach();
    struct TStep {
        const char* Button;
        TColor Chosen;
        TColor Color, DataColor, LegendColor;
    };
    for (const TStep& S : {TStep{"BackgroundColorBtn", 0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF},
                           TStep{"DataAreaColorBtn", 0x00FF00, 0x0000FF, 0x00FF00, 0x00FF00},
                           TStep{"BackgroundColorBtn", 0xFF0000, 0xFF0000, 0x00FF00, 0x00FF00},
                           TStep{"LegendColorBtn", 0x777777, 0xFF0000, 0x00FF00, 0x777777},
                           TStep{"DataAreaColorBtn", 0x0000FF, 0xFF0000, 0x0000FF, 0x777777}}) {
        PickColor(S.Button, S.Chosen);
        EXPECT_EQ(Form->Working().Color, S.Color) << S.Button;
        EXPECT_EQ(Form->Working().DataColor, S.DataColor) << S.Button;
        EXPECT_EQ(Form->Working().LegendColor, S.LegendColor) << S.Button;
    }
    // The axis origin at (0,0) makes the plot area the background colour.
    Ctl<QCheckBox>("ZeroOriginCheck")->click();
    const TGraphParameters& P = Form->Working();
    EXPECT_TRUE(P.ZeroOrigin);
    EXPECT_EQ(P.DataColor, 0xFF0000);
    EXPECT_FALSE(P.Axes[AxTop].Visible);
    EXPECT_FALSE(P.Axes[AxRight].Visible);
    for (int i : {int(AxBottom), int(AxLeft)}) {
        EXPECT_EQ(P.Axes[static_cast<size_t>(i)].ValuesTicksGap, 0);
        EXPECT_FALSE(P.Axes[static_cast<size_t>(i)].TicksToData);
    }
}

TEST_F(GraphParameters, LegendPositionDecidesTheOrientation)
{
    Open();
    Ctl<QTabWidget>("Pages")->setCurrentIndex(2);
    struct TCase {
        int Position; // Bottom, Left, Top, Right, free floating
        bool Horizontal, OrientationEnabled, ColumnsEnabled, RowsEnabled, GapEnabled;
    };
    Click("OrientationHorizontal");
    for (const TCase& C : {TCase{1, false, false, true, false, true}, TCase{4, false, true, true, false, false},
                           TCase{2, true, false, false, true, true}, TCase{4, true, true, false, true, false},
                           TCase{3, false, false, true, false, true}}) {
        Click(qPrintable(QString("LegendPosition%1").arg(C.Position)));
        EXPECT_EQ(Form->Working().InGraphPosition, static_cast<TKvAxisPos>(C.Position));
        EXPECT_EQ(Form->Working().Horizontal, C.Horizontal) << C.Position;
        EXPECT_EQ(Ctl<QGroupBox>("OrientationGroup")->isEnabled(), C.OrientationEnabled) << C.Position;
        EXPECT_EQ(Ctl<QWidget>("LegendColumnsEdit")->isEnabled(), C.ColumnsEnabled) << C.Position;
        EXPECT_EQ(Ctl<QWidget>("LegendRowsEdit")->isEnabled(), C.RowsEnabled) << C.Position;
        EXPECT_EQ(Ctl<QWidget>("LegendOutsideEdit")->isEnabled(), C.GapEnabled) << C.Position;
        EXPECT_EQ(Ctl<QRadioButton>("OrientationHorizontal")->isChecked(), C.Horizontal);
    }
}

TEST_F(GraphParameters, LegendRowsAndLongCaptions)
{
    const QString Long = QString("x").repeated(300);
    for (int k = 2; k <= 11; ++k)
        W.Document.Table.Column(k).Header = "Y" + std::to_string(k);
    Open(10);
    TKvSeries* Tenth = Model().Graph.OwnedSeries()[9].get();
    Tenth->SetUserCaption(Long);
    Tenth->SetDoUserCaption(true);
    Attach();
    EXPECT_EQ(Ctl<QCheckBox>("LegendItemVisible8")->text(), " 9: Visible");
    EXPECT_EQ(Ctl<QCheckBox>("LegendItemVisible9")->text(), "10: Visible");
    ASSERT_EQ(Form->WorkingItems().size(), 10u);
    EXPECT_EQ(Form->WorkingItems()[9].UserCaption.size(), 255);
    auto* Edit = Ctl<TKvCaptionEdit>("LegendItemEdit9");
    EXPECT_TRUE(Edit->isEnabled());
    EXPECT_FALSE(Ctl<TKvCaptionEdit>("LegendItemEdit8")->isEnabled());
    Ctl<QCheckBox>("LegendItemVisible3")->setChecked(false);
    Form->UpdateBtnClick();
    EXPECT_EQ(Tenth->UserCaption(), Long.left(255));
    EXPECT_FALSE(Model().Graph.OwnedSeries()[3]->IncludeInLegend);
    // "Auto" shows the caption taken from the table.
    Ctl<QCheckBox>("LegendItemAuto9")->setChecked(true);
    EXPECT_FALSE(Edit->isEnabled());
    EXPECT_EQ(Edit->Caption(), Tenth->AutoCaption());
    Ctl<QTabWidget>("Pages")->setCurrentIndex(2);
    Form->resize(620, 720);
    Shot("parameters-legend");
}

// Every value the dialog sets, through its controls, survives "&OK", the
// data file and reopening the dialog.
TEST_F(GraphParameters, EveryValueSurvivesTheDataFile)
{
    Open(2);
    Ctl<QTabWidget>("Pages")->setCurrentIndex(0);
    Ctl<TKvCaptionEdit>("TitleEdit")->SetCaption("\\sD\\s x\\-1\\- \\+2");
    Click("TitleCheck");
    NextFont = {"Courier New", 1, 0xFF, 14, true, false, true, false};
    Click("TitleFontBtn");
    for (const char* Stem : {"HorizontalMajorGrid", "HorizontalMinorGrid", "VerticalMajorGrid", "VerticalMinorGrid",
                             "Frame"}) {
        Click(qPrintable(QString(Stem) + "Check"));
        Ctl<QComboBox>(QString(Stem) + "LineCombo")->setCurrentIndex(2);
        PickColor(qPrintable(QString(Stem) + "ColorBtn"), 0x112233);
    }
    SetInt("FrameThicknesEdit", 3);
    PickColor("DataAreaColorBtn", 0x445566);
    PickColor("BackgroundColorBtn", 0x778899);
    for (int a = 0; a < 4; ++a) {
        SelectAxes({a}, a);
        Click("TwistedCheck");
        Click("ShowCaptionCheck");
        Click("ShowScalingsCheck");
        Ctl<QCheckBox>("AxisAutoRangeCheck")->setChecked(false);
        SetFloat("AxisRangeStartEdit", -2 - a);
        SetFloat("AxisRangeStopEdit", 20 + a);
        Ctl<QCheckBox>("AxisAutoTicksCheck")->setChecked(false);
        SetFloat("AxisMajorTicksAtEdit", 0.2);
        SetFloat("AxisMinorTicksAtEdit", 0.05);
        SetFloat("AxisLabelsAtEdit", 0.4);
        Click(a % 2 ? "AxisTicksToDataRadio" : "AxisTicksToCaptionRadio");
        Ctl<QCheckBox>("DoAutoCaptionCheck")->setChecked(false);
        Ctl<TKvCaptionEdit>("UserCaptionEdit")->SetCaption(QString("\\bAxis %1\\b").arg(a));
        int v = 1;
        for (const char* Edit : {"AxisLineThicknesEdit", "MajorTickThicknesEdit", "AxisMajorTicksLengthEdit",
                                 "MinorTickThicknesEdit", "AxisMinorTicksLengthEdit", "GapCaptionBorderEdit",
                                 "GapCaptionScalingsEdit", "GapCaptionAxisEdit", "GapExponentEdit",
                                 "GapAxisValuesEdit"})
            SetInt(Edit, a + v++);
        for (const char* Button : {"AxisLineColorBtn", "AxisMajorTicksColorBtn", "AxisMinorTicksColorBtn"})
            PickColor(Button, 0x010203 * (a + 1));
        NextFont = {"Courier New", 1, 0x00FF00, 9 + a, false, true, false, true};
        Click("AxisCaptionFontBtn");
        NextFont.Size = 7 + a;
        Click("AxisScalingsFontBtn");
    }
    SelectAxes({AxTop, AxRight}, AxTop);
    Click("AxisVisibleCheck");
    Click("AxisLogEERadio");
    Ctl<QTabWidget>("Pages")->setCurrentIndex(2);
    Click("LegendVisibleCheck");
    Click("LegendFrameCheck");
    Ctl<QComboBox>("LegendFrameLineCombo")->setCurrentIndex(1);
    PickColor("LegendFrameColorBtn", 0x0A0B0C);
    SetInt("LegendFrameThicknesEdit", 2);
    PickColor("LegendColorBtn", 0x0D0E0F);
    Click("LegendPosition3");
    int v = 3;
    for (const char* Edit : {"LegendColumnsEdit", "LegendOutsideEdit", "LegendBorderGapEdit", "LegendVerticalGapEdit",
                             "LegendHorizontalGapEdit", "LegendLineGapEdit", "LegendLineLengthEdit"})
        SetInt(Edit, v++);
    NextFont.Size = 11;
    Click("LegendFontBtn");
    Ctl<QCheckBox>("LegendItemVisible0")->setChecked(false);
    Ctl<QCheckBox>("LegendItemAuto1")->setChecked(false);
    Ctl<TKvCaptionEdit>("LegendItemEdit1")->SetCaption("\\sa\\s-fit");
    TGraphParameters Set = Form->Working();
    const std::vector<TLegendPrms> Items = Form->WorkingItems();
    const TGraphFonts Fonts = Form->WorkingFonts();
    Form->OKBtnClick();
    EXPECT_FALSE(Form->isVisible());
    EXPECT_EQ(Model().TopAxis.AxisThicknes, Set.Axes[AxTop].AxisThicknes);
    EXPECT_EQ(Model().LeftAxis.ExponentScalingsGap(), Set.Axes[AxLeft].ExponentScalingsGap);

    const std::string File = (std::filesystem::temp_directory_path() /
                              ("kurvex-parameters-" + std::to_string(::getpid()) + ".plt"))
                                 .string();
    W.SaveToFile(File);
    Form.reset();
    TKvWorkspace Loaded;
    Loaded.LoadFromFile(File);
    std::filesystem::remove(File);
    TGraphParametersForm Again;
    Again.AttachGraphWindow(&Loaded.Window(1), Loaded.Window(1).Caption);
    for (size_t a = 0; a < 4; ++a) {
        TAxisParameters& A = Set.Axes[a];
        A.ZoomOutOnApply = false; // never read from an axis
    }
    const TGraphParameters& Read = Again.Working();
    for (size_t a = 0; a < 4; ++a)
        EXPECT_EQ(Differences(Read.Axes[a], Set.Axes[a]), "") << "axis " << a;
    Set.Axes = Read.Axes;
    EXPECT_TRUE(Read == Set);
    EXPECT_TRUE(Again.WorkingItems() == Items);
    EXPECT_TRUE(Again.WorkingFonts() == Fonts);
}

TEST_F(GraphParameters, DetachesFromAFreedWindowAndShowsEachPage)
{
    Open(2);
    Model().Graph.SetCaption("\\sD\\sU\\-0\\- in V\\+2\\+");
    Attach();
    EXPECT_EQ(Form->windowTitle(), Model().Caption + " / Set Parameters");
    Form->resize(620, 560);
    const char* Names[] = {"parameters-graph", "parameters-axis", "parameters-legend-page"};
    for (int Page = 0; Page < 3; ++Page) {
        Ctl<QTabWidget>("Pages")->setCurrentIndex(Page);
        if (Page == 0) {
            auto* Title = Ctl<TKvCaptionEdit>("TitleEdit");
            Title->setFocus();
            Title->SetSelection(1, 3);
        }
        Shot(Names[Page]);
    }
    Form->DetachGraphWindow(&Model());
    EXPECT_EQ(Form->GraphWindow(), nullptr);
    EXPECT_FALSE(Form->isVisible());
    Form->UpdateBtnClick(); // nothing to apply to
    Form->CancelBtnClick();
}

} // namespace

namespace {

// The dialog as the program uses it: one instance owned by the table
// window, opened from a graph window and let go when that window is freed.
TEST(GraphParametersInProgram, GraphWindowOpensItAndLetsGo)
{
    const std::filesystem::path Dir =
        std::filesystem::temp_directory_path() / ("kurvex-parameters-" + std::to_string(::getpid()));
    std::filesystem::create_directories(Dir / "exe");
    const TKvPaths Paths =
        ComputePaths((Dir / "exe" / "kurvex").string(), (Dir / "appdata").string(), (Dir / "docs").string());
    {
        TKvWorkspace W;
        TMainTableForm Table(W.Document, Paths);
        TGraphParametersForm* Dialog = Table.ParametersDialog();
        ASSERT_NE(Dialog, nullptr);
        auto Graph = std::make_unique<TGraphForm>(W.Window(1), Table);
        Graph->show();
        Graph->Action("GraphAndAxisParameters")->trigger();
        EXPECT_EQ(Dialog->GraphWindow(), &W.Window(1));
        EXPECT_EQ(Dialog->windowTitle(), Graph->windowTitle() + " / Set Parameters");
        ASSERT_TRUE(QTest::qWaitForWindowActive(Dialog));
        // The title edit drives the table window's format commands.
        auto* Title = Dialog->findChild<TKvCaptionEdit*>("TitleEdit");
        Title->setFocus();
        Title->SetCaption("a\\bb");
        Title->SetCaretIndex(2);
        EXPECT_TRUE(Table.Action("Bold")->isChecked());
        Table.UpdateActions();
        EXPECT_TRUE(Table.Action("Italic")->isEnabled());
        EXPECT_FALSE(Dialog->MarkupBar()->isHidden());
        Graph.reset();
        EXPECT_EQ(Dialog->GraphWindow(), nullptr);
        EXPECT_FALSE(Dialog->isVisible());
    }
    // Its position is kept in the settings file.
    TKvLargeIniFile Ini(Paths.SettingsFile);
    EXPECT_TRUE(Ini.SectionExists("GraphParameters"));
    std::filesystem::remove_all(Dir);
}

} // namespace
