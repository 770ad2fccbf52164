// A model header that reaches up into the project checks through a relative path: refused too.
#pragma once

#include "../project/checkedproject.h"
