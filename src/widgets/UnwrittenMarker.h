// The marker of a value that differs from the module's: a filled triangle in the top-right corner
// and a dashed frame, drawn over a grid cell or an edit, with the module's value as its note.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

class QPainter;
class QPalette;

// The marker's colour: a dark orange on a light face, a light one on a dark face. The shape, not
// the hue, carries the meaning; the hue only keeps it apart from the blue focus frame.
QColor UnwrittenMarkerColor(const QPalette& palette);

// Paints the marker inside `rect`, in the painter's logical units: a right triangle whose legs,
// a third of the shorter side, run along the top and right edges, and a dashed frame one unit
// wide on the rectangle's outermost ring. In a 27-unit cell around a 23-unit picture both stay
// clear of the picture's trace.
void PaintUnwrittenMarker(QPainter& painter, const QRect& rect, const QPalette& palette);

// Marks a control whose value differs from the module's: the same marker over its border, and the
// module's value as its tooltip and accessible description. The corner triangle is how a
// spreadsheet marks a cell that carries a note, and reads the same on a Fusion edit as on a grid
// cell; the dashes turn the edit's plain border into one that cannot pass for the focus
// highlight. The marker is a child widget of the control, so it moves, hides and scales with it
// without the control's paint code, and it lets the mouse through.
class TControlMarker : public QWidget {
    Q_OBJECT
  public:
    explicit TControlMarker(QWidget& control);

    // Shows the marker with the note («в модуле: 10»); an empty note hides it and gives the
    // control back the tooltip and description it had before.
    void SetNote(const QString& note);
    const QString& Note() const { return m_note; }
    bool IsMarked() const { return !m_note.isEmpty(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget& Control() const { return *parentWidget(); }

    QString m_note;
    QString m_ownToolTip;
    QString m_ownDescription;
};
