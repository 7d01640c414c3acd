// The tree view control: items by handle, lazy layout of the visible rows, painting in the
// classic look, mouse, keyboard, scrolling and one-line label editing.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "ascii.h"
#include "commctrl/commctrl_internal.h"
#include "win32/commctrl.h"
#include "win32/gdi.h"
#include "win32/messages.h"
#include "win32/user.h"
#include "win32/utf8.h"
#include "win32/virtualkeys.h"

namespace win32 {

struct TREEITEM {
    TREEITEM* parent = nullptr;
    std::vector<std::unique_ptr<TREEITEM>> children;
    std::string text;
    int image = 0;
    int selectedImage = 0;
    UINT state = 0;
    int childrenFlag = 0;  // cChildren: 1 shows a button before any child exists
    LPARAM param = 0;
};

namespace treeview {
namespace {

constexpr LRESULT kWantArrows = 0x0001;
constexpr LRESULT kWantAllKeys = 0x0004;
constexpr LRESULT kWantChars = 0x0080;
constexpr UINT_PTR kEditTimer = 0x7E01;
constexpr int kButtonSize = 9;
constexpr int kLabelPadding = 2;

// Labels sort and match without regard to ASCII letter case.
bool LabelLess(const std::string& a, const std::string& b) {
    return ascii::Lower(a) < ascii::Lower(b);
}

char FoldedLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
}

struct Row {
    TREEITEM* item;
    int depth;
};

struct Tree {
    HWND window = nullptr;
    TREEITEM root;
    std::unordered_set<const TREEITEM*> live;
    TREEITEM* caret = nullptr;
    TREEITEM* dropHilite = nullptr;
    HIMAGELIST images = nullptr;
    HFONT font = nullptr;
    int indent = 19;
    int itemHeight = 0;  // 0: from the font and the images
    int top = 0;         // first visible row
    bool focused = false;
    bool rowsDirty = true;
    std::vector<Row> rows;
    // Label editing
    TREEITEM* editing = nullptr;
    std::string editText;
    // The whole label is selected when editing starts: the first key replaces or clears it.
    bool editAllSelected = false;
    TREEITEM* editPending = nullptr;  // a click on the selected label waits for the timer
    // Dragging
    TREEITEM* pressed = nullptr;
    POINT pressPoint{};
    bool dragSent = false;
};

std::unordered_map<HWND, std::unique_ptr<Tree>>& Trees() {
    static std::unordered_map<HWND, std::unique_ptr<Tree>> trees;
    return trees;
}

Tree* Find(HWND window) {
    auto it = Trees().find(window);
    return it == Trees().end() ? nullptr : it->second.get();
}

DWORD Style(const Tree& t) {
    return static_cast<DWORD>(GetWindowLongPtr(t.window, GWL_STYLE));
}

bool Valid(const Tree& t, HTREEITEM item) {
    return item && t.live.contains(item);
}

bool HasButton(const TREEITEM* item) {
    return !item->children.empty() || item->childrenFlag != 0;
}

// Every ancestor expanded.
bool IsShown(const TREEITEM* item) {
    for (const TREEITEM* p = item->parent; p && p->parent; p = p->parent)
        if (!(p->state & TVIS_EXPANDED)) return false;
    return true;
}

void CollectRows(TREEITEM& parent, int depth, std::vector<Row>& rows) {
    for (auto& child : parent.children) {
        rows.push_back({child.get(), depth});
        if (child->state & TVIS_EXPANDED) CollectRows(*child, depth + 1, rows);
    }
}

int ItemHeight(const Tree& t) {
    if (t.itemHeight > 0) return t.itemHeight;
    HDC dc = GetDC(t.window);
    HGDIOBJ old = SelectObject(dc, t.font ? t.font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRIC metrics{};
    GetTextMetrics(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(t.window, dc);
    int height = metrics.tmHeight + 3;
    int cx = 0, cy = 0;
    if (t.images && ImageList_GetIconSize(t.images, &cx, &cy)) height = std::max(height, cy);
    // Even, so that the dotted lines of one row meet those of the next.
    return height + (height & 1);
}

int VisibleRowCount(const Tree& t) {
    RECT client{};
    GetClientRect(t.window, &client);
    return std::max(1, static_cast<int>(client.bottom) / ItemHeight(t));
}

void UpdateScrollBar(Tree& t) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = static_cast<int>(t.rows.size()) - 1;
    info.nPage = static_cast<UINT>(VisibleRowCount(t));
    info.nPos = t.top;
    SetScrollInfo(t.window, SB_VERT, &info, TRUE);
}

const std::vector<Row>& Rows(Tree& t) {
    if (t.rowsDirty) {
        t.rowsDirty = false;
        t.rows.clear();
        CollectRows(t.root, 0, t.rows);
        const int maxTop = std::max(0, static_cast<int>(t.rows.size()) - VisibleRowCount(t));
        t.top = std::clamp(t.top, 0, maxTop);
        UpdateScrollBar(t);
    }
    return t.rows;
}

void Changed(Tree& t) {
    t.rowsDirty = true;
    InvalidateRect(t.window, nullptr, TRUE);
}

int RowOf(Tree& t, const TREEITEM* item) {
    const auto& rows = Rows(t);
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].item == item) return static_cast<int>(i);
    return -1;
}

// The room of one level's lines and buttons before the item's content.
int ContentLeft(const Tree& t, int depth) {
    const DWORD style = Style(t);
    const bool rootColumn = (style & TVS_LINESATROOT) && (style & (TVS_HASLINES | TVS_HASBUTTONS));
    return (depth + (rootColumn ? 1 : 0)) * t.indent;
}

int ImageWidth(const Tree& t) {
    int cx = 0, cy = 0;
    if (t.images && ImageList_GetIconSize(t.images, &cx, &cy)) return cx + 1;
    return 0;
}

int TextWidth(const Tree& t, const std::string& text) {
    HDC dc = GetDC(t.window);
    HGDIOBJ old = SelectObject(dc, t.font ? t.font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    GetTextExtentPoint32(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(t.window, dc);
    return size.cx;
}

RECT LabelRect(const Tree& t, const Row& row, int rowTop, int height) {
    const int left = ContentLeft(t, row.depth) + ImageWidth(t);
    const std::string& text = t.editing == row.item ? t.editText : row.item->text;
    return RECT{left, rowTop, left + TextWidth(t, text) + 2 * kLabelPadding, rowTop + height};
}

// ---------------------------------------------------------------------------------------------
// Notifications

LRESULT Notify(Tree& t, NMHDR& header, UINT code) {
    header.hwndFrom = t.window;
    header.idFrom = static_cast<UINT_PTR>(GetWindowLongPtr(t.window, GWL_ID));
    header.code = code;
    return SendMessage(GetParent(t.window), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void Describe(const TREEITEM* item, TVITEM& out) {
    out.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    if (!item) return;
    out.hItem = const_cast<TREEITEM*>(item);
    out.lParam = item->param;
    out.state = item->state;
    out.pszText = const_cast<char*>(item->text.c_str());
    out.iImage = item->image;
    out.iSelectedImage = item->selectedImage;
}

LRESULT NotifyTree(Tree& t, UINT code, UINT action, const TREEITEM* oldItem, const TREEITEM* newItem,
                   POINT point = {}) {
    NMTREEVIEW info{};
    info.action = action;
    Describe(oldItem, info.itemOld);
    Describe(newItem, info.itemNew);
    info.ptDrag = point;
    return Notify(t, info.hdr, code);
}

// ---------------------------------------------------------------------------------------------
// Items

void Unlink(Tree& t, TREEITEM* item, bool notify);

void DeleteChildren(Tree& t, TREEITEM* item, bool notify) {
    while (!item->children.empty()) {
        TREEITEM* last = item->children.back().get();
        Unlink(t, last, notify);
    }
}

// Removes the item with its subtree, telling the parent about each one first.
void Unlink(Tree& t, TREEITEM* item, bool notify) {
    if (t.editing == item) t.editing = nullptr;
    DeleteChildren(t, item, notify);
    if (notify) {
        NotifyTree(t, TVN_DELETEITEM, 0, item, nullptr);
        // The parent may have deleted the item itself, or the whole tree, while being told.
        if (!Find(t.window) || !t.live.contains(item)) return;
    }
    t.live.erase(item);
    if (t.caret == item) t.caret = nullptr;
    if (t.dropHilite == item) t.dropHilite = nullptr;
    if (t.pressed == item) t.pressed = nullptr;
    if (t.editPending == item) t.editPending = nullptr;
    auto& siblings = item->parent->children;
    auto it = std::find_if(siblings.begin(), siblings.end(), [&](const auto& c) { return c.get() == item; });
    if (it != siblings.end()) siblings.erase(it);
}

void ApplyItem(TREEITEM& target, const TVITEM& source) {
    if (source.mask & TVIF_TEXT) target.text = source.pszText ? source.pszText : "";
    if (source.mask & TVIF_IMAGE) target.image = source.iImage;
    if (source.mask & TVIF_SELECTEDIMAGE) target.selectedImage = source.iSelectedImage;
    if (source.mask & TVIF_PARAM) target.param = source.lParam;
    if (source.mask & TVIF_CHILDREN) target.childrenFlag = source.cChildren;
    if (source.mask & TVIF_STATE) {
        // Selection belongs to the caret; TVM_SELECTITEM moves it.
        const UINT writable = source.stateMask & ~TVIS_SELECTED;
        target.state = (target.state & ~writable) | (source.state & writable);
    }
}

HTREEITEM Insert(Tree& t, const TVINSERTSTRUCT& insert) {
    TREEITEM* parent = &t.root;
    if (insert.hParent && insert.hParent != TVI_ROOT) {
        if (!Valid(t, insert.hParent)) return nullptr;
        parent = insert.hParent;
    }
    auto item = std::make_unique<TREEITEM>();
    item->parent = parent;
    ApplyItem(*item, insert.item);
    TREEITEM* raw = item.get();
    auto& siblings = parent->children;
    auto at = siblings.end();
    if (insert.hInsertAfter == TVI_FIRST) {
        at = siblings.begin();
    } else if (insert.hInsertAfter == TVI_SORT) {
        at = std::find_if(siblings.begin(), siblings.end(),
                          [&](const auto& c) { return LabelLess(raw->text, c->text); });
    } else if (insert.hInsertAfter && insert.hInsertAfter != TVI_LAST) {
        auto after = std::find_if(siblings.begin(), siblings.end(),
                                  [&](const auto& c) { return c.get() == insert.hInsertAfter; });
        if (after != siblings.end()) at = after + 1;
    }
    siblings.insert(at, std::move(item));
    t.live.insert(raw);
    if (IsShown(raw)) Changed(t);
    return raw;
}

bool Select(Tree& t, TREEITEM* item, UINT action);

bool Expand(Tree& t, TREEITEM* item, UINT code, bool notify) {
    const bool expanded = item->state & TVIS_EXPANDED;
    UINT action = code & 0x0003;
    if (action == TVE_TOGGLE) action = expanded ? TVE_COLLAPSE : TVE_EXPAND;
    if (action == TVE_EXPAND && expanded) return true;
    if (action == TVE_COLLAPSE && !expanded && !(code & TVE_COLLAPSERESET)) return true;
    if (action != TVE_EXPAND && action != TVE_COLLAPSE) return false;
    if (notify) {
        if (NotifyTree(t, TVN_ITEMEXPANDING, action, nullptr, item) != 0) return false;
        if (!Find(t.window) || !t.live.contains(item)) return false;
    }
    if (action == TVE_EXPAND) {
        item->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
    } else {
        item->state &= ~TVIS_EXPANDED;
        if (code & TVE_COLLAPSERESET) {
            item->state &= ~TVIS_EXPANDEDONCE;
            DeleteChildren(t, item, true);
        }
    }
    Changed(t);
    if (action == TVE_COLLAPSE) {
        // The caret never stays hidden under a collapsed parent.
        for (TREEITEM* p = t.caret ? t.caret->parent : nullptr; p; p = p->parent)
            if (p == item) {
                Select(t, item, TVC_UNKNOWN);
                break;
            }
        if (!Find(t.window) || !t.live.contains(item)) return true;
    }
    if (notify && Find(t.window) && t.live.contains(item))
        NotifyTree(t, TVN_ITEMEXPANDED, action, nullptr, item);
    return true;
}

void EnsureVisible(Tree& t, TREEITEM* item) {
    for (TREEITEM* p = item->parent; p && p->parent; p = p->parent)
        if (!(p->state & TVIS_EXPANDED)) {
            p->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
            t.rowsDirty = true;
        }
    const int row = RowOf(t, item);
    if (row < 0) return;
    const int visible = VisibleRowCount(t);
    if (row < t.top)
        t.top = row;
    else if (row >= t.top + visible)
        t.top = row - visible + 1;
    UpdateScrollBar(t);
    InvalidateRect(t.window, nullptr, TRUE);
}

bool Select(Tree& t, TREEITEM* item, UINT action) {
    if (item == t.caret) {
        if (item) EnsureVisible(t, item);
        return true;
    }
    TREEITEM* old = t.caret;
    if (NotifyTree(t, TVN_SELCHANGING, action, old, item) != 0) return false;
    if (!Find(t.window) || (item && !t.live.contains(item))) return false;
    if (t.caret && t.live.contains(t.caret)) t.caret->state &= ~TVIS_SELECTED;
    t.caret = item;
    if (item) {
        item->state |= TVIS_SELECTED;
        EnsureVisible(t, item);
    }
    InvalidateRect(t.window, nullptr, TRUE);
    NotifyTree(t, TVN_SELCHANGED, action, old && t.live.contains(old) ? old : nullptr, item);
    return true;
}

TREEITEM* NextItem(Tree& t, TREEITEM* item, UINT code) {
    auto sibling = [](TREEITEM* of, int step) -> TREEITEM* {
        auto& siblings = of->parent->children;
        for (size_t i = 0; i < siblings.size(); ++i)
            if (siblings[i].get() == of) {
                const auto next = static_cast<long>(i) + step;
                return next >= 0 && next < static_cast<long>(siblings.size()) ? siblings[next].get()
                                                                              : nullptr;
            }
        return nullptr;
    };
    auto visibleStep = [&](TREEITEM* of, int step) -> TREEITEM* {
        const int row = RowOf(t, of);
        if (row < 0) return nullptr;
        const int next = row + step;
        const auto& rows = Rows(t);
        return next >= 0 && next < static_cast<int>(rows.size()) ? rows[next].item : nullptr;
    };
    switch (code) {
        case TVGN_ROOT:
            return t.root.children.empty() ? nullptr : t.root.children.front().get();
        case TVGN_CARET:
            return t.caret;
        case TVGN_DROPHILITE:
            return t.dropHilite;
        case TVGN_FIRSTVISIBLE: {
            const auto& rows = Rows(t);
            return t.top < static_cast<int>(rows.size()) ? rows[t.top].item : nullptr;
        }
        case TVGN_LASTVISIBLE: {
            const auto& rows = Rows(t);
            return rows.empty() ? nullptr : rows.back().item;
        }
        default:
            break;
    }
    if (!Valid(t, item)) return nullptr;
    switch (code) {
        case TVGN_NEXT:
            return sibling(item, 1);
        case TVGN_PREVIOUS:
            return sibling(item, -1);
        case TVGN_PARENT:
            return item->parent == &t.root ? nullptr : item->parent;
        case TVGN_CHILD:
            return item->children.empty() ? nullptr : item->children.front().get();
        case TVGN_NEXTVISIBLE:
            return visibleStep(item, 1);
        case TVGN_PREVIOUSVISIBLE:
            return visibleStep(item, -1);
        default:
            return nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// Geometry and hit testing

TREEITEM* HitTest(Tree& t, POINT p, UINT& flags) {
    RECT client{};
    GetClientRect(t.window, &client);
    flags = 0;
    if (p.y < 0) flags |= TVHT_ABOVE;
    if (p.y >= client.bottom) flags |= TVHT_BELOW;
    if (p.x < 0) flags |= TVHT_TOLEFT;
    if (p.x >= client.right) flags |= TVHT_TORIGHT;
    if (flags) return nullptr;
    const int height = ItemHeight(t);
    const auto& rows = Rows(t);
    const int index = t.top + p.y / height;
    if (index >= static_cast<int>(rows.size())) {
        flags = TVHT_NOWHERE;
        return nullptr;
    }
    const Row& row = rows[index];
    const int rowTop = (index - t.top) * height;
    const int content = ContentLeft(t, row.depth);
    const RECT label = LabelRect(t, row, rowTop, height);
    if (p.x >= label.right)
        flags = TVHT_ONITEMRIGHT;
    else if (p.x >= label.left)
        flags = TVHT_ONITEMLABEL;
    else if (p.x >= content)
        flags = TVHT_ONITEMICON;
    else if ((Style(t) & TVS_HASBUTTONS) && HasButton(row.item) && p.x >= content - t.indent &&
             (row.depth > 0 || (Style(t) & TVS_LINESATROOT)))
        flags = TVHT_ONITEMBUTTON;
    else
        flags = TVHT_ONITEMINDENT;
    return row.item;
}

BOOL ItemRect(Tree& t, TREEITEM* item, BOOL textOnly, RECT* out) {
    const int row = RowOf(t, item);
    if (row < 0) return FALSE;
    const int height = ItemHeight(t);
    const int rowTop = (row - t.top) * height;
    if (textOnly) {
        *out = LabelRect(t, Rows(t)[row], rowTop, height);
    } else {
        RECT client{};
        GetClientRect(t.window, &client);
        *out = RECT{0, rowTop, client.right, rowTop + height};
    }
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Painting

void DottedVertical(HDC dc, int x, int y0, int y1, COLORREF color) {
    for (int y = y0; y < y1; ++y)
        if (((x + y) & 1) == 0) SetPixelV(dc, x, y, color);
}

void DottedHorizontal(HDC dc, int x0, int x1, int y, COLORREF color) {
    for (int x = x0; x < x1; ++x)
        if (((x + y) & 1) == 0) SetPixelV(dc, x, y, color);
}

void FillColor(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void DrawButton(HDC dc, int centerX, int centerY, bool expanded) {
    const int half = kButtonSize / 2;
    const RECT box{centerX - half, centerY - half, centerX + half + 1, centerY + half + 1};
    FillColor(dc, box, GetSysColor(COLOR_WINDOW));
    HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
    FrameRect(dc, &box, frame);
    DeleteObject(frame);
    const COLORREF sign = GetSysColor(COLOR_WINDOWTEXT);
    for (int x = centerX - 2; x <= centerX + 2; ++x)
        SetPixelV(dc, x, centerY, sign);
    if (!expanded)
        for (int y = centerY - 2; y <= centerY + 2; ++y)
            SetPixelV(dc, centerX, y, sign);
}

bool HasNextSibling(const TREEITEM* item) {
    return item->parent->children.back().get() != item;
}

void PaintLines(Tree& t, HDC dc, const Row& row, int rowTop, int height) {
    const DWORD style = Style(t);
    const bool rootColumn = style & TVS_LINESATROOT;
    const int content = ContentLeft(t, row.depth);
    const int centerX = content - t.indent / 2 - 1;
    const int centerY = rowTop + height / 2;
    const COLORREF color = GetSysColor(COLOR_BTNSHADOW);
    if ((style & TVS_HASLINES) && (row.depth > 0 || rootColumn)) {
        DottedHorizontal(dc, centerX, content, centerY, color);
        const bool above = row.depth > 0 || row.item->parent->children.front().get() != row.item;
        DottedVertical(dc, centerX, above ? rowTop : centerY,
                       HasNextSibling(row.item) ? rowTop + height : centerY + 1, color);
        // The lines of the ancestors that continue below this row.
        int level = row.depth - 1;
        for (const TREEITEM* a = row.item->parent; a && a->parent; a = a->parent, --level) {
            if (level < 0 && !rootColumn) break;
            if (HasNextSibling(a))
                DottedVertical(dc, ContentLeft(t, level) - t.indent / 2 - 1, rowTop, rowTop + height, color);
        }
    }
    if ((style & TVS_HASBUTTONS) && HasButton(row.item) && (row.depth > 0 || rootColumn))
        DrawButton(dc, centerX, centerY, row.item->state & TVIS_EXPANDED);
}

void PaintRow(Tree& t, HDC dc, const Row& row, int rowTop, int height) {
    PaintLines(t, dc, row, rowTop, height);
    const TREEITEM* item = row.item;
    const bool selected = (item == t.caret && t.dropHilite == nullptr) || item == t.dropHilite ||
                          (item->state & TVIS_DROPHILITED);
    const int content = ContentLeft(t, row.depth);
    if (t.images) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(t.images, &cx, &cy);
        const int image = item == t.caret ? item->selectedImage : item->image;
        if (image >= 0)
            ImageList_Draw(t.images, image, dc, content, rowTop + (height - cy) / 2,
                           (item->state & TVIS_CUT) ? ILD_SELECTED : ILD_TRANSPARENT);
    }
    const RECT label = LabelRect(t, row, rowTop, height);
    if (t.editing == item) {
        FillColor(dc, label, GetSysColor(COLOR_WINDOW));
        HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_WINDOWTEXT));
        FrameRect(dc, &label, frame);
        DeleteObject(frame);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkMode(dc, TRANSPARENT);
        RECT text = label;
        text.left += kLabelPadding;
        if (t.editAllSelected && !t.editText.empty()) {
            SIZE extent{};
            GetTextExtentPoint32(dc, t.editText.data(), static_cast<int>(t.editText.size()), &extent);
            RECT selection{text.left, label.top + 2, std::min(text.left + extent.cx, label.right - 1),
                           label.bottom - 2};
            FillColor(dc, selection, GetSysColor(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        }
        DrawText(dc, t.editText.data(), static_cast<int>(t.editText.size()), &text,
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        const int caretX = label.right - kLabelPadding;
        for (int y = label.top + 2; y < label.bottom - 2; ++y)
            SetPixelV(dc, caretX, y, GetSysColor(COLOR_WINDOWTEXT));
        return;
    }
    COLORREF textColor = GetSysColor(COLOR_WINDOWTEXT);
    const bool active = t.focused || item == t.dropHilite || (item->state & TVIS_DROPHILITED);
    if (selected && active) {
        FillColor(dc, label, GetSysColor(COLOR_HIGHLIGHT));
        textColor = GetSysColor(COLOR_HIGHLIGHTTEXT);
    } else if (selected && (Style(t) & TVS_SHOWSELALWAYS)) {
        FillColor(dc, label, GetSysColor(COLOR_BTNFACE));
    }
    SetTextColor(dc, textColor);
    SetBkMode(dc, TRANSPARENT);
    RECT text = label;
    text.left += kLabelPadding;
    DrawText(dc, item->text.data(), static_cast<int>(item->text.size()), &text,
             DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (item == t.caret && t.focused && !t.dropHilite) DrawFocusRect(dc, &label);
}

void Paint(Tree& t, HDC dc) {
    RECT client{};
    GetClientRect(t.window, &client);
    FillColor(dc, client, GetSysColor(COLOR_WINDOW));
    HGDIOBJ oldFont = SelectObject(dc, t.font ? t.font : GetStockObject(DEFAULT_GUI_FONT));
    const int height = ItemHeight(t);
    const auto& rows = Rows(t);
    for (int index = t.top; index < static_cast<int>(rows.size()); ++index) {
        const int rowTop = (index - t.top) * height;
        if (rowTop >= client.bottom) break;
        PaintRow(t, dc, rows[index], rowTop, height);
    }
    SelectObject(dc, oldFont);
}

// ---------------------------------------------------------------------------------------------
// Scrolling

void ScrollTo(Tree& t, int top) {
    const int count = static_cast<int>(Rows(t).size());
    top = std::clamp(top, 0, std::max(0, count - VisibleRowCount(t)));
    if (top == t.top) return;
    t.top = top;
    UpdateScrollBar(t);
    InvalidateRect(t.window, nullptr, TRUE);
}

void VerticalScroll(Tree& t, WORD request) {
    const int page = VisibleRowCount(t);
    switch (request) {
        case SB_LINEUP:
            ScrollTo(t, t.top - 1);
            break;
        case SB_LINEDOWN:
            ScrollTo(t, t.top + 1);
            break;
        case SB_PAGEUP:
            ScrollTo(t, t.top - page);
            break;
        case SB_PAGEDOWN:
            ScrollTo(t, t.top + page);
            break;
        case SB_TOP:
            ScrollTo(t, 0);
            break;
        case SB_BOTTOM:
            ScrollTo(t, static_cast<int>(Rows(t).size()));
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO info{};
            info.cbSize = sizeof info;
            info.fMask = SIF_TRACKPOS;
            GetScrollInfo(t.window, SB_VERT, &info);
            ScrollTo(t, info.nTrackPos);
            break;
        }
        default:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// Label editing

void EndEdit(Tree& t, bool cancel) {
    TREEITEM* item = t.editing;
    if (!item) return;
    std::string text = t.editText;
    t.editing = nullptr;
    InvalidateRect(t.window, nullptr, TRUE);
    NMTVDISPINFO info{};
    Describe(item, info.item);
    info.item.pszText = cancel ? nullptr : text.data();
    info.item.cchTextMax = static_cast<int>(text.size()) + 1;
    const LRESULT accepted = Notify(t, info.hdr, TVN_ENDLABELEDIT);
    if (!cancel && accepted && Find(t.window) && t.live.contains(item)) {
        item->text = text;
        InvalidateRect(t.window, nullptr, TRUE);
    }
}

HWND BeginEdit(Tree& t, TREEITEM* item) {
    if (!Valid(t, item)) return nullptr;
    if (t.editing) EndEdit(t, false);
    if (!Find(t.window) || !t.live.contains(item)) return nullptr;
    NMTVDISPINFO info{};
    Describe(item, info.item);
    if (Notify(t, info.hdr, TVN_BEGINLABELEDIT) != 0) return nullptr;
    if (!Find(t.window) || !t.live.contains(item)) return nullptr;
    EnsureVisible(t, item);
    t.editing = item;
    t.editText = item->text;
    t.editAllSelected = true;
    InvalidateRect(t.window, nullptr, TRUE);
    // The tree is its own editor.
    return t.window;
}

// ---------------------------------------------------------------------------------------------
// Input

void MoveCaret(Tree& t, TREEITEM* item) {
    if (item) Select(t, item, TVC_BYKEYBOARD);
}

void KeyDown(Tree& t, WPARAM key) {
    if (t.editing) {
        if (key == VK_RETURN)
            EndEdit(t, false);
        else if (key == VK_ESCAPE)
            EndEdit(t, true);
        else if ((key == VK_BACK || key == VK_DELETE) && std::exchange(t.editAllSelected, false)) {
            t.editText.clear();
            InvalidateRect(t.window, nullptr, TRUE);
        } else if (key == VK_END || key == VK_RIGHT || key == VK_HOME || key == VK_LEFT) {
            // The caret stays at the end; the selection goes.
            t.editAllSelected = false;
            InvalidateRect(t.window, nullptr, TRUE);
        } else if (key == VK_BACK && !t.editText.empty()) {
            // Back over one whole UTF-8 sequence.
            size_t end = t.editText.size() - 1;
            while (end > 0 && (static_cast<unsigned char>(t.editText[end]) & 0xC0) == 0x80)
                --end;
            t.editText.erase(end);
            InvalidateRect(t.window, nullptr, TRUE);
        }
        return;
    }
    NMTVKEYDOWN info{};
    info.wVKey = static_cast<WORD>(key);
    Notify(t, info.hdr, TVN_KEYDOWN);
    if (!Find(t.window)) return;
    const auto& rows = Rows(t);
    if (rows.empty()) return;
    TREEITEM* caret = t.caret;
    const int row = caret ? RowOf(t, caret) : -1;
    const int page = VisibleRowCount(t);
    auto rowItem = [&](int index) {
        return Rows(t)[std::clamp(index, 0, static_cast<int>(Rows(t).size()) - 1)].item;
    };
    switch (key) {
        case VK_UP:
            MoveCaret(t, row < 0 ? rowItem(0) : rowItem(row - 1));
            break;
        case VK_DOWN:
            MoveCaret(t, row < 0 ? rowItem(0) : rowItem(row + 1));
            break;
        case VK_HOME:
            MoveCaret(t, rowItem(0));
            break;
        case VK_END:
            MoveCaret(t, rowItem(static_cast<int>(rows.size()) - 1));
            break;
        case VK_PRIOR:
            MoveCaret(t, rowItem(row - page + 1));
            break;
        case VK_NEXT:
            MoveCaret(t, rowItem(row + page - 1));
            break;
        case VK_LEFT:
            if (!caret) break;
            if (caret->state & TVIS_EXPANDED)
                Expand(t, caret, TVE_COLLAPSE, true);
            else if (caret->parent != &t.root)
                MoveCaret(t, caret->parent);
            break;
        case VK_RIGHT:
            if (!caret || !HasButton(caret)) break;
            if (!(caret->state & TVIS_EXPANDED))
                Expand(t, caret, TVE_EXPAND, true);
            else if (!caret->children.empty())
                MoveCaret(t, caret->children.front().get());
            break;
        case VK_ADD:
            if (caret && HasButton(caret)) Expand(t, caret, TVE_EXPAND, true);
            break;
        case VK_SUBTRACT:
            if (caret) Expand(t, caret, TVE_COLLAPSE, true);
            break;
        case VK_RETURN: {
            NMHDR header{};
            Notify(t, header, NM_RETURN);
            break;
        }
        default:
            break;
    }
}

void Character(Tree& t, WPARAM code) {
    if (t.editing) {
        if (code < 0x20 || code == 0x7F) return;
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return;
        if (std::exchange(t.editAllSelected, false)) t.editText.clear();
        AppendUtf8(t.editText, static_cast<char32_t>(code));
        InvalidateRect(t.window, nullptr, TRUE);
        return;
    }
    if (code <= 0x20 || code >= 0x80) return;
    // The next visible item after the caret whose label starts with the letter.
    const auto& rows = Rows(t);
    const int count = static_cast<int>(rows.size());
    const int start = t.caret ? RowOf(t, t.caret) : -1;
    const char wanted = FoldedLetter(static_cast<char>(code));
    for (int step = 1; step <= count; ++step) {
        TREEITEM* item = rows[(start + step + count) % count].item;
        if (!item->text.empty() && FoldedLetter(item->text.front()) == wanted) {
            Select(t, item, TVC_BYKEYBOARD);
            return;
        }
    }
}

void LeftButtonDown(Tree& t, POINT p) {
    if (t.editing) EndEdit(t, false);
    if (!Find(t.window)) return;
    if (GetFocus() != t.window) SetFocus(t.window);
    if (!Find(t.window)) return;
    UINT flags = 0;
    TREEITEM* item = HitTest(t, p, flags);
    t.pressed = nullptr;
    t.dragSent = false;
    if (!item) return;
    if (flags & TVHT_ONITEMBUTTON) {
        Expand(t, item, TVE_TOGGLE, true);
        return;
    }
    if (!(flags & TVHT_ONITEM)) return;
    const bool wasSelected = item == t.caret;
    if (!Select(t, item, TVC_BYMOUSE)) return;
    if (!Find(t.window) || !t.live.contains(item)) return;
    t.pressed = item;
    t.pressPoint = p;
    if (wasSelected && (flags & TVHT_ONITEMLABEL) && (Style(t) & TVS_EDITLABELS)) {
        t.editPending = item;
        SetTimer(t.window, kEditTimer, GetDoubleClickTime(), nullptr);
    }
}

void MouseMove(Tree& t, WPARAM keys, POINT p) {
    if (!(keys & MK_LBUTTON) || !t.pressed || t.dragSent || (Style(t) & TVS_DISABLEDRAGDROP)) return;
    if (std::abs(p.x - t.pressPoint.x) < GetSystemMetrics(SM_CXDRAG) &&
        std::abs(p.y - t.pressPoint.y) < GetSystemMetrics(SM_CYDRAG))
        return;
    t.dragSent = true;
    t.editPending = nullptr;
    KillTimer(t.window, kEditTimer);
    NotifyTree(t, TVN_BEGINDRAG, 0, nullptr, t.pressed, t.pressPoint);
}

void DoubleClick(Tree& t, POINT p) {
    t.editPending = nullptr;
    KillTimer(t.window, kEditTimer);
    UINT flags = 0;
    TREEITEM* item = HitTest(t, p, flags);
    NMHDR header{};
    if (Notify(t, header, NM_DBLCLK) != 0 || !Find(t.window)) return;
    if (item && t.live.contains(item) && (flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON)) && HasButton(item))
        Expand(t, item, TVE_TOGGLE, true);
}

LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace

}  // namespace treeview

void InitCommonControls() {
    WNDCLASS existing{};
    if (!GetClassInfo(nullptr, ANIMATE_CLASS, &existing)) commctrl::RegisterAnimateClass();
    if (GetClassInfo(nullptr, WC_TREEVIEW, &existing)) return;
    WNDCLASS windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = treeview::Procedure;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = WC_TREEVIEW;
    RegisterClass(&windowClass);
}

namespace treeview {
namespace {

Tree& Attach(HWND window) {
    auto& slot = Trees()[window];
    if (!slot) {
        slot = std::make_unique<Tree>();
        slot->window = window;
    }
    return *slot;
}

POINT PointOf(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY) {
        if (auto it = Trees().find(window); it != Trees().end()) {
            // Taken out first: nothing said to the parent now can reach a half-gone tree.
            std::unique_ptr<Tree> gone = std::move(it->second);
            Trees().erase(it);
        }
        return DefWindowProc(window, message, wParam, lParam);
    }
    Tree& t = Attach(window);
    switch (message) {
        case WM_DESTROY:
            KillTimer(window, kEditTimer);
            DeleteChildren(t, &t.root, true);
            return 0;
        case WM_GETDLGCODE:
            return kWantArrows | kWantChars | (t.editing ? kWantAllKeys : 0);
        case WM_SETFONT:
            t.font = reinterpret_cast<HFONT>(wParam);
            Changed(t);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(t.font);
        case WM_SIZE:
            Changed(t);
            return DefWindowProc(window, message, wParam, lParam);
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
        case WM_PRINTCLIENT:
            if (wParam) {
                Paint(t, reinterpret_cast<HDC>(wParam));
            } else {
                PAINTSTRUCT ps{};
                HDC dc = BeginPaint(window, &ps);
                if (dc) Paint(t, dc);
                EndPaint(window, &ps);
            }
            return 0;
        case WM_SETFOCUS: {
            t.focused = true;
            InvalidateRect(window, nullptr, TRUE);
            NMHDR header{};
            Notify(t, header, NM_SETFOCUS);
            return 0;
        }
        case WM_CANCELMODE:
            // Someone else took the mouse (a drag of the program's own): the press edits nothing.
            t.pressed = nullptr;
            t.editPending = nullptr;
            KillTimer(window, kEditTimer);
            return 0;
        case WM_KILLFOCUS: {
            t.focused = false;
            if (t.editing) EndEdit(t, false);
            if (!Find(window)) return 0;
            InvalidateRect(window, nullptr, TRUE);
            NMHDR header{};
            Notify(t, header, NM_KILLFOCUS);
            return 0;
        }
        case WM_VSCROLL:
            VerticalScroll(t, LOWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL: {
            const auto delta = static_cast<short>(HIWORD(wParam));
            ScrollTo(t, t.top - delta / WHEEL_DELTA * 3);
            return 0;
        }
        case WM_KEYDOWN:
            KeyDown(t, wParam);
            return 0;
        case WM_CHAR:
            Character(t, wParam);
            return 0;
        case WM_LBUTTONDOWN:
            LeftButtonDown(t, PointOf(lParam));
            return 0;
        case WM_MOUSEMOVE:
            MouseMove(t, wParam, PointOf(lParam));
            return DefWindowProc(window, message, wParam, lParam);
        case WM_LBUTTONUP: {
            t.pressed = nullptr;
            NMHDR header{};
            Notify(t, header, NM_CLICK);
            return 0;
        }
        case WM_LBUTTONDBLCLK:
            DoubleClick(t, PointOf(lParam));
            return 0;
        case WM_RBUTTONUP: {
            NMHDR header{};
            if (Notify(t, header, NM_RCLICK) != 0) return 0;
            return DefWindowProc(window, message, wParam, lParam);
        }
        case WM_TIMER:
            if (wParam == kEditTimer) {
                KillTimer(window, kEditTimer);
                TREEITEM* item = t.editPending;
                t.editPending = nullptr;
                if (Valid(t, item) && item == t.caret) BeginEdit(t, item);
                return 0;
            }
            return DefWindowProc(window, message, wParam, lParam);
        case TVM_INSERTITEM:
            return lParam ? reinterpret_cast<LRESULT>(
                                Insert(t, *reinterpret_cast<const TVINSERTSTRUCT*>(lParam)))
                          : 0;
        case TVM_DELETEITEM: {
            auto item = reinterpret_cast<HTREEITEM>(lParam);
            if (!item || item == TVI_ROOT) {
                DeleteChildren(t, &t.root, true);
            } else {
                if (!Valid(t, item)) return FALSE;
                Unlink(t, item, true);
            }
            if (Find(window)) Changed(t);
            return TRUE;
        }
        case TVM_EXPAND: {
            auto item = reinterpret_cast<HTREEITEM>(lParam);
            return Valid(t, item) ? Expand(t, item, static_cast<UINT>(wParam), false) : FALSE;
        }
        case TVM_GETITEMRECT: {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            if (!rect) return FALSE;
            HTREEITEM item = *reinterpret_cast<HTREEITEM*>(rect);
            return Valid(t, item) ? ItemRect(t, item, static_cast<BOOL>(wParam), rect) : FALSE;
        }
        case TVM_GETCOUNT:
            return static_cast<LRESULT>(t.live.size());
        case TVM_GETINDENT:
            return t.indent;
        case TVM_SETINDENT:
            t.indent = std::max(static_cast<int>(wParam), 4);
            Changed(t);
            return 0;
        case TVM_GETIMAGELIST:
            return wParam == TVSIL_NORMAL ? reinterpret_cast<LRESULT>(t.images) : 0;
        case TVM_SETIMAGELIST: {
            if (wParam != TVSIL_NORMAL) return 0;
            HIMAGELIST old = t.images;
            t.images = reinterpret_cast<HIMAGELIST>(lParam);
            int cx = 0, cy = 0;
            if (t.images && ImageList_GetIconSize(t.images, &cx, &cy)) t.indent = std::max(t.indent, cx + 3);
            Changed(t);
            return reinterpret_cast<LRESULT>(old);
        }
        case TVM_GETNEXTITEM:
            return reinterpret_cast<LRESULT>(
                NextItem(t, reinterpret_cast<HTREEITEM>(lParam), static_cast<UINT>(wParam)));
        case TVM_SELECTITEM: {
            auto item = reinterpret_cast<HTREEITEM>(lParam);
            if (item && !Valid(t, item)) return FALSE;
            switch (wParam) {
                case TVGN_CARET:
                    return Select(t, item, TVC_UNKNOWN);
                case TVGN_DROPHILITE:
                    t.dropHilite = item;
                    InvalidateRect(window, nullptr, TRUE);
                    return TRUE;
                case TVGN_FIRSTVISIBLE:
                    if (item) {
                        EnsureVisible(t, item);
                        ScrollTo(t, RowOf(t, item));
                    }
                    return TRUE;
                default:
                    return FALSE;
            }
        }
        case TVM_GETITEM: {
            auto* item = reinterpret_cast<TVITEM*>(lParam);
            if (!item || !Valid(t, item->hItem)) return FALSE;
            const TREEITEM& source = *item->hItem;
            if (item->mask & TVIF_TEXT) {
                if (item->pszText && item->cchTextMax > 0) {
                    const size_t n = std::min(source.text.size(), static_cast<size_t>(item->cchTextMax - 1));
                    std::memcpy(item->pszText, source.text.data(), n);
                    item->pszText[n] = '\0';
                }
            }
            if (item->mask & TVIF_IMAGE) item->iImage = source.image;
            if (item->mask & TVIF_SELECTEDIMAGE) item->iSelectedImage = source.selectedImage;
            if (item->mask & TVIF_PARAM) item->lParam = source.param;
            if (item->mask & TVIF_STATE) item->state = source.state & item->stateMask;
            if (item->mask & TVIF_CHILDREN)
                item->cChildren = source.children.empty() ? source.childrenFlag : 1;
            return TRUE;
        }
        case TVM_SETITEM: {
            const auto* item = reinterpret_cast<const TVITEM*>(lParam);
            if (!item || !Valid(t, item->hItem)) return FALSE;
            const UINT oldState = item->hItem->state;
            ApplyItem(*item->hItem, *item);
            if ((oldState ^ item->hItem->state) & TVIS_EXPANDED) t.rowsDirty = true;
            Changed(t);
            return TRUE;
        }
        case TVM_EDITLABEL:
            return reinterpret_cast<LRESULT>(BeginEdit(t, reinterpret_cast<HTREEITEM>(lParam)));
        case TVM_ENDEDITLABELNOW:
            EndEdit(t, wParam != 0);
            return TRUE;
        case TVM_GETEDITCONTROL:
            return reinterpret_cast<LRESULT>(t.editing ? window : nullptr);
        case TVM_GETVISIBLECOUNT:
            return VisibleRowCount(t);
        case TVM_HITTEST: {
            auto* info = reinterpret_cast<TVHITTESTINFO*>(lParam);
            if (!info) return 0;
            info->hItem = HitTest(t, info->pt, info->flags);
            return reinterpret_cast<LRESULT>(info->hItem);
        }
        case TVM_SORTCHILDREN:
        case TVM_SORTCHILDRENCB: {
            TREEITEM* parent = &t.root;
            PFNTVCOMPARE compare = nullptr;
            LPARAM sortParam = 0;
            if (message == TVM_SORTCHILDRENCB) {
                const auto* sort = reinterpret_cast<const TVSORTCB*>(lParam);
                if (!sort || !sort->lpfnCompare) return FALSE;
                if (sort->hParent && sort->hParent != TVI_ROOT) {
                    if (!Valid(t, sort->hParent)) return FALSE;
                    parent = sort->hParent;
                }
                compare = sort->lpfnCompare;
                sortParam = sort->lParam;
            } else if (auto item = reinterpret_cast<HTREEITEM>(lParam); item && item != TVI_ROOT) {
                if (!Valid(t, item)) return FALSE;
                parent = item;
            }
            std::stable_sort(parent->children.begin(), parent->children.end(),
                             [&](const auto& a, const auto& b) {
                                 if (compare) return compare(a->param, b->param, sortParam) < 0;
                                 return LabelLess(a->text, b->text);
                             });
            Changed(t);
            return TRUE;
        }
        case TVM_ENSUREVISIBLE: {
            auto item = reinterpret_cast<HTREEITEM>(lParam);
            if (!Valid(t, item)) return FALSE;
            EnsureVisible(t, item);
            return TRUE;
        }
        case TVM_SETITEMHEIGHT: {
            const int old = ItemHeight(t);
            const auto height = static_cast<int>(static_cast<short>(wParam));
            t.itemHeight = height < 1 ? 0 : height + (height & 1);
            Changed(t);
            return old;
        }
        case TVM_GETITEMHEIGHT:
            return ItemHeight(t);
        default:
            return DefWindowProc(window, message, wParam, lParam);
    }
}

}  // namespace
}  // namespace treeview

}  // namespace win32
