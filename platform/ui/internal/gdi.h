#pragma once
// Used only inside platform/ui: the records behind device contexts, fonts, brushes, bitmaps,
// icons and image lists.
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
  QFont font;  // fonts
  LOGFONTW logFont{};
  QColor colour;        // brushes
  QImage image;         // bitmaps
  QImage detail;        // a bitmap's finer picture, if it has one, at its device pixel ratio
  bool shared = false;  // fonts and brushes are shared by everyone who asks; never freed
  int selections = 0;   // device contexts a bitmap is selected into
};

enum class DcKind { kWindow, kPaint, kMemory };

struct HDC__ {
  explicit HDC__(DcKind dcKind) : kind(dcKind) {}
  DcKind kind;
  QPainter* painter = nullptr;  // paint device contexts, while their paint runs
  HGDIOBJ font = nullptr;
  HGDIOBJ brush = nullptr;
  HGDIOBJ bitmap = nullptr;  // memory device contexts
  int backgroundMode = OPAQUE;
  COLORREF backgroundColour = 0x00FFFFFF;
};

struct HICON__ {
  QPixmap picture;
};

struct HIMAGELIST__ {
  int width = 16;
  int height = 16;
  std::vector<QPixmap> pictures;
  std::vector<QIcon> icons;  // the same pictures, as rows show them
};

QColor ColourOf(COLORREF colour);

// Live-object checks: nullptr for anything that is not a live object of that kind.
HDC__* LiveDc(const void* handle);
HGDIOBJ__* LiveObject(const void* handle);
HGDIOBJ__* LiveBrush(const void* handle);
HGDIOBJ__* LiveFont(const void* handle);
HGDIOBJ__* LiveBitmap(const void* handle);
HIMAGELIST__* LiveImageList(const void* handle);

// A device context that draws with `painter` for the span of one paint.
HDC MakePaintDc(QPainter* painter);
void FreePaintDc(HDC dc);
// The window's own device context, made on first use.
HDC MakeWindowDc();
void FreeWindowDc(HDC dc);

// The font a device context or window measures and draws with.
QFont FontOfDc(HDC dc);
