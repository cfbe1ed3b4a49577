#pragma once
// Combo boxes that pick a pen style (five items drawn as lines) and a
// point symbol (sixteen items drawn with the graph's symbol routine), both
// previewed in a colour of their own on the combo's background colour.

#include "graph/KvDraw.h"

#include <QComboBox>

namespace kv {

class TKvStyleComboBase : public QComboBox {
    Q_OBJECT

public:
    explicit TKvStyleComboBase(int Items, QWidget* Parent = nullptr);

    TColor LineColor() const { return FLineColor; }
    void SetLineColor(TColor Color);
    // The colour the items are drawn on (the plot's background).
    TColor BackgroundColor() const { return FBackground; }
    void SetBackgroundColor(TColor Color);
    // Draws item Index into Rect (also used by the drop-down list).
    virtual void DrawItem(QPainter& Painter, const QRect& Rect, int Index) const = 0;

protected:
    void paintEvent(QPaintEvent* Event) override;
    // Reading the selection with nothing selected selects item 0 first.
    int SelectedIndex() const;

private:
    TColor FLineColor = clRed;
    TColor FBackground = clWindow;
};

class TKvLineStylesCombo : public TKvStyleComboBase {
    Q_OBJECT

public:
    static constexpr int StyleCount = 5;
    explicit TKvLineStylesCombo(QWidget* Parent = nullptr);
    TPenStyle PenStyle() const { return static_cast<TPenStyle>(SelectedIndex()); }
    void SetPenStyle(TPenStyle Style) { setCurrentIndex(static_cast<int>(Style)); }
    void DrawItem(QPainter& Painter, const QRect& Rect, int Index) const override;
};

class TKvPointSymbolsCombo : public TKvStyleComboBase {
    Q_OBJECT

public:
    explicit TKvPointSymbolsCombo(QWidget* Parent = nullptr);
    TKvPointSymbol PointSymbol() const { return static_cast<TKvPointSymbol>(SelectedIndex()); }
    void SetPointSymbol(TKvPointSymbol Symbol) { setCurrentIndex(static_cast<int>(Symbol)); }
    int LineWidth() const { return FLineWidth; }
    void SetLineWidth(int Width);
    void DrawItem(QPainter& Painter, const QRect& Rect, int Index) const override;

private:
    int FLineWidth = 1;
};

} // namespace kv
