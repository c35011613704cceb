// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "screens/ringtone_browser.h"

#include <cwctype>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/find_file.h"
#include "resources/resource_ids.h"
#include "toolkit/process_state.h"
#include "toolkit/screen_toolkit.h"

namespace {

constexpr char16_t kFileNameCaption[] = u"FileName";
constexpr char16_t kSeparator = u'/';
constexpr char16_t kRoot[] = u"/";
constexpr char16_t kEveryEntry[] = u"*.*";
constexpr char16_t kUpRowText[] = u"..";
constexpr int kRingtoneImage = 0;
constexpr int kDirectoryImage = 1;

bool IsBelowRoot() {
  return State().browseDirectory.size() > 1;
}

void AddRow(HWND list, std::u16string_view name, int image) {
  State().shownRingtoneNames.emplace_back(name);
  SetListCell(list, State().shownRingtoneNames.back().c_str(), 0, image);
}

// MP3 or WAV after the last dot, in any letter case. A name without a dot is no ringtone.
bool IsRingtoneName(std::u16string_view name) {
  const std::size_t dot = name.rfind(u'.');
  if (dot == std::u16string_view::npos) {
    return false;
  }
  std::u16string extension(name.substr(dot + 1));
  for (char16_t& character : extension) {
    character = static_cast<char16_t>(std::towupper(static_cast<std::wint_t>(character)));
  }
  return extension == u"MP3" || extension == u"WAV";
}

void AddEntryRow(HWND list, const WIN32_FIND_DATAW& entry) {
  if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    AddRow(list, entry.cFileName, kDirectoryImage);
  } else if (IsRingtoneName(entry.cFileName)) {
    AddRow(list, entry.cFileName, kRingtoneImage);
  }
}

void CreateFileList(HWND screen) {
  State().ringtoneList = CreateOneColumnList(screen, kFileNameCaption, {IDI_MUSIC, IDI_FOLDER});
}

// The selected row with its full name as text (a row shows at most 255 characters of it);
// false when no row carries the selection.
bool ReadSelectedEntry(ListRow* entry) {
  if (!ReadSelectedRow(State().ringtoneList, entry)) {
    return false;
  }
  const auto& names = State().shownRingtoneNames;
  if (entry->index < 0 || static_cast<std::size_t>(entry->index) >= names.size()) {
    return false;
  }
  entry->text = names[static_cast<std::size_t>(entry->index)];
  return true;
}

void EnterDirectory(const std::u16string& name) {
  State().browseDirectory += name;
  RingtoneBrowser::FillDirectoryList();
}

void PickRow(HWND screen, const std::u16string& name) {
  State().chosenRingtonePath = State().browseDirectory + name;
  EndDialog(screen, 0);
}

// The action key: a file is picked, the up row goes up, a directory is entered.
void ActOnSelectedRow(HWND screen) {
  ListRow entry;
  if (!ReadSelectedEntry(&entry)) {
    return;
  }
  if (entry.image == kRingtoneImage) {
    PickRow(screen, entry.text);
  } else if (entry.index == 0 && IsBelowRoot()) {
    RingtoneBrowser::GoUpOneLevel();
  } else {
    EnterDirectory(entry.text);
  }
}

// "Select" picks whatever row is selected: a directory gives its path, the up row the browse
// directory followed by "..".
void SelectRow(HWND screen) {
  ListRow entry;
  if (ReadSelectedEntry(&entry)) {
    PickRow(screen, entry.text);
  }
}

// Back goes up one level; at the root it does nothing, and it never ends the screen.
void GoBack() {
  if (IsBelowRoot()) {
    RingtoneBrowser::GoUpOneLevel();
  }
}

void InitRingtoneBrowser(HWND screen) {
  InitScreenWithBar(screen, IDR_RINGTONE_BROWSER_BAR);
  CreateFileList(screen);
  RingtoneBrowser::FillDirectoryList();
}

INT_PTR RingtoneBrowserProcedure(HWND screen, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitRingtoneBrowser(screen);
      return TRUE;
    case WM_ACTIVATE:
      return FocusWhenActivated(wParam, State().ringtoneList);
    case WM_SIZE:
      return CoverClientWithList(lParam, State().ringtoneList);
    case WM_COMMAND:
      switch (wParam) {
        case IDOK:
          ActOnSelectedRow(screen);
          break;
        case IDCANCEL:
          GoBack();
          break;
        case IDM_SELECT:
          SelectRow(screen);
          break;
        case IDM_RINGTONE_BROWSER_CANCEL:
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

RingtoneBrowser::RingtoneBrowser() {
  State().browseDirectory = kRoot;
}

RingtoneBrowser::~RingtoneBrowser() = default;

int RingtoneBrowser::Run() {
  return static_cast<int>(RunModalScreen(IDD_RINGTONE_BROWSER, RingtoneBrowserProcedure));
}

void RingtoneBrowser::FillDirectoryList() {
  std::u16string& directory = State().browseDirectory;
  HWND list = State().ringtoneList;
  State().shownRingtoneNames.clear();
  if (list == nullptr) {
    // Nothing to show; the directory still takes its final separator, as after any listing.
    if (IsBelowRoot() && directory.back() != kSeparator) {
      directory += kSeparator;
    }
    return;
  }
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  if (IsBelowRoot()) {
    if (directory.back() != kSeparator) {
      directory += kSeparator;
    }
    AddRow(list, kUpRowText, kDirectoryImage);
  }
  const std::u16string pattern = directory + kEveryEntry;
  WIN32_FIND_DATAW entry{};
  HANDLE find = FindFirstFileW(pattern, &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      AddEntryRow(list, entry);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  SelectListRow(list, 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

void RingtoneBrowser::GoUpOneLevel() {
  std::u16string& directory = State().browseDirectory;
  // The last separator before the final one: its position cuts the directory to its parent.
  const std::size_t found = directory.size() >= 2
                                ? directory.rfind(kSeparator, directory.size() - 2)
                                : std::u16string::npos;
  if (found != std::u16string::npos && found >= 1) {
    directory.resize(found);
  } else {
    directory = kRoot;
  }
  FillDirectoryList();
}
