#include "host/filewrite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/tempdir.h"

namespace pinwright {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

WriteLimit LimitTo(std::size_t bytes) {
  return [bytes](const std::string&) { return std::optional<std::size_t>(bytes); };
}

TEST(WriteFileAtomically, WritesWholeFiles) {
  struct Case {
    const char* Name;
    std::string Old;  // empty: no file there before
    std::string Bytes;
  };
  const Case cases[] = {
      {"new file", "", "fresh contents\r\n"},
      {"replaces a longer file", std::string(5000, 'o'), "short"},
      {"replaces with nothing", "old", ""},
      {"binary bytes", "old", std::string("\0\xff\r\n\0", 5)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempDir dir;
    if (!c.Old.empty())
      WriteFile(dir.File("target"), c.Old);
    const Status outcome = WriteFileAtomically(dir.File("target"), c.Bytes);
    EXPECT_TRUE(outcome.Ok());
    EXPECT_EQ(ReadFile(dir.File("target")), c.Bytes);
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), std::vector<std::string>{"target"});
  }
}

TEST(WriteFileAtomically, LimitSeesTheTargetAndOnlyCutsWhenBelowSize) {
  TempDir dir;
  std::vector<std::string> asked;
  ScopedWriteLimit limit([&](const std::string& path) {
    asked.push_back(path);
    return std::optional<std::size_t>(4);
  });
  EXPECT_TRUE(WriteFileAtomically(dir.File("exact"), "four").Ok());
  EXPECT_EQ(ReadFile(dir.File("exact")), "four");
  EXPECT_EQ(asked, std::vector<std::string>{dir.File("exact")});
}

TEST(WriteFileAtomically, FailureLeavesOldFileAndNoTemporary) {
  struct Case {
    const char* Name;
    std::string Target;  // relative to the test folder
    bool HasOld;
    std::optional<std::size_t> Limit;
    FailureKind Kind;
  };
  const Case cases[] = {
      {"short write over a file", "target", true, 3, FailureKind::ShortWrite},
      {"nothing written over a file", "target", true, 0, FailureKind::ShortWrite},
      {"short write of a new file", "new", false, 3, FailureKind::ShortWrite},
      {"folder through a file", "blocker/sub/x", false, std::nullopt, FailureKind::CannotCreate},
      {"missing folder", "nowhere/x", false, std::nullopt, FailureKind::CannotCreate},
      {"target is a folder", "folder", false, std::nullopt, FailureKind::CannotCreate},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempDir dir;
    WriteFile(dir.File("blocker"), "a regular file");
    std::filesystem::create_directory(dir.Path() / "folder");
    if (c.HasOld)
      WriteFile(dir.File(c.Target), "the old contents");
    const std::vector<std::string> before = testing::SortedFileNames(dir.Path());

    Status outcome;
    if (c.Limit) {
      ScopedWriteLimit limit(LimitTo(*c.Limit));
      outcome = WriteFileAtomically(dir.File(c.Target), "the new contents, longer");
    } else {
      outcome = WriteFileAtomically(dir.File(c.Target), "the new contents, longer");
    }
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.Error().Kind, c.Kind);
    EXPECT_EQ(outcome.Error().File, dir.File(c.Target));
    EXPECT_EQ(outcome.Error().SystemMessage.empty(), c.Kind == FailureKind::ShortWrite);
    if (c.HasOld) {
      EXPECT_EQ(ReadFile(dir.File(c.Target)), "the old contents");
    }
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), before);
    EXPECT_EQ(ReadFile(dir.File("blocker")), "a regular file");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder"));
  }
}

TEST(ScopedWriteLimit, RestoresThePreviousLimit) {
  TempDir dir;
  {
    ScopedWriteLimit outer(LimitTo(1));
    { ScopedWriteLimit inner(LimitTo(100)); }
    EXPECT_EQ(WriteFileAtomically(dir.File("x"), "abc").Error().Kind, FailureKind::ShortWrite);
  }
  EXPECT_TRUE(WriteFileAtomically(dir.File("x"), "abc").Ok());
}

}  // namespace
}  // namespace pinwright
