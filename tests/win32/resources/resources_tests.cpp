// Resources compiled into a program: finding them by module, type and name, and loading images.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/kernel.h"
#include "win32/resources.h"

using namespace win32;

TEST(Resources, FoundByModuleTypeAndNameWithoutCase) {
    HMODULE module = GetModuleHandle("ZylTest");
    ASSERT_NE(module, nullptr);
    HRSRC greeting = FindResource(module, "greeting", RT_RCDATA);
    ASSERT_NE(greeting, nullptr);
    const auto* text = static_cast<const char*>(LockResource(LoadResource(module, greeting)));
    EXPECT_EQ(std::string(text, SizeofResource(module, greeting)), "Hello, resources.");

    EXPECT_EQ(FindResource(module, "GREETING", RT_BITMAP), nullptr);  // right name, wrong type
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(FindResource(module, "nothing", RT_RCDATA), nullptr);
    EXPECT_EQ(FindResource(GetModuleHandle(nullptr), "greeting", RT_RCDATA), nullptr);  // another module
    EXPECT_EQ(GetModuleHandle("no such module"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(FindResource(MakeHandle<HMODULE>(12345), "greeting", RT_RCDATA), nullptr);
    EXPECT_EQ(SizeofResource(module, MakeHandle<HRSRC>(0xDEAD)), 0u);
    EXPECT_EQ(LockResource(nullptr), nullptr);
}

TEST(Resources, BitmapsAndIconsLoadFromTheirModule) {
    HMODULE module = GetModuleHandle("zyltest");
    HBITMAP bitmap = LoadBitmap(module, "Checker");
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObject(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 2);
    EXPECT_EQ(info.bmHeight, 2);
    DeleteObject(bitmap);

    HANDLE image = LoadImage(module, "CHECKER", IMAGE_BITMAP, 0, 0, 0);
    EXPECT_NE(image, nullptr);
    DeleteObject(image);

    HICON icon = LoadIcon(module, "bell");
    ASSERT_NE(icon, nullptr);
    ICONINFO iconInfo{};
    ASSERT_TRUE(GetIconInfo(icon, &iconInfo));
    if (iconInfo.hbmColor) DeleteObject(iconInfo.hbmColor);
    if (iconInfo.hbmMask) DeleteObject(iconInfo.hbmMask);
    DestroyIcon(icon);

    EXPECT_EQ(LoadBitmap(module, "bell"), nullptr);  // an icon is no bitmap
    EXPECT_EQ(LoadIcon(module, "missing"), nullptr);
}

TEST(Resources, EnumeratedByTypeInTheirOrderWithNumericNamesAsIds) {
    HMODULE module = GetModuleHandle("zyltest");
    std::vector<std::string> names;
    auto collect = [](HMODULE, const char*, char* name, LONG_PTR param) -> BOOL {
        auto* out = reinterpret_cast<std::vector<std::string>*>(param);
        out->push_back(IS_INTRESOURCE(name) ? "id " + std::to_string(reinterpret_cast<UINT_PTR>(name))
                                            : name);
        return TRUE;
    };
    ASSERT_TRUE(EnumResourceNames(module, RT_GROUP_ICON, collect, reinterpret_cast<LONG_PTR>(&names)));
    ASSERT_TRUE(EnumResourceNames(module, "avi", collect, reinterpret_cast<LONG_PTR>(&names)));
    EXPECT_EQ(names, (std::vector<std::string>{"BELL", "id 12"}));
    HRSRC clip = FindResource(module, MAKEINTRESOURCEA(12), "AVI");
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(LockResource(LoadResource(module, clip))), 4), "RIFF");
    EXPECT_EQ(FindResource(module, MAKEINTRESOURCEA(12), RT_RCDATA), nullptr)
        << "a named type is no numbered one";
    EXPECT_FALSE(EnumResourceNames(module, RT_CURSOR, collect, reinterpret_cast<LONG_PTR>(&names)));
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
}
