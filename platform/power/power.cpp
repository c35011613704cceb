#include "power.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <mutex>

namespace {

std::mutex serviceMutex;
PowerRequirementService service;

// One cookie per process: the inhibit lasts while the bus connection does, that is until exit.
unsigned inhibitCookie = 0;

HANDLE InhibitScreenSaver() {
  if (inhibitCookie != 0) {
    return &inhibitCookie;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    return nullptr;
  }
  QDBusInterface screenSaver("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                             "org.freedesktop.ScreenSaver", bus);
  if (!screenSaver.isValid()) {
    return nullptr;
  }
  QDBusReply<unsigned> reply =
      screenSaver.call("Inhibit", QStringLiteral("Pelorin"), QStringLiteral("Incoming call"));
  if (!reply.isValid()) {
    return nullptr;
  }
  inhibitCookie = reply.value();
  return &inhibitCookie;
}

}  // namespace

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
