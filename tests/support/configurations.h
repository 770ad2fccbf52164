// Settings records that several tests, benchmarks and fuzz seeds start from.
#pragma once

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

}  // namespace pinwright::testing
