// A host for tests: records every message and alert sound, answers file dialogs from a
// script, and reports a fixed executable folder and clock.
#pragma once

#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "host/host.h"

namespace pinwright::testing {

struct RecordedMessage {
  MessageKind Kind;
  std::string Text;
  bool operator==(const RecordedMessage&) const = default;
};

// Readable failures: the kind's number and the text.
inline void PrintTo(const RecordedMessage& message, std::ostream* out) {
  *out << static_cast<int>(message.Kind) << " \"" << message.Text << '"';
}

class RecordingHost : public Host {
 public:
  // Installs itself as the current host for its lifetime.
  RecordingHost();

  void ShowMessage(MessageKind kind, const std::string& text) override;
  // Recorded as an information message, and the folder offered in OfferedFolders.
  void ShowProjectMessage(const std::string& text, const std::string& folder) override {
    ShowMessage(MessageKind::Information, text);
    OfferedFolders.push_back(folder);
  }
  void PlayAlertSound() override { ++AlertSounds; }
  // Recorded in Questions; answered from AnswerNextQuestion, No when none is left.
  bool AskYesNo(const std::string& question) override {
    Questions.push_back(question);
    const bool yes = !YesNoAnswers.empty() && YesNoAnswers.front();
    if (!YesNoAnswers.empty())
      YesNoAnswers.pop_front();
    return yes;
  }
  std::optional<std::string> RunFileDialog(const FileDialog& dialog) override;
  std::string ExecutableFolder() override { return ExeFolder; }
  LocalDateTime Now() override { return Clock; }

  // The next dialog answers with this path; nothing means the user cancels.
  void AnswerNextDialog(std::optional<std::string> path) { Answers.push_back(std::move(path)); }
  void AnswerNextQuestion(bool yes) { YesNoAnswers.push_back(yes); }

  std::vector<RecordedMessage> Messages;
  std::vector<std::string> Questions;       // every yes-or-no question asked
  std::vector<FileDialog> Dialogs;          // every dialog shown, as it was asked for
  std::vector<std::string> OfferedFolders;  // the folders project messages offered to open
  int AlertSounds = 0;
  std::string ExeFolder = "/nonexistent/";
  LocalDateTime Clock{2025, 3, 15, 14, 5, 33};

 private:
  std::deque<std::optional<std::string>> Answers;
  std::deque<bool> YesNoAnswers;
  HostScope Scope;
};

}  // namespace pinwright::testing
