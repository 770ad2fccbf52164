// The platform layer on POSIX systems (Linux first).
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#include "host/platform.h"

namespace pinwright::platform {
namespace {

// The signals that end a program unless it handles them (SIGKILL and SIGSTOP cannot be
// handled). The first group ends it plainly; after the second, the system would have
// written a core file.
constexpr int kEndingSignals[] = {
    SIGINT,    SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE, SIGVTALRM, SIGPROF, SIGPOLL,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};
constexpr int kCoreSignals[] = {SIGQUIT, SIGABRT, SIGXCPU, SIGXFSZ, SIGSYS,
                                SIGTRAP, SIGSEGV, SIGBUS,  SIGFPE,  SIGILL};
constexpr int kMaxLinkHops = 40;
constexpr std::size_t kCopyChunk = 64 * 1024;

// Every signal the handler below takes: the two groups above and the real-time signals.
sigset_t HandledSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kEndingSignals)
    sigaddset(&set, signal);
  for (int signal : kCoreSignals)
    sigaddset(&set, signal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
    sigaddset(&set, signal);
  return set;
}

bool EndsWithCore(int signal) {
  for (int core : kCoreSignals) {
    if (core == signal)
      return true;
  }
  return false;
}

// The temporary file being written, for the signal handler. The handler may only read
// what is complete: the path is written first, then the flag is set; the handled signals
// are held back while either changes.
char gLivePath[PATH_MAX + 1];
volatile sig_atomic_t gLiveSet = 0;

// Holds the handled signals back for its lifetime, so that a temporary file is never
// created, renamed or removed without the handler knowing of it.
class InterruptsHeld {
 public:
  InterruptsHeld() {
    const sigset_t held = HandledSignals();
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

extern "C" void OnEndingSignal(int signal) {
  if (gLiveSet)
    unlink(gLivePath);
  if (EndsWithCore(signal)) {
    // Ends the way the signal ends a program, core file included, so that a crash still
    // shows as one.
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    sigaction(signal, &plain, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
  }
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
        entry.Size = static_cast<std::uint64_t>(info.st_size);
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
    // Room for the file as it stands and one byte more, which shows whether it grew; more
    // is taken only then, so a short file never costs a buffer of maxBytes.
    result.Bytes.resize(result.Size < maxBytes ? static_cast<std::size_t>(result.Size) + 1
                                               : maxBytes);
    std::size_t filled = 0;
    while (filled < maxBytes) {
      if (filled == result.Bytes.size())
        result.Bytes.resize(std::min(maxBytes, std::max(2 * filled, kCopyChunk)));
      const ssize_t got = read(handle, result.Bytes.data() + filled, result.Bytes.size() - filled);
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
  std::string name = folder + ".pw-XXXXXX.tmp";
  InterruptsHeld held;
  const int handle = mkostemps(name.data(), 4, O_CLOEXEC);
  if (handle < 0) {
    error = errno;
    return false;
  }
  file.Handle = handle;
  file.Path = name;
  SetLive(name);
  // The hold is an exclusive lock on a second descriptor of the same open file, so that it
  // lasts after Handle is closed, up to the rename. A file system without locks marks none.
  if (flock(handle, LOCK_EX | LOCK_NB) == 0)
    file.HoldHandle = fcntl(handle, F_DUPFD_CLOEXEC, 0);
  return true;
}

bool RemoveUnheldTemporaryFile(const std::string& path) {
  const int handle = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
  if (handle < 0)
    return false;
  struct stat info {};
  bool removed = false;
  // A lock refused is a live writer's hold; a file system without locks has no holds, and
  // the file's age (the caller's test) has to do.
  if (fstat(handle, &info) == 0 && S_ISREG(info.st_mode) &&
      (flock(handle, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK)) {
    removed = unlink(path.c_str()) == 0;
  }
  close(handle);
  return removed;
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
  int ignored = 0;
  CloseHandle(file.HoldHandle, ignored);
  return true;
}

void DiscardTemporaryFile(TemporaryFile& file) {
  int ignored = 0;
  CloseHandle(file.Handle, ignored);
  if (!file.Path.empty()) {
    InterruptsHeld held;
    unlink(file.Path.c_str());
    ClearLive();
    file.Path.clear();
  }
  CloseHandle(file.HoldHandle, ignored);
}

bool LinkFile(const std::string& existing, const std::string& newPath, int& error) {
  if (link(existing.c_str(), newPath.c_str()) != 0) {
    error = errno;
    return false;
  }
  return true;
}

bool CopyToNewFile(const std::string& existing, const std::string& newPath, unsigned permissions,
                   int& error) {
  const int source = open(existing.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (source < 0) {
    error = errno;
    return false;
  }
  struct stat info {};
  if (fstat(source, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = fstat(source, &info) != 0 ? errno : EINVAL;
    close(source);
    return false;
  }
  const int handle = open(newPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          static_cast<mode_t>(permissions));
  if (handle < 0) {
    error = errno;
    close(source);
    return false;
  }
  TemporaryFile copy{handle, newPath};
  std::vector<char> chunk(kCopyChunk);
  bool whole = true;
  for (;;) {
    const ssize_t got = read(source, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0) {
      error = errno;
      whole = false;
      break;
    }
    if (got == 0)
      break;
    const auto size = static_cast<std::size_t>(got);
    if (WriteBytes(copy, std::string_view(chunk.data(), size), error) != size) {
      whole = false;
      break;
    }
  }
  close(source);
  whole = whole && fchmod(handle, static_cast<mode_t>(permissions)) == 0 &&
          CloseTemporaryFile(copy, error);
  if (!whole) {
    if (error == 0)
      error = errno;
    int ignored = 0;
    CloseHandle(copy.Handle, ignored);
    unlink(newPath.c_str());
  }
  return whole;
}

bool TakeOverAttributes(TemporaryFile& file, const std::string& existing, int& error) {
  struct stat old {};
  struct stat fresh {};
  if (stat(existing.c_str(), &old) != 0 || fstat(file.Handle, &fresh) != 0) {
    error = errno;
    return false;
  }
  if ((old.st_uid != fresh.st_uid || old.st_gid != fresh.st_gid) &&
      fchown(file.Handle, old.st_uid, old.st_gid) != 0) {
    error = errno;
    return false;
  }
  // The names of a file's extended attributes, NUL-separated; empty where the file system
  // keeps none.
  const auto names = [&error](ssize_t size, auto list) -> std::optional<std::string> {
    for (int attempt = 0; attempt < 4; ++attempt) {
      if (size < 0 && (errno == ENOTSUP || errno == ENOSYS))
        return std::string();
      if (size < 0) {
        error = errno;
        return std::nullopt;
      }
      std::string text(static_cast<std::size_t>(size), '\0');
      const ssize_t got = list(text.data(), text.size());
      if (got >= 0) {
        text.resize(static_cast<std::size_t>(got));
        return text;
      }
      if (errno != ERANGE) {
        error = errno;
        return std::nullopt;
      }
      size = list(nullptr, 0);
    }
    error = ERANGE;
    return std::nullopt;
  };
  const auto listOld = [&](char* into, std::size_t size) {
    return listxattr(existing.c_str(), into, size);
  };
  const auto listNew = [&](char* into, std::size_t size) {
    return flistxattr(file.Handle, into, size);
  };
  const std::optional<std::string> oldNames = names(listOld(nullptr, 0), listOld);
  const std::optional<std::string> newNames = names(listNew(nullptr, 0), listNew);
  if (!oldNames || !newNames)
    return false;
  const auto value = [](auto get) -> std::optional<std::string> {
    for (int attempt = 0; attempt < 4; ++attempt) {
      const ssize_t size = get(nullptr, 0);
      if (size < 0)
        return std::nullopt;
      std::string text(static_cast<std::size_t>(size), '\0');
      const ssize_t got = get(text.data(), text.size());
      if (got >= 0) {
        text.resize(static_cast<std::size_t>(got));
        return text;
      }
      if (errno != ERANGE)
        return std::nullopt;
    }
    return std::nullopt;
  };
  const auto each = [](const std::string& list, auto visit) {
    for (std::size_t start = 0; start < list.size();) {
      const std::size_t end = list.find('\0', start);
      const std::string name = list.substr(start, end - start);
      if (!name.empty() && !visit(name))
        return false;
      start = end == std::string::npos ? list.size() : end + 1;
    }
    return true;
  };
  // What the new file got from its folder (a default ACL) and the old one lacks goes, so
  // that it ends with exactly the old file's attributes.
  const bool cleared = each(*newNames, [&](const std::string& name) {
    if (oldNames->find(name + '\0') == 0 || oldNames->find('\0' + name + '\0') != std::string::npos)
      return true;
    if (fremovexattr(file.Handle, name.c_str()) == 0)
      return true;
    error = errno;
    return false;
  });
  return cleared && each(*oldNames, [&](const std::string& name) {
           const std::optional<std::string> wanted = value([&](char* into, std::size_t size) {
             return getxattr(existing.c_str(), name.c_str(), into, size);
           });
           if (!wanted) {
             error = errno;
             return false;
           }
           if (fsetxattr(file.Handle, name.c_str(), wanted->data(), wanted->size(), 0) == 0)
             return true;
           error = errno;
           // One the system set itself to the same value (a security label) is kept as well.
           const std::optional<std::string> have = value([&](char* into, std::size_t size) {
             return fgetxattr(file.Handle, name.c_str(), into, size);
           });
           return have && *have == *wanted;
         });
}

bool OverwriteFile(const std::string& path, std::string_view bytes, int& error) {
  const int handle = open(path.c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (handle < 0) {
    error = errno;
    return false;
  }
  TemporaryFile file{handle, path};
  const bool whole = WriteBytes(file, bytes, error) == bytes.size();
  return CloseTemporaryFile(file, error) && whole;
}

NameLimits NameLimitsIn(const std::string& folder) {
  NameLimits limits;
  // The nearest folder that exists answers for the ones still to be made inside it.
  std::string existing = folder.empty() ? std::string(".") : folder;
  for (;;) {
    errno = 0;
    const long name = pathconf(existing.c_str(), _PC_NAME_MAX);
    if (name > 0) {
      limits.Name = static_cast<std::size_t>(name);
      break;
    }
    if ((errno != ENOENT && errno != ENOTDIR) || existing == "." || existing == "/")
      break;
    while (existing.size() > 1 && existing.back() == '/')
      existing.pop_back();
    const std::size_t cut = existing.rfind('/');
    if (cut == std::string::npos) {
      existing = ".";
    } else if (cut == 0) {
      existing = "/";
    } else {
      existing.resize(cut);
    }
  }
  limits.Path = PATH_MAX - 1;
  return limits;
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
  action.sa_handler = OnEndingSignal;
  action.sa_mask = HandledSignals();
  // The handler is set and the old action read in one call, and the old one put back where
  // the handler must not stay: a signal the program was started to ignore (nohup) stays
  // ignored, and one that someone else handles already (a sanitizer) stays theirs. The
  // signals are held back meanwhile, so none meets the handler it should not; one that
  // arrived for an ignored signal is dropped when SIG_IGN is put back.
  InterruptsHeld held;
  for (int signal = 1; signal < NSIG; ++signal) {
    if (sigismember(&action.sa_mask, signal) != 1)
      continue;
    struct sigaction old {};
    if (sigaction(signal, &action, &old) != 0)
      continue;
    if (old.sa_handler != SIG_DFL || (old.sa_flags & SA_SIGINFO) != 0)
      sigaction(signal, &old, nullptr);
  }
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

bool MayWriteFile(const std::string& path) {
  return access(path.c_str(), W_OK) == 0;
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
