// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "user_manager.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <map>

#include "platform/system/starting_environment.h"

namespace {

constexpr const char* kDestination = "org.freedesktop.systemd1";
constexpr const char* kPath = "/org/freedesktop/systemd1";
constexpr const char* kManager = "org.freedesktop.systemd1.Manager";
// A manager that answers at all answers in milliseconds; the first call doubles as the
// question whether one runs, so it is given less.
constexpr std::uint64_t kProbeMicroseconds = 2'000'000;
constexpr std::uint64_t kCallMicroseconds = 10'000'000;

// One sd-bus message, released when it goes.
class Message {
 public:
  Message() = default;
  ~Message() { sd_bus_message_unref(message_); }
  Message(const Message&) = delete;
  Message& operator=(const Message&) = delete;
  sd_bus_message** out() { return &message_; }
  sd_bus_message* get() const { return message_; }

 private:
  sd_bus_message* message_ = nullptr;
};

class Error {
 public:
  ~Error() { sd_bus_error_free(&error_); }
  sd_bus_error* get() { return &error_; }

 private:
  sd_bus_error error_{};  // SD_BUS_ERROR_NULL, without its C compound literal
};

std::string Describe(const char* method, int code, sd_bus_error* error) {
  const char* reason =
      error != nullptr && error->message != nullptr ? error->message : std::strerror(-code);
  return std::string("the user's systemd manager answered ") + method + " with: " + reason;
}

sd_bus* OpenBus(const std::string& address, bool busClient) {
  sd_bus* bus = nullptr;
  if (sd_bus_new(&bus) < 0) {
    return nullptr;
  }
  if (sd_bus_set_address(bus, address.c_str()) < 0 || sd_bus_set_bus_client(bus, busClient) < 0 ||
      sd_bus_set_method_call_timeout(bus, kCallMicroseconds) < 0 || sd_bus_start(bus) < 0) {
    sd_bus_unref(bus);
    return nullptr;
  }
  return bus;
}

// The user's session bus, as libdbus would find it in the person's environment.
std::string SessionBusAddress() {
  if (const auto address = StartingVariable("DBUS_SESSION_BUS_ADDRESS")) {
    return *address;
  }
  const auto runtime = StartingVariable("XDG_RUNTIME_DIR");
  return runtime && !runtime->empty() ? "unix:path=" + *runtime + "/bus" : std::string();
}

// A method call to the manager that never starts a service on the bus to answer it.
int NewCall(sd_bus* bus, const char* method, Message* message) {
  const int code =
      sd_bus_message_new_method_call(bus, message->out(), kDestination, kPath, kManager, method);
  return code < 0 ? code : sd_bus_message_set_auto_start(message->get(), 0);
}

// The calls that answer with a job's object path.
bool CallForJob(sd_bus* bus, const char* method, Message& call, std::string* job,
                std::string* failure) {
  Error error;
  Message reply;
  int code = sd_bus_call(bus, call.get(), kCallMicroseconds, error.get(), reply.out());
  const char* path = nullptr;
  if (code >= 0) {
    code = sd_bus_message_read(reply.get(), "o", &path);
  }
  if (code < 0) {
    *failure = Describe(method, code, error.get());
    return false;
  }
  *job = path;
  return true;
}

int AppendProperty(sd_bus_message* message, const char* name, const char* type,
                   const std::string& text) {
  return sd_bus_message_append(message, "(sv)", name, type, text.c_str());
}

int AppendStrings(sd_bus_message* message, const std::vector<std::string>& strings) {
  int code = sd_bus_message_open_container(message, 'a', "s");
  for (const std::string& text : strings) {
    if (code >= 0) {
      code = sd_bus_message_append_basic(message, 's', text.c_str());
    }
  }
  return code < 0 ? code : sd_bus_message_close_container(message);
}

// Runs the steps of a message's making in order and stops at the first that fails: its
// code, else the last one's.
int InOrder(std::initializer_list<std::function<int()>> steps) {
  int code = 0;
  for (const std::function<int()>& step : steps) {
    if ((code = step()) < 0) {
      break;
    }
  }
  return code;
}

int CloseContainers(sd_bus_message* message, int count) {
  int code = 0;
  for (int open = 0; open < count && code >= 0; ++open) {
    code = sd_bus_message_close_container(message);
  }
  return code;
}

int AppendTimerProperties(sd_bus_message* message, const TransientLaunch& launch) {
  return InOrder({
      [&] { return sd_bus_message_open_container(message, 'a', "(sv)"); },
      [&] { return AppendProperty(message, "Description", "s", launch.description); },
      [&] {
        return sd_bus_message_append(message, "(sv)", "TimersCalendar", "a(ss)", 1, "OnCalendar",
                                     launch.calendar.c_str());
      },
      // The default accuracy is a minute; a call rings on its second.
      [&] { return sd_bus_message_append(message, "(sv)", "AccuracyUSec", "t", std::uint64_t{1}); },
      // An elapsed timer goes, and its service with it once it has run.
      [&] { return sd_bus_message_append(message, "(sv)", "RemainAfterElapse", "b", 0); },
      [&] {
        return sd_bus_message_append(message, "(sv)", "WakeSystem", "b", launch.wakeSystem ? 1 : 0);
      },
      [&] { return CloseContainers(message, 1); },
  });
}

// The service starts the command and is done; a launch that falls while an earlier call
// still rings starts a second process, and KillMode=process leaves the first alone.
int AppendService(sd_bus_message* message, const TransientLaunch& launch) {
  return InOrder({
      [&] { return sd_bus_message_open_container(message, 'a', "(sa(sv))"); },
      [&] { return sd_bus_message_open_container(message, 'r', "sa(sv)"); },
      [&] { return sd_bus_message_append(message, "s", launch.serviceName.c_str()); },
      [&] { return sd_bus_message_open_container(message, 'a', "(sv)"); },
      [&] { return AppendProperty(message, "Description", "s", launch.description); },
      [&] { return AppendProperty(message, "Type", "s", "oneshot"); },
      [&] { return AppendProperty(message, "KillMode", "s", "process"); },
      // ExecStart, a(sasb): one command, its program, its whole argv, failure not ignored.
      [&] { return sd_bus_message_open_container(message, 'r', "sv"); },
      [&] { return sd_bus_message_append(message, "s", "ExecStart"); },
      [&] { return sd_bus_message_open_container(message, 'v', "a(sasb)"); },
      [&] { return sd_bus_message_open_container(message, 'a', "(sasb)"); },
      [&] { return sd_bus_message_open_container(message, 'r', "sasb"); },
      [&] { return sd_bus_message_append(message, "s", launch.command.front().c_str()); },
      [&] { return AppendStrings(message, launch.command); },
      [&] { return sd_bus_message_append(message, "b", 0); },
      [&] { return CloseContainers(message, 4); },
      [&] { return sd_bus_message_open_container(message, 'r', "sv"); },
      [&] { return sd_bus_message_append(message, "s", "Environment"); },
      [&] { return sd_bus_message_open_container(message, 'v', "as"); },
      [&] { return AppendStrings(message, launch.environment); },
      // The variant, the property, the property array, the unit, the unit array.
      [&] { return CloseContainers(message, 5); },
  });
}

// The start time of a process in clock ticks since boot, field 22 of /proc/<pid>/stat.
std::string ProcessStartTime(pid_t process) {
  std::ifstream file("/proc/" + std::to_string(process) + "/stat");
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // The name in parentheses may hold blanks and parentheses of its own.
  std::size_t position = text.rfind(')');
  if (position == std::string::npos) {
    return {};
  }
  for (int field = 2; field < 22 && position != std::string::npos; ++field) {
    position = text.find(' ', position + 1);
  }
  if (position == std::string::npos) {
    return {};
  }
  return text.substr(position + 1, text.find(' ', position + 1) - position - 1);
}

}  // namespace

// Jobs the manager has reported as finished, by object path, with their results.
struct UserManager::FinishedJobs {
  std::map<std::string, std::string> results;
  sd_bus_slot* match = nullptr;
};

namespace {

int RecordFinishedJob(sd_bus_message* message, void* data, sd_bus_error*) {
  std::uint32_t id = 0;
  const char* job = nullptr;
  const char* unit = nullptr;
  const char* result = nullptr;
  if (sd_bus_message_read(message, "uoss", &id, &job, &unit, &result) >= 0) {
    static_cast<std::map<std::string, std::string>*>(data)->emplace(job, result);
  }
  return 0;
}

}  // namespace

std::unique_ptr<UserManager> UserManager::Connect(std::string* failure) {
  // The manager's own socket needs no session bus; where it is missing (another user's
  // runtime directory, a manager of another kind), the bus carries the calls.
  sd_bus* bus = nullptr;
  bool throughSessionBus = false;
  const auto runtime = StartingVariable("XDG_RUNTIME_DIR");
  if (runtime && !runtime->empty() && runtime->front() == '/') {
    bus = OpenBus("unix:path=" + *runtime + "/systemd/private", false);
  }
  if (bus == nullptr) {
    const std::string address = SessionBusAddress();
    bus = address.empty() ? nullptr : OpenBus(address, true);
    throughSessionBus = true;
  }
  if (bus == nullptr) {
    *failure = "no user systemd manager answers (no private socket, no session bus)";
    return nullptr;
  }
  std::unique_ptr<UserManager> manager(new UserManager(bus, throughSessionBus));
  // Asked before any job is started, so that none finishes unseen.
  if (sd_bus_match_signal_async(
          bus, &manager->finished_->match, throughSessionBus ? kDestination : nullptr, kPath,
          kManager, "JobRemoved", RecordFinishedJob, nullptr, &manager->finished_->results) < 0) {
    *failure = "cannot listen to the user's systemd manager";
    return nullptr;
  }
  Message call;
  Message reply;
  Error error;
  int code = sd_bus_message_new_method_call(bus, call.out(), kDestination, kPath,
                                            "org.freedesktop.DBus.Peer", "Ping");
  if (code >= 0) {
    code = sd_bus_message_set_auto_start(call.get(), 0);
  }
  if (code >= 0) {
    code = sd_bus_call(bus, call.get(), kProbeMicroseconds, error.get(), reply.out());
  }
  if (code < 0) {
    *failure = Describe("Ping", code, error.get());
    return nullptr;
  }
  return manager;
}

UserManager::UserManager(sd_bus* bus, bool throughSessionBus)
    : bus_(bus), throughSessionBus_(throughSessionBus), finished_(new FinishedJobs) {}

UserManager::~UserManager() {
  sd_bus_slot_unref(finished_->match);
  sd_bus_flush_close_unref(bus_);
}

bool UserManager::ListUnits(const std::vector<std::string>& patterns,
                            std::vector<ManagedUnit>* units, std::string* failure) {
  Message call;
  Message reply;
  Error error;
  int code = NewCall(bus_, "ListUnitsByPatterns", &call);
  if (code >= 0) {
    code = AppendStrings(call.get(), {});  // units in any state
  }
  if (code >= 0) {
    code = AppendStrings(call.get(), patterns);
  }
  if (code >= 0) {
    code = sd_bus_call(bus_, call.get(), kCallMicroseconds, error.get(), reply.out());
  }
  if (code >= 0) {
    code = sd_bus_message_enter_container(reply.get(), 'a', "(ssssssouso)");
  }
  units->clear();
  while (code >= 0) {
    const char* name = nullptr;
    const char* active = nullptr;
    code = sd_bus_message_read(reply.get(), "(ssssssouso)", &name, nullptr, nullptr, &active,
                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (code <= 0) {
      break;
    }
    units->push_back({name, active});
  }
  if (code < 0) {
    *failure = Describe("ListUnitsByPatterns", code, error.get());
    return false;
  }
  return true;
}

bool UserManager::StartTransientTimer(const TransientLaunch& launch, std::string* result,
                                      std::string* failure) {
  Message call;
  int code = NewCall(bus_, "StartTransientUnit", &call);
  if (code >= 0) {
    code = sd_bus_message_append(call.get(), "ss", launch.timerName.c_str(), "fail");
  }
  if (code >= 0) {
    code = AppendTimerProperties(call.get(), launch);
  }
  if (code >= 0) {
    code = AppendService(call.get(), launch);
  }
  if (code < 0) {
    *failure = Describe("StartTransientUnit", code, nullptr);
    return false;
  }
  std::string job;
  return CallForJob(bus_, "StartTransientUnit", call, &job, failure) &&
         WaitForJob(job, result, failure);
}

bool UserManager::StartUnit(const std::string& name, std::string* failure) {
  return RunJob("StartUnit", name, failure);
}

bool UserManager::StopUnit(const std::string& name, std::string* failure) {
  return RunJob("StopUnit", name, failure);
}

bool UserManager::RunJob(const char* method, const std::string& name, std::string* failure) {
  Message call;
  int code = NewCall(bus_, method, &call);
  if (code >= 0) {
    code = sd_bus_message_append(call.get(), "ss", name.c_str(), "replace");
  }
  if (code < 0) {
    *failure = Describe(method, code, nullptr);
    return false;
  }
  std::string job;
  std::string result;
  if (!CallForJob(bus_, method, call, &job, failure) || !WaitForJob(job, &result, failure)) {
    return false;
  }
  if (result != "done") {
    *failure = std::string("the user's systemd manager could not do ") + method + " of " + name +
               " (" + result + ")";
    return false;
  }
  return true;
}

bool UserManager::ResetFailedUnit(const std::string& name, std::string* failure) {
  Error error;
  const int code = sd_bus_call_method(bus_, kDestination, kPath, kManager, "ResetFailedUnit",
                                      error.get(), nullptr, "s", name.c_str());
  if (code < 0) {
    *failure = Describe("ResetFailedUnit", code, error.get());
    return false;
  }
  return true;
}

bool UserManager::EnableUnitFile(const std::string& path, std::string* failure) {
  Error error;
  // Not for this run only (runtime false), and over a link left by an earlier install.
  const int code = sd_bus_call_method(bus_, kDestination, kPath, kManager, "EnableUnitFiles",
                                      error.get(), nullptr, "asbb", 1, path.c_str(), 0, 1);
  if (code < 0) {
    *failure = Describe("EnableUnitFiles", code, error.get());
    return false;
  }
  return true;
}

std::string UserManager::Identity() {
  sd_bus_creds* credentials = nullptr;
  const int code = throughSessionBus_
                       ? sd_bus_get_name_creds(bus_, kDestination, SD_BUS_CREDS_PID, &credentials)
                       : sd_bus_get_owner_creds(bus_, SD_BUS_CREDS_PID, &credentials);
  pid_t process = 0;
  const bool known = code >= 0 && sd_bus_creds_get_pid(credentials, &process) >= 0;
  sd_bus_creds_unref(credentials);
  const std::string started = known ? ProcessStartTime(process) : std::string();
  return started.empty() ? std::string() : std::to_string(process) + " " + started;
}

bool UserManager::WaitForJob(const std::string& job, std::string* result, std::string* failure) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::microseconds(kCallMicroseconds);
  for (;;) {
    if (const auto found = finished_->results.find(job); found != finished_->results.end()) {
      *result = found->second;
      finished_->results.erase(found);
      return true;
    }
    const int code = sd_bus_process(bus_, nullptr);
    if (code < 0) {
      *failure = Describe("a job", code, nullptr);
      return false;
    }
    if (code > 0) {
      continue;
    }
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      *failure = "the user's systemd manager did not finish its job in time";
      return false;
    }
    if (const int waited = sd_bus_wait(bus_, static_cast<std::uint64_t>(left.count()));
        waited < 0 && waited != -EINTR) {
      *failure = Describe("a job", waited, nullptr);
      return false;
    }
  }
}
