#include "high/high.h"

#include "low/low.h"

int HighAnswer() {
  return LowAnswer() + 41;
}
