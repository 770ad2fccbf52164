// The command-line tool reaching into the desktop program: the layer check must refuse it.
#include "ui/unitmain.h"
