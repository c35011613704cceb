#include "toolkit/process_state.h"

#include "toolkit/contact_session.h"

ProcessState::ProcessState() = default;
ProcessState::~ProcessState() = default;
ProcessState& ProcessState::operator=(ProcessState&&) noexcept = default;

ProcessState& State() {
  static ProcessState state;
  return state;
}
