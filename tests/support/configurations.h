// Settings records that several tests, benchmarks and fuzz seeds start from.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "build/buildproject.h"
#include "cards/usercards.h"
#include "project/checkedproject.h"
#include "settings/configlarkspur.h"

namespace pinwright::testing {

// The largest project: every component and two 36-pin cards whose signal names differ, each
// behind a prefix.
inline TLarkspurSettings LargestLarkspurSettings() {
  TLarkspurSettings settings = DefaultLarkspurSettings();
  for (const LarkspurComponent& component : kLarkspurComponents)
    settings.*component.Flag = 1;
  settings.Gpio0.Set(13);
  settings.Gpio1.Set(68);
  settings.PrefixGpio0.Set("LCD_");
  settings.PrefixGpio1.Set("RF_");
  return settings;
}

// The road of a front end without its messages: check the project, then build it. The first
// failure, or success.
inline Status CheckAndGenerate(const TLarkspurSettings& settings, const std::string& qpfPath,
                               const GenerationOptions& options = {},
                               std::vector<std::string>* backups = nullptr) {
  const Result<CheckedProject> project = pinwright::CheckProject(settings, qpfPath, options);
  if (!project)
    return project.Error();
  std::vector<std::string> kept;
  const Result<GenerationReport> report = BuildProject(*project, &kept);
  if (backups)
    *backups = report ? report->Backups : kept;
  if (!report)
    return report.Error();
  return {};
}

// The files of the record's project at qpfPath, made in memory on the checked road, as a
// generation at the instant now would write them; the first failure of the checks.
inline Result<std::vector<ProjectFile>> CheckedFiles(const TLarkspurSettings& settings,
                                                     const std::string& qpfPath,
                                                     const LocalDateTime& now,
                                                     const GenerationOptions& options = {}) {
  const Result<CheckedProject> project = pinwright::CheckProject(settings, qpfPath, options);
  if (!project)
    return project.Error();
  return MakeProjectFiles(*project, now);
}

#ifdef PINWRIGHT_TEST_DATA_DIR
// The test's two card files installed for as long as the object lives: card 1001 (an LVTTL
// clock input, Schmitt trigger inouts, a pull-up) and card 2040 (LVTTL throughout).
class TestCards {
 public:
  TestCards() {
    const CardSource folder{CardSource::Kind::Folder,
                            std::string(PINWRIGHT_TEST_DATA_DIR) + "/cards/files"};
    InstallUserCards(LoadCards(std::span(&folder, 1)));
  }
  ~TestCards() { InstallUserCards({}); }
  TestCards(const TestCards&) = delete;
  TestCards& operator=(const TestCards&) = delete;
};
#endif

}  // namespace pinwright::testing
