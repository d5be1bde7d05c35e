// Fitting the main window to the screen it shows on: large enough for the largest page where the
// free area allows, with the window manager's frame inside that area.
#include <QScrollArea>
#include <QStyle>

#include "shell/MainWindow.h"

QRect FitWindowGeometry(QSize wanted, QSize minimum, const QRect& available, const QMargins& frame,
                        QPoint offset) {
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - frame.top() - frame.bottom());
    const QSize inner = wanted.boundedTo(room).expandedTo(minimum);
    const QSize outer = inner.grownBy(frame);
    const QPoint centred =
        available.center() - QPoint(outer.width() / 2, outer.height() / 2) + offset;
    // Moved no further than the free area's far edge; a window larger than the room (its
    // minimum) keeps its title bar on the screen.
    const QPoint outerTopLeft(
        std::max(std::min(centred.x(), available.right() + 1 - outer.width()), available.left()),
        std::max(std::min(centred.y(), available.bottom() + 1 - outer.height()), available.top()));
    return {outerTopLeft + QPoint(frame.left(), frame.top()), inner};
}

QMargins TMainWindow::FrameMargins() const {
    const QRect inner = geometry();
    const QRect outer = frameGeometry();
    if (isVisible() && outer != inner) {
        return {inner.left() - outer.left(), inner.top() - outer.top(),
                outer.right() - inner.right(), outer.bottom() - inner.bottom()};
    }
    // Before the window manager has framed the window, a title bar and a thin border are a fair
    // guess; the fit is made again once the real frame is known.
    const int border = std::max(1, style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth));
    const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return {border, title + border, border, border};
}

void TMainWindow::FitToScreen(const QRect& available) {
    QSize content(0, 0);
    QScrollArea* shown = nullptr;
    for (QScrollArea* area : m_pagePane->findChildren<QScrollArea*>()) {
        if (area->widget() != nullptr) {
            content = content.expandedTo(area->widget()->minimumSize());
        }
        if (area->isVisibleTo(this)) {
            shown = area;
        }
    }
    QSize target = size();
    if (shown != nullptr) {
        // Every page sits in the same pane, so the shown one tells how much room any page has.
        target += (content - shown->maximumViewportSize()).expandedTo(QSize(0, 0));
    }
    m_fittedTo = available;
    setGeometry(
        FitWindowGeometry(target, minimumSizeHint(), available, FrameMargins(), m_placementOffset));
}

// The window manager frames the window after it is shown; once the frame is known, a window
// whose frame leaves the free area is fitted again with the real frame.
void TMainWindow::RefitToRealFrame() {
    if (m_frameChecked || !m_fittedTo.isValid() || !isVisible() || frameGeometry() == geometry()) {
        return;
    }
    m_frameChecked = true;
    if (!m_fittedTo.contains(frameGeometry())) {
        FitToScreen(m_fittedTo);
    }
}

void TMainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    RefitToRealFrame();
}

void TMainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    RefitToRealFrame();
}
