// The registry calls against the values and sequences Wine's advapi32 conformance tests pin.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../registry/registry_fixture.h"

namespace conf_registry {

using namespace win32;
using namespace std::string_literals;

class ConfRegistry : public regtest::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        main_ = Create("Software\\Wine\\Test");
    }
    void TearDown() override {
        RegCloseKey(main_);
        RegistryTest::TearDown();
    }

    static const BYTE* Bytes(const char* text) { return reinterpret_cast<const BYTE*>(text); }
    static LSTATUS SetSz(HKEY key, const char* name, const char* data, DWORD size) {
        return RegSetValueEx(key, name, 0, REG_SZ, Bytes(data), size);
    }

    HKEY main_ = nullptr;
};

// Wine: test_set_value
TEST_F(ConfRegistry, SetValueStoresExactlyWhatItIsGiven) {
    struct Case {
        const char* what;
        std::string data;
    } cases[] = {
        {"a zero-byte string", ""},
        {"an empty string", "\0"s},
        {"a string without its NUL", "ThisNeverBreaks"},
        {"a string with its NUL", "ThisNeverBreaks\0"s},
        {"a string with NULs inside", "This\0Breaks\0\0A\0\0\0Lot\0\0\0\0\0"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto stored = static_cast<DWORD>(c.data.size());
        ASSERT_EQ(SetSz(main_, "CleanSingleString", c.data.data(), stored), ERROR_SUCCESS);
        DWORD type = 0xdeadbeef, size = 0xdeadbeef;
        ASSERT_EQ(RegQueryValueEx(main_, "CleanSingleString", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, REG_SZ);
        EXPECT_EQ(size, stored);
        // A buffer of exactly the stored size gets the bytes and nothing beyond them.
        std::string buffer(stored + 2, '\xbd');
        ASSERT_EQ(RegQueryValueEx(main_, "CleanSingleString", nullptr, &type,
                                  reinterpret_cast<BYTE*>(buffer.data()), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(buffer.substr(0, size), c.data);
        EXPECT_EQ(buffer[stored], '\xbd');
    }
}

// Wine: test_set_value (the default value by a null name, the null data checks)
TEST_F(ConfRegistry, NullNamesAndNullData) {
    ASSERT_EQ(SetSz(main_, nullptr, "value", 6), ERROR_SUCCESS);
    EXPECT_EQ(Get(main_, "").data, "value\0"s);
    char buffer[16];
    LONG size = sizeof buffer;
    ASSERT_EQ(RegQueryValue(main_, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "value");

    EXPECT_EQ(RegSetValueEx(main_, nullptr, 0, REG_SZ, nullptr, 4), ERROR_NOACCESS);
    EXPECT_EQ(RegSetValueEx(main_, nullptr, 0, REG_DWORD, nullptr, 4), ERROR_NOACCESS);
    EXPECT_EQ(RegSetValueEx(main_, nullptr, 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(main_, nullptr, 0, REG_DWORD, nullptr, 0), ERROR_SUCCESS);
    Value cleared = Get(main_, nullptr);
    EXPECT_EQ(cleared.type, REG_DWORD);
    EXPECT_EQ(cleared.data, "");
}

// Wine: test_set_value (RegSetValue ignores the size and stops at the first NUL; only REG_SZ)
TEST_F(ConfRegistry, SetValueTakesTheStringUpToItsFirstNul) {
    ASSERT_EQ(RegSetValue(main_, nullptr, REG_SZ, "ThisNeverBreaks", 4), ERROR_SUCCESS);
    EXPECT_EQ(Get(main_, nullptr).data, "ThisNeverBreaks\0"s);
    ASSERT_EQ(RegSetValue(main_, nullptr, REG_SZ, "This\0Breaks", 12), ERROR_SUCCESS);
    EXPECT_EQ(Get(main_, nullptr).data, "This\0"s);
    for (DWORD type : {REG_BINARY, REG_EXPAND_SZ, REG_MULTI_SZ})
        EXPECT_EQ(RegSetValue(main_, nullptr, type, "This", 5), ERROR_INVALID_PARAMETER) << type;
}

// Wine: test_string_termination
TEST_F(ConfRegistry, ReadersTerminateAStringOnlyWhenTheBufferHasRoom) {
    HKEY key = Create("Software\\Wine\\Test\\string_termination");
    // Written without its NUL, read back with a buffer of the size written.
    ASSERT_EQ(SetSz(key, "stringtest", "FullString", 10), ERROR_SUCCESS);
    BYTE buffer[12];
    DWORD size = 10;
    EXPECT_EQ(RegQueryValueEx(key, "stringtest", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 10u);

    const DWORD written = 9;
    ASSERT_EQ(SetSz(key, "stringtest", "FullString", written), ERROR_SUCCESS);
    for (bool enumerate : {false, true}) {
        for (DWORD capacity : {written, written + 1}) {
            SCOPED_TRACE((enumerate ? "RegEnumValue, capacity "s : "RegQueryValueEx, capacity "s) +
                         std::to_string(capacity));
            std::memset(buffer, 0xbd, sizeof buffer);
            size = capacity;
            if (enumerate) {
                char name[11];
                DWORD nameSize = sizeof name;
                ASSERT_EQ(RegEnumValue(key, 0, name, &nameSize, nullptr, nullptr, buffer, &size),
                          ERROR_SUCCESS);
                EXPECT_STREQ(name, "stringtest");
            } else {
                ASSERT_EQ(RegQueryValueEx(key, "stringtest", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
            }
            EXPECT_EQ(size, written);
            EXPECT_EQ(std::memcmp(buffer, "FullStrin", written), 0);
            EXPECT_EQ(buffer[written], capacity > written ? 0 : 0xbd);
        }
    }
    RegCloseKey(key);
}

// Wine: test_enum_value
TEST_F(ConfRegistry, EnumValueReportsTypeAndSizeWhateverFits) {
    HKEY key = Create("Software\\Wine\\Test\\TestKey");
    ASSERT_EQ(RegSetValueEx(key, "Test", 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "Test", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    char value[20] = "xxxxxxxxxx", data[20] = "xxxxxxxxxx";
    DWORD valueCount = 20, dataCount = 20, type = 1234;
    ASSERT_EQ(
        RegEnumValue(key, 0, value, &valueCount, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataCount),
        ERROR_SUCCESS);
    EXPECT_EQ(valueCount, 4u);
    EXPECT_EQ(dataCount, 0u);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_STREQ(value, "Test");
    EXPECT_STREQ(data, "xxxxxxxxxx");

    ASSERT_EQ(SetSz(key, "Test", "foobar", 7), ERROR_SUCCESS);
    struct Case {
        const char* what;
        DWORD valueCount, dataCount;
        LSTATUS status;
        DWORD valueCountAfter;
        const char *valueAfter, *dataAfter;
    } cases[] = {
        {"both too small", 2, 2, ERROR_MORE_DATA, 2, "xxxxxxxxxx", "xxxxxxxxxx"},
        {"name too small", 3, 20, ERROR_MORE_DATA, 3, "xxxxxxxxxx", "xxxxxxxxxx"},
        {"no room for a name", 0, 20, ERROR_MORE_DATA, 0, "xxxxxxxxxx", "xxxxxxxxxx"},
        {"data too small", 20, 2, ERROR_MORE_DATA, 20, "xxxxxxxxxx", "xxxxxxxxxx"},
        {"both fit", 20, 20, ERROR_SUCCESS, 4, "Test", "foobar"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::strcpy(value, "xxxxxxxxxx");
        std::strcpy(data, "xxxxxxxxxx");
        valueCount = c.valueCount;
        dataCount = c.dataCount;
        type = 1234;
        EXPECT_EQ(RegEnumValue(key, 0, value, &valueCount, nullptr, &type, reinterpret_cast<BYTE*>(data),
                               &dataCount),
                  c.status);
        EXPECT_EQ(valueCount, c.valueCountAfter);
        EXPECT_EQ(dataCount, 7u);
        EXPECT_EQ(type, REG_SZ);
        EXPECT_STREQ(value, c.valueAfter);
        EXPECT_STREQ(data, c.dataAfter);
    }

    dataCount = 20;
    valueCount = 20;
    EXPECT_EQ(
        RegEnumValue(key, 0, nullptr, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataCount),
        ERROR_INVALID_PARAMETER);
    EXPECT_EQ(
        RegEnumValue(key, 0, nullptr, &valueCount, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataCount),
        ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegEnumValue(key, 0, value, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataCount),
              ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

// Wine: test_query_value_ex
TEST_F(ConfRegistry, QueryValueExOfAMissingValue) {
    DWORD type = 0xdeadbeef, size = 0xdeadbeef;
    EXPECT_EQ(RegQueryValueEx(main_, "Nonexistent Value", nullptr, &type, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 0u) << "a size query answers 0";
    BYTE buffer[10];
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueEx(main_, "Nonexistent Value", nullptr, &type, buffer, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, sizeof buffer) << "a buffer's size is left alone";

    // One variable for both the type and the size: the size is read before the type is stored.
    const DWORD qw[2] = {0x12345678, 0x87654321};
    ASSERT_EQ(RegSetValueEx(main_, "BIN32", 0, REG_BINARY, reinterpret_cast<const BYTE*>(qw), 4),
              ERROR_SUCCESS);
    size = 4;
    EXPECT_EQ(RegQueryValueEx(main_, "BIN32", nullptr, &size, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueEx(main_, "BIN32", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
}

// Wine: test_reg_open_key
TEST_F(ConfRegistry, OpenKeyHandlesAndResults) {
    const HKEY preserve = main_;
    HKEY result = nullptr;
    ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Software\\Wine\\Test", &result), ERROR_SUCCESS);
    EXPECT_NE(result, preserve) << "a second open is a new handle";
    RegCloseKey(result);
    ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Software\\Wine\\Test\\\\", &result), ERROR_SUCCESS)
        << "trailing backslashes";
    RegCloseKey(result);

    struct Case {
        const char* what;
        HKEY key;
        const char* subKey;
        LSTATUS status;
        HKEY after;
    } cases[] = {
        {"a missing key", HKEY_CURRENT_USER, "Software\\Wine\\Nonexistent", ERROR_FILE_NOT_FOUND, nullptr},
        {"a missing key again", HKEY_CURRENT_USER, "Software\\Wine\\Nonexistent", ERROR_FILE_NOT_FOUND,
         nullptr},
        {"no subkey", HKEY_CURRENT_USER, nullptr, ERROR_SUCCESS, HKEY_CURRENT_USER},
        {"an empty subkey", HKEY_CURRENT_USER, "", ERROR_SUCCESS, HKEY_CURRENT_USER},
        {"no key and no subkey", nullptr, nullptr, ERROR_SUCCESS, nullptr},
        {"no key", nullptr, "Software\\Wine\\Test", ERROR_INVALID_HANDLE, preserve},
        {"an open handle and no subkey", preserve, nullptr, ERROR_SUCCESS, preserve},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        result = preserve;
        EXPECT_EQ(RegOpenKey(c.key, c.subKey, &result), c.status);
        EXPECT_EQ(result, c.after);
    }
    EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Software\\Wine\\Test", nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, nullptr, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKey(nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, "\\Software\\Wine\\Test", &result), ERROR_BAD_PATHNAME);

    for (const char* subKey : {static_cast<const char*>(nullptr), ""}) {
        result = nullptr;
        ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, subKey, 0, KEY_QUERY_VALUE, &result), ERROR_SUCCESS);
        EXPECT_EQ(result, HKEY_CLASSES_ROOT);
        result = preserve;
        ASSERT_EQ(RegOpenKeyEx(preserve, subKey, 0, KEY_QUERY_VALUE, &result), ERROR_SUCCESS);
        EXPECT_NE(result, preserve) << "the Ex call always opens a new handle";
        EXPECT_EQ(RegCloseKey(result), ERROR_SUCCESS);
    }
    result = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "\\", 0, KEY_QUERY_VALUE, &result), ERROR_SUCCESS);
    EXPECT_NE(result, HKEY_CLASSES_ROOT);
    EXPECT_EQ(RegCloseKey(result), ERROR_SUCCESS);
    result = preserve;
    EXPECT_EQ(RegOpenKeyEx(nullptr, "", 0, KEY_QUERY_VALUE, &result), ERROR_INVALID_HANDLE);
    EXPECT_EQ(result, preserve);
}

// Wine: test_reg_create_key, test_reg_close_key
TEST_F(ConfRegistry, CreateKeyIgnoresTheParentsRightsAndTrailingBackslashes) {
    HKEY notify = nullptr, child = nullptr;
    ASSERT_EQ(RegCreateKeyEx(main_, "Subkey1", 0, nullptr, 0, KEY_NOTIFY, nullptr, &notify, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCreateKeyEx(notify, "Subkey2", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &child, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(notify), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(notify), ERROR_INVALID_HANDLE) << "closed twice";
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);

    EXPECT_EQ(RegCreateKeyEx(main_, "\\Subkey3", 0, nullptr, 0, KEY_NOTIFY, nullptr, &child, nullptr),
              ERROR_BAD_PATHNAME);
    ASSERT_EQ(RegCreateKeyEx(main_, "Subkey4\\\\", 0, nullptr, 0, KEY_NOTIFY, nullptr, &child, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(child);
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyEx(main_, "Subkey4", 0, KEY_READ, &opened), ERROR_SUCCESS);
    RegCloseKey(opened);
}

// Wine: test_reg_delete_key, test_delete_value
TEST_F(ConfRegistry, DeleteKeyAndDeleteValue) {
    EXPECT_EQ(RegDeleteKey(main_, nullptr), ERROR_INVALID_PARAMETER);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKey(main_, "deleteme", &key), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(key, ""), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKey(main_, "deleteme", &key), ERROR_FILE_NOT_FOUND);

    for (const char* name : {"test", ""}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(SetSz(main_, name, "value", 6), ERROR_SUCCESS);
        EXPECT_EQ(RegQueryValueEx(main_, name, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
        EXPECT_EQ(RegDeleteValue(main_, name), ERROR_SUCCESS);
        EXPECT_EQ(RegQueryValueEx(main_, name, nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(RegDeleteValue(main_, name), ERROR_FILE_NOT_FOUND);
    }
    EXPECT_EQ(RegDeleteValue(main_, std::string(400, 'a').c_str()), ERROR_FILE_NOT_FOUND);
}

// Wine: test_reg_query_value
TEST_F(ConfRegistry, QueryValueAnswersTheDefaultString) {
    HKEY subkey = nullptr;
    ASSERT_EQ(RegCreateKey(main_, "subkey", &subkey), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValue(subkey, nullptr, REG_SZ, "data", 4), ERROR_SUCCESS);

    char value[260];
    LONG size = sizeof value;
    EXPECT_EQ(RegQueryValue(MakeHandle<HKEY>(0xcafebabe), "subkey", value, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValue(nullptr, "subkey", value, &size), ERROR_INVALID_HANDLE);
    size = sizeof value;
    EXPECT_EQ(RegQueryValue(main_, "subkey", nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 5);
    value[0] = '\0';
    EXPECT_EQ(RegQueryValue(main_, "subkey", value, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValue(main_, "subkey", nullptr, nullptr), ERROR_SUCCESS);
    size = 1;
    EXPECT_EQ(RegQueryValue(main_, "subkey", value, &size), ERROR_MORE_DATA);
    EXPECT_EQ(value[0], '\0') << "untouched";
    EXPECT_EQ(size, 5);
    for (HKEY key : {main_, subkey}) {
        size = sizeof value;
        ASSERT_EQ(RegQueryValue(key, key == main_ ? "subkey" : nullptr, value, &size), ERROR_SUCCESS);
        EXPECT_STREQ(value, "data");
        EXPECT_EQ(size, 5);
    }

    // A default value stored without its NUL is answered terminated, the NUL counted.
    ASSERT_EQ(SetSz(subkey, nullptr, "data", 4), ERROR_SUCCESS);
    std::memset(value, 'a', sizeof value);
    size = sizeof value;
    ASSERT_EQ(RegQueryValue(subkey, nullptr, value, &size), ERROR_SUCCESS);
    EXPECT_STREQ(value, "data");
    EXPECT_EQ(size, 5);
    RegCloseKey(subkey);
}

// Wine: test_reg_query_info
TEST_F(ConfRegistry, QueryInfoKey) {
    HKEY subkey = nullptr, subsubkey = nullptr;
    char subkeyClass[] = "subkey class";
    ASSERT_EQ(RegCreateKeyEx(main_, "subkey", 0, subkeyClass, 0, KEY_ALL_ACCESS, nullptr, &subkey, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegQueryInfoKey(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryInfoKey(subkey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    char classBuffer[32];
    std::memset(classBuffer, 0x55, sizeof classBuffer);
    EXPECT_EQ(RegQueryInfoKey(subkey, classBuffer, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(classBuffer[0], 0x55);
    DWORD classLength = 0;
    EXPECT_EQ(RegQueryInfoKey(subkey, classBuffer, &classLength, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS)
        << "a class buffer of no size";
    EXPECT_EQ(classLength, 0u);
    EXPECT_EQ(classBuffer[0], 0x55);

    struct Counts {
        DWORD subKeys, maxSubKey, maxClass, values, maxValueName, maxValue;
    };
    auto counts = [&](Counts& c) {
        FILETIME written{};
        DWORD classSize = 0, descriptor = 0;
        EXPECT_EQ(RegQueryInfoKey(subkey, nullptr, &classSize, nullptr, &c.subKeys, &c.maxSubKey, &c.maxClass,
                                  &c.values, &c.maxValueName, &c.maxValue, &descriptor, &written),
                  ERROR_SUCCESS);
        EXPECT_NE(written.dwLowDateTime, 0u);
        EXPECT_NE(written.dwHighDateTime, 0u);
    };
    Counts empty{};
    counts(empty);
    EXPECT_EQ(
        empty.subKeys + empty.maxSubKey + empty.maxClass + empty.values + empty.maxValueName + empty.maxValue,
        0u);

    ASSERT_EQ(
        RegCreateKeyEx(subkey, "subsubkey", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &subsubkey, nullptr),
        ERROR_SUCCESS);
    ASSERT_EQ(SetSz(subkey, nullptr, "data", 5), ERROR_SUCCESS);
    Counts filled{};
    counts(filled);
    EXPECT_EQ(filled.subKeys, 1u);
    EXPECT_EQ(filled.maxSubKey, std::strlen("subsubkey"));
    EXPECT_EQ(filled.values, 1u);
    EXPECT_EQ(filled.maxValueName, 0u);
    EXPECT_EQ(filled.maxValue, 5u) << "bytes as stored";
    ASSERT_EQ(SetSz(subkey, "value one", "first value data", 17), ERROR_SUCCESS);
    ASSERT_EQ(SetSz(subkey, "value 2", "second value data", 18), ERROR_SUCCESS);
    counts(filled);
    EXPECT_EQ(filled.values, 3u);
    EXPECT_EQ(filled.maxValueName, std::strlen("value one"));
    EXPECT_EQ(filled.maxValue, 18u);
    RegCloseKey(subsubkey);
    RegCloseKey(subkey);
}

// Wine: test_reg_delete_tree
TEST_F(ConfRegistry, DeleteTreeSequence) {
    HKEY subkey = nullptr, subkey2 = nullptr;
    ASSERT_EQ(RegCreateKey(main_, "subkey", &subkey), ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKey(subkey, "subkey2", &subkey2), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValue(subkey, nullptr, REG_SZ, "data", 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValue(subkey2, nullptr, REG_SZ, "data2", 5), ERROR_SUCCESS);
    RegCloseKey(subkey2);

    char buffer[260];
    LONG size = sizeof buffer;
    EXPECT_EQ(RegDeleteTree(subkey, "subkey2"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKey(subkey, "subkey2", &subkey2), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValue(subkey, nullptr, buffer, &size), ERROR_SUCCESS);

    RegCloseKey(Create("Software\\Wine\\Test\\subkey\\subkey2"));
    EXPECT_EQ(RegDeleteTree(main_, "subkey\\subkey2"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKey(subkey, "subkey2", &subkey2), ERROR_FILE_NOT_FOUND);

    RegCloseKey(Create("Software\\Wine\\Test\\subkey\\subkey2"));
    RegCloseKey(Create("Software\\Wine\\Test\\subkey\\subkey3"));
    ASSERT_EQ(SetSz(subkey, "value", "data2", 5), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTree(subkey, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKey(subkey, "subkey2", &subkey2), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKey(subkey, "subkey3", &subkey2), ERROR_FILE_NOT_FOUND);
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValue(subkey, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "") << "the default value went with the rest";
    EXPECT_EQ(RegQueryValueEx(subkey, "value", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(RegDeleteTree(subkey, ""), ERROR_SUCCESS);
    HKEY again = nullptr;
    EXPECT_EQ(RegOpenKey(main_, "subkey", &again), ERROR_SUCCESS) << "an empty name empties, never deletes";
    RegCloseKey(again);
    EXPECT_EQ(RegDeleteTree(main_, "not-here"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(subkey);
}

// Wine: test_classesroot_enum (its sequence on an ordinary key: the roots are not merged here)
TEST_F(ConfRegistry, EnumerationWithTwoByteBuffers) {
    HKEY key = Create("Software\\Classes\\WineTestCls");
    ASSERT_EQ(SetSz(key, "X", "AA", 3), ERROR_SUCCESS);
    ASSERT_EQ(SetSz(key, "Y", "B", 2), ERROR_SUCCESS);
    RegCloseKey(Create("Software\\Classes\\WineTestCls\\A"));
    RegCloseKey(Create("Software\\Classes\\WineTestCls\\B"));
    char buffer[2];
    for (DWORD index = 0; index < 2; ++index) {
        DWORD size = sizeof buffer;
        ASSERT_EQ(RegEnumValue(key, index, buffer, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
        EXPECT_EQ(buffer[0], "XY"[index]);
        ASSERT_EQ(RegEnumKey(key, index, buffer, sizeof buffer), ERROR_SUCCESS);
        EXPECT_EQ(buffer[0], "AB"[index]);
    }
    DWORD size = sizeof buffer;
    EXPECT_EQ(RegEnumValue(key, 2, buffer, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegEnumKey(key, 2, buffer, sizeof buffer), ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

// Wine: test_deleted_key
TEST_F(ConfRegistry, EveryCallOnADeletedKeySaysSo) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Software\\Wine\\Test", &key), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "Software\\Wine\\Test"), ERROR_SUCCESS);

    char value[20];
    DWORD count = sizeof value, type = 0;
    EXPECT_EQ(RegEnumValue(key, 0, value, &count, nullptr, &type, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegEnumKey(key, 0, value, sizeof value), ERROR_KEY_DELETED);
    count = sizeof value;
    EXPECT_EQ(RegQueryValueEx(key, "test", nullptr, &type, reinterpret_cast<BYTE*>(value), &count),
              ERROR_KEY_DELETED);
    EXPECT_EQ(SetSz(key, "test", "value", 6), ERROR_KEY_DELETED);
    HKEY child = nullptr;
    EXPECT_EQ(RegOpenKey(key, "test", &child), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCreateKey(key, "test", &child), ERROR_KEY_DELETED);
    EXPECT_EQ(RegFlushKey(key), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

}  // namespace conf_registry
