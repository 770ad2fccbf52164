#include "model/hdlwords.h"

#include <algorithm>
#include <array>
#include <span>

namespace pinwright {
namespace {

// The reserved words of Verilog-2001.
// clang-format off
constexpr std::array<std::string_view, 123> kVerilogKeywords = {
    "always", "and", "assign", "automatic", "begin", "buf", "bufif0", "bufif1", "case", "casex",
    "casez", "cell", "cmos", "config", "deassign", "default", "defparam", "design", "disable",
    "edge", "else", "end", "endcase", "endconfig", "endfunction", "endgenerate", "endmodule",
    "endprimitive", "endspecify", "endtable", "endtask", "event", "for", "force", "forever",
    "fork", "function", "generate", "genvar", "highz0", "highz1", "if", "ifnone", "incdir",
    "include", "initial", "inout", "input", "instance", "integer", "join", "large", "liblist",
    "library", "localparam", "macromodule", "medium", "module", "nand", "negedge", "nmos", "nor",
    "noshowcancelled", "not", "notif0", "notif1", "or", "output", "parameter", "pmos", "posedge",
    "primitive", "pull0", "pull1", "pulldown", "pullup", "pulsestyle_ondetect",
    "pulsestyle_onevent", "rcmos", "real", "realtime", "reg", "release", "repeat", "rnmos",
    "rpmos", "rtran", "rtranif0", "rtranif1", "scalared", "showcancelled", "signed", "small",
    "specify", "specparam", "strong0", "strong1", "supply0", "supply1", "table", "task", "time",
    "tran", "tranif0", "tranif1", "tri", "tri0", "tri1", "triand", "trior", "trireg", "unsigned",
    "use", "vectored", "wait", "wand", "weak0", "weak1", "while", "wire", "wor", "xnor", "xor",
};
// clang-format on

// The keywords of SystemVerilog (IEEE 1800-2017), Verilog's among them.
// clang-format off
constexpr std::array<std::string_view, 248> kSystemVerilogKeywords = {
    "accept_on", "alias", "always", "always_comb", "always_ff", "always_latch", "and", "assert",
    "assign", "assume", "automatic", "before", "begin", "bind", "bins", "binsof", "bit", "break",
    "buf", "bufif0", "bufif1", "byte", "case", "casex", "casez", "cell", "chandle", "checker",
    "class", "clocking", "cmos", "config", "const", "constraint", "context", "continue", "cover",
    "covergroup", "coverpoint", "cross", "deassign", "default", "defparam", "design", "disable",
    "dist", "do", "edge", "else", "end", "endcase", "endchecker", "endclass", "endclocking",
    "endconfig", "endfunction", "endgenerate", "endgroup", "endinterface", "endmodule",
    "endpackage", "endprimitive", "endprogram", "endproperty", "endsequence", "endspecify",
    "endtable", "endtask", "enum", "event", "eventually", "expect", "export", "extends", "extern",
    "final", "first_match", "for", "force", "foreach", "forever", "fork", "forkjoin", "function",
    "generate", "genvar", "global", "highz0", "highz1", "if", "iff", "ifnone", "ignore_bins",
    "illegal_bins", "implements", "implies", "import", "incdir", "include", "initial", "inout",
    "input", "inside", "instance", "int", "integer", "interconnect", "interface", "intersect",
    "join", "join_any", "join_none", "large", "let", "liblist", "library", "local", "localparam",
    "logic", "longint", "macromodule", "matches", "medium", "modport", "module", "nand", "negedge",
    "nettype", "new", "nexttime", "nmos", "nor", "noshowcancelled", "not", "notif0", "notif1",
    "null", "or", "output", "package", "packed", "parameter", "pmos", "posedge", "primitive",
    "priority", "program", "property", "protected", "pull0", "pull1", "pulldown", "pullup",
    "pulsestyle_ondetect", "pulsestyle_onevent", "pure", "rand", "randc", "randcase",
    "randsequence", "rcmos", "real", "realtime", "ref", "reg", "reject_on", "release", "repeat",
    "restrict", "return", "rnmos", "rpmos", "rtran", "rtranif0", "rtranif1", "s_always",
    "s_eventually", "s_nexttime", "s_until", "s_until_with", "scalared", "sequence", "shortint",
    "shortreal", "showcancelled", "signed", "small", "soft", "solve", "specify", "specparam",
    "static", "string", "strong", "strong0", "strong1", "struct", "super", "supply0", "supply1",
    "sync_accept_on", "sync_reject_on", "table", "tagged", "task", "this", "throughout", "time",
    "timeprecision", "timeunit", "tran", "tranif0", "tranif1", "tri", "tri0", "tri1", "triand",
    "trior", "trireg", "type", "typedef", "union", "unique", "unique0", "unsigned", "until",
    "until_with", "untyped", "use", "uwire", "var", "vectored", "virtual", "void", "wait",
    "wait_order", "wand", "weak", "weak0", "weak1", "while", "wildcard", "wire", "with", "within",
    "wor", "xnor", "xor",
};
// clang-format on

// The reserved words of VHDL-2008, in small letters; VHDL ignores letter case.
// clang-format off
constexpr std::array<std::string_view, 115> kVhdlReservedWords = {
    "abs", "access", "after", "alias", "all", "and", "architecture", "array", "assert", "assume",
    "assume_guarantee", "attribute", "begin", "block", "body", "buffer", "bus", "case",
    "component", "configuration", "constant", "context", "cover", "default", "disconnect",
    "downto", "else", "elsif", "end", "entity", "exit", "fairness", "file", "for", "force",
    "function", "generate", "generic", "group", "guarded", "if", "impure", "in", "inertial",
    "inout", "is", "label", "library", "linkage", "literal", "loop", "map", "mod", "nand", "new",
    "next", "nor", "not", "null", "of", "on", "open", "or", "others", "out", "package",
    "parameter", "port", "postponed", "procedure", "process", "property", "protected", "pure",
    "range", "record", "register", "reject", "release", "rem", "report", "restrict",
    "restrict_guarantee", "return", "rol", "ror", "select", "sequence", "severity", "shared",
    "signal", "sla", "sll", "sra", "srl", "strong", "subtype", "then", "to", "transport", "type",
    "unaffected", "units", "until", "use", "variable", "vmode", "vprop", "vunit", "wait", "when",
    "while", "with", "xnor", "xor",
};
// clang-format on

static_assert(std::is_sorted(kVerilogKeywords.begin(), kVerilogKeywords.end()) &&
                  std::is_sorted(kSystemVerilogKeywords.begin(), kSystemVerilogKeywords.end()) &&
                  std::is_sorted(kVhdlReservedWords.begin(), kVhdlReservedWords.end()),
              "the word tables are searched by halves");

// Every word of the tables starts with a small letter: a name that does not is none of them,
// and most port names are written in capitals.
constexpr bool StartsWithSmallLetter(std::span<const std::string_view> words) {
  for (const std::string_view word : words) {
    if (word.empty() || word.front() < 'a' || word.front() > 'z')
      return false;
  }
  return true;
}
static_assert(StartsWithSmallLetter(kVerilogKeywords) &&
                  StartsWithSmallLetter(kSystemVerilogKeywords) &&
                  StartsWithSmallLetter(kVhdlReservedWords),
              "the word tables are passed over for a name without a small first letter");

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsVerilogIdentifierText(std::string_view text) {
  if (text.empty() || !(IsLetter(text.front()) || text.front() == '_'))
    return false;
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return IsLetter(c) || IsDigit(c) || c == '_'; });
}

bool IsVhdlIdentifierText(std::string_view text) {
  if (text.empty() || !IsLetter(text.front()) || text.back() == '_')
    return false;
  if (text.find("__") != std::string_view::npos)
    return false;
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return IsLetter(c) || IsDigit(c) || c == '_'; });
}

bool Contains(std::span<const std::string_view> words, std::string_view word) {
  if (word.empty() || word.front() < 'a' || word.front() > 'z')
    return false;
  return std::binary_search(words.begin(), words.end(), word);
}

}  // namespace

bool IsVerilogIdentifier(std::string_view text) {
  return IsVerilogIdentifierText(text);
}
bool IsVhdlIdentifier(std::string_view text) {
  return IsVhdlIdentifierText(text);
}
bool IsVerilogKeyword(std::string_view word) {
  return Contains(kVerilogKeywords, word);
}
bool IsSystemVerilogKeyword(std::string_view word) {
  return Contains(kSystemVerilogKeywords, word);
}
bool IsVhdlReservedWord(std::string_view smallLetters) {
  return Contains(kVhdlReservedWords, smallLetters);
}

}  // namespace pinwright
