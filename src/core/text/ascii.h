#pragma once
// ASCII-only letter case: the register and the table files know only a to z.
#include <string>
#include <string_view>

namespace vestok {

constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// Turns a to z into A to Z and leaves every other byte, diacritics included, alone.
std::string AsciiUpper(std::string_view text);

// Equality after ASCII upper-casing of both sides.
bool AsciiIEquals(std::string_view a, std::string_view b);

// The text without the blanks (spaces and tabs) at either end.
std::string_view TrimBlanks(std::string_view text);

}  // namespace vestok
