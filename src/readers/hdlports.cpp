#include "readers/hdlports.h"

#include <charconv>
#include <optional>
#include <unordered_map>

#include "host/text.h"

namespace pinwright {
namespace {

enum class TokenKind { Name, Number, Symbol };

struct Token {
  TokenKind Kind = TokenKind::Symbol;
  std::string_view Text;
  std::uint32_t Line = 0;
  std::uint32_t Column = 0;
};

bool IsNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsNameChar(char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '$';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The tokens of a Verilog-family or VHDL text, comments, strings and directives left out.
std::vector<Token> Tokens(std::string_view text, bool vhdl) {
  std::vector<Token> tokens;
  std::size_t p = 0;
  std::uint32_t line = 1;
  std::size_t lineStart = 0;
  auto advanceTo = [&](std::size_t end) {
    for (; p < end && p < text.size(); ++p) {
      if (text[p] == '\n') {
        ++line;
        lineStart = p + 1;
      }
    }
  };
  auto skipPast = [&](std::string_view closing) {
    const std::size_t end = text.find(closing, p);
    advanceTo(end == std::string_view::npos ? text.size() : end + closing.size());
  };
  while (p < text.size()) {
    const char c = text[p];
    const std::string_view rest = text.substr(p);
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
      advanceTo(p + 1);
    } else if ((!vhdl && rest.starts_with("//")) || (vhdl && rest.starts_with("--"))) {
      skipPast("\n");
    } else if (rest.starts_with("/*")) {
      advanceTo(p + 2);
      skipPast("*/");
    } else if (!vhdl && c == '`') {
      skipPast("\n");  // a compiler directive takes its line
    } else if (c == '"') {
      advanceTo(p + 1);
      while (p < text.size() && text[p] != '"' && text[p] != '\n')
        advanceTo(p + (text[p] == '\\' && !vhdl ? 2 : 1));
      advanceTo(p + 1);
    } else {
      Token token;
      token.Line = line;
      token.Column = static_cast<std::uint32_t>(p - lineStart + 1);
      std::size_t end = p + 1;
      if (IsNameStart(c)) {
        token.Kind = TokenKind::Name;
        while (end < text.size() && IsNameChar(text[end]) && !(vhdl && text[end] == '$'))
          ++end;
      } else if (c == '\\') {
        // An escaped (Verilog) or extended (VHDL) identifier.
        token.Kind = TokenKind::Name;
        while (end < text.size() && (vhdl ? text[end] != '\\'
                                          : text[end] != ' ' && text[end] != '\t' &&
                                                text[end] != '\r' && text[end] != '\n')) {
          ++end;
        }
        if (vhdl && end < text.size())
          ++end;
      } else if (IsDigit(c)) {
        token.Kind = TokenKind::Number;
        while (end < text.size() &&
               (IsNameChar(text[end]) || text[end] == '\'' || (vhdl && text[end] == '#'))) {
          ++end;
        }
      } else if (vhdl && c == '\'' && end + 1 < text.size() && text[end + 1] == '\'') {
        end += 2;  // a character literal such as '0'
      }
      token.Text = text.substr(p, end - p);
      tokens.push_back(token);
      advanceTo(end);
    }
  }
  return tokens;
}

std::optional<std::int64_t> NumberOf(const Token& token) {
  if (token.Kind != TokenKind::Number)
    return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] =
      std::from_chars(token.Text.data(), token.Text.data() + token.Text.size(), value);
  if (error != std::errc() || end != token.Text.data() + token.Text.size())
    return std::nullopt;
  return value;
}

bool Is(const Token& token, std::string_view text, bool vhdl = false) {
  return vhdl ? EqualsIgnoringCase(token.Text, text) : token.Text == text;
}

// The index of the token that closes the bracket opened at open; tokens.size() if none does.
std::size_t Closing(const std::vector<Token>& tokens, std::size_t open) {
  const std::string_view opening = tokens[open].Text;
  const std::string_view closing = opening == "(" ? ")" : opening == "[" ? "]" : "}";
  int depth = 0;
  for (std::size_t i = open; i < tokens.size(); ++i) {
    if (tokens[i].Text == opening)
      ++depth;
    else if (tokens[i].Text == closing && --depth == 0)
      return i;
  }
  return tokens.size();
}

bool IsVerilogDirection(std::string_view word) {
  return word == "input" || word == "output" || word == "inout" || word == "ref";
}

bool IsVerilogTypeWord(std::string_view word) {
  static constexpr std::string_view kWords[] = {
      "wire", "reg",  "logic",  "signed",  "unsigned", "var",     "tri",         "bit",
      "wand", "wor",  "uwire",  "integer", "byte",     "int",     "shortint",    "longint",
      "tri0", "tri1", "triand", "trior",   "supply0",  "supply1", "interconnect"};
  for (const std::string_view known : kWords) {
    if (word == known)
      return true;
  }
  return false;
}

// "[A:B]" from open to its closing bracket: the range of a port.
void ReadRange(const std::vector<Token>& tokens, std::size_t open, std::size_t close,
               DeclaredPort& range) {
  range.Bus = true;
  range.RangeKnown = false;
  if (close == open + 4 && tokens[open + 2].Text == ":") {
    const std::optional<std::int64_t> first = NumberOf(tokens[open + 1]);
    const std::optional<std::int64_t> last = NumberOf(tokens[open + 3]);
    if (first && last) {
      range.RangeKnown = true;
      range.First = *first;
      range.Last = *last;
    }
  }
}

DeclaredPort PortAt(const Token& name, const DeclaredPort& range) {
  DeclaredPort port = range;
  port.Name = std::string(name.Text);
  if (port.Name.starts_with('\\'))
    port.Name.erase(0, 1);
  port.Line = name.Line;
  port.Column = name.Column;
  return port;
}

void ReadVerilogPorts(const std::vector<Token>& tokens, std::size_t moduleAt,
                      DeclaredPorts& result) {
  std::size_t i = moduleAt + 2;
  if (i < tokens.size() && tokens[i].Text == "#" && i + 1 < tokens.size() &&
      tokens[i + 1].Text == "(") {
    i = Closing(tokens, i + 1) + 1;
  }
  if (i >= tokens.size() || tokens[i].Text != "(")
    return;  // a module without ports
  const std::size_t close = Closing(tokens, i);
  bool ansi = false;
  for (std::size_t k = i + 1; k < close; ++k)
    ansi = ansi || IsVerilogDirection(tokens[k].Text);

  if (ansi) {
    DeclaredPort range;
    bool afterName = false;
    for (std::size_t k = i + 1; k < close; ++k) {
      const Token& token = tokens[k];
      if (token.Text == ",") {
        afterName = false;
      } else if (afterName) {
        if (token.Text == "[" || token.Text == "(")
          k = Closing(tokens, k);
      } else if (IsVerilogDirection(token.Text)) {
        range = {};
      } else if (token.Text == "[") {
        const std::size_t end = Closing(tokens, k);
        ReadRange(tokens, k, end, range);
        k = end;
      } else if (token.Kind == TokenKind::Name && !IsVerilogTypeWord(token.Text)) {
        result.Ports.push_back(PortAt(token, range));
        afterName = true;
      }
    }
    return;
  }

  // Names in the header, directions and ranges in the body.
  std::unordered_map<std::string, std::size_t> byName;
  for (std::size_t k = i + 1; k < close; ++k) {
    if (tokens[k].Kind == TokenKind::Name &&
        (tokens[k - 1].Text == "(" || tokens[k - 1].Text == ",")) {
      byName.emplace(std::string(tokens[k].Text), result.Ports.size());
      result.Ports.push_back(PortAt(tokens[k], {}));
    }
  }
  for (std::size_t k = close + 1; k < tokens.size() && tokens[k].Text != "endmodule"; ++k) {
    if (!IsVerilogDirection(tokens[k].Text))
      continue;
    DeclaredPort range;
    for (++k; k < tokens.size() && tokens[k].Text != ";"; ++k) {
      if (tokens[k].Text == "[") {
        const std::size_t end = Closing(tokens, k);
        if (tokens[k - 1].Kind != TokenKind::Name || IsVerilogTypeWord(tokens[k - 1].Text) ||
            IsVerilogDirection(tokens[k - 1].Text)) {
          ReadRange(tokens, k, end, range);
        }
        k = end;
      } else if (tokens[k].Kind == TokenKind::Name && !IsVerilogTypeWord(tokens[k].Text)) {
        if (const auto found = byName.find(std::string(tokens[k].Text)); found != byName.end()) {
          DeclaredPort& port = result.Ports[found->second];
          port.Bus = range.Bus;
          port.RangeKnown = range.RangeKnown;
          port.First = range.First;
          port.Last = range.Last;
        }
      }
    }
  }
}

void ReadVhdlPorts(const std::vector<Token>& tokens, std::size_t entityAt, DeclaredPorts& result) {
  std::size_t i = entityAt + 3;
  auto clause = [&](std::string_view word) {
    return i + 1 < tokens.size() && Is(tokens[i], word, true) && tokens[i + 1].Text == "(";
  };
  if (clause("generic"))
    i = Closing(tokens, i + 1) + 2;
  if (!clause("port"))
    return;
  const std::size_t close = Closing(tokens, i + 1);
  std::size_t k = i + 2;
  while (k < close) {
    // names : [mode] type ;
    std::vector<const Token*> names;
    for (; k < close && tokens[k].Text != ":"; ++k) {
      if (tokens[k].Kind == TokenKind::Name && !Is(tokens[k], "signal", true))
        names.push_back(&tokens[k]);
    }
    DeclaredPort range;
    for (++k; k < close && tokens[k].Text != ";"; ++k) {
      if (tokens[k].Text != "(")
        continue;
      const std::size_t end = Closing(tokens, k);
      range.Bus = true;
      if (end == k + 4 && (Is(tokens[k + 2], "downto", true) || Is(tokens[k + 2], "to", true))) {
        const std::optional<std::int64_t> first = NumberOf(tokens[k + 1]);
        const std::optional<std::int64_t> last = NumberOf(tokens[k + 3]);
        if (first && last) {
          range.RangeKnown = true;
          range.First = *first;
          range.Last = *last;
        }
      }
      k = end;
    }
    ++k;
    for (const Token* name : names)
      result.Ports.push_back(PortAt(*name, range));
  }
}

}  // namespace

DeclaredPorts ReadDeclaredPorts(std::string_view text, HdlLanguage language,
                                std::string_view wanted, std::string_view file) {
  const bool vhdl = language == HdlLanguage::Vhdl;
  const std::vector<Token> tokens = Tokens(text, vhdl);
  std::optional<std::size_t> chosen;
  for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
    const bool unit = vhdl ? Is(tokens[i], "entity", true) && i + 2 < tokens.size() &&
                                 Is(tokens[i + 2], "is", true)
                           : tokens[i].Text == "module" || tokens[i].Text == "macromodule";
    if (!unit || tokens[i + 1].Kind != TokenKind::Name)
      continue;
    if (!chosen)
      chosen = i;
    if (!wanted.empty() && Is(tokens[i + 1], wanted, vhdl)) {
      chosen = i;
      break;
    }
  }
  DeclaredPorts result;
  result.File = file;
  if (!chosen) {
    result.Problem.emplace();
    result.Problem->File = result.File;
    result.Problem->Message = vhdl ? "no entity found" : "no module found";
    return result;
  }
  result.Unit = std::string(tokens[*chosen + 1].Text);
  if (vhdl)
    ReadVhdlPorts(tokens, *chosen, result);
  else
    ReadVerilogPorts(tokens, *chosen, result);
  return result;
}

std::optional<HdlLanguage> HdlLanguageOfFile(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos)
    return std::nullopt;
  const std::string extension = FoldCase(path.substr(dot));
  if (extension == ".v")
    return HdlLanguage::Verilog;
  if (extension == ".sv")
    return HdlLanguage::SystemVerilog;
  if (extension == ".vhd" || extension == ".vhdl")
    return HdlLanguage::Vhdl;
  return std::nullopt;
}

}  // namespace pinwright
