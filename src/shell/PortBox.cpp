#include "shell/PortBox.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <algorithm>

#include "widgets/StoredControls.h"

void FillPortBox(TComboBox& box, std::vector<TSerialPortInfo> ports) {
    SortSerialPorts(ports);
    box.clear();
    for (const TSerialPortInfo& port : ports) {
        box.addItem(QString::fromStdString(port.DisplayName()), QString::fromStdString(port.Name));
        const int index = box.count() - 1;
        const std::string path = port.ById.empty() ? SerialDevicePath(port.Name) : port.ById;
        box.setItemData(index, QString::fromStdString(path), Qt::ToolTipRole);
        box.setItemData(index, port.IsUsb, kPortIsUsbRole);
    }
    // The drop-down is as wide as its longest line, however narrow the box itself is.
    const QFontMetrics metrics(box.view()->font());
    int widest = box.width();
    for (int i = 0; i < box.count(); ++i) {
        widest = std::max(widest, metrics.horizontalAdvance(box.itemText(i)) + 24);
    }
    box.view()->setMinimumWidth(widest);
    box.SetItemIndex(-1);
}

void ShowPortInBox(TComboBox& box, const std::string& name) {
    const int index = name.empty() ? -1 : box.findData(QString::fromStdString(name));
    box.SetItemIndex(index);
    if (index < 0) {
        box.setEditText(QString::fromStdString(name));
    }
}

std::string PortNameInBox(const TComboBox& box) {
    const int index = box.ItemIndex();
    if (index >= 0) {
        return box.itemData(index).toString().toStdString();
    }
    // A list item's text typed or pasted in full still means that item's device.
    const QString text = box.currentText().trimmed();
    const int shown = box.findText(text, Qt::MatchExactly);
    if (shown >= 0) {
        return box.itemData(shown).toString().toStdString();
    }
    return text.toStdString();
}
