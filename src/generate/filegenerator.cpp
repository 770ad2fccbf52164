#include "generate/filegenerator.h"

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "host/filewrite.h"
#include "host/paths.h"

namespace pinwright {

void FileGenerator::AddLine(const char* format, ...) {
  char buffer[kEntryLimit + 1];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  AddLine(length < 0 ? std::string_view() : std::string_view(buffer));
}

void FileGenerator::AddLine(std::string_view text) {
  Buffer.append(text.substr(0, kEntryLimit));
  Ends.push_back(static_cast<std::uint32_t>(Buffer.size()));
}

void FileGenerator::AddPieces(std::initializer_list<std::string_view> pieces) {
  std::size_t room = kEntryLimit;
  for (std::string_view piece : pieces) {
    const std::string_view kept = piece.substr(0, room);
    Buffer.append(kept);
    room -= kept.size();
  }
  Ends.push_back(static_cast<std::uint32_t>(Buffer.size()));
}

std::vector<std::string> FileGenerator::Lines() const {
  std::vector<std::string> lines;
  lines.reserve(Ends.size());
  std::size_t start = 0;
  for (const std::size_t end : Ends) {
    lines.push_back(Buffer.substr(start, end - start));
    start = end;
  }
  return lines;
}

bool FileGenerator::SaveToFile(const std::string& path) const {
  return SaveReportFile(path, Text()).Ok();
}

Status SaveReportFile(const std::string& path, const std::string& text, std::string* backup,
                      const std::string* unedited) {
  std::error_code error;
  const std::filesystem::path folder = PathFromUtf8(path).parent_path();
  if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
    std::filesystem::create_directories(folder, error);
    if (error) {
      return Failure{FailureKind::CannotCreate,
                     path,
                     {},
                     "Cannot create folder " + Utf8FromPath(folder) + ": " + error.message()};
    }
  }
  // An old report goes first, so that a failed write leaves none behind; an edited one is
  // kept as a numbered backup before that. Anything but a regular file is refused.
  WriteOptions options;
  options.KeepEdits = true;
  options.RemoveOldFirst = true;
  options.Unedited = unedited;
  return WriteFileAtomically(path, text, options, backup);
}

}  // namespace pinwright
