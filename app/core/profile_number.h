#pragma once
#include <cstdint>
#include <optional>
#include <string>

// A profile entry's text as a number: an optional sign and 1 to 10 decimal
// digits, nothing else, within the 32-bit signed range. Anything else (empty,
// blanks, letters, a trailing unit, "0x10", a value that would wrap) is no
// number at all, so that no text can read as 0 by accident.
std::optional<std::int32_t> ParseProfileNumber(const std::string& text);
