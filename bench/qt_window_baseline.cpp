// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The baseline of the incoming-call cold start: the least a Qt program does to show a window.
// It opens one window the size of the phone frame and, when the window is first painted,
// writes the monotonic clock (nanoseconds) on stdout and ends.
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>
#include <string>

#include "bench/timing.h"

namespace {

class Window : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(241, 241, 241));
    if (text_) {
      painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Incoming"));
    }
    if (!painted_) {
      painted_ = true;
      std::printf("paint %lld\nlibraries %d\n", MonotonicNanoseconds(), MappedLibraries());
      std::fflush(stdout);
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
  }

 public:
  explicit Window(bool text) : text_(text) {}

 private:
  bool text_;
  bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // "text": a line of text too, as any window with a caption or a label paints.
  Window window(argc > 1 && std::string(argv[1]) == "text");
  window.resize(176, 220);
  window.show();
  return application.exec();
}
