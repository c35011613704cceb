// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Fonts of the phone frame. The phone's face is "Tahoma"; a host without it draws with a sans
// about as narrow (DejaVu Sans Condensed), else the system sans: the phone's columns are
// measured for Tahoma's widths.
#include "platform/ui/internal/fonts.h"

#include <fontconfig/fontconfig.h>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <future>
#include <map>

#include "platform/ui/internal/frame_metrics.h"

namespace {

// The cell height of the frame's default font; a finger's screen takes the next size up, so
// that a line (the cell and a pixel) is a fingertip high.
int TextUnit() {
  return FingerSized() ? 18 : 16;
}
constexpr int kLargestPixelSize = 200;

std::future<void>& FontConfiguration() {
  static std::future<void> reading;
  return reading;
}

QFont WithFallback(const QString& face) {
  if (FontConfiguration().valid()) {
    FontConfiguration().get();
  }
  QFont font;
  font.setFamilies(QStringList{face, QStringLiteral("Tahoma"),
                               QStringLiteral("DejaVu Sans Condensed"),
                               QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
  font.setStyleHint(QFont::SansSerif);
  return font;
}

// The largest pixel size whose line is no taller than cellHeight. Every size tried costs a
// font engine and a font match, so the search starts where a line of most sans faces lies (a
// size about 1.15 times smaller than its line), rescales once from what it finds when that was
// far off, and takes a step or two from there; no size is measured twice.
int LargestPixelSizeWithin(QFont font, int cellHeight) {
  std::map<int, int> measured;
  const auto lineHeight = [&](int size) {
    auto known = measured.find(size);
    if (known == measured.end()) {
      font.setPixelSize(size);
      known = measured.emplace(size, QFontMetrics(font).height()).first;
    }
    return known->second;
  };
  int size = std::clamp((cellHeight * 20 + 11) / 23, 1, kLargestPixelSize);
  if (const int first = lineHeight(size); std::abs(first - cellHeight) > 2) {
    size = std::clamp(size * cellHeight / std::max(first, 1), 1, kLargestPixelSize);
  }
  while (size > 1 && lineHeight(size) > cellHeight) {
    --size;
  }
  while (size < kLargestPixelSize && lineHeight(size + 1) <= cellHeight) {
    ++size;
  }
  return size;
}

}  // namespace

// Fontconfig parses its configuration (dozens of XML files) when the first font is matched:
// a few milliseconds of the first paint, which the platform's start can overlap instead.
// Fontconfig makes its configuration once even when Qt asks for it meanwhile.
void PrepareFontConfiguration() {
  if (!FontConfiguration().valid()) {
    FontConfiguration() = std::async(std::launch::async, [] { FcInit(); });
  }
}

QFont FontWithCellHeight(const QString& face, int cellHeight) {
  static std::map<std::pair<QString, int>, int> pixelSizes;
  QFont font = WithFallback(face);
  const auto key = std::make_pair(face, cellHeight);
  auto known = pixelSizes.find(key);
  if (known == pixelSizes.end()) {
    known = pixelSizes.emplace(key, LargestPixelSizeWithin(font, cellHeight)).first;
  }
  font.setPixelSize(known->second);
  return font;
}

QFont ScreenFont() {
  return FontWithCellHeight(QStringLiteral("Tahoma"), TextUnit());
}

QFont FontFromLogFont(const LOGFONTW& logFont) {
  std::u16string face;
  for (char16_t c : logFont.lfFaceName) {
    if (c == u'\0') {
      break;
    }
    face.push_back(c);
  }
  const QString family = face.empty() ? QStringLiteral("Tahoma") : QString::fromStdU16String(face);
  QFont font;
  if (logFont.lfHeight > 0) {
    font = FontWithCellHeight(family, logFont.lfHeight);
  } else if (logFont.lfHeight < 0) {
    font = WithFallback(family);
    font.setPixelSize(-logFont.lfHeight);
  } else {
    font = FontWithCellHeight(family, TextUnit());
  }
  const int weight = logFont.lfWeight <= 0 ? 400 : std::clamp<int>(logFont.lfWeight, 100, 900);
  font.setWeight(static_cast<QFont::Weight>(weight));
  font.setItalic(logFont.lfItalic != 0);
  font.setUnderline(logFont.lfUnderline != 0);
  font.setStrikeOut(logFont.lfStrikeOut != 0);
  return font;
}

QFont FontFromPoints(const QString& face, int points) {
  QFont font = WithFallback(face);
  // 96 dots per inch, 72 points per inch.
  font.setPixelSize(std::max(1, (points * 96 + 36) / 72));
  return font;
}
