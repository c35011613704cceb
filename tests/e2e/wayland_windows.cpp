// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Lists the windows a wlroots compositor (phoc, sway) shows, one line each in the order they
// were mapped: "* " before the one that has the keyboard focus, then its title. The Wayland
// counterpart of `xdotool search` for the tests: it asks the compositor through the
// wlr-foreign-toplevel-management protocol, as a phone's task switcher does. Exits 2 when the
// compositor does not offer that protocol, 1 when it cannot be reached.
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <list>
#include <string>

namespace {

// The protocol's two interfaces at version 1, as far as a listener needs them: this tool only
// receives events (it sends no request), so only the events are described, in their order.
extern const wl_interface kWindowInterface;
const wl_interface* kNewWindowTypes[] = {&kWindowInterface};
const wl_interface* kNoTypes[] = {nullptr};
const wl_message kManagerEvents[] = {{"toplevel", "n", kNewWindowTypes},
                                     {"finished", "", kNoTypes}};
const wl_interface kManagerInterface = {
    "zwlr_foreign_toplevel_manager_v1", 1, 0, nullptr, 2, kManagerEvents};
const wl_message kWindowEvents[] = {
    {"title", "s", kNoTypes},        {"app_id", "s", kNoTypes}, {"output_enter", "o", kNoTypes},
    {"output_leave", "o", kNoTypes}, {"state", "a", kNoTypes},  {"done", "", kNoTypes},
    {"closed", "", kNoTypes}};
const wl_interface kWindowInterface = {
    "zwlr_foreign_toplevel_handle_v1", 1, 0, nullptr, 7, kWindowEvents};
constexpr std::uint32_t kActivatedState = 2;

struct Window {
  wl_proxy* handle = nullptr;
  std::string title;
  bool focused = false;
  bool closed = false;
};

struct WindowListener {
  void (*title)(void*, wl_proxy*, const char*);
  void (*appId)(void*, wl_proxy*, const char*);
  void (*outputEnter)(void*, wl_proxy*, wl_proxy*);
  void (*outputLeave)(void*, wl_proxy*, wl_proxy*);
  void (*state)(void*, wl_proxy*, wl_array*);
  void (*done)(void*, wl_proxy*);
  void (*closed)(void*, wl_proxy*);
};

const WindowListener kWindowListener = {
    [](void* data, wl_proxy*, const char* title) { static_cast<Window*>(data)->title = title; },
    [](void*, wl_proxy*, const char*) {},
    [](void*, wl_proxy*, wl_proxy*) {},
    [](void*, wl_proxy*, wl_proxy*) {},
    [](void* data, wl_proxy*, wl_array* states) {
      auto* window = static_cast<Window*>(data);
      window->focused = false;
      const auto* state = static_cast<const std::uint32_t*>(states->data);
      for (std::size_t i = 0; i < states->size / sizeof *state; ++i) {
        window->focused = window->focused || state[i] == kActivatedState;
      }
    },
    [](void*, wl_proxy*) {},
    [](void* data, wl_proxy*) { static_cast<Window*>(data)->closed = true; }};

struct ManagerListener {
  void (*window)(void*, wl_proxy*, wl_proxy*);
  void (*finished)(void*, wl_proxy*);
};

const ManagerListener kManagerListener = {
    [](void* data, wl_proxy*, wl_proxy* handle) {
      auto* windows = static_cast<std::list<Window>*>(data);
      windows->emplace_back().handle = handle;
      wl_proxy_add_listener(
          handle, reinterpret_cast<void (**)(void)>(const_cast<WindowListener*>(&kWindowListener)),
          &windows->back());
    },
    [](void*, wl_proxy*) {}};

struct Globals {
  wl_registry* registry = nullptr;
  wl_proxy* manager = nullptr;
  std::list<Window> windows;
};

const wl_registry_listener kRegistryListener = {
    [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
       std::uint32_t) {
      auto* globals = static_cast<Globals*>(data);
      if (std::strcmp(interface, kManagerInterface.name) == 0 && globals->manager == nullptr) {
        globals->manager =
            static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kManagerInterface, 1));
        wl_proxy_add_listener(
            globals->manager,
            reinterpret_cast<void (**)(void)>(const_cast<ManagerListener*>(&kManagerListener)),
            &globals->windows);
      }
    },
    [](void*, wl_registry*, std::uint32_t) {}};

}  // namespace

int main() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "wayland_windows: no Wayland display to connect to\n");
    return 1;
  }
  Globals globals;
  globals.registry = wl_display_get_registry(display);
  wl_registry_add_listener(globals.registry, &kRegistryListener, &globals);
  // The globals, then the windows the manager announces, then each window's title and state.
  for (int round = 0; round < 3; ++round) {
    wl_display_roundtrip(display);
  }
  const bool listed = globals.manager != nullptr;
  if (!listed) {
    std::fprintf(stderr, "wayland_windows: the compositor lists no windows\n");
  }
  for (const Window& window : globals.windows) {
    if (!window.closed) {
      std::printf("%s%s\n", window.focused ? "* " : "  ", window.title.c_str());
    }
    wl_proxy_destroy(window.handle);
  }
  if (listed) {
    wl_proxy_destroy(globals.manager);
  }
  wl_registry_destroy(globals.registry);
  wl_display_disconnect(display);
  return listed ? 0 : 2;
}
