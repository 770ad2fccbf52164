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

bool SameApartFrom(std::string_view old, std::string_view fresh, std::string_view ignored) {
  while (!old.empty() || !fresh.empty()) {
    if (old.empty() || fresh.empty())
      return false;
    const std::string_view a = TakeLine(old);
    const std::string_view b = TakeLine(fresh);
    if (a == b)
      continue;
    if (ignored.empty() || !a.starts_with(ignored) || !b.starts_with(ignored))
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

// Keeps the old target as NAME.~N~ when its contents differ from the new bytes. backup
// receives the backup's path, or stays empty when the old file matched.
Status KeepEditedFile(const std::string& target, const platform::Entry& entry,
                      std::string_view bytes, std::string_view ignored, const std::string* unedited,
                      std::string& backup) {
  const std::size_t longest = std::max(bytes.size(), unedited ? unedited->size() : 0);
  const platform::ReadResult old = platform::ReadRegularFile(target, longest + kCompareSlack);
  const bool readWhole = old.Status == platform::ReadStatus::Read && old.Bytes.size() == old.Size;
  if (readWhole && (SameApartFrom(old.Bytes, bytes, ignored) ||
                    (unedited && SameApartFrom(old.Bytes, *unedited, ignored)))) {
    return {};
  }

  unsigned long number = HighestBackupNumber(target);
  for (int attempt = 0; attempt < kBackupAttempts; ++attempt) {
    const std::string candidate = target + ".~" + std::to_string(++number) + "~";
    int error = 0;
    // A second name for the old file: its contents and mode stay as they are, whatever
    // happens to the target's name afterwards.
    if (platform::LinkFile(target, candidate, error)) {
      backup = candidate;
      return {};
    }
    if (error == EEXIST)
      continue;
    // A file system without hard links: copy what was read instead.
    if (error == ENAMETOOLONG || !readWhole) {
      return WriteFailure(FailureKind::CannotCreate, "Cannot keep a backup of", target,
                          platform::ErrorText(error));
    }
    error = 0;
    if (platform::CreateNewFile(candidate, old.Bytes, entry.Permissions, error)) {
      backup = candidate;
      return {};
    }
    if (error != EEXIST) {
      return WriteFailure(FailureKind::CannotCreate, "Cannot keep a backup of", target,
                          platform::ErrorText(error));
    }
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

}  // namespace

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
  switch (entry.Kind) {
    case platform::EntryKind::Folder:
      return WriteFailure(FailureKind::CannotCreate, "Cannot create", path,
                          platform::ErrorText(EISDIR));
    case platform::EntryKind::Other:
      return WriteFailure(FailureKind::CannotCreate, "Cannot replace", path,
                          "it is not a regular file");
    case platform::EntryKind::Regular:
      // Root could write anyway; the missing write bits are the user's wish all the same.
      if (entry.WriteProtected()) {
        return WriteFailure(FailureKind::CannotCreate, "Cannot replace", path,
                            "the file is write-protected");
      }
      break;
    case platform::EntryKind::Missing:
      break;
  }
  const bool replacing = entry.Kind == platform::EntryKind::Regular;

  platform::TemporaryFile temporary;
  if (!platform::CreateTemporaryFile(FolderOf(target), temporary, error))
    return WriteFailure(FailureKind::CannotCreate, "Cannot create", path,
                        platform::ErrorText(error));

  std::string backup;
  if (replacing && options.KeepEdits) {
    Status kept =
        KeepEditedFile(target, entry, bytes, options.IgnoredLinePrefix, options.Unedited, backup);
    if (!kept) {
      platform::DiscardTemporaryFile(temporary);
      return kept;
    }
  }
  if (replacing && options.RemoveOldFirst) {
    int ignored = 0;
    platform::RemoveFile(target, ignored);
  }

  std::size_t allowed = bytes.size();
  if (gLimit) {
    if (std::optional<std::size_t> limit = gLimit(path); limit && *limit < allowed)
      allowed = *limit;
  }
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
