// Window geometry: frames and client areas, hit testing, positions, z-order, show states, placement
// and coordinate mapping.
#include <algorithm>
#include <cstdlib>

#include "user/user_internal.h"

namespace win32 {

namespace user {

namespace {

bool Contains(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

RECT Offset(RECT r, int dx, int dy) {
    return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

bool InWindowRegion(const Window* w, POINT screen) {
    if (!w->region) return true;
    const RECT r = ScreenRect(w);
    return PtInRegion(w->region, screen.x - r.left, screen.y - r.top) != FALSE;
}

bool HasMenuBar(const Window* w) {
    return !w->IsChild() && w->menu != nullptr;
}

WPARAM SizeType(const Window* w) {
    if (w->style & WS_MINIMIZE) return SIZE_MINIMIZED;
    if (w->style & WS_MAXIMIZE) return SIZE_MAXIMIZED;
    return SIZE_RESTORED;
}

}  // namespace

POINT ClientOrigin(const Window* w) {
    if (!w->parent) return POINT{w->rect.left + w->client.left, w->rect.top + w->client.top};
    const POINT p = ClientOrigin(w->parent);
    return POINT{p.x + w->rect.left + w->client.left, p.y + w->rect.top + w->client.top};
}

RECT ScreenRect(const Window* w) {
    if (!w->parent) return w->rect;
    const POINT p = ClientOrigin(w->parent);
    return Offset(w->rect, p.x, p.y);
}

RECT ScreenClientRect(const Window* w) {
    const POINT p = ClientOrigin(w);
    return RECT{p.x, p.y, p.x + Width(w->client), p.y + Height(w->client)};
}

bool VisibleFlag(const Window* w) {
    for (; w; w = w->parent) {
        if (w->isDesktop) return true;
        if (w->isMessageRoot || !(w->style & WS_VISIBLE)) return false;
    }
    return false;
}

Frame NonClientFrame(DWORD style, DWORD exStyle, bool menu) {
    int border = 0;
    if (style & WS_THICKFRAME)
        border = GetSystemMetrics(SM_CXFRAME);
    else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        border = GetSystemMetrics(SM_CXDLGFRAME);
    else if (style & WS_BORDER)
        border = GetSystemMetrics(SM_CXBORDER);
    Frame f{border, border, border, border};
    if ((style & WS_CAPTION) == WS_CAPTION)
        f.top += GetSystemMetrics((exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    if (menu && !(style & WS_CHILD)) f.top += GetSystemMetrics(SM_CYMENU);
    int edge = 0;
    if (exStyle & WS_EX_CLIENTEDGE) edge += GetSystemMetrics(SM_CXEDGE);
    if (exStyle & WS_EX_STATICEDGE) edge += GetSystemMetrics(SM_CXBORDER);
    f.left += edge, f.top += edge, f.right += edge, f.bottom += edge;
    if (style & WS_VSCROLL) f.right += GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) f.bottom += GetSystemMetrics(SM_CYHSCROLL);
    return f;
}

void DefaultCalcSize(Window* w, RECT* r) {
    if (w->style & WS_MINIMIZE) {
        r->right = r->left;
        r->bottom = r->top;
        return;
    }
    const Frame f = NonClientFrame(w->style, w->exStyle, HasMenuBar(w));
    r->left += f.left;
    r->top += f.top;
    r->right = std::max(r->left, r->right - f.right);
    r->bottom = std::max(r->top, r->bottom - f.bottom);
}

LRESULT DefaultHitTest(Window* w, POINT p) {
    const RECT wr = ScreenRect(w);
    if (!Contains(wr, p)) return HTNOWHERE;
    if (w->style & WS_MINIMIZE) return HTCAPTION;
    if (Contains(ScreenClientRect(w), p)) return HTCLIENT;
    const DWORD style = w->style;
    int border = 0;
    if (style & WS_THICKFRAME)
        border = GetSystemMetrics(SM_CXFRAME);
    else if ((style & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME))
        border = GetSystemMetrics(SM_CXDLGFRAME);
    else if (style & WS_BORDER)
        border = GetSystemMetrics(SM_CXBORDER);
    RECT inner{wr.left + border, wr.top + border, wr.right - border, wr.bottom - border};
    if (!Contains(inner, p)) {
        if (!(style & WS_THICKFRAME)) return HTBORDER;
        const int cornerX = GetSystemMetrics(SM_CXSIZE) + border,
                  cornerY = GetSystemMetrics(SM_CYSIZE) + border;
        const bool top = p.y < wr.top + cornerY, bottom = p.y >= wr.bottom - cornerY;
        const bool left = p.x < wr.left + cornerX, right = p.x >= wr.right - cornerX;
        if (p.x < inner.left) return top ? HTTOPLEFT : bottom ? HTBOTTOMLEFT : HTLEFT;
        if (p.x >= inner.right) return top ? HTTOPRIGHT : bottom ? HTBOTTOMRIGHT : HTRIGHT;
        if (p.y < inner.top) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
        return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
    }
    if ((style & WS_CAPTION) == WS_CAPTION) {
        const bool tool = (w->exStyle & WS_EX_TOOLWINDOW) != 0;
        const int height = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
        if (p.y < inner.top + height) {
            const int button = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE);
            if (style & WS_SYSMENU) {
                if (!tool && !(w->exStyle & WS_EX_DLGMODALFRAME) && p.x < inner.left + height)
                    return HTSYSMENU;
                int right = inner.right - 2;
                if (p.x >= right - button) return HTCLOSE;
                right -= button + 2;
                if (!tool && (style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX))) {
                    if (p.x >= right - button && p.x < right) return HTMAXBUTTON;
                    if (p.x >= right - 2 * button && p.x < right - button) return HTMINBUTTON;
                }
            }
            return HTCAPTION;
        }
        inner.top += height;
    }
    if (HasMenuBar(w)) {
        const int height = GetSystemMetrics(SM_CYMENU);
        if (p.y < inner.top + height) return HTMENU;
        inner.top += height;
    }
    int edge = 0;
    if (w->exStyle & WS_EX_CLIENTEDGE) edge += GetSystemMetrics(SM_CXEDGE);
    if (w->exStyle & WS_EX_STATICEDGE) edge += GetSystemMetrics(SM_CXBORDER);
    inner = RECT{inner.left + edge, inner.top + edge, inner.right - edge, inner.bottom - edge};
    if (!Contains(inner, p)) return HTBORDER;
    const RECT client = ScreenClientRect(w);
    const bool rightOfClient = p.x >= client.right, belowClient = p.y >= client.bottom;
    if ((style & WS_VSCROLL) && (style & WS_HSCROLL) && rightOfClient && belowClient)
        return (style & WS_THICKFRAME) ? HTGROWBOX : HTNOWHERE;
    if ((style & WS_VSCROLL) && rightOfClient) return HTVSCROLL;
    if ((style & WS_HSCROLL) && belowClient) return HTHSCROLL;
    return HTNOWHERE;
}

void DefaultMinMaxInfo(Window* w, MINMAXINFO* info) {
    RECT area{};
    const Frame f = NonClientFrame(w->style & ~(WS_VSCROLL | WS_HSCROLL),
                                   w->exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), false);
    const int border = f.left;
    if (w->IsChild() && w->parent)
        area = RECT{0, 0, Width(w->parent->client), Height(w->parent->client)};
    else
        SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    info->ptReserved = POINT{Width(w->rect), Height(w->rect)};
    info->ptMaxSize = POINT{Width(area) + 2 * border, Height(area) + 2 * border};
    info->ptMaxPosition = POINT{area.left - border, area.top - border};
    info->ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    info->ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
}

LRESULT DefaultWindowPosChanging(Window* w, WINDOWPOS* pos) {
    if (!(pos->flags & SWP_NOSIZE) && !(w->style & WS_MINIMIZE) &&
        ((w->style & WS_THICKFRAME) || !(w->style & (WS_POPUP | WS_CHILD)))) {
        MINMAXINFO info{};
        DefaultMinMaxInfo(w, &info);
        Send(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        if (!(w->style & WS_MAXIMIZE)) {
            pos->cx = std::clamp(
                pos->cx, static_cast<int>(info.ptMinTrackSize.x),
                std::max(static_cast<int>(info.ptMinTrackSize.x), static_cast<int>(info.ptMaxTrackSize.x)));
            pos->cy = std::clamp(
                pos->cy, static_cast<int>(info.ptMinTrackSize.y),
                std::max(static_cast<int>(info.ptMinTrackSize.y), static_cast<int>(info.ptMaxTrackSize.y)));
        }
    }
    return 0;
}

void DefaultWindowPosChanged(Window* w, const WINDOWPOS* pos) {
    const HWND hwnd = w->Handle();
    if (!(pos->flags & SWP_NOCLIENTMOVE)) {
        const int x = w->rect.left + w->client.left, y = w->rect.top + w->client.top;
        Send(w, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
        if (!Find(hwnd)) return;
    }
    if (!(pos->flags & SWP_NOCLIENTSIZE) || (pos->flags & SWP_STATECHANGED)) {
        Send(w, WM_SIZE, SizeType(w),
             MAKELPARAM(static_cast<WORD>(Width(w->client)), static_cast<WORD>(Height(w->client))));
    }
}

void MarkFrames(Window* w) {
    const bool hasFrame = w->client.left != 0 || w->client.top != 0 || w->client.right != Width(w->rect) ||
                          w->client.bottom != Height(w->rect);
    if (hasFrame && !w->ncDirty) {
        w->ncDirty = true;
        RefreshPaintState(w);
    }
    for (Window* child : w->children)
        if (child->style & WS_VISIBLE) MarkFrames(child);
}

namespace {
BOOL MoveWindowRecord(Window* w, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
}  // namespace

BOOL SetWindowPosInternal(Window* w, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    Hold hold(w);
    const BOOL done = MoveWindowRecord(w, insertAfter, x, y, cx, cy, flags);
    if (!w->destroyed && w->parent && w->parent->isDesktop) session::WindowChanged(w);
    return done;
}

namespace {

BOOL MoveWindowRecord(Window* w, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (w->isDesktop || w->isMessageRoot) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    Hold hold(w);
    const HWND hwnd = w->Handle();
    const bool wasVisible = (w->style & WS_VISIBLE) != 0;
    if (wasVisible) flags &= ~SWP_SHOWWINDOW;
    if (!wasVisible) flags &= ~SWP_HIDEWINDOW;
    if (insertAfter == hwnd) flags |= SWP_NOZORDER;
    if (!(flags & SWP_NOZORDER) && insertAfter != HWND_TOP && insertAfter != HWND_BOTTOM &&
        insertAfter != HWND_TOPMOST && insertAfter != HWND_NOTOPMOST) {
        Window* after = Find(insertAfter);
        if (!after || after->parent != w->parent) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
    }
    WINDOWPOS pos{hwnd, insertAfter, x, y, cx, cy, flags};
    if (flags & SWP_NOMOVE) pos.x = w->rect.left, pos.y = w->rect.top;
    if (flags & SWP_NOSIZE) pos.cx = Width(w->rect), pos.cy = Height(w->rect);
    if (!(flags & SWP_NOSENDCHANGING)) {
        Send(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
        if (w->destroyed) return FALSE;
        pos.hwnd = hwnd;
    }
    flags = pos.flags;
    if (flags & SWP_NOMOVE) pos.x = w->rect.left, pos.y = w->rect.top;
    if (flags & SWP_NOSIZE) pos.cx = Width(w->rect), pos.cy = Height(w->rect);
    pos.cx = std::max(pos.cx, 0);
    pos.cy = std::max(pos.cy, 0);

    const RECT oldRect = w->rect, oldClient = w->client;
    const RECT oldScreen = ScreenRect(w);
    const RECT newRect{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
    const bool sizeChanged = Width(newRect) != Width(oldRect) || Height(newRect) != Height(oldRect);
    const bool moved = newRect.left != oldRect.left || newRect.top != oldRect.top;
    w->rect = newRect;
    if (sizeChanged || (flags & SWP_FRAMECHANGED)) {
        NCCALCSIZE_PARAMS params{};
        params.rgrc[0] = newRect;
        params.rgrc[1] = oldRect;
        params.rgrc[2] = Offset(oldClient, oldRect.left, oldRect.top);
        params.lppos = &pos;
        Send(w, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
        if (w->destroyed) return FALSE;
        RECT c = params.rgrc[0];
        c.right = std::max(c.left, c.right);
        c.bottom = std::max(c.top, c.bottom);
        w->client =
            RECT{c.left - w->rect.left, c.top - w->rect.top, c.right - w->rect.left, c.bottom - w->rect.top};
    }
    if (!(w->style & (WS_MINIMIZE | WS_MAXIMIZE))) w->normalRect = w->rect;

    // What did not change is reported as not requested, as Win32 does.
    if (!sizeChanged) flags |= SWP_NOSIZE;
    if (!moved) flags |= SWP_NOMOVE;
    if (!(flags & SWP_NOZORDER)) {
        const std::vector<Window*> orderBefore = w->parent ? w->parent->children : std::vector<Window*>{};
        const DWORD exStyleBefore = w->exStyle;
        if (insertAfter == HWND_TOPMOST && !w->IsChild()) w->exStyle |= WS_EX_TOPMOST;
        if (insertAfter == HWND_NOTOPMOST && !w->IsChild()) w->exStyle &= ~WS_EX_TOPMOST;
        MoveInZOrder(w, insertAfter);
        if (w->exStyle == exStyleBefore && (!w->parent || w->parent->children == orderBefore))
            flags |= SWP_NOZORDER;
    }
    if ((flags & SWP_SHOWWINDOW) && (w->cls->style & CS_SAVEBITS) && w->parent && w->parent->isDesktop &&
        !(flags & SWP_NOREDRAW))
        SaveBitsUnder(w);
    if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
    if (flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;

    if (Width(w->client) == Width(oldClient) && Height(w->client) == Height(oldClient))
        flags |= SWP_NOCLIENTSIZE;
    if (w->rect.left + w->client.left == oldRect.left + oldClient.left &&
        w->rect.top + w->client.top == oldRect.top + oldClient.top)
        flags |= SWP_NOCLIENTMOVE;

    if (!(flags & SWP_NOREDRAW)) {
        const bool visible = VisibleFlag(w);
        const RECT client{0, 0, Width(w->client), Height(w->client)};
        if (visible && ((flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED)) || moved)) {
            InvalidateInternal(w, Region::FromRect(client), true, true, false);
            MarkFrames(w);
        } else if (visible && (!(flags & SWP_NOCLIENTSIZE) || sizeChanged)) {
            MarkFrames(w);
            const UINT classStyle = w->cls->style;
            const bool whole = ((classStyle & CS_HREDRAW) && Width(w->client) != Width(oldClient)) ||
                               ((classStyle & CS_VREDRAW) && Height(w->client) != Height(oldClient));
            Region exposed = Region::FromRect(client);
            if (!whole)
                exposed = gdi::CombineRegions(
                    exposed, Region::FromRect(RECT{0, 0, Width(oldClient), Height(oldClient)}), RGN_DIFF);
            InvalidateInternal(w, exposed, true, true, false);
        }
        if (wasVisible && w->parent && VisibleFlag(w->parent) &&
            ((flags & SWP_HIDEWINDOW) || moved || sizeChanged || !(flags & SWP_NOZORDER))) {
            Region exposed = Region::FromRect(oldScreen);
            if (flags & SWP_HIDEWINDOW)
                exposed = RestoreSavedBits(w, std::move(exposed));
            else if (moved || sizeChanged)
                DiscardSavedBits(w);
            InvalidateBehind(w->parent, std::move(exposed), w, !(flags & SWP_NOZORDER));
        }
    }
    if ((flags & SWP_HIDEWINDOW) || ((moved || sizeChanged) && (flags & SWP_NOREDRAW))) DiscardSavedBits(w);

    // Activation comes before WM_WINDOWPOSCHANGED, so that its handler sees the new active window; a
    // child hears WM_CHILDACTIVATE instead.
    if (!(flags & (SWP_NOACTIVATE | SWP_HIDEWINDOW))) {
        if (w->IsChild())
            Send(w, WM_CHILDACTIVATE, 0, 0);
        else if ((w->style & WS_VISIBLE) && w->parent && w->parent->isDesktop)
            ActivateWindow(w, WA_ACTIVE);
        if (w->destroyed) return TRUE;
    }

    // A call that changed nothing ends with WM_WINDOWPOSCHANGING.
    constexpr UINT kNothingChanged =
        SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE;
    constexpr UINT kStatusFlags = kNothingChanged | SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_HIDEWINDOW;
    pos.flags = flags;
    if ((flags & kStatusFlags) != kNothingChanged) {
        Send(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
        if (w->destroyed) return TRUE;
    }

    // Hiding a top-level window keeps its activation (ShowWindow(SW_HIDE) hands it on); a hidden child
    // gives up the focus and the capture at once.
    if ((flags & SWP_HIDEWINDOW) && !w->destroying && w->IsChild()) WindowGoingAway(w, false);
    return TRUE;
}

}  // namespace

namespace {

// Rectangle for a new show state; returns false when nothing changes.
bool StateRect(Window* w, int command, RECT* rect, DWORD* newStyle) {
    const DWORD style = w->style;
    switch (command) {
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
        case SW_SHOWMINNOACTIVE:
        case SW_FORCEMINIMIZE: {
            if (style & WS_MINIMIZE) return false;
            w->restoreToMaximized = (style & WS_MAXIMIZE) != 0;
            *newStyle = (style | WS_MINIMIZE) & ~WS_MAXIMIZE;
            POINT at = w->minPosition;
            if (at.x == -1 && at.y == -1) {
                if (w->IsChild() && w->parent)
                    at = POINT{0, Height(w->parent->client) - GetSystemMetrics(SM_CYMINIMIZED)};
                else
                    at = POINT{-32000, -32000};
            }
            *rect = RECT{at.x, at.y, at.x + GetSystemMetrics(SM_CXMINIMIZED),
                         at.y + GetSystemMetrics(SM_CYMINIMIZED)};
            return true;
        }
        case SW_MAXIMIZE: {
            if (style & WS_MAXIMIZE) return false;
            MINMAXINFO info{};
            DefaultMinMaxInfo(w, &info);
            if (w->maxPosition.x != -1 || w->maxPosition.y != -1) info.ptMaxPosition = w->maxPosition;
            Send(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
            *newStyle = (style | WS_MAXIMIZE) & ~WS_MINIMIZE;
            *rect = RECT{info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxPosition.x + info.ptMaxSize.x,
                         info.ptMaxPosition.y + info.ptMaxSize.y};
            return true;
        }
        default: {  // restore
            if (!(style & (WS_MINIMIZE | WS_MAXIMIZE))) return false;
            if ((style & WS_MINIMIZE) && w->restoreToMaximized) {
                w->restoreToMaximized = false;
                w->style &= ~WS_MINIMIZE;
                const bool changed = StateRect(w, SW_MAXIMIZE, rect, newStyle);
                w->style = style;
                return changed;
            }
            *newStyle = style & ~(WS_MINIMIZE | WS_MAXIMIZE);
            *rect = w->normalRect;
            return true;
        }
    }
}

}  // namespace

BOOL ShowWindowInternal(Window* w, int command) {
    if (w->isDesktop || w->isMessageRoot) return FALSE;
    Hold hold(w);
    const bool wasVisible = (w->style & WS_VISIBLE) != 0;
    bool show = true, activate = true;
    int state = 0;  // 0 keep, SW_MINIMIZE, SW_MAXIMIZE, SW_RESTORE
    switch (command) {
        case SW_HIDE:
            show = false;
            activate = false;
            break;
        case SW_SHOWNORMAL:
        case SW_RESTORE:
        case SW_SHOWDEFAULT:
            state = SW_RESTORE;
            break;
        case SW_SHOWNOACTIVATE:
            state = SW_RESTORE;
            activate = false;
            break;
        case SW_SHOWMINIMIZED:
            state = SW_MINIMIZE;
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
        case SW_FORCEMINIMIZE:
            state = SW_MINIMIZE;
            activate = false;
            break;
        case SW_SHOWMAXIMIZED:
            state = SW_MAXIMIZE;
            break;
        case SW_SHOW:
            break;
        case SW_SHOWNA:
            activate = false;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
    }
    // A child of a hidden parent only changes its style: nothing of it can be seen or moved.
    const bool parentHidden = w->IsChild() && w->parent && !VisibleFlag(w->parent);
    if (!show) {
        if (!wasVisible) return FALSE;
        Send(w, WM_SHOWWINDOW, FALSE, 0);
        if (w->destroyed) return TRUE;
        if (parentHidden) {
            w->style &= ~WS_VISIBLE;
            WindowGoingAway(w, false);
            return TRUE;
        }
        // Only the active top-level window leaves SWP_NOACTIVATE out: it hands activation on below.
        UINT flags = SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE;
        if (w->IsChild() || S().active != w) flags |= SWP_NOACTIVATE | SWP_NOZORDER;
        SetWindowPosInternal(w, HWND_TOP, 0, 0, 0, 0, flags);
        if (!w->destroyed) WindowGoingAway(w, false);
        return TRUE;
    }
    UINT flags = SWP_SHOWWINDOW;
    if (!activate) flags |= SWP_NOACTIVATE | SWP_NOZORDER;
    // Of the show commands only maximising activates a child window (WM_CHILDACTIVATE).
    if (w->IsChild() && state != SW_MAXIMIZE) flags |= SWP_NOACTIVATE | SWP_NOZORDER;
    RECT rect = w->rect;
    DWORD newStyle = w->style;
    const bool stateChanges = state && StateRect(w, state, &rect, &newStyle);
    if (w->destroyed) return wasVisible;
    // A window that appears minimised, maximised or restored hears no WM_SHOWWINDOW, as in Win32.
    if (!wasVisible && !stateChanges) {
        Send(w, WM_SHOWWINDOW, TRUE, 0);
        if (w->destroyed) return FALSE;
    }
    if (parentHidden && !stateChanges) {
        w->style |= WS_VISIBLE;
        return wasVisible;
    }
    if (stateChanges) {
        w->style = newStyle;
        flags |= SWP_FRAMECHANGED | SWP_STATECHANGED | (state == SW_MINIMIZE ? SWP_NOCOPYBITS : 0);
        SetWindowPosInternal(w, HWND_TOP, rect.left, rect.top, Width(rect), Height(rect), flags);
    } else {
        flags |= SWP_NOSIZE | SWP_NOMOVE;
        SetWindowPosInternal(w, HWND_TOP, 0, 0, 0, 0, flags);
    }
    if (w->destroyed) return wasVisible;
    // A minimised top-level window gives up activation to the next one.
    if (state == SW_MINIMIZE && !activate && S().active == w) WindowGoingAway(w, false);
    return wasVisible;
}

namespace {

Window* ChildAt(Window* parent, POINT screen, const std::vector<Window*>& skip) {
    for (Window* child : parent->children) {
        if (!(child->style & WS_VISIBLE) || std::count(skip.begin(), skip.end(), child)) continue;
        if (!Contains(ScreenRect(child), screen) || !InWindowRegion(child, screen)) continue;
        return child;
    }
    return nullptr;
}

}  // namespace

Window* WindowAt(POINT screen, LRESULT* hitTest, bool sendHitTest) {
    auto& s = S();
    CreateDesktopIfNeeded();
    std::vector<Window*> skip;
    for (int attempt = 0; attempt < 64; ++attempt) {
        Window* w = ChildAt(s.desktop, screen, skip);
        if (!w) {
            if (hitTest) *hitTest = HTNOWHERE;
            return s.desktop;
        }
        if (w->style & WS_DISABLED) {
            if (hitTest) *hitTest = HTERROR;
            return w;
        }
        while (Contains(ScreenClientRect(w), screen)) {
            Window* child = ChildAt(w, screen, skip);
            if (!child || (child->style & WS_DISABLED)) break;
            w = child;
        }
        if (!sendHitTest || w->thread != CurrentThread()) {
            if (hitTest) *hitTest = DefaultHitTest(w, screen);
            return w;
        }
        const HWND hwnd = w->Handle();
        const LRESULT hit =
            Send(w, WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
        if (!Find(hwnd)) continue;
        if (hit != HTTRANSPARENT) {
            if (hitTest) *hitTest = hit;
            return w;
        }
        skip.push_back(w);
    }
    if (hitTest) *hitTest = HTNOWHERE;
    return s.desktop;
}

namespace {

// Windows that lie outside the region cost nothing: only those that meet its extents are cut out.
void AddIfMeets(std::vector<RECT>& rects, const RECT& r, const RECT& extents) {
    if (gdi::RectsMeet(r, extents)) rects.push_back(r);
}

// One subtraction of all the rectangles at once, not one per window: each combination costs as
// much as the region is complex.
Region WithoutRects(Region region, const std::vector<RECT>& rects) {
    if (rects.empty()) return region;
    if (rects.size() == 1) return gdi::CombineRegions(region, Region::FromRect(rects.front()), RGN_DIFF);
    return gdi::CombineRegions(region, Region::FromRects(rects), RGN_DIFF);
}

}  // namespace

Region VisibleRegion(Window* w, bool clientOnly, bool clipChildren, bool clipSiblings, const RECT* limit) {
    if (!VisibleFlag(w)) return Region();
    if (Window* locked = Find(S().lockedWindow); locked && IsDescendant(locked, w)) return Region();
    RECT area = clientOnly ? ScreenClientRect(w) : ScreenRect(w);
    if (limit)
        area = RECT{std::max(area.left, limit->left), std::max(area.top, limit->top),
                    std::min(area.right, limit->right), std::min(area.bottom, limit->bottom)};
    if (area.right <= area.left || area.bottom <= area.top) return Region();
    Region region = Region::FromRect(area);
    if (w->region) {
        Region shape = Region::FromRects(gdi::RegionRects(w->region));
        const RECT wr = ScreenRect(w);
        shape.Offset(wr.left, wr.top);
        region = gdi::CombineRegions(region, shape, RGN_AND);
    }
    for (Window* c = w; c->parent; c = c->parent) {
        Window* p = c->parent;
        region = gdi::CombineRegions(region, Region::FromRect(ScreenClientRect(p)), RGN_AND);
        const bool clips = p->isDesktop || (c == w ? (clipSiblings || (c->style & WS_CLIPSIBLINGS))
                                                   : (c->style & WS_CLIPSIBLINGS) != 0);
        if (clips) {
            std::vector<RECT> above;
            for (Window* sibling : p->children) {
                if (sibling == c) break;
                if (sibling->style & WS_VISIBLE) AddIfMeets(above, ScreenRect(sibling), region.extents);
            }
            region = WithoutRects(std::move(region), above);
        }
        if (region.Empty()) return region;
    }
    if (clipChildren) {
        std::vector<RECT> covered;
        for (Window* child : w->children)
            if (child->style & WS_VISIBLE) AddIfMeets(covered, ScreenRect(child), region.extents);
        region = WithoutRects(std::move(region), covered);
    }
    return region;
}

}  // namespace user

using namespace user;

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    if (w->thread != CurrentThread()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return SetWindowPosInternal(w, insertAfter, x, y, cx, cy,
                                flags & 0x7FFF & ~(SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE));
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL ShowWindow(HWND hwnd, int command) {
    if (session::IsForeign(hwnd)) {
        BOOL result = FALSE;
        return session::RemoteShowWindow(hwnd, command, &result) ? result : FALSE;
    }
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    if (w->thread != CurrentThread()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return ShowWindowInternal(w, command);
}

BOOL BringWindowToTop(HWND hwnd) {
    if (session::IsForeign(hwnd)) return session::RemoteBringToTop(hwnd);
    return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}
BOOL CloseWindow(HWND hwnd) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    ShowWindowInternal(w, SW_MINIMIZE);
    return TRUE;
}
BOOL OpenIcon(HWND hwnd) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    ShowWindowInternal(w, SW_RESTORE);
    return TRUE;
}

BOOL IsIconic(HWND hwnd) {
    if (session::IsForeign(hwnd)) return (session::StyleOf(hwnd) & WS_MINIMIZE) != 0;
    Window* w = Find(hwnd);
    return w && (w->style & WS_MINIMIZE);
}

BOOL IsZoomed(HWND hwnd) {
    if (session::IsForeign(hwnd)) return (session::StyleOf(hwnd) & WS_MAXIMIZE) != 0;
    Window* w = Find(hwnd);
    return w && (w->style & WS_MAXIMIZE);
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement) {
    Window* w = Get(hwnd);
    if (!w || !placement) return FALSE;
    placement->length = sizeof(WINDOWPLACEMENT);
    placement->flags = w->restoreToMaximized ? WPF_RESTORETOMAXIMIZED : 0;
    placement->showCmd = (w->style & WS_MINIMIZE)   ? SW_SHOWMINIMIZED
                         : (w->style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED
                                                    : SW_SHOWNORMAL;
    placement->ptMinPosition = (w->style & WS_MINIMIZE) ? POINT{w->rect.left, w->rect.top} : w->minPosition;
    placement->ptMaxPosition = w->maxPosition;
    RECT normal = w->normalRect;
    if (!w->IsChild()) {
        RECT work{};
        SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
        normal = RECT{normal.left - work.left, normal.top - work.top, normal.right - work.left,
                      normal.bottom - work.top};
    }
    placement->rcNormalPosition = normal;
    return TRUE;
}

BOOL SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* placement) {
    Window* w = Get(hwnd);
    if (!w || !placement || placement->length != sizeof(WINDOWPLACEMENT)) {
        if (w) SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Hold hold(w);
    RECT normal = placement->rcNormalPosition;
    if (!w->IsChild()) {
        RECT work{};
        SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
        normal = RECT{normal.left + work.left, normal.top + work.top, normal.right + work.left,
                      normal.bottom + work.top};
    }
    if (placement->flags & WPF_SETMINPOSITION) w->minPosition = placement->ptMinPosition;
    w->maxPosition = placement->ptMaxPosition;
    w->restoreToMaximized = (placement->flags & WPF_RESTORETOMAXIMIZED) != 0;
    if (!(w->style & (WS_MINIMIZE | WS_MAXIMIZE)))
        SetWindowPosInternal(w, nullptr, normal.left, normal.top, normal.right - normal.left,
                             normal.bottom - normal.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (w->destroyed) return TRUE;
    w->normalRect = normal;
    ShowWindowInternal(w, static_cast<int>(placement->showCmd));
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    if (session::IsForeign(hwnd)) {
        session::RemoteWindow remote;
        if (!rect || !session::Describe(hwnd, &remote, nullptr)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        *rect = remote.rect;
        return TRUE;
    }
    Window* w = Get(hwnd);
    if (!w || !rect) return FALSE;
    *rect = ScreenRect(w);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
    Window* w = Get(hwnd);
    if (!w || !rect) return FALSE;
    *rect = RECT{0, 0, Width(w->client), Height(w->client)};
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
    Window* w = Get(hwnd);
    if (!w || !point) return FALSE;
    const POINT origin = ClientOrigin(w);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
    Window* w = Get(hwnd);
    if (!w || !point) return FALSE;
    const POINT origin = ClientOrigin(w);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
    Window* a = from ? Get(from) : CreateDesktopIfNeeded();
    Window* b = to ? Get(to) : CreateDesktopIfNeeded();
    if (!a || !b) return 0;
    SetLastError(ERROR_SUCCESS);
    const POINT pa = ClientOrigin(a), pb = ClientOrigin(b);
    const int dx = pa.x - pb.x, dy = pa.y - pb.y;
    if (points)
        for (UINT i = 0; i < count; ++i)
            points[i].x += dx, points[i].y += dy;
    return static_cast<int>(MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy)));
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle) {
    if (!rect) return FALSE;
    if (!(style & (WS_CHILD | WS_POPUP))) style |= WS_CAPTION;
    const Frame f = NonClientFrame(style & ~(WS_VSCROLL | WS_HSCROLL), exStyle, menu != FALSE);
    rect->left -= f.left;
    rect->top -= f.top;
    rect->right += f.right;
    rect->bottom += f.bottom;
    return TRUE;
}

BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu) {
    return AdjustWindowRectEx(rect, style, menu, 0);
}

HWND WindowFromPoint(POINT point) {
    Window* w = WindowAt(point, nullptr, true);
    return w ? w->Handle() : nullptr;
}

HWND ChildWindowFromPointEx(HWND parentHandle, POINT point, UINT flags) {
    Window* parent = Get(parentHandle);
    if (!parent) return nullptr;
    if (!parent->isDesktop && !Contains(RECT{0, 0, Width(parent->client), Height(parent->client)}, point))
        return nullptr;
    const POINT origin = ClientOrigin(parent);
    const POINT screen{point.x + origin.x, point.y + origin.y};
    for (Window* child : parent->children) {
        if ((flags & CWP_SKIPINVISIBLE) && !(child->style & WS_VISIBLE)) continue;
        if ((flags & CWP_SKIPDISABLED) && (child->style & WS_DISABLED)) continue;
        if ((flags & CWP_SKIPTRANSPARENT) && (child->exStyle & WS_EX_TRANSPARENT)) continue;
        if (Contains(ScreenRect(child), screen) && InWindowRegion(child, screen)) return child->Handle();
    }
    return parentHandle;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
    return ChildWindowFromPointEx(parent, point, CWP_ALL);
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
    Window* w = Get(hwnd);
    if (!w) return 0;
    if (region && !gdi::LookupRegion(region)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (w->region == region) return 1;
    if (w->region) DeleteObject(w->region);
    w->region = region;
    if (redraw && VisibleFlag(w)) {
        SetWindowPosInternal(w, nullptr, 0, 0, 0, 0,
                             SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    return 1;
}

int GetWindowRgn(HWND hwnd, HRGN region) {
    Window* w = Get(hwnd);
    if (!w || !region || !w->region) return ERROR;
    return CombineRgn(region, w->region, nullptr, RGN_COPY);
}

}  // namespace win32
