#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "registry_fixture.h"

namespace {

using namespace win32;
using regtest::RegistryTest;
using namespace std::string_literals;

struct TypedValue {
    DWORD type;
    std::string data;
};

class ValueTypes : public RegistryTest, public ::testing::WithParamInterface<TypedValue> {};

TEST_P(ValueTypes, RoundTripWithTheBufferProtocol) {
    const TypedValue& value = GetParam();
    HKEY key = Create("Software\\Types");
    ASSERT_EQ(RegSetValueEx(key, "v", 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                            static_cast<DWORD>(value.data.size())),
              ERROR_SUCCESS);

    DWORD type = 99, size = 0;
    ASSERT_EQ(RegQueryValueEx(key, "v", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, value.type);
    EXPECT_EQ(size, value.data.size());

    if (!value.data.empty()) {
        std::string small(value.data.size() - 1, 'x');
        DWORD smallSize = static_cast<DWORD>(small.size());
        EXPECT_EQ(
            RegQueryValueEx(key, "v", nullptr, &type, reinterpret_cast<BYTE*>(small.data()), &smallSize),
            ERROR_MORE_DATA);
        EXPECT_EQ(smallSize, value.data.size());
    }

    std::string buffer(value.data.size() + 8, '\x7f');
    DWORD bufferSize = static_cast<DWORD>(buffer.size());
    ASSERT_EQ(RegQueryValueEx(key, "v", nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bufferSize),
              ERROR_SUCCESS);
    EXPECT_EQ(bufferSize, value.data.size());
    EXPECT_EQ(buffer.substr(0, bufferSize), value.data);
    EXPECT_EQ(buffer[bufferSize], '\x7f') << "bytes past the value are left alone";
    RegCloseKey(key);
}

INSTANTIATE_TEST_SUITE_P(
    EveryType, ValueTypes,
    ::testing::Values(TypedValue{REG_NONE, ""}, TypedValue{REG_SZ, "hello\0"s}, TypedValue{REG_SZ, "\0"s},
                      TypedValue{REG_EXPAND_SZ, "%HOME%\\x\0"s}, TypedValue{REG_BINARY, "\0\1\2\xff"s},
                      TypedValue{REG_DWORD, "\x2a\0\0\0"s}, TypedValue{REG_DWORD_BIG_ENDIAN, "\0\0\0\x2a"s},
                      TypedValue{REG_MULTI_SZ, "one\0two\0\0"s}, TypedValue{REG_QWORD, "\1\2\3\4\5\6\7\x80"s},
                      TypedValue{0x1234, "odd"}));

TEST_F(RegistryTest, StringsAreStoredAsGivenEvenWithoutTheirTerminator) {
    HKEY key = Create("Software\\Strings");
    ASSERT_EQ(RegSetValueEx(key, "sz", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>("a\0b"), 3),
              ERROR_SUCCESS);
    EXPECT_EQ(Get(key, "sz").data, "abc"s);
    EXPECT_EQ(Get(key, "multi").data, "a\0b"s);
    RegCloseKey(key);
}

TEST_F(RegistryTest, CreateReportsWhetherTheKeyIsNewAndMakesIntermediateKeys) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\A\\B\\C", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                             &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\A\\B\\C", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                             &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
    HKEY middle = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\A\\B", 0, KEY_READ, &middle), ERROR_SUCCESS);
    RegCloseKey(middle);
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\A", 0, KEY_READ, &middle), ERROR_FILE_NOT_FOUND)
        << "each root is its own tree";
    EXPECT_EQ(middle, nullptr);
}

TEST_F(RegistryTest, KeyAndValueNamesIgnoreCaseButKeepTheirSpelling) {
    HKEY key = Create("Software\\MyCompany\\Ünïcode");
    SetString(key, "Colour", "red");
    RegCloseKey(key);

    HKEY other = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\mycompany\\üNÏCODE", 0, KEY_ALL_ACCESS, &other),
              ERROR_SUCCESS);
    EXPECT_EQ(Get(other, "COLOUR").data, "red\0"s);
    SetString(other, "colour", "blue");
    char name[64];
    DWORD nameSize = sizeof name;
    ASSERT_EQ(RegEnumValue(other, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Colour") << "the first spelling stays";
    EXPECT_EQ(RegEnumValue(other, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(Get(other, "Colour").data, "blue\0"s);
    RegCloseKey(other);

    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "software\\MYCOMPANY", 0, KEY_READ, &parent), ERROR_SUCCESS);
    nameSize = sizeof name;
    ASSERT_EQ(RegEnumKeyEx(parent, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Ünïcode");
    EXPECT_EQ(nameSize, std::strlen("Ünïcode"));
    RegCloseKey(parent);
}

TEST_F(RegistryTest, AReadHandleRefusesWritesAndAWriteHandleRefusesReads) {
    HKEY setup = Create("Software\\Guarded");
    SetString(setup, "v", "x");
    RegCloseKey(setup);

    HKEY reader = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Guarded", 0, KEY_READ, &reader), ERROR_SUCCESS);
    const BYTE data[] = "y";
    EXPECT_EQ(RegSetValueEx(reader, "v", 0, REG_SZ, data, 2), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValue(reader, "v"), ERROR_ACCESS_DENIED);
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyEx(reader, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
              ERROR_SUCCESS)
        << "creating asks no rights of the parent handle, as in Win32";
    RegCloseKey(child);
    EXPECT_EQ(Get(reader, "v").data, "x\0"s);
    RegCloseKey(reader);

    HKEY writer = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Guarded", 0, KEY_WRITE, &writer), ERROR_SUCCESS);
    EXPECT_EQ(Get(writer, "v").status, ERROR_ACCESS_DENIED);
    char name[16];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(RegEnumKeyEx(writer, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegSetValueEx(writer, "v", 0, REG_SZ, data, 2), ERROR_SUCCESS);
    RegCloseKey(writer);

    HKEY generic = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Guarded", 0, GENERIC_READ, &generic), ERROR_SUCCESS);
    EXPECT_EQ(Get(generic, "v").data, "y\0"s);
    EXPECT_EQ(RegSetValueEx(generic, "v", 0, REG_SZ, data, 2), ERROR_ACCESS_DENIED);
    RegCloseKey(generic);
}

TEST_F(RegistryTest, HandlesOfDeletedKeysReportKeyDeleted) {
    HKEY doomed = Create("Software\\Doomed");
    SetString(doomed, "v", "x");
    ASSERT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software\\Doomed"), ERROR_SUCCESS);

    EXPECT_EQ(Get(doomed, "v").status, ERROR_KEY_DELETED);
    EXPECT_EQ(Get(doomed, "missing").status, ERROR_KEY_DELETED);
    const BYTE data[] = "y";
    EXPECT_EQ(RegSetValueEx(doomed, "v", 0, REG_SZ, data, 2), ERROR_KEY_DELETED);
    char name[16];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(RegEnumKeyEx(doomed, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    DWORD values = 0;
    EXPECT_EQ(RegQueryInfoKey(doomed, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                              nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);

    // A new key of the same name is a different key.
    HKEY again = Create("Software\\Doomed");
    EXPECT_EQ(Get(again, "v").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(doomed, "v").status, ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(doomed), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(doomed), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Get(doomed, "v").status, ERROR_INVALID_HANDLE);
    RegCloseKey(again);
}

TEST_F(RegistryTest, DeleteKeyRefusesAKeyWithSubkeysWhileDeleteTreeTakesTheBranch) {
    RegCloseKey(Create("Software\\Tree\\Leaf\\Deeper"));
    HKEY tree = Create("Software\\Tree");
    SetString(tree, "v", "x");
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software\\Tree"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Get(tree, "v").status, ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software\\Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED) << "a root is never deleted";

    ASSERT_EQ(RegDeleteTree(tree, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(Get(tree, "v").status, ERROR_FILE_NOT_FOUND) << "emptied, but still there";
    RegCloseKey(Create("Software\\Tree\\Leaf\\Deeper"));
    ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "Software\\Tree"), ERROR_SUCCESS);
    EXPECT_EQ(Get(tree, "v").status, ERROR_KEY_DELETED);
    HKEY gone = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Tree\\Leaf", 0, KEY_READ, &gone),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(tree);
}

TEST_F(RegistryTest, EnumerationListsSubkeysByNameAndValuesInTheOrderSet) {
    HKEY key = Create("Software\\Enum");
    for (const char* name : {"beta", "Alpha", "gamma"})
        RegCloseKey(Create(("Software\\Enum\\"s + name).c_str()));
    for (const char* name : {"z", "a", "m"})
        SetDword(key, name, 1);

    std::vector<std::string> keys, values;
    char name[32];
    DWORD nameSize;
    for (DWORD i = 0;; ++i) {
        nameSize = sizeof name;
        LSTATUS status = RegEnumKeyEx(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        keys.emplace_back(name, nameSize);
    }
    for (DWORD i = 0;; ++i) {
        nameSize = sizeof name;
        LSTATUS status = RegEnumValue(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        values.emplace_back(name, nameSize);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(values, (std::vector<std::string>{"z", "a", "m"}));

    nameSize = 5;  // "Alpha" needs six with its NUL
    EXPECT_EQ(RegEnumKeyEx(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    char shortName[5];
    EXPECT_EQ(RegEnumKey(key, 0, shortName, sizeof shortName), ERROR_MORE_DATA);
    EXPECT_EQ(RegEnumKey(key, 1, name, sizeof name), ERROR_SUCCESS);
    EXPECT_STREQ(name, "beta");
    RegCloseKey(key);
}

TEST_F(RegistryTest, QueryInfoKeyCountsAndMeasures) {
    HKEY key = Create("Software\\Info");
    RegCloseKey(Create("Software\\Info\\short"));
    RegCloseKey(Create("Software\\Info\\a-longer-name"));
    SetString(key, "name", "twelve chars");
    SetDword(key, "the-longest-name", 7);
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxData = 0;
    FILETIME written{};
    ASSERT_EQ(RegQueryInfoKey(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values,
                              &maxValueName, &maxData, nullptr, &written),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(maxSubKey, std::strlen("a-longer-name"));
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxValueName, std::strlen("the-longest-name"));
    EXPECT_EQ(maxData, 13u);
    EXPECT_NE(written.dwHighDateTime, 0u) << "a write time was recorded";
    RegCloseKey(key);
}

TEST_F(RegistryTest, RootsAreFixedHandlesAndBadHandlesOrNamesFailCleanly) {
    EXPECT_EQ(HandleValue<HKEY>(HKEY_CLASSES_ROOT), 0x80000000u);
    EXPECT_EQ(HandleValue<HKEY>(HKEY_DYN_DATA), 0x80000006u);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    HKEY root = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &root), ERROR_SUCCESS);
    EXPECT_EQ(root, HKEY_CURRENT_USER);

    HKEY result = MakeHandle<HKEY>(1);
    EXPECT_EQ(RegOpenKeyEx(MakeHandle<HKEY>(0x12345), "x", 0, KEY_READ, &result), ERROR_INVALID_HANDLE);
    EXPECT_EQ(result, MakeHandle<HKEY>(1)) << "a bad handle leaves the result alone";
    EXPECT_EQ(RegOpenKeyEx(nullptr, "x", 0, KEY_READ, &result), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(MakeHandle<HKEY>(0x80000007)), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "x", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);

    auto create = [](const std::string& path) {
        HKEY key = nullptr;
        LSTATUS status = RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                        nullptr, &key, nullptr);
        if (key) RegCloseKey(key);
        return status;
    };
    EXPECT_EQ(create("\\Software"), ERROR_BAD_PATHNAME);
    EXPECT_EQ(create("Software\\\\X"), ERROR_BAD_PATHNAME);
    EXPECT_EQ(create("Soft\x01ware"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(create("Line\nBreak"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(create(std::string(256, 'k')), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(create(std::string(255, 'k')), ERROR_SUCCESS);
    EXPECT_EQ(create("Trailing\\"), ERROR_SUCCESS);

    HKEY key = Create("Software\\Names");
    const BYTE data[] = "x";
    EXPECT_EQ(RegSetValueEx(key, "tab\there", 0, REG_SZ, data, 2), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(key, "big", 0, REG_BINARY, data, REG_MAX_DATA_SIZE + 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(key, "null", 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueEx(key, "x", &reserved, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
    BYTE buffer[4];
    EXPECT_EQ(RegQueryValueEx(key, "x", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteValue(key, "never-set"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryTest, DefaultValuesThroughTheOldCalls) {
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, ".zyl", REG_SZ, "ZylFile", 0), ERROR_SUCCESS);
    char buffer[32];
    LONG size = sizeof buffer;
    ASSERT_EQ(RegQueryValue(HKEY_CLASSES_ROOT, ".zyl", buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "ZylFile");
    EXPECT_EQ(size, 8);
    size = 3;
    EXPECT_EQ(RegQueryValue(HKEY_CLASSES_ROOT, ".zyl", buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 8);

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, ".empty", &key), ERROR_SUCCESS);
    size = sizeof buffer;
    ASSERT_EQ(RegQueryValue(key, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "") << "a key without a default value answers an empty string";
    EXPECT_EQ(size, 1);
    EXPECT_EQ(RegQueryValue(HKEY_CLASSES_ROOT, ".none", buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegSetValue(key, nullptr, REG_DWORD, "x", 0), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKey(HKEY_CLASSES_ROOT, ".ZYL", &opened), ERROR_SUCCESS);
    EXPECT_EQ(Get(opened, "").data, "ZylFile\0"s);
    EXPECT_EQ(Get(opened, nullptr).data, "ZylFile\0"s);
    RegCloseKey(opened);
}

TEST_F(RegistryTest, ValuesSurviveANewConnectionAndResetClosesHandles) {
    HKEY key = Create("Software\\Persist");
    SetDword(key, "n", 42);
    win32::testing::SetRegistryPath(DatabasePath());
    EXPECT_EQ(Get(key, "n").status, ERROR_INVALID_HANDLE) << "changing the database closes open keys";
    HKEY again = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Persist", 0, KEY_READ, &again), ERROR_SUCCESS);
    EXPECT_EQ(Get(again, "n").data, "\x2a\0\0\0"s);
    win32::testing::ResetPlatform();
    EXPECT_EQ(RegCloseKey(again), ERROR_INVALID_HANDLE);
}

}  // namespace
