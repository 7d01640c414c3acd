// Owner drawing of the items: measuring, and painting each item as its slice of one continuous
// submenu look (background colour or picture, side bar with a rotated caption, image column, caption
// or picture, shortcut, captioned dividers, selection), with the side bar kept in a cache.
//
// Each item is painted in submenu coordinates: (0, 0) is the top-left corner of the first item of its
// column, whatever margin the platform's menu window keeps around its items, so that the background
// and the side bar line up from item to item. A column that a break starts is laid out like a
// submenu of its own.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ribola/zylmenu.h"
#include "vcl/shortcuts.h"
#include "win32/fonts.h"
#include "win32/gdi.h"
#include "win32/menu.h"
#include "win32/user.h"

namespace ribola {

using namespace win32;
using vcl::TRect;

namespace {

// ---------------------------------------------------------------------------------------------
// Small drawing steps on a device context

bool IsEmptyArea(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

void FillArea(HDC dc, const RECT& r, TColor color) {
    if (IsEmptyArea(r)) return;
    HBRUSH brush = CreateSolidBrush(vcl::ColorToRGB(color));
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// A one-pixel line through the points; like every line, it leaves out its last point.
void Polyline1(HDC dc, std::initializer_list<POINT> points, TColor color) {
    HPEN pen = CreatePen(PS_SOLID, 1, vcl::ColorToRGB(color));
    HGDIOBJ old = SelectObject(dc, pen);
    const POINT* first = points.begin();
    MoveToEx(dc, first->x, first->y, nullptr);
    for (const POINT* p = first + 1; p != points.end(); ++p)
        LineTo(dc, p->x, p->y);
    SelectObject(dc, old);
    DeleteObject(pen);
}

Integer TextWidthOn(HDC dc, const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

Integer TextHeightOn(HDC dc, const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cy;
}

// Copies a picture as it is.
void CopyPicture(HDC dc, vcl::TBitmap* picture, Integer x, Integer y) {
    BitBlt(dc, x, y, picture->Width(), picture->Height(), picture->Canvas()->Handle(), 0, 0, SRCCOPY);
}

bool HasPicture(const vcl::TBitmap* picture) {
    return picture && picture->Width() > 0 && picture->Height() > 0;
}

// A 32-bit top-down DIB section in a memory DC whose logical origin is `area`'s top-left corner, so
// that drawing uses the coordinates of `area` and the pixels are at hand.
class Surface {
public:
    Surface(HDC compatible, const RECT& area) : area_(area) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = Width();
        info.bmiHeader.biHeight = -Height();
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* pixels = nullptr;
        bitmap_ = CreateDIBSection(compatible, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        dc_ = CreateCompatibleDC(compatible);
        if (!bitmap_ || !dc_ || !pixels) {
            Release();
            throw vcl::EOutOfResources("Cannot create a bitmap for a menu item");
        }
        bits_ = static_cast<uint32_t*>(pixels);
        old_ = SelectObject(dc_, bitmap_);
        SetWindowOrgEx(dc_, area.left, area.top, nullptr);
    }
    ~Surface() { Release(); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC Dc() const { return dc_; }
    Integer Width() const { return area_.right - area_.left; }
    Integer Height() const { return area_.bottom - area_.top; }
    // The pixels of row y (in the area's coordinates), from the area's left edge.
    uint32_t* Row(Integer y) const {
        return bits_ + static_cast<size_t>(y - area_.top) * static_cast<size_t>(Width());
    }
    const RECT& Area() const { return area_; }

private:
    void Release() {
        if (dc_ && old_) SelectObject(dc_, old_);
        if (dc_) DeleteDC(dc_);
        if (bitmap_) DeleteObject(bitmap_);
        dc_ = nullptr;
        bitmap_ = nullptr;
    }

    RECT area_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// Selects a font into a DC for a scope.
class FontScope {
public:
    FontScope(HDC dc, HFONT font) : dc_(dc), old_(SelectObject(dc, font)) {}
    ~FontScope() { SelectObject(dc_, old_); }
    FontScope(const FontScope&) = delete;
    FontScope& operator=(const FontScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// ---------------------------------------------------------------------------------------------
// Where an item's look comes from

// The look of the submenu made of `parent`'s children: a popup menu's first level follows
// PopupDetails from its first change on.
const TZylSubMenu& LookOf(const TZylMenuItem* parent) {
    if (!parent->Parent())
        if (auto* popup = dynamic_cast<const TZylPopupMenu*>(parent->Menu());
            popup && popup->PopupDetailsInUse())
            return *popup->PopupDetails();
    return *parent->SubMenuDetails();
}

bool ShowsBar(const TZylSubMenu& look) {
    return look.Enabled() && look.BarEnabled();
}

// How far down its column the item starts: the measured heights of the visible items above it,
// from the last one that starts a column.
Integer OffsetInColumn(const TZylMenuItem* item) {
    const TZylMenuItem* parent = item->Parent();
    Integer offset = 0;
    for (Integer i = 0; i < parent->Count(); ++i) {
        const TZylMenuItem* sibling = parent->Items(i);
        if (!sibling->Visible()) continue;
        if (sibling->Break() != mbNone) offset = 0;
        if (sibling == item) break;
        offset += sibling->MeasuredHeight();
    }
    return offset;
}

// ---------------------------------------------------------------------------------------------
// The side bar's cache: the whole bar of the submenu painted last, kept in memory so that every item
// after the first copies its slice. The cache is repainted when any setting that shows in it differs
// from those it was painted with; a change of a picture or of the gradient forgets it as well.

struct BarSettings {
    const TZylMenuItem* parent = nullptr;
    const TZylSubMenu* look = nullptr;
    Integer width = 0;
    Integer height = 0;
    COLORREF color = 0;
    bool gradient = false;
    COLORREF fadeTo = 0;
    Byte colorCount = 0;
    std::string caption;
    std::string fontName;
    Byte fontSize = 0;
    COLORREF fontColor = 0;
    Integer pixelsPerInch = 0;

    bool operator==(const BarSettings&) const = default;
};

struct BarCache {
    BarSettings settings;
    std::vector<uint32_t> pixels;  // settings.width x settings.height, top row first
};

BarCache& TheBarCache() {
    static BarCache cache;
    return cache;
}

BarSettings SettingsOf(const TZylMenuItem* parent, const TZylSubMenu& look, Integer height, HDC dc) {
    BarSettings s;
    s.parent = parent;
    s.look = &look;
    s.width = look.BarWidth();
    s.height = height;
    s.color = vcl::ColorToRGB(look.BarColor());
    s.gradient = look.BarAsGradient()->Active() && !HasPicture(look.BarBackground());
    s.fadeTo = vcl::ColorToRGB(look.BarAsGradient()->FadeToColor());
    s.colorCount = look.BarAsGradient()->ColorCount();
    s.caption = look.BarCaption();
    s.fontName = look.BarFontname();
    s.fontSize = look.BarFontSize();
    s.fontColor = vcl::ColorToRGB(look.BarFontColor());
    s.pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
    return s;
}

// The bar's caption, rotated to read upwards from two pixels above the bottom, in a bold font of
// the bar's face (Arial when that face cannot be rotated, not being TrueType).
void DrawBarCaption(HDC dc, const TZylSubMenu& look, Integer height, Integer pixelsPerInch) {
    const std::string& caption = look.BarCaption();
    if (caption.empty()) return;
    LOGFONT logFont{};
    logFont.lfHeight = -vcl::MulDiv(look.BarFontSize(), pixelsPerInch, 72);
    logFont.lfEscapement = 900;
    logFont.lfOrientation = 900;
    logFont.lfWeight = 700;
    auto setFace = [&logFont](const std::string& face) {
        const size_t length = std::min(face.size(), sizeof(logFont.lfFaceName) - 1);
        std::memset(logFont.lfFaceName, 0, sizeof(logFont.lfFaceName));
        std::memcpy(logFont.lfFaceName, face.data(), length);
    };
    setFace(look.BarFontname());
    HFONT font = CreateFontIndirect(&logFont);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRIC metrics{};
    GetTextMetrics(dc, &metrics);
    if (!(metrics.tmPitchAndFamily & TMPF_TRUETYPE)) {
        SelectObject(dc, old);
        DeleteObject(font);
        setFace("Arial");
        font = CreateFontIndirect(&logFont);
        old = SelectObject(dc, font);
    }
    SetTextColor(dc, vcl::ColorToRGB(look.BarFontColor()));
    SetBkMode(dc, TRANSPARENT);
    TextOut(dc, 0, height - 2, caption.data(), static_cast<int>(caption.size()));
    SelectObject(dc, old);
    DeleteObject(font);
}

// Paints the whole bar of a submenu: its picture tiled, or the gradient, or BarColor; then the caption.
void PaintBar(BarCache& cache, HDC compatible, const TZylSubMenu& look, const BarSettings& settings) {
    const RECT area{0, 0, settings.width, settings.height};
    Surface bar(compatible, area);
    const HDC dc = bar.Dc();
    SetBkColor(dc, settings.color);
    vcl::TBitmap* picture = look.BarBackground();
    if (HasPicture(picture)) {
        SetBkMode(dc, TRANSPARENT);
        const Integer width = picture->Width(), height = picture->Height();
        for (Integer row = 0; row <= settings.height / height; ++row)
            for (Integer column = 0; column <= settings.width / width; ++column)
                CopyPicture(dc, picture, column * width, row * height);
    } else if (settings.gradient) {
        look.BarAsGradient()->Draw(dc, settings.width, settings.height);
    } else {
        FillArea(dc, area, look.BarColor());
    }
    DrawBarCaption(dc, look, settings.height, settings.pixelsPerInch);
    cache.pixels.assign(bar.Row(0), bar.Row(0) + static_cast<size_t>(settings.width) * settings.height);
    cache.settings = settings;
}

// Copies the item's slice of the submenu's side bar (painting the bar first when the cache holds
// another) into the item's surface.
void DrawBar(const Surface& surface, TZylMenuItem* parent, const TZylSubMenu& look, const RECT& item,
             HDC itemDc) {
    if (!ShowsBar(look)) return;
    BarCache& cache = TheBarCache();
    try {
        // A submenu measured short (or not at all) still gets a bar down to this item.
        const Integer height = std::max(parent->GetSubSize().y, item.bottom);
        const BarSettings settings = SettingsOf(parent, look, height, itemDc);
        if (BarCacheOwner() != parent || !(cache.settings == settings)) {
            SetBarCacheOwner(nullptr);
            PaintBar(cache, surface.Dc(), look, settings);
            SetBarCacheOwner(parent);
        }
    } catch (const std::exception&) {
        throw vcl::Exception("Error drawing Menus");
    }
    const Integer width = std::min<Integer>(cache.settings.width, surface.Area().right - item.left);
    const Integer bottom = std::min<Integer>(item.bottom, cache.settings.height);
    if (width <= 0) return;
    for (Integer y = std::max<Integer>(item.top, 0); y < bottom; ++y)
        std::memcpy(surface.Row(y) + (item.left - surface.Area().left),
                    cache.pixels.data() + static_cast<size_t>(y) * cache.settings.width,
                    static_cast<size_t>(width) * sizeof(uint32_t));
}

bool TileVisible(Integer left, Integer top, Integer width, Integer height, Integer x1, Integer y1, Integer x2,
                 Integer y2) {
    return left + width > x1 && left < x2 && top + height > y1 && top < y2;
}

// The submenu's background in submenu coordinates, for the part (x1, y1)-(x2, y2) that one item shows.
void DrawBackground(vcl::TCanvas* canvas, const TZylMenuItem* parent, const TZylSubMenu& look, Integer x1,
                    Integer y1, Integer x2, Integer y2) {
    const HDC dc = canvas->Handle();
    const vcl::TPoint size = parent->GetSubSize();
    FillArea(dc, RECT{0, 0, size.x, size.y}, look.Color());
    vcl::TBitmap* picture = look.Background();
    if (!HasPicture(picture)) return;
    const Integer width = picture->Width(), height = picture->Height();
    auto draw = [&](Integer x, Integer y) {
        if (look.TransparentColor() == vcl::clNone)
            CopyPicture(dc, picture, x, y);
        else
            DrawTransparent(canvas, picture, x, look.TransparentColor(), y);
    };
    if (look.BackgroundType() == btCenter) {
        draw(size.x / 2 - width / 2, size.y / 2 - height / 2);
        return;
    }
    for (Integer column = 0; column <= size.x / width; ++column)
        for (Integer row = 0; row <= size.y / height; ++row)
            if (TileVisible(column * width, row * height, width, height, x1, y1, x2, y2))
                draw(column * width, row * height);
}

// The width of a submenu's shortcut column: every item measures it over all its siblings, so the
// answer is kept for as long as the submenu's shortcuts and the font stay the same.
struct ShortCutColumn {
    const TZylMenuItem* parent = nullptr;
    std::string fontName;
    Integer fontHeight = 0;
    vcl::TFontStyles fontStyle;
    std::vector<vcl::TShortCut> shortCuts;
    Integer width = 0;
};

Integer ShortCutColumnWidth(const TZylMenuItem* parent, const vcl::TFont* font,
                            const vcl::TextMeasure& measure) {
    static ShortCutColumn column;
    std::vector<vcl::TShortCut> shortCuts;
    shortCuts.reserve(static_cast<size_t>(parent->Count()));
    for (Integer i = 0; i < parent->Count(); ++i)
        shortCuts.push_back(parent->Items(i)->ShortCut());
    if (column.parent == parent && column.fontName == font->Name() && column.fontHeight == font->Height() &&
        column.fontStyle == font->Style() && column.shortCuts == shortCuts)
        return column.width;
    Integer width = 0;
    for (vcl::TShortCut shortCut : shortCuts)
        if (shortCut != 0) width = std::max(width, measure.Width(vcl::ShortCutToText(shortCut)));
    column = ShortCutColumn{parent, font->Name(), font->Height(), font->Style(), std::move(shortCuts), width};
    return width;
}

// The image an item shows for its state, -1 for none.
Integer ImageFor(const TZylMenuItem* item, bool disabled, bool checked) {
    if (disabled && item->DisabledImageIndex() > -1) return item->DisabledImageIndex();
    if (item->CheckedIndex() > -1 && checked) return item->CheckedIndex();
    return item->ImageIndex();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Unit routines

void DrawTransparent(vcl::TCanvas* canvas, vcl::TBitmap* bitmap, Integer x, TColor transparentColor,
                     Integer y) {
    if (!canvas || !HasPicture(bitmap)) return;
    vcl::TBitmap copy;
    copy.Assign(bitmap);
    vcl::TImageList list(nullptr);
    list.SetWidth(copy.Width());
    list.SetHeight(copy.Height());
    list.AddMasked(&copy, transparentColor);
    list.Draw(canvas, x, y, 0);
}

void DrawDisabledGlyph(vcl::TCanvas* canvas, Integer x, Integer y, vcl::TBitmap* bitmap) {
    if (!canvas || !HasPicture(bitmap)) return;
    // DSPDxax: the brush where the monochrome source is black, the destination where it is white.
    constexpr DWORD kBrushWhereBlack = 0x00E20746;
    const Integer width = bitmap->Width(), height = bitmap->Height();
    // The monochrome copy made on a black brush: the black pixels of the glyph become its white
    // ones, the pixels a white-source blit paints with the brush.
    vcl::TBitmap shape;
    shape.SetMonochrome(true);
    shape.SetSize(width, height);
    const HDC glyph = bitmap->Canvas()->Handle();
    const COLORREF ground = SetBkColor(glyph, RGB(0, 0, 0));
    BitBlt(shape.Canvas()->Handle(), 0, 0, width, height, glyph, 0, 0, SRCCOPY);
    SetBkColor(glyph, ground);
    canvas->FillRect(TRect{0, 0, width, height});
    const HDC dc = canvas->Handle();
    const HDC source = shape.Canvas()->Handle();
    for (auto [offset, color] : {std::pair{1, vcl::clBtnHighlight}, std::pair{0, vcl::clBtnShadow}}) {
        HBRUSH brush = CreateSolidBrush(vcl::ColorToRGB(color));
        HGDIOBJ old = SelectObject(dc, brush);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        BitBlt(dc, x + offset, y + offset, width, height, source, 0, 0, kBrushWhereBlack);
        SelectObject(dc, old);
        DeleteObject(brush);
    }
    // The canvas's own objects are selected again on its next call.
    canvas->Refresh();
}

// ---------------------------------------------------------------------------------------------
// TZylMenuGradient

void TZylMenuGradient::Draw(HDC dc, Integer width, Integer height) const {
    if (width <= 0 || height <= 0) return;
    const TColor barColor = subMenu_ ? subMenu_->BarColor() : vcl::clNavy;
    const RECT all{0, 0, width, height};
    Surface bands(dc, all);
    FillArea(bands.Dc(), all, barColor);
    const Integer count = colorCount_;
    if (count > 1) {
        const COLORREF from = vcl::ColorToRGB(barColor), to = vcl::ColorToRGB(fadeToColor_);
        const int start[] = {GetRValue(from), GetGValue(from), GetBValue(from)};
        const int delta[] = {GetRValue(to) - start[0], GetGValue(to) - start[1], GetBValue(to) - start[2]};
        const auto step = static_cast<Integer>(vcl::Round(static_cast<double>(height) / count));
        for (Integer i = 0; i < count; ++i) {
            int channel[3];
            for (int c = 0; c < 3; ++c) {
                channel[c] = (start[c] + vcl::MulDiv(i, delta[c], count - 1)) & 0xFF;
                if (channel[c] == 0) channel[c] = 1;
            }
            const Integer top = step * i + vcl::MulDiv(i, step, count);
            const Integer bandHeight =
                step * i + vcl::MulDiv(i + 2, step, count) - vcl::MulDiv(i, step, count);
            HBRUSH brush = CreateSolidBrush(RGB(channel[0], channel[1], channel[2]));
            const RECT band{0, top, width, top + bandHeight};
            if (!IsEmptyArea(band)) FillRect(bands.Dc(), &band, brush);
            DeleteObject(brush);
        }
    }
    BitBlt(dc, 0, 0, width, height, bands.Dc(), 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------------
// Measuring

void TZylMenuItem::MeasureMenuItem(vcl::TMessage& message) {
    auto* record = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
    const TZylMenu* menu = GetZylMenu();
    if (!record || !menu || !parent_) return;
    const std::string text = caption_.empty() ? std::string("W") : caption_;

    // The text is sized in all three fonts; the widest one measures the rest.
    Integer textWidth = 0, textHeight = 0;
    const vcl::TFont* widest = menu->MenuFont();
    for (const vcl::TFont* font : {menu->SelectedFont(), menu->DividerFont(), menu->MenuFont()}) {
        const vcl::TSize size = vcl::TextMeasure(font).Extent(text);
        if (size.cx > textWidth) {
            textWidth = size.cx;
            widest = font;
        }
        textHeight = std::max<Integer>(textHeight, size.cy);
    }
    const vcl::TextMeasure measure(widest);
    const Integer wWidth = measure.Width("W");
    const bool barItem = ValidateType();
    const TZylSubMenu& look = LookOf(parent_);
    const vcl::TCustomImageList* images = menu->Images();
    const bool picture = asBitmapItem_->HasBitmap();

    Integer left = ImageInMenuNoRoot() ? images->Width() + 4 : wWidth;
    if (ShowsBar(look)) left += look.BarWidth();
    Integer textPart = 0;
    if (picture)
        textPart = asBitmapItem_->Bitmap()->Width() + (barItem ? wWidth : 0);
    else
        textPart = measure.Width(barItem ? text : text + '\t');
    const Integer shortCutPart = barItem ? 0 : ShortCutColumnWidth(parent_, widest, measure);

    Integer width = barItem ? textWidth : left + textPart + shortCutPart;
    Integer height = picture ? asBitmapItem_->Bitmap()->Height() : textHeight;
    if (Count() > 0 && !barItem) width += measure.Width("\t");  // room for the submenu arrow
    if (HasImage() && images->Height() + 3 > height) height = images->Height() + 3;
    height = std::max<Integer>(height, GetSystemMetrics(SM_CYMENU));

    record->itemWidth = static_cast<UINT>(width + 2);
    record->itemHeight = static_cast<UINT>(height);
    measuredHeight_ = height;
    measuredWidth_ = wWidth + width + 2;
}

// ---------------------------------------------------------------------------------------------
// Painting

void TZylMenuItem::DrawMenuItem(vcl::TMessage& message) {
    auto* record = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
    TZylMenu* menu = GetZylMenu();
    if (!record || !menu || !parent_ || IsEmptyArea(record->rcItem)) return;
    const bool barItem = ValidateType();
    const TZylSubMenu& look = LookOf(parent_);
    const bool custom = look.Enabled();
    const bool selected = (record->itemState & ODS_SELECTED) != 0;
    // Greyed by someone else (the system menu's own update greys with MF_GRAYED alone) is disabled too.
    const bool disabled = (record->itemState & (ODS_DISABLED | ODS_GRAYED)) != 0;
    const bool checked = (record->itemState & ODS_CHECKED) != 0;
    vcl::TCustomImageList* images = menu->Images();

    // R: the item in submenu coordinates.
    const Integer width = record->rcItem.right - record->rcItem.left;
    const Integer height = record->rcItem.bottom - record->rcItem.top;
    const Integer top = barItem ? 0 : OffsetInColumn(this);
    const RECT r{0, top, width, top + height};
    Surface surface(record->hDC, r);
    const HDC dc = surface.Dc();
    vcl::TCanvas canvas;
    const vcl::TCanvasPaintScope scope(&canvas, dc);

    FillArea(dc, r, vcl::clMenu);

    // Columns: the bar, the image column C and the text T.
    RECT c = r, t = r;
    if (!barItem) {
        const Integer x = ShowsBar(look) ? r.left + look.BarWidth() + 1 : r.left;
        c.left = x;
        c.right = ImageInMenuNoRoot() ? c.left + images->Width() + 4 : x;
        t.left = c.right;
    }
    if (custom) DrawBackground(&canvas, parent_, look, c.right, r.top, r.right, r.bottom);

    const TColor ground = custom ? look.Color() : vcl::clMenu;
    vcl::TFont* font = selected ? menu->SelectedFont() : menu->MenuFont();
    if (selected && menu->SelectedColor() != vcl::clNone)
        FillArea(dc, t, menu->SelectedColor());
    else if (!custom)
        FillArea(dc, RECT{c.left, c.top, t.right, c.bottom}, ground);

    if (divider_) {
        // A line across, broken around the centred caption; "-" draws the line alone.
        SetBkMode(dc, TRANSPARENT);
        const FontScope dividerFont(dc, menu->DividerFont()->Handle());
        SetTextColor(dc, vcl::ColorToRGB(menu->DividerFont()->Color()));
        RECT d = HasImage() ? t : c;
        d.right = r.right;
        const Integer mx = d.left + (d.right - d.left) / 2, my = d.top + (d.bottom - d.top) / 2;
        const Integer w = TextWidthOn(dc, caption_), h = TextHeightOn(dc, "W");
        RECT g{mx - w / 2 - 1, my - h / 2 + 1, mx + w / 2 + 1, my + h / 2 + 1};
        const bool lineOnly = caption_ == vcl::cLineCaption;
        if (lineOnly) {
            g.left = d.right;
            g.right = d.left;
        }
        for (auto [dy, color] : {std::pair{0, vcl::clBtnShadow}, std::pair{1, vcl::clBtnHighlight}}) {
            Polyline1(dc, {POINT{d.left, my + dy}, POINT{g.left, my + dy}}, color);
            Polyline1(dc, {POINT{g.right, my + dy}, POINT{d.right, my + dy}}, color);
        }
        if (!lineOnly)
            DrawTextEx(dc, caption_.data(), static_cast<int>(caption_.size()), &g, DT_CENTER | DT_VCENTER,
                       nullptr);
        SetBkMode(dc, OPAQUE);
    }

    if (!divider_ || HasImage()) {
        if (!barItem && HasImage()) {
            const Integer ix = c.left + (c.right - c.left - images->Width()) / 2;
            const Integer iy = c.top + (c.bottom - c.top) / 2 - images->Height() / 2;
            const Integer index = ImageFor(this, disabled, checked);
            if (index >= 0 && index < images->Count()) {
                if (disabled && disabledImageIndex_ == -1) {
                    // The image as the framework hands it out: drawn on a white bitmap of its size.
                    vcl::TBitmap glyph;
                    glyph.SetSize(images->Width(), images->Height());
                    glyph.Canvas()->FillRect(TRect{0, 0, images->Width(), images->Height()});
                    images->Draw(glyph.Canvas(), 0, 0, index);
                    DrawDisabledGlyph(glyph.Canvas(), 0, 0, &glyph);
                    DrawTransparent(&canvas, &glyph, ix, glyph.Canvas()->Pixels(0, glyph.Height() - 1), iy);
                } else {
                    images->Draw(&canvas, ix, iy, index);
                }
                if (selected && !disabled) {
                    const Integer right = ix + images->Width() + 1, bottom = iy + images->Height() + 1;
                    Polyline1(dc, {POINT{right, iy - 1}, POINT{ix - 1, iy - 1}, POINT{ix - 1, bottom}},
                              vcl::clBtnHighlight);
                    Polyline1(dc, {POINT{ix - 1, bottom}, POINT{right, bottom}, POINT{right, iy - 1}},
                              vcl::clBtnShadow);
                }
            }
        }
    }

    if (!divider_) {
        TColor textColor = font->Color();
        if (disabled) textColor = vcl::clBtnShadow;
        if (barItem && !selected && !disabled) textColor = vcl::clMenuText;
        const FontScope textFont(dc, font->Handle());
        SetTextColor(dc, vcl::ColorToRGB(textColor));
        SetBkMode(dc, TRANSPARENT);
        const UINT state = disabled && !selected ? DSS_DISABLED : 0;
        const Integer wHeight = TextHeightOn(dc, "W");
        const Integer y = t.top + (t.bottom - t.top) / 2 - wHeight / 2;
        const bool picture = asBitmapItem_->HasBitmap();
        if (picture) {
            vcl::TBitmap* bitmap = asBitmapItem_->Bitmap();
            if (!disabled && asBitmapItem_->TransparentColor() != vcl::clNone)
                DrawTransparent(&canvas, bitmap, t.left, asBitmapItem_->TransparentColor(), t.top);
            else
                DrawState(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(bitmap->Handle()), 0, t.left, t.top,
                          0, 0, DST_BITMAP | state);
        }
        if (!picture || asBitmapItem_->CaptionOnTop()) {
            const Integer x =
                barItem ? t.left + (t.right - t.left - TextWidthOn(dc, caption_)) / 2 : t.left + 2;
            DrawState(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(caption_.c_str()),
                      static_cast<WPARAM>(caption_.size()), x, y, 0, 0, DST_PREFIXTEXT | state);
        }
        if (shortCut_ != 0 && !barItem) {
            const std::string shortCut = vcl::ShortCutToText(shortCut_);
            const Integer margin = TextWidthOn(dc, shortCut + "\tW");
            DrawState(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(shortCut.c_str()),
                      static_cast<WPARAM>(shortCut.size()), t.right - margin, y, 0, 0,
                      DST_PREFIXTEXT | state);
        }
    }

    if (selected && menu->SelectType() != selNormal) {
        const bool raised = menu->SelectType() == selRaised;
        const TColor light = raised ? vcl::clBtnHighlight : vcl::clBtnShadow;
        const TColor dark = raised ? vcl::clBtnShadow : vcl::clBtnHighlight;
        Polyline1(dc, {POINT{t.right - 1, t.top}, POINT{t.left, t.top}, POINT{t.left, t.bottom - 1}}, light);
        Polyline1(dc,
                  {POINT{t.left, t.bottom - 1}, POINT{t.right - 1, t.bottom - 1}, POINT{t.right - 1, t.top}},
                  dark);
    }

    if (!barItem) DrawBar(surface, parent_, look, r, record->hDC);

    BitBlt(record->hDC, record->rcItem.left, record->rcItem.top, width, height, dc, r.left, r.top, SRCCOPY);
}

}  // namespace ribola
