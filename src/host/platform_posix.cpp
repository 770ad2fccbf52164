// The platform layer on POSIX systems (Linux first).
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "host/platform.h"

namespace pinwright::platform {
namespace {

constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kMaxLinkHops = 40;

// The temporary file being written, for the interrupt handler. The handler may only read
// what is complete: the path is written first, then the flag is set; the three signals
// are held back while either changes.
char gLivePath[PATH_MAX + 1];
volatile sig_atomic_t gLiveSet = 0;

// Holds the interrupt signals back for its lifetime, so that a temporary file is never
// created, renamed or removed without the handler knowing of it.
class InterruptsHeld {
 public:
  InterruptsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal : kInterruptSignals)
      sigaddset(&held, signal);
    sigprocmask(SIG_BLOCK, &held, &Previous);
  }
  ~InterruptsHeld() { sigprocmask(SIG_SETMASK, &Previous, nullptr); }
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
  sigset_t Previous;
};

void SetLive(const std::string& path) {
  gLiveSet = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  if (path.size() >= sizeof gLivePath)
    return;  // mkstemp would have failed on such a path already
  std::memcpy(gLivePath, path.c_str(), path.size() + 1);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  gLiveSet = 1;
}

void ClearLive() {
  gLiveSet = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

extern "C" void OnInterrupt(int signal) {
  if (gLiveSet)
    unlink(gLivePath);
  _exit(128 + signal);
}

std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.rfind('/');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

bool CloseHandle(int& handle, int& error) {
  if (handle < 0)
    return true;
  const int result = close(handle);
  handle = -1;
  if (result != 0) {
    error = errno;
    return false;
  }
  return true;
}

}  // namespace

Entry ExamineTarget(const std::string& path, std::string& target) {
  target = path;
  Entry entry;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat info {};
    if (lstat(target.c_str(), &info) != 0) {
      if (errno != ENOENT)
        entry.Error = errno;
      return entry;  // missing: the end of the chain is a file yet to be made
    }
    if (!S_ISLNK(info.st_mode)) {
      entry.Permissions = info.st_mode & 07777;
      if (S_ISREG(info.st_mode)) {
        entry.Kind = EntryKind::Regular;
      } else if (S_ISDIR(info.st_mode)) {
        entry.Kind = EntryKind::Folder;
      } else {
        entry.Kind = EntryKind::Other;
      }
      return entry;
    }
    char link[PATH_MAX + 1];
    const ssize_t length = readlink(target.c_str(), link, PATH_MAX);
    if (length < 0) {
      entry.Error = errno;
      return entry;
    }
    const std::string text(link, static_cast<std::size_t>(length));
    target = text.starts_with('/') ? text : FolderOf(target) + text;
  }
  entry.Error = ELOOP;
  return entry;
}

std::string ErrorText(int error) {
  return std::strerror(error);
}

ReadResult ReadRegularFile(const std::string& path, std::size_t maxBytes) {
  ReadResult result;
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  const int handle = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (handle < 0) {
    result.Error = errno;
    result.Status = errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    return result;
  }
  struct stat info {};
  if (fstat(handle, &info) != 0) {
    result.Error = errno;
  } else if (!S_ISREG(info.st_mode)) {
    result.Status = ReadStatus::NotRegular;
  } else {
    result.Size = static_cast<std::uint64_t>(info.st_size);
    result.Bytes.resize(maxBytes);
    std::size_t filled = 0;
    while (filled < maxBytes) {
      const ssize_t got = read(handle, result.Bytes.data() + filled, maxBytes - filled);
      if (got < 0 && errno == EINTR)
        continue;
      if (got < 0) {
        result.Error = errno;
        break;
      }
      if (got == 0)
        break;
      filled += static_cast<std::size_t>(got);
    }
    result.Bytes.resize(filled);
    if (result.Error == 0)
      result.Status = ReadStatus::Read;
  }
  close(handle);
  return result;
}

bool CreateTemporaryFile(const std::string& folder, TemporaryFile& file, int& error) {
  std::string name = folder + ".pw-XXXXXX";
  InterruptsHeld held;
  const int handle = mkostemp(name.data(), O_CLOEXEC);
  if (handle < 0) {
    error = errno;
    return false;
  }
  file.Handle = handle;
  file.Path = name;
  SetLive(name);
  return true;
}

std::size_t WriteBytes(TemporaryFile& file, std::string_view bytes, int& error) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t put = write(file.Handle, bytes.data() + written, bytes.size() - written);
    if (put < 0 && errno == EINTR)
      continue;
    if (put <= 0) {
      error = put < 0 ? errno : EIO;
      break;
    }
    written += static_cast<std::size_t>(put);
  }
  return written;
}

bool SetPermissions(TemporaryFile& file, unsigned permissions, int& error) {
  if (fchmod(file.Handle, static_cast<mode_t>(permissions)) != 0) {
    error = errno;
    return false;
  }
  return true;
}

unsigned NewFilePermissions() {
  // umask can only be read by setting it; put it straight back. Once per run: a generation
  // writes many files.
  static const unsigned permissions = [] {
    const mode_t mask = umask(022);
    umask(mask);
    return 0666 & ~static_cast<unsigned>(mask);
  }();
  return permissions;
}

bool CloseTemporaryFile(TemporaryFile& file, int& error) {
  // write() has handed every byte to the system already. No fsync: it would make a
  // generation some twenty times slower, and the rename replaces the old file only once the
  // new one is complete either way.
  return CloseHandle(file.Handle, error);
}

bool CommitTemporaryFile(TemporaryFile& file, const std::string& target, int& error) {
  InterruptsHeld held;
  if (rename(file.Path.c_str(), target.c_str()) != 0) {
    error = errno;
    return false;
  }
  ClearLive();
  file.Path.clear();
  return true;
}

void DiscardTemporaryFile(TemporaryFile& file) {
  int ignored = 0;
  CloseHandle(file.Handle, ignored);
  if (file.Path.empty())
    return;
  InterruptsHeld held;
  unlink(file.Path.c_str());
  ClearLive();
  file.Path.clear();
}

bool LinkFile(const std::string& existing, const std::string& newPath, int& error) {
  if (link(existing.c_str(), newPath.c_str()) != 0) {
    error = errno;
    return false;
  }
  return true;
}

bool CreateNewFile(const std::string& newPath, std::string_view bytes, unsigned permissions,
                   int& error) {
  int handle = open(newPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    static_cast<mode_t>(permissions));
  if (handle < 0) {
    error = errno;
    return false;
  }
  TemporaryFile file{handle, newPath};
  const bool whole = WriteBytes(file, bytes, error) == bytes.size() &&
                     fchmod(handle, static_cast<mode_t>(permissions)) == 0 &&
                     CloseTemporaryFile(file, error);
  if (!whole) {
    if (error == 0)
      error = errno;
    int ignored = 0;
    CloseHandle(file.Handle, ignored);
    unlink(newPath.c_str());
  }
  return whole;
}

bool RemoveFile(const std::string& path, int& error) {
  if (unlink(path.c_str()) != 0 && errno != ENOENT) {
    error = errno;
    return false;
  }
  return true;
}

FolderLock::~FolderLock() {
  if (Handle >= 0)
    close(Handle);  // closing the last descriptor releases the lock
}

FolderLock::FolderLock(FolderLock&& other) noexcept : Handle(other.Handle) {
  other.Handle = -1;
}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    if (Handle >= 0)
      close(Handle);
    Handle = other.Handle;
    other.Handle = -1;
  }
  return *this;
}

bool FolderLock::Acquire(const std::string& folder, std::chrono::milliseconds wait, int& error) {
  const int handle =
      open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) {
    error = errno;
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (flock(handle, LOCK_EX | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
      error = errno == EINTR ? EWOULDBLOCK : errno;
      close(handle);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (Handle >= 0)
    close(Handle);
  Handle = handle;
  return true;
}

void RemoveTemporaryFileOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (int signal : kInterruptSignals)
    sigaddset(&action.sa_mask, signal);
  for (int signal : kInterruptSignals)
    sigaction(signal, &action, nullptr);
}

std::string ExecutableFolder() {
  char target[PATH_MAX + 1];
  const ssize_t length = readlink("/proc/self/exe", target, PATH_MAX);
  if (length <= 0)
    return {};
  return FolderOf(std::string(target, static_cast<std::size_t>(length)));
}

bool MayCreateFilesIn(const std::string& folder) {
  return access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string UserHomeFolder() {
  const passwd* entry = getpwuid(getuid());
  return entry && entry->pw_dir ? std::string(entry->pw_dir) : std::string();
}

LocalDateTime LocalTime(std::time_t instant) {
  std::tm local{};
  localtime_r(&instant, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  // Paths and text are bytes here; the program takes them as UTF-8 unchanged.
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void PrepareConsole() {}

}  // namespace pinwright::platform
