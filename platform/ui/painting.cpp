// Device contexts, text measuring, fonts, brushes, bitmaps, icons and the transparent blit.
#include "platform/ui/painting.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <span>
#include <unordered_set>

#include "platform/ui/internal/fonts.h"
#include "platform/ui/internal/gdi.h"
#include "platform/ui/internal/windows.h"
#include "platform/ui/resource_module.h"

namespace {

std::unordered_set<const void*>& liveDcs() {
  static std::unordered_set<const void*> dcs;
  return dcs;
}

std::unordered_set<const void*>& liveObjects() {
  static std::unordered_set<const void*> objects;
  return objects;
}

HGDIOBJ__* registerObject(HGDIOBJ__* object) {
  liveObjects().insert(object);
  return object;
}

// Fonts and brushes are shared: asking twice for the same one gives the same object, so a
// program that never frees them does not grow. The cache owns them until the process ends.
HGDIOBJ__* sharedFont(const LOGFONTW& logFont) {
  static std::map<std::vector<unsigned char>, std::unique_ptr<HGDIOBJ__>> fonts;
  const auto* bytes = reinterpret_cast<const unsigned char*>(&logFont);
  std::vector<unsigned char> key(bytes, bytes + sizeof(LOGFONTW));
  auto& font = fonts[key];
  if (font == nullptr) {
    font = std::make_unique<HGDIOBJ__>(GdiKind::kFont);
    registerObject(font.get());
    font->font = FontFromLogFont(logFont);
    font->logFont = logFont;
    font->shared = true;
  }
  return font.get();
}

HGDIOBJ__* defaultFont() {
  static HGDIOBJ__* font = [] {
    auto* made = registerObject(new HGDIOBJ__(GdiKind::kFont));
    made->font = ScreenFont();
    made->logFont.lfHeight = QFontMetrics(made->font).height();
    made->logFont.lfWeight = FW_NORMAL;
    const char16_t face[] = u"Tahoma";
    std::copy(std::begin(face), std::end(face), made->logFont.lfFaceName);
    made->shared = true;
    return made;
  }();
  return font;
}

// What a fresh memory device context holds, as on the phone: a one-pixel bitmap.
HGDIOBJ__* stockBitmap() {
  static HGDIOBJ__* bitmap = [] {
    auto* made = registerObject(new HGDIOBJ__(GdiKind::kBitmap));
    made->image = QImage(1, 1, QImage::Format_RGB32);
    made->image.fill(Qt::black);
    made->shared = true;
    return made;
  }();
  return bitmap;
}

HDC registerDc(HDC__* dc) {
  liveDcs().insert(dc);
  dc->font = defaultFont();
  return dc;
}

void freeDc(HDC dc) {
  if (dc == nullptr) {
    return;
  }
  if (HGDIOBJ__* bitmap = LiveBitmap(dc->bitmap)) {
    --bitmap->selections;
  }
  liveDcs().erase(dc);
  delete dc;
}

// The bitmap a source handle stands for: a memory device context's bitmap, or a bitmap.
const HGDIOBJ__* sourceBitmap(const void* source) {
  if (HDC__* dc = LiveDc(source)) {
    return LiveBitmap(dc->bitmap);
  }
  return LiveBitmap(source);
}

// A whole bitmap drawn at its own size on a painter with more device pixels than logical ones
// comes from its finer picture, so that it shows as sharp as the text beside it.
bool drawDetail(QPainter* painter, const HGDIOBJ__& bitmap, const QRect& target,
                const QRect& source) {
  if (painter == nullptr || bitmap.detail.isNull() || source != bitmap.image.rect() ||
      target.size() != source.size()) {
    return false;
  }
  // A window on a scaled screen has a device pixel ratio; a picture of it made at a larger
  // scale paints through a scaled transform instead.
  const qreal scale =
      std::max(painter->device()->devicePixelRatio(), std::abs(painter->deviceTransform().m11()));
  if (scale <= 1.0) {
    return false;
  }
  const bool smooth = painter->testRenderHint(QPainter::SmoothPixmapTransform);
  painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter->drawImage(target, bitmap.detail);
  painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
  return true;
}

// The resources are BMP and PNG pictures, which Qt reads itself. Named, they are read at once;
// unnamed, Qt first loads every image plugin it has to ask each whether it knows the bytes.
const char* imageFormatOf(std::span<const unsigned char> bytes) {
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
    return "BMP";
  }
  if (bytes.size() >= 4 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' &&
      bytes[3] == 'G') {
    return "PNG";
  }
  return nullptr;
}

bool loadImageBytes(QImage& image, std::span<const unsigned char> bytes) {
  return image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), imageFormatOf(bytes));
}

QImage loadImage(HINSTANCE instance, int id, ResourceType type) {
  const ImageResource* resource = FindImage(instance, id, type);
  QImage image;
  if (resource != nullptr && !resource->bytes.empty()) {
    loadImageBytes(image, resource->bytes);
  }
  return image;
}

// A bitmap's finer picture, decoded once: the incoming screen loads its bitmap on every paint.
QImage loadDetail(HINSTANCE instance, int id, int bitmapWidth) {
  static std::map<std::pair<HINSTANCE, int>, QImage> details;
  const auto key = std::make_pair(instance, id);
  if (auto known = details.find(key); known != details.end()) {
    return known->second;
  }
  QImage detail;
  const ImageResource* resource = FindBitmapDetail(instance, id);
  if (resource != nullptr && !resource->bytes.empty() && bitmapWidth > 0 &&
      loadImageBytes(detail, resource->bytes)) {
    detail.setDevicePixelRatio(static_cast<qreal>(detail.width()) / bitmapWidth);
  }
  details.emplace(key, detail);
  return detail;
}

}  // namespace

QColor ColourOf(COLORREF colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

HDC__* LiveDc(const void* handle) {
  return handle != nullptr && liveDcs().contains(handle)
             ? static_cast<HDC__*>(const_cast<void*>(handle))
             : nullptr;
}

HGDIOBJ__* LiveObject(const void* handle) {
  return handle != nullptr && liveObjects().contains(handle)
             ? static_cast<HGDIOBJ__*>(const_cast<void*>(handle))
             : nullptr;
}

HGDIOBJ__* LiveBrush(const void* handle) {
  HGDIOBJ__* object = LiveObject(handle);
  return object != nullptr && object->kind == GdiKind::kBrush ? object : nullptr;
}

HGDIOBJ__* LiveFont(const void* handle) {
  HGDIOBJ__* object = LiveObject(handle);
  return object != nullptr && object->kind == GdiKind::kFont ? object : nullptr;
}

HGDIOBJ__* LiveBitmap(const void* handle) {
  HGDIOBJ__* object = LiveObject(handle);
  return object != nullptr && object->kind == GdiKind::kBitmap ? object : nullptr;
}

HDC MakePaintDc(QPainter* painter) {
  auto* dc = new HDC__(DcKind::kPaint);
  dc->painter = painter;
  return registerDc(dc);
}

void FreePaintDc(HDC dc) {
  freeDc(dc);
}

HDC MakeWindowDc() {
  return registerDc(new HDC__(DcKind::kWindow));
}

void FreeWindowDc(HDC dc) {
  freeDc(dc);
}

QFont FontOfDc(HDC dc) {
  HDC__* live = LiveDc(dc);
  HGDIOBJ__* font = live != nullptr ? LiveFont(live->font) : nullptr;
  return font != nullptr ? font->font : ScreenFont();
}

HDC GetDC(HWND window) {
  static HDC screenDc = MakeWindowDc();
  HWND__* live = LiveWindow(window);
  if (window == nullptr) {
    return screenDc;
  }
  if (live == nullptr) {
    return nullptr;
  }
  if (live->ownDc == nullptr) {
    live->ownDc = MakeWindowDc();
  }
  return live->ownDc;
}

BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, int* fit,
                           int* partialWidths, SIZE* size) {
  if (LiveDc(dc) == nullptr || text == nullptr || count < 0) {
    return FALSE;
  }
  const QFontMetrics metrics(FontOfDc(dc));
  const QString measured = QString::fromUtf16(text, count);
  int fitting = 0;
  for (int i = 1; i <= count; ++i) {
    const int extent = metrics.horizontalAdvance(measured.left(i));
    if (partialWidths != nullptr) {
      partialWidths[i - 1] = extent;
    }
    if (fit != nullptr && extent <= maxExtent) {
      fitting = i;
    }
  }
  if (fit != nullptr) {
    *fit = fitting;
  }
  if (size != nullptr) {
    size->cx = metrics.horizontalAdvance(measured);
    size->cy = metrics.height();
  }
  return TRUE;
}

HFONT CreateFontIndirectW(const LOGFONTW* font) {
  return font != nullptr ? sharedFont(*font) : nullptr;
}

int SetBkMode(HDC dc, int mode) {
  HDC__* live = LiveDc(dc);
  if (live == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) {
    return 0;
  }
  const int previous = live->backgroundMode;
  live->backgroundMode = mode;
  if (live->painter != nullptr) {
    live->painter->setBackgroundMode(mode == TRANSPARENT ? Qt::TransparentMode : Qt::OpaqueMode);
  }
  return previous;
}

HBRUSH CreateSolidBrush(COLORREF colour) {
  static std::map<COLORREF, std::unique_ptr<HGDIOBJ__>> brushes;
  auto& brush = brushes[colour & 0x00FFFFFF];
  if (brush == nullptr) {
    brush = std::make_unique<HGDIOBJ__>(GdiKind::kBrush);
    registerObject(brush.get());
    brush->colour = ColourOf(colour);
    brush->shared = true;
  }
  return brush.get();
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  HWND__* live = LiveWindow(window);
  if (live == nullptr || paint == nullptr) {
    return nullptr;
  }
  ScreenWindow* screen =
      live->kind == WindowKind::kScreen ? static_cast<ScreenWindow*>(live) : nullptr;
  // Outside WM_PAINT there is nothing to paint on: the device context draws nowhere.
  HDC dc = screen != nullptr && screen->paintDc != nullptr ? screen->paintDc : GetDC(window);
  RECT client{};
  GetClientRect(window, &client);
  *paint = PAINTSTRUCT{dc, FALSE, client};
  return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  return LiveWindow(window) != nullptr && paint != nullptr;
}

HDC CreateCompatibleDC(HDC /*dc*/) {
  HDC dc = registerDc(new HDC__(DcKind::kMemory));
  dc->bitmap = stockBitmap();
  ++dc->bitmap->selections;
  return dc;
}

BOOL DeleteDC(HDC dc) {
  HDC__* live = LiveDc(dc);
  if (live == nullptr || live->kind != DcKind::kMemory) {
    return FALSE;
  }
  freeDc(live);
  return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  HDC__* live = LiveDc(dc);
  HGDIOBJ__* selected = LiveObject(object);
  if (live == nullptr || selected == nullptr) {
    return nullptr;
  }
  HGDIOBJ previous = nullptr;
  switch (selected->kind) {
    case GdiKind::kFont:
      previous = live->font;
      live->font = selected;
      if (live->painter != nullptr) {
        live->painter->setFont(selected->font);
      }
      break;
    case GdiKind::kBrush:
      previous = live->brush;
      live->brush = selected;
      break;
    case GdiKind::kBitmap:
      // Only a memory device context holds a bitmap, and a bitmap sits in one at a time.
      if (live->kind != DcKind::kMemory || (selected->selections > 0 && !selected->shared)) {
        return nullptr;
      }
      previous = live->bitmap;
      if (HGDIOBJ__* old = LiveBitmap(previous)) {
        --old->selections;
      }
      live->bitmap = selected;
      ++selected->selections;
      break;
  }
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  HGDIOBJ__* live = LiveObject(object);
  if (live == nullptr) {
    return FALSE;
  }
  if (live->shared) {
    return TRUE;  // shared fonts and brushes outlive every user
  }
  if (live->selections > 0) {
    return FALSE;  // still selected into a device context
  }
  liveObjects().erase(live);
  delete live;
  return TRUE;
}

int GetObjectW(HGDIOBJ object, int size, void* buffer) {
  HGDIOBJ__* live = LiveObject(object);
  if (live == nullptr) {
    return 0;
  }
  if (live->kind == GdiKind::kBitmap) {
    if (buffer == nullptr) {
      return sizeof(BITMAP);
    }
    if (size < static_cast<int>(sizeof(BITMAP))) {
      return 0;
    }
    const int bits = live->image.depth();
    BITMAP description{};
    description.bmType = 0;
    description.bmWidth = live->image.width();
    description.bmHeight = live->image.height();
    description.bmWidthBytes = ((live->image.width() * bits + 15) / 16) * 2;
    description.bmPlanes = 1;
    description.bmBitsPixel = static_cast<WORD>(bits);
    description.bmBits = nullptr;
    *static_cast<BITMAP*>(buffer) = description;
    return sizeof(BITMAP);
  }
  if (live->kind == GdiKind::kFont) {
    if (buffer == nullptr) {
      return sizeof(LOGFONTW);
    }
    if (size < static_cast<int>(sizeof(LOGFONTW))) {
      return 0;
    }
    *static_cast<LOGFONTW*>(buffer) = live->logFont;
    return sizeof(LOGFONTW);
  }
  return 0;
}

BOOL TransparentImage(HDC destination, LONG x, LONG y, LONG width, LONG height, HANDLE source,
                      LONG sourceX, LONG sourceY, LONG sourceWidth, LONG sourceHeight,
                      COLORREF transparent) {
  HDC__* target = LiveDc(destination);
  const HGDIOBJ__* bitmap = sourceBitmap(source);
  if (target == nullptr || bitmap == nullptr || width <= 0 || height <= 0 || sourceWidth <= 0 ||
      sourceHeight <= 0) {
    return FALSE;
  }
  if (drawDetail(target->painter, *bitmap, QRect(x, y, width, height),
                 QRect(sourceX, sourceY, sourceWidth, sourceHeight))) {
    return TRUE;
  }
  const QImage* picture = &bitmap->image;
  QImage cut = picture->copy(sourceX, sourceY, sourceWidth, sourceHeight)
                   .convertToFormat(QImage::Format_ARGB32);
  const QRgb key = ColourOf(transparent).rgb() & 0x00FFFFFF;
  for (int row = 0; row < cut.height(); ++row) {
    auto* pixels = reinterpret_cast<QRgb*>(cut.scanLine(row));
    for (int column = 0; column < cut.width(); ++column) {
      if ((pixels[column] & 0x00FFFFFF) == key) {
        pixels[column] = 0;
      }
    }
  }
  if (cut.width() != width || cut.height() != height) {
    cut = cut.scaled(width, height);
  }
  if (target->painter != nullptr) {
    target->painter->drawImage(x, y, cut);
    return TRUE;
  }
  HGDIOBJ__* canvas = target->kind == DcKind::kMemory ? LiveBitmap(target->bitmap) : nullptr;
  if (canvas == nullptr || canvas->shared) {
    return target->kind == DcKind::kWindow;  // a window's own context draws nowhere here
  }
  if (canvas->image.format() == QImage::Format_Indexed8) {
    canvas->image = canvas->image.convertToFormat(QImage::Format_RGB32);
  }
  QPainter painter(&canvas->image);
  painter.drawImage(x, y, cut);
  return TRUE;
}

// Icons are shared as on the phone: loaded once, never destroyed by their users, owned here.
HICON LoadIconW(HINSTANCE instance, int id) {
  static std::map<std::pair<HINSTANCE, int>, std::unique_ptr<HICON__>> icons;
  if (FindImage(instance, id, ResourceType::kIcon) == nullptr) {
    return nullptr;
  }
  auto& icon = icons[{instance, id}];
  if (icon == nullptr) {
    QImage image = loadImage(instance, id, ResourceType::kIcon);
    if (image.isNull()) {
      image = QImage(16, 16, QImage::Format_ARGB32);
      image.fill(Qt::transparent);
    }
    icon = std::make_unique<HICON__>(QPixmap::fromImage(image));
  }
  return icon.get();
}

HBITMAP LoadBitmapW(HINSTANCE instance, int id) {
  if (FindImage(instance, id, ResourceType::kBitmap) == nullptr) {
    return nullptr;
  }
  QImage image = loadImage(instance, id, ResourceType::kBitmap);
  if (image.isNull()) {
    image = QImage(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
  }
  auto* bitmap = registerObject(new HGDIOBJ__(GdiKind::kBitmap));
  bitmap->image = image;
  bitmap->detail = loadDetail(instance, id, image.width());
  return bitmap;
}
