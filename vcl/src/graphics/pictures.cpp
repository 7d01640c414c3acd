// Graphics: bitmaps, icons and pictures, and how they travel through files and form data.
#include <algorithm>
#include <cstring>
#include <vector>

#include "vcl/fileutils.h"
#include "vcl/graphics.h"
#include "vcl/streaming.h"
#include "vcl/sysutils.h"

namespace vcl {

using namespace win32;

namespace {

std::vector<uint8_t> ReadRest(TStream& stream) {
    Int64 size = stream.Size() - stream.Position();
    if (size < 0) size = 0;
    if (size > (Int64{1} << 30)) throw EInvalidGraphic("Graphic data too large");
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (size > 0) stream.ReadBuffer(data.data(), size);
    return data;
}

// How many bits a pixel format keeps in memory.
int StorageDepth(TPixelFormat format) {
    return format == pf1bit ? 1 : format == pf24bit ? 24 : 32;
}

// A top-down DIB section of 1, 24 or 32 bits.
HBITMAP MakeDib(Integer width, Integer height, int depth) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(depth);
    info.colors[1] = RGBQUAD{255, 255, 255, 0};
    void* bits = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) throw EOutOfResources("Not enough storage is available to process this command");
    return bitmap;
}

// Copies from a DC (whose bitmap may be selected there) into another bitmap.
void CopyPixels(HDC src, HBITMAP to, Integer width, Integer height) {
    HDC dst = CreateCompatibleDC(nullptr);
    HGDIOBJ oldDst = SelectObject(dst, to);
    COLORREF oldSrcBk = GetBkColor(src);
    // Colour to monochrome: white stays white, everything else turns black.
    SetBkColor(src, RGB(255, 255, 255));
    SetTextColor(dst, RGB(0, 0, 0));
    SetBkColor(dst, RGB(255, 255, 255));
    BitBlt(dst, 0, 0, width, height, src, 0, 0, SRCCOPY);
    SetBkColor(src, oldSrcBk);
    SelectObject(dst, oldDst);
    DeleteDC(dst);
}

void CopyPixels(HBITMAP from, HBITMAP to, Integer width, Integer height) {
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ oldSrc = SelectObject(src, from);
    CopyPixels(src, to, width, height);
    SelectObject(src, oldSrc);
    DeleteDC(src);
}

BITMAP Describe(HBITMAP bitmap) {
    BITMAP bm{};
    GetObject(bitmap, sizeof bm, &bm);
    return bm;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TGraphic

VCL_DEFINE_CLASS(TGraphic, TPersistent)

void TGraphic::SetTransparent(bool value) {
    if (transparent_ == value) return;
    transparent_ = value;
    Changed();
}

void TGraphic::SetModified(bool value) {
    if (value)
        Changed();
    else
        modified_ = false;
}

void TGraphic::Changed() {
    modified_ = true;
    if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

// ---------------------------------------------------------------------------------------------
// TBitmap

class TBitmapCanvas : public TCanvas {
    VCL_CLASS(TBitmapCanvas, TCanvas)
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
    void Detach() { SetHandle(nullptr); }

protected:
    void CreateHandle() override { SetHandle(bitmap_->Context()); }
    void Changed() override {
        TCanvas::Changed();
        bitmap_->Changed();
    }

private:
    TBitmap* bitmap_;
};

VCL_DEFINE_CLASS(TBitmap, TGraphic)

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
    if (canvas_) canvas_->Detach();
    FreeContext();
    if (handle_) DeleteObject(handle_);
    if (mask_) DeleteObject(mask_);
}

HDC TBitmap::Context() {
    if (!dc_) {
        dc_ = CreateCompatibleDC(nullptr);
        if (handle_) oldBitmap_ = SelectObject(dc_, handle_);
    }
    return dc_;
}

void TBitmap::FreeContext() {
    if (!dc_) return;
    if (canvas_) canvas_->Detach();
    if (oldBitmap_) SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
    dc_ = nullptr;
    oldBitmap_ = nullptr;
}

void TBitmap::Replace(HBITMAP bitmap) {
    if (dc_) {
        HGDIOBJ previous = SelectObject(dc_, bitmap ? static_cast<HGDIOBJ>(bitmap) : oldBitmap_);
        if (!oldBitmap_) oldBitmap_ = previous;
    }
    if (handle_) DeleteObject(handle_);
    if (mask_) DeleteObject(mask_);
    mask_ = nullptr;
    handle_ = bitmap;
    if (bitmap) {
        BITMAP bm = Describe(bitmap);
        width_ = bm.bmWidth;
        height_ = bm.bmHeight;
    } else {
        width_ = height_ = 0;
    }
}

void TBitmap::SetSize(Integer width, Integer height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return;
    if (width == 0 || height == 0) {
        Replace(nullptr);
        width_ = width;
        height_ = height;
        Changed();
        return;
    }
    if (static_cast<int64_t>(width) * height > MAX_IMAGE_PIXELS || width > MAX_IMAGE_DIMENSION ||
        height > MAX_IMAGE_DIMENSION)
        throw EOutOfResources("Not enough storage is available to process this command");
    HBITMAP next = MakeDib(width, height, StorageDepth(pixelFormat_));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, next);
    PatBlt(dc, 0, 0, width, height, WHITENESS);
    SelectObject(dc, old);
    DeleteDC(dc);
    if (handle_) CopyPixels(Context(), next, std::min(width, width_), std::min(height, height_));
    Replace(next);
    Changed();
}

TCanvas* TBitmap::Canvas() {
    if (!canvas_) {
        canvas_ = std::make_unique<TBitmapCanvas>(this);
        canvas_->OnChange = nullptr;
    }
    return canvas_.get();
}

HBITMAP TBitmap::Handle() {
    return handle_;
}

void TBitmap::SetHandle(HBITMAP bitmap) {
    if (bitmap == handle_) return;
    BITMAP bm{};
    if (bitmap && GetObject(bitmap, sizeof bm, &bm) == 0) throw EInvalidGraphic("Invalid bitmap handle");
    Replace(bitmap);
    pixelFormat_ = !bitmap                ? pfDevice
                   : bm.bmBitsPixel == 1  ? pf1bit
                   : bm.bmBitsPixel == 24 ? pf24bit
                                          : pfDevice;
    Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
    HBITMAP bitmap = handle_;
    if (dc_ && oldBitmap_) SelectObject(dc_, oldBitmap_);
    handle_ = nullptr;
    width_ = height_ = 0;
    Changed();
    return bitmap;
}

TColor TBitmap::TransparentColor() {
    if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
    if (Empty()) return clDefault;
    COLORREF c = GetPixel(Context(), 0, height_ - 1);
    return static_cast<TColor>(c);
}

void TBitmap::SetTransparentColor(TColor value) {
    transparentColor_ = value;
    transparentMode_ = value == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
    if (value == tmAuto) transparentColor_ = clDefault;
    transparentMode_ = value;
    Changed();
}

HBITMAP TBitmap::MaskHandle() {
    if (Empty()) return nullptr;
    if (mask_) DeleteObject(mask_);
    mask_ = MakeDib(width_, height_, 1);
    HDC src = Context(), dst = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dst, mask_);
    COLORREF oldBk = SetBkColor(src, ColorToRGB(TransparentColor()));
    BitBlt(dst, 0, 0, width_, height_, src, 0, 0, SRCCOPY);
    SetBkColor(src, oldBk);
    SelectObject(dst, old);
    DeleteDC(dst);
    return mask_;
}

void TBitmap::Mask(TColor transparentColor) {
    if (Empty()) return;
    HBITMAP mask = nullptr;
    {
        const ScopedValue color(transparentColor_, transparentColor);
        const ScopedValue mode(transparentMode_, tmFixed);
        mask = MaskHandle();
        mask_ = nullptr;
    }
    pixelFormat_ = pf1bit;
    Replace(mask);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
    if (value == pixelFormat_) return;
    int oldDepth = StorageDepth(pixelFormat_);
    pixelFormat_ = value;
    if (oldDepth != StorageDepth(value) && !Empty()) {
        HBITMAP next = MakeDib(width_, height_, StorageDepth(value));
        CopyPixels(Context(), next, width_, height_);
        Replace(next);
    }
    Changed();
}

void* TBitmap::ScanLine(Integer row) {
    if (row < 0 || row >= height_ || !handle_) throw EInvalidGraphicOperation("Scan line index out of range");
    DIBSECTION ds{};
    if (GetObject(handle_, sizeof ds, &ds) != static_cast<int>(sizeof ds) || !ds.dsBm.bmBits)
        throw EInvalidGraphicOperation("Scan line index out of range");
    auto* bits = static_cast<uint8_t*>(ds.dsBm.bmBits);
    // Top-down sections keep row 0 first; bottom-up ones last.
    bool topDown = ds.dsBmih.biHeight < 0;
    size_t offset =
        static_cast<size_t>(topDown ? row : height_ - 1 - row) * static_cast<size_t>(ds.dsBm.bmWidthBytes);
    return bits + offset;
}

void TBitmap::Dormant() {
    FreeContext();
}

void TBitmap::LoadFromStream(TStream& stream) {
    std::vector<uint8_t> data = ReadRest(stream);
    std::string error;
    HBITMAP loaded = ReadBmp(data.data(), data.size(), &error);
    if (!loaded) throw EInvalidGraphic("Bitmap image is not valid: " + error);
    BITMAP bm = Describe(loaded);
    int bits = data.size() >= 30 ? data[28] | (data[29] << 8) : 32;
    TPixelFormat format = bits == 1    ? pf1bit
                          : bits == 4  ? pf4bit
                          : bits == 8  ? pf8bit
                          : bits == 16 ? pf16bit
                          : bits == 24 ? pf24bit
                                       : pf32bit;
    if (bm.bmBitsPixel != 1 && format == pf1bit) format = pf4bit;  // a coloured 1-bit palette
    HBITMAP next;
    try {
        next = MakeDib(bm.bmWidth, bm.bmHeight, StorageDepth(format));
    } catch (...) {
        DeleteObject(loaded);
        throw;
    }
    CopyPixels(loaded, next, bm.bmWidth, bm.bmHeight);
    DeleteObject(loaded);
    pixelFormat_ = format;
    Replace(next);
    Changed();
}

void TBitmap::SaveToStream(TStream& stream) {
    std::vector<uint8_t> data;
    if (!Empty()) {
        int bits;
        switch (pixelFormat_) {
            case pf1bit:
                bits = 1;
                break;
            case pf4bit:
                bits = 4;
                break;
            case pf8bit:
                bits = 8;
                break;
            case pf32bit:
            case pfCustom:
                bits = 32;
                break;
            default:
                bits = 24;
                break;
        }
        std::string error;
        if (!WriteBmp(handle_, data, bits, false, &error))
            throw EInvalidGraphic("Bitmap image is not valid: " + error);
    }
    if (!data.empty()) stream.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
}

void TBitmap::ReadData(TStream& stream) {
    Int64 start = stream.Position();
    uint8_t head[4] = {0, 0, 0, 0};
    Int64 got = stream.Read(head, 4);
    if (got == 4 && !(head[0] == 'B' && head[1] == 'M')) {
        uint32_t length = head[0] | (head[1] << 8) | (head[2] << 16) | (static_cast<uint32_t>(head[3]) << 24);
        if (length == 0) {
            SetSize(0, 0);
            return;
        }
        if (static_cast<Int64>(length) > stream.Size() - stream.Position())
            throw EInvalidGraphic("Bitmap image is not valid");
        std::vector<uint8_t> data(length);
        stream.ReadBuffer(data.data(), length);
        TMemoryStream inner;
        inner.WriteBuffer(data.data(), length);
        inner.SetPosition(0);
        LoadFromStream(inner);
        return;
    }
    stream.SetPosition(start);
    LoadFromStream(stream);
}

void TBitmap::WriteData(TStream& stream) {
    TMemoryStream inner;
    SaveToStream(inner);
    uint32_t length = static_cast<uint32_t>(inner.Size());
    uint8_t head[4] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                       static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
    stream.WriteBuffer(head, 4);
    if (length) stream.WriteBuffer(inner.Memory(), length);
}

void TBitmap::DefineProperties(TFiler& filer) {
    filer.DefineBinaryProperty(
        "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, !Empty());
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
    if (Empty()) return;
    HDC dest = canvas.Handle();
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (transparent_) {
        TransparentBlt(dest, rect.left, rect.top, w, h, Context(), 0, 0, width_, height_,
                       ColorToRGB(TransparentColor()));
        return;
    }
    StretchBlt(dest, rect.left, rect.top, w, h, Context(), 0, 0, width_, height_,
               static_cast<DWORD>(canvas.CopyMode()));
}

void TBitmap::Assign(const TPersistent* source) {
    if (!source) {
        SetSize(0, 0);
        return;
    }
    if (auto* other = dynamic_cast<const TBitmap*>(source)) {
        if (other == this) return;
        auto* from = const_cast<TBitmap*>(other);
        pixelFormat_ = from->pixelFormat_;
        transparent_ = from->transparent_;
        transparentColor_ = from->transparentColor_;
        transparentMode_ = from->transparentMode_;
        if (from->Empty()) {
            Replace(nullptr);
            width_ = from->width_;
            height_ = from->height_;
        } else {
            HBITMAP copy = MakeDib(from->width_, from->height_, StorageDepth(from->pixelFormat_));
            CopyPixels(from->Context(), copy, from->width_, from->height_);
            Replace(copy);
        }
        Changed();
        return;
    }
    if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        auto* g = const_cast<TGraphic*>(graphic);
        Replace(nullptr);
        SetSize(g->Width(), g->Height());
        if (!Empty()) {
            Canvas()->Brush()->SetColor(clWhite);
            Canvas()->FillRect(Rect(0, 0, width_, height_));
            Canvas()->Draw(0, 0, g);
        }
        return;
    }
    TGraphic::Assign(source);
}

// ---------------------------------------------------------------------------------------------
// TIcon

VCL_DEFINE_CLASS(TIcon, TGraphic)

TIcon::TIcon() = default;
TIcon::~TIcon() {
    if (handle_) DestroyIcon(handle_);
}

void TIcon::SetWidth(Integer) {
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}
void TIcon::SetHeight(Integer) {
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHandle(HICON icon) {
    if (icon == handle_) return;
    if (handle_) DestroyIcon(handle_);
    handle_ = icon;
    width_ = height_ = 0;
    ICONINFO info{};
    if (icon && GetIconInfo(icon, &info)) {
        BITMAP bm = Describe(info.hbmColor ? info.hbmColor : info.hbmMask);
        width_ = bm.bmWidth;
        height_ = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    Changed();
}

HICON TIcon::ReleaseHandle() {
    HICON icon = handle_;
    handle_ = nullptr;
    width_ = height_ = 0;
    Changed();
    return icon;
}

void TIcon::LoadFromStream(TStream& stream) {
    std::vector<uint8_t> data = ReadRest(stream);
    std::string error;
    HICON icon = ReadIcon(data.data(), data.size(), 0, 0, &error);
    if (!icon) throw EInvalidGraphic("Icon image is not valid: " + error);
    SetHandle(icon);
}

void TIcon::SaveToStream(TStream& stream) {
    if (!handle_) return;
    std::vector<uint8_t> data;
    std::string error;
    if (!WriteIconFile({handle_}, data, false, &error))
        throw EInvalidGraphic("Icon image is not valid: " + error);
    stream.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect) {
    if (!handle_) return;
    DrawIconEx(canvas.Handle(), rect.left, rect.top, handle_, rect.right - rect.left, rect.bottom - rect.top,
               0, nullptr, DI_NORMAL);
}

void TIcon::Assign(const TPersistent* source) {
    if (!source) {
        SetHandle(nullptr);
        return;
    }
    if (auto* other = dynamic_cast<const TIcon*>(source)) {
        if (other != this) SetHandle(other->handle_ ? CopyIcon(other->handle_) : nullptr);
        return;
    }
    TGraphic::Assign(source);
}

// ---------------------------------------------------------------------------------------------
// TPicture

VCL_DEFINE_CLASS(TPicture, TPersistent)

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
    if (OnChange) OnChange(this);
}

void TPicture::Adopt(std::unique_ptr<TGraphic> graphic) {
    graphic_ = std::move(graphic);
    if (graphic_) graphic_->OnChange = [this](TObject*) { Changed(); };
    Changed();
}

void TPicture::SetGraphic(const TGraphic* graphic) {
    if (!graphic) {
        Adopt(nullptr);
        return;
    }
    if (graphic == graphic_.get()) return;
    TClass cls = graphic->ClassType();
    if (!cls->createObject) throw EInvalidGraphic("Unsupported graphic class " + std::string(cls->name));
    std::unique_ptr<TGraphic> copy(dynamic_cast<TGraphic*>(cls->createObject()));
    if (!copy) throw EInvalidGraphic("Unsupported graphic class " + std::string(cls->name));
    copy->Assign(graphic);
    Adopt(std::move(copy));
}

TBitmap* TPicture::Bitmap() {
    if (!dynamic_cast<TBitmap*>(graphic_.get())) Adopt(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(graphic_.get());
}

void TPicture::SetBitmap(const TBitmap* value) {
    SetGraphic(value);
}

TIcon* TPicture::Icon() {
    if (!dynamic_cast<TIcon*>(graphic_.get())) Adopt(std::make_unique<TIcon>());
    return static_cast<TIcon*>(graphic_.get());
}

void TPicture::SetIcon(const TIcon* value) {
    SetGraphic(value);
}

void TPicture::LoadFromFile(const std::string& fileName) {
    std::string extension = LowerCase(ExtractFileExt(fileName));
    std::unique_ptr<TGraphic> graphic;
    if (extension == ".bmp" || extension == ".dib")
        graphic = std::make_unique<TBitmap>();
    else if (extension == ".ico" || extension == ".cur")
        graphic = std::make_unique<TIcon>();
    else
        throw EInvalidGraphic("Unknown picture file extension (" + extension + ")");
    graphic->LoadFromFile(fileName);
    Adopt(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName) {
    if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::Assign(const TPersistent* source) {
    if (!source) {
        SetGraphic(nullptr);
        return;
    }
    if (auto* picture = dynamic_cast<const TPicture*>(source)) {
        if (picture != this) SetGraphic(picture->graphic_.get());
        return;
    }
    if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        SetGraphic(graphic);
        return;
    }
    TPersistent::Assign(source);
}

void TPicture::DefineProperties(TFiler& filer) {
    auto read = [this](TStream& stream) {
        uint8_t length = 0;
        stream.ReadBuffer(&length, 1);
        std::string name(length, '\0');
        if (length) stream.ReadBuffer(name.data(), length);
        std::unique_ptr<TGraphic> graphic;
        if (SameText(name, "TBitmap"))
            graphic = std::make_unique<TBitmap>();
        else if (SameText(name, "TIcon"))
            graphic = std::make_unique<TIcon>();
        else
            throw EInvalidGraphic("Unknown picture format " + name);
        graphic->ReadData(stream);
        Adopt(std::move(graphic));
    };
    auto write = [this](TStream& stream) {
        std::string name(graphic_->ClassName());
        uint8_t length = static_cast<uint8_t>(name.size());
        stream.WriteBuffer(&length, 1);
        stream.WriteBuffer(name.data(), length);
        graphic_->WriteData(stream);
    };
    filer.DefineBinaryProperty("Data", read, write, graphic_ && !graphic_->Empty());
}

namespace {
const bool picturesClassesRegistered = [] {
    RegisterClasses({TFont::StaticClass(), TPen::StaticClass(), TBrush::StaticClass(), TBitmap::StaticClass(),
                     TIcon::StaticClass(), TPicture::StaticClass()});
    return true;
}();
}  // namespace

}  // namespace vcl
