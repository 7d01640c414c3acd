// Showcases of the enhanced buttons: push buttons with glyphs and 3D captions, arrows, round and
// office buttons, a tool bar of flat buttons with a group and a drop-down menu, and painted check
// boxes and radio buttons, each in its states and over gradient backgrounds.
#include <functional>
#include <memory>
#include <string>

#include "gallery.h"
#include "lumaro/zylbuttons.h"
#include "vcl/menus.h"
#include "win32/input.h"
#include "win32/scope.h"
#include "win32/virtualkeys.h"

using namespace vcl;
using namespace lumaro;

namespace {

using gallery::Place;

TZylBackground* ButtonGradient(TForm* form, const std::string& name, TColor begin, TColor end,
                               TZylFillStyle style) {
    auto* background = new TZylBackground(form);
    background->SetName(name);
    background->SetBackgroundStyle(bGradient);
    background->Gradient()->SetBeginColor(begin);
    background->Gradient()->SetEndColor(end);
    background->Gradient()->SetFillStyle(style);
    return background;
}

// A 16 x 16 picture on a fuchsia ground: a coloured disc with a white bar, one of three shapes.
std::unique_ptr<TBitmap> GlyphPicture(TColor color, int shape) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(16, 16);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(Rect(0, 0, 16, 16));
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(color);
    if (shape == 0) {
        c->Ellipse(1, 1, 15, 15);
    } else if (shape == 1) {
        c->Rectangle(2, 2, 14, 14);
    } else {
        const TPoint points[] = {{8, 1}, {15, 14}, {1, 14}};
        c->Polygon(points);
    }
    c->Brush()->SetColor(clWhite);
    c->Rectangle(6, 6, 10, 10);
    return bitmap;
}

void SetGlyph(TZylGlyph* glyph, TColor color, int shape) {
    glyph->SetBitmap(GlyphPicture(color, shape).get());
    glyph->SetTransparentColor(clFuchsia);
}

void Settle() {
    Application->ProcessMessages();
}

void MoveMouseOver(TControl* control, int x, int y) {
    const TPoint p = control->ClientToScreen(Point(x, y));
    win32::input::MoveMouse(p.x, p.y);
    Settle();
}

void HoldLeftButton(bool down) {
    if (down)
        win32::input::PressButton(win32::input::Button::Left);
    else
        win32::input::ReleaseButton(win32::input::Button::Left);
    Settle();
}

gallery::Registration pushButtons{
    "TZylButton", "lumaro",
    "Owner-drawn push buttons: with and without a glyph, a Default button, the focused one (its "
    "inner frame), a disabled one (caption drawn twice, grey glyph), 3D captions, a gradient face and "
    "word wrap; then the same form with one button held down by the mouse.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Enhanced push buttons", 430, 160);
        form->SetColor(clBtnFace);
        TZylBackground* sky = ButtonGradient(form, "Sky", clNavy, clAqua, TZylFillStyle::Horizontal);

        auto* open = Place<TZylButton>(form, 10, 10, 100, 30);
        open->SetCaption("&Open");
        SetGlyph(open->Glyph(), clLime, 0);
        auto* ok = Place<TZylButton>(form, 120, 10, 90, 30);
        ok->SetCaption("OK");
        ok->SetDefault(true);
        auto* icon = Place<TZylButton>(form, 220, 10, 40, 30);
        SetGlyph(icon->Glyph(), clRed, 1);
        auto* disabled = Place<TZylButton>(form, 270, 10, 150, 30);
        disabled->SetCaption("Disabled");
        SetGlyph(disabled->Glyph(), clBlue, 2);
        disabled->SetEnabled(false);

        auto* raised = Place<TZylButton>(form, 10, 55, 130, 40);
        raised->SetCaption("Raised 3D");
        raised->Font()->SetName("Arial");
        raised->Font()->SetSize(14);
        raised->Font()->SetStyle({fsBold});
        raised->Font3D()->SetStyle3D(fontRaised);
        raised->Font3D()->SetOffset(1);
        auto* extruded = Place<TZylButton>(form, 150, 55, 130, 40);
        extruded->SetCaption("Extruded");
        extruded->Font()->SetName("Arial");
        extruded->Font()->SetSize(14);
        extruded->Font()->SetStyle({fsBold});
        extruded->Font()->SetColor(clYellow);
        extruded->Font3D()->SetRepetition(repeatOnShadow);
        extruded->Font3D()->SetRepetitionwidth(3);
        extruded->Font3D()->SetRepetitionColor(clMaroon);
        extruded->Font3D()->SetOffset(3);
        auto* gradient = Place<TZylButton>(form, 290, 55, 130, 40);
        gradient->SetCaption("&Gradient face");
        gradient->Font()->SetColor(clWhite);
        gradient->Font3D()->SetShadow(clBlack);
        gradient->Font3D()->SetStyle3D(fontOnlyShadow);
        gradient->SetBackground(sky);
        SetGlyph(gradient->Glyph(), clYellow, 0);

        auto* wrapped = Place<TZylButton>(form, 10, 108, 200, 44);
        wrapped->SetCaption("Word wrap keeps a long caption on two lines");
        wrapped->SetWordWrap(true);
        auto* focused = Place<TZylButton>(form, 220, 108, 200, 44);
        focused->SetCaption("Focused");
        form->Show();
        focused->SetFocus();
        Settle();
        album.Shoot("Glyphs, default, focused, disabled, 3D captions and a gradient face", form);

        MoveMouseOver(gradient, 60, 20);
        HoldLeftButton(true);
        album.Shoot("The gradient button held down (face and caption one pixel down and right)", form,
                    gradient);
        HoldLeftButton(false);
    }};

gallery::Registration arrowButtons{
    "TZylArrowButton", "lumaro",
    "Arrow buttons in the four directions with their drop shadow, a wider bevel (ButtonRaise 3), one "
    "with a glyph and one filled with a gradient; then the right arrow held down (the bevel turns).",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Arrow buttons", 380, 150);
        form->SetColor(clBtnFace);
        TZylBackground* fire = ButtonGradient(form, "Fire", clRed, clYellow, TZylFillStyle::Vertical);
        const TZylDirection directions[] = {dUp, dRight, dLeft, dDown};
        TZylArrowButton* right = nullptr;
        for (int i = 0; i < 4; ++i) {
            auto* arrow = Place<TZylArrowButton>(form, 10 + i * 90, 10, 80, 50);
            arrow->SetButtonType(directions[i]);
            if (directions[i] == dRight) right = arrow;
        }
        auto* raised = Place<TZylArrowButton>(form, 10, 80, 110, 60);
        raised->SetButtonRaise(3);
        auto* glyph = Place<TZylArrowButton>(form, 130, 80, 110, 60);
        glyph->SetButtonType(dDown);
        SetGlyph(glyph->Glyph(), clLime, 0);
        auto* filled = Place<TZylArrowButton>(form, 250, 80, 120, 60);
        filled->SetButtonType(dRight);
        filled->SetBackground(fire);
        form->Show();
        Settle();
        album.Shoot("Directions, a wide bevel, a glyph and a gradient fill", form);
        MoveMouseOver(right, 20, 25);
        HoldLeftButton(true);
        album.Shoot("The right arrow held down", form, right);
        HoldLeftButton(false);
    }};

gallery::Registration roundButtons{
    "TZylRoundButton", "lumaro",
    "Round buttons over a patterned form: an outlined one, an inset ring, one with a glyph, one with a "
    "gradient face and a larger one; then the glyph button held down.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Round buttons", 330, 90);
        form->SetColor(clTeal);
        TZylBackground* sun = ButtonGradient(form, "Sun", clYellow, clRed, TZylFillStyle::RoundMiddle);
        auto* normal = Place<TZylRoundButton>(form, 10, 20, 40, 40);
        (void)normal;
        auto* inset = Place<TZylRoundButton>(form, 60, 20, 40, 40);
        inset->SetButtonType(btInset);
        auto* glyph = Place<TZylRoundButton>(form, 110, 20, 40, 40);
        SetGlyph(glyph->Glyph(), clLime, 1);
        auto* filled = Place<TZylRoundButton>(form, 160, 15, 50, 50);
        filled->SetBackground(sun);
        auto* large = Place<TZylRoundButton>(form, 230, 5, 80, 80);
        large->SetButtonType(btInset);
        large->SetBackground(sun);
        SetGlyph(large->Glyph(), clBlue, 2);
        form->Show();
        Settle();
        album.Shoot("Outline, inset ring, glyph and gradient faces", form);
        MoveMouseOver(glyph, 20, 20);
        HoldLeftButton(true);
        album.Shoot("The glyph button held down", form, glyph);
        HoldLeftButton(false);
    }};

gallery::Registration officeButtons{
    "TZylOfficeButton", "lumaro",
    "Office buttons with their lamp: normal (navy lamp), under the mouse (teal lamp, light border), held "
    "down (aqua lamp, reversed gradient), with a gradient face and disabled.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Office buttons", 300, 140);
        form->SetColor(clBtnFace);
        TZylBackground* silver = ButtonGradient(form, "Silver", clWhite, clGray, TZylFillStyle::Horizontal);
        auto* plain = Place<TZylOfficeButton>(form, 10, 10, 130, 25);
        plain->SetCaption("Normal");
        auto* hot = Place<TZylOfficeButton>(form, 160, 10, 130, 25);
        hot->SetCaption("Under the mouse");
        auto* gradient = Place<TZylOfficeButton>(form, 10, 50, 130, 30);
        gradient->SetCaption("Gradient");
        gradient->SetBackground(silver);
        gradient->Font3D()->SetStyle3D(fontRaised);
        auto* pressed = Place<TZylOfficeButton>(form, 160, 50, 130, 30);
        pressed->SetCaption("Held down");
        pressed->SetBackground(silver);
        auto* disabled = Place<TZylOfficeButton>(form, 10, 95, 130, 25);
        disabled->SetCaption("Disabled");
        disabled->SetEnabled(false);
        auto* round = Place<TZylOfficeButton>(form, 160, 95, 130, 35);
        round->SetCaption("RoundSize 30");
        round->SetRoundSize(30);
        round->SetBorderColor(clNavy);
        form->Show();
        Settle();
        MoveMouseOver(hot, 60, 12);
        album.Shoot("Normal, under the mouse, gradient, disabled and round", form);
        MoveMouseOver(pressed, 60, 15);
        HoldLeftButton(true);
        album.Shoot("Held down: the lamp lights aqua and the gradient runs backwards", form, pressed);
        HoldLeftButton(false);
    }};

gallery::Registration flatButtons{
    "TZylIEButton", "lumaro",
    "A tool bar of flat buttons over a gradient panel: grey glyphs until the mouse comes, a hot "
    "button, a group of three with one down, a button with a drop-down menu and its arrow, text-only, "
    "glyph-left and disabled buttons, the three bevel looks; then the drop-down menu open.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Flat buttons", 470, 150);
        form->SetColor(clBtnFace);
        auto* bar = Place<TZylFillBackground>(form, 0, 0, 470, 60);
        bar->SetBackground(ButtonGradient(form, "Bar", clWhite, clSilver, TZylFillStyle::Horizontal));
        const char* captions[] = {"&Back", "Left", "Centre", "Right"};
        const TColor colours[] = {clGreen, clRed, clBlue, clNavy};
        TZylIEButton* back = nullptr;
        TZylIEButton* centre = nullptr;
        for (int i = 0; i < 4; ++i) {
            auto* button = Place<TZylIEButton>(form, 5 + i * 62, 5, 60, 50);
            button->SetCaption(captions[i]);
            SetGlyph(button->Glyph(), colours[i], i % 3);
            if (i > 0) button->SetGroupIndex(1);
            if (i == 0) back = button;
            if (i == 2) centre = button;
        }
        centre->SetDown(true);
        auto* menu = new TPopupMenu(form);
        for (const char* caption : {"&Recent", "&Bookmarks", "&History"}) {
            auto* item = new TMenuItem(form);
            item->SetCaption(caption);
            menu->Items()->Add(item);
        }
        auto* more = Place<TZylIEButton>(form, 260, 5, 70, 50);
        more->SetCaption("More");
        SetGlyph(more->Glyph(), clOlive, 1);
        more->SetDropDownMenu(menu);
        auto* disabled = Place<TZylIEButton>(form, 335, 5, 60, 50);
        disabled->SetCaption("Off");
        SetGlyph(disabled->Glyph(), clMaroon, 0);
        disabled->SetEnabled(false);

        const TZylButtonKind looks[] = {bk97, bkNormal, bkDeep};
        const char* lookNames[] = {"bk97", "bkNormal", "bkDeep"};
        for (int i = 0; i < 3; ++i) {
            auto* sticky = Place<TZylIEButton>(form, 5 + i * 100, 70, 95, 30);
            sticky->SetCaption(lookNames[i]);
            sticky->SetOptions({opTextonly});
            sticky->SetBevelLooks(looks[i]);
            sticky->SetGroupIndex(2 + i);
            sticky->SetDown(true);
        }
        auto* left = Place<TZylIEButton>(form, 5, 110, 150, 30);
        left->SetCaption("Glyph at the left");
        left->SetLayout(pLeft);
        SetGlyph(left->Glyph(), clTeal, 2);
        left->SetOptions({opMenuArrow});
        form->Show();
        Settle();
        MoveMouseOver(back, 30, 25);
        album.Shoot("Hot, grey and down buttons, a drop-down arrow and the three bevel looks", form);

        MoveMouseOver(more, 30, 25);
        win32::testing::SetModalScript([&](std::string_view) {
            album.Shoot("The drop-down menu below its button", form, more);
            win32::input::PressKey(win32::VK_ESCAPE);
        });
        const win32::ScopeExit unscripted([] { win32::testing::SetModalScript(nullptr); });
        HoldLeftButton(true);
        HoldLeftButton(false);
    }};

gallery::Registration checkControls{
    "TZylCheckbox", "lumaro",
    "Painted check boxes and radio buttons: captions in relief, over a gradient, with the box on the "
    "right, centred text, push-like with a sunken client edge (up and checked), focused and disabled.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Painted check boxes and radio buttons", 420, 150);
        form->SetColor(clBtnFace);
        TZylBackground* sea = ButtonGradient(form, "Sea", clAqua, clBlue, TZylFillStyle::Vertical);
        auto* plain = Place<TZylCheckbox>(form, 10, 10, 190, 22);
        plain->SetCaption("Raised caption");
        plain->Font3D()->SetStyle3D(fontRaised);
        plain->SetCheckedValue(true);
        auto* over = Place<TZylCheckbox>(form, 10, 40, 190, 22);
        over->SetCaption("Over a gradient");
        over->Font()->SetColor(clWhite);
        over->Font3D()->SetStyle3D(fontOnlyShadow);
        over->Font3D()->SetShadow(clBlack);
        over->SetBackground(sea);
        auto* right = Place<TZylCheckbox>(form, 10, 70, 190, 22);
        right->SetCaption("Box on the right");
        right->SetAlignButton(TLeftRight::taRightJustify);
        right->SetAlignment(TAlignment::taRightJustify);
        auto* disabled = Place<TZylCheckbox>(form, 10, 100, 190, 22);
        disabled->SetCaption("Disabled");
        disabled->SetEnabled(false);

        auto* pushUp = Place<TZylCheckbox>(form, 215, 10, 95, 30);
        pushUp->SetCaption("Push up");
        pushUp->SetAsButton(true);
        pushUp->SetAlignment(TAlignment::taCenter);
        auto* pushDown = Place<TZylCheckbox>(form, 315, 10, 95, 30);
        pushDown->SetCaption("Checked");
        pushDown->SetAsButton(true);
        pushDown->SetAlignment(TAlignment::taCenter);
        pushDown->SetCheckedValue(true);
        auto* first = Place<TZylRadiobutton>(form, 215, 55, 195, 22);
        first->SetCaption("Radio, focused");
        first->Font3D()->SetStyle3D(fontInset);
        auto* second = Place<TZylRadiobutton>(form, 215, 85, 195, 22);
        second->SetCaption("Radio, checked");
        second->SetChecked(true);
        auto* third = Place<TZylRadiobutton>(form, 215, 115, 195, 22);
        third->SetCaption("Radio over a gradient");
        third->Font()->SetColor(clYellow);
        third->SetBackground(sea);
        form->Show();
        first->SetFocus();
        Settle();
        album.Shoot("Check boxes, push-like buttons and radio buttons", form);
    }};

}  // namespace
