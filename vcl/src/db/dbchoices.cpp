// Data-aware image, check box and combo box.
#include <algorithm>

#include "vcl/dbctrls.h"
#include "win32/virtualkeys.h"

namespace vcl {

using namespace win32;
using dbcontrols::IsAcceptedBy;
using dbcontrols::IsTypedCharacter;

namespace {

// Whether text is one of the ';'-separated values (compared without case).
bool MatchesOneOf(std::string_view text, std::string_view values) {
    size_t start = 0;
    while (true) {
        const size_t end = values.find(';', start);
        if (AnsiSameText(text, values.substr(start, end == std::string_view::npos ? end : end - start)))
            return true;
        if (end == std::string_view::npos) return false;
        start = end + 1;
    }
}

std::string FirstOf(const std::string& values) {
    return values.substr(0, values.find(';'));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TDBImage

VCL_DEFINE_CLASS(TDBImage, TCustomControl)

TDBImage::TDBImage(TComponent* owner)
    : TCustomControl(owner),
      dataLink_(std::make_unique<TFieldDataLink>()),
      picture_(std::make_unique<TPicture>()) {
    dataLink_->SetControl(this);
    dataLink_->OnDataChange = [this](TObject*) { DataChange(); };
    dataLink_->OnUpdateData = [this](TObject*) { UpdateData(); };
    picture_->OnChange = [this](TObject*) { PictureChanged(); };
    controlStyle_.Include(csOpaque);
    SetBounds(Left(), Top(), 105, 105);
    SetTabStop(true);
    SetColor(clWindow);
}

TDBImage::~TDBImage() = default;

void TDBImage::SetDataSource(TDataSource* value) {
    dbcontrols::LinkSource(this, *dataLink_, value);
}

void TDBImage::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    dbcontrols::DropSource(*dataLink_, component, operation);
}

void TDBImage::SetAutoDisplay(bool value) {
    if (autoDisplay_ == value) return;
    autoDisplay_ = value;
    if (value) LoadPicture();
}

void TDBImage::SetBorderStyle(TBorderStyle value) {
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    RecreateWnd();
}

void TDBImage::SetCenter(bool value) {
    if (center_ == value) return;
    center_ = value;
    Invalidate();
}

void TDBImage::SetStretch(bool value) {
    if (stretch_ == value) return;
    stretch_ = value;
    Invalidate();
}

void TDBImage::SetPicture(const TPicture* value) {
    if (!dataLink_->Edit()) return;
    picture_->Assign(value);
}

void TDBImage::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    if (borderStyle_ != bsNone) params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TDBImage::LoadPicture() {
    TField* field = Field();
    if (pictureLoaded_ || !field || !field->IsBlob()) return;
    loading_ = true;
    const std::string data = field->AsString();
    try {
        if (data.empty()) {
            picture_->SetGraphic(nullptr);
        } else {
            TStringStream stream(data);
            TBitmap bitmap;
            bitmap.LoadFromStream(stream);
            picture_->SetBitmap(&bitmap);
        }
    } catch (const Exception&) {
        // Data that is no picture shows as an empty image rather than failing every scroll.
        picture_->SetGraphic(nullptr);
    }
    loading_ = false;
    pictureLoaded_ = true;
    Invalidate();
}

void TDBImage::DataChange() {
    {
        const ScopedValue loading(loading_, true);
        picture_->SetGraphic(nullptr);
    }
    pictureLoaded_ = false;
    if (autoDisplay_) LoadPicture();
    Invalidate();
}

void TDBImage::PictureChanged() {
    if (loading_) return;
    dataLink_->Modified();
    pictureLoaded_ = true;
    Invalidate();
}

void TDBImage::UpdateData() {
    TField* field = Field();
    if (!field) return;
    TGraphic* graphic = picture_->Graphic();
    if (!graphic || graphic->Empty()) {
        field->Clear();
        return;
    }
    TStringStream stream;
    graphic->SaveToStream(stream);
    field->SetAsString(stream.DataString());
}

void TDBImage::Paint() {
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
    TGraphic* graphic = picture_->Graphic();
    if (pictureLoaded_ && graphic && !graphic->Empty()) {
        TRect target = client;
        if (!stretch_) {
            const Integer width = graphic->Width(), height = graphic->Height();
            const Integer left = center_ ? ((client.right - client.left) - width) / 2 : 0;
            const Integer top = center_ ? ((client.bottom - client.top) - height) / 2 : 0;
            target = Rect(left, top, left + width, top + height);
        }
        canvas->StretchDraw(target, graphic);
    } else if (TField* field = Field(); Designing() || (field && !pictureLoaded_)) {
        const std::string label = "(" + (field ? field->DisplayLabel() : Name()) + ")";
        canvas->Font()->Assign(Font());
        canvas->Brush()->SetStyle(TBrushStyle::bsClear);
        const TSize extent = canvas->TextExtent(label);
        canvas->TextOut(((client.right - client.left) - extent.cx) / 2,
                        ((client.bottom - client.top) - extent.cy) / 2, label);
    }
    if (Focused()) {
        TRect focus = client;
        InflateRect(&focus, -1, -1);
        canvas->DrawFocusRect(focus);
    }
}

void TDBImage::KeyDown(Word& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (key == VK_DELETE && dataLink_->Edit()) {
        picture_->SetGraphic(nullptr);
        key = 0;
    }
}

void TDBImage::KeyPress(char32_t& key) {
    TCustomControl::KeyPress(key);
    if (key == '\r') {
        LoadPicture();
        key = 0;
    } else if (key == 0x1B) {
        dataLink_->Reset();
        key = 0;
    }
}

void TDBImage::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_GETDATALINK:
            message.Result = reinterpret_cast<LRESULT>(dataLink_.get());
            return;
        case CM_EXIT:
            dbcontrols::WriteOnExit(this, *dataLink_, nullptr);
            break;
        case WM_GETDLGCODE:
            message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
            return;
        case WM_LBUTTONDOWN:
            if (!Designing() && CanFocus() && !Focused()) SetFocus();
            break;
        case WM_LBUTTONDBLCLK:
            LoadPicture();
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            TCustomControl::WndProc(message);
            Invalidate();
            return;
        default:
            break;
    }
    TCustomControl::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TDBCheckBox

VCL_DEFINE_CLASS(TDBCheckBox, TCustomCheckBox)

TDBCheckBox::TDBCheckBox(TComponent* owner)
    : TCustomCheckBox(owner), dataLink_(std::make_unique<TFieldDataLink>()) {
    dataLink_->SetControl(this);
    dataLink_->OnDataChange = [this](TObject*) { DataChange(); };
    dataLink_->OnUpdateData = [this](TObject*) { UpdateData(); };
    dataLink_->OnFocusControl = [this](TObject*, bool& focused) {
        if (CanFocus()) {
            SetFocus();
            focused = true;
        }
    };
    SetState(cbUnchecked);
}

TDBCheckBox::~TDBCheckBox() = default;

void TDBCheckBox::SetDataSource(TDataSource* value) {
    dbcontrols::LinkSource(this, *dataLink_, value);
}

void TDBCheckBox::Notification(TComponent* component, TOperation operation) {
    TCustomCheckBox::Notification(component, operation);
    dbcontrols::DropSource(*dataLink_, component, operation);
}

void TDBCheckBox::SetValueChecked(const std::string& value) {
    valueChecked_ = value;
    DataChange();
}

void TDBCheckBox::SetValueUnchecked(const std::string& value) {
    valueUnchecked_ = value;
    DataChange();
}

TCheckBoxState TDBCheckBox::FieldState() const {
    TField* field = Field();
    if (!field) return cbUnchecked;
    if (field->IsNull()) return cbGrayed;
    if (field->DataType() == TFieldType::ftBoolean) return field->AsBoolean() ? cbChecked : cbUnchecked;
    const std::string text = field->Text();
    if (MatchesOneOf(text, valueChecked_)) return cbChecked;
    if (MatchesOneOf(text, valueUnchecked_)) return cbUnchecked;
    return cbGrayed;
}

void TDBCheckBox::DataChange() {
    SetState(FieldState());
}

void TDBCheckBox::UpdateData() {
    TField* field = Field();
    if (!field) return;
    if (State() == cbGrayed)
        field->Clear();
    else if (field->DataType() == TFieldType::ftBoolean)
        field->SetAsBoolean(Checked());
    else
        field->SetText(FirstOf(Checked() ? valueChecked_ : valueUnchecked_));
}

void TDBCheckBox::Toggle() {
    if (!dataLink_->Edit()) return;
    TCustomCheckBox::Toggle();
    dataLink_->Modified();
}

void TDBCheckBox::KeyPress(char32_t& key) {
    TCustomCheckBox::KeyPress(key);
    if (key == 0x1B) {
        dataLink_->Reset();
        key = 0;
    }
}

void TDBCheckBox::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_GETDATALINK:
            message.Result = reinterpret_cast<LRESULT>(dataLink_.get());
            return;
        case CM_EXIT:
            dbcontrols::WriteOnExit(this, *dataLink_, nullptr);
            break;
        default:
            break;
    }
    TCustomCheckBox::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TDBComboBox

VCL_DEFINE_CLASS(TDBComboBox, TCustomComboBox)

TDBComboBox::TDBComboBox(TComponent* owner)
    : TCustomComboBox(owner), dataLink_(std::make_unique<TFieldDataLink>()) {
    dataLink_->SetControl(this);
    dataLink_->OnDataChange = [this](TObject*) { DataChange(); };
    dataLink_->OnUpdateData = [this](TObject*) { UpdateData(); };
    dataLink_->OnFocusControl = [this](TObject*, bool& focused) {
        if (CanFocus()) {
            SetFocus();
            focused = true;
        }
    };
}

TDBComboBox::~TDBComboBox() = default;

void TDBComboBox::SetDataSource(TDataSource* value) {
    dbcontrols::LinkSource(this, *dataLink_, value);
}

void TDBComboBox::Notification(TComponent* component, TOperation operation) {
    TCustomComboBox::Notification(component, operation);
    dbcontrols::DropSource(*dataLink_, component, operation);
}

std::string TDBComboBox::ComboText() const {
    if (Style() == csDropDown || Style() == csSimple) return Text();
    const Integer index = ItemIndex();
    return index < 0 ? std::string() : Items()->Strings(index);
}

void TDBComboBox::SetComboText(const std::string& value) {
    if (value == ComboText()) return;
    if (Style() == csDropDown || Style() == csSimple)
        SetText(value);
    else
        SetItemIndex(value.empty() ? -1 : Items()->IndexOf(value));
}

void TDBComboBox::DataChange() {
    if (DroppedDown()) return;
    if (TField* field = Field())
        SetComboText(field->Text());
    else
        SetComboText(Designing() ? Name() : std::string());
}

void TDBComboBox::UpdateData() {
    if (TField* field = Field()) field->SetText(ComboText());
}

void TDBComboBox::Change() {
    dataLink_->Modified();
    TCustomComboBox::Change();
}

void TDBComboBox::KeyDown(Word& key, TShiftState shift) {
    // The dataset enters edit mode before the list moves: entering it reloads the control.
    const bool moves = key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT ||
                       ((key == VK_HOME || key == VK_END) && Style() == csDropDownList);
    if ((moves && !shift.Contains(ssAlt)) || dbcontrols::EditShortCut(key, shift)) {
        if (!dataLink_->Edit()) key = 0;
    }
    if (key != 0) TCustomComboBox::KeyDown(key, shift);
}

void TDBComboBox::KeyPress(char32_t& key) {
    if (IsTypedCharacter(key) && !IsAcceptedBy(Field(), key)) {
        MessageBeep(0);
        key = 0;
    }
    if (IsTypedCharacter(key) || key == 0x08 || key == 0x16 || key == 0x18) {
        if (!dataLink_->Edit()) key = 0;
    } else if (key == 0x1B && !DroppedDown()) {
        dataLink_->Reset();
        SelectAll();
        key = 0;
    }
    if (key != 0) TCustomComboBox::KeyPress(key);
}

void TDBComboBox::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_GETDATALINK:
            message.Result = reinterpret_cast<LRESULT>(dataLink_.get());
            return;
        case CM_EXIT:
            dbcontrols::WriteOnExit(this, *dataLink_, [this] { SelectAll(); });
            break;
        case CN_COMMAND:
            switch (HIWORD(message.WParam)) {
                case CBN_SELCHANGE:
                    // A choice the dataset refuses goes back to the field's value.
                    if (!dataLink_->Edit()) {
                        DataChange();
                        return;
                    }
                    break;
                case CBN_DROPDOWN:
                    dataLink_->Edit();
                    break;
                case CBN_CLOSEUP:
                    TCustomComboBox::WndProc(message);
                    if (!dataLink_->Editing()) DataChange();
                    return;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    TCustomComboBox::WndProc(message);
}

}  // namespace vcl
