#include <gtest/gtest.h>

#include <string>

#include "support/tempdir.h"
#include "vcl/registry.h"

namespace {

using namespace vcl;
using namespace std::string_literals;

class RegistryClassTest : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::SetMimeTypesPath("");
        win32::testing::SetRegistryPath(dir_.File("registry.sqlite"));
        win32::testing::SetWindowsDirectory(dir_.File("windows"));
    }
    void TearDown() override { win32::testing::ResetPlatform(); }

    static std::string Message(const std::function<void()>& action) {
        try {
            action();
        } catch (const ERegistryException& error) {
            return error.Message();
        }
        return "<no exception>";
    }
    static win32::DWORD RawType(const char* path, const char* name, std::string* data = nullptr) {
        win32::HKEY key = nullptr;
        if (win32::RegOpenKeyEx(win32::HKEY_CURRENT_USER, path, 0, win32::KEY_READ, &key) !=
            win32::ERROR_SUCCESS)
            return 0xFFFFFFFF;
        win32::DWORD type = 0, size = 0;
        win32::LSTATUS status = win32::RegQueryValueEx(key, name, nullptr, &type, nullptr, &size);
        if (data && status == win32::ERROR_SUCCESS) {
            data->resize(size);
            win32::RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<win32::BYTE*>(data->data()),
                                   &size);
        }
        win32::RegCloseKey(key);
        return status == win32::ERROR_SUCCESS ? type : 0xFFFFFFFF;
    }

    zyltest::TempDir dir_;
};

TEST_F(RegistryClassTest, ConstructingOpensNothing) {
    TRegistry registry;
    EXPECT_EQ(registry.CurrentKey(), nullptr);
    EXPECT_EQ(registry.CurrentPath(), "");
    EXPECT_EQ(registry.RootKey(), win32::HKEY_CURRENT_USER);
    EXPECT_EQ(registry.Access(), win32::KEY_ALL_ACCESS);
    EXPECT_TRUE(registry.LazyWrite());
    EXPECT_FALSE(registry.KeyExists("Software"));
}

TEST_F(RegistryClassTest, PathsAreAbsoluteWithABackslashAndOtherwiseRelative) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\Software\\Zyl", true));
    EXPECT_EQ(registry.CurrentPath(), "Software\\Zyl");
    ASSERT_TRUE(registry.OpenKey("Child", true));
    EXPECT_EQ(registry.CurrentPath(), "Software\\Zyl\\Child");
    EXPECT_TRUE(registry.KeyExists("\\Software\\Zyl\\Child"));
    win32::HKEY before = registry.CurrentKey();
    EXPECT_FALSE(registry.OpenKey("Missing", false));
    EXPECT_FALSE(registry.OpenKey("\\Bad\\\\Path", true));
    EXPECT_EQ(registry.CurrentKey(), before) << "a failed open keeps the old key";
    EXPECT_EQ(registry.CurrentPath(), "Software\\Zyl\\Child");
    registry.WriteString("still", "here");
    ASSERT_TRUE(registry.OpenKey("\\Software", false));
    EXPECT_EQ(registry.CurrentPath(), "Software");
    EXPECT_TRUE(registry.KeyExists("ZYL\\child"));

    registry.SetRootKey(win32::HKEY_LOCAL_MACHINE);
    EXPECT_EQ(registry.CurrentKey(), nullptr) << "changing the root closes the key";
    EXPECT_FALSE(registry.KeyExists("Software\\Zyl"));
    EXPECT_THROW(registry.CreateKey("\\Bad\\\\Path"), ERegistryException);
}

TEST_F(RegistryClassTest, ReadOnlyKeysRefuseWrites) {
    TRegistry setup;
    ASSERT_TRUE(setup.OpenKey("\\Software\\RO", true));
    setup.WriteInteger("n", 5);
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKeyReadOnly("Software\\RO"));
    EXPECT_EQ(registry.Access(), win32::KEY_ALL_ACCESS);
    EXPECT_EQ(registry.ReadInteger("n"), 5);
    EXPECT_EQ(Message([&] { registry.WriteInteger("n", 6); }), "Failed to set data for 'n'");
    EXPECT_FALSE(registry.DeleteValue("n"));
}

TEST_F(RegistryClassTest, TypedValuesUseTheFrameworkRepresentation) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\Typed", true));
    registry.WriteString("s", "text\0with nul"s);
    registry.WriteExpandString("e", "%HOME%");
    registry.WriteInteger("i", -5);
    registry.WriteBool("b", true);
    registry.WriteFloat("f", 2.5);
    registry.WriteDateTime("dt", 45000.75);
    registry.WriteCurrency("c", Currency::FromRaw(123456));
    const unsigned char bytes[] = {1, 2, 3};
    registry.WriteBinaryData("bin", bytes, 3);

    std::string raw;
    EXPECT_EQ(RawType("Software\\Typed", "i", &raw), win32::REG_DWORD);
    EXPECT_EQ(raw, "\xfb\xff\xff\xff"s);
    EXPECT_EQ(RawType("Software\\Typed", "b", &raw), win32::REG_DWORD);
    EXPECT_EQ(raw, "\1\0\0\0"s);
    EXPECT_EQ(RawType("Software\\Typed", "f", &raw), win32::REG_BINARY);
    EXPECT_EQ(raw.size(), 8u);
    EXPECT_EQ(RawType("Software\\Typed", "s", &raw), win32::REG_SZ);
    EXPECT_EQ(raw, "text\0with nul\0"s);

    EXPECT_EQ(registry.ReadString("s"), "text\0with nul"s);
    EXPECT_EQ(registry.ReadString("e"), "%HOME%");
    EXPECT_EQ(registry.GetDataType("e"), rdExpandString);
    EXPECT_EQ(registry.ReadInteger("i"), -5);
    EXPECT_TRUE(registry.ReadBool("b"));
    EXPECT_EQ(registry.ReadFloat("f"), 2.5);
    EXPECT_EQ(registry.ReadDateTime("dt"), 45000.75);
    EXPECT_EQ(registry.ReadDate("dt"), 45000.75);
    EXPECT_EQ(registry.ReadCurrency("c"), Currency::FromRaw(123456));
    unsigned char back[8] = {};
    EXPECT_EQ(registry.ReadBinaryData("bin", back, sizeof back), 3);
    EXPECT_EQ(back[2], 3);
    EXPECT_EQ(registry.ReadBinaryData("missing", back, sizeof back), 0);
    EXPECT_EQ(Message([&] { registry.ReadBinaryData("bin", back, 2); }), "Invalid data type for 'bin'");
}

TEST_F(RegistryClassTest, ReadingMissingOrMistypedValuesRaisesTheFrameworkMessages) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\Errors", true));
    registry.WriteString("text", "abc");
    registry.WriteInteger("number", 1);
    EXPECT_EQ(registry.ReadString("missing"), "");
    EXPECT_EQ(Message([&] { registry.ReadInteger("missing"); }), "Failed to get data for 'missing'");
    EXPECT_EQ(Message([&] { registry.ReadBool("missing"); }), "Failed to get data for 'missing'");
    EXPECT_EQ(Message([&] { registry.ReadFloat("missing"); }), "Failed to get data for 'missing'");
    EXPECT_EQ(Message([&] { registry.ReadInteger("text"); }), "Invalid data type for 'text'");
    EXPECT_EQ(Message([&] { registry.ReadString("number"); }), "Invalid data type for 'number'");
    EXPECT_EQ(Message([&] { registry.ReadFloat("number"); }), "Invalid data type for 'number'");
    EXPECT_EQ(Message([&] { registry.ReadCurrency("text"); }), "Invalid data type for 'text'");
    EXPECT_EQ(Message([&] { registry.WriteString("bad\nname", "x"); }), "Failed to set data for 'bad\nname'");
    registry.CloseKey();
    EXPECT_EQ(Message([&] { registry.WriteString("v", "x"); }), "Failed to set data for 'v'")
        << "no key is open";
}

TEST_F(RegistryClassTest, KeysAndValuesAreListedMeasuredAndDeleted) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\List", true));
    registry.WriteString("one", "1");
    registry.WriteInteger("two", 2);
    registry.CreateKey("b\\deep\\deeper");
    registry.CreateKey("A");
    TStringList names;
    registry.GetKeyNames(&names);
    EXPECT_EQ(names.CommaText(), "A,b");
    registry.GetValueNames(&names);
    EXPECT_EQ(names.CommaText(), "one,two");
    EXPECT_TRUE(registry.HasSubKeys());
    EXPECT_TRUE(registry.ValueExists("ONE"));
    EXPECT_EQ(registry.GetDataSize("one"), 2);
    EXPECT_EQ(registry.GetDataSize("none"), -1);
    EXPECT_EQ(registry.GetDataType("two"), rdInteger);
    TRegDataInfo info;
    EXPECT_FALSE(registry.GetDataInfo("none", info));
    TRegKeyInfo keyInfo;
    ASSERT_TRUE(registry.GetKeyInfo(keyInfo));
    EXPECT_EQ(keyInfo.NumSubKeys, 2);
    EXPECT_EQ(keyInfo.NumValues, 2);

    EXPECT_TRUE(registry.DeleteKey("b")) << "subkeys go with the key";
    EXPECT_FALSE(registry.KeyExists("b"));
    EXPECT_FALSE(registry.DeleteKey("b"));
    EXPECT_TRUE(registry.DeleteValue("one"));
    EXPECT_FALSE(registry.ValueExists("one"));
}

TEST_F(RegistryClassTest, MoveKeyAndRenameValue) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\Move", true));
    ASSERT_TRUE(registry.OpenKey("Source\\Inner", true));
    registry.WriteInteger("n", 9);
    ASSERT_TRUE(registry.OpenKey("\\Software\\Move", false));
    registry.MoveKey("Source", "Target", true);
    EXPECT_FALSE(registry.KeyExists("Source"));
    ASSERT_TRUE(registry.OpenKey("Target\\Inner", false));
    EXPECT_EQ(registry.ReadInteger("n"), 9);
    registry.RenameValue("n", "m");
    EXPECT_FALSE(registry.ValueExists("n"));
    EXPECT_EQ(registry.ReadInteger("m"), 9);
    ASSERT_TRUE(registry.OpenKey("\\Software\\Move", false));
    EXPECT_THROW(registry.MoveKey("Target", "Target\\Inner\\Loop", false), ERegistryException);
    EXPECT_TRUE(registry.KeyExists("Target\\Inner"));
}

TEST_F(RegistryClassTest, RegIniFileReadsDoNotCreateKeys) {
    TRegIniFile ini("Software\\IniApp");
    EXPECT_EQ(ini.CurrentPath(), "Software\\IniApp");
    EXPECT_EQ(ini.ReadString("Window", "Caption", "default"), "default");
    EXPECT_EQ(ini.ReadInteger("Window", "Left", 17), 17);
    EXPECT_TRUE(ini.ReadBool("Window", "Visible", true));
    EXPECT_FALSE(ini.KeyExists("Window")) << "reading must not create the section";
    TStringList list;
    ini.ReadSection("Window", &list);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(ini.KeyExists("Window"));
}

TEST_F(RegistryClassTest, RegIniFileWritesTextAndReadsTextOrNumbers) {
    TRegIniFile ini("Software\\IniApp");
    ini.WriteInteger("Window", "Left", 42);
    ini.WriteBool("Window", "Visible", false);
    ini.WriteString("Window", "Caption", "Main");
    EXPECT_EQ(RawType("Software\\IniApp\\Window", "Left"), win32::REG_SZ);
    EXPECT_EQ(ini.ReadInteger("window", "LEFT", 0), 42);
    EXPECT_FALSE(ini.ReadBool("Window", "Visible", true));
    EXPECT_EQ(ini.ReadString("Window", "Left", ""), "42");

    TRegistry direct;
    ASSERT_TRUE(direct.OpenKey("\\Software\\IniApp\\Window", false));
    direct.WriteInteger("Top", 7);
    EXPECT_EQ(ini.ReadInteger("Window", "Top", 0), 7) << "REG_DWORD values read too";
    EXPECT_EQ(ini.ReadString("Window", "Top", ""), "7");
    EXPECT_EQ(ini.ReadInteger("Window", "Caption", -1), -1) << "text that is no number answers the default";

    ini.WriteString("Other", "k", "v");
    TStringList list;
    ini.ReadSections(&list);
    EXPECT_EQ(list.CommaText(), "Other,Window");
    ini.ReadSection("Window", &list);
    EXPECT_EQ(list.CommaText(), "Left,Visible,Caption,Top");
    ini.ReadSectionValues("Window", &list);
    EXPECT_EQ(list.CommaText(), "Left=42,Visible=0,Caption=Main,Top=7");
    ini.DeleteKey("Window", "Caption");
    EXPECT_EQ(ini.ReadString("Window", "Caption", "gone"), "gone");
    ini.EraseSection("Other");
    EXPECT_FALSE(ini.KeyExists("Other"));
}

}  // namespace
