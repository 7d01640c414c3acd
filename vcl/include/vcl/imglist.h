// Image lists: equally sized images with masks, drawn normally or with the disabled look.
#pragma once

#include <memory>
#include <vector>

#include "vcl/classes.h"
#include "vcl/graphics.h"

namespace vcl {

class TCustomImageList;

// Hears of every change of the image list it is registered with.
class TChangeLink : public TObject {
    VCL_DECLARE_CLASS(TChangeLink, TObject)
public:
    TChangeLink() = default;
    ~TChangeLink() override;
    TCustomImageList* Sender() const { return sender_; }
    void SetSender(TCustomImageList* sender) { sender_ = sender; }
    virtual void Change();

    TNotifyEvent OnChange;

private:
    TCustomImageList* sender_ = nullptr;
};

enum class TDrawingStyle : uint8_t { dsFocus, dsSelected, dsNormal, dsTransparent };
VCL_ENUM_NAMES(TDrawingStyle, "dsFocus", "dsSelected", "dsNormal", "dsTransparent")
using enum TDrawingStyle;

enum class TImageType : uint8_t { itImage, itMask };
VCL_ENUM_NAMES(TImageType, "itImage", "itMask")
using enum TImageType;

class TCustomImageList : public TComponent {
    VCL_DECLARE_CLASS(TCustomImageList, TComponent)
public:
    explicit TCustomImageList(TComponent* owner);
    ~TCustomImageList() override;

    Integer Width() const { return width_; }
    // Changing the size clears the list.
    void SetWidth(Integer value);
    Integer Height() const { return height_; }
    void SetHeight(Integer value);
    Integer Count() const { return static_cast<Integer>(images_.size()); }
    Integer AllocBy() const { return allocBy_; }
    void SetAllocBy(Integer value) { allocBy_ = value; }
    TColor BkColor() const { return bkColor_; }
    void SetBkColor(TColor value);
    TColor BlendColor() const { return blendColor_; }
    void SetBlendColor(TColor value);
    TDrawingStyle DrawingStyle() const { return drawingStyle_; }
    void SetDrawingStyle(TDrawingStyle value);
    TImageType ImageType() const { return imageType_; }
    void SetImageType(TImageType value);
    bool Masked() const { return masked_; }
    void SetMasked(bool value);
    bool ShareImages() const { return shareImages_; }
    void SetShareImages(bool value) { shareImages_ = value; }

    // A bitmap as wide as several images adds them all; returns the index of the first, -1 on failure.
    Integer Add(TBitmap* image, TBitmap* mask);
    Integer AddMasked(TBitmap* image, TColor maskColor);
    Integer AddIcon(TIcon* icon);
    void Insert(Integer index, TBitmap* image, TBitmap* mask);
    void Replace(Integer index, TBitmap* image, TBitmap* mask);
    void ReplaceMasked(Integer index, TBitmap* image, TColor maskColor);
    void Delete(Integer index);
    void Move(Integer currentIndex, Integer newIndex);
    void Clear();
    // enabled false draws the image embossed in the shadow and highlight colours.
    void Draw(TCanvas* canvas, Integer x, Integer y, Integer index, bool enabled = true);
    void GetBitmap(Integer index, TBitmap* image);
    void GetIcon(Integer index, TIcon* icon);

    // The platform image list with the same images, made on first use and made again after a
    // change; after SetHandle, the platform list given, which stays its owner's.
    win32::HIMAGELIST Handle();
    // Takes a copy of the images of a platform list (the shell's system list, for instance) and
    // hands that list out as Handle() until the images change.
    void SetHandle(win32::HIMAGELIST handle);
    bool HandleAllocated() const { return handle_ != nullptr; }
    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;

    TNotifyEvent OnChange;

protected:
    virtual void Change();

private:
    struct Image {
        std::unique_ptr<TBitmap> picture;  // 32 bits, black where transparent when masked
        std::unique_ptr<TBitmap> mask;     // 1 bit, white where transparent
    };
    Image MakeImage(TBitmap* source, Integer column, TBitmap* mask, bool fromColor, TColor maskColor);
    void CheckIndex(Integer index) const;
    Integer AddImages(TBitmap* image, TBitmap* mask, bool fromColor, TColor maskColor, Integer at);
    void ReadImages(TStream& stream);
    void WriteImages(TStream& stream);

    void ReleasePlatformList();

    win32::HIMAGELIST handle_ = nullptr;
    bool handleShared_ = false;
    Integer width_ = 16, height_ = 16, allocBy_ = 4;
    TColor bkColor_ = clNone, blendColor_ = clNone;
    TDrawingStyle drawingStyle_ = dsNormal;
    TImageType imageType_ = itImage;
    bool masked_ = true, shareImages_ = false;
    Integer updateCount_ = 0;
    bool changedWhileUpdating_ = false;
    std::vector<Image> images_;
    std::vector<TChangeLink*> links_;
};

class TImageList : public TCustomImageList {
    VCL_CLASS(TImageList, TCustomImageList)
public:
    explicit TImageList(TComponent* owner) : TCustomImageList(owner) {}

    static void Publish(Published<TImageList>& p) {
        p.Property("AllocBy", &TImageList::AllocBy, &TImageList::SetAllocBy, 4);
        p.Property("BkColor", &TImageList::BkColor, &TImageList::SetBkColor, clNone).Idents(ColorIdents());
        p.Property("BlendColor", &TImageList::BlendColor, &TImageList::SetBlendColor, clNone)
            .Idents(ColorIdents());
        p.Property("DrawingStyle", &TImageList::DrawingStyle, &TImageList::SetDrawingStyle, dsNormal);
        p.Property("Height", &TImageList::Height, &TImageList::SetHeight, 16);
        p.Property("ImageType", &TImageList::ImageType, &TImageList::SetImageType, itImage);
        p.Property("Masked", &TImageList::Masked, &TImageList::SetMasked, true);
        p.Property("ShareImages", &TImageList::ShareImages, &TImageList::SetShareImages, false);
        p.Property("Width", &TImageList::Width, &TImageList::SetWidth, 16);
        p.Event("OnChange", static_cast<TNotifyEvent TImageList::*>(&TImageList::OnChange));
    }
};

}  // namespace vcl
