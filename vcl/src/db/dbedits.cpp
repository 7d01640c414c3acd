// Data-aware edit, label and memo, and what every data-aware control shares: linking a data source
// with a free notification and leaving the control with the field written.
#include "vcl/dbctrls.h"

#include <algorithm>

#include "win32/virtualkeys.h"

namespace vcl {

using namespace win32;

namespace {

const bool dbeditsClassesRegistered = [] {
    RegisterClasses({TDBEdit::StaticClass(), TDBText::StaticClass(), TDBMemo::StaticClass(),
                     TDBImage::StaticClass(), TDBCheckBox::StaticClass(), TDBComboBox::StaticClass()});
    return true;
}();

}  // namespace

namespace dbcontrols {

void LinkSource(TComponent* control, TFieldDataLink& link, TDataSource* source) {
    TDataSource* old = link.DataSource();
    if (old == source) return;
    link.SetDataSource(source);
    if (old) old->RemoveFreeNotification(control);
    if (source) source->FreeNotification(control);
}

void DropSource(TFieldDataLink& link, TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && component && component == link.DataSource())
        link.SetDataSource(nullptr);
}

bool IsTypedCharacter(char32_t key) {
    return key >= 0x20 && key != 0x7F;
}

bool IsAcceptedBy(const TField* field, char32_t key) {
    // Characters past one byte are judged as the highest byte, which every text field accepts and
    // no numeric one does.
    return !field || field->IsValidChar(static_cast<unsigned char>(std::min<char32_t>(key, 0xFF)));
}

void WriteOnExit(TWinControl* control, TFieldDataLink& link, const std::function<void()>& selectAll) {
    try {
        link.UpdateRecord();
    } catch (...) {
        if (selectAll) selectAll();
        if (control->CanFocus()) control->SetFocus();
        throw;
    }
}

bool EditShortCut(Word key, TShiftState shift) {
    return key == VK_DELETE || (key == VK_INSERT && shift.Contains(ssShift)) ||
           (shift.Contains(ssCtrl) && (key == 'V' || key == 'X'));
}

}  // namespace dbcontrols

using dbcontrols::IsAcceptedBy;
using dbcontrols::IsTypedCharacter;

// ---------------------------------------------------------------------------------------------
// TDBEdit

VCL_DEFINE_CLASS(TDBEdit, TCustomEdit)

TDBEdit::TDBEdit(TComponent* owner) : TCustomEdit(owner), dataLink_(std::make_unique<TFieldDataLink>()) {
    dataLink_->SetControl(this);
    dataLink_->OnDataChange = [this](TObject*) { DataChange(); };
    dataLink_->OnEditingChange = [this](TObject*) { EditingChange(); };
    dataLink_->OnUpdateData = [this](TObject*) { UpdateData(); };
    dataLink_->OnActiveChange = [this](TObject*) { EditingChange(); };
    dataLink_->OnFocusControl = [this](TObject*, bool& focused) {
        if (CanFocus()) {
            SetFocus();
            focused = true;
        }
    };
    TCustomEdit::SetReadOnly(true);
}

TDBEdit::~TDBEdit() = default;

void TDBEdit::SetDataSource(TDataSource* value) {
    dbcontrols::LinkSource(this, *dataLink_, value);
}

void TDBEdit::SetReadOnly(bool value) {
    dataLink_->SetReadOnly(value);
    EditingChange();
}

void TDBEdit::Notification(TComponent* component, TOperation operation) {
    TCustomEdit::Notification(component, operation);
    dbcontrols::DropSource(*dataLink_, component, operation);
}

void TDBEdit::DataChange() {
    if (TField* field = Field()) {
        if (field->DataType() == TFieldType::ftString || field->DataType() == TFieldType::ftFixedChar)
            SetMaxLength(field->Size());
        SetText(focused_ && dataLink_->CanModify() ? field->Text() : field->DisplayText());
    } else {
        SetText(Designing() ? Name() : std::string());
    }
}

void TDBEdit::EditingChange() {
    TCustomEdit::SetReadOnly(!dataLink_->Editing());
}

void TDBEdit::UpdateData() {
    if (TField* field = Field()) field->SetText(Text());
}

void TDBEdit::SetFocusedState(bool value) {
    if (focused_ == value) return;
    focused_ = value;
    dataLink_->Reset();
}

void TDBEdit::Change() {
    dataLink_->Modified();
    TCustomEdit::Change();
}

void TDBEdit::KeyDown(Word& key, TShiftState shift) {
    TCustomEdit::KeyDown(key, shift);
    if (key != 0 && dbcontrols::EditShortCut(key, shift)) dataLink_->Edit();
}

void TDBEdit::KeyPress(char32_t& key) {
    TCustomEdit::KeyPress(key);
    if (IsTypedCharacter(key) && !IsAcceptedBy(Field(), key)) {
        MessageBeep(0);
        key = 0;
    }
    if (IsTypedCharacter(key) || key == 0x08 || key == 0x16 || key == 0x18) {
        if (!dataLink_->Edit()) key = 0;
    } else if (key == 0x1B) {
        dataLink_->Reset();
        SelectAll();
        key = 0;
    }
}

void TDBEdit::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_GETDATALINK:
            message.Result = reinterpret_cast<LRESULT>(dataLink_.get());
            return;
        case CM_ENTER:
            SetFocusedState(true);
            break;
        case CM_EXIT:
            dbcontrols::WriteOnExit(this, *dataLink_, [this] { SelectAll(); });
            SetFocusedState(false);
            break;
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_UNDO:
            dataLink_->Edit();
            break;
        default:
            break;
    }
    TCustomEdit::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TDBText

VCL_DEFINE_CLASS(TDBText, TCustomLabel)

TDBText::TDBText(TComponent* owner) : TCustomLabel(owner), dataLink_(std::make_unique<TFieldDataLink>()) {
    dataLink_->SetControl(this);
    dataLink_->OnDataChange = [this](TObject*) { DataChange(); };
    SetAutoSize(false);
    controlStyle_.Exclude(csSetCaption);
}

TDBText::~TDBText() = default;

void TDBText::SetDataSource(TDataSource* value) {
    dbcontrols::LinkSource(this, *dataLink_, value);
    DataChange();
}

void TDBText::Notification(TComponent* component, TOperation operation) {
    TCustomLabel::Notification(component, operation);
    dbcontrols::DropSource(*dataLink_, component, operation);
    if (operation == TOperation::opRemove && component && !dataLink_->DataSource()) DataChange();
}

void TDBText::Loaded() {
    TCustomLabel::Loaded();
    DataChange();
}

std::string TDBText::FieldText() const {
    if (TField* field = Field()) return field->DisplayText();
    return Designing() ? Name() : std::string();
}

void TDBText::DataChange() {
    SetCaption(FieldText());
}

void TDBText::WndProc(TMessage& message) {
    if (message.Msg == CM_GETDATALINK) {
        message.Result = reinterpret_cast<LRESULT>(dataLink_.get());
        return;
    }
    TCustomLabel::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TDBMemo

VCL_DEFINE_CLASS(TDBMemo, TCustomMemo)

TDBMemo::TDBMemo(TComponent* owner) : TCustomMemo(owner), dataLink_(std::make_unique<TFieldDataLink>()) {
    dataLink_->SetControl(this);
    dataLink_->OnDataChange = [this](TObject*) { DataChange(); };
    dataLink_->OnEditingChange = [this](TObject*) { EditingChange(); };
    dataLink_->OnUpdateData = [this](TObject*) { UpdateData(); };
    dataLink_->OnActiveChange = [this](TObject*) { EditingChange(); };
    dataLink_->OnFocusControl = [this](TObject*, bool& focused) {
        if (CanFocus()) {
            SetFocus();
            focused = true;
        }
    };
    TCustomEdit::SetReadOnly(true);
}

TDBMemo::~TDBMemo() = default;

void TDBMemo::SetDataSource(TDataSource* value) {
    dbcontrols::LinkSource(this, *dataLink_, value);
}

void TDBMemo::SetReadOnly(bool value) {
    dataLink_->SetReadOnly(value);
    EditingChange();
}

void TDBMemo::SetAutoDisplay(bool value) {
    if (autoDisplay_ == value) return;
    autoDisplay_ = value;
    if (value) LoadMemo();
}

void TDBMemo::Notification(TComponent* component, TOperation operation) {
    TCustomMemo::Notification(component, operation);
    dbcontrols::DropSource(*dataLink_, component, operation);
}

void TDBMemo::LoadMemo() {
    TField* field = Field();
    if (memoLoaded_ || !field || !field->IsBlob()) return;
    SetText(field->AsString());
    memoLoaded_ = true;
    EditingChange();
}

void TDBMemo::DataChange() {
    TField* field = Field();
    if (!field) {
        memoLoaded_ = false;
        SetText(Designing() ? Name() : std::string());
    } else if (field->IsBlob()) {
        if (autoDisplay_ || (focused_ && dataLink_->CanModify())) {
            memoLoaded_ = false;
            LoadMemo();
        } else {
            SetText("(" + field->DisplayLabel() + ")");
            memoLoaded_ = false;
        }
    } else {
        SetText(focused_ && dataLink_->CanModify() ? field->Text() : field->DisplayText());
        memoLoaded_ = true;
    }
    EditingChange();
}

void TDBMemo::EditingChange() {
    TCustomEdit::SetReadOnly(!(dataLink_->Editing() && memoLoaded_));
}

void TDBMemo::UpdateData() {
    TField* field = Field();
    if (!field || !memoLoaded_) return;
    if (field->IsBlob())
        field->SetAsString(Text());
    else
        field->SetText(Text());
}

void TDBMemo::Change() {
    if (memoLoaded_) dataLink_->Modified();
    TCustomMemo::Change();
}

void TDBMemo::KeyDown(Word& key, TShiftState shift) {
    TCustomMemo::KeyDown(key, shift);
    if (key != 0 && memoLoaded_ && dbcontrols::EditShortCut(key, shift)) dataLink_->Edit();
}

void TDBMemo::KeyPress(char32_t& key) {
    TCustomMemo::KeyPress(key);
    if (!memoLoaded_) {
        if (key == '\r') {
            LoadMemo();
            key = 0;
        } else if (key != 0 && key != 0x1B) {
            key = 0;
        }
    }
    if (IsTypedCharacter(key) && !IsAcceptedBy(Field(), key)) {
        MessageBeep(0);
        key = 0;
    }
    if (IsTypedCharacter(key) || key == 0x08 || key == '\r' || key == '\t' || key == 0x16 || key == 0x18) {
        if (!dataLink_->Edit()) key = 0;
    } else if (key == 0x1B) {
        dataLink_->Reset();
        key = 0;
    }
}

void TDBMemo::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_GETDATALINK:
            message.Result = reinterpret_cast<LRESULT>(dataLink_.get());
            return;
        case CM_ENTER:
            focused_ = true;
            break;
        case CM_EXIT:
            dbcontrols::WriteOnExit(this, *dataLink_, nullptr);
            focused_ = false;
            if (!autoDisplay_) dataLink_->Reset();
            break;
        case WM_LBUTTONDBLCLK:
            if (!memoLoaded_) {
                LoadMemo();
                return;
            }
            break;
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_UNDO:
            if (memoLoaded_) dataLink_->Edit();
            break;
        default:
            break;
    }
    TCustomMemo::WndProc(message);
}

}  // namespace vcl
