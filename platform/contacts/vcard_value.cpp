// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/contacts/vcard_value.h"

#include <errno.h>
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cctype>

#include "platform/system/text.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

int HexValue(char character) {
  if (character >= '0' && character <= '9') return character - '0';
  if (character >= 'A' && character <= 'F') return character - 'A' + 10;
  if (character >= 'a' && character <= 'f') return character - 'a' + 10;
  return -1;
}

int Base64Value(char character) {
  if (character >= 'A' && character <= 'Z') return character - 'A';
  if (character >= 'a' && character <= 'z') return character - 'a' + 26;
  if (character >= '0' && character <= '9') return character - '0' + 52;
  if (character == '+') return 62;
  if (character == '/') return 63;
  return -1;
}

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& character : upper)
    character = static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
  return upper;
}

// Windows-1252 is decoded here rather than through iconv, because it is the guess for text of
// no stated charset and must cope with every byte: the five bytes the code page leaves
// undefined become U+FFFD.
std::string Windows1252ToUtf8(std::string_view bytes) {
  static constexpr std::array<char16_t, 32> kHigh = {
      0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  std::string out;
  out.reserve(bytes.size());
  for (const char character : bytes) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte < 0x80) {
      out += character;
    } else {
      const char16_t code = byte < 0xA0 ? kHigh[byte - 0x80] : char16_t{byte};
      out += ToUtf8(std::u16string_view(&code, 1));
    }
  }
  return out;
}

// Charset names are letters, digits and a few marks ("ISO-8859-1", "SHIFT_JIS", "CP1251").
// Anything else from a card, such as "//TRANSLIT" suffixes or paths, never reaches iconv.
bool IsCharsetName(std::string_view name) {
  if (name.empty() || name.size() >= 64) return false;
  return std::all_of(name.begin(), name.end(), [](char character) {
    return std::isalnum(static_cast<unsigned char>(character)) || character == '-' ||
           character == '_' || character == '.' || character == ':' || character == '+';
  });
}

// False when iconv does not know the charset. iconv is asked for code points, not for UTF-8:
// glibc passes 31-bit values and surrogates through from UCS-4 and from UTF-8 under its other
// names ("ISO-IR-193", "UTF+-8"), and would encode them as UTF-8 that is not valid. Each code
// point that is not a Unicode character becomes one U+FFFD here.
bool IconvToUtf8(std::string_view bytes, const std::string& charset, std::string* out) {
  iconv_t converter = iconv_open("UCS-4LE", charset.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::u16string result;
  std::array<unsigned char, 1024> buffer;
  const auto appendConverted = [&](const char* end) {
    for (const unsigned char* unit = buffer.data();
         unit + 4 <= reinterpret_cast<const unsigned char*>(end); unit += 4) {
      AppendUtf16(result, char32_t{unit[0]} | char32_t{unit[1]} << 8 | char32_t{unit[2]} << 16 |
                              char32_t{unit[3]} << 24);
    }
  };
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  bool flushed = false;
  while (!flushed) {
    char* const start = reinterpret_cast<char*>(buffer.data());
    char* outPointer = start;
    std::size_t outLeft = buffer.size();
    const std::size_t done = inLeft > 0 ? iconv(converter, &in, &inLeft, &outPointer, &outLeft)
                                        : iconv(converter, nullptr, nullptr, &outPointer, &outLeft);
    const int error = errno;
    appendConverted(outPointer);
    if (done != static_cast<std::size_t>(-1)) {
      // Done once the input is used up and the final shift state wrote nothing more.
      flushed = inLeft == 0 && outPointer == start;
      continue;
    }
    if (error == E2BIG) continue;
    // A byte the charset does not have, or a sequence cut off at the end: one U+FFFD per byte.
    if (inLeft == 0) break;
    result += kReplacement;
    ++in;
    --inLeft;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(converter);
  *out = ToUtf8(result);
  return true;
}

}  // namespace

std::string DecodeQuotedPrintable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '=') {
      out += text[i];
      continue;
    }
    if (i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n')) {
      i += (text[i + 1] == '\r' && i + 2 < text.size() && text[i + 2] == '\n') ? 2 : 1;
    } else {
      out += '=';
    }
  }
  return out;
}

std::string DecodeBase64(std::string_view text) {
  std::string out;
  unsigned int bits = 0;
  int count = 0;
  for (const char character : text) {
    if (character == ' ' || character == '\t' || character == '\r' || character == '\n') continue;
    const int value = Base64Value(character);
    if (value < 0) break;
    bits = (bits << 6) | static_cast<unsigned int>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

std::string ConvertToUtf8(std::string_view bytes, std::string_view charset) {
  const std::string name = UpperAscii(charset);
  if (name == "UTF-8" || name == "UTF8") return ToUtf8(FromUtf8(bytes));
  if (name == "WINDOWS-1252" || name == "CP1252") return Windows1252ToUtf8(bytes);
  std::string converted;
  if (IsCharsetName(name) && IconvToUtf8(bytes, name, &converted)) return converted;
  return IsValidUtf8(bytes) ? std::string(bytes) : Windows1252ToUtf8(bytes);
}

std::vector<std::string> SplitStructuredValue(std::string_view value, bool lists) {
  std::vector<std::string> parts(1);
  // Several values of one part are joined with one blank; empty ones are left out.
  bool blankPending = false;
  const auto append = [&](char character) {
    if (blankPending && !parts.back().empty()) parts.back() += ' ';
    blankPending = false;
    parts.back() += character;
  };
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char character = value[i];
    if (character == '\\' && i + 1 < value.size()) {
      const char next = value[++i];
      if (next == 'n' || next == 'N') {
        append('\n');
      } else if (next == '\\' || next == ';' || next == ',') {
        append(next);
      } else {
        append(character);
        append(next);
      }
    } else if (character == ';') {
      parts.emplace_back();
      blankPending = false;
    } else if (character == ',' && lists) {
      blankPending = true;
    } else {
      append(character);
    }
  }
  return parts;
}
