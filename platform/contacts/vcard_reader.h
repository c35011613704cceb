// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Reads the names of the cards in vCard text (versions 2.1, 3.0 and 4.0), in UTF-8, in the
// charsets the cards name, or in UTF-16 with a byte-order mark.
#include <string>
#include <string_view>
#include <vector>

struct VCardName {
  std::u16string family;     // first part of the N property
  std::u16string given;      // second part of the N property
  std::u16string formatted;  // the FN property, the name as the card wants it shown
};

// A person's two name parts as the contacts show them: family name, a blank, first name. When
// one part is empty, the other alone: no blank is left at either end of the name.
std::u16string JoinNameParts(std::u16string_view family, std::u16string_view given);

// One entry per complete card (BEGIN:VCARD to END:VCARD), in the order of the text. A card
// without N or FN gives empty names there. Lines that are not properties are passed over, and a
// card that is never ended is dropped, so a damaged file still gives its sound cards. Cards
// embedded in a 2.1 AGENT property are not cards of their own.
std::vector<VCardName> ReadVCardNames(std::string_view bytes);
