#include "host/filewrite.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/tempdir.h"

namespace pinwright {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// Every entry of the folder, by name.
std::set<std::string> EntriesOf(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

TEST(WriteFileAtomically, WritesAndReplaces) {
  TempDir dir;
  const std::string path = dir.File("a.txt");
  for (const std::string& bytes : {std::string("first\r\n"), std::string(), std::string(1, '\0'),
                                   std::string(100000, 'x'), std::string("last")}) {
    SCOPED_TRACE(bytes.size());
    WriteOutcome outcome = WriteFileAtomically(path, bytes);
    ASSERT_TRUE(outcome.Ok()) << outcome.ErrorMessage;
    EXPECT_EQ(ReadFile(path), bytes);
    EXPECT_EQ(EntriesOf(dir.Path()), std::set<std::string>{"a.txt"});
  }
}

// Failures that stop root as well as anyone else: the old file keeps its bytes and no
// temporary file is left.
TEST(WriteFileAtomically, CreateFailuresLeaveNothingBehind) {
  struct Case {
    const char* What;
    std::string Target;  // relative to the folder
    int Error;           // the errno whose text the outcome carries
  };
  const std::vector<Case> cases = {
      {"folder in place of the file", "folder",            EISDIR },
      {"path through a regular file", "plain/inner.txt",   ENOTDIR},
      {"missing parent folder",       "missing/inner.txt", ENOENT },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "folder");
    WriteFile(dir.File("plain"), "plain bytes");
    const std::set<std::string> before = EntriesOf(dir.Path());

    WriteOutcome outcome = WriteFileAtomically(dir.File(c.Target), "new bytes");
    EXPECT_EQ(outcome.Status, WriteStatus::CreateFailed);
    EXPECT_EQ(outcome.ErrorMessage, std::strerror(c.Error));
    EXPECT_EQ(EntriesOf(dir.Path()), before);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "folder"));
    EXPECT_EQ(ReadFile(dir.File("plain")), "plain bytes");
  }
}

TEST(WriteFileAtomically, ShortWriteKeepsOldFileAtEveryLimit) {
  const std::string bytes(4096, 'n');
  for (std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{2047}, std::size_t{4095}}) {
    SCOPED_TRACE(limit);
    for (bool existing : {false, true}) {
      SCOPED_TRACE(existing ? "replacing a file" : "new file");
      TempDir dir;
      const std::string path = dir.File("out.v");
      if (existing)
        WriteFile(path, "old contents");
      ScopedWriteLimit scoped([&](const std::string&) { return limit; });

      WriteOutcome outcome = WriteFileAtomically(path, bytes);
      EXPECT_EQ(outcome.Status, WriteStatus::ShortWrite);
      if (existing) {
        EXPECT_EQ(ReadFile(path), "old contents");
        EXPECT_EQ(EntriesOf(dir.Path()), std::set<std::string>{"out.v"});
      } else {
        EXPECT_TRUE(EntriesOf(dir.Path()).empty());
      }
    }
  }
}

TEST(WriteFileAtomically, LimitAtOrAboveTheSizeWrites) {
  TempDir dir;
  const std::string path = dir.File("out.sdc");
  for (std::size_t limit : {std::size_t{10}, std::size_t{11}, std::size_t{1} << 40}) {
    SCOPED_TRACE(limit);
    ScopedWriteLimit scoped([&](const std::string&) { return limit; });
    EXPECT_TRUE(WriteFileAtomically(path, "0123456789").Ok());
    EXPECT_EQ(ReadFile(path), "0123456789");
  }
}

TEST(ScopedWriteLimit, AsksWithTheTargetAndRestoresThePreviousLimit) {
  TempDir dir;
  std::vector<std::string> asked;
  {
    ScopedWriteLimit outer([&](const std::string& path) -> std::optional<std::size_t> {
      asked.push_back(path);
      return std::nullopt;
    });
    {
      ScopedWriteLimit inner([](const std::string& path) -> std::optional<std::size_t> {
        if (path.ends_with(".qsf"))
          return 0;
        return std::nullopt;
      });
      EXPECT_TRUE(WriteFileAtomically(dir.File("p.qpf"), "qpf").Ok());
      EXPECT_EQ(WriteFileAtomically(dir.File("p.qsf"), "qsf").Status, WriteStatus::ShortWrite);
    }
    EXPECT_TRUE(WriteFileAtomically(dir.File("p.qsf"), "qsf").Ok());
  }
  EXPECT_EQ(asked, std::vector<std::string>{dir.File("p.qsf")});
  EXPECT_TRUE(WriteFileAtomically(dir.File("p.v"), "v").Ok());
  EXPECT_EQ(EntriesOf(dir.Path()), (std::set<std::string>{"p.qpf", "p.qsf", "p.v"}));
}

}  // namespace
}  // namespace pinwright
