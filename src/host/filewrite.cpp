#include "host/filewrite.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "host/paths.h"
#include "host/platform.h"

namespace pinwright {
namespace {

WriteLimit gLimit;

// Attempts at a backup number when another writer takes the chosen one meanwhile.
constexpr int kBackupAttempts = 100;
// An old file this much longer than the new text differs from it in more than a time stamp.
constexpr std::size_t kCompareSlack = 4096;
// The temporary files of this program: ".pw-", six letters or digits, ".tmp".
constexpr std::string_view kTemporaryPrefix = ".pw-";
constexpr std::string_view kTemporarySuffix = ".tmp";

Failure WriteFailure(FailureKind kind, const char* verb, const std::string& path,
                     const std::string& reason) {
  return Failure{kind, path, {}, std::string(verb) + " " + path + ": " + reason};
}

// The next line of text, with its line end, taken off the front.
std::string_view TakeLine(std::string_view& text) {
  const std::size_t end = text.find('\n');
  const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
  std::string_view line = text.substr(0, length);
  text.remove_prefix(length);
  return line;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A time line as the program writes it: the new one with other digits in the places of
// its digits. A note added to the line makes it another line.
bool SameTimeLine(std::string_view old, std::string_view fresh, std::string_view prefix) {
  if (prefix.empty() || !fresh.starts_with(prefix) || old.size() != fresh.size())
    return false;
  for (std::size_t i = 0; i < old.size(); ++i) {
    if (old[i] != fresh[i] && !(IsDigit(old[i]) && IsDigit(fresh[i])))
      return false;
  }
  return true;
}

bool SameApartFrom(std::string_view old, std::string_view fresh, std::string_view ignored) {
  while (!old.empty() || !fresh.empty()) {
    if (old.empty() || fresh.empty())
      return false;
    const std::string_view a = TakeLine(old);
    const std::string_view b = TakeLine(fresh);
    if (a != b && !SameTimeLine(a, b, ignored))
      return false;
  }
  return true;
}

// The highest N of the NAME.~N~ files beside the target, 0 when there are none.
unsigned long HighestBackupNumber(const std::string& target) {
  const std::string prefix = FileNameOf(target) + ".~";
  const std::string folder = FolderOf(target);
  unsigned long highest = 0;
  std::error_code error;
  for (std::filesystem::directory_iterator it(PathFromUtf8(folder.empty() ? "." : folder), error),
       end;
       !error && it != end; it.increment(error)) {
    const std::string name = Utf8FromPath(it->path().filename());
    if (!name.starts_with(prefix) || !name.ends_with('~') || name.size() < prefix.size() + 2)
      continue;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 1);
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
      continue;
    highest = std::max(highest, std::stoul(digits));
  }
  return highest;
}

std::string BackupName(const std::string& target, unsigned long number) {
  return target + ".~" + std::to_string(number) + "~";
}

// Why the system would refuse the path for its length; empty when it fits.
std::string LengthProblem(const std::string& path, const platform::NameLimits& limits) {
  const std::size_t name = FileNameOf(path).size();
  if (name > limits.Name) {
    return "the file name is " + std::to_string(name) + " bytes long; the folder takes at most " +
           std::to_string(limits.Name);
  }
  if (path.size() > limits.Path) {
    return "the path is " + std::to_string(path.size()) + " bytes long; the system takes at most " +
           std::to_string(limits.Path);
  }
  return {};
}

// What the old file is beside the new bytes: the start of it as read, and whether that
// start is the whole file and the same as the new bytes, or as what this program wrote there
// last time (WriteOptions::Unedited), apart from the time lines.
struct OldContents {
  bool ReadWhole = false;
  bool Unchanged = false;
};

OldContents CompareOld(const std::string& target, std::string_view bytes, std::string_view ignored,
                       const std::string* unedited) {
  const std::size_t longest = std::max(bytes.size(), unedited ? unedited->size() : 0);
  const platform::ReadResult old = platform::ReadRegularFile(target, longest + kCompareSlack);
  OldContents result;
  result.ReadWhole = old.Status == platform::ReadStatus::Read && old.Bytes.size() == old.Size;
  result.Unchanged =
      result.ReadWhole && (SameApartFrom(old.Bytes, bytes, ignored) ||
                           (unedited && SameApartFrom(old.Bytes, *unedited, ignored)));
  return result;
}

// Keeps the old target as NAME.~N~: a second name for it (its contents, owner and mode stay
// as they are whatever happens to the target's name afterwards), or, where the system makes
// none or a copy is asked for (the target is to be written in place), a whole copy.
Status KeepOldFile(const std::string& target, const platform::Entry& entry, bool copy,
                   std::string& backup) {
  const platform::NameLimits limits = platform::NameLimitsIn(FolderOf(target));
  unsigned long number = HighestBackupNumber(target);
  for (int attempt = 0; attempt < kBackupAttempts; ++attempt) {
    const std::string candidate = BackupName(target, ++number);
    if (const std::string problem = LengthProblem(candidate, limits); !problem.empty()) {
      return WriteFailure(FailureKind::CannotCreate, "Cannot keep a backup of", target,
                          "its backup " + FileNameOf(candidate) + ": " + problem);
    }
    int error = 0;
    if (!copy && platform::LinkFile(target, candidate, error)) {
      backup = candidate;
      return {};
    }
    if (error == EEXIST)
      continue;
    // No second name here (a file system without hard links, another user's file where
    // the system protects those): a copy of the whole file instead.
    const int linkError = error;
    error = 0;
    if (platform::CopyToNewFile(target, candidate, entry.Permissions, error)) {
      backup = candidate;
      return {};
    }
    if (error == EEXIST)
      continue;
    std::string reason =
        "cannot copy it to " + FileNameOf(candidate) + ": " + platform::ErrorText(error);
    if (!copy)
      reason += " (a second name for it was refused too: " + platform::ErrorText(linkError) + ")";
    return WriteFailure(FailureKind::CannotCreate, "Cannot keep a backup of", target, reason);
  }
  return WriteFailure(FailureKind::CannotCreate, "Cannot keep a backup of", target,
                      platform::ErrorText(EEXIST));
}

void DropBackup(std::string& backup) {
  int ignored = 0;
  if (!backup.empty())
    platform::RemoveFile(backup, ignored);
  backup.clear();
}

// How many bytes of a write the test seam lets through.
std::size_t AllowedBytes(const std::string& path, std::size_t size) {
  if (gLimit) {
    if (std::optional<std::size_t> limit = gLimit(path); limit && *limit < size)
      return *limit;
  }
  return size;
}

// Replaces the contents of a file whose owner or attributes a new file could not take over,
// as careful editors do: a whole copy first (kept as the numbered backup when one is due,
// else removed afterwards), then the new bytes over the old ones. A failed write puts the
// old contents back from the copy; where even that fails, the copy stays as the backup.
Status WriteInPlace(const std::string& path, const std::string& target,
                    const platform::Entry& entry, std::string_view bytes, bool backupDue,
                    bool removeOldOnFailure, std::string& backup) {
  if (Status kept = KeepOldFile(target, entry, /*copy=*/true, backup); !kept)
    return kept;
  int error = 0;
  const std::size_t allowed = AllowedBytes(path, bytes.size());
  if (platform::OverwriteFile(target, bytes.substr(0, allowed), error) && allowed == bytes.size()) {
    if (!backupDue)
      DropBackup(backup);
    return {};
  }
  Failure failure = error != 0 ? WriteFailure(FailureKind::ShortWrite, "Cannot write", path,
                                              platform::ErrorText(error))
                               : Failure{FailureKind::ShortWrite, path, {}, {}};
  // A file that is to leave nothing behind when its write fails goes, its backup (when
  // one is due) all that is left of it.
  int ignored = 0;
  if (removeOldOnFailure && platform::RemoveFile(target, ignored)) {
    if (!backupDue)
      DropBackup(backup);
    return failure;
  }
  // Else the old contents back in place, when they are not there still (the file did not
  // even open); then the copy is not needed. Where that fails it is all that is left of them.
  const platform::ReadResult copy = platform::ReadRegularFile(backup, entry.Size + 1);
  const platform::ReadResult now = platform::ReadRegularFile(target, entry.Size + 1);
  const bool copyWhole =
      copy.Status == platform::ReadStatus::Read && copy.Bytes.size() == entry.Size;
  if (copyWhole && ((now.Status == platform::ReadStatus::Read && now.Bytes == copy.Bytes) ||
                    platform::OverwriteFile(target, copy.Bytes, ignored))) {
    DropBackup(backup);
  }
  return failure;
}

// A temporary file's name: ".pw-", six letters or digits, ".tmp".
bool IsTemporaryName(std::string_view name) {
  if (name.size() != platform::kTemporaryNameLength || !name.starts_with(kTemporaryPrefix) ||
      !name.ends_with(kTemporarySuffix))
    return false;
  name.remove_prefix(kTemporaryPrefix.size());
  name.remove_suffix(kTemporarySuffix.size());
  return std::all_of(name.begin(), name.end(), [](char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}

// Removes the temporary files of this program in the folder that were last written before
// the moment given: what runs ended by SIGKILL or a power cut left. The folder is locked,
// so no generation of the moment owns one of them; a writer that takes no folder lock (a
// settings file, a card picture) still holds its own, which stays.
void RemoveLeftTemporaryFiles(const std::string& folder, std::filesystem::file_time_type lockedAt) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(PathFromUtf8(folder.empty() ? "." : folder), error),
       end;
       !error && it != end; it.increment(error)) {
    if (!IsTemporaryName(Utf8FromPath(it->path().filename())))
      continue;
    std::error_code ignored;
    if (!it->is_regular_file(ignored) || it->is_symlink(ignored))
      continue;
    const auto written = std::filesystem::last_write_time(it->path(), ignored);
    if (!ignored && written < lockedAt)
      platform::RemoveUnheldTemporaryFile(Utf8FromPath(it->path()));
  }
}

}  // namespace

Result<std::string> ReadTextFile(const std::string& path) {
  constexpr std::size_t kLimit = std::size_t{256} << 20;
  std::size_t want = std::size_t{1} << 20;
  for (;;) {
    platform::ReadResult read = platform::ReadRegularFile(path, want);
    switch (read.Status) {
      case platform::ReadStatus::Missing:
        return Failure{FailureKind::Missing, path, "cannot read " + path + ": no such file", {}};
      case platform::ReadStatus::NotRegular:
        return Failure{FailureKind::CannotRead,
                       path,
                       "cannot read " + path + ": it is not a regular file",
                       {}};
      case platform::ReadStatus::Failed:
        return Failure{FailureKind::CannotRead, path,
                       "cannot read " + path + ": " + platform::ErrorText(read.Error),
                       platform::ErrorText(read.Error)};
      case platform::ReadStatus::Read:
        break;
    }
    if (read.Bytes.size() < want)
      return std::move(read.Bytes);
    if (want >= kLimit)
      return Failure{
          FailureKind::CannotRead, path, "cannot read " + path + ": it is longer than 256 MiB", {}};
    // The file grew or is longer than the first read took: read it again, whole.
    want =
        std::min(kLimit, std::max<std::size_t>(want * 2, static_cast<std::size_t>(read.Size) + 1));
  }
}

bool IsReadableFile(const std::string& path) {
  return platform::ReadRegularFile(path, 0).Status == platform::ReadStatus::Read;
}

std::optional<std::string> ReadFileStart(const std::string& path, std::size_t maxBytes) {
  platform::ReadResult read = platform::ReadRegularFile(path, maxBytes);
  if (read.Status != platform::ReadStatus::Read)
    return std::nullopt;
  return std::move(read.Bytes);
}

Status WriteFileAtomically(const std::string& path, std::string_view bytes,
                           const WriteOptions& options, std::string* keptBackup) {
  if (keptBackup)
    keptBackup->clear();
  std::string target;
  int error = 0;
  const platform::Entry entry = platform::ExamineTarget(path, target);
  if (entry.Error != 0) {
    return WriteFailure(FailureKind::CannotCreate, "Cannot create", path,
                        platform::ErrorText(entry.Error));
  }
  std::optional<OldContents> old;
  switch (entry.Kind) {
    case platform::EntryKind::Folder:
      return WriteFailure(FailureKind::CannotCreate, "Cannot create", path,
                          platform::ErrorText(EISDIR));
    case platform::EntryKind::Other:
      return WriteFailure(FailureKind::CannotCreate, "Cannot replace", path,
                          "it is not a regular file");
    case platform::EntryKind::Regular:
      if (options.KeepEdits)
        old = CompareOld(target, bytes, options.IgnoredLinePrefix, options.Unedited);
      // Root could write anyway; the missing write bits are the user's wish all the same.
      // Only a file of this program's own making with the very mode a umask without write
      // bits gave it, untouched since, is no such wish.
      if (entry.WriteProtected() &&
          !(old && old->Unchanged && entry.Permissions == platform::NewFilePermissions())) {
        return WriteFailure(FailureKind::CannotCreate, "Cannot replace", path,
                            "the file is write-protected");
      }
      break;
    case platform::EntryKind::Missing:
      break;
  }
  if (const std::string problem = LengthProblem(target, platform::NameLimitsIn(FolderOf(target)));
      !problem.empty()) {
    return WriteFailure(FailureKind::CannotCreate, "Cannot create", path, problem);
  }
  const bool replacing = entry.Kind == platform::EntryKind::Regular;
  const bool backupDue = old && !old->Unchanged;

  platform::TemporaryFile temporary;
  if (!platform::CreateTemporaryFile(FolderOf(target), temporary, error)) {
    // A folder that is there and still makes no file (a system folder such as /proc/sys)
    // answers "No such file or directory"; that would name the wrong cause.
    std::error_code ignored;
    const std::string folder = FolderOf(target);
    if (error == ENOENT &&
        std::filesystem::is_directory(PathFromUtf8(folder.empty() ? "." : folder), ignored)) {
      return WriteFailure(
          FailureKind::CannotCreate, "Cannot create", path,
          "the folder " + (folder.empty() ? std::string("./") : folder) + " takes no new files");
    }
    return WriteFailure(FailureKind::CannotCreate, "Cannot create", path,
                        platform::ErrorText(error));
  }

  std::string backup;
  // A new file that cannot be the old one's in every respect but its contents (another
  // user's file, attributes the system will not copy) would change it: the old file is
  // written in place instead, where the user may write it; else it is replaced all the
  // same, as the folder allows.
  if (replacing && !platform::TakeOverAttributes(temporary, target, error) &&
      platform::MayWriteFile(target)) {
    platform::DiscardTemporaryFile(temporary);
    Status outcome =
        WriteInPlace(path, target, entry, bytes, backupDue, options.RemoveOldFirst, backup);
    if (keptBackup)
      *keptBackup = backup;
    return outcome;
  }
  if (backupDue) {
    Status kept = KeepOldFile(target, entry, /*copy=*/false, backup);
    if (!kept) {
      platform::DiscardTemporaryFile(temporary);
      return kept;
    }
  }
  if (replacing && options.RemoveOldFirst) {
    int ignored = 0;
    platform::RemoveFile(target, ignored);
  }

  const std::size_t allowed = AllowedBytes(path, bytes.size());
  const unsigned permissions = replacing ? entry.Permissions : platform::NewFilePermissions();
  Status outcome;
  const std::size_t written = platform::WriteBytes(temporary, bytes.substr(0, allowed), error);
  if (written != bytes.size()) {
    outcome = error != 0 ? WriteFailure(FailureKind::ShortWrite, "Cannot write", path,
                                        platform::ErrorText(error))
                         : Failure{FailureKind::ShortWrite, path, {}, {}};
  } else if (!platform::SetPermissions(temporary, permissions, error) ||
             !platform::CloseTemporaryFile(temporary, error)) {
    outcome =
        WriteFailure(FailureKind::ShortWrite, "Cannot write", path, platform::ErrorText(error));
  } else if (!platform::CommitTemporaryFile(temporary, target, error)) {
    outcome =
        WriteFailure(FailureKind::CannotCreate, "Cannot create", path, platform::ErrorText(error));
  }
  if (outcome) {
    if (keptBackup)
      *keptBackup = backup;
    return outcome;
  }
  platform::DiscardTemporaryFile(temporary);
  if (options.RemoveOldFirst) {
    // The old file is gone: its backup, if one was due, is all that is left of it.
    if (keptBackup)
      *keptBackup = backup;
  } else {
    // The old file is still in place: its copy is not needed.
    DropBackup(backup);
  }
  return outcome;
}

Status CheckNamesFit(std::span<const PlannedWrite> writes) {
  // The writes mostly share one folder, whose limits are asked for once.
  std::optional<std::string> limitsFolder;
  platform::NameLimits limits;
  for (const PlannedWrite& write : writes) {
    std::string target;
    const platform::Entry entry = platform::ExamineTarget(write.Path, target);
    if (std::string folder = FolderOf(target); folder != limitsFolder) {
      limits = platform::NameLimitsIn(folder);
      limitsFolder = std::move(folder);
    }
    if (const std::string problem = LengthProblem(target, limits); !problem.empty())
      return WriteFailure(FailureKind::CannotCreate, "Cannot create", write.Path, problem);
    // A backup is due only for an edited file; its name is looked at only where it could
    // be too long (nine digits are the most a number takes), so that a generation reads no
    // file or folder twice for nothing.
    if (entry.Kind != platform::EntryKind::Regular || !write.Options.KeepEdits ||
        LengthProblem(target + ".~123456789~", limits).empty())
      continue;
    const std::string backup = BackupName(target, HighestBackupNumber(target) + 1);
    if (LengthProblem(backup, limits).empty() ||
        CompareOld(target, write.Bytes, write.Options.IgnoredLinePrefix, write.Options.Unedited)
            .Unchanged)
      continue;
    return WriteFailure(FailureKind::CannotCreate, "Cannot keep a backup of", write.Path,
                        "its backup " + FileNameOf(backup) + ": " + LengthProblem(backup, limits));
  }
  return {};
}

FolderWriteLock::FolderWriteLock() : Lock(std::make_unique<platform::FolderLock>()) {}

FolderWriteLock::~FolderWriteLock() = default;

Status FolderWriteLock::Acquire(const std::string& folder, std::chrono::milliseconds wait) {
  const std::string shown = folder.empty() ? std::string("./") : folder;
  int error = 0;
  if (Lock->Acquire(folder, wait, error)) {
    RemoveLeftTemporaryFiles(folder, std::filesystem::file_time_type::clock::now());
    return {};
  }
  if (error == EWOULDBLOCK) {
    return Failure{FailureKind::CannotCreate,
                   folder,
                   "Cannot write into " + shown +
                       ": another generation is writing there; try again when it has finished",
                   {}};
  }
  // A folder that is not there (or no folder) makes no file either: the first write says so.
  if (error == ENOENT || error == ENOTDIR)
    return {};
  return Failure{FailureKind::CannotCreate,
                 folder,
                 "Cannot write into " + shown +
                     ": the folder cannot be locked against another generation at the same "
                     "time (" +
                     platform::ErrorText(error) + "); nothing was written",
                 {}};
}

void RemoveTemporaryFileOnInterrupt() {
  platform::RemoveTemporaryFileOnInterrupt();
}

ScopedWriteLimit::ScopedWriteLimit(WriteLimit limit) : Previous(std::move(gLimit)) {
  gLimit = std::move(limit);
}

ScopedWriteLimit::~ScopedWriteLimit() {
  gLimit = std::move(Previous);
}

}  // namespace pinwright
