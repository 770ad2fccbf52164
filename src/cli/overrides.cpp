#include "cli/overrides.h"

#include <array>
#include <optional>
#include <string_view>

#include "cards/catalogue.h"
#include "cards/choicelist.h"
#include "cards/usercards.h"
#include "host/host.h"

namespace pinwright::cli {
namespace {

// Plain line ends turned into the CR LF line breaks of a message.
std::string LinesWithBreaks(const std::string& text) {
  std::string broken;
  for (char c : text) {
    if (c == '\n')
      broken += '\r';
    broken += c;
  }
  return broken;
}

// Text from the command line must fit its field whole: cutting it would generate names the
// user did not ask for.
Status CheckTextFits(std::string_view option, const std::optional<std::string>& text) {
  if (!text || text->size() <= kTextCapacity)
    return {};
  return Failure{FailureKind::BadText,
                 {},
                 std::string(option) + ": the text is " + std::to_string(text->size()) +
                     " bytes long; at most " + std::to_string(kTextCapacity) + " fit",
                 {}};
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

int ExitStatusOf(const Status& status) {
  if (status)
    return kExitOk;
  return status.Error().Kind == FailureKind::BadArgument ? kExitUsage : kExitRefused;
}

int Report(const Status& status) {
  if (!status)
    ReportFailure(status.Error());
  return ExitStatusOf(status);
}

std::string CardChoicesText() {
  const std::span<const std::int32_t> choices = GpioHeaderChoices();
  std::size_t width = 3;
  for (std::int32_t card : choices)
    width = std::max(width, std::to_string(card).size());
  std::string text;
  for (std::int32_t card : choices) {
    std::string id = std::to_string(card);
    text += std::string(width - id.size(), ' ') + id + "  " + std::string(CardById(card).Name);
    if (const std::string_view source = CardSourceFile(card); !source.empty())
      text += "  (" + std::string(source) + ")";
    text += "\n";
  }
  return text;
}

std::string UnknownCardText(const std::string& typed) {
  return "unknown card '" + typed + "'; the choices are:\r\n" + LinesWithBreaks(CardChoicesText());
}

Status LoadSettingsFile(TConfigLarkspur& config, const std::string& path) {
  Status loaded = config.LoadFile(path);
  if (loaded)
    return loaded;
  Failure failure = loaded.Error();
  failure.Reason = "cannot read " + path + ": " +
                   (failure.Kind == FailureKind::Missing ? "no such file" : failure.Reason);
  return failure;
}

Status BuildSettings(const Request& request, TConfigLarkspur& config) {
  config.FillChoiceList(GpioHeaderChoices());

  std::array<std::optional<std::int32_t>, kLarkspurHeaders.size()> cards;
  for (std::size_t header = 0; header < cards.size(); ++header) {
    if (!request.Cards[header])
      continue;
    cards[header] = FindGpioCard(*request.Cards[header]);
    if (!cards[header]) {
      return Failure{FailureKind::BadArgument,
                     {},
                     "--gpio" + std::string(kLarkspurHeaders[header].Number) + ": " +
                         UnknownCardText(*request.Cards[header]),
                     {}};
    }
  }
  if (Status project = CheckTextFits("--project", request.Project); !project)
    return project;
  for (std::size_t header = 0; header < cards.size(); ++header) {
    const std::string option = "--prefix" + std::string(kLarkspurHeaders[header].Number);
    if (Status prefix = CheckTextFits(option, request.Prefixes[header]); !prefix)
      return prefix;
  }

  if (request.ConfigFile) {
    Status loaded = LoadSettingsFile(config, *request.ConfigFile);
    if (!loaded)
      return loaded;
  } else {
    config.Settings = DefaultLarkspurSettings();
  }

  TLarkspurSettings& settings = config.Settings;
  for (const ComponentChange& change : request.Components) {
    settings.*kLarkspurComponents.at(change.Component).Flag = change.Ticked ? 1 : 0;
  }
  SetText(settings.ProjectName, request.Project);
  for (std::size_t header = 0; header < cards.size(); ++header) {
    SetCard(settings.*kLarkspurHeaders[header].Card, cards[header]);
    SetText(settings.*kLarkspurHeaders[header].Prefix, request.Prefixes[header]);
  }

  if (Status text = CheckTextFields(settings); !text) {
    Failure failure = text.Error();
    if (request.ConfigFile) {
      failure.File = *request.ConfigFile;
      failure.Reason = *request.ConfigFile + ": " + failure.Reason;
    }
    return failure;
  }
  return {};
}

}  // namespace pinwright::cli
