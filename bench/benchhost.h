// A host for the benchmarks: messages and sounds dropped, dialogs cancelled, a fixed clock.
#pragma once

#include "host/host.h"

namespace pinwright::bench {

class QuietHost : public Host {
 public:
  QuietHost() : Scope(*this) {}
  void ShowMessage(MessageKind, const std::string&) override {}
  void PlayAlertSound() override {}
  std::optional<std::string> RunFileDialog(const FileDialog&) override { return std::nullopt; }
  std::string ExecutableFolder() override { return "/nonexistent/"; }
  LocalDateTime Now() override { return {2025, 3, 15, 14, 5, 33}; }

 private:
  HostScope Scope;
};

}  // namespace pinwright::bench
