#include "alert_defaults.h"

#include <cstring>

namespace nuntio {

uint8_t AlertDefaultFromText(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    // Only the low byte is kept, so the digits are summed modulo 256.
    uint8_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = static_cast<uint8_t>(value * 10 + (text[i] - '0'));
    return negative ? static_cast<uint8_t>(-value) : value;
}

AlertProperty AlertDefaultsFromValues(const AlertDefaultValues& values) {
    uint8_t bytes[sizeof(AlertProperty)] = {};
    for (size_t i = 0; i < values.size(); ++i)
        bytes[i] = AlertDefaultFromText(values[i]);
    AlertProperty prop;
    std::memcpy(&prop, bytes, sizeof prop);
    return prop;
}

AlertDefaultValues ValuesOfAlertDefaults(const AlertProperty& prop) {
    uint8_t bytes[sizeof(AlertProperty)];
    std::memcpy(bytes, &prop, sizeof bytes);
    AlertDefaultValues values;
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = std::to_string(bytes[i]);
    return values;
}

} // namespace nuntio
