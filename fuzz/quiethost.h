// A host for the fuzz harnesses: every message and sound is dropped, every dialog cancelled,
// and the clock and the executable's folder are fixed so that runs repeat exactly.
#pragma once

#include "host/host.h"

namespace pinwright::fuzzing {

class QuietHost : public Host {
 public:
  void ShowMessage(MessageKind, const std::string&) override { ++Messages; }
  void PlayAlertSound() override { ++AlertSounds; }
  std::optional<std::string> RunFileDialog(const FileDialog&) override { return std::nullopt; }
  std::string ExecutableFolder() override { return "/nonexistent/"; }
  LocalDateTime Now() override { return {2025, 3, 15, 14, 5, 33}; }

  int Messages = 0;
  int AlertSounds = 0;
};

// Reports a broken expectation on stderr and aborts, so that libFuzzer keeps the input.
[[noreturn]] void Fail(const char* what, const std::string& detail);

}  // namespace pinwright::fuzzing
