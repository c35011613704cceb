// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Device contexts, text measuring, fonts, brushes, bitmaps, icons, image lists and the
// transparent blit, each object owned by the screen that made it.
#include "platform/ui/painting.h"

#include <png.h>

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <unordered_map>

#include "platform/ui/internal/dead_handles.h"
#include "platform/ui/internal/fonts.h"
#include "platform/ui/internal/gdi.h"
#include "platform/ui/internal/windows.h"
#include "platform/ui/resource_module.h"

namespace {

// A live object with the screen that made it; nullptr: made while no screen ran.
template <typename Object>
struct Owned {
  std::unique_ptr<Object> object;
  const HWND__* owner = nullptr;
};

std::unordered_map<const void*, Owned<HGDIOBJ__>>& LiveObjects() {
  static std::unordered_map<const void*, Owned<HGDIOBJ__>> objects;
  return objects;
}

std::unordered_map<const void*, Owned<HIMAGELIST__>>& LiveImageLists() {
  static std::unordered_map<const void*, Owned<HIMAGELIST__>> lists;
  return lists;
}

std::unordered_map<const void*, Owned<HDC__>>& LiveDcs() {
  static std::unordered_map<const void*, Owned<HDC__>> dcs;
  return dcs;
}

// Asking a screen's procedure twice for the same font or brush gives the same object, so a
// screen that never frees them does not grow.
std::map<std::pair<const HWND__*, std::vector<unsigned char>>, HGDIOBJ__*>& SharedFonts() {
  static std::map<std::pair<const HWND__*, std::vector<unsigned char>>, HGDIOBJ__*> fonts;
  return fonts;
}

std::map<std::pair<const HWND__*, COLORREF>, HGDIOBJ__*>& SharedBrushes() {
  static std::map<std::pair<const HWND__*, COLORREF>, HGDIOBJ__*> brushes;
  return brushes;
}

template <typename Object>
Object* Adopt(std::unordered_map<const void*, Owned<Object>>& live, std::unique_ptr<Object> made,
              const HWND__* owner) {
  Object* object = made.get();
  live[object] = Owned<Object>{std::move(made), owner};
  return object;
}

HGDIOBJ__* MakeObject(GdiKind kind) {
  return Adopt(LiveObjects(), std::make_unique<HGDIOBJ__>(kind), DispatchingScreen());
}

template <typename Object>
void FreeOwnedBy(std::unordered_map<const void*, Owned<Object>>& live, const HWND__* owner) {
  std::erase_if(live, [owner](const auto& entry) { return entry.second.owner == owner; });
}

template <typename Key>
void ForgetOwnedBy(std::map<std::pair<const HWND__*, Key>, HGDIOBJ__*>& cache,
                   const HWND__* owner) {
  std::erase_if(cache, [owner](const auto& entry) { return entry.first.first == owner; });
}

HGDIOBJ__* LiveObject(const void* handle) {
  auto found = LiveObjects().find(handle);
  return found != LiveObjects().end() ? found->second.object.get() : nullptr;
}

HGDIOBJ__* LiveBitmap(const void* handle) {
  HGDIOBJ__* object = LiveObject(handle);
  return object != nullptr && object->kind == GdiKind::kBitmap ? object : nullptr;
}

// The same checks for the phone's calls: a handle that is not null and names nothing live is
// reported as given to `call`.
HDC__* CalledDc(const void* handle, const char* call) {
  HDC__* live = LiveDc(handle);
  if (live == nullptr && handle != nullptr) {
    ReportDeadHandle(call, handle);
  }
  return live;
}

HGDIOBJ__* CalledObject(const void* handle, const char* call) {
  HGDIOBJ__* live = LiveObject(handle);
  if (live == nullptr && handle != nullptr) {
    ReportDeadHandle(call, handle);
  }
  return live;
}

// What a fresh memory device context holds, as on the phone: a one-pixel bitmap.
HGDIOBJ__* StockBitmap() {
  static HGDIOBJ__* bitmap = [] {
    auto made = std::make_unique<HGDIOBJ__>(GdiKind::kBitmap);
    made->image = QImage(1, 1, QImage::Format_RGB32);
    made->image.fill(Qt::black);
    made->shared = true;
    return Adopt(LiveObjects(), std::move(made), nullptr);
  }();
  return bitmap;
}

HDC MakeDc(DcKind kind, const HWND__* owner) {
  return Adopt(LiveDcs(), std::make_unique<HDC__>(kind), owner);
}

void FreeDc(HDC dc) {
  if (HGDIOBJ__* bitmap = LiveBitmap(dc->bitmap)) {
    --bitmap->selections;
  }
  LiveDcs().erase(dc);
}

// A window's own device context goes with the window; a screen's objects go with the screen.
void ForgetWindow(HWND__* window) {
  if (window->ownDc != nullptr && LiveDc(window->ownDc) != nullptr) {
    FreeDc(window->ownDc);
  }
  if (window->kind != WindowKind::kScreen) {
    return;
  }
  ForgetOwnedBy(SharedFonts(), window);
  ForgetOwnedBy(SharedBrushes(), window);
  FreeOwnedBy(LiveDcs(), window);
  FreeOwnedBy(LiveImageLists(), window);
  FreeOwnedBy(LiveObjects(), window);
}

void ListenForWindowEnds() {
  static const bool listening = [] {
    AddWindowEndListener(ForgetWindow);
    return true;
  }();
  (void)listening;
}

// The bitmap a source handle stands for: a memory device context's bitmap, or a bitmap.
const HGDIOBJ__* SourceBitmap(const void* source) {
  if (HDC__* dc = LiveDc(source)) {
    return LiveBitmap(dc->bitmap);
  }
  return LiveBitmap(source);
}

// A whole bitmap drawn at its own size on a painter with more device pixels than logical ones
// comes from its finer picture, so that it shows as sharp as the text beside it.
bool DrawDetail(QPainter* painter, const HGDIOBJ__& bitmap, const QRect& target,
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
const char* ImageFormatOf(std::span<const unsigned char> bytes) {
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
    return "BMP";
  }
  if (bytes.size() >= 4 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' &&
      bytes[3] == 'G') {
    return "PNG";
  }
  return nullptr;
}

// PNG pictures are decoded with libpng, which Qt decodes them with too: Qt's reader, even told
// the format, first loads each image plugin it has (GIF, ICO, JPEG) to ask it.
bool ReadPng(QImage& image, std::span<const unsigned char> bytes) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()) == 0) {
    return false;
  }
  png.format = PNG_FORMAT_BGRA;  // QImage's ARGB32 as it lies in memory
  QImage decoded(static_cast<int>(png.width), static_cast<int>(png.height), QImage::Format_ARGB32);
  if (decoded.isNull() ||
      png_image_finish_read(&png, nullptr, decoded.bits(),
                            static_cast<png_int_32>(decoded.bytesPerLine()), nullptr) == 0) {
    png_image_free(&png);
    return false;
  }
  image = decoded;
  return true;
}

// The phone's own bitmap kind, an uncompressed 8-bit one with its palette, read here as an
// indexed image, for the same reason; any other bitmap goes to Qt's reader.
bool ReadPaletteBitmap(QImage& image, std::span<const unsigned char> bytes) {
  const auto number = [&](std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
      value = value << 8 | bytes[at + i];
    }
    return value;
  };
  constexpr std::size_t kHeaders = 14 + 40;
  if (bytes.size() < kHeaders || number(14, 4) != 40 || number(26, 2) != 1 || number(28, 2) != 8 ||
      number(30, 4) != 0) {
    return false;
  }
  const auto width = static_cast<std::int32_t>(number(18, 4));
  const auto height = static_cast<std::int32_t>(number(22, 4));
  const std::uint32_t colours = number(46, 4) == 0 ? 256 : number(46, 4);
  const std::size_t pixels = number(10, 4);
  const auto rows =
      static_cast<std::size_t>(height < 0 ? -static_cast<std::int64_t>(height) : height);
  const std::size_t stride = (static_cast<std::size_t>(width) + 3) / 4 * 4;
  if (width <= 0 || rows == 0 || colours > 256 || kHeaders + 4 * colours > pixels ||
      pixels + stride * rows > bytes.size()) {
    return false;
  }
  QImage decoded(width, static_cast<int>(rows), QImage::Format_Indexed8);
  QList<QRgb> palette;
  for (std::uint32_t i = 0; i < colours; ++i) {
    const std::size_t at = kHeaders + 4 * i;
    palette.push_back(qRgb(bytes[at + 2], bytes[at + 1], bytes[at]));
  }
  palette.resize(256, qRgb(0, 0, 0));  // an index past the bitmap's colours stays in the table
  decoded.setColorTable(palette);
  for (std::size_t row = 0; row < rows; ++row) {
    const std::size_t stored = height < 0 ? row : rows - 1 - row;  // bottom-up unless negative
    std::copy_n(bytes.data() + pixels + stored * stride, width,
                decoded.scanLine(static_cast<int>(row)));
  }
  image = decoded;
  return true;
}

bool LoadImageBytes(QImage& image, std::span<const unsigned char> bytes) {
  const char* format = ImageFormatOf(bytes);
  if (format != nullptr && std::string_view(format) == "PNG") {
    return ReadPng(image, bytes);
  }
  if (format != nullptr && std::string_view(format) == "BMP" && ReadPaletteBitmap(image, bytes)) {
    return true;
  }
  return image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), format);
}

QImage LoadImage(HINSTANCE instance, int id, ResourceType type) {
  const ImageResource* resource = FindImage(instance, id, type);
  QImage image;
  if (resource != nullptr && !resource->bytes.empty()) {
    LoadImageBytes(image, resource->bytes);
  }
  return image;
}

// Bitmaps' finer pictures, each decoded once (the incoming screen loads its bitmap on every
// paint): by the first load that needs one, or ahead of time on a thread of its own.
std::shared_future<QImage> DecodeDetail(HINSTANCE instance, int id, std::launch how) {
  static std::mutex guard;
  static std::map<std::pair<HINSTANCE, int>, std::shared_future<QImage>> details;
  const std::lock_guard<std::mutex> lock(guard);
  const auto key = std::make_pair(instance, id);
  if (auto known = details.find(key); known != details.end()) {
    return known->second;
  }
  std::shared_future<QImage> decoding = std::async(how, [instance, id] {
                                          QImage detail;
                                          const ImageResource* resource =
                                              FindBitmapDetail(instance, id);
                                          if (resource == nullptr || resource->bytes.empty() ||
                                              !LoadImageBytes(detail, resource->bytes)) {
                                            return QImage();
                                          }
                                          return detail;
                                        }).share();
  details.emplace(key, decoding);
  return decoding;
}

QImage LoadDetail(HINSTANCE instance, int id, int bitmapWidth) {
  QImage detail = DecodeDetail(instance, id, std::launch::deferred).get();
  if (detail.isNull() || bitmapWidth <= 0) {
    return QImage();
  }
  detail.setDevicePixelRatio(static_cast<qreal>(detail.width()) / bitmapWidth);
  return detail;
}

}  // namespace

QColor ColourOf(COLORREF colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

HDC__* LiveDc(const void* handle) {
  auto found = LiveDcs().find(handle);
  return found != LiveDcs().end() ? found->second.object.get() : nullptr;
}

HGDIOBJ__* LiveBrush(const void* handle) {
  HGDIOBJ__* object = LiveObject(handle);
  return object != nullptr && object->kind == GdiKind::kBrush ? object : nullptr;
}

HGDIOBJ__* LiveFont(const void* handle) {
  HGDIOBJ__* object = LiveObject(handle);
  return object != nullptr && object->kind == GdiKind::kFont ? object : nullptr;
}

HIMAGELIST__* LiveImageList(const void* handle) {
  auto found = LiveImageLists().find(handle);
  return found != LiveImageLists().end() ? found->second.object.get() : nullptr;
}

HDC MakePaintDc(QPainter* painter) {
  HDC dc = MakeDc(DcKind::kPaint, nullptr);
  dc->painter = painter;
  return dc;
}

void FreePaintDc(HDC dc) {
  if (LiveDc(dc) != nullptr) {
    FreeDc(dc);
  }
}

HandleCounts LiveHandleCounts() {
  HandleCounts counts;
  for (const auto& [handle, owned] : LiveObjects()) {
    switch (owned.object->kind) {
      case GdiKind::kFont:
        ++counts.fonts;
        break;
      case GdiKind::kBrush:
        ++counts.brushes;
        break;
      case GdiKind::kBitmap:
        ++counts.bitmaps;
        break;
    }
  }
  counts.imageLists = static_cast<int>(LiveImageLists().size());
  counts.deviceContexts = static_cast<int>(LiveDcs().size());
  return counts;
}

// Text is measured in the screen font: a device context here never has another font selected.
HDC GetDC(HWND window) {
  static HDC screenDc = MakeDc(DcKind::kWindow, nullptr);
  if (window == nullptr) {
    return screenDc;
  }
  HWND__* live = CalledWindow(window, "GetDC");
  if (live == nullptr) {
    return nullptr;
  }
  if (live->ownDc == nullptr) {
    ListenForWindowEnds();
    live->ownDc = MakeDc(DcKind::kWindow, nullptr);
  }
  return live->ownDc;
}

BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, int* fit,
                           int* partialWidths, SIZE* size) {
  if (CalledDc(dc, "GetTextExtentExPointW") == nullptr || text == nullptr || count < 0) {
    return FALSE;
  }
  const QFontMetrics metrics(ScreenFont());
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
  if (font == nullptr) {
    return nullptr;
  }
  ListenForWindowEnds();
  const HWND__* owner = DispatchingScreen();
  const auto* bytes = reinterpret_cast<const unsigned char*>(font);
  auto& shared = SharedFonts()[{owner, std::vector<unsigned char>(bytes, bytes + sizeof *font)}];
  if (shared == nullptr) {
    shared = MakeObject(GdiKind::kFont);
    shared->font = FontFromLogFont(*font);
    shared->shared = true;
  }
  return shared;
}

int SetBkMode(HDC dc, int mode) {
  HDC__* live = CalledDc(dc, "SetBkMode");
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
  ListenForWindowEnds();
  auto& shared = SharedBrushes()[{DispatchingScreen(), colour & 0x00FFFFFF}];
  if (shared == nullptr) {
    shared = MakeObject(GdiKind::kBrush);
    shared->colour = ColourOf(colour);
    shared->shared = true;
  }
  return shared;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  HWND__* live = CalledWindow(window, "BeginPaint");
  if (live == nullptr || paint == nullptr) {
    return nullptr;
  }
  ScreenWindow* screen =
      live->kind == WindowKind::kScreen ? static_cast<ScreenWindow*>(live) : nullptr;
  // Outside WM_PAINT there is nothing to paint on: the device context draws nowhere.
  HDC dc = screen != nullptr && screen->paintDc != nullptr ? screen->paintDc : GetDC(window);
  const SIZE client = ClientSizeOf(live);
  *paint = PAINTSTRUCT{dc, FALSE, RECT{0, 0, client.cx, client.cy}};
  return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  return CalledWindow(window, "EndPaint") != nullptr && paint != nullptr;
}

HDC CreateCompatibleDC(HDC /*dc*/) {
  ListenForWindowEnds();
  HDC dc = MakeDc(DcKind::kMemory, DispatchingScreen());
  dc->bitmap = StockBitmap();
  ++dc->bitmap->selections;
  return dc;
}

BOOL DeleteDC(HDC dc) {
  HDC__* live = CalledDc(dc, "DeleteDC");
  if (live == nullptr || live->kind != DcKind::kMemory) {
    return FALSE;
  }
  FreeDc(live);
  return TRUE;
}

// Only bitmaps are selected: text is drawn in the window's font and areas filled by the screen's
// colour answers.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  HDC__* live = CalledDc(dc, "SelectObject");
  HGDIOBJ__* selected = CalledObject(object, "SelectObject");
  if (live == nullptr || selected == nullptr || selected->kind != GdiKind::kBitmap) {
    return nullptr;
  }
  // Only a memory device context holds a bitmap, and a bitmap sits in one at a time.
  if (live->kind != DcKind::kMemory || (selected->selections > 0 && !selected->shared)) {
    return nullptr;
  }
  HGDIOBJ previous = live->bitmap;
  if (HGDIOBJ__* old = LiveBitmap(previous)) {
    --old->selections;
  }
  live->bitmap = selected;
  ++selected->selections;
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  HGDIOBJ__* live = CalledObject(object, "DeleteObject");
  if (live == nullptr) {
    return FALSE;
  }
  if (live->shared) {
    return TRUE;  // shared fonts and brushes go with their screen
  }
  if (live->selections > 0) {
    return FALSE;  // still selected into a device context
  }
  LiveObjects().erase(live);
  return TRUE;
}

int GetObjectW(HGDIOBJ object, int size, void* buffer) {
  HGDIOBJ__* live = CalledObject(object, "GetObjectW");
  if (live == nullptr || live->kind != GdiKind::kBitmap) {
    return 0;
  }
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

BOOL TransparentImage(HDC destination, LONG x, LONG y, LONG width, LONG height, HANDLE source,
                      LONG sourceX, LONG sourceY, LONG sourceWidth, LONG sourceHeight,
                      COLORREF transparent) {
  HDC__* target = CalledDc(destination, "TransparentImage");
  const HGDIOBJ__* bitmap = SourceBitmap(source);
  if (target == nullptr || bitmap == nullptr || width <= 0 || height <= 0 || sourceWidth <= 0 ||
      sourceHeight <= 0) {
    return FALSE;
  }
  if (target->painter == nullptr) {
    return target->kind == DcKind::kWindow;  // a window's own context draws nowhere here
  }
  if (DrawDetail(target->painter, *bitmap, QRect(x, y, width, height),
                 QRect(sourceX, sourceY, sourceWidth, sourceHeight))) {
    return TRUE;
  }
  QImage cut = bitmap->image.copy(sourceX, sourceY, sourceWidth, sourceHeight)
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
  target->painter->drawImage(x, y, cut);
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
    QImage image = LoadImage(instance, id, ResourceType::kIcon);
    if (image.isNull()) {
      image = QImage(16, 16, QImage::Format_ARGB32);
      image.fill(Qt::transparent);
    }
    icon = std::make_unique<HICON__>(QPixmap::fromImage(image));
  }
  return icon.get();
}

void PrepareBitmap(HINSTANCE instance, int id) {
  if (FindBitmapDetail(instance, id) != nullptr) {
    DecodeDetail(instance, id, std::launch::async);
  }
}

HBITMAP LoadBitmapW(HINSTANCE instance, int id) {
  if (FindImage(instance, id, ResourceType::kBitmap) == nullptr) {
    return nullptr;
  }
  QImage image = LoadImage(instance, id, ResourceType::kBitmap);
  if (image.isNull()) {
    image = QImage(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
  }
  ListenForWindowEnds();
  HGDIOBJ__* bitmap = MakeObject(GdiKind::kBitmap);
  bitmap->image = image;
  bitmap->detail = LoadDetail(instance, id, image.width());
  return bitmap;
}

HIMAGELIST ImageList_Create(int width, int height, UINT /*flags*/, int /*initial*/, int /*grow*/) {
  if (width <= 0 || height <= 0) {
    return nullptr;
  }
  ListenForWindowEnds();
  auto made = std::make_unique<HIMAGELIST__>();
  made->width = width;
  made->height = height;
  return Adopt(LiveImageLists(), std::move(made), DispatchingScreen());
}

int ImageList_ReplaceIcon(HIMAGELIST images, int index, HICON icon) {
  HIMAGELIST__* live = LiveImageList(images);
  if (live == nullptr && images != nullptr) {
    ReportDeadHandle("ImageList_ReplaceIcon", images);
  }
  if (live == nullptr || icon == nullptr) {
    return -1;
  }
  const QIcon picture(icon->picture.scaled(live->width, live->height, Qt::IgnoreAspectRatio,
                                           Qt::SmoothTransformation));
  if (index == -1) {
    live->icons.push_back(picture);
    return static_cast<int>(live->icons.size()) - 1;
  }
  if (index < 0 || index >= static_cast<int>(live->icons.size())) {
    return -1;
  }
  live->icons[static_cast<std::size_t>(index)] = picture;
  return index;
}
