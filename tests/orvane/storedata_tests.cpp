// The system package's store component and the standard package's store read what the other
// wrote, in the registry and in ini files: both carry the same data store layer.
#include <memory>
#include <string>

#include "orvane/zyltstoredata.h"
#include "pellic/zyltautostores.h"
#include "system_fixture.h"
#include "vcl/stringlist.h"

namespace storedata_tests {

using namespace vcl;

class StoreData : public systemtest::SystemTest {
protected:
    template <typename Store>
    void Place(Store& store, bool ini) {
        using Datatype = std::remove_cvref_t<decltype(store.DataStore()->Datatype())>;
        store.DataStore()->SetDatatype(ini ? Datatype::sIniFile : Datatype::sRegistry);
        store.DataStore()->Inifile()->SetFilename(IniPath());
        store.DataStore()->Registry()->SetPath("Software/Zyl/Shared");  // normalised by both
        store.DataStore()->Registry()->SetSection("Both");
        store.DataStore()->Inifile()->SetSection("Both");
    }

    template <typename Writer, typename Reader>
    void WriteThenRead(Writer& writer, Reader& reader) {
        writer.WriteStr("Name", " padded and \"quoted\" ");
        writer.WriteCrypt("Secret", "p\xC3\xA4ssword=1");
        writer.WriteInt("Count", -42);
        writer.WriteBool("Flag", true);
        writer.WriteStr("Gone", "x");
        writer.DeleteKey("Gone");
        EXPECT_EQ(reader.ReadStr("Name"), " padded and \"quoted\" ");
        EXPECT_EQ(reader.ReadCrypt("Secret"), "p\xC3\xA4ssword=1");
        EXPECT_EQ(reader.ReadInt("Count"), -42);
        EXPECT_TRUE(reader.ReadBool("Flag"));
        EXPECT_EQ(reader.ReadStr("Gone"), "Error");
        TStringList lines;
        reader.ReadStrs(lines);
        EXPECT_EQ(lines.Count(), 4);
        reader.Erase();
        EXPECT_EQ(writer.ReadInt("Count"), 0);
    }
};

TEST_F(StoreData, EachPackageReadsWhatTheOtherWrote) {
    for (const bool ini : {false, true}) {
        SCOPED_TRACE(ini ? "ini file" : "registry");
        TComponentPtr<orvane::TZylStoreData> system(new orvane::TZylStoreData(nullptr));
        TComponentPtr<pellic::TZylControlStore> standard(new pellic::TZylControlStore(nullptr));
        Place(*system, ini);
        Place(*standard, ini);
        WriteThenRead(*system, *standard);
        WriteThenRead(*standard, *system);
    }
}

TEST_F(StoreData, ErrorsComeThroughTheDataStore) {
    TComponentPtr<orvane::TZylStoreData> store(new orvane::TZylStoreData(nullptr));
    int storeErrors = 0;
    int componentErrors = 0;
    store->DataStore()->OnError = [&](TObject* sender) {
        EXPECT_EQ(sender, store->DataStore());
        ++storeErrors;
    };
    store->OnError = [&](TObject*) { ++componentErrors; };
    EXPECT_EQ(store->ReadStr("Missing"), "Error");
    EXPECT_EQ(store->ReadInt("Missing"), 0);
    EXPECT_FALSE(store->ReadBool("Missing"));
    EXPECT_EQ(storeErrors, 2);
    EXPECT_EQ(componentErrors, 0);
}

}  // namespace storedata_tests
