#include "cli/components.h"

#include <algorithm>

namespace pinwright::cli {
namespace {

char FoldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

std::optional<std::size_t> FindComponent(std::string_view name) {
  for (std::size_t i = 0; i < kComponents.size(); ++i) {
    if (EqualsIgnoringCase(kComponents[i].Name, name))
      return i;
  }
  return std::nullopt;
}

}  // namespace pinwright::cli
