// The glyph strip painter and the speed button.
#include "vcl/buttons.h"

#include <algorithm>
#include <cstring>

namespace vcl {

using namespace win32;

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr uint32_t kBlack = 0;

// Pixels of 32-bit bitmaps are B, G, R, unused: as a number, 0x00RRGGBB.
uint32_t PixelOf(COLORREF color) {
    return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

uint32_t* Row(TBitmap& bitmap, Integer y) {
    return static_cast<uint32_t*>(bitmap.ScanLine(y));
}

std::unique_ptr<TBitmap> NewImage(Integer width, Integer height) {
    auto image = std::make_unique<TBitmap>();
    image->SetPixelFormat(pf32bit);
    image->SetSize(width, height);
    return image;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Layout

TButtonLayoutResult CalcButtonLayout(const TRect& client, TSize glyphSize, TSize textSize,
                                     TButtonLayout layout, Integer margin, Integer spacing) {
    const Integer width = client.right - client.left, height = client.bottom - client.top;
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    TPoint glyph{0, 0}, text{0, 0};
    // Across the layout direction both parts are centred.
    if (horizontal) {
        glyph.y = (height - glyphSize.cy + 1) / 2;
        text.y = (height - textSize.cy + 1) / 2;
    } else {
        glyph.x = (width - glyphSize.cx + 1) / 2;
        text.x = (width - textSize.cx + 1) / 2;
    }
    if (textSize.cx == 0 || glyphSize.cx == 0) spacing = 0;
    const Integer length = horizontal ? width : height;
    const Integer glyphLength = horizontal ? glyphSize.cx : glyphSize.cy;
    const Integer textLength = horizontal ? textSize.cx : textSize.cy;
    if (margin == -1) {
        if (spacing == -1) {
            margin = (length - (glyphLength + textLength)) / 3;
            spacing = margin;
        } else {
            margin = (length - (glyphLength + spacing + textLength) + 1) / 2;
        }
    } else if (spacing == -1) {
        spacing = (length - (margin + glyphLength) - textLength) / 2;
    }
    switch (layout) {
        case blGlyphLeft:
            glyph.x = margin;
            text.x = glyph.x + glyphSize.cx + spacing;
            break;
        case blGlyphRight:
            glyph.x = width - margin - glyphSize.cx;
            text.x = glyph.x - spacing - textSize.cx;
            break;
        case blGlyphTop:
            glyph.y = margin;
            text.y = glyph.y + glyphSize.cy + spacing;
            break;
        case blGlyphBottom:
            glyph.y = height - margin - glyphSize.cy;
            text.y = glyph.y - spacing - textSize.cy;
            break;
    }
    TButtonLayoutResult result;
    result.glyphPos = Point(client.left + glyph.x, client.top + glyph.y);
    result.textBounds = Bounds(client.left + text.x, client.top + text.y, textSize.cx, textSize.cy);
    return result;
}

// ---------------------------------------------------------------------------------------------
// TButtonGlyph

TButtonGlyph::TButtonGlyph() : glyph_(std::make_unique<TBitmap>()) {
    glyph_->OnChange = [this](TObject*) { GlyphChanged(); };
}

TButtonGlyph::~TButtonGlyph() {
    glyph_->OnChange = nullptr;
}

void TButtonGlyph::SetGlyph(const TBitmap* value) {
    {
        // One change notice for the whole assignment, given below.
        const ScopedValue quiet(settingGlyph_, true);
        glyph_->Assign(value);
    }
    const Integer width = glyph_->Width(), height = glyph_->Height();
    if (height > 0 && width % height == 0) {
        const Integer count = width / height;
        numGlyphs_ = count >= 1 && count <= 4 ? count : 1;
    }
    GlyphChanged();
}

void TButtonGlyph::SetNumGlyphs(TNumGlyphs value) {
    value = std::clamp<TNumGlyphs>(value, 1, 4);
    if (numGlyphs_ == value) return;
    numGlyphs_ = value;
    GlyphChanged();
}

void TButtonGlyph::GlyphChanged() {
    if (settingGlyph_) return;
    ClearImages();
    if (OnChange) OnChange();
}

void TButtonGlyph::ClearImages() {
    for (Prepared& prepared : images_) {
        prepared.image.reset();
        prepared.mask.reset();
    }
}

TSize TButtonGlyph::ImageSize() const {
    if (glyph_->Empty()) return TSize{0, 0};
    const Integer width = glyph_->Width() / numGlyphs_;
    if (width == 0) return TSize{0, 0};
    return TSize{width, glyph_->Height()};
}

TBitmap* TButtonGlyph::StateImage(TButtonState state) {
    return Prepare(state).image.get();
}

TBitmap* TButtonGlyph::StateMask(TButtonState state) {
    return Prepare(state).mask.get();
}

TButtonGlyph::Prepared& TButtonGlyph::Prepare(TButtonState state) {
    Prepared& prepared = images_[static_cast<size_t>(state)];
    if (prepared.image) return prepared;
    const TSize size = ImageSize();
    if (size.cx == 0 || size.cy == 0) return prepared;
    const Integer w = size.cx, h = size.cy;

    Integer index = static_cast<Integer>(state);
    const bool embossed = state == bsDisabled && numGlyphs_ < 2;
    if (index >= numGlyphs_ || embossed) index = 0;

    // The image copied out of the strip as plain 32-bit pixels.
    auto source = NewImage(w, h);
    BitBlt(source->Canvas()->Handle(), 0, 0, w, h, glyph_->Canvas()->Handle(), index * w, 0, SRCCOPY);
    // The strip's bottom-left pixel: the first image's, whichever image this is.
    const uint32_t transparent = PixelOf(GetPixel(glyph_->Canvas()->Handle(), 0, glyph_->Height() - 1));

    auto image = NewImage(w, h);
    auto mask = NewImage(w, h);
    if (!embossed) {
        for (Integer y = 0; y < h; ++y) {
            const uint32_t* from = Row(*source, y);
            uint32_t* to = Row(*image, y);
            uint32_t* bits = Row(*mask, y);
            for (Integer x = 0; x < w; ++x) {
                const uint32_t pixel = from[x] & kWhite;
                const bool drawn = pixel != transparent;
                to[x] = drawn ? pixel : kBlack;
                bits[x] = drawn ? kBlack : kWhite;
            }
        }
    } else {
        // The shape (neither transparent nor white) in the shadow colour over its highlight copy
        // one pixel down and right: the classic look of a disabled glyph.
        const uint32_t highlight = PixelOf(ColorToRGB(clBtnHighlight));
        const uint32_t shadow = PixelOf(ColorToRGB(clBtnShadow));
        std::vector<uint8_t> shape(static_cast<size_t>(w) * static_cast<size_t>(h));
        for (Integer y = 0; y < h; ++y) {
            const uint32_t* from = Row(*source, y);
            for (Integer x = 0; x < w; ++x) {
                const uint32_t pixel = from[x] & kWhite;
                shape[static_cast<size_t>(y) * w + x] = pixel != transparent && pixel != kWhite;
            }
        }
        for (Integer y = 0; y < h; ++y) {
            uint32_t* to = Row(*image, y);
            uint32_t* bits = Row(*mask, y);
            const uint8_t* line = &shape[static_cast<size_t>(y) * w];
            const uint8_t* above = y > 0 ? &shape[static_cast<size_t>(y - 1) * w] : nullptr;
            for (Integer x = 0; x < w; ++x) {
                if (line[x]) {
                    to[x] = shadow;
                    bits[x] = kBlack;
                } else if (above && x > 0 && above[x - 1]) {
                    to[x] = highlight;
                    bits[x] = kBlack;
                } else {
                    to[x] = kBlack;
                    bits[x] = kWhite;
                }
            }
        }
    }
    prepared.image = std::move(image);
    prepared.mask = std::move(mask);
    return prepared;
}

TRect TButtonGlyph::Draw(TCanvas* canvas, const TRect& client, TPoint offset, const std::string& caption,
                         TButtonLayout layout, Integer margin, Integer spacing, TButtonState state) {
    const HDC dc = canvas->Handle();
    TSize textSize{0, 0};
    if (!caption.empty()) {
        RECT measure = Rect(0, 0, client.right - client.left, 0);
        SelectObject(dc, canvas->Font()->Handle());
        DrawText(dc, caption.data(), static_cast<int>(caption.size()), &measure, DT_CALCRECT | DT_SINGLELINE);
        textSize = TSize{measure.right - measure.left, measure.bottom - measure.top};
    }
    const TSize glyphSize = ImageSize();
    TButtonLayoutResult place = CalcButtonLayout(client, glyphSize, textSize, layout, margin, spacing);
    OffsetRect(&place.textBounds, offset.x, offset.y);
    if (glyphSize.cx > 0) {
        Prepared& prepared = Prepare(state);
        if (prepared.image) {
            const Integer x = place.glyphPos.x + offset.x, y = place.glyphPos.y + offset.y;
            // Clear where the glyph is drawn, then add its colours there.
            BitBlt(dc, x, y, glyphSize.cx, glyphSize.cy, prepared.mask->Canvas()->Handle(), 0, 0, SRCAND);
            BitBlt(dc, x, y, glyphSize.cx, glyphSize.cy, prepared.image->Canvas()->Handle(), 0, 0, SRCPAINT);
        }
    }
    if (!caption.empty()) {
        SelectObject(dc, canvas->Font()->Handle());
        SetBkMode(dc, TRANSPARENT);
        const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        RECT rect = place.textBounds;
        if (state == bsDisabled) {
            OffsetRect(&rect, 1, 1);
            SetTextColor(dc, ColorToRGB(clBtnHighlight));
            DrawText(dc, caption.data(), static_cast<int>(caption.size()), &rect, flags);
            OffsetRect(&rect, -1, -1);
            SetTextColor(dc, ColorToRGB(clBtnShadow));
        } else {
            SetTextColor(dc, ColorToRGB(canvas->Font()->Color()));
        }
        DrawText(dc, caption.data(), static_cast<int>(caption.size()), &rect, flags);
    }
    return place.textBounds;
}

// ---------------------------------------------------------------------------------------------
// TSpeedButton

VCL_DEFINE_CLASS(TSpeedButton, TGraphicControl)

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
    controlStyle_ = {csCaptureMouse, csDoubleClicks};
    SetBounds(Left(), Top(), 23, 22);
    glyph_.OnChange = [this] { Invalidate(); };
}

TSpeedButton::~TSpeedButton() {
    glyph_.OnChange = nullptr;
}

void TSpeedButton::Loaded() {
    TGraphicControl::Loaded();
    if (!Enabled()) state_ = bsDisabled;
}

void TSpeedButton::SetAllowAllUp(bool value) {
    if (allowAllUp_ == value) return;
    allowAllUp_ = value;
    UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(Integer value) {
    if (groupIndex_ == value) return;
    groupIndex_ = value;
    UpdateExclusive();
}

void TSpeedButton::SetDown(bool value) {
    if (groupIndex_ == 0) value = false;
    if (value == down_) return;
    if (down_ && !allowAllUp_) return;
    down_ = value;
    if (value) {
        if (state_ == bsUp) Invalidate();
        state_ = bsExclusive;
        UpdateExclusive();
    } else {
        state_ = bsUp;
        Invalidate();
    }
}

void TSpeedButton::SetFlat(bool value) {
    if (flat_ == value) return;
    flat_ = value;
    Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout value) {
    if (layout_ == value) return;
    layout_ = value;
    Invalidate();
}

void TSpeedButton::SetMargin(Integer value) {
    if (value < -1) value = -1;
    if (margin_ == value) return;
    margin_ = value;
    Invalidate();
}

void TSpeedButton::SetSpacing(Integer value) {
    if (spacing_ == value) return;
    spacing_ = value;
    Invalidate();
}

void TSpeedButton::SetTransparent(bool value) {
    if (transparent_ == value) return;
    transparent_ = value;
    if (value)
        controlStyle_.Exclude(csOpaque);
    else
        controlStyle_.Include(csOpaque);
    Invalidate();
}

void TSpeedButton::UpdateExclusive() {
    if (groupIndex_ == 0 || !Parent()) return;
    TMessage message{CM_BUTTONPRESSED, static_cast<WPARAM>(groupIndex_), reinterpret_cast<LPARAM>(this), 0};
    Parent()->Broadcast(message);
}

void TSpeedButton::ButtonPressed(TSpeedButton* sender) {
    if (sender->down_ && down_) {
        down_ = false;
        state_ = bsUp;
        Invalidate();
    }
    allowAllUp_ = sender->allowAllUp_;
}

void TSpeedButton::Click() {
    TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled()) return;
    if (!down_) {
        state_ = bsDown;
        Invalidate();
    }
    dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState shift, Integer x, Integer y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!dragging_) return;
    const bool inside = x >= 0 && x < Width() && y >= 0 && y < Height();
    // An already-down button keeps its down look while pressed again.
    TButtonState pressedLook = down_ ? bsExclusive : (inside ? bsDown : bsUp);
    if (pressedLook != state_) {
        state_ = pressedLook;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
    TGraphicControl::MouseUp(button, shift, x, y);
    if (!dragging_ || button != mbLeft) return;
    dragging_ = false;
    const bool inside = x >= 0 && x < Width() && y >= 0 && y < Height();
    if (groupIndex_ != 0 && inside) SetDown(!down_);
    state_ = down_ ? bsExclusive : bsUp;
    if (!Enabled()) state_ = bsDisabled;
    Invalidate();
    if (inside) Click();
}

void TSpeedButton::MouseEnter() {
    if (!flat_ || mouseInside_ || !Enabled() || GetCaptureControl()) return;
    mouseInside_ = true;
    Invalidate();
}

void TSpeedButton::MouseLeave() {
    if (!mouseInside_ || dragging_) return;
    mouseInside_ = false;
    Invalidate();
}

void TSpeedButton::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_BUTTONPRESSED: {
            auto* sender = reinterpret_cast<TSpeedButton*>(message.LParam);
            if (sender && sender != this && message.WParam == static_cast<WPARAM>(groupIndex_) && Parent() &&
                Parent()->ContainsControl(sender))
                ButtonPressed(sender);
            message.Result = 0;
            return;
        }
        case WM_LBUTTONDBLCLK:
            TGraphicControl::WndProc(message);
            if (down_) DblClick();
            return;
        case CM_ENABLEDCHANGED:
            if (!Enabled()) {
                dragging_ = false;
                mouseInside_ = false;
                state_ = bsDisabled;
            } else {
                state_ = down_ ? bsExclusive : bsUp;
            }
            break;
        case CM_DIALOGCHAR:
            if (IsAccel(static_cast<char32_t>(message.WParam), Caption()) && Enabled() && Visible() &&
                Parent() && Parent()->Showing()) {
                Click();
                message.Result = 1;
                return;
            }
            break;
        case CM_MOUSEENTER:
            TGraphicControl::WndProc(message);
            if (message.LParam == 0) MouseEnter();
            return;
        case CM_MOUSELEAVE:
            TGraphicControl::WndProc(message);
            if (message.LParam == 0) MouseLeave();
            return;
        case CM_SYSCOLORCHANGE:
            // The embossed image is made of system colours.
            glyph_.SysColorsChanged();
            pattern_.reset();
            Invalidate();
            break;
        default:
            break;
    }
    TGraphicControl::WndProc(message);
}

TBitmap* TSpeedButton::PatternBitmap() {
    if (!pattern_) {
        pattern_ = std::make_unique<TBitmap>();
        pattern_->SetSize(8, 8);
        TCanvas* canvas = pattern_->Canvas();
        for (Integer y = 0; y < 8; ++y)
            for (Integer x = 0; x < 8; ++x)
                canvas->SetPixels(x, y, (x + y) % 2 == 0 ? clBtnFace : clBtnHighlight);
    }
    return pattern_.get();
}

void TSpeedButton::Paint() {
    if (!Enabled()) {
        state_ = bsDisabled;
        dragging_ = false;
    } else if (state_ == bsDisabled) {
        state_ = down_ && groupIndex_ != 0 ? bsExclusive : bsUp;
    }
    TCanvas* canvas = TGraphicControl::Canvas();
    const HDC dc = canvas->Handle();
    const bool sunken = state_ == bsDown || state_ == bsExclusive;
    TRect rect = ClientRect();
    if (!flat_) {
        UINT flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
        if (sunken) flags |= DFCS_PUSHED;
        DrawFrameControl(dc, &rect, DFC_BUTTON, flags);
    } else {
        if (!transparent_) {
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(clBtnFace);
            canvas->FillRect(rect);
        }
        if ((mouseInside_ && Enabled()) || sunken || Designing()) {
            TRect frame = rect;
            DrawEdge(dc, &frame, sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        }
        InflateRect(&rect, -1, -1);
    }
    if (state_ == bsExclusive && (!flat_ || !mouseInside_)) {
        canvas->Brush()->SetBitmap(PatternBitmap());
        canvas->FillRect(rect);
        canvas->Brush()->SetBitmap(nullptr);
    }
    canvas->Font()->Assign(Font());
    const TPoint offset = sunken ? Point(1, 1) : Point(0, 0);
    glyph_.Draw(canvas, rect, offset, Caption(), layout_, margin_, spacing_, state_);
}

namespace {
const bool speedbuttonClassesRegistered = [] {
    RegisterClass<TSpeedButton>();
    return true;
}();
}  // namespace

}  // namespace vcl
