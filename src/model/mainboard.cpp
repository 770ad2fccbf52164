#include "model/mainboard.h"

#include <cstdio>

namespace pinwright {

void TMainBoard::SetDeviceData(std::int32_t boardId, std::string family, std::string device,
                               std::string package, std::int32_t pinCount, std::string speedGrade) {
  Id = boardId;
  FamilyText = std::move(family);
  DeviceText = std::move(device);
  PackageText = std::move(package);
  Pins = pinCount;
  SpeedGradeText = std::move(speedGrade);
}

TConnector* TMainBoard::HeaderWithKey(std::int32_t headerKey) {
  for (TConnector& group : Groups) {
    if (group.IsHeader() != 0 && group.HeaderKey() == headerKey)
      return &group;
  }
  return nullptr;
}

Status TMainBoard::OrderPins() {
  for (TConnector& group : Groups) {
    if (Status sorted = group.SortPins(); !sorted)
      return sorted;
  }
  return {};
}

Status TMainBoard::CheckPrefixClash(std::span<const HeaderChoice> headers) {
  for (std::size_t i = 0; i < headers.size(); ++i) {
    if (headers[i].CardId == 0)
      continue;
    for (std::size_t j = i + 1; j < headers.size(); ++j) {
      if (headers[j].CardId == 0)
        continue;
      if (headers[j].CardId == headers[i].CardId && headers[j].Prefix == headers[i].Prefix) {
        // Header numbers are single digits on every board; the message names them as such.
        char text[160];
        std::snprintf(text, sizeof text,
                      "GPIO-%c and GPIO-%c cannot have the same prefix name when both connect to "
                      "the same type of daughter boards.",
                      static_cast<char>('0' + i % 10), static_cast<char>('0' + j % 10));
        return Failure{FailureKind::PrefixClash, {}, text, {}};
      }
    }
  }
  return {};
}

}  // namespace pinwright
