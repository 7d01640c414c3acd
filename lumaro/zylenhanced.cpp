// The enhanced package's sub-objects (3D text, frames, glyph strips) and its free painting routines.
#include <algorithm>
#include <cstring>

#include "lumaro/zylenhanced.h"
#include "vcl/imglist.h"

namespace lumaro {

using namespace vcl;
using win32::HDC;

namespace {

// Repaints the owner of a sub-object when that owner is a control.
void InvalidateOwner(const TGraphicsObject* object) {
    if (auto* control = dynamic_cast<TControl*>(object->GetOwner())) control->Invalidate();
}

// The DC state one Write uses: its brush and font selected for each pass, and the DC's own objects
// and colours restored at the end.
class TextPainter {
public:
    TextPainter(HDC dc, TFont* font, const std::string& text, win32::UINT format)
        : dc_(dc), text_(text), format_(format) {
        brush_.SetStyle(bsClear);
        if (font) font_.Assign(font);
        previousBrush_ = win32::SelectObject(dc_, brush_.Handle());
        previousFont_ = win32::SelectObject(dc_, font_.Handle());
        previousBkColor_ = win32::GetBkColor(dc_);
        previousTextColor_ = win32::GetTextColor(dc_);
        previousBkMode_ = win32::GetBkMode(dc_);
    }
    ~TextPainter() {
        win32::SelectObject(dc_, previousBrush_);
        win32::SelectObject(dc_, previousFont_);
        win32::SetBkColor(dc_, previousBkColor_);
        win32::SetTextColor(dc_, previousTextColor_);
        win32::SetBkMode(dc_, previousBkMode_);
    }
    TextPainter(const TextPainter&) = delete;
    TextPainter& operator=(const TextPainter&) = delete;

    TColor FontColor() const { return font_.Color(); }

    void Draw(const TRect& at, TColor color) {
        win32::SelectObject(dc_, brush_.Handle());
        win32::SetBkColor(dc_, ~ColorToRGB(brush_.Color()) & 0x00FFFFFF);
        win32::SetBkMode(dc_, win32::TRANSPARENT);
        win32::SelectObject(dc_, font_.Handle());
        win32::SetTextColor(dc_, ColorToRGB(color));
        TRect r = at;
        win32::DrawTextEx(dc_, text_.data(), static_cast<int>(text_.size()), &r, format_, nullptr);
    }

private:
    HDC dc_;
    const std::string& text_;
    win32::UINT format_;
    TBrush brush_;
    TFont font_;
    win32::HGDIOBJ previousBrush_ = nullptr, previousFont_ = nullptr;
    win32::COLORREF previousBkColor_ = 0, previousTextColor_ = 0;
    int previousBkMode_ = 0;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// TZylFont3D

VCL_DEFINE_CLASS(TZylFont3D, vcl::TGraphicsObject)

TZylFont3D::TZylFont3D(TPersistent* owner) {
    SetOwner(owner);
    OnChange = [this](TObject*) { Invalidate(); };
}

void TZylFont3D::SetThreeDimensional(bool value) {
    Store(threeDimensional_, value);
}
void TZylFont3D::SetMaskFont(bool value) {
    Store(maskFont_, value);
}
void TZylFont3D::SetHighlight(TColor value) {
    Store(highlight_, value);
}
void TZylFont3D::SetShadow(TColor value) {
    Store(shadow_, value);
}
void TZylFont3D::SetRepetitionColor(TColor value) {
    Store(repetitionColor_, value);
}
void TZylFont3D::SetRepetition(TZylRepeat value) {
    Store(repetition_, value);
}
void TZylFont3D::SetRepetitionwidth(Byte value) {
    if (value != repetitionWidth_) Store(repetitionWidth_, value);
}
void TZylFont3D::SetOffset(Byte value) {
    if (value != 0) offset_ = value;
    Changed();
}
void TZylFont3D::SetStyle3D(TZylStyle3D value) {
    Store(style3D_, value);
}

void TZylFont3D::Invalidate() {
    InvalidateOwner(this);
}

void TZylFont3D::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TZylFont3D*>(source);
    if (!other) {
        TGraphicsObject::Assign(source);
        return;
    }
    threeDimensional_ = other->threeDimensional_;
    maskFont_ = other->maskFont_;
    highlight_ = other->highlight_;
    shadow_ = other->shadow_;
    repetitionColor_ = other->repetitionColor_;
    repetition_ = other->repetition_;
    repetitionWidth_ = other->repetitionWidth_;
    offset_ = other->offset_;
    style3D_ = other->style3D_;
    Changed();
}

void TZylFont3D::Write(TFont* font, HDC dc, const TRect& rect, const std::string& text, win32::UINT format,
                       bool enabled) const {
    TextPainter painter(dc, font, text, format | win32::DT_NOCLIP);
    TRect r = rect;
    if (!enabled) {
        painter.Draw(r, clBtnHighlight);
        painter.Draw(Moved(r, -1, -1), clGrayText);
        return;
    }
    const TColor textColor = painter.FontColor();
    if (!threeDimensional_) {
        painter.Draw(r, textColor);
        return;
    }
    const Integer o = offset_;
    if (repetition_ != repeatNone) {
        const Integer n = repetitionWidth_;
        win32::InflateRect(&r, -n, -n);
        // The copies walk towards the final position, one pixel per copy.
        const Integer step = repetition_ == repeatOnShadow ? -1 : 1;
        r = Moved(r, -step * o, -step * o);
        for (Integer i = 0; i < n; ++i) {
            painter.Draw(r, repetitionColor_);
            r = Moved(r, step, step);
        }
    }
    switch (style3D_) {
        case fontRaised:
            painter.Draw(Moved(r, -o, -o), highlight_);
            painter.Draw(Moved(r, o, o), shadow_);
            break;
        case fontInset:
            painter.Draw(Moved(r, -o, -o), shadow_);
            painter.Draw(Moved(r, o, o), highlight_);
            break;
        case fontOnlyShadow:
            painter.Draw(Moved(r, o, o), shadow_);
            break;
        case fontOnlyHighlight:
            painter.Draw(Moved(r, -o, -o), highlight_);
            break;
        case fontOutLineShadow:
            painter.Draw(Moved(r, -1, -1), shadow_);
            painter.Draw(Moved(r, 1, -1), shadow_);
            painter.Draw(Moved(r, 1, 1), shadow_);
            painter.Draw(Moved(r, -1, 1), shadow_);
            break;
    }
    painter.Draw(r, textColor);
}

// ---------------------------------------------------------------------------------------------
// TZylFrame

VCL_DEFINE_CLASS(TZylFrame, vcl::TGraphicsObject)

TZylFrame::TZylFrame(TPersistent* owner) {
    SetOwner(owner);
    OnChange = [this](TObject*) { Invalidate(); };
}

void TZylFrame::SetFrameStyle(TZylFrameStyle value) {
    frameStyle_ = value;
    Changed();
}
void TZylFrame::SetEdges(TZylFrameEdges value) {
    edges_ = value;
    Changed();
}
void TZylFrame::SetHighlight(TColor value) {
    highlight_ = value;
    Changed();
}
void TZylFrame::SetShadow(TColor value) {
    shadow_ = value;
    Changed();
}
void TZylFrame::SetSolid(TColor value) {
    solid_ = value;
    Changed();
}
void TZylFrame::SetFrameWidth(Byte value) {
    if (value == 0) return;
    frameWidth_ = value;
    Changed();
}

void TZylFrame::Invalidate() {
    InvalidateOwner(this);
}

void TZylFrame::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TZylFrame*>(source);
    if (!other) {
        TGraphicsObject::Assign(source);
        return;
    }
    frameStyle_ = other->frameStyle_;
    edges_ = other->edges_;
    highlight_ = other->highlight_;
    shadow_ = other->shadow_;
    solid_ = other->solid_;
    frameWidth_ = other->frameWidth_;
    Changed();
}

Integer TZylFrame::Calcwidth() const {
    switch (frameStyle_) {
        case frameNone:
            return 0;
        case frameSolid:
        case frameRaised:
        case frameLowered:
            return frameWidth_;
        default:
            return 2 * frameWidth_;
    }
}

TRect TZylFrame::GetEdgePoints() const {
    const Integer width = Calcwidth();
    return TRect{edges_.Contains(EdgeLeft) ? width : 0, edges_.Contains(EdgeTop) ? width : 0,
                 edges_.Contains(EdgeRight) ? width : 0, edges_.Contains(EdgeBottom) ? width : 0};
}

void TZylFrame::DrawRing(HDC dc, const TRect& r, win32::HPEN topLeft, win32::HPEN bottomRight) const {
    if (topLeft) {
        win32::SelectObject(dc, topLeft);
        if (edges_.Contains(EdgeLeft)) {
            win32::MoveToEx(dc, r.left, r.bottom, nullptr);
            win32::LineTo(dc, r.left, r.top);
        }
        if (edges_.Contains(EdgeTop)) {
            win32::MoveToEx(dc, r.left, r.top, nullptr);
            win32::LineTo(dc, r.right, r.top);
        }
    }
    if (bottomRight) {
        win32::SelectObject(dc, bottomRight);
        if (edges_.Contains(EdgeRight)) {
            win32::MoveToEx(dc, r.right, r.top, nullptr);
            win32::LineTo(dc, r.right, r.bottom);
        }
        if (edges_.Contains(EdgeBottom)) {
            win32::MoveToEx(dc, r.right, r.bottom, nullptr);
            win32::LineTo(dc, r.left - 1, r.bottom);
        }
    }
}

void TZylFrame::DrawPass(HDC dc, TRect& rect, TColor topLeft, TColor bottomRight) {
    // One pen per side colour for the whole pass; the DC's own pen comes back at the end.
    struct Pens {
        win32::HPEN topLeft = nullptr, bottomRight = nullptr;
        ~Pens() {
            if (topLeft) win32::DeleteObject(topLeft);
            if (bottomRight) win32::DeleteObject(bottomRight);
        }
    } pens;
    if (topLeft != clNone) pens.topLeft = win32::CreatePen(win32::PS_SOLID, 1, ColorToRGB(topLeft));
    if (bottomRight != clNone)
        pens.bottomRight = win32::CreatePen(win32::PS_SOLID, 1, ColorToRGB(bottomRight));
    const win32::HGDIOBJ previous = win32::GetCurrentObject(dc, win32::OBJ_PEN);
    --rect.right;
    --rect.bottom;
    {
        const ScopeExit deselect([dc, previous] { win32::SelectObject(dc, previous); });
        for (Integer ring = 0; ring < frameWidth_; ++ring) {
            DrawRing(dc, rect, pens.topLeft, pens.bottomRight);
            ++ringCount_;
            win32::InflateRect(&rect, -1, -1);
        }
    }
    ++rect.right;
    ++rect.bottom;
}

void TZylFrame::Draw(HDC dc, TRect& rect) {
    const int previousMode = win32::SetROP2(dc, win32::R2_COPYPEN);
    ringCount_ = 0;
    switch (frameStyle_) {
        case frameSolid:
            DrawPass(dc, rect, solid_, solid_);
            break;
        case frameRaised:
            DrawPass(dc, rect, highlight_, shadow_);
            break;
        case frameLowered:
            DrawPass(dc, rect, shadow_, highlight_);
            break;
        case frameNone:
            break;
        case frameFramedUp:
            DrawPass(dc, rect, highlight_, shadow_);
            DrawPass(dc, rect, shadow_, highlight_);
            break;
        case frameFramedDown:
            DrawPass(dc, rect, shadow_, highlight_);
            DrawPass(dc, rect, highlight_, shadow_);
            break;
        case framePanelUp:
            DrawPass(dc, rect, highlight_, clBlack);
            DrawPass(dc, rect, clNone, shadow_);
            break;
        case framePanelDown:
            DrawPass(dc, rect, shadow_, clNone);
            DrawPass(dc, rect, clBlack, highlight_);
            break;
        case frameLightBordered:
            DrawPass(dc, rect, clNone, shadow_);
            DrawPass(dc, rect, highlight_, highlight_);
            break;
    }
    if (previousMode) win32::SetROP2(dc, previousMode);
}

void TZylFrame::Drawbutton(TCanvas* canvas, TRect& rect, bool down) const {
    if (!canvas) return;
    const TColor outer[2] = {down ? shadow_ : clWhite, down ? highlight_ : clBlack};
    const TColor inner[2] = {down ? clBlack : highlight_, down ? clWhite : shadow_};
    canvas->Pen()->SetWidth(1);
    --rect.right;
    --rect.bottom;
    for (const TColor* ring : {outer, inner}) {
        canvas->Pen()->SetColor(ring[0]);
        const TPoint topLeft[3] = {{rect.left, rect.bottom}, {rect.left, rect.top}, {rect.right, rect.top}};
        canvas->Polyline(topLeft);
        canvas->Pen()->SetColor(ring[1]);
        const TPoint bottomRight[3] = {
            {rect.right, rect.top}, {rect.right, rect.bottom}, {rect.left - 1, rect.bottom}};
        canvas->Polyline(bottomRight);
        win32::InflateRect(&rect, -1, -1);
    }
    ++rect.right;
    ++rect.bottom;
}

// ---------------------------------------------------------------------------------------------
// TZylGlyph

VCL_DEFINE_CLASS(TZylGlyph, vcl::TGraphicsObject)

TZylGlyph::TZylGlyph(TPersistent* owner) : bitmap_(std::make_unique<TBitmap>()) {
    SetOwner(owner);
}

TZylGlyph::~TZylGlyph() = default;

void TZylGlyph::SetVisible(bool value) {
    if (value == visible_) return;
    visible_ = value;
    Changed();
}

void TZylGlyph::SetNumGlyphs(TZylNumGlyphs value) {
    if (value == numGlyphs_ || value < 1 || value > 4) return;
    numGlyphs_ = value;
    Changed();
}

void TZylGlyph::SetTransparent(bool value) {
    if (value == transparent_) return;
    transparent_ = value;
    Changed();
}

void TZylGlyph::SetTransparentColor(TColor value) {
    if (value == transparentColor_) return;
    transparentColor_ = value;
    Changed();
}

void TZylGlyph::SetBitmap(TBitmap* value) {
    if (value == bitmap_.get()) return;
    if (value)
        bitmap_->Assign(value);
    else
        bitmap_->SetSize(0, 0);
    GuessLayout();
    Changed();
}

void TZylGlyph::GuessLayout() {
    auto* component = dynamic_cast<TComponent*>(GetOwner());
    if (bitmap_->Empty() || !component || !component->Designing()) return;
    const Integer width = bitmap_->Width(), height = bitmap_->Height();
    if (width % height == 0) {
        const Integer count = width / height;
        numGlyphs_ = static_cast<TZylNumGlyphs>(count > 4 ? 1 : count);
    }
    transparentColor_ = bitmap_->Canvas()->Pixels(0, height - 1);
}

Integer TZylGlyph::Width() const {
    if (bitmap_->Empty() || numGlyphs_ == 0) return 0;
    return static_cast<Integer>(Round(static_cast<double>(bitmap_->Width()) / numGlyphs_));
}

Integer TZylGlyph::Height() const {
    return bitmap_->Empty() ? 0 : bitmap_->Height();
}

void TZylGlyph::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TZylGlyph*>(source);
    if (!other) {
        TGraphicsObject::Assign(source);
        return;
    }
    visible_ = other->visible_;
    bitmap_->Assign(other->bitmap_.get());
    numGlyphs_ = other->numGlyphs_;
    transparent_ = other->transparent_;
    transparentColor_ = other->transparentColor_;
    Changed();
}

Integer TZylGlyph::ImageFor(bool enabled, bool down) const {
    if (!enabled) return numGlyphs_;
    return down && numGlyphs_ >= 3 ? 2 : 1;
}

void TZylGlyph::CopyImage(TBitmap* work, Integer image) const {
    const Integer width = Width();
    win32::BitBlt(work->Canvas()->Handle(), 0, 0, width, Height(), bitmap_->Canvas()->Handle(),
                  width * (image - 1), 0, win32::SRCCOPY);
}

void TZylGlyph::Draw(TCanvas* canvas, Integer x, Integer y, bool enabled, bool down, bool mono) const {
    if (!canvas || !visible_ || bitmap_->Empty() || Width() == 0) return;
    TBitmap work;
    work.SetPixelFormat(pf32bit);
    work.SetSize(Width(), Height());
    CopyImage(&work, ImageFor(enabled, down));
    if (!enabled) {
        DrawGrayed(&work, 2);
    } else if (mono) {
        CopyImage(&work, 1);
        DrawGrayed(&work, 1);
    }
    if (transparent_)
        ZylDrawTransparentBitmap(canvas, &work, x, y, transparentColor_);
    else
        win32::BitBlt(canvas->Handle(), x, y, work.Width(), work.Height(), work.Canvas()->Handle(), 0, 0,
                      win32::SRCCOPY);
}

void TZylGlyph::DrawGrayed(TBitmap* bitmap, Integer level) const {
    if (!bitmap || bitmap->Empty()) return;
    const win32::COLORREF transparent = ColorToRGB(transparentColor_);
    const win32::COLORREF shades[4] = {ColorToRGB(clBtnFace), ColorToRGB(clBtnHighlight),
                                       ColorToRGB(clBtnShadow), ColorToRGB(clBlack)};
    const Integer limits[3] = {535 * level, 274 * level, 55 * level};
    auto shadeOf = [&](Integer sum) {
        for (int i = 0; i < 3; ++i)
            if (sum > limits[i]) return shades[i];
        return shades[3];
    };
    const Integer width = bitmap->Width(), height = bitmap->Height();
    if (bitmap->PixelFormat() == pf32bit) {
        // Scan lines hold 0xAARRGGBB words; the reverse of COLORREF's byte order.
        auto toPixel = [](win32::COLORREF c) {
            return static_cast<uint32_t>(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
        };
        const uint32_t transparentPixel = toPixel(transparent);
        bitmap->Handle();
        for (Integer row = 0; row < height; ++row) {
            auto* line = static_cast<uint8_t*>(bitmap->ScanLine(row));
            for (Integer column = 0; column < width; ++column) {
                uint32_t pixel;
                std::memcpy(&pixel, line + column * 4, 4);
                const uint32_t rgb = pixel & 0x00FFFFFF;
                if (rgb == transparentPixel) continue;
                const Integer sum =
                    static_cast<Integer>((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF);
                const uint32_t shaded = (pixel & 0xFF000000) | toPixel(shadeOf(sum));
                std::memcpy(line + column * 4, &shaded, 4);
            }
        }
        return;
    }
    TCanvas* canvas = bitmap->Canvas();
    for (Integer row = 0; row < height; ++row)
        for (Integer column = 0; column < width; ++column) {
            const win32::COLORREF pixel = ColorToRGB(canvas->Pixels(column, row));
            if (pixel == transparent) continue;
            const Integer sum = static_cast<Integer>(win32::GetRValue(pixel)) + win32::GetGValue(pixel) +
                                win32::GetBValue(pixel);
            canvas->SetPixels(column, row, static_cast<TColor>(shadeOf(sum)));
        }
}

// ---------------------------------------------------------------------------------------------
// Painting routines

void ZylDrawButtonFrame(TCanvas* canvas, Integer width, Integer height, Integer kind, bool down) {
    if (!canvas || kind < 1 || kind > 3) return;
    struct Pair {
        TColor topLeft, bottomRight;
    };
    const Pair p1 = down ? Pair{clBlack, clSilver} : Pair{clSilver, clBlack};
    const Pair p2 = down ? Pair{clGray, clWhite} : Pair{clWhite, clGray};
    const Pair p3 = down ? Pair{clBtnShadow, clBtnHighlight} : Pair{clBtnHighlight, clBtnShadow};
    auto ring = [&](const Pair& pair, TRect rect) {
        Frame3D(canvas, rect, pair.topLeft, pair.bottomRight, 1);
    };
    switch (kind) {
        case 3:
            ring(p1, Rect(0, 0, width, height));
            ring(p2, Rect(1, 1, width - 1, height - 1));
            ring(p3, Rect(2, 2, width - 2, height - 2));
            break;
        case 2:
            ring(p1, Rect(0, 0, width - 1, height - 1));
            ring(p3, Rect(1, 1, width - 2, height - 2));
            break;
        default:
            ring(p3, Rect(0, 0, width - 1, height - 1));
            break;
    }
}

void ZylDrawTransparentBitmap(TCanvas* canvas, TBitmap* bitmap, Integer x, Integer y,
                              TColor transparentColor) {
    if (!canvas || !bitmap || bitmap->Empty()) return;
    TImageList images(nullptr);
    images.SetWidth(bitmap->Width());
    images.SetHeight(bitmap->Height());
    images.AddMasked(bitmap, transparentColor);
    images.Draw(canvas, x, y, 0);
}

void ZylDrawDisabledText(TFont* font, TCanvas* canvas, const TRect& rect, const std::string& text,
                         win32::UINT format) {
    if (!canvas) return;
    if (font) canvas->Font()->Assign(font);
    canvas->Brush()->SetStyle(bsClear);
    // Drawn with copies of the canvas's font and brush, so that the canvas's own selection stays valid.
    TextPainter painter(canvas->Handle(), canvas->Font(), text, format);
    painter.Draw(rect, clBtnHighlight);
    painter.Draw(Moved(rect, -1, -1), clGrayText);
}

}  // namespace lumaro
