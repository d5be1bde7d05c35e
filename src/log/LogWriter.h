// The exchange log's sink: the protocol layer writes through it without knowing the window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A colour as the desktop toolkit keeps it: an RGB value (0x00BBGGRR) or, with the top bit set,
// the index of a system colour that the view resolves when it draws.
using TColor = std::uint32_t;

constexpr TColor RgbColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}
constexpr std::uint8_t ColorRed(TColor c) {
    return static_cast<std::uint8_t>(c & 0xFF);
}
constexpr std::uint8_t ColorGreen(TColor c) {
    return static_cast<std::uint8_t>((c >> 8) & 0xFF);
}
constexpr std::uint8_t ColorBlue(TColor c) {
    return static_cast<std::uint8_t>((c >> 16) & 0xFF);
}

constexpr TColor clSystemColor = 0x80000000u;
constexpr bool IsSystemColor(TColor c) {
    return (c & clSystemColor) != 0;
}

constexpr TColor clBlack = RgbColor(0, 0, 0);
constexpr TColor clWhite = RgbColor(255, 255, 255);
constexpr TColor clRed = RgbColor(255, 0, 0);
constexpr TColor clYellow = RgbColor(255, 255, 0);
constexpr TColor clBlue = RgbColor(0, 0, 255);
constexpr TColor clFuchsia = RgbColor(255, 0, 255);
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clInfoBk = clSystemColor | 24;  // COLOR_INFOBK

class TLogWriter {
  public:
    TLogWriter() = default;
    TLogWriter(const TLogWriter&) = delete;
    TLogWriter& operator=(const TLogWriter&) = delete;
    virtual ~TLogWriter() = default;

    virtual void WriteInfo(const std::string& text) = 0;
    virtual void WriteError(const std::string& text) = 0;
    virtual void WriteMessage(const std::string& text) = 0;
    virtual void WriteData(const std::string& caption, const std::string& data, TColor color) = 0;
    virtual void WriteDataLines(const std::string& caption, const std::vector<std::string>& lines,
                                TColor color) = 0;
};
