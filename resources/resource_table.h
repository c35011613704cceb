#pragma once
// The program's own resources: what its instance handle points at.
#include "platform/ui/resource_module.h"

const ResourceModule& ProgramResources();
