// The control core: bounds and alignment, notifications on real changes, painting, mouse routing,
// keyboard routing and focus.
#include <gtest/gtest.h>

#include "support/ui_fixture.h"
#include "test_controls.h"

namespace zyltest {
namespace {

using namespace vcl;

class ControlsTest : public UiFixture {};

// ---------------------------------------------------------------------------------------------
// Bounds, alignment and anchors

struct AlignCase {
    TAlign align;
    Integer size;  // height for top/bottom, width for left/right
    TRect expected;
};

TEST_F(ControlsTest, AlignPlacesChildrenInTheFrameworkOrder) {
    TForm* form = ShowForm(100, 100, 200, 100);
    const AlignCase cases[] = {
        {alTop, 20, Rect(0, 0, 200, 20)},     {alBottom, 10, Rect(0, 90, 200, 100)},
        {alLeft, 30, Rect(0, 20, 30, 90)},    {alRight, 40, Rect(160, 20, 200, 90)},
        {alClient, 0, Rect(30, 20, 160, 90)},
    };
    std::vector<TTestPanel*> panels;
    // Inserted in reverse so that the order of creation cannot decide the layout.
    for (auto it = std::rbegin(cases); it != std::rend(cases); ++it) {
        auto* panel = new TTestPanel(form);
        panel->SetBounds(0, 0, it->size, it->size);
        panel->SetParent(form);
        panel->SetAlign(it->align);
        panels.insert(panels.begin(), panel);
    }
    for (size_t i = 0; i < std::size(cases); ++i) {
        const TRect r = panels[i]->BoundsRect();
        EXPECT_EQ(r.left, cases[i].expected.left) << i;
        EXPECT_EQ(r.top, cases[i].expected.top) << i;
        EXPECT_EQ(r.right, cases[i].expected.right) << i;
        EXPECT_EQ(r.bottom, cases[i].expected.bottom) << i;
    }
    // The parent growing moves the bottom and right ones and stretches the client one.
    form->SetClientWidth(300);
    EXPECT_EQ(panels[3]->Left(), 260);
    EXPECT_EQ(panels[4]->Width(), 230);
}

TEST_F(ControlsTest, StackedTopAlignedControlsKeepTheirVisualOrder) {
    TForm* form = ShowForm(100, 100, 200, 100);
    auto* first = new TTestPanel(form);
    first->SetParent(form);
    first->SetHeight(10);
    first->SetAlign(alTop);
    auto* second = new TTestPanel(form);
    second->SetParent(form);
    second->SetHeight(15);
    second->SetAlign(alTop);
    EXPECT_EQ(first->Top(), 0);
    EXPECT_EQ(second->Top(), 10);
    // Dragged above the first one, the second goes first.
    second->SetTop(-1);
    EXPECT_EQ(second->Top(), 0);
    EXPECT_EQ(first->Top(), 15);
}

struct AnchorCase {
    TAnchors anchors;
    TRect expected;  // after the parent grows by 100 x 50
};

TEST_F(ControlsTest, AnchorsKeepDistancesWhenTheParentResizes) {
    const AnchorCase cases[] = {
        {TAnchors{akLeft, akTop}, Rect(10, 10, 60, 40)},
        {TAnchors{akRight, akBottom}, Rect(110, 60, 160, 90)},
        {TAnchors{akLeft, akTop, akRight}, Rect(10, 10, 160, 40)},
        {TAnchors{akLeft, akTop, akRight, akBottom}, Rect(10, 10, 160, 90)},
        // Neither left nor right: the centre keeps its proportional place (35 of 200 -> 53 of 300).
        {TAnchors{akTop}, Rect(28, 10, 78, 40)},
    };
    for (const auto& c : cases) {
        TForm* form = ShowForm(100, 100, 200, 100);
        auto* panel = new TTestPanel(form);
        panel->SetBounds(10, 10, 50, 30);
        panel->SetParent(form);
        panel->SetAnchors(c.anchors);
        form->SetClientWidth(300);
        form->SetClientHeight(150);
        const TRect r = panel->BoundsRect();
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
        form->Free();
    }
}

TEST_F(ControlsTest, SetBoundsWithTheSameValuesDoesNothing) {
    TForm* form = ShowForm();
    auto* panel = new TTestPanel(form);
    panel->SetParent(form);
    int resizes = 0;
    panel->OnResize = [&](TObject*) { ++resizes; };
    panel->SetBounds(5, 6, 70, 80);
    EXPECT_EQ(resizes, 1);
    panel->SetBounds(5, 6, 70, 80);
    panel->SetLeft(5);
    EXPECT_EQ(resizes, 1);
    panel->SetLeft(9);  // a move is not a resize
    EXPECT_EQ(resizes, 1);
    win32::RECT window{};
    win32::GetWindowRect(panel->Handle(), &window);
    const TPoint origin = form->ClientOrigin();
    EXPECT_EQ(window.left - origin.x, 9);
    EXPECT_EQ(window.bottom - window.top, 80);
}

TEST_F(ControlsTest, NotificationsFireOnlyOnRealChanges) {
    TForm* form = ShowForm();
    auto* panel = new TTestPanel(form);
    panel->SetParent(form);
    panel->messages.clear();
    panel->SetCaption("One");
    panel->SetCaption("One");
    panel->SetText("One");
    panel->SetEnabled(true);
    panel->SetEnabled(false);
    panel->SetEnabled(false);
    panel->SetVisible(true);
    panel->SetColor(clRed);
    panel->SetColor(clGreen);
    EXPECT_EQ(panel->messages, (std::vector<std::string>{"text", "enabled", "color"}));
    EXPECT_FALSE(win32::IsWindowEnabled(panel->Handle()));
}

TEST_F(ControlsTest, ParentColorAndFontFollowTheParent) {
    TForm* form = ShowForm();
    auto* panel = new TTestPanel(form);
    panel->SetParent(form);
    auto* block = new TTestBlock(form);
    block->SetParent(panel);
    block->SetParentColor(true);
    EXPECT_EQ(block->Color(), clRed);
    panel->SetColor(clYellow);
    EXPECT_EQ(block->Color(), clYellow);
    EXPECT_TRUE(block->ParentColor());
    block->SetColor(clLime);  // an own colour ends the inheritance
    panel->SetColor(clAqua);
    EXPECT_EQ(block->Color(), clLime);

    form->Font()->SetName("Arial");
    EXPECT_EQ(panel->Font()->Name(), "Arial");
    EXPECT_EQ(block->Font()->Name(), "Arial");
    block->Font()->SetSize(14);
    EXPECT_FALSE(block->ParentFont());
    form->Font()->SetName("Courier New");
    EXPECT_EQ(block->Font()->Name(), "Arial");
}

TEST_F(ControlsTest, PropertiesOfParentlessOrDestroyedHandlesNeverCrash) {
    TComponentPtr<TTestPanel> loose(new TTestPanel(nullptr));
    loose->SetBounds(1, 2, 3, 4);
    loose->SetCaption("x");
    loose->SetVisible(false);
    loose->SetEnabled(false);
    loose->Invalidate();
    loose->Repaint();
    EXPECT_FALSE(loose->HandleAllocated());
    EXPECT_THROW(loose->Handle(), EInvalidOperation);

    TForm* form = ShowForm();
    auto* panel = new TTestPanel(form);
    panel->SetParent(form);
    const win32::HWND window = panel->Handle();
    win32::DestroyWindow(window);
    EXPECT_FALSE(panel->HandleAllocated());
    panel->SetCaption("after");
    panel->SetBounds(3, 3, 20, 20);
    EXPECT_EQ(panel->Caption(), "after");
}

TEST_F(ControlsTest, RecreateWndKeepsTextBoundsChildrenAndFocus) {
    TForm* form = ShowForm();
    auto* panel = new TTestPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 20, 100, 50);
    panel->SetCaption("Kept");
    auto* inner = new TTestPanel(form);
    inner->SetParent(panel);
    inner->SetBounds(5, 5, 20, 20);
    inner->SetFocus();
    PumpUntilIdle();
    const win32::HWND before = panel->Handle();
    panel->RecreateWnd();
    EXPECT_NE(panel->Handle(), before);
    EXPECT_EQ(panel->Caption(), "Kept");
    char text[16] = {};
    win32::GetWindowText(panel->Handle(), text, sizeof text);
    EXPECT_STREQ(text, "Kept");
    EXPECT_EQ(panel->BoundsRect().right, 110);
    EXPECT_TRUE(inner->HandleAllocated());
    EXPECT_EQ(win32::GetParent(inner->Handle()), panel->Handle());
    EXPECT_TRUE(inner->Focused());
}

// ---------------------------------------------------------------------------------------------
// Painting

TEST_F(ControlsTest, GraphicChildrenPaintOverTheirWindowedParentInZOrder) {
    TForm* form = ShowForm(100, 100, 100, 80);
    form->SetColor(clWhite);
    auto* panel = new TTestPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 60, 40);
    auto* lower = new TTestBlock(form);
    lower->SetParent(panel);
    lower->SetBounds(5, 5, 20, 20);
    auto* upper = new TTestBlock(form);
    upper->SetParent(panel);
    upper->SetBounds(15, 15, 20, 20);
    upper->SetColor(clLime);
    PumpUntilIdle();

    auto image = form->GetFormImage();
    TCanvas* c = image->Canvas();
    EXPECT_EQ(c->Pixels(5, 5), clWhite);
    EXPECT_EQ(c->Pixels(12, 12), clRed);
    EXPECT_EQ(c->Pixels(16, 16), clBlue);
    EXPECT_EQ(c->Pixels(30, 30), clLime);  // overlap: the upper one wins
    upper->SendToBack();
    PumpUntilIdle();
    image = form->GetFormImage();
    EXPECT_EQ(image->Canvas()->Pixels(30, 30), clBlue);

    // The window on the screen shows the same, copied in one block.
    const win32::HDC screen = win32::GetDC(nullptr);
    const TPoint p = panel->ClientToScreen(Point(20, 20));
    EXPECT_EQ(static_cast<TColor>(win32::GetPixel(screen, p.x, p.y)), clBlue);
    win32::ReleaseDC(nullptr, screen);
}

TEST_F(ControlsTest, PaintToDrawsANestedTreeWithoutShowingIt) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetColor(clWhite);
    auto* outer = new TTestPanel(form.get());
    outer->SetParent(form.get());
    outer->SetBounds(0, 0, 40, 40);
    auto* inner = new TTestPanel(form.get());
    inner->SetParent(outer);
    inner->SetColor(clYellow);
    inner->SetBounds(10, 10, 20, 20);
    auto* block = new TTestBlock(form.get());
    block->SetParent(inner);
    block->SetBounds(5, 5, 4, 4);
    EXPECT_FALSE(outer->HandleAllocated());

    auto bitmap = BitmapOf(outer);
    TCanvas* c = bitmap->Canvas();
    EXPECT_EQ(c->Pixels(2, 2), clRed);
    EXPECT_EQ(c->Pixels(12, 12), clYellow);
    EXPECT_EQ(c->Pixels(16, 16), clBlue);
    EXPECT_EQ(c->Pixels(19, 19), clYellow);
    EXPECT_EQ(c->Pixels(35, 35), clRed);
    EXPECT_FALSE(outer->HandleAllocated());
}

TEST_F(ControlsTest, InvalidateIsDeferredAndRepaintIsImmediate) {
    TForm* form = ShowForm();
    auto* panel = new TTestPanel(form);
    panel->SetParent(form);
    PumpUntilIdle();
    const Integer before = panel->paints;
    panel->Invalidate();
    EXPECT_EQ(panel->paints, before);
    PumpUntilIdle();
    EXPECT_EQ(panel->paints, before + 1);
    panel->Repaint();
    EXPECT_EQ(panel->paints, before + 2);
}

TEST_F(ControlsTest, GraphicControlCanvasWorksOutsidePainting) {
    TForm* form = ShowForm(100, 100, 100, 80);
    auto* block = new TTestBlock(form);
    block->SetParent(form);
    block->SetBounds(20, 20, 10, 10);
    PumpUntilIdle();
    block->Canvas()->Brush()->SetColor(clFuchsia);
    block->Canvas()->FillRect(Rect(-50, -50, 100, 100));  // clipped to the control
    const win32::HDC screen = win32::GetDC(nullptr);
    const TPoint inside = block->ClientToScreen(Point(5, 5));
    const TPoint outside = block->ClientToScreen(Point(12, 5));
    EXPECT_EQ(static_cast<TColor>(win32::GetPixel(screen, inside.x, inside.y)), clFuchsia);
    EXPECT_NE(static_cast<TColor>(win32::GetPixel(screen, outside.x, outside.y)), clFuchsia);
    win32::ReleaseDC(nullptr, screen);
}

// ---------------------------------------------------------------------------------------------
// Mouse

TEST_F(ControlsTest, GraphicChildrenGetMouseMessagesWithCaptureAndClickRules) {
    TForm* form = ShowForm(100, 100, 200, 100);
    auto* block = new TTestBlock(form);
    block->SetParent(form);
    block->SetBounds(20, 20, 30, 30);
    std::vector<std::string> events;
    block->OnClick = [&](TObject*) { events.push_back("click"); };
    block->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer x, Integer y) {
        events.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    };
    block->OnMouseMove = [&](TObject*, TShiftState, Integer x, Integer) {
        events.push_back("move " + std::to_string(x));
    };
    block->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { events.push_back("up"); };

    ClickAt(block, 3, 4);
    EXPECT_EQ(events, (std::vector<std::string>{"move 3", "down 3,4", "click", "up"}));

    // Pressed inside, released outside: the capture keeps the messages, and there is no click.
    events.clear();
    MoveMouseTo(block, 5, 5);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_TRUE(block->MouseCapture());
    MoveMouseTo(block, 100, 5);
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(events, (std::vector<std::string>{"move 5", "down 5,5", "move 100", "up"}));
    EXPECT_FALSE(block->MouseCapture());
}

TEST_F(ControlsTest, DoubleClickFiresDblClick) {
    TForm* form = ShowForm();
    auto* panel = new TTestPanel(form);
    panel->SetParent(form);
    int clicks = 0, doubles = 0;
    panel->OnClick = [&](TObject*) { ++clicks; };
    panel->OnDblClick = [&](TObject*) { ++doubles; };
    const TPoint p = ScreenPoint(panel, 5, 5);
    win32::input::DoubleClick(p.x, p.y);
    PumpUntilIdle();
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ControlsTest, MouseEnterAndLeaveFollowTheCursor) {
    TForm* form = ShowForm(100, 100, 200, 100);
    auto* panel = new TTestPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 100, 100);
    auto* a = new TTestBlock(form);
    a->SetParent(panel);
    a->SetBounds(10, 10, 20, 20);
    auto* b = new TTestBlock(form);
    b->SetParent(panel);
    b->SetBounds(50, 10, 20, 20);
    panel->messages.clear();
    MoveMouseTo(panel, 80, 80);
    MoveMouseTo(panel, 15, 15);
    MoveMouseTo(panel, 55, 15);
    MoveMouseTo(form, 150, 50);
    EXPECT_EQ(a->messages, (std::vector<std::string>{"enter", "leave"}));
    EXPECT_EQ(b->messages, (std::vector<std::string>{"enter", "leave"}));
    EXPECT_EQ(panel->messages, (std::vector<std::string>{"enter", "leave", "child-enter", "child-leave",
                                                         "child-enter", "child-leave"}));
}

// ---------------------------------------------------------------------------------------------
// Keyboard and focus

TEST_F(ControlsTest, TabMovesFocusInTabOrderWithEnterAndExit) {
    TForm* form = ShowForm();
    std::vector<std::string> log;
    auto make = [&](const std::string& name, TWinControl* parent) {
        auto* panel = new TTestPanel(form);
        panel->SetName(name);
        panel->SetParent(parent);
        panel->SetTabStop(true);
        panel->OnEnter = [&log, name](TObject*) { log.push_back("enter " + name); };
        panel->OnExit = [&log, name](TObject*) { log.push_back("exit " + name); };
        return panel;
    };
    TTestPanel* first = make("First", form);
    TTestPanel* group = make("Group", form);
    TTestPanel* inner = make("Inner", group);
    TTestPanel* last = make("Last", form);
    group->SetTabStop(false);
    last->SetTabOrder(0);  // now Last, First, Group(Inner)
    EXPECT_EQ(first->TabOrder(), 1);

    last->SetFocus();
    PumpUntilIdle();
    log.clear();
    PressKey(win32::VK_TAB);
    PressKey(win32::VK_TAB);
    PressKey(win32::VK_TAB);
    PressKey(win32::VK_TAB, win32::input::Shift);
    EXPECT_EQ(log, (std::vector<std::string>{"exit Last", "enter First", "exit First", "enter Group",
                                             "enter Inner", "exit Inner", "exit Group", "enter Last",
                                             "exit Last", "enter Group", "enter Inner"}));
    EXPECT_TRUE(inner->Focused());
    EXPECT_EQ(form->ActiveControl(), inner);
    EXPECT_EQ(Screen->ActiveControl(), inner);
}

TEST_F(ControlsTest, KeysReachTheFocusedControlWithKeyPreviewFirst) {
    TForm* form = ShowForm();
    auto* panel = new TTestPanel(form);
    panel->SetParent(form);
    panel->SetFocus();
    PumpUntilIdle();
    std::vector<std::string> log;
    panel->OnKeyDown = [&](TObject*, Word& key, TShiftState) {
        log.push_back("panel down " + std::to_string(key));
    };
    panel->OnKeyPress = [&](TObject*, char32_t& key) {
        log.push_back(std::string("panel press ") + char(key));
    };
    form->OnKeyDown = [&](TObject*, Word& key, TShiftState) {
        log.push_back("form down " + std::to_string(key));
        if (key == 'B') key = 0;
    };
    TypeText("a");
    EXPECT_EQ(log, (std::vector<std::string>{"panel down 65", "panel press a"}));
    log.clear();
    form->SetKeyPreview(true);
    TypeText("ab");
    EXPECT_EQ(log, (std::vector<std::string>{"form down 65", "panel down 65", "panel press a", "form down 66",
                                             "panel press b"}));
}

TEST_F(ControlsTest, EnterAndEscapeAreBroadcastAsDialogKeys) {
    TForm* form = ShowForm();
    auto* holder = new TTestPanel(form);
    holder->SetParent(form);
    auto* ok = new TTestDefaultButton(form);
    ok->SetParent(holder);  // nested: the broadcast reaches it through its parent
    ok->isDefault = true;
    auto* cancel = new TTestDefaultButton(form);
    cancel->SetParent(form);
    cancel->isCancel = true;
    auto* focused = new TTestPanel(form);
    focused->SetParent(form);
    focused->SetFocus();
    PumpUntilIdle();
    std::vector<std::string> log;
    ok->OnClick = [&](TObject*) { log.push_back("ok"); };
    cancel->OnClick = [&](TObject*) { log.push_back("cancel"); };
    PressKey(win32::VK_RETURN);
    PressKey(win32::VK_ESCAPE);
    EXPECT_EQ(log, (std::vector<std::string>{"ok", "cancel"}));
}

class TWantsAllKeys : public TTestPanel {
public:
    using TTestPanel::TTestPanel;
    void WndProc(TMessage& message) override {
        if (message.Msg == win32::WM_GETDLGCODE) {
            message.Result = DLGC_WANTALLKEYS | DLGC_WANTTAB;
            return;
        }
        TTestPanel::WndProc(message);
    }
};

TEST_F(ControlsTest, ControlsThatWantKeysKeepThem) {
    TForm* form = ShowForm();
    auto* ok = new TTestDefaultButton(form);
    ok->SetParent(form);
    ok->isDefault = true;
    auto* editor = new TWantsAllKeys(form);
    editor->SetParent(form);
    auto* other = new TTestPanel(form);
    other->SetParent(form);
    editor->SetFocus();
    PumpUntilIdle();
    int clicks = 0;
    std::vector<Word> keys;
    ok->OnClick = [&](TObject*) { ++clicks; };
    editor->OnKeyDown = [&](TObject*, Word& key, TShiftState) { keys.push_back(key); };
    PressKey(win32::VK_RETURN);
    PressKey(win32::VK_TAB);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(keys, (std::vector<Word>{win32::VK_RETURN, win32::VK_TAB}));
    EXPECT_TRUE(editor->Focused());
}

TEST_F(ControlsTest, AltLetterGoesToTheFormAsDialogChar) {
    TForm* form = ShowForm();
    std::vector<char32_t> chars;
    class TAccel : public TTestPanel {
    public:
        using TTestPanel::TTestPanel;
        std::vector<char32_t>* seen = nullptr;
        void WndProc(TMessage& message) override {
            if (message.Msg == CM_DIALOGCHAR && IsAccel(static_cast<char32_t>(message.WParam), Caption())) {
                seen->push_back(static_cast<char32_t>(message.WParam));
                message.Result = 1;
                return;
            }
            TTestPanel::WndProc(message);
        }
    };
    auto* accel = new TAccel(form);
    accel->seen = &chars;
    accel->SetCaption("&Save");
    accel->SetParent(form);
    auto* focused = new TTestPanel(form);
    focused->SetParent(form);
    focused->SetFocus();
    PumpUntilIdle();
    PressKey('S', win32::input::Alt);
    PressKey('X', win32::input::Alt);
    EXPECT_EQ(chars, (std::vector<char32_t>{U's'}));
}

TEST(ControlHelpers, AcceleratorsAndHotkeys) {
    EXPECT_TRUE(IsAccel(U'S', "&Save"));
    EXPECT_TRUE(IsAccel(U's', "Sa&ve") == false);
    EXPECT_TRUE(IsAccel(U'v', "Sa&ve"));
    EXPECT_FALSE(IsAccel(U'a', "Fish && &Chips") || IsAccel(U'&', "Fish && Chips"));
    EXPECT_TRUE(IsAccel(U'c', "Fish && &Chips"));
    EXPECT_EQ(StripHotkey("Fish && &Chips"), "Fish & Chips");
    EXPECT_EQ(StripHotkey("&"), "");
    EXPECT_EQ(CursorToString(crHandPoint), "crHandPoint");
    EXPECT_EQ(StringToCursor("crIBeam"), crIBeam);
    EXPECT_EQ(StringToCursor("5"), 5);
    EXPECT_THROW(StringToCursor("crBogus"), EConvertError);
    EXPECT_THROW(StringToCursor("99999"), EConvertError);
}

}  // namespace
}  // namespace zyltest
