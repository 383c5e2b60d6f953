#include "scan/ui/scan_view.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace scan::ui {

namespace {

QColor colourOf(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

/// A pale tint of a box's colour, so that its black text stays readable on it.
QColor tintOf(Rgb c) {
    if (c == kBlue) return QColor(208, 220, 255);
    return colourOf(c);
}

}  // namespace

UnitScale UnitScale::of(const QFont& font) {
    const QFontMetricsF m(font);
    UnitScale s;
    s.x = std::max(1.0, m.averageCharWidth() / 4.0);
    s.y = std::max(1.0, m.height() / 8.0);
    return s;
}

ScanView::ScanView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    scale_ = UnitScale::of(font());
}

void ScanView::setScan(ScanLayout layout) {
    layout_ = std::move(layout);
    scale_ = UnitScale::of(font());
    setMinimumSize(sizeHint());
    resize(sizeHint().expandedTo(size()));
    update();
}

QSize ScanView::sizeHint() const {
    return QSize(scale_.px(layout_.width + 4), scale_.py(layout_.height + 4));
}

QRect ScanView::rectOf(const Item& i) const {
    const int x = scale_.px(i.x), y = scale_.py(i.y);
    return QRect(x, y, scale_.px(i.x + i.w) - x, scale_.py(i.y + i.h) - y);
}

QFont ScanView::fontOf(const Font& f) const {
    QFont font = this->font();
    // A point of the scans' fonts is sized against the window unit, so that an 8-point
    // label fills the 8-unit row it labels, on any screen.
    font.setPixelSize(std::max(6, int(f.points * scale_.y * 0.78 + 0.5)));
    font.setBold(f.bold);
    return font;
}

void ScanView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The grid first, so that boxes and their texts stand over its lines.
    for (const Item& i : layout_.items) {
        if (i.kind != Item::Line) continue;
        p.setPen(QPen(colourOf(i.colour), 1));
        p.drawLine(QPoint(scale_.px(i.x), scale_.py(i.y)),
                   QPoint(scale_.px(i.x + i.w), scale_.py(i.y + i.h)));
    }
    for (const Item& i : layout_.items) {
        if (i.kind == Item::Line) continue;
        const QRect r = rectOf(i).normalized();
        if (i.kind == Item::Box) {
            p.fillRect(r, tintOf(i.colour));
            p.setPen(QPen(colourOf(i.colour), 1));
            p.drawRect(r.adjusted(0, 0, -1, -1));
            continue;
        }
        if (i.background) p.fillRect(r, colourOf(*i.background));
        if (i.text.empty()) continue;
        const QString text = QString::fromStdString(i.text);
        QFont font = fontOf(i.font);
        // A label wider than its place is drawn a little smaller rather than cut.
        const int room = r.width() - 2;
        const int wide = QFontMetrics(font).horizontalAdvance(text);
        if (i.kind == Item::Label && wide > room && room > 0)
            font.setPixelSize(
                std::max(6, std::max(font.pixelSize() * 3 / 4, font.pixelSize() * room / wide)));
        p.setPen(colourOf(i.colour));
        p.setFont(font);
        const int flags = i.kind == Item::Text ? Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap
                                               : Qt::AlignLeft | Qt::AlignVCenter;
        p.save();
        p.setClipRect(r);
        p.drawText(r.adjusted(2, 0, 0, 0), flags, text);
        p.restore();
    }
    if (!layout_.note.empty()) {
        p.setPen(Qt::darkGray);
        p.setFont(font());
        p.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                   QString::fromStdString(layout_.note));
    }
}

const Item* ScanView::boxItemAt(const QPoint& p) const {
    // The last drawn box lies on top.
    for (auto it = layout_.items.rbegin(); it != layout_.items.rend(); ++it)
        if (it->kind == Item::Box && rectOf(*it).normalized().contains(p)) return &*it;
    return nullptr;
}

int ScanView::boxAt(const QPoint& p) const {
    const Item* i = boxItemAt(p);
    return i && i->box >= 0 ? i->id : 0;
}

void ScanView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (const int id = boxAt(event->position().toPoint())) emit boxClicked(id);
}

void ScanView::mouseMoveEvent(QMouseEvent* event) {
    setCursor(boxAt(event->position().toPoint()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

bool ScanView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const Item* i = boxItemAt(help->pos());
        if (!i) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        QString tip = QString::fromStdString(i->tip);
        if (i->box >= 0 && moreTip) tip += moreTip(layout_.boxes[i->box]);
        QToolTip::showText(help->globalPos(), tip, this, rectOf(*i));
        return true;
    }
    return QWidget::event(event);
}

}  // namespace scan::ui
