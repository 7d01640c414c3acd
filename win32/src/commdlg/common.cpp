// The parts the print and page-setup dialogs share.
#include <cstring>
#include <mutex>
#include <vector>

#include "commdlg/commdlg_internal.h"
#include "win32/controls.h"
#include "win32/errors.h"
#include "win32/gdi.h"
#include "win32/kernel.h"
#include "win32/messages.h"
#include "win32/user.h"

namespace win32 {

namespace commdlg_common {

thread_local DWORD extendedError = 0;

struct DialogScripts {
    std::mutex mutex;
    std::optional<testing::PrintDlgScript> print;
    std::optional<testing::PageSetupScript> pageSetup;
    std::vector<testing::CommonDialogRecord> log;
};

DialogScripts& Scripts() {
    static DialogScripts* state = [] {
        auto* created = new DialogScripts;
        testing::AddResetHook([created] {
            std::lock_guard lock(created->mutex);
            created->print.reset();
            created->pageSetup.reset();
            created->log.clear();
        });
        return created;
    }();
    return *state;
}

// A string of a names block, bounded by the block.
std::string NamesString(const BYTE* block, size_t size, WORD offset) {
    if (offset >= size) return {};
    const char* start = reinterpret_cast<const char*>(block + offset);
    return std::string(start, strnlen(start, size - offset));
}

}  // namespace commdlg_common

using namespace commdlg_common;

DWORD CommDlgExtendedError() {
    return extendedError;
}

namespace commdlg {

void SetExtendedError(DWORD error) {
    extendedError = error;
}

std::optional<testing::PrintDlgScript> TakePrintDlgScript() {
    auto& state = Scripts();
    std::lock_guard lock(state.mutex);
    std::optional<testing::PrintDlgScript> script;
    script.swap(state.print);
    return script;
}

std::optional<testing::PageSetupScript> TakePageSetupScript() {
    auto& state = Scripts();
    std::lock_guard lock(state.mutex);
    std::optional<testing::PageSetupScript> script;
    script.swap(state.pageSetup);
    return script;
}

void Log(testing::CommonDialogRecord record) {
    auto& state = Scripts();
    std::lock_guard lock(state.mutex);
    state.log.push_back(std::move(record));
}

std::optional<printing::PrinterQueue> RecordPrinter(HGLOBAL devNames, HGLOBAL devMode) {
    std::string name;
    if (devNames) {
        const size_t size = GlobalSize(devNames);
        const auto* block = static_cast<const BYTE*>(GlobalLock(devNames));
        if (!block || size < sizeof(DEVNAMES)) {
            if (block) GlobalUnlock(devNames);
            SetExtendedError(CDERR_MEMLOCKFAILURE);
            return std::nullopt;
        }
        DEVNAMES names;
        std::memcpy(&names, block, sizeof names);
        name = NamesString(block, size, names.wDeviceOffset);
        GlobalUnlock(devNames);
    } else if (devMode) {
        const auto* mode = static_cast<const DEVMODE*>(GlobalLock(devMode));
        if (mode && GlobalSize(devMode) >= sizeof(DEVMODE))
            name.assign(reinterpret_cast<const char*>(mode->dmDeviceName),
                        strnlen(reinterpret_cast<const char*>(mode->dmDeviceName), CCHDEVICENAME));
        if (mode) GlobalUnlock(devMode);
    }
    if (!name.empty()) {
        std::optional<printing::PrinterQueue> queue = printing::FindPrinter(name);
        if (!queue) SetExtendedError(PDERR_PRINTERNOTFOUND);
        return queue;
    }
    std::vector<printing::PrinterQueue> queues = printing::QueryPrinters(false);
    for (const printing::PrinterQueue& queue : queues)
        if (queue.isDefault) return printing::FindPrinter(queue.name);
    SetExtendedError(PDERR_NODEFAULTPRN);
    return std::nullopt;
}

DEVMODE RecordDevMode(const printing::PrinterQueue& queue, HGLOBAL devMode) {
    DEVMODE mode;
    printing::DefaultDevMode(queue, mode);
    if (devMode && GlobalSize(devMode) >= sizeof(DEVMODE)) {
        if (const auto* given = static_cast<const DEVMODE*>(GlobalLock(devMode))) {
            const std::string givenName(
                reinterpret_cast<const char*>(given->dmDeviceName),
                strnlen(reinterpret_cast<const char*>(given->dmDeviceName), CCHDEVICENAME));
            // A block of another printer says nothing about this one.
            if (givenName.empty() || queue.name.compare(0, givenName.size(), givenName) == 0)
                printing::MergeDevMode(queue, mode, *given);
            GlobalUnlock(devMode);
        }
    }
    return mode;
}

bool StoreBlocks(HGLOBAL& devMode, HGLOBAL& devNames, const printing::PrinterQueue& queue,
                 const DEVMODE& mode) {
    const size_t namesSize =
        sizeof(DEVNAMES) + queue.driver.size() + queue.name.size() + queue.port.size() + 3;
    HGLOBAL newMode = GlobalAlloc(GHND, sizeof(DEVMODE));
    HGLOBAL newNames = namesSize <= 0xFFFF ? GlobalAlloc(GHND, namesSize) : nullptr;
    auto* modeBytes = newMode ? static_cast<DEVMODE*>(GlobalLock(newMode)) : nullptr;
    auto* namesBytes = newNames ? static_cast<BYTE*>(GlobalLock(newNames)) : nullptr;
    if (!modeBytes || !namesBytes) {
        if (modeBytes) GlobalUnlock(newMode);
        if (namesBytes) GlobalUnlock(newNames);
        if (newMode) GlobalFree(newMode);
        if (newNames) GlobalFree(newNames);
        SetExtendedError(CDERR_MEMALLOCFAILURE);
        return false;
    }
    *modeBytes = mode;
    GlobalUnlock(newMode);
    DEVNAMES names;
    names.wDriverOffset = sizeof(DEVNAMES);
    names.wDeviceOffset = static_cast<WORD>(names.wDriverOffset + queue.driver.size() + 1);
    names.wOutputOffset = static_cast<WORD>(names.wDeviceOffset + queue.name.size() + 1);
    names.wDefault = queue.isDefault ? DN_DEFAULTPRN : 0;
    std::memcpy(namesBytes, &names, sizeof names);
    std::memcpy(namesBytes + names.wDriverOffset, queue.driver.c_str(), queue.driver.size() + 1);
    std::memcpy(namesBytes + names.wDeviceOffset, queue.name.c_str(), queue.name.size() + 1);
    std::memcpy(namesBytes + names.wOutputOffset, queue.port.c_str(), queue.port.size() + 1);
    GlobalUnlock(newNames);
    if (devMode) GlobalFree(devMode);
    if (devNames) GlobalFree(devNames);
    devMode = newMode;
    devNames = newNames;
    return true;
}

Painter::Painter(HDC target) : dc(target) {
    oldFont = static_cast<HFONT>(SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT)));
    SetBkMode(dc, TRANSPARENT);
}

Painter::~Painter() {
    SelectObject(dc, oldFont);
}

void Painter::Background(const RECT& client) const {
    FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));
}

void Painter::Group(const RECT& box, const std::string& caption, bool enabled) const {
    RECT frame{box.left, box.top + 6, box.right, box.bottom};
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    SIZE extent{0, 0};
    GetTextExtentPoint32(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    RECT behind{box.left + 6, box.top, box.left + 10 + extent.cx, box.top + extent.cy};
    FillRect(dc, &behind, GetSysColorBrush(COLOR_3DFACE));
    Label(box.left + 8, box.top, caption, enabled);
}

void Painter::Label(int x, int y, const std::string& text, bool enabled) const {
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    // DrawText underlines the access key that "&" marks.
    RECT box{x, y, x + 400, y + 20};
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &box,
             DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOCLIP);
}

void Painter::Field(const RECT& box, const std::string& text, bool enabled, bool dropDown) const {
    RECT frame = box;
    DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    FillRect(dc, &frame, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_3DFACE));
    RECT textBox{frame.left + 2, frame.top, frame.right - (dropDown ? 18 : 2), frame.bottom};
    SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &textBox, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (dropDown) {
        RECT arrow{frame.right - 16, frame.top, frame.right, frame.bottom};
        DrawFrameControl(dc, &arrow, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (enabled ? 0 : DFCS_INACTIVE));
    }
}

void Painter::Radio(int x, int y, const std::string& text, bool checked, bool enabled) const {
    RECT mark{x, y + 1, x + 13, y + 14};
    DrawFrameControl(dc, &mark, DFC_BUTTON,
                     DFCS_BUTTONRADIO | (checked ? DFCS_CHECKED : 0) | (enabled ? 0 : DFCS_INACTIVE));
    Label(x + 18, y, text, enabled);
}

void Painter::Check(int x, int y, const std::string& text, bool checked, bool enabled) const {
    RECT mark{x, y + 1, x + 13, y + 14};
    DrawFrameControl(dc, &mark, DFC_BUTTON,
                     DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0) | (enabled ? 0 : DFCS_INACTIVE));
    Label(x + 18, y, text, enabled);
}

void Painter::Button(const RECT& box, const std::string& text, bool isDefault, bool enabled) const {
    RECT face = box;
    if (isDefault) {
        FrameRect(dc, &face, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&face, -1, -1);
    }
    DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (enabled ? 0 : DFCS_INACTIVE));
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void RegisterDialogClass(const char* name, WNDPROC procedure) {
    // Registered on every use: resetting the platform forgets window classes. A class already
    // there is the same one.
    WNDCLASS windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = name;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_3DFACE);
    RegisterClass(&windowClass);
}

HWND CreateDialogWindow(const char* className, const char* caption, HWND owner, int clientWidth,
                        int clientHeight) {
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
              y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return CreateWindowEx(WS_EX_DLGMODALFRAME, className, caption, style | WS_VISIBLE, x, y, width, height,
                          owner, nullptr, nullptr, nullptr);
}

}  // namespace commdlg

namespace testing {

void SetPrintDlgScript(const PrintDlgScript& script) {
    auto& state = Scripts();
    std::lock_guard lock(state.mutex);
    state.print = script;
}

void SetPageSetupScript(const PageSetupScript& script) {
    auto& state = Scripts();
    std::lock_guard lock(state.mutex);
    state.pageSetup = script;
}

std::vector<CommonDialogRecord> CommonDialogLog() {
    auto& state = Scripts();
    std::lock_guard lock(state.mutex);
    return state.log;
}

}  // namespace testing

}  // namespace win32
