// The page-setup dialog: paper, orientation and margins with a sample page, and the Printer button.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "commdlg/commdlg_internal.h"
#include "win32/controls.h"
#include "win32/gdi.h"
#include "win32/messages.h"
#include "win32/user.h"

namespace win32 {

using namespace commdlg;

namespace pagesetup {

constexpr char kPageSetupClass[] = "ZylPageSetupDlg";
constexpr int kPageSetupClientWidth = 420;
constexpr int kPageSetupClientHeight = 372;
constexpr RECT kSampleBox{130, 8, 290, 148};
constexpr int kHundredthsMmPerInch = 2540;

struct PageSetupSession {
    PAGESETUPDLG* record = nullptr;
    HWND window = nullptr;
    printing::PrinterQueue queue;
    DEVMODE mode{};
    bool millimetres = false;
    RECT margins{};     // hundredths of a millimetre
    RECT minMargins{};  // hundredths of a millimetre
    bool printSetupOpened = false;
};

thread_local std::vector<PageSetupSession*> pageSetupSessions;

PageSetupSession* PageSetupSessionOf(HWND window) {
    for (PageSetupSession* session : pageSetupSessions)
        if (session->window == window) return session;
    return nullptr;
}

int ToHundredthsMm(int value, bool millimetres) {
    return millimetres ? value
                       : static_cast<int>((static_cast<int64_t>(value) * kHundredthsMmPerInch + 500) / 1000);
}
int FromHundredthsMm(int value, bool millimetres) {
    return millimetres ? value
                       : static_cast<int>((static_cast<int64_t>(value) * 1000 + kHundredthsMmPerInch / 2) /
                                          kHundredthsMmPerInch);
}
RECT ToHundredthsMm(const RECT& r, bool mm) {
    return RECT{ToHundredthsMm(r.left, mm), ToHundredthsMm(r.top, mm), ToHundredthsMm(r.right, mm),
                ToHundredthsMm(r.bottom, mm)};
}
RECT FromHundredthsMm(const RECT& r, bool mm) {
    return RECT{FromHundredthsMm(r.left, mm), FromHundredthsMm(r.top, mm), FromHundredthsMm(r.right, mm),
                FromHundredthsMm(r.bottom, mm)};
}

const printing::PaperSize& Paper(const PageSetupSession& session) {
    const printing::PaperSize* paper = printing::FindPaper(session.queue, session.mode.dmPaperSize);
    return paper ? *paper : session.queue.papers.front();
}

bool Landscape(const PageSetupSession& session) {
    return session.mode.dmOrientation == DMORIENT_LANDSCAPE;
}

// The paper as it lies, hundredths of a millimetre.
SIZE PaperExtent(const PageSetupSession& session) {
    const printing::PaperSize& paper = Paper(session);
    return Landscape(session) ? SIZE{paper.length, paper.width} : SIZE{paper.width, paper.length};
}

RECT PrinterMinimum(const PageSetupSession& session) {
    const RECT m = Paper(session).margins;
    return Landscape(session) ? RECT{m.top, m.right, m.bottom, m.left} : m;
}

void RaiseToMinimum(PageSetupSession& session) {
    session.margins.left = std::max(session.margins.left, session.minMargins.left);
    session.margins.top = std::max(session.margins.top, session.minMargins.top);
    session.margins.right = std::max(session.margins.right, session.minMargins.right);
    session.margins.bottom = std::max(session.margins.bottom, session.minMargins.bottom);
}

std::string MarginText(int hundredthsMm, bool millimetres) {
    char text[32];
    if (millimetres)
        std::snprintf(text, sizeof text, "%g mm", hundredthsMm / 100.0);
    else
        std::snprintf(text, sizeof text, "%g\"", FromHundredthsMm(hundredthsMm, false) / 1000.0);
    return text;
}

WORD PageKind(const PageSetupSession& session) {
    WORD kind = Landscape(session) ? PSD_PAGE_LANDSCAPE : PSD_PAGE_PORTRAIT;
    // Page printers (laser, ink, PDF) draw like the HPPCL class; only low-resolution queues are
    // dot matrix.
    if (session.queue.resolutions.empty() || session.queue.resolutions.front() >= 300) kind |= PSD_PAGE_HPPCL;
    if (Paper(session).envelope) kind |= PSD_PAGE_ENVELOPE;
    return kind;
}

// The hook draws on the dialog's own DC: whatever it selects or sets there is undone afterwards, so
// that the rest of the dialog is drawn as if it had not run.
UINT_PTR AskPaintHook(PageSetupSession& session, HDC dc, UINT message, WPARAM wParam, LPARAM lParam) {
    const PAGESETUPDLG& record = *session.record;
    if (!(record.Flags & PSD_ENABLEPAGEPAINTHOOK) || !record.lpfnPagePaintHook) return FALSE;
    const int saved = SaveDC(dc);
    const UINT_PTR result = record.lpfnPagePaintHook(session.window, message, wParam, lParam);
    RestoreDC(dc, saved);
    return result;
}

RECT Inset(const RECT& page, const RECT& margins, SIZE paper) {
    const int width = page.right - page.left, height = page.bottom - page.top;
    auto scale = [](int value, int pixels, int whole) {
        return whole > 0 ? static_cast<int>(static_cast<int64_t>(value) * pixels / whole) : 0;
    };
    RECT inner{page.left + scale(margins.left, width, paper.cx),
               page.top + scale(margins.top, height, paper.cy),
               page.right - scale(margins.right, width, paper.cx),
               page.bottom - scale(margins.bottom, height, paper.cy)};
    if (inner.right < inner.left) inner.right = inner.left;
    if (inner.bottom < inner.top) inner.bottom = inner.top;
    return inner;
}

void DrawGreekText(HDC dc, const RECT& area) {
    HBRUSH grey = GetSysColorBrush(COLOR_3DSHADOW);
    for (int y = area.top + 2; y + 1 < area.bottom; y += 4) {
        const int right = (y / 4) % 5 == 4 ? area.left + (area.right - area.left) * 2 / 3 : area.right;
        RECT line{area.left, y, right, y + 1};
        FillRect(dc, &line, grey);
    }
}

// The sample page, with the paint hook asked first about each part.
void PaintSample(PageSetupSession& session, HDC dc) {
    if (session.record->Flags & PSD_DISABLEPAGEPAINTING) return;
    const SIZE paper = PaperExtent(session);
    const int boxWidth = kSampleBox.right - kSampleBox.left - 12,
              boxHeight = kSampleBox.bottom - kSampleBox.top - 12;
    int width = boxWidth,
        height =
            paper.cx > 0 ? static_cast<int>(static_cast<int64_t>(boxWidth) * paper.cy / paper.cx) : boxHeight;
    if (height > boxHeight) {
        height = boxHeight;
        width =
            paper.cy > 0 ? static_cast<int>(static_cast<int64_t>(boxHeight) * paper.cx / paper.cy) : boxWidth;
    }
    const int left = (kSampleBox.left + kSampleBox.right - width) / 2;
    const int top = (kSampleBox.top + kSampleBox.bottom - height) / 2;
    RECT page{left, top, left + width, top + height};

    const bool envelope = Paper(session).envelope;
    if (AskPaintHook(session, dc, WM_PSD_PAGESETUPDLG,
                     MAKEWPARAM(static_cast<WORD>(session.mode.dmPaperSize), PageKind(session)),
                     reinterpret_cast<LPARAM>(session.record)))
        return;
    RECT part = page;
    if (AskPaintHook(session, dc, WM_PSD_FULLPAGERECT, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(&part)))
        return;
    RECT shadow{page.left + 3, page.top + 3, page.right + 3, page.bottom + 3};
    FillRect(dc, &shadow, GetSysColorBrush(COLOR_3DDKSHADOW));
    FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(dc, &page, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    part = Inset(page, session.minMargins, paper);
    AskPaintHook(session, dc, WM_PSD_MINMARGINRECT, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(&part));
    const RECT marginRect = Inset(page, session.margins, paper);
    part = marginRect;
    if (!AskPaintHook(session, dc, WM_PSD_MARGINRECT, reinterpret_cast<WPARAM>(dc),
                      reinterpret_cast<LPARAM>(&part)) &&
        !(session.record->Flags & PSD_DISABLEMARGINS))
        FrameRect(dc, &marginRect, GetSysColorBrush(COLOR_3DSHADOW));
    RECT text = marginRect;
    InflateRect(&text, -2, -2);
    if (envelope)
        text =
            RECT{(page.left + page.right) / 3, (page.top + page.bottom) / 2, page.right - 4, page.bottom - 4};
    part = text;
    if (!AskPaintHook(session, dc, WM_PSD_GREEKTEXTRECT, reinterpret_cast<WPARAM>(dc),
                      reinterpret_cast<LPARAM>(&part)))
        DrawGreekText(dc, text);
    if (!envelope) return;
    const int stampSize = std::max(4, width / 8);
    const RECT stamp{page.right - 3 - stampSize, page.top + 3, page.right - 3, page.top + 3 + stampSize};
    part = stamp;
    if (!AskPaintHook(session, dc, WM_PSD_ENVSTAMPRECT, reinterpret_cast<WPARAM>(dc),
                      reinterpret_cast<LPARAM>(&part)))
        FrameRect(dc, &stamp, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const RECT returnAddress{page.left + 4, page.top + 4, page.left + width / 3, page.top + height / 3};
    part = returnAddress;
    if (!AskPaintHook(session, dc, WM_PSD_YAFULLPAGERECT, reinterpret_cast<WPARAM>(dc),
                      reinterpret_cast<LPARAM>(&part)))
        DrawGreekText(dc, returnAddress);
}

void PaintPageSetup(PageSetupSession& session, HDC dc) {
    const DWORD flags = session.record->Flags;
    const Painter painter(dc);
    painter.Background(RECT{0, 0, kPageSetupClientWidth, kPageSetupClientHeight});
    RECT sampleFrame = kSampleBox;
    DrawEdge(dc, &sampleFrame, EDGE_SUNKEN, BF_RECT);
    PaintSample(session, dc);

    const bool paper = !(flags & PSD_DISABLEPAPER);
    painter.Group(RECT{8, 156, 412, 226}, "Paper", paper);
    painter.Label(18, 178, "Si&ze:", paper);
    painter.Field(RECT{76, 174, 402, 195}, Paper(session).name, paper, true);
    painter.Label(18, 203, "&Source:", paper);
    painter.Field(RECT{76, 199, 402, 220}, "Automatically Select", paper, true);

    const bool orientation = !(flags & PSD_DISABLEORIENTATION);
    painter.Group(RECT{8, 232, 118, 318}, "Orientation", orientation);
    painter.Radio(18, 256, "P&ortrait", !Landscape(session), orientation);
    painter.Radio(18, 282, "L&andscape", Landscape(session), orientation);

    const bool margins = !(flags & PSD_DISABLEMARGINS);
    painter.Group(RECT{126, 232, 412, 318},
                  session.millimetres ? "Margins (millimeters)" : "Margins (inches)", margins);
    painter.Label(136, 256, "&Left:", margins);
    painter.Field(RECT{186, 252, 262, 273}, MarginText(session.margins.left, session.millimetres), margins);
    painter.Label(272, 256, "&Right:", margins);
    painter.Field(RECT{330, 252, 402, 273}, MarginText(session.margins.right, session.millimetres), margins);
    painter.Label(136, 286, "&Top:", margins);
    painter.Field(RECT{186, 282, 262, 303}, MarginText(session.margins.top, session.millimetres), margins);
    painter.Label(272, 286, "&Bottom:", margins);
    painter.Field(RECT{330, 282, 402, 303}, MarginText(session.margins.bottom, session.millimetres), margins);

    const bool help = flags & PSD_SHOWHELP;
    int x = help ? 88 : 172;
    painter.Button(RECT{x, 334, x + 75, 357}, "OK", true);
    painter.Button(RECT{x + 81, 334, x + 156, 357}, "Cancel");
    painter.Button(RECT{x + 162, 334, x + 237, 357}, "&Printer...", false, !(flags & PSD_DISABLEPRINTER));
    if (help) painter.Button(RECT{x + 243, 334, x + 318, 357}, "&Help");
}

void Repaint(PageSetupSession& session) {
    InvalidateRect(session.window, nullptr, TRUE);
    UpdateWindow(session.window);
}

void SetPaper(PageSetupSession& session, SHORT code) {
    DEVMODE change{};
    change.dmFields = DM_PAPERSIZE;
    change.dmPaperSize = code;
    printing::MergeDevMode(session.queue, session.mode, change);
}

// The Printer button without a hook that took it: the Print Setup dialog, whose printer and settings
// the page setup adopts on OK.
void OpenPrintSetup(PageSetupSession& session) {
    session.printSetupOpened = true;
    HGLOBAL devMode = nullptr, devNames = nullptr;
    if (!StoreBlocks(devMode, devNames, session.queue, session.mode)) return;
    PRINTDLG print{};
    print.lStructSize = sizeof print;
    print.hwndOwner = session.window;
    print.hDevMode = devMode;
    print.hDevNames = devNames;
    print.Flags = PD_PRINTSETUP;
    if (PrintDlg(&print)) {
        if (std::optional<printing::PrinterQueue> queue = RecordPrinter(print.hDevNames, print.hDevMode)) {
            session.mode = RecordDevMode(*queue, print.hDevMode);
            session.queue = std::move(*queue);
            if (!(session.record->Flags & PSD_MINMARGINS)) session.minMargins = PrinterMinimum(session);
        }
    }
    SetExtendedError(0);
    if (print.hDevMode) GlobalFree(print.hDevMode);
    if (print.hDevNames) GlobalFree(print.hDevNames);
    Repaint(session);
}

LRESULT PageSetupProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    PageSetupSession* session = PageSetupSessionOf(hwnd);
    if (!session) return DefWindowProc(hwnd, message, wParam, lParam);
    const PAGESETUPDLG& record = *session->record;
    if ((record.Flags & PSD_ENABLEPAGESETUPHOOK) && message != WM_INITDIALOG)
        if (UINT_PTR handled = record.lpfnPageSetupHook(hwnd, message, wParam, lParam))
            return static_cast<LRESULT>(handled);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            PaintPageSetup(*session, dc);
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_COMMAND:
            if (LOWORD(wParam) == psh3 && HIWORD(wParam) == BN_CLICKED &&
                !(record.Flags & PSD_DISABLEPRINTER)) {
                OpenPrintSetup(*session);
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

void StorePageSetupResults(PageSetupSession& session) {
    PAGESETUPDLG& record = *session.record;
    const SIZE extent = PaperExtent(session);
    record.ptPaperSize = POINT{FromHundredthsMm(extent.cx, session.millimetres),
                               FromHundredthsMm(extent.cy, session.millimetres)};
    record.rtMargin = FromHundredthsMm(session.margins, session.millimetres);
    record.rtMinMargin = FromHundredthsMm(session.minMargins, session.millimetres);
}

}  // namespace pagesetup

using namespace pagesetup;

BOOL PageSetupDlg(PAGESETUPDLG* lppsd) {
    SetExtendedError(0);
    if (!lppsd) {
        SetExtendedError(CDERR_INITIALIZATION);
        return FALSE;
    }
    if (lppsd->lStructSize != sizeof(PAGESETUPDLG)) {
        SetExtendedError(CDERR_STRUCTSIZE);
        return FALSE;
    }
    if (((lppsd->Flags & PSD_ENABLEPAGESETUPHOOK) && !lppsd->lpfnPageSetupHook) ||
        ((lppsd->Flags & PSD_ENABLEPAGEPAINTHOOK) && !lppsd->lpfnPagePaintHook)) {
        SetExtendedError(CDERR_NOHOOK);
        return FALSE;
    }
    testing::CommonDialogRecord log;
    log.dialog = "Page Setup";
    log.flags = lppsd->Flags;
    PageSetupSession session;
    session.record = lppsd;
    session.millimetres = (lppsd->Flags & PSD_INHUNDREDTHSOFMILLIMETERS) != 0;
    if (lppsd->Flags & PSD_RETURNDEFAULT) {
        if (lppsd->hDevMode || lppsd->hDevNames) {
            SetExtendedError(PDERR_RETDEFFAILURE);
            return FALSE;
        }
    }
    std::optional<printing::PrinterQueue> queue = RecordPrinter(lppsd->hDevNames, lppsd->hDevMode);
    if (!queue) {
        log.outcome = "refused: no printer";
        Log(log);
        return FALSE;
    }
    session.mode = RecordDevMode(*queue, lppsd->hDevMode);
    session.queue = std::move(*queue);
    session.minMargins = (lppsd->Flags & PSD_MINMARGINS)
                             ? ToHundredthsMm(lppsd->rtMinMargin, session.millimetres)
                             : PrinterMinimum(session);
    session.margins = (lppsd->Flags & PSD_MARGINS) ? ToHundredthsMm(lppsd->rtMargin, session.millimetres)
                                                   : RECT{kHundredthsMmPerInch, kHundredthsMmPerInch,
                                                          kHundredthsMmPerInch, kHundredthsMmPerInch};
    if (lppsd->Flags & PSD_RETURNDEFAULT) {
        StorePageSetupResults(session);
        return StoreBlocks(lppsd->hDevMode, lppsd->hDevNames, session.queue, session.mode);
    }

    std::optional<testing::PageSetupScript> script = TakePageSetupScript();
    if (!script) {
        log.outcome = "no script";
        Log(log);
        return FALSE;
    }
    RegisterDialogClass(kPageSetupClass, PageSetupProcedure);
    session.window = CreateDialogWindow(kPageSetupClass, "Page Setup", lppsd->hwndOwner,
                                        kPageSetupClientWidth, kPageSetupClientHeight);
    if (!session.window) {
        SetExtendedError(CDERR_INITIALIZATION);
        return FALSE;
    }
    pageSetupSessions.push_back(&session);
    struct Leave {
        PageSetupSession* session;
        ~Leave() {
            std::erase(pageSetupSessions, session);
            DestroyWindow(session->window);
        }
    } leave{&session};

    if (lppsd->Flags & PSD_ENABLEPAGESETUPHOOK)
        lppsd->lpfnPageSetupHook(session.window, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(lppsd));
    UpdateWindow(session.window);
    if (script->paperSize && !(lppsd->Flags & PSD_DISABLEPAPER)) {
        SetPaper(session, *script->paperSize);
        if (!(lppsd->Flags & PSD_MINMARGINS)) session.minMargins = PrinterMinimum(session);
        Repaint(session);
    }
    if (script->orientation && !(lppsd->Flags & PSD_DISABLEORIENTATION) &&
        (*script->orientation == DMORIENT_PORTRAIT || *script->orientation == DMORIENT_LANDSCAPE)) {
        session.mode.dmOrientation = *script->orientation;
        if (!(lppsd->Flags & PSD_MINMARGINS)) session.minMargins = PrinterMinimum(session);
        Repaint(session);
    }
    if (script->margins && !(lppsd->Flags & PSD_DISABLEMARGINS)) {
        session.margins = ToHundredthsMm(*script->margins, session.millimetres);
        RaiseToMinimum(session);
        Repaint(session);
    }
    if (script->pressPrinter) SendMessage(session.window, WM_COMMAND, MAKEWPARAM(psh3, BN_CLICKED), 0);
    if (script->whileOpen) script->whileOpen(session.window);

    GetWindowRect(session.window, &log.window);
    log.printSetupOpened = session.printSetupOpened;
    log.printer = session.queue.name;
    if (script->cancel) {
        log.outcome = "cancelled";
        Log(log);
        return FALSE;
    }
    StorePageSetupResults(session);
    if (!StoreBlocks(lppsd->hDevMode, lppsd->hDevNames, session.queue, session.mode)) {
        log.outcome = "refused: out of memory";
        Log(log);
        return FALSE;
    }
    log.outcome = "ok";
    Log(log);
    return TRUE;
}

}  // namespace win32
