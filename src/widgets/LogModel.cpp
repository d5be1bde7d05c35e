#include "widgets/LogModel.h"

#include <QGuiApplication>

#include <algorithm>
#include <stdexcept>

QColor ToQColor(TColor color, const QPalette& palette) {
    if (IsSystemColor(color)) {
        switch (color) {
            case clInfoBk:
                return palette.color(QPalette::ToolTipBase);
            case clBtnFace:
                return palette.color(QPalette::Button);
            case clWindowText:
                return palette.color(QPalette::WindowText);
            default:
                return palette.color(QPalette::Text);
        }
    }
    return QColor(ColorRed(color), ColorGreen(color), ColorBlue(color));
}

TLogModel::TLogModel(QObject* parent) : QAbstractItemModel(parent) {}

int TLogModel::AddLine(std::string_view text, TColor textColor, TColor backColor) {
    const int row = static_cast<int>(m_topLines.size());
    beginInsertRows({}, row, row);
    m_topLines.push_back(static_cast<std::uint32_t>(m_lines.size()));
    AppendLine(text, static_cast<std::uint32_t>(row), textColor, backColor);
    endInsertRows();
    return row;
}

void TLogModel::AddChildLine(std::string_view text, TColor textColor, TColor backColor) {
    if (m_topLines.empty()) {
        throw std::logic_error("a child line needs a caption line");
    }
    const int topRow = static_cast<int>(m_topLines.size()) - 1;
    const int row = ChildCount(topRow);
    beginInsertRows(createIndex(topRow, 0, quintptr{m_topLines.back()}), row, row);
    AppendLine(text, static_cast<std::uint32_t>(topRow) | kChildFlag, textColor, backColor);
    endInsertRows();
}

void TLogModel::Clear() {
    beginResetModel();
    // Swapping with empty containers gives the memory of a long log back, which clear() keeps.
    std::deque<TLine>().swap(m_lines);
    std::deque<std::uint32_t>().swap(m_topLines);
    std::vector<std::string>().swap(m_blocks);
    endResetModel();
}

void TLogModel::AppendLine(std::string_view text, std::uint32_t row, TColor textColor,
                           TColor backColor) {
    if (m_blocks.empty() || m_blocks.back().size() + text.size() > m_blocks.back().capacity()) {
        m_blocks.emplace_back().reserve(std::max(kBlockSize, text.size()));
    }
    std::string& block = m_blocks.back();
    const TLine line{static_cast<std::uint32_t>(m_blocks.size() - 1),
                     static_cast<std::uint32_t>(block.size()),
                     static_cast<std::uint32_t>(text.size()),
                     row,
                     PaletteIndex(textColor),
                     PaletteIndex(backColor)};
    block.append(text);
    m_lines.push_back(line);
}

std::uint16_t TLogModel::PaletteIndex(TColor color) {
    const auto found = std::find(m_palette.begin(), m_palette.end(), color);
    if (found != m_palette.end()) {
        return static_cast<std::uint16_t>(found - m_palette.begin());
    }
    m_palette.push_back(color);
    return static_cast<std::uint16_t>(m_palette.size() - 1);
}

int TLogModel::ChildCount(int topRow) const {
    const std::size_t next = static_cast<std::size_t>(topRow) + 1 < m_topLines.size()
                                 ? m_topLines[static_cast<std::size_t>(topRow) + 1]
                                 : m_lines.size();
    return static_cast<int>(next - m_topLines[static_cast<std::size_t>(topRow)] - 1);
}

int TLogModel::LineOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) {
        return -1;
    }
    return static_cast<int>(index.internalId());
}

QModelIndex TLogModel::IndexOfLine(int line) const {
    if (line < 0 || line >= LineCount()) {
        return {};
    }
    const std::uint32_t row = m_lines[static_cast<std::size_t>(line)].row;
    if ((row & kChildFlag) == 0) {
        return createIndex(static_cast<int>(row), 0, quintptr(line));
    }
    const int caption = static_cast<int>(m_topLines[row & ~kChildFlag]);
    return createIndex(line - caption - 1, 0, quintptr(line));
}

bool TLogModel::IsChildLine(int line) const {
    return (m_lines[static_cast<std::size_t>(line)].row & kChildFlag) != 0;
}

std::string_view TLogModel::LineText(int line) const {
    const TLine& entry = m_lines[static_cast<std::size_t>(line)];
    return std::string_view(m_blocks[entry.block]).substr(entry.offset, entry.length);
}

QModelIndex TLogModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0) {
        return {};
    }
    if (!parent.isValid()) {
        if (row >= static_cast<int>(m_topLines.size())) {
            return {};
        }
        return createIndex(row, 0, quintptr{m_topLines[static_cast<std::size_t>(row)]});
    }
    const int caption = LineOf(parent);
    if (caption < 0 || IsChildLine(caption) || row >= ChildCount(parent.row())) {
        return {};
    }
    return createIndex(row, 0, quintptr(caption) + 1 + quintptr(row));
}

QModelIndex TLogModel::parent(const QModelIndex& child) const {
    const int line = LineOf(child);
    if (line < 0 || !IsChildLine(line)) {
        return {};
    }
    const std::uint32_t topRow = m_lines[static_cast<std::size_t>(line)].row & ~kChildFlag;
    return createIndex(static_cast<int>(topRow), 0, quintptr{m_topLines[topRow]});
}

int TLogModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return static_cast<int>(m_topLines.size());
    }
    const int line = LineOf(parent);
    if (line < 0 || IsChildLine(line) || parent.column() != 0) {
        return 0;
    }
    return ChildCount(parent.row());
}

int TLogModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool TLogModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant TLogModel::data(const QModelIndex& index, int role) const {
    const int line = LineOf(index);
    if (line < 0) {
        return {};
    }
    const TLine& entry = m_lines[static_cast<std::size_t>(line)];
    switch (role) {
        case Qt::DisplayRole: {
            const std::string_view text = LineText(line);
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        }
        case Qt::ForegroundRole:
            return ToQColor(m_palette[entry.textColor], QGuiApplication::palette());
        case Qt::BackgroundRole:
            return ToQColor(m_palette[entry.backColor], QGuiApplication::palette());
        case TextColorRole:
            return QVariant::fromValue(m_palette[entry.textColor]);
        case BackColorRole:
            return QVariant::fromValue(m_palette[entry.backColor]);
        default:
            return {};
    }
}

Qt::ItemFlags TLogModel::flags(const QModelIndex& index) const {
    const int line = LineOf(index);
    if (line < 0) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (IsChildLine(line)) {
        result |= Qt::ItemNeverHasChildren;
    }
    return result;
}
