// The core's one interface to its surroundings: messages, the alert sound, file dialogs,
// the executable's folder and the clock. The desktop program implements it with Qt, the
// command-line tool on stderr, and the tests with a recorder.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pinwright {

enum class MessageKind {
  Error,        // an error box with one OK button
  Information,  // an information box with one OK button
  Unexpected,   // the toolkit's standard box for an error raised by the system
};

enum class FileDialogKind { Open, Save };

// One kind of file a dialog offers: "Board Configuration Files (*.cfg)" and "*.cfg".
struct FileFilter {
  std::string Description;
  std::string Pattern;
};

// What a file-open or file-save dialog is asked to show.
struct FileDialog {
  FileDialogKind Kind = FileDialogKind::Open;
  std::string Title;              // what the dialog is for, e.g. "Save settings"
  std::string FilterDescription;  // e.g. "Board Configuration Files (*.cfg)"
  std::string FilterPattern;      // e.g. "*.cfg"
  int FilterIndex = 1;            // from 1, as the filter list counts
  std::string DefaultExtension;   // without the dot; appended to a name typed without one
  std::string InitialFolder;
  std::string InitialFileName;
  std::vector<FileFilter> MoreFilters;  // offered after the first one, for files of other kinds
};

struct LocalDateTime {
  int Year = 1970;
  int Month = 1;  // 1..12
  int Day = 1;    // 1..31
  int Hour = 0;   // 0..23
  int Minute = 0;
  int Second = 0;
};

class Host {
 public:
  virtual ~Host() = default;

  virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;
  // An information box about a project just written that also offers to open its folder.
  // Without a file manager to open it, the plain information box.
  virtual void ShowProjectMessage(const std::string& text, const std::string& folder) {
    (void)folder;
    ShowMessage(MessageKind::Information, text);
  }
  // The program's About box; by default an information box.
  virtual void ShowAbout(const std::string& text) { ShowMessage(MessageKind::Information, text); }
  virtual void PlayAlertSound() = 0;
  // A question with Yes and No, No the default; true for Yes. Without anyone to answer, No.
  virtual bool AskYesNo(const std::string& question) {
    (void)question;
    return false;
  }
  // The chosen full path, or nothing when the user cancels.
  virtual std::optional<std::string> RunFileDialog(const FileDialog& dialog) = 0;
  // The folder of the running executable, with its trailing separator.
  virtual std::string ExecutableFolder() = 0;
  virtual LocalDateTime Now() = 0;
};

// Messages on stderr, every dialog cancelled, the executable's folder from the system and
// the local time. The host in force until a front end installs its own.
class StderrHost : public Host {
 public:
  void ShowMessage(MessageKind kind, const std::string& text) override;
  void PlayAlertSound() override;
  std::optional<std::string> RunFileDialog(const FileDialog& dialog) override;
  std::string ExecutableFolder() override;
  LocalDateTime Now() override;
};

// The host the core talks to.
Host& CurrentHost();

// Installs a host for its own lifetime and restores the previous one afterwards.
class HostScope {
 public:
  explicit HostScope(Host& host);
  ~HostScope();
  HostScope(const HostScope&) = delete;
  HostScope& operator=(const HostScope&) = delete;

 private:
  Host* Previous;
};

// Shorthands for the core's own code.
inline void ShowError(const std::string& text) {
  CurrentHost().ShowMessage(MessageKind::Error, text);
}
inline void ShowInformation(const std::string& text) {
  CurrentHost().ShowMessage(MessageKind::Information, text);
}
inline void ShowUnexpectedError(const std::string& text) {
  CurrentHost().ShowMessage(MessageKind::Unexpected, text);
}
inline void PlayAlertSound() {
  CurrentHost().PlayAlertSound();
}

}  // namespace pinwright
