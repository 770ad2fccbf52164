// A lower layer that names its own folder and climbs out of it into the layer above: its
// include root must not find the file.
#include "low/../high/high.h"
#include "low/low.h"

int LowAnswer() {
  return HighAnswer() + 1;
}
