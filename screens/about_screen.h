// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program's icon, name and version, and three lines about its makers, on a pale
// background. Its one soft key, "Cancel", ends it with -1; without a soft-key bar it ends with 3.
class AboutScreen {
 public:
  AboutScreen() = default;
  virtual ~AboutScreen();
  AboutScreen(const AboutScreen&) = delete;
  AboutScreen& operator=(const AboutScreen&) = delete;
  int Run();
};
