// The list of daughter cards a GPIO header offers.
#include <cstdint>

#include "cards/catalogue.h"
#include "model/connector.h"
#include "settings/configboard.h"

namespace pinwright {
namespace {

constexpr std::int32_t kVoltageClass33 = 5;  // 3.3 V
// IDs above this one are never examined: they hold no card the headers can offer.
constexpr std::int32_t kLastChoiceCandidate = 88;

bool OfferedOnGpioHeader(std::int32_t cardId) {
  return CardConnectorType(cardId) == kConnectorGpio &&
         CardVoltageClass(cardId) == kVoltageClass33 && CardOffered(cardId) && !CardHidden(cardId);
}

}  // namespace

void TConfigBoard::FillChoiceList() {
  ChoiceCount = 0;
  ChoiceList[static_cast<std::size_t>(ChoiceCount++)] = kCardNone;
  for (std::int32_t id = 0; id <= kLastChoiceCandidate; ++id) {
    if (!OfferedOnGpioHeader(id))
      continue;
    if (static_cast<std::size_t>(ChoiceCount) >= ChoiceList.size())
      break;
    ChoiceList[static_cast<std::size_t>(ChoiceCount++)] = id;
  }
}

}  // namespace pinwright
