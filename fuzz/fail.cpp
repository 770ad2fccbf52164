#include "fail.h"

#include <cstdio>
#include <cstdlib>

namespace pinwright::fuzzing {

void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz check failed: %s: %s\n", what, detail.c_str());
  std::abort();
}

}  // namespace pinwright::fuzzing
