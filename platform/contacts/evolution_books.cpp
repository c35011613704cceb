#include "platform/contacts/evolution_books.h"

#include <libebook/libebook.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/system/time_limit.h"

namespace {

using Books = std::vector<std::vector<VCardName>>;

// Connecting to the session bus when none is known makes GLib start one through dbus-launch,
// which would outlive the program and hold no address book.
bool SessionBusIsKnown() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address != nullptr && address[0] != '\0') return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || runtime[0] != '/') return false;
  struct stat status {};
  return stat((std::string(runtime) + "/bus").c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}

std::vector<VCardName> ReadBook(ESource* source, GCancellable* cancellable) {
  std::vector<VCardName> cards;
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
      std::vector<VCardName> names = ReadVCardNames(text != nullptr ? text : "");
      cards.insert(cards.end(), names.begin(), names.end());
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
void ReadBooks(GCancellable* cancellable, Books* books) {
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

}  // namespace

std::vector<std::vector<VCardName>> ReadEvolutionAddressBooks(std::chrono::milliseconds limit) {
  if (!SessionBusIsKnown()) return {};
  auto books = std::make_shared<Books>();
  std::shared_ptr<GCancellable> cancellable(g_cancellable_new(), g_object_unref);
  const bool answered = RunWithin(
      limit, [books, cancellable] { ReadBooks(cancellable.get(), books.get()); },
      [cancellable] { g_cancellable_cancel(cancellable.get()); });
  return answered ? *books : Books{};
}
