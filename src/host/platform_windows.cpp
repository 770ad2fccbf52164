// The operating-system pieces on Windows. The program holds text as UTF-8; every call that
// takes or gives a path uses the wide-character API, so that a folder such as
// C:\Users\Jürgen works whatever the system's ANSI code page is.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h:
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdint>
#include <ctime>
#include <string_view>

#include "host/platform.h"

namespace pinwright::platform {
namespace {

std::wstring Wide(std::string_view text) {
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty())
    return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}

// The system's message for an error code, without the line end it comes with.
std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = length ? Utf8(std::wstring_view(buffer, length)) : std::string();
  LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  if (text.empty())
    text = "system error " + std::to_string(code);
  return text;
}

}  // namespace

std::string ExecutableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
      return ".\\";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // cut short: try again with more room
  }
  const std::size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? ".\\" : Utf8(std::wstring_view(path).substr(0, cut + 1));
}

LocalDateTime LocalTime(std::time_t instant) {
  std::tm local{};
  localtime_s(&local, &instant);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::FILE* CreateNewFile(const std::string& path, std::string& reason) {
  HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    reason = SystemMessage(GetLastError());
    return nullptr;
  }
  const int descriptor =
      _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (descriptor == -1) {
    CloseHandle(handle);
    reason = "cannot open the file for writing";
    return nullptr;
  }
  std::FILE* file = _fdopen(descriptor, "wb");
  if (!file) {
    _close(descriptor);
    reason = "cannot open the file for writing";
  }
  return file;
}

bool MoveIntoPlace(const std::string& source, const std::string& target, std::string& reason) {
  if (MoveFileExW(Wide(source).c_str(), Wide(target).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  reason = SystemMessage(GetLastError());
  return false;
}

std::vector<std::string> ProgramArguments(int, char**) {
  // argv holds the arguments in the ANSI code page, which loses every character outside it;
  // the wide command line holds them all.
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide && i < count; ++i)
    arguments.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

void PrepareConsole() {
  SetConsoleOutputCP(CP_UTF8);
}

}  // namespace pinwright::platform
