#include <functional>
#include <memory>

#include "lumaro/zylenhanced.h"
#include "painting.h"
#include "vcl/streaming.h"

namespace {

using namespace vcl;
using namespace lumaro;

// A windowless control that counts how often it is asked to repaint.
class CountingControl : public TGraphicControl {
    VCL_CLASS(CountingControl, TGraphicControl)
public:
    explicit CountingControl(TComponent* owner) : TGraphicControl(owner) {}
    void Invalidate() override { ++invalidations; }
    int invalidations = 0;
};

class SubObjectTest : public lumarotest::PaintingTest {
protected:
    void SetUp() override {
        PaintingTest::SetUp();
        control = std::make_unique<CountingControl>(nullptr);
    }
    std::unique_ptr<CountingControl> control;
};

TEST_F(SubObjectTest, Font3DDefaultsFollowThePublishedTable) {
    TZylFont3D font(control.get());
    EXPECT_TRUE(font.ThreeDimensional());
    EXPECT_TRUE(font.MaskFont());
    EXPECT_EQ(font.Highlight(), clBtnHighlight);
    EXPECT_EQ(font.Shadow(), clBtnShadow);
    EXPECT_EQ(font.RepetitionColor(), clBlack);
    EXPECT_EQ(font.Repetition(), repeatNone);
    EXPECT_EQ(font.Repetitionwidth(), 0);
    EXPECT_EQ(font.Offset(), 1);
    EXPECT_EQ(font.Style3D(), fontOnlyHighlight);
    EXPECT_EQ(font.DrawingWidth(), 2);
    const char* order[] = {"DrawingWidth",    "ThreeDimensional", "MaskFont",        "Highlight", "Shadow",
                           "RepetitionColor", "Repetition",       "Repetitionwidth", "Offset",    "Style3D"};
    const auto& properties = TZylFont3D::StaticClass()->Properties();
    ASSERT_EQ(properties.size(), std::size(order));
    for (size_t i = 0; i < properties.size(); ++i)
        EXPECT_EQ(properties[i]->name, order[i]);
}

TEST_F(SubObjectTest, Font3DSettersRepaintTheOwnerControl) {
    TZylFont3D font(control.get());
    const std::function<void()> setters[] = {
        [&] { font.SetThreeDimensional(true); },     [&] { font.SetMaskFont(false); },
        [&] { font.SetHighlight(clBtnHighlight); },  [&] { font.SetShadow(clRed); },
        [&] { font.SetRepetitionColor(clBlack); },   [&] { font.SetRepetition(repeatOnShadow); },
        [&] { font.SetStyle3D(fontOnlyHighlight); }, [&] { font.SetOffset(4); },
    };
    // Every setter signals, even with the value it already has ...
    for (const auto& set : setters) {
        const int before = control->invalidations;
        set();
        EXPECT_EQ(control->invalidations, before + 1);
    }
    // ... but Repetitionwidth only when it changes.
    font.SetRepetitionwidth(0);
    EXPECT_EQ(control->invalidations, 8);
    font.SetRepetitionwidth(3);
    EXPECT_EQ(control->invalidations, 9);
    font.SetRepetitionwidth(3);
    EXPECT_EQ(control->invalidations, 9);
}

TEST_F(SubObjectTest, Font3DOffsetZeroIsRefusedButStillSignals) {
    TZylFont3D font(control.get());
    font.SetOffset(3);
    font.SetOffset(0);
    EXPECT_EQ(font.Offset(), 3);
    EXPECT_EQ(control->invalidations, 2);
}

TEST_F(SubObjectTest, FrameSettersRepaintTheOwnerAndWidthZeroIsIgnored) {
    TZylFrame frame(control.get());
    EXPECT_EQ(frame.FrameStyle(), frameRaised);
    EXPECT_EQ(frame.Edges(), kAllFrameEdges);
    EXPECT_EQ(frame.FrameWidth(), 1);
    frame.SetFrameStyle(frameRaised);
    frame.SetEdges({EdgeLeft});
    frame.SetHighlight(clWhite);
    frame.SetShadow(clGray);
    frame.SetSolid(clBlack);
    frame.SetFrameWidth(1);
    EXPECT_EQ(control->invalidations, 6);
    frame.SetFrameWidth(0);
    EXPECT_EQ(frame.FrameWidth(), 1);
    EXPECT_EQ(control->invalidations, 6);
}

TEST_F(SubObjectTest, SubObjectsOfANonControlOwnerRepaintNothing) {
    TComponent owner(nullptr);
    TZylFrame frame(&owner);
    TZylFont3D font(&owner);
    frame.SetFrameWidth(2);
    font.SetOffset(2);
    EXPECT_EQ(frame.GetOwner(), &owner);
    EXPECT_EQ(control->invalidations, 0);
}

TEST_F(SubObjectTest, GlyphSignalsOnlyRealChanges) {
    TZylGlyph glyph(control.get());
    int changes = 0;
    glyph.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &glyph);
        ++changes;
    };
    glyph.SetVisible(true);
    glyph.SetTransparent(true);
    glyph.SetTransparentColor(clBlack);
    glyph.SetNumGlyphs(1);
    EXPECT_EQ(changes, 0);
    glyph.SetVisible(false);
    glyph.SetTransparent(false);
    glyph.SetTransparentColor(clRed);
    glyph.SetNumGlyphs(3);
    EXPECT_EQ(changes, 4);
    // Outside 1..4 the old value stays.
    glyph.SetNumGlyphs(0);
    glyph.SetNumGlyphs(5);
    EXPECT_EQ(glyph.NumGlyphs(), 3);
    EXPECT_EQ(changes, 4);
    // Its own bitmap is no change; another one is, even when equal.
    glyph.SetBitmap(glyph.Bitmap());
    EXPECT_EQ(changes, 4);
    TBitmap other;
    other.SetSize(4, 4);
    glyph.SetBitmap(&other);
    EXPECT_EQ(changes, 5);
    // The glyph leaves repainting to whoever assigns OnChange.
    EXPECT_EQ(control->invalidations, 0);
}

TEST_F(SubObjectTest, AssignTakesEveryPublishedValueAndSignalsOnce) {
    TZylFont3D font(control.get()), source;
    source.SetThreeDimensional(false);
    source.SetMaskFont(false);
    source.SetHighlight(clYellow);
    source.SetShadow(clNavy);
    source.SetRepetitionColor(clMaroon);
    source.SetRepetition(repeatOnHighLight);
    source.SetRepetitionwidth(5);
    source.SetOffset(3);
    source.SetStyle3D(fontInset);
    font.Assign(&source);
    EXPECT_EQ(control->invalidations, 1);
    for (const TPropInfo* info : TZylFont3D::StaticClass()->Properties())
        EXPECT_EQ(info->get(&font), info->get(&source)) << info->name;

    TZylFrame frame(control.get()), frameSource;
    frameSource.SetFrameStyle(framePanelDown);
    frameSource.SetEdges({EdgeTop});
    frameSource.SetHighlight(clLime);
    frameSource.SetShadow(clTeal);
    frameSource.SetSolid(clPurple);
    frameSource.SetFrameWidth(4);
    frame.Assign(&frameSource);
    EXPECT_EQ(control->invalidations, 2);
    for (const TPropInfo* info : TZylFrame::StaticClass()->Properties())
        EXPECT_EQ(info->get(&frame), info->get(&frameSource)) << info->name;

    TZylGlyph glyph, glyphSource;
    auto strip = std::make_unique<TBitmap>();
    strip->SetSize(12, 4);
    strip->Canvas()->SetPixels(11, 3, clRed);
    glyphSource.SetBitmap(strip.get());
    glyphSource.SetVisible(false);
    glyphSource.SetNumGlyphs(3);
    glyphSource.SetTransparent(false);
    glyphSource.SetTransparentColor(clGray);
    int changes = 0;
    glyph.OnChange = [&](TObject*) { ++changes; };
    glyph.Assign(&glyphSource);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(glyph.Visible());
    EXPECT_EQ(glyph.NumGlyphs(), 3);
    EXPECT_FALSE(glyph.Transparent());
    EXPECT_EQ(glyph.TransparentColor(), clGray);
    ASSERT_NE(glyph.Bitmap(), glyphSource.Bitmap());
    EXPECT_EQ(glyph.Bitmap()->Width(), 12);
    EXPECT_EQ(ColorToRGB(glyph.Bitmap()->Canvas()->Pixels(11, 3)), ColorToRGB(clRed));
}

TEST_F(SubObjectTest, AssignFromAnotherClassIsRefused) {
    TZylFont3D font;
    TZylFrame frame;
    EXPECT_THROW(font.Assign(&frame), EConvertError);
    EXPECT_THROW(frame.Assign(&font), EConvertError);
}

TEST_F(SubObjectTest, EnumerationsStreamByName) {
    EXPECT_EQ(EnumName(frameLightBordered), "frameLightBordered");
    EXPECT_EQ(EnumName(fontOutLineShadow), "fontOutLineShadow");
    EXPECT_EQ(EnumName(repeatOnHighLight), "repeatOnHighLight");
    EXPECT_EQ(EnumName(kHorizontal), "kHorizontal");
    EXPECT_EQ(EnumName(pBottom), "pBottom");
    EXPECT_EQ(EnumName(EdgeBottom), "EdgeBottom");
    EXPECT_EQ(static_cast<int>(EdgeBottom), 3);
}

}  // namespace
