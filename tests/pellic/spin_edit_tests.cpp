// The integer spin edit: limits and steps (near the ends of the 32-bit range too), keys, typing and
// the clipboard, Enter and Escape on a dialog, the docked button; forms holding every spin control
// streamed to text and back; the package's palette.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "pellic/zyltdbspinedit.h"
#include "pellic/zyltrealspinedit.h"
#include "pellic/zyltspinedit.h"
#include "support/ui_fixture.h"
#include "vcl/clipbrd.h"
#include "vcl/designintf.h"
#include "vcl/streaming.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace pellic {
void Register();
}

namespace spin_edit_tests {

using namespace pellic;
using win32::input::Ctrl;

class SpinEditTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm();
        edit = new TZylSpinEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 100, 21);
        ok = new vcl::TButton(form);
        ok->SetParent(form);
        ok->SetBounds(10, 100, 75, 25);
        ok->SetDefault(true);
        ok->OnClick = [this](vcl::TObject*) { ++okClicks; };
        cancel = new vcl::TButton(form);
        cancel->SetParent(form);
        cancel->SetBounds(100, 100, 75, 25);
        cancel->SetCancel(true);
        cancel->OnClick = [this](vcl::TObject*) { ++cancelClicks; };
        edit->SetFocus();
        PumpUntilIdle();
    }

    static size_t Beeps() { return win32::testing::Beeps().size(); }
    // A click on the docked button's top or bottom half.
    void ClickButton(bool top) {
        TZylCustomSpinButton* button = edit->Button();
        ClickAt(button, top ? 2 : button->Width() - 3, top ? 2 : button->Height() - 3);
    }

    vcl::TForm* form = nullptr;
    TZylSpinEdit* edit = nullptr;
    vcl::TButton* ok = nullptr;
    vcl::TButton* cancel = nullptr;
    int okClicks = 0;
    int cancelClicks = 0;
};

TEST_F(SpinEditTest, StepsStayInsideTheLimitsAndThe32BitRange) {
    const int kMin = INT32_MIN, kMax = INT32_MAX;
    const struct {
        int min, max, value, line, page, key;
        int expected;
    } cases[] = {
        {0, 100, 95, 10, 10, win32::VK_UP, 100},
        {0, 100, 100, 10, 10, win32::VK_UP, 100},
        {0, 100, 3, 10, 10, win32::VK_DOWN, 0},
        {0, 100, 50, 1, 30, win32::VK_PRIOR, 80},
        {0, 100, 50, 1, 30, win32::VK_NEXT, 20},
        {kMin, kMax, kMax - 1, 10, 10, win32::VK_UP, kMax},
        {kMin, kMax, kMin + 1, 10, 10, win32::VK_DOWN, kMin},
        {kMin, kMax, kMax, kMax, 10, win32::VK_UP, kMax},
        {kMin, kMax, kMin, kMin, 10, win32::VK_UP, kMin},
        {kMin, kMax, 5, 1, kMin, win32::VK_NEXT, kMax},
        {kMin, kMax, -5, 1, kMin, win32::VK_PRIOR, kMin},
    };
    for (const auto& c : cases) {
        edit->SetMinValue(c.min);
        edit->SetMaxValue(c.max);
        edit->SetMinValue(c.min);
        edit->SetValue(c.value);
        edit->SetLineSize(c.line);
        edit->SetMultipleLineSize(c.page);
        PressKey(c.key);
        EXPECT_EQ(edit->Value(), c.expected) << c.value << " key " << c.key;
    }
    // The button steps as the arrows do.
    edit->SetMaxValue(100);
    edit->SetMinValue(0);
    edit->SetLineSize(10);
    edit->SetValue(95);
    ClickButton(true);
    EXPECT_EQ(edit->Text(), "100");
    ClickButton(true);
    EXPECT_EQ(edit->Text(), "100");
    ClickButton(false);
    EXPECT_EQ(edit->Text(), "90");
}

TEST_F(SpinEditTest, LimitsSetInCodeKeepMinBelowMax) {
    edit->SetValue(40);
    edit->SetMaxValue(-10);  // not above MinValue 0: ignored
    EXPECT_EQ(edit->MaxValue(), 100);
    edit->SetMinValue(100);  // not below MaxValue: ignored
    EXPECT_EQ(edit->MinValue(), 0);
    edit->SetMinValue(-50);
    edit->SetMaxValue(-10);
    EXPECT_EQ(edit->MinValue(), -50);
    EXPECT_EQ(edit->MaxValue(), -10);
    EXPECT_EQ(edit->Text(), "-10");
    edit->SetMinValue(-20);
    edit->SetValue(-99);
    EXPECT_EQ(edit->Text(), "-20");
}

TEST_F(SpinEditTest, TypingTakesSignsAndDigitsOnly) {
    const size_t before = Beeps();
    edit->SelectAll();
    TypeText("abc");
    EXPECT_EQ(edit->Text(), "0");
    EXPECT_EQ(Beeps() - before, 3u);
    TypeText("-12");
    EXPECT_EQ(edit->Text(), "-12");
    // Pasted text goes in as it is and reads as MinValue; leaving keeps it, since MinValue is
    // within the limits.
    vcl::Clipboard()->SetAsText("abc");
    edit->SelectAll();
    PressKey('V', Ctrl);
    EXPECT_EQ(edit->Text(), "abc");
    EXPECT_EQ(edit->Value(), 0);
    ok->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(edit->Text(), "abc");
    // An empty text reads as MinValue and takes it.
    edit->SetText("");
    EXPECT_EQ(edit->Value(), 0);
    EXPECT_EQ(edit->Text(), "0");
    // Leaving with a value outside the limits writes it back clamped.
    edit->SetText("250");
    edit->SetFocus();
    ok->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(edit->Text(), "100");
}

TEST_F(SpinEditTest, WithoutCutandPasteOnlyTheButtonAndKeysChangeTheValue) {
    edit->SetCutandPaste(false);
    edit->SetValue(5);
    vcl::Clipboard()->SetAsText("77");
    edit->SetSelStart(1);
    const size_t before = Beeps();
    PressKey(win32::VK_BACK);
    TypeText("3");
    PressKey('V', Ctrl);
    PressKey('X', Ctrl);
    EXPECT_EQ(edit->Text(), "5");
    EXPECT_EQ(Beeps() - before, 2u);  // Backspace and the digit
    PressKey(win32::VK_UP);
    PressKey(win32::VK_PRIOR);
    ClickButton(true);
    EXPECT_EQ(edit->Text(), "17");
}

TEST_F(SpinEditTest, EnterAndEscapeReachTheDialogButtonsOnce) {
    edit->SetValue(12);
    edit->SetSelStart(2);
    PressKey(win32::VK_RETURN);
    EXPECT_EQ(okClicks, 1);
    PressKey(win32::VK_ESCAPE);
    EXPECT_EQ(cancelClicks, 1);
    // Ctrl+Enter is neither a line break nor the default button.
    PressKey(win32::VK_RETURN, Ctrl);
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(edit->Text(), "12");
    EXPECT_EQ(edit->Engine().LineCount(), 1);
}

TEST_F(SpinEditTest, ReadOnlyStepsBeepExceptThePageKeys) {
    edit->SetValue(5);
    edit->SetReadOnly(true);
    const size_t before = Beeps();
    PressKey(win32::VK_UP);
    ClickButton(false);
    PressKey(win32::VK_PRIOR);
    EXPECT_EQ(edit->Text(), "5");
    EXPECT_EQ(Beeps() - before, 2u);
}

TEST_F(SpinEditTest, TheButtonSitsInsideTheRightEdgeAndTheTextStopsBeforeIt) {
    const vcl::TRect client = edit->ClientRect();
    TZylCustomSpinButton* button = edit->Button();
    EXPECT_EQ(button->Width(), client.bottom);
    EXPECT_EQ(button->Height(), client.bottom);
    EXPECT_EQ(button->Parent()->Left() + button->Parent()->Width(), client.right);
    win32::RECT format{};
    win32::SendMessage(edit->Handle(), win32::EM_GETRECT, 0, reinterpret_cast<win32::LPARAM>(&format));
    EXPECT_EQ(format.right, client.right - button->Width() - 2);
    // Too low for its font, the edit grows to the smallest height that fits.
    edit->SetAutoSize(false);
    edit->SetHeight(8);
    EXPECT_EQ(edit->Height(), edit->GetMinHeight());
    // Disabled, the button is too.
    edit->SetEnabled(false);
    EXPECT_EQ(button->Down(), TZylButtonState::bsDisabled);
}

// ---------------------------------------------------------------------------------------------
// Forms

class SpinFormTest : public zyltest::UiFixture {};

TEST_F(SpinFormTest, EveryControlStreamsToTextAndBack) {
    vcl::TComponentPtr<vcl::TForm> design(new vcl::TForm(nullptr, 0));
    design->SetName("Numbers");
    auto* spin = new TZylSpinEdit(design.get());
    spin->SetName("Spin1");
    spin->SetParent(design.get());
    spin->SetMinValue(-50);
    spin->SetMaxValue(-10);
    spin->SetValue(-20);
    spin->SetLineSize(5);
    spin->SetMultipleLineSize(7);
    spin->SetCutandPaste(false);
    spin->SetButtonColor(vcl::clRed);
    spin->SetArrowColor(vcl::clBlue);
    auto* button = new TZylSpinButton(design.get());
    button->SetName("Button1");
    button->SetParent(design.get());
    button->SetColor(vcl::clYellow);
    button->SetArrowColor(vcl::clNavy);
    button->SetAutoRepeat(true);
    button->SetRepeatDelay(250);
    auto* real = new TZylRealSpinEdit(design.get());
    real->SetName("Real1");
    real->SetParent(design.get());
    real->SetDecimals(3);
    real->SetMinValue(-5.5);
    real->SetMaxValue(99.25);
    real->SetStepSmall(0.25);
    real->SetStepBig(2.5);
    real->SetValue(-1.234);
    real->SetAlignment(vcl::TAlignment::taCenter);
    auto* data = new TZylDBSpinEdit(design.get());
    data->SetName("Data1");
    data->SetParent(design.get());
    data->SetMinValue(-8);
    data->SetMaxValue(-2);
    data->SetLineSize(3);

    const std::string text = vcl::ComponentToText(design.get());
    EXPECT_NE(text.find("MaxValue = -10"), std::string::npos) << text;
    vcl::TComponentPtr<vcl::TForm> loaded(new vcl::TForm(nullptr, 0));
    vcl::ReadComponentText(text, loaded.get());
    EXPECT_EQ(vcl::ComponentToText(loaded.get()), text);

    // Written again, the form read back says the same: every value that differs from its default
    // was read. The value's text depends on the limits and decimals read after it.
    auto* spin2 = dynamic_cast<TZylSpinEdit*>(loaded->FindComponent("Spin1"));
    auto* real2 = dynamic_cast<TZylRealSpinEdit*>(loaded->FindComponent("Real1"));
    ASSERT_TRUE(spin2 && real2);
    EXPECT_EQ(spin2->Text(), "-20");
    EXPECT_EQ(real2->Text(), "-1.234");
}

TEST_F(SpinFormTest, LimitsFromAFormAreTakenAsStoredAndCheckedOnceRead) {
    const struct {
        const char* limits;
        const char* value;
        int min, max;
        const char* text;
    } cases[] = {
        {"MaxValue = -10\n    MinValue = -50", "-30", -50, -10, "-30"},
        {"MinValue = -50\n    MaxValue = -10", "-30", -50, -10, "-30"},
        // Stored the wrong way round: exchanged, not lost.
        {"MaxValue = -50\n    MinValue = -10", "-30", -50, -10, "-30"},
        // A value outside the stored limits is brought inside.
        {"MaxValue = 20\n    MinValue = 10", "99", 10, 20, "20"},
        // Equal limits clamp nothing.
        {"MaxValue = 7\n    MinValue = 7", "99", 7, 7, "99"},
    };
    for (const auto& c : cases) {
        const std::string text = std::string("object Numbers: TForm\n  object Spin1: TZylSpinEdit\n    ") +
                                 c.limits + "\n    Value = " + c.value + "\n  end\nend\n";
        vcl::TComponentPtr<vcl::TForm> loaded(new vcl::TForm(nullptr, 0));
        vcl::ReadComponentText(text, loaded.get());
        auto* spin = dynamic_cast<TZylSpinEdit*>(loaded->FindComponent("Spin1"));
        ASSERT_NE(spin, nullptr);
        EXPECT_EQ(spin->MinValue(), c.min) << c.limits;
        EXPECT_EQ(spin->MaxValue(), c.max) << c.limits;
        EXPECT_EQ(spin->Text(), c.text) << c.limits;
    }
}

TEST(SpinPalette, RegisterPutsTheSpinControlsOnTheirPages) {
    pellic::Register();
    auto onPage = [](const std::string& pageName, vcl::TClass cls) {
        for (const vcl::TPalettePage& page : vcl::Palette())
            if (page.name == pageName &&
                std::find(page.classes.begin(), page.classes.end(), cls) != page.classes.end())
                return true;
        return false;
    };
    EXPECT_TRUE(onPage("Zyl Standard", TZylSpinButton::StaticClass()));
    EXPECT_TRUE(onPage("Zyl Standard", TZylSpinEdit::StaticClass()));
    EXPECT_TRUE(onPage("Zyl Standard", TZylRealSpinEdit::StaticClass()));
    EXPECT_TRUE(onPage("Zyl Data-Aware", TZylDBSpinEdit::StaticClass()));
    // The value is the field's: the data-aware edit does not store it.
    EXPECT_FALSE(TZylDBSpinEdit::StaticClass()->FindProperty("Value")->IsStored(nullptr));
}

}  // namespace spin_edit_tests
