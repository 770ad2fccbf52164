// Runs an event handler so that an error escaping it is shown to the user instead of ending
// the program: Qt cannot carry an exception through its event loop.
#pragma once

#include <exception>
#include <utility>

#include "host/host.h"

namespace pinwright {

template <typename Handler>
void RunGuarded(Handler&& handler) {
  try {
    std::forward<Handler>(handler)();
  } catch (const std::exception& error) {
    ShowUnexpectedError(error.what());
  } catch (...) {
    ShowUnexpectedError("");
  }
}

}  // namespace pinwright
