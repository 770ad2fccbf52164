// An output reaching into the readers beside it: the layer check must refuse it.
#pragma once

#include "readers/qsfimport.h"
