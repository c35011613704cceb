// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "screens/caller_picker.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/contacts/pocket_outlook.h"
#include "platform/contacts/vcard_reader.h"
#include "platform/sim/sim_manager.h"
#include "platform/ui/collation.h"
#include "resources/resource_ids.h"
#include "toolkit/contact_session.h"
#include "toolkit/process_state.h"
#include "toolkit/screen_toolkit.h"

namespace {

constexpr char16_t kNameCaption[] = u"Name";
constexpr int kContactImage = 0;

void AddNameRow(HWND list, const std::u16string& name) {
  if (list != nullptr) {
    SetListCell(list, name.c_str(), 0, kContactImage);
  }
}

void CreateNameList(HWND screen) {
  State().callerList = CreateOneColumnList(screen, kNameCaption, {IDI_CONTACT});
}

// Both do nothing when the list could not be made.
void SetRedraw(HWND list, BOOL redraw) {
  if (list != nullptr) {
    SendMessageW(list, WM_SETREDRAW, static_cast<WPARAM>(redraw), 0);
  }
}

// The name a contact's row shows: family name, one blank, first name (the one alone when the
// other is empty, so a picked name has no stray blank). A contact without either
// (a card with FN and no N) shows its file-as name instead; one without any name shows nothing.
// A name part that cannot be read counts as empty.
std::u16string ShownName(Contact& contact) {
  std::u16string first;
  std::u16string last;
  if (!contact.get_FirstName(&first)) {
    first.clear();
  }
  if (!contact.get_LastName(&last)) {
    last.clear();
  }
  if (!first.empty() || !last.empty()) {
    return JoinNameParts(last, first);
  }
  std::u16string fileAs;
  if (!contact.get_FileAs(&fileAs)) {
    fileAs.clear();
  }
  return fileAs;
}

// Alphabetical in the user's language, letter case aside, as address books list people.
bool SortsBefore(const std::u16string& first, const std::u16string& second) {
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, first.data(),
                        static_cast<int>(first.size()), second.data(),
                        static_cast<int>(second.size())) == CSTR_LESS_THAN;
}

// One row per contact with a name, sorted by the name it shows. A contact that cannot be fetched
// is passed over.
void FillFromContacts(HWND list) {
  ContactSession* session = State().contactSession.get();
  if (session == nullptr) {
    return;
  }
  std::unique_ptr<ContactFolder> folder = session->GetDefaultFolder(olFolderContacts);
  if (folder == nullptr) {
    return;
  }
  std::unique_ptr<ContactItems> items = folder->get_Items();
  if (items == nullptr) {
    return;
  }
  int count = 0;
  if (!items->get_Count(&count)) {
    count = 0;
  }
  std::vector<std::u16string> names;
  for (int i = 1; i <= count; ++i) {
    std::unique_ptr<Contact> contact = items->Item(i);
    if (contact == nullptr) {
      continue;
    }
    std::u16string name = ShownName(*contact);
    if (!name.empty()) {
      names.push_back(std::move(name));
    }
  }
  std::stable_sort(names.begin(), names.end(), SortsBefore);
  for (const std::u16string& name : names) {
    AddNameRow(list, name);
  }
}

// One row per readable SIM entry, by ascending index over the range the card reports. Redrawing
// stays off from the first read until the screen's initialisation ends.
void FillFromSim(HWND list) {
  HSIM sim = nullptr;
  if (SimInitialize(0, nullptr, 0, &sim) < 0) {
    return;
  }
  SIMCAPS caps{};
  caps.cbSize = sizeof caps;
  if (SimGetDevCaps(sim, SIM_CAPSTYPE_PBINDEXRANGE, &caps) < 0) {
    SimDeinitialize(sim);
    return;
  }
  SetRedraw(list, FALSE);
  // Counted in 64 bits: a range ending at the highest 32-bit index still ends.
  for (std::uint64_t index = caps.dwMinPBIndex; index <= caps.dwMaxPBIndex; ++index) {
    SIMPHONEBOOKENTRY entry;
    std::memset(&entry, 0, sizeof entry);
    if (SimReadPhonebookEntry(sim, SIM_PBSTORAGE_SIM, static_cast<std::uint32_t>(index), &entry) <
        0) {
      continue;
    }
    AddNameRow(list, entry.lpszText);
  }
  SimDeinitialize(sim);
}

void InitCallerPicker(HWND screen) {
  State().contactSession->Open();
  InitScreenWithBar(screen, IDR_CALLER_PICKER_BAR);
  CreateNameList(screen);
  HWND list = State().callerList;
  FillFromContacts(list);
  FillFromSim(list);
  SelectListRow(list, 0);
  SetRedraw(list, TRUE);
}

// The selected row's text becomes the chosen caller name. Without a selection the screen stays.
void PickSelectedName(HWND screen) {
  ListRow row;
  if (!ReadSelectedRow(State().callerList, &row)) {
    return;
  }
  State().chosenCallerName = row.text;
  EndDialog(screen, 0);
}

INT_PTR CallerPickerProcedure(HWND screen, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitCallerPicker(screen);
      return TRUE;
    case WM_ACTIVATE:
      return FocusWhenActivated(wParam, State().callerList);
    case WM_SIZE:
      return CoverClientWithList(lParam, State().callerList);
    case WM_COMMAND:
      switch (wParam) {
        case IDOK:
        case IDM_DONE:
          PickSelectedName(screen);
          break;
        case IDCANCEL:
        case IDM_CALLER_PICKER_CANCEL:
          EndDialog(screen, -1);
          break;
        default:
          break;
      }
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

CallerPicker::CallerPicker() {
  State().contactSession = std::make_unique<ContactSession>();
}

CallerPicker::~CallerPicker() {
  const std::unique_ptr<ContactSession> session = std::move(State().contactSession);
  session->Close();
}

int CallerPicker::Run() {
  return static_cast<int>(RunModalScreen(IDD_CALLER_PICKER, CallerPickerProcedure));
}
