#include "KvGraphWindowModel.h"

#include "foundation/KvLargeIniFile.h"

#include "graph/KvCalculationFactory.h"

#include <QFileInfo>

#include <algorithm>

namespace kv {

namespace {

TKvAxis& NewAxis(TKv2DGraph& G, TKvAxisPos Pos, const char* Name) { return G.AddAxis(Pos, Name); }

} // namespace

// The axes are created in the order their sections appear in a file.
TKvGraphWindowModel::TKvGraphWindowModel(int32_t ATag)
    : Tag(ATag), TopAxis(NewAxis(Graph, TKvAxisPos::AxTopPos, "TopAxis")),
      RightAxis(NewAxis(Graph, TKvAxisPos::AxRightPos, "RightAxis")),
      BottomAxis(NewAxis(Graph, TKvAxisPos::AxBottomPos, "BottomAxis")),
      LeftAxis(NewAxis(Graph, TKvAxisPos::AxLeftPos, "LeftAxis")), Legend(Graph.AddLegend())
{
    Graph.SetPrimaryXAxis(&BottomAxis);
    Graph.SetPrimaryYAxis(&LeftAxis);
    TopAxis.SetMasterAxis(&BottomAxis);
    TopAxis.SetIsSlaveAxis(true);
    RightAxis.SetMasterAxis(&LeftAxis);
    RightAxis.SetIsSlaveAxis(true);
    ApplyInitialOutfit();
}

void TKvGraphWindowModel::ApplyInitialOutfit()
{
    Graph.AutoZoom = true;
    Graph.Color = clBtnFace;
    Graph.DataColor = clBtnFace;
    Graph.FrameLine.SetRecord({false, clRed, static_cast<int32_t>(TPenStyle::psSolid), 1});
    for (TKvLineStyle* Grid : {&Graph.MajorGridX, &Graph.MajorGridY, &Graph.MinorGridX, &Graph.MinorGridY})
        Grid->SetRecord({false, clRed, static_cast<int32_t>(TPenStyle::psDot), 1});
    Graph.SetShowTitle(false);
    Graph.SetZeroOrigin(false);
    TKvFontRecord CaptionFont;
    CaptionFont.Name = "Arial";
    CaptionFont.Size = 16; // 21 pixels at 96 dots per inch
    CaptionFont.Bold = true;
    CaptionFont.Color = clBlue;
    for (TKvAxis* A : {&TopAxis, &RightAxis, &BottomAxis, &LeftAxis}) {
        const bool Shown = A == &BottomAxis || A == &LeftAxis;
        A->SetShowCaption(Shown);
        A->SetShowScaleLabels(Shown);
        A->SetCaptionFont(CaptionFont);
        A->SetScalingsTicksGap(1);
        A->SetExponentScalingsGap(10);
        A->SetBorderCaptionGap(0);
        A->SetCaptionScalingsGap(0);
        A->SetValuesTicksGap(0);
        A->SetMaxExpForScaleExp(3);
        A->SetMinExpForScaleExp(-2);
        A->SetStop(100);
        A->SetStartEnd(TKvAxEnd::AxAutoRange);
        A->SetStopEnd(TKvAxEnd::AxAutoRange);
        const bool Positive = A == &LeftAxis || A == &TopAxis;
        A->SetMajorTickLength(Positive ? 10 : -10);
        A->SetTickLength(Positive ? 6 : -6);
        A->AxisColor = A->TickColor = A->MajorTickColor = clBlack;
        A->AxisThicknes = A->TickThicknes = A->MajorTickThicknes = 0;
    }
    Legend.Visible = false;
    Legend.SetInGraphPosition(TKvAxisPos::AxFreeFloating);
    Legend.SetHorizontal(true);
    Legend.SetRows(1);
    Legend.SetColumns(1);
    Legend.SetLineLength(80);
    Legend.SetLineGap(4);
    Legend.SetBorderGap(6);
    Legend.SetHorizontalGap(10);
    Legend.SetVerticalGap(3);
    Legend.SetOutsideGap(10);
    Legend.Frame.SetRecord({true, clRed, static_cast<int32_t>(TPenStyle::psSolid), 1});
}

TKvDataWithErrorSeries* TKvGraphWindowModel::SeriesOfTag(int32_t SlotTag) const
{
    for (const TTagged& T : FTags)
        if (T.Tag == SlotTag)
            return T.Series;
    return nullptr;
}

int32_t TKvGraphWindowModel::TagOf(const TKvSeries* Series) const
{
    for (const TTagged& T : FTags)
        if (T.Series == Series)
            return T.Tag;
    return 0;
}

TKvDataWithErrorSeries& TKvGraphWindowModel::AddSeries(int32_t SlotTag)
{
    if (SeriesOfTag(SlotTag))
        throw EConvertError("Slot " + std::to_string(SlotTag) + " already has a series");
    auto& S = Graph.AddSeries<TKvDataWithErrorSeries>();
    FTags.push_back({SlotTag, &S});
    return S;
}

void TKvGraphWindowModel::DeleteSeries(int32_t SlotTag)
{
    TKvDataWithErrorSeries* S = SeriesOfTag(SlotTag);
    if (S == nullptr)
        return;
    std::erase_if(FTags, [S](const TTagged& T) { return T.Series == S; });
    Graph.DeleteSeries(S);
}

void TKvGraphWindowModel::DeleteAllSeries()
{
    FTags.clear();
    Graph.ClearSeries();
}

std::vector<TKvDataWithErrorSeries*> TKvGraphWindowModel::DataSeries() const
{
    std::vector<TKvDataWithErrorSeries*> List;
    for (const TTagged& T : FTags)
        List.push_back(T.Series);
    return List;
}

void TKvGraphWindowModel::SaveToIni(TKvIniList& Ini, std::string_view P) const
{
    Ini.WriteString(P, "Template", TemplateFile);
    Graph.SaveToIni(Ini, P);
    Legend.SaveToIni(Ini, std::string(P) + ".Legend");
    Ini.WriteFormPlacement(P, "Form", Placement);
}

void TKvGraphWindowModel::LoadCalculations(const TKvIniList& Ini, std::string_view P)
{
    Graph.SetZeroOrigin(Ini.ReadBool(P, "ZeroOrigin", Graph.ZeroOrigin()));
    const std::vector<TKvDataWithErrorSeries*> Series = DataSeries();
    for (size_t n = 0; n < Series.size(); ++n) {
        const std::string Section = std::string(P) + ".Series(" + std::to_string(n + 1) + ")";
        const int32_t Count = Ini.ReadInteger(Section, "ChildCount", 0);
        for (int32_t k = 1; k <= Count; ++k)
            NewCalculation(Ini.ReadString(Section + ".Child(" + std::to_string(k) + ")", "Calculation", ""),
                           static_cast<int32_t>(n));
    }
}

TKvCalculatedSeries* TKvGraphWindowModel::NewCalculation(std::string_view ID, int32_t SeriesIndex)
{
    const std::vector<TKvDataWithErrorSeries*> Series = DataSeries();
    if (SeriesIndex < 0 || static_cast<size_t>(SeriesIndex) >= Series.size())
        return nullptr;
    // A failure is kept in the curve (LastError) and told; it never stops
    // the caller, who may be loading a file.
    auto OnError = [this](TKvCalculatedSeries& Curve, const EKvError& E) {
        if (OnCalculationError)
            OnCalculationError(Curve, E);
    };
    return NewCalculationOfKind(ID, *Series[static_cast<size_t>(SeriesIndex)], SeriesIndex + 1, OnError,
                                SettingsFile);
}

std::vector<TKvCalculatedSeries*> TKvGraphWindowModel::Calculations() const
{
    std::vector<TKvCalculatedSeries*> List;
    for (TKvDataWithErrorSeries* S : DataSeries())
        for (auto& C : S->Children)
            if (auto* Curve = dynamic_cast<TKvCalculatedSeries*>(C.get()))
                List.push_back(Curve);
    return List;
}

void TKvGraphWindowModel::InvalidateCalculations()
{
    for (TKvDataWithErrorSeries* S : DataSeries())
        if (!S->Children.empty()) {
            S->ChildrenDirty = true;
            S->MarkChanged();
        }
}

void TKvGraphWindowModel::LoadFromIni(const TKvIniList& Ini, std::string_view P, const TKvScreenSize& Screen)
{
    // A template that has gone since the file was written is not taken.
    const std::string Template = Ini.ReadString(P, "Template", TemplateFile);
    if (!Template.empty() && QFileInfo::exists(QString::fromStdString(Template)))
        TemplateFile = Template;
    Graph.LoadFromIni(Ini, P);
    Legend.LoadFromIni(Ini, std::string(P) + ".Legend");
    Ini.ReadFormPlacement(P, "Form", Placement, Screen);
    // The calculations' keys were read without recalculating.
    InvalidateCalculations();
}

void TKvGraphWindowModel::SaveOutfit(TKvIniList& Ini) const
{
    Graph.SaveToIni(Ini, "Graph");
    Legend.SaveToIni(Ini, "Graph.Legend");
}

void TKvGraphWindowModel::LoadOutfitFile(const std::string& FileName)
{
    const TKvLargeIniFile Store(FileName);
    // What a new window writes is what every outfit holds.
    TKvIniList Complete;
    TKvGraphWindowModel(Tag).SaveOutfit(Complete);
    TKvStringList Sections, Keys;
    Complete.ReadSections(Sections);
    for (const std::string& Section : Sections) {
        if (!Store.SectionExists(Section))
            throw EFileError("The outfit file " + FileName + " is damaged: it has no section [" + Section +
                             "]. The graph keeps its look.");
        Complete.ReadSection(Section, Keys);
        for (const std::string& Key : Keys)
            if (Store.ReadString(Section, Key, "\x01missing") == "\x01missing")
                throw EFileError("The outfit file " + FileName + " is damaged: [" + Section + "] has no key " +
                                 Key + ". The graph keeps its look.");
    }
    LoadOutfit(Store);
}

void TKvGraphWindowModel::ResetOutfit()
{
    // Every key of a new window's outfit, so nothing of the old look stays.
    TKvIniList Defaults;
    TKvGraphWindowModel(Tag).SaveOutfit(Defaults);
    LoadOutfit(Defaults);
}

void TKvGraphWindowModel::LoadOutfit(const TKvIniList& Ini)
{
    Graph.LoadFromIni(Ini, "Graph");
    Legend.LoadFromIni(Ini, "Graph.Legend");
    InvalidateCalculations();
}

} // namespace kv
