// The exchange log: a compact line store, the view that shows it, and the sink that writes to it.
#pragma once

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QStyledItemDelegate>

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "log/LogWriter.h"

// Resolves a toolkit colour, system colours through the palette the view draws with.
QColor ToQColor(TColor color, const QPalette& palette);

// Holds the log's lines in the order they are shown: a top-level line followed by its child lines.
// Lines cost a small fixed record plus their UTF-8 bytes, and appending never moves older lines,
// so the millionth line is as cheap as the first.
class TLogModel : public QAbstractItemModel {
    Q_OBJECT
  public:
    // The line's colours as the toolkit's colour values, for callers that need the exact value.
    static constexpr int TextColorRole = Qt::UserRole + 1;
    static constexpr int BackColorRole = Qt::UserRole + 2;

    explicit TLogModel(QObject* parent = nullptr);

    // Appends a top-level line and returns its row.
    int AddLine(std::string_view text, TColor textColor, TColor backColor);
    // Appends a child line under the newest top-level line; children of older lines would have
    // to be inserted in the middle of the store, which nothing in the log needs.
    void AddChildLine(std::string_view text, TColor textColor, TColor backColor);
    void Clear();

    // The view shows the lines as one flat list; these map between that list and the tree.
    int LineCount() const { return static_cast<int>(m_lines.size()); }
    int LineOf(const QModelIndex& index) const;
    QModelIndex IndexOfLine(int line) const;
    bool IsChildLine(int line) const;
    std::string_view LineText(int line) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    static constexpr std::uint32_t kChildFlag = 0x80000000u;
    static constexpr std::size_t kBlockSize = 64 * 1024;

    struct TLine {
        std::uint32_t block;
        std::uint32_t offset;
        std::uint32_t length;
        std::uint32_t
            row;  // own row for a top line; the caption's row, with kChildFlag, for a child
        std::uint16_t textColor;  // indexes into m_palette
        std::uint16_t backColor;
    };

    void AppendLine(std::string_view text, std::uint32_t row, TColor textColor, TColor backColor);
    std::uint16_t PaletteIndex(TColor color);
    int ChildCount(int topRow) const;

    std::deque<TLine> m_lines;
    std::deque<std::uint32_t> m_topLines;  // line number of each top-level row
    std::vector<std::string> m_blocks;
    std::vector<TColor> m_palette;
};

// Paints a log line in its own colours, or in the selection colours when it is selected, and
// frames the current line while the view has focus.
class TLogItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    static constexpr int kIndent = 19;

    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Gives an unselected line its fill and font colours; a selected one keeps the system's.
    void tvLogCustomDrawItem(QStyleOptionViewItem& option, const QModelIndex& node) const;
};

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

    TLogModel* m_model;
    int m_rowHeight = 16;
    int m_contentWidth = 0;
    std::size_t m_widestBytes = 0;
};

// The system's log sink: writes each operation's lines into the log view.
class TLogViewWriter : public TLogWriter {
  public:
    explicit TLogViewWriter(TLogView* tvLog);

    void WriteInfo(const std::string& text) override;
    void WriteError(const std::string& text) override;
    void WriteMessage(const std::string& text) override;
    void WriteData(const std::string& caption, const std::string& data, TColor color) override;
    void WriteDataLines(const std::string& caption, const std::vector<std::string>& lines,
                        TColor color) override;

  private:
    TLogView* m_tvLog;
};
