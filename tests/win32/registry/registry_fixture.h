// A temporary registry database and Windows directory for each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "support/tempdir.h"
#include "win32/registry.h"

namespace regtest {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::SetMimeTypesPath("");
        win32::testing::SetRegistryPath(dir_.File("registry.sqlite"));
        win32::testing::SetWindowsDirectory(dir_.File("windows"));
    }
    void TearDown() override { win32::testing::ResetPlatform(); }

    std::string DatabasePath() const { return dir_.File("registry.sqlite"); }

    // Creates (or opens) a key under HKEY_CURRENT_USER with every right.
    static win32::HKEY Create(const char* path) {
        win32::HKEY key = nullptr;
        EXPECT_EQ(win32::RegCreateKeyEx(win32::HKEY_CURRENT_USER, path, 0, nullptr, 0, win32::KEY_ALL_ACCESS,
                                        nullptr, &key, nullptr),
                  win32::ERROR_SUCCESS);
        return key;
    }
    static void SetString(win32::HKEY key, const char* name, const std::string& value) {
        ASSERT_EQ(win32::RegSetValueEx(key, name, 0, win32::REG_SZ,
                                       reinterpret_cast<const win32::BYTE*>(value.c_str()),
                                       static_cast<win32::DWORD>(value.size() + 1)),
                  win32::ERROR_SUCCESS);
    }
    static void SetDword(win32::HKEY key, const char* name, win32::DWORD value) {
        ASSERT_EQ(win32::RegSetValueEx(key, name, 0, win32::REG_DWORD,
                                       reinterpret_cast<const win32::BYTE*>(&value), 4),
                  win32::ERROR_SUCCESS);
    }
    // The status, type and bytes of a value.
    struct Value {
        win32::LSTATUS status = 0;
        win32::DWORD type = 0;
        std::string data;
    };
    static Value Get(win32::HKEY key, const char* name) {
        Value value;
        win32::DWORD size = 0;
        value.status = win32::RegQueryValueEx(key, name, nullptr, &value.type, nullptr, &size);
        if (value.status != win32::ERROR_SUCCESS) return value;
        value.data.resize(size);
        value.status = win32::RegQueryValueEx(key, name, nullptr, &value.type,
                                              reinterpret_cast<win32::BYTE*>(value.data.data()), &size);
        return value;
    }

    zyltest::TempDir dir_;
};

}  // namespace regtest
