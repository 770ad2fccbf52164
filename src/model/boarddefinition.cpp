#include "model/boarddefinition.h"

#include <algorithm>

namespace pinwright {

std::size_t FindComponent(const BoardDefinition& board, std::string_view key) {
  for (std::size_t c = 0; c < board.Components.size(); ++c) {
    if (board.Components[c].Key == key)
      return c;
  }
  return std::string_view::npos;
}

namespace {

bool Ticked(const BoardChoice& choice, std::string_view key) {
  return std::find(choice.Components.begin(), choice.Components.end(), key) !=
         choice.Components.end();
}

}  // namespace

bool ComponentInUse(const BoardChoice& choice, const BoardComponent& component) {
  if (Ticked(choice, component.Key))
    return true;
  return std::any_of(component.BroughtBy.begin(), component.BroughtBy.end(),
                     [&](const std::string& by) { return Ticked(choice, by); });
}

std::string BoardReminder(const BoardDefinition& board, const BoardChoice& choice) {
  if (board.ReminderText.empty())
    return {};
  // Each reminder once, in the order of the components that give it.
  std::vector<std::string_view> reminders;
  for (const BoardComponent& component : board.Components) {
    if (!component.Reminder.empty() && Ticked(choice, component.Key) &&
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

}  // namespace pinwright
