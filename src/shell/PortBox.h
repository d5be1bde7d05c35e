// The port box of the connect and search windows: each port shown as a person knows it
// ("ttyUSB0 — FT232R USB UART (A50285BI)"), USB adapters first, standing for its device name.
#pragma once

#include <Qt>
#include <string>
#include <vector>

#include "serial/SerialPortInfo.h"

class TComboBox;

// Marks an item whose port is a USB adapter.
inline constexpr int kPortIsUsbRole = Qt::UserRole + 1;

// Replaces the items with the ports in natural order, each with its device's path as tooltip; the
// drop-down is as wide as its longest line, and no item is chosen.
void FillPortBox(TComboBox& box, std::vector<TSerialPortInfo> ports);
// Chooses the item of that device, or shows the name as typed text when no item has it.
void ShowPortInBox(TComboBox& box, const std::string& name);
// The device name of the chosen item, or the name or path typed into the box.
std::string PortNameInBox(const TComboBox& box);
