#include "platform/sim/modem_sim.h"

#include <dirent.h>
#include <gio/gio.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/contacts/vcard_reader.h"
#include "platform/system/time_limit.h"

namespace {

// Finding oFono and its modems takes a few messages; a system bus or an oFono that does not
// answer within this is taken as absent.
constexpr std::chrono::milliseconds kFindLimit{1000};
// Reading the SIM's phone book is slow on real modems (one read per record over AT commands),
// so the import gets longer.
constexpr int kImportTimeoutMilliseconds = 3000;

constexpr char kOfono[] = "org.ofono";
constexpr char kPhonebook[] = "org.ofono.Phonebook";

// The control ports a cellular modem shows on Linux: QMI and MBIM devices, the kernel's WWAN
// ports, and USB serial AT ports.
bool HasModemDevice() {
  DIR* devices = opendir("/dev");
  if (devices == nullptr) return false;
  bool found = false;
  while (const dirent* entry = readdir(devices)) {
    const std::string_view name = entry->d_name;
    if (name.starts_with("cdc-wdm") || name.starts_with("wwan") || name.starts_with("ttyUSB")) {
      found = true;
      break;
    }
  }
  closedir(devices);
  return found;
}

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
void FindModems(GCancellable* cancellable, Connection* found) {
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
      G_DBUS_CALL_FLAGS_NONE, static_cast<int>(kFindLimit.count()), cancellable, nullptr);
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
bool ImportPhonebook(const Connection& connection, std::string* cards) {
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

// A SIM entry holds one name: the card's FN, else its name parts as the contacts show them.
// An entry without any name cannot be picked and is left out.
std::vector<std::u16string> EntryNames(const std::string& cards) {
  std::vector<std::u16string> names;
  for (const VCardName& card : ReadVCardNames(cards)) {
    if (!card.formatted.empty()) {
      names.push_back(card.formatted);
    } else if (!card.family.empty() || !card.given.empty()) {
      names.push_back(JoinNameParts(card.family, card.given));
    }
  }
  return names;
}

// oFono hands over the whole phone book at once and without the SIM's own record numbers, so
// the entries are numbered from 1 in the order it gives them.
class ImportedSimCard : public SimCard {
 public:
  explicit ImportedSimCard(std::vector<std::u16string> names) : names_(std::move(names)) {}

  bool GetPhonebookIndexRange(std::uint32_t* lowest, std::uint32_t* highest) override {
    *lowest = 1;
    *highest = static_cast<std::uint32_t>(names_.size());
    return true;
  }

  bool ReadPhonebookEntry(std::uint32_t index, std::u16string* address,
                          std::u16string* text) override {
    if (index < 1 || index > names_.size()) return false;
    address->clear();
    *text = names_[index - 1];
    return true;
  }

 private:
  std::vector<std::u16string> names_;
};

}  // namespace

// oFono is the modem stack on Linux phones that offers the SIM's phone book over D-Bus;
// ModemManager has no such interface, so a phone that runs it shows no SIM entries.
std::unique_ptr<SimCard> OpenModemSimCard(int* failure) {
  auto connection = std::make_shared<Connection>();
  std::shared_ptr<GCancellable> cancellable(g_cancellable_new(), g_object_unref);
  const bool answered = RunWithin(
      kFindLimit, [connection, cancellable] { FindModems(cancellable.get(), connection.get()); },
      [cancellable] { g_cancellable_cancel(cancellable.get()); });
  if (!answered || connection->bus == nullptr) {
    *failure = HasModemDevice() ? SIM_E_NOBACKEND : SIM_E_NOSIM;
    return nullptr;
  }
  std::string cards;
  if (!ImportPhonebook(*connection, &cards)) {
    *failure = SIM_E_NOSIM;
    return nullptr;
  }
  return std::make_unique<ImportedSimCard>(EntryNames(cards));
}
