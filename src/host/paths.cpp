#include "host/paths.h"

#include <algorithm>

namespace pinwright {
namespace {

constexpr std::string_view kSeparators = kFolderSeparator == '\\' ? "/\\" : "/";

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view text) {
  std::u8string units(text.size(), u8'\0');
  std::transform(text.begin(), text.end(), units.begin(),
                 [](char c) { return static_cast<char8_t>(c); });
  return std::filesystem::path(units);
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string units = path.u8string();
  std::string text(units.size(), '\0');
  std::transform(units.begin(), units.end(), text.begin(),
                 [](char8_t c) { return static_cast<char>(c); });
  return text;
}

std::string FileNameOf(std::string_view path) {
  const std::size_t cut = path.find_last_of(kSeparators);
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string FolderOf(std::string_view path) {
  const std::size_t cut = path.find_last_of(kSeparators);
  return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut + 1));
}

std::string ProjectNameOf(const std::string& qpfPath) {
  const std::string fileName = FileNameOf(qpfPath);
  return fileName.substr(0, fileName.rfind('.'));
}

std::string ProjectFilePath(const std::string& qpfPath, const std::string& extension) {
  const std::string fileName = FileNameOf(qpfPath);
  const std::size_t dot = fileName.rfind('.');
  const std::size_t cut =
      dot == std::string::npos ? qpfPath.size() : qpfPath.size() - (fileName.size() - dot);
  return qpfPath.substr(0, cut) + extension;
}

}  // namespace pinwright
