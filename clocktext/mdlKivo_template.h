#pragma once
// The standard clock template built from the stored display settings.

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace kivo {

// Reads "24h", "ShowSecond", "ShowYear", "ShowDate" and "ShowDay" now and
// builds the template for the given style. No trap: conversion errors travel
// to the caller.
std::string MakeClockTemplate(SettingsStore& store, std::uint8_t userTaste);

}  // namespace kivo
