// Shared helpers of the menu model tests: a fresh platform per test, a streamable owner for items
// and menus, and readers of native menu entries.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ribola/zylmenu.h"
#include "vcl/streaming.h"
#include "win32/kernel.h"
#include "win32/menu.h"
#include "win32/sysinfo.h"

namespace zyltest {

// The form-like root that owns the menus and items of a test.
class TMenuHost : public vcl::TComponent {
    VCL_CLASS(TMenuHost, vcl::TComponent)
public:
    explicit TMenuHost(vcl::TComponent* owner) : TComponent(owner) {}
};

// What one native entry holds.
struct NativeEntry {
    win32::UINT type = 0;
    win32::UINT state = 0;
    win32::UINT id = 0;
    win32::HMENU submenu = nullptr;
    win32::HBITMAP bitmap = nullptr;  // of a bitmap entry
    std::string text;
};

inline NativeEntry EntryAt(win32::HMENU menu, int position) {
    NativeEntry entry;
    win32::MENUITEMINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = win32::MIIM_TYPE | win32::MIIM_STATE | win32::MIIM_ID | win32::MIIM_SUBMENU;
    char buffer[256] = {};
    info.dwTypeData = buffer;
    info.cch = sizeof(buffer);
    EXPECT_TRUE(win32::GetMenuItemInfo(menu, static_cast<win32::UINT>(position), win32::TRUE, &info));
    entry.type = info.fType;
    entry.state = info.fState;
    entry.id = info.wID;
    entry.submenu = info.hSubMenu;
    if (info.fType & win32::MFT_BITMAP) entry.bitmap = reinterpret_cast<win32::HBITMAP>(info.dwTypeData);
    char text[256] = {};
    win32::GetMenuString(menu, static_cast<win32::UINT>(position), text, sizeof(text), win32::MF_BYPOSITION);
    entry.text = text;
    return entry;
}

inline std::vector<NativeEntry> Entries(win32::HMENU menu) {
    std::vector<NativeEntry> entries;
    const int count = win32::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        entries.push_back(EntryAt(menu, i));
    return entries;
}

inline std::vector<std::string> Texts(win32::HMENU menu) {
    std::vector<std::string> texts;
    for (const NativeEntry& entry : Entries(menu))
        texts.push_back(entry.text);
    return texts;
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        vcl::RegisterClass<TMenuHost>();
        host_ = new TMenuHost(nullptr);
        host_->SetName("Host");
    }

    void TearDown() override {
        host_->Free();
        win32::testing::SetReportedVersion(5, 0, 2195);
        win32::testing::ResetPlatform();
    }

    // An item owned by the host.
    ribola::TZylMenuItem* NewItem(const std::string& caption, vcl::Byte groupIndex = 0) {
        auto* item = new ribola::TZylMenuItem(host_);
        item->SetCaption(caption);
        item->SetGroupIndex(groupIndex);
        return item;
    }

    ribola::TZylMenuItem* AddItem(ribola::TZylMenuItem* parent, const std::string& caption,
                                  vcl::Byte groupIndex = 0) {
        ribola::TZylMenuItem* item = NewItem(caption, groupIndex);
        parent->Add(item);
        return item;
    }

    template <typename M>
    M* NewMenu(bool newStyles = false) {
        auto* menu = new M(host_);
        menu->SetNewStyles(newStyles);
        return menu;
    }

    static std::vector<std::string> Captions(const ribola::TZylMenuItem* parent) {
        std::vector<std::string> captions;
        for (vcl::Integer i = 0; i < parent->Count(); ++i)
            captions.push_back(parent->Items(i)->Caption());
        return captions;
    }

    static std::vector<int> Groups(const ribola::TZylMenuItem* parent) {
        std::vector<int> groups;
        for (vcl::Integer i = 0; i < parent->Count(); ++i)
            groups.push_back(parent->Items(i)->GroupIndex());
        return groups;
    }

    TMenuHost* host_ = nullptr;
};

}  // namespace zyltest
