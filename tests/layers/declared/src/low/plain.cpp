// A lower layer that keeps to itself: it builds.
#include "low/low.h"

int LowAnswer() {
  return 1;
}
