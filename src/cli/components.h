// The on-board components as the command line names them: the record's field names, matched
// without regard to letter case.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "settings/configlarkspur.h"

namespace pinwright::cli {

using ComponentField = LarkspurComponent;
inline constexpr const auto& kComponents = kLarkspurComponents;

// The index of the component with this name, ignoring letter case.
std::optional<std::size_t> FindComponent(std::string_view name);

// ASCII letter case folded; the command line's names are all ASCII.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace pinwright::cli
