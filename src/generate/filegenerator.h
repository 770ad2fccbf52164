// A text file assembled as a list of entries, each carrying its own line ends, and written
// in one piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/failure.h"

namespace pinwright {

class FileGenerator {
 public:
  // An entry holds at most this many characters; longer formatted output is cut.
  static constexpr std::size_t kEntryLimit = 1023;

  // Formats printf-style into one entry.
  void AddLine(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Takes ready text as one entry, cut at the same limit as formatted output.
  void AddLine(std::string_view text);
  // Makes room for this many bytes and entries, so that a large file grows without copies.
  void Reserve(std::size_t bytes, std::size_t entries) {
    Buffer.reserve(bytes);
    Ends.reserve(entries);
  }
  // The entries, one string each.
  std::vector<std::string> Lines() const;
  // Every entry in order, with nothing between them.
  const std::string& Text() const { return Buffer; }
  std::string TakeText() && { return std::move(Buffer); }
  // Replaces the file: deletes an old one, creates a missing folder, writes every entry.
  // Returns false on any failure and shows nothing.
  bool SaveToFile(const std::string& path) const;

 protected:
  // One entry made of the pieces one after the other, cut at the same limit.
  void AddPieces(std::initializer_list<std::string_view> pieces);

 private:
  // The entries stand one after the other in one buffer, which is the file's text; Ends
  // holds where each ends. A report has thousands of entries, and one buffer spares as many
  // allocations.
  std::string Buffer;
  // Four bytes an entry: a report is far below 4 GB.
  std::vector<std::uint32_t> Ends;
};

// The writing of a report: create a missing folder, keep an edited old report as a numbered
// backup (its path goes into backup; a report equal to unedited, when given, is no edit),
// delete the old file, write all or nothing. A failure
// carries the path and no reason, the report having no failure message of its own; its
// SystemMessage names the file with the system's reason.
Status SaveReportFile(const std::string& path, const std::string& text,
                      std::string* backup = nullptr, const std::string* unedited = nullptr);

}  // namespace pinwright
