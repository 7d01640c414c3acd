#include <string>

#include "scroll_fixture.h"

namespace scrolltest {
namespace {

using Tracking = ScrollTest;

// Moves the clock on until a timer is due; false when none is due by `limit`.
bool AdvanceToTimer(DWORD limit) {
    while (GetTickCount() < limit) {
        win32::testing::AdvanceClock(10);
        if (HIWORD(GetQueueStatus(QS_TIMER)) & QS_TIMER) return true;
    }
    return false;
}

// Plays the user while the scroll bar loop waits: holds the button until `holdUntil`, then releases
// it. Records the loops it was called for.
struct HoldScript {
    DWORD holdUntil = 0;
    std::vector<std::string> loops;
    void Install() {
        win32::testing::SetModalScript([this](std::string_view loop) {
            loops.emplace_back(loop);
            if (!AdvanceToTimer(holdUntil)) input::ReleaseButton(input::Button::Left);
        });
    }
};

TEST_F(Tracking, HeldArrowRepeatsOnTheTimerUntilReleased) {
    Popup();
    Pump();
    HoldScript script;
    script.holdUntil = 300;
    script.Install();
    input::MoveMouse(292, 245);  // the down arrow
    input::PressButton(input::Button::Left);
    Pump();
    // At once, after the first delay (200 ms), then every 50 ms; the release ends the loop.
    EXPECT_EQ(Codes(), (std::vector<WORD>{SB_LINEDOWN, SB_LINEDOWN, SB_LINEDOWN, SB_LINEDOWN, SB_ENDSCROLL}));
    ASSERT_FALSE(script.loops.empty());
    EXPECT_EQ(script.loops.front(), "ScrollBar");
    EXPECT_EQ(GetCapture(), nullptr);
    for (const auto& r : Record().requests) {
        EXPECT_EQ(r.message, static_cast<UINT>(WM_VSCROLL));
        EXPECT_EQ(r.posNow, 0);  // the bar reports; only the window procedure moves the position
    }
    // The repeat timer belongs to the loop.
    const auto& m = Record().messages;
    EXPECT_EQ(std::count(m.begin(), m.end(), static_cast<UINT>(WM_TIMER)), 0);
}

TEST_F(Tracking, ArrowStopsRepeatingWhileTheCursorIsOffIt) {
    Popup();
    Pump();
    int calls = 0;
    win32::testing::SetModalScript([&](std::string_view) {
        ++calls;
        if (calls == 1) {
            input::MoveMouse(250, 245);  // off the bar: the arrow comes up
            return;
        }
        if (!AdvanceToTimer(400)) input::ReleaseButton(input::Button::Left);
    });
    input::MoveMouse(292, 104);  // the up arrow
    input::PressButton(input::Button::Left);
    Pump();
    EXPECT_EQ(Codes(), (std::vector<WORD>{SB_LINEUP, SB_ENDSCROLL}));
}

TEST_F(Tracking, ShaftClicksPageTowardsTheCursorUntilTheThumbReachesIt) {
    HWND w = Popup();
    Record().applyRequests = true;
    Pump();
    input::Click(292, 200);
    Pump();
    EXPECT_EQ(Codes(), (std::vector<WORD>{SB_PAGEDOWN, SB_ENDSCROLL}));
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 10);
    Record().requests.clear();
    input::Click(292, 119);  // above the thumb, which now starts at 126
    Pump();
    EXPECT_EQ(Codes(), (std::vector<WORD>{SB_PAGEUP, SB_ENDSCROLL}));
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 0);

    // Held: pages repeat until the thumb arrives under the cursor (at 160, reached at position 30).
    Record().requests.clear();
    HoldScript script;
    script.holdUntil = GetTickCount() + 500;
    script.Install();
    input::MoveMouse(292, 160);
    input::PressButton(input::Button::Left);
    Pump();
    EXPECT_EQ(Codes(), (std::vector<WORD>{SB_PAGEDOWN, SB_PAGEDOWN, SB_PAGEDOWN, SB_ENDSCROLL}));
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 30);
}

TEST_F(Tracking, DraggingTheThumbReportsTrackPositionsThenTheFinalOne) {
    HWND w = Popup();
    Pump();
    int calls = 0;
    win32::testing::SetModalScript([&](std::string_view) {
        switch (calls++) {
            case 0:
                input::MoveMouse(292, 171);
                break;  // thumb top 67: position 50 of 100
            case 1:
                input::MoveMouse(292, 300);
                break;  // past the end: clamped
            default:
                input::ReleaseButton(input::Button::Left);
                break;
        }
    });
    input::MoveMouse(292, 120);  // 4 pixels into the thumb
    input::PressButton(input::Button::Left);
    Pump();
    const auto& r = Record().requests;
    ASSERT_EQ(Codes(), (std::vector<WORD>{SB_THUMBTRACK, SB_THUMBTRACK, SB_THUMBPOSITION, SB_ENDSCROLL}));
    EXPECT_EQ(r[0].pos, 50);
    EXPECT_EQ(r[0].trackPos, 50);
    EXPECT_EQ(r[0].posNow, 0);
    EXPECT_EQ(r[1].pos, 100);
    EXPECT_EQ(r[2].pos, 100);
    EXPECT_EQ(r[2].trackPos, 100);
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 0);  // nobody moved it
}

TEST_F(Tracking, ThumbDraggedFarAcrossTheBarGoesBack) {
    HWND w = Popup(WS_HSCROLL);
    Record().applyRequests = true;
    Pump();
    // The horizontal bar: screen y 234..249, x 100..299; thumb 116..131 at position 0.
    int calls = 0;
    win32::testing::SetModalScript([&](std::string_view) {
        switch (calls++) {
            case 0:
                input::MoveMouse(196, 240);
                break;  // thumb left 92: position 50
            case 1:
                input::MoveMouse(196, 140);
                break;  // far above the bar
            default:
                input::ReleaseButton(input::Button::Left);
                break;
        }
    });
    input::MoveMouse(120, 240);
    input::PressButton(input::Button::Left);
    Pump();
    const auto& r = Record().requests;
    ASSERT_EQ(Codes(), (std::vector<WORD>{SB_THUMBTRACK, SB_THUMBTRACK, SB_THUMBPOSITION, SB_ENDSCROLL}));
    EXPECT_EQ(r[0].message, static_cast<UINT>(WM_HSCROLL));
    EXPECT_EQ(r[0].pos, 50);
    EXPECT_EQ(r[1].pos, 0);
    EXPECT_EQ(GetScrollPos(w, SB_HORZ), 0);
}

TEST_F(Tracking, DisabledBarsAndArrowsIgnoreClicks) {
    HWND w = Popup();
    Pump();
    EnableScrollBar(w, SB_VERT, ESB_DISABLE_BOTH);
    input::Click(292, 245);
    input::Click(292, 200);
    input::Click(292, 120);
    Pump();
    EXPECT_TRUE(Record().requests.empty());
    EXPECT_EQ(GetCapture(), nullptr);

    EnableScrollBar(w, SB_VERT, ESB_DISABLE_DOWN);
    input::Click(292, 245);
    Pump();
    EXPECT_TRUE(Record().requests.empty());
    input::Click(292, 104);
    Pump();
    EXPECT_EQ(Codes(), (std::vector<WORD>{SB_LINEUP, SB_ENDSCROLL}));
}

TEST_F(Tracking, PressedArrowIsReportedAndDrawnPushed) {
    HWND w = Popup();
    Pump();
    const COLORREF before = ScreenPixel(285, 235);
    SCROLLBARINFO seen{};
    COLORREF during = 0;
    win32::testing::SetModalScript([&](std::string_view) {
        seen.cbSize = sizeof seen;
        GetScrollBarInfo(w, OBJID_VSCROLL, &seen);
        during = ScreenPixel(285, 235);
        input::ReleaseButton(input::Button::Left);
    });
    input::MoveMouse(292, 245);
    input::PressButton(input::Button::Left);
    Pump();
    EXPECT_EQ(seen.rgstate[5], STATE_SYSTEM_PRESSED);
    EXPECT_EQ(seen.rgstate[1], 0u);
    // The raised edge of the button gives way to the pushed one.
    EXPECT_NE(during, before);
    EXPECT_EQ(ScreenPixel(285, 235), before);
}

}  // namespace
}  // namespace scrolltest
