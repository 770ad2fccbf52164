#include "generate/htmlgenerator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/filewrite.h"
#include "support/tempdir.h"

namespace pinwright {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(FileGenerator, AddLineCutsAnEntryAt1023Characters) {
  const std::vector<std::size_t> lengths = {0, 1, 1022, 1023, 1024, 5000};
  for (std::size_t length : lengths) {
    SCOPED_TRACE(length);
    FileGenerator file;
    file.AddLine("%s", std::string(length, 'x').c_str());
    ASSERT_EQ(file.Lines().size(), 1u);
    EXPECT_EQ(file.Lines()[0], std::string(std::min<std::size_t>(length, 1023), 'x'));
  }
  FileGenerator file;
  file.AddLine("%d-%s", 42, "a");
  file.AddLine("b\r\n");
  EXPECT_EQ(file.Text(), "42-ab\r\n");
}

TEST(FileGenerator, SaveToFileReplacesTheFileAndMakesItsFolder) {
  TempDir dir;
  FileGenerator file;
  file.AddLine("one\r\n");
  file.AddLine("two");

  const std::string nested = dir.File("a/b/report.htm");
  EXPECT_TRUE(file.SaveToFile(nested));
  EXPECT_EQ(ReadFile(nested), "one\r\ntwo");

  const std::string existing = dir.File("old.htm");
  WriteFile(existing, std::string(5000, 'o'));
  EXPECT_TRUE(file.SaveToFile(existing));
  EXPECT_EQ(ReadFile(existing), "one\r\ntwo");
}

TEST(FileGenerator, AFailedSaveLeavesNoOldFile) {
  TempDir dir;
  const std::string path = dir.File("old.htm");
  WriteFile(path, "old report");
  FileGenerator file;
  file.AddLine("new report");
  {
    ScopedWriteLimit limit([](const std::string&) { return std::optional<std::size_t>(3); });
    EXPECT_FALSE(file.SaveToFile(path));
  }
  EXPECT_FALSE(std::filesystem::exists(path));

  // A file where the folder should be: the folder cannot be made.
  WriteFile(dir.File("blocker"), "");
  EXPECT_FALSE(file.SaveToFile(dir.File("blocker/report.htm")));
  // A folder where the report should be stays a folder.
  std::filesystem::create_directory(dir.File("folder.htm"));
  EXPECT_FALSE(file.SaveToFile(dir.File("folder.htm")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.htm")));
}

}  // namespace
}  // namespace pinwright
