// The data set navigator.
#include "lumaro/zylnavigator.h"

#include <algorithm>

#include "vcl/dialogs.h"
#include "vcl/streaming.h"
#include "win32/gdi.h"
#include "win32/resources.h"
#include "win32/virtualkeys.h"

namespace lumaro {

using namespace vcl;

namespace zylnavigator {

// The delay before a held button repeats, then the pause between repeats.
constexpr Cardinal kInitialRepeatPause = 400;
constexpr Cardinal kRepeatPause = 100;

constexpr std::array<const char*, kNavigateButtonCount> kDefaultHints{
    "First Record",  "Previous Record", "Next Record", "Last Record", "Insert Record",
    "Delete Record", "Edit Record",     "Post Record", "Cancel Edit", "Refresh Record"};

constexpr std::array<const char*, kNavigateButtonCount> kGlyphWords{
    "first", "prior", "next", "last", "insert", "delete", "edit", "post", "cancel", "refresh"};

TZylNavigateBtn ButtonAt(Integer index) {
    return static_cast<TZylNavigateBtn>(index);
}

}  // namespace zylnavigator

// ---------------------------------------------------------------------------------------------
// TZylNavButton

VCL_DEFINE_CLASS(TZylNavButton, vcl::TSpeedButton)

TZylNavButton::TZylNavButton(TComponent* owner) : TSpeedButton(owner) {}

TZylNavButton::~TZylNavButton() = default;

void TZylNavButton::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
    TSpeedButton::MouseDown(button, shift, x, y);
    clickedOnPress_ = false;
    if (button != mbLeft || !Enabled() || !navStyle_.Contains(nsAllowTimer)) return;
    // A repeating button acts at once, then again while it is held.
    StartRepeat();
    clickedOnPress_ = true;
    try {
        Click();
    } catch (...) {
        StopRepeat();
        throw;
    }
}

void TZylNavButton::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
    StopRepeat();
    if (!clickedOnPress_) {
        TSpeedButton::MouseUp(button, shift, x, y);
        return;
    }
    // The press already clicked: release the button without a second click.
    clickedOnPress_ = false;
    const bool wasInside = x >= 0 && x < Width() && y >= 0 && y < Height();
    TSpeedButton::MouseUp(button, shift, wasInside ? -1 : x, wasInside ? -1 : y);
}

void TZylNavButton::StartRepeat() {
    if (!repeatTimer_) {
        repeatTimer_.reset(new TTimer(nullptr));
        repeatTimer_->SetEnabled(false);
        repeatTimer_->SetOnTimer([this](TObject*) { RepeatTimerExpired(); });
    }
    repeatTimer_->SetInterval(zylnavigator::kInitialRepeatPause);
    repeatTimer_->SetEnabled(true);
}

void TZylNavButton::StopRepeat() {
    if (repeatTimer_) repeatTimer_->SetEnabled(false);
}

void TZylNavButton::RepeatTimerExpired() {
    repeatTimer_->SetInterval(zylnavigator::kRepeatPause);
    if (State() != bsDown || GetCaptureControl() != this || !Enabled()) return;
    try {
        Click();
    } catch (...) {
        StopRepeat();
        throw;
    }
}

void TZylNavButton::Paint() {
    TSpeedButton::Paint();
    auto* navigator = dynamic_cast<TZylDBNavigator*>(Parent());
    if (!navStyle_.Contains(nsFocusRect) || !navigator || !navigator->ShowsFocusRect(this)) return;
    TRect rect = ClientRect();
    win32::InflateRect(&rect, -3, -3);
    if (State() == bsDown) win32::OffsetRect(&rect, 1, 1);
    TCanvas* canvas = TGraphicControl::Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->Font()->SetColor(clBtnText);
    win32::DrawFocusRect(canvas->Handle(), &rect);
}

// ---------------------------------------------------------------------------------------------
// TZylNavDataLink

VCL_DEFINE_CLASS(TZylNavDataLink, vcl::TDataLink)

void TZylNavDataLink::EditingChanged() {
    navigator_->EditingChanged();
}

void TZylNavDataLink::DataSetChanged() {
    navigator_->DataChanged();
}

void TZylNavDataLink::ActiveChanged() {
    navigator_->ActiveChanged();
}

// ---------------------------------------------------------------------------------------------
// TZylDBNavigator

VCL_DEFINE_CLASS(TZylDBNavigator, vcl::TCustomPanel)

TZylDBNavigator::TZylDBNavigator(TComponent* owner)
    : TCustomPanel(owner),
      dataLink_(std::make_unique<TZylNavDataLink>(this)),
      hints_(std::make_unique<TStringList>()) {
    controlStyle_.Exclude(csAcceptsControls);
    controlStyle_.Exclude(csSetCaption);
    controlStyle_.Include(csOpaque);
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    hints_->OnChange = [this](TObject*) { ApplyHints(); };
    CreateButtons();
    SetBounds(Left(), Top(), 241, 25);
    ActiveChanged();
}

TZylDBNavigator::~TZylDBNavigator() {
    *alive_ = false;
}

void TZylDBNavigator::CreateButtons() {
    const win32::HMODULE module = win32::GetModuleHandle("lumaro");
    const TPoint size = MinButtonSize();
    for (Integer i = 0; i < kNavigateButtonCount; ++i) {
        const TZylNavigateBtn index = zylnavigator::ButtonAt(i);
        auto* button = new TZylNavButton(this);
        button->SetIndex(index);
        button->SetFlat(flat_);
        button->SetVisible(visibleButtons_.Contains(index));
        button->SetBounds(i * size.x, 0, size.x, size.y);
        const std::string resource = Format("dbmn_%s", {std::string(zylnavigator::kGlyphWords[i])});
        if (const win32::HBITMAP glyph = win32::LoadBitmap(module, resource.c_str())) {
            TBitmap bitmap;
            bitmap.SetHandle(glyph);
            button->SetGlyph(&bitmap);
            button->SetNumGlyphs(2);
        }
        TZylNavButtonStyles style{nsFocusRect};
        if (index == nbPrior || index == nbNext) style.Include(nsAllowTimer);
        button->SetNavStyle(style);
        button->OnClick = [this, index](TObject*) { BtnClick(index); };
        button->OnMouseDown = [this, button](TObject*, TMouseButton, TShiftState, Integer, Integer) {
            ButtonPressed(button);
        };
        button->SetParent(this);
        buttons_[static_cast<size_t>(i)] = button;
    }
    ApplyHints();
}

TPoint TZylDBNavigator::MinButtonSize() const {
    return direction_ == kHorizontal ? Point(20, 18) : Point(18, 20);
}

void TZylDBNavigator::SetDirection(TZylKind value) {
    if (value == direction_) return;
    direction_ = value;
    if (!IsLoading())
        SetBounds(Left(), Top(), Height(), Width());
    else
        PlaceButtons();
    if (HandleAllocated()) RecreateWnd();
}

void TZylDBNavigator::SetBackground(TZylBackground* value) {
    if (background_.Set(value)) Invalidate();
}

void TZylDBNavigator::SetDataSource(TDataSource* value) {
    TDataSource* old = dataLink_->DataSource();
    if (value == old) return;
    if (old) old->RemoveFreeNotification(this);
    dataLink_->SetDataSource(value);
    if (value) value->FreeNotification(this);
    if (!IsLoading()) ActiveChanged();
}

void TZylDBNavigator::SetVisibleButtons(TZylButtonSet value) {
    visibleButtons_ = value;
    for (Integer i = 0; i < kNavigateButtonCount; ++i)
        buttons_[static_cast<size_t>(i)]->SetVisible(value.Contains(zylnavigator::ButtonAt(i)));
    KeepFocusVisible();
    PlaceButtons();
    Invalidate();
}

void TZylDBNavigator::SetFlat(bool value) {
    if (value == flat_) return;
    flat_ = value;
    for (TZylNavButton* button : buttons_)
        button->SetFlat(value);
}

void TZylDBNavigator::SetHints(TStrings* value) {
    if (value && value != hints_.get()) hints_->Assign(value);
}

void TZylDBNavigator::ApplyHints() {
    // Lines past the tenth have no button to go to.
    for (Integer i = 0; i < kNavigateButtonCount; ++i) {
        const std::string line = i < hints_->Count() ? hints_->Strings(i) : std::string();
        buttons_[static_cast<size_t>(i)]->SetHint(
            line.empty() ? zylnavigator::kDefaultHints[static_cast<size_t>(i)] : line);
    }
}

void TZylDBNavigator::BtnClick(TZylNavigateBtn index) {
    // A handler may free the navigator: nothing of it is touched afterwards.
    const std::shared_ptr<bool> alive = alive_;
    TDataSource* source = DataSource();
    if (source && source->State() != dsInactive) {
        if (!Designing() && BeforeAction) {
            BeforeAction(this, index);
            if (!*alive) return;
        }
        TDataSet* data = source->DataSet();
        if (!data) return;
        switch (index) {
            case nbFirst:
                data->First();
                break;
            case nbPrior:
                data->Prior();
                break;
            case nbNext:
                data->Next();
                break;
            case nbLast:
                data->Last();
                break;
            case nbInsert:
                data->Insert();
                break;
            case nbDelete:
                if (!confirmDelete_ || MessageDlg(std::string(SDeleteRecordQuestion), mtConfirmation,
                                                  TMsgDlgButtons{mbOK, mbCancel}, 0) != mrCancel)
                    data->Delete();
                break;
            case nbEdit:
                data->Edit();
                break;
            case nbPost:
                data->Post();
                break;
            case nbCancel:
                data->Cancel();
                break;
            case nbRefresh:
                data->Refresh();
                break;
        }
    }
    if (*alive && !Designing() && OnClick) OnClick(this, index);
}

void TZylDBNavigator::DataChanged() {
    UpdateButtonStates();
}

void TZylDBNavigator::EditingChanged() {
    UpdateButtonStates();
}

void TZylDBNavigator::ActiveChanged() {
    UpdateButtonStates();
}

void TZylDBNavigator::UpdateButtonStates() {
    const bool active = Enabled() && dataLink_->Active();
    TDataSet* data = active ? dataLink_->DataSet() : nullptr;
    const bool up = active && !data->Bof();
    const bool down = active && !data->Eof();
    const bool modifiable = active && data->CanModify();
    const bool editing = active && dataLink_->Editing();
    const auto enable = [this](TZylNavigateBtn button, bool value) { Buttons(button)->SetEnabled(value); };
    enable(nbFirst, up);
    enable(nbPrior, up);
    enable(nbNext, down);
    enable(nbLast, down);
    enable(nbDelete, modifiable && !(data->Bof() && data->Eof()));
    enable(nbInsert, modifiable);
    enable(nbRefresh, modifiable);
    enable(nbEdit, modifiable && !editing);
    enable(nbPost, modifiable && editing);
    enable(nbCancel, modifiable && editing);
}

Integer TZylDBNavigator::VisibleCount() const {
    Integer count = 0;
    for (Integer i = 0; i < kNavigateButtonCount; ++i)
        if (visibleButtons_.Contains(zylnavigator::ButtonAt(i))) ++count;
    return std::max<Integer>(count, 1);
}

void TZylDBNavigator::LayOutButtons(Integer& width, Integer& height) {
    // Worked along the row; a column is the same with width and height exchanged.
    const bool row = direction_ == kHorizontal;
    Integer& along = row ? width : height;
    Integer& across = row ? height : width;
    const TPoint minimum = MinButtonSize();
    const Integer count = VisibleCount();
    along = std::max(along, count * (row ? minimum.x : minimum.y));
    across = std::max(across, row ? minimum.y : minimum.x);
    const Integer buttonSize = along / count;
    if (Align() == TAlign::alNone) along = count * buttonSize;
    // The pixels left over go one each to buttons spread evenly from the middle.
    const Integer remainder = along - count * buttonSize;
    Integer spread = count / 2;
    Integer at = 0;
    for (Integer i = 0; i < kNavigateButtonCount; ++i) {
        TZylNavButton* button = buttons_[static_cast<size_t>(i)];
        if (!visibleButtons_.Contains(zylnavigator::ButtonAt(i))) {
            if (row)
                button->SetBounds(width + 1, 0, buttonSize, across);
            else
                button->SetBounds(0, height + 1, across, buttonSize);
            continue;
        }
        Integer extra = 0;
        if (remainder != 0) {
            spread -= remainder;
            if (spread < 0) {
                spread += count;
                extra = 1;
            }
        }
        if (row)
            button->SetBounds(at, 0, buttonSize + extra, across);
        else
            button->SetBounds(0, at, across, buttonSize + extra);
        at += buttonSize + extra;
    }
}

void TZylDBNavigator::PlaceButtons() {
    // SetBounds lays the buttons out even when the size stays.
    SetBounds(Left(), Top(), Width(), Height());
}

void TZylDBNavigator::SetBounds(Integer left, Integer top, Integer width, Integer height) {
    // While a form file is read, the size may arrive before the direction and the buttons:
    // Loaded lays them out once everything is known.
    const bool layOut = buttons_[0] && !IsLoading();
    if (layOut) LayOutButtons(width, height);
    TCustomPanel::SetBounds(left, top, width, height);
    // Alignment may have given another size than asked for: the buttons follow it.
    if (layOut && (width != Width() || height != Height())) {
        width = Width();
        height = Height();
        LayOutButtons(width, height);
    }
}

void TZylDBNavigator::ButtonPressed(TZylNavButton* button) {
    const TZylNavigateBtn old = focusedButton_;
    focusedButton_ = button->Index();
    if (TabStop() && CanFocus() && !Focused()) {
        SetFocus();
    } else if (old != focusedButton_ && Focused()) {
        Buttons(old)->Invalidate();
        button->Invalidate();
    }
}

void TZylDBNavigator::SetFocusedButton(TZylNavigateBtn value) {
    if (value == focusedButton_) return;
    const TZylNavigateBtn old = focusedButton_;
    focusedButton_ = value;
    if (Focused()) {
        Buttons(old)->Invalidate();
        Buttons(value)->Invalidate();
    }
}

TZylNavigateBtn TZylDBNavigator::NextVisible(TZylNavigateBtn from, int step) const {
    for (Integer i = static_cast<Integer>(from) + step; i >= 0 && i < kNavigateButtonCount; i += step)
        if (visibleButtons_.Contains(zylnavigator::ButtonAt(i))) return zylnavigator::ButtonAt(i);
    return from;
}

void TZylDBNavigator::KeepFocusVisible() {
    if (visibleButtons_.Contains(focusedButton_)) return;
    TZylNavigateBtn next = NextVisible(focusedButton_, 1);
    if (next == focusedButton_) next = NextVisible(focusedButton_, -1);
    SetFocusedButton(next);
}

bool TZylDBNavigator::ShowsFocusRect(const TZylNavButton* button) const {
    return button->Index() == focusedButton_ && Focused() && button->Visible();
}

void TZylDBNavigator::KeyDown(Word& key, TShiftState shift) {
    TCustomPanel::KeyDown(key, shift);
    switch (key) {
        case win32::VK_SPACE: {
            // A hidden button is never clicked, even while the mark is on it.
            TZylNavButton* button = Buttons(focusedButton_);
            if (button->Visible() && button->Enabled()) button->Click();
            break;
        }
        case win32::VK_LEFT:
        case win32::VK_UP:
            SetFocusedButton(NextVisible(focusedButton_, -1));
            break;
        case win32::VK_RIGHT:
        case win32::VK_DOWN:
            SetFocusedButton(NextVisible(focusedButton_, 1));
            break;
        default:
            break;
    }
}

void TZylDBNavigator::WndProc(TMessage& message) {
    switch (message.Msg) {
        case win32::WM_GETDLGCODE:
            message.Result = DLGC_WANTARROWS;
            return;
        case win32::WM_SETFOCUS:
        case win32::WM_KILLFOCUS:
            TCustomPanel::WndProc(message);
            Buttons(focusedButton_)->Invalidate();
            return;
        case CM_ENABLEDCHANGED:
            TCustomPanel::WndProc(message);
            UpdateButtonStates();
            return;
        default:
            break;
    }
    TCustomPanel::WndProc(message);
}

void TZylDBNavigator::Loaded() {
    TCustomPanel::Loaded();
    PlaceButtons();
    ActiveChanged();
}

void TZylDBNavigator::Notification(TComponent* component, TOperation operation) {
    TCustomPanel::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (background_.Drop(component)) Invalidate();
    if (component && component == dataLink_->DataSource()) {
        dataLink_->SetDataSource(nullptr);
        ActiveChanged();
    }
}

void TZylDBNavigator::Paint() {
    if (TZylBackground* background = Background())
        background->Draw(Canvas()->Handle(), Width(), Height(), true);
    else
        TCustomPanel::Paint();
}

}  // namespace lumaro
