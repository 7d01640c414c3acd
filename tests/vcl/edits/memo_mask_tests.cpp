// Memos (lines, caret navigation, word wrap), masked edits (acceptance tables, validation) and the
// rich edit's attributes.
#include <gtest/gtest.h>

#include <string>

#include "support/ui_fixture.h"
#include "vcl/comctrls.h"
#include "vcl/mask.h"
#include "win32/virtualkeys.h"

namespace {

using namespace vcl;

class MemoTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm();
        memo = new TMemo(form);
        memo->SetParent(form);
        memo->SetBounds(10, 10, 200, 120);
        memo->SetFocus();
        PumpUntilIdle();
    }
    win32::LRESULT Send(win32::UINT msg, win32::WPARAM wParam = 0, win32::LPARAM lParam = 0) {
        return win32::SendMessage(memo->Handle(), msg, wParam, lParam);
    }
    TForm* form = nullptr;
    TMemo* memo = nullptr;
};

TEST_F(MemoTest, LinesAreBoundToTheText) {
    memo->Lines()->Add("first");
    memo->Lines()->Add("second");
    EXPECT_EQ(memo->Text(), "first\r\nsecond\r\n");
    EXPECT_EQ(memo->Lines()->Count(), 2);
    memo->Lines()->Insert(1, "middle");
    memo->Lines()->SetStrings(0, "FIRST");
    EXPECT_EQ(memo->Text(), "FIRST\r\nmiddle\r\nsecond\r\n");
    memo->Lines()->Delete(2);
    EXPECT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->Lines()->Strings(1), "middle");
    EXPECT_THROW(memo->Lines()->Strings(5), EStringListError);
    memo->Lines()->SetText("a\nb");
    EXPECT_EQ(memo->Text(), "a\r\nb");
    EXPECT_EQ(Send(win32::EM_GETLINECOUNT), 2);
    EXPECT_EQ(Send(win32::EM_LINEINDEX, 1), 3);
    EXPECT_EQ(Send(win32::EM_LINELENGTH, 3), 1);
    EXPECT_EQ(Send(win32::EM_LINEFROMCHAR, 4), 1);
}

TEST_F(MemoTest, EnterAndTabFollowWantReturnsAndWantTabs) {
    zyltest::UiFixture::TypeText("ab\rc\t");
    EXPECT_EQ(memo->Text(), "ab\r\nc");
    memo->SetWantTabs(true);
    zyltest::UiFixture::TypeText("\t");
    EXPECT_EQ(memo->Text(), "ab\r\nc\t");
    EXPECT_EQ(memo->CaretPos().y, 1);
    EXPECT_EQ(memo->CaretPos().x, 2);
}

TEST_F(MemoTest, UpAndDownKeepTheColumnAcrossShortLines) {
    memo->Font()->SetName("Courier New");  // equal widths: the kept x is the kept column
    memo->SetText("long line here\r\nab\r\nanother long line");
    memo->SetCaretPos(Point(10, 0));
    PressKey(win32::VK_DOWN);
    EXPECT_EQ(memo->CaretPos().y, 1);
    EXPECT_EQ(memo->CaretPos().x, 2);
    PressKey(win32::VK_DOWN);
    EXPECT_EQ(memo->CaretPos().y, 2);
    EXPECT_EQ(memo->CaretPos().x, 10);
    PressKey(win32::VK_UP, win32::input::Shift);
    EXPECT_EQ(memo->SelLength(), static_cast<Integer>(std::string("\r\nanother lo").size()));
    PressKey(win32::VK_HOME);
    EXPECT_EQ(memo->CaretPos().x, 0);
    PressKey(win32::VK_END, win32::input::Ctrl);
    EXPECT_EQ(memo->SelStart(), static_cast<Integer>(memo->Text().size()));
}

TEST_F(MemoTest, WordWrapBreaksAtBlanksAndFollowsTheWidth) {
    const std::string text = "the quick brown fox jumps over the lazy dog again and again";
    memo->SetText(text);
    const auto wrapped = Send(win32::EM_GETLINECOUNT);
    EXPECT_GT(wrapped, 1);
    // Every wrapped line but the last ends after a blank.
    for (int line = 0; line + 1 < wrapped; ++line) {
        const auto next = static_cast<size_t>(Send(win32::EM_LINEINDEX, line + 1));
        EXPECT_EQ(text[next - 1], ' ') << "line " << line;
    }
    EXPECT_EQ(memo->Lines()->Count(), wrapped);
    memo->SetWidth(400);
    EXPECT_LT(Send(win32::EM_GETLINECOUNT), wrapped);
    memo->SetWordWrap(false);
    EXPECT_EQ(Send(win32::EM_GETLINECOUNT), 1);
    EXPECT_EQ(memo->Text(), text);
}

TEST_F(MemoTest, ScrollingMessagesMoveTheFirstVisibleLine) {
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    memo->SetText(text);
    EXPECT_EQ(Send(win32::EM_GETFIRSTVISIBLELINE), 0);
    Send(win32::EM_LINESCROLL, 0, 5);
    EXPECT_EQ(Send(win32::EM_GETFIRSTVISIBLELINE), 5);
    EXPECT_EQ(win32::LOWORD(Send(win32::EM_SCROLL, win32::SB_LINEDOWN)), 1);
    EXPECT_EQ(Send(win32::EM_GETFIRSTVISIBLELINE), 6);
    Send(win32::EM_SETSEL, 0, 0);
    Send(win32::EM_SCROLLCARET);
    EXPECT_EQ(Send(win32::EM_GETFIRSTVISIBLELINE), 0);
    PressKey(win32::VK_END, win32::input::Ctrl);
    EXPECT_GT(Send(win32::EM_GETFIRSTVISIBLELINE), 20);
    const win32::LRESULT hit = Send(win32::EM_CHARFROMPOS, 0, win32::MAKELPARAM(3, 2));
    EXPECT_EQ(static_cast<int>(win32::HIWORD(hit)), Send(win32::EM_GETFIRSTVISIBLELINE));
}

struct MaskCase {
    const char* mask;
    const char* typed;
    const char* editText;
    const char* text;
};

class MaskEditTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm();
        mask = new TMaskEdit(form);
        mask->SetParent(form);
        mask->SetBounds(10, 10, 150, 21);
        mask->SetFocus();
        PumpUntilIdle();
    }
    TForm* form = nullptr;
    TMaskEdit* mask = nullptr;
};

TEST_F(MaskEditTest, TypingAcceptsOnlyWhatTheMaskAllows) {
    const MaskCase cases[] = {
        {"000;1;_", "1a2b3", "123", "123"},
        {"!\\(999\\)000-0000;1;_", "5551234567", "(555)123-4567", "(555)123-4567"},
        {"!\\(999\\)000-0000;0;_", "5551234567", "(555)123-4567", "5551234567"},
        {">LL<ll", "aBcD", "ABcd", "ABcd"},
        {"00/00/00;1;*", "12x3", "12/3*/**", "12/3 /  "},
        {"#99", "-42", "-42", "-42"},
        {"AAA", "a1-b", "a1b", "a1b"},
        {"L\\LL", "xLy", "xLy", "xLy"},
        {"ccc;0;_", "  ", "  _", "   "},
    };
    for (const MaskCase& c : cases) {
        mask->SetEditMask("");
        mask->SetText("");
        mask->SetEditMask(c.mask);
        mask->SelectAll();
        mask->SetSelStart(0);
        TypeText(c.typed);
        EXPECT_EQ(mask->EditText(), c.editText) << c.mask;
        EXPECT_EQ(mask->Text(), c.text) << c.mask;
    }
}

TEST_F(MaskEditTest, ValidateEditRefusesMissingRequiredCharacters) {
    mask->SetEditMask("000-00;1;_");
    TypeText("12");
    try {
        mask->ValidateEdit();
        FAIL() << "an incomplete entry passed";
    } catch (const EDBEditError& error) {
        EXPECT_STREQ(error.what(), "Invalid input value.  Use escape key to abandon changes");
    }
    EXPECT_EQ(mask->SelStart(), 2);
    TypeText("345");
    EXPECT_NO_THROW(mask->ValidateEdit());
    EXPECT_EQ(mask->Text(), "123-45");
}

TEST_F(MaskEditTest, BackspaceBlanksAndTheCaretSkipsLiterals) {
    mask->SetEditMask("00-00;1;_");
    TypeText("12");
    EXPECT_EQ(mask->SelStart(), 3);  // past the literal dash
    PressKey(win32::VK_BACK);
    EXPECT_EQ(mask->EditText(), "1_-__");
    EXPECT_EQ(mask->SelStart(), 1);
    mask->SetText("12-34");
    EXPECT_EQ(mask->EditText(), "12-34");
    EXPECT_EQ(FormatMaskText("00-00;0;_", "1234"), "1234");
    EXPECT_EQ(FormatMaskText("00-00;1;_", "1234"), "12-34");
}

class RichEditTest : public zyltest::UiFixture {};

TEST_F(RichEditTest, AttributesChangeTheWholeTextFont) {
    TRichEdit rich(nullptr);
    rich.SelAttributes()->SetColor(clRed);
    rich.DefAttributes()->SetStyle(TFontStyles{fsBold});
    EXPECT_EQ(rich.Font()->Color(), clRed);
    EXPECT_TRUE(rich.Font()->Style().Contains(fsBold));
    rich.Lines()->Add("Find me here");
    EXPECT_EQ(rich.FindText("me", 0, 100), 5);
    EXPECT_EQ(rich.FindText("ME", 0, 100, false), 5);
    EXPECT_EQ(rich.FindText("here", 0, 6), -1);
    TFont font;
    font.Assign(rich.SelAttributes());
    EXPECT_EQ(font.Color(), clRed);
}

}  // namespace
