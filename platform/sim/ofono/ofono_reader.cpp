// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// oFono's modems and the SIM phone book they export, over the system bus through GIO.
#include "platform/sim/ofono_reader.h"

#include <gio/gio.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

// Reading the SIM's phone book is slow on real modems (one read per record over AT commands),
// so the import gets longer than finding the modems.
constexpr int kImportTimeoutMilliseconds = 3000;

constexpr char kOfono[] = "org.ofono";
constexpr char kPhonebook[] = "org.ofono.Phonebook";

struct Connection {
  ~Connection() {
    if (bus != nullptr) {
      g_dbus_connection_close_sync(bus, nullptr, nullptr);
      g_object_unref(bus);
    }
  }
  GDBusConnection* bus = nullptr;
  std::vector<std::string> modems;  // those offering a phone book, in oFono's order
};

bool OffersPhonebook(GVariant* properties) {
  GVariant* interfaces = g_variant_lookup_value(properties, "Interfaces", G_VARIANT_TYPE("as"));
  if (interfaces == nullptr) return false;
  bool offered = false;
  GVariantIter iterator;
  g_variant_iter_init(&iterator, interfaces);
  const gchar* name = nullptr;
  while (!offered && g_variant_iter_next(&iterator, "&s", &name)) {
    offered = std::string_view(name) == kPhonebook;
  }
  g_variant_unref(interfaces);
  return offered;
}

// A connection of its own to the system bus (the bus's shared one would outlive the reading),
// and oFono's modems that offer a phone book. The connection stays empty when there is no bus
// or oFono is not on it.
void FindModems(void* token, int limitMilliseconds, void* result) {
  auto* cancellable = static_cast<GCancellable*>(token);
  auto* found = static_cast<Connection*>(result);
  gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, cancellable, nullptr);
  if (address == nullptr) return;
  GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
      address,
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, cancellable, nullptr);
  g_free(address);
  if (bus == nullptr) return;
  GVariant* reply = g_dbus_connection_call_sync(
      bus, kOfono, "/", "org.ofono.Manager", "GetModems", nullptr, G_VARIANT_TYPE("(a(oa{sv}))"),
      G_DBUS_CALL_FLAGS_NONE, limitMilliseconds, cancellable, nullptr);
  if (reply == nullptr) {
    g_object_unref(bus);
    return;
  }
  found->bus = bus;
  GVariantIter* modems = nullptr;
  g_variant_get(reply, "(a(oa{sv}))", &modems);
  const gchar* path = nullptr;
  GVariant* properties = nullptr;
  while (g_variant_iter_next(modems, "(&o@a{sv})", &path, &properties)) {
    if (OffersPhonebook(properties)) found->modems.emplace_back(path);
    g_variant_unref(properties);
  }
  g_variant_iter_free(modems);
  g_variant_unref(reply);
}

// The SIM's phone book as oFono exports it: vCard text, one card per entry. Empty when no
// modem gives it.
bool ImportPhonebook(const void* modems, std::string* cards) {
  const auto& connection = *static_cast<const Connection*>(modems);
  for (const std::string& modem : connection.modems) {
    GVariant* reply = g_dbus_connection_call_sync(
        connection.bus, kOfono, modem.c_str(), kPhonebook, "Import", nullptr, G_VARIANT_TYPE("(s)"),
        G_DBUS_CALL_FLAGS_NONE, kImportTimeoutMilliseconds, nullptr, nullptr);
    if (reply == nullptr) continue;
    const gchar* text = nullptr;
    g_variant_get(reply, "(&s)", &text);
    *cards = text;
    g_variant_unref(reply);
    return true;
  }
  return false;
}

void* NewCancellable() {
  return g_cancellable_new();
}

void Release(void* cancellable) {
  g_object_unref(cancellable);
}

void Cancel(void* cancellable) {
  g_cancellable_cancel(static_cast<GCancellable*>(cancellable));
}

void* NewModems() {
  return new Connection;
}

void ReleaseModems(void* modems) {
  delete static_cast<Connection*>(modems);
}

bool Connected(const void* modems) {
  return static_cast<const Connection*>(modems)->bus != nullptr;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const OfonoReader* PelorinOfonoReader() {
  static const OfonoReader reader{NewCancellable, Release,    Cancel,    NewModems,
                                  ReleaseModems,  FindModems, Connected, ImportPhonebook};
  return &reader;
}
