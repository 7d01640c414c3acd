// The Print and Print Setup dialogs.
#include <algorithm>
#include <vector>

#include "commdlg/commdlg_internal.h"
#include "win32/gdi.h"
#include "win32/messages.h"
#include "win32/user.h"

namespace win32 {

using namespace commdlg;

namespace printdlg {

constexpr char kPrintClass[] = "ZylPrintDlg";
constexpr int kPrintClientWidth = 420;
constexpr int kPrintHeight = 300;
constexpr int kSetupHeight = 270;

struct PrintSession {
    PRINTDLG* record = nullptr;
    HWND window = nullptr;
    bool setup = false;
    printing::PrinterQueue queue;
    DEVMODE mode{};
    WORD copies = 1;
    bool collate = false;
    bool printToFile = false;
    DWORD range = PD_ALLPAGES;
    WORD fromPage = 0;
    WORD toPage = 0;
};

thread_local std::vector<PrintSession*> printSessions;

PrintSession* PrintSessionOf(HWND window) {
    for (PrintSession* session : printSessions)
        if (session->window == window) return session;
    return nullptr;
}

LPPRINTHOOKPROC Hook(const PRINTDLG& record, bool setup) {
    if (setup) return (record.Flags & PD_ENABLESETUPHOOK) ? record.lpfnSetupHook : nullptr;
    return (record.Flags & PD_ENABLEPRINTHOOK) ? record.lpfnPrintHook : nullptr;
}

std::string PaperName(const PrintSession& session) {
    const printing::PaperSize* paper = printing::FindPaper(session.queue, session.mode.dmPaperSize);
    return paper ? paper->name : std::string();
}

std::string Number(WORD value) {
    return value ? std::to_string(value) : std::string();
}

void PaintPrint(PrintSession& session, HDC dc) {
    const DWORD flags = session.record->Flags;
    const Painter painter(dc);
    painter.Background(RECT{0, 0, kPrintClientWidth, kPrintHeight});
    painter.Group(RECT{8, 4, 412, 128}, "Printer");
    painter.Label(18, 28, "&Name:");
    painter.Field(RECT{86, 24, 310, 45}, session.queue.name, true, true);
    painter.Button(RECT{318, 23, 402, 46}, "&Properties");
    painter.Label(18, 54, "Status:");
    painter.Label(86, 54, session.queue.status == PRINTER_STATUS_PAUSED ? "Paused" : "Ready");
    painter.Label(18, 72, "Type:");
    painter.Label(86, 72, session.queue.driver);
    painter.Label(18, 90, "Where:");
    painter.Label(86, 90, session.queue.port);
    if (!(flags & PD_HIDEPRINTTOFILE))
        painter.Check(300, 104, "Print to fi&le", session.printToFile, !(flags & PD_DISABLEPRINTTOFILE));

    painter.Group(RECT{8, 134, 222, 250}, "Print range");
    painter.Radio(18, 156, "&All", session.range == PD_ALLPAGES);
    const bool pages = !(flags & PD_NOPAGENUMS);
    painter.Radio(18, 184, "Pa&ges", session.range == PD_PAGENUMS, pages);
    painter.Label(84, 184, "&from:", pages);
    painter.Field(RECT{116, 180, 152, 201}, Number(session.fromPage), pages);
    painter.Label(158, 184, "&to:", pages);
    painter.Field(RECT{176, 180, 212, 201}, Number(session.toPage), pages);
    painter.Radio(18, 220, "&Selection", session.range == PD_SELECTION, !(flags & PD_NOSELECTION));

    painter.Group(RECT{230, 134, 412, 250}, "Copies");
    painter.Label(240, 158, "Number of &copies:");
    painter.Field(RECT{350, 154, 402, 175}, std::to_string(session.copies));
    painter.Check(240, 220, "C&ollate", session.collate);

    painter.Button(RECT{246, 264, 321, 287}, "OK", true);
    painter.Button(RECT{327, 264, 402, 287}, "Cancel");
    if (flags & PD_SHOWHELP) painter.Button(RECT{165, 264, 240, 287}, "&Help");
}

void PaintSetup(PrintSession& session, HDC dc) {
    const Painter painter(dc);
    painter.Background(RECT{0, 0, kPrintClientWidth, kSetupHeight});
    painter.Group(RECT{8, 4, 412, 110}, "Printer");
    painter.Radio(18, 26, "&Default printer", session.queue.isDefault);
    painter.Label(36, 44, session.queue.isDefault ? "(currently " + session.queue.name + ")" : std::string());
    painter.Radio(18, 66, "Specific &printer:", !session.queue.isDefault);
    painter.Field(RECT{36, 82, 402, 103}, session.queue.name, true, true);
    const bool landscape = session.mode.dmOrientation == DMORIENT_LANDSCAPE;
    painter.Group(RECT{8, 118, 140, 220}, "Orientation");
    painter.Radio(18, 146, "P&ortrait", !landscape);
    painter.Radio(18, 180, "L&andscape", landscape);
    painter.Group(RECT{148, 118, 412, 220}, "Paper");
    painter.Label(158, 146, "Si&ze:");
    painter.Field(RECT{212, 142, 402, 163}, PaperName(session), true, true);
    painter.Label(158, 180, "&Source:");
    painter.Field(RECT{212, 176, 402, 197}, "Automatically Select", true, true);
    painter.Button(RECT{165, 234, 240, 257}, "OK", true);
    painter.Button(RECT{246, 234, 321, 257}, "Cancel");
    painter.Button(RECT{327, 234, 402, 257}, "&Options...");
}

LRESULT PrintProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    PrintSession* session = PrintSessionOf(hwnd);
    if (!session) return DefWindowProc(hwnd, message, wParam, lParam);
    if (LPPRINTHOOKPROC hook = Hook(*session->record, session->setup); hook && message != WM_INITDIALOG)
        if (UINT_PTR handled = hook(hwnd, message, wParam, lParam)) return static_cast<LRESULT>(handled);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            if (session->setup)
                PaintSetup(*session, dc);
            else
                PaintPrint(*session, dc);
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

// Applies the script; false with the reason when the dialog would not close with OK.
bool ApplyScript(PrintSession& session, const testing::PrintDlgScript& script, std::string& refusal) {
    const DWORD flags = session.record->Flags;
    if (!script.printer.empty()) {
        std::optional<printing::PrinterQueue> queue = printing::FindPrinter(script.printer);
        if (!queue) {
            refusal = "no printer " + script.printer;
            return false;
        }
        DEVMODE kept = session.mode;
        printing::DefaultDevMode(*queue, session.mode);
        kept.dmFields &= DM_ORIENTATION | DM_COPIES | DM_COLLATE;
        printing::MergeDevMode(*queue, session.mode, kept);
        session.queue = std::move(*queue);
    }
    if (script.orientation) {
        DEVMODE change{};
        change.dmFields = DM_ORIENTATION;
        change.dmOrientation = *script.orientation;
        printing::MergeDevMode(session.queue, session.mode, change);
    }
    if (script.paperSize) {
        if (!printing::FindPaper(session.queue, *script.paperSize)) {
            refusal = "no such paper";
            return false;
        }
        DEVMODE change{};
        change.dmFields = DM_PAPERSIZE;
        change.dmPaperSize = *script.paperSize;
        printing::MergeDevMode(session.queue, session.mode, change);
    }
    if (script.copies) session.copies = script.copies;
    if (script.collate) session.collate = *script.collate;
    if (script.printToFile && !(flags & (PD_DISABLEPRINTTOFILE | PD_HIDEPRINTTOFILE)))
        session.printToFile = *script.printToFile;
    if (script.selection && !(flags & PD_NOSELECTION)) session.range = PD_SELECTION;
    if (script.pages) {
        if (flags & PD_NOPAGENUMS) {
            refusal = "page numbers disabled";
            return false;
        }
        const auto [from, to] = *script.pages;
        const PRINTDLG& record = *session.record;
        if (from > to || from < record.nMinPage || to > record.nMaxPage) {
            refusal = "pages out of range";
            return false;
        }
        session.range = PD_PAGENUMS;
        session.fromPage = from;
        session.toPage = to;
    }
    return true;
}

void StorePrintResults(PrintSession& session) {
    PRINTDLG& record = *session.record;
    if (!session.setup) {
        record.Flags &= ~(PD_SELECTION | PD_PAGENUMS | PD_COLLATE | PD_PRINTTOFILE);
        record.Flags |= session.range;
        if (session.printToFile) record.Flags |= PD_PRINTTOFILE;
        if (session.range == PD_PAGENUMS) {
            record.nFromPage = session.fromPage;
            record.nToPage = session.toPage;
        }
        if (record.Flags & PD_USEDEVMODECOPIESANDCOLLATE) {
            session.mode.dmCopies = static_cast<SHORT>(session.copies);
            session.mode.dmCollate = session.collate ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
            record.nCopies = 1;
        } else {
            // The application makes the copies itself.
            session.mode.dmCopies = 1;
            record.nCopies = session.copies;
            if (session.collate) record.Flags |= PD_COLLATE;
        }
    }
}

}  // namespace printdlg

using namespace printdlg;

BOOL PrintDlg(PRINTDLG* lppd) {
    SetExtendedError(0);
    if (!lppd) {
        SetExtendedError(CDERR_INITIALIZATION);
        return FALSE;
    }
    if (lppd->lStructSize != sizeof(PRINTDLG)) {
        SetExtendedError(CDERR_STRUCTSIZE);
        return FALSE;
    }
    const bool setup = (lppd->Flags & PD_PRINTSETUP) != 0;
    if (((lppd->Flags & PD_ENABLEPRINTHOOK) && !lppd->lpfnPrintHook) ||
        ((lppd->Flags & PD_ENABLESETUPHOOK) && !lppd->lpfnSetupHook)) {
        SetExtendedError(CDERR_NOHOOK);
        return FALSE;
    }
    if ((lppd->Flags & PD_RETURNDEFAULT) && (lppd->hDevMode || lppd->hDevNames)) {
        SetExtendedError(PDERR_RETDEFFAILURE);
        return FALSE;
    }
    testing::CommonDialogRecord log;
    log.dialog = setup ? "Print Setup" : "Print";
    log.flags = lppd->Flags;
    std::optional<printing::PrinterQueue> queue = RecordPrinter(lppd->hDevNames, lppd->hDevMode);
    if (!queue) {
        log.outcome = "refused: no printer";
        Log(log);
        return FALSE;
    }
    PrintSession session;
    session.record = lppd;
    session.setup = setup;
    session.mode = RecordDevMode(*queue, lppd->hDevMode);
    session.queue = std::move(*queue);
    session.copies = std::max<WORD>(1, (lppd->Flags & PD_USEDEVMODECOPIESANDCOLLATE)
                                           ? static_cast<WORD>(std::max<SHORT>(1, session.mode.dmCopies))
                                           : lppd->nCopies);
    session.collate = (lppd->Flags & PD_COLLATE) || session.mode.dmCollate == DMCOLLATE_TRUE;
    session.printToFile = (lppd->Flags & PD_PRINTTOFILE) != 0;
    session.range = lppd->Flags & (PD_SELECTION | PD_PAGENUMS);
    session.fromPage = lppd->nFromPage;
    session.toPage = lppd->nToPage;

    auto finish = [&]() -> BOOL {
        StorePrintResults(session);
        if (!StoreBlocks(lppd->hDevMode, lppd->hDevNames, session.queue, session.mode)) return FALSE;
        if (lppd->Flags & (PD_RETURNDC | PD_RETURNIC)) {
            lppd->hDC = CreateDC(nullptr, session.queue.name.c_str(), nullptr, &session.mode);
            if (!lppd->hDC) {
                SetExtendedError(PDERR_CREATEICFAILURE);
                return FALSE;
            }
        }
        return TRUE;
    };
    if (lppd->Flags & PD_RETURNDEFAULT) return finish();

    std::optional<testing::PrintDlgScript> script = TakePrintDlgScript();
    if (!script) {
        log.outcome = "no script";
        Log(log);
        return FALSE;
    }
    RegisterDialogClass(kPrintClass, PrintProcedure);
    session.window = CreateDialogWindow(kPrintClass, setup ? "Print Setup" : "Print", lppd->hwndOwner,
                                        kPrintClientWidth, setup ? kSetupHeight : kPrintHeight);
    if (!session.window) {
        SetExtendedError(CDERR_INITIALIZATION);
        return FALSE;
    }
    printSessions.push_back(&session);
    struct Leave {
        PrintSession* session;
        ~Leave() {
            std::erase(printSessions, session);
            DestroyWindow(session->window);
        }
    } leave{&session};
    if (LPPRINTHOOKPROC hook = Hook(*lppd, setup))
        hook(session.window, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(lppd));
    UpdateWindow(session.window);
    std::string refusal;
    const bool applied = ApplyScript(session, *script, refusal);
    InvalidateRect(session.window, nullptr, TRUE);
    UpdateWindow(session.window);
    if (script->whileOpen) script->whileOpen(session.window);
    GetWindowRect(session.window, &log.window);
    log.printer = session.queue.name;
    if (script->cancel || !applied) {
        log.outcome = script->cancel ? "cancelled" : "refused: " + refusal;
        Log(log);
        return FALSE;
    }
    const BOOL accepted = finish();
    log.outcome = accepted ? "ok" : "refused: no printer DC";
    Log(log);
    return accepted;
}

}  // namespace win32
