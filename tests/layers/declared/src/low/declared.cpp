// A lower layer that declares a function of the layer above by hand and calls it: the
// layer's link check must refuse it.
#include "low/low.h"

int HighAnswer();

int LowAnswer() {
  return HighAnswer() + 1;
}
