// A text file assembled as a list of entries, each carrying its own line ends, and written
// in one piece.
#pragma once

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "host/failure.h"

namespace pinwright {

class FileGenerator {
 public:
  // An entry holds at most this many characters; longer formatted output is cut.
  static constexpr std::size_t kEntryLimit = 1023;

  // Takes ready text as one entry, cut at kEntryLimit.
  void AddLine(std::string_view text);
  // Makes room for this many bytes, so that a large file grows without copies.
  void Reserve(std::size_t bytes) { Buffer.reserve(bytes); }
  // Every entry in order, with nothing between them.
  const std::string& Text() const { return Buffer; }
  std::string TakeText() && { return std::move(Buffer); }

 protected:
  // One entry made of the pieces one after the other, cut at the same limit.
  void AddPieces(std::initializer_list<std::string_view> pieces);

  // The length of the entry the pieces make: their sum, cut at the limit.
  static std::size_t EntryLength(std::initializer_list<std::string_view> pieces);
  // Lengthens the text by length bytes, to be filled in by the caller: where they start.
  // Several entries made at once grow the text once.
  char* Grow(std::size_t length);
  // Copies the pieces one after the other to out, length bytes of them (EntryLength), and
  // returns where the copy ends.
  static char* Put(char* out, std::initializer_list<std::string_view> pieces, std::size_t length) {
    for (std::string_view piece : pieces) {
      const std::size_t kept = piece.size() < length ? piece.size() : length;
      if (kept > 0)
        std::memcpy(out, piece.data(), kept);
      out += kept;
      length -= kept;
    }
    return out;
  }

 private:
  // The entries stand one after the other in one buffer, which is the file's text: a report
  // has thousands of entries, and one buffer spares as many allocations.
  std::string Buffer;
};

}  // namespace pinwright
