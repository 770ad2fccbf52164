// Every configuration the form can express, generated in memory: all 8192 combinations of
// the on-board components without cards, and every pair of offered cards (the two test card
// files' cards among them) under three prefix pairs over two component sets. Each accepted
// project must have the properties of CheckProject; each refused one must be refused by an
// input check for a reason that holds.

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cards/catalogue.h"
#include "cards/choicelist.h"
#include "generate/hdlports.h"
#include "generate/larkspurproject.h"
#include "generate/qsfcheck.h"
#include "generate/qsfimport.h"
#include "generate/systembuild.h"
#include "generate/toplevel.h"
#include "settings/configlarkspur.h"
#include "support/configurations.h"
#include "support/projectchecks.h"
#include "support/recordinghost.h"

namespace pinwright {
namespace {

using testing::RecordingHost;

// Under AddressSanitizer a generation costs about fifteen times as much, so that build sweeps
// a fixed, spread-out sixteenth of the component combinations (every combination with at most
// one component or at most one missing included); the normal build sweeps them all.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSampled = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSampled = true;
#else
constexpr bool kSampled = false;
#endif
#else
constexpr bool kSampled = false;
#endif

bool InSample(unsigned mask) {
  const int ticked = std::popcount(mask);
  return !kSampled || ticked <= 1 || ticked >= 12 || (mask * 2654435761u) >> 28 == 0;
}

// What a configuration must get from the checks.
enum class Expect { Pass, PrefixClash, PassOrDuplicatePort };

std::string Describe(const TLarkspurSettings& settings) {
  std::string text = "components";
  for (const LarkspurComponent& component : kLarkspurComponents)
    text += settings.*component.Flag ? '1' : '0';
  text += " gpio0=" + std::to_string(settings.Gpio0.Get()) + " \"" + settings.PrefixGpio0.Get() +
          "\" gpio1=" + std::to_string(settings.Gpio1.Get()) + " \"" + settings.PrefixGpio1.Get() +
          "\"";
  return text;
}

struct Tally {
  int Accepted = 0;
  std::map<FailureKind, int> Refused;

  void Print(const char* what) const {
    std::printf("[ sweep    ] %s: %d accepted", what, Accepted);
    for (const auto& [kind, count] : Refused)
      std::printf(", %d refused (kind %d)", count, static_cast<int>(kind));
    std::printf("\n");
  }
};

// The problems of the project of the checked settings, generated in memory from the model the
// checks built; the host records what generation showed.
std::vector<std::string> GenerateAndCheck(const CheckedSettings& checked, RecordingHost& host) {
  const Result<CheckedProject> project = CheckProject(checked, checked.ProjectName() + ".qpf");
  if (!project)
    return {"no project: " + project.Error().Reason};
  const std::vector<ProjectFile> files = MakeProjectFiles(*project, host.Clock);
  const std::string qsf(testing::FileText(files, ".qsf"));
  const std::string verilog(testing::FileText(files, ".v"));
  std::vector<std::string> problems =
      testing::CheckProject(checked.Board(), {qsf, verilog, testing::FileText(files, ".sdc")});
  // Pinwright's own check finds nothing in what it wrote, and importing the .qsf gives back
  // the record it was made from.
  const TclScript script = ReadTclWords(qsf);
  const DeclaredPorts ports = ReadDeclaredPorts(verilog, HdlLanguage::Verilog);
  for (const QsfFinding& finding : CheckQsf(QsfAssignments(script), &ports))
    problems.push_back("check: " + QsfFindingLine(finding, "qsf", "v"));
  const QsfImport imported = ImportQsf(script);
  if (!imported.Ok())
    problems.push_back("import refused: " + imported.Refusal);
  for (const UnplacedAssignment& unplaced : imported.Unplaced)
    problems.push_back("import left out " + unplaced.Port);
  // HPS brings LPDDR4-A along, so the file cannot tell whether LPDDR4-A was ticked too; the
  // prefix of a header without a card names nothing in it.
  TLarkspurSettings expected = checked.Settings();
  if (expected.HPS)
    expected.LPDDR4A = 0;
  if (expected.Gpio0.Get() == 0)
    expected.PrefixGpio0 = TLarkspurSettings{}.PrefixGpio0;
  if (expected.Gpio1.Get() == 0)
    expected.PrefixGpio1 = TLarkspurSettings{}.PrefixGpio1;
  if (imported.Ok() && std::memcmp(&expected, &imported.Settings, sizeof expected) != 0)
    problems.push_back("import gives other settings: " + Describe(imported.Settings));
  if (imported.Choices.size() != (checked.Settings().HPS ? 1u : 0u))
    problems.push_back("import made unexpected choices");
  return problems;
}

// The .qsf, Verilog top level and .sdc of a model as it stands, checked or not, its pins put
// in order first; nothing for a pin name the order cannot read.
struct UncheckedTexts {
  std::string Qsf, Verilog, Sdc;
};
std::optional<UncheckedTexts> TextsOf(TMainBoard& model, const std::string& name,
                                      const LocalDateTime& now) {
  if (!CheckPinNames(model) || !model.OrderPins())
    return std::nullopt;
  const Result<std::vector<PortGroup>> ports = TopLevelPorts(model);
  if (!ports)
    return std::nullopt;
  return UncheckedTexts{QsfText(model, name, now), VerilogText(*ports, name), SdcText(model)};
}

// The same for a record the checks refused: its model built and generated as it stands.
std::vector<std::string> GenerateAndCheck(const TLarkspurSettings& settings, RecordingHost& host) {
  std::unique_ptr<TMainBoard> model = BuildLarkspurModel(settings);
  const std::optional<UncheckedTexts> texts =
      TextsOf(*model, settings.ProjectName.Get(), host.Clock);
  if (!texts)
    return {"a pin name with one bracket"};
  return testing::CheckProject(*model, {texts->Qsf, texts->Verilog, texts->Sdc});
}

void Sweep(const TLarkspurSettings& settings, Expect expected, Tally& tally) {
  SCOPED_TRACE(Describe(settings));
  RecordingHost host;
  const Result<CheckedSettings> check = CheckLarkspurSettings(settings);
  if (check) {
    EXPECT_NE(expected, Expect::PrefixClash);
    ++tally.Accepted;
    for (const std::string& problem : GenerateAndCheck(*check, host))
      ADD_FAILURE() << problem;
    EXPECT_TRUE(host.Messages.empty()) << host.Messages.front().Text;
    EXPECT_EQ(host.AlertSounds, 0);
    return;
  }
  const Failure& refusal = check.Error();
  ++tally.Refused[refusal.Kind];
  EXPECT_FALSE(refusal.Reason.empty());
  EXPECT_TRUE(refusal.File.empty());
  EXPECT_TRUE(host.Messages.empty()) << "the checks show nothing themselves";
  switch (expected) {
    case Expect::Pass:
      ADD_FAILURE() << "refused: " << refusal.Reason;
      break;
    case Expect::PrefixClash:
      EXPECT_EQ(refusal.Kind, FailureKind::PrefixClash) << refusal.Reason;
      break;
    case Expect::PassOrDuplicatePort: {
      // Without a prefix clash the only reason left is a real clash of port names.
      ASSERT_EQ(refusal.Kind, FailureKind::DuplicatePort) << refusal.Reason;
      bool clash = false;
      for (const std::string& problem : GenerateAndCheck(settings, host))
        clash = clash || problem.find("used twice") != std::string::npos;
      EXPECT_TRUE(clash) << "refused without a clash: " << refusal.Reason;
      break;
    }
  }
}

TEST(ConfigurationSweep, EveryComponentCombinationWithoutCards) {
  Tally tally;
  int swept = 0;
  for (unsigned mask = 0; mask < (1u << kLarkspurComponents.size()); ++mask) {
    if (!InSample(mask))
      continue;
    ++swept;
    TLarkspurSettings settings = DefaultLarkspurSettings();
    for (std::size_t i = 0; i < kLarkspurComponents.size(); ++i)
      settings.*kLarkspurComponents[i].Flag = (mask >> i) & 1;
    Sweep(settings, Expect::Pass, tally);
    if (::testing::Test::HasFailure())
      break;  // one broken combination is enough to report; thousands would drown it
  }
  tally.Print(kSampled ? "sampled component combinations" : "all 8192 component combinations");
  EXPECT_EQ(tally.Accepted, swept);
  EXPECT_EQ(swept == 8192, !kSampled);
}

TEST(ConfigurationSweep, EveryCardPairWithPrefixes) {
  struct Prefixes {
    const char* First;
    const char* Second;
  };
  const Prefixes prefixPairs[] = {{"", ""}, {"A_", "B_"}, {"A_", "A_"}};
  // Every choice a header offers, "None" and the test's two card files' cards included; a
  // card added to the catalogue joins the sweep.
  const testing::TestCards userCards;
  const std::span<const std::int32_t> offered = GpioHeaderChoices();
  Tally tally;
  for (bool allComponents : {false, true}) {
    for (const Prefixes& prefixes : prefixPairs) {
      for (std::int32_t first : offered) {
        for (std::int32_t second : offered) {
          TLarkspurSettings settings = DefaultLarkspurSettings();
          if (allComponents) {
            for (const LarkspurComponent& component : kLarkspurComponents)
              settings.*component.Flag = 1;
          }
          settings.Gpio0.Set(first);
          settings.Gpio1.Set(second);
          settings.PrefixGpio0.Set(prefixes.First);
          settings.PrefixGpio1.Set(prefixes.Second);
          const bool samePrefix = std::string(prefixes.First) == prefixes.Second;
          Expect expected = Expect::PassOrDuplicatePort;
          if (first != kCardNone && first == second && samePrefix)
            expected = IsDefaultGpioPair(settings) ? Expect::Pass : Expect::PrefixClash;
          Sweep(settings, expected, tally);
        }
      }
    }
  }
  tally.Print("every card pair, the test's card files' cards included");
}

}  // namespace
}  // namespace pinwright

namespace pinwright {
namespace {

// The sweep is only as good as CheckProject: each broken rule must be noticed.
TEST(CheckProject, NoticesEachBrokenRule) {
  struct Case {
    const char* What;
    void (*BreakModel)(TMainBoard&);
    std::string Cut;       // a text taken out of the generated files
    std::string Put;       // what replaces it
    std::string Expected;  // part of the problem reported
  };
  const std::vector<Case> cases = {
      {"sound project", nullptr, "", "", ""},
      {"clock without constraint", nullptr,
       "create_clock -period \"50.0 MHz\" [get_ports CLOCK2_50]\r\n", "", "missing in .sdc"},
      {"constraint without clock", nullptr, "[get_ports CLOCK2_50]", "[get_ports CLOCK9]",
       "unexpected in .sdc"},
      {"pin without location line", nullptr, "set_location_assignment PIN_V16 -to CLOCK1_50\r\n",
       "", "location of CLOCK1_50"},
      {"port missing", nullptr, "\t\tKEY,", "\t\tKEYS,", "pin without a port: KEY[0]"},
      {"port differing in case only", nullptr, "\t\tKEY,", "\t\tled,", "used twice"},
      {"bus range too narrow", nullptr, "[1:0]\t\tKEY", "[0:0]\t\tKEY", "outside the range"},
      {"location used twice",
       [](TMainBoard& model) {
         model.GroupAt(0).PinAt(1)->SetLocation(model.GroupAt(0).PinAt(0)->Location());
       },
       "", "", "used by"},
      {"unfilled header position",
       [](TMainBoard& model) { model.GroupAt(0).PinAt(0)->SetDirection(PinDirection::FromCard); },
       "", "", "direction 4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    RecordingHost host;
    TConfigLarkspur config;
    config.Settings = DefaultLarkspurSettings();
    std::unique_ptr<TMainBoard> model = BuildLarkspurModel(config.Settings);
    std::optional<UncheckedTexts> texts = TextsOf(*model, "LARKSPUR", host.Clock);
    ASSERT_TRUE(texts);
    if (c.BreakModel)
      c.BreakModel(*model);
    if (!c.Cut.empty()) {
      bool cut = false;
      for (std::string* text : {&texts->Qsf, &texts->Verilog, &texts->Sdc}) {
        if (const std::size_t at = text->find(c.Cut); !cut && at != std::string::npos) {
          text->replace(at, c.Cut.size(), c.Put);
          cut = true;
        }
      }
      ASSERT_TRUE(cut) << c.Cut;
    }
    const std::vector<std::string> problems =
        testing::CheckProject(*model, {texts->Qsf, texts->Verilog, texts->Sdc});
    if (c.Expected.empty()) {
      EXPECT_TRUE(problems.empty()) << problems.front();
      continue;
    }
    bool found = false;
    for (const std::string& problem : problems)
      found = found || problem.find(c.Expected) != std::string::npos;
    EXPECT_TRUE(found) << (problems.empty() ? "no problem reported" : problems.front());
  }
}

}  // namespace
}  // namespace pinwright
