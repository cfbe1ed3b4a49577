#pragma once
// A graph window's model as the source of a report merge: the results
// lists of its data series and its graph as a picture (an EMF metafile
// with a PNG fallback for readers without EMF).

#include "KvGraphWindowModel.h"

#include "report/KvFieldSource.h"

namespace kv {

class TKvGraphReportSource : public TKvFieldSource {
public:
    // Lays the graph out and brings its calculations up to date, so the
    // results lists hold what the window shows.
    explicit TKvGraphReportSource(TKvGraphWindowModel& Window);

    int SeriesCount() const override { return static_cast<int>(FSeries.size()); }
    bool HasCalculations(int Series) const override;
    bool SectionExists(int Series, const std::string& Section) const override;
    std::optional<std::string> Value(int Series, const std::string& Section, const std::string& Key) const override;
    QSize GraphSize() const override;
    TKvPicture GraphPicture(int WidthTwips, int HeightTwips) const override;

private:
    TKvGraphWindowModel& FWindow;
    std::vector<TKvDataWithErrorSeries*> FSeries;
};

} // namespace kv
