// File information, icons, ShellExecute, tray icons, special folders, item ID lists, the folder
// browser, dropped files and the about box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

#include "support/tempdir.h"
#include "win32/shell.h"
#include "win32/user.h"

namespace {

using namespace win32;
namespace wt = win32::testing;

void Write(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        Write(temp.Path() / "docs" / "notes.txt", "n");
        std::filesystem::create_directories(temp.Path() / "docs" / "Sub");
        wt::MapDrive('H', temp.Path().string(), DRIVE_FIXED, "HOMEWORK");
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
        wt::ResetPlatform();
    }

    HWND Window() {
        WNDCLASS windowClass{};
        windowClass.lpfnWndProc = DefWindowProc;
        windowClass.lpszClassName = "ZylShellTestWindow";
        RegisterClass(&windowClass);
        window = CreateWindowEx(0, "ZylShellTestWindow", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
        return window;
    }

    zyltest::TempDir temp;
    HWND window = nullptr;
};

struct TypeCase {
    const char* name;
    DWORD attributes;
    const char* type;
    int icon;
};

class TypeNameTest : public ShellTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(TypeNameTest, ComesFromTheNameWithoutTouchingTheDisk) {
    const TypeCase& c = GetParam();
    SHFILEINFO info{};
    ASSERT_NE(SHGetFileInfo(c.name, c.attributes, &info, sizeof info,
                            SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME | SHGFI_SYSICONINDEX),
              0u);
    EXPECT_STREQ(info.szTypeName, c.type) << c.name;
    EXPECT_EQ(info.iIcon, c.icon) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TypeNameTest,
    ::testing::Values(
        TypeCase{"H:\\x\\readme.txt", FILE_ATTRIBUTE_NORMAL, "Text Document", SHELL_ICON_DOCUMENT},
        TypeCase{"H:\\x\\README.TXT", FILE_ATTRIBUTE_NORMAL, "Text Document", SHELL_ICON_DOCUMENT},
        TypeCase{"H:\\x\\Folder", FILE_ATTRIBUTE_DIRECTORY, "File Folder", SHELL_ICON_FOLDER},
        TypeCase{"H:\\x\\setup.exe", FILE_ATTRIBUTE_NORMAL, "Application", SHELL_ICON_APPLICATION},
        TypeCase{"H:\\x\\data.xyz", FILE_ATTRIBUTE_NORMAL, "XYZ File", SHELL_ICON_FILE},
        TypeCase{"H:\\x\\Makefile", FILE_ATTRIBUTE_NORMAL, "File", SHELL_ICON_FILE},
        TypeCase{"H:\\x\\page.html", FILE_ATTRIBUTE_NORMAL, "HTML Document", SHELL_ICON_DOCUMENT},
        TypeCase{"H:\\", FILE_ATTRIBUTE_DIRECTORY, "Local Disk", SHELL_ICON_DRIVE_FIXED}));

TEST_F(ShellTest, FileInfoFromTheDisk) {
    SHFILEINFO info{};
    ASSERT_NE(
        SHGetFileInfo("h:\\DOCS\\sub", 0, &info, sizeof info,
                      SHGFI_DISPLAYNAME | SHGFI_ATTRIBUTES | SHGFI_ICON | SHGFI_SMALLICON | SHGFI_OPENICON),
        0u);
    EXPECT_STREQ(info.szDisplayName, "Sub");
    EXPECT_TRUE(info.dwAttributes & SFGAO_FOLDER);
    EXPECT_TRUE(info.dwAttributes & SFGAO_CANDELETE);
    EXPECT_EQ(info.iIcon, SHELL_ICON_FOLDER_OPEN);
    ASSERT_NE(info.hIcon, nullptr);
    ICONINFO parts{};
    ASSERT_TRUE(GetIconInfo(info.hIcon, &parts));
    BITMAP bitmap{};
    GetObject(parts.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 16);
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    EXPECT_TRUE(DestroyIcon(info.hIcon));
    ASSERT_NE(SHGetFileInfo("H:\\", 0, &info, sizeof info, SHGFI_DISPLAYNAME | SHGFI_ATTRIBUTES), 0u);
    EXPECT_STREQ(info.szDisplayName, "HOMEWORK (H:)");
    EXPECT_FALSE(info.dwAttributes & SFGAO_CANDELETE);
    EXPECT_EQ(SHGetFileInfo("H:\\docs\\missing.txt", 0, &info, sizeof info, SHGFI_TYPENAME), 0u);
    EXPECT_EQ(SHGetFileInfo("H:\\docs\\notes.txt", 0, &info, sizeof info - 1, SHGFI_TYPENAME), 0u);
}

TEST_F(ShellTest, ExecutableTypes) {
    std::filesystem::copy_file("/bin/true", temp.Path() / "tool");
    EXPECT_EQ(SHGetFileInfo("H:\\tool", 0, nullptr, 0, SHGFI_EXETYPE), MAKELONG(0x4550, 0));
    std::filesystem::permissions(temp.Path() / "tool", std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::remove);
    EXPECT_EQ(SHGetFileInfo("H:\\tool", 0, nullptr, 0, SHGFI_EXETYPE), 0u);
    std::string pe(0x200, '\0');
    pe[0] = 'M', pe[1] = 'Z', pe[0x3C] = 0x40;
    pe[0x40] = 'P', pe[0x41] = 'E';
    pe[0x58 + 68] = 2;  // GUI subsystem
    pe[0x58 + 48] = 4;  // version 4.0
    Write(temp.Path() / "gui.exe", pe);
    EXPECT_EQ(SHGetFileInfo("H:\\gui.exe", 0, nullptr, 0, SHGFI_EXETYPE), MAKELONG(0x4550, 0x0400));
    pe[0x40] = 'X';
    Write(temp.Path() / "dos.exe", pe);
    EXPECT_EQ(SHGetFileInfo("H:\\dos.exe", 0, nullptr, 0, SHGFI_EXETYPE), 0x5A4Du);
    EXPECT_EQ(SHGetFileInfo("H:\\docs\\notes.txt", 0, nullptr, 0, SHGFI_EXETYPE), 0u);
}

TEST_F(ShellTest, IconsFromIconFilesAndAssociations) {
    SHFILEINFO info{};
    SHGetFileInfo("H:\\docs\\notes.txt", 0, &info, sizeof info, SHGFI_ICON);
    ASSERT_NE(info.hIcon, nullptr);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(WriteIconFile({info.hIcon, info.hIcon}, bytes));
    DestroyIcon(info.hIcon);
    Write(temp.Path() / "two.ico", std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(HandleValue(ExtractIcon(nullptr, "H:\\two.ico", 0xFFFFFFFF)), 2u);
    HICON second = ExtractIcon(nullptr, "H:\\two.ico", 1);
    ASSERT_NE(second, nullptr);
    DestroyIcon(second);
    EXPECT_EQ(ExtractIcon(nullptr, "H:\\two.ico", 2), nullptr);
    EXPECT_EQ(HandleValue(ExtractIcon(nullptr, "H:\\docs\\notes.txt", 0)), 1u);
    EXPECT_EQ(ExtractIcon(nullptr, "H:\\missing.ico", 0), nullptr);
    // A library's file holds the icons the library embeds: this program's "zyltest" has one.
    Write(temp.Path() / "libzyltest.so.1",
          "\x7f"
          "ELF");
    Write(temp.Path() / "libnothing.so",
          "\x7f"
          "ELF");
    EXPECT_EQ(HandleValue(ExtractIcon(nullptr, "H:\\libzyltest.so.1", 0xFFFFFFFF)), 1u);
    HICON bell = ExtractIcon(nullptr, "H:\\libzyltest.so.1", 0);
    ASSERT_NE(bell, nullptr);
    EXPECT_NE(HandleValue(bell), 1u);
    DestroyIcon(bell);
    EXPECT_EQ(ExtractIcon(nullptr, "H:\\libzyltest.so.1", 1), nullptr);
    EXPECT_EQ(HandleValue(ExtractIcon(nullptr, "H:\\libnothing.so", 0)), 1u) << "no module of that name";
    char path[MAX_PATH] = "H:\\docs\\notes.txt";
    WORD index = 99;
    HICON associated = ExtractAssociatedIcon(nullptr, path, &index);
    ASSERT_NE(associated, nullptr);
    EXPECT_EQ(index, SHELL_ICON_DOCUMENT);
    DestroyIcon(associated);
}

TEST_F(ShellTest, ShellExecuteRecordsWhatWouldRun) {
    std::filesystem::copy_file("/bin/true", temp.Path() / "tool");
    wt::RecordShellExecute(true);
    EXPECT_GT(
        HandleValue(ShellExecute(nullptr, "open", "H:\\tool", "-a \"b c\" d\\\"e", "H:\\docs", SW_SHOW)),
        32u);
    EXPECT_GT(
        HandleValue(ShellExecute(nullptr, nullptr, "H:\\docs\\NOTES.TXT", nullptr, nullptr, SW_SHOWNORMAL)),
        32u);
    EXPECT_GT(HandleValue(ShellExecute(nullptr, "explore", "H:\\docs", nullptr, nullptr, SW_SHOW)), 32u);
    EXPECT_GT(
        HandleValue(ShellExecute(nullptr, "open", "https://example.org/a?b", nullptr, nullptr, SW_SHOW)),
        32u);
    EXPECT_GT(HandleValue(ShellExecute(nullptr, "Print", "H:\\docs\\notes.txt", nullptr, nullptr, SW_SHOW)),
              32u);
    const auto log = wt::ShellExecuteLog();
    ASSERT_EQ(log.size(), 5u);
    const std::string docs = (temp.Path() / "docs").string();
    EXPECT_EQ(log[0].command,
              (std::vector<std::string>{(temp.Path() / "tool").string(), "-a", "b c", "d\"e"}));
    EXPECT_EQ(log[0].directory, "H:\\docs");
    EXPECT_EQ(log[0].showCommand, SW_SHOW);
    EXPECT_EQ(log[1].command, (std::vector<std::string>{"xdg-open", docs + "/notes.txt"}));
    EXPECT_EQ(log[1].verb, "open");
    EXPECT_EQ(log[2].command, (std::vector<std::string>{"xdg-open", docs}));
    EXPECT_EQ(log[3].command, (std::vector<std::string>{"xdg-open", "https://example.org/a?b"}));
    EXPECT_EQ(log[4].verb, "print");
    EXPECT_TRUE(log[4].command.empty());
}

TEST_F(ShellTest, ShellExecuteFailuresAreSmallValues) {
    wt::RecordShellExecute(true);
    EXPECT_EQ(HandleValue(ShellExecute(nullptr, "open", "H:\\docs\\missing.txt", nullptr, nullptr, 1)),
              SE_ERR_FNF);
    EXPECT_EQ(HandleValue(ShellExecute(nullptr, "open", "H:\\nowhere\\x.txt", nullptr, nullptr, 1)),
              SE_ERR_PNF);
    EXPECT_EQ(HandleValue(ShellExecute(nullptr, "open", "notes.txt", nullptr, "H:\\nowhere", 1)), SE_ERR_PNF);
    EXPECT_EQ(HandleValue(ShellExecute(nullptr, "frobnicate", "H:\\docs\\notes.txt", nullptr, nullptr, 1)),
              SE_ERR_NOASSOC);
    EXPECT_EQ(HandleValue(ShellExecute(nullptr, "explore", "H:\\docs\\notes.txt", nullptr, nullptr, 1)),
              SE_ERR_NOASSOC);
    EXPECT_TRUE(wt::ShellExecuteLog().empty());
    SHELLEXECUTEINFO info{};
    info.cbSize = sizeof info;
    info.lpFile = "notes.txt";
    info.lpDirectory = "H:\\docs";
    ASSERT_TRUE(ShellExecuteEx(&info));
    EXPECT_GT(HandleValue(info.hInstApp), 32u);
    info.lpFile = "gone.txt";
    EXPECT_FALSE(ShellExecuteEx(&info));
    EXPECT_EQ(HandleValue(info.hInstApp), SE_ERR_FNF);
    info.cbSize = 4;
    EXPECT_FALSE(ShellExecuteEx(&info));
}

TEST_F(ShellTest, PrintWithoutRecordingHasNoHandler) {
    EXPECT_EQ(HandleValue(ShellExecute(nullptr, "print", "H:\\docs\\notes.txt", nullptr, nullptr, 1)),
              SE_ERR_NOASSOC);
}

NOTIFYICONDATA IconData(HWND window, UINT id, UINT flags, const char* tip) {
    NOTIFYICONDATA data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = id;
    data.uFlags = flags;
    data.uCallbackMessage = WM_USER + 5;
    data.hIcon = MakeHandle<HICON>(0x77);
    std::strncpy(data.szTip, tip, sizeof data.szTip - 1);
    return data;
}

TEST_F(ShellTest, TrayIconsAreKeptAsState) {
    HWND owner = Window();
    ASSERT_NE(owner, nullptr);
    NOTIFYICONDATA data = IconData(owner, 1, NIF_MESSAGE | NIF_ICON | NIF_TIP, "First");
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &data));
    NOTIFYICONDATA other = IconData(owner, 2, NIF_TIP, "Second");
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &other));
    NOTIFYICONDATA change = IconData(owner, 1, NIF_TIP | NIF_STATE, "Changed");
    change.dwState = NIS_HIDDEN;
    change.dwStateMask = NIS_HIDDEN;
    change.hIcon = nullptr;  // not in uFlags: the icon stays
    ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &change));
    auto icons = wt::TrayIcons();
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_EQ(icons[0].tip, "Changed");
    EXPECT_EQ(icons[0].icon, MakeHandle<HICON>(0x77));
    EXPECT_EQ(icons[0].callbackMessage, WM_USER + 5);
    EXPECT_EQ(icons[0].state, NIS_HIDDEN);
    EXPECT_EQ(icons[1].tip, "Second");
    EXPECT_EQ(icons[1].callbackMessage, 0u);
    ASSERT_TRUE(wt::ClickTrayIcon(owner, 1, WM_LBUTTONUP));
    EXPECT_FALSE(wt::ClickTrayIcon(owner, 2, WM_LBUTTONUP));
    MSG message{};
    ASSERT_TRUE(PeekMessage(&message, owner, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_USER + 5);
    EXPECT_EQ(message.wParam, 1u);
    EXPECT_EQ(message.lParam, static_cast<LPARAM>(WM_LBUTTONUP));
    ASSERT_TRUE(Shell_NotifyIcon(NIM_DELETE, &data));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, &data));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_MODIFY, &data));
    data.cbSize = 88;
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &data));
    ASSERT_EQ(wt::TrayIcons().size(), 1u);
    wt::ResetPlatform();
    EXPECT_TRUE(wt::TrayIcons().empty());
    window = nullptr;
}

TEST_F(ShellTest, TrayIconsSitInTheNotificationAreaAndHearClicksAsTheShellDeliversThem) {
    HWND owner = Window();
    NOTIFYICONDATA first = IconData(owner, 1, NIF_MESSAGE | NIF_TIP, "First");
    NOTIFYICONDATA second = IconData(owner, 2, NIF_MESSAGE, "");
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &first));
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &second));
    auto rectOf = [&](UINT id) {
        NOTIFYICONIDENTIFIER which{sizeof which, owner, id};
        RECT rect{};
        return Shell_NotifyIconGetRect(&which, &rect) == S_OK ? rect : RECT{-1, -1, -1, -1};
    };
    auto same = [](RECT a, RECT b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    };
    // 1024 x 768: slots of 24 ending 4 pixels from the right, icons 16 x 16 above a 4-pixel margin.
    EXPECT_TRUE(same(rectOf(1), RECT{976, 748, 992, 764}));
    EXPECT_TRUE(same(rectOf(2), RECT{1000, 748, 1016, 764}));
    second.uFlags = NIF_STATE;
    second.dwState = second.dwStateMask = NIS_HIDDEN;
    ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &second));
    EXPECT_TRUE(same(rectOf(1), RECT{1000, 748, 1016, 764}));
    EXPECT_TRUE(same(rectOf(2), RECT{-1, -1, -1, -1}));
    EXPECT_FALSE(wt::ClickTrayIcon(owner, 2, input::Button::Left));

    ASSERT_TRUE(wt::ClickTrayIcon(owner, 1, input::Button::Right, 2));
    POINT cursor{};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 1008);
    EXPECT_EQ(cursor.y, 756);
    std::vector<LPARAM> delivered;
    for (MSG message{}; PeekMessage(&message, owner, WM_USER + 5, WM_USER + 5, PM_REMOVE);) {
        EXPECT_EQ(message.wParam, 1u);
        delivered.push_back(message.lParam);
    }
    EXPECT_EQ(delivered, (std::vector<LPARAM>{WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK,
                                              WM_RBUTTONUP}));
}

TEST_F(ShellTest, TheFirstFormOfTheIconRecordKeepsATipOf63BytesCutBetweenCharacters) {
    HWND owner = Window();
    struct Case {
        DWORD size;
        std::string tip;
        std::string kept;
    };
    const std::string sixtyTwo(62, 'a');
    const Case cases[] = {
        {NOTIFYICONDATA_V1_SIZE, std::string(70, 'b'), std::string(63, 'b')},
        {NOTIFYICONDATA_V1_SIZE, sixtyTwo + "\xC3\xA9", sixtyTwo},  // no half of the e acute
        {sizeof(NOTIFYICONDATA), sixtyTwo + "\xC3\xA9", sixtyTwo + "\xC3\xA9"},
        {sizeof(NOTIFYICONDATA), std::string(126, 'c') + "\xC3\xA9", std::string(126, 'c')},
    };
    UINT id = 10;
    for (const Case& c : cases) {
        NOTIFYICONDATA data = IconData(owner, ++id, NIF_TIP | NIF_INFO, "");
        data.cbSize = c.size;
        std::memcpy(data.szTip, c.tip.data(), std::min(c.tip.size(), sizeof data.szTip));
        std::strcpy(data.szInfo, "balloon");
        ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
        const auto icon = wt::TrayIcons().back();
        EXPECT_EQ(icon.tip, c.kept);
        EXPECT_EQ(icon.info, c.size == NOTIFYICONDATA_V1_SIZE ? "" : "balloon");
    }
}

TEST_F(ShellTest, SpecialFoldersAndItemIdLists) {
    wt::SetSpecialFolder(CSIDL_PERSONAL, (temp.Path() / "docs").string());
    char path[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPath(nullptr, path, CSIDL_PERSONAL, FALSE));
    EXPECT_STREQ(path, "H:\\docs");
    wt::SetSpecialFolder(CSIDL_TEMPLATES, (temp.Path() / "templates").string());
    EXPECT_FALSE(SHGetSpecialFolderPath(nullptr, path, CSIDL_TEMPLATES, FALSE));
    EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_TEMPLATES, nullptr, SHGFP_TYPE_CURRENT, path), S_FALSE);
    EXPECT_STREQ(path, "H:\\templates");
    EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_TEMPLATES | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK);
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path() / "templates"));
    EXPECT_EQ(SHGetFolderPath(nullptr, 0x0003, nullptr, 0, path), E_FAIL);  // the control panel
    wt::SetWindowsDirectory((temp.Path() / "win").string());
    EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_SYSTEM, nullptr, 0, path), S_FALSE);
    EXPECT_STREQ(path, "H:\\win\\system32");

    PIDLIST_ABSOLUTE pidl = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &pidl), S_OK);
    PIDLIST_ABSOLUTE copy = ILClone(pidl);
    ILFree(pidl);
    ASSERT_TRUE(SHGetPathFromIDList(copy, path));
    EXPECT_STREQ(path, "H:\\docs");
    CoTaskMemFree(copy);
    pidl = ILCreateFromPath("h:\\DOCS\\notes.TXT");
    ASSERT_NE(pidl, nullptr);
    ASSERT_TRUE(SHGetPathFromIDList(pidl, path));
    EXPECT_STREQ(path, "H:\\docs\\notes.txt");
    ILFree(pidl);
    EXPECT_EQ(ILCreateFromPath("H:\\docs\\none"), nullptr);
    const BYTE foreign[] = {6, 0, 'a', 'b', 'c', 'd', 0, 0};
    EXPECT_FALSE(SHGetPathFromIDList(reinterpret_cast<PCIDLIST_ABSOLUTE>(foreign), path));
    EXPECT_STREQ(path, "");
}

TEST_F(ShellTest, XdgFoldersFollowTheEnvironment) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedText = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", (temp.Path() / "config").string().c_str(), 1);
    Write(temp.Path() / "config" / "user-dirs.dirs",
          "XDG_DESKTOP_DIR=\"" + temp.Path().string() + "/desk\"\n");
    std::filesystem::create_directories(temp.Path() / "desk");
    std::filesystem::create_directories(temp.Path() / "config" / "autostart");
    char path[MAX_PATH];
    EXPECT_TRUE(SHGetSpecialFolderPath(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE));
    EXPECT_STREQ(path, "H:\\desk");
    EXPECT_TRUE(SHGetSpecialFolderPath(nullptr, path, CSIDL_APPDATA, FALSE));
    EXPECT_STREQ(path, "H:\\config");
    EXPECT_TRUE(SHGetSpecialFolderPath(nullptr, path, CSIDL_STARTUP, FALSE));
    EXPECT_STREQ(path, "H:\\config\\autostart");
    if (saved) {
        setenv("XDG_CONFIG_HOME", savedText.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}

struct BrowseLog {
    std::vector<std::string> selections;
    bool disableOk = false;
};

int BrowseCallback(HWND hwnd, UINT message, LPARAM lParam, LPARAM data) {
    auto* log = reinterpret_cast<BrowseLog*>(data);
    if (message == BFFM_INITIALIZED) {
        SendMessage(hwnd, BFFM_SETSTATUSTEXT, 0, reinterpret_cast<LPARAM>("Pick one"));
        SendMessage(hwnd, BFFM_SETSELECTION, TRUE, reinterpret_cast<LPARAM>("H:\\DOCS"));
    } else if (message == BFFM_SELCHANGED) {
        char path[MAX_PATH];
        SHGetPathFromIDList(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path);
        log->selections.emplace_back(path);
        SendMessage(hwnd, BFFM_ENABLEOK, 0, log->disableOk ? 0 : 1);
    }
    return 0;
}

TEST_F(ShellTest, BrowseForFolderFollowsTheScriptAndCallbacks) {
    BrowseLog log;
    char display[MAX_PATH] = {};
    BROWSEINFO info{};
    info.pszDisplayName = display;
    info.lpszTitle = "Choose a folder";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&log);
    wt::SetBrowseForFolderScript({{"H:\\docs\\sub"}, false});
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolder(&info);
    ASSERT_NE(chosen, nullptr);
    char path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDList(chosen, path));
    EXPECT_STREQ(path, "H:\\docs\\Sub");
    EXPECT_STREQ(display, "Sub");
    ILFree(chosen);
    EXPECT_EQ(log.selections, (std::vector<std::string>{"H:\\docs", "H:\\docs\\Sub"}));
    auto records = wt::BrowseForFolderLog();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].title, "Choose a folder");
    EXPECT_EQ(records[0].statusTexts, (std::vector<std::string>{"Pick one"}));
    EXPECT_EQ(records[0].outcome, "chosen");
    // The script served one call; the next has none.
    EXPECT_EQ(SHBrowseForFolder(&info), nullptr);
    EXPECT_EQ(wt::BrowseForFolderLog().back().outcome, "no script");
}

TEST_F(ShellTest, BrowseForFolderCanEndWithoutAChoice) {
    BrowseLog log;
    BROWSEINFO info{};
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&log);
    wt::SetBrowseForFolderScript({{"H:\\docs"}, true});
    EXPECT_EQ(SHBrowseForFolder(&info), nullptr);
    EXPECT_EQ(wt::BrowseForFolderLog().back().outcome, "cancelled");
    log.disableOk = true;
    wt::SetBrowseForFolderScript({{"H:\\docs"}, false});
    EXPECT_EQ(SHBrowseForFolder(&info), nullptr);
    EXPECT_EQ(wt::BrowseForFolderLog().back().outcome, "ok disabled");
    wt::SetBrowseForFolderScript({{"H:\\docs\\notes.txt"}, false});
    EXPECT_EQ(SHBrowseForFolder(&info), nullptr);
    EXPECT_EQ(wt::BrowseForFolderLog().back().outcome, "not a folder");
    PIDLIST_ABSOLUTE root = ILCreateFromPath("H:\\docs\\sub");
    info.pidlRoot = root;
    info.lpfn = nullptr;
    wt::SetBrowseForFolderScript({{"H:\\docs"}, false});
    EXPECT_EQ(SHBrowseForFolder(&info), nullptr);
    EXPECT_EQ(wt::BrowseForFolderLog().back().outcome, "not a folder");
    ILFree(root);
}

TEST_F(ShellTest, DropsCarryFilesAndThePoint) {
    HDROP drop = wt::MakeDrop({"H:\\docs\\notes.txt", "H:\\docs\\Sub"}, POINT{12, 34});
    EXPECT_EQ(DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFile(drop, 0, nullptr, 0), 17u);
    char name[MAX_PATH];
    EXPECT_EQ(DragQueryFile(drop, 1, name, MAX_PATH), 11u);
    EXPECT_STREQ(name, "H:\\docs\\Sub");
    char small[5];
    EXPECT_EQ(DragQueryFile(drop, 0, small, sizeof small), 4u);
    EXPECT_STREQ(small, "H:\\d");
    EXPECT_EQ(DragQueryFile(drop, 2, name, MAX_PATH), 0u);
    POINT point{};
    EXPECT_TRUE(DragQueryPoint(drop, &point));
    EXPECT_EQ(point.x, 12);
    EXPECT_EQ(point.y, 34);
    DragFinish(drop);
    EXPECT_EQ(DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0), 0u);
}

TEST_F(ShellTest, DropsArePostedOnlyToWindowsThatAcceptFiles) {
    HWND target = Window();
    ASSERT_NE(target, nullptr);
    HDROP refused = wt::MakeDrop({"H:\\docs\\notes.txt"}, POINT{1, 1}, true, target);
    MSG message{};
    EXPECT_FALSE(PeekMessage(&message, target, WM_DROPFILES, WM_DROPFILES, PM_REMOVE));
    DragFinish(refused);
    DragAcceptFiles(target, TRUE);
    EXPECT_TRUE(GetWindowLong(target, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    HDROP drop = wt::MakeDrop({"H:\\docs\\notes.txt"}, POINT{5, 6}, false, target);
    ASSERT_TRUE(PeekMessage(&message, target, WM_DROPFILES, WM_DROPFILES, PM_REMOVE));
    EXPECT_EQ(message.wParam, reinterpret_cast<WPARAM>(drop));
    POINT point{};
    EXPECT_FALSE(DragQueryPoint(reinterpret_cast<HDROP>(message.wParam), &point));
    DragFinish(drop);
    DragAcceptFiles(target, FALSE);
    EXPECT_FALSE(GetWindowLong(target, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

TEST_F(ShellTest, AboutBoxIsRecorded) {
    EXPECT_TRUE(ShellAbout(nullptr, "Zyl Gallery", "Components", nullptr));
    const auto log = wt::ShellAboutLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].app, "Zyl Gallery");
    EXPECT_EQ(log[0].otherStuff, "Components");
}

}  // namespace
