// Edits driven as a user would: typing, selecting with keys and mouse, the clipboard, limits,
// case conversion, read-only, undo, the change notifications and the EM_* messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ui_fixture.h"
#include "vcl/clipbrd.h"
#include "vcl/stdctrls_edit.h"
#include "vcl/streaming.h"
#include "win32/virtualkeys.h"

namespace {

using namespace vcl;
using win32::input::Ctrl;
using win32::input::Shift;

class EditTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm();
        form->SetWindowProc([this](TMessage& m) {
            if (m.Msg == win32::WM_COMMAND && edit && edit->HandleAllocated() &&
                m.LParam == reinterpret_cast<win32::LPARAM>(edit->Handle()))
                notifications.push_back(win32::HIWORD(m.WParam));
            form->WndProc(m);
        });
        edit = new TEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 150, 21);
        edit->OnChange = [this](TObject*) { ++changes; };
        edit->SetFocus();
        PumpUntilIdle();
    }

    win32::LRESULT Send(win32::UINT msg, win32::WPARAM wParam = 0, win32::LPARAM lParam = 0) {
        return win32::SendMessage(edit->Handle(), msg, wParam, lParam);
    }
    int Count(win32::WORD code) const {
        return static_cast<int>(std::count(notifications.begin(), notifications.end(), code));
    }

    TForm* form = nullptr;
    TEdit* edit = nullptr;
    int changes = 0;
    std::vector<win32::WORD> notifications;
};

TEST_F(EditTest, TypingInsertsAtTheCaretAndNotifiesEachChange) {
    TypeText("hello");
    EXPECT_EQ(edit->Text(), "hello");
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(Count(win32::EN_CHANGE), 5);
    EXPECT_EQ(Count(win32::EN_UPDATE), 5);
    EXPECT_EQ(edit->SelStart(), 5);
    EXPECT_TRUE(edit->Modified());
    PressKey(win32::VK_HOME);
    TypeText(">");
    EXPECT_EQ(edit->Text(), ">hello");
    EXPECT_EQ(edit->SelStart(), 1);
    PressKey(win32::VK_BACK);
    PressKey(win32::VK_DELETE);
    EXPECT_EQ(edit->Text(), "ello");
}

TEST_F(EditTest, OnChangeOnlyForRealChanges) {
    edit->SetText("abc");
    edit->SetText("abc");
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(edit->Modified());
    PressKey(win32::VK_BACK);  // caret at 0: nothing to delete
    PressKey(win32::VK_LEFT);
    EXPECT_EQ(changes, 1);
    edit->SetSelText("");
    EXPECT_EQ(changes, 1);
}

TEST_F(EditTest, ShiftArrowsAndCtrlArrowsSelectAndMoveByWords) {
    TypeText("one two three");
    PressKey(win32::VK_LEFT, Shift);
    PressKey(win32::VK_LEFT, Shift);
    EXPECT_EQ(edit->SelText(), "ee");
    PressKey(win32::VK_LEFT, Ctrl);
    EXPECT_EQ(edit->SelStart(), 8);
    EXPECT_EQ(edit->SelLength(), 0);
    PressKey(win32::VK_LEFT, Ctrl);
    EXPECT_EQ(edit->SelStart(), 4);
    PressKey(win32::VK_RIGHT, Ctrl | Shift);
    EXPECT_EQ(edit->SelText(), "two ");
    PressKey(win32::VK_END, Shift);
    EXPECT_EQ(edit->SelText(), "two three");
    PressKey(win32::VK_HOME);
    EXPECT_EQ(edit->SelStart(), 0);
}

TEST_F(EditTest, CaretNeverStandsInsideAMultiByteCharacter) {
    edit->SetText("a\xC3\xA9z");  // a, e acute (two bytes), z
    Send(win32::EM_SETSEL, 2, 2);
    EXPECT_EQ(edit->SelStart(), 1);
    Send(win32::EM_SETSEL, 4, 4);
    PressKey(win32::VK_LEFT);
    PressKey(win32::VK_LEFT);
    EXPECT_EQ(edit->SelStart(), 1);
    PressKey(win32::VK_DELETE);
    EXPECT_EQ(edit->Text(), "az");
    TypeText("\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(edit->Text(), "a\xE2\x82\xACz");
    EXPECT_EQ(edit->SelStart(), 4);
}

TEST_F(EditTest, MouseClickDragAndDoubleClickSelect) {
    edit->SetText("alpha beta gamma");
    const win32::LRESULT endPoint = Send(win32::EM_POSFROMCHAR, 16);
    const win32::LRESULT betaPoint = Send(win32::EM_POSFROMCHAR, 6);
    const int y = win32::HIWORD(betaPoint) + 3;
    ClickAt(edit, win32::LOWORD(endPoint) + 20, y);
    EXPECT_EQ(edit->SelStart(), 16);
    const vcl::TPoint from = ScreenPoint(edit, win32::LOWORD(betaPoint) + 1, y);
    win32::input::MoveMouse(from.x, from.y);
    win32::input::PressButton(win32::input::Button::Left);
    const vcl::TPoint to = ScreenPoint(edit, win32::LOWORD(Send(win32::EM_POSFROMCHAR, 10)) + 1, y);
    win32::input::MoveMouse(to.x, to.y);
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(edit->SelText(), "beta");
    win32::testing::AdvanceClock(1000);
    const vcl::TPoint word = ScreenPoint(edit, win32::LOWORD(Send(win32::EM_POSFROMCHAR, 12)) + 2, y);
    win32::input::DoubleClick(word.x, word.y);
    PumpUntilIdle();
    EXPECT_EQ(edit->SelText(), "gamma");
}

TEST_F(EditTest, ClipboardRoundTripThroughKeysAndMessages) {
    TypeText("hello world");
    Send(win32::EM_SETSEL, 6, 11);
    PressKey('C', Ctrl);
    EXPECT_EQ(Clipboard()->AsText(), "world");
    PressKey(win32::VK_END);
    PressKey('V', Ctrl);
    EXPECT_EQ(edit->Text(), "hello worldworld");
    Send(win32::EM_SETSEL, 0, 6);
    PressKey(win32::VK_DELETE, Shift);
    EXPECT_EQ(edit->Text(), "worldworld");
    EXPECT_EQ(Clipboard()->AsText(), "hello ");
    PressKey(win32::VK_INSERT, Shift);
    EXPECT_EQ(edit->Text(), "hello worldworld");
    Send(win32::EM_SETSEL, 0, -1);
    Send(win32::WM_CUT);
    EXPECT_EQ(edit->Text(), "");
    Clipboard()->SetAsText("line one\r\nline two");
    Send(win32::WM_PASTE);
    EXPECT_EQ(edit->Text(), "line one");
}

TEST_F(EditTest, ClipboardKeepsNulBytes) {
    const std::string withNul("a\0b", 3);
    Clipboard()->SetAsText(withNul);
    EXPECT_EQ(Clipboard()->AsText(), withNul);
    EXPECT_TRUE(Clipboard()->HasFormat(win32::CF_TEXT));
    char small[3];
    EXPECT_EQ(Clipboard()->GetTextBuf(small, 3), 2);
    Clipboard()->Clear();
    EXPECT_FALSE(Clipboard()->HasFormat(win32::CF_TEXT));
}

TEST_F(EditTest, PasswordEditRefusesToCopyOrCut) {
    edit->SetPasswordChar('*');
    edit->SetText("secret");
    Clipboard()->SetAsText("before");
    Send(win32::EM_SETSEL, 0, -1);
    Send(win32::WM_COPY);
    Send(win32::WM_CUT);
    EXPECT_EQ(Clipboard()->AsText(), "before");
    EXPECT_EQ(edit->Text(), "secret");
}

TEST_F(EditTest, MaxLengthCutsTypingAndPastingAndTellsTheParent) {
    edit->SetMaxLength(4);
    TypeText("abcdef");
    EXPECT_EQ(edit->Text(), "abcd");
    EXPECT_GE(Count(win32::EN_MAXTEXT), 1);
    Send(win32::EM_SETSEL, 1, 2);
    Clipboard()->SetAsText("XYZ");
    Send(win32::WM_PASTE);
    EXPECT_EQ(edit->Text(), "aXcd");
    // Text set directly is not limited.
    edit->SetText("longer than four");
    EXPECT_EQ(edit->Text(), "longer than four");
    EXPECT_EQ(Send(win32::EM_GETLIMITTEXT), 4);
    Send(win32::EM_LIMITTEXT, 0);
    EXPECT_EQ(edit->MaxLength(), 0);
}

TEST_F(EditTest, CharCaseConvertsTypedAndPresentText) {
    edit->SetText("Mixed");
    edit->SetCharCase(ecUpperCase);
    EXPECT_EQ(edit->Text(), "MIXED");
    PressKey(win32::VK_END);
    TypeText("aB\xC3\xA9");
    EXPECT_EQ(edit->Text(), "MIXEDAB\xC3\x89");
    edit->SetCharCase(ecLowerCase);
    EXPECT_EQ(edit->Text(), "mixedab\xC3\xA9");
}

TEST_F(EditTest, ReadOnlyRefusesEditingButAllowsSelectionAndCopy) {
    edit->SetText("fixed");
    Send(win32::EM_SETREADONLY, 1);
    EXPECT_TRUE(edit->ReadOnly());
    changes = 0;
    TypeText("x");
    PressKey(win32::VK_BACK);
    Send(win32::EM_SETSEL, 0, -1);
    PressKey(win32::VK_DELETE);
    Send(win32::WM_CUT);
    EXPECT_EQ(edit->Text(), "fixed");
    EXPECT_EQ(changes, 0);
    PressKey('C', Ctrl);
    EXPECT_EQ(Clipboard()->AsText(), "fixed");
}

TEST_F(EditTest, UndoIsOneLevelAndUndoingAgainRedoes) {
    TypeText("abc");
    EXPECT_EQ(Send(win32::EM_CANUNDO), win32::TRUE);
    PressKey('Z', Ctrl);
    EXPECT_EQ(edit->Text(), "");
    Send(win32::EM_UNDO);
    EXPECT_EQ(edit->Text(), "abc");
    EXPECT_EQ(edit->SelText(), "abc");
    Send(win32::EM_EMPTYUNDOBUFFER);
    EXPECT_EQ(Send(win32::EM_CANUNDO), win32::FALSE);
    edit->SetText("new");
    EXPECT_FALSE(edit->CanUndo());
}

TEST_F(EditTest, AutoSelectSelectsAllWhenEnteredByKeyboard) {
    auto* other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 50, 150, 21);
    other->SetText("other text");
    PumpUntilIdle();
    PressKey(win32::VK_TAB);
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(other->SelText(), "other text");
    EXPECT_EQ(notifications.back(), win32::EN_KILLFOCUS);
}

TEST_F(EditTest, AutoSizeTakesTheHeightFromTheFont) {
    EXPECT_EQ(edit->Height(), 21);
    edit->Font()->SetHeight(-20);
    EXPECT_GT(edit->Height(), 21);
    edit->SetBorderStyle(bsNone);
    auto* plain = new TEdit(form);
    plain->SetAutoSize(false);
    plain->SetHeight(40);
    EXPECT_EQ(plain->Height(), 40);
}

struct MessageCase {
    win32::UINT msg;
    win32::WPARAM wParam;
    win32::LPARAM lParam;
    win32::LRESULT expected;
};

TEST_F(EditTest, EditMessagesAnswerAsTheNativeControl) {
    edit->SetText("abc def");
    Send(win32::EM_SETSEL, 4, 7);
    const MessageCase cases[] = {
        {win32::EM_GETLINECOUNT, 0, 0, 1},
        {win32::EM_LINEINDEX, 0, 0, 0},
        {win32::EM_LINEINDEX, 1, 0, -1},
        {win32::EM_LINELENGTH, 3, 0, 7},
        {win32::EM_LINEFROMCHAR, 5, 0, 0},
        {win32::EM_GETSEL, 0, 0, win32::MAKELONG(4, 7)},
        {win32::EM_GETMODIFY, 0, 0, win32::FALSE},
        {win32::EM_GETPASSWORDCHAR, 0, 0, 0},
        {win32::EM_GETFIRSTVISIBLELINE, 0, 0, 0},
        {win32::WM_GETTEXTLENGTH, 0, 0, 7},
        {win32::EM_GETMARGINS, 0, 0, win32::MAKELONG(1, 1)},
    };
    for (const MessageCase& c : cases)
        EXPECT_EQ(Send(c.msg, c.wParam, c.lParam), c.expected) << "message 0x" << std::hex << c.msg;
    win32::DWORD start = 0, end = 0;
    Send(win32::EM_GETSEL, reinterpret_cast<win32::WPARAM>(&start), reinterpret_cast<win32::LPARAM>(&end));
    EXPECT_EQ(start, 4u);
    EXPECT_EQ(end, 7u);
    Send(win32::EM_SETSEL, static_cast<win32::WPARAM>(-1), 0);
    EXPECT_EQ(edit->SelLength(), 0);
    Send(win32::EM_SETSEL, 0, -1);
    EXPECT_EQ(edit->SelLength(), 7);
    Send(win32::EM_REPLACESEL, win32::TRUE, reinterpret_cast<win32::LPARAM>("xy"));
    EXPECT_EQ(edit->Text(), "xy");
    EXPECT_EQ(Send(win32::EM_GETMODIFY), win32::TRUE);
    Send(win32::EM_SETMODIFY, win32::FALSE);
    EXPECT_FALSE(edit->Modified());
    Send(win32::EM_SETPASSWORDCHAR, '#');
    EXPECT_EQ(edit->PasswordChar(), '#');
    char buffer[16] = {};
    *reinterpret_cast<win32::WORD*>(buffer) = sizeof(buffer);
    EXPECT_EQ(Send(win32::EM_GETLINE, 0, reinterpret_cast<win32::LPARAM>(buffer)), 2);
    EXPECT_EQ(std::string(buffer, 2), "xy");
}

TEST_F(EditTest, FormattingRectangleIsSetReadAndResetByResizing) {
    win32::RECT rect{};
    Send(win32::EM_GETRECT, 0, reinterpret_cast<win32::LPARAM>(&rect));
    const win32::RECT original = rect;
    EXPECT_EQ(original.left, 1);
    const win32::RECT wanted{5, 3, 100, 15};
    Send(win32::EM_SETRECTNP, 0, reinterpret_cast<win32::LPARAM>(&wanted));
    Send(win32::EM_GETRECT, 0, reinterpret_cast<win32::LPARAM>(&rect));
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.top, 3);
    EXPECT_EQ(rect.right, 100);
    EXPECT_EQ(rect.bottom, 15);
    edit->SetText("x");
    EXPECT_EQ(win32::LOWORD(Send(win32::EM_POSFROMCHAR, 0)), 5);
    Send(win32::EM_SETRECT, 0, 0);
    Send(win32::EM_GETRECT, 0, reinterpret_cast<win32::LPARAM>(&rect));
    EXPECT_EQ(rect.left, original.left);
    EXPECT_EQ(rect.right, original.right);
    Send(win32::EM_SETRECTNP, 0, reinterpret_cast<win32::LPARAM>(&wanted));
    edit->SetWidth(200);
    Send(win32::EM_GETRECT, 0, reinterpret_cast<win32::LPARAM>(&rect));
    EXPECT_EQ(rect.left, original.left);
    EXPECT_EQ(rect.right, original.right + 50);
}

TEST_F(EditTest, LongTextScrollsToKeepTheCaretVisible) {
    TypeText(std::string(60, 'w'));
    const int caretX = win32::LOWORD(Send(win32::EM_POSFROMCHAR, 60));
    EXPECT_LT(caretX, edit->ClientWidth());
    EXPECT_GT(Send(win32::EM_GETFIRSTVISIBLELINE), 0);  // first visible character
    PressKey(win32::VK_HOME);
    EXPECT_EQ(Send(win32::EM_GETFIRSTVISIBLELINE), 0);
    EXPECT_EQ(win32::LOWORD(Send(win32::EM_POSFROMCHAR, 0)), 1);
}

TEST_F(EditTest, PasswordCharPaintsMaskCharacters) {
    auto* plain = new TEdit(form);
    plain->SetParent(form);
    plain->SetBounds(10, 50, 150, 21);
    plain->SetText("***");
    edit->SetText("abc");
    edit->SetPasswordChar('*');
    form->SetFocus();
    PumpUntilIdle();
    auto masked = BitmapOf(edit);
    auto stars = BitmapOf(plain);
    int differing = 0, inked = 0;
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 150; ++x) {
            if (masked->Canvas()->Pixels(x, y) != stars->Canvas()->Pixels(x, y)) ++differing;
            if (masked->Canvas()->Pixels(x, y) == 0) ++inked;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(inked, 0);
    edit->SetPasswordChar('\0');
    auto shown = BitmapOf(edit);
    differing = 0;
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 150; ++x)
            if (shown->Canvas()->Pixels(x, y) != stars->Canvas()->Pixels(x, y)) ++differing;
    EXPECT_GT(differing, 0);
}

TEST_F(EditTest, FormFileRoundTripKeepsEditProperties) {
    edit->SetName("Edit1");
    edit->SetMaxLength(9);
    edit->SetPasswordChar('*');
    edit->SetCharCase(ecUpperCase);
    edit->SetText("ABC");
    const std::string text = ComponentToText(edit);
    EXPECT_NE(text.find("PasswordChar = '*'"), std::string::npos) << text;
    EXPECT_NE(text.find("MaxLength = 9"), std::string::npos);
    edit->SetName("Original");
    auto* copy = new TEdit(form);
    ReadComponentText(text, copy);
    EXPECT_EQ(copy->Text(), "ABC");
    EXPECT_EQ(copy->PasswordChar(), '*');
    EXPECT_EQ(copy->CharCase(), ecUpperCase);
    EXPECT_FALSE(copy->Modified());
}

}  // namespace
