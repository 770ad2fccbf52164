// A model header that reaches up into generation: the layer check must refuse it.
#pragma once

#include "generate/larkspurproject.h"
