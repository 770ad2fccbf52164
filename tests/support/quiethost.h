// A host that drops every message and sound (counting them), cancels every dialog and
// reports a fixed clock and executable folder, so runs repeat exactly. It installs itself
// as the current host for its lifetime. For benchmarks and fuzzing, where nothing is shown.
#pragma once

#include <optional>
#include <string>

#include "host/host.h"

namespace pinwright::testing {

class QuietHost : public Host {
 public:
  QuietHost() : Scope(*this) {}

  void ShowMessage(MessageKind, const std::string&) override { ++Messages; }
  void PlayAlertSound() override { ++AlertSounds; }
  std::optional<std::string> RunFileDialog(const FileDialog&) override { return std::nullopt; }
  std::string ExecutableFolder() override { return "/nonexistent/"; }
  LocalDateTime Now() override { return {2025, 3, 15, 14, 5, 33}; }

  int Messages = 0;
  int AlertSounds = 0;

 private:
  HostScope Scope;
};

}  // namespace pinwright::testing
