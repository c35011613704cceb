// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Decoding of one vCard property value: transfer encoding, character set, then the structured
// parts with their backslash escapes.
#include <string>
#include <string_view>
#include <vector>

// "=XX" becomes the byte XX; a "=" before a line break is a soft break and goes; any other "="
// is kept as it stands.
std::string DecodeQuotedPrintable(std::string_view text);

// Standard base64; blanks and line breaks are passed over, decoding stops at the first "=" or
// at a character that is not base64.
std::string DecodeBase64(std::string_view text);

// The bytes as UTF-8. An empty charset means "not said": UTF-8 when the bytes are valid UTF-8,
// else Windows-1252, the code page older address books wrote. Other charsets go through iconv;
// bytes it cannot convert become U+FFFD, and so does each character it decodes that Unicode
// does not have; an unknown charset is treated as not said. The result is always valid UTF-8.
std::string ConvertToUtf8(std::string_view bytes, std::string_view charset);

// Splits a structured value at unescaped ";" and resolves the escapes "\\", "\;", "\,", "\n"
// and "\N" (other backslashes stay). With `lists`, unescaped "," separates several values of
// one part (vCard 3.0 and 4.0), which are joined with one blank.
std::vector<std::string> SplitStructuredValue(std::string_view value, bool lists);
