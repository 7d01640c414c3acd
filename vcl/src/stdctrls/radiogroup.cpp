// The radio group: a group box that makes one radio button per item.
#include <algorithm>

#include "vcl/extctrls.h"

namespace vcl {

using namespace win32;

namespace {

constexpr Integer kMaxColumns = 16;
// The buttons' distance from the left of the client area, so that their circles clear the frame.
constexpr Integer kButtonIndent = 6;

[[noreturn]] void IndexError(Integer index) {
    throw EListError(Format("List index out of bounds (%d)", {index}));
}

}  // namespace

VCL_DEFINE_CLASS(TCustomRadioGroup, TCustomGroupBox)

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner)
    : TCustomGroupBox(owner), items_(std::make_unique<TStringList>()) {
    items_->OnChange = [this](TObject* sender) { ItemsChanged(sender); };
}

TCustomRadioGroup::~TCustomRadioGroup() {
    // The buttons are owned components: they go with the group (Free has already freed them).
    items_->OnChange = nullptr;
    buttons_.clear();
}

TRadioButton* TCustomRadioGroup::Buttons(Integer index) const {
    if (index < 0 || index >= ButtonCount()) IndexError(index);
    return buttons_[static_cast<size_t>(index)];
}

void TCustomRadioGroup::GetChildren(const std::function<void(TComponent*)>&, TComponent*) {
    // The buttons come from Items; they are not written with the form.
}

void TCustomRadioGroup::SetItemIndex(Integer value) {
    // A form file may give the index before the items; Loaded checks it.
    if (IsLoading()) {
        itemIndex_ = value;
        return;
    }
    if (value < -1 || value >= ButtonCount()) IndexError(value);
    if (value == itemIndex_) return;
    {
        const ScopedValue quiet(updating_, true);
        if (itemIndex_ >= 0 && itemIndex_ < ButtonCount())
            buttons_[static_cast<size_t>(itemIndex_)]->SetCheckedValue(false);
        if (value >= 0) buttons_[static_cast<size_t>(value)]->SetCheckedValue(true);
    }
    itemIndex_ = value;
}

void TCustomRadioGroup::SetColumns(Integer value) {
    value = std::clamp(value, 1, kMaxColumns);
    if (columns_ == value) return;
    columns_ = value;
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::Loaded() {
    TCustomGroupBox::Loaded();
    if (itemIndex_ < -1 || itemIndex_ >= items_->Count()) itemIndex_ = -1;
    UpdateButtons();
}

void TCustomRadioGroup::Resize() {
    TCustomGroupBox::Resize();
    ArrangeButtons();
}

void TCustomRadioGroup::WndProc(TMessage& message) {
    TCustomGroupBox::WndProc(message);
    switch (message.Msg) {
        case CM_ENABLEDCHANGED:
            for (TRadioButton* button : buttons_)
                button->SetEnabled(Enabled());
            break;
        case CM_FONTCHANGED:
            ArrangeButtons();
            break;
        default:
            break;
    }
}

void TCustomRadioGroup::ItemsChanged(TObject*) {
    if (IsLoading() || IsDestroying()) return;
    if (itemIndex_ >= items_->Count()) itemIndex_ = items_->Count() - 1;
    UpdateButtons();
}

void TCustomRadioGroup::UpdateButtons() {
    const auto count = static_cast<size_t>(items_->Count());
    while (buttons_.size() > count) {
        TRadioButton* button = buttons_.back();
        buttons_.pop_back();
        button->OnClick = nullptr;
        button->Free();
    }
    while (buttons_.size() < count) {
        auto* button = new TRadioButton(this);
        button->SetEnabled(Enabled());
        button->OnClick = [this](TObject* sender) { ButtonClicked(sender); };
        button->SetParent(this);
        buttons_.push_back(button);
    }
    {
        const ScopedValue quiet(updating_, true);
        for (size_t i = 0; i < count; ++i) {
            TRadioButton* button = buttons_[i];
            button->SetCaption(items_->Strings(static_cast<Integer>(i)));
            button->SetCheckedValue(static_cast<Integer>(i) == itemIndex_);
        }
    }
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::ArrangeButtons() {
    if (buttons_.empty() || IsLoading() || IsDestroying()) return;
    TRect area = ClientRect();
    AdjustClientRect(area);
    const Integer count = ButtonCount();
    const Integer perColumn = (count + columns_ - 1) / columns_;
    const Integer width = std::max(0, area.right - area.left - kButtonIndent);
    const Integer height = std::max(0, area.bottom - area.top);
    const Integer buttonWidth = width / columns_;
    const Integer buttonHeight = height / perColumn;
    // The rows share what is left over above and below them.
    const Integer top = area.top + (height % perColumn) / 2;
    for (Integer i = 0; i < count; ++i) {
        const Integer column = i / perColumn, row = i % perColumn;
        buttons_[static_cast<size_t>(i)]->SetBounds(area.left + kButtonIndent + column * buttonWidth,
                                                    top + row * buttonHeight, buttonWidth, buttonHeight);
    }
}

void TCustomRadioGroup::ButtonClicked(TObject* sender) {
    if (updating_) return;
    auto it = std::find(buttons_.begin(), buttons_.end(), sender);
    if (it == buttons_.end() || !(*it)->Checked()) return;
    const auto index = static_cast<Integer>(it - buttons_.begin());
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Changed();
    Click();
}

namespace {
const bool radiogroupClassesRegistered = [] {
    RegisterClass<TRadioGroup>();
    return true;
}();
}  // namespace

}  // namespace vcl
