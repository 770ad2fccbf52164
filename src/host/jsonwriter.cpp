#include "host/jsonwriter.h"

#include <cstddef>
#include <cstdint>

#include "host/text.h"

namespace pinwright {
namespace {

// The length of the well-formed UTF-8 sequence at the start of the text; 0 when the first
// byte does not start one (overlong forms and surrogates are not well formed).
std::size_t Utf8SequenceLength(std::string_view text) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xbf;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    low = lead == 0xe0 ? 0xa0 : 0x80;
    high = lead == 0xed ? 0x9f : 0xbf;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    low = lead == 0xf0 ? 0x90 : 0x80;
    high = lead == 0xf4 ? 0x8f : 0xbf;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high)
    return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xbf)
      return 0;
  }
  return length;
}

void AppendUnicodeEscape(std::string& out, std::uint32_t code) {
  static constexpr char kHex[] = "0123456789abcdef";
  if (code > 0xffff) {
    // Beyond the first plane JSON writes the UTF-16 surrogate pair.
    code -= 0x10000;
    AppendUnicodeEscape(out, 0xd800 + (code >> 10));
    AppendUnicodeEscape(out, 0xdc00 + (code & 0x3ff));
    return;
  }
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4)
    out += kHex[(code >> shift) & 0xf];
}

// The character of a well-formed UTF-8 sequence of the length given.
std::uint32_t DecodeUtf8(std::string_view sequence) {
  const auto lead = static_cast<unsigned char>(sequence[0]);
  std::uint32_t code = sequence.size() == 2   ? lead & 0x1fu
                       : sequence.size() == 3 ? lead & 0x0fu
                                              : lead & 0x07u;
  for (std::size_t i = 1; i < sequence.size(); ++i)
    code = code << 6 | (static_cast<unsigned char>(sequence[i]) & 0x3fu);
  return code;
}

}  // namespace

std::string JsonQuoted(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80) {
      if (const std::size_t length = Utf8SequenceLength(text.substr(i)); length > 0) {
        // Controls and format characters are escaped, so that the text cannot reorder or
        // hide what a reader of the JSON sees.
        const std::string_view sequence = text.substr(i, length);
        if (const std::uint32_t code = DecodeUtf8(sequence); IsInvisibleControl(code)) {
          AppendUnicodeEscape(out, code);
        } else {
          out += sequence;
        }
        i += length;
      } else {
        AppendUnicodeEscape(out, byte);
        ++i;
      }
      continue;
    }
    switch (byte) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7f) {
          AppendUnicodeEscape(out, byte);
        } else {
          out += static_cast<char>(byte);
        }
    }
    ++i;
  }
  return out + "\"";
}

TJsonWriter::TJsonWriter(std::string_view lineEnd) : LineEnd(lineEnd) {}

void TJsonWriter::NewLine() {
  Out += LineEnd;
  Out.append(2 * Levels.size(), ' ');
}

void TJsonWriter::BeforeValue() {
  if (AfterKey) {
    AfterKey = false;
    return;
  }
  if (Levels.empty())
    return;
  Level& level = Levels.back();
  if (!level.Empty)
    Out += ',';
  if (level.OneLine) {
    if (!level.Empty)
      Out += ' ';
  } else {
    NewLine();
  }
  level.Empty = false;
}

void TJsonWriter::Close(char bracket) {
  const Level level = Levels.back();
  Levels.pop_back();
  if (!level.Empty && !level.OneLine)
    NewLine();
  Out += bracket;
  if (Levels.empty())
    Out += LineEnd;
}

void TJsonWriter::BeginObject(bool oneLine) {
  BeforeValue();
  Out += '{';
  // Inside a one-line object everything stays on the line.
  Levels.push_back({oneLine || (!Levels.empty() && Levels.back().OneLine), true});
}

void TJsonWriter::EndObject() {
  Close('}');
}

void TJsonWriter::BeginArray(bool oneLine) {
  BeforeValue();
  Out += '[';
  Levels.push_back({oneLine || (!Levels.empty() && Levels.back().OneLine), true});
}

void TJsonWriter::EndArray() {
  Close(']');
}

void TJsonWriter::Key(std::string_view name) {
  BeforeValue();
  Out += JsonQuoted(name);
  Out += ": ";
  AfterKey = true;
}

void TJsonWriter::String(std::string_view text) {
  BeforeValue();
  Out += JsonQuoted(text);
}

void TJsonWriter::Number(std::int64_t value) {
  BeforeValue();
  Out += std::to_string(value);
}

void TJsonWriter::Bool(bool value) {
  BeforeValue();
  Out += value ? "true" : "false";
}

}  // namespace pinwright
