// The four menu components: the form's menu bar (with merging, in-place activation and the take-over
// of a framework main menu), the popup menu with its own first-level look, and the menus that replace
// a form's or the application's system menu.
#include <algorithm>

#include "ribola/zylmenu.h"
#include "vcl/forms.h"
#include "win32/menu.h"
#include "win32/scope.h"
#include "win32/user.h"

namespace ribola {

using namespace win32;

namespace {

// The owner's first free name for a converted item: "Zyl" and the source's name, numbered when taken.
std::string ConvertedName(const vcl::TComponent* owner, const std::string& sourceName) {
    const std::string base = "Zyl" + (sourceName.empty() ? std::string("MenuItem") : sourceName);
    if (!owner || !owner->FindComponent(base)) return base;
    for (int number = 2;; ++number) {
        const std::string candidate = base + "_" + std::to_string(number);
        if (!owner->FindComponent(candidate)) return candidate;
    }
}

bool InGroups(std::span<const Integer> groups, Byte groupIndex) {
    return std::find(groups.begin(), groups.end(), Integer{groupIndex}) != groups.end();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TZylMainMenu

VCL_DEFINE_CLASS(TZylMainMenu, TZylMenu)

TZylMainMenu::TZylMainMenu(vcl::TComponent* owner) : TZylMenu(DeferInsertionNotice(owner)) {
    AnnounceInsertion();
    TakeOverFrameworkMenu();
    TakeOverWindow();
}

void TZylMainMenu::TakeOverFrameworkMenu() {
    vcl::TComponent* owner = Owner();
    if (!owner) return;
    vcl::TMainMenu* framework = nullptr;
    for (int i = 0; i < owner->ComponentCount() && !framework; ++i)
        framework = dynamic_cast<vcl::TMainMenu*>(owner->Components(i));
    if (!framework) return;
    for (Integer i = 0; i < framework->Items()->Count(); ++i)
        ConvertMenuItem(Items(), framework->Items()->Items(i));
    framework->Free();
}

void TZylMainMenu::ConvertMenuItem(TZylMenuItem* parent, vcl::TMenuItem* source) {
    auto* item = new TZylMenuItem(Owner());
    try {
        item->SetName(ConvertedName(Owner(), source->Name()));
        item->SetCaption(source->Caption());
        item->SetShortCut(source->ShortCut());
        item->OnClick = source->OnClick;
        item->SetChecked(source->Checked());
        item->SetEnabled(source->Enabled());
        item->SetVisible(source->Visible());
        item->SetRadioItem(source->RadioItem());
        item->SetGroupIndex(source->GroupIndex());
        item->SetHint(source->Hint());
        item->SetDefault(source->Default());
        item->SetHelpContext(source->HelpContext());
        parent->Add(item);
    } catch (...) {
        item->Free();
        throw;
    }
    for (Integer i = 0; i < source->Count(); ++i)
        ConvertMenuItem(item, source->Items(i));
}

HMENU TZylMainMenu::GetHandle() {
    return ole2MenuHandle_ ? ole2MenuHandle_ : TZylMenu::GetHandle();
}

HWND TZylMainMenu::GetWindowHandle() {
    HWND window = TZylMenu::GetWindowHandle();
    // The bar of an MDI child shows in the main form.
    auto* form = dynamic_cast<vcl::TCustomForm*>(Owner());
    vcl::TCustomForm* mainForm = vcl::Application ? vcl::Application->MainForm() : nullptr;
    if (form && form->FormStyle() == vcl::TFormStyle::fsMDIChild && !Designing() && mainForm &&
        mainForm != form)
        window = mainForm->Handle();
    windowHandle_ = window;
    return window;
}

void TZylMainMenu::SetAutoMerge(bool value) {
    autoMerge_ = value;
    if (const HWND window = GetWindowHandle()) SendMessage(window, vcl::CM_MENUCHANGED, 0, 0);
}

void TZylMainMenu::Merge(TZylMainMenu* menu) {
    if (Items()) Items()->MergeWith(menu ? menu->Items() : nullptr);
}

void TZylMainMenu::Unmerge(TZylMainMenu* menu) {
    if (menu && Items() && Items()->Merged() == menu->Items()) Items()->MergeWith(nullptr);
}

void TZylMainMenu::ItemChanged() {
    MenuChanged(nullptr, false);
    if (const HWND window = WindowHandle(); window && IsWindow(window))
        SendMessage(window, vcl::CM_MENUCHANGED, 0, 0);
}

void TZylMainMenu::MenuChanged(vcl::TMenuItem*, bool) {
    if (IsDestroying()) return;
    if (const HWND window = WindowHandle(); window && IsWindow(window) && UpdateImage()) DrawMenuBar(window);
}

void TZylMainMenu::Popup(Integer x, Integer y) {
    const std::shared_ptr<bool> alive = alive_;
    DoPopup(this);
    if (!*alive || !Items()) return;
    TZylMenuItem* root = Items();
    // The bar's items show in a popup menu of their own for the time the menu is open.
    const HMENU bar = root->Handle();
    const HMENU popup = CreatePopupMenu();
    if (!popup) throw EZylMenuError(std::string(SOutOfResources));
    root->SetHandle(popup);
    const ScopeExit restore([&] {
        if (!*alive) return;
        root->SetHandle(bar);
        while (GetMenuItemCount(popup) > 0)
            RemoveMenu(popup, 0, MF_BYPOSITION);
        DestroyMenu(popup);
    });
    root->PopulateMenu();
    static constexpr UINT kAlignments[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
    TrackPopupMenu(popup, kAlignments[static_cast<size_t>(PopupAlignment())] | TPM_RIGHTBUTTON, x, y, 0,
                   WindowHandle(), nullptr);
}

void TZylMainMenu::SetOle2MenuHandle(HMENU value) {
    ole2MenuHandle_ = value;
    ItemChanged();
}

void TZylMainMenu::PopulateOle2Menu(HMENU sharedMenu, std::span<const Integer> groups,
                                    std::span<Integer> widths) {
    std::fill(widths.begin(), widths.end(), 0);
    if (!Items()) return;
    IterateMenus(
        [&](TZylMenuItem* item) {
            if (!InGroups(groups, item->GroupIndex())) return false;
            if (item->GroupIndex() < widths.size()) ++widths[item->GroupIndex()];
            item->AppendTo(sharedMenu);
            return false;
        },
        Items()->Merged(), Items());
}

HACCEL TZylMainMenu::GetOle2AcceleratorTable(Integer& accelCount, std::span<const Integer> groups) {
    std::vector<ACCEL> entries;
    std::function<void(const TZylMenuItem*)> collect = [&](const TZylMenuItem* item) {
        const vcl::TShortCut shortCut = item->ShortCut();
        if (shortCut == 0) {
            for (Integer i = 0; i < item->Count(); ++i)
                collect(item->Items(i));
            return;
        }
        ACCEL entry{};
        entry.fVirt = static_cast<BYTE>(FVIRTKEY | FNOINVERT | ((shortCut & vcl::scCtrl) ? FCONTROL : 0) |
                                        ((shortCut & vcl::scAlt) ? FALT : 0) |
                                        ((shortCut & vcl::scShift) ? FSHIFT : 0));
        entry.key = static_cast<WORD>(shortCut & 0xFF);
        entry.cmd = item->Command();
        entries.push_back(entry);
    };
    if (Items())
        IterateMenus(
            [&](TZylMenuItem* item) {
                if (InGroups(groups, item->GroupIndex())) collect(item);
                return false;
            },
            Items()->Merged(), Items());
    accelCount = static_cast<Integer>(entries.size());
    return entries.empty() ? nullptr : CreateAcceleratorTable(entries.data(), accelCount);
}

// ---------------------------------------------------------------------------------------------
// TZylPopupMenu

VCL_DEFINE_CLASS(TZylPopupMenu, TZylMenu)

TZylPopupMenu::TZylPopupMenu(vcl::TComponent* owner) : TZylPopupMenu(owner, Deferred{}) {
    TakeOverWindow();
}

TZylPopupMenu::TZylPopupMenu(vcl::TComponent* owner, Deferred)
    : TZylMenu(owner), popupDetails_(std::make_unique<TZylSubMenu>(Items())) {
    popupDetails_->SetOwner(this);
    popupDetails_->OnChange = [this](vcl::TObject* sender) { ChangeSubMenu(sender); };
}

TZylPopupMenu::~TZylPopupMenu() {
    popupDetails_->OnChange = nullptr;
}

HWND TZylPopupMenu::GetWindowHandle() {
    windowHandle_ = vcl::Application ? vcl::Application->Handle() : nullptr;
    return windowHandle_;
}

bool TZylPopupMenu::PopupDetailsInUse() const {
    // Details switched on count as changed, also when they were read from a form.
    return popupDetailsInUse_ || popupDetails_->Enabled();
}

Integer TZylPopupMenu::HelpContext() const {
    return Items() ? Items()->HelpContext() : 0;
}

void TZylPopupMenu::SetHelpContext(Integer value) {
    if (Items()) Items()->SetHelpContext(value);
}

void TZylPopupMenu::ChangeSubMenu(vcl::TObject*) {
    SetBarCacheOwner(nullptr);
    popupDetailsInUse_ = true;
}

// ---------------------------------------------------------------------------------------------
// TZylFormMenu and TZylApplicationMenu

VCL_DEFINE_CLASS(TZylFormMenu, TZylPopupMenu)

TZylFormMenu::TZylFormMenu(vcl::TComponent* owner) : TZylPopupMenu(owner, Deferred{}) {
    if (!Designing()) AdoptSystemMenu(GetWindowHandle());
    TakeOverWindow();
}

HWND TZylFormMenu::GetWindowHandle() {
    return TZylMenu::GetWindowHandle();
}

VCL_DEFINE_CLASS(TZylApplicationMenu, TZylPopupMenu)

TZylApplicationMenu::TZylApplicationMenu(vcl::TComponent* owner) : TZylPopupMenu(owner, Deferred{}) {
    if (!Designing()) AdoptSystemMenu(GetWindowHandle());
    TakeOverWindow();
}

}  // namespace ribola
