// A model header that reaches up into generation through a relative path: refused too.
#pragma once

#include "../generate/larkspurproject.h"
