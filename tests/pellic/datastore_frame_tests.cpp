// The frame every data-store operation runs through: path normalisation, error defaults, the
// Enabled switch, the section and location checks, and when OnError is raised.
#include <functional>
#include <string>
#include <vector>

#include "stores_fixture.h"
#include "vcl/streaming.h"

namespace {

using namespace pellic;
using storetest::StoreTest;

using storetest::kSectionPath;

// Every operation, run once on a store, with its name for messages.
struct Operation {
    const char* name;
    std::function<void(TZylDataStore&)> run;
};

std::vector<Operation> AllOperations() {
    return {
        {"ReadStr", [](TZylDataStore& s) { s.ReadStr("Name"); }},
        {"ReadCrypt", [](TZylDataStore& s) { s.ReadCrypt("Name"); }},
        {"ReadInt", [](TZylDataStore& s) { s.ReadInt("Name"); }},
        {"ReadBool", [](TZylDataStore& s) { s.ReadBool("Name"); }},
        {"ReadStrs",
         [](TZylDataStore& s) {
             vcl::TStringList list;
             s.ReadStrs(list);
         }},
        {"WriteStr", [](TZylDataStore& s) { s.WriteStr("Name", "x"); }},
        {"WriteCrypt", [](TZylDataStore& s) { s.WriteCrypt("Name", "x"); }},
        {"WriteInt", [](TZylDataStore& s) { s.WriteInt("Name", 5); }},
        {"WriteBool", [](TZylDataStore& s) { s.WriteBool("Name", true); }},
        {"DeleteKey", [](TZylDataStore& s) { s.DeleteKey("Name"); }},
        {"Erase", [](TZylDataStore& s) { s.Erase(); }},
    };
}

class FrameTest : public StoreTest {};

TEST_F(FrameTest, PathIsNormalisedAndWrittenBackEvenWhenDisabled) {
    TZylDataStore store;
    store.Registry()->SetPath("Software/Company/Product");
    store.SetEnabled(false);
    store.SetDatatype(sIniFile);
    Errors errors;
    errors.Watch(store);
    EXPECT_EQ(store.ReadStr("Name"), "Error");
    EXPECT_EQ(store.Registry()->Path(), "Software\\Company\\Product");
    EXPECT_EQ(errors.count, 0);
    EXPECT_FALSE(KeyExists(win32::HKEY_CURRENT_USER, "Software"));
}

TEST_F(FrameTest, SlashedPathAddressesTheKeyOfTheBackslashedOne) {
    TZylDataStore slashed;
    slashed.Registry()->SetPath("Software/Company/Product");
    slashed.WriteStr("Name", "x");
    EXPECT_EQ(slashed.Registry()->Path(), "Software\\Company\\Product");
    TZylDataStore plain;
    EXPECT_EQ(plain.ReadStr("Name"), "x");
    const RawValue raw = Raw(win32::HKEY_CURRENT_USER, kSectionPath, "Name");
    ASSERT_TRUE(raw.found);
    EXPECT_EQ(raw.type, win32::REG_SZ);
    EXPECT_EQ(raw.data, std::string("x\0", 2));
}

TEST_F(FrameTest, MissingValuesAnswerTheErrorDefaultsAndReportAsDesigned) {
    for (TZylDatatype type : {sRegistry, sIniFile}) {
        SCOPED_TRACE(type == sRegistry ? "registry" : "ini file");
        TZylDataStore store;
        Configure(store, type);
        Errors errors;
        errors.Watch(store);
        EXPECT_EQ(store.ReadStr("Missing"), "Error");
        EXPECT_EQ(errors.count, 1);
        EXPECT_EQ(errors.sender, &store);
        EXPECT_EQ(store.ReadCrypt("Missing"), "Error");
        EXPECT_EQ(errors.count, 2);
        EXPECT_EQ(store.ReadInt("Missing"), 0);
        EXPECT_EQ(errors.count, 3);
        store.SetErrorBool(true);
        EXPECT_TRUE(store.ReadBool("Missing"));
        store.SetErrorBool(false);
        EXPECT_FALSE(store.ReadBool("Missing"));
        EXPECT_EQ(errors.count, 3) << "ReadBool never reports";

        store.SetErrorStr("none");
        store.SetErrorInt(-7);
        EXPECT_EQ(store.ReadStr("Missing"), "none");
        EXPECT_EQ(store.ReadCrypt("Missing"), "none") << "the default is not unscrambled";
        EXPECT_EQ(store.ReadInt("Missing"), -7);
        EXPECT_EQ(errors.count, 6);
    }
}

TEST_F(FrameTest, StoredValueEqualToTheErrorDefaultCountsAsMissing) {
    TZylDataStore store;
    Errors errors;
    errors.Watch(store);
    store.WriteInt("Zero", 0);
    EXPECT_EQ(store.ReadInt("Zero"), 0);
    EXPECT_EQ(errors.count, 1);
    store.WriteStr("Word", "Error");
    EXPECT_EQ(store.ReadStr("Word"), "Error");
    EXPECT_EQ(errors.count, 2);
    store.WriteStr("Other", "error");
    EXPECT_EQ(store.ReadStr("Other"), "error");
    EXPECT_EQ(errors.count, 2) << "the comparison is case-sensitive";
}

TEST_F(FrameTest, ReadCryptOfAMissingValueWithoutAHandlerReturnsTheDefaultUnchanged) {
    TZylDataStore store;
    store.SetErrorStr("plain");
    EXPECT_EQ(store.ReadCrypt("Missing"), "plain");
}

TEST_F(FrameTest, EmptySectionReportsEveryOperationAndWritesNothing) {
    for (TZylDatatype type : {sRegistry, sIniFile}) {
        TZylDataStore store;
        Configure(store, type);
        store.Registry()->SetSection("");
        store.Inifile()->SetSection("");
        Errors errors;
        errors.Watch(store);
        for (const Operation& operation : AllOperations()) {
            SCOPED_TRACE(operation.name);
            const int before = errors.count;
            operation.run(store);
            EXPECT_EQ(errors.count, before + 1);
            EXPECT_EQ(errors.sender, &store);
        }
        EXPECT_EQ(store.ReadStr("Name"), "Error");
    }
    EXPECT_FALSE(KeyExists(win32::HKEY_CURRENT_USER, "Software\\Company"));
    EXPECT_EQ(FileText(IniPath()), "");
}

TEST_F(FrameTest, EmptyPathOrFileNameMakesEveryOperationSilent) {
    for (TZylDatatype type : {sRegistry, sIniFile}) {
        TZylDataStore store;
        Configure(store, type);
        store.Registry()->SetPath("");
        store.Inifile()->SetFilename("");
        store.SetErrorBool(true);
        Errors errors;
        errors.Watch(store);
        for (const Operation& operation : AllOperations()) {
            SCOPED_TRACE(operation.name);
            operation.run(store);
        }
        EXPECT_EQ(errors.count, 0);
        EXPECT_EQ(store.ReadStr("Name"), "Error");
        EXPECT_EQ(store.ReadInt("Name"), 0);
        EXPECT_TRUE(store.ReadBool("Name"));
        EXPECT_EQ(errors.count, 0);
    }
    EXPECT_FALSE(KeyExists(win32::HKEY_CURRENT_USER, "MySection"));
    EXPECT_FALSE(KeyExists(win32::HKEY_CURRENT_USER, "Software"));
}

TEST_F(FrameTest, DisabledStoreDoesNothingAndLeavesTheListAlone) {
    TZylDataStore writer;
    writer.WriteStr("Name", "kept");
    TZylDataStore store;
    store.SetEnabled(false);
    Errors errors;
    errors.Watch(store);
    for (const Operation& operation : AllOperations())
        operation.run(store);
    vcl::TStringList list;
    list.Add("untouched");
    store.ReadStrs(list);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(store.ReadStr("Name"), "Error");
    EXPECT_EQ(errors.count, 0);
    EXPECT_EQ(writer.ReadStr("Name"), "kept");
}

TEST_F(FrameTest, OnlyReadIntCreatesTheKeyPathAndOnlyUnderItsRoot) {
    TZylDataStore store;
    store.Registry()->SetRootkey(hkeyLocalMachine);
    store.Registry()->SetPath("Software\\Zyl\\Probe");
    const std::string path = "Software\\Zyl\\Probe";
    store.ReadStr("Name");
    store.ReadCrypt("Name");
    store.ReadBool("Name");
    vcl::TStringList list;
    store.ReadStrs(list);
    store.DeleteKey("Name");
    store.Erase();
    EXPECT_FALSE(KeyExists(win32::HKEY_LOCAL_MACHINE, path));
    store.ReadInt("Name");
    EXPECT_TRUE(KeyExists(win32::HKEY_LOCAL_MACHINE, path));
    EXPECT_FALSE(KeyExists(win32::HKEY_LOCAL_MACHINE, path + "\\MySection")) << "the section is not created";
    EXPECT_FALSE(KeyExists(win32::HKEY_CURRENT_USER, path)) << "nothing is made under another root";
}

TEST_F(FrameTest, EveryRootKeyIsItsOwnTree) {
    const std::pair<TZylRootKey, win32::HKEY> roots[] = {
        {hkeyClassesRoot, win32::HKEY_CLASSES_ROOT},     {hkeyCurrentUser, win32::HKEY_CURRENT_USER},
        {hkeyLocalMachine, win32::HKEY_LOCAL_MACHINE},   {hkeyUsers, win32::HKEY_USERS},
        {hkeyCurrentConfig, win32::HKEY_CURRENT_CONFIG}, {hkeyDynData, win32::HKEY_DYN_DATA},
    };
    ASSERT_EQ(ZylHKeys.size(), 6u);
    for (const auto& [rootkey, handle] : roots) {
        EXPECT_EQ(static_cast<win32::HKEY>(ZylHKeys[static_cast<size_t>(rootkey)]), handle);
        TZylDataStore store;
        store.Registry()->SetRootkey(rootkey);
        store.WriteStr("Root", std::string(vcl::EnumNamesOf<TZylRootKey>()[static_cast<size_t>(rootkey)]));
    }
    for (const auto& [rootkey, handle] : roots) {
        const RawValue raw = Raw(handle, kSectionPath, "Root");
        ASSERT_TRUE(raw.found);
        EXPECT_EQ(raw.data.c_str(), vcl::EnumNamesOf<TZylRootKey>()[static_cast<size_t>(rootkey)]);
    }
}

TEST_F(FrameTest, EraseRemovesTheSectionAndDeleteKeyOneValue) {
    for (TZylDatatype type : {sRegistry, sIniFile}) {
        TZylDataStore store;
        Configure(store, type);
        store.WriteStr("A", "1");
        store.WriteStr("B", "2");
        store.DeleteKey("A");
        vcl::TStringList list;
        store.ReadStrs(list);
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.Strings(0), "B=2");
        store.Erase();
        list.Add("stale");
        store.ReadStrs(list);
        EXPECT_EQ(list.Count(), 0);
    }
    EXPECT_FALSE(KeyExists(win32::HKEY_CURRENT_USER, kSectionPath));
    EXPECT_TRUE(KeyExists(win32::HKEY_CURRENT_USER, "Software\\Company\\Product"));
}

TEST_F(FrameTest, ComponentStoreForwardsOperationsAndRelaysErrors) {
    TZylControlStore store(nullptr);
    int dataErrors = 0, componentErrors = 0;
    vcl::TObject* componentSender = nullptr;
    store.DataStore()->OnError = [&](vcl::TObject* sender) {
        EXPECT_EQ(sender, store.DataStore());
        ++dataErrors;
    };
    store.OnError = [&](vcl::TObject* sender) {
        componentSender = sender;
        ++componentErrors;
    };
    store.WriteInt("Count", 12);
    store.WriteBool("Flag", true);
    store.WriteCrypt("Secret", "pass word");
    EXPECT_EQ(store.ReadInt("Count"), 12);
    EXPECT_TRUE(store.ReadBool("Flag"));
    EXPECT_EQ(store.ReadCrypt("Secret"), "pass word");
    EXPECT_EQ(componentErrors, 0);
    EXPECT_EQ(store.ReadStr("Missing"), "Error");
    EXPECT_EQ(dataErrors, 1);
    EXPECT_EQ(componentErrors, 1);
    EXPECT_EQ(componentSender, &store);
}

TEST_F(FrameTest, StoreSettingsTravelInFormText) {
    vcl::TComponentPtr<vcl::TComponent> root(new vcl::TComponent(nullptr));
    root->SetName("Holder");
    auto* store = new TZylControlStore(root.get());
    store->SetName("Store1");
    store->DataStore()->SetDatatype(sIniFile);
    store->DataStore()->SetErrorStr("?");
    store->DataStore()->Inifile()->SetFilename("prefs.ini");
    store->DataStore()->Registry()->SetRootkey(hkeyLocalMachine);
    const std::string text = vcl::ComponentToText(root.get());
    EXPECT_NE(text.find("DataStore.ErrorStr = '?'"), std::string::npos) << text;
    EXPECT_NE(text.find("DataStore.Datatype = sIniFile"), std::string::npos) << text;
    EXPECT_NE(text.find("DataStore.Registry.Rootkey = hkeyLocalMachine"), std::string::npos) << text;
    EXPECT_NE(text.find("DataStore.Inifile.Filename = 'prefs.ini'"), std::string::npos) << text;
    EXPECT_EQ(text.find("Path"), std::string::npos) << "defaults are not written";
    EXPECT_EQ(text.find("ErrorInt"), std::string::npos);

    vcl::TComponentPtr<vcl::TComponent> copy(new vcl::TComponent(nullptr));
    vcl::ReadComponentText(text, copy.get());
    auto* read = dynamic_cast<TZylControlStore*>(copy->FindComponent("Store1"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->DataStore()->Datatype(), sIniFile);
    EXPECT_EQ(read->DataStore()->ErrorStr(), "?");
    EXPECT_EQ(read->DataStore()->Inifile()->Filename(), "prefs.ini");
    EXPECT_EQ(read->DataStore()->Registry()->Rootkey(), hkeyLocalMachine);
    EXPECT_EQ(read->DataStore()->Registry()->Path(), "Software\\Company\\Product");
}

TEST_F(FrameTest, AssignCopiesTheSettingsButNotTheLocationObjects) {
    TZylDataStore source;
    source.SetErrorInt(3);
    source.SetEnabled(false);
    source.Registry()->SetPath("A\\B");
    source.Inifile()->SetSection("S");
    TZylDataStore target;
    TZylRegistry* registry = target.Registry();
    target.Assign(&source);
    EXPECT_EQ(target.ErrorInt(), 3);
    EXPECT_FALSE(target.Enabled());
    EXPECT_EQ(target.Registry(), registry);
    EXPECT_EQ(target.Registry()->Path(), "A\\B");
    EXPECT_EQ(target.Inifile()->Section(), "S");
}

}  // namespace
