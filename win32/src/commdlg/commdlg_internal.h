// What the print and page-setup dialogs share: the extended error, the scripts and the log, the
// printer a record names, the settings and names blocks in global memory, and the classic-look parts
// the dialogs are drawn with.
#pragma once

#include <optional>
#include <string>

#include "printing/printing_internal.h"
#include "win32/commdlg.h"

namespace win32::commdlg {

void SetExtendedError(DWORD error);

std::optional<testing::PrintDlgScript> TakePrintDlgScript();
std::optional<testing::PageSetupScript> TakePageSetupScript();
void Log(testing::CommonDialogRecord record);

// The printer the names block (else the settings block, else the default) names; nullopt with the
// extended error set when there is none.
std::optional<printing::PrinterQueue> RecordPrinter(HGLOBAL devNames, HGLOBAL devMode);
// The record's settings for the queue: its defaults with the given block's fields over them.
DEVMODE RecordDevMode(const printing::PrinterQueue& queue, HGLOBAL devMode);
// Replaces the blocks (freeing what was there) with the chosen printer's; false when memory ran out.
bool StoreBlocks(HGLOBAL& devMode, HGLOBAL& devNames, const printing::PrinterQueue& queue,
                 const DEVMODE& mode);

// The classic look.
struct Painter {
    HDC dc;
    HFONT oldFont;
    explicit Painter(HDC target);
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    void Background(const RECT& client) const;
    void Group(const RECT& box, const std::string& caption, bool enabled = true) const;
    void Label(int x, int y, const std::string& text, bool enabled = true) const;
    void Field(const RECT& box, const std::string& text, bool enabled = true, bool dropDown = false) const;
    void Radio(int x, int y, const std::string& text, bool checked, bool enabled = true) const;
    void Check(int x, int y, const std::string& text, bool checked, bool enabled = true) const;
    void Button(const RECT& box, const std::string& text, bool isDefault = false, bool enabled = true) const;
};

// Registers (again, after a platform reset) a dialog class with this procedure.
void RegisterDialogClass(const char* name, WNDPROC procedure);
// A dialog window of the class, centred on the screen, shown.
HWND CreateDialogWindow(const char* className, const char* caption, HWND owner, int clientWidth,
                        int clientHeight);

}  // namespace win32::commdlg
