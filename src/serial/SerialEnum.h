// Listing the ports of the machine: a spooler-style port list filtered by kind, and the serial
// devices that the kernel knows.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

using TPortKinds = unsigned;
constexpr TPortKinds pkCOM = 1;
constexpr TPortKinds pkLPT = 2;
constexpr TPortKinds pkFAX = 4;
constexpr TPortKinds pkNetwork = 8;

// One call of a spooler-style port listing, two-call protocol: asked with no buffer it succeeds
// only when it knows no port at all, and otherwise fails with errno ERANGE and reports the
// number of names it needs in `needed`; asked with a buffer of at least that many entries it
// fills it. Any failure leaves its reason in errno.
using TSpoolerPortList = std::function<bool(std::vector<std::string>* buffer,
                                            std::size_t bufferSize, std::size_t& needed)>;

// Replaces `list` by the names of `source` that match the first kind present in `kinds`
// (in the order COM, LPT, network, FAX). Raises "EnumPorts failed." on a failure of the source.
bool EnumPortNames(std::vector<std::string>& list, TPortKinds kinds,
                   const TSpoolerPortList& source);

// Replaces `list` by the serial devices listed under `ttyClassDir` that have a device behind
// them, as names that TCustomComm::Open accepts (ttyS0, ttyUSB0, ...), in natural order.
// Legacy ttyS entries with no UART behind them are left out.
bool EnumComPorts(std::vector<std::string>& list,
                  const std::string& ttyClassDir = "/sys/class/tty");

// ttyS2 before ttyS10, ttyS before ttyUSB: the order in which a person reads port names.
bool NaturalLess(const std::string& a, const std::string& b);
