// Shell services: file operations with confirmations and the Trash, file information and icons,
// starting programs and documents, tray icons, special folders and item ID lists, the folder
// browser, dropped files and the about box.
//
// Nothing already stored is replaced without a "yes": every overwrite is put to the confirmation
// callback, even under FOF_NOCONFIRMATION (which only skips the delete and make-folder questions),
// and the callback answers IDNO unless a test or the application sets another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "win32/files.h"
#include "win32/input.h"
#include "win32/kernel.h"
#include "win32/types.h"

namespace win32 {

using HRESULT = LONG;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// ---------------------------------------------------------------------------------------------
// File operations

inline constexpr UINT FO_MOVE = 0x0001;
inline constexpr UINT FO_COPY = 0x0002;
inline constexpr UINT FO_DELETE = 0x0003;
inline constexpr UINT FO_RENAME = 0x0004;

using FILEOP_FLAGS = WORD;
inline constexpr FILEOP_FLAGS FOF_MULTIDESTFILES = 0x0001;
inline constexpr FILEOP_FLAGS FOF_CONFIRMMOUSE = 0x0002;
inline constexpr FILEOP_FLAGS FOF_SILENT = 0x0004;
inline constexpr FILEOP_FLAGS FOF_RENAMEONCOLLISION = 0x0008;
inline constexpr FILEOP_FLAGS FOF_NOCONFIRMATION = 0x0010;
inline constexpr FILEOP_FLAGS FOF_WANTMAPPINGHANDLE = 0x0020;
inline constexpr FILEOP_FLAGS FOF_ALLOWUNDO = 0x0040;
inline constexpr FILEOP_FLAGS FOF_FILESONLY = 0x0080;
inline constexpr FILEOP_FLAGS FOF_SIMPLEPROGRESS = 0x0100;
inline constexpr FILEOP_FLAGS FOF_NOCONFIRMMKDIR = 0x0200;
inline constexpr FILEOP_FLAGS FOF_NOERRORUI = 0x0400;
inline constexpr FILEOP_FLAGS FOF_NOCOPYSECURITYATTRIBS = 0x0800;

// The shell's own failure codes, returned besides the Win32 error codes.
inline constexpr int DE_SAMEFILE = 0x71;
inline constexpr int DE_MANYSRC1DEST = 0x72;
inline constexpr int DE_ROOTDIR = 0x74;
inline constexpr int DE_DESTSUBTREE = 0x76;
inline constexpr int DE_INVALIDFILES = 0x7C;
inline constexpr int DE_FLDDESTISFILE = 0x7E;
inline constexpr int DE_FILEDESTISFLD = 0x80;

struct SHFILEOPSTRUCT {
    HWND hwnd;
    UINT wFunc;
    const char* pFrom;  // names separated by NUL, ending with two NULs; wildcards in the last part
    const char* pTo;    // one folder, or (FOF_MULTIDESTFILES) one name per source, same format
    FILEOP_FLAGS fFlags;
    BOOL fAnyOperationsAborted;
    void* hNameMappings;
    const char* lpszProgressTitle;
};

// Returns 0, a Win32 error code, a DE_ code, or ERROR_CANCELLED when the callback answered IDCANCEL.
// A declined item is skipped and sets fAnyOperationsAborted. Folders are copied, moved and deleted
// with their trees. FOF_ALLOWUNDO deletes into the freedesktop Trash. FOF_RENAMEONCOLLISION (and a
// copy onto itself) names the copy "Copy of x", "Copy (2) of x", ... FO_RENAME never replaces.
int SHFileOperation(SHFILEOPSTRUCT* lpFileOp);

enum class FileConfirmation : uint8_t { Overwrite, Delete, MakeFolder };

// What the caller of SHFileOperation sees of it, on the calling thread: each question (answered
// IDYES, IDNO or IDCANCEL for a drive path), and each source item before it is handled (`done` of
// `total`, then once more with done == total and an empty path at the end); a progress handler that
// returns false cancels the rest. A question goes to the test answer (testing::SetShellConfirmation)
// only when no handler is set here. Returns the handlers that were set before.
struct FileOperationCallbacks {
    std::function<int(FileConfirmation kind, const std::string& path)> confirm;
    std::function<bool(const std::string& path, size_t done, size_t total)> progress;
};
FileOperationCallbacks SetFileOperationCallbacks(FileOperationCallbacks callbacks);

// The freedesktop Trash (testing::TrashFolder): what it holds, read from its info files, and putting
// an entry back. `originalPath` is the real path the entry was deleted from.
struct TrashItem {
    std::string name;  // the entry's name in the Trash's files folder
    std::string originalPath;
    std::string deletionDate;  // "YYYY-MM-DDThh:mm:ss", local time
};
std::vector<TrashItem> TrashContents();
// Moves the entry back to its original path, making missing folders, and removes its info file.
// Never replaces what is there now (ERROR_ALREADY_EXISTS); ERROR_FILE_NOT_FOUND for an unknown name.
DWORD RestoreFromTrash(const std::string& name);

// ---------------------------------------------------------------------------------------------
// File information and icons

struct SHFILEINFO {
    HICON hIcon;
    int iIcon;
    DWORD dwAttributes;
    char szDisplayName[MAX_PATH];
    char szTypeName[80];
};

inline constexpr UINT SHGFI_LARGEICON = 0x000000;
inline constexpr UINT SHGFI_SMALLICON = 0x000001;
inline constexpr UINT SHGFI_OPENICON = 0x000002;
inline constexpr UINT SHGFI_SHELLICONSIZE = 0x000004;
inline constexpr UINT SHGFI_PIDL = 0x000008;
inline constexpr UINT SHGFI_USEFILEATTRIBUTES = 0x000010;
inline constexpr UINT SHGFI_ICON = 0x000100;
inline constexpr UINT SHGFI_DISPLAYNAME = 0x000200;
inline constexpr UINT SHGFI_TYPENAME = 0x000400;
inline constexpr UINT SHGFI_ATTRIBUTES = 0x000800;
inline constexpr UINT SHGFI_ICONLOCATION = 0x001000;
inline constexpr UINT SHGFI_EXETYPE = 0x002000;
inline constexpr UINT SHGFI_SYSICONINDEX = 0x004000;
inline constexpr UINT SHGFI_LINKOVERLAY = 0x008000;
inline constexpr UINT SHGFI_SELECTED = 0x010000;

inline constexpr DWORD SFGAO_CANCOPY = 0x00000001;
inline constexpr DWORD SFGAO_CANMOVE = 0x00000002;
inline constexpr DWORD SFGAO_CANLINK = 0x00000004;
inline constexpr DWORD SFGAO_CANRENAME = 0x00000010;
inline constexpr DWORD SFGAO_CANDELETE = 0x00000020;
inline constexpr DWORD SFGAO_HASPROPSHEET = 0x00000040;
inline constexpr DWORD SFGAO_DROPTARGET = 0x00000100;
inline constexpr DWORD SFGAO_LINK = 0x00010000;
inline constexpr DWORD SFGAO_READONLY = 0x00040000;
inline constexpr DWORD SFGAO_HIDDEN = 0x00080000;
inline constexpr DWORD SFGAO_REMOVABLE = 0x02000000;
inline constexpr DWORD SFGAO_FILESYSANCESTOR = 0x10000000;
inline constexpr DWORD SFGAO_FOLDER = 0x20000000;
inline constexpr DWORD SFGAO_FILESYSTEM = 0x40000000;
inline constexpr DWORD SFGAO_HASSUBFOLDER = 0x80000000;

// Indices of the system image list, stable by kind of item.
inline constexpr int SHELL_ICON_FILE = 0;
inline constexpr int SHELL_ICON_DOCUMENT = 1;
inline constexpr int SHELL_ICON_APPLICATION = 2;
inline constexpr int SHELL_ICON_FOLDER = 3;
inline constexpr int SHELL_ICON_FOLDER_OPEN = 4;
inline constexpr int SHELL_ICON_DRIVE_REMOVABLE = 7;
inline constexpr int SHELL_ICON_DRIVE_FIXED = 8;
inline constexpr int SHELL_ICON_DRIVE_REMOTE = 9;
inline constexpr int SHELL_ICON_DRIVE_CDROM = 11;
inline constexpr int SHELL_ICON_DRIVE_RAMDISK = 12;

// Display names are the full file name (extensions shown) or "Label (C:)" / "Local Disk (C:)" for
// roots; type names come from a built-in table ("Text Document", "File Folder", else "XYZ File",
// "File" without an extension). SHGFI_ICON hands out a new icon from the built-in set (32 or 16
// pixels) that the caller destroys. SHGFI_SYSICONINDEX fills iIcon and returns the system image list
// (large, or small with SHGFI_SMALLICON) whose images are the built-in set at those indexes. SHGFI_EXETYPE
// returns MAKELONG('PE', version) for PE programs (0 for console ones), 'MZ' for DOS programs, MAKELONG('PE',
// 0) for executable ELF files and scripts, and 0 for anything else. SHGFI_PIDL takes pszPath as an item ID
// list.
DWORD_PTR SHGetFileInfo(const char* pszPath, DWORD dwFileAttributes, SHFILEINFO* psfi, UINT cbFileInfo,
                        UINT uFlags);

// An .ico file's icons, or the group icons of a module's file (the program's own, or lib<name>.so
// of a library that embeds resources as <name>), in the order the module registered them;
// nIconIndex -1 counts them. Other existing files give (HICON)1, as Win32 does for a file that
// holds no icons; a missing file or an index beyond the icons gives nullptr.
HICON ExtractIcon(HINSTANCE hInst, const char* pszExeFileName, UINT nIconIndex);
// The file's own icon for .ico files, else the built-in icon of its kind; *piIcon gets the index.
HICON ExtractAssociatedIcon(HINSTANCE hInst, char* pszIconPath, WORD* piIcon);

// ---------------------------------------------------------------------------------------------
// Starting programs and documents

inline constexpr UINT SE_ERR_FNF = 2;
inline constexpr UINT SE_ERR_PNF = 3;
inline constexpr UINT SE_ERR_ACCESSDENIED = 5;
inline constexpr UINT SE_ERR_OOM = 8;
inline constexpr UINT SE_ERR_NOASSOC = 31;

inline constexpr ULONG SEE_MASK_IDLIST = 0x00000004;
inline constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x00000040;
inline constexpr ULONG SEE_MASK_FLAG_NO_UI = 0x00000400;

struct SHELLEXECUTEINFO {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    const char* lpVerb;
    const char* lpFile;
    const char* lpParameters;
    const char* lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void* lpIDList;
    const char* lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    HANDLE hIcon;
    HANDLE hProcess;
};

// Verbs "open" (or null), "explore", "print" and "properties". Programs (executable files) start
// through posix_spawn without a shell, with the parameters split by the Windows command-line rules
// and the directory as their working directory; documents, folders and URLs open through xdg-open.
// "print" and "properties" have no handler here (SE_ERR_NOASSOC) unless recording. Returns a value
// above 32 on success, else the Win32 error (SE_ERR_FNF, SE_ERR_PNF, SE_ERR_NOASSOC, ...). Under
// recording nothing runs and every valid call succeeds.
HINSTANCE ShellExecute(HWND hwnd, const char* lpOperation, const char* lpFile, const char* lpParameters,
                       const char* lpDirectory, INT nShowCmd);
// With SEE_MASK_NOCLOSEPROCESS and a program started, hProcess is an event handle that becomes
// signalled when the program ends (WaitForSingleObject; the caller closes it with CloseHandle);
// otherwise it stays null, as it does for documents handed to xdg-open and under recording.
BOOL ShellExecuteEx(SHELLEXECUTEINFO* pExecInfo);

// ---------------------------------------------------------------------------------------------
// Tray icons

inline constexpr DWORD NIM_ADD = 0x00000000;
inline constexpr DWORD NIM_MODIFY = 0x00000001;
inline constexpr DWORD NIM_DELETE = 0x00000002;
inline constexpr UINT NIF_MESSAGE = 0x00000001;
inline constexpr UINT NIF_ICON = 0x00000002;
inline constexpr UINT NIF_TIP = 0x00000004;
inline constexpr UINT NIF_STATE = 0x00000008;
inline constexpr UINT NIF_INFO = 0x00000010;
inline constexpr DWORD NIS_HIDDEN = 0x00000001;

struct NOTIFYICONDATA {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    char szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    char szInfo[256];
    UINT uTimeout;
    char szInfoTitle[64];
    DWORD dwInfoFlags;
};

// The first form of the record: up to and with a tip of 64 bytes; the fields after it are not read.
inline constexpr DWORD NOTIFYICONDATA_V1_SIZE = offsetof(NOTIFYICONDATA, szTip) + 64;

// cbSize must be sizeof(NOTIFYICONDATA) or NOTIFYICONDATA_V1_SIZE. Icons are keyed by window and
// uID: adding one twice, or changing or deleting one that is not there, fails. The tray keeps the
// icon handle, not a copy. Tips are cut to the record's tip field (127 or 63 bytes), never inside a
// UTF-8 sequence.
//
// The notification area is a row at the bottom right of the screen: shown icons (not NIS_HIDDEN)
// sit 16 x 16 in slots 24 pixels wide, the first added leftmost. A click on an icon reaches its
// window as the shell delivers it: the callback message with uID in wParam and the mouse message in
// lParam, WM_MOUSEMOVE first, then WM_xBUTTONDOWN and WM_xBUTTONUP (a double click adds
// WM_xBUTTONDBLCLK and WM_xBUTTONUP), posted while the cursor is on the icon.
BOOL Shell_NotifyIcon(DWORD dwMessage, NOTIFYICONDATA* lpData);

struct NOTIFYICONIDENTIFIER {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
};
// The icon's rectangle on the screen; E_FAIL for an icon that is not there or hidden.
HRESULT Shell_NotifyIconGetRect(const NOTIFYICONIDENTIFIER* identifier, RECT* iconLocation);

// ---------------------------------------------------------------------------------------------
// Special folders and item ID lists

inline constexpr int CSIDL_DESKTOP = 0x0000;
inline constexpr int CSIDL_PROGRAMS = 0x0002;
inline constexpr int CSIDL_PERSONAL = 0x0005;
inline constexpr int CSIDL_FAVORITES = 0x0006;
inline constexpr int CSIDL_STARTUP = 0x0007;
inline constexpr int CSIDL_RECENT = 0x0008;
inline constexpr int CSIDL_SENDTO = 0x0009;
inline constexpr int CSIDL_STARTMENU = 0x000B;
inline constexpr int CSIDL_MYMUSIC = 0x000D;
inline constexpr int CSIDL_MYVIDEO = 0x000E;
inline constexpr int CSIDL_DESKTOPDIRECTORY = 0x0010;
inline constexpr int CSIDL_FONTS = 0x0014;
inline constexpr int CSIDL_TEMPLATES = 0x0015;
inline constexpr int CSIDL_COMMON_STARTMENU = 0x0016;
inline constexpr int CSIDL_COMMON_PROGRAMS = 0x0017;
inline constexpr int CSIDL_COMMON_STARTUP = 0x0018;
inline constexpr int CSIDL_COMMON_DESKTOPDIRECTORY = 0x0019;
inline constexpr int CSIDL_APPDATA = 0x001A;
inline constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
inline constexpr int CSIDL_INTERNET_CACHE = 0x0020;
inline constexpr int CSIDL_COMMON_APPDATA = 0x0023;
inline constexpr int CSIDL_WINDOWS = 0x0024;
inline constexpr int CSIDL_SYSTEM = 0x0025;
inline constexpr int CSIDL_MYPICTURES = 0x0027;
inline constexpr int CSIDL_PROFILE = 0x0028;
inline constexpr int CSIDL_COMMON_DOCUMENTS = 0x002E;
inline constexpr int CSIDL_FLAG_CREATE = 0x8000;
inline constexpr DWORD SHGFP_TYPE_CURRENT = 0;

struct SHITEMID {
    USHORT cb;
    BYTE abID[1];
};
struct ITEMIDLIST {
    SHITEMID mkid;
};
using PIDLIST_ABSOLUTE = ITEMIDLIST*;
using PCIDLIST_ABSOLUTE = const ITEMIDLIST*;

// Folders of the XDG layout: the desktop, documents, music, videos, pictures and templates from
// user-dirs.dirs ($HOME/Desktop, ... by default), APPDATA $XDG_CONFIG_HOME, LOCAL_APPDATA and
// COMMON_APPDATA $XDG_DATA_HOME and the first of $XDG_DATA_DIRS, PROGRAMS/STARTMENU the applications
// folder, STARTUP autostart, FONTS the user's fonts, INTERNET_CACHE $XDG_CACHE_HOME, WINDOWS and
// SYSTEM the platform's Windows folders, PROFILE $HOME, RECENT/SENDTO/FAVORITES folders below
// LOCAL_APPDATA's "zyl" folder. Others (virtual folders) are refused. Paths are drive paths.
BOOL SHGetSpecialFolderPath(HWND hwnd, char* pszPath, int csidl, BOOL fCreate);
// S_FALSE (with the path) when the folder does not exist and CSIDL_FLAG_CREATE was not given.
HRESULT SHGetFolderPath(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags, char* pszPath);
HRESULT SHGetSpecialFolderLocation(HWND hwnd, int csidl, PIDLIST_ABSOLUTE* ppidl);
// Item ID lists are single-item blocks holding the full drive path, allocated with CoTaskMemAlloc.
BOOL SHGetPathFromIDList(PCIDLIST_ABSOLUTE pidl, char* pszPath);
PIDLIST_ABSOLUTE ILCreateFromPath(const char* pszPath);
PIDLIST_ABSOLUTE ILClone(PCIDLIST_ABSOLUTE pidl);
void ILFree(PIDLIST_ABSOLUTE pidl);
void* CoTaskMemAlloc(size_t cb);
void CoTaskMemFree(void* pv);

// ---------------------------------------------------------------------------------------------
// The folder browser

using BFFCALLBACK = int (*)(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

inline constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
inline constexpr UINT BIF_DONTGOBELOWDOMAIN = 0x0002;
inline constexpr UINT BIF_STATUSTEXT = 0x0004;
inline constexpr UINT BIF_RETURNFSANCESTORS = 0x0008;
inline constexpr UINT BIF_EDITBOX = 0x0010;
inline constexpr UINT BIF_NEWDIALOGSTYLE = 0x0040;
inline constexpr UINT BIF_BROWSEFORCOMPUTER = 0x1000;
inline constexpr UINT BIF_BROWSEFORPRINTER = 0x2000;
inline constexpr UINT BFFM_INITIALIZED = 1;
inline constexpr UINT BFFM_SELCHANGED = 2;
inline constexpr UINT BFFM_SETSTATUSTEXT = 0x0400 + 100;
inline constexpr UINT BFFM_ENABLEOK = 0x0400 + 101;
inline constexpr UINT BFFM_SETSELECTION = 0x0400 + 102;

struct BROWSEINFO {
    HWND hwndOwner;
    PCIDLIST_ABSOLUTE pidlRoot;
    char* pszDisplayName;  // MAX_PATH characters, receives the chosen folder's display name
    const char* lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam;
    int iImage;
};

// Shows the "Browse for Folder" dialog (window class "ZylBrowseForFolder", centred, owned by
// hwndOwner): the title text, the status line (BIF_STATUSTEXT), the folder tree opened down to the
// selection (the root's subtree, or every drive), the folder's name field (BIF_EDITBOX), OK and
// Cancel. Its procedure serves BFFM_SETSELECTION (wParam TRUE: lParam is a path, FALSE: an item ID
// list; it sends BFFM_SELCHANGED), BFFM_SETSTATUSTEXT and BFFM_ENABLEOK. The user is a script
// (testing::SetBrowseForFolderScript); without one the call returns nullptr at once and records
// why. Returns a new item ID list.
PIDLIST_ABSOLUTE SHBrowseForFolder(BROWSEINFO* lpbi);

// ---------------------------------------------------------------------------------------------
// Dropped files

// Sets or clears WS_EX_ACCEPTFILES on the window.
void DragAcceptFiles(HWND hWnd, BOOL fAccept);
// iFile 0xFFFFFFFF counts the files; a null buffer asks for the length of one name.
UINT DragQueryFile(HDROP hDrop, UINT iFile, char* lpszFile, UINT cch);
// TRUE when the drop landed in the client area.
BOOL DragQueryPoint(HDROP hDrop, POINT* ppt);
void DragFinish(HDROP hDrop);

// The about box (window class "ZylShellAbout", centred, owned by hWnd). Its caption is "About "
// and szApp, or the text before a "#" in szApp with the text after it as the first line; then the
// platform and system it runs on, szOtherStuff, the user and computer, the memory available and
// an OK button. With a display it waits for OK, Enter, Escape or the close box. Headless no one can
// answer it: it is painted, testing::SetShellAboutWhileOpen's function runs with it open (input it
// injects is handled), and it closes. The call is recorded (testing::ShellAboutLog).
int ShellAbout(HWND hWnd, const char* szApp, const char* szOtherStuff, HICON hIcon);

// ---------------------------------------------------------------------------------------------
// Start with the session

// Writes the freedesktop autostart entry $XDG_CONFIG_HOME/autostart/<name>.desktop (~/.config when
// unset) that runs `program` (a drive path or a real path) when the user's session starts, its Exec
// quoted by the Desktop Entry rules. The name must do as a file name: not empty, "." or "..", without
// `/` or control characters (ERROR_INVALID_NAME). FALSE with the last error when writing fails.
BOOL SetAutostartEntry(const char* name, const char* program);
// Removes the entry; TRUE also when there was none.
BOOL RemoveAutostartEntry(const char* name);
// The real path of the entry for `name`, empty when the name cannot be one.
std::string AutostartEntryPath(const std::string& name);
// One argument as a Desktop Entry Exec value holds it: quoted when it has a reserved character,
// then with the general escapes of string values applied (a backslash is written twice) and `%`
// doubled.
std::string DesktopEntryExecArgument(const std::string& argument);

namespace testing {

using ShellConfirmation = FileConfirmation;

// Answers IDYES, IDNO or IDCANCEL for a path (a drive path). Null restores the default, IDNO.
void SetShellConfirmation(std::function<int(ShellConfirmation kind, const std::string& path)> answer);

// The Trash folder (holding files/ and info/); empty restores $XDG_DATA_HOME/Trash.
void SetTrashFolder(const std::string& nativeFolder);
std::string TrashFolder();

// A special folder placed elsewhere (a native path); empty removes the override.
void SetSpecialFolder(int csidl, const std::string& nativeFolder);

struct ShellExecuteRecord {
    std::string verb;
    std::string file;  // as given
    std::string parameters;
    std::string directory;
    int showCommand = 0;
    std::vector<std::string> command;  // what would run: the program and its arguments
};
void RecordShellExecute(bool record);
std::vector<ShellExecuteRecord> ShellExecuteLog();

struct TrayIcon {
    HWND window = nullptr;
    UINT id = 0;
    UINT callbackMessage = 0;
    HICON icon = nullptr;
    std::string tip;
    DWORD state = 0;
    std::string info;
    std::string infoTitle;
    DWORD infoFlags = 0;
};
// In the order they were added.
std::vector<TrayIcon> TrayIcons();
// Posts the icon's callback message (wParam uID, lParam the mouse message) as a click would; false
// when no such icon exists or it has no callback message.
bool ClickTrayIcon(HWND window, UINT id, UINT mouseMessage);
// The user clicks (clicks 1) or double-clicks (2) the icon with `button`: the cursor moves onto it
// and its window receives what the shell delivers (see Shell_NotifyIcon). False when no such icon
// is shown or it has no callback message.
bool ClickTrayIcon(HWND window, UINT id, input::Button button, int clicks = 1);

struct BrowseForFolderScript {
    BrowseForFolderScript(std::vector<std::string> folders = {}, bool cancelAtEnd = false)
        : selections(std::move(folders)), cancel(cancelAtEnd) {}
    std::vector<std::string> selections;         // folders the user selects, in order
    bool cancel = false;                         // Cancel instead of OK at the end
    std::function<void(HWND dialog)> whileOpen;  // runs with the selections made and the dialog painted
};
// Serves the next SHBrowseForFolder call only.
void SetBrowseForFolderScript(const BrowseForFolderScript& script);
struct BrowseForFolderRecord {
    std::string title;
    UINT flags = 0;
    std::vector<std::string> statusTexts;
    bool okEnabled = true;
    std::string selection;  // at the end
    std::string outcome;    // "chosen", "cancelled", "no script", "ok disabled", "not a folder"
};
std::vector<BrowseForFolderRecord> BrowseForFolderLog();

// A drop of files (drive paths) at a client point; the caller finishes it with DragFinish. When
// `window` is given, WM_DROPFILES is posted to it with the drop as wParam.
HDROP MakeDrop(const std::vector<std::string>& files, POINT point, bool inClientArea = true,
               HWND window = nullptr);

struct ShellAboutRecord {
    std::string app;
    std::string otherStuff;
    HICON icon = nullptr;
    std::string caption;  // of the box's window
    HWND owner = nullptr;
    RECT window{};
    std::string closedBy;  // "OK", "Enter", "Escape", "close box" or "headless"
};
std::vector<ShellAboutRecord> ShellAboutLog();
// Runs with every later about box open and painted (null: none).
void SetShellAboutWhileOpen(std::function<void(HWND box)> whileOpen);

}  // namespace testing

}  // namespace win32
