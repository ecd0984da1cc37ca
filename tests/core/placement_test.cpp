// The saved window place: kept while its caption can be grabbed, brought back
// onto the work area when not, refused when impossible.
#include <gtest/gtest.h>

#include "placement.h"

using namespace nuntio;

TEST(Placement, ASavedPlaceStaysWhileItsCaptionCanBeGrabbed) {
    const Rect work{0, 0, 1024, 738}; // a taskbar of 30 at the bottom
    const struct {
        Rect saved, want;
    } cases[] = {
        {{100, 80, 600, 480}, {100, 80, 600, 480}},           // on the screen
        {{-400, 80, 100, 480}, {-400, 80, 100, 480}},         // half off, 100 pixels of caption left
        {{-401, 80, 99, 480}, {0, 80, 500, 480}},             // one pixel less: brought back
        {{-5000, 3000, -4400, 3450}, {0, 288, 600, 738}},     // a monitor that is gone
        {{100, -50, 600, 350}, {100, 0, 600, 400}},           // caption above the top
        {{100, 730, 600, 1130}, {100, 338, 600, 738}},        // caption under the taskbar
        {{-4, -4, 1028, 772}, {0, 0, 1024, 738}},             // a maximised window saved as it was
        {{-10, -10, 2000, 1500}, {0, 0, 1024, 738}},          // larger than the work area: shrunk
        {{700, 500, 100, -90000}, {}},                        // inverted: the default place
        {{0, 0, 0, 400}, {}},                                 // no width
        {{0, 0, 100000, 400}, {}},                            // absurdly wide
        {{INT32_MIN, 0, INT32_MAX, 400}, {}},
    };
    for (const auto& c : cases) {
        const Rect got = PlaceOnWorkArea(c.saved, work);
        EXPECT_EQ(got, c.want) << c.saved.left << "," << c.saved.top << "," << c.saved.right << ","
                               << c.saved.bottom << " -> " << got.left << "," << got.top << "," << got.right
                               << "," << got.bottom;
    }
}
