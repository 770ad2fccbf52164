#include "host/host.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "host/failure.h"
#include "host/paths.h"
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
  const std::string line = label + text + '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void StderrHost::PlayAlertSound() {}

std::optional<std::string> StderrHost::RunFileDialog(const FileDialog&) {
  return std::nullopt;
}

std::string StderrHost::ExecutableFolder() {
  std::string folder = platform::ExecutableFolder();
  if (!folder.empty())
    return folder;
  std::error_code error;
  folder = Utf8FromPath(std::filesystem::current_path(error));
  if (folder.empty() || folder.back() != kFolderSeparator)
    folder += kFolderSeparator;
  return folder;
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

void ReportFailure(const Failure& failure) {
  if (!failure.SystemMessage.empty())
    ShowUnexpectedError(failure.SystemMessage);
  if (!failure.Reason.empty())
    ShowError(failure.Reason);
}

}  // namespace pinwright
