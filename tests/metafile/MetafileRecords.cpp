#include "MetafileRecords.h"

#include "metafile/KvByteStream.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace kv::test {

uint32_t TRecord::U32(size_t At) const { return ReadU32(Data + At); }
int32_t TRecord::I32(size_t At) const { return ReadI32(Data + At); }
uint16_t TRecord::U16(size_t At) const { return ReadU16(Data + At); }
int16_t TRecord::I16(size_t At) const { return ReadI16(Data + At); }

std::vector<TRecord> EmfRecords(const QByteArray& File)
{
    std::vector<TRecord> Out;
    const auto* Bytes = reinterpret_cast<const uint8_t*>(File.constData());
    const auto Size = static_cast<size_t>(File.size());
    size_t At = 0;
    while (At + 8 <= Size) {
        TRecord R{ReadU32(Bytes + At), At, ReadU32(Bytes + At + 4), Bytes + At, File};
        if (R.Size < 8 || At + R.Size > Size) {
            ADD_FAILURE() << "record at " << At << " has size " << R.Size;
            break;
        }
        Out.push_back(R);
        At += R.Size;
    }
    EXPECT_EQ(At, Size) << "bytes after the last record";
    return Out;
}

std::vector<TRecord> WmfRecords(const QByteArray& File)
{
    std::vector<TRecord> Out;
    const auto* Bytes = reinterpret_cast<const uint8_t*>(File.constData());
    const auto Size = static_cast<size_t>(File.size());
    size_t At = 22 + 18;
    while (At + 6 <= Size) {
        TRecord R{ReadU16(Bytes + At + 4), At, 2 * static_cast<size_t>(ReadU32(Bytes + At)), Bytes + At, File};
        if (R.Size < 6 || At + R.Size > Size) {
            ADD_FAILURE() << "record at " << At << " has size " << R.Size;
            break;
        }
        Out.push_back(R);
        At += R.Size;
    }
    EXPECT_EQ(At, Size) << "bytes after the last record";
    return Out;
}

std::vector<const TRecord*> OfType(const std::vector<TRecord>& Records, uint32_t Type)
{
    std::vector<const TRecord*> Out;
    for (const TRecord& R : Records)
        if (R.Type == Type)
            Out.push_back(&R);
    return Out;
}

namespace {

// Follows creation, selection, deletion and the saved states of a reader's
// object table; reports any object used after deletion, deleted while
// selected or never deleted.
class TObjectTable {
public:
    void Create(uint32_t Index, int Kind)
    {
        EXPECT_FALSE(FLive.count(Index)) << "object " << Index << " created twice";
        FLive[Index] = Kind;
        ++Created;
    }
    void Select(uint32_t Index, bool Stock, int StockKind)
    {
        if (Stock) {
            FSelected[StockKind] = Index;
            return;
        }
        ASSERT_TRUE(FLive.count(Index)) << "selecting object " << Index << " that does not exist";
        FSelected[FLive[Index]] = Index;
    }
    // AtEnd: in the closing deletions of a format without stock objects,
    // where a selected object can only be deleted.
    void Delete(uint32_t Index, bool AtEnd = false)
    {
        ASSERT_TRUE(FLive.count(Index)) << "deleting object " << Index << " that does not exist";
        if (!AtEnd) {
            EXPECT_NE(FSelected[FLive[Index]], Index) << "object " << Index << " deleted while selected";
        }
        for (const auto& Saved : FStack)
            EXPECT_NE(Saved.at(FLive[Index]), Index) << "object " << Index << " deleted while a saved state holds it";
        FLive.erase(Index);
        ++Deleted;
    }
    void Save() { FStack.push_back(FSelected); }
    void Restore()
    {
        ASSERT_FALSE(FStack.empty()) << "restore without save";
        FSelected = FStack.back();
        FStack.pop_back();
    }
    void Finish()
    {
        EXPECT_TRUE(FStack.empty()) << "saved states left at the end";
        EXPECT_TRUE(FLive.empty()) << FLive.size() << " objects never deleted";
        EXPECT_EQ(Created, Deleted);
    }
    uint32_t LowestFree() const
    {
        uint32_t i = 0;
        while (FLive.count(i))
            ++i;
        return i;
    }
    int Created = 0, Deleted = 0;

private:
    std::map<uint32_t, int> FLive;
    std::map<int, uint32_t> FSelected{{0, ~0u}, {1, ~0u}, {2, ~0u}};
    std::vector<std::map<int, uint32_t>> FStack;
};

int EmfStockKind(uint32_t Index)
{
    const uint32_t Stock = Index & 0x7FFFFFFF;
    return Stock >= 10 ? 2 : (Stock >= 6 && Stock <= 8) ? 0 : 1;
}

} // namespace

void CheckEmfStructure(const QByteArray& File)
{
    const std::vector<TRecord> Records = EmfRecords(File);
    ASSERT_GE(Records.size(), 2u);
    const TRecord& H = Records.front();
    EXPECT_EQ(H.Type, 1u);
    EXPECT_EQ(H.Size, 108u) << "the full header with pixel format and micrometres";
    EXPECT_EQ(H.U32(40), 0x464D4520u);
    EXPECT_EQ(H.U32(48), static_cast<uint32_t>(File.size())) << "file size in the header";
    EXPECT_EQ(H.U32(52), Records.size()) << "record count in the header";
    EXPECT_EQ(Records.back().Type, 14u) << "the last record is the end record";
    EXPECT_EQ(OfType(Records, 14).size(), 1u);
    uint32_t Highest = 0;
    TObjectTable Table;
    for (const TRecord& R : Records) {
        EXPECT_EQ(R.Size % 4, 0u) << "record " << R.Type << " at " << R.Offset << " not aligned";
        switch (R.Type) {
        case 38: Table.Create(R.U32(8), 0); Highest = std::max(Highest, R.U32(8)); break;
        case 39: Table.Create(R.U32(8), 1); Highest = std::max(Highest, R.U32(8)); break;
        case 82: Table.Create(R.U32(8), 2); Highest = std::max(Highest, R.U32(8)); break;
        case 37: Table.Select(R.U32(8), R.U32(8) & 0x80000000u, EmfStockKind(R.U32(8))); break;
        case 40: Table.Delete(R.U32(8)); break;
        case 33: Table.Save(); break;
        case 34: Table.Restore(); break;
        default: break;
        }
    }
    Table.Finish();
    EXPECT_GT(H.U16(56), Highest) << "handle count covers every index";
}

void CheckWmfStructure(const QByteArray& File)
{
    ASSERT_GE(File.size(), 22 + 18 + 6);
    const auto* B = reinterpret_cast<const uint8_t*>(File.constData());
    EXPECT_EQ(ReadU32(B), 0x9AC6CDD7u);
    uint16_t Sum = 0;
    for (int i = 0; i < 20; i += 2)
        Sum ^= ReadU16(B + i);
    EXPECT_EQ(ReadU16(B + 20), Sum) << "placeable header checksum";
    const uint8_t* M = B + 22;
    EXPECT_EQ(ReadU16(M + 2), 9);
    EXPECT_EQ(ReadU16(M + 4), 0x0300);
    EXPECT_EQ(2 * static_cast<size_t>(ReadU32(M + 6)), static_cast<size_t>(File.size()) - 22)
        << "size in the header (words) equals the file after the placeable header";
    const std::vector<TRecord> Records = WmfRecords(File);
    ASSERT_FALSE(Records.empty());
    EXPECT_EQ(Records.back().Type, 0u) << "the last record is the end record";
    size_t Largest = 0;
    uint32_t Highest = 0;
    TObjectTable Table;
    size_t LastDrawing = 0;
    for (size_t i = 0; i < Records.size(); ++i)
        if (Records[i].Type != 0x01F0 && Records[i].Type != 0)
            LastDrawing = i;
    for (size_t i = 0; i < Records.size(); ++i) {
        const TRecord& R = Records[i];
        EXPECT_EQ(R.Size % 2, 0u);
        Largest = std::max(Largest, R.Size / 2);
        switch (R.Type) {
        case 0x02FA:
        case 0x02FC:
        case 0x02FB: {
            const uint32_t Slot = Table.LowestFree();
            Highest = std::max(Highest, Slot);
            Table.Create(Slot, R.Type == 0x02FA ? 0 : R.Type == 0x02FC ? 1 : 2);
            break;
        }
        case 0x012D: Table.Select(R.U16(6), false, 0); break;
        case 0x01F0: Table.Delete(R.U16(6), i > LastDrawing); break;
        case 0x001E: Table.Save(); break;
        case 0x0127: Table.Restore(); break;
        default: break;
        }
    }
    Table.Finish();
    EXPECT_EQ(ReadU32(M + 12), Largest) << "largest record in the header";
    EXPECT_GT(ReadU16(M + 10), Highest) << "object count covers every slot";
}

bool HaveTool(const char* Name) { return !QStandardPaths::findExecutable(QString::fromLatin1(Name)).isEmpty(); }

std::string ShotDir()
{
    QDir().mkpath(QStringLiteral("/tmp/metafile-shots"));
    return "/tmp/metafile-shots/";
}

namespace {

void Run(const QString& Program, const QStringList& Args)
{
    QProcess P;
    P.start(Program, Args);
    const bool Done = P.waitForFinished(60000);
    EXPECT_TRUE(Done && P.exitStatus() == QProcess::NormalExit && P.exitCode() == 0)
        << Program.toStdString() << " " << Args.join(' ').toStdString() << ": " << P.readAllStandardError().toStdString();
}

void WriteFile(const std::string& Path, const QByteArray& Data)
{
    QFile F(QString::fromStdString(Path));
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    F.write(Data);
}

QImage Load(const std::string& Path, int Width, int Height)
{
    QImage Image(QString::fromStdString(Path));
    EXPECT_FALSE(Image.isNull()) << Path;
    if (Image.isNull())
        return Image;
    Image = Image.convertToFormat(QImage::Format_ARGB32);
    if (Image.size() != QSize(Width, Height))
        Image = Image.scaled(Width, Height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Lay transparency over white, as a page shows it.
    QImage White(Width, Height, QImage::Format_ARGB32);
    White.fill(Qt::white);
    QPainter P(&White);
    P.drawImage(0, 0, Image);
    return White;
}

} // namespace

QImage RenderEmf(const QByteArray& Emf, int Width, int Height, const std::string& Stem)
{
    if (!HaveTool("emf2svg-conv") || !HaveTool("rsvg-convert"))
        return {};
    const std::string Base = ShotDir() + Stem;
    WriteFile(Base + ".emf", Emf);
    Run("emf2svg-conv", {"-i", QString::fromStdString(Base + ".emf"), "-o", QString::fromStdString(Base + ".emf.svg"),
                         "-w", QString::number(Width), "-h", QString::number(Height)});
    Run("rsvg-convert", {"-w", QString::number(Width), "-h", QString::number(Height), "-o",
                         QString::fromStdString(Base + ".emf.png"), QString::fromStdString(Base + ".emf.svg")});
    return Load(Base + ".emf.png", Width, Height);
}

QByteArray AllowForWmf2Svg(QByteArray Svg)
{
    // Its polylines get the SVG default fill (black), though a polyline is
    // never filled; its fills are half transparent whatever the brush.
    Svg.replace("<polyline ", "<polyline fill=\"none\" ");
    Svg.replace("fill-opacity:0.5", "fill-opacity:1.0");
    // It ignores the text alignment and puts each text's top at the
    // reference point (its SVG baseline one font size lower): move each
    // text back by its font size, along the text's own vertical.
    static const QRegularExpression Text(
        QStringLiteral("font-size:([0-9.]+);([^>]*)transform=\"matrix\\(([-0-9.]+) ([-0-9.]+) ([-0-9.]+) ([-0-9.]+) "
                       "([-0-9.]+) ([-0-9.]+)\\)\""));
    QString Out = QString::fromUtf8(Svg);
    QString Result;
    qsizetype Last = 0;
    for (auto It = Text.globalMatch(Out); It.hasNext();) {
        const QRegularExpressionMatch M = It.next();
        const double F = M.captured(1).toDouble(), C = M.captured(5).toDouble(), D = M.captured(6).toDouble();
        const double E = M.captured(7).toDouble() - F * C, G = M.captured(8).toDouble() - F * D;
        Result += Out.mid(Last, M.capturedStart() - Last);
        Result += QStringLiteral("font-size:%1;%2transform=\"matrix(%3 %4 %5 %6 %7 %8)\"")
                      .arg(M.captured(1), M.captured(2), M.captured(3), M.captured(4), M.captured(5), M.captured(6))
                      .arg(E)
                      .arg(G);
        Last = M.capturedEnd();
    }
    Result += Out.mid(Last);
    return Result.toUtf8();
}

QImage RenderWmf(const QByteArray& Wmf, int Width, int Height, const std::string& Stem)
{
    if (!HaveTool("wmf2svg") || !HaveTool("rsvg-convert"))
        return {};
    const std::string Base = ShotDir() + Stem;
    WriteFile(Base + ".wmf", Wmf);
    Run("wmf2svg", {"-o", QString::fromStdString(Base + ".wmf.svg"), QString::fromStdString(Base + ".wmf")});
    QFile Svg(QString::fromStdString(Base + ".wmf.svg"));
    if (!Svg.open(QIODevice::ReadOnly))
        return {};
    WriteFile(Base + ".wmf.fixed.svg", AllowForWmf2Svg(Svg.readAll()));
    Run("rsvg-convert", {"-w", QString::number(Width), "-h", QString::number(Height), "-o",
                         QString::fromStdString(Base + ".wmf.png"), QString::fromStdString(Base + ".wmf.fixed.svg")});
    return Load(Base + ".wmf.png", Width, Height);
}

bool IsInk(QRgb C, TInk Ink)
{
    const int R = qRed(C), G = qGreen(C), B = qBlue(C);
    if (qAlpha(C) < 128)
        return false;
    // Light enough to be an anti-aliased edge, saturated enough to name its colour.
    const int Max = std::max({R, G, B}), Min = std::min({R, G, B});
    switch (Ink) {
    case TInk::Dark: return Max < 200 && Max - Min < 60;
    case TInk::Red: return R > 150 && R - std::max(G, B) > 60;
    case TInk::Green: return G > 80 && G - std::max(R, B) > 40;
    case TInk::Blue: return B > 150 && B - std::max(R, G) > 60;
    }
    return false;
}

double InkCovered(const QImage& A, const QImage& B, TInk Ink, int Tolerance)
{
    const int W = B.width(), H = B.height();
    // B's ink grown by the tolerance: rows first, then columns.
    std::vector<uint8_t> Mask(static_cast<size_t>(W * H)), Grown(Mask.size());
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            Mask[static_cast<size_t>(y * W + x)] = IsInk(B.pixel(x, y), Ink);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            uint8_t Any = 0;
            for (int d = std::max(0, x - Tolerance); d <= std::min(W - 1, x + Tolerance) && !Any; ++d)
                Any = Mask[static_cast<size_t>(y * W + d)];
            Grown[static_cast<size_t>(y * W + x)] = Any;
        }
    int64_t Ink1 = 0, Hit = 0;
    for (int y = 0; y < A.height() && y < H; ++y)
        for (int x = 0; x < A.width() && x < W; ++x) {
            if (!IsInk(A.pixel(x, y), Ink))
                continue;
            ++Ink1;
            bool Any = false;
            for (int d = std::max(0, y - Tolerance); d <= std::min(H - 1, y + Tolerance) && !Any; ++d)
                Any = Grown[static_cast<size_t>(d * W + x)];
            Hit += Any;
        }
    return Ink1 == 0 ? 1.0 : static_cast<double>(Hit) / static_cast<double>(Ink1);
}

int InkCount(const QImage& A, TInk Ink, const QRect& Area)
{
    int N = 0;
    const QRect R = Area.intersected(A.rect());
    for (int y = R.top(); y <= R.bottom(); ++y)
        for (int x = R.left(); x <= R.right(); ++x)
            N += IsInk(A.pixel(x, y), Ink);
    return N;
}

} // namespace kv::test
