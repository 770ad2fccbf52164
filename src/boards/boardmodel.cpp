#include "boards/boardmodel.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

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

void AddComponent(TMainBoard& model, const BoardComponent& component,
                  const BoardSettings& settings) {
  TConnector group(component.Group, {}, kConnectorOnBoard);
  group.ReservePins(component.Pins.size());
  for (const BoardPin& pin : component.Pins) {
    if (!pin.Unless.empty() && Ticks(settings, pin.Unless))
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

bool ComponentInUse(const BoardSettings& settings, const BoardComponent& component) {
  return Ticks(settings, component.Key) ||
         std::any_of(component.BroughtBy.begin(), component.BroughtBy.end(),
                     [&](const std::string& by) { return Ticks(settings, by); });
}

std::string BoardReminder(const BoardDefinition& board, const BoardSettings& settings) {
  if (board.ReminderText.empty())
    return {};
  std::vector<std::string_view> reminders;
  for (const BoardComponent& component : board.Components) {
    if (!component.Reminder.empty() && Ticks(settings, component.Key) &&
        std::find(reminders.begin(), reminders.end(), component.Reminder) == reminders.end())
      reminders.push_back(component.Reminder);
  }
  if (reminders.empty())
    return {};
  std::string joined;
  for (std::size_t i = 0; i < reminders.size(); ++i)
    joined += (i == 0 ? "" : " and ") + std::string(reminders[i]);
  std::string text = board.ReminderText;
  for (std::size_t at = 0; (at = text.find("%s", at)) != std::string::npos; at += joined.size())
    text.replace(at, 2, joined);
  return text;
}

void DefineBoard(TMainBoard& model, const BoardDefinition& board, const BoardSettings& settings) {
  model.ClearGroups();
  model.SetDeviceData(board.Number, board.Family, board.Device, board.Package, board.PinCount,
                      board.SpeedGrade);
  model.SetBoardName(board.Name);
  model.SetQsfExtraAssignments(ConfigurationBlock(board));
  for (const BoardComponent& component : board.Components) {
    if (ComponentInUse(settings, component))
      AddComponent(model, component, settings);
  }
  for (std::size_t h = 0; h < board.Headers.size() && h < settings.Headers.size(); ++h) {
    if (settings.Headers[h].Card != kCardNone)
      AddHeader(model, board.Headers[h], settings.Headers[h].Card);
  }
}

}  // namespace pinwright
