// Text for a terminal: its width in characters, padding to a column, and bytes made visible.
#pragma once

#include <cstddef>
#include <string>

// The characters of UTF-8 text as a terminal shows them, one a sequence.
std::size_t TextWidth(const std::string& text);
// The text with blanks after it up to the width, in characters.
std::string PaddedTo(const std::string& text, std::size_t width);
// The text as one visible line: CR, LF and other control bytes as \r, \n, \xNN.
std::string VisibleText(const std::string& text);
