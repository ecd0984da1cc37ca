// The alert action controls: what they show for the stored flags, and what
// they give back on OK, with the bytes they do not decide kept.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <utility>

#include "alert_checks.h"

using namespace nuntio;

namespace {

constexpr std::pair<const char*, bool AlertChecks::*> kNames[] = {
    {"sound", &AlertChecks::sound},     {"beep", &AlertChecks::beep},     {"voice", &AlertChecks::voice},
    {"once", &AlertChecks::once},       {"repeat", &AlertChecks::repeat}, {"visual", &AlertChecks::visual},
    {"flash", &AlertChecks::iconFlash}, {"popup", &AlertChecks::popup},   {"email", &AlertChecks::email},
    {"sms", &AlertChecks::shortMsg},
};

// The checked controls, by name, in the order of kNames.
std::string Checked(const AlertChecks& c) {
    std::string out;
    for (const auto& [name, member] : kNames)
        if (c.*member) out += (out.empty() ? "" : " ") + std::string(name);
    return out;
}

AlertChecks Checks(const std::string& names) {
    AlertChecks c;
    std::istringstream words(names);
    for (std::string word; words >> word;)
        for (const auto& [name, member] : kNames)
            if (word == name) c.*member = true;
    return c;
}

std::string Bytes(const AlertProperty& p) {
    uint8_t b[sizeof p];
    std::memcpy(b, &p, sizeof p);
    std::string out;
    for (uint8_t v : b)
        out += std::to_string(v) + ' ';
    return out;
}

} // namespace

TEST(AlertChecks, TheControlsShowTheKnownSoundsAndTheBoxesOfVisualOnlyWhileItIsOn) {
    const struct {
        AlertProperty prop;
        const char* shown;
    } cases[] = {
        {{1, 2, 9, 1, 1, 1, 0, 0, 3, 4}, "sound beep visual flash popup"},
        {{1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, "sound voice once"},
        {{1, 1, 0, 0, 0, 0, 0, 0, 0, 0}, "sound voice repeat"},
        {{1, 1, 7, 0, 0, 0, 0, 0, 0, 0}, "sound voice repeat"},
        {{1, 0, 1, 0, 0, 0, 0, 0, 0, 0}, ""},
        {{1, 5, 1, 0, 0, 0, 0, 0, 0, 0}, ""}, // an unknown sound shows as none
        {{1, 0, 0, 0, 1, 1, 0, 0, 0, 0}, ""}, // flash and popup under visual off
        {{0, 0, 0, 3, 0, 1, 2, 0, 0, 0}, "visual popup email"},
        {{0, 0, 0, 0, 0, 0, 1, 1, 0xAA, 0x55}, "email sms"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Checked(ChecksOf(c.prop)), c.shown) << Bytes(c.prop);
}

TEST(AlertChecks, OkTakesWhatTheControlsDecideAndKeepsTheRest) {
    const struct {
        AlertProperty before;
        const char* checked;
        AlertProperty after;
    } cases[] = {
        // beep, VoiceOnce and the fixed bytes kept
        {{1, 2, 9, 1, 1, 1, 0, 0, 3, 4}, "sound beep visual flash popup", {1, 2, 9, 1, 1, 1, 0, 0, 3, 4}},
        // voice repeated
        {{1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, "sound voice repeat", {1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
        // beep to voice once
        {{1, 2, 0, 0, 0, 0, 0, 0, 0, 0}, "sound voice once", {1, 1, 1, 0, 0, 0, 0, 0, 0, 0}},
        // sound off keeps VoiceOnce
        {{1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, "voice repeat", {1, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
        // sound on without a kind keeps both
        {{1, 5, 1, 0, 0, 0, 0, 0, 0, 0}, "sound", {1, 5, 1, 0, 0, 0, 0, 0, 0, 0}},
        // an unknown sound, shown as none, is stored as none
        {{1, 5, 1, 0, 0, 0, 0, 0, 0, 0}, "", {1, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
        // visual off keeps flash and popup
        {{1, 0, 0, 1, 1, 1, 0, 0, 0, 0}, "flash", {1, 0, 0, 0, 1, 1, 0, 0, 0, 0}},
        // visual on takes the boxes
        {{1, 0, 0, 0, 1, 1, 0, 0, 0, 0}, "visual popup", {1, 0, 0, 1, 0, 1, 0, 0, 0, 0}},
        // e-mail and short message as checked; status and reserved bytes kept
        {{7, 0, 0, 0, 0, 0, 5, 9, 0xAA, 0x55}, "email", {7, 0, 0, 0, 0, 0, 1, 0, 0xAA, 0x55}},
    };
    for (const auto& c : cases) {
        AlertProperty p = c.before;
        TakeChecks(Checks(c.checked), p);
        EXPECT_EQ(Bytes(p), Bytes(c.after)) << Bytes(c.before) << "with " << c.checked;
    }
}
