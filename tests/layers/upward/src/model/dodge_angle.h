// A model header that reaches up into generation through angle brackets: refused too.
#pragma once

#include <generate/systembuild.h>
