// pinwright-cli: the command-line front end of the core. Generates Larkspur projects, writes
// and shows .cfg files and lists the daughter cards.
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/clihost.h"
#include "cli/commands.h"
#include "cli/overrides.h"
#include "host/filewrite.h"

#ifndef PINWRIGHT_VERSION
#define PINWRIGHT_VERSION "unknown"
#endif

namespace {

using namespace pinwright;
using namespace pinwright::cli;

int UsageError(const std::string& message) {
  PrintMessage(MessageKind::Error, message);
  std::cerr << UsageText();
  return kExitUsage;
}

int Run(const std::vector<std::string>& args) {
  ParseResult parsed = ParseArguments(args);
  if (!parsed.Ok())
    return UsageError(parsed.Error);
  const Request& request = parsed.Parsed;

  std::optional<LocalDateTime> fixedNow;
  if (request.Which == Command::Generate) {
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
      fixedNow = ParseSourceDateEpoch(epoch);
      if (!fixedNow) {
        return UsageError(
            "SOURCE_DATE_EPOCH must be a whole number of seconds since 1970 "
            "(up to the year 9999), not '" +
            std::string(epoch) + "'");
      }
    }
  }
  CliHost host(fixedNow);
  HostScope scope(host);
  // An interrupted save or generation leaves no temporary file behind.
  RemoveTemporaryFileOnInterrupt();

  switch (request.Which) {
    case Command::Help:
      std::cout << HelpText(request.HelpTopic);
      return kExitOk;
    case Command::Version:
      std::cout << "pinwright-cli " PINWRIGHT_VERSION "\n";
      return kExitOk;
    case Command::Generate:
      return RunGenerate(request, std::cout);
    case Command::Config:
      return RunConfig(request, std::cout);
    case Command::Show:
      return RunShow(request, std::cout);
    case Command::Cards:
      return RunCards(std::cout);
  }
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    int exit = Run(std::vector<std::string>(argv + 1, argv + argc));
    std::cout.flush();
    if (!std::cout) {
      PrintMessage(MessageKind::Error, "cannot write to standard output");
      return kExitRefused;
    }
    return exit;
  } catch (const std::exception& error) {
    PrintMessage(MessageKind::Unexpected, error.what());
  } catch (...) {
    PrintMessage(MessageKind::Unexpected, "unexpected failure");
  }
  return kExitRefused;
}
