// The page "Axis" of the parameters dialog: the controls act on every
// selected axis, and only a value the user changes is written to them.

#include "GraphParametersForm.h"

#include "ui/KvFloatEdit.h"
#include "ui/KvIntegerEdit.h"
#include "ui/widgets/KvCaptionEdit.h"
#include "ui/widgets/KvColorPicker.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <map>

namespace kv {

namespace {

struct TIntField {
    const char* Object;
    const char* Hint;
    int Min, Max;
    int32_t TAxisParameters::*Field;
};

constexpr TIntField IntFields[] = {
    {"AxisLineThicknesEdit", "Set thickness of axis line", 0, 10, &TAxisParameters::AxisThicknes},
    {"MajorTickThicknesEdit", "Set thickness of ticks line", 0, 10, &TAxisParameters::MajorTickThicknes},
    {"AxisMajorTicksLengthEdit", "Set length of ticks line", 0, 50, &TAxisParameters::MajorTickLength},
    {"MinorTickThicknesEdit", "Set thickness of ticks line", 0, 10, &TAxisParameters::TickThicknes},
    {"AxisMinorTicksLengthEdit", "Set length of ticks line", 0, 50, &TAxisParameters::TickLength},
    {"GapCaptionBorderEdit", "Enter distance between border and axis caption", 0, 2000,
     &TAxisParameters::BorderCaptionGap},
    {"GapCaptionScalingsEdit", "Enter distance between axis caption and axis scaling numbers", 0, 2000,
     &TAxisParameters::CaptionScalingsGap},
    {"GapCaptionAxisEdit", "Enter distance between axis scaling numbers and axis", 0, 2000,
     &TAxisParameters::ScalingsTicksGap},
    {"GapExponentEdit",
     "Enter distance between additional exponent and axis (only visible for verry small or high values)", 0, 2000,
     &TAxisParameters::ExponentScalingsGap},
    {"GapAxisValuesEdit", "Enter distance between axis and data points area", 0, 2000,
     &TAxisParameters::ValuesTicksGap},
};

struct TFloatField {
    const char* Object;
    const char* Hint;
    double Min, Max;
    double TAxisParameters::*Field;
};

constexpr TFloatField FloatFields[] = {
    {"AxisRangeStartEdit", "Enter start of axis", -1.7e308, 1.7e308, &TAxisParameters::Start},
    {"AxisRangeStopEdit", "Enter stop of axis", -1.7e308, 1.7e308, &TAxisParameters::Stop},
    {"AxisMajorTicksAtEdit", "Enter part used for major tick marks", 0.001, 10, &TAxisParameters::MajorTickPart},
    {"AxisMinorTicksAtEdit", "Enter part used for tick marks", 0.001, 10, &TAxisParameters::TickPart},
    {"AxisLabelsAtEdit", "Enter part used for putting scaling numbers", 0.001, 10, &TAxisParameters::LabelPart},
};

struct TCheckField {
    const char* Object;
    const char* Text;
    const char* Hint;
    bool TAxisParameters::*Field;
};

constexpr TCheckField CheckFields[] = {
    {"AxisVisibleCheck", "Visible", "Visibility of axis", &TAxisParameters::Visible},
    {"TwistedCheck", "Twisted", "If checked axis values are twisted (low values at right/top)",
     &TAxisParameters::Twisted},
    {"ShowCaptionCheck", "Show", "Check to show the axis caption", &TAxisParameters::ShowCaption},
    {"ShowScalingsCheck", "Show", "Check to show scaling numbers", &TAxisParameters::ShowScaleLabels},
    {"AxisAutoTicksCheck", "auto", "Check to automatically set the tickmarks and numbers (recommended)",
     &TAxisParameters::AutoTicks},
};

struct TColorField {
    const char* Object;
    const char* Hint;
    TColor TAxisParameters::*Field;
};

constexpr TColorField ColorFields[] = {
    {"AxisLineColorBtn", "Select color for axis line", &TAxisParameters::AxisColor},
    {"AxisMajorTicksColorBtn", "Select color for ticks line", &TAxisParameters::MajorTickColor},
    {"AxisMinorTicksColorBtn", "Select color for ticks line", &TAxisParameters::TickColor},
};

} // namespace

std::vector<int> TGraphParametersForm::SelectedAxes() const
{
    std::vector<int> Axes;
    const auto* List = findChild<QListWidget*>("AxisSelect");
    for (int i = 0; i < 4; ++i)
        if (List->item(i)->isSelected())
            Axes.push_back(i);
    return Axes;
}

int TGraphParametersForm::FocusedAxis() const
{
    const int Row = findChild<QListWidget*>("AxisSelect")->currentRow();
    return Row < 0 ? 0 : Row;
}

void TGraphParametersForm::ForSelectedAxes(const std::function<void(TAxisParameters&)>& Write)
{
    if (FFilling)
        return;
    for (int i : SelectedAxes())
        Write(FWork.Axes[static_cast<size_t>(i)]);
}

void TGraphParametersForm::BuildAxisPage(QWidget* Page)
{
    auto* G = new QGridLayout(Page);
    auto* List = Named(new QListWidget, "AxisSelect", "Select axis to modify (multiple selections possible)");
    List->addItems({"Bottom(X)-Axis", "Left(Y)-Axis", "Top(2nd X)-Axis", "Right(2nd Y)-Axis"});
    List->setFlow(QListView::LeftToRight);
    List->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List->setFixedHeight(28);
    List->setCurrentRow(0);
    connect(List, &QListWidget::itemSelectionChanged, this, [this] { FillAxisPage(); });
    connect(List, &QListWidget::currentRowChanged, this, [this] { FillAxisPage(); });
    G->addWidget(List, 0, 0, 1, 6);

    std::map<QString, QWidget*> W;
    for (const TCheckField& C : CheckFields) {
        auto* Check = Named(new QCheckBox(C.Text), C.Object, C.Hint);
        connect(Check, &QCheckBox::toggled, this, [this, F = C.Field](bool On) {
            ForSelectedAxes([F, On](TAxisParameters& A) { A.*F = On; });
            ApplyAxisRules();
        });
        W[C.Object] = Check;
    }
    for (const TIntField& I : IntFields) {
        auto* Edit = new TKvSpinIntegerEdit;
        Edit->SetMinValue(I.Min);
        Edit->SetMaxValue(I.Max);
        Edit->setMaximumWidth(70);
        Named(Edit, I.Object, I.Hint);
        connect(Edit, &TKvIntegerEdit::OnChange, this, [this, Edit, F = I.Field] {
            const int V = Edit->Value();
            ForSelectedAxes([F, V](TAxisParameters& A) { A.*F = V; });
        });
        W[I.Object] = Edit;
    }
    for (const TFloatField& D : FloatFields) {
        auto* Edit = Named(new TKvFloatEdit, D.Object, D.Hint);
        Edit->SetMinValue(D.Min);
        Edit->SetMaxValue(D.Max);
        Edit->SetDigits(7);
        Edit->setMaximumWidth(110);
        connect(Edit, &TKvFloatEdit::OnChange, this, [this, Edit, F = D.Field] {
            const double V = Edit->Value();
            ForSelectedAxes([F, V](TAxisParameters& A) { A.*F = V; });
        });
        W[D.Object] = Edit;
    }
    for (const TColorField& C : ColorFields) {
        auto* Button = Named(new TKvColorBtn, C.Object, C.Hint);
        connect(Button, &QToolButton::clicked, this, [this, Button, F = C.Field] {
            PickColor(Button, [this, F](TColor Chosen) {
                ForSelectedAxes([F, Chosen](TAxisParameters& A) { A.*F = Chosen; });
            });
        });
        W[C.Object] = Button;
    }
    auto* AutoRange = Named(new QCheckBox("auto"), "AxisAutoRangeCheck",
                            "Check to chose start stop automatically (recommended)");
    connect(AutoRange, &QCheckBox::toggled, this, [this](bool On) {
        // An axis turning automatic also returns to its unzoomed range when applied.
        ForSelectedAxes([On](TAxisParameters& A) {
            if (!A.AutoRange)
                A.ZoomOutOnApply = true;
            A.AutoRange = On;
        });
        ApplyAxisRules();
    });
    auto* Scalings = new QButtonGroup(Page);
    Scalings->setObjectName("AxisScalings");
    const std::pair<const char*, const char*> ScalingRadios[] = {
        {"AxisNormalRadio", "Normal"}, {"AxisLogRadio", "Log"}, {"AxisLogEERadio", "10EE"}};
    const char* ScalingHints[] = {"Normal linear scaling", "Logarithmic scaling with full numbers",
                                  "Logarithmic scaling with exponential numbers"};
    for (int i = 0; i < 3; ++i) {
        auto* R = Named(new QRadioButton(ScalingRadios[i].second), ScalingRadios[i].first, ScalingHints[i]);
        Scalings->addButton(R, i);
        W[ScalingRadios[i].first] = R;
    }
    connect(Scalings, &QButtonGroup::idClicked, this, [this](int Id) {
        ForSelectedAxes([Id](TAxisParameters& A) { A.Scaling = static_cast<TKvAxScaling>(Id); });
        ApplyAxisRules();
    });
    auto* Ticks = new QButtonGroup(Page);
    Ticks->setObjectName("AxisTicks");
    auto* ToCaption = Named(new QRadioButton("Ticks showing to Caption"), "AxisTicksToCaptionRadio",
                            "Select orientation of tickmarks pointing to the axis caption");
    auto* ToData = Named(new QRadioButton("Ticks showing to Data"), "AxisTicksToDataRadio",
                         "Select orientation of tickmarks pointing to the data points area");
    Ticks->addButton(ToCaption, 0);
    Ticks->addButton(ToData, 1);
    connect(Ticks, &QButtonGroup::idClicked, this,
            [this](int Id) { ForSelectedAxes([Id](TAxisParameters& A) { A.TicksToData = Id == 1; }); });
    auto* DoAuto = Named(new QCheckBox("Auto"), "DoAutoCaptionCheck",
                         "Check to take caption automatically from table headers");
    auto* Caption = Named(new TKvCaptionEdit, "UserCaptionEdit", "Enter caption of axis");
    Caption->installEventFilter(this);
    connect(Caption, &TKvCaptionEdit::CaretChanged, this, &TGraphParametersForm::CaptionCaretChanged);
    connect(DoAuto, &QCheckBox::toggled, this, [this, Caption](bool On) {
        if (FFilling)
            return;
        TAxisParameters& A = FWork.Axes[static_cast<size_t>(FocusedAxis())];
        A.DoUserCaption = !On;
        Caption->setEnabled(!On);
        FFilling = true;
        Caption->SetCaption(A.DoUserCaption ? A.UserCaption : A.AutoCaption);
        FFilling = false;
    });
    connect(Caption, &TKvCaptionEdit::Changed, this, [this, Caption] {
        if (!FFilling)
            FWork.Axes[static_cast<size_t>(FocusedAxis())].UserCaption = Caption->Caption();
    });
    auto* CaptionFont = Named(new QPushButton(" Caption "), "AxisCaptionFontBtn", "Click to change caption font");
    auto* ScaleFont = Named(new QPushButton(" Scalings "), "AxisScalingsFontBtn", "Click to change scalings font");
    connect(CaptionFont, &QPushButton::clicked, this, [this] {
        PickFont([this] { return FFonts.Caption[static_cast<size_t>(FocusedAxis())]; },
                 [this](const TKvFontRecord& F) {
                     for (int i : SelectedAxes())
                         FFonts.Caption[static_cast<size_t>(i)] = F;
                 });
    });
    connect(ScaleFont, &QPushButton::clicked, this, [this] {
        PickFont([this] { return FFonts.Scale[static_cast<size_t>(FocusedAxis())]; },
                 [this](const TKvFontRecord& F) {
                     for (int i : SelectedAxes())
                         FFonts.Scale[static_cast<size_t>(i)] = F;
                 });
    });
    auto* Zero = Named(new QCheckBox("Axis-Origin at (0,0)"), "ZeroOriginCheck", "Activate for X/Y-Axis crossing at 0");
    connect(Zero, &QCheckBox::clicked, this, [this](bool On) { ZeroOriginClicked(On); });

    auto Label = [](const char* Text) { return new QLabel(Text); };
    G->addWidget(W["AxisVisibleCheck"], 1, 0);
    G->addWidget(W["TwistedCheck"], 1, 1);
    G->addWidget(Label("Range"), 2, 0);
    G->addWidget(AutoRange, 2, 1);
    G->addWidget(Label("Start"), 2, 2);
    G->addWidget(W["AxisRangeStartEdit"], 2, 3);
    G->addWidget(Label("Stop"), 2, 4);
    G->addWidget(W["AxisRangeStopEdit"], 2, 5);
    G->addWidget(Label("Axis-Line"), 3, 0);
    G->addWidget(W["AxisLineColorBtn"], 3, 1);
    G->addWidget(W["AxisLineThicknesEdit"], 3, 2);
    G->addWidget(Label("Scaling"), 3, 3);
    G->addWidget(W["AxisNormalRadio"], 3, 4);
    G->addWidget(W["AxisLogRadio"], 4, 4);
    G->addWidget(W["AxisLogEERadio"], 5, 4);
    G->addWidget(Label("Caption:"), 4, 0);
    G->addWidget(W["ShowCaptionCheck"], 4, 1);
    G->addWidget(DoAuto, 4, 2);
    G->addWidget(Caption, 5, 0, 1, 4);
    G->addWidget(Label("Scaling-Numbers:"), 6, 0);
    G->addWidget(W["ShowScalingsCheck"], 6, 1);
    G->addWidget(Label("Fonts:"), 7, 0);
    G->addWidget(CaptionFont, 7, 1, 1, 2);
    G->addWidget(ScaleFont, 7, 3, 1, 2);
    G->addWidget(ToCaption, 8, 0, 1, 2);
    G->addWidget(ToData, 8, 2, 1, 2);
    G->addWidget(Label("Thickness"), 9, 2);
    G->addWidget(Label("Length"), 9, 3);
    G->addWidget(Label("major Ticks"), 10, 0);
    G->addWidget(W["AxisMajorTicksColorBtn"], 10, 1);
    G->addWidget(W["MajorTickThicknesEdit"], 10, 2);
    G->addWidget(W["AxisMajorTicksLengthEdit"], 10, 3);
    G->addWidget(Label("minor Ticks"), 11, 0);
    G->addWidget(W["AxisMinorTicksColorBtn"], 11, 1);
    G->addWidget(W["MinorTickThicknesEdit"], 11, 2);
    G->addWidget(W["AxisMinorTicksLengthEdit"], 11, 3);
    G->addWidget(W["AxisAutoTicksCheck"], 12, 0);
    G->addWidget(Label("major Ticks at"), 12, 1);
    G->addWidget(W["AxisMajorTicksAtEdit"], 12, 2);
    G->addWidget(Label("minor Ticks at"), 13, 1);
    G->addWidget(W["AxisMinorTicksAtEdit"], 13, 2);
    G->addWidget(Label("Scaling-Numbers at"), 14, 1);
    G->addWidget(W["AxisLabelsAtEdit"], 14, 2);
    const std::pair<const char*, const char*> Gaps[] = {
        {"Gap Border-Caption", "GapCaptionBorderEdit"}, {"Caption-Scalings", "GapCaptionScalingsEdit"},
        {"Scalings-Axis", "GapCaptionAxisEdit"},        {"Scaligs-Exponent", "GapExponentEdit"},
        {"Axis-Values", "GapAxisValuesEdit"}};
    int Row = 9;
    for (const auto& [Text, Object] : Gaps) {
        G->addWidget(Label(Text), Row, 4);
        G->addWidget(W[Object], Row, 5);
        ++Row;
    }
    G->addWidget(Zero, 15, 0, 1, 3);
}

void TGraphParametersForm::FillAxisPage()
{
    auto* List = findChild<QListWidget*>("AxisSelect");
    const bool Was = FFilling;
    FFilling = true;
    if (List->currentItem() != nullptr && !List->currentItem()->isSelected())
        List->currentItem()->setSelected(true);
    const TAxisParameters& A = FWork.Axes[static_cast<size_t>(FocusedAxis())];
    for (const TCheckField& C : CheckFields)
        findChild<QCheckBox*>(C.Object)->setChecked(A.*C.Field);
    for (const TIntField& I : IntFields)
        findChild<TKvIntegerEdit*>(I.Object)->SetValue(A.*I.Field);
    for (const TFloatField& D : FloatFields)
        findChild<TKvFloatEdit*>(D.Object)->SetValue(A.*D.Field);
    for (const TColorField& C : ColorFields)
        findChild<TKvColorBtn*>(C.Object)->SetSqareColor(A.*C.Field);
    findChild<QCheckBox*>("AxisAutoRangeCheck")->setChecked(A.AutoRange);
    findChild<QButtonGroup*>("AxisScalings")->button(static_cast<int>(A.Scaling))->setChecked(true);
    findChild<QButtonGroup*>("AxisTicks")->button(A.TicksToData ? 1 : 0)->setChecked(true);
    findChild<QCheckBox*>("DoAutoCaptionCheck")->setChecked(!A.DoUserCaption);
    auto* Caption = findChild<TKvCaptionEdit*>("UserCaptionEdit");
    Caption->SetCaption(A.DoUserCaption ? A.UserCaption : A.AutoCaption);
    Caption->setEnabled(A.DoUserCaption);
    findChild<QCheckBox*>("ZeroOriginCheck")->setChecked(FWork.ZeroOrigin);
    LayoutFontButtons();
    ApplyAxisRules();
    FFilling = Was;
}

// The enabling rules of the axis page; they show, they never write.
void TGraphParametersForm::ApplyAxisRules()
{
    const TAxisParameters& A = FWork.Axes[static_cast<size_t>(FocusedAxis())];
    for (const char* Object : {"AxisRangeStartEdit", "AxisRangeStopEdit"})
        findChild<QWidget*>(Object)->setEnabled(!A.AutoRange);
    const bool Normal = A.Scaling == TKvAxScaling::AxNormal;
    findChild<QWidget*>("AxisAutoTicksCheck")->setEnabled(Normal);
    for (const char* Object : {"AxisMajorTicksAtEdit", "AxisMinorTicksAtEdit", "AxisLabelsAtEdit"})
        findChild<QWidget*>(Object)->setEnabled(!A.AutoTicks);
    const std::vector<int> Selected = SelectedAxes();
    const bool Primary = std::find(Selected.begin(), Selected.end(), int(AxBottom)) != Selected.end() ||
                         std::find(Selected.begin(), Selected.end(), int(AxLeft)) != Selected.end();
    findChild<QWidget*>("AxisVisibleCheck")->setVisible(!Primary);
    findChild<QWidget*>("DoAutoCaptionCheck")->setEnabled(Selected.size() == 1);
}

void TGraphParametersForm::ZeroOriginClicked(bool Checked)
{
    FWork.ZeroOrigin = Checked;
    if (Checked) {
        SetDataColor(FWork.Color);
        FWork.Axes[AxTop].Visible = false;
        FWork.Axes[AxRight].Visible = false;
        for (int i : {int(AxBottom), int(AxLeft)}) {
            FWork.Axes[static_cast<size_t>(i)].ValuesTicksGap = 0;
            FWork.Axes[static_cast<size_t>(i)].TicksToData = false;
        }
    }
    FillAxisPage();
}

} // namespace kv
