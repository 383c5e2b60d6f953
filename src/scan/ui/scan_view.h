#pragma once

#include <QWidget>
#include <functional>

#include "scan/scan_items.h"

namespace scan::ui {

/// How many pixels one window unit takes on this screen: a quarter of the average width
/// and an eighth of the height of the window's font, so that a scan keeps its proportions
/// to the text on any screen. The one place where window units become pixels.
struct UnitScale {
    double x = 1.75, y = 2.0;

    static UnitScale of(const QFont& font);
    int px(int units) const { return int(units * x + 0.5); }
    int py(int units) const { return int(units * y + 0.5); }
};

/// Paints a scan's items and tells which box was clicked. Boxes that open a booking show
/// the pointing hand and, when hovered, a tool tip with the booking.
class ScanView : public QWidget {
    Q_OBJECT
  public:
    explicit ScanView(QWidget* parent = nullptr);

    void setScan(ScanLayout layout);
    const ScanLayout& scanLayout() const { return layout_; }
    const UnitScale& scale() const { return scale_; }
    /// The clickable box under a point of the widget; 0 when there is none.
    int boxAt(const QPoint& p) const;
    /// The rectangle of an item in pixels.
    QRect rectOf(const Item& i) const;
    QSize sizeHint() const override;

    /// Adds text to a box's tool tip when it is shown (the booking's resources).
    std::function<QString(const BoxEntry&)> moreTip;

  signals:
    void boxClicked(int id);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    QFont fontOf(const Font& f) const;
    /// The item (box) under a point, also when it opens nothing; nullptr when none.
    const Item* boxItemAt(const QPoint& p) const;

    ScanLayout layout_;
    UnitScale scale_;
};

}  // namespace scan::ui
