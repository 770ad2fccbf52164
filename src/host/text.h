// Small text helpers shared by the whole core and both front ends. Names, prefixes and card
// names are ASCII where letter case matters, so case folding is ASCII only.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

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

// True for a character that changes how text around it reads while showing nothing of
// itself: C1 controls, the format characters (bidirectional overrides and isolates, zero
// widths, the byte order mark, tags, ...) and the line and paragraph separators. Text shown
// to a person escapes them, so that a name cannot hide, reorder or split what follows.
constexpr bool IsInvisibleControl(std::uint32_t code) {
  // The C1 controls, Unicode's format characters (general category Cf) and U+2028, U+2029.
  constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 22> kRanges{{
      {0x0080, 0x009f},   {0x00ad, 0x00ad},   {0x0600, 0x0605},   {0x061c, 0x061c},
      {0x06dd, 0x06dd},   {0x070f, 0x070f},   {0x0890, 0x0891},   {0x08e2, 0x08e2},
      {0x180e, 0x180e},   {0x200b, 0x200f},   {0x2028, 0x202e},   {0x2060, 0x2064},
      {0x2066, 0x206f},   {0xfeff, 0xfeff},   {0xfff9, 0xfffb},   {0x110bd, 0x110bd},
      {0x110cd, 0x110cd}, {0x13430, 0x1343f}, {0x1bca0, 0x1bca3}, {0x1d173, 0x1d17a},
      {0xe0001, 0xe0001}, {0xe0020, 0xe007f},
  }};
  return std::any_of(kRanges.begin(), kRanges.end(), [code](const auto& range) {
    return code >= range.first && code <= range.second;
  });
}

}  // namespace pinwright
