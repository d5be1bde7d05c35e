// A splitter whose bar carries a small button that collapses one pane and restores it.
#pragma once

#include <QList>
#include <QSplitter>
#include <QSplitterHandle>

class TCollapsibleSplitter : public QSplitter {
    Q_OBJECT
  public:
    // `collapsingPane` is the index of the pane that the button hides (0 or 1).
    TCollapsibleSplitter(Qt::Orientation orientation, int collapsingPane,
                         QWidget* parent = nullptr);

    int CollapsingPane() const { return m_collapsingPane; }
    bool IsCollapsed() const;
    void ToggleCollapsed();

  protected:
    QSplitterHandle* createHandle() override;

  private:
    int m_collapsingPane;
    QList<int> m_restoreSizes;
};

class TCollapseHandle : public QSplitterHandle {
    Q_OBJECT
  public:
    TCollapseHandle(Qt::Orientation orientation, TCollapsibleSplitter* parent);

    QRect ButtonRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    TCollapsibleSplitter* m_splitter;
    bool m_buttonPressed = false;
};
