// What controls built on the edit rely on: clipboard keys that arrive as WM_CUT/WM_COPY/WM_PASTE/
// WM_UNDO, aligned single lines, and embedded graphic buttons that take the mouse over them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ui_fixture.h"
#include "vcl/buttons.h"
#include "vcl/clipbrd.h"
#include "vcl/stdctrls_edit.h"
#include "win32/virtualkeys.h"

namespace edit_embedding_tests {

using namespace vcl;
using win32::input::Ctrl;
using win32::input::Shift;

class TAlignedEdit : public TCustomEdit {
    VCL_CLASS(TAlignedEdit, TCustomEdit)
public:
    explicit TAlignedEdit(TComponent* owner) : TCustomEdit(owner) {}
    void Align(TAlignment value) { SetAlignmentValue(value); }
};

class EditEmbeddingTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm();
        edit = new TAlignedEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 150, 21);
        edit->SetFocus();
        PumpUntilIdle();
    }

    // The left edge of the character at pos, from EM_POSFROMCHAR.
    int XOf(int pos) {
        return win32::GET_X_LPARAM(win32::SendMessage(edit->Handle(), win32::EM_POSFROMCHAR, pos, 0));
    }

    TForm* form = nullptr;
    TAlignedEdit* edit = nullptr;
};

TEST_F(EditEmbeddingTest, ClipboardKeysArriveAsTheClipboardMessages) {
    std::vector<win32::UINT> heard;
    const TWndMethod original = edit->WindowProc();
    edit->SetWindowProc([&heard, original](TMessage& m) {
        if (m.Msg == win32::WM_CUT || m.Msg == win32::WM_COPY || m.Msg == win32::WM_PASTE ||
            m.Msg == win32::WM_UNDO)
            heard.push_back(m.Msg);
        original(m);
    });
    const struct {
        int key;
        unsigned shift;
        win32::UINT message;
    } cases[] = {
        {'X', Ctrl, win32::WM_CUT},
        {'C', Ctrl, win32::WM_COPY},
        {'V', Ctrl, win32::WM_PASTE},
        {'Z', Ctrl, win32::WM_UNDO},
        {win32::VK_DELETE, Shift, win32::WM_CUT},
        {win32::VK_INSERT, Ctrl, win32::WM_COPY},
        {win32::VK_INSERT, Shift, win32::WM_PASTE},
    };
    for (const auto& c : cases) {
        heard.clear();
        PressKey(c.key, c.shift);
        EXPECT_EQ(heard, std::vector<win32::UINT>{c.message}) << c.key << "/" << c.shift;
    }
    edit->SetWindowProc(original);
    // The messages still do the work.
    edit->SetText("abc");
    edit->SelectAll();
    PressKey('X', Ctrl);
    EXPECT_EQ(edit->Text(), "");
    EXPECT_EQ(Clipboard()->AsText(), "abc");
    PressKey('V', Ctrl);
    EXPECT_EQ(edit->Text(), "abc");
}

TEST_F(EditEmbeddingTest, SingleLinesFollowTheAlignmentWhileTheyFit) {
    edit->SetText("12.5");
    const int left = XOf(0);
    edit->Align(TAlignment::taRightJustify);
    const int right = XOf(0);
    EXPECT_GT(right, left + 50);
    // The end of the text touches the right edge of the formatting rectangle.
    win32::RECT format{};
    win32::SendMessage(edit->Handle(), win32::EM_GETRECT, 0, reinterpret_cast<win32::LPARAM>(&format));
    EXPECT_EQ(XOf(4), format.right - 1);
    edit->Align(TAlignment::taCenter);
    EXPECT_GT(XOf(0), left);
    EXPECT_LT(XOf(0), right);
    // A click lands on the character drawn there.
    edit->Align(TAlignment::taRightJustify);
    ClickAt(edit, XOf(2) + 1, 8);
    EXPECT_EQ(edit->SelStart(), 2);
    // Text too wide for the edit scrolls as before.
    edit->SetText(std::string(60, 'w'));
    EXPECT_LE(XOf(0), left);
}

TEST_F(EditEmbeddingTest, AnEmbeddedButtonTakesTheMouseOverIt) {
    auto* button = new TSpeedButton(form);
    button->SetParent(edit);
    button->SetBounds(edit->ClientWidth() - 17, 0, 17, 17);
    int clicks = 0;
    button->OnClick = [&clicks](TObject*) { ++clicks; };
    edit->SetText("some text");
    edit->SetSelStart(2);
    ClickAt(edit, edit->ClientWidth() - 8, 8);
    EXPECT_EQ(clicks, 1);
    // The press selected nothing in the text.
    EXPECT_EQ(edit->SelStart(), 2);
    EXPECT_EQ(edit->SelLength(), 0);
    // Beside the button the edit places the caret as before.
    ClickAt(edit, 2, 8);
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_EQ(clicks, 1);
}

}  // namespace edit_embedding_tests
