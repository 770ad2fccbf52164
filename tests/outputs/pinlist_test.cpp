// The two text rules of the pin lists, JSON strings and CSV fields, and the JSON layout. What
// the lists hold is checked against the .qsf by the real-tool checks and the golden files.
#include <gtest/gtest.h>

#include <string>

#include "host/jsonwriter.h"
#include "outputs/pinlist.h"

namespace pinwright {
namespace {

TEST(JsonQuoted, EscapesWhatJsonForbidsAndKeepsUtf8) {
  const struct {
    std::string Text;
    std::string Quoted;
  } cases[] = {
      {"LED[0]", R"("LED[0]")"},
      {R"(4.3" LCD \ x)", R"("4.3\" LCD \\ x")"},
      {"a\r\nb\tc", R"("a\r\nb\tc")"},
      {std::string("\x01\x1f\x7f", 3) + std::string(1, '\0'), R"("\u0001\u001f\u007f\u0000")"},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\x8c",
       "\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\x8c\""},
      // Not UTF-8: a lone Latin-1 byte, a cut sequence, an overlong form, a surrogate.
      {"caf\xe9", R"("caf\u00e9")"},
      {"\xe2\x82", R"("\u00e2\u0082")"},
      {"\xc0\xaf", R"("\u00c0\u00af")"},
      {"\xed\xa0\x80", R"("\u00ed\u00a0\u0080")"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Quoted);
    EXPECT_EQ(JsonQuoted(c.Text), c.Quoted);
  }
}

TEST(CsvField, QuotesOnlyWhereNeeded) {
  const struct {
    const char* Text;
    const char* Field;
  } cases[] = {
      {"LED[0]", "LED[0]"},
      {"3.3-V LVCMOS", "3.3-V LVCMOS"},
      {"", ""},
      {"a,b", "\"a,b\""},
      {"4.3\" LCD", "\"4.3\"\" LCD\""},
      {"two\r\nlines", "\"two\r\nlines\""},
      {" padded ", "\" padded \""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(CsvField(c.Text), c.Field);
  }
}

TEST(JsonWriter, IndentsLevelsAndKeepsOneLineRecordsTogether) {
  TJsonWriter json("\r\n");
  json.BeginObject();
  json.Key("empty");
  json.BeginArray();
  json.EndArray();
  json.Key("list");
  json.BeginArray();
  json.BeginObject(/*oneLine=*/true);
  json.Key("n");
  json.Number(-1);
  json.Key("inner");
  json.BeginArray();
  json.Bool(true);
  json.Bool(false);
  json.EndArray();
  json.EndObject();
  json.String("x");
  json.EndArray();
  json.EndObject();
  EXPECT_EQ(json.Text(),
            "{\r\n"
            "  \"empty\": [],\r\n"
            "  \"list\": [\r\n"
            "    {\"n\": -1, \"inner\": [true, false]},\r\n"
            "    \"x\"\r\n"
            "  ]\r\n"
            "}\r\n");
}

}  // namespace
}  // namespace pinwright
