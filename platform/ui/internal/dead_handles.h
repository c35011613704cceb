// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: a call on a handle that names nothing (any more) does nothing
// and says so in one line on stderr, once per call name, so that a screen that keeps a handle
// past its end is found; tests read the count.

// Reports that `call` was given the dead `handle`.
void ReportDeadHandle(const char* call, const void* handle);
// How many calls on dead handles were reported since the start.
int DeadHandleCalls();
