// The desktop program's host: Qt message boxes and file dialogs, the system alert sound,
// the executable's folder and the local clock.
#pragma once

#include <QString>
#include <QStringList>

#include "host/host.h"

namespace pinwright {

class QtHost : public Host {
 public:
  void ShowMessage(MessageKind kind, const std::string& text) override;
  // With an "Open Folder" button that shows the folder in the desktop's file manager.
  void ShowProjectMessage(const std::string& text, const std::string& folder) override;
  void ShowAbout(const std::string& text) override;
  void PlayAlertSound() override;
  bool AskYesNo(const std::string& question) override;
  std::optional<std::string> RunFileDialog(const FileDialog& dialog) override;
  std::string ExecutableFolder() override;
  LocalDateTime Now() override;
};

// The Qt name filter of one kind of file, e.g. "Board Configuration Files (*.cfg *.CFG)": the
// description without its own pattern list, then every pattern in lower and upper case, so
// that files named either way show on a case-sensitive file system.
QString QtNameFilter(const FileFilter& filter);

// Message text for a Qt box: CR LF line ends become plain line breaks.
QString MessageBoxText(const std::string& text);

}  // namespace pinwright
