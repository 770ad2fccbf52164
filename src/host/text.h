// Small text helpers shared by the whole core and both front ends. Names, prefixes and card
// names are ASCII where letter case matters, so case folding is ASCII only.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace pinwright {

// 'A'..'Z' as 'a'..'z'; every other byte as it is.
constexpr char FoldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The text with every ASCII capital made small.
inline std::string FoldCase(std::string_view text) {
  std::string folded(text);
  for (char& c : folded)
    c = FoldCase(c);
  return folded;
}

// True when the two texts differ in ASCII letter case at most.
constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldCase(x) == FoldCase(y);
         });
}

// Appends the byte as "\xNN" (two small hex digits): how text shown on a terminal writes a
// byte that must not reach it as it is.
inline void AppendHexEscape(std::string& out, unsigned char byte) {
  constexpr char kHex[] = "0123456789abcdef";
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 0xf];
}

}  // namespace pinwright
