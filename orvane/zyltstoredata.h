// The store component of the system package: one data store (common/datastore/zyldatastore.h: where
// values live, the eleven operations, the storage layout shared with the standard package's stores,
// so that each reads what the other wrote) dropped on a form and used from code.
#pragma once

#pragma push_macro("ZYL_DATASTORE_NAMESPACE")
#undef ZYL_DATASTORE_NAMESPACE
#define ZYL_DATASTORE_NAMESPACE orvane
#include "common/datastore/zyldatastore.h"
#pragma pop_macro("ZYL_DATASTORE_NAMESPACE")

#include <memory>
#include <string>

#include "orvane/zylsystem.h"

namespace orvane {

// The operations pass their arguments to DataStore unchanged; errors are reported through
// DataStore.OnError. The component's own OnError is kept for form files that assign it; no
// operation raises it.
class TZylStoreData : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylStoreData, TZylSystemsComponent)
public:
    explicit TZylStoreData(vcl::TComponent* owner);
    ~TZylStoreData() override;

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

    vcl::TNotifyEvent OnError;

    static void Publish(vcl::Published<TZylStoreData>& p) {
        p.Property("DataStore", &TZylStoreData::DataStore);
        p.Event("OnError", &TZylStoreData::OnError);
    }

private:
    std::unique_ptr<TZylDataStore> dataStore_;
};

}  // namespace orvane
