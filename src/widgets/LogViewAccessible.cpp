// The log view as an accessible list: one item per line, in the order the view shows them, each
// named by its text.
#include "widgets/LogViewAccessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <unordered_map>

#include "widgets/LogView.h"

namespace {

class TLogLineAccessible : public QAccessibleInterface {
  public:
    TLogLineAccessible(TLogView* view, int line) : m_view(view), m_line(line) {}

    int Line() const { return m_line; }

    bool isValid() const override {
        return !m_view.isNull() && m_line < m_view->LogModel()->LineCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return m_view.isNull() ? nullptr : m_view->window()->windowHandle();
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_view.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) {
            return {};
        }
        const std::string_view text = m_view->LogModel()->LineText(m_line);
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect line = m_view->visualRect(Index());
        return {m_view->viewport()->mapToGlobal(line.topLeft()), line.size()};
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const QModelIndex index = Index();
        s.invisible = !m_view->isVisible();
        s.offscreen = !m_view->viewport()->rect().intersects(m_view->visualRect(index));
        s.selectable = true;
        s.selected = m_view->selectionModel()->isSelected(index);
        s.focusable = true;
        s.focused = m_view->hasFocus() && m_view->currentIndex() == index;
        return s;
    }

  private:
    QModelIndex Index() const { return m_view->LogModel()->IndexOfLine(m_line); }

    QPointer<TLogView> m_view;
    int m_line;
};

class TLogViewAccessible : public QAccessibleWidget {
  public:
    explicit TLogViewAccessible(TLogView* view) : QAccessibleWidget(view, QAccessible::List) {
        // A cleared log's lines are gone; items asked for later are new ones.
        m_reset = QObject::connect(view->LogModel(), &QAbstractItemModel::modelAboutToBeReset, view,
                                   [this] { ForgetLines(); });
    }
    ~TLogViewAccessible() override {
        QObject::disconnect(m_reset);
        ForgetLines();
    }

    int childCount() const override { return View()->LogModel()->LineCount(); }
    QAccessibleInterface* child(int line) const override {
        if (line < 0 || line >= childCount()) {
            return nullptr;
        }
        if (const auto found = m_lines.find(line); found != m_lines.end()) {
            return QAccessible::accessibleInterface(found->second);
        }
        auto* item = new TLogLineAccessible(View(), line);
        m_lines.emplace(line, QAccessible::registerAccessibleInterface(item));
        return item;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* item = dynamic_cast<const TLogLineAccessible*>(child);
        if (item == nullptr || item->parent() != this) {
            return -1;
        }
        return item->Line();
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint point = View()->viewport()->mapFromGlobal(QPoint(x, y));
        if (!View()->viewport()->rect().contains(point)) {
            return nullptr;
        }
        return child(View()->LogModel()->LineOf(View()->indexAt(point)));
    }
    QAccessibleInterface* focusChild() const override {
        return View()->hasFocus() ? child(View()->LogModel()->LineOf(View()->currentIndex()))
                                  : nullptr;
    }

  private:
    TLogView* View() const { return static_cast<TLogView*>(widget()); }
    void ForgetLines() {
        for (const auto& [line, id] : m_lines) {
            QAccessible::deleteAccessibleInterface(id);
        }
        m_lines.clear();
    }

    // Items are made when first asked for and live until the log is cleared.
    mutable std::unordered_map<int, QAccessible::Id> m_lines;
    QMetaObject::Connection m_reset;
};

QAccessibleInterface* LogViewFactory(const QString& className, QObject* object) {
    auto* view = qobject_cast<TLogView*>(object);
    if (view == nullptr || className != QLatin1String(TLogView::staticMetaObject.className())) {
        return nullptr;
    }
    return new TLogViewAccessible(view);
}

}  // namespace

void InstallLogViewAccessibility(TLogView& view) {
    static const bool installed = [] {
        QAccessible::installFactory(&LogViewFactory);
        return true;
    }();
    (void)installed;
    // With a screen reader running, the base classes' construction already made the view a
    // plain scroll area's interface, which would hide the lines; the list replaces it.
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&view);
    if (made != nullptr && dynamic_cast<TLogViewAccessible*>(made) == nullptr) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}

QAccessibleInterface* LogLineInterface(TLogView* view, int line) {
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    return list != nullptr ? list->child(line) : nullptr;
}
