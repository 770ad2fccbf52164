#include "support/recordinghost.h"

namespace pinwright::testing {

RecordingHost::RecordingHost() : Scope(*this) {}

void RecordingHost::ShowMessage(MessageKind kind, const std::string& text) {
  Messages.push_back({kind, text});
}

std::optional<std::string> RecordingHost::RunFileDialog(const FileDialog& dialog) {
  Dialogs.push_back(dialog);
  if (Answers.empty())
    return std::nullopt;
  std::optional<std::string> answer = std::move(Answers.front());
  Answers.pop_front();
  return answer;
}

}  // namespace pinwright::testing
