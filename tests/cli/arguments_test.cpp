// The command-line parser of pinwright-cli and the SOURCE_DATE_EPOCH clock.
#include "cli/arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/clihost.h"
#include "settings/configlarkspur.h"

namespace pinwright::cli {
namespace {

Result<Request> Parse(std::vector<std::string> args) {
  return ParseArguments(args);
}

TEST(ParseArguments, ReadsEveryOptionOfGenerate) {
  Result<Request> result =
      Parse({"generate", "--config", "in.cfg", "--project=Top", "--with", "led,UART",
             "--without=all", "--gpio0", "Corvel - 5M Pixel Camera", "--gpio1=none", "--prefix0",
             "A_", "--prefix1=", "--pins", "json,csv", "--pins=CSV", "out/top.qpf"});
  ASSERT_TRUE(result) << result.Error().Reason;
  const Request& request = *result;
  EXPECT_EQ(request.Which, Command::Generate);
  EXPECT_EQ(request.ConfigFile, "in.cfg");
  EXPECT_EQ(request.Project, "Top");
  ASSERT_EQ(request.Components.size(), 2 + kLarkspurComponents.size());
  EXPECT_EQ(kLarkspurComponents[request.Components[0].Component].Name, "LED");
  EXPECT_TRUE(request.Components[0].Ticked);
  EXPECT_EQ(kLarkspurComponents[request.Components[1].Component].Name, "UART");
  for (std::size_t i = 0; i < kLarkspurComponents.size(); ++i) {
    EXPECT_EQ(request.Components[2 + i].Component, i);
    EXPECT_FALSE(request.Components[2 + i].Ticked);
  }
  EXPECT_EQ(request.Cards[0], "Corvel - 5M Pixel Camera");
  EXPECT_EQ(request.Cards[1], "none");
  EXPECT_EQ(request.Prefixes[0], "A_");
  EXPECT_EQ(request.Prefixes[1], "");         // "--prefix1=" clears the prefix
  EXPECT_FALSE(request.Output.PinList.Json);  // the last --pins wins
  EXPECT_TRUE(request.Output.PinList.Csv);
  EXPECT_EQ(request.Operands, std::vector<std::string>{"out/top.qpf"});
}

TEST(ParseArguments, AcceptsTheShortForms) {
  struct Case {
    std::vector<std::string> Args;
    Command Which;
    std::optional<Command> Topic;
    std::vector<std::string> Operands;
    std::optional<std::size_t> PictureHeader = std::nullopt;
  };
  const std::vector<Case> cases = {
      {{"--help"}, Command::Help, std::nullopt, {}},
      {{"-h"}, Command::Help, std::nullopt, {}},
      {{"help"}, Command::Help, std::nullopt, {}},
      {{"help", "show"}, Command::Help, Command::Show, {}},
      {{"generate", "--project", "x", "--help"}, Command::Help, Command::Generate, {}},
      {{"cards", "-h"}, Command::Help, Command::Cards, {}},
      {{"--version"}, Command::Version, std::nullopt, {}},
      {{"generate"}, Command::Generate, std::nullopt, {}},
      {{"cards"}, Command::Cards, std::nullopt, {}},
      {{"show", "a.cfg"}, Command::Show, std::nullopt, {"a.cfg"}},
      {{"config", "--", "--odd.cfg"}, Command::Config, std::nullopt, {"--odd.cfg"}},
      {{"generate", "-"}, Command::Generate, std::nullopt, {"-"}},
      {{"check", "--top=t.vhd", "--json", "a.qsf"}, Command::Check, std::nullopt, {"a.qsf"}},
      {{"import", "a.qsf", "b.cfg", "--json"}, Command::Import, std::nullopt, {"a.qsf", "b.cfg"}},
      {{"check", "--cards", "cards", "--card=c.toml", "a.qsf"},
       Command::Check,
       std::nullopt,
       {"a.qsf"}},
      {{"import", "--card", "c.toml", "a.qsf", "b.cfg"},
       Command::Import,
       std::nullopt,
       {"a.qsf", "b.cfg"}},
      {{"card", "picture", "12", "a.svg"}, Command::Card, std::nullopt, {"picture", "12", "a.svg"}},
      {{"card", "picture", "--header", "1", "12", "a.svg"},
       Command::Card,
       std::nullopt,
       {"picture", "12", "a.svg"},
       1},
      {{"card", "picture", "12", "a.svg", "--header=gpio-0"},
       Command::Card,
       std::nullopt,
       {"picture", "12", "a.svg"},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Args.front() + (c.Args.size() > 1 ? " " + c.Args[1] : ""));
    Result<Request> result = ParseArguments(c.Args);
    ASSERT_TRUE(result) << result.Error().Reason;
    EXPECT_EQ(result->Which, c.Which);
    EXPECT_EQ(result->HelpTopic, c.Topic);
    EXPECT_EQ(result->Operands, c.Operands);
    EXPECT_EQ(result->PictureHeader, c.PictureHeader);
  }
}

TEST(ParseArguments, RefusesMalformedCommandLines) {
  struct Case {
    std::vector<std::string> Args;
    std::string ErrorPart;
  };
  const std::vector<Case> cases = {
      {{}, "no command"},
      {{"build"}, "unknown command 'build'"},
      {{"--verbose"}, "unknown command"},
      {{"--version", "x"}, "--version takes no arguments"},
      {{"help", "nothing"}, "not a command"},
      {{"help", "show", "cards"}, "at most one"},
      {{"generate", "--colour"}, "unknown option '--colour' for generate"},
      {{"show", "--project", "x", "a.cfg"}, "unknown option '--project' for show"},
      {{"cards", "--config", "a.cfg"}, "unknown option '--config' for cards"},
      {{"generate", "--project"}, "--project needs a value"},
      {{"generate", "--help=yes"}, "--help takes no value"},
      {{"generate", "--with", "LED,Laser"}, "unknown component 'Laser'"},
      {{"generate", "--with", ""}, "empty component list"},
      {{"generate", "--without", "LED,,UART"}, "empty name"},
      {{"generate", "--with", "LED,"}, "empty name"},
      {{"generate", "a.qpf", "b.qpf"}, "unexpected argument 'b.qpf'"},
      {{"config"}, "config needs the .cfg file to write"},
      {{"show"}, "show needs a .cfg file"},
      {{"show", "a.cfg", "b.cfg"}, "unexpected argument 'b.cfg'"},
      {{"cards", "extra"}, "unexpected argument 'extra'"},
      {{"generate", "--pins", "xml"}, "--pins: unknown pin list format 'xml'"},
      {{"generate", "--pins", "json,"}, "--pins: unknown pin list format ''"},
      {{"config", "--pins", "json", "x.cfg"}, "unknown option '--pins' for config"},
      {{"generate", "--json"}, "unknown option '--json' for generate"},
      {{"check"}, "check needs the .qsf file to check"},
      {{"import", "a.qsf"}, "import needs the .qsf file to read and the .cfg file to write"},
      {{"import", "--top", "t.v", "a.qsf", "b.cfg"}, "unknown option '--top' for import"},
      {{"card", "picture", "--header", "2", "12", "a.svg"},
       "--header: unknown header '2' (0 or 1)"},
      {{"card", "picture", "12", "a.svg", "--header"}, "--header needs a value"},
      {{"card", "export", "--header", "1", "12"}, "--header is for card picture only"},
      {{"generate", "--header", "1"}, "unknown option '--header' for generate"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ErrorPart);
    Result<Request> result = ParseArguments(c.Args);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.Error().Kind, FailureKind::BadArgument);
    EXPECT_NE(result.Error().Reason.find(c.ErrorPart), std::string::npos) << result.Error().Reason;
  }
}

TEST(FindComponent, MatchesTheRecordNamesInAnyCase) {
  EXPECT_EQ(FindLarkspurComponent("hdmitx"), 5u);
  EXPECT_EQ(FindLarkspurComponent("LPDDR4B"), 8u);
  EXPECT_EQ(FindLarkspurComponent("osc"), 0u);
  EXPECT_EQ(FindLarkspurComponent("CLOCK"), std::nullopt);  // the caption is not a name
  EXPECT_EQ(FindLarkspurComponent("LED "), std::nullopt);
}

TEST(ParseSourceDateEpoch, GivesTheInstantInUtc) {
  struct Case {
    std::string Text;
    std::optional<LocalDateTime> Expected;
  };
  const std::vector<Case> cases = {
      {"0", LocalDateTime{1970, 1, 1, 0, 0, 0}},
      {"1742047533", LocalDateTime{2025, 3, 15, 14, 5, 33}},
      {"951825600", LocalDateTime{2000, 2, 29, 12, 0, 0}},  // a leap day
      {"0000000060", LocalDateTime{1970, 1, 1, 0, 1, 0}},
      {"253402300799", LocalDateTime{9999, 12, 31, 23, 59, 59}},
      {"253402300800", std::nullopt},  // year 10000
      {"99999999999999999999999", std::nullopt},
      {"", std::nullopt},
      {"-1", std::nullopt},
      {"+5", std::nullopt},
      {" 5", std::nullopt},
      {"5s", std::nullopt},
      {"1.5", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("'" + c.Text + "'");
    std::optional<LocalDateTime> parsed = ParseSourceDateEpoch(c.Text);
    ASSERT_EQ(parsed.has_value(), c.Expected.has_value());
    if (!parsed)
      continue;
    EXPECT_EQ(parsed->Year, c.Expected->Year);
    EXPECT_EQ(parsed->Month, c.Expected->Month);
    EXPECT_EQ(parsed->Day, c.Expected->Day);
    EXPECT_EQ(parsed->Hour, c.Expected->Hour);
    EXPECT_EQ(parsed->Minute, c.Expected->Minute);
    EXPECT_EQ(parsed->Second, c.Expected->Second);
  }
}

}  // namespace
}  // namespace pinwright::cli

namespace pinwright::cli {
namespace {

TEST(TerminalText, KeepsLineBreaksAndEscapesEverythingElse) {
  struct Case {
    std::string Text;
    std::string Shown;
  };
  const Case cases[] = {
      {"a\r\nb", "a\nb"},                         // the core's line break
      {"a\nb\tc", "a\\nb\\tc"},                   // a lone LF or a tab is data
      {"\x1b[2J\rx\x7f", "\\x1b[2J\\x0dx\\x7f"},  // controls
      {std::string("a\0b", 3), "a\\x00b"},        // NUL
      {"Gr\xc3\xbc\xc3\x9f \xe2\x82\xac \xf0\x9f\x94\x8c",
       "Gr\xc3\xbc\xc3\x9f \xe2\x82\xac \xf0\x9f\x94\x8c"},
      {"\xc2\x85x\xc2\x9b", "\\xc2\\x85x\\xc2\\x9b"},         // C1 controls (NEL, CSI)
      {"\xff\xc3", "\\xff\\xc3"},                             // invalid and cut-off UTF-8
      {"\xc0\xaf\xed\xa0\x80", "\\xc0\\xaf\\xed\\xa0\\x80"},  // overlong, surrogate
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TerminalText(c.Text), c.Shown);
    EXPECT_EQ(EscapedText(c.Text, false).find('\n'), std::string::npos);
  }
}

}  // namespace
}  // namespace pinwright::cli
