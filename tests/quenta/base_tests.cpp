// The dialog base classes: the sounds, the window settings a form receives, and the button
// settings reaching a button.
#include <vector>

#include "dialog_fixture.h"
#include "quenta/zyldbviews.h"
#include "quenta/zyldialogs.h"
#include "quenta/zylpassword.h"
#include "vcl/buttons.h"
#include "vcl/streaming.h"

namespace base_tests {

using namespace vcl;
using namespace quenta;

class DialogBase : public dialogtest::DialogTest {};

TEST_F(DialogBase, EachSoundPlaysItsBeepAndExecuteAnswersFalse) {
    TComponentPtr<TZylDialogComponent> dialog(new TZylDialogComponent(nullptr));
    const std::pair<TZylBeeptype, win32::UINT> sounds[] = {
        {bDefault, 0}, {bAsterix, 0x40}, {bExclamation, 0x30}, {bQuestion, 0x20}, {bCriticalStop, 0x10}};
    for (const auto& [sound, beep] : sounds) {
        dialog->SetSound(sound);
        EXPECT_FALSE(dialog->Execute());
        ASSERT_FALSE(win32::testing::Beeps().empty());
        EXPECT_EQ(win32::testing::Beeps().back(), beep);
    }
    dialog->SetSound(bNone);
    dialog->Execute();
    EXPECT_EQ(win32::testing::Beeps().size(), std::size(sounds));
    dialog->SetDesignExecute(std::string(40, 'x'));
    EXPECT_EQ(dialog->DesignExecute().size(), 30u);
}

TEST_F(DialogBase, TheWindowSettingsReachTheForm) {
    TComponentPtr<TZylAdvDialogComponent> dialog(new TZylAdvDialogComponent(nullptr));
    EXPECT_EQ(dialog->FormWidth(), 500);
    EXPECT_EQ(dialog->FormHeight(), 350);
    EXPECT_EQ(dialog->BorderStyle(), bsDialog);
    dialog->SetFormCaption("Settings");
    dialog->SetFormLeft(40);
    dialog->SetFormTop(30);
    dialog->SetHelpContext(12);
    dialog->SetBorderStyle(bsSizeable);
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    dialog->SetFormProperties(form.get());
    EXPECT_EQ(form->Caption(), "Settings");
    EXPECT_EQ(form->Width(), 500);
    EXPECT_EQ(form->Height(), 350);
    EXPECT_EQ(form->Left(), 40);
    EXPECT_EQ(form->Top(), 30);
    EXPECT_EQ(form->HelpContext(), 12);
    EXPECT_EQ(form->BorderStyle(), bsSizeable);
}

TEST_F(DialogBase, WindowSettingsSurviveTheFormFileWhateverTheDialogStartsWith) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetName("Owner");
    auto* memo = new TZylDBMemoView(form.get());
    memo->SetName("Memo");
    auto* password = new TZylPasswordDlg(form.get());
    password->SetName("Password");
    EXPECT_EQ(memo->FormWidth(), 535);
    EXPECT_EQ(memo->FormCaption(), "DB Memo Viewer");
    // The base's values, which these dialogs do not start with.
    memo->SetFormWidth(500);
    memo->SetPosition(poDesigned);
    password->SetFormCaption("Sign in");
    password->SetPassword("Key");
    const std::string text = ComponentToText(form.get());
    EXPECT_EQ(text.find("FormHeight"), std::string::npos) << text;
    EXPECT_EQ(text.find("Password ="), std::string::npos) << "only the scramble is written";

    TComponentPtr<TForm> read(new TForm(nullptr, 0));
    ReadComponentText(text, read.get());
    auto* readMemo = dynamic_cast<TZylDBMemoView*>(read->FindComponent("Memo"));
    auto* readPassword = dynamic_cast<TZylPasswordDlg*>(read->FindComponent("Password"));
    ASSERT_TRUE(readMemo && readPassword);
    EXPECT_EQ(readMemo->FormWidth(), 500);
    EXPECT_EQ(readMemo->FormHeight(), 367);
    EXPECT_EQ(readMemo->Position(), poDesigned);
    EXPECT_EQ(readPassword->FormCaption(), "Sign in");
    EXPECT_EQ(readPassword->Password(), "KEY");
}

TEST_F(DialogBase, ButtonDetailsReachABitmapButtonAndCountGlyphsSafely) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    auto* button = new TSpeedButton(form.get());
    button->SetParent(form.get());
    TZylButtonDetails details(button);
    details.SetCaption("Go");
    details.SetEnabled(false);
    details.SetHint("Runs it");
    EXPECT_EQ(button->Caption(), "Go");
    EXPECT_FALSE(button->Enabled());
    EXPECT_EQ(button->Hint(), "Runs it");

    struct Case {
        int width, height, count;
    };
    // A zero-height glyph must not divide by zero; a long strip holds at most four images.
    for (const Case c : {Case{0, 0, 1}, Case{32, 16, 2}, Case{160, 16, 4}, Case{8, 16, 1}, Case{16, 0, 1}}) {
        TBitmap glyph;
        glyph.SetSize(c.width, c.height);
        details.SetGlyph(&glyph);
        EXPECT_EQ(ZylGlyphCount(&glyph), c.count) << c.width << "x" << c.height;
        EXPECT_EQ(button->NumGlyphs(), c.count) << c.width << "x" << c.height;
    }
    // Details of a component that is no button only keep the values.
    TZylButtonDetails plain(nullptr);
    plain.SetCaption("Kept");
    TZylButtonDetails copy(nullptr);
    copy.Assign(&plain);
    EXPECT_EQ(copy.Caption(), "Kept");
}

}  // namespace base_tests
