// A small JSON text builder: objects, arrays, strings, integers and booleans, indented two
// spaces a level. An object or array opened on one line keeps all its members on that line,
// so a list of small records reads (and diffs) one record a line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pinwright {

class TJsonWriter {
 public:
  // lineEnd ends every line, the last included: "\r\n" for a file, "\n" for a terminal.
  explicit TJsonWriter(std::string_view lineEnd = "\n");

  void BeginObject(bool oneLine = false);
  void EndObject();
  void BeginArray(bool oneLine = false);
  void EndArray();
  // Inside an object: the member's name; exactly one value follows.
  void Key(std::string_view name);
  void String(std::string_view text);
  void Number(std::int64_t value);
  void Bool(bool value);

  // The text; complete once the outermost object or array is closed.
  const std::string& Text() const { return Out; }

 private:
  struct Level {
    bool OneLine = false;
    bool Empty = true;
  };
  void BeforeValue();
  void Close(char bracket);
  void NewLine();

  std::string Out;
  std::string LineEnd;
  std::vector<Level> Levels;
  bool AfterKey = false;
};

// The text as a JSON string with its quotes. Control characters are escaped; bytes that do
// not form UTF-8 are read as Latin-1 (the settings hold 8-bit text), so the result is always
// valid JSON.
std::string JsonQuoted(std::string_view text);

}  // namespace pinwright
