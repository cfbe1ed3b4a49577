#include "ReportPictureFile.h"

#include "foundation/KvErrors.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QtEndian>

namespace kv {

namespace {

constexpr int TwipsPerPixel = 15; // at 96 dots per inch

template <class T>
T At(const QByteArray& Data, int Offset)
{
    return qFromLittleEndian<T>(Data.constData() + Offset);
}

QString Name(const QString& FileName) { return QFileInfo(FileName).fileName(); }

// The frame of the header record, in 0.01 mm.
TKvPicture EnhancedMetafile(const QByteArray& Data, const QString& FileName)
{
    if (Data.size() < 88 || At<quint32>(Data, 0) != 1 || At<quint32>(Data, 40) != 0x464D4520)
        throw EFileError("Not an enhanced metafile: " + Name(FileName).toStdString());
    TKvPicture P;
    P.Kind = "emf";
    P.Data = Data;
    P.Width = At<qint32>(Data, 32) - At<qint32>(Data, 24);
    P.Height = At<qint32>(Data, 36) - At<qint32>(Data, 28);
    if (P.Width <= 0 || P.Height <= 0)
        throw EFileError("The metafile has no size: " + Name(FileName).toStdString());
    P.GoalWidth = P.Width * 1440 / 2540;
    P.GoalHeight = P.Height * 1440 / 2540;
    return P;
}

// The placeable header: the bounding box in units of 1/Inch inch.
TKvPicture WindowsMetafile(const QByteArray& Data, const QString& FileName)
{
    if (Data.size() < 22 || At<quint32>(Data, 0) != 0x9AC6CDD7u)
        throw EFileError("Not a placeable Windows metafile: " + Name(FileName).toStdString());
    const int Inch = At<quint16>(Data, 14);
    const int W = At<qint16>(Data, 10) - At<qint16>(Data, 6);
    const int H = At<qint16>(Data, 12) - At<qint16>(Data, 8);
    if (Inch <= 0 || W <= 0 || H <= 0)
        throw EFileError("The metafile has no size: " + Name(FileName).toStdString());
    TKvPicture P;
    P.Kind = "wmf";
    P.Data = Data;
    P.Width = W * 2540 / Inch;
    P.Height = H * 2540 / Inch;
    P.GoalWidth = W * 1440 / Inch;
    P.GoalHeight = H * 1440 / Inch;
    return P;
}

TKvPicture Bitmap(const QByteArray& Data, const QString& FileName)
{
    QImage Image;
    if (!Image.loadFromData(Data))
        throw EFileError("Not a picture: " + Name(FileName).toStdString());
    TKvPicture P;
    const QByteArray Head = Data.left(3);
    if (Head == QByteArray("\xFF\xD8\xFF", 3)) {
        P.Kind = "jpeg";
        P.Data = Data;
    } else {
        QBuffer Buffer(&P.Data);
        Buffer.open(QIODevice::WriteOnly);
        Image.save(&Buffer, "PNG");
        P.Kind = "png";
    }
    P.Width = Image.width();
    P.Height = Image.height();
    P.GoalWidth = P.Width * TwipsPerPixel;
    P.GoalHeight = P.Height * TwipsPerPixel;
    return P;
}

} // namespace

TKvPicture PictureFromFile(const QString& FileName)
{
    QFile File(FileName);
    if (!File.open(QIODevice::ReadOnly))
        throw EFileError("Cannot read " + FileName.toStdString() + ": " + File.errorString().toStdString());
    const QByteArray Data = File.readAll();
    const QString Suffix = QFileInfo(FileName).suffix().toLower();
    if (Suffix == "emf")
        return EnhancedMetafile(Data, FileName);
    if (Suffix == "wmf")
        return WindowsMetafile(Data, FileName);
    return Bitmap(Data, FileName);
}

} // namespace kv
