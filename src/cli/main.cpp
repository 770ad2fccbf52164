// pinwright-cli: the command-line front end of the core. Generates Larkspur projects, writes
// and shows .cfg files and lists the daughter cards.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/clihost.h"
#include "cli/commands.h"
#include "cli/overrides.h"
#include "host/filewrite.h"
#include "host/platform.h"

#ifndef PINWRIGHT_VERSION
#define PINWRIGHT_VERSION "unknown"
#endif

namespace {

using namespace pinwright;
using namespace pinwright::cli;

int UsageError(const std::string& message) {
  PrintMessage(MessageKind::Error, message);
  std::fputs(UsageText().c_str(), stderr);
  return kExitUsage;
}

// Runs the command; what it prints on standard output is appended to out.
int Run(const std::vector<std::string>& args, std::string& out) {
  const Result<Request> parsed = ParseArguments(args);
  if (!parsed)
    return UsageError(parsed.Error().Reason);
  const Request& request = *parsed;

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

  // Help and the version need no cards; every other command may name a card file's card.
  CardLoad cards;
  if (request.Which != Command::Help && request.Which != Command::Version)
    cards = LoadUserCards(request);

  switch (request.Which) {
    case Command::Help:
      out += HelpText(request.HelpTopic);
      return kExitOk;
    case Command::Version:
      out += "pinwright-cli " PINWRIGHT_VERSION "\n";
      return kExitOk;
    case Command::Generate:
      return RunGenerate(request, out);
    case Command::Config:
      return RunConfig(request, out);
    case Command::Show:
      return RunShow(request, out);
    case Command::Cards:
      return RunCards(cards, out);
    case Command::Card:
      return RunCard(request, out);
    case Command::Check:
      return RunCheck(request, out);
    case Command::Import:
      return RunImport(request, out);
  }
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    platform::PrepareConsole();
    std::string out;
    const int exit = Run(platform::ProgramArguments(argc, argv), out);
    // Standard output is written with the C library alone: the C++ streams would cost every
    // run the set-up of their locale.
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
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
