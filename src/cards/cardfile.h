// Daughter cards described by a file of their own (TOML, one card per file): reading and
// checking one file, and writing any card back out as such a file.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cards/catalogue.h"
#include "host/diagnostic.h"

namespace pinwright {

// User cards take IDs from this range; 0 to 98 belong to the built-in catalogue.
inline constexpr std::int32_t kFirstUserCardId = 1000;
inline constexpr std::int32_t kLastUserCardId = 9999;
inline constexpr std::size_t kCardNameMaxBytes = 63;
inline constexpr std::string_view kCardFileExtension = ".toml";

// Where a key stands in its file.
struct SourcePlace {
  std::uint32_t Line = 1;
  std::uint32_t Column = 1;
};

// A mistake in the card file at the place. Every problem of a card file is an error, and the
// reader names no rules.
Diagnostic CardFileError(const std::string& path, SourcePlace place, std::string message);

// A card read from a file: the catalogue's Card value (Row) and what it points to, the rows
// of its map and their names. It owns them, so it is shared, never copied.
struct CardDefinition {
  Card Row{};  // a 3.3 V GPIO card, offered, viewing Name and Rows below
  std::int32_t Id = 0;
  std::string Name;
  std::int32_t IoStandard = 0;  // the file's default; every row carries its own as well
  std::string PictureFile;      // the card's own picture; empty for the generated one
  std::string SourceFile;
  std::vector<CardPinRow> Rows;  // ascending by first position
  std::deque<std::string> SignalNames;
  SourcePlace IdPlace;
  SourcePlace NamePlace;

  CardDefinition() = default;
  CardDefinition(const CardDefinition&) = delete;
  CardDefinition& operator=(const CardDefinition&) = delete;
};

struct CardFileReading {
  std::shared_ptr<const CardDefinition> Card;  // only when Problems is empty
  std::vector<Diagnostic> Problems;            // errors, in file order
};

// Reads the text of a card file. `path` names the file in every problem and is where a
// relative picture is looked for; the picture must be readable there.
CardFileReading ReadCardText(std::string_view text, const std::string& path);

// Reads and checks the card file at the path.
CardFileReading ReadCardFile(const std::string& path);

// What the first bytes of a picture file show it to be: an SVG picture (markup with an
// <svg element near its start) or a PNG picture (its signature); None for anything else.
enum class PictureKind { None, Svg, Png };
PictureKind PictureKindOf(std::string_view start);
// How many bytes of a file PictureKindOf wants to see.
inline constexpr std::size_t kPictureStartBytes = 64 * 1024;

// The I/O standard codes a card file may name, and the code of a name; -1 for any other.
std::int32_t CardIoStandardCode(std::string_view name);

// The card of the ID (built-in or installed from a file) as the text of a card file that
// reads back to the same card; empty for an ID no header offers.
std::string CardFileText(std::int32_t cardId);

}  // namespace pinwright
