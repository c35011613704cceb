#include "power.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <mutex>

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
