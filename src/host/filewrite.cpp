#include "host/filewrite.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "host/paths.h"
#include "host/platform.h"

namespace pinwright {
namespace {

WriteLimit gLimit;

std::string TemporaryPathFor(const std::string& path) {
  static std::mt19937_64 generator{std::random_device{}()};
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%016llx.tmp",
                static_cast<unsigned long long>(generator()));
  const std::filesystem::path target = PathFromUtf8(path);
  return Utf8FromPath(target.parent_path() /
                      PathFromUtf8("." + Utf8FromPath(target.filename()) + suffix));
}

std::string SystemMessage(int error) {
  return std::strerror(error);
}

}  // namespace

WriteOutcome WriteFileAtomically(const std::string& path, std::string_view bytes) {
  std::error_code error;
  if (std::filesystem::is_directory(PathFromUtf8(path), error)) {
    return {WriteStatus::CreateFailed, SystemMessage(EISDIR)};
  }
  const std::string temporary = TemporaryPathFor(path);
  // Never take over a file that happens to exist under the temporary name.
  std::string reason;
  std::FILE* file = platform::CreateNewFile(temporary, reason);
  if (!file)
    return {WriteStatus::CreateFailed, reason};

  std::size_t allowed = bytes.size();
  if (gLimit) {
    if (std::optional<std::size_t> limit = gLimit(path); limit && *limit < allowed) {
      allowed = *limit;
    }
  }
  std::size_t written = allowed ? std::fwrite(bytes.data(), 1, allowed, file) : 0;
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;

  WriteOutcome outcome;
  if (written != bytes.size() || !flushed || !closed) {
    outcome.Status = WriteStatus::ShortWrite;
  } else {
    if (!platform::MoveIntoPlace(temporary, path, reason))
      outcome = {WriteStatus::CreateFailed, reason};
  }
  if (!outcome.Ok())
    std::filesystem::remove(PathFromUtf8(temporary), error);
  return outcome;
}

ScopedWriteLimit::ScopedWriteLimit(WriteLimit limit) : Previous(std::move(gLimit)) {
  gLimit = std::move(limit);
}

ScopedWriteLimit::~ScopedWriteLimit() {
  gLimit = std::move(Previous);
}

}  // namespace pinwright
