// How the menu components reach their windows: the window procedure each puts in front of its
// window's, the messages it handles there, the registry of live menus, and the one message hook of
// the thread that offers keystrokes to every menu's shortcuts.
//
// Several menus may chain on one window (every popup menu uses the application's window), so a
// notification that a menu handles is still passed on, and a menu leaves the chain, whatever its
// place in it, when it is freed.
#include <algorithm>
#include <cctype>
#include <vector>

#include "ribola/zylmenu.h"
#include "vcl/forms.h"
#include "win32/menu.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace ribola {

using namespace win32;

namespace {

// Every menu between taking over its window and giving it back, in the order they came.
struct Registry {
    std::vector<TZylMenu*> menus;
    HHOOK hook = nullptr;
    int listening = 0;  // menus outside the designer, whose shortcuts the hook serves
};

Registry& Menus() {
    static Registry registry;
    return registry;
}

bool IsRegistered(const TZylMenu* menu) {
    const auto& menus = Menus().menus;
    return std::find(menus.begin(), menus.end(), menu) != menus.end();
}

// A menu of the platform's is open: its loop reads the keys itself.
bool MenuLoopRunning() {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(0, &info) && (info.flags & GUI_INMENUMODE);
}

// Offers a keystroke to the shortcuts of every live menu, in the order they came; the first that
// takes it blanks the message so that nobody processes the keystroke again.
void OfferShortCut(MSG& msg) {
    const vcl::TMessage key{msg.message, msg.wParam, msg.lParam, 0};
    for (TZylMenu* menu : std::vector<TZylMenu*>(Menus().menus)) {
        // An earlier shortcut's click may have freed this one.
        if (!IsRegistered(menu) || menu->Designing()) continue;
        if (menu->IsShortCut(key)) {
            msg = MSG{};
            return;
        }
    }
}

LRESULT ShortCutHookProc(int code, WPARAM wParam, LPARAM lParam) {
    // The handle is taken first: a click may free the last menu and remove the hook.
    const HHOOK self = Menus().hook;
    // Only a message on its way out of the queue is a keystroke; a peek that leaves it is not.
    if (code == HC_ACTION && wParam == PM_REMOVE && lParam && !MenuLoopRunning()) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
            try {
                OfferShortCut(*msg);
            } catch (const std::exception& error) {
                if (vcl::Application) vcl::Application->HandleException(nullptr, error);
            }
        }
    }
    return CallNextHookEx(self, code, wParam, lParam);
}

void Enlist(TZylMenu* menu) {
    Registry& registry = Menus();
    if (IsRegistered(menu)) return;
    registry.menus.push_back(menu);
    if (menu->Designing()) return;
    if (registry.listening++ == 0 && !registry.hook)
        registry.hook = SetWindowsHookEx(WH_GETMESSAGE, ShortCutHookProc, nullptr, GetCurrentThreadId());
}

void Discharge(TZylMenu* menu) {
    Registry& registry = Menus();
    const auto found = std::find(registry.menus.begin(), registry.menus.end(), menu);
    if (found == registry.menus.end()) return;
    registry.menus.erase(found);
    if (menu->Designing()) return;
    if (--registry.listening == 0 && registry.hook) {
        UnhookWindowsHookEx(registry.hook);
        registry.hook = nullptr;
    }
}

bool TreeHolds(const TZylMenuItem* root, const TZylMenuItem* wanted) {
    if (!root) return false;
    if (root == wanted) return true;
    for (Integer i = 0; i < root->Count(); ++i)
        if (TreeHolds(root->Items(i), wanted)) return true;
    return false;
}

// The item of the native entry at `position` of `menu`: by the submenu it opens, else by command.
TZylMenuItem* ItemAtPosition(const TZylMenu& owner, HMENU menu, int position) {
    if (const HMENU sub = GetSubMenu(menu, position)) return owner.FindItem(HandleValue(sub), fkHandle);
    const UINT command = GetMenuItemID(menu, position);
    return command == static_cast<UINT>(-1) ? nullptr : owner.FindItem(command, fkCommand);
}

unsigned char LowerCase(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// The character that chooses an item from the keyboard: its mnemonic, else its first character.
unsigned char AccessKey(const std::string& caption) {
    const std::string hotkey = vcl::GetHotkey(caption);
    const std::string& source = hotkey.empty() ? caption : hotkey;
    return source.empty() ? 0 : LowerCase(static_cast<unsigned char>(source.front()));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Taking over and giving back

void TZylMenu::TakeOverWindow() {
    SetWindowHandle(GetWindowHandle());
    HookWin(WindowHandle());
    if (ShowsBar()) SetMenu();
    SetOwnerDrawAll();
    Enlist(this);
}

// Everything the menu did to windows goes before its items do: the shortcut hook, the window
// procedure, the menu bar (a window destroys the bar it shows) and the system menu (whose standard
// entries come back).
void TZylMenu::GiveBack() {
    if (givenBack_) return;
    givenBack_ = true;
    *alive_ = false;
    Discharge(this);
    UnHookWin(hookedWindow_);
    const HMENU root = items_ ? items_->Handle() : nullptr;
    if (barWindow_ && IsWindow(barWindow_) && root && GetMenu(barWindow_) == root)
        win32::SetMenu(barWindow_, nullptr);
    barWindow_ = nullptr;
    if (systemMenuWindow_) {
        if (items_ && root) {
            // The submenus of the items go with the items, not with the system menu.
            items_->RemoveNativeEntries();
            items_->SetHandle(nullptr);
        }
        if (IsWindow(systemMenuWindow_)) GetSystemMenu(systemMenuWindow_, TRUE);
        systemMenuWindow_ = nullptr;
    }
    if (images_) {
        images_->UnRegisterChanges(imageChangeLink_.get());
        images_->RemoveFreeNotification(this);
        images_ = nullptr;
    }
}

void TZylMenu::HookWin(HWND window) {
    if (!window || !IsWindow(window)) return;
    if (hookedWindow_) UnHookWin(hookedWindow_);
    objectInstance_ = vcl::MakeObjectInstance([this](vcl::TMessage& message) { WndProc(message); });
    oldWndProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(objectInstance_)));
    hookedWindow_ = window;
}

void TZylMenu::UnHookWin(HWND window) {
    if (!window || window != hookedWindow_) return;
    // Given back out of turn, the procedure leaves the chain and the newer ones stay.
    if (IsWindow(window)) SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldWndProc_));
    vcl::FreeObjectInstance(objectInstance_);
    objectInstance_ = nullptr;
    oldWndProc_ = nullptr;
    hookedWindow_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// The window procedure

// One named step per message; each says whether it consumed the message. Steps that run user code
// read `alive` afterwards, since that code may free the menu.
struct TZylMenu::Handlers {
    static bool Refresh(TZylMenu& menu) {
        menu.SetOwnerDrawAll();
        if (menu.WindowHandle() && IsWindow(menu.WindowHandle())) DrawMenuBar(menu.WindowHandle());
        return false;  // every menu of the window refreshes
    }

    static bool SetCursor(TZylMenu& menu, vcl::TMessage& message) {
        const bool inMenuMode = HIWORD(message.LParam) == 0;
        if (!menu.newStyles_ || menu.cursor_ == vcl::crDefault || menu.cursor_ == vcl::crArrow || !inMenuMode)
            return false;
        ::win32::SetCursor(vcl::Screen->Cursors(menu.cursor_));
        message.Result = TRUE;
        return true;
    }

    static bool DrawItem(TZylMenu& menu, vcl::TMessage& message) {
        const auto* record = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
        if (!menu.newStyles_ || !record || record->CtlType != ODT_MENU) return false;
        TZylMenuItem* item = menu.FindItem(record->itemID, fkCommand);
        // Entries of the system menu may carry the low bits of their command.
        if (!item && (record->itemID & 0xFFF0) >= kFirstSystemCommand)
            item = menu.FindItem(record->itemID & 0xFFF0, fkCommand);
        if (!item) return false;
        const bool selectedAndDisabled =
            (record->itemState & ODS_SELECTED) && (record->itemState & (ODS_DISABLED | ODS_GRAYED));
        if (item->Visible() && !selectedAndDisabled) item->DrawMenuItem(message);
        message.Result = TRUE;
        return true;
    }

    static bool MeasureItem(TZylMenu& menu, vcl::TMessage& message) {
        const auto* record = reinterpret_cast<const MEASUREITEMSTRUCT*>(message.LParam);
        if (!menu.newStyles_ || !record || record->CtlType != ODT_MENU) return false;
        TZylMenuItem* item = menu.FindItem(record->itemID, fkCommand);
        if (!item) return false;
        if (item->Visible()) item->MeasureMenuItem(message);
        message.Result = TRUE;
        return true;
    }

    // F1 in an open menu: the help of the entry (or of the submenu) when it is one of this menu's.
    static bool Help(TZylMenu& menu, vcl::TMessage& message) {
        const auto* help = reinterpret_cast<const HELPINFO*>(message.LParam);
        if (!help || help->iContextType != HELPINFO_MENUITEM) return false;
        // Id 0 is no entry (nothing selected), though the first item ever made holds command 0.
        Integer context =
            help->iCtrlId != 0
                ? menu.GetHelpContext(static_cast<UINT_PTR>(static_cast<UINT>(help->iCtrlId)), true)
                : 0;
        if (context == 0) context = menu.GetHelpContext(HandleValue(help->hItemHandle), false);
        if (context == 0) return false;
        vcl::TCustomForm* form = vcl::Screen ? vcl::Screen->ActiveForm() : nullptr;
        if (!form) return true;
        if (form->BorderIcons().Contains(vcl::biHelp))
            vcl::Application->HelpCommand(HELP_CONTEXTPOPUP, context);
        else
            vcl::Application->HelpContext(context);
        return false;
    }

    static bool Command(TZylMenu& menu, vcl::TMessage& message) {
        // Controls notify with their window in lParam; menus and accelerators without.
        if (message.LParam != 0 || !menu.DispatchCommand(LOWORD(message.WParam))) return false;
        message.Result = 0;
        return true;
    }

    static bool SystemCommand(TZylMenu& menu, vcl::TMessage& message) {
        // The standard commands stay with the window; another menu of it may own the command.
        if (message.WParam >= kFirstSystemCommand || !menu.DispatchCommand(static_cast<Word>(message.WParam)))
            return false;
        message.Result = 0;
        return true;
    }

    static bool InitPopup(TZylMenu& menu, vcl::TMessage& message) {
        menu.DispatchPopup(reinterpret_cast<HMENU>(message.WParam));
        return false;
    }

    // The item a WM_MENUSELECT names: a submenu by its position in the menu, else a command.
    static TZylMenuItem* Selected(const TZylMenu& menu, WPARAM wParam, LPARAM lParam) {
        const auto native = reinterpret_cast<HMENU>(lParam);
        if (HIWORD(wParam) & MF_POPUP) {
            const HMENU sub = GetSubMenu(native, LOWORD(wParam));
            return sub ? menu.FindItem(HandleValue(sub), fkHandle) : nullptr;
        }
        return menu.FindItem(LOWORD(wParam), fkCommand);
    }

    // Whether some menu chained on the same window owns the selected entry.
    static bool AnotherMenuSelects(const TZylMenu& menu, WPARAM wParam, LPARAM lParam) {
        for (const TZylMenu* other : Menus().menus)
            if (other != &menu && other->hookedWindow_ == menu.hookedWindow_ &&
                Selected(*other, wParam, lParam))
                return true;
        return false;
    }

    static bool Select(TZylMenu& menu, vcl::TMessage& message) {
        const bool closing = HIWORD(message.WParam) == 0xFFFF && message.LParam == 0;
        TZylMenuItem* item = closing ? nullptr : Selected(menu, message.WParam, message.LParam);
        if (!item) {
            if (vcl::Application && (closing || !AnotherMenuSelects(menu, message.WParam, message.LParam)))
                vcl::Application->SetHint("");
            return false;
        }
        const std::shared_ptr<bool> alive = menu.alive_;
        const std::string hint = item->Hint();
        if (item->OnSelect) item->OnSelect(&menu);
        if (!*alive) return false;
        if (menu.OnHint) menu.OnHint(&menu, vcl::GetLongHint(hint), vcl::GetShortHint(hint));
        if (*alive && vcl::Application) vcl::Application->SetHint(vcl::GetLongHint(hint));
        return false;
    }

    // A character no mnemonic of the platform's matched (owner-drawn entries have none): the first
    // visible, enabled item of the open menu whose access key it is runs, by its native position.
    static bool MenuChar(TZylMenu& menu, vcl::TMessage& message) {
        const auto native = reinterpret_cast<HMENU>(message.LParam);
        const unsigned char key = LowerCase(static_cast<unsigned char>(LOWORD(message.WParam) & 0xFF));
        for (int position = 0, count = GetMenuItemCount(native); position < count; ++position) {
            const TZylMenuItem* item = ItemAtPosition(menu, native, position);
            if (!item || !item->Visible() || !item->Enabled() || item->Caption().empty()) continue;
            if (AccessKey(item->Caption()) != key) continue;
            message.Result = MAKELRESULT(static_cast<WORD>(position), MNC_EXECUTE);
            return true;
        }
        return false;
    }
};

void TZylMenu::WndProc(vcl::TMessage& message) {
    const HWND window = hookedWindow_;
    const WNDPROC previous = oldWndProc_;
    const std::shared_ptr<bool> alive = alive_;
    bool consumed = false;
    try {
        consumed = HandleMessage(message);
    } catch (const std::exception& error) {
        if (vcl::Application) vcl::Application->HandleException(*alive ? this : nullptr, error);
    }
    if (consumed) return;
    message.Result = previous && IsWindow(window)
                         ? CallWindowProc(previous, window, message.Msg, message.WParam, message.LParam)
                         : 0;
}

bool TZylMenu::HandleMessage(vcl::TMessage& message) {
    switch (message.Msg) {
        case WM_SYSCOLORCHANGE:
        case vcl::CM_MENUCHANGED:
        case WM_ENTERMENULOOP:
            return Handlers::Refresh(*this);
        case WM_SETCURSOR:
            return Handlers::SetCursor(*this, message);
        case WM_DRAWITEM:
            return Handlers::DrawItem(*this, message);
        case WM_MEASUREITEM:
            return Handlers::MeasureItem(*this, message);
        case WM_HELP:
            return Handlers::Help(*this, message);
        case WM_COMMAND:
            return Handlers::Command(*this, message);
        case WM_SYSCOMMAND:
            return Handlers::SystemCommand(*this, message);
        case WM_INITMENUPOPUP:
            return Handlers::InitPopup(*this, message);
        case WM_MENUSELECT:
            return Handlers::Select(*this, message);
        case WM_MENUCHAR:
            return Handlers::MenuChar(*this, message);
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Shortcuts

bool TZylMenu::IsShortCut(const vcl::TMessage& key) {
    if (auto* control = dynamic_cast<vcl::TWinControl*>(Owner())) {
        // The menu answers for the form it sits on.
        vcl::TWinControl* form = vcl::GetParentForm(control);
        if (!form) form = control;
        if (!form->HandleAllocated() || form->Handle() != GetActiveWindow()) return false;
    }
    if (!WindowHandle()) return false;
    constexpr LPARAM kAltDown = LPARAM{1} << 29;
    const vcl::TShortCut shortCut = static_cast<vcl::TShortCut>(
        (key.WParam & 0xFF) | (GetKeyState(VK_SHIFT) < 0 ? vcl::scShift : 0) |
        (GetKeyState(VK_CONTROL) < 0 ? vcl::scCtrl : 0) | ((key.LParam & kAltDown) ? vcl::scAlt : 0));
    if ((shortCut & 0xFF) == 0) return false;
    const std::shared_ptr<bool> alive = alive_;
    bool found = false;
    // A click may give the shortcut to another item; the search then starts again, a bounded
    // number of times.
    for (int round = 0; round < 16 && *alive; ++round) {
        TZylMenuItem* item = FindItem(shortCut, fkShortCut);
        if (!item) break;
        found = true;
        std::vector<TZylMenuItem*> chain;
        for (TZylMenuItem* link = item; link; link = link->Parent())
            chain.insert(chain.begin(), link);
        bool moved = false;
        for (TZylMenuItem* link : chain) {
            // A click may free items, the menu or its form.
            if (!*alive || !(TreeHolds(items_, link) || TreeHolds(items_->Merged(), link))) break;
            if (!link->Enabled()) break;
            if (link == item && item->ShortCut() != shortCut) {
                moved = true;
                break;
            }
            try {
                link->Click();
            } catch (const std::exception& error) {
                if (vcl::Application) vcl::Application->HandleException(*alive ? this : nullptr, error);
            }
        }
        if (!moved) break;
    }
    return found;
}

}  // namespace ribola
