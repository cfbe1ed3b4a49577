#pragma once
// A field source over plain results lists, for merge tests: one list per
// series, a graph size, and a picture that records the size asked for.

#include "report/KvFieldSource.h"

#include "foundation/KvIniList.h"

#include <QBuffer>
#include <QImage>

#include <vector>

namespace kv::test {

class TKvFakeFieldSource : public TKvFieldSource {
public:
    std::vector<TKvIniList> Results;
    std::vector<bool> Calculations;
    QSize Graph{800, 600};

    // A series with its caption; HasCalc says whether it has calculations.
    TKvIniList& AddSeries(const std::string& Caption, bool HasCalc)
    {
        Results.emplace_back();
        Results.back().WriteString("Datapoints", "Caption", Caption);
        Calculations.push_back(HasCalc);
        return Results.back();
    }

    int SeriesCount() const override { return static_cast<int>(Results.size()); }
    bool HasCalculations(int Series) const override { return Calculations[static_cast<size_t>(Series)]; }
    bool SectionExists(int Series, const std::string& Section) const override
    {
        return Results[static_cast<size_t>(Series)].SectionExists(Section);
    }
    std::optional<std::string> Value(int Series, const std::string& Section, const std::string& Key) const override
    {
        const auto V = Results[static_cast<size_t>(Series)].FindValue(Section, Key);
        return V ? std::optional<std::string>(std::string(*V)) : std::nullopt;
    }
    QSize GraphSize() const override { return Graph; }
    TKvPicture GraphPicture(int W, int H) const override
    {
        QImage Image(40, 30, QImage::Format_RGB32);
        Image.fill(Qt::blue);
        QByteArray Png;
        QBuffer Buffer(&Png);
        Buffer.open(QIODevice::WriteOnly);
        Image.save(&Buffer, "PNG");
        return {"png", Png, {}, {}, Image.width(), Image.height(), W, H};
    }
};

} // namespace kv::test
