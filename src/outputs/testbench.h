// A testbench for the top level, in the top level's language: NAME_tb instantiates NAME with
// every port connected by name, drives each clock input at the frequency of its timing
// constraint, holds every other input at its idle level, leaves inout ports undriven, and
// after a fixed run prints "Testbench finished" and ends the simulation.
#pragma once

#include <string>

#include "project/checkedproject.h"

namespace pinwright {

// How long every testbench runs, in nanoseconds of simulated time.
inline constexpr int kTestbenchRunNs = 1000;

// The testbench of the project's checked top level, in its language; the clocks come from the
// timing constraints of the project's board model. Inputs that end in "_n" and the push
// buttons idle high (released), other inputs low.
std::string TestbenchText(const CheckedProject& project);

}  // namespace pinwright
