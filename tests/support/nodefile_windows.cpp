// Windows has no FIFOs, device nodes or sockets that live in a folder, and its interrupts
// are console events that only a console can send: those cases are skipped there.
#include <stdlib.h>

#include "support/tempdir.h"

namespace pinwright::testing {

bool MakeSpecialFile(TargetKind, const std::string&) {
  return false;
}

void SetEnvironment(const char* name, const std::string& value) {
  _putenv_s(name, value.c_str());
}

std::string DevicePath() {
  return "NUL";
}

std::vector<EndingSignal> InterruptSignals() {
  return {};
}

void NoCoreFiles() {}

}  // namespace pinwright::testing
