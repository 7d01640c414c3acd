// A graphic control that holds the mouse through its parent's window hears when another window
// takes the capture away, and not when it gives the capture up itself.
#include <gtest/gtest.h>

#include <vector>

#include "support/ui_fixture.h"
#include "test_controls.h"

namespace graphic_capture_tests {

using namespace vcl;

class TCaptureBlock : public TGraphicControl {
    VCL_CLASS(TCaptureBlock, TGraphicControl)
public:
    explicit TCaptureBlock(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 20, 20); }
    std::vector<win32::LPARAM> lost;  // the new capture window of each WM_CAPTURECHANGED

    void WndProc(TMessage& message) override {
        if (message.Msg == win32::WM_CAPTURECHANGED) lost.push_back(message.LParam);
        TGraphicControl::WndProc(message);
    }
};

class GraphicCaptureTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm();
        panel = new zyltest::TTestPanel(form);
        panel->SetParent(form);
        panel->SetBounds(10, 10, 100, 60);
        block = new TCaptureBlock(form);
        block->SetParent(panel);
        other = new zyltest::TTestPanel(form);
        other->SetParent(form);
        other->SetBounds(150, 10, 40, 40);
        PumpUntilIdle();
    }
    TForm* form = nullptr;
    zyltest::TTestPanel* panel = nullptr;
    zyltest::TTestPanel* other = nullptr;
    TCaptureBlock* block = nullptr;
};

TEST_F(GraphicCaptureTest, HearsTheCaptureGoingToAnotherWindow) {
    const vcl::TPoint p = ScreenPoint(block, 5, 5);
    win32::input::MoveMouse(p.x, p.y);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    ASSERT_EQ(GetCaptureControl(), block);
    win32::SetCapture(other->Handle());
    ASSERT_EQ(block->lost.size(), 1u);
    EXPECT_EQ(block->lost[0], reinterpret_cast<win32::LPARAM>(other->Handle()));
    EXPECT_NE(GetCaptureControl(), block);
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(block->lost.size(), 1u);
}

TEST_F(GraphicCaptureTest, GivingTheCaptureUpItselfIsNoLoss) {
    ClickAt(block, 5, 5);
    block->SetMouseCapture(true);
    block->SetMouseCapture(false);
    EXPECT_TRUE(block->lost.empty());
    // Taken by a sibling graphic control, it is a loss for the one that held it.
    auto* sibling = new TCaptureBlock(form);
    sibling->SetParent(panel);
    sibling->SetLeft(40);
    block->SetMouseCapture(true);
    sibling->SetMouseCapture(true);
    EXPECT_EQ(GetCaptureControl(), sibling);
    EXPECT_TRUE(sibling->lost.empty());
    EXPECT_EQ(block->lost.size(), 1u);
    win32::ReleaseCapture();
    EXPECT_EQ(sibling->lost.size(), 1u);
}

}  // namespace graphic_capture_tests
