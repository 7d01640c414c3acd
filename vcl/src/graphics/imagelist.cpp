// Image lists.
#include "vcl/imglist.h"

#include <algorithm>

#include "vcl/streaming.h"
#include "vcl/sysutils.h"
#include "win32/imagelist.h"

namespace vcl {

using namespace win32;

namespace {

// Copies a part of `source` into a new bitmap of the list's size.
void CopyPart(TBitmap* source, Integer left, TBitmap* dest, DWORD rop = SRCCOPY) {
    HDC dc = dest->Canvas()->Handle();
    BitBlt(dc, 0, 0, dest->Width(), dest->Height(), source->Canvas()->Handle(), left, 0, rop);
}

// Paints `brush` where the monochrome `shape` is black, leaving the rest of the destination.
void PaintShape(HDC dest, Integer x, Integer y, TBitmap* shape, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    HGDIOBJ old = SelectObject(dest, brush);
    COLORREF oldText = win32::SetTextColor(dest, RGB(0, 0, 0)),
             oldBk = win32::SetBkColor(dest, RGB(255, 255, 255));
    BitBlt(dest, x, y, shape->Width(), shape->Height(), shape->Canvas()->Handle(), 0, 0, 0x00B8074A);
    win32::SetTextColor(dest, oldText);
    win32::SetBkColor(dest, oldBk);
    SelectObject(dest, old);
    DeleteObject(brush);
}

}  // namespace

VCL_DEFINE_CLASS(TChangeLink, TObject)

TChangeLink::~TChangeLink() {
    if (sender_) sender_->UnRegisterChanges(this);
}

void TChangeLink::Change() {
    if (OnChange) OnChange(sender_);
}

VCL_DEFINE_CLASS(TCustomImageList, TComponent)

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList() {
    ReleasePlatformList();
    for (TChangeLink* link : links_)
        link->SetSender(nullptr);
}

void TCustomImageList::ReleasePlatformList() {
    if (handle_ && !handleShared_) ImageList_Destroy(handle_);
    handle_ = nullptr;
    handleShared_ = false;
}

win32::HIMAGELIST TCustomImageList::Handle() {
    if (handle_) return handle_;
    handle_ = ImageList_Create(width_, height_, win32::ILC_MASK | win32::ILC_COLOR32, Count(), allocBy_);
    // The platform reads bitmaps that no DC holds: the canvases keep theirs, so copies go.
    for (const Image& image : images_) {
        TBitmap picture, mask;
        picture.Assign(image.picture.get());
        mask.Assign(image.mask.get());
        const HBITMAP pictureHandle = picture.ReleaseHandle(), maskHandle = mask.ReleaseHandle();
        ImageList_Add(handle_, pictureHandle, maskHandle);
        DeleteObject(pictureHandle);
        DeleteObject(maskHandle);
    }
    return handle_;
}

void TCustomImageList::SetHandle(win32::HIMAGELIST handle) {
    int cx = 0, cy = 0;
    if (!handle || !ImageList_GetIconSize(handle, &cx, &cy)) throw EInvalidOperation("Invalid image list");
    BeginUpdate();
    images_.clear();
    width_ = cx;
    height_ = cy;
    const int count = ImageList_GetImageCount(handle);
    for (int i = 0; i < count; ++i) {
        TBitmap picture;
        picture.SetSize(cx, cy);
        PatBlt(picture.Canvas()->Handle(), 0, 0, cx, cy, BLACKNESS);
        ImageList_Draw(handle, i, picture.Canvas()->Handle(), 0, 0, win32::ILD_NORMAL);
        TBitmap mask;
        mask.SetMonochrome(true);
        mask.SetSize(cx, cy);
        ImageList_Draw(handle, i, mask.Canvas()->Handle(), 0, 0, win32::ILD_MASK);
        images_.push_back(MakeImage(&picture, 0, &mask, false, clNone));
    }
    EndUpdate();
    Change();
    ReleasePlatformList();
    handle_ = handle;
    handleShared_ = true;
}

void TCustomImageList::Change() {
    // The platform copy is made again when next asked for.
    ReleasePlatformList();
    if (updateCount_ > 0) {
        changedWhileUpdating_ = true;
        return;
    }
    std::vector<TChangeLink*> links = links_;
    for (TChangeLink* link : links)
        link->Change();
    if (OnChange) OnChange(this);
}

void TCustomImageList::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0 && changedWhileUpdating_) {
        changedWhileUpdating_ = false;
        Change();
    }
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
    if (!link || std::find(links_.begin(), links_.end(), link) != links_.end()) return;
    link->SetSender(this);
    links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
    auto it = std::find(links_.begin(), links_.end(), link);
    if (it == links_.end()) return;
    (*it)->SetSender(nullptr);
    links_.erase(it);
}

void TCustomImageList::SetWidth(Integer value) {
    if (value <= 0 || value == width_) return;
    width_ = value;
    Clear();
}

void TCustomImageList::SetHeight(Integer value) {
    if (value <= 0 || value == height_) return;
    height_ = value;
    Clear();
}

#define ZYL_LIST_SETTER(Setter, Type, field)    \
    void TCustomImageList::Setter(Type value) { \
        if (field == value) return;             \
        field = value;                          \
        Change();                               \
    }
ZYL_LIST_SETTER(SetBkColor, TColor, bkColor_)
ZYL_LIST_SETTER(SetBlendColor, TColor, blendColor_)
ZYL_LIST_SETTER(SetDrawingStyle, TDrawingStyle, drawingStyle_)
ZYL_LIST_SETTER(SetImageType, TImageType, imageType_)
ZYL_LIST_SETTER(SetMasked, bool, masked_)
#undef ZYL_LIST_SETTER

void TCustomImageList::CheckIndex(Integer index) const {
    if (index < 0 || index >= Count())
        throw EInvalidOperation(Format("Invalid ImageList Index (%d)", {index}));
}

TCustomImageList::Image TCustomImageList::MakeImage(TBitmap* source, Integer column, TBitmap* mask,
                                                    bool fromColor, TColor maskColor) {
    Image image{std::make_unique<TBitmap>(), std::make_unique<TBitmap>()};
    image.picture->SetSize(width_, height_);
    image.mask->SetMonochrome(true);
    image.mask->SetSize(width_, height_);
    Integer left = column * width_;
    CopyPart(source, left, image.picture.get());
    HDC maskDC = image.mask->Canvas()->Handle();
    if (fromColor) {
        HDC src = source->Canvas()->Handle();
        COLORREF oldBk = win32::SetBkColor(src, ColorToRGB(maskColor));
        BitBlt(maskDC, 0, 0, width_, height_, src, left, 0, SRCCOPY);
        win32::SetBkColor(src, oldBk);
    } else if (mask && !mask->Empty()) {
        HDC src = mask->Canvas()->Handle();
        COLORREF oldBk = win32::SetBkColor(src, RGB(255, 255, 255));
        BitBlt(maskDC, 0, 0, width_, height_, src, left, 0, SRCCOPY);
        win32::SetBkColor(src, oldBk);
    } else {
        PatBlt(maskDC, 0, 0, width_, height_, BLACKNESS);
    }
    // Transparent pixels of the picture become black so that it can be ORed over the hole.
    HDC pictureDC = image.picture->Canvas()->Handle();
    COLORREF oldText = win32::SetTextColor(pictureDC, RGB(0, 0, 0)),
             oldBk = win32::SetBkColor(pictureDC, RGB(255, 255, 255));
    BitBlt(pictureDC, 0, 0, width_, height_, maskDC, 0, 0, 0x00220326);  // DSna
    win32::SetTextColor(pictureDC, oldText);
    win32::SetBkColor(pictureDC, oldBk);
    return image;
}

Integer TCustomImageList::AddImages(TBitmap* image, TBitmap* mask, bool fromColor, TColor maskColor,
                                    Integer at) {
    if (!image || image->Empty()) return -1;
    Integer columns = std::max(image->Width() / width_, 1);
    Integer first = at < 0 ? Count() : at;
    std::vector<Image> made;
    for (Integer c = 0; c < columns; ++c)
        made.push_back(MakeImage(image, c, mask, fromColor, maskColor));
    images_.insert(images_.begin() + first, std::make_move_iterator(made.begin()),
                   std::make_move_iterator(made.end()));
    Change();
    return first;
}

Integer TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
    return AddImages(image, mask, false, clNone, -1);
}

Integer TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
    return AddImages(image, nullptr, true, maskColor, -1);
}

Integer TCustomImageList::AddIcon(TIcon* icon) {
    if (!icon || icon->Empty()) return -1;
    TBitmap picture, mask;
    picture.SetSize(width_, height_);
    picture.Canvas()->Brush()->SetColor(clBlack);
    picture.Canvas()->FillRect(Rect(0, 0, width_, height_));
    DrawIconEx(picture.Canvas()->Handle(), 0, 0, icon->Handle(), width_, height_, 0, nullptr, DI_IMAGE);
    mask.SetMonochrome(true);
    mask.SetSize(width_, height_);
    DrawIconEx(mask.Canvas()->Handle(), 0, 0, icon->Handle(), width_, height_, 0, nullptr, DI_MASK);
    return AddImages(&picture, &mask, false, clNone, -1);
}

void TCustomImageList::Insert(Integer index, TBitmap* image, TBitmap* mask) {
    if (index < 0 || index > Count())
        throw EInvalidOperation(Format("Invalid ImageList Index (%d)", {index}));
    AddImages(image, mask, false, clNone, index);
}

void TCustomImageList::Replace(Integer index, TBitmap* image, TBitmap* mask) {
    CheckIndex(index);
    if (!image || image->Empty()) return;
    images_[static_cast<size_t>(index)] = MakeImage(image, 0, mask, false, clNone);
    Change();
}

void TCustomImageList::ReplaceMasked(Integer index, TBitmap* image, TColor maskColor) {
    CheckIndex(index);
    if (!image || image->Empty()) return;
    images_[static_cast<size_t>(index)] = MakeImage(image, 0, nullptr, true, maskColor);
    Change();
}

void TCustomImageList::Delete(Integer index) {
    if (index == -1) {
        Clear();
        return;
    }
    CheckIndex(index);
    images_.erase(images_.begin() + index);
    Change();
}

void TCustomImageList::Move(Integer currentIndex, Integer newIndex) {
    CheckIndex(currentIndex);
    CheckIndex(newIndex);
    if (currentIndex == newIndex) return;
    Image moving = std::move(images_[static_cast<size_t>(currentIndex)]);
    images_.erase(images_.begin() + currentIndex);
    images_.insert(images_.begin() + newIndex, std::move(moving));
    Change();
}

void TCustomImageList::Clear() {
    images_.clear();
    Change();
}

void TCustomImageList::Draw(TCanvas* canvas, Integer x, Integer y, Integer index, bool enabled) {
    if (!canvas || index < 0 || index >= Count()) return;
    Image& image = images_[static_cast<size_t>(index)];
    HDC dest = canvas->Handle();
    if (!dest) return;
    if (!enabled) {
        // The opaque dark pixels form the shape, drawn in highlight one pixel down-right, then in shadow.
        TBitmap shape;
        shape.SetMonochrome(true);
        shape.SetSize(width_, height_);
        HDC shapeDC = shape.Canvas()->Handle();
        HDC pictureDC = image.picture->Canvas()->Handle();
        for (Integer py = 0; py < height_; ++py)
            for (Integer px = 0; px < width_; ++px) {
                COLORREF c = GetPixel(pictureDC, px, py);
                bool opaque = !masked_ || GetPixel(image.mask->Canvas()->Handle(), px, py) == RGB(0, 0, 0);
                int luma = (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100;
                SetPixel(shapeDC, px, py, opaque && luma < 192 ? RGB(0, 0, 0) : RGB(255, 255, 255));
            }
        PaintShape(dest, x + 1, y + 1, &shape, GetSysColor(COLOR_BTNHIGHLIGHT));
        PaintShape(dest, x, y, &shape, GetSysColor(COLOR_BTNSHADOW));
        return;
    }
    HDC pictureDC = image.picture->Canvas()->Handle();
    if (!masked_ || imageType_ == itMask) {
        HDC src = imageType_ == itMask ? image.mask->Canvas()->Handle() : pictureDC;
        BitBlt(dest, x, y, width_, height_, src, 0, 0, SRCCOPY);
        return;
    }
    if (bkColor_ != clNone) {
        HBRUSH brush = CreateSolidBrush(ColorToRGB(bkColor_));
        RECT r{x, y, x + width_, y + height_};
        FillRect(dest, &r, brush);
        DeleteObject(brush);
    }
    COLORREF oldText = win32::SetTextColor(dest, RGB(0, 0, 0)),
             oldBk = win32::SetBkColor(dest, RGB(255, 255, 255));
    BitBlt(dest, x, y, width_, height_, image.mask->Canvas()->Handle(), 0, 0, SRCAND);
    BitBlt(dest, x, y, width_, height_, pictureDC, 0, 0, SRCPAINT);
    win32::SetTextColor(dest, oldText);
    win32::SetBkColor(dest, oldBk);
}

void TCustomImageList::GetBitmap(Integer index, TBitmap* image) {
    if (!image) return;
    CheckIndex(index);
    image->SetSize(width_, height_);
    Image& source = images_[static_cast<size_t>(index)];
    BitBlt(image->Canvas()->Handle(), 0, 0, width_, height_, source.picture->Canvas()->Handle(), 0, 0,
           SRCCOPY);
}

void TCustomImageList::GetIcon(Integer index, TIcon* icon) {
    if (!icon) return;
    CheckIndex(index);
    Image& source = images_[static_cast<size_t>(index)];
    ICONINFO info{TRUE, 0, 0, source.mask->Handle(), source.picture->Handle()};
    icon->SetHandle(CreateIconIndirect(&info));
}

void TCustomImageList::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TCustomImageList*>(source);
    if (!other) {
        TComponent::Assign(source);
        return;
    }
    if (other == this) return;
    BeginUpdate();
    width_ = other->width_;
    height_ = other->height_;
    allocBy_ = other->allocBy_;
    bkColor_ = other->bkColor_;
    blendColor_ = other->blendColor_;
    drawingStyle_ = other->drawingStyle_;
    imageType_ = other->imageType_;
    masked_ = other->masked_;
    images_.clear();
    for (const Image& image : other->images_) {
        Image copy{std::make_unique<TBitmap>(), std::make_unique<TBitmap>()};
        copy.picture->Assign(image.picture.get());
        copy.mask->Assign(image.mask.get());
        images_.push_back(std::move(copy));
    }
    Change();
    EndUpdate();
}

void TCustomImageList::WriteImages(TStream& stream) {
    uint32_t count = static_cast<uint32_t>(images_.size());
    stream.WriteBuffer(&count, 4);
    for (Image& image : images_) {
        image.picture->WriteData(stream);
        image.mask->WriteData(stream);
    }
}

void TCustomImageList::ReadImages(TStream& stream) {
    uint32_t count = 0;
    stream.ReadBuffer(&count, 4);
    if (count > 65535) throw EReadError("Image list data is not valid");
    std::vector<Image> loaded;
    for (uint32_t i = 0; i < count; ++i) {
        Image image{std::make_unique<TBitmap>(), std::make_unique<TBitmap>()};
        image.picture->ReadData(stream);
        image.mask->ReadData(stream);
        if (image.picture->Width() != width_ || image.picture->Height() != height_ ||
            image.mask->Width() != width_ || image.mask->Height() != height_)
            throw EReadError("Image list data is not valid");
        loaded.push_back(std::move(image));
    }
    images_ = std::move(loaded);
    Change();
}

void TCustomImageList::DefineProperties(TFiler& filer) {
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Bitmap", [this](TStream& s) { ReadImages(s); }, [this](TStream& s) { WriteImages(s); },
        !images_.empty());
}

namespace {
const bool imagelistClassesRegistered = [] {
    RegisterClass<TImageList>();
    return true;
}();
}  // namespace

}  // namespace vcl
