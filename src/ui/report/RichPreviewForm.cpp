#include "RichPreviewForm.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace kv {

namespace {
constexpr int Gap = 12; // pixels around and between pages
}

// Paints the pages shown at the form's scale.
class TRichPreviewForm::TPageView : public QWidget {
public:
    explicit TPageView(TRichPreviewForm& Form) : FForm(Form) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter P(this);
        P.fillRect(rect(), QColor(128, 128, 128));
        if (!FForm.FPages)
            return;
        const QSizeF Page = FForm.FPages->PageSize() * FForm.FScale;
        const int Shown = FForm.FMode == TMode::Double ? 2 : 1;
        for (int k = 0; k < Shown && FForm.FPage + k < FForm.FPages->PageCount(); ++k) {
            const QRectF Sheet(Gap + k * (Page.width() + Gap), Gap, Page.width(), Page.height());
            P.fillRect(Sheet.translated(3, 3), QColor(60, 60, 60));
            P.fillRect(Sheet, Qt::white);
            P.save();
            P.translate(Sheet.topLeft());
            P.scale(FForm.FScale, FForm.FScale);
            FForm.FPages->PaintPage(P, FForm.FPage + k);
            P.restore();
        }
    }

private:
    TRichPreviewForm& FForm;
};

TRichPreviewForm::TRichPreviewForm(QWidget* Parent) : QDialog(Parent)
{
    setWindowTitle("Plot / Preview Report");
    resize(900, 1000);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    auto* Tools = new QToolBar(this);
    Layout->addWidget(Tools);
    FScroll = new QScrollArea(this);
    FScroll->setBackgroundRole(QPalette::Dark);
    FView = new TPageView(*this);
    FScroll->setWidget(FView);
    Layout->addWidget(FScroll, 1);
    auto* Status = new QStatusBar(this);
    FZoomLabel = new QLabel(this);
    FPageLabel = new QLabel(this);
    Status->addWidget(FZoomLabel);
    Status->addWidget(FPageLabel);
    Layout->addWidget(Status);

    const std::pair<TMode, QAction*> Modes[] = {
        {TMode::Single, AddAction("SinglePage", "&Single Page", "Show only one Page")},
        {TMode::Double, AddAction("DoublePage", "&Double Page", "Show two Pages")},
        {TMode::PageWidth, AddAction("PageWidth", "Page to &Width", "Adjust to full Page Width")}};
    for (const auto& [M, A] : Modes) {
        A->setCheckable(true);
        connect(A, &QAction::triggered, this, [this, M = M] { SetMode(M); });
        Tools->addAction(A);
    }
    Tools->addSeparator();
    connect(AddAction("PreviousPage", "&Previous Page", "Previous page"), &QAction::triggered, this,
            &TRichPreviewForm::PreviousPage);
    connect(AddAction("NextPage", "&Next Page", "Next page"), &QAction::triggered, this, &TRichPreviewForm::NextPage);
    Tools->addAction(Action("PreviousPage"));
    Tools->addAction(Action("NextPage"));
    Tools->addSeparator();
    connect(AddAction("Close", "&Close", "Close Window"), &QAction::triggered, this, &QDialog::accept);
    Tools->addAction(Action("Close"));
    // The viewport gets its size only once the window is laid out.
    FScroll->viewport()->installEventFilter(this);
    SetMode(TMode::PageWidth);
}

bool TRichPreviewForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == FScroll->viewport() && Event->type() == QEvent::Resize)
        UpdateView();
    return QDialog::eventFilter(Watched, Event);
}

TRichPreviewForm::~TRichPreviewForm() = default;

QAction* TRichPreviewForm::AddAction(const QString& Name, const QString& Caption, const QString& Hint)
{
    auto* A = new QAction(Caption, this);
    A->setToolTip(Hint);
    A->setStatusTip(Hint);
    FActions.emplace_back(Name, A);
    return A;
}

QAction* TRichPreviewForm::Action(const QString& Name) const
{
    for (const auto& [N, A] : FActions)
        if (N == Name)
            return A;
    return nullptr;
}

void TRichPreviewForm::SetReport(const TKvRtfDocument& Report)
{
    FReport = Report;
    FPages = std::make_unique<TKvReportPaginator>(FReport);
    FPage = 0;
    UpdateView();
}

int TRichPreviewForm::PageCount() const { return FPages ? FPages->PageCount() : 0; }

// Switching mode unchecks the others; an odd page steps back to pair up.
void TRichPreviewForm::SetMode(TMode Mode)
{
    FMode = Mode;
    Action("SinglePage")->setChecked(Mode == TMode::Single);
    Action("DoublePage")->setChecked(Mode == TMode::Double);
    Action("PageWidth")->setChecked(Mode == TMode::PageWidth);
    if (FPage % 2 == 1)
        --FPage;
    UpdateView();
}

void TRichPreviewForm::NextPage()
{
    const int Step = FMode == TMode::Double ? 2 : 1;
    if (FPage + Step < PageCount())
        FPage += Step;
    UpdateView();
}

void TRichPreviewForm::PreviousPage()
{
    const int Step = FMode == TMode::Double ? 2 : 1;
    FPage = std::max(FPage - Step, 0);
    UpdateView();
}

int TRichPreviewForm::Zoom() const { return qRound(FScale * 72.0 / logicalDpiX() * 100); }

QString TRichPreviewForm::ZoomText() const { return QString::number(Zoom()) + "%"; }

QString TRichPreviewForm::PageText() const { return QString("%1/%2").arg(FPage + 1).arg(PageCount()); }

void TRichPreviewForm::Print(QPrinter& Printer) const
{
    if (FPages)
        FPages->Print(Printer);
}

void TRichPreviewForm::resizeEvent(QResizeEvent* Event)
{
    QDialog::resizeEvent(Event);
    UpdateView();
}

void TRichPreviewForm::UpdateView()
{
    const QSizeF Page = FPages ? FPages->PageSize() : QSizeF(595, 842);
    const QSize Room = FScroll->viewport()->size() - QSize(2 * Gap, 2 * Gap);
    const int Shown = FMode == TMode::Double ? 2 : 1;
    const double Width = Shown * Page.width() + (Shown - 1) * Gap;
    FScale = FMode == TMode::PageWidth ? Room.width() / Page.width()
                                       : std::min(Room.width() / Width, Room.height() / Page.height());
    FScale = std::max(FScale, 0.05);
    if (FPages)
        FPages->SetPictureScale(FScale * devicePixelRatioF());
    FView->resize(qRound(Width * FScale) + 2 * Gap, qRound(Page.height() * FScale) + 2 * Gap);
    FView->update();
    Action("NextPage")->setEnabled(FPage + Shown < PageCount());
    Action("PreviousPage")->setEnabled(FPage > 0);
    FZoomLabel->setText(ZoomText());
    FPageLabel->setText(PageText());
}

} // namespace kv
