#include "outputs/projecttexts.h"

#include <cstdio>
#include <initializer_list>
#include <utility>

#include "outputs/htmlgenerator.h"

namespace pinwright {
namespace {

constexpr const char* kQuartusVersion = "\"24.3\"";

// "14:05:33 03 15,2025" in the .qsf, "14:05:33 03 15, 2025" in the .qpf.
std::string TimeStamp(const LocalDateTime& now, const char* beforeYear) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d %02d %02d,%s%04d", now.Hour, now.Minute,
                now.Second, now.Month, now.Day, beforeYear, now.Year);
  return text;
}

// Appends the pieces one after the other, without building a joined temporary first: the
// settings file has two lines per pin.
void Append(std::string& text, std::initializer_list<std::string_view> pieces) {
  for (std::string_view piece : pieces)
    text += piece;
}

// What the pin lines of a text hold besides fixed words, summed over the active pins: the
// texts reserve their size from it first, so that they are never copied to grow, and no
// more, so that a generation stays small in memory.
struct PinTextSizes {
  std::size_t Groups = 0;
  std::size_t Pins = 0;        // active pins
  std::size_t HeaderPins = 0;  // of them on a GPIO header
  std::size_t Names = 0;       // bytes of their names
  std::size_t Locations = 0;   // bytes of their locations
  std::size_t Standards = 0;   // bytes of their I/O standard names
};

PinTextSizes MeasurePinTexts(const TMainBoard& board) {
  PinTextSizes size;
  size.Groups = board.GroupCount();
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const bool header = board.GroupAt(g).ConnectorType() != kConnectorOnBoard;
    board.GroupAt(g).ForEachActivePin([&](std::size_t, const TPin& pin) {
      ++size.Pins;
      size.HeaderPins += header ? 1 : 0;
      size.Names += pin.Name().size();
      size.Locations += pin.Location().size();
      size.Standards += pin.IoStandardName().size();
    });
  }
  return size;
}

std::string ConnectorTypeName(std::int32_t type) {
  return type == kConnectorGpio ? "GPIO" : "";
}

}  // namespace

std::string QpfText(const std::string& projectName, const LocalDateTime& now) {
  std::string text;
  text += "DATE = \"" + TimeStamp(now, " ") + "\"\r\n";
  text += "QUARTUS_VERSION = " + std::string(kQuartusVersion) + "\r\n";
  text += "\r\n";
  text += "# Revisions\r\n";
  text += "\r\n";
  text += "PROJECT_REVISION = \"" + projectName + "\"";
  text += "\r\n";
  return text;
}

std::string QsfText(const TMainBoard& board, const std::string& projectName,
                    const LocalDateTime& now, HdlLanguage topLevel) {
  const std::string rule = "#============================================================\r\n";
  const std::string global = "set_global_assignment -name";
  std::string text;
  // Per pin an I/O standard line (51 fixed bytes) and a location line (35); a heading of
  // three lines per group.
  const PinTextSizes size = MeasurePinTexts(board);
  text.reserve(2048 + board.QsfExtraAssignments().size() + size.Groups * 200 + size.Pins * 86 +
               size.Names * 2 + size.Locations + size.Standards);
  text += rule + "# Build by Velmora Pinwright\r\n" + rule + "\r\n";
  text += global + " FAMILY \"" + board.Family() + "\"\r\n";
  text += global + " DEVICE " + board.Device() + "\r\n";
  text += global + " TOP_LEVEL_ENTITY \"" + projectName + "\"\r\n";
  text += global + " ORIGINAL_QUARTUS_VERSION " + kQuartusVersion + "\r\n";
  text += global + " LAST_QUARTUS_VERSION " + kQuartusVersion + "\r\n";
  text += global + " PROJECT_CREATION_TIME_DATE \"" + TimeStamp(now, "") + "\"\r\n";
  text += global + " DEVICE_FILTER_PACKAGE " + board.Package() + "\r\n";
  text += global + " DEVICE_FILTER_PIN_COUNT " + std::to_string(board.PinCount()) + "\r\n";
  text += global + " DEVICE_FILTER_SPEED_GRADE " + board.SpeedGrade() + "\r\n";
  // The constraints file is written as NAME.sdc; the assignment names it exactly so, which
  // matters wherever file names are case-sensitive.
  text += global + " SDC_FILE " + projectName + ".sdc\r\n";
  // Quartus finds a Verilog top level by its name; the other languages are named, VHDL with
  // the revision of the language it is written in.
  if (topLevel == HdlLanguage::SystemVerilog)
    text += global + " SYSTEMVERILOG_FILE " + projectName + ".sv\r\n";
  if (topLevel == HdlLanguage::Vhdl) {
    text += global + " VHDL_INPUT_VERSION VHDL_2008\r\n";
    text += global + " VHDL_FILE " + projectName + ".vhd\r\n";
  }
  text += "set_global_assignment -name PROJECT_OUTPUT_DIRECTORY output_files\r\n";
  text += board.QsfExtraAssignments();

  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const TConnector& group = board.GroupAt(g);
    if (group.ActiveCount() > 0) {
      text += "\r\n" + rule + "# " + group.Name();
      if (!group.Description().empty())
        text += ", " + group.Description();
      text += "\r\n" + rule;
    }
    group.ForEachActivePin([&](std::size_t, const TPin& pin) {
      if (WritesAssignment(pin)) {
        Append(text, {"set_instance_assignment -name IO_STANDARD \"", pin.IoStandardName(),
                      "\" -to ", pin.Name(), "\r\n"});
      }
    });
    group.ForEachActivePin([&](std::size_t, const TPin& pin) {
      if (WritesAssignment(pin) && !pin.Location().empty())
        Append(text, {"set_location_assignment PIN_", pin.Location(), " -to ", pin.Name(), "\r\n"});
    });
    // Only a card file asks for pull-ups, so no built-in card's group gets these lines.
    group.ForEachActivePin([&](std::size_t, const TPin& pin) {
      if (WritesAssignment(pin) && pin.PullUp()) {
        Append(text,
               {"set_instance_assignment -name WEAK_PULL_UP_RESISTOR ON -to ", pin.Name(), "\r\n"});
      }
    });
  }

  text += "\r\n" + rule + "# End of pin assignments by Velmora Pinwright\r\n" + rule + "\r\n";
  return text;
}

std::string SdcText(const TMainBoard& board) {
  const std::string star = "#**************************************************************\r\n";
  auto banner = [&](const char* title) { return star + title + star; };
  std::string text;
  text += star + "# This .sdc file is created by Velmora Tool.\r\n" +
          "# Users are recommended to modify this file to match users logic.\r\n" + star + "\r\n";

  text += banner("# Create Clock\r\n");
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const TConnector& group = board.GroupAt(g);
    for (std::size_t i = 0; i < group.PinEntryCount(); ++i) {
      const TPin* pin = group.PinAt(i);
      if (!pin || !HasClockConstraint(*pin))
        continue;
      text += "create_clock -period \"" + pin->FrequencyText() + "\" [get_ports " + pin->Name() +
              "]\r\n";
    }
  }
  text += "\r\n";

  text += banner("# Create Generated Clock\r\n") + "derive_pll_clocks\r\n" + "\r\n\r\n\r\n";
  text += banner("# Set Clock Latency\r\n") + "\r\n\r\n\r\n";
  text += banner("# Set Clock Uncertainty\r\n") + "derive_clock_uncertainty\r\n" + "\r\n\r\n\r\n";
  for (const char* title :
       {"# Set Input Delay\r\n", "# Set Output Delay\r\n", "# Set Clock Groups\r\n",
        "# Set False Path\r\n", "# Set Multicycle Path\r\n", "# Set Maximum Delay\r\n",
        "# Set Minimum Delay\r\n", "# Set Input Transition\r\n", "# Set Load\r\n"}) {
    text += banner(title) + "\r\n\r\n\r\n";
  }
  return text;
}

std::string HtmlText(const TMainBoard& board) {
  THtmlGenerator html;
  // Per pin a row (13 fixed bytes) of four cells (26 each, and the direction word), and on
  // a header a fifth with the position; per group a link, a heading, a caption and a row of
  // titles.
  const PinTextSizes size = MeasurePinTexts(board);
  html.Reserve(2048 + size.Groups * 480 + size.Pins * 123 + size.HeaderPins * 28 + size.Names +
               size.Locations + size.Standards);
  html.BeginHtml();
  html.AddHeading(board.BoardName() + " Configuration", 1, "center");
  html.AddBreaks(2);
  html.AddHeading("Pin Assignments:", 2, "left");

  html.BeginList();
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const std::string& name = board.GroupAt(g).Name();
    html.AddLink(name, html.ListItem(name));
    html.AddBreaks(1);
  }
  html.EndList();
  html.AddBreaks(3);

  html.AddHeading("Pin Assignment Table:", 2, "left");
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const TConnector& group = board.GroupAt(g);
    const bool isHeader = group.ConnectorType() != kConnectorOnBoard;
    html.AddAnchorHeading(group.Name());
    // A header's caption names its card, whose name a card file gives.
    html.BeginTable(isHeader ? HtmlEscaped(group.Description()) : group.Name(), "left");
    html.AddBreaks(2);

    html.BeginRow();
    for (const char* title : {"Name", "Location", "Direction", "Standard"}) {
      html.AddCell(title, "left", true, "Khaki");
    }
    if (isHeader) {
      html.AddCell(ConnectorTypeName(group.ConnectorType()) + " Pin Index", "left", true, "Khaki");
    }
    html.EndRow();

    group.ForEachActivePin([&](std::size_t, const TPin& pin) {
      if (isHeader) {
        html.AddRow({pin.Name(), pin.Location(), pin.DirectionWord(), pin.IoStandardName(),
                     std::to_string(pin.PinNumber())});
      } else {
        html.AddRow({pin.Name(), pin.Location(), pin.DirectionWord(), pin.IoStandardName()});
      }
    });
    html.EndTable();
  }
  html.EndHtml();
  return std::move(html).TakeText();
}

}  // namespace pinwright
