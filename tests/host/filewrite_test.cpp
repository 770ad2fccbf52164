#include "host/filewrite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host/platform.h"
#include "support/tempdir.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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
    std::string Target = "target";  // UTF-8
  };
  const Case cases[] = {
      {"new file", "", "fresh contents\r\n"},
      {"replaces a longer file", std::string(5000, 'o'), "short"},
      {"replaces with nothing", "old", ""},
      {"binary bytes", "old", std::string("\0\xff\r\n\0", 5)},
      // Outside every ANSI code page at once: only wide-character calls reach it on Windows.
      {"name outside ASCII", "old", "new", "J\u00fcrgen \u2013 \u03a9.cfg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempDir dir;
    if (!c.Old.empty())
      WriteFile(dir.File(c.Target), c.Old);
    const Status outcome = WriteFileAtomically(dir.File(c.Target), c.Bytes);
    EXPECT_TRUE(outcome.Ok());
    EXPECT_EQ(ReadFile(dir.File(c.Target)), c.Bytes);
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), std::vector<std::string>{c.Target});
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
      {"a note on the time line",
       "DATE = \"10:00:00\" # mine\r\nline\r\n",
       later,
       "DATE = ",
       {},
       "f.qpf.~1~"},
      {"the time line written otherwise",
       "DATE = 10:00:00\r\nline\r\n",
       later,
       "DATE = ",
       {},
       "f.qpf.~1~"},
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
    // As the system keeps them: Windows knows read-only or not.
    const std::filesystem::perms mode = std::filesystem::status(path).permissions();
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
      EXPECT_EQ(std::filesystem::status(dir.File(c.Backup)).permissions(), mode);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), names);
  }
}

// The hook raises the signal while the temporary file is being written; the handler must
// remove it before the program ends with 128 plus the signal number, or by the signal
// itself where that would leave a core file.
TEST(WriteFileAtomicallyDeathTest, InterruptLeavesNoTemporaryFile) {
  const std::vector<testing::EndingSignal> signals = testing::InterruptSignals();
  if (signals.empty())
    GTEST_SKIP() << "no interrupt this system lets a program raise in itself";
  for (const auto [signal, core] : signals) {
    SCOPED_TRACE(signal);
    TempDir dir;
    const std::string path = dir.File("target.cfg");
    WriteFile(path, "old");
    const auto raiseAndWrite = [&, signal = signal] {
      testing::NoCoreFiles();
      RemoveTemporaryFileOnInterrupt();
      ScopedWriteLimit hook([signal](const std::string&) -> std::optional<std::size_t> {
        std::raise(signal);
        return std::nullopt;
      });
      (void)WriteFileAtomically(path, "new contents");
      std::_Exit(0);
    };
#ifndef _WIN32
    if (core) {
      EXPECT_EXIT(raiseAndWrite(), ::testing::KilledBySignal(signal), "");
      continue;
    }
#endif
    EXPECT_EXIT(raiseAndWrite(), ::testing::ExitedWithCode(128 + signal), "");
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), std::vector<std::string>{"target.cfg"});
    EXPECT_EQ(ReadFile(path), "old");
  }
}

#ifndef _WIN32
// A signal the program was started to ignore (as under nohup) stays ignored once the
// handler is installed: raised during the write, it neither ends the program nor stops the
// write.
TEST(WriteFileAtomicallyDeathTest, IgnoredSignalStaysIgnored) {
  TempDir dir;
  const std::string path = dir.File("target.cfg");
  const auto ignoreRaiseAndWrite = [&] {
    std::signal(SIGHUP, SIG_IGN);
    RemoveTemporaryFileOnInterrupt();
    ScopedWriteLimit hook([](const std::string&) -> std::optional<std::size_t> {
      std::raise(SIGHUP);
      return std::nullopt;
    });
    std::_Exit(WriteFileAtomically(path, "new contents") ? 0 : 1);
  };
  EXPECT_EXIT(ignoreRaiseAndWrite(), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(path), "new contents");
}

// Another user's file that the user may write is written in place, so it stays that
// user's; an edited one is copied whole first, and a write that fails there puts the old
// contents back and leaves no copy. The child acts as the user nobody.
TEST(WriteFileAtomicallyDeathTest, AnotherUsersFileIsWrittenInPlace) {
  if (geteuid() != 0)
    GTEST_SKIP() << "acting as another user needs root";
  struct Case {
    const char* Name;
    std::optional<std::size_t> Limit;
    bool KeepEdits;
    bool Written;
    std::vector<std::string> Names;
  };
  const Case cases[] = {
      {"written", std::nullopt, false, true, {"top.v"}},
      {"edited, kept whole", std::nullopt, true, true, {"top.v", "top.v.~1~"}},
      {"short write, put back", 1, false, false, {"top.v"}},
      {"short write of an edited file, put back", 1, true, false, {"top.v"}},
  };
  const std::string old(9000, 'o');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempDir dir;
    std::filesystem::permissions(dir.Path(), std::filesystem::perms(0777));
    const std::string path = dir.File("top.v");
    WriteFile(path, old);
    std::filesystem::permissions(path, std::filesystem::perms(0666));
    EXPECT_EXIT(
        {
          if (setgid(65534) != 0 || setuid(65534) != 0)
            std::_Exit(2);
          std::optional<ScopedWriteLimit> limit;
          if (c.Limit)
            limit.emplace(LimitTo(*c.Limit));
          WriteOptions options;
          options.KeepEdits = c.KeepEdits;
          std::_Exit(WriteFileAtomically(path, "new", options) ? 0 : 1);
        },
        ::testing::ExitedWithCode(c.Written ? 0 : 1), "");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0u) << "the file changed owner";
    EXPECT_EQ(info.st_mode & 07777, 0666u);
    EXPECT_EQ(ReadFile(path), c.Written ? "new" : old);
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), c.Names);
    if (c.Names.size() > 1) {
      EXPECT_EQ(ReadFile(dir.File("top.v.~1~")), old);
    }
  }
}
#endif

// One holder per folder at a time, in one process as between two; nothing stays behind.
TEST(FolderLock, OneHolderAtATime) {
  TempDir dir;
  const std::string folder = dir.FolderWithSeparator();
  int error = 0;
  {
    platform::FolderLock first;
    ASSERT_TRUE(first.Acquire(folder, std::chrono::milliseconds(0), error)) << error;
    platform::FolderLock second;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(second.Acquire(folder, std::chrono::milliseconds(200), error));
    EXPECT_EQ(error, EWOULDBLOCK);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_FALSE(second.Held());
  }
  {
    platform::FolderLock again;
    EXPECT_TRUE(again.Acquire(folder, std::chrono::milliseconds(0), error)) << error;
    EXPECT_FALSE(
        again.Acquire(dir.File("missing") + kFolderSeparator, std::chrono::milliseconds(0), error));
    EXPECT_TRUE(again.Held()) << "a failed attempt keeps the lock held";
  }
  EXPECT_TRUE(testing::SortedFileNames(dir.Path()).empty());
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
