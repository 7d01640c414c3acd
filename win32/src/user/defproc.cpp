// DefWindowProc: the default answers to the messages windows rely on, and the move/size and caption
// button loops it runs for the non-client area.
#include <algorithm>

#include "menu/menu_internal.h"
#include "user/scrollbar_internal.h"
#include "user/user_internal.h"
#include "win32/scope.h"
#include "win32/virtualkeys.h"

namespace win32 {

namespace user {

namespace {

POINT PointOf(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

HWND TopHandle(Window* w) {
    return TopLevel(w)->Handle();
}

void SetStockCursor(LPCSTR id) {
    SetCursor(LoadCursor(nullptr, id));
}

// Follows the mouse (or the arrow keys) until the button comes up, Return or Escape.
void SizeMoveLoop(Window* w, WPARAM command, LPARAM where) {
    auto& s = S();
    const HWND hwnd = w->Handle();
    const bool sizing = (command & 0xFFF0) == SC_SIZE;
    WPARAM edge = command & 0x0F;
    if (sizing && edge == 0) edge = WMSZ_BOTTOMRIGHT;
    const RECT original = ScreenRect(w);
    // A drag starts where the button went down; a command from the keyboard at the cursor.
    const bool byKeyboard = !(GetKeyState(VK_LBUTTON) & 0x8000);
    POINT start{};
    GetCursorPos(&start);
    if (!byKeyboard && where) start = PointOf(where);
    POINT last = start;
    SetCapture(hwnd);
    s.moveSize = hwnd;
    Send(w, WM_ENTERSIZEMOVE, 0, 0);
    // The tracking limits are asked once, as Win32 does, and hold the dragged edge, not the opposite one.
    MINMAXINFO limits{};
    if (sizing && Find(hwnd)) {
        DefaultMinMaxInfo(w, &limits);
        Send(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    }
    auto keepWithinLimits = [&](RECT& r) {
        const LONG minWidth = limits.ptMinTrackSize.x, maxWidth = std::max(minWidth, limits.ptMaxTrackSize.x);
        const LONG minHeight = limits.ptMinTrackSize.y,
                   maxHeight = std::max(minHeight, limits.ptMaxTrackSize.y);
        const LONG width = std::clamp(r.right - r.left, minWidth, maxWidth);
        const LONG height = std::clamp(r.bottom - r.top, minHeight, maxHeight);
        if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
            r.left = r.right - width;
        else
            r.right = r.left + width;
        if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT)
            r.top = r.bottom - height;
        else
            r.bottom = r.top + height;
    };
    bool done = false;
    auto apply = [&](POINT p) {
        Window* x = Find(hwnd);
        if (!x) {
            done = true;
            return;
        }
        const int dx = p.x - start.x, dy = p.y - start.y;
        RECT r = original;
        if (!sizing) {
            r = RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
            Send(x, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
        } else {
            if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) r.left += dx;
            if (edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT) r.right += dx;
            if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) r.top += dy;
            if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT) r.bottom += dy;
            keepWithinLimits(r);
            Send(x, WM_SIZING, edge, reinterpret_cast<LPARAM>(&r));
        }
        if (!Find(hwnd)) return;
        POINT origin{0, 0};
        if (x->parent && !x->parent->isDesktop) origin = ClientOrigin(x->parent);
        SetWindowPosInternal(x, nullptr, r.left - origin.x, r.top - origin.y, r.right - r.left,
                             r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE | (sizing ? 0 : SWP_NOSIZE));
    };
    try {
        while (!done && Find(hwnd) && s.capture && s.capture->Handle() == hwnd) {
            MSG msg;
            if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ModalIdle("SizeMove");
                continue;
            }
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (CallMsgFilter(&msg, MSGF_USER)) continue;
            switch (msg.message) {
                case WM_MOUSEMOVE:
                    last = msg.pt;
                    apply(last);
                    break;
                case WM_LBUTTONUP:
                    done = true;
                    break;
                case WM_KEYDOWN:
                    if (msg.wParam == VK_ESCAPE) {
                        apply(start);
                        done = true;
                    } else if (msg.wParam == VK_RETURN) {
                        done = true;
                    } else if (byKeyboard) {
                        if (msg.wParam == VK_LEFT) last.x -= 8;
                        if (msg.wParam == VK_RIGHT) last.x += 8;
                        if (msg.wParam == VK_UP) last.y -= 8;
                        if (msg.wParam == VK_DOWN) last.y += 8;
                        apply(last);
                    }
                    break;
                default:
                    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) break;
                    TranslateMessage(&msg);
                    DispatchMessage(&msg);
            }
        }
    } catch (...) {
        s.moveSize = nullptr;
        if (s.capture && s.capture->Handle() == hwnd) ReleaseCapture();
        throw;
    }
    s.moveSize = nullptr;
    if (Window* x = Find(hwnd)) {
        if (s.capture == x) ReleaseCapture();
        Send(x, WM_EXITSIZEMOVE, 0, 0);
    }
}

// A caption button acts when the button comes up over it.
void TrackCaptionButton(Window* w, LRESULT hit) {
    auto& s = S();
    const HWND hwnd = w->Handle();
    SetCapture(hwnd);
    bool released = false;
    POINT at{};
    while (!released && Find(hwnd) && s.capture && s.capture->Handle() == hwnd) {
        MSG msg;
        if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ModalIdle("CaptionButton");
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (msg.message == WM_LBUTTONUP) {
            released = true;
            at = msg.pt;
        } else if (!(msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    }
    Window* x = Find(hwnd);
    if (!x) return;
    if (s.capture == x) ReleaseCapture();
    if (!released || DefaultHitTest(x, at) != hit) return;
    WPARAM command = SC_CLOSE;
    if (hit == HTMINBUTTON) command = SC_MINIMIZE;
    if (hit == HTMAXBUTTON) command = (x->style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE;
    Send(x, WM_SYSCOMMAND, command, MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
}

// The classic frame: borders, caption with its buttons, the menu bar's ground, client edges and
// scroll bars, drawn into `dc` whose origin is the window's top-left corner and whose clipping
// leaves the client area out.
void DrawFrame(Window* w, HDC dc) {
    const HWND hwnd = w->Handle();
    const RECT outer = ScreenRect(w);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    RECT r{0, 0, width, height};
    const DWORD style = w->style;
    auto band = [&](int thickness, int color) {
        for (int i = 0; i < thickness && r.right > r.left && r.bottom > r.top; ++i) {
            FrameRect(dc, &r, GetSysColorBrush(color));
            r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
        }
    };
    const bool active = S().active && TopLevel(w) == S().active;
    if (style & WS_THICKFRAME) {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        band(GetSystemMetrics(SM_CXFRAME) - 2, active ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER);
    } else if ((style & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME)) {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        band(GetSystemMetrics(SM_CXDLGFRAME) - 2, COLOR_3DFACE);
    } else if (style & WS_BORDER) {
        band(1, COLOR_WINDOWFRAME);
    }
    if ((style & WS_CAPTION) == WS_CAPTION && !(style & WS_MINIMIZE)) {
        const bool tool = (w->exStyle & WS_EX_TOOLWINDOW) != 0;
        const int captionHeight = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
        RECT caption{r.left, r.top, r.right, r.top + captionHeight - 1};
        FillRect(dc, &caption, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        RECT line{r.left, caption.bottom, r.right, caption.bottom + 1};
        FillRect(dc, &line, GetSysColorBrush(COLOR_3DFACE));
        RECT text = caption;
        text.left += 2;
        if (style & WS_SYSMENU) {
            const int button = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE);
            RECT box{caption.right - 2 - button, caption.top + 2, caption.right - 2, caption.bottom - 2};
            DrawFrameControl(dc, &box, DFC_CAPTION,
                             DFCS_CAPTIONCLOSE | ((w->cls->style & CS_NOCLOSE) ? DFCS_INACTIVE : 0));
            text.right = box.left - 2;
            if (!tool && (style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX))) {
                box = RECT{box.left - 2 - button, box.top, box.left - 2, box.bottom};
                DrawFrameControl(dc, &box, DFC_CAPTION,
                                 ((style & WS_MAXIMIZE) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX) |
                                     ((style & WS_MAXIMIZEBOX) ? 0 : DFCS_INACTIVE));
                box = RECT{box.left - button, box.top, box.left, box.bottom};
                DrawFrameControl(dc, &box, DFC_CAPTION,
                                 DFCS_CAPTIONMIN | ((style & WS_MINIMIZEBOX) ? 0 : DFCS_INACTIVE));
                text.right = box.left - 2;
            }
        }
        NONCLIENTMETRICS metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        HFONT font = CreateFontIndirect(tool ? &metrics.lfSmCaptionFont : &metrics.lfCaptionFont);
        HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        DrawText(dc, w->text.c_str(), static_cast<int>(w->text.size()), &text,
                 DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, old);
        DeleteObject(font);
        r.top += captionHeight;
    }
    if (!w->IsChild() && w->menu) {
        RECT bar{r.left, r.top, r.right, r.top + GetSystemMetrics(SM_CYMENU)};
        menu::DrawBar(dc, hwnd, bar);
        r.top = bar.bottom;
    }
    if (w->exStyle & WS_EX_CLIENTEDGE) DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    if (w->exStyle & WS_EX_STATICEDGE) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    PaintWindowScrollBars(w, dc);
}

void PaintFrame(Window* w) {
    const HWND hwnd = w->Handle();
    HDC dc = FrameDC(w);
    if (!dc) return;
    DrawFrame(w, dc);
    ReleaseDC(hwnd, dc);
}

// WM_PRINT: the window as the screen shows it, drawn into any DC at the DC's origin. PRF_NONCLIENT
// draws the frame, PRF_ERASEBKGND and PRF_CLIENT ask the window for its background and client
// area (WM_ERASEBKGND, WM_PRINTCLIENT) with the origin moved to the client area, PRF_CHILDREN
// prints the visible children at their places, and PRF_CHECKVISIBLE prints nothing for a hidden
// window. The DC's state is as it was afterwards.
void Print(Window* w, HDC dc, LPARAM options) {
    if (!dc || ((options & PRF_CHECKVISIBLE) && !(w->style & WS_VISIBLE))) return;
    Hold hold(w);
    const RECT client = w->client;
    const int saved = SaveDC(dc);
    if (options & PRF_NONCLIENT) {
        const int frameSaved = SaveDC(dc);
        ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
        DrawFrame(w, dc);
        RestoreDC(dc, frameSaved);
    }
    OffsetViewportOrgEx(dc, client.left, client.top, nullptr);
    IntersectClipRect(dc, 0, 0, client.right - client.left, client.bottom - client.top);
    if (options & PRF_ERASEBKGND) Send(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    if (options & PRF_CLIENT) Send(w, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), options);
    if ((options & PRF_CHILDREN) && !w->destroyed) {
        // Bottom of the z-order first, so that the topmost child ends on top.
        const std::vector<Window*> children(w->children.rbegin(), w->children.rend());
        for (Window* child : children) {
            if (child->destroyed || !(child->style & WS_VISIBLE)) continue;
            const int childSaved = SaveDC(dc);
            OffsetViewportOrgEx(dc, child->rect.left, child->rect.top, nullptr);
            Send(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), options & ~PRF_CHECKVISIBLE);
            RestoreDC(dc, childSaved);
        }
    }
    RestoreDC(dc, saved);
}

LRESULT SysCommand(Window* w, WPARAM wParam, LPARAM lParam) {
    switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            if (w->cls->style & CS_NOCLOSE) return 0;
            Send(w, WM_CLOSE, 0, 0);
            return 0;
        case SC_MINIMIZE:
            ShowWindowInternal(w, SW_MINIMIZE);
            return 0;
        case SC_MAXIMIZE:
            ShowWindowInternal(w, SW_MAXIMIZE);
            return 0;
        case SC_RESTORE:
            ShowWindowInternal(w, SW_RESTORE);
            return 0;
        case SC_MOVE:
        case SC_SIZE:
            if (w->style & WS_MAXIMIZE) return 0;
            if ((wParam & 0xFFF0) == SC_SIZE && !(w->style & WS_THICKFRAME)) return 0;
            SizeMoveLoop(w, wParam, lParam);
            return 0;
        case SC_VSCROLL:
        case SC_HSCROLL:
            TrackWindowScrollBar(w, (wParam & 0xFFF0) == SC_VSCROLL ? SB_VERT : SB_HORZ, PointOf(lParam));
            return 0;
        case SC_KEYMENU:
        case SC_MOUSEMENU:
            menu::SystemCommand(TopHandle(w), wParam, lParam);
            return 0;
        case SC_SCREENSAVE:
            StartScreenSaver();
            return 0;
        default:
            return 0;
    }
}

bool HasVisibleCaption(const Window* w) {
    return (w->style & WS_CAPTION) == WS_CAPTION && VisibleFlag(w);
}

bool HasWindowParent(const Window* w) {
    return w->IsChild() && w->parent && !w->parent->isDesktop;
}

void TakeCreationText(Window* w, const CREATESTRUCT* cs) {
    if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->text = cs->lpszName;
}

LRESULT CalcSize(Window* w, WPARAM wParam, LPARAM lParam) {
    if (!lParam) return 0;
    if (wParam)
        DefaultCalcSize(w, &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]);
    else
        DefaultCalcSize(w, reinterpret_cast<RECT*>(lParam));
    return 0;
}

void ShowCaptionActivation(Window* w, bool active) {
    if (!HasVisibleCaption(w)) return;
    // The caption shows the new state at once.
    auto& s = S();
    const ScopedValue shown(s.active, active ? TopLevel(w) : (s.active == w ? nullptr : s.active));
    PaintFrame(w);
}

void StoreText(Window* w, LPARAM lParam) {
    w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
    if (HasVisibleCaption(w)) {
        w->ncDirty = true;
        RefreshPaintState(w);
    }
    if (w->parent && w->parent->isDesktop) session::WindowChanged(w);
}

// The cursor over a sizing border (the arrow elsewhere outside the client area).
LPCSTR SizingCursor(SHORT hit) {
    switch (hit) {
        case HTLEFT:
        case HTRIGHT:
            return IDC_SIZEWE;
        case HTTOP:
        case HTBOTTOM:
            return IDC_SIZENS;
        case HTTOPLEFT:
        case HTBOTTOMRIGHT:
            return IDC_SIZENWSE;
        case HTTOPRIGHT:
        case HTBOTTOMLEFT:
            return IDC_SIZENESW;
        default:
            return IDC_ARROW;
    }
}

LRESULT SetCursorFor(Window* w, WPARAM wParam, LPARAM lParam) {
    // A parent may set the cursor for its children.
    if (HasWindowParent(w) && Send(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
    const auto hit = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)));
    const WORD mouse = HIWORD(static_cast<DWORD_PTR>(lParam));
    switch (hit) {
        case HTERROR:
            if (mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN || mouse == WM_MBUTTONDOWN ||
                mouse == WM_XBUTTONDOWN)
                MessageBeep(0);
            return FALSE;
        case HTCLIENT:
            if (!w->cls->cursor) return FALSE;
            SetCursor(w->cls->cursor);
            return TRUE;
        default:
            SetStockCursor(SizingCursor(hit));
            return TRUE;
    }
}

LRESULT MouseActivate(Window* w, WPARAM wParam, LPARAM lParam) {
    // The parent may decide for its child.
    if (HasWindowParent(w)) {
        if (const LRESULT answer = Send(w->parent, WM_MOUSEACTIVATE, wParam, lParam)) return answer;
    }
    return MA_ACTIVATE;
}

LRESULT PassToParent(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    return HasWindowParent(w) ? Send(w->parent, message, wParam, lParam) : 0;
}

void SendContextMenuForClick(Window* w, LPARAM lParam) {
    const HWND hwnd = w->Handle();
    POINT p = PointOf(lParam);
    ClientToScreen(hwnd, &p);
    Send(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd),
         MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
}

LRESULT EraseWithClassBrush(Window* w, HDC dc) {
    const HBRUSH brush = w->cls->background;
    if (!brush || !dc) return 0;
    const RECT r{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
    FillRect(dc, &r, brush);
    return 1;
}

void ValidateWithoutPainting(HWND hwnd) {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
}

void SetRedraw(Window* w, bool redraw) {
    // The redraw switch is the visibility bit, without any message.
    if (redraw)
        w->style |= WS_VISIBLE;
    else
        w->style &= ~WS_VISIBLE;
}

// The key was already down (bit 30 of a key message's lParam).
bool IsRepeat(LPARAM lParam) {
    return (lParam & (KF_REPEAT << 16)) != 0;
}

// Alt pressed and released alone opens the menu; Alt+F4 closes the top-level window.
void SysKeyDown(Window* w, WPARAM key, LPARAM lParam) {
    auto& s = S();
    if (key == VK_MENU) {
        if (!IsRepeat(lParam)) s.altTapped = true;
        return;
    }
    s.altTapped = false;
    if (key == VK_F4 && (lParam & (KF_ALTDOWN << 16)) && !IsRepeat(lParam))
        Send(TopLevel(w), WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool ShiftDown() {
    return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}

void SysKeyUp(Window* w, WPARAM key) {
    auto& s = S();
    const bool tapped = s.altTapped;
    s.altTapped = false;
    if ((key == VK_MENU && tapped) || (key == VK_F10 && !ShiftDown()))
        Send(TopLevel(w), WM_SYSCOMMAND, SC_KEYMENU, 0);
}

void OfferContextMenuKey(Window* w, WPARAM key) {
    // Shift+F10 and the menu key ask for the context menu at the keyboard's place (-1).
    if ((key == VK_F10 && ShiftDown()) || key == VK_APPS)
        Send(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w->Handle()), -1);
}

void SysChar(Window* w, WPARAM character, LPARAM lParam) {
    if (character == '\r' || IsRepeat(lParam)) return;
    Send(TopLevel(w), WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(character));
}

// A press on the frame starts what that part of the frame does.
void NonClientButtonDown(Window* w, LRESULT hit, LPARAM lParam) {
    if (hit == HTCAPTION) {
        Send(w, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lParam);
    } else if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) {
        Send(w, WM_SYSCOMMAND, SC_SIZE | static_cast<WPARAM>(hit - HTLEFT + 1), lParam);
    } else if (hit == HTCLOSE || hit == HTMINBUTTON || hit == HTMAXBUTTON) {
        TrackCaptionButton(w, hit);
    } else if (hit == HTVSCROLL || hit == HTHSCROLL) {
        Send(w, WM_SYSCOMMAND, (hit == HTVSCROLL ? SC_VSCROLL : SC_HSCROLL) | static_cast<WPARAM>(hit),
             lParam);
    } else if (hit == HTSYSMENU || hit == HTMENU) {
        Send(w, WM_SYSCOMMAND, SC_MOUSEMENU + static_cast<WPARAM>(hit), lParam);
    }
}

void NonClientDoubleClick(Window* w, WPARAM hit, LPARAM lParam) {
    if (hit == static_cast<WPARAM>(HTCAPTION) && (w->style & WS_MAXIMIZEBOX))
        Send(w, WM_SYSCOMMAND, (w->style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE, lParam);
    else if (hit == static_cast<WPARAM>(HTSYSMENU))
        Send(w, WM_SYSCOMMAND, SC_CLOSE, lParam);
    else if (hit == static_cast<WPARAM>(HTVSCROLL) || hit == static_cast<WPARAM>(HTHSCROLL))
        // A quick second press on a scroll bar is another press.
        Send(w, WM_SYSCOMMAND, (hit == static_cast<WPARAM>(HTVSCROLL) ? SC_VSCROLL : SC_HSCROLL) | hit,
             lParam);
}

// Edit and list controls sit on the window colour, the others on the face colour.
LRESULT ControlColors(UINT message, HDC dc) {
    const bool face = message != WM_CTLCOLOREDIT && message != WM_CTLCOLORLISTBOX;
    if (dc) {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(face ? COLOR_3DFACE : COLOR_WINDOW));
    }
    return reinterpret_cast<LRESULT>(GetSysColorBrush(face ? COLOR_3DFACE : COLOR_WINDOW));
}

}  // namespace

}  // namespace user

using namespace user;

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = Find(hwnd);
    if (!w) return 0;
    Hold hold(w);
    switch (message) {
        case WM_NCCREATE:
            TakeCreationText(w, reinterpret_cast<const CREATESTRUCT*>(lParam));
            return TRUE;
        case WM_NCCALCSIZE:
            return CalcSize(w, wParam, lParam);
        case WM_NCHITTEST:
            return DefaultHitTest(w, PointOf(lParam));
        case WM_NCACTIVATE:
            ShowCaptionActivation(w, wParam != 0);
            return TRUE;
        case WM_GETTEXT:
            if (!lParam || wParam == 0) return 0;
            return CopyText(w->text, reinterpret_cast<char*>(lParam), wParam);
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(w->text.size());
        case WM_SETTEXT:
            StoreText(w, lParam);
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_SYSCOMMAND:
            return SysCommand(w, wParam, lParam);
        case WM_SETCURSOR:
            return SetCursorFor(w, wParam, lParam);
        case WM_MOUSEACTIVATE:
            return MouseActivate(w, wParam, lParam);
        case WM_ACTIVATE:
            // Activated and not minimized: the focus comes along.
            if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) SetFocusInternal(w);
            return 0;
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
        case WM_CONTEXTMENU:
        case WM_APPCOMMAND:
            return PassToParent(w, message, wParam, lParam);
        case WM_RBUTTONUP:
            SendContextMenuForClick(w, lParam);
            return 0;
        case WM_NCRBUTTONUP:
            Send(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lParam);
            return 0;
        case WM_ERASEBKGND:
            return EraseWithClassBrush(w, reinterpret_cast<HDC>(wParam));
        case WM_PAINT:
            ValidateWithoutPainting(hwnd);
            return 0;
        case WM_NCPAINT:
            if (VisibleFlag(w)) PaintFrame(w);
            return 0;
        case WM_PRINT:
            Print(w, reinterpret_cast<HDC>(wParam), lParam);
            return 0;
        case WM_WINDOWPOSCHANGING:
            if (lParam) DefaultWindowPosChanging(w, reinterpret_cast<WINDOWPOS*>(lParam));
            return 0;
        case WM_WINDOWPOSCHANGED:
            if (lParam) DefaultWindowPosChanged(w, reinterpret_cast<const WINDOWPOS*>(lParam));
            return 0;
        case WM_CANCELMODE:
            if (S().capture == w) ReleaseCapture();
            return 0;
        case WM_SETREDRAW:
            SetRedraw(w, wParam != 0);
            return 0;
        case WM_KEYDOWN:
            S().altTapped = false;
            return 0;
        case WM_SYSKEYDOWN:
            SysKeyDown(w, wParam, lParam);
            return 0;
        case WM_SYSKEYUP:
            SysKeyUp(w, wParam);
            return 0;
        case WM_KEYUP:
            OfferContextMenuKey(w, wParam);
            return 0;
        case WM_SYSCHAR:
            SysChar(w, wParam, lParam);
            return 0;
        case WM_NCLBUTTONDOWN:
            NonClientButtonDown(w, static_cast<LRESULT>(wParam), lParam);
            return 0;
        case WM_NCLBUTTONDBLCLK:
            NonClientDoubleClick(w, wParam, lParam);
            return 0;
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            return ControlColors(message, reinterpret_cast<HDC>(wParam));
        case WM_QUERYENDSESSION:
        case WM_QUERYOPEN:
            return TRUE;
        default:
            return 0;
    }
}

}  // namespace win32
