#include "generate/filegenerator.h"

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "host/filewrite.h"

namespace pinwright {

void FileGenerator::AddLine(const char* format, ...) {
  char buffer[kEntryLimit + 1];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  Entries.emplace_back(length < 0 ? "" : buffer);
}

void FileGenerator::AddLine(std::string text) {
  if (text.size() > kEntryLimit)
    text.resize(kEntryLimit);
  Entries.push_back(std::move(text));
}

std::string FileGenerator::Text() const {
  std::size_t size = 0;
  for (const std::string& entry : Entries)
    size += entry.size();
  std::string text;
  text.reserve(size);
  for (const std::string& entry : Entries)
    text += entry;
  return text;
}

bool FileGenerator::SaveToFile(const std::string& path) const {
  return SaveReportFile(path, Text()).Ok();
}

Status SaveReportFile(const std::string& path, const std::string& text, std::string* backup) {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
    std::filesystem::create_directories(folder, error);
    if (error) {
      return Failure{FailureKind::CannotCreate,
                     path,
                     {},
                     "Cannot create folder " + folder.string() + ": " + error.message()};
    }
  }
  // An old report goes first, so that a failed write leaves none behind; an edited one is
  // kept as a numbered backup before that. Anything but a regular file is refused.
  WriteOptions options;
  options.KeepEdits = true;
  options.RemoveOldFirst = true;
  return WriteFileAtomically(path, text, options, backup);
}

}  // namespace pinwright
