// The message components answered by a user: every button of the message box, the input box and the
// choice box with its layout.
#include <string>
#include <vector>

#include "orvane/zyltmessages.h"
#include "system_fixture.h"
#include "vcl/buttons.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace messages_tests {

using namespace vcl;
using namespace orvane;

class MessageComponents : public systemtest::SystemTest {};

TEST_F(MessageComponents, EveryButtonOfTheBoxAnswersThroughItsEvent) {
    struct Case {
        const char* button;
        TModalResult result;
    };
    const Case cases[] = {{"Yes", mrYes},     {"No", mrNo},       {"OK", mrOk},         {"Cancel", mrCancel},
                          {"Abort", mrAbort}, {"Retry", mrRetry}, {"Ignore", mrIgnore}, {"All", mrAll}};
    for (const Case& c : cases) {
        TComponentPtr<TZylMsgBox> box(new TZylMsgBox(nullptr));
        box->SetButtons(TMsgDlgButtons{mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll});
        box->SetSound(bQuestion);
        std::vector<std::string> fired;
        auto record = [&fired](const char* name) {
            return [&fired, name](TObject*) { fired.push_back(name); };
        };
        box->OnYes = record("Yes");
        box->OnNo = record("No");
        box->OnOk = record("OK");
        box->OnCancel = record("Cancel");
        box->OnAbort = record("Abort");
        box->OnRetry = record("Retry");
        box->OnIgnore = record("Ignore");
        box->OnAll = record("All");
        Answer({[&] { ClickControl("MessageDlg", c.button); }});
        EXPECT_TRUE(box->Execute());
        EXPECT_EQ(box->ModalResult(), c.result) << c.button;
        EXPECT_EQ(fired, (std::vector<std::string>{c.button}));
    }
    EXPECT_EQ(win32::testing::Beeps().size(), std::size(cases));
}

TEST_F(MessageComponents, TheBoxShowsItsLinesEachEndedByACarriageReturnWhereItIsPlaced) {
    TComponentPtr<TZylMsgBox> box(new TZylMsgBox(nullptr));
    EXPECT_EQ(box->Caption()->Count(), 0) << "the design-time line is for the designer only";
    box->Caption()->Add("First line");
    box->Caption()->Add("Second line");
    box->SetMessageType(mtWarning);
    EXPECT_EQ(box->MessageText(), "First line\rSecond line\r");
    box->SetXPosition(40);
    box->SetYPosition(30);
    TRect placed{};
    std::string caption;
    auto look = [&] {
        TCustomForm* dialog = Dialog("MessageDlg");
        placed = dialog->BoundsRect();
        caption = dialog->Caption();
        dialog->SetModalResult(mrOk);
    };
    Answer({look});
    box->Execute();
    EXPECT_EQ(placed.left, 40);
    EXPECT_EQ(placed.top, 30);
    EXPECT_EQ(caption, "Warning");
    // Either position at -1 puts both back: the default place, the screen's centre.
    box->SetXPosition(-1);
    EXPECT_EQ(box->YPosition(), -1);
    Answer({look});
    box->Execute();
    EXPECT_EQ(placed.left, (1024 - (placed.right - placed.left)) / 2);
}

TEST_F(MessageComponents, TheInputBoxKeepsTheTextOnlyOnOk) {
    TComponentPtr<TZylMsgDlg> input(new TZylMsgDlg(nullptr));
    EXPECT_EQ(input->Return(), "Default Return");
    std::vector<std::string> fired;
    input->OnOk = [&](TObject*) { fired.push_back("ok"); };
    input->OnCancel = [&](TObject*) { fired.push_back("cancel"); };
    std::string caption;
    Answer({[&] {
        caption = Dialog("InputQuery")->Caption();
        win32::input::TypeText("typed");
        ClickControl("InputQuery", "OK");
    }});
    EXPECT_TRUE(input->Execute());
    EXPECT_EQ(caption, "Heading");
    EXPECT_EQ(input->Return(), "typed");
    Answer({[&] {
        win32::input::TypeText("thrown away");
        win32::input::PressKey(win32::VK_ESCAPE);
    }});
    EXPECT_FALSE(input->Execute());
    EXPECT_EQ(input->Return(), "typed");
    EXPECT_EQ(fired, (std::vector<std::string>{"ok", "cancel"}));
}

TEST_F(MessageComponents, TheChoiceBoxIsLaidOutAsDesignedAndReturnsTheChoice) {
    TComponentPtr<TZylMsgSelect> select(new TZylMsgSelect(nullptr));
    select->SetHeader("Pick a fruit");
    select->SetQuestion("Which one?");
    select->Items()->Add("Pear");
    select->Items()->Add("Apple");
    select->Items()->Add("Cherry");
    select->SetSorted(true);
    select->SetComboStyle(csDropDownList);
    select->SetReturn("Cherry");
    std::vector<std::string> fired;
    select->OnOk = [&](TObject*) { fired.push_back("ok"); };
    select->OnCancel = [&](TObject*) { fired.push_back("cancel"); };

    Answer({[&] {
        TCustomForm* form = Dialog("InputQueryEx");
        ASSERT_NE(form, nullptr);
        auto* label = dynamic_cast<TLabel*>(form->FindComponent("Prompt"));
        auto* combo = dynamic_cast<TComboBox*>(form->FindComponent("Combo"));
        auto* ok = dynamic_cast<TBitBtn*>(form->FindComponent("OK"));
        auto* cancel = dynamic_cast<TBitBtn*>(form->FindComponent("Cancel"));
        ASSERT_TRUE(label && combo && ok && cancel);
        EXPECT_EQ(form->Caption(), "Pick a fruit");
        EXPECT_EQ(form->BorderStyle(), bsDialog);
        EXPECT_EQ(form->Width(), 280);
        EXPECT_EQ(form->Left(), (1024 - 280) / 2);
        EXPECT_TRUE(form->Font()->Style().Contains(TFontStyle::fsBold));
        EXPECT_EQ(form->Font()->Name(), "MS Sans Serif");
        EXPECT_EQ(label->Caption(), "Which one?");
        EXPECT_EQ(systemtest::Sides(label->BoundsRect())[0], 10);
        EXPECT_EQ(label->Top(), 10);
        EXPECT_EQ(label->FocusControl(), combo);
        EXPECT_EQ(combo->Left(), 10);
        EXPECT_EQ(combo->Top(), label->Top() + label->Height() + 5);
        EXPECT_EQ(combo->Width(), form->ClientWidth() - 20);
        EXPECT_EQ(combo->MaxLength(), 127);
        EXPECT_EQ(combo->Items()->Strings(0), "Apple");
        EXPECT_EQ(combo->ItemIndex(), 1) << "the return value is selected";
        const Integer buttonTop = combo->Top() + combo->Height() + 10;
        EXPECT_EQ(systemtest::Sides(ok->BoundsRect()),
                  systemtest::Sides({form->ClientWidth() / 2 - 82, buttonTop, form->ClientWidth() / 2 - 5,
                                     buttonTop + 27}));
        EXPECT_EQ(cancel->Left(), ok->Left() + 77 + 10);
        EXPECT_EQ(cancel->Width(), 77);
        EXPECT_TRUE(cancel->Glyph()->Empty());
        EXPECT_EQ(form->ClientHeight(), buttonTop + 27 + 10);
        win32::input::PressKey(win32::VK_DOWN);  // Cherry -> Pear
        ClickControl("InputQueryEx", "OK");
    }});
    EXPECT_TRUE(select->Execute());
    EXPECT_EQ(select->Return(), "Pear");
    Answer({[&] { ClickControl("InputQueryEx", "Cancel"); }});
    EXPECT_FALSE(select->Execute());
    EXPECT_EQ(select->Return(), "Pear");
    EXPECT_EQ(fired, (std::vector<std::string>{"ok", "cancel"}));
}

}  // namespace messages_tests
