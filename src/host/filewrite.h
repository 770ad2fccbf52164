// Reading a whole text file, and writing a whole file so that it either holds every byte or
// is left as it was, into a target that is (or will be) a regular file the user has not
// write-protected, optionally keeping an edited old file as a numbered backup.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "host/failure.h"

namespace pinwright {

namespace platform {
class FolderLock;
}

// The whole of a text file (a settings file, a top level, a card file) of at most 256 MiB,
// read without ever waiting for a writer. A missing file fails with Missing; a folder, a
// FIFO, a device, a file too long or one that cannot be read with CannotRead, whose reason
// says why.
Result<std::string> ReadTextFile(const std::string& path);

// Whether the path names a regular file this program may open for reading, found without
// reading it and without waiting for a writer.
bool IsReadableFile(const std::string& path);

// The first bytes (at most maxBytes) of a regular file, read without waiting for a writer;
// nothing when the path names no regular file that can be read.
std::optional<std::string> ReadFileStart(const std::string& path, std::size_t maxBytes);

struct WriteOptions {
  // Before an existing file is replaced, keep it as NAME.~N~ (N one more than the highest
  // number present) when its contents differ from the new bytes.
  bool KeepEdits = false;
  // Lines that start with this text (when not empty) carry the time of the generation: in
  // that comparison an old one counts as unchanged when it is the new one with other digits
  // (a note added to it is an edit).
  std::string_view IgnoredLinePrefix;
  // What the program itself wrote into the file last time, when it knows: an old file equal
  // to it (those lines aside) was not edited either.
  const std::string* Unedited = nullptr;
  // Delete the old file before the new one is written, so that a failed write leaves no
  // old file behind (after its backup, if one is due).
  bool RemoveOldFirst = false;
};

// Writes the bytes to a temporary file in the target's folder and renames it over the target
// only when every byte arrived. A symbolic link is followed: the file it names is replaced
// and the link stays. A replaced file keeps its permission bits and, where the system
// allows, its owner, group, ACL and extended attributes; where it does not (another user's
// file), the old file is copied whole first and then written in place, so that nothing
// about it changes but its contents. A target that is no regular file, or is
// write-protected, is refused before anything is written; so is a name longer than the
// system takes. A write-protected file is replaced after all when KeepEdits finds it
// unchanged and its mode is exactly what the umask gives new files (a umask without write
// bits made it so). On any failure the temporary file is removed and an existing target
// keeps its old contents.
// The failure is CannotCreate (refused, or not created or put in place) or ShortWrite, with
// the target as File, no Reason (the caller words it for the user), and as SystemMessage the
// file's full path with the system's reason ("Cannot create /p/top.qsf: Is a directory"),
// empty only after a short write the system gave no reason for. backup, when given,
// receives the full path of the numbered backup kept of the old contents, or empty text.
Status WriteFileAtomically(const std::string& path, std::string_view bytes,
                           const WriteOptions& options = {}, std::string* backup = nullptr);

// One file a run is about to write.
struct PlannedWrite {
  std::string Path;
  std::string_view Bytes;
  WriteOptions Options;
};

// Checks, before a run writes anything, that every file name it would write fits the
// system's limits on names and paths, numbered backups of edited files included; a failure
// as WriteFileAtomically's, naming the file and the limit.
Status CheckNamesFit(std::span<const PlannedWrite> writes);

// The one-writer lock of a folder for a run that writes several files into it, so that the
// files always come from one run. Taking it also removes the temporary files that runs
// killed outright (SIGKILL, a power cut) left there earlier.
class FolderWriteLock {
 public:
  FolderWriteLock();
  ~FolderWriteLock();
  FolderWriteLock(const FolderWriteLock&) = delete;
  FolderWriteLock& operator=(const FolderWriteLock&) = delete;

  // Waits up to wait. Fails (CannotCreate, the folder as File, a Reason for the user) when
  // another holder kept the folder the whole time, or when the folder cannot be locked at
  // all (a folder the user may write but not read, a file system without locks): then
  // nothing may be written. A folder that is missing is no failure here; the first write
  // names it.
  Status Acquire(const std::string& folder, std::chrono::milliseconds wait);

 private:
  std::unique_ptr<platform::FolderLock> Lock;
};

// From now on every signal that would end the program removes the temporary file being
// written, if any, and ends the program with 128 plus the signal number (or, for a signal
// that leaves a core file, by the signal itself).
void RemoveTemporaryFileOnInterrupt();

// Test seam: a limit asked for every write, given the target path; it returns how many bytes
// that write may put into the file before it fails, or nothing for no limit. It is asked
// once the temporary file exists.
using WriteLimit = std::function<std::optional<std::size_t>(const std::string& path)>;

// Installs a write limit for its own lifetime.
class ScopedWriteLimit {
 public:
  explicit ScopedWriteLimit(WriteLimit limit);
  ~ScopedWriteLimit();
  ScopedWriteLimit(const ScopedWriteLimit&) = delete;
  ScopedWriteLimit& operator=(const ScopedWriteLimit&) = delete;

 private:
  WriteLimit Previous;
};

}  // namespace pinwright
