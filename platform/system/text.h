// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Text crosses from the program's UTF-16 to UTF-8 only here, at the edge of the host.
#include <string>
#include <string_view>

// Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);
// Bytes that are not valid UTF-8 become U+FFFD each; the result is always valid UTF-16.
std::u16string FromUtf8(std::string_view text);
// Appends one code point as UTF-16; a value that is no Unicode character (a surrogate, or
// beyond U+10FFFF) becomes U+FFFD.
void AppendUtf16(std::u16string& out, char32_t code);
// True when the bytes are valid UTF-8 (no overlongs, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Copies text into a fixed field of `capacity` code units, cut so that the terminating zero
// still fits and no surrogate pair is split. Returns false when it had to cut.
bool CopyToField(char16_t* field, std::size_t capacity, std::u16string_view text);
