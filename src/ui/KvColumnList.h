#pragma once
// A list of the table's columns for choosing one: each entry shows the
// column's letters with a colon, right-aligned to the widest letters of the
// list, and then the column's caption drawn as caption markup. The go-to-cell
// dialog and the formula editor's target list share it.

#include <QListWidget>
#include <QString>

#include <memory>
#include <vector>

namespace kv {

class TKvColumnListDelegate;

class TKvColumnList : public QListWidget {
    Q_OBJECT

public:
    // The caption markup of an entry, and its column number (0 for the
    // none entry), for the delegate.
    static constexpr int CaptionRole = Qt::UserRole + 1;
    static constexpr int ColumnRole = Qt::UserRole + 2;

    explicit TKvColumnList(QWidget* Parent = nullptr);
    ~TKvColumnList() override;

    // One entry per caption, for the columns 1 to Captions.size(). A
    // non-empty NoneEntry ("not selected" in the assignment grid) comes
    // first and stands for column 0. The current column stays when it still
    // exists, otherwise the first entry becomes current.
    void SetColumns(const std::vector<QString>& Captions, const QString& NoneEntry = {});
    int ColumnCount() const { return count() - (FHasNone ? 1 : 0); }
    bool HasNoneEntry() const { return FHasNone; }
    // 1-based (0 for the none entry); ERangeError for a column the list
    // does not hold.
    void SetCurrentColumn(int Column);
    // 1-based; 0 for the none entry, and for an empty list.
    int CurrentColumn() const;
    QString ColumnCaption(int Column) const;

    // The width of the widest "letters:" part, in pixels of the list's font.
    int NameWidth() const { return FNameWidth; }

signals:
    void CurrentColumnChanged(int Column);

protected:
    void changeEvent(QEvent* Event) override;

private:
    std::unique_ptr<TKvColumnListDelegate> FDelegate;
    int FNameWidth = 0;
    bool FHasNone = false;

    int RowOfColumn(int Column) const { return FHasNone ? Column : Column - 1; }
    void CheckColumn(int Column) const;

    void MeasureNames();
};

} // namespace kv
