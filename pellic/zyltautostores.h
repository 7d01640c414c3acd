// Property persistence stores: a non-visual store component that owns a data store (see
// common/datastore/zyldatastore.h for where values live and the eleven operations), and five
// standard controls that restore their value from a store when the form has been read and write it
// back whenever it changes, when their store goes away and when they are destroyed.
//
// A store control keeps a copy of its value, refreshed when the form has been read and on every
// change, by the user or the program (a radio button turned off by a sibling included), so that
// what it writes is always what it shows: a form opened and closed without edits writes back the
// values it restored. Nothing is written while the form is being read or while the control
// restores its value. A store control whose form could not be read writes nothing.
#pragma once

#pragma push_macro("ZYL_DATASTORE_NAMESPACE")
#undef ZYL_DATASTORE_NAMESPACE
#define ZYL_DATASTORE_NAMESPACE pellic
#include "common/datastore/zyldatastore.h"
#pragma pop_macro("ZYL_DATASTORE_NAMESPACE")

#include <memory>
#include <string>

#include "vcl/classes.h"
#include "vcl/comctrls.h"
#include "vcl/stdctrls.h"

namespace pellic {

// Dropped on a form (or a data module) and configured through DataStore; the operations pass
// their arguments to the data store unchanged.
class TZylControlStore : public vcl::TComponent {
    VCL_DECLARE_CLASS(TZylControlStore, vcl::TComponent)
public:
    explicit TZylControlStore(vcl::TComponent* owner);
    ~TZylControlStore() override;

    TZylDataStore* DataStore() const { return dataStore_.get(); }
    void SetDataStore(const TZylDataStore* value) { dataStore_->Assign(value); }

    std::string ReadStr(const std::string& Key) { return dataStore_->ReadStr(Key); }
    std::string ReadCrypt(const std::string& Key) { return dataStore_->ReadCrypt(Key); }
    vcl::Integer ReadInt(const std::string& Key) { return dataStore_->ReadInt(Key); }
    bool ReadBool(const std::string& Key) { return dataStore_->ReadBool(Key); }
    void ReadStrs(vcl::TStrings& List) { dataStore_->ReadStrs(List); }
    void WriteStr(const std::string& Key, const std::string& Value) { dataStore_->WriteStr(Key, Value); }
    void WriteCrypt(const std::string& Key, const std::string& Value) { dataStore_->WriteCrypt(Key, Value); }
    void WriteInt(const std::string& Key, vcl::Integer Value) { dataStore_->WriteInt(Key, Value); }
    void WriteBool(const std::string& Key, bool Value) { dataStore_->WriteBool(Key, Value); }
    void DeleteKey(const std::string& Key) { dataStore_->DeleteKey(Key); }
    void Erase() { dataStore_->Erase(); }

    // Raised (Sender: this component) after DataStore.OnError, for every error of the data store.
    vcl::TNotifyEvent OnError;

    static void Publish(vcl::Published<TZylControlStore>& p) {
        p.Property("DataStore", &TZylControlStore::DataStore);
        p.Event("OnError", &TZylControlStore::OnError);
    }

private:
    std::unique_ptr<TZylDataStore> dataStore_;
};

// What the five store controls share: the link to a store, the value name and the copy of the
// value (Text for the text controls, Checked for check box and radio button).
template <typename Base, typename Value>
class TZylStoreControl : public Base {
public:
    explicit TZylStoreControl(vcl::TComponent* owner) : Base(owner) {}
    // Writes the value through the store's data store when a store is still linked.
    ~TZylStoreControl() override;

    // A link, not owned: the control hears of the store's removal.
    TZylControlStore* Store() const { return store_; }
    void SetStore(TZylControlStore* value);
    const std::string& StoreKey() const { return storeKey_; }
    void SetStoreKey(const std::string& value) { storeKey_ = value; }

    // Writes the value under StoreKey through Store; nothing without a store.
    void SavetoStore();

protected:
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    // The value changed, by the user or the program.
    void ValueChanged();

    template <typename T>
    static void PublishStore(vcl::Published<T>& p) {
        p.Property("Store", &TZylStoreControl::Store, &TZylStoreControl::SetStore);
        p.Property("StoreKey", &TZylStoreControl::StoreKey, &TZylStoreControl::SetStoreKey);
    }

private:
    Value CurrentValue() const;
    void Restore();
    // The last write, when the store or the control goes away; errors go to the application.
    void SaveOnDeparture(TZylControlStore* store);

    TZylControlStore* store_ = nullptr;
    std::string storeKey_;
    Value copy_{};
    bool restoring_ = false;
    // Read from a form whose store reference waited for another form: restore when it arrives.
    bool awaitingStore_ = false;
    // The form holding the control could not be read: its value is not the user's.
    bool failedLoading_ = false;
};

using TZylStoreEditBase = TZylStoreControl<vcl::TEdit, std::string>;
using TZylStoreComboboxBase = TZylStoreControl<vcl::TComboBox, std::string>;
using TZylStoreMemoBase = TZylStoreControl<vcl::TRichEdit, std::string>;
using TZylStoreCheckboxBase = TZylStoreControl<vcl::TCheckBox, bool>;
using TZylStoreRadioButtonBase = TZylStoreControl<vcl::TRadioButton, bool>;

extern template class TZylStoreControl<vcl::TEdit, std::string>;
extern template class TZylStoreControl<vcl::TComboBox, std::string>;
extern template class TZylStoreControl<vcl::TRichEdit, std::string>;
extern template class TZylStoreControl<vcl::TCheckBox, bool>;
extern template class TZylStoreControl<vcl::TRadioButton, bool>;

class TZylStoreEdit : public TZylStoreEditBase {
    VCL_DECLARE_CLASS(TZylStoreEdit, TZylStoreEditBase)
public:
    explicit TZylStoreEdit(vcl::TComponent* owner) : TZylStoreEditBase(owner) {}

    static void Publish(vcl::Published<TZylStoreEdit>& p) { PublishStore(p); }

protected:
    void Change() override;
};

// Keeps the edit text, not the item index.
class TZylStoreCombobox : public TZylStoreComboboxBase {
    VCL_DECLARE_CLASS(TZylStoreCombobox, TZylStoreComboboxBase)
public:
    explicit TZylStoreCombobox(vcl::TComponent* owner) : TZylStoreComboboxBase(owner) {}

    static void Publish(vcl::Published<TZylStoreCombobox>& p) { PublishStore(p); }

protected:
    void Change() override;
    // Text set by the program fires no Change in a combo box.
    void SetTextValue(const vcl::TCaption& value) override;
};

// Keeps the whole plain text, line breaks included, as one value.
class TZylStoreMemo : public TZylStoreMemoBase {
    VCL_DECLARE_CLASS(TZylStoreMemo, TZylStoreMemoBase)
public:
    explicit TZylStoreMemo(vcl::TComponent* owner) : TZylStoreMemoBase(owner) {}

    static void Publish(vcl::Published<TZylStoreMemo>& p) { PublishStore(p); }

protected:
    void Change() override;
};

class TZylStoreCheckbox : public TZylStoreCheckboxBase {
    VCL_DECLARE_CLASS(TZylStoreCheckbox, TZylStoreCheckboxBase)
public:
    explicit TZylStoreCheckbox(vcl::TComponent* owner) : TZylStoreCheckboxBase(owner) {}

    void Click() override;

    static void Publish(vcl::Published<TZylStoreCheckbox>& p) { PublishStore(p); }
};

class TZylStoreRadioButton : public TZylStoreRadioButtonBase {
    VCL_DECLARE_CLASS(TZylStoreRadioButton, TZylStoreRadioButtonBase)
public:
    explicit TZylStoreRadioButton(vcl::TComponent* owner) : TZylStoreRadioButtonBase(owner) {}

    void Click() override;
    // A button turned off (by a sibling being checked, or by the program) fires no Click.
    void SetChecked(bool value) override;

    static void Publish(vcl::Published<TZylStoreRadioButton>& p) { PublishStore(p); }
};

}  // namespace pellic
