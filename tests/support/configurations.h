// Settings records that several tests, benchmarks and fuzz seeds start from.
#pragma once

#include <string>
#include <vector>

#include "generate/larkspurproject.h"
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

// The road of a front end without its messages: check the record and the path, then
// generate. The first failure, or success.
inline Status CheckAndGenerate(const TLarkspurSettings& settings, const std::string& qpfPath,
                               const GenerationOptions& options = {},
                               std::vector<std::string>* backups = nullptr) {
  const Result<CheckedSettings> checked = CheckLarkspurSettings(settings);
  if (!checked)
    return checked.Error();
  if (Status names = CheckTopLevelNames(*checked, options.TopLevel); !names)
    return names;
  const Result<CheckedProjectPath> path = CheckProjectPath(qpfPath, options.TopLevel);
  if (!path)
    return path.Error();
  return GenerateLarkspurProject(*checked, *path, options, backups);
}

}  // namespace pinwright::testing
