// The base of the edits with embedded buttons: the buttons' places and the text's room as buttons
// come and go, their click events and keyboard shortcuts.
#include <gtest/gtest.h>

#include "pellic/zyltlookupedit.h"
#include "support/ui_fixture.h"
#include "win32/virtualkeys.h"

namespace lookup_edit_base_tests {

using namespace pellic;

class TTwoButtonEdit : public TZylCustomLookupEdit {
    VCL_CLASS(TTwoButtonEdit, TZylCustomLookupEdit)
public:
    explicit TTwoButtonEdit(vcl::TComponent* owner) : TZylCustomLookupEdit(owner) {}
};

class LookupEditBaseTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm();
        edit = new TTwoButtonEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 150, 21);
        edit->OnButton1Click = [this](vcl::TObject* sender) { clicks += sender == edit ? "1" : "?"; };
        edit->OnButton2Click = [this](vcl::TObject* sender) { clicks += sender == edit ? "2" : "?"; };
        PumpUntilIdle();
    }
    int TextRight() {
        win32::RECT format{};
        win32::SendMessage(edit->Handle(), win32::EM_GETRECT, 0, reinterpret_cast<win32::LPARAM>(&format));
        return format.right;
    }

    vcl::TForm* form = nullptr;
    TTwoButtonEdit* edit = nullptr;
    std::string clicks;
};

TEST_F(LookupEditBaseTest, ButtonsSitAtTheEdgeAndLeaveTheRestToTheText) {
    const int right = edit->ClientWidth();
    const int side = edit->ClientHeight();
    vcl::TSpeedButton* inner = edit->EditButton1()->Button();
    vcl::TSpeedButton* outer = edit->EditButton2()->Button();
    EXPECT_EQ(outer->Left(), right - side);
    EXPECT_EQ(inner->Left(), right - 2 * side);
    EXPECT_EQ(TextRight(), right - 2 * side);
    edit->EditButton1()->SetVisible(false);
    EXPECT_EQ(TextRight(), right - side);
    EXPECT_EQ(outer->Left(), right - side);
    edit->EditButton2()->SetVisible(false);
    edit->EditButton1()->SetVisible(true);
    EXPECT_EQ(inner->Left(), right - side);
    EXPECT_EQ(TextRight(), right - side);
}

TEST_F(LookupEditBaseTest, ClicksAndShortcutsRaiseTheButtonEventsAndFocusTheEdit) {
    ClickAt(edit, edit->ClientWidth() - 3, 5);
    EXPECT_EQ(clicks, "2");
    EXPECT_TRUE(edit->Focused());
    ClickAt(edit, edit->ClientWidth() - edit->ClientHeight() - 3, 5);
    EXPECT_EQ(clicks, "21");
    edit->EditButton2()->SetShortCutKey(vcl::ShortCut(win32::VK_F4, {}));
    PressKey(win32::VK_F4);
    EXPECT_EQ(clicks, "212");
    // A disabled button's shortcut does nothing.
    edit->EditButton2()->SetEnabled(false);
    PressKey(win32::VK_F4);
    EXPECT_EQ(clicks, "212");
}

}  // namespace lookup_edit_base_tests
