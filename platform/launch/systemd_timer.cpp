#include "systemd_timer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#include "command.h"
#include "launch_name.h"
#include "launch_time.h"
#include "platform/system/atomic_file.h"
#include "platform/system/home_directory.h"
#include "systemd_units.h"

namespace {

constexpr int kProbeMilliseconds = 2000;
constexpr int kCommandMilliseconds = 15000;

// The manager never reads half a unit, even when it reloads on its own.
bool WriteUnitFile(const std::string& directory, const std::string& name, const std::string& text,
                   std::string* failure) {
  const std::string path = directory + "/" + name;
  std::string reason;
  if (!WriteFileAtomically(path, text, &reason)) {
    *failure = "cannot write " + path + ": " + reason;
    return false;
  }
  return true;
}

bool RunSystemctl(const std::vector<std::string>& arguments, std::string* failure) {
  std::vector<std::string> command = {"systemctl", "--user"};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const CommandResult result = RunCommand(command, kCommandMilliseconds, false);
  if (!Succeeded(result)) {
    *failure = DescribeFailure(command, result);
    return false;
  }
  return true;
}

// The zone the program reads local times in, by the name systemd knows it: TZ, else the zone
// /etc/localtime links to. Empty when it has no such name (a rule written out in TZ, a copied
// /etc/localtime).
std::string ZoneName() {
  std::string zone;
  if (const char* variable = std::getenv("TZ")) {
    zone = variable[0] == '\0' ? "UTC" : variable;  // an empty TZ is universal time
    if (zone.starts_with(':')) {
      zone.erase(0, 1);
    }
  } else {
    std::error_code error;
    zone = std::filesystem::read_symlink("/etc/localtime", error).string();
  }
  if (const std::size_t database = zone.rfind("zoneinfo/"); database != std::string::npos) {
    zone.erase(0, database + 9);
  }
  if (zone.empty() || zone.front() == '/' || zone.find("..") != std::string::npos ||
      zone.find_first_not_of(
          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/_+-") !=
          std::string::npos) {
    return {};
  }
  // systemd takes a zone whose file in the database is a zone file.
  char magic[4] = {};
  const int file = open(("/usr/share/zoneinfo/" + zone).c_str(), O_RDONLY | O_CLOEXEC);
  const bool isZone = file >= 0 && read(file, magic, 4) == 4 && std::memcmp(magic, "TZif", 4) == 0;
  if (file >= 0) {
    close(file);
  }
  return isZone ? zone : std::string();
}

// OnCalendar= without a zone is read in the manager's zone, which need not be the program's.
// A zone without a name is written as the same moment in universal time.
std::string CalendarEvent(const SYSTEMTIME& time) {
  if (const std::string zone = ZoneName(); !zone.empty()) {
    return FormatLaunchTime(time) + " " + zone;
  }
  const std::time_t moment = LocalCalendarToEpoch(time);
  std::tm universal{};
  gmtime_r(&moment, &universal);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &universal);
  return text;
}

bool HasControlCharacter(const std::string& text) {
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte < 0x20 || byte == 0x7f) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string UserUnitDirectory() {
  const char* configuration = std::getenv("XDG_CONFIG_HOME");
  if (configuration && configuration[0] == '/') {
    return std::string(configuration) + "/systemd/user";
  }
  const std::string home = HomeDirectory();
  return home.empty() ? std::string() : home + "/.config/systemd/user";
}

bool UserSystemdAnswers() {
  return Succeeded(
      RunCommand({"systemctl", "--user", "show-environment"}, kProbeMilliseconds, false));
}

bool ArmSystemdTimer(const std::string& executable, const std::string& waiter,
                     const SYSTEMTIME& time, std::string* failure) {
  // systemd refuses control characters in the program it runs, and would then leave the
  // timer armed for a service that cannot start.
  if (HasControlCharacter(waiter)) {
    *failure = "the path of pelorin-waiter holds control characters";
    return false;
  }
  const std::string directory = UserUnitDirectory();
  if (directory.empty()) {
    *failure = "no home directory for the user's systemd units";
    return false;
  }
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error) {
    *failure = "cannot create " + directory + ": " + error.message();
    return false;
  }
  // A user manager without the wake-alarm privilege (most desktops) refuses to start a timer
  // that would wake the machine; it then fires once the machine is awake.
  const std::string event = CalendarEvent(time);
  UnitPair units = ComposeUnits(executable, waiter, event, true);
  if (!WriteUnitFile(directory, units.serviceName, units.serviceText, failure) ||
      !WriteUnitFile(directory, units.timerName, units.timerText, failure) ||
      !RunSystemctl({"daemon-reload"}, failure) ||
      !RunSystemctl({"enable", units.timerName}, failure)) {
    return false;
  }
  if (!RunSystemctl({"restart", units.timerName}, failure)) {
    units = ComposeUnits(executable, waiter, event, false);
    if (!WriteUnitFile(directory, units.timerName, units.timerText, failure) ||
        !RunSystemctl({"daemon-reload"}, failure) ||
        !RunSystemctl({"restart", units.timerName}, failure)) {
      return false;
    }
  }
  // A calendar time already past never elapses; one that passed while arming is due now.
  if (LocalCalendarToEpoch(time) <= std::time(nullptr)) {
    return RunSystemctl({"start", units.serviceName}, failure);
  }
  return true;
}

bool CancelSystemdTimer(const std::string& executable, std::string* failure) {
  const std::string directory = UserUnitDirectory();
  const std::string name = LaunchName(executable);
  const std::string timer = directory + "/" + name + ".timer";
  const std::string service = directory + "/" + name + ".service";
  if (directory.empty() ||
      (access(timer.c_str(), F_OK) != 0 && access(service.c_str(), F_OK) != 0)) {
    return true;
  }
  // A running manager holds the timer armed until told; without one, its files are all there
  // is, the enabling link included.
  std::string ignored;
  const bool managed = RunSystemctl({"disable", "--now", name + ".timer"}, &ignored);
  for (const std::string& path :
       {timer, service, directory + "/timers.target.wants/" + name + ".timer"}) {
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
      *failure = "cannot remove " + path + ": " + std::strerror(errno);
      return false;
    }
  }
  return !managed || RunSystemctl({"daemon-reload"}, failure);
}
