// The default alert flags in AlertCentre.ini: what a stored value reads as,
// and the values written for every byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "alert_defaults.h"

using namespace nuntio;

TEST(AlertDefaults, AValueReadsAsTheLowByteOfTheNumberItStartsWith) {
    const std::pair<const char*, int> cases[] = {
        {"0", 0},    {"1", 1},   {"255", 255}, {"256", 0},   {"300", 44},          {"-1", 255},
        {"-256", 0}, {"+9", 9},  {" 2", 2},    {"\t12", 12}, {"7abc", 7},          {"abc", 0},
        {"", 0},     {"- 3", 0}, {"2 5", 2},   {"0x10", 0},  {"99999999999", 255},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(AlertDefaultFromText(text), value) << '"' << text << '"';
}

TEST(AlertDefaults, EachFlagIsWrittenInDecimalUnderItsKeyAndReadBack) {
    EXPECT_STREQ(kAlertDefaultKeys[0], "AlertStaus");
    EXPECT_STREQ(kAlertDefaultKeys[9], "Reserved2");
    for (int v = 0; v < 256; ++v) {
        uint8_t bytes[sizeof(AlertProperty)];
        for (size_t i = 0; i < sizeof bytes; ++i)
            bytes[i] = static_cast<uint8_t>(v + 37 * i);
        AlertProperty prop;
        std::memcpy(&prop, bytes, sizeof prop);
        const AlertDefaultValues values = ValuesOfAlertDefaults(prop);
        for (size_t i = 0; i < sizeof bytes; ++i)
            EXPECT_EQ(values[i], std::to_string(bytes[i])) << kAlertDefaultKeys[i];
        const AlertProperty back = AlertDefaultsFromValues(values);
        EXPECT_EQ(std::memcmp(&back, &prop, sizeof prop), 0) << v;
    }
    AlertDefaultValues missing; // no file: ten empty values
    const AlertProperty none = AlertDefaultsFromValues(missing);
    const AlertProperty zeros{};
    EXPECT_EQ(std::memcmp(&none, &zeros, sizeof none), 0);
}
