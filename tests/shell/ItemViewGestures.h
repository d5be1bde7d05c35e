// What a person does to a row of a list window: a double-click as the mouse makes it, and a key
// pressed while the row is the current one.
#pragma once

#include <QTest>
#include <QTreeWidget>

// The view takes the second press as a double-click only after a first press on the same cell.
inline void DoubleClickRow(QTreeWidget& table, const QTreeWidgetItem& item) {
    const QPoint centre = table.visualItemRect(&item).center();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(table.viewport(), Qt::LeftButton, {}, centre);
}

// Return from the main keys, Enter from the keypad.
inline void PressOnRow(QTreeWidget& table, QTreeWidgetItem& item, Qt::Key key) {
    table.setFocus();
    table.setCurrentItem(&item);
    QTest::keyClick(&table, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
}
