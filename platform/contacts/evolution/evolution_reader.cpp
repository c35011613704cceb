// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Evolution Data Server's address books read through libebook, for the caller picker.
#include "platform/contacts/evolution_reader.h"

#include <libebook/libebook.h>

#include <string>
#include <vector>

namespace {

using Books = std::vector<std::vector<std::string>>;

std::vector<std::string> ReadBook(ESource* source, GCancellable* cancellable) {
  std::vector<std::string> cards;
  // (guint32) -1: do not wait for a remote book to go online; what the server holds will do.
  EClient* client =
      e_book_client_connect_sync(source, static_cast<guint32>(-1), cancellable, nullptr);
  if (client == nullptr) return cards;
  EBookQuery* everyone = e_book_query_any_field_contains("");
  gchar* query = e_book_query_to_string(everyone);
  GSList* contacts = nullptr;
  if (e_book_client_get_contacts_sync(E_BOOK_CLIENT(client), query, &contacts, cancellable,
                                      nullptr)) {
    // Through the card's text, so that every source's names follow the same vCard rules.
    for (GSList* item = contacts; item != nullptr; item = item->next) {
      gchar* text = e_vcard_to_string(E_VCARD(item->data), EVC_FORMAT_VCARD_30);
      cards.emplace_back(text != nullptr ? text : "");
      g_free(text);
    }
  }
  g_slist_free_full(contacts, g_object_unref);
  g_free(query);
  e_book_query_unref(everyone);
  g_object_unref(client);
  return cards;
}

// Runs on a thread of its own with a main context of its own, so that nothing of it is
// dispatched by the screen's event loop.
void ReadBooks(void* token, Books* books) {
  auto* cancellable = static_cast<GCancellable*>(token);
  GMainContext* context = g_main_context_new();
  g_main_context_push_thread_default(context);
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, cancellable, nullptr);
  if (bus != nullptr) {
    // The connection is shared with libebook; losing the bus must not end the program.
    g_dbus_connection_set_exit_on_close(bus, FALSE);
    ESourceRegistry* registry = e_source_registry_new_sync(cancellable, nullptr);
    if (registry != nullptr) {
      GList* sources = e_source_registry_list_enabled(registry, E_SOURCE_EXTENSION_ADDRESS_BOOK);
      for (GList* item = sources; item != nullptr; item = item->next) {
        books->push_back(ReadBook(E_SOURCE(item->data), cancellable));
      }
      g_list_free_full(sources, g_object_unref);
      g_object_unref(registry);
    }
    g_object_unref(bus);
  }
  g_main_context_pop_thread_default(context);
  g_main_context_unref(context);
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

}  // namespace

extern "C" __attribute__((visibility("default"))) const EvolutionReader* PelorinEvolutionReader() {
  static const EvolutionReader reader{NewCancellable, Release, Cancel, ReadBooks};
  return &reader;
}
