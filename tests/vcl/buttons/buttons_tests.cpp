// Push buttons, check boxes, radio buttons, group boxes and labels driven by injected input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ui_fixture.h"
#include "vcl/stdctrls.h"
#include "vcl/streaming.h"
#include "win32/virtualkeys.h"

namespace zyltest {
namespace {

using namespace vcl;
using win32::BM_CLICK;
using win32::BM_GETCHECK;
using win32::BM_GETSTATE;
using win32::BM_SETCHECK;
using win32::BM_SETSTATE;
using win32::BN_CLICKED;
using win32::BST_FOCUS;
using win32::BST_INDETERMINATE;
using win32::BST_PUSHED;
using win32::VK_DOWN;
using win32::VK_ESCAPE;
using win32::VK_RETURN;
using win32::VK_SPACE;
using win32::VK_TAB;
using win32::VK_UP;

template <typename T>
T* Make(TWinControl* parent, const std::string& name, Integer left, Integer top) {
    auto* control = new T(parent);
    control->SetName(name);
    control->SetParent(parent);
    control->SetLeft(left);
    control->SetTop(top);
    return control;
}

class ButtonsTest : public UiFixture {
protected:
    // Records every BN_CLICKED the form's window hears, by the sender's handle.
    void WatchCommands(TForm* form) {
        auto previous = form->WindowProc();
        form->SetWindowProc([this, previous](TMessage& m) {
            if (m.Msg == win32::WM_COMMAND &&
                win32::HIWORD(static_cast<win32::DWORD_PTR>(m.WParam)) == BN_CLICKED)
                commands.push_back(reinterpret_cast<win32::HWND>(m.LParam));
            previous(m);
        });
    }
    std::vector<win32::HWND> commands;
};

TEST_F(ButtonsTest, EnterClicksTheDefaultButtonUnlessAnotherButtonHasTheFocus) {
    TForm* form = ShowForm();
    auto* ok = Make<TButton>(form, "Ok", 10, 10);
    auto* cancel = Make<TButton>(form, "Cancel", 100, 10);
    auto* other = Make<TButton>(form, "Other", 190, 10);
    auto* check = Make<TCheckBox>(form, "Check", 10, 50);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    std::vector<std::string> clicks;
    for (TButton* b : {ok, cancel, other})
        b->OnClick = [&clicks, b](TObject*) { clicks.push_back(b->Name()); };
    check->SetFocus();
    PumpUntilIdle();

    PressKey(VK_RETURN);
    PressKey(VK_ESCAPE);
    other->SetFocus();
    PumpUntilIdle();
    EXPECT_FALSE(ok->Active());
    PressKey(VK_RETURN);
    // With Shift held Enter is no dialog key for the buttons.
    PressKey(VK_RETURN, win32::input::Shift);
    EXPECT_EQ(clicks, (std::vector<std::string>{"Ok", "Cancel", "Other"}));
}

TEST_F(ButtonsTest, ModalResultOfTheClickedButtonEndsShowModal) {
    auto* dialog = new TForm(Application, 0);
    dialog->SetName("Confirm");
    auto* ok = Make<TButton>(dialog, "Ok", 10, 10);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = Make<TButton>(dialog, "Cancel", 100, 10);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    Make<TCheckBox>(dialog, "Remember", 10, 50)->SetTabOrder(0);

    win32::testing::SetModalScript([](std::string_view) { win32::input::PressKey(VK_RETURN); });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    win32::testing::SetModalScript([](std::string_view) { win32::input::PressKey(VK_ESCAPE); });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
}

TEST_F(ButtonsTest, MouseClickPressesWhileInsideAndNotifiesTheParent) {
    TForm* form = ShowForm();
    WatchCommands(form);
    auto* button = Make<TButton>(form, "Go", 20, 20);
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    PumpUntilIdle();

    MoveMouseTo(button, 10, 10);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_TRUE(button->Focused());
    EXPECT_EQ(button->Perform(BM_GETSTATE, 0, 0), BST_PUSHED | BST_FOCUS);
    MoveMouseTo(button, 200, 10);  // outside: the button pops up
    EXPECT_EQ(button->Perform(BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(commands.empty());

    ClickAt(button, 10, 10);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(commands, std::vector<win32::HWND>{button->Handle()});
    EXPECT_EQ(button->Perform(BM_GETSTATE, 0, 0), BST_FOCUS);
}

TEST_F(ButtonsTest, SpaceAcceleratorAndButtonMessagesClick) {
    TForm* form = ShowForm();
    auto* button = Make<TButton>(form, "Go", 20, 20);
    button->SetCaption("&Go");
    auto* check = Make<TCheckBox>(form, "Check", 20, 60);
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    button->SetFocus();
    PumpUntilIdle();

    win32::input::KeyDown(VK_SPACE);
    PumpUntilIdle();
    EXPECT_TRUE(button->Pressed());
    EXPECT_EQ(clicks, 0);
    win32::input::KeyUp(VK_SPACE);
    PumpUntilIdle();
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(clicks, 1);

    check->SetFocus();
    PumpUntilIdle();
    TypeText("g");  // the check box wants no characters: the form offers it as an accelerator
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(check->State(), cbUnchecked);

    win32::SendMessage(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 3);
    win32::SendMessage(button->Handle(), BM_SETSTATE, 1, 0);
    EXPECT_TRUE(button->Pressed());
    win32::SendMessage(button->Handle(), BM_SETSTATE, 0, 0);
    EXPECT_FALSE(button->Pressed());
    button->SetEnabled(false);
    win32::SendMessage(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 3);
}

TEST_F(ButtonsTest, ExceptionInOnClickReachesTheApplication) {
    TForm* form = ShowForm();
    auto* button = Make<TButton>(form, "Go", 20, 20);
    button->OnClick = [](TObject*) { throw EConvertError("Bad click."); };
    PumpUntilIdle();
    ClickAt(button, 5, 5);
    ASSERT_EQ(Application->ExceptionLog().size(), 1u);
    EXPECT_EQ(Application->ExceptionLog()[0], "Bad click.");
}

TEST_F(ButtonsTest, CheckBoxCyclesThroughGrayedOnlyWhenAllowed) {
    TForm* form = ShowForm();
    auto* check = Make<TCheckBox>(form, "Check", 20, 20);
    std::vector<TCheckBoxState> seen;
    check->OnClick = [&](TObject*) { seen.push_back(check->State()); };
    PumpUntilIdle();

    ClickAt(check, 5, 8);
    ClickAt(check, 5, 8);
    EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked}));

    seen.clear();
    check->SetAllowGrayed(true);
    for (int i = 0; i < 3; ++i) {
        ClickAt(check, 5, 8);
        seen.push_back(static_cast<TCheckBoxState>(check->Perform(BM_GETCHECK, 0, 0)));
    }
    // Each entry twice: the state in OnClick, then BM_GETCHECK's answer (the same numbers).
    EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbChecked, cbChecked, cbGrayed, cbGrayed, cbUnchecked,
                                                 cbUnchecked}));

    seen.clear();
    PressKey(VK_SPACE);
    check->SetCheckedValue(false);                                           // by program: OnClick as well
    check->SetCheckedValue(false);                                           // no change: no event
    win32::SendMessage(check->Handle(), BM_SETCHECK, BST_INDETERMINATE, 0);  // the platform's: silent
    EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked}));
    EXPECT_EQ(check->State(), cbGrayed);
}

TEST_F(ButtonsTest, CheckingARadioButtonTurnsSiblingsOffWithoutTheirClick) {
    TForm* form = ShowForm();
    auto* group = Make<TGroupBox>(form, "Group", 10, 10);
    auto* outside = Make<TRadioButton>(form, "Outside", 10, 150);
    std::vector<TRadioButton*> radios;
    for (int i = 0; i < 3; ++i)
        radios.push_back(Make<TRadioButton>(group, "R" + std::to_string(i), 8, 20 + 20 * i));
    std::vector<std::string> clicks;
    for (TRadioButton* r : radios)
        r->OnClick = [&clicks, r](TObject*) { clicks.push_back(r->Name()); };
    outside->SetCheckedValue(true);
    PumpUntilIdle();

    ClickAt(radios[0], 5, 8);
    ClickAt(radios[2], 5, 8);
    ClickAt(radios[2], 5, 8);  // already checked: nothing changes
    radios[1]->SetCheckedValue(true);
    EXPECT_EQ(clicks, (std::vector<std::string>{"R0", "R2", "R1"}));
    EXPECT_FALSE(radios[0]->Checked());
    EXPECT_TRUE(radios[1]->Checked());
    EXPECT_FALSE(radios[2]->Checked());
    EXPECT_TRUE(outside->Checked());  // another parent, another group
    EXPECT_TRUE(radios[1]->TabStop());
    EXPECT_FALSE(radios[2]->TabStop());
}

TEST_F(ButtonsTest, ArrowsMoveThroughTheGroupAndTabReachesOnlyTheCheckedOne) {
    TForm* form = ShowForm();
    auto* first = Make<TButton>(form, "First", 10, 10);
    auto* group = Make<TGroupBox>(form, "Group", 10, 40);
    std::vector<TRadioButton*> radios;
    for (int i = 0; i < 3; ++i)
        radios.push_back(Make<TRadioButton>(group, "R" + std::to_string(i), 8, 20 + 20 * i));
    auto* last = Make<TButton>(form, "Last", 10, 160);
    radios[1]->SetCheckedValue(true);
    first->SetFocus();
    PumpUntilIdle();

    PressKey(VK_TAB);
    EXPECT_TRUE(radios[1]->Focused());
    PressKey(VK_DOWN);
    EXPECT_TRUE(radios[2]->Focused());
    EXPECT_TRUE(radios[2]->Checked());
    EXPECT_FALSE(radios[1]->Checked());
    PressKey(VK_DOWN);  // wraps round
    EXPECT_TRUE(radios[0]->Checked());
    PressKey(VK_UP);
    EXPECT_TRUE(radios[2]->Checked());
    PressKey(VK_TAB);
    EXPECT_TRUE(last->Focused());
    PressKey(VK_TAB, win32::input::Shift);
    EXPECT_TRUE(radios[2]->Focused());
}

TEST_F(ButtonsTest, GroupBoxFramesItsClientAreaAndItsAcceleratorFocusesTheFirstChild) {
    TForm* form = ShowForm();
    auto* other = Make<TButton>(form, "Other", 200, 10);
    auto* group = Make<TGroupBox>(form, "Group", 10, 10);
    group->SetCaption("&Options");
    auto* filler = Make<TCheckBox>(group, "Filler", 0, 0);
    filler->SetAlign(alClient);
    other->SetFocus();
    PumpUntilIdle();

    // Inside the etched frame (two pixels each side) and below the caption line.
    EXPECT_EQ(filler->Left(), 2);
    EXPECT_GT(filler->Top(), 10);
    EXPECT_EQ(filler->Left() + filler->Width(), group->Width() - 2);
    EXPECT_EQ(filler->Top() + filler->Height(), group->Height() - 2);

    PressKey('O', win32::input::Alt);
    EXPECT_TRUE(filler->Focused());
}

TEST_F(ButtonsTest, ControlsWriteToAFormFileAndReadBack) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetName("Form1");
    form->SetAutoScroll(false);
    auto* button = Make<TButton>(form.get(), "Ok", 5, 5);
    button->SetDefault(true);
    button->SetModalResult(mrOk);
    auto* check = Make<TCheckBox>(form.get(), "Check", 5, 40);
    check->SetAllowGrayed(true);
    check->SetState(cbGrayed);
    check->SetAlignment(TLeftRight::taLeftJustify);
    auto* radio = Make<TRadioButton>(form.get(), "Radio", 5, 60);
    radio->SetCheckedValue(true);
    auto* label = Make<TLabel>(form.get(), "Label", 5, 80);
    label->SetCaption("&Name");
    label->SetFocusControl(check);
    label->SetLayout(tlCenter);
    auto* bar = Make<TScrollBar>(form.get(), "Bar", 5, 100);
    bar->SetParams(30, 10, 60);
    bar->SetKind(sbVertical);
    Make<TGroupBox>(form.get(), "Group", 100, 5)->SetCaption("Box");
    const std::string text = ComponentToText(form.get());
    EXPECT_NE(text.find("State = cbGrayed"), std::string::npos);
    EXPECT_EQ(text.find("Checked = "), text.find("Checked = True"));  // only the radio's is written

    TComponentPtr<TForm> copy(new TForm(nullptr, 0));
    ReadComponentText(text, copy.get());
    EXPECT_EQ(ComponentToText(copy.get()), text);
    auto* readLabel = dynamic_cast<TLabel*>(copy->FindComponent("Label"));
    ASSERT_NE(readLabel, nullptr);
    EXPECT_EQ(readLabel->FocusControl(), copy->FindComponent("Check"));
    auto* readBar = dynamic_cast<TScrollBar*>(copy->FindComponent("Bar"));
    ASSERT_NE(readBar, nullptr);
    EXPECT_EQ(readBar->Position(), 30);
    EXPECT_EQ(readBar->Kind(), sbVertical);
    EXPECT_GT(readBar->Height(), readBar->Width());
}

// ---------------------------------------------------------------------------------------------
// Labels

class LabelsTest : public UiFixture {};

TEST_F(LabelsTest, AutoSizeFollowsTheCaptionAndWordWrapKeepsTheWidth) {
    TForm* form = ShowForm();
    auto* label = Make<TLabel>(form, "Label", 10, 10);
    label->SetCaption("Short");
    const Integer shortWidth = label->Width();
    const Integer lineHeight = label->Height();
    EXPECT_GT(shortWidth, 0);
    label->SetCaption("Short and a good deal longer");
    EXPECT_GT(label->Width(), shortWidth);
    EXPECT_EQ(label->Height(), lineHeight);
    label->SetCaption("A&&B");  // a literal ampersand is as wide as "A&B" without prefix handling
    const Integer literal = label->Width();
    label->SetShowAccelChar(false);
    label->SetCaption("A&B");
    EXPECT_EQ(label->Width(), literal);

    label->SetAutoSize(false);
    label->SetWidth(60);
    label->SetWordWrap(true);
    label->SetAutoSize(true);
    label->SetCaption("one two three four five six seven");
    EXPECT_EQ(label->Width(), 60);
    EXPECT_GE(label->Height(), 3 * lineHeight);

    // Right-justified labels keep their right edge while growing.
    auto* right = Make<TLabel>(form, "Right", 100, 40);
    right->SetAlignment(TAlignment::taRightJustify);
    right->SetCaption("x");
    const Integer edge = right->Left() + right->Width();
    right->SetCaption("a much longer caption");
    EXPECT_EQ(right->Left() + right->Width(), edge);
}

TEST_F(LabelsTest, AcceleratorFocusesTheFocusControlUntilItIsFreed) {
    TForm* form = ShowForm();
    auto* target = Make<TCheckBox>(form, "Target", 10, 40);
    auto* start = Make<TButton>(form, "Start", 10, 80);
    auto* label = Make<TLabel>(form, "Label", 10, 10);
    label->SetCaption("&Target");
    label->SetFocusControl(target);
    start->SetFocus();
    PumpUntilIdle();

    PressKey('T', win32::input::Alt);
    EXPECT_TRUE(target->Focused());
    EXPECT_EQ(target->State(), cbUnchecked);  // focused, not toggled

    target->Free();
    EXPECT_EQ(label->FocusControl(), nullptr);
    start->SetFocus();
    PressKey('T', win32::input::Alt);
    EXPECT_TRUE(start->Focused());
}

// ---------------------------------------------------------------------------------------------
// Pixels

class ButtonPixelsTest : public UiFixture {
protected:
    static TColor Rgb(TColor color) { return static_cast<TColor>(ColorToRGB(color)); }
    static bool HasColor(TBitmap* bitmap, TColor color, Integer fromX = 0) {
        for (Integer y = 0; y < bitmap->Height(); ++y)
            for (Integer x = fromX; x < bitmap->Width(); ++x)
                if (bitmap->Canvas()->Pixels(x, y) == Rgb(color)) return true;
        return false;
    }
};

TEST_F(ButtonPixelsTest, DefaultFrameAndPressedLook) {
    TForm* form = ShowForm();
    auto* plain = Make<TButton>(form, "Plain", 10, 10);
    auto* def = Make<TButton>(form, "Default", 10, 50);
    def->SetDefault(true);
    auto* check = Make<TCheckBox>(form, "Check", 10, 100);
    check->SetFocus();
    PumpUntilIdle();

    auto image = BitmapOf(plain);
    EXPECT_EQ(image->Canvas()->Pixels(0, 0), Rgb(clBtnHighlight));  // raised: light top-left
    image = BitmapOf(def);
    EXPECT_EQ(image->Canvas()->Pixels(0, 0), Rgb(clWindowFrame));  // the default button's frame
    EXPECT_EQ(image->Canvas()->Pixels(plain->Width() - 1, 12), Rgb(clWindowFrame));

    win32::SendMessage(plain->Handle(), BM_SETSTATE, 1, 0);
    image = BitmapOf(plain);
    EXPECT_EQ(image->Canvas()->Pixels(0, 0), Rgb(clBtnShadow));  // sunken
    EXPECT_EQ(image->Canvas()->Pixels(1, 1), Rgb(cl3DDkShadow));

    // Held with the mouse the button is focused: frame, flat shadow ring, and the default frame
    // moves off the default button.
    win32::SendMessage(plain->Handle(), BM_SETSTATE, 0, 0);
    MoveMouseTo(plain, 20, 10);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    image = BitmapOf(plain);
    EXPECT_EQ(image->Canvas()->Pixels(0, 0), Rgb(clWindowFrame));
    EXPECT_EQ(image->Canvas()->Pixels(1, 1), Rgb(clBtnShadow));
    EXPECT_EQ(image->Canvas()->Pixels(2, 2), Rgb(clBtnFace));
    EXPECT_NE(BitmapOf(def)->Canvas()->Pixels(0, 0), Rgb(clWindowFrame));
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
}

TEST_F(ButtonPixelsTest, CheckMarksAndDisabledText) {
    TForm* form = ShowForm();
    auto* check = Make<TCheckBox>(form, "Check", 10, 10);
    check->SetCaption("Check");
    PumpUntilIdle();
    // The box is 13 pixels, vertically centred; its inside (below the 2-pixel edge) is window white.
    const Integer boxTop = (check->Height() - 13) / 2;
    auto image = BitmapOf(check);
    EXPECT_EQ(image->Canvas()->Pixels(3, boxTop + 3), Rgb(clWindow));
    constexpr Integer captionLeft = 17;  // the box and the gap after it
    EXPECT_TRUE(HasColor(image.get(), clWindowText, captionLeft));
    check->SetCheckedValue(true);
    image = BitmapOf(check);
    EXPECT_EQ(image->Canvas()->Pixels(6, boxTop + 6), Rgb(clWindowText));  // the check mark
    check->SetEnabled(false);
    image = BitmapOf(check);
    EXPECT_EQ(image->Canvas()->Pixels(3, boxTop + 3), Rgb(clBtnFace));
    EXPECT_FALSE(HasColor(image.get(), clWindowText, captionLeft));
    EXPECT_TRUE(HasColor(image.get(), clBtnShadow, captionLeft));

    auto* label = Make<TLabel>(form, "Label", 10, 40);
    label->SetCaption("Disabled");
    EXPECT_FALSE(HasColor(BitmapOf(label).get(), clBtnShadow));
    label->SetEnabled(false);
    image = BitmapOf(label);
    EXPECT_TRUE(HasColor(image.get(), clBtnShadow));
    EXPECT_TRUE(HasColor(image.get(), clBtnHighlight));
    EXPECT_FALSE(HasColor(image.get(), clWindowText));
}

}  // namespace
}  // namespace zyltest
