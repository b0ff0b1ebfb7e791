#pragma once
// The engine state: the program's module-level variables, in their declared
// order, as one record owned by the program object.

#include <array>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace kivo {

struct PlugInFlagsRecord {
  std::uint8_t Vudadiz = 0;
  std::uint8_t KivoTT = 0;
  std::uint8_t KivoXX = 0;
};

struct EngineState {
  std::string strOrgCap;      // the foreground window's own title
  std::string strLastCap;     // its caption as the engine left it last tick
  std::string strNowCap;      // caption read this tick; after composing, written
  std::string strClock;       // clock text of this tick
  std::uint8_t bytWListCount = 0;
  std::uint8_t bExcludedWnd = 0;
  std::string strLastClock;   // clock text last written into a caption
  Hwnd hActiveWnd = 0;
  std::uint8_t bEqualSeparate = 0;
  std::uint8_t bClockRight = 0;
  std::int16_t intCheckInterval = 0;
  std::uint8_t bAlarm = 0;
  std::string strAlarmMessage;
  std::string strAlarmTime;
  std::array<std::string, 3> strWindowList;
  std::string strClockTemplate;
  PlugInFlagsRecord PlugInFlags;
};

}  // namespace kivo
