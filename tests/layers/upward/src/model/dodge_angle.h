// A model header that reaches up into the build through angle brackets: refused too.
#pragma once

#include <build/buildproject.h>
