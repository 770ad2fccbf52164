// Writing a whole file so that it either holds every byte or is left as it was.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pinwright {

enum class WriteStatus {
  Written,
  CreateFailed,  // the file could not be created or put in place; see ErrorMessage
  ShortWrite,    // fewer bytes than asked for reached the file
};

struct WriteOutcome {
  WriteStatus Status = WriteStatus::Written;
  std::string ErrorMessage;  // the system's own words when Status is CreateFailed

  bool Ok() const { return Status == WriteStatus::Written; }
};

// Writes the bytes to a temporary file in the target's folder, flushes it and renames it over
// the target only when every byte arrived. On any failure the temporary file is removed and an
// existing target keeps its old contents.
WriteOutcome WriteFileAtomically(const std::string& path, std::string_view bytes);

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
