// The operating system as the file layer needs it: what stands at a path, reading a settings
// file without blocking, temporary files beside their target, numbered backups, a lock on a
// project folder, removal of a live temporary file when the program is interrupted, the
// executable's folder, and whether the program may write there and where the user's home
// is; besides, the local time and, for the command-line tool, its arguments and console.
// The host layer's files, the settings file loader (reading a .cfg without blocking), the
// project writer (the folder lock) and pinwright-cli's main include this header; the desktop
// program goes through host.h. Each system has one implementation
// file (platform_posix.cpp, platform_windows.cpp), so no other file needs a system #ifdef.
// Paths are UTF-8 text everywhere.
//
// Error codes are errno values (ENOENT, EISDIR, ...); ErrorText gives the system's words.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"

namespace pinwright::platform {

// ---- What stands at a path -------------------------------------------------------------

enum class EntryKind {
  Missing,  // nothing there (or a dangling symbolic link)
  Regular,  // a regular file
  Folder,
  Other,  // a device, FIFO, socket or anything else that is no regular file
};

struct Entry {
  EntryKind Kind = EntryKind::Missing;
  unsigned Permissions = 0;  // the mode's permission bits (07777), when the entry exists
  std::uint64_t Size = 0;    // the length of a regular file
  int Error = 0;             // set when the path could not be examined at all

  // No write bit for anyone: the user has protected the file.
  bool WriteProtected() const { return (Permissions & 0222) == 0; }
};

// Examines where a chain of symbolic links starting at path ends; target receives that
// path: the path itself when it is no link, the missing file a dangling link names.
// Relative link texts are taken from the link's own folder. Error is set (ELOOP, ...) when
// the chain cannot be followed or its end cannot be examined.
Entry ExamineTarget(const std::string& path, std::string& target);

// The system's words for an error code, e.g. "Is a directory".
std::string ErrorText(int error);

// ---- Reading ---------------------------------------------------------------------------

enum class ReadStatus {
  Read,        // Bytes holds the start of the file, at most maxBytes of it
  Missing,     // no file at the path
  NotRegular,  // a folder, FIFO, device or socket: refused before anything is read
  Failed,      // opening or reading failed; see Error
};

struct ReadResult {
  ReadStatus Status = ReadStatus::Failed;
  std::uint64_t Size = 0;  // the file's length when it was opened
  std::string Bytes;
  int Error = 0;
};

// Opens the file without ever waiting for a writer (a FIFO or a device returns at once),
// refuses anything that is not a regular file, and reads at most maxBytes bytes.
ReadResult ReadRegularFile(const std::string& path, std::size_t maxBytes);

// ---- Writing through a temporary file --------------------------------------------------

// A temporary file being written. Handle is the system's file descriptor, -1 once closed;
// HoldHandle keeps the file marked as held by this process from its creation until it is
// committed or discarded (see RemoveUnheldTemporaryFile), -1 where the system marks none.
struct TemporaryFile {
  int Handle = -1;
  std::string Path;
  int HoldHandle = -1;
};

// The length of the temporary files' names: ".pw-", six letters or digits, ".tmp".
inline constexpr std::size_t kTemporaryNameLength = 14;

// Creates an empty temporary file with a short unique name (".pw-XXXXXX.tmp") in folder,
// which must end with a separator or be empty for the current folder. The name is short so
// that it fits wherever the target's own name fits. Until it is committed or discarded, the
// file is held by this process and removed if the program is interrupted (see
// RemoveTemporaryFileOnInterrupt).
bool CreateTemporaryFile(const std::string& folder, TemporaryFile& file, int& error);

// Removes a temporary file that a run which ended without removing it left, unless a live
// process still holds it (one that writes into the folder without its lock: a settings
// file, a card picture). True when it was removed.
bool RemoveUnheldTemporaryFile(const std::string& path);

// Writes bytes at the end of the file; returns how many arrived, with error set when fewer.
std::size_t WriteBytes(TemporaryFile& file, std::string_view bytes, int& error);

// Sets the file's permission bits.
bool SetPermissions(TemporaryFile& file, unsigned permissions, int& error);

// The permission bits a new file gets: read and write for all, less the process's umask
// (read once; nothing in the program changes it).
unsigned NewFilePermissions();

// Closes the file, reporting a failure the system saw only then.
bool CloseTemporaryFile(TemporaryFile& file, int& error);

// Renames the closed temporary file over target in one step.
bool CommitTemporaryFile(TemporaryFile& file, const std::string& target, int& error);

// Closes (if open) and removes the temporary file; nothing is reported.
void DiscardTemporaryFile(TemporaryFile& file);

// ---- Backups and other files -----------------------------------------------------------

// Gives an existing file a second name, never replacing anything (EEXIST when newPath is
// taken). The second name keeps the file's contents and permissions when the first is
// later replaced.
bool LinkFile(const std::string& existing, const std::string& newPath, int& error);

// Copies the whole of an existing regular file into newPath, which must not exist yet,
// with the permission bits given. On failure nothing is left at newPath.
bool CopyToNewFile(const std::string& existing, const std::string& newPath, unsigned permissions,
                   int& error);

// Gives the temporary file the owner, group and extended attributes (a POSIX ACL among
// them) of the existing file it is to replace, and nothing the existing file lacks. False
// with error where the system does not allow it, as for someone who is not root replacing
// another user's file: the caller then writes the existing file in place.
bool TakeOverAttributes(TemporaryFile& file, const std::string& existing, int& error);

// Writes the bytes over the contents of an existing file, which keeps everything else:
// owner, group, permissions, attributes. Not atomic: the caller keeps a copy first.
bool OverwriteFile(const std::string& path, std::string_view bytes, int& error);

// The longest file name a folder takes and the longest path the system takes, in bytes of
// UTF-8 text (on Windows in wide characters, which a UTF-8 byte count never undercounts).
struct NameLimits {
  std::size_t Name = 255;
  std::size_t Path = 4095;
};
// For a folder that does not exist yet, the nearest one that does answers.
NameLimits NameLimitsIn(const std::string& folder);

// Removes a file (not a folder); a missing file is no error.
bool RemoveFile(const std::string& path, int& error);

// ---- One writer per project folder -----------------------------------------------------

// Holds an exclusive advisory lock on a folder; released when destroyed.
class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Waits up to wait for the lock. False with error set when the folder cannot be opened,
  // or with EWOULDBLOCK when another holder kept it the whole time.
  bool Acquire(const std::string& folder, std::chrono::milliseconds wait, int& error);
  bool Held() const { return Handle >= 0; }

 private:
  int Handle = -1;
};

// ---- Interrupts and the executable -----------------------------------------------------

// From now on every signal that would end the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT,
// SIGUSR1, SIGALRM, the real-time signals, ...) first removes the temporary file being
// written, if any. The program then ends with 128 plus the signal number, or, for a signal
// that would leave a core file, by that signal. Signals the program was started to ignore
// or that another handler owns already are left as they are.
void RemoveTemporaryFileOnInterrupt();

// The folder of the running executable, with its trailing separator; empty when unknown.
std::string ExecutableFolder();

// ---- The user's places -----------------------------------------------------------------

// True when the process may create files in the folder.
bool MayCreateFilesIn(const std::string& folder);

// True when the process may write the existing file.
bool MayWriteFile(const std::string& path);

// The user's home folder as the user database has it (on Windows the user profile folder);
// empty when unknown.
std::string UserHomeFolder();

// ---- Time and the command-line tool's surroundings --------------------------------------

// The instant in the user's local time zone.
LocalDateTime LocalTime(std::time_t instant);

// The program's arguments after its own name, as UTF-8 whatever the system hands over.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Makes the console show the program's UTF-8 output as such.
void PrepareConsole();

}  // namespace pinwright::platform
