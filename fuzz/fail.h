// How the fuzz harnesses report a broken expectation.
#pragma once

#include <string>

namespace pinwright::fuzzing {

// Reports a broken expectation on stderr and aborts, so that libFuzzer keeps the input.
[[noreturn]] void Fail(const char* what, const std::string& detail);

}  // namespace pinwright::fuzzing
