// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "power.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <memory>
#include <mutex>
#include <thread>

namespace {

std::mutex serviceMutex;
PowerRequirementService service;

// One cookie per process: the inhibit lasts while the bus connection does, that is until exit.
unsigned inhibitCookie = 0;
bool inhibited = false;

// The incoming call waits for this answer before it rings, so a screen saver that does not
// answer in time is treated as absent.
constexpr int kAnswerTimeoutMilliseconds = 1000;

HANDLE InhibitScreenSaver() {
  if (inhibited) {
    return &inhibitCookie;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    return nullptr;
  }
  QDBusMessage request = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
      QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Inhibit"));
  request << QStringLiteral("Pelorin") << QStringLiteral("Incoming call");
  QDBusReply<unsigned> reply = bus.call(request, QDBus::Block, kAnswerTimeoutMilliseconds);
  if (!reply.isValid()) {
    return nullptr;
  }
  // A cookie of 0 is a valid answer too; the handle only has to be non-null.
  inhibitCookie = reply.value();
  inhibited = true;
  return &inhibitCookie;
}

std::mutex policyMutex;
PowerPolicyService policyService;

// logind's answer, a descriptor held open while the lock is wanted. The state outlives every
// asking thread (it is never freed), so one that answers late finds it still there.
struct SleepLock {
  std::mutex mutex;
  bool wanted = false;
  bool asking = false;
  int descriptor = -1;
};
SleepLock& Lock() {
  static auto* lock = new SleepLock;
  return *lock;
}

constexpr std::uint64_t kLogindAnswerLimit = 2'000'000;  // microseconds

// One Inhibit call on the system bus; -1 when there is no bus, no logind or no answer in time.
int AskLogind() {
  sd_bus* bus = nullptr;
  if (sd_bus_open_system(&bus) < 0) {
    return -1;
  }
  sd_bus_set_method_call_timeout(bus, kLogindAnswerLimit);
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  int descriptor = -1;
  if (sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                         "org.freedesktop.login1.Manager", "Inhibit", &error, &reply, "ssss",
                         "sleep:idle", "Pelorin", "Incoming call", "block") >= 0) {
    int received = -1;
    if (sd_bus_message_read(reply, "h", &received) >= 0) {
      descriptor = fcntl(received, F_DUPFD_CLOEXEC, 3);  // the message's own closes with it
    }
  }
  sd_bus_message_unref(reply);
  sd_bus_error_free(&error);
  sd_bus_flush_close_unref(bus);
  return descriptor;
}

void HoldSleepLock() {
  SleepLock& lock = Lock();
  std::lock_guard guard(lock.mutex);
  lock.wanted = true;
  if (lock.asking || lock.descriptor >= 0) {
    return;
  }
  lock.asking = true;
  std::thread([&lock] {
    const int descriptor = AskLogind();
    std::lock_guard answered(lock.mutex);
    lock.asking = false;
    if (lock.wanted) {
      lock.descriptor = descriptor;
    } else if (descriptor >= 0) {
      close(descriptor);  // let go of before logind answered
    }
  }).detach();
}

void ReleaseSleepLock() {
  SleepLock& lock = Lock();
  std::lock_guard guard(lock.mutex);
  lock.wanted = false;
  if (lock.descriptor >= 0) {
    close(lock.descriptor);
    lock.descriptor = -1;
  }
}

}  // namespace

void SetPowerPolicyService(PowerPolicyService replacement) {
  std::lock_guard lock(policyMutex);
  policyService = std::move(replacement);
}

BOOL PowerPolicyNotify(unsigned long message, unsigned long data) {
  {
    std::lock_guard lock(policyMutex);
    if (policyService) {
      policyService(message, data);
      return 1;
    }
  }
  if (message != PPN_UNATTENDEDMODE) {
    return 0;
  }
  if (data != 0) {
    HoldSleepLock();
  } else {
    ReleaseSleepLock();
  }
  return 1;
}

void SetPowerRequirementService(PowerRequirementService replacement) {
  std::lock_guard lock(serviceMutex);
  service = std::move(replacement);
}

HANDLE SetPowerRequirement(const std::u16string& device, CEDEVICE_POWER_STATE state,
                           unsigned long /*flags*/, const void* /*systemState*/,
                           unsigned long /*stateFlags*/) {
  {
    std::lock_guard lock(serviceMutex);
    if (service) {
      return service(device, state);
    }
  }
  // Only the backlight at full power means anything on a desktop.
  if (device != u"BKL1:" || state != D0) {
    return nullptr;
  }
  return InhibitScreenSaver();
}
