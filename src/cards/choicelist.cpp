#include "cards/choicelist.h"

#include <algorithm>
#include <charconv>
#include <system_error>
#include <vector>

#include "cards/catalogue.h"
#include "cards/usercards.h"
#include "host/text.h"

namespace pinwright {
namespace {

std::vector<std::int32_t> FilterCatalogue() {
  std::vector<std::int32_t> choices{kCardNone};
  for (const Card& card : BuiltInCards()) {
    if (card.OnGpioHeader())
      choices.push_back(card.Id);
  }
  return choices;
}

}  // namespace

std::span<const std::int32_t> GpioBuiltInChoices() {
  static const std::vector<std::int32_t> choices = FilterCatalogue();
  return choices;
}

std::span<const std::int32_t> GpioHeaderChoices() {
  // Worked out again whenever another set of user cards has been installed. Its room, for
  // the built-in cards and one user card per ID of the range, is taken once, so a span
  // handed out earlier keeps pointing at live entries.
  static std::vector<std::int32_t> choices;
  static std::uint64_t generation = ~std::uint64_t{0};
  if (generation != UserCardsGeneration()) {
    const std::span<const std::int32_t> builtIn = GpioBuiltInChoices();
    choices.reserve(builtIn.size() +
                    static_cast<std::size_t>(kLastUserCardId - kFirstUserCardId + 1));
    choices.assign(builtIn.begin(), builtIn.end());
    for (const std::shared_ptr<const CardDefinition>& card : InstalledUserCards())
      choices.push_back(card->Id);
    generation = UserCardsGeneration();
  }
  return choices;
}

std::optional<std::int32_t> FindGpioCard(std::string_view text) {
  const std::span<const std::int32_t> choices = GpioHeaderChoices();
  if (EqualsIgnoringCase(text, "none"))
    return kCardNone;
  std::int32_t id = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (!text.empty() && error == std::errc() && end == text.data() + text.size()) {
    if (std::find(choices.begin(), choices.end(), id) != choices.end())
      return id;
    return std::nullopt;
  }
  for (std::int32_t card : choices) {
    if (EqualsIgnoringCase(CardById(card).Name, text))
      return card;
  }
  return std::nullopt;
}

}  // namespace pinwright
