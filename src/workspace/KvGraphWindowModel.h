#pragma once
// The model behind one graph window: its graph with the four axes
// TopAxis, RightAxis, BottomAxis and LeftAxis, its legend, one data series
// per valid assignment slot (found again by the slot number, its tag),
// the outfit and template paths and the window placement.

#include "graph/KvCalculatedSeries.h"
#include "graph/KvGraph2D.h"

#include "foundation/KvIniList.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class TKvGraphWindowModel {
public:
    // A new window with the initial outfit of its graph, axes and legend.
    explicit TKvGraphWindowModel(int32_t ATag);

    int32_t Tag;
    std::string OutfitFile;
    std::string TemplateFile;
    TKvFormPlacement Placement;
    // "Plot / " and the plain text of the graph's title.
    QString Caption;

    TKv2DGraph Graph;
    TKvAxis& TopAxis;
    TKvAxis& RightAxis;
    TKvAxis& BottomAxis;
    TKvAxis& LeftAxis;
    TKvLegend& Legend;

    // The series of slot Tag (1-based), or none.
    TKvDataWithErrorSeries* SeriesOfTag(int32_t SlotTag) const;
    // The slot number of a series of the window, 0 for any other.
    int32_t TagOf(const TKvSeries* Series) const;
    TKvDataWithErrorSeries& AddSeries(int32_t SlotTag);
    void DeleteSeries(int32_t SlotTag);
    void DeleteAllSeries();
    // The data series in the window's order (their creation order).
    std::vector<TKvDataWithErrorSeries*> DataSeries() const;
    int32_t SeriesCount() const { return static_cast<int32_t>(FTags.size()); }

    // The window's block of a data or settings file under prefix P
    // ("Graph(" g ")"): the template path, the graph with axes and series,
    // the legend and the placement.
    void SaveToIni(TKvIniList& Ini, std::string_view P) const;
    void LoadFromIni(const TKvIniList& Ini, std::string_view P, const TKvScreenSize& Screen);
    // What the window reads before the graph keys: "ZeroOrigin" first (the
    // derivative and integral curves choose their axes by it), then one
    // calculation per known "Calculation" identifier of each series' child
    // sections, in the file's order; unknown identifiers create nothing.
    void LoadCalculations(const TKvIniList& Ini, std::string_view P);

    // ---- calculations
    // The user settings file whose named constants the nonlinear fits of
    // this window know (empty: none).
    std::string SettingsFile;
    // Creates calculation ID for data series SeriesIndex (0-based) as the
    // add commands do (caption, parent, Tag, error handler, display flags);
    // none for an unknown identifier or series.
    TKvCalculatedSeries* NewCalculation(std::string_view ID, int32_t SeriesIndex);
    // Told of every failed calculation of this window; the failure is kept
    // in the curve's LastError either way and never escapes a load.
    TKvErrorEvent OnCalculationError;
    // Every calculation of every data series, in series and child order.
    std::vector<TKvCalculatedSeries*> Calculations() const;
    // Marks every calculation for recalculation in the next preparation step.
    void InvalidateCalculations();
    // Outfit files: graph under "Graph", legend under "Graph.Legend".
    void SaveOutfit(TKvIniList& Ini) const;
    void LoadOutfit(const TKvIniList& Ini);
    // Reads an outfit file and applies it; a file that lacks a section or
    // key every outfit has (cut short, or no outfit at all) raises
    // EFileError naming the file and what is missing, and nothing of it is
    // applied.
    void LoadOutfitFile(const std::string& FileName);
    // Gives graph, axes and legend the look of a new window (the series
    // keep theirs): a window reused for another document starts from it.
    void ResetOutfit();

private:
    void ApplyInitialOutfit();

    struct TTagged {
        int32_t Tag;
        TKvDataWithErrorSeries* Series;
    };
    std::vector<TTagged> FTags;
};

} // namespace kv
