// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The translation between a CallRecord and the attributes of a "CI" element.
#include <cstdint>
#include <pugixml.hpp>
#include <string_view>

#include "call_record.h"

// Number text as the phone reads it: leading white space skipped, an optional sign, decimal
// digits up to the first other character, accumulated modulo 2^32. No digits gives 0.
std::uint32_t ReadNumber(std::string_view text);

// Fills the fields whose attributes the element has, in the element's attribute order; fields
// without an attribute keep what the record held.
void ReadRecordAttributes(const pugi::xml_node& element, CallRecord& record);

// The ring time of an element from its two halves; a missing half counts as 0.
FILETIME ReadRingTime(const pugi::xml_node& element);

// Sets the attributes of a new element in the file's order; index is the number it receives.
void WriteRecordAttributes(pugi::xml_node& element, const CallRecord& record, int index);
