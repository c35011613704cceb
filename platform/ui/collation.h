// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Text order for lists people read: the order of the user's language, as address books sort.
#include "platform/ui/window_types.h"

using LCID = DWORD;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr DWORD NORM_IGNORECASE = 0x00000001;
inline constexpr int CSTR_LESS_THAN = 1;
inline constexpr int CSTR_EQUAL = 2;
inline constexpr int CSTR_GREATER_THAN = 3;

// Compares two texts of `firstCount` and `secondCount` code units (-1: up to the terminating
// zero) by the collation of the user's locale, letter case not at all with NORM_IGNORECASE.
// The C locale names no language; the Unicode default order (English) stands in for it, so
// accented letters still sort beside their base letters. CSTR_LESS_THAN, CSTR_EQUAL or
// CSTR_GREATER_THAN; 0 for any locale but LOCALE_USER_DEFAULT.
int CompareStringW(LCID locale, DWORD flags, LPCWSTR first, int firstCount, LPCWSTR second,
                   int secondCount);
