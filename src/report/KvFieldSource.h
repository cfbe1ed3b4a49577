#pragma once
// What a report merge reads: the graph window's data series with their
// results lists (section, key -> text) and the graph as a picture.

#include "KvRtfDocument.h"

#include <QSize>

#include <optional>
#include <string>

namespace kv {

class TKvFieldSource {
public:
    virtual ~TKvFieldSource() = default;
    virtual int SeriesCount() const = 0;
    virtual bool HasCalculations(int Series) const = 0;
    virtual bool SectionExists(int Series, const std::string& Section) const = 0;
    // The value of Key in Section of the series' results; none when absent.
    virtual std::optional<std::string> Value(int Series, const std::string& Section, const std::string& Key) const = 0;
    // The graph's size on screen; the picture keeps its aspect ratio.
    virtual QSize GraphSize() const = 0;
    // The graph drawn for a picture of this size in twips.
    virtual TKvPicture GraphPicture(int WidthTwips, int HeightTwips) const = 0;
};

} // namespace kv
