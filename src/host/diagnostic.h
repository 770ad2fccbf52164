// One thing a reader found in a file: where it is, how grave it is, which of the reader's
// rules found it and what it is. Card files, settings files and top levels all report in it,
// and it is written in one of two forms: the line editors and CI problem matchers read, or
// the members of a JSON object.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pinwright {

class TJsonWriter;

enum class DiagnosticSeverity { Error, Warning, Note };

struct Diagnostic {
  std::string File;          // as the caller named it; empty when unknown
  std::uint32_t Line = 0;    // from 1; 0 when unknown
  std::uint32_t Column = 0;  // byte in the line, from 1; 0 when unknown
  DiagnosticSeverity Severity = DiagnosticSeverity::Error;
  std::string Rule;  // the reader's short name of the rule, e.g. "swapped"; empty when it has none
  std::string Message;
};

// "error", "warning" or "note".
std::string_view SeverityWord(DiagnosticSeverity severity);

// "FILE:LINE:COLUMN: SEVERITY: MESSAGE [RULE]". What is unknown is left out with its
// separator: "FILE: note: MESSAGE" without a line, "FILE:LINE: ..." without a column,
// "error: MESSAGE" without a file or line, and no " [RULE]" without a rule.
std::string DiagnosticLine(const Diagnostic& diagnostic);

// Inside an open JSON object, the members "file", "line", "column", "severity", "rule" and
// "message", in this order; an unknown line or column is 0, an unknown file or rule "".
void WriteDiagnosticMembers(TJsonWriter& json, const Diagnostic& diagnostic);

}  // namespace pinwright
