// The graphics unit: colours, fonts, pens, brushes, canvas, bitmaps, icons, pictures and streaming.
#include <gtest/gtest.h>

#include "support/tempdir.h"
#include "vcl/graphics.h"
#include "vcl/imglist.h"
#include "vcl/streaming.h"

namespace {

using namespace vcl;

TEST(Colors, NamesAndHexBothWays) {
    EXPECT_EQ(ColorToString(clRed), "clRed");
    EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
    EXPECT_EQ(ColorToString(0x00123456), "$00123456");
    EXPECT_EQ(StringToColor("clinfobk"), clInfoBk);
    EXPECT_EQ(StringToColor("$00123456"), 0x00123456);
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_EQ(StringToColor("$80000005"), clWindow);
    EXPECT_THROW(StringToColor("clNotAColour"), EConvertError);
    EXPECT_THROW(StringToColor("$123456789"), EConvertError);
    Integer value = 0;
    EXPECT_TRUE(IdentToColor("clNone", value));
    EXPECT_EQ(value, clNone);
    std::string ident;
    EXPECT_FALSE(ColorToIdent(0x010203, ident));
}

TEST(Colors, SystemColoursResolveThroughThePlatform) {
    EXPECT_EQ(ColorToRGB(clBtnFace), win32::RGB(192, 192, 192));
    EXPECT_EQ(ColorToRGB(clHighlight), win32::RGB(0, 0, 128));
    EXPECT_EQ(ColorToRGB(clRed), win32::RGB(255, 0, 0));
    EXPECT_EQ(clBtnFace, static_cast<TColor>(0x8000000F));
    EXPECT_EQ(clInfoBk, static_cast<TColor>(0x80000018));
}

TEST(Font, DefaultsAndSizeConversion) {
    TFont font;
    EXPECT_EQ(font.Name(), "MS Sans Serif");
    EXPECT_EQ(font.Size(), 8);
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Color(), clWindowText);
    font.SetSize(10);
    EXPECT_EQ(font.Height(), -13);
    font.SetHeight(-16);
    EXPECT_EQ(font.Size(), 12);
    font.SetHeight(20);  // cell height: the size comes out negative, as in the framework
    EXPECT_EQ(font.Size(), -15);
}

TEST(Font, HandleFollowsTheProperties) {
    TFont font;
    int changes = 0;
    font.OnChange = [&](TObject*) { ++changes; };
    font.SetStyle({fsBold, fsItalic});
    font.SetName("Arial");
    EXPECT_EQ(changes, 2);
    win32::LOGFONT lf{};
    win32::GetObject(font.Handle(), sizeof lf, &lf);
    EXPECT_EQ(lf.lfWeight, win32::FW_BOLD);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_STREQ(lf.lfFaceName, "Arial");
    TFont copy;
    copy.Assign(&font);
    EXPECT_EQ(copy.Name(), "Arial");
    EXPECT_TRUE(copy.Style().Contains(fsBold));
    font.SetName("Arial");
    EXPECT_EQ(changes, 2);  // no change, no event
}

TEST(PenAndBrush, HandlesAndModes) {
    TPen pen;
    pen.SetStyle(psDot);
    pen.SetColor(clRed);
    win32::LOGPEN lp{};
    win32::GetObject(pen.Handle(), sizeof lp, &lp);
    EXPECT_EQ(lp.lopnStyle, win32::PS_DOT);
    EXPECT_EQ(lp.lopnColor, win32::RGB(255, 0, 0));
    EXPECT_EQ(PenModeToRop2(pmXor), win32::R2_XORPEN);
    EXPECT_EQ(PenModeToRop2(pmNotMerge), win32::R2_NOTMERGEPEN);
    TBrush brush;
    brush.SetStyle(bsDiagCross);
    win32::LOGBRUSH lb{};
    win32::GetObject(brush.Handle(), sizeof lb, &lb);
    EXPECT_EQ(lb.lbStyle, win32::BS_HATCHED);
    EXPECT_EQ(lb.lbHatch, static_cast<win32::ULONG_PTR>(win32::HS_DIAGCROSS));
    brush.SetStyle(bsClear);
    brush.SetColor(clBlue);  // a colour makes a clear brush solid again
    EXPECT_EQ(brush.Style(), bsSolid);
}

TEST(Canvas, DrawsWithItsPenBrushAndCopyMode) {
    TBitmap bitmap;
    bitmap.SetSize(10, 10);
    TCanvas* canvas = bitmap.Canvas();
    EXPECT_EQ(canvas->Pixels(5, 5), clWhite);  // new bitmaps are white
    canvas->Brush()->SetColor(clRed);
    canvas->Pen()->SetColor(clBlue);
    canvas->Rectangle(1, 1, 9, 9);
    EXPECT_EQ(canvas->Pixels(1, 1), clBlue);
    EXPECT_EQ(canvas->Pixels(4, 4), clRed);
    EXPECT_EQ(canvas->Pixels(9, 9), clWhite);
    canvas->Pen()->SetMode(pmNot);
    canvas->MoveTo(0, 0);
    canvas->LineTo(3, 0);
    EXPECT_EQ(canvas->Pixels(0, 0), clBlack);
    EXPECT_EQ(canvas->PenPos().x, 3);
    canvas->SetPixels(0, 9, clLime);
    EXPECT_EQ(canvas->Pixels(0, 9), clLime);
    EXPECT_EQ(canvas->Pixels(20, 20), -1);
    TRect clip = canvas->ClipRect();
    EXPECT_EQ(clip.right, 10);
}

TEST(Canvas, ChangingPenBrushOrFontWhileTheyAreSelectedLeaksNoHandle) {
    TBitmap bitmap;
    bitmap.SetSize(10, 10);
    TCanvas* canvas = bitmap.Canvas();
    auto draw = [canvas](TColor colour) {
        canvas->Pen()->SetColor(colour);
        canvas->Brush()->SetColor(colour);
        canvas->Font()->SetColor(colour);
        canvas->Font()->SetSize(8 + (colour & 3));
        canvas->Rectangle(1, 1, 9, 9);
        canvas->TextOut(0, 0, "x");
    };
    draw(clRed);
    const size_t objects = win32::testing::GdiObjectCount();
    for (TColor colour : {clBlue, clLime, clYellow, clRed})
        draw(colour);
    EXPECT_EQ(win32::testing::GdiObjectCount(), objects);
    EXPECT_EQ(canvas->Pixels(4, 4), clRed);
}

TEST(Canvas, CopyRectAndBrushCopy) {
    TBitmap source, target;
    source.SetSize(4, 1);
    source.Canvas()->SetPixels(1, 0, clRed);
    target.SetSize(4, 1);
    target.Canvas()->CopyRect(Rect(0, 0, 4, 1), source.Canvas(), Rect(0, 0, 4, 1));
    EXPECT_EQ(target.Canvas()->Pixels(1, 0), clRed);
    target.Canvas()->SetCopyMode(win32::NOTSRCCOPY);
    target.Canvas()->CopyRect(Rect(0, 0, 4, 1), source.Canvas(), Rect(0, 0, 4, 1));
    EXPECT_EQ(target.Canvas()->Pixels(1, 0), static_cast<TColor>(0xFFFF00));
    TBitmap third;
    third.SetSize(4, 1);
    third.Canvas()->Brush()->SetColor(clBlue);
    third.Canvas()->BrushCopy(Rect(0, 0, 4, 1), &source, Rect(0, 0, 4, 1), clWhite);
    EXPECT_EQ(third.Canvas()->Pixels(0, 0), clBlue);
    EXPECT_EQ(third.Canvas()->Pixels(1, 0), clRed);
}

TEST(Canvas, Frame3DDrawsRingsAndShrinks) {
    TBitmap bitmap;
    bitmap.SetSize(6, 6);
    TRect r = Rect(0, 0, 6, 6);
    Frame3D(bitmap.Canvas(), r, clWhite, clBlack, 1);
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.right, 5);
    bitmap.Canvas()->SetPixels(0, 0, clRed);
    bitmap.Canvas()->SetPixels(0, 0, clWhite);
    TRect s = Rect(0, 0, 6, 6);
    bitmap.Canvas()->Brush()->SetColor(clGray);
    bitmap.Canvas()->FillRect(s);
    Frame3D(bitmap.Canvas(), s, clWhite, clBlack, 2);
    TCanvas* c = bitmap.Canvas();
    EXPECT_EQ(c->Pixels(0, 2), clWhite);
    EXPECT_EQ(c->Pixels(2, 0), clWhite);
    EXPECT_EQ(c->Pixels(5, 2), clBlack);
    EXPECT_EQ(c->Pixels(2, 5), clBlack);
    EXPECT_EQ(c->Pixels(5, 0), clBlack);  // the far corners belong to the bottom colour
    EXPECT_EQ(c->Pixels(0, 5), clBlack);
    EXPECT_EQ(c->Pixels(1, 2), clWhite);
    EXPECT_EQ(c->Pixels(4, 2), clBlack);
    EXPECT_EQ(c->Pixels(2, 2), clGray);
    EXPECT_EQ(s.left, 2);
    EXPECT_EQ(s.bottom, 4);
}

TEST(Canvas, LockCounts) {
    TCanvas canvas;
    canvas.Lock();
    canvas.Lock();
    EXPECT_EQ(canvas.LockCount(), 2);
    canvas.Unlock();
    EXPECT_TRUE(canvas.TryLock());
    canvas.Unlock();
    canvas.Unlock();
    EXPECT_EQ(canvas.LockCount(), 0);
    EXPECT_THROW(canvas.Rectangle(0, 0, 1, 1), EInvalidOperation);
}

TEST(Bitmap, ResizingKeepsPixelsAndFillsWhite) {
    TBitmap bitmap;
    bitmap.SetSize(2, 2);
    bitmap.Canvas()->SetPixels(1, 1, clRed);
    bitmap.SetSize(4, 3);
    EXPECT_EQ(bitmap.Canvas()->Pixels(1, 1), clRed);
    EXPECT_EQ(bitmap.Canvas()->Pixels(3, 2), clWhite);
    bitmap.SetWidth(1);
    EXPECT_EQ(bitmap.Width(), 1);
    EXPECT_EQ(bitmap.Canvas()->Pixels(1, 1), -1);
    EXPECT_THROW(bitmap.SetSize(100000, 100000), EOutOfResources);
}

TEST(Bitmap, TransparentColourMaskAndMonochrome) {
    TBitmap bitmap;
    bitmap.SetSize(3, 2);
    bitmap.Canvas()->SetPixels(0, 1, clLime);
    EXPECT_EQ(bitmap.TransparentColor(), clLime);
    bitmap.SetTransparentColor(clRed);
    EXPECT_EQ(bitmap.TransparentMode(), tmFixed);
    EXPECT_EQ(bitmap.TransparentColor(), clRed);
    bitmap.SetTransparentMode(tmAuto);
    EXPECT_EQ(bitmap.TransparentColor(), clLime);
    bitmap.Mask(clLime);
    EXPECT_TRUE(bitmap.Monochrome());
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 1), clWhite);
    EXPECT_EQ(bitmap.Canvas()->Pixels(1, 1), clBlack);
}

TEST(Bitmap, TransparentDrawSkipsTheTransparentColour) {
    TBitmap sprite, target;
    sprite.SetSize(2, 1);
    sprite.Canvas()->SetPixels(0, 0, clRed);
    sprite.Canvas()->SetPixels(1, 0, clFuchsia);
    sprite.SetTransparent(true);
    sprite.SetTransparentColor(clFuchsia);
    target.SetSize(2, 1);
    target.Canvas()->Brush()->SetColor(clNavy);
    target.Canvas()->FillRect(Rect(0, 0, 2, 1));
    target.Canvas()->Draw(0, 0, &sprite);
    EXPECT_EQ(target.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(target.Canvas()->Pixels(1, 0), clNavy);
}

TEST(Bitmap, ScanLineReachesThePixels) {
    TBitmap bitmap;
    bitmap.SetSize(3, 2);
    auto* row = static_cast<uint32_t*>(bitmap.ScanLine(1));
    row[2] = 0x0000FF00;  // B G R x: green
    EXPECT_EQ(bitmap.Canvas()->Pixels(2, 1), clLime);
    EXPECT_THROW(bitmap.ScanLine(2), EInvalidGraphicOperation);
    bitmap.SetPixelFormat(pf24bit);
    EXPECT_EQ(bitmap.Canvas()->Pixels(2, 1), clLime);  // kept through the change of depth
    auto* triples = static_cast<uint8_t*>(bitmap.ScanLine(0));
    triples[3 * 1 + 2] = 0xFF;  // B G R: pixel 1 becomes red
    triples[3 * 1 + 0] = 0x00;
    triples[3 * 1 + 1] = 0x00;
    EXPECT_EQ(bitmap.Canvas()->Pixels(1, 0), clRed);
}

TEST(Bitmap, FileRoundTripAndBadData) {
    zyltest::TempDir dir;
    TBitmap bitmap;
    bitmap.SetSize(5, 4);
    bitmap.Canvas()->SetPixels(4, 3, clRed);
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SaveToFile(dir.File("a.bmp"));
    TBitmap back;
    back.LoadFromFile(dir.File("a.bmp"));
    EXPECT_EQ(back.Width(), 5);
    EXPECT_EQ(back.PixelFormat(), pf24bit);
    EXPECT_EQ(back.Canvas()->Pixels(4, 3), clRed);
    TMemoryStream junk;
    junk.WriteString("BM this is not a bitmap");
    junk.SetPosition(0);
    EXPECT_THROW(back.LoadFromStream(junk), EInvalidGraphic);
    EXPECT_EQ(back.Width(), 5);  // unchanged after the failure
}

TEST(Bitmap, AssignIsADeepCopy) {
    TBitmap a, b;
    a.SetSize(2, 2);
    b.Assign(&a);
    b.Canvas()->SetPixels(0, 0, clRed);
    EXPECT_EQ(a.Canvas()->Pixels(0, 0), clWhite);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
}

TEST(Icon, LoadSaveAndDraw) {
    zyltest::TempDir dir;
    TIcon icon;
    icon.SetHandle(win32::CopyIcon(win32::LoadIcon(nullptr, win32::IDI_ERROR)));
    EXPECT_EQ(icon.Width(), 32);
    icon.SaveToFile(dir.File("a.ico"));
    TPicture picture;
    picture.LoadFromFile(dir.File("a.ico"));
    ASSERT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 32);
    TBitmap target;
    target.SetSize(32, 32);
    target.Canvas()->Draw(0, 0, picture.Graphic());
    EXPECT_EQ(target.Canvas()->Pixels(6, 16), clRed);
    EXPECT_EQ(target.Canvas()->Pixels(0, 0), clWhite);
    EXPECT_THROW(icon.SetWidth(16), EInvalidGraphicOperation);
    EXPECT_THROW(picture.LoadFromFile(dir.File("a.xyz")), EInvalidGraphic);
}

TEST(Picture, BitmapReplacesOtherGraphicsAndSignalsChanges) {
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TObject*) { ++changes; };
    picture.Bitmap()->SetSize(3, 3);
    EXPECT_GE(changes, 2);
    EXPECT_EQ(picture.Width(), 3);
    TPicture copy;
    copy.Assign(&picture);
    EXPECT_EQ(copy.Height(), 3);
    EXPECT_NE(copy.Graphic(), picture.Graphic());
    picture.Icon();
    EXPECT_TRUE(picture.Graphic()->Empty());
}

class TPainted : public TComponent {
    VCL_CLASS(TPainted, TComponent)
public:
    explicit TPainted(TComponent* owner) : TComponent(owner) {
        font_ = std::make_unique<TFont>();
        glyph_ = std::make_unique<TBitmap>();
        picture_ = std::make_unique<TPicture>();
    }
    TFont* Font() const { return font_.get(); }
    TBitmap* Glyph() const { return glyph_.get(); }
    TPicture* Picture() const { return picture_.get(); }

    static void Publish(Published<TPainted>& p) {
        p.Property("Font", &TPainted::Font);
        p.Property("Glyph", &TPainted::Glyph);
        p.Property("Picture", &TPainted::Picture);
    }

private:
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TBitmap> glyph_;
    std::unique_ptr<TPicture> picture_;
};

TEST(GraphicsStreaming, FontBitmapAndPictureRoundTripThroughAForm) {
    RegisterClass<TPainted>();
    TComponentPtr<TPainted> source(new TPainted(nullptr));
    source->SetName("Painted1");
    source->Font()->SetName("Arial");
    source->Font()->SetStyle({fsBold});
    source->Font()->SetColor(clRed);
    source->Glyph()->SetSize(3, 2);
    source->Glyph()->Canvas()->SetPixels(2, 1, clBlue);
    source->Picture()->Bitmap()->SetSize(2, 2);
    std::string text = ComponentToText(source.get());
    EXPECT_NE(text.find("Font.Name = 'Arial'"), std::string::npos) << text;
    EXPECT_NE(text.find("Font.Style = [fsBold]"), std::string::npos) << text;
    EXPECT_NE(text.find("Font.Color = clRed"), std::string::npos) << text;
    EXPECT_NE(text.find("Font.Charset = DEFAULT_CHARSET"), std::string::npos) << text;
    EXPECT_EQ(text.find("Font.Size"), std::string::npos) << text;
    EXPECT_NE(text.find("Glyph.Data"), std::string::npos) << text;
    EXPECT_NE(text.find("Picture.Data"), std::string::npos) << text;
    TComponentPtr<TPainted> target(new TPainted(nullptr));
    ReadComponentText(text, target.get());
    EXPECT_EQ(target->Font()->Name(), "Arial");
    EXPECT_EQ(target->Font()->Color(), clRed);
    EXPECT_TRUE(target->Font()->Style().Contains(fsBold));
    EXPECT_EQ(target->Glyph()->Width(), 3);
    EXPECT_EQ(target->Glyph()->Canvas()->Pixels(2, 1), clBlue);
    EXPECT_EQ(target->Picture()->Width(), 2);
}

TEST(ImageList, AddMaskedSplitsAStripAndDrawsTransparently) {
    TComponentPtr<TImageList> list(new TImageList(nullptr));
    list->SetWidth(2);
    list->SetHeight(1);
    TBitmap strip;
    strip.SetSize(4, 1);
    strip.Canvas()->SetPixels(0, 0, clRed);
    strip.Canvas()->SetPixels(1, 0, clFuchsia);
    strip.Canvas()->SetPixels(2, 0, clFuchsia);
    strip.Canvas()->SetPixels(3, 0, clBlue);
    int changes = 0;
    TChangeLink link;
    link.OnChange = [&](TObject*) { ++changes; };
    list->RegisterChanges(&link);
    EXPECT_EQ(list->AddMasked(&strip, clFuchsia), 0);
    EXPECT_EQ(list->Count(), 2);
    EXPECT_EQ(changes, 1);
    TBitmap target;
    target.SetSize(2, 1);
    target.Canvas()->Brush()->SetColor(clLime);
    target.Canvas()->FillRect(Rect(0, 0, 2, 1));
    list->Draw(target.Canvas(), 0, 0, 1);
    EXPECT_EQ(target.Canvas()->Pixels(0, 0), clLime);
    EXPECT_EQ(target.Canvas()->Pixels(1, 0), clBlue);
    list->Draw(target.Canvas(), 0, 0, 0);
    EXPECT_EQ(target.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(target.Canvas()->Pixels(1, 0), clBlue);
    list->Delete(0);
    EXPECT_EQ(list->Count(), 1);
    EXPECT_THROW(list->Delete(5), EInvalidOperation);
    list->UnRegisterChanges(&link);
    list->Clear();
    EXPECT_EQ(changes, 2);
}

TEST(ImageList, DisabledLookEmbossesDarkPixels) {
    TComponentPtr<TImageList> list(new TImageList(nullptr));
    list->SetWidth(3);
    list->SetHeight(3);
    TBitmap image;
    image.SetSize(3, 3);
    image.Canvas()->SetPixels(1, 1, clBlack);
    list->AddMasked(&image, clWhite);
    TBitmap target;
    target.SetSize(4, 4);
    target.Canvas()->Brush()->SetColor(clSilver);
    target.Canvas()->FillRect(Rect(0, 0, 4, 4));
    list->Draw(target.Canvas(), 0, 0, 0, false);
    EXPECT_EQ(target.Canvas()->Pixels(1, 1), clGray);   // shadow
    EXPECT_EQ(target.Canvas()->Pixels(2, 2), clWhite);  // highlight below-right
    EXPECT_EQ(target.Canvas()->Pixels(0, 0), clSilver);
    TIcon icon;
    list->GetIcon(0, &icon);
    EXPECT_EQ(icon.Width(), 3);
}

TEST(ImageList, ImagesTravelThroughAFormFile) {
    RegisterClass<TImageList>();
    TComponentPtr<TImageList> list(new TImageList(nullptr));
    list->SetName("Images");
    list->SetWidth(4);
    list->SetHeight(2);
    TBitmap strip;
    strip.SetSize(8, 2);
    strip.Canvas()->SetPixels(1, 1, clRed);
    strip.Canvas()->SetPixels(6, 0, clBlue);
    list->AddMasked(&strip, clWhite);
    std::string text = ComponentToText(list.get());
    EXPECT_NE(text.find("Width = 4"), std::string::npos) << text;
    EXPECT_EQ(text.find("Masked"), std::string::npos) << text;  // default not written
    EXPECT_NE(text.find("Bitmap = {"), std::string::npos) << text;
    TComponentPtr<TImageList> back(new TImageList(nullptr));
    ReadComponentText(text, back.get());
    ASSERT_EQ(back->Count(), 2);
    TBitmap target;
    target.SetSize(4, 2);
    target.Canvas()->Brush()->SetColor(clLime);
    target.Canvas()->FillRect(Rect(0, 0, 4, 2));
    back->Draw(target.Canvas(), 0, 0, 1);
    EXPECT_EQ(target.Canvas()->Pixels(2, 0), clBlue);
    EXPECT_EQ(target.Canvas()->Pixels(1, 1), clLime);
    back->Draw(target.Canvas(), 0, 0, 0);
    EXPECT_EQ(target.Canvas()->Pixels(1, 1), clRed);
}

TEST(Brush, PatternBitmapTilesFromTheOrigin) {
    TBitmap pattern;
    pattern.SetSize(2, 1);
    pattern.Canvas()->SetPixels(0, 0, clRed);
    TBitmap target;
    target.SetSize(4, 1);
    target.Canvas()->Brush()->SetBitmap(&pattern);
    target.Canvas()->FillRect(Rect(0, 0, 4, 1));
    EXPECT_EQ(target.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(target.Canvas()->Pixels(1, 0), clWhite);
    EXPECT_EQ(target.Canvas()->Pixels(2, 0), clRed);
    target.Canvas()->Brush()->SetBitmap(nullptr);
}

TEST(Picture, IconDataRoundTripAndBadData) {
    TComponentPtr<TPainted> source(new TPainted(nullptr));
    source->SetName("Painted2");
    TIcon icon;
    icon.SetHandle(win32::CopyIcon(win32::LoadIcon(nullptr, win32::IDI_WARNING)));
    source->Picture()->SetIcon(&icon);
    std::string text = ComponentToText(source.get());
    TComponentPtr<TPainted> target(new TPainted(nullptr));
    ReadComponentText(text, target.get());
    ASSERT_NE(dynamic_cast<TIcon*>(target->Picture()->Graphic()), nullptr);
    EXPECT_EQ(target->Picture()->Width(), 32);
    // A picture of an unknown class is refused with an error naming the property.
    std::string bad = "object Painted2: TPainted\n  Picture.Data = {05544A554E4B00}\nend\n";
    TComponentPtr<TPainted> third(new TPainted(nullptr));
    EXPECT_THROW(ReadComponentText(bad, third.get()), Exception);
}

}  // namespace

namespace {

using namespace vcl;

// Measuring without a window gives what a canvas with the same font measures.
TEST(TextMeasure, AgreesWithACanvasInTheSameFont) {
    TFont font;
    font.SetName("Arial");
    font.SetSize(14);
    font.SetStyle({TFontStyle::fsBold});
    TBitmap bitmap;
    bitmap.SetSize(10, 10);
    bitmap.Canvas()->SetFont(&font);

    const TextMeasure measure(&font);
    for (const std::string text : {"W", "Hello, world", "iiii", "tab\there"})
        EXPECT_EQ(measure.Width(text), bitmap.Canvas()->TextWidth(text)) << text;
    EXPECT_EQ(measure.Width(""), 0);
    EXPECT_EQ(measure.Extent("Mg").cy, bitmap.Canvas()->TextHeight("Mg"));
    EXPECT_EQ(measure.Height(), measure.Metrics().tmHeight);
    EXPECT_GT(measure.Height(), 14);

    // A larger font measures wider; the measure keeps the font it was made with.
    font.SetSize(28);
    const TextMeasure larger(&font);
    EXPECT_GT(larger.Width("Hello"), measure.Width("Hello"));
}

TEST(TextMeasure, WrapsTextAsDrawTextWould) {
    TFont font;
    const TextMeasure measure(&font);
    const Integer line = measure.Height();
    const TRect one = measure.TextRect("one line", Rect(0, 0, 500, 0), win32::DT_SINGLELINE);
    EXPECT_EQ(one.bottom, line);
    EXPECT_EQ(one.right, measure.Width("one line"));
    const TRect wrapped =
        measure.TextRect("several words that cannot fit on one narrow line",
                         Rect(0, 0, measure.Width("several words"), 0), win32::DT_WORDBREAK);
    EXPECT_GE(wrapped.bottom, 3 * line);
    EXPECT_EQ(wrapped.bottom % line, 0);
}

}  // namespace
