// The common dialog library's print and page-setup dialogs, on the printers of win32/printing.h.
//
// Each runs as a real dialog window drawn in the classic look (class "ZylPrintDlg" or
// "ZylPageSetupDlg") whose procedure passes every message to the caller's hook first, as the system's
// dialogs do. The user is a script (testing::SetPrintDlgScript, testing::SetPageSetupScript), which
// serves the next call only; without one the call returns FALSE at once, CommDlgExtendedError() is 0
// as for Cancel, and the log records "no script".
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "win32/printing.h"
#include "win32/types.h"

namespace win32 {

// Extended errors.
inline constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
inline constexpr DWORD CDERR_INITIALIZATION = 0x0002;
inline constexpr DWORD CDERR_MEMALLOCFAILURE = 0x0009;
inline constexpr DWORD CDERR_MEMLOCKFAILURE = 0x000A;
inline constexpr DWORD CDERR_NOHOOK = 0x000B;
inline constexpr DWORD PDERR_RETDEFFAILURE = 0x1003;
inline constexpr DWORD PDERR_NODEFAULTPRN = 0x1008;
inline constexpr DWORD PDERR_DNDMMISMATCH = 0x1009;
inline constexpr DWORD PDERR_CREATEICFAILURE = 0x100A;
inline constexpr DWORD PDERR_PRINTERNOTFOUND = 0x100B;
// The error of the last print or page-setup dialog of this thread, 0 after success or Cancel.
DWORD CommDlgExtendedError();

using LPPRINTHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
using LPSETUPHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
using LPPAGESETUPHOOK = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
using LPPAGEPAINTHOOK = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// ---------------------------------------------------------------------------------------------
// Print

struct PRINTDLG {
    DWORD lStructSize;
    HWND hwndOwner;
    HGLOBAL hDevMode;   // DEVMODE, in and out; allocated when null
    HGLOBAL hDevNames;  // DEVNAMES, in and out; allocated when null
    HDC hDC;            // out, with PD_RETURNDC
    DWORD Flags;
    WORD nFromPage;
    WORD nToPage;
    WORD nMinPage;
    WORD nMaxPage;
    WORD nCopies;
    HINSTANCE hInstance;
    LPARAM lCustData;
    LPPRINTHOOKPROC lpfnPrintHook;
    LPSETUPHOOKPROC lpfnSetupHook;
    const char* lpPrintTemplateName;
    const char* lpSetupTemplateName;
    HGLOBAL hPrintTemplate;
    HGLOBAL hSetupTemplate;
};

inline constexpr DWORD PD_ALLPAGES = 0x00000000;
inline constexpr DWORD PD_SELECTION = 0x00000001;
inline constexpr DWORD PD_PAGENUMS = 0x00000002;
inline constexpr DWORD PD_NOSELECTION = 0x00000004;
inline constexpr DWORD PD_NOPAGENUMS = 0x00000008;
inline constexpr DWORD PD_COLLATE = 0x00000010;
inline constexpr DWORD PD_PRINTTOFILE = 0x00000020;
inline constexpr DWORD PD_PRINTSETUP = 0x00000040;
inline constexpr DWORD PD_NOWARNING = 0x00000080;
inline constexpr DWORD PD_RETURNDC = 0x00000100;
inline constexpr DWORD PD_RETURNIC = 0x00000200;
inline constexpr DWORD PD_RETURNDEFAULT = 0x00000400;
inline constexpr DWORD PD_SHOWHELP = 0x00000800;
inline constexpr DWORD PD_ENABLEPRINTHOOK = 0x00001000;
inline constexpr DWORD PD_ENABLESETUPHOOK = 0x00002000;
inline constexpr DWORD PD_USEDEVMODECOPIESANDCOLLATE = 0x00040000;
inline constexpr DWORD PD_USEDEVMODECOPIES = PD_USEDEVMODECOPIESANDCOLLATE;
inline constexpr DWORD PD_DISABLEPRINTTOFILE = 0x00080000;
inline constexpr DWORD PD_HIDEPRINTTOFILE = 0x00100000;
inline constexpr DWORD PD_NONETWORKBUTTON = 0x00200000;

// The controls' identifiers, as hooks see them in WM_COMMAND.
inline constexpr WORD psh1 = 0x0400;  // Properties
inline constexpr WORD psh3 = 0x0402;  // the page-setup dialog's Printer button
inline constexpr WORD pshHelp = 0x040E;

// TRUE on OK: hDevMode and hDevNames describe the chosen printer (the caller frees them with
// GlobalFree), nFromPage/nToPage/nCopies and the PD_SELECTION/PD_PAGENUMS/PD_COLLATE/PD_PRINTTOFILE
// flags say what to print, hDC is a printer DC with PD_RETURNDC. With PD_USEDEVMODECOPIES the copies
// and collation go into the settings block and nCopies is 1. PD_RETURNDEFAULT answers for the default
// printer without showing anything (hDevMode and hDevNames must be null). PD_PRINTSETUP shows the
// "Print Setup" dialog. No printer at all fails with PDERR_NODEFAULTPRN.
BOOL PrintDlg(PRINTDLG* lppd);

// ---------------------------------------------------------------------------------------------
// Page setup

struct PAGESETUPDLG {
    DWORD lStructSize;
    HWND hwndOwner;
    HGLOBAL hDevMode;
    HGLOBAL hDevNames;
    DWORD Flags;
    POINT ptPaperSize;
    RECT rtMinMargin;
    RECT rtMargin;
    HINSTANCE hInstance;
    LPARAM lCustData;
    LPPAGESETUPHOOK lpfnPageSetupHook;
    LPPAGEPAINTHOOK lpfnPagePaintHook;
    const char* lpPageSetupTemplateName;
    HGLOBAL hPageSetupTemplate;
};

inline constexpr DWORD PSD_DEFAULTMINMARGINS = 0x00000000;
inline constexpr DWORD PSD_INWININIINTLMEASURE = 0x00000000;
inline constexpr DWORD PSD_MINMARGINS = 0x00000001;
inline constexpr DWORD PSD_MARGINS = 0x00000002;
inline constexpr DWORD PSD_INTHOUSANDTHSOFINCHES = 0x00000004;
inline constexpr DWORD PSD_INHUNDREDTHSOFMILLIMETERS = 0x00000008;
inline constexpr DWORD PSD_DISABLEMARGINS = 0x00000010;
inline constexpr DWORD PSD_DISABLEPRINTER = 0x00000020;
inline constexpr DWORD PSD_NOWARNING = 0x00000080;
inline constexpr DWORD PSD_DISABLEORIENTATION = 0x00000100;
inline constexpr DWORD PSD_DISABLEPAPER = 0x00000200;
inline constexpr DWORD PSD_RETURNDEFAULT = 0x00000400;
inline constexpr DWORD PSD_SHOWHELP = 0x00000800;
inline constexpr DWORD PSD_ENABLEPAGESETUPHOOK = 0x00002000;
inline constexpr DWORD PSD_ENABLEPAGESETUPTEMPLATE = 0x00008000;
inline constexpr DWORD PSD_ENABLEPAGESETUPTEMPLATEHANDLE = 0x00020000;
inline constexpr DWORD PSD_ENABLEPAGEPAINTHOOK = 0x00040000;
inline constexpr DWORD PSD_DISABLEPAGEPAINTING = 0x00080000;
inline constexpr DWORD PSD_NONETWORKBUTTON = 0x00200000;

// Messages to the page-paint hook while the sample page is drawn. WM_PSD_PAGESETUPDLG comes first:
// wParam's low word is the paper size (DMPAPER_*), its high word the kind of page
// (PSD_PAGE_LANDSCAPE, PSD_PAGE_HPPCL, PSD_PAGE_PORTRAIT, PSD_PAGE_ENVELOPE bits; the system's
// values 0x1, 0x3, 0x5, 0x7, 0xb, 0xd, 0x19, 0x1f), lParam the PAGESETUPDLG; TRUE skips the
// rest. Each of the others carries the DC in wParam and a RECT* in lParam: TRUE from the hook means
// the dialog does not draw that part, and for WM_PSD_FULLPAGERECT that nothing more is sent.
// The envelope messages come only for envelopes.
inline constexpr UINT WM_PSD_PAGESETUPDLG = 0x0400;
inline constexpr UINT WM_PSD_FULLPAGERECT = 0x0401;
inline constexpr UINT WM_PSD_MINMARGINRECT = 0x0402;
inline constexpr UINT WM_PSD_MARGINRECT = 0x0403;
inline constexpr UINT WM_PSD_GREEKTEXTRECT = 0x0404;
inline constexpr UINT WM_PSD_ENVSTAMPRECT = 0x0405;
inline constexpr UINT WM_PSD_YAFULLPAGERECT = 0x0406;
inline constexpr WORD PSD_PAGE_LANDSCAPE = 0x0001;
inline constexpr WORD PSD_PAGE_HPPCL = 0x0002;
inline constexpr WORD PSD_PAGE_PORTRAIT = 0x0004;
inline constexpr WORD PSD_PAGE_ENVELOPE = 0x0008;

// TRUE on OK: ptPaperSize (of the chosen paper and orientation), rtMargin and rtMinMargin in the
// record's unit (PSD_INTHOUSANDTHSOFINCHES or PSD_INHUNDREDTHSOFMILLIMETERS, else thousandths of an
// inch), hDevMode and hDevNames of the chosen printer. Without PSD_MARGINS the margins start at one
// inch (2540 hundredths of a millimetre). The margins' floor is the paper's unprintable border, or
// rtMinMargin with PSD_MINMARGINS; a margin the user types below it is raised to it (the record's
// own margins are shown as they are). The Printer button (psh3)
// goes to the setup hook as WM_COMMAND first; a hook answering TRUE keeps the platform's Print Setup
// dialog closed.
BOOL PageSetupDlg(PAGESETUPDLG* lppsd);

namespace testing {

struct PrintDlgScript {
    std::string printer;                         // chosen in the printer list; empty keeps the current one
    WORD copies = 0;                             // 0 keeps
    std::optional<std::pair<WORD, WORD>> pages;  // "Pages" from, to
    bool selection = false;                      // "Selection"
    std::optional<bool> collate;
    std::optional<bool> printToFile;
    std::optional<SHORT> orientation;  // Print Setup only
    std::optional<SHORT> paperSize;    // Print Setup only
    bool cancel = false;
    std::function<void(HWND dialog)> whileOpen;  // runs with the dialog shown and painted
};
void SetPrintDlgScript(const PrintDlgScript& script);

struct PageSetupScript {
    std::optional<SHORT> paperSize;
    std::optional<SHORT> orientation;
    std::optional<RECT> margins;  // typed into the margin edits, in the record's unit
    bool pressPrinter = false;    // clicks Printer... before closing
    bool cancel = false;
    std::function<void(HWND dialog)> whileOpen;
};
void SetPageSetupScript(const PageSetupScript& script);

struct CommonDialogRecord {
    std::string dialog;  // "Print", "Print Setup", "Page Setup"
    DWORD flags = 0;
    RECT window{0, 0, 0, 0};        // where the dialog stood when it closed
    std::string printer;            // the printer chosen at the end
    bool printSetupOpened = false;  // the Printer button opened the Print Setup dialog
    std::string outcome;            // "ok", "cancelled", "no script", "refused: <why>"
};
std::vector<CommonDialogRecord> CommonDialogLog();

}  // namespace testing

}  // namespace win32
