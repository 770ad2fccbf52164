#include "ui/qthost.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

namespace pinwright {

QString MessageBoxText(const std::string& text) {
  QString result = QString::fromStdString(text);
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return result;
}

QString QtNameFilter(const FileFilter& filter) {
  QString description = QString::fromStdString(filter.Description).trimmed();
  // Qt reads the patterns from the last pair of parentheses; drop the description's own.
  if (description.endsWith(QLatin1Char(')'))) {
    qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open >= 0)
      description = description.left(open).trimmed();
  }
  QStringList patterns;
  const QStringList given =
      QString::fromStdString(filter.Pattern)
          .split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts);
  for (const QString& pattern : given) {
    for (const QString& variant : {pattern.toLower(), pattern.toUpper()}) {
      if (!patterns.contains(variant))
        patterns.append(variant);
    }
  }
  if (patterns.isEmpty())
    patterns.append(QStringLiteral("*"));
  return QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
}

void QtHost::ShowMessage(MessageKind kind, const std::string& text) {
  QWidget* parent = QApplication::activeWindow();
  const QString body = MessageBoxText(text);
  // The icon tells the kind; the title names the program the message comes from.
  switch (kind) {
    case MessageKind::Information:
      QMessageBox::information(parent, QStringLiteral("Pinwright"), body);
      break;
    case MessageKind::Error:
    case MessageKind::Unexpected:
      QMessageBox::critical(parent, QStringLiteral("Pinwright"), body);
      break;
  }
}

void QtHost::ShowProjectMessage(const std::string& text, const std::string& folder) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Generate project"),
                  MessageBoxText(text), QMessageBox::Ok, QApplication::activeWindow());
  QPushButton* open = box.addButton(QStringLiteral("&Open Folder"), QMessageBox::ActionRole);
  box.setDefaultButton(QMessageBox::Ok);
  // Escape closes the box as OK does; with a button of another role Qt would pick none.
  box.setEscapeButton(QMessageBox::Ok);
  box.exec();
  if (box.clickedButton() == open)
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

void QtHost::ShowAbout(const std::string& text) {
  QMessageBox::about(QApplication::activeWindow(), QStringLiteral("About Pinwright"),
                     MessageBoxText(text));
}

bool QtHost::AskYesNo(const std::string& question) {
  return QMessageBox::question(QApplication::activeWindow(), QStringLiteral("Pinwright"),
                               MessageBoxText(question), QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void QtHost::PlayAlertSound() {
  QApplication::beep();
}

std::optional<std::string> QtHost::RunFileDialog(const FileDialog& dialog) {
  QFileDialog box(QApplication::activeWindow());
  const bool open = dialog.Kind == FileDialogKind::Open;
  box.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  if (!dialog.Title.empty())
    box.setWindowTitle(QString::fromStdString(dialog.Title));
  // An open dialog returns only files that exist; a save dialog asks before it names a
  // file that is there already.
  box.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  const QString filter = QtNameFilter({dialog.FilterDescription, dialog.FilterPattern});
  QStringList filters{filter};
  for (const FileFilter& more : dialog.MoreFilters)
    filters.append(QtNameFilter(more));
  box.setNameFilters(filters);
  box.selectNameFilter(filter);
  if (!dialog.DefaultExtension.empty()) {
    box.setDefaultSuffix(QString::fromStdString(dialog.DefaultExtension));
  }
  if (!dialog.InitialFolder.empty()) {
    box.setDirectory(QString::fromStdString(dialog.InitialFolder));
  }
  if (!dialog.InitialFileName.empty()) {
    box.selectFile(QString::fromStdString(dialog.InitialFileName));
  }
  if (box.exec() != QDialog::Accepted)
    return std::nullopt;
  const QStringList chosen = box.selectedFiles();
  if (chosen.isEmpty())
    return std::nullopt;
  return QDir::toNativeSeparators(chosen.front()).toStdString();
}

std::string QtHost::ExecutableFolder() {
  return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/'))
      .toStdString();
}

LocalDateTime QtHost::Now() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate date = now.date();
  const QTime time = now.time();
  return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

}  // namespace pinwright
