#pragma once
// A rich-text document as reports and templates hold it: the body, the
// header and the footer as three QTextDocuments, and the page set-up.
// Fields (merge fields, page number and page count) are runs of text whose
// character format carries the field's instruction and an id that keeps
// neighbouring fields apart; pictures are image characters that carry
// their original data, so a document read and written again keeps them.

#include "foundation/KvErrors.h"

#include <QByteArray>
#include <QString>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextListFormat>

#include <memory>
#include <vector>

namespace kv {

// Malformed RTF: unbalanced braces, a truncated file, a binary run longer
// than the file.
class ERtfError : public EConvertError {
public:
    using EConvertError::EConvertError;
};

// Page size, margins and the distances of header and footer from the page
// edges, all in twips (1/1440 inch).
struct TKvPageSetup {
    int PaperWidth = 11906;
    int PaperHeight = 16838;
    int MarginLeft = 1134;
    int MarginRight = 1134;
    int MarginTop = 1134;
    int MarginBottom = 1134;
    int HeaderY = 720;
    int FooterY = 720;
    bool Landscape = false;
    friend bool operator==(const TKvPageSetup&, const TKvPageSetup&) = default;
};

// The properties this program adds to QTextFormat.
enum TKvRtfProperty : int {
    RpFieldId = QTextFormat::UserProperty + 1,    // int, distinct per field
    RpFieldInstruction,                           // QString, "MERGEFIELD Plot", "PAGE"
    RpPictureKind,                                // QString: "png", "jpeg", "emf", "wmf"
    RpPictureData,                                // QByteArray
    RpPictureFallbackKind,                        // QString, the picture for readers without the first kind
    RpPictureFallbackData,                        // QByteArray
    RpPictureWidth,                               // int, \picw
    RpPictureHeight,                              // int, \pich
    RpPictureGoalWidth,                           // int, twips
    RpPictureGoalHeight,                          // int, twips
    RpKeepWithNext,                               // bool, block format
};

// Lists are bulleted or numbered; every numbered style is written as
// decimal numbers.
inline bool IsBulletList(QTextListFormat::Style Style)
{
    return Style == QTextListFormat::ListDisc || Style == QTextListFormat::ListCircle ||
           Style == QTextListFormat::ListSquare;
}

// How far the first line of a list item hangs out in RTF, in points: the
// marker stands there, while the editor draws it before the text.
inline constexpr double ListHang = 18;

// The family written for text that names no font.
inline constexpr const char* DefaultFontFamily = "Arial";
inline constexpr double DefaultFontSize = 12.0;

class TKvRtfDocument {
public:
    TKvRtfDocument();
    TKvRtfDocument(const TKvRtfDocument& Other);
    TKvRtfDocument& operator=(const TKvRtfDocument& Other);
    ~TKvRtfDocument();

    TKvPageSetup Page;
    std::unique_ptr<QTextDocument> Body, Header, Footer;

    void Clear();
    // The text area of the page in twips (paper less margins).
    int UsableWidth() const;
    int UsableHeight() const;
};

// One field of a document: its characters [Start, End) and instruction.
struct TKvField {
    int Id = 0;
    QString Instruction;
    QString Name; // the merge-field name, or the instruction's first word
    int Start = 0;
    int End = 0;
};

// The fields of a document in document order.
std::vector<TKvField> FindFields(const QTextDocument& Document);
// "MERGEFIELD Plot" -> "Plot"; "PAGE" -> "PAGE".
QString FieldNameOf(const QString& Instruction);
bool IsMergeField(const QString& Instruction);
QString MergeFieldInstruction(const QString& Name);
// The marker character by which the merge finds a field of this name.
QChar FieldMarker(const QString& Name);
// A field id not used in the document yet.
int NewFieldId();
// A character format without the field properties.
QTextCharFormat WithoutField(QTextCharFormat Format);
QTextCharFormat AsField(QTextCharFormat Format, int Id, const QString& Instruction);

// A picture as RTF holds it: the data of one kind ("png", "jpeg", "emf",
// "wmf") with a fallback for readers without that kind, the size of the
// data (pixels, or 0.01 mm for metafiles) and the size shown, in twips.
struct TKvPicture {
    QString Kind;
    QByteArray Data;
    QString FallbackKind;
    QByteArray FallbackData;
    int Width = 0;
    int Height = 0;
    int GoalWidth = 0;
    int GoalHeight = 0;
};

// The image format of a picture; its image resource is added to the
// document (from the data, or the fallback when the data is a metafile).
QTextImageFormat MakePictureFormat(QTextDocument& Document, const TKvPicture& Picture);
TKvPicture PictureOf(const QTextImageFormat& Format);
// Adds the image resources of every picture (after copying text between
// documents, the resources stay behind); with Replace, images already
// there are made again from the pictures' data.
void RegisterPictures(QTextDocument& Document, bool Replace = false);

} // namespace kv
