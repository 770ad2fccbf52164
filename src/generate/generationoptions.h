// What a generation writes besides the five project files. The front ends fill it from their
// own controls (command-line options, the form's check boxes) and the core honours it.
#pragma once

namespace pinwright {

// The pin list: one file for scripts (NAME.pins.json), one the Pin Planner imports
// (NAME.pins.csv).
struct PinListFiles {
  bool Json = false;
  bool Csv = false;

  bool Any() const { return Json || Csv; }
  static PinListFiles Both() { return {true, true}; }
};

struct GenerationOptions {
  PinListFiles PinList;
};

}  // namespace pinwright
