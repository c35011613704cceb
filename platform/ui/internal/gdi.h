// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: the records behind device contexts, fonts, brushes, bitmaps,
// icons and image lists. Fonts, brushes, bitmaps, image lists and memory device contexts belong
// to the screen whose procedure made them and are freed when that screen ends; those made while
// no screen runs live as long as the process.
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <vector>

#include "platform/ui/painting.h"

class QPainter;

enum class GdiKind { kFont, kBrush, kBitmap };

struct HGDIOBJ__ {
  explicit HGDIOBJ__(GdiKind objectKind) : kind(objectKind) {}
  GdiKind kind;
  QFont font;           // fonts
  QColor colour;        // brushes
  QImage image;         // bitmaps
  QImage detail;        // a bitmap's finer picture, if it has one, at its device pixel ratio
  bool shared = false;  // fonts and brushes are shared by every caller of their screen
  int selections = 0;   // device contexts a bitmap is selected into
};

enum class DcKind { kWindow, kPaint, kMemory };

struct HDC__ {
  explicit HDC__(DcKind dcKind) : kind(dcKind) {}
  DcKind kind;
  QPainter* painter = nullptr;  // paint device contexts, while their paint runs
  HGDIOBJ bitmap = nullptr;     // memory device contexts
  int backgroundMode = OPAQUE;
};

struct HICON__ {
  QPixmap picture;
};

struct HIMAGELIST__ {
  int width = 16;
  int height = 16;
  std::vector<QIcon> icons;  // the pictures, as rows show them
};

QColor ColourOf(COLORREF colour);

// Live-object checks: nullptr for anything that is not a live object of that kind.
HDC__* LiveDc(const void* handle);
HGDIOBJ__* LiveBrush(const void* handle);
HGDIOBJ__* LiveFont(const void* handle);
HIMAGELIST__* LiveImageList(const void* handle);

// A device context that draws with `painter` for the span of one paint.
HDC MakePaintDc(QPainter* painter);
void FreePaintDc(HDC dc);

// Live handles of each kind, for counting what the screens leave behind.
struct HandleCounts {
  int fonts = 0;
  int brushes = 0;
  int bitmaps = 0;
  int imageLists = 0;
  int deviceContexts = 0;
};
HandleCounts LiveHandleCounts();
