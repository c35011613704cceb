// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/process_state.h"

#include "toolkit/contact_session.h"

ProcessState::ProcessState() = default;
ProcessState::~ProcessState() = default;
ProcessState& ProcessState::operator=(ProcessState&&) noexcept = default;

ProcessState& State() {
  static ProcessState state;
  return state;
}
