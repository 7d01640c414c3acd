// Conformance of the menu functions with Win32, with the values and sequences of Wine's menu tests.
#include <algorithm>
#include <cstring>
#include <string>

#include "win32/gdi.h"
#include "win32/menu/menu_fixture.h"

namespace conf_menu {

using namespace win32;
using ConfMenu = menutest::MenuTest;

constexpr UINT kNone = static_cast<UINT>(-1);
const HBITMAP kSmallRecord = MakeHandle<HBITMAP>(0xDEADBEEF);  // asks for the record without hbmpItem

// What dwTypeData holds going in and, unchanged or rewritten, coming out.
enum class Data { Null, Text, Buffer, Bitmap, Empty };

struct Fixture {
    HBITMAP bitmap = CreateBitmap(1, 1, 1, 1, nullptr);
    char text[8] = "wine";
    char empty[1] = "";
    char buffer[80] = "XYZ";
    ~Fixture() { DeleteObject(bitmap); }

    LPSTR Pointer(Data data) {
        switch (data) {
            case Data::Text:
                return text;
            case Data::Buffer:
                return buffer;
            case Data::Bitmap:
                return reinterpret_cast<LPSTR>(bitmap);
            case Data::Empty:
                return empty;
            case Data::Null:
                break;
        }
        return nullptr;
    }
    HBITMAP Item(HBITMAP value) const;
};
// Stands for the fixture's real bitmap in the tables.
const HBITMAP kBitmap = MakeHandle<HBITMAP>(0xB17B17);

HBITMAP Fixture::Item(HBITMAP value) const {
    return value == kBitmap ? bitmap : value;
}

MENUITEMINFO Record(UINT mask, HBITMAP item) {
    MENUITEMINFO info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = item == kSmallRecord ? offsetof(MENUITEMINFO, hbmpItem) : sizeof info;
    info.fMask = mask;
    info.hbmpItem = item == kSmallRecord ? nullptr : item;
    return info;
}

BOOL Insert(HMENU menu, Fixture& f, UINT mask, UINT type, Data data, HBITMAP item = nullptr) {
    MENUITEMINFO info = Record(mask, f.Item(item));
    info.fType = type;
    info.dwTypeData = f.Pointer(data);
    return InsertMenuItem(menu, 0, TRUE, &info);
}

BOOL Set(HMENU menu, Fixture& f, UINT mask, UINT type, Data data, HBITMAP item = nullptr) {
    MENUITEMINFO info = Record(mask, f.Item(item));
    info.fType = type;
    info.dwTypeData = f.Pointer(data);
    return SetMenuItemInfo(menu, 0, TRUE, &info);
}

// GetMenuItemInfo with a record filled with 0xCC, as the Wine helper does.
MENUITEMINFO Query(HMENU menu, Fixture& f, UINT mask, Data data, UINT length, BOOL* ok) {
    MENUITEMINFO info;
    std::memset(&info, 0xCC, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = mask;
    info.dwTypeData = f.Pointer(data);
    info.cch = length;
    std::strcpy(f.buffer, "XYZ");
    *ok = GetMenuItemInfo(menu, 0, TRUE, &info);
    return info;
}

// Wine: test_menu_iteminfo (insert with one record, read back with another)
TEST_F(ConfMenu, ItemInfoTypeStringAndBitmapTable) {
    struct Case {
        UINT insertMask, insertType;
        Data insertData;
        HBITMAP insertItem;
        bool inserts;
        UINT getMask;
        Data data;  // in and out
        UINT length, outLength, outType;
        HBITMAP outItem;
        const char* name;  // what the buffer holds afterwards
    } cases[] = {
        {MIIM_TYPE, MFT_STRING, Data::Text, nullptr, true, MIIM_TYPE, Data::Buffer, 80, 4, MFT_STRING,
         nullptr, "wine"},
        {MIIM_TYPE, MFT_STRING | MFT_OWNERDRAW, Data::Text, nullptr, true, MIIM_TYPE, Data::Null, 80, 0,
         MFT_OWNERDRAW, nullptr, nullptr},
        {MIIM_TYPE, MFT_BITMAP, Data::Bitmap, nullptr, true, MIIM_TYPE, Data::Bitmap, 80, 0, MFT_BITMAP,
         kBitmap, nullptr},
        {MIIM_TYPE, MFT_BITMAP | MFT_OWNERDRAW, Data::Bitmap, nullptr, true, MIIM_TYPE, Data::Bitmap, 80, 0,
         MFT_BITMAP | MFT_OWNERDRAW, kBitmap, nullptr},
        {MIIM_TYPE, MFT_STRING, Data::Text, nullptr, true, MIIM_TYPE, Data::Null, 0, 4, MFT_STRING, nullptr,
         nullptr},
        {MIIM_TYPE, MFT_STRING, Data::Text, nullptr, true, MIIM_TYPE, Data::Buffer, 4, 3, MFT_STRING, nullptr,
         "win"},
        {MIIM_FTYPE | MIIM_STRING, MFT_OWNERDRAW, Data::Null, nullptr, true, MIIM_TYPE, Data::Null, 0, 0,
         MFT_OWNERDRAW, nullptr, nullptr},
        // MIIM_TYPE does not combine with MIIM_STRING, MIIM_FTYPE or MIIM_BITMAP.
        {MIIM_TYPE | MIIM_STRING, MFT_STRING, Data::Text, nullptr, false, 0, Data::Null, 0, 0, 0, nullptr,
         nullptr},
        {MIIM_TYPE | MIIM_BITMAP, MFT_BITMAP, Data::Bitmap, kBitmap, false, 0, Data::Null, 0, 0, 0, nullptr,
         nullptr},
        {MIIM_TYPE, MFT_STRING, Data::Text, nullptr, true, MIIM_STRING | MIIM_FTYPE, Data::Buffer, 80, 4,
         MFT_STRING, nullptr, "wine"},
        // Owner-drawn entries made with MIIM_TYPE keep no label.
        {MIIM_TYPE, MFT_STRING | MFT_OWNERDRAW, Data::Text, nullptr, true, MIIM_STRING | MIIM_FTYPE,
         Data::Buffer, 80, 0, MFT_OWNERDRAW, nullptr, ""},
        {MIIM_TYPE, MFT_STRING, Data::Text, nullptr, true, 0, Data::Buffer, 80, 80, kNone, nullptr, "XYZ"},
        // ...but MIIM_STRING gives them one.
        {MIIM_STRING | MIIM_FTYPE, MFT_STRING | MFT_OWNERDRAW, Data::Text, nullptr, true,
         MIIM_STRING | MIIM_FTYPE, Data::Buffer, 80, 4, MFT_OWNERDRAW, nullptr, "wine"},
        {MIIM_STRING | MIIM_FTYPE, MFT_STRING | MFT_OWNERDRAW, Data::Text, nullptr, true, MIIM_TYPE,
         Data::Null, 80, 4, MFT_OWNERDRAW, nullptr, nullptr},
        // An entry with nothing to show is a separator.
        {MIIM_STRING | MIIM_FTYPE, MFT_STRING, Data::Null, nullptr, true, MIIM_STRING | MIIM_FTYPE,
         Data::Buffer, 80, 0, MFT_SEPARATOR, nullptr, ""},
        {MIIM_BITMAP, 0, Data::Null, kBitmap, true, MIIM_TYPE, Data::Bitmap, 80, 0, MFT_BITMAP, kBitmap,
         nullptr},
        {MIIM_BITMAP, 0, Data::Null, kBitmap, true, MIIM_BITMAP | MIIM_FTYPE, Data::Buffer, 80, 80, 0,
         kBitmap, "XYZ"},
        // MFT_BITMAP cannot be set through MIIM_FTYPE.
        {MIIM_BITMAP | MIIM_FTYPE, MFT_BITMAP, Data::Null, kBitmap, false, 0, Data::Null, 0, 0, 0, nullptr,
         nullptr},
        {MIIM_FTYPE, MFT_BITMAP, Data::Null, nullptr, false, 0, Data::Null, 0, 0, 0, nullptr, nullptr},
        {MIIM_BITMAP | MIIM_FTYPE, MFT_OWNERDRAW, Data::Null, kBitmap, true, MIIM_BITMAP | MIIM_FTYPE,
         Data::Buffer, 80, 80, MFT_OWNERDRAW, kBitmap, "XYZ"},
        {MIIM_TYPE, MFT_SEPARATOR, Data::Text, nullptr, true, MIIM_TYPE, Data::Null, 80, 0, MFT_SEPARATOR,
         nullptr, nullptr},
        {MIIM_TYPE, MFT_BITMAP | MFT_SEPARATOR, Data::Bitmap, nullptr, true, MIIM_TYPE, Data::Bitmap, 80, 0,
         MFT_BITMAP | MFT_SEPARATOR, kBitmap, nullptr},
        {MIIM_STRING | MIIM_BITMAP, 0, Data::Text, kBitmap, true, MIIM_FTYPE | MIIM_STRING | MIIM_BITMAP,
         Data::Buffer, 80, 4, MFT_STRING, kBitmap, "wine"},
        // With a label and a picture, MIIM_TYPE answers with the picture and the label's length.
        {MIIM_STRING | MIIM_BITMAP, 0, Data::Text, kBitmap, true, MIIM_TYPE, Data::Bitmap, 80, 4, MFT_BITMAP,
         kBitmap, nullptr},
        {MIIM_FTYPE | MIIM_STRING, MFT_SEPARATOR, Data::Text, nullptr, true, MIIM_TYPE, Data::Null, 80, 4,
         MFT_SEPARATOR, nullptr, nullptr},
        {MIIM_FTYPE | MIIM_STRING | MIIM_BITMAP, MFT_SEPARATOR, Data::Text, kBitmap, true, MIIM_TYPE,
         Data::Bitmap, 80, 4, MFT_SEPARATOR | MFT_BITMAP, kBitmap, nullptr},
        {MIIM_FTYPE | MIIM_STRING | MIIM_BITMAP, MFT_OWNERDRAW, Data::Text, kBitmap, true, MIIM_TYPE,
         Data::Bitmap, 80, 4, MFT_BITMAP | MFT_OWNERDRAW, kBitmap, nullptr},
        // The shorter record has no hbmpItem: MIIM_BITMAP is passed over.
        {MIIM_BITMAP, 0, Data::Null, kSmallRecord, true, MIIM_TYPE, Data::Null, 80, 0, MFT_SEPARATOR, nullptr,
         nullptr},
        {MIIM_STRING | MIIM_BITMAP, 0, Data::Text, kSmallRecord, true, MIIM_TYPE, Data::Buffer, 80, 4,
         MFT_STRING, nullptr, "wine"},
        {MIIM_TYPE, MFT_BITMAP | MFT_MENUBARBREAK | MFT_RADIOCHECK | MFT_RIGHTJUSTIFY | MFT_RIGHTORDER,
         Data::Bitmap, nullptr, true, MIIM_TYPE, Data::Bitmap, 80, 0,
         MFT_BITMAP | MFT_MENUBARBREAK | MFT_RADIOCHECK | MFT_RIGHTJUSTIFY | MFT_RIGHTORDER, kBitmap,
         nullptr},
    };
    Fixture f;
    int line = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(line++);
        HMENU m = CreateMenu();
        ASSERT_EQ(Insert(m, f, c.insertMask, c.insertType, c.insertData, c.insertItem) != FALSE, c.inserts);
        if (c.inserts) {
            BOOL ok = FALSE;
            const MENUITEMINFO info = Query(m, f, c.getMask, c.data, c.length, &ok);
            ASSERT_TRUE(ok);
            if (c.outType != kNone) {
                EXPECT_EQ(info.fType, c.outType);
            }
            EXPECT_EQ(info.dwTypeData, f.Pointer(c.data));
            EXPECT_EQ(info.cch, c.outLength);
            if (c.getMask & MIIM_BITMAP) {
                EXPECT_EQ(info.hbmpItem, f.Item(c.outItem));
            }
            if (c.name) {
                EXPECT_STREQ(info.dwTypeData, c.name);
            }
        }
        DestroyMenu(m);
    }
    // MIIM_TYPE does not combine with MIIM_STRING or MIIM_FTYPE when reading either.
    HMENU m = CreateMenu();
    ASSERT_TRUE(Insert(m, f, MIIM_TYPE, MFT_STRING, Data::Text));
    for (UINT mask : {MIIM_TYPE | MIIM_STRING, MIIM_TYPE | MIIM_FTYPE}) {
        BOOL ok = TRUE;
        SetLastError(0);
        Query(m, f, mask, Data::Buffer, 80, &ok);
        EXPECT_FALSE(ok);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    DestroyMenu(m);
}

// Wine: test_menu_iteminfo (ModifyMenu and SetMenuItemInfo on an existing entry)
TEST_F(ConfMenu, ChangingAnEntryKeepsWhatTheChangeDoesNotReplace) {
    Fixture f;
    BOOL ok = FALSE;
    const auto fresh = [&](UINT mask, UINT type, Data data, HBITMAP item) {
        HMENU m = CreateMenu();
        EXPECT_TRUE(Insert(m, f, mask, type, data, item));
        return m;
    };
    // A label survives a change to owner-draw, and owner-draw keeps the data.
    HMENU m = fresh(MIIM_STRING, 0, Data::Text, nullptr);
    ASSERT_TRUE(ModifyMenu(m, 0, MF_BYPOSITION | MF_OWNERDRAW, kNone, reinterpret_cast<LPCSTR>(787)));
    MENUITEMINFO info = Query(m, f, MIIM_FTYPE | MIIM_STRING | MIIM_DATA, Data::Buffer, 80, &ok);
    EXPECT_EQ(info.fType, MFT_OWNERDRAW);
    EXPECT_EQ(info.dwItemData, 787u);
    EXPECT_STREQ(f.buffer, "wine");
    DestroyMenu(m);
    // A bitmap replaces the label.
    m = fresh(MIIM_STRING, 0, Data::Text, nullptr);
    ASSERT_TRUE(ModifyMenu(m, 0, MF_BYPOSITION | MF_BITMAP, 545, reinterpret_cast<LPCSTR>(f.bitmap)));
    info = Query(m, f, MIIM_FTYPE | MIIM_STRING | MIIM_BITMAP | MIIM_ID, Data::Buffer, 80, &ok);
    EXPECT_EQ(info.fType, MFT_BITMAP);
    EXPECT_EQ(info.wID, 545u);
    EXPECT_EQ(info.cch, 0u);
    EXPECT_EQ(info.hbmpItem, f.bitmap);
    DestroyMenu(m);
    // A label replaces hbmpItem; no label at all makes a separator, an empty one a string.
    const struct {
        Data data;
        UINT type, length;
    } labels[] = {{Data::Text, MFT_STRING, 4}, {Data::Null, MFT_SEPARATOR, 0}, {Data::Empty, MFT_STRING, 0}};
    for (const auto& label : labels) {
        m = fresh(MIIM_BITMAP, 0, Data::Null, kBitmap);
        ASSERT_TRUE(ModifyMenu(m, 0, MF_BYPOSITION | MF_STRING, 545, f.Pointer(label.data)));
        info = Query(m, f, MIIM_FTYPE | MIIM_STRING | MIIM_BITMAP | MIIM_ID, Data::Buffer, 80, &ok);
        EXPECT_EQ(info.fType, label.type);
        EXPECT_EQ(info.cch, label.length);
        EXPECT_EQ(info.hbmpItem, nullptr);
        DestroyMenu(m);
    }
    // Owner-draw keeps hbmpItem.
    m = fresh(MIIM_BITMAP, 0, Data::Null, kBitmap);
    ASSERT_TRUE(ModifyMenu(m, 0, MF_BYPOSITION | MF_OWNERDRAW, kNone, reinterpret_cast<LPCSTR>(232)));
    info = Query(m, f, MIIM_FTYPE | MIIM_BITMAP | MIIM_DATA, Data::Null, 0, &ok);
    EXPECT_EQ(info.fType, MFT_OWNERDRAW);
    EXPECT_EQ(info.hbmpItem, f.bitmap);
    EXPECT_EQ(info.dwItemData, 232u);
    DestroyMenu(m);
    // MIIM_TYPE to owner-draw keeps the label; MIIM_STRING on a separator keeps MFT_SEPARATOR.
    m = fresh(MIIM_TYPE, MFT_STRING, Data::Text, nullptr);
    ASSERT_TRUE(Set(m, f, MIIM_TYPE, MFT_OWNERDRAW, Data::Null));
    info = Query(m, f, MIIM_STRING | MIIM_FTYPE, Data::Buffer, 80, &ok);
    EXPECT_EQ(info.fType, MFT_OWNERDRAW);
    EXPECT_STREQ(f.buffer, "wine");
    DestroyMenu(m);
    m = fresh(MIIM_STRING | MIIM_FTYPE, MFT_STRING, Data::Null, nullptr);
    ASSERT_TRUE(Set(m, f, MIIM_STRING, 0, Data::Text));
    info = Query(m, f, MIIM_STRING | MIIM_FTYPE, Data::Buffer, 80, &ok);
    EXPECT_EQ(info.fType, MFT_SEPARATOR);
    EXPECT_EQ(info.cch, 4u);
    DestroyMenu(m);
    // MIIM_TYPE reports MFT_BITMAP for as long as hbmpItem holds a picture.
    m = fresh(MIIM_TYPE, MFT_BITMAP, Data::Bitmap, nullptr);
    ASSERT_TRUE(Set(m, f, MIIM_FTYPE, MFT_OWNERDRAW, Data::Null));
    EXPECT_EQ(Query(m, f, MIIM_FTYPE, Data::Null, 80, &ok).fType, MFT_OWNERDRAW);
    info = Query(m, f, MIIM_TYPE, Data::Bitmap, 80, &ok);
    EXPECT_EQ(info.fType, MFT_BITMAP | MFT_OWNERDRAW);
    EXPECT_EQ(info.dwTypeData, reinterpret_cast<LPSTR>(f.bitmap));
    ASSERT_TRUE(Set(m, f, MIIM_BITMAP, 0, Data::Null, nullptr));
    info = Query(m, f, MIIM_TYPE, Data::Null, 80, &ok);
    EXPECT_EQ(info.fType, MFT_OWNERDRAW);
    EXPECT_EQ(info.cch, 0u);
    // Every state flag comes back; MIIM_CHECKMARKS leaves the type alone.
    MENUITEMINFO state = Record(MIIM_STATE | MIIM_CHECKMARKS, nullptr);
    state.fType = MFT_RADIOCHECK;
    state.fState = MFS_CHECKED | MFS_DEFAULT | MFS_GRAYED | MFS_HILITE;
    state.hbmpChecked = state.hbmpUnchecked = f.bitmap;
    ASSERT_TRUE(SetMenuItemInfo(m, 0, TRUE, &state));
    info = Query(m, f, MIIM_STATE | MIIM_CHECKMARKS | MIIM_FTYPE, Data::Null, 0, &ok);
    EXPECT_EQ(info.fState, state.fState);
    EXPECT_EQ(info.fType, MFT_OWNERDRAW);
    EXPECT_EQ(info.hbmpChecked, f.bitmap);
    DestroyMenu(m);
}

// Wine: test_AppendMenu (MIIM_TYPE on an entry with a label and a picture)
TEST_F(ConfMenu, TypeQueryOfAPictureEntryNeverWritesThroughDwTypeData) {
    Fixture f;
    const struct {
        HBITMAP item;
        bool picture;
    } cases[] = {{kBitmap, true}, {HBMMENU_POPUP_RESTORE, false}};
    for (const auto& c : cases) {
        HMENU m = CreateMenu();
        char label[] = "string";
        MENUITEMINFO in = Record(MIIM_STRING | MIIM_BITMAP, f.Item(c.item));
        in.dwTypeData = label;
        ASSERT_TRUE(InsertMenuItem(m, 0, TRUE, &in));
        char buffer[16];
        std::memset(buffer, 0x81, sizeof buffer);
        MENUITEMINFO info;
        std::memset(&info, 0x81, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = MIIM_TYPE;
        // A caller may pass the bitmap it expects back as dwTypeData.
        info.dwTypeData = c.picture ? reinterpret_cast<LPSTR>(f.bitmap) : buffer;
        info.cch = sizeof buffer;
        ASSERT_TRUE(GetMenuItemInfo(m, 0, TRUE, &info));
        EXPECT_EQ(info.fType, c.picture ? MF_BITMAP : MF_STRING);
        EXPECT_EQ(info.fState, 0x81818181u);
        EXPECT_EQ(info.wID, 0x81818181u);
        EXPECT_EQ(info.hSubMenu, nullptr);
        EXPECT_EQ(info.dwItemData, static_cast<ULONG_PTR>(0x8181818181818181ull));
        EXPECT_EQ(info.cch, 6u);
        EXPECT_EQ(info.hbmpItem, f.Item(c.item));
        if (c.picture) {
            EXPECT_EQ(info.dwTypeData, reinterpret_cast<LPSTR>(f.bitmap));
        } else {
            EXPECT_STREQ(buffer, "string");
        }
        DestroyMenu(m);
    }
}

// Wine: test_menu_add_string
TEST_F(ConfMenu, OwnerDrawnLabelsAndTypeChanges) {
    Fixture f;
    HMENU m = CreateMenu();
    char dummy[] = "Dummy string";
    MENUITEMINFO info = Record(MIIM_FTYPE | MIIM_STRING, nullptr);
    info.fType = MFT_OWNERDRAW;
    info.dwTypeData = dummy;
    ASSERT_TRUE(InsertMenuItem(m, 0, TRUE, &info));
    char back[99];
    EXPECT_GT(GetMenuString(m, 0, back, sizeof back, MF_BYPOSITION), 0);
    EXPECT_STREQ(back, "Dummy string");
    // A type change alone keeps the label; MFT_BITMAP through MIIM_FTYPE fails.
    ASSERT_TRUE(Set(m, f, MIIM_FTYPE, MFT_STRING, Data::Text));
    GetMenuString(m, 0, back, sizeof back, MF_BYPOSITION);
    EXPECT_STREQ(back, "Dummy string");
    SetLastError(0);
    EXPECT_FALSE(Set(m, f, MIIM_FTYPE, MFT_BITMAP, Data::Text));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    ASSERT_TRUE(Set(m, f, MIIM_STRING, 0, Data::Text));
    GetMenuString(m, 0, back, sizeof back, MF_BYPOSITION);
    EXPECT_STREQ(back, "wine");
    // An owner-drawn entry without a label has no string.
    info.dwTypeData = nullptr;
    ASSERT_TRUE(InsertMenuItem(m, 0, TRUE, &info));
    EXPECT_EQ(GetMenuString(m, 0, nullptr, 0, MF_BYPOSITION), 0);
    for (BOOL byPosition : {TRUE, FALSE}) {
        SetLastError(0);
        EXPECT_FALSE(SetMenuItemInfo(m, 0, byPosition, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    DestroyMenu(m);
}

struct Layout {
    UINT type, state, id;
    const char* text;
};

void ExpectLayout(HMENU m, std::initializer_list<Layout> expected) {
    ASSERT_EQ(GetMenuItemCount(m), static_cast<int>(expected.size()));
    int i = 0;
    for (const Layout& e : expected) {
        SCOPED_TRACE(i);
        char buffer[20];
        MENUITEMINFO info = Record(MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING, nullptr);
        info.dwTypeData = buffer;
        info.cch = sizeof buffer;
        ASSERT_TRUE(GetMenuItemInfo(m, static_cast<UINT>(i++), TRUE, &info));
        EXPECT_EQ(info.fType, e.type);
        EXPECT_EQ(info.fState, e.state);
        EXPECT_EQ(info.wID, e.id);
        EXPECT_EQ(info.cch, std::strlen(e.text));
        EXPECT_STREQ(buffer, e.text);
    }
}

// Wine: test_menu_resource_layout, test_AppendMenu
TEST_F(ConfMenu, SeparatorsAreGrayedAndNoLabelMakesOne) {
    HMENU m = CreateMenu();
    ASSERT_TRUE(AppendMenu(m, MF_STRING, 1, "F"));
    ASSERT_TRUE(AppendMenu(m, MF_STRING, 2, nullptr));
    ASSERT_TRUE(AppendMenu(m, MF_SEPARATOR, 3, nullptr));
    ASSERT_TRUE(AppendMenu(m, MF_STRING | MF_GRAYED, 5, "E"));
    ASSERT_TRUE(AppendMenu(m, MF_STRING, 7, ""));
    ASSERT_TRUE(AppendMenu(m, MF_SEPARATOR, 8, "separator"));
    ASSERT_TRUE(AppendMenu(m, MF_OWNERDRAW, 201, "item 1"));
    ExpectLayout(m, {{MF_STRING, MF_ENABLED, 1, "F"},
                     {MF_SEPARATOR, MF_GRAYED | MF_DISABLED, 2, ""},
                     {MF_SEPARATOR, MF_GRAYED | MF_DISABLED, 3, ""},
                     {MF_STRING, MF_GRAYED, 5, "E"},
                     {MF_STRING, MF_ENABLED, 7, ""},
                     {MF_SEPARATOR, MF_GRAYED | MF_DISABLED, 8, ""},
                     {MF_OWNERDRAW, MF_ENABLED, 201, ""}});
    EXPECT_EQ(GetMenuState(m, 3, MF_BYCOMMAND), MF_SEPARATOR | MF_GRAYED | MF_DISABLED);
    // An entry made from an id alone is a separator, and stays one through later changes.
    MENUITEMINFO info = Record(MIIM_ID, nullptr);
    info.wID = 206;
    ASSERT_TRUE(InsertMenuItem(m, 0, TRUE, &info));
    info.wID = 207;
    ASSERT_TRUE(SetMenuItemInfo(m, 0, TRUE, &info));
    EXPECT_EQ(GetMenuState(m, 0, MF_BYPOSITION), MF_SEPARATOR | MFS_GRAYED);
    DestroyMenu(m);
}

// Wine: test_menu_flags
TEST_F(ConfMenu, FlagCallsTakeHiliteButNotDefault) {
    HMENU bar = CreateMenu(), popup = CreatePopupMenu();
    AppendMenu(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), "Popup");
    ASSERT_TRUE(AppendMenu(popup, MF_STRING | MF_HILITE | MF_DEFAULT, 101, "Item 1"));
    ASSERT_TRUE(InsertMenu(popup, 1, MF_BYPOSITION | MF_STRING | MF_HILITE | MF_DEFAULT, 102, "Item 2"));
    ASSERT_TRUE(AppendMenu(popup, MF_STRING, 103, "Item 3"));
    ASSERT_TRUE(ModifyMenu(popup, 2, MF_BYPOSITION | MF_STRING | MF_HILITE | MF_DEFAULT, 103, "Item 3"));
    for (UINT position = 0; position < 3; ++position) {
        EXPECT_EQ(GetMenuState(popup, position, MF_BYPOSITION) & (MF_HILITE | MF_DEFAULT), MF_HILITE)
            << position;
    }
    EXPECT_EQ(GetMenuDefaultItem(popup, FALSE, 0), kNone);
    DestroyMenu(bar);
}

struct Entry {
    UINT flags;
    UINT id;
    LPCSTR data;
};

void ExpectEntries(HMENU m, std::initializer_list<Entry> expected) {
    ASSERT_EQ(GetMenuItemCount(m), static_cast<int>(expected.size()));
    int i = 0;
    for (const Entry& e : expected) {
        SCOPED_TRACE(i);
        char buffer[20];
        MENUITEMINFO info = Record(MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_BITMAP, nullptr);
        info.dwTypeData = buffer;
        info.cch = sizeof buffer;
        ASSERT_TRUE(GetMenuItemInfo(m, static_cast<UINT>(i++), TRUE, &info));
        EXPECT_EQ(info.fType, e.flags);
        EXPECT_EQ(info.wID, e.id);
        if (info.hbmpItem || !e.data) {
            EXPECT_EQ(info.hbmpItem, reinterpret_cast<HBITMAP>(const_cast<char*>(e.data)));
        } else {
            EXPECT_STREQ(buffer, e.data);
        }
    }
}

// Wine: test_InsertMenu
TEST_F(ConfMenu, NewEntriesStayLeftOfTheFrameButtons) {
    const LPCSTR system = reinterpret_cast<LPCSTR>(HandleValue(HBMMENU_SYSTEM));
    const auto appended = [](std::initializer_list<Entry> entries) {
        HMENU m = CreateMenu();
        for (const Entry& e : entries)
            EXPECT_TRUE(AppendMenu(m, e.flags, e.id, e.data));
        return m;
    };
    // InsertMenuItem does not set MFT_BITMAP for hbmpItem.
    const auto inserted = [](std::initializer_list<Entry> entries) {
        HMENU m = CreateMenu();
        for (const Entry& e : entries) {
            MENUITEMINFO info = Record(MIIM_FTYPE | MIIM_ID | MIIM_STATE, nullptr);
            info.wID = e.id;
            info.fType = e.flags & MF_HELP;
            if (e.flags & MF_BITMAP) {
                info.fMask |= MIIM_BITMAP;
                info.hbmpItem = reinterpret_cast<HBITMAP>(const_cast<char*>(e.data));
            } else if (e.flags & MF_SEPARATOR) {
                info.fType |= MFT_SEPARATOR;
            } else {
                info.fMask |= MIIM_STRING;
                info.dwTypeData = const_cast<LPSTR>(e.data);
            }
            EXPECT_TRUE(InsertMenuItem(m, kNone, TRUE, &info));
        }
        return m;
    };
    HMENU m = appended(
        {{MF_STRING, 1, "File"}, {MF_BITMAP | MF_HELP, SC_CLOSE, system}, {MF_STRING | MF_HELP, 2, "Help"}});
    ExpectEntries(
        m,
        {{MF_STRING, 1, "File"}, {MF_STRING | MF_HELP, 2, "Help"}, {MF_BITMAP | MF_HELP, SC_CLOSE, system}});
    DestroyMenu(m);
    m = appended({{MF_STRING, 1, "File"},
                  {MF_SEPARATOR | MF_HELP, SC_CLOSE, system},
                  {MF_STRING | MF_HELP, 2, "Help"}});
    ExpectEntries(m, {{MF_STRING, 1, "File"},
                      {MF_SEPARATOR | MF_HELP, SC_CLOSE, nullptr},
                      {MF_STRING | MF_HELP, 2, "Help"}});
    DestroyMenu(m);
    m = inserted(
        {{MF_STRING, 1, "File"}, {MF_BITMAP | MF_HELP, SC_CLOSE, system}, {MF_STRING | MF_HELP, 2, "Help"}});
    ExpectEntries(m, {{MF_STRING, 1, "File"}, {MF_STRING | MF_HELP, 2, "Help"}, {MF_HELP, SC_CLOSE, system}});
    DestroyMenu(m);
    Fixture f;
    const LPCSTR picture = reinterpret_cast<LPCSTR>(f.bitmap);
    m = appended(
        {{MF_STRING, 1, "File"}, {MF_BITMAP | MF_HELP, SC_CLOSE, picture}, {MF_STRING | MF_HELP, 2, "Help"}});
    ExpectEntries(
        m,
        {{MF_STRING, 1, "File"}, {MF_BITMAP | MF_HELP, SC_CLOSE, picture}, {MF_STRING | MF_HELP, 2, "Help"}});
    DestroyMenu(m);
    // A label that starts with a backspace is a help entry; a command that no entry has appends.
    m = appended({{MF_STRING, 1, "File"}});
    ASSERT_TRUE(InsertMenu(m, 999, MF_BYCOMMAND | MF_STRING, 3, "\bHelp"));
    ASSERT_TRUE(InsertMenu(m, 998, MF_BYCOMMAND | MF_STRING, 4, "Last"));
    ExpectEntries(m, {{MF_STRING, 1, "File"}, {MF_STRING | MF_HELP, 3, "Help"}, {MF_STRING, 4, "Last"}});
    MENUITEMINFO info = Record(MIIM_STRING | MIIM_ID, nullptr);
    char label[] = "Info";
    info.dwTypeData = label;
    info.wID = 5;
    ASSERT_TRUE(InsertMenuItem(m, 997, FALSE, &info));
    EXPECT_EQ(GetMenuItemID(m, 3), 5u);
    DestroyMenu(m);
}

// Wine: test_menu_search_bycommand
TEST_F(ConfMenu, AnItemThatOpensASubmenuIsFoundLastByItsCommand) {
    char text[32];
    const auto label = [&](HMENU m, UINT command) {
        text[0] = 0;
        GetMenuString(m, command, text, sizeof text, MF_BYCOMMAND);
        return std::string(text);
    };
    HMENU m = CreateMenu(), sub = CreateMenu();
    const auto subId = static_cast<UINT>(HandleValue(sub));
    ASSERT_TRUE(InsertMenu(m, 0, MF_BYPOSITION | MF_POPUP | MF_STRING, HandleValue(sub), "Case 2 SubMenu"));
    EXPECT_EQ(GetMenuItemID(m, 0), kNone);
    EXPECT_EQ(label(m, subId), "Case 2 SubMenu");
    MENUITEMINFO info = Record(MIIM_FTYPE | MIIM_STRING | MIIM_ID, nullptr);
    char after[] = "Case 2 MenuItem 1", before[] = "Case 2 MenuItem 2";
    info.wID = subId;
    info.dwTypeData = after;
    ASSERT_TRUE(InsertMenuItem(m, kNone, TRUE, &info));
    EXPECT_EQ(label(m, subId), "Case 2 MenuItem 1");
    info.dwTypeData = before;
    ASSERT_TRUE(InsertMenuItem(m, 0, TRUE, &info));
    EXPECT_EQ(label(m, subId), "Case 2 MenuItem 2");
    DestroyMenu(m);

    // The submenu's own entries come before the item that opens it.
    m = CreateMenu();
    sub = CreateMenu();
    ASSERT_TRUE(AppendMenu(m, MF_POPUP | MF_STRING, HandleValue(sub), "Submenu"));
    ASSERT_TRUE(AppendMenu(sub, MF_STRING, 102, "Item"));
    ASSERT_TRUE(AppendMenu(sub, MF_STRING, HandleValue(sub), "MenuItem"));
    info = Record(MIIM_ID, nullptr);
    info.wID = 101;
    ASSERT_TRUE(SetMenuItemInfo(m, 0, TRUE, &info));
    EXPECT_EQ(label(m, 101), "Submenu");
    EXPECT_EQ(label(m, 102), "Item");
    EXPECT_EQ(label(m, HandleValue(sub)), "MenuItem");
    DestroyMenu(m);
}

// Builds the menu of Wine's resource 1: File (100-103 with a separator) and Edit (200-204 with one).
HMENU ResourceMenu() {
    HMENU bar = CreateMenu(), file = CreatePopupMenu(), edit = CreatePopupMenu();
    for (UINT id : {100u, 101u, 102u, 0u, 103u})
        AppendMenu(file, id ? MF_STRING : MF_SEPARATOR, id, id ? "item" : nullptr);
    for (UINT id : {200u, 0u, 201u, 202u, 203u, 204u})
        AppendMenu(edit, id ? MF_STRING : MF_SEPARATOR, id, id ? "item" : nullptr);
    AppendMenu(bar, MF_POPUP, HandleValue(file), "&File");
    AppendMenu(bar, MF_POPUP, HandleValue(edit), "Edit");
    return bar;
}

// Every entry of the tree: `command` has the given type and state, plain ones none, separators gray.
void CheckRadioItems(HMENU m, UINT command, UINT type, UINT state) {
    for (int i = 0; i < GetMenuItemCount(m); ++i) {
        MENUITEMINFO info = Record(MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU, nullptr);
        ASSERT_TRUE(GetMenuItemInfo(m, static_cast<UINT>(i), TRUE, &info));
        if (info.hSubMenu) {
            EXPECT_EQ(info.wID, HandleValue(info.hSubMenu));
            CheckRadioItems(info.hSubMenu, command, type, state);
        } else if (info.wID == command) {
            EXPECT_EQ(info.fType, type) << command;
            EXPECT_EQ(info.fState, state) << command;
        } else if (info.fType == MFT_SEPARATOR) {
            EXPECT_EQ(info.fState, MFS_GRAYED);
            EXPECT_EQ(info.wID, 0u);
        } else {
            EXPECT_EQ(info.fType, 0u) << info.wID;
            EXPECT_EQ(info.fState, 0u) << info.wID;
        }
    }
}

void ClearTypeAndState(HMENU m, UINT command) {
    MENUITEMINFO info = Record(MIIM_FTYPE | MIIM_STATE, nullptr);
    ASSERT_TRUE(SetMenuItemInfo(m, command, FALSE, &info));
}

// Wine: test_CheckMenuRadioItem
TEST_F(ConfMenu, RadioRangesSkipMissingCommandsOtherMenusAndSeparators) {
    HMENU m = ResourceMenu();
    CheckRadioItems(m, kNone, 0, 0);
    EXPECT_TRUE(CheckMenuRadioItem(m, 100, 100, 100, MF_BYCOMMAND));
    CheckRadioItems(m, 100, MFT_RADIOCHECK, MFS_CHECKED);
    // Checking nothing clears the range and keeps MFT_RADIOCHECK.
    EXPECT_FALSE(CheckMenuRadioItem(m, 100, 100, kNone, MF_BYCOMMAND));
    CheckRadioItems(m, 100, MFT_RADIOCHECK, 0);
    ClearTypeAndState(m, 100);
    // The first entry found (the separator, command 0) is in File: Edit's 202 is passed over.
    EXPECT_FALSE(CheckMenuRadioItem(m, 0, 300, 202, MF_BYCOMMAND));
    CheckRadioItems(m, kNone, 0, 0);
    // The range may end at a command that no entry has.
    EXPECT_TRUE(CheckMenuRadioItem(m, 200, 300, 202, MF_BYCOMMAND));
    CheckRadioItems(m, 202, MFT_RADIOCHECK, MFS_CHECKED);
    EXPECT_FALSE(CheckMenuRadioItem(m, 202, 202, kNone, MF_BYCOMMAND));
    CheckRadioItems(m, 202, MFT_RADIOCHECK, 0);
    ClearTypeAndState(m, 202);
    EXPECT_FALSE(CheckMenuRadioItem(m, 0, 300, 0, MF_BYCOMMAND));  // a separator is never checked
    CheckRadioItems(m, kNone, 0, 0);
    // By position the range is clipped to the menu, and a whole range of commands costs no time.
    HMENU edit = GetSubMenu(m, 1);
    EXPECT_TRUE(CheckMenuRadioItem(edit, 2, 40, 3, MF_BYPOSITION));
    EXPECT_EQ(GetMenuState(edit, 202, MF_BYCOMMAND), MFT_RADIOCHECK | MF_CHECKED);
    EXPECT_TRUE(CheckMenuRadioItem(edit, 0, kNone, 201, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuState(edit, 202, MF_BYCOMMAND), MFT_RADIOCHECK);
    DestroyMenu(m);
}

// Wine: test_menu_getmenuinfo, test_menu_setmenuinfo
TEST_F(ConfMenu, MenuInfoChecksTheRecordFirstAndAppliesToSubmenus) {
    HMENU m = CreateMenu(), sub = CreateMenu();
    MENUITEMINFO item = Record(MIIM_SUBMENU, nullptr);
    item.hSubMenu = sub;
    ASSERT_TRUE(InsertMenuItem(m, 0, FALSE, &item));
    MENUINFO zero{};
    MENUINFO full{};
    full.cbSize = sizeof full;
    const struct {
        HMENU menu;
        MENUINFO* info;
        bool ok;
        DWORD error;
    } cases[] = {{m, nullptr, false, ERROR_INVALID_PARAMETER},
                 {m, &zero, false, ERROR_INVALID_PARAMETER},
                 {m, &full, true, 0xDEADBEEF},
                 {nullptr, &zero, false, ERROR_INVALID_PARAMETER},
                 {nullptr, &full, false, ERROR_INVALID_MENU_HANDLE}};
    for (const auto& c : cases) {
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(GetMenuInfo(c.menu, c.info) != FALSE, c.ok);
        EXPECT_EQ(GetLastError(), c.error);
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(SetMenuInfo(c.menu, c.info) != FALSE, c.ok);
        EXPECT_EQ(GetLastError(), c.error);
    }
    const auto style = [](HMENU menu) {
        MENUINFO info{};
        info.cbSize = sizeof info;
        info.fMask = MIM_STYLE;
        EXPECT_TRUE(GetMenuInfo(menu, &info));
        return info.dwStyle;
    };
    EXPECT_EQ(style(m) & MNS_CHECKORBMP, 0u);
    MENUINFO set{};
    set.cbSize = sizeof set;
    set.fMask = MIM_STYLE | MIM_APPLYTOSUBMENUS;
    set.dwStyle = MNS_CHECKORBMP;
    ASSERT_TRUE(SetMenuInfo(m, &set));
    EXPECT_EQ(style(sub) & MNS_CHECKORBMP, MNS_CHECKORBMP);
    set.fMask = MIM_STYLE;
    set.dwStyle = MNS_NOCHECK;
    ASSERT_TRUE(SetMenuInfo(m, &set));
    EXPECT_EQ(style(m) & MNS_NOCHECK, MNS_NOCHECK);
    EXPECT_EQ(style(sub) & MNS_NOCHECK, 0u);
    // The background brush comes back, and NULL clears it.
    HBRUSH brush = CreateSolidBrush(RGB(0xFF, 0, 0));
    for (HBRUSH value : {brush, static_cast<HBRUSH>(nullptr)}) {
        set.fMask = MIM_BACKGROUND;
        set.hbrBack = value;
        ASSERT_TRUE(SetMenuInfo(m, &set));
        set.hbrBack = MakeHandle<HBRUSH>(0x99);
        ASSERT_TRUE(GetMenuInfo(m, &set));
        EXPECT_EQ(set.hbrBack, value);
    }
    DeleteObject(brush);
    DestroyMenu(m);
}

// Wine: test_menu_hilitemenuitem
TEST_F(ConfMenu, HiliteMenuItemValidatesThenSetsTheHiliteState) {
    HMENU bar = CreateMenu(), popup = CreatePopupMenu();
    AppendMenu(bar, MF_POPUP | MF_STRING, HandleValue(popup), "Popup");
    for (UINT id : {101u, 102u, 103u})
        AppendMenu(popup, MF_STRING, id, "Item");
    HWND hwnd = Owner(bar);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(HiliteMenuItem(nullptr, popup, 1, MF_HILITE | MF_BYPOSITION));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(HiliteMenuItem(hwnd, nullptr, 1, MF_HILITE | MF_BYPOSITION));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
    const struct {
        UINT item, flags, position;
        bool hilited;
    } steps[] = {{1, MF_BYPOSITION, 1, false},
                 {1, MF_HILITE | MF_BYPOSITION, 1, true},
                 {1, MF_UNHILITE | MF_BYPOSITION, 1, false},
                 {103, MF_HILITE | MF_BYCOMMAND, 2, true},
                 {103, MF_UNHILITE | MF_BYCOMMAND, 2, false}};
    for (const auto& s : steps) {
        SetLastError(0xDEADBEEF);
        EXPECT_TRUE(HiliteMenuItem(hwnd, popup, s.item, s.flags));
        EXPECT_EQ(GetLastError(), 0xDEADBEEFu);
        EXPECT_EQ((GetMenuState(popup, s.position, MF_BYPOSITION) & MF_HILITE) != 0, s.hilited) << s.item;
    }
    DestroyWindow(hwnd);
}

// Wine: test_system_menu
TEST_F(ConfMenu, OnlyTheStandardSystemCommandsExist) {
    HWND hwnd = Owner();
    HMENU sys = GetSystemMenu(hwnd, FALSE);
    ASSERT_NE(sys, nullptr);
    const UINT standard[] = {SC_RESTORE, SC_SIZE, SC_MOVE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE};
    for (UINT id = 0xF000; id < 0xF200; ++id) {
        const bool found = std::find(std::begin(standard), std::end(standard), id) != std::end(standard);
        char buffer[80];
        MENUITEMINFO info = Record(MIIM_STRING | MIIM_FTYPE | MIIM_ID, nullptr);
        info.dwTypeData = buffer;
        info.cch = sizeof buffer;
        ASSERT_EQ(GetMenuItemInfo(sys, id, FALSE, &info) != FALSE, found) << std::hex << id;
        if (found) continue;
        EXPECT_EQ(CheckMenuItem(sys, id, 0), kNone);
        EXPECT_EQ(EnableMenuItem(sys, id, 0), -1);
        EXPECT_EQ(GetMenuState(sys, id, 0), kNone);
        EXPECT_FALSE(RemoveMenu(sys, id, 0));
        EXPECT_FALSE(ModifyMenu(sys, id, MF_BYPOSITION, id, "test"));
        info.fMask = MIIM_STRING | MIIM_ID;
        EXPECT_FALSE(SetMenuItemInfo(sys, id, TRUE, &info));
    }
    EXPECT_EQ(GetMenuItemCount(sys), 7);
    EXPECT_EQ(GetMenuDefaultItem(sys, FALSE, 0), static_cast<UINT>(SC_CLOSE));
    DestroyWindow(hwnd);
}

// Wine: test_subpopup_locked_by_menu, test_menu_circref, test_menu_maxdepth
TEST_F(ConfMenu, SubmenuHandlesCyclesAndDepth) {
    HMENU m = CreatePopupMenu(), sub = CreatePopupMenu();
    ASSERT_TRUE(InsertMenu(m, 0, MF_BYPOSITION | MF_POPUP | MF_STRING, HandleValue(sub), "PopUpLockTest"));
    ASSERT_TRUE(DestroyMenu(sub));
    // The entry still names the destroyed submenu, which no call accepts any more.
    MENUITEMINFO info = Record(MIIM_SUBMENU, nullptr);
    ASSERT_TRUE(GetMenuItemInfo(m, 0, TRUE, &info));
    EXPECT_EQ(info.hSubMenu, sub);
    MENUINFO menuInfo{};
    menuInfo.cbSize = sizeof menuInfo;
    menuInfo.fMask = MIM_STYLE;
    EXPECT_FALSE(GetMenuInfo(sub, &menuInfo));
    EXPECT_FALSE(IsMenu(sub));
    DestroyMenu(m);

    HMENU menu1 = CreatePopupMenu(), menu2 = CreatePopupMenu();
    ASSERT_TRUE(AppendMenu(menu1, MF_POPUP, HandleValue(menu2), "winetest"));
    ASSERT_TRUE(AppendMenu(menu1, MF_STRING | MF_HILITE, 123, "winetest"));
    ASSERT_TRUE(AppendMenu(menu2, MF_STRING, HandleValue(menu2), "winetest"));
    EXPECT_FALSE(ModifyMenu(menu1, HandleValue(menu2), MF_POPUP, HandleValue(menu2), "menu 2"));
    EXPECT_EQ(GetMenuState(menu1, 123, 0), MF_HILITE);
    DestroyMenu(menu1);

    HMENU chain[100];
    for (HMENU& h : chain)
        h = CreatePopupMenu();
    int depth = 1;
    while (depth < 100 && AppendMenu(chain[depth], MF_POPUP, HandleValue(chain[depth - 1]), "test"))
        ++depth;
    EXPECT_LT(depth, 100);
    for (HMENU h : chain)
        DestroyMenu(h);
}

// Wine: test_menu_trackpopupmenu, test_emptypopup
TEST_F(ConfMenu, TrackPopupMenuRejectsBadHandlesBeforeAnyMessage) {
    HWND hwnd = Owner();
    HMENU m = CreatePopupMenu();
    for (bool ex : {false, true}) {
        const auto track = [&](HMENU menu, HWND owner) {
            return ex ? TrackPopupMenuEx(menu, TPM_RETURNCMD, 100, 100, owner, nullptr)
                      : TrackPopupMenu(menu, TPM_RETURNCMD, 100, 100, 0, owner, nullptr);
        };
        const struct {
            HMENU menu;
            HWND owner;
            DWORD error;
        } cases[] = {{nullptr, hwnd, ERROR_INVALID_MENU_HANDLE},
                     {reinterpret_cast<HMENU>(hwnd), hwnd, ERROR_INVALID_MENU_HANDLE},
                     {m, nullptr, ERROR_INVALID_WINDOW_HANDLE}};
        for (const auto& c : cases) {
            menutest::Log().clear();
            SetLastError(0xDEADBEEF);
            EXPECT_FALSE(track(c.menu, c.owner));
            EXPECT_EQ(GetLastError(), c.error);
            EXPECT_TRUE(menutest::MenuMessages().empty());
        }
    }
    DestroyMenu(m);
    DestroyWindow(hwnd);
}

// Wine: test_emptypopup
TEST_F(ConfMenu, AnEmptyPopupClosesAtOnceUnlessFilledWhenItOpens) {
    HWND hwnd = Owner();
    HMENU m = CreatePopupMenu();
    const auto count = [](UINT message) { return menutest::Only(message).size(); };
    for (UINT flags : {TPM_RETURNCMD, 0u}) {
        menutest::Log().clear();
        EXPECT_EQ(TrackPopupMenu(m, flags, 100, 100, 0, hwnd, nullptr), 0);
        EXPECT_EQ(count(WM_INITMENU), 1u);
        EXPECT_EQ(count(WM_INITMENUPOPUP), 1u);
        EXPECT_EQ(count(WM_ENTERMENULOOP), 1u);
        EXPECT_EQ(count(WM_ENTERIDLE), 0u);
        EXPECT_EQ(count(WM_MENUSELECT), 0u);
    }
    // Entries added while the popup opens are shown; cancelling reports the close and returns TRUE.
    menutest::Answer() = [m](UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message == WM_INITMENUPOPUP) {
            AppendMenu(m, MF_STRING, 100, "item 1");
            AppendMenu(m, MF_STRING, 101, "item 2");
        }
        return false;
    };
    menutest::Log().clear();
    Keys({VK_ESCAPE});
    EXPECT_EQ(TrackPopupMenu(m, 0, 100, 100, 0, hwnd, nullptr), 1);
    const auto selects = menutest::Only(WM_MENUSELECT);
    ASSERT_FALSE(selects.empty());
    EXPECT_EQ(selects.back().wParam, 0xFFFF0000u);
    EXPECT_EQ(selects.back().lParam, 0);
    DestroyMenu(m);
    DestroyWindow(hwnd);
}

// Wine: test_accel1, test_accel2 (resource.c)
TEST_F(ConfMenu, AcceleratorTablesKeepEntriesAndDropTheLastEntryBit) {
    const ACCEL entries[] = {{FVIRTKEY | FNOINVERT, 'A', 1000},
                             {0xFF, 0xFFFF, 0xFFFF},
                             {0xF0, 0xFFFF, 0xFFF0},
                             {0x00, 0xFFFF, 0xFFF0},
                             {0x01, 0xFFFF, 0xFFF0}};
    HACCEL table = CreateAcceleratorTable(entries, 5);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(CopyAcceleratorTable(table, nullptr, 0), 5);
    EXPECT_EQ(CopyAcceleratorTable(table, nullptr, 100), 5);
    ACCEL out[5]{};
    EXPECT_EQ(CopyAcceleratorTable(table, out, 1), 1);
    EXPECT_EQ(CopyAcceleratorTable(table, out, 5), 5);
    const BYTE virt[] = {FVIRTKEY | FNOINVERT, 0x7F, 0x70, 0x00, 0x01};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(out[i].cmd, entries[i].cmd) << i;
        EXPECT_EQ(out[i].key, entries[i].key) << i;
        EXPECT_EQ(out[i].fVirt, virt[i]) << i;
    }
    EXPECT_TRUE(DestroyAcceleratorTable(table));
    EXPECT_EQ(CreateAcceleratorTable(entries, 0), nullptr);
}

}  // namespace conf_menu
