// A text file assembled as a list of entries, each carrying its own line ends, and written
// in one piece.
#pragma once

#include <cstddef>
#include <string>
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
  void AddLine(std::string text);
  const std::vector<std::string>& Lines() const { return Entries; }
  // Every entry in order, with nothing between them.
  std::string Text() const;
  // Replaces the file: deletes an old one, creates a missing folder, writes every entry.
  // Returns false on any failure and shows nothing.
  bool SaveToFile(const std::string& path) const;

 private:
  std::vector<std::string> Entries;
};

// The writing of a report: create a missing folder, keep an edited old report as a numbered
// backup (its path goes into backup), delete the old file, write all or nothing. A failure
// carries the path and no reason, the report having no failure message of its own; its
// SystemMessage names the file with the system's reason.
Status SaveReportFile(const std::string& path, const std::string& text,
                      std::string* backup = nullptr);

}  // namespace pinwright
