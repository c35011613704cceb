// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/contacts/vcard_reader.h"

#include <cctype>

#include "platform/contacts/vcard_value.h"
#include "platform/system/text.h"

namespace {

bool EqualsIgnoringCase(std::string_view first, std::string_view second) {
  if (first.size() != second.size()) return false;
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(first[i])) !=
        std::toupper(static_cast<unsigned char>(second[i]))) {
      return false;
    }
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string_view Unquote(std::string_view text) {
  text = TrimBlanks(text);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  return text;
}

// The text's lines, each without its line break (CRLF, LF or a lone CR).
class PhysicalLines {
 public:
  explicit PhysicalLines(std::string_view text) : text_(text) {}

  bool AtEnd() const { return position_ >= text_.size(); }

  // A line that begins with a blank continues the line before it (folding).
  bool NextIsFolded() const {
    return !AtEnd() && (text_[position_] == ' ' || text_[position_] == '\t');
  }

  std::string_view Next() {
    const std::size_t start = position_;
    std::size_t end = text_.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text_.size();
    position_ = end;
    if (position_ < text_.size() && text_[position_] == '\r') ++position_;
    if (position_ < text_.size() && text_[position_] == '\n') ++position_;
    return text_.substr(start, end - start);
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

struct Property {
  std::string name;  // without its group
  std::string encoding;
  std::string charset;
  std::string value;  // still encoded
};

// Reads "[group.]name *(;param) : value". False when the line holds no property.
bool ParseProperty(std::string_view line, Property* property) {
  bool quoted = false;
  std::size_t colon = std::string_view::npos;
  for (std::size_t i = 0; i < line.size() && colon == std::string_view::npos; ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ':' && !quoted) colon = i;
  }
  if (colon == std::string_view::npos) return false;
  const std::string_view head = line.substr(0, colon);
  property->value.assign(line.substr(colon + 1));

  std::size_t start = 0;
  bool first = true;
  quoted = false;
  for (std::size_t i = 0; i <= head.size(); ++i) {
    if (i < head.size() && head[i] == '"') quoted = !quoted;
    if (i < head.size() && (head[i] != ';' || quoted)) continue;
    const std::string_view part = TrimBlanks(head.substr(start, i - start));
    start = i + 1;
    if (first) {
      const std::size_t dot = part.rfind('.');
      property->name.assign(dot == std::string_view::npos ? part : part.substr(dot + 1));
      first = false;
      continue;
    }
    const std::size_t equals = part.find('=');
    if (equals == std::string_view::npos) {
      // vCard 2.1 allows a parameter's value alone ("QUOTED-PRINTABLE", "HOME").
      if (EqualsIgnoringCase(part, "QUOTED-PRINTABLE") || EqualsIgnoringCase(part, "BASE64")) {
        property->encoding.assign(part);
      }
    } else if (EqualsIgnoringCase(TrimBlanks(part.substr(0, equals)), "ENCODING")) {
      property->encoding.assign(Unquote(part.substr(equals + 1)));
    } else if (EqualsIgnoringCase(TrimBlanks(part.substr(0, equals)), "CHARSET")) {
      property->charset.assign(Unquote(part.substr(equals + 1)));
    }
  }
  return !property->name.empty();
}

bool IsQuotedPrintable(const Property& property) {
  return EqualsIgnoringCase(property.encoding, "QUOTED-PRINTABLE");
}

// The next property, with folded lines unfolded and quoted-printable soft breaks joined.
// vCard 3.0 and 4.0 fold anywhere, so the line break and the one blank after it go; vCard 2.1
// folds the way mail headers do, only where a blank already stands, so that blank stays.
bool NextProperty(PhysicalLines& lines, bool keepFoldBlank, Property* property) {
  while (!lines.AtEnd()) {
    std::string line(lines.Next());
    while (lines.NextIsFolded()) line.append(lines.Next().substr(keepFoldBlank ? 0 : 1));
    *property = Property{};
    if (!ParseProperty(line, property)) continue;
    while (IsQuotedPrintable(*property) && !property->value.empty() &&
           property->value.back() == '=' && !lines.AtEnd()) {
      property->value.pop_back();
      property->value.append(lines.Next());
    }
    return true;
  }
  return false;
}

// vCard 2.1 (and the 2.0 some older phones wrote) differ from the later versions in folding
// and in having no lists of values within a part.
bool IsVersion21(std::string_view version) {
  return version == "2.1" || version == "2.0";
}

// The value's text, transfer encoding and charset undone, split into its parts.
std::vector<std::string> DecodeParts(const Property& property, bool lists) {
  std::string bytes;
  if (IsQuotedPrintable(property)) {
    bytes = DecodeQuotedPrintable(property.value);
  } else if (EqualsIgnoringCase(property.encoding, "B") ||
             EqualsIgnoringCase(property.encoding, "BASE64")) {
    bytes = DecodeBase64(property.value);
  } else {
    bytes = property.value;
  }
  return SplitStructuredValue(ConvertToUtf8(bytes, property.charset), lists);
}

void DecodeName(const Property& name, std::string_view version, VCardName* result) {
  // Only vCard 2.1 has no lists of values within a part; there a comma is just a comma.
  const std::vector<std::string> parts = DecodeParts(name, !IsVersion21(version));
  result->family = FromUtf8(parts[0]);
  if (parts.size() > 1) result->given = FromUtf8(parts[1]);
}

// FN is one text rather than parts: a ";" or "," in it is text.
void DecodeFormattedName(const Property& formatted, VCardName* result) {
  const std::vector<std::string> parts = DecodeParts(formatted, false);
  std::string text = parts[0];
  for (std::size_t i = 1; i < parts.size(); ++i) text += ";" + parts[i];
  result->formatted = FromUtf8(text);
}

bool IsCardBoundary(const Property& property, std::string_view kind) {
  return EqualsIgnoringCase(property.name, kind) &&
         EqualsIgnoringCase(TrimBlanks(property.value), "VCARD");
}

}  // namespace

std::vector<VCardName> ReadVCardNames(std::string_view bytes) {
  // Some Windows tools write the whole file in UTF-16 with a byte-order mark.
  std::string wide;
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
    wide = ConvertToUtf8(bytes, "UTF-16");
    bytes = wide;
  }
  std::string_view text = bytes;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<VCardName> names;
  PhysicalLines lines(text);
  Property property;
  bool inCard = false;
  int embeddedDepth = 0;
  bool afterEmptyAgent = false;
  std::string version;
  Property name;
  bool hasName = false;
  Property formatted;
  bool hasFormatted = false;
  while (NextProperty(lines, inCard && IsVersion21(version), &property)) {
    const bool wasAfterEmptyAgent = afterEmptyAgent;
    afterEmptyAgent = false;
    if (IsCardBoundary(property, "BEGIN")) {
      if (embeddedDepth > 0 || (inCard && wasAfterEmptyAgent)) {
        ++embeddedDepth;
      } else {
        // A card that was never ended is dropped here.
        inCard = true;
        version.clear();
        hasName = false;
        hasFormatted = false;
      }
    } else if (IsCardBoundary(property, "END")) {
      if (embeddedDepth > 0) {
        --embeddedDepth;
      } else if (inCard) {
        VCardName card;
        if (hasName) DecodeName(name, version, &card);
        if (hasFormatted) DecodeFormattedName(formatted, &card);
        names.push_back(std::move(card));
        inCard = false;
      }
    } else if (!inCard || embeddedDepth > 0) {
      continue;
    } else if (EqualsIgnoringCase(property.name, "VERSION")) {
      version.assign(TrimBlanks(property.value));
    } else if (EqualsIgnoringCase(property.name, "N") && !hasName) {
      name = property;
      hasName = true;
    } else if (EqualsIgnoringCase(property.name, "FN") && !hasFormatted) {
      formatted = property;
      hasFormatted = true;
    } else if (EqualsIgnoringCase(property.name, "AGENT")) {
      afterEmptyAgent = TrimBlanks(property.value).empty();
    }
  }
  return names;
}

std::u16string JoinNameParts(std::u16string_view family, std::u16string_view given) {
  std::u16string name(family);
  if (!family.empty() && !given.empty()) {
    name += u' ';
  }
  return name.append(given);
}
