// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Adds people to Evolution Data Server's personal address book on the session bus through
// libebook, as GNOME Contacts does: each argument is one vCard. Waits for the data server's
// registry and address book factory to be on the bus first, then prints "added N" and ends; a
// failure is one line on stderr and exit code 1.
#include <libebook/libebook.h>

#include <cstdio>

namespace {

bool Fail(const char* what, GError* error) {
  std::fprintf(stderr, "evolution_contacts: %s: %s\n", what,
               error != nullptr ? error->message : "failed");
  g_clear_error(&error);
  return false;
}

bool HasOwner(GDBusConnection* bus, const char* name) {
  GVariant* reply = g_dbus_connection_call_sync(
      bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
      g_variant_new("(s)", name), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
      nullptr);
  gboolean owned = FALSE;
  if (reply != nullptr) {
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
  }
  return owned;
}

// The services were started as programs, not by the bus, and take a moment to take their names.
bool WaitForDataServer() {
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (bus == nullptr) return Fail("session bus", error);
  bool ready = false;
  for (int attempt = 0; attempt < 200 && !ready; ++attempt) {
    ready = HasOwner(bus, "org.gnome.evolution.dataserver.Sources5") &&
            HasOwner(bus, "org.gnome.evolution.dataserver.AddressBook10");
    if (!ready) g_usleep(100000);
  }
  g_object_unref(bus);
  return ready || Fail("data server", nullptr);
}

bool AddPeople(int count, char** cards) {
  GError* error = nullptr;
  ESourceRegistry* registry = e_source_registry_new_sync(nullptr, &error);
  if (registry == nullptr) return Fail("registry", error);
  ESource* book = e_source_registry_ref_builtin_address_book(registry);
  EClient* client = e_book_client_connect_sync(book, static_cast<guint32>(-1), nullptr, &error);
  bool added = client != nullptr || Fail("address book", error);
  for (int i = 0; added && i < count; ++i) {
    EContact* contact = e_contact_new_from_vcard(cards[i]);
    added = e_book_client_add_contact_sync(E_BOOK_CLIENT(client), contact,
                                           E_BOOK_OPERATION_FLAG_NONE, nullptr, nullptr, &error) ||
            Fail("adding a card", error);
    g_object_unref(contact);
  }
  if (client != nullptr) g_object_unref(client);
  g_object_unref(book);
  g_object_unref(registry);
  return added;
}

}  // namespace

int main(int argc, char** argv) {
  if (!WaitForDataServer() || !AddPeople(argc - 1, argv + 1)) return 1;
  std::printf("added %d\n", argc - 1);
  return 0;
}
