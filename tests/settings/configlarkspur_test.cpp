#include "settings/configlarkspur.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host/filewrite.h"
#include "support/recordinghost.h"
#include "support/tempdir.h"

namespace pinwright {
namespace {

using testing::ReadFile;
using testing::RecordedMessage;
using testing::RecordingHost;
using testing::TempDir;
using testing::WriteFile;

template <typename T>
std::string BytesOf(const T& value) {
  return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

void PutLe32(std::string& image, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    image[offset + i] = static_cast<char>(value >> (8 * i));
}

void PutText(std::string& image, std::size_t offset, const std::string& text) {
  image.replace(offset, text.size(), text);
}

// A settings record written earlier: board ID 43 and record size 416, then other bytes.
std::string OlderRecord(char fill) {
  return BytesOf(DefaultLarkspurSettings()).substr(0, 8) +
         std::string(kLarkspurRecordSize - 8, fill);
}

// A record image that uses every byte: garbage after each text's NUL and in the padding.
std::string BusyImage() {
  std::string image(kLarkspurRecordSize, '\0');
  for (std::size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<char>(i * 37 + 11);
  PutLe32(image, 0, 7);
  PutLe32(image, 4, 1000);
  PutText(image, 8, std::string("ABC\0junk", 8));
  PutLe32(image, 152, 62);
  PutLe32(image, 156, 0x01020304);
  PutText(image, 160, std::string("P0_\0", 4));
  PutText(image, 288, std::string("\0", 1));
  return image;
}

TEST(LeInt32, StoresLittleEndianBytes) {
  struct Case {
    std::int32_t Value;
    std::string Bytes;
  };
  const Case cases[] = {
      {0, std::string("\x00\x00\x00\x00", 4)},
      {43, std::string("\x2b\x00\x00\x00", 4)},
      {416, std::string("\xa0\x01\x00\x00", 4)},
      {0x01020304, "\x04\x03\x02\x01"},
      {-1, "\xff\xff\xff\xff"},
      {INT32_MIN, std::string("\x00\x00\x00\x80", 4)},
      {INT32_MAX, std::string("\xff\xff\xff\x7f", 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Value);
    LeInt32 field;
    field.Set(c.Value);
    EXPECT_EQ(BytesOf(field), c.Bytes);
    EXPECT_EQ(field.Get(), c.Value);
  }
}

TEST(TextField, SetCutsLongTextAtCharacterBoundary) {
  const std::string ascii126(126, 'a');
  struct Case {
    const char* Name;
    std::string Text;
    std::string Stored;
  };
  // clang-format off
  const Case cases[] = {
      {"empty", "", ""},
      {"short", "LARKSPUR", "LARKSPUR"},
      {"127 ASCII fit", std::string(127, 'x'), std::string(127, 'x')},
      {"128 ASCII cut to 127", std::string(128, 'x'), std::string(127, 'x')},
      {"2-byte char would straddle the end", ascii126 + "\xc3\xa9", ascii126},
      {"2-byte char ends at 127", std::string(125, 'a') + "\xc3\xa9" + "zz",
       std::string(125, 'a') + "\xc3\xa9"},
      {"3-byte char straddles", std::string(125, 'a') + "\xe2\x82\xac", std::string(125, 'a')},
      {"4-byte char straddles", std::string(124, 'a') + "\xf0\x9f\x94\x8c",
       std::string(124, 'a')},
      {"not UTF-8: cut at the limit", std::string(200, '\x80'), std::string(127, '\x80')},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TextField field;
    field.Set(c.Text);
    EXPECT_EQ(field.Get(), c.Stored);
    EXPECT_EQ(BytesOf(field)[c.Stored.size()], '\0');
  }
}

TEST(TextField, SetKeepsBytesAfterTheNul) {
  TextField field;
  field.Set(std::string(100, 'z'));
  field.Set("AB");
  const std::string bytes = BytesOf(field);
  EXPECT_EQ(bytes.substr(0, 3), std::string("AB\0", 3));
  EXPECT_EQ(bytes.substr(3, 97), std::string(97, 'z'));
  EXPECT_EQ(field.Get(), "AB");
}

TEST(TConfigLarkspur, ConstructsAllZeroRecord) {
  TConfigLarkspur config;
  EXPECT_EQ(BytesOf(config.Settings), std::string(kLarkspurRecordSize, '\0'));
  EXPECT_EQ(config.ChoiceCount, 0);
  EXPECT_TRUE(config.Folder.empty());
}

TEST(DefaultLarkspurSettings, MatchesTheFileLayout) {
  std::string expected(kLarkspurRecordSize, '\0');
  PutLe32(expected, 0, 43);
  PutLe32(expected, 4, 416);
  PutText(expected, 8, "LARKSPUR");
  for (std::size_t flag : {136, 137, 138, 139, 140, 141, 145, 147}) {
    expected[flag] = 1;
  }
  EXPECT_EQ(BytesOf(DefaultLarkspurSettings()), expected);
}

TEST(TConfigLarkspurFile, RoundTripsEveryByte) {
  std::string noNul(kLarkspurRecordSize, '\0');
  for (std::size_t i = 0; i < noNul.size(); ++i)
    noNul[i] = static_cast<char>('A' + i % 26);
  struct Case {
    const char* Name;
    std::string Image;
  };
  // clang-format off
  const Case cases[] = {
      {"defaults", BytesOf(DefaultLarkspurSettings())},
      {"garbage after NULs and in padding", BusyImage()},
      {"text fields without NUL", noNul},
      {"all 0xff", std::string(kLarkspurRecordSize, '\xff')},
  };
  // clang-format on
  RecordingHost host;
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteFile(dir.File("in.cfg"), c.Image);
    TConfigLarkspur config;
    ASSERT_TRUE(config.LoadFile(dir.File("in.cfg")));
    EXPECT_EQ(BytesOf(config.Settings), c.Image);
    WriteFile(dir.File("out.cfg"), OlderRecord('o'));
    ASSERT_TRUE(config.SaveFile(dir.File("out.cfg")));
    EXPECT_EQ(ReadFile(dir.File("out.cfg")), c.Image);
  }
  EXPECT_TRUE(host.Messages.empty());
}

TEST(TConfigLarkspurFile, LoadsFieldsAsTheyAre) {
  TempDir dir;
  WriteFile(dir.File("busy.cfg"), BusyImage());
  TConfigLarkspur config;
  ASSERT_TRUE(config.LoadFile(dir.File("busy.cfg")));
  const TLarkspurSettings& s = config.Settings;
  EXPECT_EQ(s.BoardId.Get(), 7);
  EXPECT_EQ(s.Size.Get(), 1000);
  EXPECT_EQ(s.ProjectName.Get(), "ABC");
  EXPECT_EQ(s.Gpio0.Get(), 62);
  EXPECT_EQ(s.Gpio1.Get(), 0x01020304);
  EXPECT_EQ(s.PrefixGpio0.Get(), "P0_");
  EXPECT_EQ(s.PrefixGpio1.Get(), "");

  std::string noNul(kLarkspurRecordSize, 'Q');
  WriteFile(dir.File("nonul.cfg"), noNul);
  ASSERT_TRUE(config.LoadFile(dir.File("nonul.cfg")));
  EXPECT_EQ(config.Settings.ProjectName.Get(), std::string(128, 'Q'));
  EXPECT_EQ(config.Settings.PrefixGpio1.Get(), std::string(128, 'Q'));
}

TEST(TConfigLarkspurFile, RejectedLoadLeavesRecordUntouched) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() / "folder.cfg");
  struct Case {
    const char* Name;
    std::string Path;
    std::string Contents;  // written when the path is a file to create
    std::string Reason;
  };
  const Case cases[] = {
      {"empty", dir.File("0.cfg"), "", "Invalid File Size."},
      {"one short", dir.File("415.cfg"), std::string(415, 'x'), "Invalid File Size."},
      {"one long", dir.File("417.cfg"), std::string(417, 'x'), "Invalid File Size."},
      {"missing", dir.File("missing.cfg"), "", ""},
      {"a folder", dir.File("folder.cfg"), "", "Failed to open file."},
      // Refused at once: opening either for reading must not wait or read forever.
      {"a FIFO", dir.File("fifo.cfg"), "", "Failed to open file."},
      {"a device", testing::DevicePath(), "", "Failed to open file."},
  };
  // Windows has no FIFOs.
  const bool fifo = testing::MakeTarget(testing::TargetKind::Fifo, dir.File("fifo.cfg"));
  RecordingHost host;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    if (!fifo && c.Path == dir.File("fifo.cfg"))
      continue;
    if (c.Reason == "Invalid File Size.")
      WriteFile(c.Path, c.Contents);
    TConfigLarkspur config;
    config.Settings = DefaultLarkspurSettings();
    const Status loaded = config.LoadFile(c.Path);
    ASSERT_FALSE(loaded);
    EXPECT_EQ(loaded.Error().Reason, c.Reason);
    EXPECT_EQ(loaded.Error().File, c.Path);
    EXPECT_EQ(BytesOf(config.Settings), BytesOf(DefaultLarkspurSettings()));
  }
  EXPECT_TRUE(host.Messages.empty());
}

TEST(TConfigLarkspurFile, FailedSaveLeavesOldFileAndReportsWhy) {
  TempDir dir;
  WriteFile(dir.File("blocker"), "a regular file");
  std::filesystem::create_directory(dir.Path() / "folder.cfg");
  const std::string previous = OlderRecord('p');
  WriteFile(dir.File("unstamped.cfg"), std::string(kLarkspurRecordSize, 'u'));
  WriteFile(dir.File("old.cfg"), previous);
  WriteFile(dir.File("top.v"), "module top;\r\nendmodule\r\n");
  const std::vector<std::string> before = testing::SortedFileNames(dir.Path());

  struct Case {
    const char* Name;
    std::string Path;
    bool ShortWrite;
    std::string Detail;  // the file and the system's reason, shown first
    std::string Message;
  };
  const Case cases[] = {
      {"folder through a file", dir.File("blocker") + "/sub/x.cfg", false,
       "Cannot create " + dir.File("blocker") + "/sub/x.cfg: Not a directory",
       "Failed to create file."},
      {"target is a folder", dir.File("folder.cfg"), false,
       "Cannot create " + dir.File("folder.cfg") + ": Is a directory", "Failed to create file."},
      {"short write over a file", dir.File("old.cfg"), true, "", "Failed to write file."},
      // A file of another length is no settings record: never replaced unasked.
      {"no settings file in the way", dir.File("top.v"), false,
       "Cannot replace " + dir.File("top.v") +
           ": it is no board settings file (24 bytes; a settings file has 416)",
       "Failed to create file."},
      // Nor is a file of its length without the board ID and record size at its start.
      {"416 bytes that are no settings file", dir.File("unstamped.cfg"), false,
       "Cannot replace " + dir.File("unstamped.cfg") +
           ": it is no board settings file (its first bytes are not board ID 43 and record "
           "size 416)",
       "Failed to create file."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    RecordingHost host;
    TConfigLarkspur config;
    config.Settings = DefaultLarkspurSettings();
    Status saved;
    if (c.ShortWrite) {
      ScopedWriteLimit limit([](const std::string&) { return std::optional<std::size_t>(100); });
      saved = config.SaveFile(c.Path);
    } else {
      saved = config.SaveFile(c.Path);
    }
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.Error().Reason, c.Message);
    EXPECT_EQ(saved.Error().File, c.Path);
    EXPECT_TRUE(host.Messages.empty());  // the caller shows it
    EXPECT_EQ(saved.Error().SystemMessage, c.Detail);
    EXPECT_EQ(ReadFile(dir.File("old.cfg")), previous);
    EXPECT_EQ(ReadFile(dir.File("top.v")), "module top;\r\nendmodule\r\n");
    EXPECT_EQ(ReadFile(dir.File("unstamped.cfg")), std::string(kLarkspurRecordSize, 'u'));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder.cfg"));
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), before);  // no temporary file left behind
  }
}

}  // namespace
}  // namespace pinwright
