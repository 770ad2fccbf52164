#include "settings/configlarkspur.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <type_traits>

#include "host/filewrite.h"
#include "host/platform.h"
#include "host/text.h"
#include "model/mainboard.h"

namespace pinwright {

static_assert(std::is_trivially_copyable_v<TLarkspurSettings>,
              "the record is copied byte for byte to and from files");

std::int32_t LeInt32::Get() const {
  const std::uint32_t value = std::uint32_t{Bytes[0]} | std::uint32_t{Bytes[1]} << 8 |
                              std::uint32_t{Bytes[2]} << 16 | std::uint32_t{Bytes[3]} << 24;
  return static_cast<std::int32_t>(value);
}

void LeInt32::Set(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < Bytes.size(); ++i) {
    Bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
  }
}

std::string TextField::Get() const {
  // A field loaded from a file may hold no NUL at all; never read past its end.
  const auto end = std::find(Bytes.begin(), Bytes.end(), '\0');
  return std::string(Bytes.begin(), end);
}

void TextField::Set(std::string_view text) {
  constexpr std::size_t kMaxText = kSize - 1;
  std::size_t length = text.size();
  if (length > kMaxText) {
    length = kMaxText;
    // Back off to the start of a character so a multi-byte sequence is not cut in half. A UTF-8
    // character is at most 4 bytes; text that is not UTF-8 is cut at the limit.
    auto isContinuation = [&](std::size_t i) {
      return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    };
    std::size_t cut = length;
    while (cut > 0 && length - cut < 3 && isContinuation(cut)) {
      --cut;
    }
    if (!isContinuation(cut)) {
      length = cut;
    }
  }
  std::copy_n(text.data(), length, Bytes.data());
  Bytes[length] = '\0';
}

TLarkspurSettings DefaultLarkspurSettings() {
  // Value-initialisation zeroes every member, and the record has no hidden padding (it is
  // byte-aligned and exactly 416 bytes), so every byte is zero.
  TLarkspurSettings settings{};
  StampLarkspurRecord(settings);
  settings.ProjectName.Set("LARKSPUR");
  settings.OSC = 1;
  settings.LED = 1;
  settings.Button = 1;
  settings.Switch = 1;
  settings.ADC = 1;
  settings.HdmiTx = 1;
  settings.UART = 1;
  settings.SDRAM = 1;
  return settings;
}

std::optional<std::size_t> FindLarkspurComponent(std::string_view name) {
  for (std::size_t i = 0; i < kLarkspurComponents.size(); ++i) {
    if (EqualsIgnoringCase(kLarkspurComponents[i].Name, name))
      return i;
  }
  return std::nullopt;
}

void StampLarkspurRecord(TLarkspurSettings& settings) {
  settings.BoardId.Set(kLarkspurBoardId);
  settings.Size.Set(static_cast<std::int32_t>(kLarkspurRecordSize));
}

Status CheckTextFields(const TLarkspurSettings& settings) {
  auto unterminated = [](const std::string& what) {
    return Failure{FailureKind::BadText,
                   {},
                   "the " + what + " holds no terminating NUL within its " +
                       std::to_string(TextField::kSize) + " bytes",
                   {}};
  };
  if (settings.ProjectName.Get().size() > kTextCapacity)
    return unterminated("project name");
  for (const LarkspurHeader& header : kLarkspurHeaders) {
    if ((settings.*header.Prefix).Get().size() > kTextCapacity)
      return unterminated(std::string(header.Label) + " prefix");
  }
  return {};
}

TConfigLarkspur::TConfigLarkspur() : Settings{} {}

Status TConfigLarkspur::LoadFile(const std::string& path) {
  auto cannotRead = [&](const char* reason, std::string detail) {
    return Failure{FailureKind::CannotRead, path, reason,
                   detail.empty() ? std::string() : "Cannot open " + path + ": " + detail};
  };
  // One byte more than a record, so that a file that grew after it was measured shows.
  const platform::ReadResult read = platform::ReadRegularFile(path, kLarkspurRecordSize + 1);
  switch (read.Status) {
    case platform::ReadStatus::Missing:
      return Failure{FailureKind::Missing, path, {}, {}};
    case platform::ReadStatus::NotRegular:
      // A FIFO or a device could block or never end; it is refused before anything is read.
      return cannotRead("Failed to open file.", "it is not a regular file");
    case platform::ReadStatus::Failed:
      return cannotRead(read.Size == 0 || read.Size == kLarkspurRecordSize ? "Failed to open file."
                                                                           : "Invalid File Size.",
                        platform::ErrorText(read.Error));
    case platform::ReadStatus::Read:
      break;
  }
  if (read.Size != kLarkspurRecordSize)
    return cannotRead("Invalid File Size.", {});
  if (read.Bytes.size() != kLarkspurRecordSize)
    return cannotRead("Failed to read file.", {});
  // Only a whole record replaces the one in memory.
  std::memcpy(&Settings, read.Bytes.data(), sizeof Settings);
  return {};
}

Status TConfigLarkspur::SaveFile(const std::string& path, OtherFile other, std::string* backup) {
  const std::string_view bytes(reinterpret_cast<const char*>(&Settings), sizeof Settings);
  // A file of another length, or of this length without the board ID and record size at its
  // start, is no settings record (a project file, a note): it is never replaced unasked, and
  // never without a copy. A write-protected one is refused anyway.
  std::string target;
  const platform::Entry entry = platform::ExamineTarget(path, target);
  WriteOptions options;
  if (entry.Kind == platform::EntryKind::Regular && !entry.WriteProtected()) {
    std::string why;
    if (entry.Size != kLarkspurRecordSize) {
      why = std::to_string(entry.Size) + " bytes; a settings file has " +
            std::to_string(kLarkspurRecordSize);
    } else {
      TLarkspurSettings stamped{};
      StampLarkspurRecord(stamped);
      const std::string_view start(reinterpret_cast<const char*>(&stamped), 8);
      const platform::ReadResult read = platform::ReadRegularFile(target, start.size());
      if (read.Status != platform::ReadStatus::Read || read.Bytes != start) {
        why = "its first bytes are not board ID " + std::to_string(kLarkspurBoardId) +
              " and record size " + std::to_string(kLarkspurRecordSize);
      }
    }
    if (!why.empty()) {
      if (other == OtherFile::Refuse) {
        return Failure{FailureKind::ForeignFile, path, "Failed to create file.",
                       "Cannot replace " + path + ": it is no board settings file (" + why + ")"};
      }
      options.KeepEdits = true;
    }
  }
  if (other == OtherFile::KeepAnyAsBackup)
    options.KeepEdits = true;
  Status written = WriteFileAtomically(path, bytes, options, backup);
  if (written)
    return written;
  // The file with the system's reason (as SystemMessage), then what every failed save says.
  Failure failure = written.Error();
  failure.Reason =
      failure.Kind == FailureKind::ShortWrite ? "Failed to write file." : "Failed to create file.";
  return failure;
}

BoardSettings LarkspurBoardSettings(const TLarkspurSettings& record) {
  BoardSettings settings;
  settings.Board = std::string(kLarkspurBoardKey);
  settings.Project = record.ProjectName.Get();
  for (const LarkspurComponent& component : kLarkspurComponents) {
    if (record.*component.Flag != 0)
      settings.Components.emplace_back(component.Name);
  }
  for (const LarkspurHeader& header : kLarkspurHeaders) {
    settings.Headers.push_back({"gpio" + std::string(header.Number), (record.*header.Card).Get(),
                                (record.*header.Prefix).Get()});
  }
  return settings;
}

}  // namespace pinwright
