// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: the report list view as a window that takes messages.
#include <QString>

#include "platform/ui/internal/windows.h"

LRESULT ListMessage(ListWindow* list, UINT message, WPARAM wParam, LPARAM lParam);
// What a person sees of a report list: the text a cell shows (empty unless its row is wholly
// in sight), and the row at the list's top (-1 when it shows none).
QString ShownListCell(ListWindow* list, int row, int column);
int TopShownListRow(ListWindow* list);
