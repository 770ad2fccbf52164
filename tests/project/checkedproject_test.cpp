#include "project/checkedproject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "build/buildproject.h"
#include "cards/catalogue.h"
#include "cards/choicelist.h"
#include "outputs/projecttexts.h"
#include "outputs/toplevel.h"
#include "support/configurations.h"
#include "support/recordinghost.h"
#include "support/tempdir.h"

namespace pinwright {
namespace {

using testing::RecordingHost;
using testing::SortedFileNames;
using testing::TempDir;

using Edit = std::function<void(TLarkspurSettings&)>;

TLarkspurSettings Edited(const Edit& edit) {
  TLarkspurSettings settings = DefaultLarkspurSettings();
  edit(settings);
  return settings;
}

void Cards(TLarkspurSettings& s, std::int32_t gpio0, const char* prefix0, std::int32_t gpio1,
           const char* prefix1) {
  s.Gpio0.Set(gpio0);
  s.PrefixGpio0.Set(prefix0);
  s.Gpio1.Set(gpio1);
  s.PrefixGpio1.Set(prefix1);
}

TEST(IsDefaultGpioPair, NeedsTheDefaultCardTwiceWithoutPrefixes) {
  struct Case {
    std::int32_t Gpio0;
    const char* Prefix0;
    std::int32_t Gpio1;
    const char* Prefix1;
    bool Pair;
  };
  const std::vector<Case> cases = {
      {1, "", 1, "", true},    {1, "A_", 1, "", false}, {1, "", 1, "B_", false},
      {1, "", 0, "", false},   {0, "", 1, "", false},   {0, "", 0, "", false},
      {12, "", 12, "", false}, {1, "", 12, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.Gpio0) + c.Prefix0 + "/" + std::to_string(c.Gpio1) + c.Prefix1);
    EXPECT_EQ(IsDefaultGpioPair(
                  Edited([&](auto& s) { Cards(s, c.Gpio0, c.Prefix0, c.Gpio1, c.Prefix1); })),
              c.Pair);
  }
}

TEST(MemoryWarning, NamesTheMemoryAndHpsAsTicked) {
  struct Case {
    bool A, B, Hps;
    const char* Word;  // nullptr: no warning
  };
  const std::vector<Case> cases = {
      {false, false, false, nullptr},        {true, false, false, "LPDDR4"},
      {false, true, false, "LPDDR4"},        {false, false, true, "HPS"},
      {true, false, true, "LPDDR4 and HPS"}, {false, true, true, "LPDDR4 and HPS"},
      {true, true, true, "LPDDR4 and HPS"},  {true, true, false, "LPDDR4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Word ? c.Word : "none");
    const TLarkspurSettings settings = Edited([&](auto& s) {
      s.LPDDR4A = c.A ? 1 : 0;
      s.LPDDR4B = c.B ? 7 : 0;  // any non-zero byte ticks
      s.HPS = c.Hps ? 1 : 0;
    });
    const std::string word = c.Word ? c.Word : "";
    EXPECT_EQ(MemoryWarning(settings),
              c.Word ? "===== " + word +
                           " System warning =====\r\n"
                           "To prevent any errors while compiling your Quartus project, \r\n"
                           "please add the Altera " +
                           word + " IP to your design.\r\n"
                     : "");
  }
}

constexpr std::optional<FailureKind> kPasses;

constexpr const char* kClash =
    "GPIO-0 and GPIO-1 cannot have the same prefix name when both connect to the same type of "
    "daughter boards.";

TEST(CheckLarkspurSettings, RefusesTheFirstProblemFound) {
  struct Case {
    const char* What;
    Edit Change;
    std::optional<FailureKind> Kind;        // kPasses for none
    std::vector<std::string> MessageHolds;  // one whole sentence, or parts of the message
  };
  const std::string longPrefix(100, 'P');
  const std::vector<Case> cases = {
      {"defaults", [](auto&) {}, kPasses, {""}},
      {"default GPIO pair", [](auto& s) { Cards(s, 1, "", 1, ""); }, kPasses, {""}},
      {"empty name",
       [](auto& s) {
         s.ProjectName.Set("");
         Cards(s, 12, "", 12, "");
       },
       FailureKind::EmptyProjectName,
       {"Project Name cannot be empty."}},
      {"same card, same prefix",
       [](auto& s) { Cards(s, 12, "A_", 12, "A_"); },
       FailureKind::PrefixClash,
       {kClash}},
      {"default card twice with one prefix each",
       [](auto& s) { Cards(s, 1, "X_", 1, "X_"); },
       FailureKind::PrefixClash,
       {kClash}},
      {"clash comes before the name",
       [](auto& s) {
         s.ProjectName.Set("my proj");
         Cards(s, 13, "", 13, "");
       },
       FailureKind::PrefixClash,
       {kClash}},
      {"name with a space",
       [](auto& s) { s.ProjectName.Set("my proj"); },
       FailureKind::BadProjectName,
       {"Project name \"my proj\" is not a valid Verilog identifier: use letters, digits and "
        "underscores, starting with a letter or underscore."}},
      {"name with a hyphen",
       [](auto& s) { s.ProjectName.Set("my-proj"); },
       FailureKind::BadProjectName,
       {"\"my-proj\""}},
      {"name with a leading digit",
       [](auto& s) { s.ProjectName.Set("1st"); },
       FailureKind::BadProjectName,
       {"\"1st\""}},
      {"reserved word",
       [](auto& s) { s.ProjectName.Set("module"); },
       FailureKind::BadProjectName,
       {"Project name \"module\" is a reserved word of Verilog: choose another name."}},
      {"reserved words are small letters only",
       [](auto& s) { s.ProjectName.Set("Module"); },
       kPasses,
       {""}},
      {"hostile prefix",
       [](auto& s) { Cards(s, 12, "\"]; exec", 0, ""); },
       FailureKind::BadPrefix,
       {"The prefix \"\"]; exec\" of the GPIO-0 header is not valid in a Verilog name: leave it "
        "empty or use letters, digits and underscores, starting with a letter or underscore."}},
      {"prefix with brackets",
       [](auto& s) { Cards(s, 0, "", 66, "M[0]"); },
       FailureKind::BadPrefix,
       {"\"M[0]\"", "GPIO-1"}},
      {"prefix of 101 characters",
       [&](auto& s) { Cards(s, 12, "", 13, (longPrefix + "Q").c_str()); },
       FailureKind::BadPrefix,
       {"The prefix of the GPIO-1 header is longer than 100 characters: shorten it."}},
      {"prefix of 100 characters",
       [&](auto& s) { Cards(s, 13, longPrefix.c_str(), 0, ""); },
       kPasses,
       {""}},
      {"prefix of a header without card",
       [](auto& s) { Cards(s, 0, "no card here", 12, ""); },
       kPasses,
       {""}},
      {"card 99",
       [](auto& s) { Cards(s, 99, "", 0, ""); },
       FailureKind::UnknownCard,
       {"Card ID 99 on the GPIO-0 header is not a card that a GPIO header offers: choose one "
        "from the list."}},
      {"card -1",
       [](auto& s) { Cards(s, 12, "", -1, ""); },
       FailureKind::UnknownCard,
       {"Card ID -1 on the GPIO-1 header"}},
      {"offered only on other headers",
       [](auto& s) { Cards(s, 2, "", 0, ""); },
       FailureKind::UnknownCard,
       {"Card ID 2"}},
      {"two RF cards without prefixes",
       [](auto& s) { Cards(s, 67, "", 68, ""); },
       FailureKind::DuplicatePort,
       {"The signal \"LSENSOR_INT\" would be a port of both \"GPIO_0\" and \"GPIO_1\": give the "
        "GPIO-1 header a prefix."}},
      {"prefix makes a card clash with the HPS",
       [](auto& s) {
         s.HPS = 1;
         Cards(s, 68, "HPS_", 0, "");
       },
       FailureKind::DuplicatePort,
       {"\"HPS_", "\"HPS\" and \"GPIO_0\"", "GPIO-0 header a different prefix."}},
      {"the two panel cards without prefixes",
       [](auto& s) { Cards(s, 55, "", 63, ""); },
       FailureKind::DuplicatePort,
       {"\"PAVONA_", "\"GPIO_0\"", "\"GPIO_1\""}},
      {"the two panel cards apart by a prefix",
       [](auto& s) { Cards(s, 55, "", 63, "P2_"); },
       kPasses,
       {""}},
      {"prefixes equal but for letter case",
       [](auto& s) { Cards(s, 67, "A_", 67, "a_"); },
       FailureKind::DuplicatePort,
       {"\"a_LSENSOR_INT\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    RecordingHost host;
    const Result<CheckedSettings> result = CheckLarkspurSettings(Edited(c.Change));
    EXPECT_TRUE(host.Messages.empty());

    // The checks a form runs while the user types mark a field with the refusal's own
    // message whenever a typed field is behind it, and nothing when the record passes.
    const TypedFieldProblems typed = CheckTypedFields(Edited(c.Change));
    const std::vector<std::string> marks = {typed.ProjectName, typed.Prefixes[0],
                                            typed.Prefixes[1]};
    if (!c.Kind || c.Kind == FailureKind::UnknownCard) {
      EXPECT_EQ(marks, std::vector<std::string>(3));
    } else {
      EXPECT_NE(std::find(marks.begin(), marks.end(), result.Error().Reason), marks.end());
    }

    if (!c.Kind) {
      ASSERT_TRUE(result) << result.Error().Reason;
      // The checked model is the one BuildLarkspurModel makes, with its pins already in order.
      const std::unique_ptr<TMainBoard> built = BuildLarkspurModel(Edited(c.Change));
      const LocalDateTime now = host.Now();
      ASSERT_TRUE(built->OrderPins());
      const TMainBoard& checked = result->Board();
      EXPECT_EQ(QsfText(checked, "TOP", now), QsfText(*built, "TOP", now));
      EXPECT_EQ(VerilogPortList(*TopLevelPorts(checked)), VerilogPortList(*TopLevelPorts(*built)));
      EXPECT_EQ(SdcText(checked), SdcText(*built));
      EXPECT_EQ(HtmlText(checked), HtmlText(*built));
      continue;
    }
    ASSERT_FALSE(result);
    const Failure& refusal = result.Error();
    EXPECT_EQ(refusal.Kind, *c.Kind);
    EXPECT_TRUE(refusal.File.empty());
    if (c.MessageHolds.size() == 1 && c.MessageHolds[0].ends_with('.')) {
      EXPECT_EQ(refusal.Reason, c.MessageHolds[0]);
    } else {
      for (const std::string& part : c.MessageHolds) {
        EXPECT_NE(refusal.Reason.find(part), std::string::npos) << refusal.Reason;
      }
    }
  }
}

TEST(SignalSummary, CountsThePinsAComponentOrCardAddsToTheProject) {
  struct Case {
    const char* What;
    SignalSummary Summary;
    std::size_t PinCount;
    std::vector<std::string> FirstSignals;
  };
  const Case cases[] = {
      {"clock",
       ComponentSignals(&TLarkspurSettings::OSC),
       3,
       {"CLOCK1_50", "CLOCK2_50", "CLOCK3_50"}},
      {"LEDs as one bus", ComponentSignals(&TLarkspurSettings::LED), 8, {"LED"}},
      {"no card", CardSignals(kCardNone), 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    EXPECT_EQ(c.Summary.PinCount, c.PinCount);
    ASSERT_GE(c.Summary.Signals.size(), c.FirstSignals.size());
    EXPECT_TRUE(
        std::equal(c.FirstSignals.begin(), c.FirstSignals.end(), c.Summary.Signals.begin()));
  }
  // A card's pins are its share of a generated header: at most the header's 36 signal pins.
  TConfigLarkspur choices;
  choices.FillChoiceList(GpioHeaderChoices());
  for (int i = 1; i < choices.ChoiceCount; ++i) {
    const SignalSummary card = CardSignals(choices.ChoiceList[i]);
    EXPECT_GT(card.PinCount, 0u) << choices.ChoiceList[i];
    EXPECT_LE(card.PinCount, 36u) << choices.ChoiceList[i];
  }
}

TEST(CheckProjectPath, NeedsAnIdentifierOfTheLanguageAsBaseName) {
  constexpr HdlLanguage V = HdlLanguage::Verilog;
  constexpr HdlLanguage SV = HdlLanguage::SystemVerilog;
  constexpr HdlLanguage VHDL = HdlLanguage::Vhdl;
  const std::vector<std::tuple<const char*, HdlLanguage, bool>> cases = {
      {"/p/LARKSPUR.qpf", V, true},
      {"/p/top.txt", V, true},
      {"/p/my proj.qpf", V, false},
      {"/p/my-top.qpf", V, false},
      {"/p/module.qpf", V, false},
      {"/p/.qpf", V, false},
      {"", V, false},
      {"/p/a.b.qpf", V, false},
      {"/p/logic.qpf", V, true},
      {"/p/logic.qpf", SV, false},
      {"/p/Logic.qpf", SV, true},
      {"/p/wire.qpf", SV, false},
      {"/p/top_1.qpf", VHDL, true},
      {"/p/_top.qpf", V, true},
      {"/p/_top.qpf", VHDL, false},
      {"/p/top_.qpf", VHDL, false},
      {"/p/a__b.qpf", VHDL, false},
      {"/p/1a.qpf", VHDL, false},
      {"/p/Entity.qpf", VHDL, false},
      {"/p/module.qpf", VHDL, false},
  };
  for (const auto& [path, language, passes] : cases) {
    SCOPED_TRACE(std::string(path) + " in " + std::string(HdlLanguageCaption(language)));
    const Result<CheckedProjectPath> result = CheckProjectPath(path, language);
    ASSERT_EQ(result.Ok(), passes);
    if (!passes) {
      EXPECT_EQ(result.Error().Kind, FailureKind::BadFileName);
    }
  }
  EXPECT_EQ(CheckProjectPath("/p/top.txt")->ProjectName(), "top");
  EXPECT_EQ(CheckProjectPath("/p/my-top.qpf").Error().Reason,
            "Project file name \"my-top\" is not a valid Verilog identifier: use letters, digits "
            "and underscores, starting with a letter or underscore.");
  EXPECT_EQ(CheckProjectPath("/p/Signal.qpf", VHDL).Error().Reason,
            "Project file name \"Signal\" is a reserved word of VHDL: choose another name.");
}

TEST(CheckTopLevelNames, RefuseWhatTheLanguageDoesNotTake) {
  struct Case {
    const char* What;
    Edit Change;
    HdlLanguage Language;
    std::optional<FailureKind> Kind;  // kPasses for none
    std::string Reason;               // the whole message
    std::size_t Marks = 1;            // the typed fields marked at once
  };
  const std::vector<Case> cases = {
      {"defaults in VHDL", [](auto&) {}, HdlLanguage::Vhdl, kPasses, ""},
      {"every part and card pair in SystemVerilog",
       [](auto& s) {
         for (const LarkspurComponent& component : kLarkspurComponents)
           s.*component.Flag = 1;
         Cards(s, 13, "L_", 67, "R_");
       },
       HdlLanguage::SystemVerilog, kPasses, ""},
      {"reserved project name", [](auto& s) { s.ProjectName.Set("BUFFER"); }, HdlLanguage::Vhdl,
       FailureKind::BadProjectName,
       "Project name \"BUFFER\" is a reserved word of VHDL: choose another name."},
      {"SystemVerilog keyword", [](auto& s) { s.ProjectName.Set("interface"); },
       HdlLanguage::SystemVerilog, FailureKind::BadProjectName,
       "Project name \"interface\" is a reserved word of SystemVerilog: choose another name."},
      {"trailing underscore", [](auto& s) { s.ProjectName.Set("TOP_"); }, HdlLanguage::Vhdl,
       FailureKind::BadProjectName,
       "Project name \"TOP_\" is not a valid VHDL identifier: use letters, digits and single "
       "underscores, starting with a letter and not ending with an underscore."},
      {"prefix the language refuses", [](auto& s) { Cards(s, 13, "_L", 0, ""); }, HdlLanguage::Vhdl,
       FailureKind::BadPrefix,
       "The prefix \"_L\" of the GPIO-0 header is not valid in a VHDL name: leave it empty or "
       "use letters, digits and single underscores, starting with a letter."},
      {"the same prefix in Verilog", [](auto& s) { Cards(s, 13, "_L", 0, ""); },
       HdlLanguage::Verilog, kPasses, ""},
      {"double underscore from a prefix", [](auto& s) { Cards(s, 0, "", 12, "CAM__"); },
       HdlLanguage::Vhdl, FailureKind::BadPrefix, ""},
      {"a prefix VHDL takes", [](auto& s) { Cards(s, 0, "", 12, "X_"); }, HdlLanguage::Vhdl,
       kPasses, ""},
      {"digit first: the language's rule and advice", [](auto& s) { s.ProjectName.Set("9bad"); },
       HdlLanguage::Vhdl, FailureKind::BadProjectName,
       "Project name \"9bad\" is not a valid VHDL identifier: use letters, digits and single "
       "underscores, starting with a letter and not ending with an underscore."},
      {"prefix with a digit first", [](auto& s) { Cards(s, 0, "", 12, "9x"); }, HdlLanguage::Vhdl,
       FailureKind::BadPrefix,
       "The prefix \"9x\" of the GPIO-1 header is not valid in a VHDL name: leave it empty or "
       "use letters, digits and single underscores, starting with a letter."},
      {"name and prefix refused at once",
       [](auto& s) {
         s.ProjectName.Set("abc_");
         Cards(s, 0, "", 12, "A__");
       },
       HdlLanguage::Vhdl, FailureKind::BadProjectName, "", 2},
      {"both prefixes make refused ports", [](auto& s) { Cards(s, 13, "_L", 12, "_C"); },
       HdlLanguage::Vhdl, FailureKind::BadPrefix, "", 2},
      {"a Verilog keyword under VHDL", [](auto& s) { s.ProjectName.Set("wire"); },
       HdlLanguage::Vhdl, FailureKind::BadProjectName,
       "Project name \"wire\" is a reserved word of Verilog: choose another name."},
      {"VHDL keyword", [](auto& s) { s.ProjectName.Set("entity"); }, HdlLanguage::Vhdl,
       FailureKind::BadProjectName, ""},
      {"double underscore", [](auto& s) { s.ProjectName.Set("a__b"); }, HdlLanguage::Vhdl,
       FailureKind::BadProjectName, ""},
      {"SystemVerilog type", [](auto& s) { s.ProjectName.Set("logic"); },
       HdlLanguage::SystemVerilog, FailureKind::BadProjectName, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    // As generation in the language runs them: the settings checked for it, then the names.
    const Result<CheckedSettings> checked = CheckLarkspurSettings(Edited(c.Change), c.Language);
    const Status result =
        checked ? CheckTopLevelNames(*checked, c.Language) : Status(checked.Error());
    // The marks of the typed fields follow the language: the field behind a refusal carries
    // its message, and none is marked when the language takes every name.
    const TypedFieldProblems typed = CheckTypedFields(Edited(c.Change), c.Language);
    const std::vector<std::string> marks = {typed.ProjectName, typed.Prefixes[0],
                                            typed.Prefixes[1]};
    if (!c.Kind) {
      EXPECT_TRUE(result) << result.Error().Reason;
      EXPECT_EQ(marks, std::vector<std::string>(3));
      continue;
    }
    ASSERT_FALSE(result);
    EXPECT_NE(std::find(marks.begin(), marks.end(), result.Error().Reason), marks.end());
    EXPECT_EQ(marks.size() - static_cast<std::size_t>(std::count(marks.begin(), marks.end(), "")),
              c.Marks);
    EXPECT_EQ(result.Error().Kind, *c.Kind);
    if (!c.Reason.empty()) {
      EXPECT_EQ(result.Error().Reason, c.Reason);
    }
    // No project of those names can be made to be written.
    if (!checked)
      continue;
    const Result<CheckedProject> project = CheckProject(*checked, "P.qpf", {c.Language, true});
    ASSERT_FALSE(project);
    EXPECT_EQ(project.Error().Kind, *c.Kind);
  }
}

TEST(BuildLarkspurModel, FitsTheCardsOfTheRecord) {
  struct Case {
    const char* What;
    Edit Change;
    std::vector<std::string> HeaderFirstPins;  // first pin name of each header, in order
  };
  const std::vector<Case> cases = {
      {"no cards", [](auto&) {}, {}},
      {"default pair", [](auto& s) { Cards(s, 1, "", 1, ""); }, {"GPIO_0[0]", "GPIO_1[0]"}},
      {"default card with a prefix",
       [](auto& s) { Cards(s, 1, "A_", 1, ""); },
       {"A_GPIO_D[0]", "GPIO_D[0]"}},
      {"one card on GPIO-1", [](auto& s) { Cards(s, 0, "X", 12, "C_"); }, {"C_CORVEL_PIXCLK"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TConfigLarkspur config;
    config.Settings = Edited(c.Change);
    const std::unique_ptr<TMainBoard> board = BuildLarkspurModel(config.Settings);
    std::vector<std::string> first;
    for (std::size_t g = 0; g < board->GroupCount(); ++g) {
      const TConnector& group = board->GroupAt(g);
      if (group.IsHeader() && group.PinAt(0))
        first.push_back(group.PinAt(0)->Name());
    }
    EXPECT_EQ(first, c.HeaderFirstPins);
  }
}

TEST(CheckedSettings, CarryTheRecordStampedAndTheApprovedNames) {
  TLarkspurSettings settings = Edited([](auto& s) { Cards(s, 12, "CAM_", 0, "stale"); });
  settings.BoardId.Set(0);
  settings.Size.Set(0);
  const Result<CheckedSettings> checked = CheckLarkspurSettings(settings);
  ASSERT_TRUE(checked);
  EXPECT_EQ(checked->Settings().BoardId.Get(), 43);
  EXPECT_EQ(checked->Settings().Size.Get(), 416);
  EXPECT_EQ(checked->ProjectName(), "LARKSPUR");
  EXPECT_EQ(checked->Settings().PrefixGpio0.Get(), "CAM_");
  EXPECT_EQ(checked->Settings().PrefixGpio1.Get(), "stale");
  EXPECT_EQ(checked->Board().BoardId(), 43);
}

}  // namespace
}  // namespace pinwright
