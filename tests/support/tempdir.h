// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/paths.h"

namespace pinwright::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return Root; }
  // The path of a file inside the folder, as the program's UTF-8 text.
  std::string File(const std::string& name) const {
    return Utf8FromPath(Root / PathFromUtf8(name));
  }
  // The folder with its trailing separator, as the host reports the executable's folder.
  std::string FolderWithSeparator() const { return Utf8FromPath(Root) + kFolderSeparator; }

 private:
  std::filesystem::path Root;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
// The names of everything in the folder, sorted.
std::vector<std::string> SortedFileNames(const std::filesystem::path& folder);

}  // namespace pinwright::testing
