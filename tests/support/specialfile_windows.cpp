// Windows has no FIFOs, device nodes or sockets that live in a folder: those cases are
// skipped there.
#include "support/tempdir.h"

namespace pinwright::testing {

bool MakeSpecialFile(TargetKind, const std::string&) {
  return false;
}

}  // namespace pinwright::testing
