// Picture files inserted into a report: their kind and size from the
// file, and a clear error for files that are no such picture.

#include "ui/report/ReportPictureFile.h"

#include "foundation/KvErrors.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QtEndian>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace kv;

namespace {

template <class T>
void Put(QByteArray& Data, int Offset, T Value)
{
    if (Data.size() < Offset + static_cast<int>(sizeof(T)))
        Data.resize(Offset + static_cast<int>(sizeof(T)));
    qToLittleEndian(Value, Data.data() + Offset);
}

// The header record of an enhanced metafile with a frame of W x H in 0.01 mm.
QByteArray EmfHeader(qint32 W, qint32 H)
{
    QByteArray D(88, '\0');
    Put<quint32>(D, 0, 1);
    Put<quint32>(D, 4, 88);
    Put<qint32>(D, 24, 100);
    Put<qint32>(D, 28, 200);
    Put<qint32>(D, 32, 100 + W);
    Put<qint32>(D, 36, 200 + H);
    Put<quint32>(D, 40, 0x464D4520);
    return D;
}

// A placeable metafile header with a box of W x H units of 1/Inch inch.
QByteArray WmfHeader(qint16 W, qint16 H, quint16 Inch)
{
    QByteArray D(40, '\0');
    Put<quint32>(D, 0, 0x9AC6CDD7u);
    Put<qint16>(D, 6, 10);
    Put<qint16>(D, 8, 20);
    Put<qint16>(D, 10, static_cast<qint16>(10 + W));
    Put<qint16>(D, 12, static_cast<qint16>(20 + H));
    Put<quint16>(D, 14, Inch);
    return D;
}

QByteArray Image(const char* Format, int W, int H)
{
    QImage I(W, H, QImage::Format_RGB32);
    I.fill(Qt::red);
    QByteArray D;
    QBuffer B(&D);
    B.open(QIODevice::WriteOnly);
    I.save(&B, Format);
    return D;
}

QString Write(const QString& Name, const QByteArray& Data)
{
    const QString File = QDir::temp().filePath(QString("kurvex-picture-%1-%2").arg(getpid()).arg(Name));
    QFile F(File);
    F.open(QIODevice::WriteOnly);
    F.write(Data);
    return File;
}

TEST(ReportPictureFile, KindAndSizeComeFromTheFile)
{
    const struct {
        const char* Name;
        QByteArray Data;
        const char* Kind;
        int Width, Height, GoalWidth, GoalHeight;
    } Cases[] = {
        {"a.bmp", Image("BMP", 40, 30), "png", 40, 30, 600, 450},
        {"b.jpg", Image("JPG", 20, 10), "jpeg", 20, 10, 300, 150},
        {"c.emf", EmfHeader(2540, 1270), "emf", 2540, 1270, 1440, 720},
        {"d.wmf", WmfHeader(1440, 720, 1440), "wmf", 2540, 1270, 1440, 720},
    };
    for (const auto& C : Cases) {
        const QString File = Write(C.Name, C.Data);
        const TKvPicture P = PictureFromFile(File);
        QFile::remove(File);
        EXPECT_EQ(P.Kind, C.Kind) << C.Name;
        EXPECT_EQ(P.Width, C.Width) << C.Name;
        EXPECT_EQ(P.Height, C.Height) << C.Name;
        EXPECT_EQ(P.GoalWidth, C.GoalWidth) << C.Name;
        EXPECT_EQ(P.GoalHeight, C.GoalHeight) << C.Name;
        EXPECT_FALSE(P.Data.isEmpty()) << C.Name;
    }
}

TEST(ReportPictureFile, FilesThatAreNoSuchPictureAreAClearError)
{
    const struct {
        const char* Name;
        QByteArray Data;
        const char* Message;
    } Cases[] = {
        {"a.bmp", "not a picture", "Not a picture"},
        {"b.emf", Image("PNG", 4, 4), "Not an enhanced metafile"},
        {"c.emf", EmfHeader(0, 100), "no size"},
        {"d.wmf", QByteArray(10, 'x'), "Not a placeable Windows metafile"},
        {"e.wmf", WmfHeader(100, 100, 0), "no size"},
    };
    for (const auto& C : Cases) {
        const QString File = Write(C.Name, C.Data);
        try {
            PictureFromFile(File);
            ADD_FAILURE() << C.Name << " was read";
        } catch (const EFileError& E) {
            EXPECT_NE(std::string(E.what()).find(C.Message), std::string::npos) << C.Name << ": " << E.what();
        }
        QFile::remove(File);
    }
    EXPECT_THROW(PictureFromFile(QDir::temp().filePath("kurvex-no-such-picture.bmp")), EFileError);
}

} // namespace
