// The background component, its texture and brush-fill sub-objects, and the gradient's properties.
#include "lumaro/zylbackgrounds.h"
#include "lumaro/zylbackgrounds_internal.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace lumaro {

using namespace vcl;
using win32::HDC;

namespace {

// Copies into a bitmap without the bitmap's own change event, so that the owner signals once.
void CopyQuietly(TBitmap* target, TBitmap* source) {
    const ScopedValue quiet(target->OnChange, nullptr);
    if (source)
        target->Assign(source);
    else
        target->SetSize(0, 0);
}

// Background colour and mode of a DC for the length of one copy.
class BackgroundColorScope {
public:
    BackgroundColorScope(HDC dc, win32::COLORREF color)
        : dc_(dc), color_(win32::SetBkColor(dc, color)), mode_(win32::SetBkMode(dc, win32::OPAQUE)) {}
    ~BackgroundColorScope() {
        win32::SetBkColor(dc_, color_);
        if (mode_) win32::SetBkMode(dc_, mode_);
    }
    BackgroundColorScope(const BackgroundColorScope&) = delete;
    BackgroundColorScope& operator=(const BackgroundColorScope&) = delete;

private:
    HDC dc_;
    win32::COLORREF color_;
    int mode_;
};

// The part of (0, 0, width, height) the DC can show; the whole area when the DC cannot tell.
TRect VisiblePart(HDC dc, Integer width, Integer height) {
    const TRect area = Rect(0, 0, width, height);
    win32::RECT box{};
    if (win32::GetClipBox(dc, &box) == win32::ERROR) return area;
    TRect visible{};
    if (!win32::IntersectRect(&visible, &area, &box)) return TRect{};
    return visible;
}

// Above this many tiles the image is first doubled across an off-screen sheet, so that the number of
// copies grows with the logarithm of the area instead of with the number of tiles.
constexpr int64_t kDirectTiles = 64;

void TileImage(HDC dc, HDC source, Integer imageWidth, Integer imageHeight, Integer width, Integer height) {
    const TRect visible = VisiblePart(dc, width, height);
    if (visible.right <= visible.left || visible.bottom <= visible.top) return;
    // Only the tiles that touch the visible part; positions stay on the grid from (0, 0).
    const Integer firstColumn = visible.left / imageWidth, lastColumn = (visible.right - 1) / imageWidth;
    const Integer firstRow = visible.top / imageHeight, lastRow = (visible.bottom - 1) / imageHeight;
    const int64_t tiles = (int64_t{lastColumn} - firstColumn + 1) * (int64_t{lastRow} - firstRow + 1);
    if (tiles <= kDirectTiles) {
        for (Integer column = firstColumn; column <= lastColumn; ++column)
            for (Integer row = firstRow; row <= lastRow; ++row) {
                const Integer x = column * imageWidth, y = row * imageHeight;
                win32::BitBlt(dc, x, y, std::min(imageWidth, width - x), std::min(imageHeight, height - y),
                              source, 0, 0, win32::SRCCOPY);
            }
        return;
    }
    const Integer left = firstColumn * imageWidth, top = firstRow * imageHeight;
    const Integer sheetWidth = visible.right - left, sheetHeight = visible.bottom - top;
    TBitmap sheet;
    detail::PrepareSheet(sheet, sheetWidth, sheetHeight);
    const HDC s = sheet.Canvas()->Handle();
    win32::BitBlt(s, 0, 0, std::min(imageWidth, sheetWidth), std::min(imageHeight, sheetHeight), source, 0, 0,
                  win32::SRCCOPY);
    const Integer band = std::min(imageHeight, sheetHeight);
    for (int64_t done = imageWidth; done < sheetWidth; done *= 2) {
        const auto x = static_cast<Integer>(done);
        win32::BitBlt(s, x, 0, static_cast<Integer>(std::min<int64_t>(done, sheetWidth - done)), band, s, 0,
                      0, win32::SRCCOPY);
    }
    for (int64_t done = imageHeight; done < sheetHeight; done *= 2) {
        const auto y = static_cast<Integer>(done);
        win32::BitBlt(s, 0, y, sheetWidth, static_cast<Integer>(std::min<int64_t>(done, sheetHeight - done)),
                      s, 0, 0, win32::SRCCOPY);
    }
    win32::BitBlt(dc, left, top, sheetWidth, sheetHeight, s, 0, 0, win32::SRCCOPY);
}

void FillSolid(HDC dc, Integer width, Integer height, TColor color) {
    TBrush brush;
    brush.SetColor(color);
    const TRect all = Rect(0, 0, width, height);
    win32::FillRect(dc, &all, brush.Handle());
}

// The brush's pattern in its colour on white; with `onSolid`, the white becomes `solidColor`.
void FillWithBrush(HDC dc, Integer width, Integer height, const TZylBrushFill& fill, bool onSolid,
                   TColor solidColor) {
    const TRect all = Rect(0, 0, width, height);
    TBitmap pattern, shape;
    detail::PrepareSheet(pattern, width, height);
    detail::PrepareSheet(shape, width, height);
    TCanvas* a = pattern.Canvas();
    a->Brush()->SetColor(fill.BrushColor());
    a->Brush()->SetStyle(fill.BrushStyle());
    a->FillRect(all);
    TCanvas* b = shape.Canvas();
    b->Brush()->SetColor(clBlack);
    b->Brush()->SetStyle(fill.BrushStyle());
    b->FillRect(all);
    a->BrushCopy(all, &shape, all, clBlack);
    if (onSolid) {
        b->Brush()->SetStyle(bsSolid);
        b->Brush()->SetColor(solidColor);
        b->FillRect(all);
        b->BrushCopy(all, &pattern, all, clWhite);
        win32::BitBlt(a->Handle(), 0, 0, width, height, b->Handle(), 0, 0, win32::SRCCOPY);
    }
    win32::BitBlt(dc, 0, 0, width, height, a->Handle(), 0, 0, win32::SRCCOPY);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TZylGradient

VCL_DEFINE_CLASS(TZylGradient, vcl::TGraphicsObject)

TZylGradient::TZylGradient(TPersistent* owner) : colorsInBetween_(std::make_unique<TStringList>()) {
    SetOwner(owner);
    colorsInBetween_->OnChange = [this](TObject*) { Changed(); };
}

TZylGradient::~TZylGradient() = default;

void TZylGradient::SetBeginColor(TColor value) {
    beginColor_ = value;
    Changed();
}

void TZylGradient::SetEndColor(TColor value) {
    endColor_ = value;
    Changed();
}

void TZylGradient::SetFillStyle(TZylFillStyle value) {
    fillStyle_ = value;
    Changed();
}

void TZylGradient::SetColorCount(Integer value) {
    if (value >= 2 && value <= 255) colorCount_ = value;
    Changed();
}

void TZylGradient::SetColorsInBetween(const TStrings* value) {
    // The list's own change event signals once for the whole copy.
    if (value)
        colorsInBetween_->Assign(value);
    else
        colorsInBetween_->Clear();
}

void TZylGradient::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TZylGradient*>(source);
    if (!other) {
        TGraphicsObject::Assign(source);
        return;
    }
    beginColor_ = other->beginColor_;
    endColor_ = other->endColor_;
    fillStyle_ = other->fillStyle_;
    colorCount_ = other->colorCount_;
    if (other != this) {
        // One signal for the whole assignment, not one for the list and one for the rest.
        const ScopedValue quiet(colorsInBetween_->OnChange, nullptr);
        colorsInBetween_->Assign(other->colorsInBetween_.get());
    }
    Changed();
}

// ---------------------------------------------------------------------------------------------
// TZylTexture

VCL_DEFINE_CLASS(TZylTexture, vcl::TGraphicsObject)

TZylTexture::TZylTexture(TPersistent* owner) : image_(std::make_unique<TBitmap>()) {
    SetOwner(owner);
    // Pictures loaded or drawn into the image directly count as changes of the texture.
    image_->OnChange = [this](TObject*) { Changed(); };
}

TZylTexture::~TZylTexture() {
    image_->OnChange = nullptr;
}

void TZylTexture::SetImage(TBitmap* value) {
    if (value != image_.get()) CopyQuietly(image_.get(), value);
    Changed();
}

void TZylTexture::SetImageStyle(TZylImageStyle value) {
    imageStyle_ = value;
    Changed();
}

void TZylTexture::SetTransparentColor(TColor value) {
    transparentColor_ = value;
    Changed();
}

void TZylTexture::SetTransparentBackground(TColor value) {
    transparentBackground_ = value;
    Changed();
}

void TZylTexture::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TZylTexture*>(source);
    if (!other) {
        TGraphicsObject::Assign(source);
        return;
    }
    if (other != this) {
        CopyQuietly(image_.get(), other->image_.get());
        imageStyle_ = other->imageStyle_;
        transparentColor_ = other->transparentColor_;
        transparentBackground_ = other->transparentBackground_;
    }
    Changed();
}

void TZylTexture::Draw(HDC dc, Integer width, Integer height, TColor color) const {
    if (!dc || image_->Empty() || width <= 0 || height <= 0) return;
    const Integer imageWidth = image_->Width(), imageHeight = image_->Height();
    TBitmap masked;
    TBitmap* source = image_.get();
    if (transparentColor_ != clNone) {
        // The transparent pixels take TransparentBackground in a copy; the image itself stays as it is.
        const TRect all = Rect(0, 0, imageWidth, imageHeight);
        detail::PrepareSheet(masked, imageWidth, imageHeight);
        TCanvas* canvas = masked.Canvas();
        canvas->Brush()->SetColor(transparentBackground_);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(all);
        canvas->BrushCopy(all, image_.get(), all, transparentColor_);
        source = &masked;
    }
    const HDC from = source->Canvas()->Handle();
    switch (imageStyle_) {
        case isTile:
            TileImage(dc, from, imageWidth, imageHeight, width, height);
            break;
        case isStretched:
            win32::StretchBlt(dc, 0, 0, width, height, from, 0, 0, imageWidth, imageHeight, win32::SRCCOPY);
            break;
        default: {
            // The surround colour reaches the picture through the DC's background colour, which is
            // what a monochrome image's light pixels take.
            BackgroundColorScope surround(dc, ColorToRGB(color));
            const Integer x = imageWidth < width ? (width - imageWidth) / 2 : 0;
            const Integer y = imageHeight < height ? (height - imageHeight) / 2 : 0;
            win32::BitBlt(dc, x, y, std::min(imageWidth, width - x), std::min(imageHeight, height - y), from,
                          0, 0, win32::SRCCOPY);
            break;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// TZylBrushFill

VCL_DEFINE_CLASS(TZylBrushFill, vcl::TGraphicsObject)

TZylBrushFill::TZylBrushFill(TPersistent* owner) {
    SetOwner(owner);
}

void TZylBrushFill::SetBrushStyle(TBrushStyle value) {
    brushStyle_ = value;
    Changed();
}

void TZylBrushFill::SetBrushColor(TColor value) {
    brushColor_ = value;
    Changed();
}

void TZylBrushFill::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TZylBrushFill*>(source);
    if (!other) {
        TGraphicsObject::Assign(source);
        return;
    }
    brushStyle_ = other->brushStyle_;
    brushColor_ = other->brushColor_;
    Changed();
}

// ---------------------------------------------------------------------------------------------
// TZylBackground

VCL_DEFINE_CLASS(TZylBackground, TZylBackgroundLink)

TZylBackground::TZylBackground(TComponent* owner)
    : TZylBackgroundLink(owner),
      texture_(std::make_unique<TZylTexture>(this)),
      gradient_(std::make_unique<TZylGradient>(this)),
      brushFill_(std::make_unique<TZylBrushFill>(this)) {
    texture_->OnChange = [this](TObject* sender) { Changed(sender); };
    gradient_->OnChange = [this](TObject* sender) { Changed(sender); };
    brushFill_->OnChange = [this](TObject* sender) { Changed(sender); };
}

TZylBackground::~TZylBackground() {
    // Free() has told every client already, while this object was whole. A plain delete has not, and
    // the base destructor would tell them only after this part is gone: tell them now.
    if (!IsDestroying()) {
        Destroying();
        // Notification is protected; named through this class it may be called on the clients.
        void (TComponent::*notify)(TComponent*, TOperation) = &TZylBackground::Notification;
        const std::vector<TControl*> clients = clients_;
        for (size_t i = 0; i < clients.size(); ++i) {
            TControl* client = clients[i];
            if (std::find(clients.begin(), clients.begin() + static_cast<std::ptrdiff_t>(i), client) !=
                clients.begin() + static_cast<std::ptrdiff_t>(i))
                continue;
            RemoveFreeNotification(client);
            (client->*notify)(this, TOperation::opRemove);
        }
        clients_.clear();
    }
    texture_->OnChange = nullptr;
    gradient_->OnChange = nullptr;
    brushFill_->OnChange = nullptr;
}

void TZylBackground::SetTexture(TZylTexture* value) {
    // The copy signals the change through the texture's own event.
    if (value) texture_->Assign(value);
}

void TZylBackground::SetGradient(TZylGradient* value) {
    if (value) gradient_->Assign(value);
}

void TZylBackground::SetBrushFill(TZylBrushFill* value) {
    if (value) brushFill_->Assign(value);
}

void TZylBackground::SetSolidColor(TColor value) {
    solidColor_ = value;
    Changed(this);
}

void TZylBackground::SetBackgroundStyle(TZylBackStyle value) {
    backgroundStyle_ = value;
    Changed(this);
}

void TZylBackground::AddItem(TControl* control) {
    if (control) clients_.push_back(control);
}

void TZylBackground::RemoveItem(TControl* control) {
    // A control linked twice (behind and inside its caption) stays for the link it keeps.
    auto found = std::find(clients_.begin(), clients_.end(), control);
    if (found != clients_.end()) clients_.erase(found);
}

void TZylBackground::Changed(TObject*) {
    // A copy: a client may unlink itself while it repaints.
    const std::vector<TControl*> clients = clients_;
    for (size_t i = 0; i < clients.size(); ++i) {
        const auto seen = clients.begin() + static_cast<std::ptrdiff_t>(i);
        if (std::find(clients.begin(), seen, clients[i]) == seen) clients[i]->Invalidate();
    }
    if (OnChanged) OnChanged(this);
}

void TZylBackground::Draw(HDC dc, Integer width, Integer height, bool forward) {
    if (!dc || width <= 0 || height <= 0) return;
    switch (backgroundStyle_) {
        case bGradient:
            gradient_->MultiDraw(dc, width, height, gradient_->ColorsInBetween(), solidColor_, forward);
            break;
        case bTexture:
            texture_->Draw(dc, width, height, solidColor_);
            break;
        case bBrushFillUseCurrent:
            FillWithBrush(dc, width, height, *brushFill_, false, solidColor_);
            break;
        case bBrushFillSolidColor:
            FillWithBrush(dc, width, height, *brushFill_, true, solidColor_);
            break;
        default:
            FillSolid(dc, width, height, solidColor_);
            break;
    }
}

void TZylBackground::DrawTrans(TCanvas* canvas, Integer width, Integer height, bool forward,
                               TColor transparentColor) {
    if (!canvas || width <= 0 || height <= 0) return;
    const HDC target = canvas->Handle();
    TBitmap fill, shown;
    detail::PrepareSheet(fill, width, height);
    detail::PrepareSheet(shown, width, height);
    Draw(fill.Canvas()->Handle(), width, height, forward);
    win32::BitBlt(shown.Canvas()->Handle(), 0, 0, width, height, target, 0, 0, win32::SRCCOPY);
    ZylDrawTransparentBitmap(fill.Canvas(), &shown, 0, 0, transparentColor);
    win32::BitBlt(target, 0, 0, width, height, fill.Canvas()->Handle(), 0, 0, win32::SRCCOPY);
}

}  // namespace lumaro
