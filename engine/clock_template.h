#pragma once
// The clock template the program runs with: the standard one built from the
// display settings, or a companion program's own.

#include <string>

#include "platform/platform.h"

namespace kivo {

// The standard template for the stored style ("UserTaste") and display
// settings. A stored value that does not convert raises its RuntimeError.
std::string standardTemplateFromStore(SettingsStore& store);

// A companion program's template ("XXFormat"), empty when missing.
std::string customTemplateFromStore(SettingsStore& store);

}  // namespace kivo
