// Properties every generated project must have, whatever the configuration: checked against
// the ordered board model and the generated texts. Shared by the configuration sweep and the
// fuzz harness, so it reports problems as text and uses no test framework.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "build/buildproject.h"
#include "model/mainboard.h"

namespace pinwright::testing {

// The text of the generated file with the suffix (".qsf", "_tb.v"); empty text when the
// project has none.
inline std::string_view FileText(const std::vector<ProjectFile>& files, std::string_view suffix) {
  for (const ProjectFile& file : files) {
    if (file.Suffix == suffix)
      return file.Text;
  }
  return {};
}

struct GeneratedTexts {
  std::string_view Qsf;
  std::string_view Verilog;
  std::string_view Sdc;
};

// One line per broken property; empty when the project is sound:
// - every port of the top-level module has its own name, letter case ignored, and that name
//   is a Verilog identifier;
// - every active pin has a name, a direction of 1..3, a location and an I/O standard name,
//   and no FPGA location carries two active pins;
// - every clock pin has its create_clock line in the .sdc, and the .sdc constrains nothing else;
// - the .qsf assigns exactly the active pins of the model, each with its own location and
//   standard, and the module's ports cover exactly the pins the .qsf assigns.
std::vector<std::string> CheckProject(const TMainBoard& model, const GeneratedTexts& texts);

}  // namespace pinwright::testing
