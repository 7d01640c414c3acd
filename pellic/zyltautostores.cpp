#include "pellic/zyltautostores.h"

#include <type_traits>
#include <utility>

#include "vcl/classregistration.h"
#include "vcl/forms.h"

namespace pellic {

namespace {

const vcl::TClassRegistration streamingRegistration{
    TZylControlStore::StaticClass(),     TZylStoreEdit::StaticClass(),     TZylStoreCheckbox::StaticClass(),
    TZylStoreRadioButton::StaticClass(), TZylStoreCombobox::StaticClass(), TZylStoreMemo::StaticClass()};

}  // namespace

// ---------------------------------------------------------------------------------------------
// TZylControlStore

VCL_DEFINE_CLASS(TZylControlStore, vcl::TComponent)

TZylControlStore::TZylControlStore(vcl::TComponent* owner)
    : vcl::TComponent(owner), dataStore_(std::make_unique<TZylDataStore>(this)) {
    dataStore_->ErrorRelay = [this] {
        if (OnError) OnError(this);
    };
}

TZylControlStore::~TZylControlStore() = default;

// ---------------------------------------------------------------------------------------------
// TZylStoreControl

template <typename Base, typename Value>
TZylStoreControl<Base, Value>::~TZylStoreControl() {
    if (TZylControlStore* store = std::exchange(store_, nullptr)) SaveOnDeparture(store);
}

template <typename Base, typename Value>
Value TZylStoreControl<Base, Value>::CurrentValue() const {
    if constexpr (std::is_same_v<Value, bool>)
        return this->Checked();
    else
        return this->Text();
}

template <typename Base, typename Value>
void TZylStoreControl<Base, Value>::SetStore(TZylControlStore* value) {
    if (value == store_) return;
    if (store_) this->RemoveFreeNotification(store_);
    store_ = value;
    if (!value) return;
    this->FreeNotification(value);
    if (awaitingStore_ && !this->IsLoading()) {
        awaitingStore_ = false;
        Restore();
    }
}

template <typename Base, typename Value>
void TZylStoreControl<Base, Value>::SavetoStore() {
    if (!store_) return;
    copy_ = CurrentValue();
    if constexpr (std::is_same_v<Value, bool>)
        store_->WriteBool(storeKey_, copy_);
    else
        store_->WriteStr(storeKey_, copy_);
}

template <typename Base, typename Value>
void TZylStoreControl<Base, Value>::ValueChanged() {
    copy_ = CurrentValue();
    if (this->IsLoading() || restoring_) return;
    SavetoStore();
}

template <typename Base, typename Value>
void TZylStoreControl<Base, Value>::Restore() {
    restoring_ = true;
    struct Done {
        TZylStoreControl& control;
        ~Done() {
            control.restoring_ = false;
            control.copy_ = control.CurrentValue();
        }
    } done{*this};
    if constexpr (std::is_same_v<Value, bool>) {
        // A missing value answers the designed state; the shared default is put back afterwards.
        TZylDataStore* data = store_->DataStore();
        struct SharedDefault {
            TZylDataStore* data;
            bool saved;
            ~SharedDefault() { data->SetErrorBool(saved); }
        } shared{data, data->ErrorBool()};
        data->SetErrorBool(this->Checked());
        const bool stored = store_->ReadBool(storeKey_);
        this->SetCheckedValue(stored);
    } else {
        std::string stored = store_->ReadStr(storeKey_);
        // ReadStr may have raised OnError, whose handler may have unlinked the store.
        if (store_ && stored != store_->DataStore()->ErrorStr()) this->SetText(stored);
    }
}

template <typename Base, typename Value>
void TZylStoreControl<Base, Value>::Loaded() {
    Base::Loaded();
    if (!store_) {
        awaitingStore_ = this->ComponentState().Contains(vcl::csFixups);
        copy_ = CurrentValue();
        return;
    }
    try {
        Restore();
    } catch (...) {
        failedLoading_ = true;
        throw;
    }
}

template <typename Base, typename Value>
void TZylStoreControl<Base, Value>::SaveOnDeparture(TZylControlStore* store) {
    // A form that could not be read is freed with the values it was designed with.
    if (this->IsLoading() || failedLoading_) return;
    copy_ = CurrentValue();
    try {
        if constexpr (std::is_same_v<Value, bool>)
            store->DataStore()->WriteBool(storeKey_, copy_);
        else
            store->DataStore()->WriteStr(storeKey_, copy_);
    } catch (const std::exception& error) {
        // Departures run inside Free and destructors, which must finish.
        if (vcl::Application) vcl::Application->HandleException(store, error);
    }
}

template <typename Base, typename Value>
void TZylStoreControl<Base, Value>::Notification(vcl::TComponent* component, vcl::TOperation operation) {
    if (operation == vcl::TOperation::opRemove && component && component == store_) {
        store_ = nullptr;
        SaveOnDeparture(static_cast<TZylControlStore*>(component));
    }
    Base::Notification(component, operation);
}

template class TZylStoreControl<vcl::TEdit, std::string>;
template class TZylStoreControl<vcl::TComboBox, std::string>;
template class TZylStoreControl<vcl::TRichEdit, std::string>;
template class TZylStoreControl<vcl::TCheckBox, bool>;
template class TZylStoreControl<vcl::TRadioButton, bool>;

// ---------------------------------------------------------------------------------------------
// The five controls

VCL_DEFINE_CLASS(TZylStoreEdit, TZylStoreEditBase)

void TZylStoreEdit::Change() {
    TZylStoreEditBase::Change();
    ValueChanged();
}

VCL_DEFINE_CLASS(TZylStoreCombobox, TZylStoreComboboxBase)

void TZylStoreCombobox::Change() {
    TZylStoreComboboxBase::Change();
    ValueChanged();
}

void TZylStoreCombobox::SetTextValue(const vcl::TCaption& value) {
    const std::string before = Text();
    TZylStoreComboboxBase::SetTextValue(value);
    if (Text() != before) ValueChanged();
}

VCL_DEFINE_CLASS(TZylStoreMemo, TZylStoreMemoBase)

void TZylStoreMemo::Change() {
    TZylStoreMemoBase::Change();
    ValueChanged();
}

VCL_DEFINE_CLASS(TZylStoreCheckbox, TZylStoreCheckboxBase)

void TZylStoreCheckbox::Click() {
    TZylStoreCheckboxBase::Click();
    ValueChanged();
}

VCL_DEFINE_CLASS(TZylStoreRadioButton, TZylStoreRadioButtonBase)

void TZylStoreRadioButton::Click() {
    TZylStoreRadioButtonBase::Click();
    ValueChanged();
}

void TZylStoreRadioButton::SetChecked(bool value) {
    const bool wasChecked = Checked();
    TZylStoreRadioButtonBase::SetChecked(value);
    if (wasChecked && !Checked()) ValueChanged();
}

}  // namespace pellic
