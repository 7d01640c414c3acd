// Panels, bevels, images, shapes and paint boxes.
#include "vcl/extctrls.h"

#include <algorithm>

#include "vcl/forms.h"

namespace vcl {

using namespace win32;

namespace {

// The colours of one bevel ring: bvLowered is shadow over highlight, the others the reverse.
void BevelColors(TBevelCut bevel, TColor face, TColor& topLeft, TColor& bottomRight) {
    switch (bevel) {
        case bvLowered:
            topLeft = clBtnShadow;
            bottomRight = clBtnHighlight;
            break;
        case bvRaised:
            topLeft = clBtnHighlight;
            bottomRight = clBtnShadow;
            break;
        default:
            topLeft = bottomRight = face;
            break;
    }
}

UINT AlignmentFlags(TAlignment alignment) {
    switch (alignment) {
        case TAlignment::taLeftJustify:
            return DT_LEFT;
        case TAlignment::taRightJustify:
            return DT_RIGHT;
        default:
            return DT_CENTER;
    }
}

// The dashed outline graphic controls show in the designer when they draw nothing themselves.
void DrawDesignFrame(TCanvas* canvas, Integer width, Integer height) {
    canvas->Pen()->SetStyle(psDash);
    canvas->Pen()->SetColor(clBlack);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Rectangle(0, 0, width, height);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TCustomPanel

VCL_DEFINE_CLASS(TCustomPanel, TCustomControl)

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
    controlStyle_ = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                     csOpaque,          csDoubleClicks, csReplicatable};
    SetBounds(Left(), Top(), 185, 41);
    SetColor(clBtnFace);
    Brush()->SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    if (borderStyle_ != bsNone) {
        if (Ctl3D())
            params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            params.Style |= WS_BORDER;
    }
    if (!fullRepaint_) params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_CTL3DCHANGED:
            if (borderStyle_ != bsNone && HandleAllocated()) RecreateWnd();
            break;
        case CM_COLORCHANGED:
            Brush()->SetColor(Color());
            break;
        default:
            break;
    }
    TCustomControl::WndProc(message);
}

Integer TCustomPanel::BevelSize() const {
    Integer size = 0;
    if (bevelOuter_ != bvNone) size += bevelWidth_;
    if (bevelInner_ != bvNone) size += bevelWidth_;
    return size;
}

void TCustomPanel::AdjustClientRect(TRect& rect) const {
    TCustomControl::AdjustClientRect(rect);
    const Integer size = BevelSize();
    rect.left += size;
    rect.top += size;
    rect.right -= size;
    rect.bottom -= size;
}

void TCustomPanel::BevelChanged() {
    Realign();
    Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment value) {
    if (alignment_ == value) return;
    alignment_ = value;
    Invalidate();
}

void TCustomPanel::SetBevelInner(TPanelBevel value) {
    if (bevelInner_ == value) return;
    bevelInner_ = value;
    BevelChanged();
}

void TCustomPanel::SetBevelOuter(TPanelBevel value) {
    if (bevelOuter_ == value) return;
    bevelOuter_ = value;
    BevelChanged();
}

void TCustomPanel::SetBevelWidth(TBevelWidth value) {
    if (value < 1) value = 1;
    if (bevelWidth_ == value) return;
    bevelWidth_ = value;
    BevelChanged();
}

void TCustomPanel::SetBorderStyle(TBorderStyle value) {
    if (value != bsNone) value = bsSingle;
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    if (HandleAllocated()) RecreateWnd();
    Realign();
}

void TCustomPanel::SetFullRepaint(bool value) {
    if (fullRepaint_ == value) return;
    fullRepaint_ = value;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomPanel::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    TColor topLeft, bottomRight;
    if (bevelOuter_ != bvNone) {
        BevelColors(bevelOuter_, Color(), topLeft, bottomRight);
        Frame3D(canvas, rect, topLeft, bottomRight, bevelWidth_);
    }
    Frame3D(canvas, rect, Color(), Color(), BorderWidth());
    if (bevelInner_ != bvNone) {
        BevelColors(bevelInner_, Color(), topLeft, bottomRight);
        Frame3D(canvas, rect, topLeft, bottomRight, bevelWidth_);
    }
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(rect);
    const std::string text = Caption();
    if (text.empty()) return;
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->Assign(Font());
    const HDC dc = canvas->Handle();
    // DrawText goes to the device context directly: the canvas's font must be on it.
    SelectObject(dc, canvas->Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font()->Color()));
    DrawText(dc, text.data(), static_cast<int>(text.size()), &rect,
             DT_EXPANDTABS | DT_VCENTER | DT_SINGLELINE | AlignmentFlags(alignment_));
}

// ---------------------------------------------------------------------------------------------
// TBevel

VCL_DEFINE_CLASS(TBevel, TGraphicControl)

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    controlStyle_.Include(csReplicatable);
    SetBounds(Left(), Top(), 50, 50);
}

void TBevel::SetShape(TBevelShape value) {
    if (shape_ == value) return;
    shape_ = value;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle value) {
    if (style_ == value) return;
    style_ = value;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas* canvas = TGraphicControl::Canvas();
    const Integer w = Width(), h = Height();
    if (Designing() && shape_ == bsSpacer) {
        DrawDesignFrame(canvas, w, h);
        return;
    }
    // The first colour is the outer or upper line, the second the inner or lower one.
    TColor first = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor second = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetWidth(1);
    auto line = [canvas](TColor color, Integer x1, Integer y1, Integer x2, Integer y2) {
        canvas->Pen()->SetColor(color);
        canvas->MoveTo(x1, y1);
        canvas->LineTo(x2, y2);
    };
    auto outline = [canvas](TColor color, const TRect& r) {
        canvas->Pen()->SetColor(color);
        const TPoint path[5] = {
            {r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}, {r.left, r.top}};
        canvas->Polyline(path);
    };
    switch (shape_) {
        case bsBox: {
            TRect rect = Rect(0, 0, w, h);
            Frame3D(canvas, rect, first, second, 1);
            break;
        }
        case bsFrame:
            // An etched groove: the inner ring (offset by one) first, the outer ring over it.
            outline(second, Rect(1, 1, w - 1, h - 1));
            outline(first, Rect(0, 0, w - 2, h - 2));
            break;
        case bsTopLine:
            line(first, 0, 0, w, 0);
            line(second, 0, 1, w, 1);
            break;
        case bsBottomLine:
            line(first, 0, h - 2, w, h - 2);
            line(second, 0, h - 1, w, h - 1);
            break;
        case bsLeftLine:
            line(first, 0, 0, 0, h);
            line(second, 1, 0, 1, h);
            break;
        case bsRightLine:
            line(first, w - 2, 0, w - 2, h);
            line(second, w - 1, 0, w - 1, h);
            break;
        case bsSpacer:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// TImage

VCL_DEFINE_CLASS(TImage, TGraphicControl)

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>()) {
    controlStyle_.Include(csReplicatable);
    picture_->OnChange = [this](TObject* sender) { PictureChanged(sender); };
    SetBounds(Left(), Top(), 105, 105);
}

TImage::~TImage() {
    picture_->OnChange = nullptr;
}

TCanvas* TImage::Canvas() {
    TGraphic* graphic = picture_->Graphic();
    if (!graphic) {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetSize(Width(), Height());
        picture_->SetGraphic(bitmap.get());
        graphic = picture_->Graphic();
    }
    auto* bitmap = dynamic_cast<TBitmap*>(graphic);
    if (!bitmap) throw EInvalidOperation("Can only modify an image if it contains a bitmap");
    // Drawing changes the bitmap, and the picture's change notice repaints the image.
    return bitmap->Canvas();
}

void TImage::SetCenter(bool value) {
    if (center_ == value) return;
    center_ = value;
    PictureChanged(this);
}

void TImage::SetStretch(bool value) {
    if (stretch_ == value) return;
    stretch_ = value;
    PictureChanged(this);
}

void TImage::SetTransparent(bool value) {
    if (transparent_ == value) return;
    transparent_ = value;
    PictureChanged(this);
}

void TImage::SetAutoSize(bool value) {
    TGraphicControl::SetAutoSize(value);
    if (value) PictureChanged(this);
}

bool TImage::CanAutoSize(Integer& newWidth, Integer& newHeight) {
    if (picture_->Width() <= 0 || picture_->Height() <= 0) return false;
    newWidth = picture_->Width();
    newHeight = picture_->Height();
    return true;
}

TRect TImage::DestRect() const {
    const Integer pw = picture_->Width(), ph = picture_->Height();
    if (stretch_) return Rect(0, 0, Width(), Height());
    if (center_) return Bounds((Width() - pw) / 2, (Height() - ph) / 2, pw, ph);
    return Rect(0, 0, pw, ph);
}

void TImage::PictureChanged(TObject*) {
    if (AutoSize() && picture_->Width() > 0 && picture_->Height() > 0)
        SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
    TGraphic* graphic = picture_->Graphic();
    if (graphic && !dynamic_cast<TIcon*>(graphic) && graphic->Transparent() != transparent_) {
        // The graphic's own change notice comes back here; it must not repaint in the middle of it.
        const ScopedValue quiet(drawing_, true);
        graphic->SetTransparent(transparent_);
    }
    const TRect dest = DestRect();
    const bool covers = graphic && !graphic->Transparent() && !graphic->Empty() && dest.left <= 0 &&
                        dest.top <= 0 && dest.right >= Width() && dest.bottom >= Height();
    if (covers)
        controlStyle_.Include(csOpaque);
    else
        controlStyle_.Exclude(csOpaque);
    if (!drawing_) Invalidate();
}

void TImage::Paint() {
    TCanvas* canvas = TGraphicControl::Canvas();
    if (Designing()) DrawDesignFrame(canvas, Width(), Height());
    TGraphic* graphic = picture_->Graphic();
    if (!graphic || graphic->Empty()) return;
    const ScopedValue drawing(drawing_, true);
    canvas->StretchDraw(DestRect(), graphic);
}

// ---------------------------------------------------------------------------------------------
// TShape

VCL_DEFINE_CLASS(TShape, TGraphicControl)

TShape::TShape(TComponent* owner)
    : TGraphicControl(owner), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
    controlStyle_.Include(csReplicatable);
    pen_->SetOwner(this);
    brush_->SetOwner(this);
    pen_->OnChange = [this](TObject* sender) { StyleChanged(sender); };
    brush_->OnChange = [this](TObject* sender) { StyleChanged(sender); };
    SetBounds(Left(), Top(), 65, 65);
}

TShape::~TShape() {
    pen_->OnChange = nullptr;
    brush_->OnChange = nullptr;
}

void TShape::SetShape(TShapeType value) {
    if (shape_ == value) return;
    shape_ = value;
    Invalidate();
}

void TShape::StyleChanged(TObject*) {
    Invalidate();
}

void TShape::Paint() {
    TCanvas* canvas = TGraphicControl::Canvas();
    canvas->SetPen(pen_.get());
    canvas->SetBrush(brush_.get());
    // The pen is centred on the outline: keep all of it inside the control.
    const Integer penWidth = pen_->Width();
    const Integer inset = penWidth / 2;
    Integer x = inset, y = inset;
    Integer w = Width() - penWidth + 1, h = Height() - penWidth + 1;
    if (penWidth == 0) {
        --w;
        --h;
    }
    const Integer side = std::min(w, h);
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        x += (w - side) / 2;
        y += (h - side) / 2;
        w = h = side;
    }
    switch (shape_) {
        case stRectangle:
        case stSquare:
            canvas->Rectangle(x, y, x + w, y + h);
            break;
        case stRoundRect:
        case stRoundSquare:
            canvas->RoundRect(x, y, x + w, y + h, side / 4, side / 4);
            break;
        case stEllipse:
        case stCircle:
            canvas->Ellipse(x, y, x + w, y + h);
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// TPaintBox

VCL_DEFINE_CLASS(TPaintBox, TGraphicControl)

TPaintBox::TPaintBox(TComponent* owner) : TGraphicControl(owner) {
    controlStyle_.Include(csReplicatable);
    SetBounds(Left(), Top(), 105, 105);
}

void TPaintBox::Paint() {
    TCanvas* canvas = TGraphicControl::Canvas();
    if (Designing()) DrawDesignFrame(canvas, Width(), Height());
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->Pen()->SetStyle(psSolid);
    if (OnPaint) OnPaint(this);
}

namespace {
const bool panelsClassesRegistered = [] {
    RegisterClasses({TPanel::StaticClass(), TBevel::StaticClass(), TImage::StaticClass(),
                     TShape::StaticClass(), TPaintBox::StaticClass()});
    return true;
}();
}  // namespace

}  // namespace vcl
