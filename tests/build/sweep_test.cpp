// Every configuration the form can express, generated in memory: all 8192 combinations of
// the on-board components without cards, and every pair of offered cards (the two test card
// files' cards among them) under three prefix pairs over two component sets. Each accepted
// project must have the properties of CheckProject; each refused one must be refused by an
// input check for a reason that holds.

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "build/buildproject.h"
#include "cards/catalogue.h"
#include "cards/choicelist.h"
#include "project/checkedproject.h"
#include "readers/hdlports.h"
#include "readers/qsfcheck.h"
#include "readers/qsfimport.h"
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
    problems.push_back("check: " + DiagnosticLine(finding));
  const QsfImport imported = ImportQsf(script);
  if (!imported.Ok())
    problems.push_back("import refused: " + DiagnosticLine(*imported.Refusal));
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

// Whether two ports of a refused record's top level share a name, letter case ignored: the
// clash a DuplicatePort refusal must stand for. Its model is built as it stands.
bool HasPortClash(const TLarkspurSettings& settings) {
  std::unique_ptr<TMainBoard> model = BuildLarkspurModel(settings);
  if (!CheckPinNames(*model) || !model->OrderPins())
    return false;
  const Result<std::vector<PortGroup>> ports = TopLevelPorts(*model);
  if (!ports)
    return false;
  std::set<std::string> seen;
  for (const PortGroup& group : *ports) {
    for (const PortEntry& port : group.Ports) {
      std::string folded = port.Name;
      for (char& c : folded)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (!seen.insert(folded).second)
        return true;
    }
  }
  return false;
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
      EXPECT_TRUE(HasPortClash(settings)) << "refused without a clash: " << refusal.Reason;
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
    const Result<CheckedProject> project = CheckProject(DefaultLarkspurSettings(), "LARKSPUR.qpf");
    ASSERT_TRUE(project) << project.Error().Reason;
    const std::vector<ProjectFile> files = MakeProjectFiles(*project, host.Clock);
    std::string qsf(testing::FileText(files, ".qsf"));
    std::string verilog(testing::FileText(files, ".v"));
    std::string sdc(testing::FileText(files, ".sdc"));
    TMainBoard model = project->Board();
    if (c.BreakModel)
      c.BreakModel(model);
    if (!c.Cut.empty()) {
      bool cut = false;
      for (std::string* text : {&qsf, &verilog, &sdc}) {
        if (const std::size_t at = text->find(c.Cut); !cut && at != std::string::npos) {
          text->replace(at, c.Cut.size(), c.Put);
          cut = true;
        }
      }
      ASSERT_TRUE(cut) << c.Cut;
    }
    const std::vector<std::string> problems = testing::CheckProject(model, {qsf, verilog, sdc});
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
