// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "record_attributes.h"

#include <cstring>
#include <string>

#include "platform/system/text.h"

namespace {

bool IsBlank(char character) {
  return character == ' ' || (character >= '\t' && character <= '\r');
}

template <std::size_t Capacity>
void CopyText(char16_t (&field)[Capacity], const char* utf8) {
  // Longer texts are cut to the field: a name of 300 characters keeps its first 254.
  CopyToField(field, Capacity, FromUtf8(utf8));
}

// A path cut short names another file, or none: one too long for the field leaves the call
// silent instead.
void CopyPath(char16_t (&field)[kRingtoneCapacity], const char* utf8) {
  if (!CopyToField(field, kRingtoneCapacity, FromUtf8(utf8))) {
    field[0] = u'\0';
  }
}

std::string FieldAsUtf8(const char16_t* field, std::size_t capacity) {
  std::size_t length = 0;
  while (length < capacity && field[length] != u'\0') {
    ++length;
  }
  return ToUtf8(std::u16string_view(field, length));
}

}  // namespace

std::uint32_t ReadNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  return negative ? 0u - value : value;
}

void ReadRecordAttributes(const pugi::xml_node& element, CallRecord& record) {
  for (const pugi::xml_attribute& attribute : element.attributes()) {
    const std::string_view name = attribute.name();
    const char* value = attribute.value();
    if (name == "Name") {
      CopyText(record.Name, value);
    } else if (name == "PhoneNo") {
      CopyText(record.PhoneNo, value);
    } else if (name == "Ringtone") {
      CopyPath(record.Ringtone, value);
    } else if (name == "Vibrate") {
      record.Vibrate = static_cast<std::int32_t>(ReadNumber(value));
    } else if (name == "Index") {
      record.Index = static_cast<std::int32_t>(ReadNumber(value));
    } else if (name == "CallTimeLow") {
      record.CallTime.dwLowDateTime = ReadNumber(value);
    } else if (name == "CallTimeHigh") {
      record.CallTime.dwHighDateTime = ReadNumber(value);
    }
  }
}

FILETIME ReadRingTime(const pugi::xml_node& element) {
  FILETIME time{0, 0};
  for (const pugi::xml_attribute& attribute : element.attributes()) {
    const std::string_view name = attribute.name();
    if (name == "CallTimeLow") {
      time.dwLowDateTime = ReadNumber(attribute.value());
    } else if (name == "CallTimeHigh") {
      time.dwHighDateTime = ReadNumber(attribute.value());
    }
  }
  return time;
}

void WriteRecordAttributes(pugi::xml_node& element, const CallRecord& record, int index) {
  element.append_attribute("Name") = FieldAsUtf8(record.Name, kNameCapacity).c_str();
  element.append_attribute("PhoneNo") = FieldAsUtf8(record.PhoneNo, kPhoneNoCapacity).c_str();
  element.append_attribute("Ringtone") = FieldAsUtf8(record.Ringtone, kRingtoneCapacity).c_str();
  element.append_attribute("Vibrate") = std::to_string(record.Vibrate).c_str();
  element.append_attribute("Index") = std::to_string(index).c_str();
  element.append_attribute("CallTimeHigh") = std::to_string(record.CallTime.dwHighDateTime).c_str();
  element.append_attribute("CallTimeLow") = std::to_string(record.CallTime.dwLowDateTime).c_str();
}
