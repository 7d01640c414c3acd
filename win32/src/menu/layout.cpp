// Measuring and painting menus in the classic look: popup menus in their own windows, the bar in
// the window frame, owner-drawn entries through WM_MEASUREITEM / WM_DRAWITEM to the owner.
#include <algorithm>

#include "menu/menu_internal.h"
#include "user/user_internal.h"

namespace win32 {

namespace menu {

namespace {

constexpr int kAcceleratorGap = 16;
constexpr int kBarPadding = 6;  // each side of a bar entry's text
constexpr int kColumnGap = 4;   // between the columns of MFT_MENUBARBREAK

int CheckWidth() {
    return GetSystemMetrics(SM_CXMENUCHECK);
}
int ArrowWidth() {
    return GetSystemMetrics(SM_CXMENUCHECK) + 4;
}
int SeparatorHeight() {
    return GetSystemMetrics(SM_CYMENU) / 2;
}

SIZE BitmapSize(HBITMAP bitmap) {
    if (!bitmap) return SIZE{0, 0};
    if (IsSystemBitmap(bitmap)) return SIZE{GetSystemMetrics(SM_CXMENUSIZE), GetSystemMetrics(SM_CYMENUSIZE)};
    BITMAP info{};
    if (!GetObject(reinterpret_cast<HGDIOBJ>(bitmap), sizeof info, &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

SIZE TextSize(HDC dc, const std::string& text) {
    if (text.empty()) return SIZE{0, 0};
    RECT r{0, 0, 0, 0};
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_CALCRECT);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// Asks the owner once for the size of an owner-drawn entry.
void MeasureOwnerDrawn(Item& item, HWND owner, UINT defaultHeight) {
    if (item.measured) return;
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, item.id, 0, defaultHeight, item.data};
    if (owner) SendMessage(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    item.ownerWidth = measure.itemWidth;
    item.ownerHeight = measure.itemHeight;
    item.measured = true;
}

// Paints a glyph of DrawFrameControl(DFC_MENU) in any colour: the glyph is drawn in the menu text
// colour on a contrasting ground off screen and used as a mask.
void DrawGlyph(HDC dc, const RECT& r, UINT kind, COLORREF color) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const COLORREF ink = GetSysColor(COLOR_MENUTEXT);
    const COLORREF ground = ink ^ 0x00FFFFFF;
    HBRUSH brush = CreateSolidBrush(ground);
    RECT box{0, 0, width, height};
    FillRect(memory, &box, brush);
    DeleteObject(brush);
    DrawFrameControl(memory, &box, DFC_MENU, kind);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (GetPixel(memory, x, y) == ink) SetPixel(dc, r.left + x, r.top + y, color);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y, const RECT& clip, bool inverted) {
    if (!bitmap || bitmap == HBMMENU_CALLBACK) return;
    const SIZE size = BitmapSize(bitmap);
    if (IsSystemBitmap(bitmap)) {
        UINT kind = DFCS_CAPTIONCLOSE;
        const UINT_PTR value = HandleValue(bitmap);
        if (value == 2 || value == 9) kind = DFCS_CAPTIONRESTORE;
        if (value == 3 || value == 7 || value == 11) kind = DFCS_CAPTIONMIN;
        if (value == 10) kind = DFCS_CAPTIONMAX;
        if (value == 1) return;  // the window's icon: no icon is kept for menus
        RECT box{x, y, x + size.cx, y + size.cy};
        DrawFrameControl(dc, &box, DFC_CAPTION, kind | ((value == 6 || value == 7) ? DFCS_INACTIVE : 0));
        return;
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const int width = std::min<int>(size.cx, clip.right - x),
              height = std::min<int>(size.cy, clip.bottom - y);
    if (width > 0 && height > 0)
        BitBlt(dc, x, y, width, height, memory, 0, 0, inverted ? NOTSRCCOPY : SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

HBRUSH Ground(const Menu* m) {
    return m->background ? m->background : GetSysColorBrush(COLOR_MENU);
}

RECT Shifted(RECT r, POINT origin) {
    return RECT{r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y};
}

void DrawLabel(HDC dc, const std::string& text, RECT r, UINT format, bool disabled, bool selected,
               COLORREF color) {
    if (text.empty()) return;
    if (disabled && !selected) {
        // The etched look of greyed text: a light copy one pixel down and right.
        RECT shifted{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        DrawText(dc, text.c_str(), static_cast<int>(text.size()), &shifted, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else {
        SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : color);
    }
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
}

}  // namespace

Fonts::Fonts() {
    NONCLIENTMETRICS metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    normal = CreateFontIndirect(&metrics.lfMenuFont);
    LOGFONT heavy = metrics.lfMenuFont;
    heavy.lfWeight = 700;
    bold = CreateFontIndirect(&heavy);
}

Fonts::~Fonts() {
    DeleteObject(normal);
    DeleteObject(bold);
}

void SplitText(const std::string& text, std::string* label, std::string* accelerator) {
    const size_t tab = text.find('\t');
    *label = text.substr(0, tab);
    *accelerator = tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

unsigned char Mnemonic(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        if (text[i + 1] == '\t') return 0;
        auto c = static_cast<unsigned char>(text[i + 1]);
        return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
    }
    return 0;
}

void LayoutPopup(Menu* m, HWND owner) {
    Fonts fonts;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFont = SelectObject(dc, fonts.normal);
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    const int textHeight = std::max<int>(tm.tmHeight + 4, GetSystemMetrics(SM_CYMENU) - 2);

    // The check column widens for the widest entry bitmap shown beside the text.
    int checkColumn = CheckWidth();
    for (const Item& item : m->items)
        if (!(item.type & MFT_BITMAP) && item.bitmap)
            checkColumn = std::max<int>(checkColumn, BitmapSize(item.bitmap).cx);
    if (m->style & MNS_NOCHECK) checkColumn = 0;
    m->textOffset = checkColumn + 4;

    struct Column {
        size_t first = 0, end = 0;
        int label = 0, accelerator = 0, wide = 0, height = 0;
        bool barBreak = false;
    };
    std::vector<Column> columns;
    for (size_t i = 0; i < m->items.size(); ++i) {
        Item& item = m->items[i];
        if (columns.empty() || (i > 0 && (item.type & (MFT_MENUBREAK | MFT_MENUBARBREAK)))) {
            Column c;
            c.first = i;
            c.barBreak = i > 0 && (item.type & MFT_MENUBARBREAK);
            columns.push_back(c);
        }
        Column& c = columns.back();
        c.end = i + 1;
        int height = textHeight;
        if (item.IsOwnerDraw()) {
            MeasureOwnerDrawn(item, owner, static_cast<UINT>(textHeight));
            height = static_cast<int>(item.ownerHeight);
            c.wide = std::max(c.wide, static_cast<int>(item.ownerWidth) + CheckWidth());
        } else if (item.IsSeparator()) {
            height = SeparatorHeight();
        } else if (item.type & MFT_BITMAP) {
            const SIZE size = BitmapSize(item.bitmap);
            height = size.cy;
            c.wide = std::max(c.wide, m->textOffset + static_cast<int>(size.cx) + ArrowWidth());
        } else {
            std::string label, accelerator;
            SplitText(item.text, &label, &accelerator);
            SelectObject(dc, (item.state & MFS_DEFAULT) ? fonts.bold : fonts.normal);
            c.label = std::max<int>(c.label, TextSize(dc, label).cx);
            c.accelerator = std::max<int>(c.accelerator, TextSize(dc, accelerator).cx);
            if (item.bitmap) height = std::max<int>(height, BitmapSize(item.bitmap).cy + 2);
        }
        item.rect = RECT{0, c.height, 0, c.height + height};
        c.height += height;
    }
    int x = kPopupBorder, tallest = 0;
    for (Column& c : columns) {
        if (c.barBreak) x += kColumnGap;
        int width =
            m->textOffset + c.label + (c.accelerator ? kAcceleratorGap + c.accelerator : 0) + ArrowWidth();
        width = std::max(width, c.wide);
        for (size_t i = c.first; i < c.end; ++i) {
            RECT& r = m->items[i].rect;
            r = RECT{x, r.top + kPopupBorder, x + width, r.bottom + kPopupBorder};
        }
        x += width;
        tallest = std::max(tallest, c.height);
    }
    m->width = x + kPopupBorder;
    m->height = tallest + 2 * kPopupBorder;
    if (columns.empty()) m->width = m->height = 2 * kPopupBorder;
    if (m->maxHeight && static_cast<UINT>(m->height) > m->maxHeight)
        m->height = static_cast<int>(m->maxHeight);
    SelectObject(dc, oldFont);
    DeleteDC(dc);
}

int LayoutBar(Menu* m, HWND owner, int width) {
    Fonts fonts;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFont = SelectObject(dc, fonts.normal);
    const int height = GetSystemMetrics(SM_CYMENU);
    int x = 0;
    size_t rightFrom = m->items.size();
    for (size_t i = 0; i < m->items.size(); ++i) {
        Item& item = m->items[i];
        if ((item.type & MFT_RIGHTJUSTIFY) && rightFrom == m->items.size()) rightFrom = i;
        int itemWidth = 0;
        if (item.IsOwnerDraw()) {
            MeasureOwnerDrawn(item, owner, static_cast<UINT>(height));
            itemWidth = static_cast<int>(item.ownerWidth);
        } else if (item.IsSeparator()) {
            itemWidth = 0;
        } else if (item.type & MFT_BITMAP) {
            itemWidth = BitmapSize(item.bitmap).cx + 2;
        } else {
            std::string label, accelerator;
            SplitText(item.text, &label, &accelerator);
            SelectObject(dc, (item.state & MFS_DEFAULT) ? fonts.bold : fonts.normal);
            itemWidth = TextSize(dc, label).cx + 2 * kBarPadding;
            if (item.bitmap) itemWidth += BitmapSize(item.bitmap).cx + 2;
        }
        item.rect = RECT{x, 0, x + itemWidth, height};
        x += itemWidth;
    }
    // Entries from the first right-justified one on sit against the right edge.
    if (rightFrom < m->items.size()) {
        const int shift = std::max(0, width - x);
        for (size_t i = rightFrom; i < m->items.size(); ++i) {
            m->items[i].rect.left += shift;
            m->items[i].rect.right += shift;
        }
    }
    m->width = width;
    m->height = height;
    SelectObject(dc, oldFont);
    DeleteDC(dc);
    return height;
}

void DrawItem(HDC dc, Menu* m, int index, HWND owner, bool bar, UINT action, POINT origin) {
    if (index < 0 || static_cast<size_t>(index) >= m->items.size()) return;
    const Item& item = m->items[static_cast<size_t>(index)];
    const RECT r = Shifted(item.rect, origin);
    const bool selected = m->selected == index || (item.state & MFS_HILITE);
    const bool disabled = item.IsDisabled();
    Fonts fonts;
    HGDIOBJ oldFont = SelectObject(dc, (item.state & MFS_DEFAULT) ? fonts.bold : fonts.normal);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF textColor = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);

    if (item.IsOwnerDraw()) {
        SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : textColor);
        SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
        UINT state = 0;
        if (selected) state |= ODS_SELECTED;
        if (item.state & MF_GRAYED) state |= ODS_GRAYED;
        if (item.state & MF_DISABLED) state |= ODS_DISABLED;
        if (item.state & MFS_CHECKED) state |= ODS_CHECKED;
        if (item.state & MFS_DEFAULT) state |= ODS_DEFAULT;
        DRAWITEMSTRUCT draw{ODT_MENU, 0, item.id,  action, state, reinterpret_cast<HWND>(m->Handle()),
                            dc,       r, item.data};
        if (owner) SendMessage(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
        // Menus draw the submenu arrow of owner-drawn entries themselves.
        if (!bar && item.submenu && menu::Find(m->Handle())) {
            RECT arrow{r.right - ArrowWidth(), r.top, r.right - 2, r.bottom};
            DrawGlyph(dc, arrow, DFCS_MENUARROW, textColor);
        }
    } else if (item.IsSeparator()) {
        FillRect(dc, &r, Ground(m));
        if (!bar) {
            const int y = (r.top + r.bottom) / 2 - 1;
            RECT dark{r.left + 1, y, r.right - 1, y + 1}, light{r.left + 1, y + 1, r.right - 1, y + 2};
            FillRect(dc, &dark, GetSysColorBrush(COLOR_3DSHADOW));
            FillRect(dc, &light, GetSysColorBrush(COLOR_3DHILIGHT));
        }
    } else {
        if (selected)
            FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        else
            FillRect(dc, &r, Ground(m));
        int textLeft = bar ? r.left : r.left + m->textOffset;
        if (!bar && !(m->style & MNS_NOCHECK)) {
            const int size = CheckWidth();
            RECT check{r.left + 2, (r.top + r.bottom - size) / 2, r.left + 2 + size,
                       (r.top + r.bottom - size) / 2 + size};
            const HBITMAP own = (item.state & MFS_CHECKED) ? item.checkedBitmap : item.uncheckedBitmap;
            if (own) {
                DrawBitmap(dc, own, check.left, check.top, r, false);
            } else if (item.state & MFS_CHECKED) {
                DrawGlyph(dc, check, (item.type & MFT_RADIOCHECK) ? DFCS_MENUBULLET : DFCS_MENUCHECK,
                          disabled ? GetSysColor(COLOR_GRAYTEXT) : textColor);
            } else if (item.bitmap && !(item.type & MFT_BITMAP)) {
                const SIZE size2 = BitmapSize(item.bitmap);
                DrawBitmap(dc, item.bitmap, r.left + 2, (r.top + r.bottom - size2.cy) / 2, r, false);
            }
        } else if (bar && item.bitmap && !(item.type & MFT_BITMAP)) {
            const SIZE size = BitmapSize(item.bitmap);
            DrawBitmap(dc, item.bitmap, r.left + 1, (r.top + r.bottom - size.cy) / 2, r, false);
            textLeft += size.cx + 2;
        }
        if (item.type & MFT_BITMAP) {
            const SIZE size = BitmapSize(item.bitmap);
            DrawBitmap(dc, item.bitmap, bar ? r.left + 1 : textLeft, (r.top + r.bottom - size.cy) / 2, r,
                       selected);
        } else {
            std::string label, accelerator;
            SplitText(item.text, &label, &accelerator);
            const int right = bar ? r.right : r.right - ArrowWidth();
            RECT labelBox{textLeft, r.top, right, r.bottom};
            DrawLabel(dc, label, labelBox, DT_SINGLELINE | DT_VCENTER | (bar ? DT_CENTER : DT_LEFT), disabled,
                      selected, textColor);
            if (!bar && !accelerator.empty())
                DrawLabel(dc, accelerator, labelBox, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX,
                          disabled, selected, textColor);
        }
        if (!bar && item.submenu) {
            RECT arrow{r.right - ArrowWidth(), r.top, r.right - 2, r.bottom};
            DrawGlyph(dc, arrow, DFCS_MENUARROW, disabled ? GetSysColor(COLOR_GRAYTEXT) : textColor);
        }
    }
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

void DrawPopup(HDC dc, Menu* m, HWND owner) {
    RECT all{0, 0, m->width, m->height};
    FillRect(dc, &all, Ground(m));
    RECT edge = all;
    DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    const HMENU handle = m->Handle();
    for (size_t i = 0; i < m->items.size(); ++i) {
        Menu* still = menu::Find(handle);  // an owner may destroy the menu while drawing
        if (!still) return;
        if (i >= still->items.size()) break;
        const Item& item = still->items[i];
        if (i > 0 && (item.type & MFT_MENUBARBREAK)) {
            const int x = item.rect.left - kColumnGap / 2 - 1;
            RECT dark{x, kPopupBorder, x + 1, still->height - kPopupBorder},
                light{x + 1, kPopupBorder, x + 2, still->height - kPopupBorder};
            FillRect(dc, &dark, GetSysColorBrush(COLOR_3DSHADOW));
            FillRect(dc, &light, GetSysColorBrush(COLOR_3DHILIGHT));
        }
        DrawItem(dc, still, static_cast<int>(i), owner, false, ODA_DRAWENTIRE, POINT{0, 0});
    }
}

bool BarRect(HWND hwnd, RECT* bar) {
    user::Window* w = user::Find(hwnd);
    if (!w || w->IsChild() || !w->menu) return false;
    const user::Frame f = user::NonClientFrame(w->style & ~(WS_VSCROLL | WS_HSCROLL),
                                               w->exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), false);
    const RECT outer = user::ScreenRect(w);
    const int width = outer.right - outer.left;
    *bar = RECT{f.left, f.top, width - f.right, f.top + GetSystemMetrics(SM_CYMENU)};
    return bar->right > bar->left;
}

void DrawBar(HDC dc, HWND hwnd, const RECT& bar) {
    FillRect(dc, &bar, GetSysColorBrush(COLOR_MENU));
    Menu* m = menu::Find(GetMenu(hwnd));
    if (!m) return;
    m->barOwner = hwnd;
    LayoutBar(m, hwnd, bar.right - bar.left);
    const HMENU handle = m->Handle();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, bar.left, bar.top, bar.right, bar.bottom);
    for (size_t i = 0; i < m->items.size(); ++i) {
        Menu* still = menu::Find(handle);
        if (!still || i >= still->items.size()) break;
        DrawItem(dc, still, static_cast<int>(i), hwnd, true, ODA_DRAWENTIRE, POINT{bar.left, bar.top});
    }
    RestoreDC(dc, saved);
}

void RepaintBar(HWND hwnd) {
    RECT bar{};
    if (!BarRect(hwnd, &bar) || !IsWindowVisible(hwnd)) return;
    HDC dc = GetWindowDC(hwnd);
    if (!dc) return;
    DrawBar(dc, hwnd, bar);
    ReleaseDC(hwnd, dc);
}

}  // namespace menu

}  // namespace win32
