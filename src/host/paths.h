// Paths as the program holds them: UTF-8 text. These turn such text into the file system's
// own path type and back (wide characters on Windows, bytes elsewhere), and into the form a
// user of the system reads.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pinwright {

// The system's own folder separator: '\' on Windows, '/' elsewhere.
inline constexpr char kFolderSeparator =
    static_cast<char>(std::filesystem::path::preferred_separator);

std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);

// The file name of a path given as UTF-8 text, without its folder.
std::string FileNameOf(std::string_view path);

// The folder part of a path with its trailing separator; empty for a bare file name. '/'
// separates everywhere, '\' on Windows as well.
std::string FolderOf(std::string_view path);

// The chosen project path's file name without folder and extension: the module, the
// revision and the top-level entity are named after it.
std::string ProjectNameOf(const std::string& qpfPath);
// The project path with its extension replaced, e.g. ".qsf" (demo.txt gives demo.qsf).
std::string ProjectFilePath(const std::string& qpfPath, const std::string& extension);

}  // namespace pinwright
