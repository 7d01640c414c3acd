// Both back ends: every value type, the scramble, the storage layout seen without the stores, names
// and values a back end cannot hold, and a key path that cannot be opened.
#include <string>

#include "stores_fixture.h"

namespace {

using namespace pellic;
using storetest::StoreTest;

using storetest::kSectionPath;

class BackendTest : public StoreTest, public ::testing::WithParamInterface<TZylDatatype> {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        Configure(store_, GetParam());
        errors_.Watch(store_);
    }

    TZylDataStore store_;
    Errors errors_;
};

TEST_P(BackendTest, StringsRoundTripExactly) {
    const std::string values[] = {"",           "x",         " padded ", "\tTab",   "\"quoted\"",
                                  "'single'",   "\"",        "a\"b'c",   "=;[]",    "Grüße ✓",
                                  "trailing  ", "  leading", "'mixed\"", "C:\\path"};
    int index = 0;
    for (const std::string& value : values) {
        const std::string key = "Value" + std::to_string(index++);
        store_.WriteStr(key, value);
        EXPECT_EQ(store_.ReadStr(key), value);
    }
    EXPECT_EQ(errors_.count, 0);
}

TEST_P(BackendTest, IntegersAndBooleansRoundTrip) {
    for (vcl::Integer value : {1, -1, 42, 2147483647, -2147483647 - 1}) {
        store_.WriteInt("Number", value);
        EXPECT_EQ(store_.ReadInt("Number"), value);
    }
    store_.WriteBool("Flag", true);
    store_.SetErrorBool(false);
    EXPECT_TRUE(store_.ReadBool("Flag"));
    store_.WriteBool("Flag", false);
    store_.SetErrorBool(true);
    EXPECT_FALSE(store_.ReadBool("Flag"));
    EXPECT_EQ(errors_.count, 0);
}

TEST_P(BackendTest, ReadStrsListsTheSectionAsNameValueLines) {
    store_.WriteStr("Name", "x");
    store_.WriteInt("Count", 3);
    store_.WriteBool("Flag", true);
    vcl::TStringList list;
    store_.ReadStrs(list);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Values("Name"), "x");
    EXPECT_EQ(list.Values("Count"), "3");
    EXPECT_EQ(list.Values("Flag"), "1");
}

// Plain bytes whose scrambled form would hold a NUL or a line break, which an ini file cannot keep.
bool IniRefusesScrambled(unsigned char plain) {
    const auto scrambled = static_cast<unsigned char>(plain + ZylScrambleOffset);
    return scrambled == 0 || scrambled == '\r' || scrambled == '\n';
}

TEST_P(BackendTest, ScrambledTextOfEveryHoldableByteRoundTrips) {
    std::string all;
    for (int code = 0; code < 256; ++code)
        if (GetParam() == sRegistry || !IniRefusesScrambled(static_cast<unsigned char>(code)))
            all += static_cast<char>(code);
    store_.WriteCrypt("All", all);
    EXPECT_EQ(store_.ReadCrypt("All"), all);
    // At the edges of a value, where an ini file trims and unquotes.
    for (int code = 0; code < 256; ++code) {
        const char c = static_cast<char>(code);
        if (GetParam() == sIniFile && IniRefusesScrambled(static_cast<unsigned char>(code))) continue;
        const std::string value = std::string(1, c) + "mid" + std::string(1, c);
        store_.WriteCrypt("Edge", value);
        ASSERT_EQ(store_.ReadCrypt("Edge"), value) << "byte " << code;
    }
    EXPECT_EQ(errors_.count, 0);
}

TEST_P(BackendTest, MultiLineScrambledTextRoundTrips) {
    const std::string text = "first line\r\nsecond line\nthird";
    store_.WriteCrypt("Lines", text);
    EXPECT_EQ(store_.ReadCrypt("Lines"), text);
}

TEST_P(BackendTest, NamesWithANulAreRefused) {
    const std::string key("Na\0me", 5);
    store_.WriteStr(key, "x");
    EXPECT_EQ(errors_.count, 1);
    EXPECT_EQ(store_.ReadStr("Na"), "Error") << "the name was not cut at the NUL";
    store_.Inifile()->SetSection(std::string("Sec\0tion", 8));
    store_.Registry()->SetSection(std::string("Sec\0tion", 8));
    store_.WriteStr("Name", "x");
    EXPECT_EQ(errors_.count, 3);
}

INSTANTIATE_TEST_SUITE_P(BothStores, BackendTest, ::testing::Values(sRegistry, sIniFile),
                         [](const auto& param) { return param.param == sRegistry ? "Registry" : "IniFile"; });

// ---------------------------------------------------------------------------------------------
// The scramble itself

TEST(Scramble, ConstantKeepsTextAwayFromWhatStoresCutTrimOrUnquote) {
    auto isText = [](int c) {
        return (c >= 0x20 && c <= 0x7E) || (c >= 0x80 && c <= 0xBF) || (c >= 0xC2 && c <= 0xF4);
    };
    for (int c = 0; c < 256; ++c) {
        if (!isText(c)) continue;
        const auto scrambled =
            static_cast<unsigned char>(ZylScramble(std::string(1, static_cast<char>(c)))[0]);
        EXPECT_GT(scrambled, 0x20) << "byte " << c << " becomes a control character or a blank";
        EXPECT_NE(scrambled, '"') << "byte " << c;
        EXPECT_NE(scrambled, '\'') << "byte " << c;
    }
}

TEST(Scramble, EveryByteShiftsByTheOffsetAndBack) {
    ASSERT_NE(ZylScrambleOffset, 0);
    for (int c = 0; c < 256; ++c) {
        const std::string plain(1, static_cast<char>(c));
        const std::string scrambled = ZylScramble(plain);
        EXPECT_EQ(static_cast<unsigned char>(scrambled[0]), (c + ZylScrambleOffset) % 256);
        EXPECT_EQ(ZylUnscramble(scrambled), plain);
    }
}

// ---------------------------------------------------------------------------------------------
// Storage layout, read without the stores

class LayoutTest : public StoreTest {};

TEST_F(LayoutTest, RegistryHoldsTextUnderPathAndSection) {
    TZylDataStore store;
    store.WriteStr("Name", "x");
    store.WriteInt("Count", -5);
    store.WriteBool("Flag", true);
    store.WriteCrypt("Secret", "abc");
    const std::pair<const char*, std::string> expected[] = {
        {"Name", "x"}, {"Count", "-5"}, {"Flag", "1"}, {"Secret", ZylScramble("abc")}};
    for (const auto& [name, text] : expected) {
        const RawValue raw = Raw(win32::HKEY_CURRENT_USER, kSectionPath, name);
        ASSERT_TRUE(raw.found) << name;
        EXPECT_EQ(raw.type, win32::REG_SZ) << name;
        EXPECT_EQ(raw.data, text + '\0') << name;
    }
    EXPECT_EQ(ZylScramble("abc"), "lmn");
}

TEST_F(LayoutTest, RegistryReadsValuesOthersWrote) {
    SetRawString(win32::HKEY_CURRENT_USER, kSectionPath, "Name", "from elsewhere");
    SetRawString(win32::HKEY_CURRENT_USER, kSectionPath, "Count", "17");
    SetRawString(win32::HKEY_CURRENT_USER, kSectionPath, "Secret", ZylScramble("hidden"));
    TZylDataStore store;
    EXPECT_EQ(store.ReadStr("Name"), "from elsewhere");
    EXPECT_EQ(store.ReadInt("Count"), 17);
    EXPECT_EQ(store.ReadCrypt("Secret"), "hidden");
}

TEST_F(LayoutTest, IniFileHoldsPlainEntriesAndQuotesOnlyWhatItWouldLose) {
    TZylDataStore store;
    Configure(store, sIniFile);
    store.Inifile()->SetSection("Prefs");
    store.WriteStr("Name", "x");
    store.WriteInt("Count", 3);
    store.WriteBool("Flag", false);
    store.WriteStr("Padded", " a ");
    store.WriteStr("Quoted", "\"q\"");
    store.WriteStr("Half", "\"q");
    const std::string text = FileText(IniPath());
    for (const char* line :
         {"[Prefs]", "Name=x", "Count=3", "Flag=0", "Padded=\" a \"", "Quoted=\"\"q\"\"", "Half=\"q"}) {
        EXPECT_NE(text.find(std::string(line) + "\r\n"), std::string::npos) << line << " in\n" << text;
    }
}

// ---------------------------------------------------------------------------------------------
// What an ini file cannot hold is refused, never written changed

struct Refusal {
    const char* what;
    std::string section;
    std::string key;
    std::string value;
};

class IniRefusalTest : public StoreTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(IniRefusalTest, ReportsAndLeavesTheFileAsItWas) {
    const Refusal& refusal = GetParam();
    TZylDataStore store;
    Configure(store, sIniFile);
    store.WriteStr("Existing", "kept");
    const std::string before = FileText(IniPath());
    Errors errors;
    errors.Watch(store);
    store.Inifile()->SetSection(refusal.section);
    store.WriteStr(refusal.key, refusal.value);
    EXPECT_EQ(errors.count, 1);
    EXPECT_EQ(FileText(IniPath()), before);
    store.Inifile()->SetSection("MySection");
    vcl::TStringList list;
    store.ReadStrs(list);
    ASSERT_EQ(list.Count(), 1) << "no key was injected";
    EXPECT_EQ(list.Strings(0), "Existing=kept");
}

INSTANTIATE_TEST_SUITE_P(
    Names, IniRefusalTest,
    ::testing::Values(Refusal{"equals in key", "MySection", "a=b", "x"},
                      Refusal{"key opening a section", "MySection", "[Other]", "x"},
                      Refusal{"key opening a comment", "MySection", ";note", "x"},
                      Refusal{"blank key", "MySection", "  ", "x"},
                      Refusal{"line break in key", "MySection", "a\nInjected", "x"},
                      Refusal{"bracket in section", "My]Section", "Name", "x"},
                      Refusal{"line break in section", "My\nSection", "Name", "x"},
                      Refusal{"line feed in value", "MySection", "Name", "one\nInjected=1"},
                      Refusal{"carriage return in value", "MySection", "Name", "one\rtwo"},
                      Refusal{"NUL in value", "MySection", "Name", std::string("a\0b", 3)}),
    [](const auto& param) {
        std::string name;
        for (const char* c = param.param.what; *c; ++c)
            if (*c != ' ') name += *c;
        return name;
    });

TEST_F(LayoutTest, ScrambledValueAnIniFileCannotHoldIsRefused) {
    TZylDataStore store;
    Configure(store, sIniFile);
    Errors errors;
    errors.Watch(store);
    for (int code = 0; code < 256; ++code) {
        const auto scrambled = static_cast<unsigned char>(code + ZylScrambleOffset);
        if (scrambled != 0 && scrambled != '\r' && scrambled != '\n') continue;
        store.WriteCrypt("Secret", std::string("a") + static_cast<char>(code));
    }
    EXPECT_EQ(errors.count, 3);
    EXPECT_EQ(FileText(IniPath()), "");
}

TEST_F(LayoutTest, MultiLineTextIsKeptInTheRegistry) {
    TZylDataStore store;
    const std::string text = "line one\r\nline two\r\n\r\nlast";
    store.WriteStr("Memo", text);
    EXPECT_EQ(store.ReadStr("Memo"), text);
}

TEST_F(LayoutTest, RegistryRefusesControlCharactersInNames) {
    TZylDataStore store;
    Errors errors;
    errors.Watch(store);
    store.WriteStr("Tab\tName", "x");
    EXPECT_EQ(errors.count, 1);
    store.Registry()->SetSection("Sec\x01tion");
    store.WriteStr("Name", "x");
    EXPECT_EQ(errors.count, 2);
    EXPECT_FALSE(KeyExists(win32::HKEY_CURRENT_USER, "Software\\Company"));
}

// ---------------------------------------------------------------------------------------------
// A key path that cannot be opened never turns into the root key

class UnopenedPathTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        SetRawString(win32::HKEY_CURRENT_USER, "Software", "Probe", "root value");
        SetRawString(win32::HKEY_CURRENT_USER, "Software\\Vendor", "Inner", "inner value");
        store_.Registry()->SetPath("Missing\\Branch");
        store_.Registry()->SetSection("Software");
        errors_.Watch(store_);
    }

    void ExpectRootUntouched() {
        EXPECT_EQ(Raw(win32::HKEY_CURRENT_USER, "Software", "Probe").data, std::string("root value\0", 11));
        EXPECT_TRUE(Raw(win32::HKEY_CURRENT_USER, "Software\\Vendor", "Inner").found);
    }

    TZylDataStore store_;
    Errors errors_;
};

TEST_F(UnopenedPathTest, ReadsAnswerTheirDefaults) {
    store_.SetErrorBool(true);
    EXPECT_EQ(store_.ReadStr("Probe"), "Error");
    EXPECT_EQ(store_.ReadCrypt("Probe"), "Error");
    EXPECT_TRUE(store_.ReadBool("Probe"));
    EXPECT_EQ(errors_.count, 2) << "as for a missing value";
    vcl::TStringList list;
    list.Add("untouched");
    store_.ReadStrs(list);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Strings(0), "untouched");
    EXPECT_FALSE(KeyExists(win32::HKEY_CURRENT_USER, "Missing"));
}

TEST_F(UnopenedPathTest, DeleteKeyAndEraseDoNothing) {
    store_.DeleteKey("Probe");
    store_.Erase();
    ExpectRootUntouched();
    EXPECT_FALSE(KeyExists(win32::HKEY_CURRENT_USER, "Missing"));
    EXPECT_EQ(errors_.count, 0);
}

TEST_F(UnopenedPathTest, PathThatCannotBeCreatedReportsWritesAndIntegerReads) {
    store_.Registry()->SetPath("Software\\" + std::string(300, 'k'));
    store_.WriteStr("Probe", "overwritten");
    store_.WriteInt("Probe", 1);
    EXPECT_EQ(errors_.count, 2);
    EXPECT_EQ(store_.ReadInt("Probe"), 0);
    EXPECT_EQ(errors_.count, 3);
    store_.Erase();
    ExpectRootUntouched();
}

TEST_F(UnopenedPathTest, WritesCreateThePathRatherThanUseTheRoot) {
    store_.WriteStr("Probe", "new");
    ExpectRootUntouched();
    EXPECT_EQ(Raw(win32::HKEY_CURRENT_USER, "Missing\\Branch\\Software", "Probe").data,
              std::string("new\0", 4));
    store_.Erase();
    EXPECT_FALSE(KeyExists(win32::HKEY_CURRENT_USER, "Missing\\Branch\\Software"));
    ExpectRootUntouched();
}

}  // namespace
