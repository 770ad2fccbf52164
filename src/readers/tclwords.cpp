#include "readers/tclwords.h"

#include <cstddef>
#include <utility>

namespace pinwright {
namespace {

// The blanks that separate words; a line end ends the command instead.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// How deep brackets and array indices may nest. Each level is a few frames of this reader's
// own recursion, so a text of thousands of "[" would otherwise run it out of stack; no
// settings file nests more than a few.
constexpr int kMaxNesting = 100;

int HexValue(char c) {
  if (c >= 'a')
    return c - 'a' + 10;
  if (c >= 'A')
    return c - 'A' + 10;
  return c - '0';
}

bool IsWordCharacter(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// What Tcl takes as an integer word (decimal, 0x, 0o, 0b, or a leading 0 for octal, with an
// optional sign and blanks around), within 32 bits.
bool IsTclInteger(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\n'))
    text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\n'))
    text.remove_suffix(1);
  if (!text.empty() && (text.front() == '+' || text.front() == '-'))
    text.remove_prefix(1);
  if (text.empty())
    return false;
  int base = 10;
  if (text.size() > 1 && text[0] == '0') {
    const char mark = static_cast<char>(text[1] | 0x20);
    base = mark == 'x' ? 16 : mark == 'o' ? 8 : mark == 'b' ? 2 : 8;
    text.remove_prefix(mark == 'x' || mark == 'o' || mark == 'b' ? 2 : 1);
    if (text.empty())
      return false;
  }
  std::uint64_t value = 0;
  for (const char c : text) {
    const int digit = IsHexDigit(c) ? HexValue(c) : 99;
    if (digit >= base)
      return false;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFFFFFFu)
      return false;
  }
  return true;
}

class Reader {
 public:
  explicit Reader(std::string_view text) : S(text) {}

  TclScript Read() {
    TclScript script;
    if (!ParseScript(false, 0, script.Commands, &script.Comments))
      script.Error = std::move(Error);
    return script;
  }

 private:
  enum class Until { Blank, Quote, Paren };

  std::string_view S;
  std::size_t P = 0;
  std::size_t CursorOffset = 0;
  std::uint32_t CursorLine = 1;
  std::size_t CursorLineStart = 0;
  int Depth = 0;  // brackets and array indices open around the position
  std::optional<Diagnostic> Error;

  bool AtEnd() const { return P >= S.size(); }

  // Line and column of an offset; offsets are mostly asked for in rising order.
  void Locate(std::size_t offset, std::uint32_t& line, std::uint32_t& column) {
    if (offset < CursorOffset) {
      CursorOffset = 0;
      CursorLine = 1;
      CursorLineStart = 0;
    }
    for (; CursorOffset < offset; ++CursorOffset) {
      if (S[CursorOffset] == '\n') {
        ++CursorLine;
        CursorLineStart = CursorOffset + 1;
      }
    }
    line = CursorLine;
    column = static_cast<std::uint32_t>(offset - CursorLineStart + 1);
  }

  bool Fail(std::size_t at, const char* message) {
    if (!Error) {
      Diagnostic error;
      error.Message = message;
      Locate(at, error.Line, error.Column);
      Error = std::move(error);
    }
    return false;
  }

  // Blanks and backslash-newlines (with the blanks after them).
  void SkipBlanks() {
    while (!AtEnd()) {
      if (IsBlank(S[P])) {
        ++P;
      } else if (S[P] == '\\' && P + 1 < S.size() && S[P + 1] == '\n') {
        P += 2;
      } else {
        break;
      }
    }
  }

  bool EndsCommand(char c, bool nested) const {
    return c == '\n' || c == ';' || (nested && c == ']');
  }

  // Commands up to the end of the text, or up to the "]" that closes a nested script.
  bool ParseScript(bool nested, std::size_t openAt, std::vector<TclCommand>& commands,
                   std::vector<TclComment>* comments) {
    for (;;) {
      SkipBlanks();
      if (AtEnd())
        return nested ? Fail(openAt, "missing close-bracket") : true;
      const char c = S[P];
      if (c == '\n' || c == ';') {
        ++P;
        continue;
      }
      if (nested && c == ']') {
        ++P;
        return true;
      }
      if (c == '#') {
        ParseComment(comments, commands.size());
        continue;
      }
      TclCommand command;
      for (;;) {
        TclWord word;
        if (!ParseWord(nested, word))
          return false;
        command.Words.push_back(std::move(word));
        SkipBlanks();
        if (AtEnd() || (nested && S[P] == ']'))
          break;
        if (S[P] == '\n' || S[P] == ';') {
          ++P;
          break;
        }
      }
      commands.push_back(std::move(command));
    }
  }

  // From "#" to the line end; a backslash-newline carries the comment on.
  void ParseComment(std::vector<TclComment>* comments, std::size_t commandsBefore) {
    const std::size_t start = P;
    std::size_t end = S.size();
    ++P;
    while (!AtEnd()) {
      if (S[P] == '\\') {
        P += P + 1 < S.size() ? 2 : 1;
      } else if (S[P++] == '\n') {
        end = P - 1;
        break;
      }
    }
    if (!comments)
      return;
    TclComment comment;
    std::size_t textEnd = end;
    if (textEnd > start + 1 && S[textEnd - 1] == '\r')
      --textEnd;
    comment.Text = std::string(S.substr(start + 1, textEnd - start - 1));
    comment.CommandsBefore = commandsBefore;
    Locate(start, comment.Line, comment.Column);
    comments->push_back(std::move(comment));
  }

  bool ParseWord(bool nested, TclWord& word) {
    const std::size_t start = P;
    Locate(start, word.Line, word.Column);
    // "{*}" before more of the word expands it into several words when run.
    if (S.substr(P, 3) == "{*}" && P + 3 < S.size() && !IsBlank(S[P + 3]) && S[P + 3] != '\n') {
      word.Substituted = true;
      P += 3;
    }
    if (AtEnd())
      return true;
    if (S[P] == '"') {
      ++P;
      if (!ParsePieces(Until::Quote, nested, word))
        return false;
      if (AtEnd())
        return Fail(start, "missing \"");
      ++P;
      return CheckWordEnd(nested, "extra characters after close-quote");
    }
    if (S[P] == '{') {
      if (!ParseBraces(word.Text))
        return false;
      return CheckWordEnd(nested, "extra characters after close-brace");
    }
    return ParsePieces(Until::Blank, nested, word);
  }

  bool CheckWordEnd(bool nested, const char* message) {
    if (AtEnd() || IsBlank(S[P]) || EndsCommand(S[P], nested))
      return true;
    if (S[P] == '\\' && P + 1 < S.size() && S[P + 1] == '\n')
      return true;
    return Fail(P, message);
  }

  // The text of a bare word, a quoted word or an array index, with its substitutions.
  bool ParsePieces(Until until, bool nested, TclWord& word) {
    while (!AtEnd()) {
      const char c = S[P];
      if (until == Until::Blank && (IsBlank(c) || EndsCommand(c, nested)))
        return true;
      if (until == Until::Quote && c == '"')
        return true;
      if (until == Until::Paren && c == ')')
        return true;
      if (c == '$') {
        if (!ParseVariable(nested, word))
          return false;
      } else if (c == '[') {
        if (!ParseBracket(word))
          return false;
      } else if (c == '\\') {
        if (until == Until::Blank && P + 1 < S.size() && S[P + 1] == '\n')
          return true;  // a backslash-newline separates words
        ParseBackslash(word.Text);
      } else {
        word.Text += c;
        ++P;
      }
    }
    return true;
  }

  bool ParseBraces(std::string& out) {
    const std::size_t open = P;
    int depth = 1;
    ++P;
    while (!AtEnd()) {
      const char c = S[P];
      if (c == '{') {
        ++depth;
      } else if (c == '}' && --depth == 0) {
        ++P;
        return true;
      } else if (c == '\\') {
        if (P + 1 < S.size() && S[P + 1] == '\n') {
          P += 2;
          while (!AtEnd() && (S[P] == ' ' || S[P] == '\t'))
            ++P;
          out += ' ';
          continue;
        }
        out += c;
        ++P;
        if (AtEnd())
          break;
        out += S[P++];
        continue;
      }
      out += c;
      ++P;
    }
    return Fail(open, "missing close-brace");
  }

  std::uint32_t ReadHex(std::size_t maxDigits, std::size_t& taken) {
    std::uint32_t value = 0;
    taken = 0;
    while (taken < maxDigits && !AtEnd() && IsHexDigit(S[P]) && value <= 0x10FFF) {
      value = value << 4 | static_cast<std::uint32_t>(HexValue(S[P]));
      ++P;
      ++taken;
    }
    return value;
  }

  void ParseBackslash(std::string& out) {
    ++P;
    if (AtEnd()) {
      out += '\\';
      return;
    }
    const char c = S[P++];
    std::size_t taken = 0;
    switch (c) {
      case 'a':
        out += '\a';
        return;
      case 'b':
        out += '\b';
        return;
      case 'f':
        out += '\f';
        return;
      case 'n':
        out += '\n';
        return;
      case 'r':
        out += '\r';
        return;
      case 't':
        out += '\t';
        return;
      case 'v':
        out += '\v';
        return;
      case '\n':
        while (!AtEnd() && (S[P] == ' ' || S[P] == '\t'))
          ++P;
        out += ' ';
        return;
      case 'x':
      case 'u':
      case 'U': {
        const std::size_t maxDigits = c == 'x' ? 2 : c == 'u' ? 4 : 8;
        std::uint32_t code = ReadHex(maxDigits, taken);
        if (taken == 0) {
          out += c;
          return;
        }
        if (c == 'U' && (code | 0x7FF) == 0xDFFF)
          code = 0xFFFD;
        AppendUtf8(out, code);
        return;
      }
      default:
        break;
    }
    if (c >= '0' && c <= '7') {
      std::uint32_t code = static_cast<std::uint32_t>(c - '0');
      if (!AtEnd() && S[P] >= '0' && S[P] <= '7') {
        code = code * 8 + static_cast<std::uint32_t>(S[P++] - '0');
        if (!AtEnd() && S[P] >= '0' && S[P] <= '7' && code < 040)
          code = code * 8 + static_cast<std::uint32_t>(S[P++] - '0');
      }
      AppendUtf8(out, code);
      return;
    }
    out += c;
  }

  // "$name", "$ns::name", "$name(index)" or "${name}"; a "$" that starts none of them is
  // itself.
  bool ParseVariable(bool nested, TclWord& word) {
    const std::size_t start = P;
    ++P;
    if (!AtEnd() && S[P] == '{') {
      const std::size_t close = S.find('}', P);
      if (close == std::string_view::npos)
        return Fail(start, "missing close-brace for variable name");
      P = close + 1;
    } else {
      const std::size_t nameStart = P;
      while (!AtEnd()) {
        if (IsWordCharacter(S[P])) {
          ++P;
        } else if (S[P] == ':' && P + 1 < S.size() && S[P + 1] == ':') {
          while (!AtEnd() && S[P] == ':')
            ++P;
        } else {
          break;
        }
      }
      if (P == nameStart) {
        word.Text += '$';
        return true;
      }
      if (!AtEnd() && S[P] == '(') {
        if (Depth >= kMaxNesting)
          return Fail(P, "nesting too deep");
        ++P;
        TclWord index;
        ++Depth;
        const bool read = ParsePieces(Until::Paren, nested, index);
        --Depth;
        if (!read)
          return false;
        if (AtEnd())
          return Fail(start, "missing )");
        ++P;
      }
    }
    word.Text += S.substr(start, P - start);
    word.Substituted = true;
    return true;
  }

  // "[script]": only running it gives its value, except "[N]" for an integer N, which
  // Quartus keeps as the bus index it is.
  bool ParseBracket(TclWord& word) {
    const std::size_t open = P;
    if (Depth >= kMaxNesting)
      return Fail(open, "nesting too deep");
    ++P;
    std::vector<TclCommand> inner;
    ++Depth;
    const bool read = ParseScript(true, open, inner, nullptr);
    --Depth;
    if (!read)
      return false;
    if (inner.size() == 1 && inner[0].Words.size() == 1 && !inner[0].Words[0].Substituted &&
        IsTclInteger(inner[0].Words[0].Text)) {
      word.Text += '[';
      word.Text += inner[0].Words[0].Text;
      word.Text += ']';
      return true;
    }
    word.Text += S.substr(open, P - open);
    word.Substituted = true;
    return true;
  }
};

}  // namespace

TclScript ReadTclWords(std::string_view text, std::string_view file) {
  TclScript script = Reader(text).Read();
  if (script.Error)
    script.Error->File = file;
  return script;
}

}  // namespace pinwright
