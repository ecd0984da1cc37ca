// The alert action controls as check boxes and radio buttons, and the flags
// of an AlertProperty they show and take back: the rule shared by the alert
// action page of the settings sheet and the alert property dialog.
#pragma once

#include "nuntio.h"

namespace nuntio {

struct AlertChecks {
    bool sound = false;
    bool beep = false;   // sound kind: a beep
    bool voice = false;  // sound kind: the host's voice
    bool once = false;   // the voice plays once...
    bool repeat = false; // ...or repeats
    bool visual = false;
    bool iconFlash = false;
    bool popup = false;
    bool email = false;
    bool shortMsg = false;
};

// What the controls show for prop. A sound other than voice (1) or beep (2)
// shows as none; the flash and popup boxes show unchecked while visual is off.
inline AlertChecks ChecksOf(const AlertProperty& prop) {
    AlertChecks c;
    c.sound = prop.Sound == 1 || prop.Sound == 2;
    c.voice = prop.Sound == 1;
    c.beep = prop.Sound == 2;
    c.once = c.voice && prop.VoiceOnce == 1;
    c.repeat = c.voice && prop.VoiceOnce != 1;
    c.visual = prop.Visual != 0;
    c.iconFlash = c.visual && prop.IconFlash != 0;
    c.popup = c.visual && prop.Popup != 0;
    c.email = prop.Email != 0;
    c.shortMsg = prop.ShortMsg != 0;
    return c;
}

// Takes the controls back into prop (OK). What a control that is off does
// not decide keeps its value: VoiceOnce without a voice, IconFlash and Popup
// without visual, Sound and VoiceOnce when sound is on without a kind chosen.
// AlertStaus and the reserved bytes are never touched.
inline void TakeChecks(const AlertChecks& c, AlertProperty& prop) {
    if (!c.sound) {
        prop.Sound = 0;
    } else if (c.beep) {
        prop.Sound = 2;
    } else if (c.voice) {
        prop.Sound = 1;
        prop.VoiceOnce = c.once ? 1 : 0;
    }
    if (c.visual) {
        prop.Visual = 1;
        prop.IconFlash = c.iconFlash ? 1 : 0;
        prop.Popup = c.popup ? 1 : 0;
    } else {
        prop.Visual = 0;
    }
    prop.Email = c.email ? 1 : 0;
    prop.ShortMsg = c.shortMsg ? 1 : 0;
}

} // namespace nuntio
