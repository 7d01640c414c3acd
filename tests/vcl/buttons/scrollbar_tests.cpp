// The scroll bar control: mouse on arrows, shaft and thumb, keys, OnScroll codes and SBM_* messages.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/ui_fixture.h"
#include "vcl/stdctrls.h"
#include "win32/virtualkeys.h"

namespace zyltest {
namespace {

using namespace vcl;
using win32::FALSE;
using win32::TRUE;

class ScrollBarTest : public UiFixture {
protected:
    // A 200 x 16 horizontal bar: arrows 0..15 and 184..199, shaft 16..183, thumb 16 wide.
    TScrollBar* MakeBar() {
        form = ShowForm();
        auto* bar = new TScrollBar(form);
        bar->SetParent(form);
        bar->SetBounds(20, 20, 200, 16);
        bar->OnScroll = [this](TObject*, TScrollCode code, Integer& pos) { scrolls.emplace_back(code, pos); };
        bar->OnChange = [this, bar](TObject*) { changes.push_back(bar->Position()); };
        auto previous = form->WindowProc();
        form->SetWindowProc([this, previous](TMessage& m) {
            if (m.Msg == win32::WM_HSCROLL)
                notified.push_back(win32::LOWORD(static_cast<win32::DWORD_PTR>(m.WParam)));
            previous(m);
        });
        PumpUntilIdle();
        return bar;
    }
    using Scrolls = std::vector<std::pair<TScrollCode, Integer>>;
    TForm* form = nullptr;
    Scrolls scrolls;
    std::vector<Integer> changes;
    std::vector<win32::WORD> notified;
};

TEST_F(ScrollBarTest, ArrowClicksAndHoldingRepeatOnTheTimer) {
    TScrollBar* bar = MakeBar();
    bar->SetSmallChange(5);
    ClickAt(bar, 190, 8);
    ClickAt(bar, 5, 8);
    ClickAt(bar, 5, 8);  // at Min: scrolls, but no change
    EXPECT_EQ(scrolls, (Scrolls{{scLineDown, 5},
                                {scEndScroll, 5},
                                {scLineUp, 0},
                                {scEndScroll, 0},
                                {scLineUp, 0},
                                {scEndScroll, 0}}));
    EXPECT_EQ(changes, (std::vector<Integer>{5, 0}));
    EXPECT_EQ(notified,
              (std::vector<win32::WORD>{win32::SB_LINEDOWN, win32::SB_ENDSCROLL, win32::SB_LINEUP,
                                        win32::SB_ENDSCROLL, win32::SB_LINEUP, win32::SB_ENDSCROLL}));

    MoveMouseTo(bar, 190, 8);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(bar->Position(), 5);
    Advance(399);
    EXPECT_EQ(bar->Position(), 5);
    Advance(1);
    EXPECT_EQ(bar->Position(), 10);
    for (int i = 0; i < 3; ++i)
        Advance(100);
    EXPECT_EQ(bar->Position(), 25);
    MoveMouseTo(bar, 100, 40);  // off the arrow: the repeat pauses
    for (int i = 0; i < 3; ++i)
        Advance(100);
    EXPECT_EQ(bar->Position(), 25);
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(scrolls.back(), std::make_pair(scEndScroll, 25));
    Advance(1000);
    EXPECT_EQ(bar->Position(), 25);
}

TEST_F(ScrollBarTest, ShaftPagesUntilTheThumbReachesTheMouse) {
    TScrollBar* bar = MakeBar();
    bar->SetLargeChange(10);
    MoveMouseTo(bar, 120, 8);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(bar->Position(), 10);
    Advance(400);
    for (int i = 0; i < 10; ++i)
        Advance(100);
    // The thumb (16 + pos * 152 / 100) stops once it covers x = 120.
    EXPECT_EQ(bar->Position(), 60);
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
    ASSERT_GE(scrolls.size(), 2u);
    EXPECT_EQ(scrolls.front(), std::make_pair(scPageDown, 10));
    EXPECT_EQ(scrolls.back(), std::make_pair(scEndScroll, 60));
    ClickAt(bar, 20, 8);
    EXPECT_EQ(bar->Position(), 50);
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksThenSetsThePosition) {
    TScrollBar* bar = MakeBar();
    MoveMouseTo(bar, 20, 8);  // on the thumb at position 0
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    MoveMouseTo(bar, 96, 8);    // thumb start 92: (92 - 16) * 100 / 152 = 50
    MoveMouseTo(bar, 500, 8);   // beyond the end: Max
    MoveMouseTo(bar, 500, 30);  // no move along the bar: nothing
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(scrolls, (Scrolls{{scTrack, 50}, {scTrack, 100}, {scPosition, 100}, {scEndScroll, 100}}));
    EXPECT_EQ(changes, (std::vector<Integer>{50, 100}));

    // OnScroll may change the position it is offered.
    scrolls.clear();
    bar->OnScroll = [](TObject*, TScrollCode, Integer& pos) { pos = 42; };
    ClickAt(bar, 5, 8);
    EXPECT_EQ(bar->Position(), 42);
}

TEST_F(ScrollBarTest, KeysScrollAndTheirReleaseEndsTheScroll) {
    TScrollBar* bar = MakeBar();
    bar->SetParams(50, 0, 100);
    bar->SetLargeChange(20);
    bar->SetFocus();
    PumpUntilIdle();
    changes.clear();
    PressKey(win32::VK_RIGHT);
    PressKey(win32::VK_PRIOR);
    PressKey(win32::VK_END);
    PressKey(win32::VK_HOME);
    PressKey(win32::VK_UP);
    EXPECT_EQ(scrolls, (Scrolls{{scLineDown, 51},
                                {scEndScroll, 51},
                                {scPageUp, 31},
                                {scEndScroll, 31},
                                {scBottom, 100},
                                {scEndScroll, 100},
                                {scTop, 0},
                                {scEndScroll, 0},
                                {scLineUp, 0},
                                {scEndScroll, 0}}));
    EXPECT_EQ(changes, (std::vector<Integer>{51, 31, 100, 0}));
}

TEST_F(ScrollBarTest, PageSizeLimitsTheUserAndParamsAreChecked) {
    TScrollBar* bar = MakeBar();
    bar->SetPageSize(10);
    bar->SetFocus();
    PressKey(win32::VK_END);
    EXPECT_EQ(bar->Position(), 91);  // the last page shows 91..100
    bar->SetPosition(100);           // the program may go further, as the framework allows
    EXPECT_EQ(bar->Position(), 100);
    bar->SetPosition(500);
    EXPECT_EQ(bar->Position(), 100);

    EXPECT_THROW(bar->SetParams(0, 10, 5), EInvalidOperation);
    EXPECT_THROW(bar->SetParams(0, 0, 5), EInvalidOperation);  // smaller than a page
    EXPECT_THROW(bar->SetPageSize(-1), EInvalidOperation);
    EXPECT_EQ(bar->Min(), 0);
    EXPECT_EQ(bar->Max(), 100);

    bar->SetKind(sbVertical);
    EXPECT_EQ(bar->Width(), 16);
    EXPECT_EQ(bar->Height(), 200);
}

TEST_F(ScrollBarTest, AnswersTheScrollBarMessages) {
    TScrollBar* bar = MakeBar();
    const win32::HWND h = bar->Handle();
    EXPECT_EQ(win32::SendMessage(h, win32::SBM_SETPOS, 30, TRUE), 0);
    EXPECT_EQ(win32::SendMessage(h, win32::SBM_GETPOS, 0, 0), 30);
    EXPECT_EQ(win32::SendMessage(h, win32::SBM_SETRANGE, 10, 20), 30);
    EXPECT_EQ(bar->Position(), 20);
    int low = 0, high = 0;
    win32::SendMessage(h, win32::SBM_GETRANGE, reinterpret_cast<win32::WPARAM>(&low),
                       reinterpret_cast<win32::LPARAM>(&high));
    EXPECT_EQ(std::make_pair(low, high), std::make_pair(10, 20));
    win32::SetLastError(0);
    EXPECT_EQ(win32::SendMessage(h, win32::SBM_SETRANGE, 20, 10), 0);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_SCROLLBAR_RANGE);

    // A page larger than the range is cut to it; the position then fits the last page.
    win32::SCROLLINFO info{sizeof(win32::SCROLLINFO), win32::SIF_ALL, 0, 9, 50, 8, 0};
    EXPECT_EQ(win32::SendMessage(h, win32::SBM_SETSCROLLINFO, TRUE, reinterpret_cast<win32::LPARAM>(&info)),
              0);
    EXPECT_EQ(bar->PageSize(), 10);
    info = win32::SCROLLINFO{sizeof(win32::SCROLLINFO), win32::SIF_PAGE | win32::SIF_POS, 0, 0, 4, 8, 0};
    EXPECT_EQ(win32::SendMessage(h, win32::SBM_SETSCROLLINFO, TRUE, reinterpret_cast<win32::LPARAM>(&info)),
              6);
    win32::SCROLLINFO out{sizeof(win32::SCROLLINFO), win32::SIF_ALL, -1, -1, 0, -1, -1};
    EXPECT_EQ(win32::SendMessage(h, win32::SBM_GETSCROLLINFO, 0, reinterpret_cast<win32::LPARAM>(&out)),
              TRUE);
    EXPECT_EQ(out.nMin, 0);
    EXPECT_EQ(out.nMax, 9);
    EXPECT_EQ(out.nPage, 4u);
    EXPECT_EQ(out.nPos, 6);
    EXPECT_EQ(out.nTrackPos, 6);
    out.cbSize = 3;
    EXPECT_EQ(win32::SendMessage(h, win32::SBM_GETSCROLLINFO, 0, reinterpret_cast<win32::LPARAM>(&out)),
              FALSE);
    EXPECT_EQ(win32::SendMessage(h, win32::SBM_SETSCROLLINFO, 0, 0), 0);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(changes, (std::vector<Integer>{30, 20, 0, 6}));
}

TEST_F(ScrollBarTest, PaintsArrowsThumbAndPressedArrow) {
    TScrollBar* bar = MakeBar();
    bar->SetPosition(50);
    const auto rgb = [](TColor c) { return static_cast<TColor>(ColorToRGB(c)); };
    auto image = BitmapOf(bar);
    // Thumb at 16 + 50 * 152 / 100 = 92 .. 108, raised: light left edge, dark right edge.
    EXPECT_EQ(image->Canvas()->Pixels(93, 8), rgb(clBtnHighlight));
    EXPECT_EQ(image->Canvas()->Pixels(106, 8), rgb(clBtnShadow));
    EXPECT_EQ(image->Canvas()->Pixels(0, 0), rgb(clBtnHighlight));  // raised arrow button
    // The shaft is dithered: neighbours differ.
    EXPECT_NE(image->Canvas()->Pixels(40, 8), image->Canvas()->Pixels(41, 8));

    MoveMouseTo(bar, 5, 8);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    image = BitmapOf(bar);
    EXPECT_EQ(image->Canvas()->Pixels(0, 0), rgb(clBtnShadow));  // flat pushed arrow
    EXPECT_EQ(image->Canvas()->Pixels(15, 15), rgb(clBtnShadow));
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();

    bar->SetEnabled(false);
    image = BitmapOf(bar);
    EXPECT_FALSE(image->Canvas()->Pixels(100, 8) == rgb(clBtnFace) &&
                 image->Canvas()->Pixels(101, 8) == rgb(clBtnFace));  // no thumb: shaft dither
}

}  // namespace
}  // namespace zyltest
