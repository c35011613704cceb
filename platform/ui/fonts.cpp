// Fonts of the phone frame. The phone's face is "Tahoma"; a host without it draws with a sans
// about as narrow (DejaVu Sans Condensed), else the system sans: the phone's columns are
// measured for Tahoma's widths.
#include "platform/ui/internal/fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
#include <map>

#include "platform/ui/internal/frame_metrics.h"

namespace {

// The cell height of the frame's default font; a finger's screen takes the next size up, so
// that a line (the cell and a pixel) is a fingertip high.
int TextUnit() {
  return FingerSized() ? 18 : 16;
}
constexpr int kLargestPixelSize = 200;

QFont WithFallback(const QString& face) {
  QFont font;
  font.setFamilies(QStringList{face, QStringLiteral("Tahoma"),
                               QStringLiteral("DejaVu Sans Condensed"),
                               QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace

QFont FontWithCellHeight(const QString& face, int cellHeight) {
  static std::map<std::pair<QString, int>, int> pixelSizes;
  QFont font = WithFallback(face);
  const auto key = std::make_pair(face, cellHeight);
  auto known = pixelSizes.find(key);
  if (known == pixelSizes.end()) {
    int chosen = 1;
    for (int size = 1; size <= kLargestPixelSize; ++size) {
      font.setPixelSize(size);
      if (QFontMetrics(font).height() > cellHeight) {
        break;
      }
      chosen = size;
    }
    known = pixelSizes.emplace(key, chosen).first;
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
