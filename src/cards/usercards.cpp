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

// The installed cards, when given, stand as earlier cards of the first source: their IDs and
// names are taken, and they are not part of the load.
CardLoad LoadFiles(const std::vector<SourcedFile>& files, std::vector<std::string> folders,
                   std::span<const std::shared_ptr<const CardDefinition>> installed = {}) {
  CardLoad load;
  load.SearchedFolders = std::move(folders);
  std::map<std::int32_t, std::shared_ptr<const CardDefinition>> kept;
  std::map<std::int32_t, std::size_t> sourceOfId;
  for (const std::shared_ptr<const CardDefinition>& card : installed) {
    kept[card->Id] = card;
    sourceOfId[card->Id] = 0;
  }
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
  for (auto& [id, card] : kept) {
    if (std::find(installed.begin(), installed.end(), card) == installed.end())
      load.Cards.push_back(std::move(card));
  }
  return load;
}

}  // namespace

CardLoad LoadCards(std::span<const CardSource> sources) {
  std::vector<SourcedFile> files;
  std::vector<std::string> folders;
  std::vector<Diagnostic> missing;
  for (std::size_t s = 0; s < sources.size(); ++s) {
    const CardSource& source = sources[s];
    if (source.What == CardSource::Kind::Folder) {
      folders.push_back(WithSeparator(source.Path));
      // The standard folder may well be missing; a folder the user named may not.
      std::error_code error;
      if (source.Named && !fs::is_directory(PathFromUtf8(source.Path), error)) {
        missing.push_back({source.Path,
                           1,
                           1,
                           DiagnosticSeverity::Error,
                           {},
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
  for (Diagnostic& problem : missing) {
    load.RefusedFiles.push_back(problem.File);
    load.Problems.push_back(std::move(problem));
  }
  return load;
}

namespace {

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return fs::equivalent(PathFromUtf8(a), PathFromUtf8(b), error);
}

}  // namespace

CardLoad CheckCards(std::span<const std::string> paths,
                    std::span<const std::shared_ptr<const CardDefinition>> installed) {
  // A file named twice (under the same or another path) is one file, checked once.
  std::vector<SourcedFile> files;
  for (const std::string& path : paths) {
    const bool seen = std::any_of(files.begin(), files.end(), [&](const SourcedFile& earlier) {
      return earlier.Path == path || SameFile(earlier.Path, path);
    });
    if (!seen)
      files.push_back({path, 0});
  }
  std::vector<std::shared_ptr<const CardDefinition>> others;
  for (const std::shared_ptr<const CardDefinition>& card : installed) {
    if (std::none_of(paths.begin(), paths.end(),
                     [&](const std::string& path) { return SameFile(path, card->SourceFile); }))
      others.push_back(card);
  }
  return LoadFiles(files, {}, others);
}

namespace {

// The next free numbered backup name beside the file: NAME.~N~ above every N there is.
fs::path NextBackupName(const fs::path& file) {
  const std::string prefix = Utf8FromPath(file.filename()) + ".~";
  unsigned long highest = 0;
  std::error_code error;
  fs::directory_iterator entries(file.parent_path(), error);
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    const std::string name = Utf8FromPath(entries->path().filename());
    if (!name.starts_with(prefix) || !name.ends_with('~') || name.size() < prefix.size() + 2)
      continue;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 1);
    if (digits.size() <= 9 && digits.find_first_not_of("0123456789") == std::string::npos)
      highest = std::max(highest, std::stoul(digits));
  }
  fs::path backup = file;
  backup += PathFromUtf8(".~" + std::to_string(highest + 1) + "~");
  return backup;
}

// Keeps the file as its next numbered backup, a new file that replaces nothing, and takes
// its own name away; the backup, or the system's reason.
Result<std::string> MoveToBackup(const fs::path& file) {
  const fs::path backup = NextBackupName(file);
  std::error_code error;
  if (!fs::copy_file(file, backup, fs::copy_options::none, error) || error) {
    return Failure{FailureKind::CannotCreate,
                   Utf8FromPath(file),
                   "Cannot keep " + Utf8FromPath(file) + " as " + Utf8FromPath(backup) + ": " +
                       error.message(),
                   {}};
  }
  fs::remove(file, error);
  if (error) {
    return Failure{FailureKind::CannotCreate,
                   Utf8FromPath(file),
                   "Cannot remove " + Utf8FromPath(file) + ": " + error.message(),
                   {}};
  }
  return Utf8FromPath(backup);
}

// Copies the file into the folder; an existing target is replaced only when asked. The
// system's reason when it fails.
std::string CopyInto(const fs::path& file, const fs::path& target, bool replace) {
  std::error_code error;
  if (fs::exists(target, error) && fs::equivalent(file, target, error))
    return {};
  fs::create_directories(target.parent_path(), error);
  fs::copy_file(file, target,
                replace ? fs::copy_options::overwrite_existing : fs::copy_options::none, error);
  return error ? error.message() : std::string();
}

bool InFolder(const std::string& file, const std::string& folder) {
  std::error_code error;
  return fs::equivalent(PathFromUtf8(file).parent_path(), PathFromUtf8(folder), error);
}

std::string CardText(const CardDefinition& card) {
  return "card " + std::to_string(card.Id) + " \"" + card.Name + "\"";
}

}  // namespace

Result<CardFileInstall> PlanUserCardFile(const std::string& file, const std::string& cardsFolder,
                                         std::span<const CardSource> extra) {
  const CardFileReading reading = ReadCardFile(file);
  std::string reason;
  for (const Diagnostic& problem : reading.Problems)
    reason += (reason.empty() ? "" : "\r\n") + DiagnosticLine(problem);
  if (!reading.Card)
    return Failure{FailureKind::CannotRead, file, reason, {}};
  const CardDefinition& card = *reading.Card;
  const fs::path source = PathFromUtf8(file);
  CardFileInstall plan;
  plan.Id = card.Id;
  plan.Name = card.Name;
  plan.Target = Utf8FromPath(PathFromUtf8(cardsFolder) / source.filename());

  std::vector<std::string> clashes;
  if (const std::string holder = NameHolder({}, card); !holder.empty())
    clashes.push_back("the name \"" + card.Name + "\" is already the name of " + holder);
  // The file already in the folder under this name: the same card, or another one it would
  // knock out.
  std::error_code error;
  if (fs::exists(PathFromUtf8(plan.Target), error) && !SameFile(file, plan.Target)) {
    const CardFileReading there = ReadCardFile(plan.Target);
    if (there.Card && there.Card->Id == card.Id) {
      plan.Replaces = plan.Target;
    } else {
      clashes.push_back("a card file of that name is already installed, " + plan.Target +
                        (there.Card ? " (" + CardText(*there.Card) + ")" : std::string()) +
                        ": rename the file to install it beside that one");
    }
  }
  const CardLoad installed = LoadCards(CardSources(cardsFolder, extra));
  for (const std::shared_ptr<const CardDefinition>& other : installed.Cards) {
    if (SameFile(other->SourceFile, file))
      continue;  // the installed file itself, picked again
    if (other->Id == card.Id) {
      if (!InFolder(other->SourceFile, cardsFolder)) {
        clashes.push_back("card ID " + std::to_string(card.Id) + " is already the ID of " +
                          CardText(*other) + " from " + other->SourceFile +
                          ", which is given beside the card folder and would stay in force");
      } else if (plan.Replaces.empty() || SameFile(plan.Replaces, other->SourceFile)) {
        plan.Replaces = other->SourceFile;
      } else {
        clashes.push_back("card ID " + std::to_string(card.Id) + " is already the ID of " +
                          CardText(*other) + " from " + other->SourceFile);
      }
    } else if (EqualsIgnoringCase(other->Name, card.Name)) {
      clashes.push_back("the name \"" + card.Name + "\" is already the name of " +
                        CardText(*other) + " from " + other->SourceFile);
    }
  }
  for (const std::string& clash : clashes)
    reason += (reason.empty() ? "" : "\r\n") + file + ": " + clash;
  if (!reason.empty())
    return Failure{FailureKind::CannotRead, file, reason, {}};
  return plan;
}

Result<CardFileInstall> AddUserCardFile(const std::string& file, const std::string& cardsFolder,
                                        std::span<const CardSource> extra) {
  Result<CardFileInstall> planned = PlanUserCardFile(file, cardsFolder, extra);
  if (!planned)
    return planned;
  CardFileInstall plan = std::move(planned).Value();
  const CardFileReading reading = ReadCardFile(file);
  const CardDefinition& card = *reading.Card;

  const fs::path source = PathFromUtf8(file);
  const fs::path folder = PathFromUtf8(cardsFolder);
  const auto copyFailure = [&](const std::string& problem) {
    return Failure{FailureKind::CannotCreate,
                   cardsFolder,
                   "The card file could not be copied into " + cardsFolder + ": " + problem,
                   {}};
  };
  // The file replaced keeps its name only when the new one takes it.
  if (!plan.Replaces.empty()) {
    const Result<std::string> backup = MoveToBackup(PathFromUtf8(plan.Replaces));
    if (!backup)
      return backup.Error();
    plan.Backups.push_back(*backup);
  }
  std::string problem = CopyInto(source, PathFromUtf8(plan.Target), /*replace=*/false);
  const bool cardCopied = problem.empty();
  // A picture beside the card file, or below its folder, keeps its place relative to it.
  if (problem.empty() && !card.PictureFile.empty()) {
    const fs::path picture = PathFromUtf8(card.PictureFile).lexically_normal();
    const fs::path relative = picture.lexically_relative(source.parent_path().lexically_normal());
    if (!relative.empty() && *relative.begin() != "..") {
      const fs::path target = folder / relative;
      std::error_code error;
      // A picture of the same name that another card file uses is kept as a backup.
      if (fs::exists(target, error) && !fs::equivalent(picture, target, error)) {
        const Result<std::string> backup = MoveToBackup(target);
        if (!backup)
          return backup.Error();
        plan.Backups.push_back(*backup);
      }
      problem = CopyInto(picture, target, /*replace=*/false);
    }
  }
  if (!problem.empty()) {
    // The folder as it was: the new file out again, the file replaced back in place, so
    // that a failed copy loses no card.
    std::error_code error;
    if (cardCopied && !SameFile(file, plan.Target))
      fs::remove(PathFromUtf8(plan.Target), error);
    if (!plan.Replaces.empty() && !fs::exists(PathFromUtf8(plan.Replaces), error))
      fs::rename(PathFromUtf8(plan.Backups.front()), PathFromUtf8(plan.Replaces), error);
    return copyFailure(problem);
  }
  // The cards given beside the folder (the command line's) stay in force.
  InstallUserCards(LoadCards(CardSources(cardsFolder, extra)));
  if (!FindUserCard(card.Id)) {
    return Failure{FailureKind::CannotRead,
                   file,
                   "The card file was copied into " + cardsFolder + " but does not load there.",
                   {}};
  }
  return plan;
}

Result<std::string> RemoveUserCardFile(std::int32_t cardId, const std::string& cardsFolder,
                                       std::span<const CardSource> extra) {
  const CardDefinition* card = FindUserCard(cardId);
  if (!card || !InFolder(card->SourceFile, cardsFolder)) {
    return Failure{FailureKind::BadArgument,
                   {},
                   "Card " + std::to_string(cardId) + " is not read from a file of " + cardsFolder +
                       ", so it cannot be removed here.",
                   {}};
  }
  Result<std::string> backup = MoveToBackup(PathFromUtf8(card->SourceFile));
  if (backup)
    InstallUserCards(LoadCards(CardSources(cardsFolder, extra)));
  return backup;
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
