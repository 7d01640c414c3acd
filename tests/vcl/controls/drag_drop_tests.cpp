// Drag and drop between controls: automatic drags start past the threshold, the control under the
// mouse is asked, the drop reaches only an accepting target, the source always hears the end,
// and a cancelled drag or a target freed during the drag leaves nothing dangling.
#include <gtest/gtest.h>

#include <string>

#include "support/ui_fixture.h"
#include "vcl/extctrls.h"

namespace drag_drop_tests {

using namespace vcl;

class DragDropTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm(100, 100, 300, 200);
        source = MakePanel(10, 10);
        target = MakePanel(150, 10);
        source->SetDragMode(dmAutomatic);
        source->OnEndDrag = [this](TObject*, TObject* to, Integer x, Integer y) {
            log += "end:" +
                   std::string(!to            ? "none"
                               : to == target ? "target"
                                              : "other") +
                   "@" + std::to_string(x) + "," + std::to_string(y) + " ";
        };
        PumpUntilIdle();
    }
    TPanel* MakePanel(int left, int top) {
        auto* panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBounds(left, top, 100, 100);
        return panel;
    }
    void Press(TControl* control, int x, int y) {
        MoveMouseTo(control, x, y);
        win32::input::PressButton(win32::input::Button::Left);
        PumpUntilIdle();
    }
    void Release() {
        win32::input::ReleaseButton(win32::input::Button::Left);
        PumpUntilIdle();
    }

    TForm* form = nullptr;
    TPanel* source = nullptr;
    TPanel* target = nullptr;
    std::string log;
};

TEST_F(DragDropTest, AnAutomaticDragReachesAnAcceptingTargetAndEnds) {
    target->OnDragOver = [this](TObject*, TObject* from, Integer, Integer, TDragState state, bool& accept) {
        log += std::string(state == dsDragEnter ? "enter" : state == dsDragMove ? "move" : "leave") + " ";
        accept = from == source;
    };
    target->OnDragDrop = [this](TObject*, TObject* from, Integer x, Integer y) {
        log += "drop:" + std::string(from == source ? "source" : "?") + "@" + std::to_string(x) + "," +
               std::to_string(y) + " ";
    };
    Press(source, 20, 20);
    MoveMouseTo(source, 22, 21);  // within the threshold: no drag yet
    EXPECT_TRUE(source->Dragging());
    EXPECT_EQ(log, "");
    MoveMouseTo(target, 30, 40);
    EXPECT_EQ(Screen->Cursor(), crDrag);
    MoveMouseTo(target, 31, 40);
    Release();
    EXPECT_EQ(log, "enter move drop:source@31,40 end:target@31,40 ");
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(DragDropTest, RefusedAndCancelledDragsEndWithoutATarget) {
    // No OnDragOver: nothing is accepted, the cursor says so, and no drop happens.
    Press(source, 20, 20);
    MoveMouseTo(target, 30, 40);
    EXPECT_EQ(Screen->Cursor(), crNoDrop);
    Release();
    EXPECT_EQ(log, "end:none@0,0 ");

    log.clear();
    target->OnDragOver = [](TObject*, TObject*, Integer, Integer, TDragState, bool& accept) {
        accept = true;
    };
    target->OnDragDrop = [this](TObject*, TObject*, Integer, Integer) { log += "drop "; };
    Advance(win32::GetDoubleClickTime() + 1);  // a second press, not a double click
    Press(source, 20, 20);
    MoveMouseTo(target, 30, 40);
    win32::input::PressButton(win32::input::Button::Right);
    PumpUntilIdle();
    EXPECT_FALSE(source->Dragging());
    win32::input::ReleaseButton(win32::input::Button::Right);
    Release();
    EXPECT_EQ(log, "end:none@0,0 ");
}

TEST_F(DragDropTest, ATargetFreedUnderTheDragIsForgotten) {
    target->OnDragOver = [](TObject*, TObject*, Integer, Integer, TDragState, bool& accept) {
        accept = true;
    };
    Press(source, 20, 20);
    MoveMouseTo(target, 30, 40);
    target->Free();
    target = nullptr;
    MoveMouseTo(form, 250, 150);
    Release();
    EXPECT_EQ(log, "end:none@0,0 ");
}

}  // namespace drag_drop_tests
