// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program's resources as plain data, looked up by number: screen templates with their
// controls, soft-key bars, icons and bitmaps. The program's instance handle points at one
// ResourceModule.
#include <cstdint>
#include <span>

#include "platform/ui/window_types.h"

enum class ControlKind {
  kEdit,
  kAutoCheckBox,  // ticks and unticks itself when clicked
  kGroupBox,
  kStaticText,
  kStaticIcon,
  kDatePicker,
};

// Style facts of a control, as bits.
enum ControlStyle : std::uint32_t {
  kControlTabStop = 1u << 0,     // takes the focus, in template order
  kControlBorder = 1u << 1,      // edit field with a border
  kControlAutoScroll = 1u << 2,  // edit field scrolls horizontally while typing
  kControlCentred = 1u << 3,     // static text or group box caption centred
  kControlTextLeft = 1u << 4,    // check box text left-aligned
  kControlEdged = 1u << 5,       // static text with a sunken edge
  kControlShortDate = 1u << 6,   // date picker showing the short date
  kControlTimeFormat = 1u << 7,  // date picker showing the time of day
  kControlUpDown = 1u << 8,      // date picker with up-down arrows instead of a calendar
  kControlTapActs = 1u << 9,     // a tap on it is the action key there (a field showing a
                                 // choice made on another screen)
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char16_t* text;  // the control's own text; empty when it has none
  std::uint32_t style;   // ControlStyle bits
  int x;                 // position and size in logical pixels of the client area
  int y;
  int width;
  int height;
  int iconId;  // static icon: the icon resource it shows
};

// Style facts of a screen, as bits.
enum DialogStyle : std::uint32_t {
  kDialogPopup = 1u << 0,
  kDialogBorder = 1u << 1,          // thin border
  kDialogVisible = 1u << 2,         // visible from its creation
  kDialogSetForeground = 1u << 3,   // brings itself to the front when created
  kDialogVerticalScroll = 1u << 4,  // content taller than the screen scrolls
};

struct DialogTemplate {
  int id;
  std::uint32_t style;  // DialogStyle bits
  const char16_t* caption;
  const char16_t* fontFace;  // nullptr: the platform's screen font
  int fontPointSize;
  int width;  // logical pixels, before the screen is made full-screen
  int height;
  std::span<const ControlTemplate> controls;  // in focus order
};

struct PopupEntry {
  int command;
  const char16_t* caption;
};

// One soft key: a command, or a popup when `popup` is not empty. No caption: no key.
struct SoftKey {
  int command;
  const char16_t* caption;
  std::span<const PopupEntry> popup;
};

struct SoftKeyBarResource {
  int id;
  SoftKey left;
  SoftKey right;
};

// The bytes of a picture file (PNG, BMP, ICO...). Empty when the picture is not made yet:
// it then loads as an empty picture.
struct ImageResource {
  int id;
  std::span<const unsigned char> bytes;
};

struct ResourceModule {
  std::span<const DialogTemplate> dialogs;
  std::span<const SoftKeyBarResource> bars;
  std::span<const ImageResource> icons;
  std::span<const ImageResource> bitmaps;
  // Finer pictures of bitmaps, by the bitmap's id: drawn in its place where the screen has more
  // device pixels than logical ones; transparent where the bitmap holds its key colour.
  std::span<const ImageResource> bitmapDetails = {};
};

// Resource lookup by number, as the phone's FindResourceW and LoadResource.
enum class ResourceType { kDialog, kSoftKeyBar, kIcon, kBitmap };
inline constexpr ResourceType RT_DIALOG = ResourceType::kDialog;
using HRSRC = const void*;
using HGLOBAL = const void*;
using DLGTEMPLATE = DialogTemplate;

// The entry with that id, or nullptr.
HRSRC FindResourceW(HINSTANCE instance, int id, ResourceType type);
// The resource's data (here the entry itself), or nullptr for nullptr.
HGLOBAL LoadResource(HINSTANCE instance, HRSRC resource);

// Lookups used inside the platform; nullptr when absent.
const SoftKeyBarResource* FindSoftKeyBar(HINSTANCE instance, int id);
const ImageResource* FindImage(HINSTANCE instance, int id, ResourceType type);
const ImageResource* FindBitmapDetail(HINSTANCE instance, int id);
