// The flat tool button driven by injected input: groups and AllowAllUp, the drop-down menu, presses
// that end outside, hidden or disabled, accelerators (nested, and freeing the button), and its
// painting: the menu arrow, the grey glyph and the glyph's place by Layout.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lumaro/zylbuttons.h"
#include "support/ui_fixture.h"

namespace iebutton_tests {

using namespace vcl;
using namespace lumaro;

// Notes where it was asked to pop up instead of running a menu loop.
class TRecordingPopup : public TPopupMenu {
    VCL_CLASS(TRecordingPopup, TPopupMenu)
public:
    explicit TRecordingPopup(TComponent* owner) : TPopupMenu(owner) {}
    void Popup(Integer x, Integer y) override { shown.push_back(Point(x, y)); }
    std::vector<TPoint> shown;
};

std::unique_ptr<TBitmap> SolidPicture(int width, int height, TColor colour) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(width, height);
    bitmap->Canvas()->Brush()->SetColor(colour);
    bitmap->Canvas()->FillRect(Rect(0, 0, width, height));
    return bitmap;
}

TRect InkBounds(TBitmap* bitmap, TColor colour, int* count = nullptr) {
    TRect r{bitmap->Width(), bitmap->Height(), -1, -1};
    int found = 0;
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x)
            if (ColorToRGB(bitmap->Canvas()->Pixels(x, y)) == ColorToRGB(colour)) {
                ++found;
                r.left = std::min(r.left, x);
                r.top = std::min(r.top, y);
                r.right = std::max(r.right, x + 1);
                r.bottom = std::max(r.bottom, y + 1);
            }
    if (count) *count = found;
    return r;
}

win32::LPARAM At(int x, int y) {
    return win32::MAKELPARAM(static_cast<win32::WORD>(x), static_cast<win32::WORD>(y));
}

class IEButtonTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm();
        for (int i = 0; i < 3; ++i) {
            auto* button = new TZylIEButton(form);
            button->SetParent(form);
            button->SetBounds(10 + i * 90, 10, 80, 21);
            button->SetGroupIndex(1);
            const std::string name = "B" + std::to_string(i + 1);
            button->SetCaption(i == 0 ? "&Back" : name);
            button->OnClick = [this, name](TObject*) { clicks.push_back(name); };
            group.push_back(button);
        }
        PumpUntilIdle();
    }

    std::vector<bool> Downs() const {
        std::vector<bool> downs;
        for (TZylIEButton* button : group)
            downs.push_back(button->Down());
        return downs;
    }

    static std::unique_ptr<TBitmap> Painted(TControl* control) {
        auto bitmap = SolidPicture(control->Width(), control->Height(), clBtnFace);
        control->PaintTo(bitmap->Canvas(), 0, 0);
        return bitmap;
    }

    static void SetLimeGlyph(TZylIEButton* button) {
        button->Glyph()->SetBitmap(SolidPicture(10, 6, clLime).get());
        button->Glyph()->SetTransparentColor(clFuchsia);
    }

    TForm* form = nullptr;
    std::vector<TZylIEButton*> group;
    std::vector<std::string> clicks;
};

TEST_F(IEButtonTest, GroupKeepsOneDownAndAllowAllUpLetsTheLastOneUp) {
    ClickAt(group[0], 40, 10);
    EXPECT_EQ(Downs(), (std::vector<bool>{true, false, false}));
    ClickAt(group[1], 40, 10);
    EXPECT_EQ(Downs(), (std::vector<bool>{false, true, false}));
    ClickAt(group[1], 40, 10);
    EXPECT_EQ(Downs(), (std::vector<bool>{false, true, false}));
    // Set on one, AllowAllUp holds for the whole group.
    group[2]->SetAllowAllUp(true);
    EXPECT_TRUE(group[1]->AllowAllUp());
    ClickAt(group[1], 40, 10);
    EXPECT_EQ(Downs(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(clicks, (std::vector<std::string>{"B1", "B2", "B2", "B2"}));
    EXPECT_EQ(GetCaptureControl(), nullptr);

    // Without a group Down cannot be set, and leaving the group raises the button.
    group[0]->SetDown(true);
    group[0]->SetGroupIndex(0);
    EXPECT_FALSE(group[0]->Down());
    group[0]->SetDown(true);
    EXPECT_FALSE(group[0]->Down());
}

TEST_F(IEButtonTest, DropDownMenuOpensBelowTheButtonInsteadOfAClick) {
    auto* menu = new TRecordingPopup(form);
    group[1]->SetDropDownMenu(menu);
    ClickAt(group[1], 40, 10);
    const TPoint corner = group[1]->ClientToScreen(Point(0, 21));
    ASSERT_EQ(menu->shown.size(), 1u);
    EXPECT_EQ(menu->shown[0].x, corner.x);
    EXPECT_EQ(menu->shown[0].y, corner.y);
    EXPECT_TRUE(clicks.empty());
    EXPECT_FALSE(group[1]->Pressing());
    // The menu's return ended the press, so the release does not put the button down either.
    EXPECT_FALSE(group[1]->Down());
    menu->Free();
    EXPECT_EQ(group[1]->DropDownMenu(), nullptr);
    ClickAt(group[1], 40, 10);
    EXPECT_EQ(clicks, std::vector<std::string>{"B2"});
}

TEST_F(IEButtonTest, APressEndedOutsideHiddenOrDisabledClicksNothingAndLetsTheMouseGo) {
    const std::vector<std::function<void(TZylIEButton*)>> endings = {
        [this](TZylIEButton*) { MoveMouseTo(form, 150, 150); },
        [](TZylIEButton* button) { button->Hide(); },
        [](TZylIEButton* button) { button->SetEnabled(false); },
    };
    for (size_t i = 0; i < endings.size(); ++i) {
        TZylIEButton* button = group[i];
        MoveMouseTo(button, 40, 10);
        win32::input::PressButton(win32::input::Button::Left);
        PumpUntilIdle();
        ASSERT_TRUE(button->Pressing()) << i;
        endings[i](button);
        PumpUntilIdle();
        EXPECT_FALSE(button->Hot()) << i;
        // Dragged outside, the press waits for the release; hidden or disabled, it ends at once.
        EXPECT_EQ(button->Pressing(), i == 0) << i;
        win32::input::ReleaseButton(win32::input::Button::Left);
        PumpUntilIdle();
        EXPECT_FALSE(button->Pressing()) << i;
        EXPECT_NE(GetCaptureControl(), button) << i;
        EXPECT_FALSE(button->Down()) << i;
    }
    EXPECT_TRUE(clicks.empty());
    // The mouse is free: a click elsewhere on the form reaches the form.
    bool formClicked = false;
    form->OnClick = [&formClicked](TObject*) { formClicked = true; };
    ClickAt(form, 150, 150);
    EXPECT_TRUE(formClicked);
}

TEST_F(IEButtonTest, AcceleratorPlaysAClickAndOneArrivingMeanwhileFollowsIt) {
    int downs = 0;
    group[0]->OnMouseDown = [&downs](TObject*, TMouseButton, TShiftState, Integer, Integer) {
        // The second Alt+B comes while the first one pumps the messages between press and release.
        if (++downs == 1) win32::input::PressKey('B', win32::input::Alt);
    };
    PressKey('B', win32::input::Alt);
    EXPECT_EQ(clicks, (std::vector<std::string>{"B1", "B1"}));
    EXPECT_EQ(downs, 2);
    EXPECT_FALSE(group[0]->Pressing());
    EXPECT_FALSE(group[0]->Hot());
    EXPECT_EQ(GetCaptureControl(), nullptr);
    EXPECT_TRUE(group[0]->Down());
}

TEST_F(IEButtonTest, AcceleratorSurvivesTheButtonFreedByItsClick) {
    group[0]->OnClick = [this](TObject*) {
        // Freeing the button frees this handler too: nothing of it is used afterwards.
        TZylIEButton* self = std::exchange(group[0], nullptr);
        clicks.push_back("freed");
        self->Free();
    };
    PressKey('B', win32::input::Alt);
    PressKey('B', win32::input::Alt);
    EXPECT_EQ(clicks, std::vector<std::string>{"freed"});
    EXPECT_EQ(GetCaptureControl(), nullptr);
    ClickAt(group[1], 40, 10);
    EXPECT_EQ(clicks.back(), "B2");
}

TEST_F(IEButtonTest, RightClickShowsNoContextMenuAndAnInactiveFormMakesNoButtonHot) {
    bool asked = false;
    group[0]->OnContextPopup = [&asked](TObject*, TPoint, bool&) { asked = true; };
    ClickAt(group[0], 40, 10, win32::input::Button::Right);
    EXPECT_FALSE(asked);

    MoveMouseTo(form, 150, 150);
    TForm* other = ShowForm(500, 400);
    ASSERT_FALSE(form->Active());
    group[1]->Perform(win32::WM_MOUSEMOVE, 0, At(40, 10));
    EXPECT_FALSE(group[1]->Hot());
    other->Free();
}

TEST_F(IEButtonTest, WithoutAParentTheButtonStillHoversAndClicks) {
    TZylIEButton alone(nullptr);
    int clicked = 0;
    alone.OnClick = [&clicked](TObject*) { ++clicked; };
    alone.SetAllowAllUp(true);
    alone.SetGroupIndex(4);
    alone.SetDown(true);
    alone.Perform(win32::WM_MOUSEMOVE, 0, At(10, 10));
    EXPECT_TRUE(alone.Hot());
    alone.Perform(win32::WM_LBUTTONDOWN, win32::MK_LBUTTON, At(10, 10));
    alone.Perform(win32::WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_EQ(clicked, 1);
    EXPECT_FALSE(alone.Down());  // AllowAllUp: the down button came up
}

// ---------------------------------------------------------------------------------------------
// Painting

TEST_F(IEButtonTest, MenuArrowIsFourRowsInTheFontColour) {
    TZylIEButton button(nullptr);  // 80 x 21: the top row at (80 - 13, round(10.5) - 3) = (67, 7)
    button.Font()->SetColor(clRed);
    auto* menu = new TRecordingPopup(form);
    button.SetDropDownMenu(menu);
    int count = 0;
    auto picture = Painted(&button);
    const TRect arrow = InkBounds(picture.get(), clRed, &count);
    EXPECT_EQ(count, 7 + 5 + 3 + 1);
    EXPECT_EQ(arrow.left, 67);
    EXPECT_EQ(arrow.top, 7);
    EXPECT_EQ(arrow.right, 74);
    EXPECT_EQ(arrow.bottom, 11);
    EXPECT_NE(ColorToRGB(picture->Canvas()->Pixels(67, 8)), ColorToRGB(clRed));
    EXPECT_EQ(ColorToRGB(picture->Canvas()->Pixels(70, 10)), ColorToRGB(clRed));
    button.SetOptions({opMonoDisplay});
    InkBounds(Painted(&button).get(), clRed, &count);
    EXPECT_EQ(count, 0);
    button.SetDropDownMenu(nullptr);
}

TEST_F(IEButtonTest, GlyphIsGreyUntilHotAndStandsWhereLayoutPutsIt) {
    struct Case {
        TZylPosition layout;
        const char* caption;
        bool pressing;
        TPoint glyph;
    };
    // 80 x 40, a 10 x 6 glyph: centred at (40 - 5, 20 - 3).
    const Case cases[] = {
        {pTop, "", false, {35, 17}},     {pTop, "", true, {35, 17}},   {pLeft, "", true, {35, 18}},
        {pLeft, "Go", false, {6, 17}},   {pLeft, "Go", true, {6, 18}}, {pRight, "Go", false, {64, 17}},
        {pTop, "Go", false, {35, 6}},    {pTop, "Go", true, {35, 7}},  {pBottom, "Go", false, {35, 26}},
        {pBottom, "Go", true, {35, 27}},
    };
    for (const Case& c : cases) {
        TZylIEButton button(nullptr);
        button.SetBounds(0, 0, 80, 40);
        button.SetLayout(c.layout);
        button.SetCaption(c.caption);
        SetLimeGlyph(&button);
        // Pressing makes the button hot and its glyph coloured; otherwise it is grey.
        if (c.pressing) button.Perform(win32::WM_LBUTTONDOWN, win32::MK_LBUTTON, At(10, 10));
        auto picture = Painted(&button);
        const TRect glyph = InkBounds(picture.get(), c.pressing ? clLime : clBtnShadow);
        const std::string name =
            std::string(EnumName(c.layout)) + " '" + c.caption + "' " + (c.pressing ? "pressing" : "");
        EXPECT_EQ(glyph.left, c.glyph.x) << name;
        EXPECT_EQ(glyph.top, c.glyph.y) << name;
        if (!c.pressing) {
            EXPECT_EQ(InkBounds(picture.get(), clLime).right, -1) << name;
        }
    }
}

}  // namespace iebutton_tests
