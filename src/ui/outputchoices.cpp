#include "ui/outputchoices.h"

#include <QSettings>

namespace pinwright {
namespace {

const QString kTopLevelKey = QStringLiteral("Generate/TopLevel");
const QString kTestbenchKey = QStringLiteral("Generate/Testbench");

}  // namespace

GenerationOptions ReadOutputChoices(const std::string& iniPath) {
  const QSettings ini(QString::fromStdString(iniPath), QSettings::IniFormat);
  GenerationOptions options;
  const std::string keyword = ini.value(kTopLevelKey).toString().toStdString();
  if (const std::optional<HdlLanguage> language = HdlLanguageFromKeyword(keyword))
    options.TopLevel = *language;
  options.Testbench = ini.value(kTestbenchKey).toInt() == 1;
  return options;
}

void WriteOutputChoices(const std::string& iniPath, const GenerationOptions& options) {
  QSettings ini(QString::fromStdString(iniPath), QSettings::IniFormat);
  const std::string_view keyword = HdlLanguageKeyword(options.TopLevel);
  ini.setValue(kTopLevelKey, QString::fromLatin1(keyword.data(), qsizetype(keyword.size())));
  ini.setValue(kTestbenchKey, options.Testbench ? 1 : 0);
  ini.sync();
}

}  // namespace pinwright
