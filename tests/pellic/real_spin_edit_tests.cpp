// The real-number spin edit: the calculator-like typing table, deletion, the clipboard, limits and
// the buttons' states, the conversions, the locale's separator, and random typing that must always
// leave a number.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <string>

#include "pellic/zyltrealspinedit.h"
#include "support/ui_fixture.h"
#include "vcl/clipbrd.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace real_spin_edit_tests {

using namespace pellic;
using win32::input::Ctrl;

class RealSpinEditTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm();
        edit = new TZylRealSpinEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 120, 21);
        edit->OnChange = [this](vcl::TObject*) { ++changes; };
        edit->OnValidChange = [this](vcl::TObject*) { ++validChanges; };
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
    void TearDown() override {
        vcl::FormatSettings = vcl::DefaultFormatSettings();
        UiFixture::TearDown();
    }

    void Start(const char* text, int caret) {
        edit->SetText(text);
        edit->SetSelStart(caret);
    }
    // Keys as typed: characters, '\b' for Backspace and '\x7f' for Delete.
    void Keys(const std::string& keys) {
        for (char key : keys) {
            if (key == '\b')
                PressKey(win32::VK_BACK);
            else if (key == '\x7f')
                PressKey(win32::VK_DELETE);
            else
                TypeText(std::string(1, key));
        }
    }
    static size_t Beeps() { return win32::testing::Beeps().size(); }

    vcl::TForm* form = nullptr;
    TZylRealSpinEdit* edit = nullptr;
    vcl::TButton* ok = nullptr;
    vcl::TButton* cancel = nullptr;
    int changes = 0, validChanges = 0, okClicks = 0, cancelClicks = 0;
};

TEST_F(RealSpinEditTest, TypingWorksLikeACalculatorDisplay) {
    const struct {
        int decimals;
        double min, max;
        const char* text;
        int caret;
        std::string keys;
        const char* expected;
        int expectedCaret;
    } cases[] = {
        {2, 0, 0, "12.34", 3, "9", "12.94", 4},         // a decimal is overwritten
        {2, 0, 0, "12.34", 0, ".", "12.34", 3},         // the separator jumps to the decimals
        {2, 0, 0, "12.34", 5, ".", "12.34", 3},         //
        {2, 0, 0, "12.34", 4, "\b", "12.40", 3},        // the decimals move left, a zero fills
        {2, 0, 0, "12.34", 3, "\x7f", "12.40", 3},      //
        {2, 0, 0, "12.34", 2, "\x7f", "12.34", 3},      // Delete steps over the separator
        {2, 0, 0, "12.34", 3, "\b", "12.34", 2},        // and so does Backspace
        {2, 0, 0, "5.00", 1, "\b", "0.00", 1},          // the last whole digit leaves a zero
        {2, 0, 0, "0.00", 0, "78", "78.00", 2},         // a leading zero is replaced
        {2, 0, 0, "12.34", 5, "7", "12.34", 5},         // the decimals are complete
        {2, 0, 0, "12.34", 0, "0", "12.34", 0},         // no leading zero
        {2, 0, 0, "12.34", 1, "9", "192.34", 2},        // inserted in the whole part
        {2, -100, 100, "12.34", 2, "-", "-12.34", 3},   // the sign toggles
        {2, -100, 100, "12.34", 2, "--", "12.34", 2},   //
        {2, 0, 100, "12.34", 2, "-", "12.34", 2},       // no sign without negative values
        {2, -100, 100, "-5.00", 2, "\b3", "-3.00", 2},  // minus zero keeps its sign for the digit
        {0, -100, 100, "-0", 1, "53", "-53", 3},        //
        {0, -100, 100, "-5", 2, "\b7", "-7", 2},        //
        {0, -100, 100, "0", 1, "-", "-0", 2},           //
        {2, 0, 0, "12.34", 0, "a", "12.34", 0},         // other keys change nothing
        {0, 0, 0, "123456789012345", 3, "6", "123456789012345", 3},  // 15 whole digits at most
    };
    for (const auto& c : cases) {
        edit->SetDecimals(static_cast<int8_t>(c.decimals));
        edit->SetMinValue(0);
        edit->SetMaxValue(c.max);
        edit->SetMinValue(c.min);
        Start(c.text, c.caret);
        Keys(c.keys);
        EXPECT_EQ(edit->Text(), c.expected) << c.text << " at " << c.caret << " + " << c.keys;
        EXPECT_EQ(edit->SelStart(), c.expectedCaret) << c.text << " at " << c.caret << " + " << c.keys;
    }
}

TEST_F(RealSpinEditTest, ASelectionGoesAsTheKeyDemands) {
    // Backspace deletes exactly the selection.
    Start("12.34", 4);
    edit->SetSelLength(1);
    Keys("\b");
    EXPECT_EQ(edit->Text(), "12.30");
    // A selection across the separator keeps it.
    Start("12.34", 1);
    edit->SetSelLength(3);
    Keys("\b");
    EXPECT_EQ(edit->Text(), "1.40");
    // A key the edit swallows or refuses leaves the selection as it is.
    Start("12.34", 0);
    edit->SelectAll();
    PressKey(win32::VK_RETURN);
    Keys("a");
    EXPECT_EQ(edit->Text(), "12.34");
    EXPECT_EQ(edit->SelLength(), 5);
    EXPECT_EQ(okClicks, 1);
    // A digit replaces it.
    Keys("7");
    EXPECT_EQ(edit->Text(), "7.00");
    // Delete with a selection notifies the change once.
    Start("12.34", 3);
    edit->SetSelLength(2);
    changes = 0;
    PressKey(win32::VK_DELETE);
    EXPECT_EQ(edit->Text(), "12.00");
    EXPECT_EQ(changes, 1);
}

TEST_F(RealSpinEditTest, PastingReplaysPrintableCharacters) {
    const struct {
        const char* clipboard;
        const char* expected;
    } cases[] = {
        {"7a8", "78.00"},
        {"4\x1b"
         "5",
         "45.00"},  // no Escape for the cancel button
        {"1\t2\x16", "12.00"},
        {"6\r\n7", "6.00"},  // the first line only
    };
    for (const auto& c : cases) {
        Start("0.00", 0);
        vcl::Clipboard()->SetAsText(c.clipboard);
        PressKey('V', Ctrl);
        EXPECT_EQ(edit->Text(), c.expected) << c.clipboard;
    }
    EXPECT_EQ(okClicks + cancelClicks, 0);
    // Cut takes the selection to the clipboard and deletes it under the same rules.
    Start("12.34", 3);
    edit->SetSelLength(2);
    PressKey('X', Ctrl);
    EXPECT_EQ(vcl::Clipboard()->AsText(), "34");
    EXPECT_EQ(edit->Text(), "12.00");
}

TEST_F(RealSpinEditTest, StepsStayInsideTheLimitsAndTheButtonsFollowTheValueKept) {
    EXPECT_EQ(edit->Text(), "0.00");
    PressKey(win32::VK_UP);
    EXPECT_EQ(edit->Text(), "1.00");
    PressKey(win32::VK_PRIOR);
    EXPECT_EQ(edit->Text(), "11.00");

    edit->SetMaxValue(10);  // 11 is now outside: refused with a beep, the text stays
    EXPECT_EQ(edit->Text(), "11.00");
    edit->SetValue(10);
    TZylButtonClass* increase = edit->EditButton1();
    TZylButtonClass* decrease = edit->EditButton2();
    EXPECT_FALSE(increase->Enabled());
    EXPECT_TRUE(decrease->Enabled());
    size_t before = Beeps();
    PressKey(win32::VK_UP);
    EXPECT_EQ(edit->Text(), "10.00");
    EXPECT_EQ(Beeps() - before, 1u);
    // A refused value leaves the buttons as the value kept wants them.
    edit->SetValue(5);
    edit->SetValue(20);
    EXPECT_EQ(edit->Text(), "5.00");
    EXPECT_TRUE(increase->Enabled());
    // They follow typing.
    edit->SelectAll();
    Keys("10");
    EXPECT_EQ(edit->Text(), "10.00");
    EXPECT_FALSE(increase->Enabled());
    // And come back when the limits are switched off.
    edit->SetMaxValue(0);
    EXPECT_TRUE(increase->Enabled());
    EXPECT_TRUE(decrease->Enabled());
    // The buttons step; a read-only edit refuses them.
    ClickAt(edit, edit->ClientWidth() - decrease->Button()->Width() - 5, 8);
    EXPECT_EQ(edit->Text(), "11.00");
    ClickAt(edit, edit->ClientWidth() - 5, 8);
    EXPECT_EQ(edit->Text(), "10.00");
    edit->SetReadOnly(true);
    before = Beeps();
    ClickAt(edit, edit->ClientWidth() - 5, 8);
    EXPECT_EQ(edit->Text(), "10.00");
    EXPECT_EQ(Beeps() - before, 1u);
}

TEST_F(RealSpinEditTest, ChangesReportValidityWithoutRaising) {
    // With no limits only 0 is valid.
    edit->SetValue(1);
    EXPECT_EQ(validChanges, 0);
    edit->SetValue(0);
    EXPECT_EQ(validChanges, 1);
    edit->SetMinValue(-5);
    edit->SetMaxValue(5);
    edit->SetValue(3);
    EXPECT_EQ(validChanges, 2);
    const int before = changes;
    edit->SetText("abc");
    EXPECT_EQ(changes, before + 1);
    EXPECT_EQ(validChanges, 2);
    EXPECT_THROW(edit->Value(), vcl::EConvertError);
    int invalid = 0;
    edit->OnInvalidEntry = [&invalid](vcl::TObject*) { ++invalid; };
    ok->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(invalid, 1);
    edit->SetAsFloat(7.5);  // outside the limits, but As... does not check
    EXPECT_EQ(edit->Text(), "7.50");
    edit->SetFocus();
    ok->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(invalid, 2);
    EXPECT_EQ(edit->Text(), "7.50");
}

TEST_F(RealSpinEditTest, ConversionsAndDecimals) {
    edit->SetDecimals(12);
    EXPECT_EQ(edit->Decimals(), 9);
    edit->SetDecimals(-1);
    EXPECT_EQ(edit->Decimals(), 0);
    edit->SetDecimals(3);
    edit->SetAsFloat(2.5);
    EXPECT_EQ(edit->Text(), "2.500");
    const struct {
        double value;
        int asInteger;
    } cases[] = {{7.9, 7}, {-7.9, -7}, {1e12, INT_MAX}, {-1e12, INT_MIN}};
    for (const auto& c : cases) {
        edit->SetAsFloat(c.value);
        EXPECT_EQ(edit->AsInteger(), c.asInteger) << c.value;
    }
    edit->SetAsCurrency(vcl::Currency::FromRaw(123456));
    EXPECT_EQ(edit->Text(), "12.346");
    EXPECT_EQ(edit->AsCurrency().raw, 123460);
    // NaN and the infinities are never values.
    const size_t before = Beeps();
    edit->SetValue(std::nan(""));
    edit->SetValue(HUGE_VAL);
    edit->SetAsFloat(-HUGE_VAL);
    edit->SetMaxValue(std::nan(""));
    edit->SetStepSmall(HUGE_VAL);
    EXPECT_EQ(edit->Text(), "12.346");
    EXPECT_EQ(Beeps() - before, 2u);
    EXPECT_EQ(edit->MaxValue(), 0);
    PressKey(win32::VK_UP);
    EXPECT_EQ(edit->Text(), "13.346");
}

TEST_F(RealSpinEditTest, TheLocaleSeparatorIsTheOneTyped) {
    vcl::FormatSettings.DecimalSeparator = ',';
    edit->SetDecimals(2);
    edit->SetValue(0);
    EXPECT_EQ(edit->Text(), "0,00");
    Start("0,00", 0);
    Keys("12,5.7");
    EXPECT_EQ(edit->Text(), "12,57");
    EXPECT_DOUBLE_EQ(edit->Value(), 12.57);
}

TEST_F(RealSpinEditTest, RandomTypingAlwaysLeavesANumber) {
    std::mt19937 random(24);
    const std::string keys = "0123456789-.a\b\x7f";
    edit->SetMinValue(-1000);
    edit->SetMaxValue(1000);
    for (int round = 0; round < 600; ++round) {
        if (round % 50 == 0) edit->SetDecimals(static_cast<int8_t>(random() % 4));
        const int length = static_cast<int>(edit->Text().size());
        const int caret = static_cast<int>(random() % static_cast<unsigned>(length + 1));
        edit->SetSelStart(caret);
        edit->SetSelLength(static_cast<int>(random() % 3) == 0 ? static_cast<int>(random() % 3) : 0);
        Keys(std::string(1, keys[random() % keys.size()]));
        double value = 0;
        ASSERT_TRUE(vcl::TryStrToFloat(edit->Text(), value)) << edit->Text();
    }
}

}  // namespace real_spin_edit_tests
