// A model header that names its own folder and climbs out of it: refused too.
#pragma once

#include "model/../build/buildproject.h"
