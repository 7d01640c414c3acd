// Panels, bevels, shapes, images and paint boxes: their pixels, client areas and form files.
#include <gtest/gtest.h>

#include "extctrls_support.h"
#include "vcl/streaming.h"

namespace zyltest {
namespace {

using namespace vcl;

class PanelsTest : public UiFixture {};

TEST_F(PanelsTest, PanelRingsOuterBevelBorderInnerBevelFromOutsideIn) {
    TForm* form = ShowForm();
    auto* panel = MakeOn<TPanel>(form, "Panel", 10, 10, 100, 50);
    panel->SetBevelOuter(bvRaised);
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(2);
    panel->SetBorderWidth(3);
    panel->SetColor(clAqua);
    auto image = PaintOnGround(panel);
    // Outer raised ring, two pixels wide: highlight top-left, shadow bottom-right and the far corners.
    EXPECT_EQ(PixelAt(*image, 0, 20), Rgb(clBtnHighlight));
    EXPECT_EQ(PixelAt(*image, 1, 20), Rgb(clBtnHighlight));
    EXPECT_EQ(PixelAt(*image, 99, 20), Rgb(clBtnShadow));
    EXPECT_EQ(PixelAt(*image, 98, 20), Rgb(clBtnShadow));
    EXPECT_EQ(PixelAt(*image, 99, 0), Rgb(clBtnShadow));
    // The border in the panel's colour, then the lowered inner ring.
    EXPECT_EQ(PixelAt(*image, 2, 20), Rgb(clAqua));
    EXPECT_EQ(PixelAt(*image, 4, 20), Rgb(clAqua));
    EXPECT_EQ(PixelAt(*image, 5, 20), Rgb(clBtnShadow));
    EXPECT_EQ(PixelAt(*image, 6, 20), Rgb(clBtnShadow));
    EXPECT_EQ(PixelAt(*image, 94, 20), Rgb(clBtnHighlight));
    EXPECT_EQ(PixelAt(*image, 20, 44), Rgb(clBtnHighlight));
    EXPECT_EQ(PixelAt(*image, 7, 20), Rgb(clAqua));
}

TEST_F(PanelsTest, ClientAreaShrinksByBorderAndBevels) {
    TForm* form = ShowForm();
    auto* panel = MakeOn<TPanel>(form, "Panel", 10, 10, 100, 50);
    auto* child = MakeOn<TPanel>(panel, "Child", 0, 0, 10, 10);
    child->SetAlign(alClient);
    EXPECT_EQ(Text(child->BoundsRect()), Text(Rect(1, 1, 99, 49)));  // the default raised outer bevel
    panel->SetBevelInner(bvRaised);
    panel->SetBevelWidth(2);
    panel->SetBorderWidth(3);
    EXPECT_EQ(Text(child->BoundsRect()), Text(Rect(7, 7, 93, 43)));
    panel->SetBevelOuter(bvNone);
    panel->SetBevelInner(bvNone);
    EXPECT_EQ(Text(child->BoundsRect()), Text(Rect(3, 3, 97, 47)));
    panel->SetBevelWidth(0);  // refused: at least 1
    EXPECT_EQ(panel->BevelWidth(), 1);
}

TEST_F(PanelsTest, CaptionIsCentredAndFollowsAlignment) {
    TForm* form = ShowForm();
    auto* panel = MakeOn<TPanel>(form, "Panel", 10, 10, 120, 30);
    panel->SetCaption("WWW");
    panel->Font()->SetColor(clRed);
    auto textColumns = [&] {
        auto image = PaintOnGround(panel);
        int first = -1, last = -1;
        for (int x = 0; x < image->Width(); ++x)
            for (int y = 0; y < image->Height(); ++y)
                if (PixelAt(*image, x, y) == Rgb(clRed)) {
                    if (first < 0) first = x;
                    last = x;
                }
        return std::pair{first, last};
    };
    auto [left, right] = textColumns();
    ASSERT_GE(left, 0);
    EXPECT_NEAR(left + right, 120, 3);  // centred
    panel->SetAlignment(TAlignment::taLeftJustify);
    EXPECT_LT(textColumns().first, 6);
    panel->SetAlignment(TAlignment::taRightJustify);
    EXPECT_GT(textColumns().second, 113);
}

TEST_F(PanelsTest, SingleBorderGivesAClientEdge) {
    TForm* form = ShowForm();
    auto* panel = MakeOn<TPanel>(form, "Panel", 10, 10, 100, 50);
    const Integer plainWidth = panel->ClientWidth();
    panel->SetBorderStyle(bsSingle);
    PumpUntilIdle();
    EXPECT_EQ(plainWidth - panel->ClientWidth(), 4);
    EXPECT_NE(win32::GetWindowLongPtr(panel->Handle(), win32::GWL_EXSTYLE) & win32::WS_EX_CLIENTEDGE, 0);
}

struct BevelCase {
    TBevelShape shape;
    TBevelStyle style;
    TPoint point;
    TColor expected;
};

TEST_F(PanelsTest, BevelShapesDrawTheirLines) {
    const TColor hi = clBtnHighlight, sh = clBtnShadow;
    const BevelCase cases[] = {
        {bsBox, bsLowered, {0, 0}, sh},
        {bsBox, bsLowered, {19, 19}, hi},
        {bsBox, bsLowered, {19, 0}, hi},
        {bsBox, bsLowered, {5, 5}, kGround},
        {bsBox, bsRaised, {0, 5}, hi},
        {bsBox, bsRaised, {19, 5}, sh},
        {bsFrame, bsLowered, {0, 5}, sh},
        {bsFrame, bsLowered, {1, 5}, hi},
        {bsFrame, bsLowered, {18, 5}, sh},
        {bsFrame, bsLowered, {19, 5}, hi},
        {bsFrame, bsLowered, {5, 18}, sh},
        {bsFrame, bsLowered, {5, 19}, hi},
        {bsFrame, bsRaised, {0, 5}, hi},
        {bsFrame, bsRaised, {1, 5}, sh},
        {bsTopLine, bsLowered, {5, 0}, sh},
        {bsTopLine, bsLowered, {5, 1}, hi},
        {bsTopLine, bsLowered, {5, 2}, kGround},
        {bsBottomLine, bsLowered, {5, 18}, sh},
        {bsBottomLine, bsLowered, {5, 19}, hi},
        {bsBottomLine, bsRaised, {5, 18}, hi},
        {bsLeftLine, bsLowered, {0, 5}, sh},
        {bsLeftLine, bsLowered, {1, 5}, hi},
        {bsRightLine, bsLowered, {18, 5}, sh},
        {bsRightLine, bsLowered, {19, 5}, hi},
        {bsRightLine, bsLowered, {0, 5}, kGround},
        {bsSpacer, bsLowered, {0, 0}, kGround},
    };
    TForm* form = ShowForm();
    auto* bevel = MakeOn<TBevel>(form, "Bevel", 10, 10, 20, 20);
    for (const BevelCase& c : cases) {
        bevel->SetShape(c.shape);
        bevel->SetStyle(c.style);
        auto image = PaintOnGround(bevel);
        EXPECT_EQ(PixelAt(*image, c.point.x, c.point.y), c.expected == kGround ? kGround : Rgb(c.expected))
            << EnumName(c.shape) << " " << EnumName(c.style) << " at " << c.point.x << "," << c.point.y;
    }
}

TEST_F(PanelsTest, ShapesAreFilledWithTheBrushAndOutlinedWithThePen) {
    TForm* form = ShowForm();
    auto* shape = MakeOn<TShape>(form, "Shape", 10, 10, 40, 30);
    shape->Brush()->SetColor(clRed);
    shape->Pen()->SetColor(clBlue);
    auto image = PaintOnGround(shape);
    EXPECT_EQ(PixelAt(*image, 0, 0), Rgb(clBlue));
    EXPECT_EQ(PixelAt(*image, 39, 29), Rgb(clBlue));
    EXPECT_EQ(PixelAt(*image, 20, 15), Rgb(clRed));

    shape->SetShape(stSquare);  // 30 x 30, centred across the width
    image = PaintOnGround(shape);
    EXPECT_EQ(PixelAt(*image, 4, 15), kGround);
    EXPECT_EQ(PixelAt(*image, 5, 15), Rgb(clBlue));
    EXPECT_EQ(PixelAt(*image, 34, 29), Rgb(clBlue));
    EXPECT_EQ(PixelAt(*image, 35, 15), kGround);
    EXPECT_EQ(CountColor(*image, clRed), 28 * 28);

    shape->SetShape(stCircle);
    image = PaintOnGround(shape);
    EXPECT_EQ(PixelAt(*image, 20, 15), Rgb(clRed));
    EXPECT_EQ(PixelAt(*image, 5, 0), kGround);  // the corners of the bounding square stay empty
    EXPECT_EQ(PixelAt(*image, 34, 29), kGround);
    EXPECT_EQ(PixelAt(*image, 20, 0), Rgb(clBlue));

    shape->Pen()->SetWidth(4);  // a wide pen stays inside the control, on all four sides
    shape->SetShape(stRectangle);
    image = PaintOnGround(shape);
    EXPECT_EQ(PixelAt(*image, 20, 15), Rgb(clRed));
    int leftPen = 0, rightPen = 0, topPen = 0, bottomPen = 0;
    for (int i = 0; i < 6; ++i) {
        leftPen += PixelAt(*image, i, 15) == Rgb(clBlue);
        rightPen += PixelAt(*image, 39 - i, 15) == Rgb(clBlue);
        topPen += PixelAt(*image, 20, i) == Rgb(clBlue);
        bottomPen += PixelAt(*image, 20, 29 - i) == Rgb(clBlue);
    }
    EXPECT_GE(leftPen, 3);
    EXPECT_GE(rightPen, 3);
    EXPECT_GE(topPen, 3);
    EXPECT_GE(bottomPen, 3);
}

class ImageTest : public PanelsTest {
protected:
    // Four columns of colours, two rows.
    static std::unique_ptr<TBitmap> Picture4x2() {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetSize(4, 2);
        const TColor colors[4] = {clRed, clLime, clBlue, clYellow};
        for (int x = 0; x < 4; ++x)
            for (int y = 0; y < 2; ++y)
                bitmap->Canvas()->SetPixels(x, y, y == 0 ? colors[x] : clFuchsia);
        return bitmap;
    }
};

TEST_F(ImageTest, PlainCentredAndStretched) {
    TForm* form = ShowForm();
    auto* image = MakeOn<TImage>(form, "Image", 10, 10, 20, 10);
    image->Picture()->SetBitmap(Picture4x2().get());
    auto pixels = PaintOnGround(image);
    EXPECT_EQ(PixelAt(*pixels, 0, 0), Rgb(clRed));
    EXPECT_EQ(PixelAt(*pixels, 3, 1), Rgb(clFuchsia));
    EXPECT_EQ(PixelAt(*pixels, 4, 0), kGround);
    EXPECT_FALSE(image->ControlStyle().Contains(csOpaque));

    image->SetCenter(true);
    pixels = PaintOnGround(image);
    EXPECT_EQ(PixelAt(*pixels, 8, 4), Rgb(clRed));
    EXPECT_EQ(PixelAt(*pixels, 11, 4), Rgb(clYellow));
    EXPECT_EQ(PixelAt(*pixels, 7, 4), kGround);
    EXPECT_EQ(PixelAt(*pixels, 0, 0), kGround);

    image->SetStretch(true);
    pixels = PaintOnGround(image);
    EXPECT_EQ(PixelAt(*pixels, 0, 0), Rgb(clRed));
    EXPECT_EQ(PixelAt(*pixels, 5, 0), Rgb(clLime));
    EXPECT_EQ(PixelAt(*pixels, 19, 4), Rgb(clYellow));
    EXPECT_EQ(PixelAt(*pixels, 19, 9), Rgb(clFuchsia));
    EXPECT_TRUE(image->ControlStyle().Contains(csOpaque));
}

TEST_F(ImageTest, TransparentLeavesTheBottomLeftColourOut) {
    TForm* form = ShowForm();
    auto* image = MakeOn<TImage>(form, "Image", 10, 10, 4, 2);
    image->Picture()->SetBitmap(Picture4x2().get());
    image->SetTransparent(true);
    auto pixels = PaintOnGround(image);
    EXPECT_EQ(PixelAt(*pixels, 0, 0), Rgb(clRed));
    EXPECT_EQ(PixelAt(*pixels, 0, 1), kGround);
    EXPECT_FALSE(image->ControlStyle().Contains(csOpaque));
}

TEST_F(ImageTest, AutoSizeTakesThePictureSize) {
    TForm* form = ShowForm();
    auto* image = MakeOn<TImage>(form, "Image", 10, 10, 50, 50);
    image->SetAutoSize(true);
    image->Picture()->SetBitmap(Picture4x2().get());
    EXPECT_EQ(image->Width(), 4);
    EXPECT_EQ(image->Height(), 2);
}

TEST_F(ImageTest, CanvasMakesABitmapOfTheControlSize) {
    TForm* form = ShowForm();
    auto* image = MakeOn<TImage>(form, "Image", 10, 10, 30, 20);
    image->Canvas()->SetPixels(3, 4, clGreen);
    ASSERT_NE(dynamic_cast<TBitmap*>(image->Picture()->Graphic()), nullptr);
    EXPECT_EQ(image->Picture()->Width(), 30);
    EXPECT_EQ(image->Picture()->Height(), 20);
    auto pixels = PaintOnGround(image);
    EXPECT_EQ(PixelAt(*pixels, 3, 4), Rgb(clGreen));

    image->Picture()->Icon();  // another kind of graphic: no canvas
    EXPECT_THROW(image->Canvas(), EInvalidOperation);
}

TEST_F(PanelsTest, PaintBoxCallsOnPaintWithItsColours) {
    TForm* form = ShowForm();
    auto* box = MakeOn<TPaintBox>(form, "Box", 10, 10, 30, 20);
    box->SetColor(clLime);
    int paints = 0;
    box->OnPaint = [&](TObject* sender) {
        ++paints;
        EXPECT_EQ(sender, box);
        box->Canvas()->FillRect(Rect(0, 0, 5, 5));
    };
    auto pixels = PaintOnGround(box);
    EXPECT_EQ(paints, 1);
    EXPECT_EQ(PixelAt(*pixels, 2, 2), Rgb(clLime));
    EXPECT_EQ(PixelAt(*pixels, 6, 6), kGround);
}

TEST_F(PanelsTest, FormFileRoundTrip) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetName("Form1");
    auto* panel = MakeOn<TPanel>(form.get(), "Panel1", 5, 5, 150, 60);
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(3);
    panel->SetCaption("Hello");
    auto* bevel = MakeOn<TBevel>(form.get(), "Bevel1", 2, 2, 30, 2);
    bevel->SetParent(panel);
    bevel->SetShape(bsTopLine);
    auto* shape = MakeOn<TShape>(form.get(), "Shape1", 5, 80, 20, 20);
    shape->SetShape(stRoundRect);
    shape->Brush()->SetColor(clRed);
    auto* image = MakeOn<TImage>(form.get(), "Image1", 40, 80, 10, 10);
    image->SetStretch(true);
    const std::string text = ComponentToText(form.get());
    EXPECT_NE(text.find("BevelInner = bvLowered"), std::string::npos);
    EXPECT_EQ(text.find("BevelOuter"), std::string::npos);  // the default is not written
    EXPECT_NE(text.find("Shape = bsTopLine"), std::string::npos);
    EXPECT_NE(text.find("Brush.Color = clRed"), std::string::npos);

    TComponentPtr<TForm> copy(new TForm(nullptr, 0));
    ReadComponentText(text, copy.get());
    EXPECT_EQ(Children(ComponentToText(copy.get())), Children(text));
    auto* readPanel = dynamic_cast<TPanel*>(copy->FindComponent("Panel1"));
    ASSERT_NE(readPanel, nullptr);
    EXPECT_EQ(readPanel->BevelWidth(), 3);
    EXPECT_EQ(readPanel->Caption(), "Hello");
    auto* readBevel = dynamic_cast<TBevel*>(copy->FindComponent("Bevel1"));
    ASSERT_NE(readBevel, nullptr);
    EXPECT_EQ(readBevel->Parent(), readPanel);
}

}  // namespace
}  // namespace zyltest
