// The platform's pixels on the server: what changed on the screen surface since the last upload
// is found against a copy of what the server holds, and only that goes out, through MIT-SHM where
// the server offers it, else XPutImage.
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#include "gdi/dc_internal.h"

// Xlib last: see x11_internal.h.
#include "display/x11/x11_internal.h"

namespace win32::display::x11 {

namespace {

// One channel of a TrueColor pixel: where its bits go and how many there are.
struct Channel {
    int shift = 0;
    int bits = 0;
    explicit Channel(unsigned long mask)
        : shift(mask ? std::countr_zero(mask) : 0), bits(std::popcount(mask)) {}
    unsigned long From(uint32_t value8) const {
        return bits >= 8 ? static_cast<unsigned long>(value8) << (shift + bits - 8)
                         : static_cast<unsigned long>(value8 >> (8 - bits)) << shift;
    }
};

}  // namespace

Uploader::Uploader(Display* display, int screen)
    : display_(display),
      screen_(screen),
      visual_(DefaultVisual(display, screen)),
      depth_(DefaultDepth(display, screen)) {
    gc_ = XCreateGC(display_, RootWindow(display_, screen), 0, nullptr);
    XSetGraphicsExposures(display_, gc_, False);
    int formats = 0;
    XPixmapFormatValues* list = XListPixmapFormats(display_, &formats);
    int bitsPerPixel = 0;
    for (int i = 0; i < formats; ++i)
        if (list[i].depth == depth_) bitsPerPixel = list[i].bits_per_pixel;
    if (list) XFree(list);
    directFormat_ = visual_->c_class == TrueColor && (depth_ == 24 || depth_ == 32) && bitsPerPixel == 32 &&
                    visual_->red_mask == 0xFF0000 && visual_->green_mask == 0x00FF00 &&
                    visual_->blue_mask == 0x0000FF;
    const char* wanted = std::getenv("ZYL_X11_SHM");
    // ZYL_X11_SHM=0 keeps to XPutImage, for a server that offers the extension but cannot use it.
    SetSharedMemory(!(wanted && std::strcmp(wanted, "0") == 0));
}

Uploader::~Uploader() {
    ReleaseSegment();
    XFreeGC(display_, gc_);
}

bool Uploader::EnsureSegment(int width, int height) {
    if (shmImage_ && shmImage_->width >= width && shmImage_->height >= height) return true;
    ReleaseSegment();
    shmImage_ = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr, &shm_,
                                static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!shmImage_) return false;
    const size_t bytes = static_cast<size_t>(shmImage_->bytes_per_line) * static_cast<size_t>(height);
    shm_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shm_.shmid < 0) {
        XDestroyImage(shmImage_);
        shmImage_ = nullptr;
        return false;
    }
    shm_.shmaddr = shmImage_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
    shm_.readOnly = True;
    TakeLastError();
    const bool attached = shm_.shmaddr != reinterpret_cast<char*>(-1) && XShmAttach(display_, &shm_);
    XSync(display_, False);
    // Marked for removal at once: the segment goes when both sides let go, even after a crash.
    shmctl(shm_.shmid, IPC_RMID, nullptr);
    if (!attached || TakeLastError() != 0) {
        // A server on another machine cannot see our memory.
        if (shm_.shmaddr != reinterpret_cast<char*>(-1)) shmdt(shm_.shmaddr);
        shmImage_->data = nullptr;
        XDestroyImage(shmImage_);
        shmImage_ = nullptr;
        shm_ = XShmSegmentInfo{};
        return false;
    }
    return true;
}

void Uploader::ReleaseSegment() {
    if (!shmImage_) return;
    XShmDetach(display_, &shm_);
    XSync(display_, False);
    shmdt(shm_.shmaddr);
    shmImage_->data = nullptr;
    XDestroyImage(shmImage_);
    shmImage_ = nullptr;
    shm_ = XShmSegmentInfo{};
}

bool Uploader::SetSharedMemory(bool enabled) {
    Finish();
    if (!enabled) {
        ReleaseSegment();
        return true;
    }
    return directFormat_ && XShmQueryExtension(display_) &&
           EnsureSegment(DisplayWidth(display_, screen_), DisplayHeight(display_, screen_));
}

void Uploader::Put(::Window window, const gdi::Surface& surface, const RECT& rect, POINT origin) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return;
    pixelsSent_ += static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (!directFormat_) {
        PutConverted(window, surface, rect, origin);
        return;
    }
    if (shmImage_ && EnsureSegment(surface.width, surface.height)) {
        // The rectangles of one sync never overlap on the screen, so each has its own place in the
        // segment until Finish().
        for (int y = rect.top; y < rect.bottom; ++y)
            std::memcpy(
                shmImage_->data + static_cast<ptrdiff_t>(y) * shmImage_->bytes_per_line + rect.left * 4,
                surface.Row32(y) + rect.left, static_cast<size_t>(width) * 4);
        XShmPutImage(display_, window, gc_, shmImage_, rect.left, rect.top, rect.left - origin.x,
                     rect.top - origin.y, static_cast<unsigned>(width), static_cast<unsigned>(height), False);
        shmPending_ = true;
        return;
    }
    // XPutImage copies the pixels into the request: the surface itself serves as the image.
    XImage image{};
    image.width = surface.width;
    image.height = surface.height;
    image.format = ZPixmap;
    image.data = reinterpret_cast<char*>(surface.Row(0));
    image.byte_order = LSBFirst;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = LSBFirst;
    image.bitmap_pad = 32;
    image.depth = depth_;
    image.bytes_per_line = static_cast<int>(surface.stride);
    image.bits_per_pixel = 32;
    image.red_mask = visual_->red_mask;
    image.green_mask = visual_->green_mask;
    image.blue_mask = visual_->blue_mask;
    if (surface.stride <= 0 || !XInitImage(&image)) return;
    XPutImage(display_, window, gc_, &image, rect.left, rect.top, rect.left - origin.x, rect.top - origin.y,
              static_cast<unsigned>(width), static_cast<unsigned>(height));
}

// Servers of other depths (16 bits, say) get each pixel packed by their visual's masks.
void Uploader::PutConverted(::Window window, const gdi::Surface& surface, const RECT& rect, POINT origin) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    XImage* image = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (!image) return;
    image->data = static_cast<char*>(std::malloc(static_cast<size_t>(image->bytes_per_line) * height));
    if (!image->data) {
        XDestroyImage(image);
        return;
    }
    const Channel red(visual_->red_mask), green(visual_->green_mask), blue(visual_->blue_mask);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = surface.Row32(rect.top + y) + rect.left;
        for (int x = 0; x < width; ++x) {
            const uint32_t c = row[x];
            XPutPixel(image, x, y,
                      red.From((c >> 16) & 0xFF) | green.From((c >> 8) & 0xFF) | blue.From(c & 0xFF));
        }
    }
    XPutImage(display_, window, gc_, image, 0, 0, rect.left - origin.x, rect.top - origin.y,
              static_cast<unsigned>(width), static_cast<unsigned>(height));
    XDestroyImage(image);
}

void Uploader::Finish() {
    if (!shmPending_) return;
    XSync(display_, False);
    shmPending_ = false;
}

namespace {

// Rows of `rect` (window coordinates) where the screen differs from the shadow, gathered into
// rectangles: consecutive changed rows join, their changed columns spanning the union.
template <typename F>
void ForEachChangedRun(const gdi::Surface& screen, const std::vector<uint32_t>& shadow, int shadowWidth,
                       POINT origin, const RECT& rect, F&& emit) {
    RECT run{0, 0, 0, 0};
    bool open = false;
    for (int y = rect.top; y < rect.bottom; ++y) {
        const uint32_t* now = screen.Row32(y + origin.y) + origin.x;
        const uint32_t* held = shadow.data() + static_cast<size_t>(y) * static_cast<size_t>(shadowWidth);
        int left = rect.left, right = rect.right;
        while (left < right && now[left] == held[left])
            ++left;
        while (right > left && now[right - 1] == held[right - 1])
            --right;
        if (left == right) {
            if (open) emit(run);
            open = false;
            continue;
        }
        if (!open) {
            run = RECT{left, y, right, y + 1};
            open = true;
        } else {
            run.left = std::min<LONG>(run.left, left);
            run.right = std::max<LONG>(run.right, right);
            run.bottom = y + 1;
        }
    }
    if (open) emit(run);
}

}  // namespace

void Backend::SyncPixels() {
    const uint64_t writes = gdi::ScreenWrites();
    if (writes == screenWritesSynced_ && !pixelsDirty_) return;
    gdi::Surface& screen = gdi::ScreenSurface();
    if (screen.bitsPerPixel != 32) return;
    const RECT screenBounds{0, 0, screen.width, screen.height};
    for (auto& m : mirrors_) {
        user::Window* w = user::Find(m.hwnd);
        if (!w || !m.viewable || !m.mapRequested || m.iconified) continue;
        const int width = m.geometry.right - m.geometry.left, height = m.geometry.bottom - m.geometry.top;
        if (width <= 0 || height <= 0) continue;
        const size_t area = static_cast<size_t>(width) * static_cast<size_t>(height);
        if (m.shadow.size() != area) {
            m.shadow.assign(area, 0);
            m.known = Region{};
        }
        const POINT origin{m.geometry.left, m.geometry.top};
        Region visible = gdi::CombineRegions(user::VisibleRegion(w, false, false, true, &screenBounds),
                                             Region::FromRect(screenBounds), RGN_AND);
        visible.Offset(-origin.x, -origin.y);
        visible = gdi::CombineRegions(visible, Region::FromRect(RECT{0, 0, width, height}), RGN_AND);
        const auto upload = [&](const RECT& r) {
            uploader_->Put(m.xid, screen,
                           RECT{r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y},
                           origin);
            for (int y = r.top; y < r.bottom; ++y)
                std::memcpy(m.shadow.data() + static_cast<size_t>(y) * static_cast<size_t>(width) + r.left,
                            screen.Row32(y + origin.y) + origin.x + r.left,
                            static_cast<size_t>(r.right - r.left) * 4);
        };
        const Region unknown = gdi::CombineRegions(visible, m.known, RGN_DIFF);
        const Region held = gdi::CombineRegions(visible, m.known, RGN_AND);
        for (const RECT& r : unknown.rects)
            upload(r);
        for (const RECT& r : held.rects)
            ForEachChangedRun(screen, m.shadow, width, origin, r, upload);
        m.known = gdi::CombineRegions(m.known, visible, RGN_OR);
    }
    uploader_->Finish();
    screenWritesSynced_ = writes;
    pixelsDirty_ = false;
}

bool Backend::UseSharedMemory(bool enabled) {
    return uploader_->SetSharedMemory(enabled);
}

bool Backend::RefreshWindow(HWND hwnd) {
    auto found =
        std::find_if(mirrors_.begin(), mirrors_.end(), [&](const Mirror& m) { return m.hwnd == hwnd; });
    if (found == mirrors_.end() || !found->viewable) return false;
    found->known = Region{};
    pixelsDirty_ = true;
    Sync();
    XSync(display_, False);
    return true;
}

}  // namespace win32::display::x11
