// The clock template from the store.
#include "engine/clock_template.h"

#include "clocktext/standard_template.h"
#include "settings/clock_face.h"
#include "settings/layout.h"

namespace kivo {

std::string standardTemplateFromStore(SettingsStore& store) {
  const std::uint8_t style = readByte(store, keys::UserTaste);
  return standardClockTemplate(readClockFace(store, style));
}

std::string customTemplateFromStore(SettingsStore& store) {
  return readText(store, keys::XXFormat);
}

}  // namespace kivo
