#include "outputs/filegenerator.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "host/filewrite.h"
#include "host/paths.h"

namespace pinwright {

void FileGenerator::AddLine(std::string_view text) {
  Buffer.append(text.substr(0, kEntryLimit));
}

void FileGenerator::AddPieces(std::initializer_list<std::string_view> pieces) {
  const std::size_t length = EntryLength(pieces);
  Put(Grow(length), pieces, length);
}

std::size_t FileGenerator::EntryLength(std::initializer_list<std::string_view> pieces) {
  std::size_t length = 0;
  for (std::string_view piece : pieces)
    length += piece.size();
  return std::min(length, kEntryLimit);
}

char* FileGenerator::Grow(std::size_t length) {
  // A report is made of thousands of short pieces: the text grows once per entry or row,
  // and the pieces are copied into it, instead of one append each checking for room.
  const std::size_t start = Buffer.size();
  if (Buffer.capacity() < start + length)
    Buffer.reserve(std::max(start + length, 2 * Buffer.capacity()));
  Buffer.resize(start + length);
  return Buffer.data() + start;
}

}  // namespace pinwright
