#pragma once
// The preview window "Plot / Preview Report": the pages of a report, one
// or two fitted into the window or (at first) the page width with vertical scrolling,
// paging forward and back, the zoom and the page in the status bar, and
// printing through the same pages.

#include "report/KvReportPaginator.h"

#include <QDialog>

#include <memory>

class QAction;
class QLabel;
class QScrollArea;
class QPrinter;

namespace kv {

class TRichPreviewForm : public QDialog {
    Q_OBJECT
public:
    enum class TMode { Single, Double, PageWidth };

    explicit TRichPreviewForm(QWidget* Parent = nullptr);
    ~TRichPreviewForm() override;

    void SetReport(const TKvRtfDocument& Report);
    void SetMode(TMode Mode);
    TMode Mode() const { return FMode; }
    void NextPage();
    void PreviousPage();
    // 0-based, as the preview counts
    int CurrentPage() const { return FPage; }
    int PageCount() const;
    // The scale of the pages against their printed size, in per cent.
    int Zoom() const;
    QString ZoomText() const;
    QString PageText() const;
    void Print(QPrinter& Printer) const;
    QAction* Action(const QString& Name) const;

protected:
    void resizeEvent(QResizeEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    class TPageView;
    QAction* AddAction(const QString& Name, const QString& Caption, const QString& Hint);
    void UpdateView();

    TKvRtfDocument FReport;
    std::unique_ptr<TKvReportPaginator> FPages;
    TMode FMode = TMode::Single;
    int FPage = 0;
    double FScale = 1;
    QScrollArea* FScroll = nullptr;
    TPageView* FView = nullptr;
    QLabel* FZoomLabel = nullptr;
    QLabel* FPageLabel = nullptr;
    std::vector<std::pair<QString, QAction*>> FActions;
};

} // namespace kv
