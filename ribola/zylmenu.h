// Owner-drawn menus: the item tree (TZylMenuItem) with its appearance objects, its mapping onto
// native menus (menu handles and command numbers), the measuring and painting of owner-drawn items,
// and the four menu components that put a tree on a form's bar, in a popup or in a system menu.
//
// The tree lives in TZylMenuItem's own fields; the framework's TMenuItem is its ancestor only so
// that the items stay type-compatible and share GroupIndex, Name and Tag. Every change climbs from
// an item through OnChange to its parent (SubItemChanged) and, at the root, to the menu component.
// Native menus exist only once asked for; from then on each structural change rebuilds the native
// menu it affects from the tree.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/imglist.h"
#include "vcl/menus.h"
#include "vcl/messages.h"
#include "win32/menu.h"

namespace ribola {

using vcl::Byte;
using vcl::Integer;
using vcl::TColor;
using vcl::Word;

class TZylMenu;
class TZylMainMenu;
class TZylPopupMenu;
class TZylMenuItem;
class TZylSubMenu;

// ---------------------------------------------------------------------------------------------
// Small types

enum class TZylMenuBreak : uint8_t { mbNone, mbBreak, mbBarBreak };
VCL_ENUM_NAMES(TZylMenuBreak, "mbNone", "mbBreak", "mbBarBreak")
using enum TZylMenuBreak;

enum class TZylSystemItem : uint8_t {
    sicNone,
    sicRestore,
    sicMaximize,
    sicMinimize,
    sicSize,
    sicMove,
    sicClose,
    sicContextHelp,
    sicTaskList,
    sicMonitorPower,
};
VCL_ENUM_NAMES(TZylSystemItem, "sicNone", "sicRestore", "sicMaximize", "sicMinimize", "sicSize", "sicMove",
               "sicClose", "sicContextHelp", "sicTaskList", "sicMonitorPower")
using enum TZylSystemItem;

enum class TZylFindItemKind : uint8_t { fkCommand, fkHandle, fkShortCut };
VCL_ENUM_NAMES(TZylFindItemKind, "fkCommand", "fkHandle", "fkShortCut")
using enum TZylFindItemKind;

enum class TZylBackgroundType : uint8_t { btCenter, btTiled };
VCL_ENUM_NAMES(TZylBackgroundType, "btCenter", "btTiled")
using enum TZylBackgroundType;

// Width of a submenu's side bar in pixels, 1..40.
using TZylBarWidth = Byte;
inline constexpr TZylBarWidth kMinBarWidth = 1;
inline constexpr TZylBarWidth kMaxBarWidth = 40;

// Sender is the item that changed; Rebuild asks the receiver to rebuild its native menu.
using TZylMenuChangeEvent = std::function<void(vcl::TObject* Sender, bool Rebuild)>;

using vcl::Exception;
VCL_DECLARE_EXCEPTION(EZylMenuError, Exception)

// The framework's menu messages.
inline constexpr std::string_view SMenuIndexError = "Menu index out of range";
inline constexpr std::string_view SMenuReinserted = "Menu inserted twice";
inline constexpr std::string_view SMenuNotFound = "Sub-menu is not in menu";
inline constexpr std::string_view SGroupIndexTooLow =
    "GroupIndex cannot be less than a previous menu item's GroupIndex";
inline constexpr std::string_view SOutOfResources = "Out of system resources";

// The window system command (WM_SYSCOMMAND wParam) an item bound with SystemItem carries; 0 for
// sicNone.
Word SystemItemCommand(TZylSystemItem item);

// Command numbers handed to items come from one pool and stay below the system commands.
inline constexpr Word kFirstSystemCommand = 0xF000;

// ---------------------------------------------------------------------------------------------
// Appearance objects

// A picture shown instead of (or under) an item's caption.
class TZylBitmapItem : public vcl::TGraphicsObject {
    VCL_DECLARE_CLASS(TZylBitmapItem, vcl::TGraphicsObject)
public:
    TZylBitmapItem();
    ~TZylBitmapItem() override;

    bool CaptionOnTop() const { return captionOnTop_; }
    void SetCaptionOnTop(bool value);
    vcl::TBitmap* Bitmap() const { return bitmap_.get(); }
    // Copies the picture.
    void SetBitmap(const vcl::TBitmap* value);
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor value);
    bool HasBitmap() const { return bitmap_->Width() > 0 && bitmap_->Height() > 0; }

    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylBitmapItem>& p) {
        p.Property("CaptionOnTop", &TZylBitmapItem::CaptionOnTop, &TZylBitmapItem::SetCaptionOnTop, false);
        p.Property("Bitmap", &TZylBitmapItem::Bitmap);
        p.Property("TransparentColor", &TZylBitmapItem::TransparentColor,
                   &TZylBitmapItem::SetTransparentColor, vcl::clNone)
            .Idents(vcl::ColorIdents());
    }

private:
    bool captionOnTop_ = false;
    std::unique_ptr<vcl::TBitmap> bitmap_;
    TColor transparentColor_ = vcl::clNone;
};

// A vertical colour gradient for a submenu's side bar: from the owning sub menu's BarColor down to
// FadeToColor in ColorCount bands.
class TZylMenuGradient : public vcl::TGraphicsObject {
    VCL_DECLARE_CLASS(TZylMenuGradient, vcl::TGraphicsObject)
public:
    TZylMenuGradient() = default;
    explicit TZylMenuGradient(TZylSubMenu* owner);

    TZylSubMenu* SubMenu() const { return subMenu_; }
    bool Active() const { return active_; }
    void SetActive(bool value);
    TColor FadeToColor() const { return fadeToColor_; }
    void SetFadeToColor(TColor value);
    Byte ColorCount() const { return colorCount_; }
    void SetColorCount(Byte value);

    // Paints the gradient top to bottom into (0, 0, width, height) of `dc`: ColorCount bands from the
    // sub menu's BarColor to FadeToColor; nothing for a size of 0 or less.
    void Draw(win32::HDC dc, Integer width, Integer height) const;

    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylMenuGradient>& p) {
        p.Property("Active", &TZylMenuGradient::Active, &TZylMenuGradient::SetActive, false);
        p.Property("FadeToColor", &TZylMenuGradient::FadeToColor, &TZylMenuGradient::SetFadeToColor,
                   vcl::clBlack)
            .Idents(vcl::ColorIdents());
        p.Property("ColorCount", &TZylMenuGradient::ColorCount, &TZylMenuGradient::SetColorCount, Byte{32});
    }

private:
    TZylSubMenu* subMenu_ = nullptr;
    bool active_ = false;
    TColor fadeToColor_ = vcl::clBlack;
    Byte colorCount_ = 32;
};

// The appearance of the submenu made of an item's children, stored on the parent item. Changes are
// not announced while the component it consults (the item) is being read from a stream.
class TZylSubMenu : public vcl::TGraphicsObject {
    VCL_DECLARE_CLASS(TZylSubMenu, vcl::TGraphicsObject)
public:
    TZylSubMenu() : TZylSubMenu(nullptr) {}
    explicit TZylSubMenu(vcl::TComponent* loadingSource);
    ~TZylSubMenu() override;

    vcl::TComponent* LoadingSource() const { return loadingSource_; }
    void SetLoadingSource(vcl::TComponent* value) { loadingSource_ = value; }

    TZylBackgroundType BackgroundType() const { return backgroundType_; }
    void SetBackgroundType(TZylBackgroundType value);
    vcl::TBitmap* Background() const { return background_.get(); }
    void SetBackground(const vcl::TBitmap* value);
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    // The master switch of the custom look.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool BarEnabled() const { return barEnabled_; }
    void SetBarEnabled(bool value);
    vcl::TBitmap* BarBackground() const { return barBackground_.get(); }
    void SetBarBackground(const vcl::TBitmap* value);
    const std::string& BarFontname() const { return barFontname_; }
    void SetBarFontname(const std::string& value);
    TZylMenuGradient* BarAsGradient() const { return barAsGradient_.get(); }
    void SetBarAsGradient(const TZylMenuGradient* value) { barAsGradient_->Assign(value); }
    Byte BarFontSize() const { return barFontSize_; }
    void SetBarFontSize(Byte value);
    TColor BarFontColor() const { return barFontColor_; }
    void SetBarFontColor(TColor value);
    TColor BarColor() const { return barColor_; }
    void SetBarColor(TColor value);
    TZylBarWidth BarWidth() const { return barWidth_; }
    // Raises vcl::EPropertyError outside 1..40.
    void SetBarWidth(TZylBarWidth value);
    const std::string& BarCaption() const { return barCaption_; }
    void SetBarCaption(const std::string& value);

    // Where the pictures and the gradient report their changes: the cached side bar is forgotten,
    // then the change is announced.
    void SubMenuChange(vcl::TObject* sender);

    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylSubMenu>& p);

private:
    bool Loading() const { return loadingSource_ && loadingSource_->IsLoading(); }
    void Announce();

    vcl::TComponent* loadingSource_ = nullptr;
    TZylBackgroundType backgroundType_ = btTiled;
    std::unique_ptr<vcl::TBitmap> background_;
    TColor transparentColor_ = vcl::clNone;
    TColor color_ = vcl::clMenu;
    bool enabled_ = false;
    bool barEnabled_ = false;
    std::unique_ptr<vcl::TBitmap> barBackground_;
    std::string barFontname_ = "Arial";
    std::unique_ptr<TZylMenuGradient> barAsGradient_;
    Byte barFontSize_ = 8;
    TColor barFontColor_ = vcl::clWindowText;
    TColor barColor_ = vcl::clNavy;
    TZylBarWidth barWidth_ = 15;
    std::string barCaption_;
};

// The parent item whose side bar the painting keeps cached; nullptr when the cache is invalid.
TZylMenuItem* BarCacheOwner();
void SetBarCacheOwner(TZylMenuItem* item);

// ---------------------------------------------------------------------------------------------
// TZylMenuItem

class TZylMenuItem : public vcl::TMenuItem {
    // The class information is written out rather than made by VCL_CLASS: the published list
    // keeps only GroupIndex, Name and Tag of the framework item, in this class's own order.
public:
    using Inherited = vcl::TMenuItem;
    static vcl::TClass StaticClass();
    vcl::TClass ClassType() const override { return StaticClass(); }

    explicit TZylMenuItem(vcl::TComponent* owner);
    ~TZylMenuItem() override;

    // The tree. Index errors raise EZylMenuError (SMenuIndexError) before anything changes.
    Integer Count() const { return static_cast<Integer>(items_.size()); }
    TZylMenuItem* Items(Integer index) const;
    Integer IndexOf(const TZylMenuItem* item) const;
    // Raises SMenuReinserted for an item that has a parent (or would contain this one),
    // SMenuIndexError outside 0..Count and SGroupIndexTooLow when an earlier child's GroupIndex
    // is higher than the item's (after it was raised to its predecessor's).
    void Insert(Integer index, TZylMenuItem* item);
    void Add(TZylMenuItem* item);
    // Takes the child out of the tree without freeing it.
    void Delete(Integer index);
    // Raises SMenuNotFound for an item that is not a child.
    void Remove(TZylMenuItem* item);
    TZylMenuItem* Parent() const { return parent_; }
    // -1 without a parent. Setting clamps to the parent's range; a move that fails leaves the item
    // where it was.
    Integer MenuIndex() const;
    void SetMenuIndex(Integer value);

    // Native mapping
    // This item's submenu handle, nullptr until asked for.
    win32::HMENU Handle() const { return handle_; }
    // Adopts a handle (a window's system menu for form menus); the item destroys it with itself.
    void SetHandle(win32::HMENU value) { handle_ = value; }
    // The submenu handle, created and filled on first use; raises SOutOfResources.
    win32::HMENU GetHandle();
    // Appends every child (and a merged menu's items, by GroupIndex) to the native menu.
    void PopulateMenu();
    // Appends this item at the end of a native menu; invisible items are skipped.
    void AppendTo(win32::HMENU menu);
    // Empties and refills the native menu (the one merged into, when merged).
    void RebuildHandle();
    // Shows another menu's root items in this root's native menu; nullptr unmerges.
    void MergeWith(TZylMenuItem* menu);
    TZylMenuItem* Merged() const { return merged_; }
    TZylMenuItem* MergedWith() const { return mergedWith_; }
    // Forgets the handles of this item and its descendants without destroying anything.
    void ClearHandles();

    Word Command() const { return command_; }
    // The menu component on a root item only.
    TZylMenu* Menu() const { return menu_; }
    TZylMenu* GetZylMenu() const;
    // True for an item on a menu bar (directly under the root of a TZylMainMenu).
    bool ValidateType() const;
    bool HasImage() const;
    // Whether this item's submenu level reserves an image column.
    bool ImageInMenuNoRoot() const;
    // (largest MeasuredWidth + 20, sum of MeasuredHeight) over the visible children.
    vcl::TPoint GetSubSize() const;

    // Properties
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    bool Divider() const { return divider_; }
    void SetDivider(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    TZylMenuBreak Break() const { return break_; }
    void SetBreak(TZylMenuBreak value);
    vcl::TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(vcl::TShortCut value);
    // Checks the group order among the siblings (SGroupIndexTooLow) before storing.
    void SetGroupIndex(Byte value);
    Integer HelpContext() const { return helpContext_; }
    void SetHelpContext(Integer value) { helpContext_ = value; }
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value) { hint_ = value; }
    Integer ImageIndex() const { return imageIndex_; }
    void SetImageIndex(Integer value);
    Integer CheckedIndex() const { return checkedIndex_; }
    void SetCheckedIndex(Integer value);
    Integer DisabledImageIndex() const { return disabledImageIndex_; }
    void SetDisabledImageIndex(Integer value);
    TZylSystemItem SystemItem() const { return systemItem_; }
    void SetSystemItem(TZylSystemItem value);
    TZylBitmapItem* AsBitmapItem() const { return asBitmapItem_.get(); }
    void SetAsBitmapItem(const TZylBitmapItem* value) { asBitmapItem_->Assign(value); }
    TZylSubMenu* SubMenuDetails() const { return subMenuDetails_.get(); }
    void SetSubMenuDetails(const TZylSubMenu* value) { subMenuDetails_->Assign(value); }
    Integer MeasuredWidth() const { return measuredWidth_; }
    void SetMeasuredWidth(Integer value) { measuredWidth_ = value; }
    Integer MeasuredHeight() const { return measuredHeight_; }
    void SetMeasuredHeight(Integer value) { measuredHeight_ = value; }

    // Owner drawing: WM_MEASUREITEM (message.LParam points at the MEASUREITEMSTRUCT, whose size this
    // answers and whose height and width are kept in MeasuredHeight and MeasuredWidth) and
    // WM_DRAWITEM (a DRAWITEMSTRUCT). An empty item rectangle paints nothing.
    void MeasureMenuItem(vcl::TMessage& message);
    void DrawMenuItem(vcl::TMessage& message);

    // Runs OnClick (the framework item's event) for an enabled item.
    void Click() override;
    // OnClick of system items: sends WM_SYSCOMMAND (Sender's Command, lParam -1) to the menu's window.
    void SystemClick(vcl::TObject* sender);
    // The handler children call when they change.
    void SubItemChanged(vcl::TObject* sender, bool rebuild);

    vcl::TNotifyEvent OnSelect;
    // Internal link to the parent (or, for a root, to the menu component).
    TZylMenuChangeEvent OnChange;

    // Streaming: items nest in their parent item or menu component.
    bool HasParent() const override { return true; }
    vcl::TComponent* GetParentComponent() const override;
    void SetParentComponent(vcl::TComponent* value) override;
    void GetChildren(const std::function<void(vcl::TComponent*)>& proc, vcl::TComponent* root) override;
    // Reads "ShortCutText" (a shortcut as text); it is never written.
    void DefineProperties(vcl::TFiler& filer) override;

    static void Publish(vcl::Published<TZylMenuItem>& p);

protected:
    // Calls OnChange(this, rebuild).
    void MenuChanged(bool rebuild) override;
    void SetChildOrder(vcl::TComponent* child, int order) override;

private:
    friend class TZylMenu;

    bool RebuildByDefault() const { return !IsLoading() && !IsDestroying(); }
    bool ShowsNatively() const { return handle_ != nullptr || mergedWith_ != nullptr; }
    bool NewStyles() const;
    void CheckGroupIndex(Integer position, Byte value) const;
    void StoreGroupIndex(Byte value);
    void Link(Integer index, TZylMenuItem* item);
    void PutBack(Integer index, TZylMenuItem* item, Byte groupIndex);
    void TurnSiblingsOff();
    void ApplyNativeState(win32::UINT flags, bool check);
    void RemoveNativeEntries();
    // Sets the kind, state, command and text of this item's entry in `root` (found by command).
    void ApplyEntryState(win32::HMENU root);
    // Refills every native menu of the subtree made so far.
    void RefreshHandles();
    void RefillHandle();
    void AppendByFlags(win32::HMENU menu, const std::string& text);
    void AppendByInfo(win32::HMENU menu, std::string& text);
    void SubMenuChange(vcl::TObject* sender);
    void ReleaseCommand();

    std::string caption_;
    win32::HMENU handle_ = nullptr;
    bool enabled_ = true;
    bool default_ = false;
    bool radioItem_ = false;
    std::unique_ptr<TZylSubMenu> subMenuDetails_;
    TZylMenuBreak break_ = mbNone;
    bool visible_ = true;
    Word command_ = 0;
    bool commandFromPool_ = false;
    std::vector<TZylMenuItem*> items_;
    vcl::TShortCut shortCut_ = 0;
    TZylMenuItem* parent_ = nullptr;
    TZylMenuItem* merged_ = nullptr;
    TZylMenuItem* mergedWith_ = nullptr;
    TZylMenu* menu_ = nullptr;
    Integer helpContext_ = 0;
    std::string hint_;
    Integer imageIndex_ = -1;
    Integer checkedIndex_ = -1;
    Integer disabledImageIndex_ = -1;
    bool checked_ = false;
    bool divider_ = false;
    Integer measuredWidth_ = 0;
    Integer measuredHeight_ = 0;
    std::unique_ptr<TZylBitmapItem> asBitmapItem_;
    TZylSystemItem systemItem_ = sicNone;
    bool quiet_ = false;  // group indexes set while a list is rearranged announce nothing
};

// Visits the children of two items (either may be nullptr) in GroupIndex order: a group present in
// menu1 replaces the items of that group in menu2. Stops and returns true as soon as func does.
bool IterateMenus(const std::function<bool(TZylMenuItem*)>& func, TZylMenuItem* menu1, TZylMenuItem* menu2);

// ---------------------------------------------------------------------------------------------
// Painting helpers

// How a selected item is framed.
enum class TZylSelectType : uint8_t { selNormal, selRaised, selSunken };
VCL_ENUM_NAMES(TZylSelectType, "selNormal", "selRaised", "selSunken")
using enum TZylSelectType;

// Draws `bitmap` at (x, y) leaving out its pixels of `transparentColor` (through a masked image list).
void DrawTransparent(vcl::TCanvas* canvas, vcl::TBitmap* bitmap, Integer x, TColor transparentColor,
                     Integer y);
// Clears the canvas's (0, 0, width, height) with its brush and embosses the black pixels of `bitmap`:
// in highlight one pixel down and right, then in shadow at (x, y).
void DrawDisabledGlyph(vcl::TCanvas* canvas, Integer x, Integer y, vcl::TBitmap* bitmap);

// ---------------------------------------------------------------------------------------------
// Menu components

// Sender is the menu; LongHint and Hint are the two parts of the selected item's Hint.
using TZylOnHint =
    std::function<void(vcl::TObject* Sender, const std::string& LongHint, const std::string& Hint)>;

// The common base: owns the root item (Items), the fonts and the image list link, and takes over the
// window procedure of the window that receives the menu's messages, so that it measures and paints
// the items and dispatches commands, submenu openings, hints, help and menu characters. Keyboard
// shortcuts of every menu outside the designer are caught by one message hook of the thread.
//
// Each of the four components takes over its window at the end of its constructor, and gives back
// everything (window procedure, menu bar, system menu, hook) first when it is freed, before its
// items go.
class TZylMenu : public vcl::TPopupMenu {
public:
    using Inherited = vcl::TPopupMenu;
    static vcl::TClass StaticClass();
    vcl::TClass ClassType() const override { return StaticClass(); }

    explicit TZylMenu(vcl::TComponent* owner);
    ~TZylMenu() override;

    TZylMenuItem* Items() const { return items_; }
    // The root item's native menu, created on first use.
    virtual win32::HMENU GetHandle();
    win32::HMENU Handle() { return GetHandle(); }

    // Appearance
    vcl::TCustomImageList* Images() const { return images_; }
    void SetImages(vcl::TCustomImageList* value);
    // Native entries are owner-drawn (and breaks are not used) while True.
    bool NewStyles() const { return newStyles_; }
    void SetNewStyles(bool value);
    TZylSelectType SelectType() const { return selectType_; }
    void SetSelectType(TZylSelectType value) { selectType_ = value; }
    // Fills the selected item's text area; clNone leaves the background and marks the selection only
    // by SelectedFont and the frame of SelectType.
    TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor value);
    vcl::TFont* MenuFont() const { return menuFont_.get(); }
    void SetMenuFont(const vcl::TFont* value) { menuFont_->Assign(value); }
    vcl::TFont* SelectedFont() const { return selectedFont_.get(); }
    void SetSelectedFont(const vcl::TFont* value) { selectedFont_->Assign(value); }
    vcl::TFont* DividerFont() const { return dividerFont_.get(); }
    void SetDividerFont(const vcl::TFont* value) { dividerFont_->Assign(value); }
    // Shown while the mouse is over the open menu; crDefault and crArrow leave the cursor alone.
    vcl::TCursor Cursor() const { return cursor_; }
    void SetCursor(vcl::TCursor value) { cursor_ = value; }
    vcl::TPopupAlignment PopupAlignment() const { return popupAlignment_; }
    void SetPopupAlignment(vcl::TPopupAlignment value) { popupAlignment_ = value; }

    TZylOnHint OnHint;

    // The window that receives the menu's messages, computed and stored: the owner's window (for a
    // main menu of an MDI child the main form's); popup and application menus use the
    // application's.
    virtual win32::HWND GetWindowHandle();
    // Stores the window and takes the bar's signature (UpdateImage).
    void SetWindowHandle(win32::HWND value);
    // Puts the menu's window procedure in front of `window`'s. A window chained by several menus
    // may be given back in any order.
    virtual void HookWin(win32::HWND window);
    virtual void UnHookWin(win32::HWND window);
    virtual void WndProc(vcl::TMessage& message);
    // Applies every item's native flags (owner draw, state, breaks) to the root menu again, keeping
    // submenus and commands.
    virtual void SetOwnerDrawAll();
    // Takes the signature of the window's menu bar (texts and states); true when it changed.
    bool UpdateImage();

    // The first item, root items and merged items in group order, each before its children,
    // whose Command, submenu Handle or ShortCut equals value; nullptr when none (and always for
    // handle 0).
    TZylMenuItem* FindItem(win32::UINT_PTR value, TZylFindItemKind kind) const;
    // Clicks the item of a command; true when there was one.
    bool DispatchCommand(Word command);
    // Clicks the item whose submenu opens; true when there was one.
    bool DispatchPopup(win32::HMENU menu);
    // A key message (WM_KEYDOWN or WM_SYSKEYDOWN): clicks the item with that shortcut, its parents
    // first, when the menu's form is the active window; true when an item has the shortcut.
    bool IsShortCut(const vcl::TMessage& key);
    using vcl::TPopupMenu::IsShortCut;
    // The help context of an item (by command, or by submenu handle), or the first one set above it;
    // a popup menu's own for its root menu.
    Integer GetHelpContext(win32::UINT_PTR value, bool byCommand) const;

    // Runs OnPopup, then shows the menu at the screen point and returns when it closes.
    void Popup(Integer x, Integer y) override;
    void DoPopup(vcl::TObject* sender) override;

    // Told after an item of the tree changed (source is nullptr when the menu itself asks).
    void MenuChanged(vcl::TMenuItem* source, bool rebuild) override;

    void GetChildren(const std::function<void(vcl::TComponent*)>& proc, vcl::TComponent* root) override;
    // Native menus made before the form was read miss what reading changed: they are filled again.
    void Loaded() override;

    static void Publish(vcl::Published<TZylMenu>& p);

protected:
    // Read after running user code that may free the menu.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    // The last step of each component's constructor: takes over the window, shows the bar, sets
    // the entries' flags and joins the shortcut hook.
    void TakeOverWindow();
    // Whether the root menu is a menu bar of the owner's window.
    virtual bool ShowsBar() const { return false; }
    // Makes the root menu the menu bar of the owner's window.
    void SetMenu();
    // A form or application menu shows its items in `window`'s system menu.
    void AdoptSystemMenu(win32::HWND window);
    void BeforeDestruction() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void SetChildOrder(vcl::TComponent* child, int order) override;

private:
    friend class TZylMenuItem;
    struct Handlers;
    void ImageListChange(vcl::TObject* sender);
    void FontChange(vcl::TObject* sender);
    void TellWindow(win32::HWND window);
    void GiveBack();
    bool HandleMessage(vcl::TMessage& message);

    TZylMenuItem* items_ = nullptr;
    vcl::TCustomImageList* images_ = nullptr;
    std::unique_ptr<vcl::TChangeLink> imageChangeLink_;
    std::unique_ptr<vcl::TFont> menuFont_;
    std::unique_ptr<vcl::TFont> selectedFont_;
    std::unique_ptr<vcl::TFont> dividerFont_;
    bool newStyles_ = true;
    TZylSelectType selectType_ = selNormal;
    TColor selectedColor_ = vcl::clHighlight;
    vcl::TCursor cursor_ = vcl::crDefault;
    vcl::TPopupAlignment popupAlignment_ = vcl::paLeft;
    std::string menuImage_;  // the bar's signature, see UpdateImage
    bool hasMenuImage_ = false;
    win32::HWND hookedWindow_ = nullptr;  // whose procedure this menu replaced
    win32::WNDPROC objectInstance_ = nullptr;
    win32::WNDPROC oldWndProc_ = nullptr;
    win32::HWND barWindow_ = nullptr;         // whose menu bar the root menu was made
    win32::HWND systemMenuWindow_ = nullptr;  // whose system menu the root adopted
    bool givenBack_ = false;
};

// A form's menu bar: its top-level items are bar items. Made on a form that holds a framework
// TMainMenu, it takes over that menu's items (named "Zyl" and the item's name) and frees it.
class TZylMainMenu : public TZylMenu {
    VCL_DECLARE_CLASS(TZylMainMenu, TZylMenu)
public:
    explicit TZylMainMenu(vcl::TComponent* owner);

    // The shared menu of in-place activation while one is set.
    win32::HMENU GetHandle() override;
    win32::HWND GetWindowHandle() override;
    bool AutoMerge() const { return autoMerge_; }
    void SetAutoMerge(bool value);
    // Shows another main menu's root items in this bar by GroupIndex; nullptr unmerges.
    void Merge(TZylMainMenu* menu);
    // Unmerges only when `menu` is the one merged.
    void Unmerge(TZylMainMenu* menu);
    // Called by the item tree after a change below the root; tells the window that shows the bar.
    virtual void ItemChanged();
    // Redraws the bar when its signature changed.
    void MenuChanged(vcl::TMenuItem* source, bool rebuild) override;
    // Shows the bar's items as a popup menu.
    void Popup(Integer x, Integer y) override;

    // In-place activation
    win32::HMENU Ole2MenuHandle() const { return ole2MenuHandle_; }
    void SetOle2MenuHandle(win32::HMENU value);
    // Appends the items whose GroupIndex is one of `groups` to `sharedMenu`, counting them per group
    // in `widths` (indexed by GroupIndex; groups beyond its end are not counted).
    void PopulateOle2Menu(win32::HMENU sharedMenu, std::span<const Integer> groups,
                          std::span<Integer> widths);
    // An accelerator table of the shortcuts of those items (an item without one gives its
    // children's); nullptr and a count of 0 when there are none.
    win32::HACCEL GetOle2AcceleratorTable(Integer& accelCount, std::span<const Integer> groups);

    static void Publish(vcl::Published<TZylMainMenu>& p) {
        p.Property("AutoMerge", &TZylMainMenu::AutoMerge, &TZylMainMenu::SetAutoMerge, false);
    }

protected:
    bool ShowsBar() const override { return true; }

private:
    void TakeOverFrameworkMenu();
    void ConvertMenuItem(TZylMenuItem* parent, vcl::TMenuItem* source);

    bool autoMerge_ = false;
    win32::HMENU ole2MenuHandle_ = nullptr;
};

// A context menu, tracked on the application's window. PopupDetails is the look of its first level
// from its first change on.
class TZylPopupMenu : public TZylMenu {
    VCL_DECLARE_CLASS(TZylPopupMenu, TZylMenu)
public:
    explicit TZylPopupMenu(vcl::TComponent* owner);
    ~TZylPopupMenu() override;

    win32::HWND GetWindowHandle() override;
    TZylSubMenu* PopupDetails() const { return popupDetails_.get(); }
    void SetPopupDetails(const TZylSubMenu* value) { popupDetails_->Assign(value); }
    // Whether the first level is drawn with PopupDetails rather than the root item's own details:
    // once they changed, or while they are switched on (as when read from a form).
    bool PopupDetailsInUse() const;
    // Stored on the root item.
    Integer HelpContext() const;
    void SetHelpContext(Integer value);
    // Where PopupDetails reports its changes.
    void ChangeSubMenu(vcl::TObject* sender);

    static void Publish(vcl::Published<TZylPopupMenu>& p) {
        p.Property("PopupDetails", &TZylPopupMenu::PopupDetails);
        p.Property("HelpContext", &TZylPopupMenu::HelpContext, &TZylPopupMenu::SetHelpContext, 0);
    }

protected:
    // For the descendants, which take over their window themselves.
    struct Deferred {};
    TZylPopupMenu(vcl::TComponent* owner, Deferred);

private:
    std::unique_ptr<TZylSubMenu> popupDetails_;
    bool popupDetailsInUse_ = false;
};

// Replaces the system menu of the form that owns it with its items; items bound with SystemItem
// carry the standard commands.
class TZylFormMenu : public TZylPopupMenu {
    VCL_DECLARE_CLASS(TZylFormMenu, TZylPopupMenu)
public:
    explicit TZylFormMenu(vcl::TComponent* owner);

    // The owner's window.
    win32::HWND GetWindowHandle() override;
};

// Replaces the system menu of the application's window (the one its taskbar button shows).
class TZylApplicationMenu : public TZylPopupMenu {
    VCL_DECLARE_CLASS(TZylApplicationMenu, TZylPopupMenu)
public:
    explicit TZylApplicationMenu(vcl::TComponent* owner);
};

}  // namespace ribola
