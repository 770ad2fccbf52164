#include "cli/clihost.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>

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

namespace {

// The length of the valid UTF-8 sequence at the start of text that encodes a printable
// character (no C1 control, format character or line separator), or 0.
std::size_t PrintableSequence(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  std::uint32_t code = 0;
  std::uint32_t smallest = 0;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2, code = lead & 0x1fu, smallest = 0x80;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3, code = lead & 0x0fu, smallest = 0x800;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4, code = lead & 0x07u, smallest = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length)
    return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xc0) != 0x80)
      return 0;
    code = code << 6 | (byte(i) & 0x3fu);
  }
  const bool overlong = code < smallest;
  const bool surrogate = code >= 0xd800 && code <= 0xdfff;
  if (overlong || surrogate || IsInvisibleControl(code) || code > 0x10ffff)
    return 0;
  return length;
}

}  // namespace

std::string EscapedText(std::string_view text, bool keepLineBreaks) {
  std::string plain;
  plain.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (keepLineBreaks && byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      plain += '\n';
      i += 2;
    } else if (byte == '\n' || byte == '\t') {
      plain += byte == '\n' ? "\\n" : "\\t";
      ++i;
    } else if (byte >= 0x20 && byte < 0x7f) {
      plain += text[i++];
    } else if (std::size_t length = byte >= 0x80 ? PrintableSequence(text.substr(i)) : 0) {
      plain.append(text, i, length);
      i += length;
    } else {
      AppendHexEscape(plain, byte);
      ++i;
    }
  }
  return plain;
}

std::string DiagnosticText(const Diagnostic& diagnostic) {
  return EscapedText(DiagnosticLine(diagnostic), false) + '\n';
}

std::string TerminalText(std::string_view text) {
  return EscapedText(text, true);
}

void PrintMessage(MessageKind kind, const std::string& text) {
  std::string_view body = text;
  while (body.ends_with("\r\n"))
    body.remove_suffix(2);
  const std::string plain = TerminalText(body);
  const std::string line = std::string("pinwright-cli: ") +
                           (kind == MessageKind::Information ? "" : "error: ") + plain + '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void CliHost::ShowMessage(MessageKind kind, const std::string& text) {
  PrintMessage(kind, text);
}

LocalDateTime CliHost::Now() {
  return FixedNow ? *FixedNow : StderrHost::Now();
}

}  // namespace pinwright::cli
