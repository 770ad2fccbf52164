// Writing a whole file so that it either holds every byte or is left as it was.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/failure.h"

namespace pinwright {

// Writes the bytes to a temporary file in the target's folder, flushes it and renames it over
// the target only when every byte arrived. On any failure the temporary file is removed and an
// existing target keeps its old contents. The failure is CannotCreate (the file could not be
// created or put in place; SystemMessage holds the system's words) or ShortWrite, with the
// target as File and no Reason: the caller words it for the user.
Status WriteFileAtomically(const std::string& path, std::string_view bytes);

// Test seam: a limit asked for every write, given the target path; it returns how many bytes
// that write may put into the file before it fails, or nothing for no limit.
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
