#include "cards/usercards.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "cards/catalogue.h"
#include "cards/choicelist.h"
#include "host/diagnostic.h"
#include "host/paths.h"
#include "host/text.h"

namespace pinwright {
namespace {

namespace fs = std::filesystem;

struct Installed {
  std::vector<std::shared_ptr<const CardDefinition>> Cards;
  std::vector<std::string> Folders;
  std::vector<std::string> RefusedFiles;
  std::vector<Diagnostic> Problems;
  std::uint64_t Generation = 0;
};

Installed& InstalledState() {
  static Installed state;
  return state;
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/' && folder.back() != kFolderSeparator)
    folder += kFolderSeparator;
  return folder;
}

bool IsCardFileName(const fs::path& path) {
  return FoldCase(Utf8FromPath(path.extension())) == kCardFileExtension;
}

// The card files of a folder, by name; nothing when the folder is missing.
std::vector<std::string> CardFilesIn(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  fs::directory_iterator entries(PathFromUtf8(folder), error);
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    std::error_code kindError;
    if (IsCardFileName(entries->path()) && !entries->is_directory(kindError))
      files.push_back(Utf8FromPath(entries->path()));
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The card whose name is the same as the text, letter case ignored: a built-in one or one of
// the cards kept so far under another ID; empty when none is.
std::string NameHolder(const std::map<std::int32_t, std::shared_ptr<const CardDefinition>>& kept,
                       const CardDefinition& card) {
  for (const std::int32_t id : GpioBuiltInChoices()) {
    if (EqualsIgnoringCase(CardById(id).Name, card.Name))
      return "built-in card " + std::to_string(id);
  }
  for (const auto& [id, other] : kept) {
    if (id != card.Id && EqualsIgnoringCase(other->Name, card.Name))
      return other->SourceFile;
  }
  return {};
}

}  // namespace

namespace {

// One card file and the source it came from; files of one source may not share an ID.
struct SourcedFile {
  std::string Path;
  std::size_t Source = 0;
};

CardLoad LoadFiles(const std::vector<SourcedFile>& files, std::vector<std::string> folders) {
  CardLoad load;
  load.SearchedFolders = std::move(folders);
  std::map<std::int32_t, std::shared_ptr<const CardDefinition>> kept;
  std::map<std::int32_t, std::size_t> sourceOfId;
  for (const SourcedFile& file : files) {
    CardFileReading reading = ReadCardFile(file.Path);
    if (reading.Card) {
      const CardDefinition& card = *reading.Card;
      const auto earlier = kept.find(card.Id);
      if (earlier != kept.end() && sourceOfId[card.Id] == file.Source) {
        reading.Problems.push_back(CardFileError(
            file.Path, card.IdPlace,
            "id " + std::to_string(card.Id) + " is also the id of " + earlier->second->SourceFile));
      } else if (const std::string holder = NameHolder(kept, card); !holder.empty()) {
        reading.Problems.push_back(
            CardFileError(file.Path, card.NamePlace,
                          "name \"" + card.Name + "\" is already the name of " + holder));
      } else {
        if (earlier != kept.end()) {
          load.Notes.push_back(file.Path + " replaces card " + std::to_string(card.Id) + " of " +
                               earlier->second->SourceFile);
        }
        kept[card.Id] = reading.Card;
        sourceOfId[card.Id] = file.Source;
        continue;
      }
    }
    load.RefusedFiles.push_back(file.Path);
    load.Problems.insert(load.Problems.end(), reading.Problems.begin(), reading.Problems.end());
  }
  for (auto& [id, card] : kept)
    load.Cards.push_back(std::move(card));
  return load;
}

}  // namespace

CardLoad LoadCards(std::span<const CardSource> sources) {
  std::vector<SourcedFile> files;
  std::vector<std::string> folders;
  std::vector<CardProblem> missing;
  for (std::size_t s = 0; s < sources.size(); ++s) {
    const CardSource& source = sources[s];
    if (source.What == CardSource::Kind::Folder) {
      folders.push_back(WithSeparator(source.Path));
      // The standard folder may well be missing; a folder the user named may not.
      std::error_code error;
      if (source.Named && !fs::is_directory(PathFromUtf8(source.Path), error)) {
        missing.push_back({source.Path, 1, 1,
                           fs::exists(PathFromUtf8(source.Path), error)
                               ? "the card folder is no folder"
                               : "the card folder does not exist"});
        continue;
      }
      for (std::string& file : CardFilesIn(source.Path))
        files.push_back({std::move(file), s});
    } else {
      files.push_back({source.Path, s});
    }
  }
  CardLoad load = LoadFiles(files, std::move(folders));
  for (CardProblem& problem : missing) {
    load.RefusedFiles.push_back(problem.File);
    load.Problems.push_back(std::move(problem));
  }
  return load;
}

CardLoad CheckCards(std::span<const std::string> paths) {
  // A file named twice (under the same or another path) is one file, checked once.
  std::vector<SourcedFile> files;
  for (const std::string& path : paths) {
    const bool seen = std::any_of(files.begin(), files.end(), [&](const SourcedFile& earlier) {
      std::error_code error;
      return earlier.Path == path ||
             fs::equivalent(PathFromUtf8(earlier.Path), PathFromUtf8(path), error);
    });
    if (!seen)
      files.push_back({path, 0});
  }
  return LoadFiles(files, {});
}

namespace {

// Copies the file into the folder under the same name; the system's reason when it fails.
std::string CopyInto(const fs::path& file, const fs::path& target) {
  std::error_code error;
  if (fs::exists(target, error) && fs::equivalent(file, target, error))
    return {};
  fs::create_directories(target.parent_path(), error);
  fs::copy_file(file, target, fs::copy_options::overwrite_existing, error);
  return error ? error.message() : std::string();
}

}  // namespace

Result<std::int32_t> AddUserCardFile(const std::string& file, const std::string& cardsFolder,
                                     std::span<const CardSource> extra) {
  const std::vector<CardSource> sources = {{CardSource::Kind::Folder, cardsFolder, false},
                                           {CardSource::Kind::File, file}};
  const CardLoad trial = LoadCards(sources);
  std::string reason;
  for (const Diagnostic& problem : trial.Problems) {
    if (problem.File == file)
      reason += (reason.empty() ? "" : "\r\n") + DiagnosticLine(problem);
  }
  if (!reason.empty())
    return Failure{FailureKind::CannotRead, file, reason, {}};
  const CardFileReading reading = ReadCardFile(file);
  const CardDefinition& card = *reading.Card;

  const fs::path source = PathFromUtf8(file);
  const fs::path folder = PathFromUtf8(cardsFolder);
  std::string problem = CopyInto(source, folder / source.filename());
  // A picture beside the card file, or below its folder, keeps its place relative to it.
  if (problem.empty() && !card.PictureFile.empty()) {
    const fs::path picture = PathFromUtf8(card.PictureFile).lexically_normal();
    const fs::path relative = picture.lexically_relative(source.parent_path().lexically_normal());
    if (!relative.empty() && *relative.begin() != "..")
      problem = CopyInto(picture, folder / relative);
  }
  if (!problem.empty()) {
    return Failure{FailureKind::CannotCreate,
                   cardsFolder,
                   "The card file could not be copied into " + cardsFolder + ": " + problem,
                   {}};
  }
  // The cards given beside the folder (the command line's) stay in force.
  InstallUserCards(LoadCards(CardSources(cardsFolder, extra)));
  if (!FindUserCard(card.Id)) {
    return Failure{FailureKind::CannotRead,
                   file,
                   "The card file was copied into " + cardsFolder + " but does not load there.",
                   {}};
  }
  return card.Id;
}

std::vector<CardSource> CardSources(const std::string& standardFolder,
                                    std::span<const CardSource> extra) {
  std::vector<CardSource> sources;
  if (!standardFolder.empty())
    sources.push_back({CardSource::Kind::Folder, standardFolder, /*Named=*/false});
  sources.insert(sources.end(), extra.begin(), extra.end());
  return sources;
}

void InstallUserCards(const CardLoad& load) {
  Installed& state = InstalledState();
  state.Cards = load.Cards;
  state.Folders = load.SearchedFolders;
  state.RefusedFiles = load.RefusedFiles;
  state.Problems = load.Problems;
  ++state.Generation;
}

const CardDefinition* FindUserCard(std::int32_t cardId) {
  if (cardId < kFirstUserCardId || cardId > kLastUserCardId)
    return nullptr;
  for (const std::shared_ptr<const CardDefinition>& card : InstalledState().Cards) {
    if (card->Id == cardId)
      return card.get();
  }
  return nullptr;
}

std::string_view CardPictureFile(std::int32_t cardId) {
  const CardDefinition* card = FindUserCard(cardId);
  return card ? std::string_view(card->PictureFile) : std::string_view();
}

std::string_view CardSourceFile(std::int32_t cardId) {
  const CardDefinition* card = FindUserCard(cardId);
  return card ? std::string_view(card->SourceFile) : std::string_view();
}

std::span<const std::shared_ptr<const CardDefinition>> InstalledUserCards() {
  return InstalledState().Cards;
}

std::span<const std::string> SearchedCardFolders() {
  return InstalledState().Folders;
}

std::span<const std::string> RefusedCardFiles() {
  return InstalledState().RefusedFiles;
}

std::span<const Diagnostic> RefusedCardProblems() {
  return InstalledState().Problems;
}

std::string MissingUserCardText(std::int32_t cardId) {
  if (cardId < kFirstUserCardId || cardId > kLastUserCardId || FindUserCard(cardId))
    return {};
  std::string text = "No card file with card ID " + std::to_string(cardId) + " was found";
  const std::span<const std::string> folders = SearchedCardFolders();
  if (folders.empty())
    return text + ": no card folder was searched.";
  text += " in ";
  for (std::size_t i = 0; i < folders.size(); ++i)
    text += (i == 0 ? "" : i + 1 == folders.size() ? " or " : ", ") + folders[i];
  return text + ".";
}

std::uint64_t UserCardsGeneration() {
  return InstalledState().Generation;
}

}  // namespace pinwright
