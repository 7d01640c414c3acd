// The sizing hooks under a user's drags of the frame (injected input through the platform's size
// loop): the aspect of the client area, the maximized size from a ratio, and size limits.
#include <string>

#include "orvane/zyltformsizes.h"
#include "system_fixture.h"
#include "win32/input.h"
#include "win32/user.h"

namespace formsizes_tests {

using namespace vcl;
using namespace orvane;
using systemtest::Sides;

class FormShape : public systemtest::SystemTest {
protected:
    void SetUp() override {
        SystemTest::SetUp();
        form_ = ShowForm(100, 100, 400, 300);
    }

    win32::RECT WindowRect() const {
        win32::RECT r{};
        win32::GetWindowRect(form_->Handle(), &r);
        return r;
    }

    enum class Edge { left, right, bottom, top };
    // Presses on the middle of a frame edge, moves by (dx, dy) and lets go.
    void DragEdge(Edge edge, int dx, int dy) {
        const win32::RECT r = WindowRect();
        const int midX = (r.left + r.right) / 2, midY = (r.top + r.bottom) / 2;
        win32::POINT start{midX, midY};
        if (edge == Edge::left) start = {r.left, midY};
        if (edge == Edge::right) start = {r.right - 1, midY};
        if (edge == Edge::bottom) start = {midX, r.bottom - 1};
        if (edge == Edge::top) start = {midX, r.top};
        win32::input::MoveMouse(start.x, start.y);
        win32::input::PressButton(win32::input::Button::Left);
        win32::input::MoveMouse(start.x + dx, start.y + dy);
        win32::input::ReleaseButton(win32::input::Button::Left);
        PumpUntilIdle();
    }

    TForm* form_ = nullptr;
};

TEST_F(FormShape, TheClientAreaKeepsItsAspectWhileAnEdgeIsDragged) {
    auto* aspect = new TZylFormAspect(form_);
    // The right edge moved only up and down: the width stays and the height follows it.
    DragEdge(Edge::right, 0, 10);
    EXPECT_EQ(form_->ClientWidth(), 400);
    EXPECT_EQ(form_->ClientHeight(), 420);

    const win32::RECT before = WindowRect();
    DragEdge(Edge::left, 40, 0);  // narrower by 40: the top follows, the bottom stays
    EXPECT_EQ(form_->ClientWidth(), 360);
    EXPECT_EQ(form_->ClientHeight(), 360 * 42 / 40);
    EXPECT_EQ(WindowRect().bottom, before.bottom);

    DragEdge(Edge::bottom, 0, 42);  // taller: the right edge follows
    EXPECT_EQ(form_->ClientHeight(), 378 + 42);
    EXPECT_EQ(form_->ClientWidth(), 420 * 40 / 42);

    // BeforeResizing has the last word; switched off, the drag is plain.
    aspect->BeforeResizing = [](TObject*, TRect& r) { r.bottom = r.top + 250; };
    DragEdge(Edge::right, 20, 0);
    EXPECT_EQ(WindowRect().bottom - WindowRect().top, 250);
    aspect->SetEnabled(false);
    const int height = form_->Height();
    DragEdge(Edge::right, 30, 0);
    EXPECT_EQ(form_->Height(), height);
}

TEST_F(FormShape, TheMaximizedSizeFollowsTheRatio) {
    auto* aspect = new TZylFormAspect(form_);
    const int frameX = form_->Width() - form_->ClientWidth();
    const int frameY = form_->Height() - form_->ClientHeight();
    auto maximized = [&] {
        win32::MINMAXINFO info{};
        info.ptMaxSize = {1024, 700};
        info.ptMaxTrackSize = {2000, 2000};
        win32::SendMessage(form_->Handle(), win32::WM_GETMINMAXINFO, 0,
                           reinterpret_cast<win32::LPARAM>(&info));
        return std::array<long, 2>{info.ptMaxSize.x, info.ptMaxSize.y};
    };
    struct Case {
        Integer ratioWidth, ratioHeight;
        std::array<long, 2> expected;
    };
    const Case cases[] = {
        {2, 1, {1024 + frameX, 512 + frameY}},  // from the proposed width
        {1, 1, {700 + frameX, 700 + frameY}},   // 1024 high would pass the screen: from the height
        {0, 1, {1024, 700}},                    // no shape to keep: as proposed
        {4, 0, {1024, 700}},
    };
    for (const Case& c : cases) {
        aspect->SetRatioWidth(c.ratioWidth);
        aspect->SetRatioHeight(c.ratioHeight);
        EXPECT_EQ(maximized(), c.expected) << c.ratioWidth << ":" << c.ratioHeight;
    }
    // Without Client the frame is not added; OnClientModified may set it.
    aspect->SetRatioWidth(2);
    aspect->SetRatioHeight(1);
    aspect->SetClient(false);
    EXPECT_EQ(maximized(), (std::array<long, 2>{1024, 512}));
    aspect->OnClientModified = [](TObject*, Integer& x, Integer& y) {
        x = 10;
        y = 20;
    };
    EXPECT_EQ(maximized(), (std::array<long, 2>{1034, 532}));
}

TEST_F(FormShape, SizeLimitsHoldWhileTheFrameIsDragged) {
    auto* sizes = new TZylFormSizes(form_);
    sizes->SetMinWidth(300);
    sizes->SetMaxWidth(500);
    sizes->SetMinHeight(200);
    DragEdge(Edge::right, 400, 0);
    EXPECT_EQ(form_->Width(), 500);
    const win32::RECT wide = WindowRect();
    DragEdge(Edge::left, 350, 0);  // the dragged edge stops, the other stays put
    EXPECT_EQ(form_->Width(), 300);
    EXPECT_EQ(WindowRect().right, wide.right);
    DragEdge(Edge::bottom, 0, -500);
    EXPECT_EQ(form_->Height(), 200);
    // 0 is no limit.
    sizes->SetMaxWidth(0);
    DragEdge(Edge::right, 300, 0);
    EXPECT_EQ(form_->Width(), 600);
}

}  // namespace formsizes_tests
