// Generation including the model below it: the layer check must let it be.
#pragma once

#include "model/pin.h"
