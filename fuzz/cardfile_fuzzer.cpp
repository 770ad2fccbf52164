// Arbitrary text through the card file reader. Whatever the bytes, the reader answers with a
// card or with problems, never both; every problem has a place in the file; a card it accepts
// keeps its rows on the header, off the supply positions and apart, and reads back to the same
// rows from the card file written for it; and it fits onto a header.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "boards/larkspur_board.h"
#include "cards/cardfile.h"
#include "cards/usercards.h"
#include "fail.h"
#include "outputs/pinout.h"
#include "support/quiethost.h"

namespace pinwright::fuzzing {
namespace {

bool SameRows(const CardDefinition& a, const CardDefinition& b) {
  if (a.Rows.size() != b.Rows.size())
    return false;
  for (std::size_t i = 0; i < a.Rows.size(); ++i) {
    const CardPinRow& x = a.Rows[i];
    const CardPinRow& y = b.Rows[i];
    if (x.FirstPosition != y.FirstPosition || x.LastPosition != y.LastPosition ||
        x.Name != y.Name || x.FirstIndex != y.FirstIndex || x.LastIndex != y.LastIndex ||
        x.Direction != y.Direction || x.ClockMHz != y.ClockMHz || x.IoStandard != y.IoStandard ||
        x.PullUp != y.PullUp) {
      return false;
    }
  }
  return a.Id == b.Id && a.Name == b.Name;
}

void CheckRows(const CardDefinition& card) {
  std::int32_t previousLast = 0;
  for (const CardPinRow& row : card.Rows) {
    if (row.FirstPosition <= previousLast || row.LastPosition < row.FirstPosition ||
        row.LastPosition > kGpioHeaderPositions)
      Fail("a row is off the header or overlaps the one before", std::string(row.Name));
    for (std::int32_t p = row.FirstPosition; p <= row.LastPosition; ++p) {
      if (IsSupplyPosition(p))
        Fail("a row covers a supply position", std::string(row.Name));
    }
    previousLast = row.LastPosition;
  }
}

}  // namespace
}  // namespace pinwright::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pinwright;
  using namespace pinwright::fuzzing;
  const testing::QuietHost host;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const CardFileReading reading = ReadCardText(text, "fuzz.toml");
  if (reading.Card.get() != nullptr && !reading.Problems.empty())
    Fail("a card and problems at once", DiagnosticLine(reading.Problems.front()));
  if (!reading.Card && reading.Problems.empty())
    Fail("neither a card nor a problem", std::string(text));
  for (const Diagnostic& problem : reading.Problems) {
    if (problem.Line < 1 || problem.Column < 1 || problem.Message.empty())
      Fail("a problem without a place or a message", DiagnosticLine(problem));
  }
  if (!reading.Card)
    return 0;
  CheckRows(*reading.Card);

  CardLoad load;
  load.Cards.push_back(reading.Card);
  InstallUserCards(load);
  const std::string written = CardFileText(reading.Card->Id);
  const CardFileReading again = ReadCardText(written, "again.toml");
  if (!again.Card)
    Fail("the written card file does not read back",
         DiagnosticLine(again.Problems.front()) + "\n" + written);
  if (!SameRows(*reading.Card, *again.Card))
    Fail("the written card file reads back to other rows", written);
  if (CardHeaderSvg(LarkspurBoard(), reading.Card->Id, 1).find("</svg>") == std::string::npos)
    Fail("the header picture is cut short", written);
  InstallUserCards({});
  return 0;
}
