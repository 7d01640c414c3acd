// A fresh platform with a temporary registry and Windows directory for each test of the stores,
// and helpers that look at what the stores wrote without going through them.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "pellic/zyltautostores.h"
#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "win32/registry.h"

namespace storetest {

// The registry key the stores' sections of most tests live in.
inline const std::string kSectionPath = "Software\\Company\\Product\\MySection";

class StoreTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        win32::testing::SetMimeTypesPath("");
        win32::testing::SetRegistryPath(dir_.File("registry.sqlite"));
        win32::testing::SetWindowsDirectory(dir_.File("windows"));
    }

    struct RawValue {
        bool found = false;
        win32::DWORD type = 0;
        std::string data;
    };

    // A value as the registry holds it, read with the platform's own calls.
    static RawValue Raw(win32::HKEY root, const std::string& path, const std::string& name) {
        RawValue value;
        win32::HKEY key = nullptr;
        if (win32::RegOpenKeyEx(root, path.c_str(), 0, win32::KEY_READ, &key) != win32::ERROR_SUCCESS)
            return value;
        win32::DWORD size = 0;
        if (win32::RegQueryValueEx(key, name.c_str(), nullptr, &value.type, nullptr, &size) ==
            win32::ERROR_SUCCESS) {
            value.data.resize(size);
            value.found = win32::RegQueryValueEx(key, name.c_str(), nullptr, &value.type,
                                                 reinterpret_cast<win32::BYTE*>(value.data.data()),
                                                 &size) == win32::ERROR_SUCCESS;
        }
        win32::RegCloseKey(key);
        return value;
    }

    static bool KeyExists(win32::HKEY root, const std::string& path) {
        win32::HKEY key = nullptr;
        if (win32::RegOpenKeyEx(root, path.c_str(), 0, win32::KEY_READ, &key) != win32::ERROR_SUCCESS)
            return false;
        win32::RegCloseKey(key);
        return true;
    }

    static void SetRawString(win32::HKEY root, const std::string& path, const std::string& name,
                             const std::string& value) {
        win32::HKEY key = nullptr;
        ASSERT_EQ(win32::RegCreateKeyEx(root, path.c_str(), 0, nullptr, 0, win32::KEY_ALL_ACCESS, nullptr,
                                        &key, nullptr),
                  win32::ERROR_SUCCESS);
        const std::string data = value + '\0';
        EXPECT_EQ(win32::RegSetValueEx(key, name.c_str(), 0, win32::REG_SZ,
                                       reinterpret_cast<const win32::BYTE*>(data.data()),
                                       static_cast<win32::DWORD>(data.size())),
                  win32::ERROR_SUCCESS);
        win32::RegCloseKey(key);
    }

    std::string IniPath() const { return dir_.File("settings.ini"); }

    // The file's bytes; empty when it does not exist.
    static std::string FileText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Points a data store at the temporary ini file or at the default registry location.
    void Configure(pellic::TZylDataStore& store, pellic::TZylDatatype type) const {
        store.SetDatatype(type);
        store.Inifile()->SetFilename(IniPath());
    }

    // Counts the data store's error reports.
    struct Errors {
        int count = 0;
        vcl::TObject* sender = nullptr;
        void Watch(pellic::TZylDataStore& store) {
            store.OnError = [this](vcl::TObject* s) {
                ++count;
                sender = s;
            };
        }
    };

    zyltest::TempDir dir_;
};

}  // namespace storetest
