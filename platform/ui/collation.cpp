// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/ui/collation.h"

#include <QCollator>
#include <QLocale>
#include <QString>

namespace {

// The first `count` characters, or up to the terminating zero when `count` is negative.
QString CountedText(LPCWSTR text, int count) {
  if (count < 0) {
    return QString::fromUtf16(text);
  }
  return QString::fromUtf16(text, count);
}

// Opening a collator is costly and a sort compares often: one per case rule, made once.
QCollator& CollatorFor(bool ignoreCase) {
  static const QLocale locale = [] {
    const QLocale user = QLocale::system().collation();
    return user.language() == QLocale::C ? QLocale(QLocale::English) : user;
  }();
  static QCollator caseSensitive(locale);
  static QCollator caseInsensitive = [] {
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
  }();
  return ignoreCase ? caseInsensitive : caseSensitive;
}

}  // namespace

int CompareStringW(LCID locale, DWORD flags, LPCWSTR first, int firstCount, LPCWSTR second,
                   int secondCount) {
  if (locale != LOCALE_USER_DEFAULT || first == nullptr || second == nullptr) {
    return 0;
  }
  const int order = CollatorFor((flags & NORM_IGNORECASE) != 0)
                        .compare(CountedText(first, firstCount), CountedText(second, secondCount));
  return order < 0 ? CSTR_LESS_THAN : order > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}
