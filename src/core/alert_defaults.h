// The per-user default alert flags as AlertCentre.ini keeps them: one key per
// flag in section ALERTPROPERTY, each value a decimal number. The module reads
// and writes the file; this is what the values mean.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "nuntio.h"

namespace nuntio {

inline constexpr const char* kAlertDefaultsSection = "ALERTPROPERTY";

// The keys of the ten flags, in byte order. "AlertStaus" is the stored
// spelling and must stay so.
inline constexpr std::array<const char*, 10> kAlertDefaultKeys = {
    "AlertStaus", "Sound", "VoiceOnce", "Visual",    "IconFlash",
    "Popup",      "Email", "ShortMsg",  "Reserved1", "Reserved2"};

using AlertDefaultValues = std::array<std::string, 10>;

// A stored value as a flag: the low byte of the decimal number it starts with
// (after blanks, with an optional sign); a value without one, or a missing
// one, is 0.
uint8_t AlertDefaultFromText(const std::string& text);

// The flags from the values of the ten keys, and the values to store for them.
AlertProperty AlertDefaultsFromValues(const AlertDefaultValues& values);
AlertDefaultValues ValuesOfAlertDefaults(const AlertProperty& prop);

} // namespace nuntio
