// The item tree of TZylMenuItem: command numbers, construction and destruction, tree operations,
// property setters and the change notification that climbs to the menu component.
#include <algorithm>
#include <bit>
#include <cstdint>

#include "ribola/zylmenu.h"
#include "vcl/streaming.h"
#include "win32/menu.h"
#include "win32/sysinfo.h"
#include "win32/user.h"

namespace ribola {

using namespace win32;

namespace {

// Command numbers in use, one bit each. Numbers stay below the window system commands, which
// items bound with SystemItem carry instead.
class CommandPool {
public:
    Word Take() {
        for (size_t word = firstOpenWord_; word < kWords; ++word) {
            if (word == used_.size()) used_.push_back(0);
            if (used_[word] == ~uint64_t{0}) continue;
            const auto bit = static_cast<size_t>(std::countr_one(used_[word]));
            used_[word] |= uint64_t{1} << bit;
            firstOpenWord_ = word;
            return static_cast<Word>(word * 64 + bit);
        }
        throw EZylMenuError("Too many menu items");
    }

    void Give(Word command) {
        const size_t word = command / 64;
        if (word >= used_.size()) return;
        used_[word] &= ~(uint64_t{1} << (command % 64));
        firstOpenWord_ = std::min(firstOpenWord_, word);
    }

private:
    static constexpr size_t kWords = kFirstSystemCommand / 64;
    std::vector<uint64_t> used_;
    size_t firstOpenWord_ = 0;
};

CommandPool& Commands() {
    static CommandPool pool;
    return pool;
}

constexpr Word kSystemCommands[] = {0,      0xF120, 0xF030, 0xF020, 0xF000,
                                    0xF010, 0xF060, 0xF180, 0xF130, 0xF170};

TZylMenuItem* barCacheOwner = nullptr;

}  // namespace

Word SystemItemCommand(TZylSystemItem item) {
    const auto index = static_cast<size_t>(item);
    return index < std::size(kSystemCommands) ? kSystemCommands[index] : Word{0};
}

TZylMenuItem* BarCacheOwner() {
    return barCacheOwner;
}

void SetBarCacheOwner(TZylMenuItem* item) {
    barCacheOwner = item;
}

// ---------------------------------------------------------------------------------------------
// Life

TZylMenuItem::TZylMenuItem(vcl::TComponent* owner)
    : TMenuItem(owner),
      subMenuDetails_(std::make_unique<TZylSubMenu>(this)),
      command_(Commands().Take()),
      commandFromPool_(true),
      asBitmapItem_(std::make_unique<TZylBitmapItem>()) {
    subMenuDetails_->SetOwner(this);
    subMenuDetails_->OnChange = [this](vcl::TObject* sender) { SubMenuChange(sender); };
    asBitmapItem_->SetOwner(this);
    asBitmapItem_->OnChange = [this](vcl::TObject* sender) { SubMenuChange(sender); };
}

TZylMenuItem::~TZylMenuItem() {
    if (!parent_) MenuChanged(true);
    subMenuDetails_->OnChange = nullptr;
    asBitmapItem_->OnChange = nullptr;
    subMenuDetails_.reset();
    asBitmapItem_.reset();
    if (barCacheOwner == this) barCacheOwner = nullptr;
    if (menu_ && menu_->items_ == this) menu_->items_ = nullptr;
    if (parent_) parent_->Remove(this);
    // Both links of a merge go, whether or not a native menu was ever made.
    if (merged_) {
        merged_->mergedWith_ = nullptr;
        merged_ = nullptr;
    }
    if (TZylMenuItem* host = mergedWith_) {
        host->merged_ = nullptr;
        mergedWith_ = nullptr;
        if (host->handle_ && !host->IsDestroying()) host->RebuildHandle();
    }
    // Entries are detached first, so that destroying this menu takes no submenu along: every
    // child destroys its own.
    if (handle_) RemoveNativeEntries();
    while (!items_.empty())
        items_.front()->Free();
    if (handle_ && IsMenu(handle_)) DestroyMenu(handle_);
    handle_ = nullptr;
    ReleaseCommand();
}

void TZylMenuItem::ReleaseCommand() {
    // Number 0 is never given back.
    if (commandFromPool_ && command_ != 0) Commands().Give(command_);
    commandFromPool_ = false;
}

// ---------------------------------------------------------------------------------------------
// The tree

TZylMenuItem* TZylMenuItem::Items(Integer index) const {
    if (index < 0 || index >= Count()) throw EZylMenuError(std::string(SMenuIndexError));
    return items_[static_cast<size_t>(index)];
}

Integer TZylMenuItem::IndexOf(const TZylMenuItem* item) const {
    const auto found = std::find(items_.begin(), items_.end(), item);
    return found == items_.end() ? -1 : static_cast<Integer>(found - items_.begin());
}

void TZylMenuItem::CheckGroupIndex(Integer position, Byte value) const {
    for (Integer i = 0; i < position && i < Count(); ++i)
        if (items_[static_cast<size_t>(i)]->GroupIndex() > value)
            throw EZylMenuError(std::string(SGroupIndexTooLow));
}

void TZylMenuItem::StoreGroupIndex(Byte value) {
    if (GroupIndex() == value) return;
    const ScopedValue quiet(quiet_, true);
    TMenuItem::SetGroupIndex(value);
}

void TZylMenuItem::Insert(Integer index, TZylMenuItem* item) {
    if (!item) throw EZylMenuError("Cannot insert a nil menu item");
    if (item->parent_ || item->menu_) throw EZylMenuError(std::string(SMenuReinserted));
    for (const TZylMenuItem* up = this; up; up = up->parent_)
        if (up == item) throw EZylMenuError(std::string(SMenuReinserted));
    if (index < 0 || index > Count()) throw EZylMenuError(std::string(SMenuIndexError));
    Byte group = item->GroupIndex();
    if (index > 0) group = std::max(group, items_[static_cast<size_t>(index - 1)]->GroupIndex());
    CheckGroupIndex(index, group);

    item->StoreGroupIndex(group);
    for (size_t i = static_cast<size_t>(index); i < items_.size(); ++i)
        if (items_[i]->GroupIndex() < group) items_[i]->StoreGroupIndex(group);
    Link(index, item);
    if (ShowsNatively()) RebuildHandle();
    MenuChanged(Count() == 1);
}

void TZylMenuItem::Link(Integer index, TZylMenuItem* item) {
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    item->OnChange = [this](vcl::TObject* sender, bool rebuild) { SubItemChanged(sender, rebuild); };
}

void TZylMenuItem::Add(TZylMenuItem* item) {
    Insert(Count(), item);
    MenuChanged(RebuildByDefault());
}

void TZylMenuItem::Delete(Integer index) {
    if (index < 0 || index >= Count()) throw EZylMenuError(std::string(SMenuIndexError));
    TZylMenuItem* item = items_[static_cast<size_t>(index)];
    items_.erase(items_.begin() + index);
    item->parent_ = nullptr;
    item->OnChange = nullptr;
    // A dying item empties its list child by child; its native menu was detached already.
    if (IsDestroying()) return;
    if (ShowsNatively()) RebuildHandle();
    MenuChanged(Count() == 0);
}

void TZylMenuItem::Remove(TZylMenuItem* item) {
    const Integer index = IndexOf(item);
    if (index < 0) throw EZylMenuError(std::string(SMenuNotFound));
    Delete(index);
}

// Undoes a move that failed: the item goes back to its place with its former group.
void TZylMenuItem::PutBack(Integer index, TZylMenuItem* item, Byte groupIndex) {
    if (item->parent_) {
        TZylMenuItem* holder = item->parent_;
        const Integer at = holder->IndexOf(item);
        if (at >= 0) holder->items_.erase(holder->items_.begin() + at);
        item->parent_ = nullptr;
        item->OnChange = nullptr;
        if (holder != this && holder->ShowsNatively()) holder->RebuildHandle();
    }
    item->StoreGroupIndex(groupIndex);
    Link(std::clamp(index, 0, Count()), item);
    if (ShowsNatively()) RebuildHandle();
    MenuChanged(true);
}

Integer TZylMenuItem::MenuIndex() const {
    return parent_ ? parent_->IndexOf(this) : -1;
}

void TZylMenuItem::SetMenuIndex(Integer value) {
    if (!parent_) return;
    TZylMenuItem* parent = parent_;
    const Integer current = MenuIndex();
    value = std::clamp(value, 0, parent->Count() - 1);
    if (value == current) return;
    const Byte group = GroupIndex();
    parent->Delete(current);
    try {
        parent->Insert(value, this);
    } catch (...) {
        parent->PutBack(current, this, group);
        throw;
    }
}

void TZylMenuItem::SetGroupIndex(Byte value) {
    if (GroupIndex() == value) return;
    if (parent_) parent_->CheckGroupIndex(parent_->IndexOf(this), value);
    if (parent_) {
        // Later siblings follow, so that the list stays in group order.
        for (Integer i = parent_->IndexOf(this) + 1; i < parent_->Count(); ++i) {
            TZylMenuItem* sibling = parent_->items_[static_cast<size_t>(i)];
            if (sibling->GroupIndex() < value) sibling->StoreGroupIndex(value);
        }
    }
    TMenuItem::SetGroupIndex(value);
    if (checked_ && radioItem_) TurnSiblingsOff();
}

// ---------------------------------------------------------------------------------------------
// Change notification

void TZylMenuItem::MenuChanged(bool rebuild) {
    if (quiet_) return;
    if (OnChange) OnChange(this, rebuild);
}

void TZylMenuItem::SubItemChanged(vcl::TObject*, bool rebuild) {
    if (IsDestroying()) return;
    if (rebuild && ShowsNatively()) RebuildHandle();
    if (parent_)
        parent_->SubItemChanged(this, false);
    else if (auto* mainMenu = dynamic_cast<TZylMainMenu*>(Owner()); mainMenu && !mainMenu->IsDestroying())
        mainMenu->ItemChanged();
}

void TZylMenuItem::SubMenuChange(vcl::TObject*) {
    MenuChanged(RebuildByDefault());
}

// ---------------------------------------------------------------------------------------------
// Properties

bool TZylMenuItem::NewStyles() const {
    const TZylMenu* menu = GetZylMenu();
    return menu && menu->NewStyles();
}

void TZylMenuItem::SetCaption(const std::string& value) {
    if (caption_ == value) return;
    caption_ = value;
    MenuChanged(RebuildByDefault());
}

void TZylMenuItem::SetShortCut(vcl::TShortCut value) {
    shortCut_ = value;
    MenuChanged(RebuildByDefault());
}

void TZylMenuItem::SetDivider(bool value) {
    divider_ = value;
    MenuChanged(RebuildByDefault());
}

void TZylMenuItem::SetRadioItem(bool value) {
    const bool becomesRadio = value && !radioItem_;
    radioItem_ = value;
    if (becomesRadio && checked_) TurnSiblingsOff();
    MenuChanged(RebuildByDefault());
}

void TZylMenuItem::SetImageIndex(Integer value) {
    if (value < -1) return;
    imageIndex_ = value;
    MenuChanged(RebuildByDefault());
}

void TZylMenuItem::SetCheckedIndex(Integer value) {
    if (value < -1) return;
    checkedIndex_ = value;
    MenuChanged(RebuildByDefault());
}

void TZylMenuItem::SetDisabledImageIndex(Integer value) {
    if (value < -1) return;
    disabledImageIndex_ = value;
    MenuChanged(RebuildByDefault());
}

void TZylMenuItem::SetBreak(TZylMenuBreak value) {
    break_ = NewStyles() ? mbNone : value;
    MenuChanged(RebuildByDefault());
}

void TZylMenuItem::SetVisible(bool value) {
    if (visible_ == value) return;
    visible_ = value;
    MenuChanged(true);
}

void TZylMenuItem::SetDefault(bool value) {
    if (default_ == value) return;
    if (value && parent_)
        for (TZylMenuItem* sibling : parent_->items_)
            sibling->default_ = false;
    default_ = value;
    MenuChanged(RebuildByDefault());
}

// Sets a native entry's check or enabled state by command, where the parent shows it.
void TZylMenuItem::ApplyNativeState(UINT flags, bool check) {
    if (!parent_) return;
    for (TZylMenuItem* holder : {parent_, parent_->mergedWith_}) {
        if (!holder || !holder->handle_) continue;
        if (check)
            CheckMenuItem(holder->handle_, command_, MF_BYCOMMAND | flags);
        else
            EnableMenuItem(holder->handle_, command_, MF_BYCOMMAND | flags);
    }
}

void TZylMenuItem::SetChecked(bool value) {
    if (checked_ == value) return;
    checked_ = value;
    ApplyNativeState(value ? MF_CHECKED : MF_UNCHECKED, true);
    if (value && radioItem_) TurnSiblingsOff();
}

void TZylMenuItem::TurnSiblingsOff() {
    if (!parent_) return;
    for (TZylMenuItem* sibling : std::vector<TZylMenuItem*>(parent_->items_))
        if (sibling != this && sibling->radioItem_ && sibling->GroupIndex() == GroupIndex())
            sibling->SetChecked(false);
}

void TZylMenuItem::SetEnabled(bool value) {
    if (enabled_ == value) return;
    enabled_ = value;
    const bool nt = (GetVersion() & 0x80000000u) == 0;
    if ((nt && Count() > 0) || (parent_ && parent_->mergedWith_)) {
        MenuChanged(true);
        return;
    }
    ApplyNativeState(value ? MF_ENABLED : MF_GRAYED | MF_DISABLED, false);
    MenuChanged(false);
}

void TZylMenuItem::SetSystemItem(TZylSystemItem value) {
    if (value == systemItem_) return;
    if (value != sicNone) {
        ReleaseCommand();
        command_ = SystemItemCommand(value);
        OnClick = [this](vcl::TObject* sender) { SystemClick(sender); };
    } else {
        command_ = Commands().Take();
        commandFromPool_ = true;
        OnClick = nullptr;
    }
    systemItem_ = value;
    MenuChanged(true);
}

// ---------------------------------------------------------------------------------------------
// Clicks

void TZylMenuItem::Click() {
    if (enabled_ && OnClick) OnClick(this);
}

void TZylMenuItem::SystemClick(vcl::TObject* sender) {
    auto* item = dynamic_cast<TZylMenuItem*>(sender);
    if (!item) return;
    TZylMenu* menu = GetZylMenu();
    const HWND window = menu ? menu->GetWindowHandle() : nullptr;
    if (window) SendMessage(window, WM_SYSCOMMAND, item->Command(), static_cast<LPARAM>(-1));
}

// ---------------------------------------------------------------------------------------------
// Where the item sits

TZylMenu* TZylMenuItem::GetZylMenu() const {
    if (menu_) return menu_;
    for (vcl::TComponent* up = GetParentComponent(); up; up = up->GetParentComponent())
        if (auto* menu = dynamic_cast<TZylMenu*>(up)) return menu;
    return nullptr;
}

bool TZylMenuItem::ValidateType() const {
    return dynamic_cast<TZylMainMenu*>(GetParentComponent()) != nullptr;
}

bool TZylMenuItem::HasImage() const {
    const TZylMenu* menu = GetZylMenu();
    return menu && menu->Images() && (imageIndex_ >= 0 || checkedIndex_ >= 0 || disabledImageIndex_ >= 0);
}

bool TZylMenuItem::ImageInMenuNoRoot() const {
    if (ValidateType()) return false;
    const TZylMenu* menu = GetZylMenu();
    if (!menu || !menu->Images()) return false;
    if (!parent_) return HasImage();
    return std::any_of(parent_->items_.begin(), parent_->items_.end(),
                       [](const TZylMenuItem* sibling) { return sibling->HasImage(); });
}

vcl::TPoint TZylMenuItem::GetSubSize() const {
    vcl::TPoint size{0, 0};
    for (const TZylMenuItem* item : items_) {
        if (!item->visible_) continue;
        size.x = std::max(size.x, item->measuredWidth_);
        size.y += item->measuredHeight_;
    }
    size.x += 20;
    return size;
}

// ---------------------------------------------------------------------------------------------
// Streaming

vcl::TComponent* TZylMenuItem::GetParentComponent() const {
    if (parent_ && parent_->menu_) return parent_->menu_;
    return parent_;
}

void TZylMenuItem::SetParentComponent(vcl::TComponent* value) {
    TZylMenuItem* target = nullptr;
    if (auto* menu = dynamic_cast<TZylMenu*>(value))
        target = menu->Items();
    else if (value)
        target = dynamic_cast<TZylMenuItem*>(value);
    if (value && !target)
        throw EZylMenuError(vcl::Format("%s cannot hold menu items", {std::string(value->ClassName())}));
    if (target == parent_ && target) return;
    TZylMenuItem* former = parent_;
    const Integer formerIndex = MenuIndex();
    const Byte group = GroupIndex();
    if (former) former->Remove(this);
    if (!target) return;
    try {
        target->Add(this);
    } catch (...) {
        if (former) former->PutBack(formerIndex, this, group);
        throw;
    }
}

void TZylMenuItem::GetChildren(const std::function<void(vcl::TComponent*)>& proc, vcl::TComponent*) {
    for (TZylMenuItem* item : std::vector<TZylMenuItem*>(items_))
        proc(item);
}

void TZylMenuItem::SetChildOrder(vcl::TComponent* child, int order) {
    if (auto* item = dynamic_cast<TZylMenuItem*>(child); item && item->parent_ == this)
        item->SetMenuIndex(order);
}

void TZylMenuItem::DefineProperties(vcl::TFiler& filer) {
    TMenuItem::DefineProperties(filer);
    filer.DefineProperty(
        "ShortCutText",
        [this](vcl::TReader& reader) { SetShortCut(vcl::TextToShortCut(reader.ReadString())); }, nullptr,
        false);
}

}  // namespace ribola
