// The host of pinwright-cli: messages on stderr, no dialogs, and a clock that the
// reproducible-builds convention SOURCE_DATE_EPOCH can fix.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/diagnostic.h"
#include "host/host.h"

namespace pinwright::cli {

// SOURCE_DATE_EPOCH as the date and time in UTC: decimal seconds since 1970-01-01 00:00:00,
// digits only, up to the end of the year 9999. Nothing for any other text.
std::optional<LocalDateTime> ParseSourceDateEpoch(std::string_view text);

// The text with every byte that is not printable text escaped: \n, \t, and \xNN for other
// control bytes, C1 controls and bytes that are not valid UTF-8. With keepLineBreaks the
// core's CR LF line breaks become plain ones. Text taken from a file can then neither drive
// the terminal nor start a line of its own.
std::string EscapedText(std::string_view text, bool keepLineBreaks);
// EscapedText keeping the line breaks: for messages and other text of the core.
std::string TerminalText(std::string_view text);

// The diagnostic as its one line (DiagnosticLine), escaped as EscapedText does and ended:
// what the commands print of what the readers found.
std::string DiagnosticText(const Diagnostic& diagnostic);

// Every message is one "pinwright-cli: ..." block on stderr, with the core's CR LF line
// ends turned into plain ones and everything else escaped.
void PrintMessage(MessageKind kind, const std::string& text);

class CliHost : public StderrHost {
 public:
  // With a fixed instant, Now() always answers it; without, the local time.
  explicit CliHost(std::optional<LocalDateTime> fixedNow = std::nullopt) : FixedNow(fixedNow) {}

  void ShowMessage(MessageKind kind, const std::string& text) override;
  LocalDateTime Now() override;

 private:
  std::optional<LocalDateTime> FixedNow;
};

}  // namespace pinwright::cli
