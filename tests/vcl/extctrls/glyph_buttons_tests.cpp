// Speed buttons and bitmap buttons: groups, flat frames, glyph strips per state, layout and kinds.
#include <gtest/gtest.h>

#include "extctrls_support.h"
#include "vcl/streaming.h"

namespace zyltest {
namespace {

using namespace vcl;

// A strip of `count` 8 x 8 images framed in fuchsia (the transparent colour): red, lime, blue, yellow.
std::unique_ptr<TBitmap> ColourStrip(int count) {
    auto strip = std::make_unique<TBitmap>();
    strip->SetSize(8 * count, 8);
    strip->Canvas()->Brush()->SetColor(clFuchsia);
    strip->Canvas()->FillRect(Rect(0, 0, 8 * count, 8));
    const TColor colors[4] = {clRed, clLime, clBlue, clYellow};
    for (int i = 0; i < count; ++i) {
        strip->Canvas()->Brush()->SetColor(colors[i]);
        strip->Canvas()->FillRect(Rect(i * 8 + 1, 1, i * 8 + 7, 7));
    }
    return strip;
}

class GlyphButtonsTest : public UiFixture {
protected:
    std::vector<TSpeedButton*> MakeGroup(TForm* form, int count) {
        std::vector<TSpeedButton*> buttons;
        for (int i = 0; i < count; ++i) {
            auto* b = MakeOn<TSpeedButton>(form, "B" + std::to_string(i), 10 + 30 * i, 10, 25, 25);
            b->SetGroupIndex(1);
            buttons.push_back(b);
        }
        return buttons;
    }
};

TEST_F(GlyphButtonsTest, OneButtonOfAGroupIsDown) {
    TForm* form = ShowForm();
    auto buttons = MakeGroup(form, 3);
    int clicks = 0;
    buttons[1]->OnClick = [&](TObject*) { ++clicks; };
    ClickAt(buttons[0], 5, 5);
    EXPECT_TRUE(buttons[0]->Down());
    ClickAt(buttons[1], 5, 5);
    EXPECT_TRUE(buttons[1]->Down());
    EXPECT_FALSE(buttons[0]->Down());
    EXPECT_EQ(buttons[0]->State(), bsUp);
    EXPECT_EQ(buttons[1]->State(), bsExclusive);
    // Without AllowAllUp the down button stays down, but the click still counts.
    ClickAt(buttons[1], 5, 5);
    EXPECT_TRUE(buttons[1]->Down());
    EXPECT_EQ(clicks, 2);
    buttons[1]->SetDown(false);
    EXPECT_TRUE(buttons[1]->Down());
    buttons[2]->SetDown(true);
    EXPECT_FALSE(buttons[1]->Down());
}

TEST_F(GlyphButtonsTest, AllowAllUpIsSharedByTheGroup) {
    TForm* form = ShowForm();
    auto buttons = MakeGroup(form, 3);
    auto* other = MakeOn<TSpeedButton>(form, "Other", 200, 10, 25, 25);
    other->SetGroupIndex(2);
    buttons[0]->SetAllowAllUp(true);
    EXPECT_TRUE(buttons[2]->AllowAllUp());
    EXPECT_FALSE(other->AllowAllUp());
    ClickAt(buttons[2], 5, 5);
    ClickAt(other, 5, 5);
    EXPECT_TRUE(buttons[2]->Down());  // another group does not raise it
    ClickAt(buttons[2], 5, 5);
    EXPECT_FALSE(buttons[2]->Down());
    buttons[1]->SetDown(true);
    buttons[1]->SetDown(false);
    EXPECT_FALSE(buttons[1]->Down());
}

TEST_F(GlyphButtonsTest, UngroupedButtonNeverStaysDown) {
    TForm* form = ShowForm();
    auto* b = MakeOn<TSpeedButton>(form, "B", 10, 10, 25, 25);
    b->SetDown(true);
    EXPECT_FALSE(b->Down());
    ClickAt(b, 5, 5);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(b->State(), bsUp);
}

TEST_F(GlyphButtonsTest, PressedLookFollowsTheMouseAndClickNeedsReleaseInside) {
    TForm* form = ShowForm();
    auto* b = MakeOn<TSpeedButton>(form, "B", 10, 10, 25, 25);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    MoveMouseTo(b, 5, 5);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(b->State(), bsDown);
    MoveMouseTo(b, 60, 5);
    EXPECT_EQ(b->State(), bsUp);
    MoveMouseTo(b, 6, 6);
    EXPECT_EQ(b->State(), bsDown);
    MoveMouseTo(b, 60, 60);
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(b->State(), bsUp);
    ClickAt(b, 5, 5);
    EXPECT_EQ(clicks, 1);
}

TEST_F(GlyphButtonsTest, DoubleClickOnlyWhenDownInAGroup) {
    TForm* form = ShowForm();
    auto buttons = MakeGroup(form, 2);
    auto* plain = MakeOn<TSpeedButton>(form, "Plain", 200, 10, 25, 25);
    int doubles = 0;
    buttons[0]->OnDblClick = [&](TObject*) { ++doubles; };
    plain->OnDblClick = [&](TObject*) { ++doubles; };
    const TPoint p = ScreenPoint(plain, 5, 5);
    win32::input::DoubleClick(p.x, p.y);
    PumpUntilIdle();
    EXPECT_EQ(doubles, 0);
    const TPoint q = ScreenPoint(buttons[0], 5, 5);
    win32::input::DoubleClick(q.x, q.y);
    PumpUntilIdle();
    EXPECT_TRUE(buttons[0]->Down());
    EXPECT_EQ(doubles, 1);
}

TEST_F(GlyphButtonsTest, FlatFrameAppearsWhileTheMouseIsOver) {
    TForm* form = ShowForm();
    auto* b = MakeOn<TSpeedButton>(form, "B", 10, 10, 25, 25);
    b->SetFlat(true);
    MoveMouseTo(form, 250, 150);
    auto image = PaintOnGround(b);
    EXPECT_EQ(PixelAt(*image, 0, 0), kGround);  // transparent: the parent shows
    EXPECT_EQ(PixelAt(*image, 24, 24), kGround);
    MoveMouseTo(b, 10, 10);
    image = PaintOnGround(b);
    EXPECT_EQ(PixelAt(*image, 0, 0), Rgb(clBtnHighlight));
    EXPECT_EQ(PixelAt(*image, 24, 24), Rgb(clBtnShadow));
    MoveMouseTo(form, 250, 150);
    image = PaintOnGround(b);
    EXPECT_EQ(PixelAt(*image, 0, 0), kGround);
    b->SetTransparent(false);
    image = PaintOnGround(b);
    EXPECT_EQ(PixelAt(*image, 0, 0), Rgb(clBtnFace));
}

TEST_F(GlyphButtonsTest, GlyphStripImagePerState) {
    TForm* form = ShowForm();
    auto buttons = MakeGroup(form, 2);
    TSpeedButton* b = buttons[0];
    b->SetGlyph(ColourStrip(4).get());
    EXPECT_EQ(b->NumGlyphs(), 4);  // a strip of square images sets the count
    auto image = PaintOnGround(b);
    EXPECT_EQ(CountColor(*image, clRed), 36);
    EXPECT_EQ(CountColor(*image, clFuchsia), 0);  // the transparent colour is left out
    // Centred in the button face.
    const TPoint up = FindColor(*image, clRed);
    EXPECT_NEAR(up.x + 3, 12, 1);
    EXPECT_NEAR(up.y + 3, 12, 1);

    b->SetEnabled(false);
    image = PaintOnGround(b);
    EXPECT_EQ(CountColor(*image, clLime), 36);
    EXPECT_EQ(CountColor(*image, clRed), 0);
    b->SetEnabled(true);

    MoveMouseTo(b, 5, 5);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    image = PaintOnGround(b);
    EXPECT_EQ(CountColor(*image, clBlue), 36);
    EXPECT_EQ(Text(FindColor(*image, clBlue)),
              Text(Point(up.x + 1, up.y + 1)));  // pressed: one pixel down and right
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();

    ASSERT_TRUE(b->Down());
    image = PaintOnGround(b);
    EXPECT_EQ(CountColor(*image, clYellow), 36);
}

TEST_F(GlyphButtonsTest, MissingImagesAreDerivedFromTheUpImage) {
    TForm* form = ShowForm();
    auto buttons = MakeGroup(form, 1);
    TSpeedButton* b = buttons[0];
    b->SetGlyph(ColourStrip(1).get());
    EXPECT_EQ(b->NumGlyphs(), 1);
    b->SetDown(true);
    auto image = PaintOnGround(b);
    EXPECT_EQ(CountColor(*image, clRed), 36);  // exclusive falls back to up
    b->SetEnabled(false);
    image = PaintOnGround(b);
    EXPECT_EQ(CountColor(*image, clRed), 0);
    // Embossed: the shape in shadow over its highlight copy one pixel down and right.
    const TPoint shadow = FindColor(*image, clBtnShadow);
    ASSERT_NE(shadow.x, -1);
    TButtonGlyph glyph;
    glyph.SetGlyph(ColourStrip(1).get());
    TBitmap* disabled = glyph.StateImage(bsDisabled);
    ASSERT_NE(disabled, nullptr);
    EXPECT_EQ(PixelAt(*disabled, 1, 1), Rgb(clBtnShadow));
    EXPECT_EQ(PixelAt(*disabled, 6, 6), Rgb(clBtnShadow));
    EXPECT_EQ(PixelAt(*disabled, 7, 7), Rgb(clBtnHighlight));
    EXPECT_EQ(PixelAt(*disabled, 7, 1), 0);  // nothing: masked out
    EXPECT_EQ(PixelAt(*glyph.StateMask(bsDisabled), 7, 1), Rgb(clWhite));
    EXPECT_EQ(PixelAt(*glyph.StateMask(bsDisabled), 7, 2), 0);
}

TEST_F(GlyphButtonsTest, NumGlyphsIsClampedAndOddStripsKeepIt) {
    TButtonGlyph glyph;
    glyph.SetNumGlyphs(9);
    EXPECT_EQ(glyph.NumGlyphs(), 4);
    glyph.SetNumGlyphs(0);
    EXPECT_EQ(glyph.NumGlyphs(), 1);
    glyph.SetNumGlyphs(3);
    TBitmap odd;
    odd.SetSize(20, 8);
    glyph.SetGlyph(&odd);
    EXPECT_EQ(glyph.NumGlyphs(), 3);
    EXPECT_EQ(glyph.ImageSize().cx, 6);
    TBitmap five;
    five.SetSize(40, 8);
    glyph.SetGlyph(&five);
    EXPECT_EQ(glyph.NumGlyphs(), 1);
    glyph.SetGlyph(nullptr);
    EXPECT_EQ(glyph.ImageSize().cx, 0);
    EXPECT_EQ(glyph.StateImage(bsUp), nullptr);
}

struct LayoutCase {
    TButtonLayout layout;
    Integer margin, spacing;
    TSize glyph, text;
    TPoint glyphPos;
    TPoint textPos;
};

TEST(ButtonLayout, MarginAndSpacingRules) {
    const TRect client = Rect(0, 0, 100, 40);
    const LayoutCase cases[] = {
        // Centred pair: (100 - (16 + 4 + 30) + 1) / 2 = 25.
        {blGlyphLeft, -1, 4, {16, 16}, {30, 10}, {25, 12}, {45, 15}},
        {blGlyphRight, -1, 4, {16, 16}, {30, 10}, {59, 12}, {25, 15}},
        // Margin and spacing both free: thirds of what is left.
        {blGlyphLeft, -1, -1, {16, 16}, {30, 10}, {18, 12}, {52, 15}},
        // Fixed margin, free spacing: the caption centred in what remains.
        {blGlyphLeft, 5, -1, {16, 16}, {30, 10}, {5, 12}, {45, 15}},
        {blGlyphLeft, 5, 2, {16, 16}, {30, 10}, {5, 12}, {23, 15}},
        {blGlyphTop, -1, 2, {16, 16}, {30, 10}, {42, 6}, {35, 24}},
        {blGlyphBottom, 3, 2, {16, 16}, {30, 10}, {42, 21}, {35, 9}},
        // Without a caption there is no spacing: the glyph alone is centred.
        {blGlyphLeft, -1, 4, {16, 16}, {0, 0}, {42, 12}, {58, 20}},
        {blGlyphLeft, -1, 4, {0, 0}, {30, 10}, {35, 20}, {35, 15}},
    };
    for (const LayoutCase& c : cases) {
        const TButtonLayoutResult r =
            CalcButtonLayout(client, c.glyph, c.text, c.layout, c.margin, c.spacing);
        EXPECT_EQ(Text(r.glyphPos), Text(c.glyphPos))
            << EnumName(c.layout) << " " << c.margin << " " << c.spacing;
        EXPECT_EQ(Text(Point(r.textBounds.left, r.textBounds.top)), Text(c.textPos))
            << EnumName(c.layout) << " " << c.margin << " " << c.spacing;
    }
    const TButtonLayoutResult moved =
        CalcButtonLayout(Rect(10, 20, 110, 60), {16, 16}, {0, 0}, blGlyphLeft, 0, 4);
    EXPECT_EQ(Text(moved.glyphPos), Text(Point(10, 32)));
}

struct KindCase {
    TBitBtnKind kind;
    const char* caption;
    TModalResult result;
    bool isDefault, isCancel;
};

TEST_F(GlyphButtonsTest, BitBtnKindsSetCaptionResultAndGlyph) {
    const KindCase cases[] = {
        {bkOK, "OK", mrOk, true, false},
        {bkCancel, "Cancel", mrCancel, false, true},
        {bkHelp, "&Help", mrNone, false, false},
        {bkYes, "&Yes", mrYes, true, false},
        {bkNo, "&No", mrNo, false, true},
        {bkClose, "&Close", mrNone, false, false},
        {bkAbort, "Abort", mrAbort, false, false},
        {bkRetry, "&Retry", mrRetry, false, false},
        {bkIgnore, "&Ignore", mrIgnore, false, false},
        {bkAll, "&All", mrAll, false, false},
    };
    TForm* form = ShowForm();
    for (const KindCase& c : cases) {
        auto* button =
            MakeOn<TBitBtn>(form, std::string("Btn") + std::string(EnumName(c.kind)), 10, 10, 90, 30);
        button->SetKind(c.kind);
        EXPECT_EQ(button->Kind(), c.kind);
        EXPECT_EQ(button->Caption(), c.caption);
        EXPECT_EQ(button->ModalResult(), c.result) << c.caption;
        EXPECT_EQ(button->Default(), c.isDefault) << c.caption;
        EXPECT_EQ(button->Cancel(), c.isCancel) << c.caption;
        EXPECT_EQ(button->NumGlyphs(), 2);
        EXPECT_EQ(button->Glyph()->Width(), 36);
        button->Free();
    }
}

TEST_F(GlyphButtonsTest, BitBtnBecomesCustomWhenChangedByHand) {
    TForm* form = ShowForm();
    auto* button = MakeOn<TBitBtn>(form, "Btn", 10, 10, 90, 30);
    EXPECT_EQ(button->Kind(), bkCustom);
    button->SetKind(bkOK);
    button->SetModalResult(mrRetry);
    EXPECT_EQ(button->Kind(), bkCustom);
    button->SetKind(bkOK);
    EXPECT_EQ(button->ModalResult(), mrOk);
    button->SetGlyph(ColourStrip(1).get());
    EXPECT_EQ(button->Kind(), bkCustom);
    EXPECT_EQ(button->NumGlyphs(), 1);
}

TEST_F(GlyphButtonsTest, BitBtnClickSetsTheFormsModalResult) {
    TForm* form = ShowForm();
    auto* ok = MakeOn<TBitBtn>(form, "Ok", 10, 10, 90, 30);
    ok->SetKind(bkOK);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    PumpUntilIdle();
    ClickAt(ok, 45, 15);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(form->ModalResult(), mrOk);
}

TEST_F(GlyphButtonsTest, BitBtnPaintsItsStockGlyphAndEmbossesItWhenDisabled) {
    TForm* form = ShowForm();
    auto* ok = MakeOn<TBitBtn>(form, "Ok", 10, 10, 90, 30);
    ok->SetKind(bkOK);
    PumpUntilIdle();
    auto image = PaintOnGround(ok);
    EXPECT_GT(CountColor(*image, clGreen), 10);
    EXPECT_EQ(CountColor(*image, clFuchsia), 0);
    const TPoint check = FindColor(*image, clGreen);
    EXPECT_LT(check.x, 45);  // the glyph left of the caption
    ok->SetEnabled(false);
    image = PaintOnGround(ok);
    EXPECT_EQ(CountColor(*image, clGreen), 0);
    ok->SetEnabled(true);
    ok->SetLayout(blGlyphRight);
    image = PaintOnGround(ok);
    EXPECT_GT(FindColor(*image, clGreen).x, 45);
}

TEST_F(GlyphButtonsTest, FormFileWritesOnlyWhatTheKindDoesNotGive) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetName("Form1");
    auto* cancel = MakeOn<TBitBtn>(form.get(), "CancelBtn", 5, 5, 75, 25);
    cancel->SetKind(bkCancel);
    auto* custom = MakeOn<TBitBtn>(form.get(), "CustomBtn", 5, 40, 75, 25);
    custom->SetCaption("Go");
    custom->SetGlyph(ColourStrip(2).get());
    custom->SetModalResult(mrYes);
    auto* speed = MakeOn<TSpeedButton>(form.get(), "Speed", 90, 5, 25, 25);
    speed->SetGroupIndex(3);
    speed->SetDown(true);
    speed->SetFlat(true);
    const std::string text = ComponentToText(form.get());
    const std::string cancelPart =
        text.substr(text.find("CancelBtn"), text.find("CustomBtn") - text.find("CancelBtn"));
    EXPECT_NE(cancelPart.find("Kind = bkCancel"), std::string::npos);
    EXPECT_EQ(cancelPart.find("Caption"), std::string::npos);
    EXPECT_EQ(cancelPart.find("ModalResult"), std::string::npos);
    EXPECT_EQ(cancelPart.find("Glyph"), std::string::npos);

    TComponentPtr<TForm> copy(new TForm(nullptr, 0));
    ReadComponentText(text, copy.get());
    EXPECT_EQ(Children(ComponentToText(copy.get())), Children(text));
    auto* readCancel = dynamic_cast<TBitBtn*>(copy->FindComponent("CancelBtn"));
    ASSERT_NE(readCancel, nullptr);
    EXPECT_EQ(readCancel->Caption(), "Cancel");
    EXPECT_TRUE(readCancel->Cancel());
    auto* readCustom = dynamic_cast<TBitBtn*>(copy->FindComponent("CustomBtn"));
    ASSERT_NE(readCustom, nullptr);
    EXPECT_EQ(readCustom->NumGlyphs(), 2);
    EXPECT_EQ(readCustom->Glyph()->Width(), 16);
    auto* readSpeed = dynamic_cast<TSpeedButton*>(copy->FindComponent("Speed"));
    ASSERT_NE(readSpeed, nullptr);
    EXPECT_TRUE(readSpeed->Down());
    EXPECT_TRUE(readSpeed->Flat());
}

}  // namespace
}  // namespace zyltest
