// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program's own resources: what its instance handle points at.
#include "platform/ui/resource_module.h"

const ResourceModule& ProgramResources();
