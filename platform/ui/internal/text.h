// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: the program's UTF-16 texts as Qt strings.
#include <QString>
#include <string>

inline QString ToQString(const std::u16string& text) {
  return QString::fromStdU16String(text);
}
inline QString ToQString(const char16_t* text) {
  return text == nullptr ? QString() : QString::fromUtf16(text);
}
