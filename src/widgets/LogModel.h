// The exchange log's lines: a compact store that a view shows as a flat list under captions.
#pragma once

#include <QAbstractItemModel>
#include <QColor>
#include <QPalette>
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
    static constexpr std::size_t kBlockSize = std::size_t{64} * 1024;

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
