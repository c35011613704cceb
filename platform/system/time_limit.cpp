// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/system/time_limit.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

struct Completion {
  std::mutex lock;
  std::condition_variable changed;
  bool done = false;
};

}  // namespace

bool RunWithin(std::chrono::milliseconds limit, std::function<void()> work,
               const std::function<void()>& cancel) {
  auto completion = std::make_shared<Completion>();
  std::thread([completion, work = std::move(work)] {
    work();
    std::lock_guard<std::mutex> guard(completion->lock);
    completion->done = true;
    completion->changed.notify_all();
  }).detach();
  std::unique_lock<std::mutex> guard(completion->lock);
  if (completion->changed.wait_for(guard, limit, [&] { return completion->done; })) {
    return true;
  }
  guard.unlock();
  cancel();
  return false;
}
