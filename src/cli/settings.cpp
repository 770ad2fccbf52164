#include "cli/settings.h"

#include <charconv>
#include <filesystem>
#include <system_error>

#include "cards/catalogue.h"
#include "cli/components.h"

namespace pinwright::cli {
namespace {

bool InChoiceList(const TConfigBoard& choices, std::int32_t id) {
  for (std::int32_t i = 0; i < choices.ChoiceCount; ++i) {
    if (choices.ChoiceList[static_cast<std::size_t>(i)] == id)
      return true;
  }
  return false;
}

// Text from the command line must fit its field whole: cutting it would generate names the
// user did not ask for.
Status CheckTextFits(std::string_view option, const std::optional<std::string>& text) {
  if (!text || text->size() <= kTextCapacity)
    return {};
  return {kExitRefused, std::string(option) + ": the text is " + std::to_string(text->size()) +
                            " bytes long; at most " + std::to_string(kTextCapacity) + " fit"};
}

void SetCard(LeInt32& field, const std::optional<std::int32_t>& card) {
  if (card)
    field.Set(*card);
}

void SetText(TextField& field, const std::optional<std::string>& text) {
  if (text)
    field.Set(*text);
}

}  // namespace

std::optional<std::int32_t> ResolveCard(const TConfigBoard& choices, std::string_view text) {
  if (EqualsIgnoringCase(text, "none"))
    return kCardNone;
  std::int32_t id = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (!text.empty() && error == std::errc() && end == text.data() + text.size()) {
    if (InChoiceList(choices, id))
      return id;
    return std::nullopt;
  }
  for (std::int32_t i = 0; i < choices.ChoiceCount; ++i) {
    std::int32_t card = choices.ChoiceList[static_cast<std::size_t>(i)];
    if (EqualsIgnoringCase(CardDisplayName(card), text))
      return card;
  }
  return std::nullopt;
}

std::string CardChoicesText(const TConfigBoard& choices) {
  std::string text;
  for (std::int32_t i = 0; i < choices.ChoiceCount; ++i) {
    std::int32_t card = choices.ChoiceList[static_cast<std::size_t>(i)];
    std::string id = std::to_string(card);
    text += std::string(id.size() < 3 ? 3 - id.size() : 0, ' ') + id + "  " +
            std::string(CardDisplayName(card)) + "\n";
  }
  return text;
}

Status LoadSettingsFile(TConfigLarkspur& config, const std::string& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    return {kExitRefused, "cannot read " + path + ": no such file"};
  }
  if (!config.LoadFile(path)) {
    std::string reason = config.LoadFailReason();
    return {kExitRefused,
            "cannot read " + path + ": " + (reason.empty() ? "the file is gone" : reason)};
  }
  return {};
}

Status BuildSettings(const Request& request, TConfigLarkspur& config) {
  config.FillChoiceList();

  const std::array<std::string_view, 2> cardOptions{"--gpio0", "--gpio1"};
  std::array<std::optional<std::int32_t>, 2> cards;
  for (std::size_t header = 0; header < 2; ++header) {
    if (!request.Cards[header])
      continue;
    cards[header] = ResolveCard(config, *request.Cards[header]);
    if (!cards[header]) {
      return {kExitUsage, std::string(cardOptions[header]) + ": unknown card '" +
                              *request.Cards[header] + "'; the choices are:\n" +
                              CardChoicesText(config)};
    }
  }
  for (const Status& status : {CheckTextFits("--project", request.Project),
                               CheckTextFits("--prefix0", request.Prefixes[0]),
                               CheckTextFits("--prefix1", request.Prefixes[1])}) {
    if (!status.Ok())
      return status;
  }

  if (request.ConfigFile) {
    Status loaded = LoadSettingsFile(config, *request.ConfigFile);
    if (!loaded.Ok())
      return loaded;
  } else {
    config.Settings = DefaultLarkspurSettings();
  }

  TLarkspurSettings& settings = config.Settings;
  for (const ComponentChange& change : request.Components) {
    settings.*kComponents.at(change.Component).Flag = change.Ticked ? 1 : 0;
  }
  SetText(settings.ProjectName, request.Project);
  SetCard(settings.Gpio0, cards[0]);
  SetCard(settings.Gpio1, cards[1]);
  SetText(settings.PrefixGpio0, request.Prefixes[0]);
  SetText(settings.PrefixGpio1, request.Prefixes[1]);

  if (const pinwright::Status text = CheckTextFields(settings); !text) {
    return {kExitRefused, (request.ConfigFile ? *request.ConfigFile + ": " : std::string()) +
                              text.Error().Reason};
  }
  return {};
}

}  // namespace pinwright::cli
