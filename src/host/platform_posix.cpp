// The operating-system pieces on Linux and other POSIX systems, where paths are bytes and
// the program takes them as UTF-8 unchanged.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "host/platform.h"

namespace pinwright::platform {

std::string ExecutableFolder() {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  std::filesystem::path folder = error ? std::filesystem::current_path(error) : exe.parent_path();
  std::string text = folder.string();
  if (text.empty() || text.back() != '/')
    text += '/';
  return text;
}

LocalDateTime LocalTime(std::time_t instant) {
  std::tm local{};
  localtime_r(&instant, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::FILE* CreateNewFile(const std::string& path, std::string& reason) {
  // "x": fails when a file of that name exists.
  std::FILE* file = std::fopen(path.c_str(), "wbx");
  if (!file)
    reason = std::strerror(errno);
  return file;
}

bool MoveIntoPlace(const std::string& source, const std::string& target, std::string& reason) {
  // rename() replaces the target atomically.
  if (std::rename(source.c_str(), target.c_str()) == 0)
    return true;
  reason = std::strerror(errno);
  return false;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void PrepareConsole() {}

}  // namespace pinwright::platform
