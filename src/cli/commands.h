// The commands of pinwright-cli. Each returns the exit status and appends what it prints on
// standard output to out; messages go through the host.
#pragma once

#include <string>

#include "cli/arguments.h"

namespace pinwright::cli {

int RunGenerate(const Request& request, std::string& out);
int RunConfig(const Request& request, std::string& out);
int RunShow(const Request& request, std::string& out);
int RunCards(const CardLoad& load, std::string& out);
int RunCard(const Request& request, std::string& out);

// Loads the card files of the standard folder and the command line and installs them; the
// problems of refused files go to standard error unless the command lists them itself.
CardLoad LoadUserCards(const Request& request);
int RunCheck(const Request& request, std::string& out);
int RunImport(const Request& request, std::string& out);

}  // namespace pinwright::cli
