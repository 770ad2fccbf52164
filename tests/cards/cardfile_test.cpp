#include "cards/cardfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "cards/catalogue.h"
#include "cards/choicelist.h"
#include "cards/usercards.h"
#include "support/tempdir.h"

namespace pinwright {
namespace {

// A path with the system's own separators, so that a folder joined with "/" in a test and
// with the system's separator in the code compare equal.
std::string Native(const std::string& path) {
  return std::filesystem::path(path).lexically_normal().string();
}

// The keys every card needs, before the pins of a case.
constexpr const char* kHead =
    "format = \"pinwright-card\"\nversion = 1\nid = 1500\nname = \"Test Card\"\n"
    "voltage = \"3.3 V\"\n";

std::vector<std::string> ProblemLines(const std::string& text) {
  std::vector<std::string> lines;
  for (const Diagnostic& problem : ReadCardText(text, "card.toml").Problems)
    lines.push_back(DiagnosticLine(problem));
  return lines;
}

// Installs the cards for one test and leaves none installed afterwards.
class InstalledCards {
 public:
  explicit InstalledCards(const CardLoad& load) { InstallUserCards(load); }
  ~InstalledCards() { InstallUserCards({}); }
};

TEST(ReadCardText, EveryMistakeIsReportedWithItsLineAndColumn) {
  struct Case {
    const char* Name;
    std::string Text;
    std::vector<std::string> Expected;
  };
  const std::string head = kHead;
  const std::string pin = "[[pin]]\nposition = 1\nname = \"A\"\ndirection = \"input\"\n";
  const Case cases[] = {
      {"TOML syntax",
       "format = \"pinwright-card\nversion = 1\n",
       {"card.toml:1:25: error: Error while parsing string: unescaped control characters other "
        "than TAB (U+0009) are explicitly prohibited"}},
      {"a letter beyond ASCII between two tokens",
       "format\xc9\xa6= 1\n",
       {"card.toml:1:7: error: Error while parsing key-value pair: expected '=', saw "
        "'\xc9\xa6'"}},
      {"nothing at all",
       "",
       {"card.toml:1:1: error: format = \"pinwright-card\" is missing",
        "card.toml:1:1: error: version = 1 is missing",
        "card.toml:1:1: error: id is missing: a number from 1000 to 9999",
        "card.toml:1:1: error: name is missing",
        "card.toml:1:1: error: voltage = \"3.3 V\" is missing",
        "card.toml:1:1: error: the card has no [[pin]]"}},
      {"card keys",
       "format = \"other\"\nversion = 2\nid = 98\nname = \"\"\nvoltage = \"5 V\"\n"
       "io_standard = \"1.8-V\"\npicture = \"card.gif\"\ncolour = 1\nvoltge = \"3.3 V\"\n" +
           pin,
       {"card.toml:1:10: error: format must be \"pinwright-card\"",
        "card.toml:2:11: error: version 2 is not known: this program reads version 1",
        "card.toml:3:6: error: id must be from 1000 to 9999 (0 to 98 are the built-in cards)",
        "card.toml:4:8: error: name must be 1 to 63 bytes of printable ASCII",
        "card.toml:5:11: error: voltage must be \"3.3 V\": the GPIO headers are 3.3 V",
        "card.toml:6:15: error: io_standard must be \"3.3-V LVCMOS\", \"3.3-V LVTTL\" or \"3.3 V "
        "Schmitt Trigger\"",
        "card.toml:7:11: error: picture must be an SVG or PNG file",
        "card.toml:8:1: error: unknown key 'colour'",
        "card.toml:9:1: error: unknown key 'voltge'; did you mean 'voltage'?"}},
      {"types",
       "format = 1\nversion = \"1\"\nid = 1500.5\nname = [\"x\"]\nvoltage = \"3.3 V\"\npin = 3\n",
       {"card.toml:1:10: error: format must be a string, not an integer",
        "card.toml:2:11: error: version must be an integer, not a string",
        "card.toml:3:6: error: id must be an integer, not a number",
        "card.toml:4:8: error: name must be a string, not an array",
        "card.toml:6:7: error: pin must be written as [[pin]] tables"}},
      {"a name of digits alone, and text that is not ASCII",
       "format = \"pinwright-card\"\nversion = 1\nid = 1500\nname = \"1234\"\nvoltage = \"3.3 V\"\n"
       "picture = \"missing.svg\"\n" +
           pin,
       {"card.toml:4:8: error: name must not be digits alone, which read as a card ID",
        "card.toml:6:11: error: picture \"missing.svg\" cannot be read"}},
      {"positions",
       head + "[[pin]]\nposition = 0\nname = \"A\"\ndirection = \"input\"\n"
              "[[pin]]\nposition = 12\nname = \"B\"\ndirection = \"input\"\n"
              "[[pin]]\npositions = [9, 14]\nbus = \"C\"\nindex = [0, 5]\ndirection = \"input\"\n"
              "[[pin]]\nposition = 3\npositions = [4, 5]\nname = \"D\"\ndirection = \"input\"\n"
              "[[pin]]\nname = \"E\"\ndirection = \"input\"\n"
              "[[pin]]\npositions = [41, 3]\nbus = \"F\"\nindex = [0, 1]\ndirection = \"input\"\n",
       {"card.toml:7:12: error: position 0 is not on the header (1 to 40)",
        "card.toml:11:12: error: position 12 is supply or ground (11, 12, 29 and 30 carry no "
        "signal)",
        "card.toml:15:13: error: positions 9 to 14 cross supply or ground position 11",
        "card.toml:21:13: error: a pin has position or positions, not both",
        "card.toml:24:1: error: a pin needs position (one) or positions (first and last)",
        "card.toml:28:13: error: position 41 is not on the header (1 to 40)"}},
      {"names",
       head +
           "[[pin]]\nposition = 1\nname = \"2FAST\"\ndirection = \"input\"\n"
           "[[pin]]\nposition = 2\nname = \"wire\"\ndirection = \"input\"\n"
           "[[pin]]\nposition = 3\nname = \"X\"\nbus = \"X\"\nindex = 0\ndirection = \"input\"\n"
           "[[pin]]\nposition = 4\ndirection = \"input\"\n"
           "[[pin]]\nposition = 5\nbus = \"Y\"\ndirection = \"input\"\n"
           "[[pin]]\nposition = 6\nname = \"Z\"\nindex = 1\ndirection = \"input\"\n"
           "[[pin]]\nposition = 7\nname = \"" +
           std::string(64, 'L') + "\"\ndirection = \"input\"\n",
       {"card.toml:8:8: error: name \"2FAST\" is not a Verilog identifier: use letters, digits "
        "and underscores, starting with a letter or underscore",
        "card.toml:12:8: error: name \"wire\" is a reserved word",
        "card.toml:17:7: error: a pin has name or bus, not both",
        "card.toml:20:1: error: a pin needs name (a single signal) or bus and index (bus "
        "members)",
        "card.toml:25:7: error: a bus needs index: the bus index at the first position, and at "
        "the last for a run",
        "card.toml:30:9: error: index belongs to a bus",
        "card.toml:34:8: error: name \"" + std::string(64, 'L') + "\" is longer than 63 bytes"}},
      {"the same position, name or bus member twice",
       head + "[[pin]]\npositions = [1, 4]\nbus = \"D\"\nindex = [3, 0]\ndirection = \"output\"\n"
              "[[pin]]\nposition = 4\nname = \"E\"\ndirection = \"output\"\n"
              "[[pin]]\nposition = 5\nname = \"E\"\ndirection = \"output\"\n"
              "[[pin]]\nposition = 6\nbus = \"D\"\nindex = 2\ndirection = \"output\"\n"
              "[[pin]]\nposition = 7\nname = \"D\"\ndirection = \"output\"\n"
              "[[pin]]\nposition = 8\nbus = \"E\"\nindex = 0\ndirection = \"output\"\n",
       {"card.toml:12:12: error: position 4 is used twice (first at 7:13)",
        "card.toml:17:8: error: name \"E\" is used twice (first at 13:8)",
        "card.toml:21:7: error: D[2] is used twice (first at 8:7)",
        "card.toml:26:8: error: name \"D\" is already a bus (at 8:7)",
        "card.toml:30:7: error: bus \"E\" is already a single signal (at 13:8)"}},
      {"direction, clock, standard and pull",
       head + "[[pin]]\nposition = 1\nname = \"A\"\ndirection = \"in\"\n"
              "[[pin]]\nposition = 2\nname = \"B\"\ndirection = \"output\"\nclock = \"25 MHz\"\n"
              "[[pin]]\nposition = 3\nname = \"C\"\ndirection = \"input\"\nclock = \"-5 MHz\"\n"
              "[[pin]]\nposition = 4\nname = \"D\"\ndirection = \"input\"\nclock = \"fast\"\n"
              "[[pin]]\nposition = 5\nname = \"E\"\ndirection = \"input\"\nclock = 0.0001\n"
              "[[pin]]\npositions = [6, 7]\nbus = \"F\"\nindex = [0, 1]\ndirection = \"input\"\n"
              "clock = 10\n"
              "[[pin]]\nposition = 8\nname = \"G\"\ndirection = \"input\"\npull = \"down\"\n"
              "io_standard = \"LVDS\"\nslew = 1\n"
              "[[pin]]\nposition = 9\nname = \"H\"\n",
       {"card.toml:9:13: error: direction must be \"input\", \"output\" or \"inout\"",
        "card.toml:14:9: error: a clock must be an input",
        "card.toml:19:9: error: clock must be a positive frequency in MHz, such as \"25 MHz\"",
        "card.toml:24:9: error: clock must be a positive frequency in MHz, such as \"25 MHz\"",
        "card.toml:29:9: error: clock must be from 0.001 MHz to 10000 MHz",
        "card.toml:35:9: error: a clock must be a single named pin, not a bus member",
        "card.toml:40:8: error: pull must be \"up\"",
        "card.toml:41:15: error: io_standard must be \"3.3-V LVCMOS\", \"3.3-V LVTTL\" or \"3.3 V "
        "Schmitt Trigger\"",
        "card.toml:42:1: error: unknown key 'slew'",
        "card.toml:43:1: error: a pin needs direction: \"input\", \"output\" or \"inout\""}},
      {"a run whose index count differs",
       head + "[[pin]]\npositions = [1, 3]\nbus = \"A\"\nindex = [7, 7]\ndirection = \"output\"\n"
              "[[pin]]\npositions = [4, 5]\nbus = \"B\"\nindex = 4\ndirection = \"output\"\n"
              "[[pin]]\nposition = 6\nbus = \"C\"\nindex = [0, 1, 2]\ndirection = \"output\"\n",
       {"card.toml:9:9: error: index runs over 1 members but positions over 3: it steps by one "
        "per position",
        "card.toml:14:9: error: index runs over 1 members but positions over 2: it steps by one "
        "per position",
        "card.toml:19:9: error: index must be an array of two integers, the first and the last"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(ProblemLines(c.Text), c.Expected);
  }
}

TEST(ReadCardText, AGoodFileBecomesMapRowsAscendingByPosition) {
  const std::string path = std::string(PINWRIGHT_TEST_DATA_DIR) + "/cards/files/acme_strip.toml";
  const CardFileReading reading = ReadCardFile(path);
  ASSERT_TRUE(reading.Problems.empty()) << DiagnosticLine(reading.Problems.front());
  const CardDefinition& card = *reading.Card;
  EXPECT_EQ(card.Id, 1001);
  EXPECT_EQ(card.Name, "Acme 8-LED Strip");
  ASSERT_EQ(card.Rows.size(), 4u);
  const CardPinRow& clock = card.Rows[0];
  EXPECT_EQ(clock.Name, "ACME_CLK");
  EXPECT_EQ(clock.ClockMHz, 25.0);
  EXPECT_EQ(clock.IoStandard, CardIoStandardCode("3.3-V LVTTL"));
  EXPECT_EQ(card.Rows[1].IoStandard, kIoLvcmos33);  // the file's default
  EXPECT_TRUE(card.Rows[2].PullUp);
  // positions = [16, 13] with index [0, 3]: turned round, position 13 carries index 3.
  const CardPinRow& run = card.Rows[3];
  EXPECT_EQ(run.FirstPosition, 13);
  EXPECT_EQ(run.LastPosition, 16);
  EXPECT_EQ(run.FirstIndex, 3);
  EXPECT_EQ(run.LastIndex, 0);
}

// Every built-in card, written as a card file and given a user ID and name, reads back to the
// built-in card's rows.
TEST(CardFileText, EveryBuiltInCardReadsBackToItsOwnRows) {
  for (const std::int32_t id : GpioBuiltInChoices()) {
    if (id == kCardNone)
      continue;
    SCOPED_TRACE(id);
    std::string text = CardFileText(id);
    text = std::regex_replace(text, std::regex("\nid = [0-9]+\n"), "\nid = 1234\n");
    text = std::regex_replace(text, std::regex("\nname = .*\n"), "\nname = \"Copy\"\n",
                              std::regex_constants::format_first_only);
    const CardFileReading reading = ReadCardText(text, "copy.toml");
    ASSERT_TRUE(reading.Problems.empty()) << DiagnosticLine(reading.Problems.front()) << "\n"
                                          << text;
    const std::span<const CardPinRow> builtIn = CardById(id).Pins;
    const std::vector<CardPinRow>& rows = reading.Card->Rows;
    ASSERT_EQ(rows.size(), builtIn.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].FirstPosition, builtIn[i].FirstPosition);
      EXPECT_EQ(rows[i].LastPosition, builtIn[i].LastPosition);
      EXPECT_EQ(rows[i].Name, builtIn[i].Name);
      EXPECT_EQ(rows[i].FirstIndex, builtIn[i].FirstIndex);
      EXPECT_EQ(rows[i].LastIndex, builtIn[i].LastIndex);
      EXPECT_EQ(rows[i].Direction, builtIn[i].Direction);
      EXPECT_EQ(rows[i].IoStandard, kIoLvcmos33);
    }
  }
}

TEST(LoadCards, LaterSourcesReplaceEarlierOnesAndClashesAreRefused) {
  testing::TempDir dir;
  // The system's own separators, as the folder listing gives them.
  auto at = [&](const char* folder, const char* file) {
    return Utf8FromPath(dir.Path() / folder / file);
  };
  std::filesystem::create_directories(dir.Path() / "standard");
  std::filesystem::create_directories(dir.Path() / "extra");
  auto card = [&](const std::string& file, int id, const std::string& name) {
    testing::WriteFile(dir.File(file), "format = \"pinwright-card\"\nversion = 1\nid = " +
                                           std::to_string(id) + "\nname = \"" + name +
                                           "\"\nvoltage = \"3.3 V\"\n[[pin]]\nposition = 1\n"
                                           "name = \"P\"\ndirection = \"output\"\n");
  };
  card("standard/a.toml", 1001, "Alpha");
  card("standard/b.toml", 1001, "Beta");          // the same ID in one folder
  card("standard/c.toml", 1002, "gpio default");  // a built-in card's name
  card("standard/d.TOML", 1003, "Delta");
  card("standard/notes.txt", 1004, "Not a card file");
  card("extra/a2.toml", 1001, "Alpha Two");  // replaces a.toml
  card("extra/e.toml", 1005, "delta");       // Delta's name under another ID
  testing::WriteFile(at("extra", "broken.toml"), "id = \n");

  const std::vector<CardSource> extra = {{CardSource::Kind::Folder, dir.File("extra")}};
  const CardLoad load = LoadCards(CardSources(dir.File("standard"), extra));
  std::vector<std::string> loaded;
  for (const auto& c : load.Cards)
    loaded.push_back(std::to_string(c->Id) + " " + c->Name);
  EXPECT_EQ(loaded, (std::vector<std::string>{"1001 Alpha Two", "1003 Delta"}));
  const std::vector<std::string> refused = {at("standard", "b.toml"), at("standard", "c.toml"),
                                            at("extra", "broken.toml"), at("extra", "e.toml")};
  EXPECT_EQ(load.RefusedFiles, refused);
  ASSERT_EQ(load.Problems.size(), 4u);
  EXPECT_EQ(DiagnosticLine(load.Problems[0]), at("standard", "b.toml") +
                                                  ":3:6: error: id 1001 is also the id of " +
                                                  at("standard", "a.toml"));
  EXPECT_EQ(DiagnosticLine(load.Problems[1]),
            at("standard", "c.toml") +
                ":4:8: error: name \"gpio default\" is already the name "
                "of built-in card 1");
  EXPECT_EQ(DiagnosticLine(load.Problems[3]),
            at("extra", "e.toml") + ":4:8: error: name \"delta\" is already the name of " +
                at("standard", "d.TOML"));
  EXPECT_EQ(load.Notes,
            (std::vector<std::string>{at("extra", "a2.toml") + " replaces card 1001 of " +
                                      at("standard", "a.toml")}));

  // Installed, the cards join the choice list and are found by ID and name; a missing one
  // names the folders searched.
  const InstalledCards installed(load);
  const std::span<const std::int32_t> choices = GpioHeaderChoices();
  EXPECT_EQ(std::vector<std::int32_t>(choices.end() - 2, choices.end()),
            (std::vector<std::int32_t>{1001, 1003}));
  EXPECT_EQ(FindGpioCard("alpha two"), 1001);
  EXPECT_EQ(FindGpioCard("1003"), 1003);
  EXPECT_EQ(CardById(1003).Name, "Delta");
  EXPECT_TRUE(CardById(1003).OnGpioHeader());
  EXPECT_EQ(CardById(1003).Pins.size(), 1u);
  EXPECT_EQ(MissingUserCardText(1003), "");
  EXPECT_EQ(MissingUserCardText(12), "");
  EXPECT_EQ(MissingUserCardText(1002), "No card file with card ID 1002 was found in " +
                                           load.SearchedFolders[0] + " or " +
                                           load.SearchedFolders[1] + ".");
}

// Taking a card file into the card folder never replaces or knocks out another card: a clash
// is refused and named, and a new file of an installed card keeps the old one as a backup.
TEST(AddUserCardFile, NeverReplacesOrKnocksOutAnotherCard) {
  struct Case {
    const char* What;
    std::string File;  // below the scratch folder
    int Id;
    const char* Name;
    std::string Refusal;   // empty: installed
    std::string Replaces;  // the installed file kept as a backup
  };
  const std::vector<Case> cases = {
      {"a new card", "new/c.toml", 1003, "Gamma", "", ""},
      {"the file name of another card", "new/a.toml", 1003, "Gamma",
       "a card file of that name is already installed", ""},
      {"the name of another card", "new/c.toml", 1003, "ALPHA",
       "the name \"ALPHA\" is already the name of card 1001 \"Alpha\"", ""},
      {"the name of a built-in card", "new/c.toml", 1003, "RISC-V",
       "is already the name of built-in card 69", ""},
      {"the ID of a card given beside the folder", "new/c.toml", 1009, "Gamma",
       "card ID 1009 is already the ID of card 1009 \"Extra\"", ""},
      {"the same card under another file name", "new/a2.toml", 1001, "Alpha Two", "",
       "cards/a.toml"},
      {"the same card under the same file name", "new/b.toml", 1002, "Beta", "", "cards/b.toml"},
      {"the installed file itself", "cards/a.toml", 1001, "Alpha", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    testing::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "cards");
    std::filesystem::create_directories(dir.Path() / "new");
    auto card = [&](const std::string& file, int id, const std::string& name) {
      testing::WriteFile(dir.File(file), "format = \"pinwright-card\"\nversion = 1\nid = " +
                                             std::to_string(id) + "\nname = \"" + name +
                                             "\"\nvoltage = \"3.3 V\"\n[[pin]]\nposition = 1\n"
                                             "name = \"P\"\ndirection = \"output\"\n");
    };
    card("cards/a.toml", 1001, "Alpha");
    card("cards/b.toml", 1002, "Beta");
    card("extra.toml", 1009, "Extra");
    if (c.File.starts_with("new/"))
      card(c.File, c.Id, c.Name);
    const std::string folder = dir.File("cards");
    const std::vector<CardSource> extra = {{CardSource::Kind::File, dir.File("extra.toml")}};
    const std::string before = testing::ReadFile(dir.File("cards/a.toml"));
    const InstalledCards installed(LoadCards(CardSources(folder, extra)));

    const Result<CardFileInstall> added = AddUserCardFile(dir.File(c.File), folder, extra);
    if (!c.Refusal.empty()) {
      ASSERT_FALSE(added);
      EXPECT_NE(added.Error().Reason.find(dir.File(c.File) + ": "), std::string::npos);
      EXPECT_NE(added.Error().Reason.find(c.Refusal), std::string::npos) << added.Error().Reason;
      EXPECT_EQ(testing::SortedFileNames(dir.Path() / "cards"),
                (std::vector<std::string>{"a.toml", "b.toml"}));
      EXPECT_EQ(testing::ReadFile(dir.File("cards/a.toml")), before);
      EXPECT_EQ(CardById(1001).Name, "Alpha");
      continue;
    }
    ASSERT_TRUE(added) << added.Error().Reason;
    EXPECT_EQ(added->Id, c.Id);
    EXPECT_EQ(CardById(c.Id).Name, c.Name);
    EXPECT_EQ(Native(added->Replaces), c.Replaces.empty() ? "" : Native(dir.File(c.Replaces)));
    const std::vector<std::string> backups =
        c.Replaces.empty() ? std::vector<std::string>{}
                           : std::vector<std::string>{Native(dir.File(c.Replaces) + ".~1~")};
    std::vector<std::string> made;
    for (const std::string& backup : added->Backups)
      made.push_back(Native(backup));
    EXPECT_EQ(made, backups);
    // Every card still loads from the folder, the replaced one from its backup no more.
    const CardLoad reloaded = LoadCards(CardSources(folder, extra));
    EXPECT_TRUE(reloaded.RefusedFiles.empty());
    EXPECT_EQ(reloaded.Cards.size(), c.Replaces.empty() && c.Id == 1003 ? 4u : 3u);
    if (!c.Replaces.empty()) {
      EXPECT_NE(testing::ReadFile(backups[0]).find("id = " + std::to_string(c.Id)),
                std::string::npos);
    }
  }
}

// Removing a user card keeps its file as a numbered backup; a card of no file in the folder
// cannot be removed.
TEST(RemoveUserCardFile, KeepsTheFileAsANumberedBackup) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.Path() / "cards");
  const std::string acme = std::string(PINWRIGHT_TEST_DATA_DIR) + "/cards/files/acme_strip.toml";
  testing::WriteFile(dir.File("cards/acme.toml"), testing::ReadFile(acme));
  testing::WriteFile(dir.File("cards/acme.toml.~1~"), "an older backup");
  const std::string folder = dir.File("cards");
  const InstalledCards installed(LoadCards(CardSources(folder, {})));
  ASSERT_NE(FindUserCard(1001), nullptr);
  EXPECT_FALSE(RemoveUserCardFile(12, folder));
  const Result<std::string> backup = RemoveUserCardFile(1001, folder);
  ASSERT_TRUE(backup) << backup.Error().Reason;
  EXPECT_EQ(Native(*backup), Native(dir.File("cards/acme.toml.~2~")));
  EXPECT_EQ(testing::ReadFile(*backup), testing::ReadFile(acme));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "cards" / "acme.toml"));
  EXPECT_EQ(FindUserCard(1001), nullptr);
  // A card given beside the folder is not the folder's to remove.
  const std::vector<CardSource> extra = {{CardSource::Kind::File, acme}};
  InstallUserCards(LoadCards(CardSources(folder, extra)));
  EXPECT_FALSE(RemoveUserCardFile(1001, folder, extra));
}

}  // namespace
}  // namespace pinwright
