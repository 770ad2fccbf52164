#include "project/settingsjson.h"

#include <algorithm>
#include <span>
#include <string>

#include "cards/catalogue.h"
#include "cards/choicelist.h"

namespace pinwright {

void WriteSettingsMembers(TJsonWriter& json, const TLarkspurSettings& settings) {
  json.Key("board_id");
  json.Number(settings.BoardId.Get());
  json.Key("record_size");
  json.Number(settings.Size.Get());
  json.Key("project");
  json.String(settings.ProjectName.Get());
  json.Key("components");
  json.BeginArray(/*oneLine=*/true);
  for (const LarkspurComponent& component : kLarkspurComponents) {
    if (settings.*component.Flag != 0)
      json.String(component.Name);
  }
  json.EndArray();
  const std::span<const std::int32_t> offered = GpioHeaderChoices();
  for (const LarkspurHeader& header : kLarkspurHeaders) {
    const std::int32_t card = (settings.*header.Card).Get();
    json.Key("gpio" + std::string(header.Number));
    json.BeginObject(/*oneLine=*/true);
    json.Key("card_id");
    json.Number(card);
    // A record may hold any number; only a card the headers offer has a name to give.
    if (std::find(offered.begin(), offered.end(), card) != offered.end()) {
      json.Key("card");
      json.String(CardById(card).Name);
    }
    json.Key("prefix");
    json.String((settings.*header.Prefix).Get());
    json.EndObject();
  }
}

}  // namespace pinwright
