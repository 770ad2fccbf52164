#include "host/host.h"

#include <ctime>
#include <iostream>

#include "host/platform.h"

namespace pinwright {
namespace {

StderrHost& DefaultHost() {
  static StderrHost host;
  return host;
}

Host* gCurrent = nullptr;

}  // namespace

void StderrHost::ShowMessage(MessageKind kind, const std::string& text) {
  const char* label = kind == MessageKind::Information ? "" : "error: ";
  std::cerr << label << text << '\n';
}

void StderrHost::PlayAlertSound() {}

std::optional<std::string> StderrHost::RunFileDialog(const FileDialog&) {
  return std::nullopt;
}

std::string StderrHost::ExecutableFolder() {
  return platform::ExecutableFolder();
}

LocalDateTime StderrHost::Now() {
  return platform::LocalTime(std::time(nullptr));
}

Host& CurrentHost() {
  return gCurrent ? *gCurrent : DefaultHost();
}

HostScope::HostScope(Host& host) : Previous(gCurrent) {
  gCurrent = &host;
}

HostScope::~HostScope() {
  gCurrent = Previous;
}

}  // namespace pinwright
