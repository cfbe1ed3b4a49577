#pragma once
// Reading written metafiles back, record by record, and the structural
// checks every picture must pass: sizes, alignment, header totals, and
// objects created, selected and deleted in pairs.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace kv::test {

struct TRecord {
    uint32_t Type = 0;      // EMF record type or WMF function
    size_t Offset = 0;      // from the start of the file
    size_t Size = 0;        // bytes
    const uint8_t* Data = nullptr;
    QByteArray File;        // keeps Data alive (shared, not copied)
    uint32_t U32(size_t At) const;
    int32_t I32(size_t At) const;
    uint16_t U16(size_t At) const;
    int16_t I16(size_t At) const;
};

// Splits the file into records; a size that runs past the end or does
// not advance fails the test and ends the list.
std::vector<TRecord> EmfRecords(const QByteArray& File);
std::vector<TRecord> WmfRecords(const QByteArray& File); // after the placeable and the file header

// Header totals, alignment, end record and object pairing.
void CheckEmfStructure(const QByteArray& File);
void CheckWmfStructure(const QByteArray& File);

std::vector<const TRecord*> OfType(const std::vector<TRecord>& Records, uint32_t Type);

// The independent readers. Each returns a null image when its tool is
// missing (the caller skips) and fails the test when the tool fails.
bool HaveTool(const char* Name);
QImage RenderEmf(const QByteArray& Emf, int Width, int Height, const std::string& Stem);
QImage RenderWmf(const QByteArray& Wmf, int Width, int Height, const std::string& Stem);
std::string ShotDir();

// Ink of one colour family in a picture on a white (or transparent) ground.
enum class TInk { Dark, Red, Green, Blue };
bool IsInk(QRgb C, TInk Ink);
// The share of A's ink pixels of that family that have ink of the same
// family in B within Tolerance pixels; 1 when A has none.
double InkCovered(const QImage& A, const QImage& B, TInk Ink, int Tolerance);
int InkCount(const QImage& A, TInk Ink, const QRect& Area);

} // namespace kv::test
