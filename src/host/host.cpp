#include "host/host.h"

#include <ctime>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "host/failure.h"
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
  std::string folder = platform::ExecutableFolder();
  if (!folder.empty())
    return folder;
  std::error_code error;
  folder = std::filesystem::current_path(error).string();
  if (folder.empty() || folder.back() != '/')
    folder += '/';
  return folder;
}

LocalDateTime StderrHost::Now() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
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
