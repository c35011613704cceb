// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The vCard reader on any bytes, as a file in the address book: the names it gives are valid
// UTF-16. The value decoders on any bytes: the charset conversion gives valid UTF-8 whatever
// charset a card names. The input's first line is taken as that charset.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/contacts/vcard_reader.h"
#include "platform/contacts/vcard_value.h"
#include "platform/system/text.h"

namespace {

bool IsValidUtf16(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      ++i;
    } else if (text[i] >= 0xD800 && text[i] <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

void CheckDecoded(std::string_view bytes, std::string_view charset) {
  Require(IsValidUtf8(ConvertToUtf8(bytes, charset)), "ConvertToUtf8 gave invalid UTF-8");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  for (const VCardName& name : ReadVCardNames(input)) {
    Require(IsValidUtf16(name.family), "family name is not valid UTF-16");
    Require(IsValidUtf16(name.given), "given name is not valid UTF-16");
    Require(IsValidUtf16(name.formatted), "formatted name is not valid UTF-16");
  }

  const std::size_t lineEnd = input.find('\n');
  const std::string_view charset =
      lineEnd == std::string_view::npos ? std::string_view() : input.substr(0, lineEnd);
  const std::string_view bytes =
      lineEnd == std::string_view::npos ? input : input.substr(lineEnd + 1);
  CheckDecoded(bytes, charset);
  CheckDecoded(DecodeQuotedPrintable(bytes), charset);
  CheckDecoded(DecodeBase64(bytes), charset);
  for (const std::string& part : SplitStructuredValue(bytes, true)) CheckDecoded(part, charset);
  return 0;
}
