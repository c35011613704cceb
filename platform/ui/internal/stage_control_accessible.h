// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: Qt's own interface of a control on the window's stage (a field,
// a check box, a list), as a screen reader reads it, with its places in the screen's pixels.
class QAccessibleInterface;

// Wraps `stock`, which the wrapper takes over and frees.
QAccessibleInterface* WrapStageControl(QAccessibleInterface* stock);
