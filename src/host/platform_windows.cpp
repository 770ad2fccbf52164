// The platform layer on Windows. The program holds paths as UTF-8; every call that takes or
// gives one uses the wide-character API, so that a folder such as C:\Users\Jürgen works
// whatever the system's ANSI code page is. Windows' error codes are turned into the errno
// values the layer speaks.
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

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <thread>

#include "host/platform.h"

namespace pinwright::platform {
namespace {

// The lock file a generation holds in its project folder. It goes when its last handle
// closes, so it is only there while a generation runs.
constexpr wchar_t kLockFileName[] = L".pinwright.lock";
constexpr int kTemporaryAttempts = 100;

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

// The errno value closest to a Windows error code.
int ErrnoOf(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CURRENT_DIRECTORY:
      return EACCES;
    case ERROR_LOCK_VIOLATION:
      return EWOULDBLOCK;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
      return EINVAL;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
      return ENOSYS;
    default:
      return EIO;
  }
}

int LastErrno() {
  return ErrnoOf(GetLastError());
}

bool IsMissing(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

// The errno value of a failure to make a file at path. Windows answers "path not found"
// where a folder of the path is in fact a file; the nearest existing folder of the path tells
// the two apart, so that the user reads "Not a directory" as on other systems.
int CreateErrno(const std::wstring& path, DWORD code) {
  if (code != ERROR_PATH_NOT_FOUND)
    return ErrnoOf(code);
  std::wstring part = path;
  for (;;) {
    while (!part.empty() && (part.back() == L'\\' || part.back() == L'/'))
      part.pop_back();
    const std::size_t cut = part.find_last_of(L"\\/");
    if (cut == std::wstring::npos)
      return ENOENT;
    part.resize(cut);
    const DWORD attributes = GetFileAttributesW(part.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
      return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ENOENT : ENOTDIR;
  }
}

// ---- The temporary file being written, for the console's interrupt handler -------------

// The handler runs on a thread of its own, so a mutex keeps it from removing the file while
// the program creates, renames or removes it.
std::mutex gLiveMutex;
std::wstring gLivePath;

void SetLive(const std::wstring& path) {
  std::lock_guard<std::mutex> hold(gLiveMutex);
  gLivePath = path;
}

void ClearLive() {
  std::lock_guard<std::mutex> hold(gLiveMutex);
  gLivePath.clear();
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
  // 128 plus the number of the POSIX signal of the same meaning, as on other systems.
  const UINT exitCode = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? 130 : 129;
  // Held until the process ends: nothing may start a new temporary file meanwhile.
  gLiveMutex.lock();
  if (!gLivePath.empty())
    DeleteFileW(gLivePath.c_str());
  ExitProcess(exitCode);
}

HANDLE OsHandle(int descriptor) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
}

// A C runtime descriptor for a Windows handle, which then owns it; -1 (and the handle
// closed) when none can be had.
int DescriptorOf(HANDLE handle, int flags) {
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
  if (descriptor == -1)
    CloseHandle(handle);
  return descriptor;
}

bool CloseDescriptor(int& descriptor, int& error) {
  if (descriptor < 0)
    return true;
  const int result = _close(descriptor);
  descriptor = -1;
  if (result != 0) {
    error = EIO;
    return false;
  }
  return true;
}

// Marks a file read-only when the permission bits have no write bit; Windows knows no other
// permission the layer's bits could carry.
bool ApplyPermissions(HANDLE handle, unsigned permissions, int& error) {
  if ((permissions & 0222) != 0)
    return true;
  FILE_BASIC_INFO info{};
  if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info)) {
    error = LastErrno();
    return false;
  }
  info.FileAttributes |= FILE_ATTRIBUTE_READONLY;
  if (!SetFileInformationByHandle(handle, FileBasicInfo, &info, sizeof info)) {
    error = LastErrno();
    return false;
  }
  return true;
}

std::size_t WriteAll(HANDLE handle, std::string_view bytes, int& error) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1u << 30));
    DWORD put = 0;
    if (!WriteFile(handle, bytes.data() + written, chunk, &put, nullptr) || put == 0) {
      error = put == 0 && GetLastError() == ERROR_SUCCESS ? EIO : LastErrno();
      break;
    }
    written += put;
  }
  return written;
}

Entry Examine(const std::string& path) {
  Entry entry;
  // Opening follows links and tells a disk file from a device or pipe ("NUL", "COM1", ...).
  HANDLE handle =
      CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (!IsMissing(code))
      entry.Error = ErrnoOf(code);
    return entry;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    entry.Kind = EntryKind::Other;
    entry.Permissions = 0666;
  } else if (!GetFileInformationByHandle(handle, &info)) {
    entry.Error = LastErrno();
  } else {
    entry.Kind =
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::Regular;
    entry.Permissions = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    if (entry.Kind == EntryKind::Regular)
      entry.Size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  }
  CloseHandle(handle);
  return entry;
}

bool ResolveLinks(const std::string& path, std::string& resolved, int& error) {
  resolved = path;
  const std::wstring wide = Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return true;  // no link: the path itself, or a file yet to be made
  // Where the link leads, as the system resolves it when the file is opened.
  HANDLE handle =
      CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (IsMissing(code))
      return true;  // a dangling link: the file it names is yet to be made
    error = ErrnoOf(code);
    return false;
  }
  std::wstring target(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(handle, target.data(), static_cast<DWORD>(target.size()),
                                           FILE_NAME_NORMALIZED);
  if (length >= target.size()) {
    target.resize(length + 1);
    length = GetFinalPathNameByHandleW(handle, target.data(), static_cast<DWORD>(target.size()),
                                       FILE_NAME_NORMALIZED);
  }
  const DWORD code = GetLastError();
  CloseHandle(handle);
  if (length == 0 || length >= target.size()) {
    error = ErrnoOf(code);
    return false;
  }
  target.resize(length);
  // "\\?\C:\..." and "\\?\UNC\server\..." back to the forms a user writes.
  if (target.starts_with(L"\\\\?\\UNC\\"))
    target = L"\\\\" + target.substr(8);
  else if (target.starts_with(L"\\\\?\\"))
    target = target.substr(4);
  resolved = Utf8(target);
  return true;
}

}  // namespace

Entry ExamineTarget(const std::string& path, std::string& target) {
  int error = 0;
  if (!ResolveLinks(path, target, error)) {
    Entry entry;
    entry.Error = error;
    return entry;
  }
  return Examine(target);
}

std::string ErrorText(int error) {
  return std::strerror(error);
}

ReadResult ReadRegularFile(const std::string& path, std::size_t maxBytes) {
  ReadResult result;
  HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    result.Error = ErrnoOf(code);
    result.Status = IsMissing(code) ? ReadStatus::Missing : ReadStatus::Failed;
    return result;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    result.Status = ReadStatus::NotRegular;
  } else if (!GetFileInformationByHandle(handle, &info)) {
    result.Error = LastErrno();
  } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    result.Status = ReadStatus::NotRegular;
  } else {
    result.Size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    // Room for the file as it stands and one byte more, which shows whether it grew; more
    // is taken only then, so a short file never costs a buffer of maxBytes.
    result.Bytes.resize(result.Size < maxBytes ? static_cast<std::size_t>(result.Size) + 1
                                               : maxBytes);
    std::size_t filled = 0;
    while (filled < maxBytes) {
      if (filled == result.Bytes.size())
        result.Bytes.resize(std::min(maxBytes, std::max<std::size_t>(2 * filled, 64 * 1024)));
      const DWORD chunk =
          static_cast<DWORD>(std::min<std::size_t>(result.Bytes.size() - filled, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(handle, result.Bytes.data() + filled, chunk, &got, nullptr)) {
        result.Error = LastErrno();
        break;
      }
      if (got == 0)
        break;
      filled += got;
    }
    result.Bytes.resize(filled);
    if (result.Error == 0)
      result.Status = ReadStatus::Read;
  }
  CloseHandle(handle);
  return result;
}

bool CreateTemporaryFile(const std::string& folder, TemporaryFile& file, int& error) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    std::string name = folder + ".pw-";
    for (int i = 0; i < 6; ++i)
      name += kLetters[pick(generator)];
    name += ".tmp";
    const std::wstring wide = Wide(name);
    // Registered before it exists, so that an interrupt right after creation finds it.
    SetLive(wide);
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE | GENERIC_READ, FILE_SHARE_READ,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD code = GetLastError();
      ClearLive();
      if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS)
        continue;
      error = CreateErrno(wide, code);
      return false;
    }
    const int descriptor = DescriptorOf(handle, _O_RDWR | _O_BINARY);
    if (descriptor == -1) {
      DeleteFileW(wide.c_str());
      ClearLive();
      error = EMFILE;
      return false;
    }
    file.Handle = descriptor;
    file.Path = name;
    return true;
  }
  error = EEXIST;
  return false;
}

std::size_t WriteBytes(TemporaryFile& file, std::string_view bytes, int& error) {
  return WriteAll(OsHandle(file.Handle), bytes, error);
}

bool SetPermissions(TemporaryFile& file, unsigned permissions, int& error) {
  return ApplyPermissions(OsHandle(file.Handle), permissions, error);
}

unsigned NewFilePermissions() {
  return 0666;
}

bool CloseTemporaryFile(TemporaryFile& file, int& error) {
  // WriteFile has handed every byte to the system already. No FlushFileBuffers: as on other
  // systems it would slow a generation down many times, and the move below puts the new
  // file in place only once it is complete either way.
  return CloseDescriptor(file.Handle, error);
}

bool CommitTemporaryFile(TemporaryFile& file, const std::string& target, int& error) {
  std::lock_guard<std::mutex> hold(gLiveMutex);
  // Replaces the target in one step and returns only once the move is on the disk.
  if (!MoveFileExW(Wide(file.Path).c_str(), Wide(target).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastErrno();
    return false;
  }
  gLivePath.clear();
  file.Path.clear();
  return true;
}

void DiscardTemporaryFile(TemporaryFile& file) {
  int ignored = 0;
  CloseDescriptor(file.Handle, ignored);
  if (file.Path.empty())
    return;
  std::lock_guard<std::mutex> hold(gLiveMutex);
  DeleteFileW(Wide(file.Path).c_str());
  gLivePath.clear();
  file.Path.clear();
}

bool RemoveUnheldTemporaryFile(const std::string& path) {
  // A file another process still has open (without sharing its deletion) cannot be deleted.
  return DeleteFileW(Wide(path).c_str()) != 0;
}

bool LinkFile(const std::string& existing, const std::string& newPath, int& error) {
  if (!CreateHardLinkW(Wide(newPath).c_str(), Wide(existing).c_str(), nullptr)) {
    error = LastErrno();
    return false;
  }
  return true;
}

bool CopyToNewFile(const std::string& existing, const std::string& newPath, unsigned, int& error) {
  // The copy takes the read-only mark of the file with it, which is all the permission
  // bits there are here.
  const std::wstring wide = Wide(newPath);
  if (!CopyFileW(Wide(existing).c_str(), wide.c_str(), TRUE)) {
    error = CreateErrno(wide, GetLastError());
    return false;
  }
  return true;
}

bool TakeOverAttributes(TemporaryFile&, const std::string&, int&) {
  // A new file takes its access rights from its folder, as the old one did.
  return true;
}

bool OverwriteFile(const std::string& path, std::string_view bytes, int& error) {
  HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = LastErrno();
    return false;
  }
  const bool whole = WriteAll(handle, bytes, error) == bytes.size();
  if (!CloseHandle(handle) && whole) {
    error = LastErrno();
    return false;
  }
  return whole;
}

NameLimits NameLimitsIn(const std::string&) {
  // 255 wide characters a name and 32,767 a path; a UTF-8 byte count is never smaller.
  return {255, 32767};
}

bool RemoveFile(const std::string& path, int& error) {
  if (!DeleteFileW(Wide(path).c_str()) && !IsMissing(GetLastError())) {
    error = LastErrno();
    return false;
  }
  return true;
}

FolderLock::~FolderLock() {
  if (Handle >= 0)
    _close(Handle);  // releases the lock; the lock file goes with its last handle
}

bool FolderLock::Acquire(const std::string& folder, std::chrono::milliseconds wait, int& error) {
  // Windows locks byte ranges of files, not folders: the lock lives on a file inside the
  // folder that removes itself when the last handle on it closes.
  const std::wstring path = Wide(folder) + kLockFileName;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    DWORD code = ERROR_SUCCESS;
    if (handle == INVALID_HANDLE_VALUE) {
      code = GetLastError();
      // The last holder's file is on its way out; a moment later a new one can be made.
      if (code != ERROR_ACCESS_DENIED || !std::filesystem::is_directory(Wide(folder))) {
        error = ErrnoOf(code);
        return false;
      }
    } else {
      OVERLAPPED range{};
      if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                     &range)) {
        const int descriptor = DescriptorOf(handle, _O_RDWR | _O_BINARY);
        if (descriptor == -1) {
          error = EMFILE;
          return false;
        }
        if (Handle >= 0)
          _close(Handle);
        Handle = descriptor;
        return true;
      }
      code = GetLastError();
      CloseHandle(handle);
      if (code != ERROR_LOCK_VIOLATION && code != ERROR_IO_PENDING) {
        error = ErrnoOf(code);
        return false;
      }
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      error = EWOULDBLOCK;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void RemoveTemporaryFileOnInterrupt() {
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

std::string ExecutableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
      return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // cut short: again with more room
  }
  const std::size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::string()
                                   : Utf8(std::wstring_view(path).substr(0, cut + 1));
}

bool MayWriteFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
}

std::string UserHomeFolder() {
  const wchar_t* profile = _wgetenv(L"USERPROFILE");
  return profile && *profile ? Utf8(profile) : std::string();
}

bool MayCreateFilesIn(const std::string& folder) {
  // Access rights decide, not the folder's read-only attribute: try it with a file that
  // goes as soon as its handle closes.
  const std::wstring probe =
      Wide(folder) + L"\\.pw-probe-" + std::to_wstring(GetCurrentProcessId());
  HANDLE handle = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return false;
  CloseHandle(handle);
  return true;
}

LocalDateTime LocalTime(std::time_t instant) {
  std::tm local{};
  localtime_s(&local, &instant);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
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
