// The pages "Graph" and "Legend" of the parameters dialog: building the
// controls, showing the working values and writing the user's changes.

#include "GraphParametersForm.h"

#include "graph/KvLabel.h"
#include "ui/KvIntegerEdit.h"
#include "ui/widgets/KvCaptionEdit.h"
#include "ui/widgets/KvColorPicker.h"
#include "ui/widgets/KvStyleCombos.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QToolBar>

namespace kv {

namespace {

// A grid line's four controls and the record they edit.
struct TLineControls {
    const char* Stem;
    TKvLineStyleRecord TGraphParameters::*Line;
};

constexpr TLineControls GridLines[] = {
    {"HorizontalMajorGrid", &TGraphParameters::MajorGridX},
    {"HorizontalMinorGrid", &TGraphParameters::MinorGridX},
    {"VerticalMajorGrid", &TGraphParameters::MajorGridY},
    {"VerticalMinorGrid", &TGraphParameters::MinorGridY},
};

QString Name(const char* Stem, const char* Suffix) { return QString(Stem) + Suffix; }

TKvIntegerEdit* IntEdit(int Min, int Max)
{
    auto* E = new TKvSpinIntegerEdit;
    E->SetMinValue(Min);
    E->SetMaxValue(Max);
    E->setMaximumWidth(70);
    return E;
}

QPushButton* FontButton(const char* Text)
{
    auto* B = new QPushButton(Text);
    B->setAutoDefault(false);
    return B;
}

} // namespace

// ---------------------------------------------------------------- page "Graph"

void TGraphParametersForm::BuildGraphPage(QWidget* Page)
{
    auto* G = new QGridLayout(Page);
    G->addWidget(new QLabel("Title:"), 0, 0);
    auto* Title = Named(new TKvCaptionEdit, "TitleEdit", "Enter title for graph display");
    Title->setMinimumWidth(260);
    Title->installEventFilter(this);
    connect(Title, &TKvCaptionEdit::CaretChanged, this, &TGraphParametersForm::CaptionCaretChanged);
    connect(Title, &TKvCaptionEdit::Changed, this, [this, Title] {
        if (!FFilling)
            FWork.Title = Title->Caption();
    });
    G->addWidget(Title, 0, 1, 1, 3);
    auto* TitleCheck = Named(new QCheckBox("Visible"), "TitleCheck", "Check to show title");
    connect(TitleCheck, &QCheckBox::toggled, this, [this](bool On) {
        if (!FFilling)
            FWork.ShowTitle = On;
    });
    G->addWidget(TitleCheck, 0, 4);
    auto* TitleFont = Named(FontButton(" Font "), "TitleFontBtn", "Click to change title font");
    connect(TitleFont, &QPushButton::clicked, this, [this] {
        PickFont([this] { return FFonts.Title; }, [this](const TKvFontRecord& F) { FFonts.Title = F; });
    });
    G->addWidget(TitleFont, 0, 5);

    int Row = 1;
    const char* Heads[] = {"Horizontal Grid", "", "Vertical Grid", ""};
    const char* Kinds[] = {"major", "minor", "major", "minor"};
    for (size_t i = 0; i < 4; ++i, ++Row) {
        const TLineControls& L = GridLines[i];
        G->addWidget(new QLabel(Heads[i]), Row, 0);
        G->addWidget(new QLabel(Kinds[i]), Row, 1);
        auto* Check = Named(new QCheckBox("On"), qPrintable(Name(L.Stem, "Check")), "Change visibility of grid line");
        auto* Combo =
            Named(new TKvLineStylesCombo, qPrintable(Name(L.Stem, "LineCombo")), "Select grid line style");
        Combo->setMinimumWidth(100);
        auto* Color = Named(new TKvColorBtn, qPrintable(Name(L.Stem, "ColorBtn")), "Select color of grid");
        connect(Check, &QCheckBox::toggled, this, [this, L](bool On) {
            if (!FFilling)
                (FWork.*L.Line).Visible = On;
        });
        connect(Combo, &QComboBox::currentIndexChanged, this, [this, L, Combo] {
            if (!FFilling)
                (FWork.*L.Line).Style = static_cast<int32_t>(Combo->PenStyle());
        });
        connect(Color, &QToolButton::clicked, this, [this, L, Color] {
            PickColor(Color, [this, L](TColor C) { (FWork.*L.Line).Color = C; });
        });
        G->addWidget(Check, Row, 2);
        G->addWidget(Combo, Row, 3);
        G->addWidget(Color, Row, 4);
    }
    G->addWidget(new QLabel("Frame"), Row, 0);
    auto* Frame = Named(new QCheckBox("On"), "FrameCheck", "Check to draw frame around graph");
    auto* FrameCombo = Named(new TKvLineStylesCombo, "FrameLineCombo", "Select line style");
    FrameCombo->setMinimumWidth(100);
    auto* FrameColor = Named(new TKvColorBtn, "FrameColorBtn", "Select frame color");
    auto* FrameWidth =
        Named(IntEdit(0, 10), "FrameThicknesEdit", "Change thickness of line (>1 always solid)");
    connect(Frame, &QCheckBox::toggled, this, [this](bool On) {
        if (!FFilling)
            FWork.FrameLine.Visible = On;
    });
    connect(FrameCombo, &QComboBox::currentIndexChanged, this, [this, FrameCombo] {
        if (!FFilling)
            FWork.FrameLine.Style = static_cast<int32_t>(FrameCombo->PenStyle());
    });
    connect(FrameColor, &QToolButton::clicked, this,
            [this, FrameColor] { PickColor(FrameColor, [this](TColor C) { FWork.FrameLine.Color = C; }); });
    connect(FrameWidth, &TKvIntegerEdit::OnChange, this, [this, FrameWidth] {
        if (!FFilling)
            FWork.FrameLine.Width = FrameWidth->Value();
    });
    G->addWidget(Frame, Row, 2);
    G->addWidget(FrameCombo, Row, 3);
    G->addWidget(FrameColor, Row, 4);
    G->addWidget(FrameWidth, Row, 5);
    ++Row;
    auto* Background = Named(new TKvColorBtn, "BackgroundColorBtn", "Select color of background");
    auto* Data = Named(new TKvColorBtn, "DataAreaColorBtn", "Select color for area of datapoints");
    connect(Background, &QToolButton::clicked, this,
            [this, Background] { PickColor(Background, [this](TColor C) { SetBackgroundColor(C); }); });
    connect(Data, &QToolButton::clicked, this,
            [this, Data] { PickColor(Data, [this](TColor C) { SetDataColor(C); }); });
    G->addWidget(new QLabel("Background"), Row, 0);
    G->addWidget(Background, Row, 1);
    G->addWidget(new QLabel("Data"), Row, 2);
    G->addWidget(Data, Row, 3);
    G->setRowStretch(Row + 1, 1);
}

void TGraphParametersForm::FillGraphPage()
{
    FFilling = true;
    findChild<TKvCaptionEdit*>("TitleEdit")->SetCaption(FWork.Title);
    findChild<QCheckBox*>("TitleCheck")->setChecked(FWork.ShowTitle);
    for (const TLineControls& L : GridLines) {
        const TKvLineStyleRecord& R = FWork.*L.Line;
        findChild<QCheckBox*>(Name(L.Stem, "Check"))->setChecked(R.Visible);
        auto* Combo = findChild<TKvLineStylesCombo*>(Name(L.Stem, "LineCombo"));
        Combo->SetPenStyle(static_cast<TPenStyle>(R.Style));
        Combo->SetLineColor(R.Color);
        Combo->SetBackgroundColor(FWork.DataColor);
        findChild<TKvColorBtn*>(Name(L.Stem, "ColorBtn"))->SetSqareColor(R.Color);
    }
    findChild<QCheckBox*>("FrameCheck")->setChecked(FWork.FrameLine.Visible);
    auto* FrameCombo = findChild<TKvLineStylesCombo*>("FrameLineCombo");
    FrameCombo->SetPenStyle(static_cast<TPenStyle>(FWork.FrameLine.Style));
    FrameCombo->SetLineColor(FWork.FrameLine.Color);
    FrameCombo->SetBackgroundColor(FWork.Color);
    findChild<TKvColorBtn*>("FrameColorBtn")->SetSqareColor(FWork.FrameLine.Color);
    findChild<TKvIntegerEdit*>("FrameThicknesEdit")->SetValue(FWork.FrameLine.Width);
    findChild<TKvColorBtn*>("BackgroundColorBtn")->SetSqareColor(FWork.Color);
    findChild<TKvColorBtn*>("DataAreaColorBtn")->SetSqareColor(FWork.DataColor);
    LayoutFontButtons();
    FFilling = false;
}

// The colour chain: background, plot area and legend of equal colours stay equal.
void TGraphParametersForm::SetBackgroundColor(TColor C)
{
    if (FWork.DataColor == FWork.Color)
        SetDataColor(C);
    FWork.Color = C;
}

void TGraphParametersForm::SetDataColor(TColor C)
{
    if (FWork.LegendColor == FWork.DataColor)
        FWork.LegendColor = C;
    FWork.DataColor = C;
}

void TGraphParametersForm::PickColor(TKvColorBtn* Button, const std::function<void(TColor)>& Write)
{
    TColor C = Button->SqareColor();
    if (!ChooseColor || !ChooseColor(C))
        return;
    Write(C);
    FillAll();
}

void TGraphParametersForm::PickFont(const std::function<TKvFontRecord()>& Read,
                                    const std::function<void(const TKvFontRecord&)>& Write)
{
    TKvFontRecord F = Read();
    if (!ChooseFont || !ChooseFont(F))
        return;
    Write(F);
    FillAll();
}

void TGraphParametersForm::LayoutFontButtons()
{
    auto Show = [](QPushButton* B, const TKvFontRecord& F, int MaxHeight) {
        B->setFont(ToQFont(F));
        B->setMinimumSize(0, 0);
        B->setMaximumSize(QWIDGETSIZE_MAX, MaxHeight);
        B->adjustSize();
    };
    Show(findChild<QPushButton*>("TitleFontBtn"), FFonts.Title, 65);
    Show(findChild<QPushButton*>("LegendFontBtn"), FFonts.Legend, 45);
    const int Axis = FocusedAxis();
    auto* Caption = findChild<QPushButton*>("AxisCaptionFontBtn");
    auto* Scale = findChild<QPushButton*>("AxisScalingsFontBtn");
    Show(Caption, FFonts.Caption[static_cast<size_t>(Axis)], QWIDGETSIZE_MAX);
    Show(Scale, FFonts.Scale[static_cast<size_t>(Axis)], QWIDGETSIZE_MAX);
    // Buttons grown too big for the page are fixed at a readable size.
    const bool TooWide = Caption->sizeHint().width() + Scale->sizeHint().width() > 341;
    for (QPushButton* B : {Caption, Scale})
        if (TooWide || B->sizeHint().height() > 65) {
            B->setFixedWidth(170);
            B->setMaximumHeight(65);
        }
    // The edits show the style of the font they stand for.
    auto Style = [](TKvCaptionEdit* E, const TKvFontRecord& F) {
        QFont Font = E->font();
        Font.setBold(F.Bold);
        Font.setItalic(F.Italic);
        Font.setUnderline(F.Underline);
        Font.setStrikeOut(F.StrikeOut);
        E->setFont(Font);
    };
    Style(findChild<TKvCaptionEdit*>("TitleEdit"), FFonts.Title);
    Style(findChild<TKvCaptionEdit*>("UserCaptionEdit"), FFonts.Caption[static_cast<size_t>(Axis)]);
}

// ---------------------------------------------------------------- page "Legend"

void TGraphParametersForm::BuildLegendPage(QWidget* Page)
{
    auto* G = new QGridLayout(Page);
    auto* Visible = Named(new QCheckBox("Visible"), "LegendVisibleCheck", "Check to show legend");
    connect(Visible, &QCheckBox::toggled, this, [this](bool On) {
        if (!FFilling)
            FWork.LegendVisible = On;
    });
    G->addWidget(Visible, 0, 0);
    auto* Font = Named(FontButton(" Font "), "LegendFontBtn", "Click to change font for series captions");
    connect(Font, &QPushButton::clicked, this, [this] {
        PickFont([this] { return FFonts.Legend; }, [this](const TKvFontRecord& F) { FFonts.Legend = F; });
    });
    G->addWidget(Font, 0, 3);
    G->addWidget(new QLabel("Frame"), 1, 0);
    auto* Frame = Named(new QCheckBox("On"), "LegendFrameCheck", "Check to draw frame around legend");
    auto* Combo = Named(new TKvLineStylesCombo, "LegendFrameLineCombo", "Select line style");
    auto* Color = Named(new TKvColorBtn, "LegendFrameColorBtn", "Select frame color");
    auto* Width = Named(IntEdit(1, 10), "LegendFrameThicknesEdit", "Change thickness of line (>1 always solid)");
    connect(Frame, &QCheckBox::toggled, this, [this](bool On) {
        if (!FFilling)
            FWork.LegendFrame.Visible = On;
    });
    connect(Combo, &QComboBox::currentIndexChanged, this, [this, Combo] {
        if (!FFilling)
            FWork.LegendFrame.Style = static_cast<int32_t>(Combo->PenStyle());
    });
    connect(Color, &QToolButton::clicked, this,
            [this, Color] { PickColor(Color, [this](TColor C) { FWork.LegendFrame.Color = C; }); });
    connect(Width, &TKvIntegerEdit::OnChange, this, [this, Width] {
        if (!FFilling)
            FWork.LegendFrame.Width = Width->Value();
    });
    G->addWidget(Frame, 1, 1);
    G->addWidget(Combo, 1, 2);
    G->addWidget(Color, 1, 3);
    G->addWidget(Width, 1, 4);
    G->addWidget(new QLabel("Background"), 2, 0);
    auto* Back = Named(new TKvColorBtn, "LegendColorBtn", "Select background color of legend");
    connect(Back, &QToolButton::clicked, this,
            [this, Back] { PickColor(Back, [this](TColor C) { FWork.LegendColor = C; }); });
    G->addWidget(Back, 2, 1);

    auto* Position = Named(new QGroupBox("Position"), "LegendPositionGroup", "Select position of legend inside the graph");
    auto* PositionLayout = new QVBoxLayout(Position);
    auto* Positions = new QButtonGroup(Position);
    Positions->setObjectName("LegendPositions");
    int Id = 0;
    for (const char* Text : {"Bottom", "Left", "Top", "Right", "free floating"}) {
        auto* R = new QRadioButton(Text);
        R->setObjectName(QString("LegendPosition%1").arg(Id));
        Positions->addButton(R, Id++);
        PositionLayout->addWidget(R);
    }
    connect(Positions, &QButtonGroup::idClicked, this, [this](int Chosen) {
        FWork.InGraphPosition = static_cast<TKvAxisPos>(Chosen);
        ApplyLegendRules();
    });
    auto* Orientation = Named(new QGroupBox("Orientation"), "OrientationGroup", "Select orientation of legend");
    auto* OrientationLayout = new QVBoxLayout(Orientation);
    auto* Orientations = new QButtonGroup(Orientation);
    Orientations->setObjectName("LegendOrientations");
    Id = 0;
    for (const char* Text : {"Vertical", "Horizontal"}) {
        auto* R = new QRadioButton(Text);
        R->setObjectName(QString("Orientation%1").arg(Text));
        Orientations->addButton(R, Id++);
        OrientationLayout->addWidget(R);
    }
    connect(Orientations, &QButtonGroup::idClicked, this, [this](int Chosen) {
        FWork.Horizontal = Chosen == 1;
        ApplyLegendRules();
    });
    G->addWidget(Position, 3, 0, 5, 1);
    G->addWidget(Orientation, 3, 1, 2, 1);

    const struct {
        const char* Object;
        const char* Label;
        const char* Hint;
        int Min, Max;
        int32_t TGraphParameters::*Field;
    } Edits[] = {
        {"LegendColumnsEdit", "Columns", "Set number of columns to display (if possible)", 1, 10,
         &TGraphParameters::Columns},
        {"LegendRowsEdit", "Rows", "Set number of rows to display (if possible)", 1, 10, &TGraphParameters::Rows},
        {"LegendOutsideEdit", "Gap around Frame",
         "Enter distance around the frame of the legend to border of graph and axis caption", 0, 100,
         &TGraphParameters::OutsideGap},
        {"LegendBorderGapEdit", "Border to Items", "Enter distance of legend frame border to the legend items", 0, 100,
         &TGraphParameters::BorderGap},
        {"LegendVerticalGapEdit", "between Lines", "Enter distance between the lines of the items (vertical gap)", 0,
         100, &TGraphParameters::VerticalGap},
        {"LegendHorizontalGapEdit", "between Items", "Enter distance between the items (horizontal gap)", 0, 100,
         &TGraphParameters::HorizontalGap},
        {"LegendLineGapEdit", "Line - Caption", "Enter distance between the line and the caption within each item", 0,
         100, &TGraphParameters::LineGap},
        {"LegendLineLengthEdit", "Lenth of Lines", "Enter the length of the line within each item", 0, 200,
         &TGraphParameters::LineLength},
    };
    int Row = 5;
    for (const auto& E : Edits) {
        auto* Label = new QLabel(E.Label);
        Label->setObjectName(QString(E.Object) + "Label");
        auto* Edit = Named(IntEdit(E.Min, E.Max), E.Object, E.Hint);
        connect(Edit, &TKvIntegerEdit::OnChange, this, [this, Edit, Field = E.Field] {
            if (!FFilling)
                FWork.*Field = Edit->Value();
        });
        G->addWidget(Label, Row, 1);
        G->addWidget(Edit, Row, 2);
        ++Row;
    }
    G->addWidget(new QLabel("Series Captions"), Row++, 0);
    FLegendScroll = Named(new QScrollArea, "LegendCaptionsScrollBox", "");
    FLegendScroll->setMinimumHeight(130);
    FLegendScroll->setWidgetResizable(false);
    G->addWidget(FLegendScroll, Row, 0, 1, 5);
}

void TGraphParametersForm::FillLegendPage()
{
    FFilling = true;
    findChild<QCheckBox*>("LegendVisibleCheck")->setChecked(FWork.LegendVisible);
    findChild<QCheckBox*>("LegendFrameCheck")->setChecked(FWork.LegendFrame.Visible);
    auto* Combo = findChild<TKvLineStylesCombo*>("LegendFrameLineCombo");
    Combo->SetPenStyle(static_cast<TPenStyle>(FWork.LegendFrame.Style));
    Combo->SetLineColor(FWork.LegendFrame.Color);
    Combo->SetBackgroundColor(FWork.LegendColor);
    findChild<TKvColorBtn*>("LegendFrameColorBtn")->SetSqareColor(FWork.LegendFrame.Color);
    findChild<TKvIntegerEdit*>("LegendFrameThicknesEdit")->SetValue(FWork.LegendFrame.Width);
    findChild<TKvColorBtn*>("LegendColorBtn")->SetSqareColor(FWork.LegendColor);
    const std::pair<const char*, int32_t> Values[] = {
        {"LegendColumnsEdit", FWork.Columns},         {"LegendRowsEdit", FWork.Rows},
        {"LegendOutsideEdit", FWork.OutsideGap},      {"LegendBorderGapEdit", FWork.BorderGap},
        {"LegendVerticalGapEdit", FWork.VerticalGap}, {"LegendHorizontalGapEdit", FWork.HorizontalGap},
        {"LegendLineGapEdit", FWork.LineGap},         {"LegendLineLengthEdit", FWork.LineLength}};
    for (const auto& [Object, Value] : Values)
        findChild<TKvIntegerEdit*>(Object)->SetValue(Value);
    LayoutFontButtons();
    ApplyLegendRules();
    BuildLegendRows();
    FFilling = false;
}

// Position and orientation: a legend at the left or right is vertical, at
// the bottom or top horizontal; only a floating one may choose.
void TGraphParametersForm::ApplyLegendRules()
{
    const TKvAxisPos P = FWork.InGraphPosition;
    if (!FFilling) {
        if (P == TKvAxisPos::AxLeftPos || P == TKvAxisPos::AxRightPos)
            FWork.Horizontal = false;
        else if (P == TKvAxisPos::AxBottomPos || P == TKvAxisPos::AxTopPos)
            FWork.Horizontal = true;
    }
    findChild<QButtonGroup*>("LegendPositions")->button(static_cast<int>(P))->setChecked(true);
    findChild<QButtonGroup*>("LegendOrientations")->button(FWork.Horizontal ? 1 : 0)->setChecked(true);
    const bool Floating = P == TKvAxisPos::AxFreeFloating;
    findChild<QGroupBox*>("OrientationGroup")->setEnabled(Floating);
    for (const char* Object : {"LegendColumnsEdit", "LegendColumnsEditLabel"})
        findChild<QWidget*>(Object)->setEnabled(!FWork.Horizontal);
    for (const char* Object : {"LegendRowsEdit", "LegendRowsEditLabel"})
        findChild<QWidget*>(Object)->setEnabled(FWork.Horizontal);
    for (const char* Object : {"LegendOutsideEdit", "LegendOutsideEditLabel"})
        findChild<QWidget*>(Object)->setEnabled(!Floating);
}

void TGraphParametersForm::BuildLegendRows()
{
    auto* Rows = new QWidget;
    Rows->setObjectName("LegendRows");
    FItemEdits.clear();
    for (size_t i = 0; i < FItems.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        const int Y = static_cast<int>(i) * 24;
        auto* Visible = new QCheckBox((n < 10 ? QString(" %1").arg(n) : QString::number(n)) + ": Visible", Rows);
        Visible->setObjectName(QString("LegendItemVisible%1").arg(i));
        Visible->setToolTip("Check to show the item");
        Visible->setChecked(FItems[i].IncludeInLegend);
        Visible->setGeometry(4, Y + 2, 90, 20);
        auto* Auto = new QCheckBox("Auto", Rows);
        Auto->setObjectName(QString("LegendItemAuto%1").arg(i));
        Auto->setToolTip("Check to let the program create the legend caption automatically");
        Auto->setChecked(!FItems[i].DoUserCaption);
        Auto->setGeometry(96, Y + 2, 55, 20);
        auto* Edit = new TKvCaptionEdit(Rows);
        Edit->setObjectName(QString("LegendItemEdit%1").arg(i));
        Edit->setToolTip("Enter caption of legend item");
        Edit->SetCaption(FItems[i].DoUserCaption ? FItems[i].UserCaption : FItems[i].AutoCaption);
        Edit->setEnabled(FItems[i].DoUserCaption);
        Edit->setGeometry(154, Y, 300, 23);
        Edit->installEventFilter(this);
        connect(Edit, &TKvCaptionEdit::CaretChanged, this, &TGraphParametersForm::CaptionCaretChanged);
        FItemEdits.push_back(Edit);
        connect(Visible, &QCheckBox::toggled, this, [this, i](bool On) { FItems[i].IncludeInLegend = On; });
        connect(Edit, &TKvCaptionEdit::Changed, this, [this, i, Edit] {
            if (!FFilling && FItems[i].DoUserCaption)
                FItems[i].UserCaption = CutCaption(Edit->Caption(), 255);
        });
        connect(Auto, &QCheckBox::toggled, this, [this, i, Edit](bool On) {
            FItems[i].DoUserCaption = !On;
            Edit->setEnabled(!On);
            const bool Was = FFilling;
            FFilling = true;
            Edit->SetCaption(On ? FItems[i].AutoCaption : FItems[i].UserCaption);
            FFilling = Was;
        });
    }
    Rows->resize(460, static_cast<int>(FItems.size()) * 24 + 4);
    FLegendScroll->setWidget(Rows); // the previous rows are deleted
    FLegendRows = Rows;
}

// ---------------------------------------------------------------- both pages

void TGraphParametersForm::FillAll()
{
    FillGraphPage();
    FillAxisPage();
    FillLegendPage();
}

void TGraphParametersForm::SetMarkupActions(const QList<QAction*>& Actions)
{
    FMarkupBar->clear();
    FMarkupBar->addActions(Actions);
}

bool TGraphParametersForm::eventFilter(QObject* Watched, QEvent* Event)
{
    auto* Edit = qobject_cast<TKvCaptionEdit*>(Watched);
    if (Edit != nullptr && Event->type() == QEvent::FocusIn)
        FMarkupBar->setVisible(!FMarkupBar->actions().isEmpty());
    if (Edit != nullptr && Event->type() == QEvent::FocusOut) {
        FMarkupBar->hide();
        if (Edit->objectName() == "TitleEdit")
            setWindowTitle(PlainCaption(FWork.Title) + " / Set Parameters");
    }
    return QDialog::eventFilter(Watched, Event);
}

} // namespace kv
