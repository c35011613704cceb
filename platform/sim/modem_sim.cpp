#include "platform/sim/modem_sim.h"

#include <dirent.h>

#include <string_view>

namespace {

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

}  // namespace

// A desktop build carries no reader for a modem's SIM: on a Linux phone the modem belongs to
// ModemManager or oFono, reached over D-Bus, and sending AT commands to a serial port that may
// not even be a modem is not safe. A phone build plugs its reader in here (the phone book
// through ModemManager's SIM interface, or AT+CPBS="SM" / AT+CPBR on a port it owns); until
// then a machine with a modem reports SIM_E_NOBACKEND and one without reports SIM_E_NOSIM, and
// the caller picker shows no SIM rows either way.
std::unique_ptr<SimCard> OpenModemSimCard(int* failure) {
  *failure = HasModemDevice() ? SIM_E_NOBACKEND : SIM_E_NOSIM;
  return nullptr;
}
