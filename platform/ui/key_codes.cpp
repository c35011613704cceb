// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The phone's virtual-key codes for the keys of a desktop keyboard.
#include "platform/ui/internal/key_codes.h"

#include "platform/ui/keys.h"

namespace {

struct KeyPair {
  UINT virtualKey;
  int qtKey;
};

constexpr KeyPair kNamedKeys[] = {
    {VK_BACK, Qt::Key_Backspace}, {VK_TAB, Qt::Key_Tab},     {VK_RETURN, Qt::Key_Return},
    {VK_ESCAPE, Qt::Key_Escape},  {VK_SPACE, Qt::Key_Space}, {VK_LEFT, Qt::Key_Left},
    {VK_UP, Qt::Key_Up},          {VK_RIGHT, Qt::Key_Right}, {VK_DOWN, Qt::Key_Down},
    {VK_F1, Qt::Key_F1},          {VK_F2, Qt::Key_F2},       {VK_F3, Qt::Key_F3},
};

}  // namespace

UINT VirtualKeyOf(const QKeyEvent& event) {
  const int key = event.key();
  if (key == Qt::Key_Enter) {
    return VK_RETURN;
  }
  if (key == Qt::Key_Backtab) {
    return VK_TAB;
  }
  for (const KeyPair& pair : kNamedKeys) {
    if (pair.qtKey == key) {
      return pair.virtualKey;
    }
  }
  if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
    return static_cast<UINT>(key);  // the same codes as the phone's '0'..'9', 'A'..'Z'
  }
  return 0;
}

UINT ModifiersOf(const QKeyEvent& event) {
  UINT modifiers = 0;
  if (event.modifiers() & Qt::AltModifier) {
    modifiers |= MOD_ALT;
  }
  if (event.modifiers() & Qt::ControlModifier) {
    modifiers |= MOD_CONTROL;
  }
  if ((event.modifiers() & Qt::ShiftModifier) || event.key() == Qt::Key_Backtab) {
    modifiers |= MOD_SHIFT;
  }
  return modifiers;
}

int QtKeyOf(UINT virtualKey) {
  for (const KeyPair& pair : kNamedKeys) {
    if (pair.virtualKey == virtualKey) {
      return pair.qtKey;
    }
  }
  if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) {
    return static_cast<int>(virtualKey);
  }
  return Qt::Key_unknown;
}

QString TypedTextOf(UINT virtualKey) {
  if (virtualKey >= '0' && virtualKey <= '9') {
    return QString(QChar(static_cast<char16_t>(virtualKey)));
  }
  if (virtualKey >= 'A' && virtualKey <= 'Z') {
    return QString(QChar(static_cast<char16_t>(virtualKey - 'A' + 'a')));
  }
  switch (virtualKey) {
    case VK_SPACE:
      return QStringLiteral(" ");
    case VK_RETURN:
      return QStringLiteral("\r");
    case VK_ESCAPE:
      return QString(QChar(0x1B));
    case VK_BACK:
      return QString(QChar(0x08));
    case VK_TAB:
      return QStringLiteral("\t");
    default:
      return {};
  }
}
