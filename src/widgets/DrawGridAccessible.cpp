// The grid as an accessible table: one interface per cell, its name, value and note from the
// owner.
#include "widgets/DrawGridAccessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <unordered_map>

#include "widgets/DrawGrid.h"

namespace {

QAccessibleInterface* CellOf(TDrawGrid* grid, int col, int row);

class TDrawGridCellAccessible : public QAccessibleInterface,
                                public QAccessibleTableCellInterface,
                                public QAccessibleActionInterface {
  public:
    TDrawGridCellAccessible(TDrawGrid* grid, int col, int row)
        : m_grid(grid), m_col(col), m_row(row) {}

    bool isValid() const override {
        return !m_grid.isNull() && m_col < m_grid->ColCount() && m_row < m_grid->RowCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return m_grid.isNull() ? nullptr : m_grid->window()->windowHandle();
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_grid.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) {
            return {};
        }
        if (t == QAccessible::Name) {
            return SpokenName();
        }
        if (t == QAccessible::Value) {
            return Value();
        }
        if (t == QAccessible::Description) {
            return m_grid->CellNote(m_col, m_row);
        }
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect cell = m_grid->CellRect(m_col, m_row);
        return {m_grid->mapToGlobal(cell.topLeft()), cell.size()};
    }
    QAccessible::Role role() const override {
        if (isValid() && m_row < m_grid->FixedRows()) {
            return QAccessible::ColumnHeader;
        }
        if (isValid() && m_col < m_grid->FixedCols()) {
            return QAccessible::RowHeader;
        }
        return QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.invisible = !m_grid->isVisible();
        s.disabled = !m_grid->isEnabled();
        if (role() == QAccessible::Cell) {
            s.focusable = true;
            s.focused =
                m_grid->hasFocus() && m_grid->FocusCol() == m_col && m_grid->FocusRow() == m_row;
        }
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableCellInterface) {
            return static_cast<QAccessibleTableCellInterface*>(this);
        }
        if (t == QAccessible::ActionInterface && role() == QAccessible::Cell) {
            return static_cast<QAccessibleActionInterface*>(this);
        }
        return nullptr;
    }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        QList<QAccessibleInterface*> headers;
        for (int r = 0; isValid() && r < m_grid->FixedRows() && r != m_row; ++r) {
            headers.append(CellOf(m_grid.data(), m_col, r));
        }
        return headers;
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override {
        QList<QAccessibleInterface*> headers;
        for (int c = 0; isValid() && c < m_grid->FixedCols() && c != m_col; ++c) {
            headers.append(CellOf(m_grid.data(), c, m_row));
        }
        return headers;
    }
    int columnIndex() const override { return m_col; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    // Pressing a cell steps its value forward, as a left click or Space does.
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && isValid() && m_grid->OnKeyStep) {
            m_grid->SetFocusCell(m_col, m_row);
            m_grid->OnKeyStep(m_col, m_row, true);
        }
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        return name == pressAction() ? QStringList{QStringLiteral("Space")} : QStringList{};
    }

  private:
    QString Value() const {
        return m_grid->OnCellValue ? m_grid->OnCellValue(m_col, m_row) : QString();
    }
    // AT-SPI carries no value text for a cell, and screen readers speak a cell by its name, so
    // the name ends in the value: "Реле 3, Зоны, Тревоги, зона 5: Включение".
    QString SpokenName() const {
        const QString name = m_grid->OnCellName ? m_grid->OnCellName(m_col, m_row) : QString();
        const QString value = Value();
        return value.isEmpty() ? name : name + QStringLiteral(": ") + value;
    }

    QPointer<TDrawGrid> m_grid;
    int m_col;
    int m_row;
};

class TDrawGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    explicit TDrawGridAccessible(TDrawGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~TDrawGridAccessible() override {
        for (const auto& [index, id] : m_cells) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return Grid()->ColCount() * Grid()->RowCount(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        if (const auto found = m_cells.find(index); found != m_cells.end()) {
            return QAccessible::accessibleInterface(found->second);
        }
        const int cols = Grid()->ColCount();
        auto* cell = new TDrawGridCellAccessible(Grid(), index % cols, index / cols);
        m_cells.emplace(index, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* cell = dynamic_cast<const TDrawGridCellAccessible*>(child);
        if (cell == nullptr || cell->parent() != this) {
            return -1;
        }
        return cell->rowIndex() * Grid()->ColCount() + cell->columnIndex();
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        int col = -1;
        int row = -1;
        if (!Grid()->MouseToCell(Grid()->mapFromGlobal(QPoint(x, y)), col, row)) {
            return nullptr;
        }
        return cellAt(row, col);
    }
    QAccessibleInterface* focusChild() const override {
        return Grid()->hasFocus() ? cellAt(Grid()->FocusRow(), Grid()->FocusCol()) : nullptr;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableInterface) {
            return static_cast<QAccessibleTableInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(t);
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
            return nullptr;
        }
        return child(row * columnCount() + column);
    }
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QString columnDescription(int column) const override {
        return Grid()->FixedRows() > 0 ? CellText(column, 0) : QString();
    }
    QString rowDescription(int row) const override {
        return Grid()->FixedCols() > 0 ? CellText(0, row) : QString();
    }
    int columnCount() const override { return Grid()->ColCount(); }
    int rowCount() const override { return Grid()->RowCount(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

  private:
    TDrawGrid* Grid() const { return static_cast<TDrawGrid*>(widget()); }
    QString CellText(int col, int row) const {
        QAccessibleInterface* cell = cellAt(row, col);
        return cell != nullptr ? cell->text(QAccessible::Name) : QString();
    }

    // Cells are made when first asked for and live as long as the grid's interface.
    mutable std::unordered_map<int, QAccessible::Id> m_cells;
};

QAccessibleInterface* CellOf(TDrawGrid* grid, int col, int row) {
    QAccessibleTableInterface* table = nullptr;
    if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(grid)) {
        table = iface->tableInterface();
    }
    return table != nullptr ? table->cellAt(row, col) : nullptr;
}

QAccessibleInterface* DrawGridFactory(const QString& className, QObject* object) {
    auto* grid = qobject_cast<TDrawGrid*>(object);
    if (grid == nullptr || className != QLatin1String(TDrawGrid::staticMetaObject.className())) {
        return nullptr;
    }
    return new TDrawGridAccessible(grid);
}

}  // namespace

void InstallDrawGridAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&DrawGridFactory);
        return true;
    }();
    (void)installed;
}

QAccessibleInterface* DrawGridCellInterface(TDrawGrid* grid, int col, int row) {
    return CellOf(grid, col, row);
}
