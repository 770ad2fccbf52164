#include "host/filewrite.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

namespace pinwright {
namespace {

WriteLimit gLimit;

std::string TemporaryPathFor(const std::string& path) {
  static std::mt19937_64 generator{std::random_device{}()};
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%016llx.tmp",
                static_cast<unsigned long long>(generator()));
  std::filesystem::path target(path);
  return (target.parent_path() / ("." + target.filename().string() + suffix)).string();
}

std::string SystemMessage(int error) {
  return std::strerror(error);
}

}  // namespace

Status WriteFileAtomically(const std::string& path, std::string_view bytes) {
  auto cannotCreate = [&](std::string message) {
    return Failure{FailureKind::CannotCreate, path, {}, std::move(message)};
  };
  std::error_code error;
  if (std::filesystem::is_directory(path, error))
    return cannotCreate(SystemMessage(EISDIR));
  const std::string temporary = TemporaryPathFor(path);
  // "x": never take over a file that happens to exist under the temporary name.
  std::FILE* file = std::fopen(temporary.c_str(), "wbx");
  if (!file)
    return cannotCreate(SystemMessage(errno));

  std::size_t allowed = bytes.size();
  if (gLimit) {
    if (std::optional<std::size_t> limit = gLimit(path); limit && *limit < allowed) {
      allowed = *limit;
    }
  }
  std::size_t written = allowed ? std::fwrite(bytes.data(), 1, allowed, file) : 0;
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;

  Status outcome;
  if (written != bytes.size() || !flushed || !closed) {
    outcome = Failure{FailureKind::ShortWrite, path, {}, {}};
  } else {
    std::filesystem::rename(temporary, path, error);
    if (error)
      outcome = cannotCreate(error.message());
  }
  if (!outcome)
    std::filesystem::remove(temporary, error);
  return outcome;
}

ScopedWriteLimit::ScopedWriteLimit(WriteLimit limit) : Previous(std::move(gLimit)) {
  gLimit = std::move(limit);
}

ScopedWriteLimit::~ScopedWriteLimit() {
  gLimit = std::move(Previous);
}

}  // namespace pinwright
