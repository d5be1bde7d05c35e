// The exchange log's view: every line one row, children indented under their caption.
#pragma once

#include <QAbstractItemView>
#include <QPersistentModelIndex>
#include <cstddef>

#include "widgets/LogModel.h"

// The log view: every line one row of the same height, children indented under their caption,
// always expanded. It lays out nothing per line, so appending and scrolling stay cheap however
// long the log grows.
class TLogView : public QAbstractItemView {
    Q_OBJECT
  public:
    explicit TLogView(QWidget* parent = nullptr);

    TLogModel* LogModel() const { return m_model; }
    void Clear();

    int RowHeight() const { return m_rowHeight; }
    int TopLine() const;
    int VisibleLineCount() const;

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;

  signals:
    // A line was added; the host decides whether the view follows it.
    void Addition(const QModelIndex& node);

  protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Gives the view a current line on screen, so that the focus shows as soon as it arrives.
    void focusInEvent(QFocusEvent* event) override;
    // Tells a screen reader the line the focus moved to.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void reset() override;

  private:
    QRect LineRect(int line) const;
    void UpdateRowHeight();
    void UpdateScrollBars();
    void WidenFor(int line);
    // Brings the scroll bars, the screen and the host up to the lines added since the last time.
    void CatchUp();

    TLogModel* m_model;
    int m_rowHeight = 16;
    int m_contentWidth = 0;
    std::size_t m_widestBytes = 0;
    // Lines added and not yet caught up with: the scroll bars, the screen and the host's follow
    // are brought up to them once, when the window next takes its events, so that a burst of
    // lines costs one update and never delays the exchange that writes them.
    int m_firstNewLine = -1;
    QPersistentModelIndex m_lastNewNode;
};
