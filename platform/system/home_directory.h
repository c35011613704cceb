// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Where the user's own files live.
#include <string>

// The user's home directory: HOME when it is an absolute path, else the one the user database
// gives; empty when neither names an absolute path.
std::string HomeDirectory();

// Where the user's own data files go: XDG_DATA_HOME when it is an absolute path, else
// ~/.local/share; empty when there is no home directory either.
std::string DataHomeDirectory();
