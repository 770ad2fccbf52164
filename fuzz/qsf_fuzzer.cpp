// Arbitrary text through the settings-file reader, the checks of a settings file, the
// top-level port reader and the import of a settings file.
//
// The reader must never fail on any text, give every word a line and column inside the text,
// and read back its own words: each command of literal words, written again with every
// special byte escaped, reads as the same words.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fail.h"
#include "project/checkedproject.h"
#include "readers/hdlports.h"
#include "readers/qsfcheck.h"
#include "readers/qsfimport.h"
#include "readers/tclwords.h"

namespace pinwright::fuzzing {
namespace {

bool IsPlain(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
         c == '-' || c == '.' || c >= 0x80;
}

// The word as a bare Tcl word that reads back as exactly these bytes.
std::string Escaped(std::string_view word) {
  if (word.empty())
    return "{}";
  static const char* const kHex = "0123456789abcdef";
  std::string text;
  for (const unsigned char c : word) {
    if (IsPlain(c)) {
      text += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      text += "\\x";
      text += kHex[c >> 4];
      text += kHex[c & 15];
    } else {
      text += '\\';
      text += static_cast<char>(c);
    }
  }
  return text;
}

void CheckPositions(std::string_view text, const TclScript& script) {
  std::uint32_t lines = 1;
  for (const char c : text)
    lines += c == '\n';
  auto inside = [&](std::uint32_t line, std::uint32_t column) {
    return line >= 1 && line <= lines && column >= 1 && column <= text.size() + 1;
  };
  for (const TclCommand& command : script.Commands) {
    if (command.Words.empty())
      Fail("a command without words", std::string(text));
    for (const TclWord& word : command.Words) {
      if (!inside(word.Line, word.Column))
        Fail("a word outside the text", word.Text);
    }
  }
  if (script.Error && !inside(script.Error->Line, script.Error->Column))
    Fail("a fault outside the text", script.Error->Message);
}

void CheckReadsBack(const TclScript& script) {
  for (const TclCommand& command : script.Commands) {
    bool literal = true;
    std::string line;
    for (const TclWord& word : command.Words) {
      literal = literal && !word.Substituted && word.Text.find('[') == std::string::npos;
      line += (line.empty() ? "" : " ") + Escaped(word.Text);
    }
    if (!literal)
      continue;
    const TclScript again = ReadTclWords(line);
    if (again.Error || again.Commands.size() != 1 ||
        again.Commands[0].Words.size() != command.Words.size()) {
      Fail("escaped words do not read back", line);
    }
    for (std::size_t i = 0; i < command.Words.size(); ++i) {
      if (again.Commands[0].Words[i].Text != command.Words[i].Text)
        Fail("escaped word reads back differently", line);
    }
  }
}

}  // namespace
}  // namespace pinwright::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pinwright;
  using namespace pinwright::fuzzing;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const TclScript script = ReadTclWords(text);
  CheckPositions(text, script);
  CheckReadsBack(script);

  // The same text as a settings file to check and import, and as a top level of each
  // language: nothing may crash, every finding stands on a line of the text, and an import
  // that succeeds gives settings the checks accept.
  const std::vector<QsfAssignment> assignments = QsfAssignments(script);
  if (UnreadableQsfReason(text, assignments).empty() && assignments.empty())
    Fail("a text without assignments passed as readable", std::string(text));
  std::uint32_t lines = 1;
  for (const char c : text)
    lines += c == '\n';
  for (const HdlLanguage language : kHdlLanguages) {
    const DeclaredPorts ports = ReadDeclaredPorts(text, language);
    for (const DeclaredPort& port : ports.Ports) {
      if (port.Line < 1 || port.Line > lines || port.Name.empty())
        Fail("a port outside the text", port.Name);
    }
    for (const QsfFinding& finding : CheckQsf(assignments, &ports, language)) {
      if (finding.Line < 1 || finding.Line > lines || finding.Rule.empty())
        Fail("a finding outside the text", finding.Message);
    }
  }
  const QsfImport imported = ImportQsf(script);
  if (imported.Ok() && !CheckLarkspurSettings(imported.Settings))
    Fail("an import the checks refuse", imported.Settings.ProjectName.Get());
  return 0;
}
