#include "cli/clihost.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <iostream>

#include "host/text.h"

namespace pinwright::cli {
namespace {

// 9999-12-31 23:59:59 UTC: the last instant with a four-digit year.
constexpr std::int64_t kLastEpochSecond = 253402300799;

}  // namespace

std::optional<LocalDateTime> ParseSourceDateEpoch(std::string_view text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  std::int64_t seconds = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error != std::errc() || end != text.data() + text.size() || seconds > kLastEpochSecond) {
    return std::nullopt;
  }
  using namespace std::chrono;
  sys_seconds instant{std::chrono::seconds{seconds}};
  sys_days day = floor<days>(instant);
  year_month_day date{day};
  hh_mm_ss time{instant - day};
  return LocalDateTime{static_cast<int>(date.year()),
                       static_cast<int>(static_cast<unsigned>(date.month())),
                       static_cast<int>(static_cast<unsigned>(date.day())),
                       static_cast<int>(time.hours().count()),
                       static_cast<int>(time.minutes().count()),
                       static_cast<int>(time.seconds().count())};
}

std::string TerminalText(std::string_view text) {
  std::string plain;
  plain.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
      continue;
    if ((byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7f) {
      AppendHexEscape(plain, byte);
    } else {
      plain += text[i];
    }
  }
  return plain;
}

void PrintMessage(MessageKind kind, const std::string& text) {
  std::string plain = TerminalText(text);
  while (!plain.empty() && plain.back() == '\n')
    plain.pop_back();
  std::cerr << "pinwright-cli: " << (kind == MessageKind::Information ? "" : "error: ") << plain
            << '\n';
}

void CliHost::ShowMessage(MessageKind kind, const std::string& text) {
  PrintMessage(kind, text);
}

LocalDateTime CliHost::Now() {
  return FixedNow ? *FixedNow : StderrHost::Now();
}

}  // namespace pinwright::cli
