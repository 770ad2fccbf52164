// Writing a whole file so that it either holds every byte or is left as it was, into a
// target that is (or will be) a regular file the user has not write-protected, optionally
// keeping an edited old file as a numbered backup.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/failure.h"

namespace pinwright {

struct WriteOptions {
  // Before an existing file is replaced, keep it as NAME.~N~ (N one more than the highest
  // number present) when its contents differ from the new bytes.
  bool KeepEdits = false;
  // Lines that start with this text (when not empty) are left out of that comparison:
  // they carry the time of the generation.
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
// and the link stays. A replaced file keeps its permission bits. A target that is no regular
// file, or is write-protected, is refused before anything is written. On any failure the
// temporary file is removed and an existing target keeps its old contents.
// The failure is CannotCreate (refused, or not created or put in place) or ShortWrite, with
// the target as File, no Reason (the caller words it for the user), and as SystemMessage the
// file's full path with the system's reason ("Cannot create /p/top.qsf: Is a directory"),
// empty only after a short write the system gave no reason for. backup, when given,
// receives the full path of the numbered backup kept of the old contents, or empty text.
Status WriteFileAtomically(const std::string& path, std::string_view bytes,
                           const WriteOptions& options = {}, std::string* backup = nullptr);

// From now on SIGINT, SIGTERM and SIGHUP remove the temporary file being written, if any,
// and end the program with 128 plus the signal number. For the command-line tool.
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
