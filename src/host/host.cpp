#include "host/host.h"

#include <ctime>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "host/failure.h"

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
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  std::filesystem::path folder = error ? std::filesystem::current_path(error) : exe.parent_path();
  std::string text = folder.string();
  if (text.empty() || text.back() != '/')
    text += '/';
  return text;
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
