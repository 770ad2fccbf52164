#include "host/filewrite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
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
    if (c.Kind == FailureKind::CannotCreate) {
      EXPECT_TRUE(
          outcome.Error().SystemMessage.starts_with("Cannot create " + dir.File(c.Target) + ": "))
          << outcome.Error().SystemMessage;
    }
    if (c.HasOld) {
      EXPECT_EQ(ReadFile(dir.File(c.Target)), "the old contents");
    }
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), before);
    EXPECT_EQ(ReadFile(dir.File("blocker")), "a regular file");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder"));
  }
}

TEST(WriteFileAtomically, KeepsEditedFilesAsNumberedBackups) {
  struct Case {
    const char* Name;
    std::string Old;
    std::string New;
    std::string_view Ignored;
    std::vector<std::string> Present;  // other files in the folder before the write
    std::string Backup;                // the backup expected, or empty for none
  };
  const std::string old = "DATE = \"10:00:00\"\r\nline\r\n";
  const std::string later = "DATE = \"11:30:00\"\r\nline\r\n";
  const Case cases[] = {
      {"untouched", old, old, "DATE = ", {}, ""},
      {"only the time differs", old, later, "DATE = ", {}, ""},
      {"time is not ignored here", old, later, "", {}, "f.qpf.~1~"},
      {"an edited line", old + "mine\r\n", later, "DATE = ", {}, "f.qpf.~1~"},
      {"a line cut off", old, "DATE = \"1\"\r\n", "DATE = ", {}, "f.qpf.~1~"},
      {"after the highest number", old, "new", "", {"f.qpf.~1~", "f.qpf.~3~"}, "f.qpf.~4~"},
      {"other names do not count",
       old,
       "new",
       "",
       {"f.qpf.~x~", "f.qpf.~7~.bak", "g.qpf.~5~", "f.qpf~"},
       "f.qpf.~1~"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempDir dir;
    const std::string path = dir.File("f.qpf");
    WriteFile(path, c.Old);
    std::filesystem::permissions(path, std::filesystem::perms(0604));
    for (const std::string& name : c.Present)
      WriteFile(dir.File(name), "earlier");
    WriteOptions options;
    options.KeepEdits = true;
    options.IgnoredLinePrefix = c.Ignored;

    std::string backup;
    const Status outcome = WriteFileAtomically(path, c.New, options, &backup);
    ASSERT_TRUE(outcome.Ok()) << outcome.Error().SystemMessage;
    EXPECT_EQ(ReadFile(path), c.New);
    EXPECT_EQ(backup, c.Backup.empty() ? "" : dir.File(c.Backup));
    std::vector<std::string> names = c.Present;
    names.push_back("f.qpf");
    if (!c.Backup.empty()) {
      names.push_back(c.Backup);
      EXPECT_EQ(ReadFile(dir.File(c.Backup)), c.Old);
      EXPECT_EQ(std::filesystem::status(dir.File(c.Backup)).permissions(),
                std::filesystem::perms(0604));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), names);
  }
}

// The hook raises the signal while the temporary file is being written; the handler must
// remove it before the program ends with 128 plus the signal number.
TEST(WriteFileAtomicallyDeathTest, InterruptLeavesNoTemporaryFile) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    TempDir dir;
    const std::string path = dir.File("target.cfg");
    WriteFile(path, "old");
    EXPECT_EXIT(
        {
          RemoveTemporaryFileOnInterrupt();
          ScopedWriteLimit hook([signal](const std::string&) -> std::optional<std::size_t> {
            std::raise(signal);
            return std::nullopt;
          });
          (void)WriteFileAtomically(path, "new contents");
          std::_Exit(0);
        },
        ::testing::ExitedWithCode(128 + signal), "");
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), std::vector<std::string>{"target.cfg"});
    EXPECT_EQ(ReadFile(path), "old");
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
