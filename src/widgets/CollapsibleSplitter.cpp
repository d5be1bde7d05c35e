// A splitter whose bar carries a small button that collapses one pane and restores it.
#include "widgets/CollapsibleSplitter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

namespace {
constexpr int kButtonLength = 48;
}

TCollapsibleSplitter::TCollapsibleSplitter(Qt::Orientation orientation, int collapsingPane,
                                           QWidget* parent)
    : QSplitter(orientation, parent), m_collapsingPane(collapsingPane) {
    setChildrenCollapsible(false);
}

bool TCollapsibleSplitter::IsCollapsed() const {
    const QList<int> current = sizes();
    return m_collapsingPane < current.size() && current[m_collapsingPane] == 0;
}

void TCollapsibleSplitter::ToggleCollapsed() {
    if (count() < 2) {
        return;
    }
    if (IsCollapsed()) {
        setSizes(m_restoreSizes);
        return;
    }
    m_restoreSizes = sizes();
    QList<int> collapsed = m_restoreSizes;
    const int other = 1 - m_collapsingPane;
    collapsed[other] += collapsed[m_collapsingPane];
    collapsed[m_collapsingPane] = 0;
    setCollapsible(m_collapsingPane, true);
    setSizes(collapsed);
    setCollapsible(m_collapsingPane, false);
}

QSplitterHandle* TCollapsibleSplitter::createHandle() {
    return new TCollapseHandle(orientation(), this);
}

TCollapseHandle::TCollapseHandle(Qt::Orientation orientation, TCollapsibleSplitter* parent)
    : QSplitterHandle(orientation, parent), m_splitter(parent) {
    setMouseTracking(true);
}

QRect TCollapseHandle::ButtonRect() const {
    const QRect bar = rect();
    if (orientation() == Qt::Vertical) {
        return {bar.center().x() - kButtonLength / 2, 0, kButtonLength, bar.height()};
    }
    return {0, bar.center().y() - kButtonLength / 2, bar.width(), kButtonLength};
}

void TCollapseHandle::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect bar = rect();
    p.fillRect(bar, palette().color(QPalette::Window));
    // The groove: a dark and a light line along the bar, as a sunken edge.
    const QColor dark = palette().color(QPalette::Mid);
    const QColor light = palette().color(QPalette::Light);
    if (orientation() == Qt::Vertical) {
        const int y = bar.center().y();
        p.setPen(dark);
        p.drawLine(bar.left(), y - 1, bar.right(), y - 1);
        p.setPen(light);
        p.drawLine(bar.left(), y, bar.right(), y);
    } else {
        const int x = bar.center().x();
        p.setPen(dark);
        p.drawLine(x - 1, bar.top(), x - 1, bar.bottom());
        p.setPen(light);
        p.drawLine(x, bar.top(), x, bar.bottom());
    }

    const QRect button = ButtonRect();
    p.fillRect(button, palette().color(m_buttonPressed ? QPalette::Mid : QPalette::Button));
    p.setPen(dark);
    p.drawRect(button.adjusted(0, 0, -1, -1));

    // The arrow points the way the bar will move.
    const bool collapsed = m_splitter->IsCollapsed();
    const bool towardsStart = (m_splitter->CollapsingPane() == 0) != collapsed;
    const QPointF c = QRectF(button).center();
    const qreal s = 2.5;
    QPolygonF arrow;
    if (orientation() == Qt::Vertical) {
        const qreal d = towardsStart ? -s : s;
        arrow << QPointF(c.x() - 2 * s, c.y() - d / 2) << QPointF(c.x() + 2 * s, c.y() - d / 2)
              << QPointF(c.x(), c.y() + d / 2 + (towardsStart ? -0.5 : 0.5));
    } else {
        const qreal d = towardsStart ? -s : s;
        arrow << QPointF(c.x() - d / 2, c.y() - 2 * s) << QPointF(c.x() - d / 2, c.y() + 2 * s)
              << QPointF(c.x() + d / 2 + (towardsStart ? -0.5 : 0.5), c.y());
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(palette().color(QPalette::ButtonText));
    p.drawPolygon(arrow);
}

void TCollapseHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && ButtonRect().contains(event->position().toPoint())) {
        m_buttonPressed = true;
        update();
        return;
    }
    QSplitterHandle::mousePressEvent(event);
}

void TCollapseHandle::mouseMoveEvent(QMouseEvent* event) {
    if (m_buttonPressed) {
        return;
    }
    setCursor(ButtonRect().contains(event->position().toPoint()) ? Qt::ArrowCursor
              : orientation() == Qt::Vertical                    ? Qt::SplitVCursor
                                                                 : Qt::SplitHCursor);
    QSplitterHandle::mouseMoveEvent(event);
}

void TCollapseHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (m_buttonPressed) {
        m_buttonPressed = false;
        if (ButtonRect().contains(event->position().toPoint())) {
            m_splitter->ToggleCollapsed();
        }
        update();
        return;
    }
    QSplitterHandle::mouseReleaseEvent(event);
}
