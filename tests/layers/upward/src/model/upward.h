// A model header that reaches up into the project checks: the layer check must refuse it.
#pragma once

#include "project/checkedproject.h"
