// Menus: the item tree (TMenuItem), the menu components (TMainMenu on a form's menu bar, TPopupMenu
// shown on a right click) and their native menus, kept in step with every change.
//
// Items are components like any other: a form owns the items of its menus, and the tree is kept by
// Parent/Items links. An item frees its children with it. Each item has a command identifier unique
// in the process; a WM_COMMAND from a menu reaches the item's Click through DispatchCommand.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/controls.h"
#include "vcl/graphics.h"
#include "vcl/imglist.h"

namespace vcl {

class TMenu;

VCL_DECLARE_EXCEPTION(EMenuError, Exception)

enum class TMenuBreak : uint8_t { mbNone, mbBreak, mbBarBreak };
VCL_ENUM_NAMES(TMenuBreak, "mbNone", "mbBreak", "mbBarBreak")
using enum TMenuBreak;

enum class TPopupAlignment : uint8_t { paLeft, paRight, paCenter };
VCL_ENUM_NAMES(TPopupAlignment, "paLeft", "paRight", "paCenter")
using enum TPopupAlignment;

enum class TTrackButton : uint8_t { tbRightButton, tbLeftButton };
VCL_ENUM_NAMES(TTrackButton, "tbRightButton", "tbLeftButton")
using enum TTrackButton;

enum class TFindItemKind : uint8_t { fkCommand, fkHandle, fkShortCut };
VCL_ENUM_NAMES(TFindItemKind, "fkCommand", "fkHandle", "fkShortCut")
using enum TFindItemKind;

// The caption that makes an item a separator line.
inline constexpr std::string_view cLineCaption = "-";

// ---------------------------------------------------------------------------------------------
// TMenuItem

class TMenuItem : public TComponent {
    VCL_DECLARE_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    // The tree. Index errors raise EMenuError "Menu index out of range".
    Integer Count() const { return static_cast<Integer>(items_.size()); }
    TMenuItem* Items(Integer index) const;
    // Raises EMenuError "Menu inserted twice" for an item that already has a parent.
    void Add(TMenuItem* item);
    void Add(const std::vector<TMenuItem*>& items);
    void Insert(Integer index, TMenuItem* item);
    // Takes the item out of the tree without freeing it.
    void Delete(Integer index);
    // Raises EMenuError "Sub-menu is not in menu" for an item that is not a child.
    void Remove(TMenuItem* item);
    // Frees every child.
    void Clear();
    // -1 when the item is not a child.
    Integer IndexOf(const TMenuItem* item) const;
    // The child whose caption without hotkey marks equals `caption` (case-insensitive); nullptr for none.
    TMenuItem* Find(std::string_view caption) const;
    TMenuItem* Parent() const { return parent_; }
    // The position among the parent's children; -1 without a parent.
    Integer MenuIndex() const;
    void SetMenuIndex(Integer value);
    // The menu component of the tree, nullptr while the item hangs in no menu.
    TMenu* GetParentMenu() const;
    bool IsLine() const { return caption_ == cLineCaption; }

    // The native popup menu of this item's children, made on demand.
    win32::HMENU Handle();
    bool HandleAllocated() const;
    win32::UINT Command() const { return command_; }

    // Properties
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    // Clicking an item with AutoCheck toggles Checked (or checks a radio item) before OnClick.
    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool value) { autoCheck_ = value; }
    // Radio items of one parent and GroupIndex: checking one unchecks the others.
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool value);
    Byte GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(Byte value);
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    TMenuBreak Break() const { return break_; }
    void SetBreak(TMenuBreak value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value) { hint_ = value; }
    Integer HelpContext() const { return helpContext_; }
    void SetHelpContext(Integer value) { helpContext_ = value; }
    // Shown beside the caption.
    TBitmap* Bitmap() const { return bitmap_.get(); }
    void SetBitmap(const TBitmap* value);
    bool HasBitmap() const { return bitmap_ && !bitmap_->Empty(); }
    // An image of the menu's Images; -1 for none. A bitmap of its own comes first.
    Integer ImageIndex() const { return imageIndex_; }
    void SetImageIndex(Integer value);

    // Runs AutoCheck, then OnClick; nothing for a disabled item.
    virtual void Click();
    TNotifyEvent OnClick;

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* value) override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

    static void Publish(Published<TMenuItem>& p);

protected:
    // Tells the tree that this item changed: rebuild all (the structure changed) or only this entry.
    virtual void MenuChanged(bool rebuild);
    void SetChildOrder(TComponent* child, int order) override;

private:
    friend class TMenu;
    friend class TMainMenu;
    bool IsCheckedStored() const { return checked_; }
    bool IsBitmapStored() const { return HasBitmap(); }
    void BitmapChanged(TObject* sender);
    void TurnSiblingsOff();
    void DoInsert(Integer index, TMenuItem* item);
    // Fills the native menu from the children (and, for a menu's root, the merged menu's items).
    void RebuildHandle();
    // The children shown in the native menu, with a merged menu's items put in by GroupIndex.
    std::vector<TMenuItem*> ShownItems() const;
    void AppendTo(win32::HMENU menu, bool onMenuBar);
    TMenuItem* FindIn(win32::UINT value, TFindItemKind kind);

    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;            // set on a menu's root item only
    TMenuItem* merged_ = nullptr;      // a root item: the root of the menu merged into this one
    TMenuItem* mergedWith_ = nullptr;  // a root item: the root this one is merged into
    win32::HMENU handle_ = nullptr;
    win32::UINT command_ = 0;
    std::string caption_;
    std::string hint_;
    TShortCut shortCut_ = scNone;
    Integer helpContext_ = 0;
    Integer imageIndex_ = -1;
    std::unique_ptr<TBitmap> bitmap_;
    TMenuBreak break_ = mbNone;
    Byte groupIndex_ = 0;
    bool checked_ = false;
    bool autoCheck_ = false;
    bool radioItem_ = false;
    bool default_ = false;
    bool enabled_ = true;
    bool visible_ = true;
};

// ---------------------------------------------------------------------------------------------
// TMenu

class TMenu : public TComponent {
    VCL_DECLARE_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    // The root item: its children are the menu's entries.
    TMenuItem* Items() const { return items_; }
    // The native menu (a menu bar for a main menu, a popup menu otherwise).
    win32::HMENU Handle() { return items_->Handle(); }
    // The window that receives the menu's messages.
    win32::HWND WindowHandle() const { return windowHandle_; }
    void SetWindowHandle(win32::HWND value) { windowHandle_ = value; }

    TImageList* Images() const { return images_; }
    void SetImages(TImageList* value);
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool value);

    // The item with that command, submenu handle or shortcut (searching merged menus too).
    TMenuItem* FindItem(win32::UINT value, TFindItemKind kind);
    // Clicks the item of a WM_COMMAND; true when there was one.
    bool DispatchCommand(win32::UINT command);
    // Runs the OnClick of the item whose submenu is about to open (WM_INITMENUPOPUP); true when found.
    bool DispatchPopup(win32::HMENU submenu);
    // Clicks the enabled, visible item with that shortcut; true when there was one.
    virtual bool IsShortCut(TShortCut shortCut);

    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

    static void Publish(Published<TMenu>& p);

protected:
    friend class TMenuItem;
    friend class TMainMenu;
    // Called after an item of the tree changed (the native menu is already rebuilt).
    virtual void MenuChanged(TMenuItem* source, bool rebuild);
    virtual bool IsMenuBar() const { return false; }
    void Notification(TComponent* component, TOperation operation) override;
    void SetChildOrder(TComponent* child, int order) override;
    // The menu's window: the form's for a main menu, the popup list's for a popup menu.
    win32::HWND windowHandle_ = nullptr;

private:
    TMenuItem* items_ = nullptr;
    TImageList* images_ = nullptr;
    bool ownerDraw_ = false;
};

// ---------------------------------------------------------------------------------------------
// TMainMenu

class TMainMenu : public TMenu {
    VCL_DECLARE_CLASS(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;

    // Puts the top-level items of `menu` into this menu bar: an item of `menu` replaces this menu's
    // items of the same GroupIndex, other groups go in by GroupIndex order. One merged menu at a time.
    void Merge(TMainMenu* menu);
    void Unmerge(TMainMenu* menu);
    TMainMenu* MergedMenu() const;
    // The menu this one is merged into; nullptr for none.
    TMainMenu* MergedInto() const;
    // A main menu of a form that is not the application's main form merges into the main form's menu.
    bool AutoMerge() const { return autoMerge_; }
    void SetAutoMerge(bool value);

    static void Publish(Published<TMainMenu>& p) {
        p.Property("AutoMerge", &TMainMenu::AutoMerge, &TMainMenu::SetAutoMerge, false);
    }

protected:
    void MenuChanged(TMenuItem* source, bool rebuild) override;
    bool IsMenuBar() const override { return true; }
    void Loaded() override;

private:
    TCustomForm* OwnerForm() const;
    void ApplyAutoMerge();
    bool autoMerge_ = false;
};

// ---------------------------------------------------------------------------------------------
// TPopupMenu

class TPopupMenu : public TMenu {
    VCL_DECLARE_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    // Shows the menu at a screen point and returns when it closes; the chosen item's Click runs
    // when the command message arrives (as soon as messages are processed).
    virtual void Popup(Integer x, Integer y);
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment value) { alignment_ = value; }
    // Shown by the controls whose PopupMenu it is on a right click or WM_CONTEXTMENU.
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool value) { autoPopup_ = value; }
    TTrackButton TrackButton() const { return trackButton_; }
    void SetTrackButton(TTrackButton value) { trackButton_ = value; }
    Integer HelpContext() const { return helpContext_; }
    void SetHelpContext(Integer value) { helpContext_ = value; }
    // The control the menu was last shown for (set before OnPopup runs).
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* value);

    TNotifyEvent OnPopup;

    static void Publish(Published<TPopupMenu>& p) {
        p.Property("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment, paLeft);
        p.Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true);
        p.Property("HelpContext", &TPopupMenu::HelpContext, &TPopupMenu::SetHelpContext, 0);
        p.Property("TrackButton", &TPopupMenu::TrackButton, &TPopupMenu::SetTrackButton, tbRightButton);
        p.Event("OnPopup", &TPopupMenu::OnPopup);
    }

protected:
    virtual void DoPopup(TObject* sender);
    void Notification(TComponent* component, TOperation operation) override;

private:
    TPopupAlignment alignment_ = paLeft;
    TTrackButton trackButton_ = tbRightButton;
    bool autoPopup_ = true;
    Integer helpContext_ = 0;
    TComponent* popupComponent_ = nullptr;
};

// The hidden window that owns every popup menu while it is tracked: it receives the menu loop's
// messages and routes WM_COMMAND and WM_INITMENUPOPUP to the popup menus. Made on first use.
win32::HWND PopupListWindow();

// ---------------------------------------------------------------------------------------------
// Building menus in code

TMenuItem* NewItem(const std::string& caption, TShortCut shortCut, bool checked, bool enabled,
                   TNotifyEvent onClick, Integer helpContext, const std::string& name);
TMenuItem* NewLine();
TMenuItem* NewSubMenu(const std::string& caption, Integer helpContext, const std::string& name,
                      const std::vector<TMenuItem*>& items, bool enabled = true);
TMainMenu* NewMenu(TComponent* owner, const std::string& name, const std::vector<TMenuItem*>& items);
TPopupMenu* NewPopupMenu(TComponent* owner, const std::string& name, TPopupAlignment alignment,
                         bool autoPopup, const std::vector<TMenuItem*>& items);

// The accelerator character of a caption ("E&xit" gives "x"; empty when there is none).
std::string GetHotkey(std::string_view caption);
// StripHotkey (controls.h) removes the marks; ShortCutToText/TextToShortCut are in shortcuts.h.

}  // namespace vcl
