#include "host/diagnostic.h"

#include "host/jsonwriter.h"

namespace pinwright {

std::string_view SeverityWord(DiagnosticSeverity severity) {
  switch (severity) {
    case DiagnosticSeverity::Error:
      return "error";
    case DiagnosticSeverity::Warning:
      return "warning";
    case DiagnosticSeverity::Note:
      return "note";
  }
  return "error";
}

std::string DiagnosticLine(const Diagnostic& diagnostic) {
  std::string place = diagnostic.File;
  if (diagnostic.Line > 0) {
    place += (place.empty() ? "" : ":") + std::to_string(diagnostic.Line);
    if (diagnostic.Column > 0)
      place += ":" + std::to_string(diagnostic.Column);
  }
  std::string line = place.empty() ? std::string() : place + ": ";
  line += SeverityWord(diagnostic.Severity);
  line += ": " + diagnostic.Message;
  if (!diagnostic.Rule.empty())
    line += " [" + diagnostic.Rule + "]";
  return line;
}

void WriteDiagnosticMembers(TJsonWriter& json, const Diagnostic& diagnostic) {
  json.Key("file");
  json.String(diagnostic.File);
  json.Key("line");
  json.Number(diagnostic.Line);
  json.Key("column");
  json.Number(diagnostic.Column);
  json.Key("severity");
  json.String(SeverityWord(diagnostic.Severity));
  json.Key("rule");
  json.String(diagnostic.Rule);
  json.Key("message");
  json.String(diagnostic.Message);
}

}  // namespace pinwright
