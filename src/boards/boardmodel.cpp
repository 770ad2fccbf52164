#include "boards/boardmodel.h"

#include <algorithm>
#include <string>

#include "cards/catalogue.h"
#include "model/pin.h"

namespace pinwright {
namespace {

// How the settings file configures the device, as its block.
std::string ConfigurationBlock(const BoardDefinition& board) {
  if (board.Configuration.empty())
    return {};
  const std::string rule = "#" + std::string(60, '=') + "\r\n";
  std::string text = "\r\n" + rule + "# Configuration scheme/pin \r\n" + rule;
  for (const std::string& assignment : board.Configuration)
    text += "set_global_assignment -name " + assignment + "\r\n";
  return text + "\r\n";
}

void AddComponent(TMainBoard& model, const BoardComponent& component, const BoardChoice& choice) {
  TConnector group(component.Group, {}, kConnectorOnBoard);
  group.ReservePins(component.Pins.size());
  for (const BoardPin& pin : component.Pins) {
    if (!pin.Unless.empty() && std::find(choice.Components.begin(), choice.Components.end(),
                                         pin.Unless) != choice.Components.end())
      continue;
    TPin& added = group.EmplacePin(pin.Name, pin.Ball, pin.Direction, pin.IoStandard, pin.ClockMHz);
    if (!pin.ClockText.empty())
      added.SetFrequencyText(pin.ClockText);
    added.SetPullUp(pin.PullUp);
  }
  model.AddGroup(std::move(group));
}

void AddHeader(TMainBoard& model, const BoardHeader& header, std::int32_t cardId) {
  TConnector group(header.Group, header.CardCaption + std::string(CardById(cardId).Name),
                   kConnectorGpio);
  group.ReservePins(header.Balls.size());
  for (const std::string& ball : header.Balls) {
    if (ball.empty()) {
      group.AddPin(std::nullopt);
    } else {
      group.EmplacePin("", ball, PinDirection::FromCard, kIoFromCard, 0.0);
    }
  }
  group.SetIsHeader(1);
  group.SetHeaderKey(header.HeaderKey);
  model.AddGroup(std::move(group));
}

}  // namespace

void DefineBoard(TMainBoard& model, const BoardDefinition& board, const BoardChoice& choice) {
  model.ClearGroups();
  model.SetDeviceData(board.Number, board.Family, board.Device, board.Package, board.PinCount,
                      board.SpeedGrade);
  model.SetBoardName(board.Name);
  model.SetQsfExtraAssignments(ConfigurationBlock(board));
  for (const BoardComponent& component : board.Components) {
    if (ComponentInUse(choice, component))
      AddComponent(model, component, choice);
  }
  for (std::size_t h = 0; h < board.Headers.size() && h < choice.Cards.size(); ++h) {
    if (choice.Cards[h] != kCardNone)
      AddHeader(model, board.Headers[h], choice.Cards[h]);
  }
}

}  // namespace pinwright
