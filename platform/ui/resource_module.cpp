// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Resource lookup by number in the module an instance handle points at.
#include "platform/ui/resource_module.h"

namespace {

const ResourceModule* ModuleOf(HINSTANCE instance) {
  return static_cast<const ResourceModule*>(instance);
}

template <typename Entry>
const Entry* FindById(std::span<const Entry> entries, int id) {
  for (const Entry& entry : entries) {
    if (entry.id == id) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace

HRSRC FindResourceW(HINSTANCE instance, int id, ResourceType type) {
  const ResourceModule* module = ModuleOf(instance);
  if (module == nullptr) {
    return nullptr;
  }
  switch (type) {
    case ResourceType::kDialog:
      return FindById(module->dialogs, id);
    case ResourceType::kSoftKeyBar:
      return FindById(module->bars, id);
    case ResourceType::kIcon:
      return FindById(module->icons, id);
    case ResourceType::kBitmap:
      return FindById(module->bitmaps, id);
  }
  return nullptr;
}

HGLOBAL LoadResource(HINSTANCE instance, HRSRC resource) {
  return instance != nullptr ? resource : nullptr;
}

const SoftKeyBarResource* FindSoftKeyBar(HINSTANCE instance, int id) {
  return static_cast<const SoftKeyBarResource*>(
      FindResourceW(instance, id, ResourceType::kSoftKeyBar));
}

const ImageResource* FindBitmapDetail(HINSTANCE instance, int id) {
  const ResourceModule* module = ModuleOf(instance);
  return module != nullptr ? FindById(module->bitmapDetails, id) : nullptr;
}

const ImageResource* FindImage(HINSTANCE instance, int id, ResourceType type) {
  if (type != ResourceType::kIcon && type != ResourceType::kBitmap) {
    return nullptr;
  }
  return static_cast<const ImageResource*>(FindResourceW(instance, id, type));
}
