// The commands of pinwright-cli. Each returns the exit status; messages go through the host.
#pragma once

#include <iosfwd>

#include "cli/arguments.h"

namespace pinwright::cli {

int RunGenerate(const Request& request, std::ostream& out);
int RunConfig(const Request& request, std::ostream& out);
int RunShow(const Request& request, std::ostream& out);
int RunCards(std::ostream& out);

}  // namespace pinwright::cli
