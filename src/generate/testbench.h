// A testbench for the top level, in the top level's language: NAME_tb instantiates NAME with
// every port connected by name, drives each clock input at the frequency of its timing
// constraint, holds every other input at its idle level, leaves inout ports undriven, and
// after a fixed run prints "Testbench finished" and ends the simulation.
#pragma once

#include <string>
#include <vector>

#include "generate/generationoptions.h"
#include "model/mainboard.h"
#include "model/pinparsing.h"

namespace pinwright {

// How long every testbench runs, in nanoseconds of simulated time.
inline constexpr int kTestbenchRunNs = 1000;

// The testbench of the model's top level, whose pins are in generation order. Inputs that
// end in "_n" and the push buttons idle high (released), other inputs low. The
// ports are the top level's port model.
std::string TestbenchText(HdlLanguage language, const TMainBoard& board,
                          const std::vector<PortGroup>& ports, const std::string& projectName);

}  // namespace pinwright
