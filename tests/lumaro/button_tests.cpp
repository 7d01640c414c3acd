// The owner-drawn push button: glyph and caption geometry, pressed and disabled faces, the default
// and cancel keys with and without modifiers, accelerators, modal results and the steps that need a
// form when there is none.
#include <memory>
#include <string>
#include <vector>

#include "lumaro/zylbuttons.h"
#include "support/ui_fixture.h"
#include "win32/menu.h"
#include "win32/virtualkeys.h"

namespace button_tests {

using namespace vcl;
using namespace lumaro;

// Exposes the face painter for draw requests the test composes.
class TFaceButton : public TZylButton {
    VCL_CLASS(TFaceButton, TZylButton)
public:
    explicit TFaceButton(TComponent* owner) : TZylButton(owner) {}
    using TZylButton::DrawItem;
};

TRect InkBounds(TBitmap* bitmap, TColor colour, TRect window) {
    TRect r{window.right, window.bottom, -1, -1};
    for (int y = window.top; y < window.bottom; ++y)
        for (int x = window.left; x < window.right; ++x)
            if (ColorToRGB(bitmap->Canvas()->Pixels(x, y)) == ColorToRGB(colour)) {
                r.left = std::min(r.left, x);
                r.top = std::min(r.top, y);
                r.right = std::max(r.right, x + 1);
                r.bottom = std::max(r.bottom, y + 1);
            }
    return r;
}

std::string Show(const TRect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

std::unique_ptr<TBitmap> SolidPicture(int width, int height, TColor colour) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(width, height);
    bitmap->Canvas()->Brush()->SetColor(colour);
    bitmap->Canvas()->FillRect(Rect(0, 0, width, height));
    return bitmap;
}

class ZylButtonTest : public zyltest::UiFixture {
protected:
    // The face of `button` for a draw request with the given item state.
    static std::unique_ptr<TBitmap> Face(TFaceButton& button, win32::UINT state) {
        auto bitmap = SolidPicture(button.Width(), button.Height(), clBlack);
        win32::DRAWITEMSTRUCT item{};
        item.CtlType = win32::ODT_BUTTON;
        item.itemState = state;
        item.hDC = bitmap->Canvas()->Handle();
        item.rcItem = Rect(0, 0, button.Width(), button.Height());
        button.DrawItem(item);
        return bitmap;
    }

    static void SetLimeGlyph(TZylButton& button, int width, int height) {
        button.Glyph()->SetBitmap(SolidPicture(width, height, clLime).get());
        button.Glyph()->SetTransparentColor(clFuchsia);
    }

    // Where plain text in the button's font lands inside `rect` with `flags`.
    static TRect TextInk(TZylButton& button, const std::string& text, TRect rect, win32::UINT flags) {
        auto bitmap = SolidPicture(button.Width(), button.Height(), clWhite);
        const win32::HDC dc = bitmap->Canvas()->Handle();
        win32::SelectObject(dc, button.Font()->Handle());
        win32::SetTextColor(dc, ColorToRGB(button.Font()->Color()));
        win32::SetBkMode(dc, win32::TRANSPARENT);
        win32::DrawText(dc, text.data(), static_cast<int>(text.size()), &rect, flags);
        win32::SelectObject(dc, win32::GetStockObject(win32::SYSTEM_FONT));
        return InkBounds(bitmap.get(), button.Font()->Color(), Rect(0, 0, button.Width(), button.Height()));
    }
};

// ---------------------------------------------------------------------------------------------
// The face

TEST_F(ZylButtonTest, GlyphCentresWithoutACaptionAndRoundsHalvesToEven) {
    struct Case {
        int width, height, glyphWidth, glyphHeight;
        const char* caption;
        bool pressed;
        TPoint glyph;
    };
    const Case cases[] = {
        {75, 25, 10, 6, "", false, {35, 10}},   // (75 - 10) / 2 = 32.5 -> 32; 9.5 -> 10
        {76, 28, 11, 5, "", false, {35, 12}},   // 11.5 -> 12
        {75, 26, 10, 5, "", false, {35, 10}},   // 10.5 -> 10
        {75, 25, 10, 6, "", true, {35, 11}},    // pressed: down only
        {75, 25, 10, 6, "Go", false, {6, 10}},  // beside the caption, at the left
        {75, 25, 10, 6, "Go", true, {7, 11}},
    };
    for (const Case& c : cases) {
        TFaceButton button(nullptr);
        button.SetBounds(0, 0, c.width, c.height);
        button.SetCaption(c.caption);
        SetLimeGlyph(button, c.glyphWidth, c.glyphHeight);
        auto face = Face(button, c.pressed ? win32::ODS_SELECTED : 0);
        EXPECT_EQ(Show(InkBounds(face.get(), clLime, Rect(0, 0, c.width, c.height))),
                  Show(Bounds(c.glyph.x, c.glyph.y, c.glyphWidth, c.glyphHeight)))
            << c.width << "x" << c.height << " '" << c.caption << "' " << c.pressed;
    }
}

TEST_F(ZylButtonTest, CaptionStandsRightOfTheGlyphAndMovesWhenPressed) {
    struct Case {
        int glyphWidth;
        bool pressed, wordWrap;
        TRect rect;
        win32::UINT flags;
    };
    const Case cases[] = {
        {0, false, false, {5, 3, 72, 22}, 32805},
        {10, false, false, {15, 3, 72, 22}, 32805},
        {10, true, false, {16, 4, 73, 23}, 32805},
        {0, false, true, {5, 3, 72, 22}, 21},
    };
    for (const Case& c : cases) {
        TFaceButton button(nullptr);
        button.SetCaption("Go");
        button.SetWordWrap(c.wordWrap);
        button.Font()->SetColor(clRed);
        button.Font3D()->SetThreeDimensional(false);
        if (c.glyphWidth) SetLimeGlyph(button, c.glyphWidth, 6);
        EXPECT_EQ(button.CaptionFlags(), c.flags);
        auto face = Face(button, c.pressed ? win32::ODS_SELECTED : 0);
        EXPECT_EQ(Show(InkBounds(face.get(), clRed, Rect(0, 0, 75, 25))),
                  Show(TextInk(button, "Go", c.rect, c.flags)))
            << c.glyphWidth << " " << c.pressed;
    }
}

TEST_F(ZylButtonTest, DisabledFaceEngravesTheCaptionGreysTheGlyphAndIgnoresThePress) {
    TFaceButton button(nullptr);
    button.SetCaption("Off");
    SetLimeGlyph(button, 10, 6);
    button.SetEnabled(false);
    auto face = Face(button, win32::ODS_SELECTED | win32::ODS_DISABLED);
    // Right of the glyph (grey text and a grey glyph share a colour), inside the edge.
    const TRect inside = Rect(17, 3, 72, 22);
    // Highlight at the caption rectangle, grey text over it one pixel up and left.
    const TRect text = TextInk(button, "Off", Rect(15, 3, 72, 22), button.CaptionFlags());
    const TRect grey = InkBounds(face.get(), clGrayText, inside);
    EXPECT_EQ(Show(grey), Show(Rect(text.left - 1, text.top - 1, text.right - 1, text.bottom - 1)));
    const TRect light = InkBounds(face.get(), clBtnHighlight, inside);
    EXPECT_EQ(light.right, text.right);
    EXPECT_EQ(light.bottom, text.bottom);
    // The glyph, grey and not pushed; the edge raised (the press of a disabled button shows nothing).
    EXPECT_EQ(ColorToRGB(face->Canvas()->Pixels(10, 12)), ColorToRGB(clBtnShadow));
    EXPECT_EQ(InkBounds(face.get(), clLime, Rect(0, 0, 75, 25)).right, -1);
    EXPECT_EQ(ColorToRGB(face->Canvas()->Pixels(0, 0)), ColorToRGB(clBtnHighlight));
}

TEST_F(ZylButtonTest, EdgeSinksWhilePressedAndTheFocusFrameIsInsideIt) {
    TFaceButton button(nullptr);
    auto up = Face(button, win32::ODS_FOCUS);
    auto down = Face(button, win32::ODS_SELECTED);
    EXPECT_EQ(ColorToRGB(up->Canvas()->Pixels(0, 0)), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(ColorToRGB(down->Canvas()->Pixels(0, 0)), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(ColorToRGB(down->Canvas()->Pixels(74, 24)), ColorToRGB(clBtnHighlight));
    for (TPoint p : {TPoint{2, 2}, TPoint{72, 2}, TPoint{2, 22}, TPoint{72, 22}})
        EXPECT_EQ(ColorToRGB(up->Canvas()->Pixels(p.x, p.y)), ColorToRGB(clWindowFrame)) << p.x << "," << p.y;
    EXPECT_NE(ColorToRGB(down->Canvas()->Pixels(2, 12)), ColorToRGB(clWindowFrame));
    // Tiny buttons paint nothing at all.
    for (int size : {0, 1}) {
        TFaceButton tiny(nullptr);
        tiny.SetBounds(0, 0, size, size);
        auto bitmap = SolidPicture(2, 2, clBlack);
        win32::DRAWITEMSTRUCT item{};
        item.hDC = bitmap->Canvas()->Handle();
        tiny.DrawItem(item);
        EXPECT_EQ(ColorToRGB(bitmap->Canvas()->Pixels(0, 0)), 0u);
    }
}

// ---------------------------------------------------------------------------------------------
// Keys, default and cancel

class ZylButtonKeysTest : public ZylButtonTest {
protected:
    void SetUp() override {
        ZylButtonTest::SetUp();
        form = ShowForm();
        edit = new TEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 100, 22);
        ok = Add("OK", 40, mrOk);
        ok->SetDefault(true);
        cancel = Add("Cancel", 70, mrCancel);
        cancel->SetCancel(true);
        other = Add("&Other", 100, mrNone);
        edit->SetFocus();
        PumpUntilIdle();
    }

    TZylButton* Add(const std::string& caption, int top, TModalResult result) {
        auto* button = new TZylButton(form);
        button->SetParent(form);
        button->SetTop(top);
        button->SetCaption(caption);
        button->SetModalResult(result);
        button->OnClick = [this, caption](TObject*) { clicks.push_back(caption); };
        return button;
    }

    TForm* form = nullptr;
    TEdit* edit = nullptr;
    TZylButton *ok = nullptr, *cancel = nullptr, *other = nullptr;
    std::vector<std::string> clicks;
};

TEST_F(ZylButtonKeysTest, EnterAndEscapeClickWithoutModifiersOnly) {
    using namespace win32::input;
    struct Case {
        int key;
        unsigned shift;
        TWinControl* focus;
        std::vector<std::string> clicks;
    };
    const Case cases[] = {
        {win32::VK_RETURN, None, edit, {"OK"}},
        {win32::VK_RETURN, None, other, {"&Other"}},  // the focused button, not the default
        {win32::VK_ESCAPE, None, other, {"Cancel"}},
        {win32::VK_RETURN, Shift, edit, {}},
        {win32::VK_RETURN, Ctrl, edit, {}},
        {win32::VK_ESCAPE, Shift, edit, {}},
    };
    for (const Case& c : cases) {
        clicks.clear();
        c.focus->SetFocus();
        PumpUntilIdle();
        PressKey(c.key, c.shift);
        EXPECT_EQ(clicks, c.clicks) << c.key << " " << c.shift;
    }
    EXPECT_EQ(form->ModalResult(), mrCancel);
}

TEST_F(ZylButtonKeysTest, TheDefaultFlagFollowsTheFocusAndTheDefaultSetter) {
    EXPECT_TRUE(ok->ActiveDefault());
    other->SetFocus();
    PumpUntilIdle();
    EXPECT_FALSE(ok->ActiveDefault());
    EXPECT_TRUE(other->ActiveDefault());
    // Made default while another button has the focus: Enter still goes to the focused one.
    cancel->SetDefault(true);
    EXPECT_FALSE(cancel->ActiveDefault());
    edit->SetFocus();
    PumpUntilIdle();
    EXPECT_TRUE(cancel->ActiveDefault());
    EXPECT_TRUE(ok->ActiveDefault());
    ok->SetDefault(false);
    EXPECT_FALSE(ok->ActiveDefault());
    // A notice without a focused control leaves each button as its Default says.
    other->Perform(CM_FOCUSCHANGED, 0, 0);
    EXPECT_FALSE(other->ActiveDefault());
    cancel->Perform(CM_FOCUSCHANGED, 0, 0);
    EXPECT_TRUE(cancel->ActiveDefault());
}

TEST_F(ZylButtonKeysTest, AcceleratorAndMouseClickSetTheModalResult) {
    PressKey('O', win32::input::Alt);
    EXPECT_EQ(clicks, std::vector<std::string>{"&Other"});
    EXPECT_EQ(form->ModalResult(), mrNone);
    ClickAt(ok, 20, 10);
    EXPECT_EQ(clicks, (std::vector<std::string>{"&Other", "OK"}));
    EXPECT_EQ(form->ModalResult(), mrOk);
    // A disabled button takes no accelerator.
    other->SetEnabled(false);
    PressKey('O', win32::input::Alt);
    EXPECT_EQ(clicks.size(), 2u);
}

TEST_F(ZylButtonTest, WithoutAFormClickAndDefaultStillWork) {
    TComponentPtr<TZylButton> button(new TZylButton(nullptr));
    int clicks = 0;
    button->OnClick = [&clicks](TObject*) { ++clicks; };
    button->SetModalResult(mrOk);
    button->Perform(win32::BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    button->SetParentWindow(win32::GetDesktopWindow());
    button->HandleNeeded();
    button->SetDefault(true);
    EXPECT_TRUE(button->ActiveDefault());
    win32::MEASUREITEMSTRUCT measure{};
    button->Perform(CN_MEASUREITEM, 0, reinterpret_cast<win32::LPARAM>(&measure));
    EXPECT_EQ(measure.itemWidth, 75u);
    EXPECT_EQ(measure.itemHeight, 25u);
}

}  // namespace button_tests
