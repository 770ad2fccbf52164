// Finding and loading the user's card files, and the set of user cards in force: the catalogue,
// the choice list and the pin maps read them beside the built-in rows.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "cards/cardfile.h"
#include "host/failure.h"

namespace pinwright {

// A folder of card files (every *.toml in it, by name) or one card file.
struct CardSource {
  enum class Kind { Folder, File };
  Kind What = Kind::Folder;
  std::string Path;
  // Named by the user (a --cards folder): a missing one is a problem. The standard folder,
  // which needs not exist, is not.
  bool Named = true;
};

struct CardLoad {
  std::vector<std::shared_ptr<const CardDefinition>> Cards;  // accepted, by ID
  std::vector<Diagnostic> Problems;                          // of every refused file
  std::vector<std::string> RefusedFiles;
  std::vector<std::string> Notes;            // a later file that replaced an earlier one
  std::vector<std::string> SearchedFolders;  // every folder looked in, with its separator
};

// Loads the card files of the sources in order. A file with any problem is refused; the others
// are offered. A later source's card replaces an earlier card of the same ID (with a note);
// two files of one folder with the same ID, or a name another card has, are problems.
CardLoad LoadCards(std::span<const CardSource> sources);

// Checks the card files as one lot: against the built-in cards, each other and the installed
// cards (an ID used twice is a problem here, not a replacement). An installed card read from
// one of the files themselves is no clash.
CardLoad CheckCards(std::span<const std::string> files,
                    std::span<const std::shared_ptr<const CardDefinition>> installed = {});

// The standard folder first (`cards/` beside a portable program, otherwise
// $XDG_DATA_HOME/pinwright/cards/), then the extra folders and files as given.
std::vector<CardSource> CardSources(const std::string& standardFolder,
                                    std::span<const CardSource> extra);

// What taking a card file into the user's card folder would do, worked out before anything
// is copied: the card, where its file goes, and the installed file of the same card (the
// same ID) that it would replace, if any.
struct CardFileInstall {
  std::int32_t Id = 0;
  std::string Name;
  std::string Target;    // the file in the card folder
  std::string Replaces;  // the installed file of the same card; empty when there is none
  std::vector<std::string> Backups;  // after the install: the numbered backups made
};

// Checks a card file for the user's card folder: its own problems, and every clash with the
// installed cards (the folder's and the extra sources'): a file of the same name holding
// another card, a card name another card has, the ID of a card given beside the folder. The
// plan, or a failure whose reason holds every problem, one line each.
Result<CardFileInstall> PlanUserCardFile(const std::string& file, const std::string& cardsFolder,
                                         std::span<const CardSource> extra = {});

// Takes a card file into the user's card folder as the plan says: an installed file of the
// same card is kept as a numbered backup (NAME.~N~) first, then the file (and a picture it
// names beside it) is copied into the folder, and the folder and then the extra sources are
// loaded again and installed. Nothing is copied when the checks fail.
Result<CardFileInstall> AddUserCardFile(const std::string& file, const std::string& cardsFolder,
                                        std::span<const CardSource> extra = {});

// Takes a user card out of the card folder: its file is kept as a numbered backup, and the
// cards are loaded again and installed. The backup's path; a failure for a card that is not
// read from a file of the folder (a built-in card, one given on the command line).
Result<std::string> RemoveUserCardFile(std::int32_t cardId, const std::string& cardsFolder,
                                       std::span<const CardSource> extra = {});

// Makes the loaded cards the ones in force, replacing any installed before.
void InstallUserCards(const CardLoad& load);

// The installed card of the ID; nullptr when there is none.
const CardDefinition* FindUserCard(std::int32_t cardId);
// The picture file a card file names, and where the card was read from; empty for built-in
// cards, and for a card file's card without a picture of its own.
std::string_view CardPictureFile(std::int32_t cardId);
std::string_view CardSourceFile(std::int32_t cardId);
// The installed cards, by ID.
std::span<const std::shared_ptr<const CardDefinition>> InstalledUserCards();
// The folders the installed cards were looked for in.
std::span<const std::string> SearchedCardFolders();
// The card files the installed load refused, and their problems.
std::span<const std::string> RefusedCardFiles();
std::span<const Diagnostic> RefusedCardProblems();
// For a user card ID (1000 to 9999) that no installed card file has: the sentence that says so
// and names the folders searched. Empty for every other ID.
std::string MissingUserCardText(std::int32_t cardId);

// Counts the installations, so that what is worked out from the cards can tell it is stale.
std::uint64_t UserCardsGeneration();

// A value worked out from the cards, kept until another set of user cards is installed and
// then read again, so that a card file added while the program runs is known from then on.
template <typename T>
class UntilCardsChange {
 public:
  using Reader = std::unique_ptr<T> (*)();
  explicit UntilCardsChange(Reader read) : Read(read) {}

  const T& Get() {
    if (!Value || Generation != UserCardsGeneration()) {
      Value = Read();
      Generation = UserCardsGeneration();
    }
    return *Value;
  }

 private:
  Reader Read;
  std::unique_ptr<T> Value;
  std::uint64_t Generation = 0;
};

}  // namespace pinwright
