// Reads a Quartus settings file as Tcl splits it into commands and words, without running
// any of it: every word with the line and column it starts at, and the comments.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/diagnostic.h"

namespace pinwright {

struct TclWord {
  // The word after quote, brace and backslash handling. A variable or command substitution
  // stays as written, except that "[N]" with N an integer stays "[N]": Quartus reads
  // LED[0] as a name.
  std::string Text;
  std::uint32_t Line = 0;    // from 1
  std::uint32_t Column = 0;  // byte in the line, from 1
  // True when the word holds a substitution that only running Tcl could resolve.
  bool Substituted = false;
};

struct TclCommand {
  std::vector<TclWord> Words;  // never empty
};

struct TclComment {
  std::string Text;  // after the "#", up to the line end (a line end without its CR)
  std::uint32_t Line = 0;
  std::uint32_t Column = 0;
  std::size_t CommandsBefore = 0;  // how many commands stand before it
};

struct TclScript {
  std::vector<TclCommand> Commands;
  std::vector<TclComment> Comments;
  // Set when the text is no complete Tcl script: an error at the fault, in Tcl's own words
  // (e.g. "missing close-brace"), without a rule. The commands before the fault are kept.
  std::optional<Diagnostic> Error;
};

// The words of the text; file names the text in the error, if there is one.
TclScript ReadTclWords(std::string_view text, std::string_view file = {});

}  // namespace pinwright
