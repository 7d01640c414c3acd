// Printer DCs: pages drawn by the raster engine into a surface of the printable area, gathered into
// a PDF document and handed to the queue (or to a file) by EndDoc.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>

#include "gdi/dc_internal.h"
#include "printing/pdf_writer.h"
#include "printing/printing_internal.h"
#include "win32/errors.h"
#include "win32/kernel.h"

namespace win32 {

using namespace printing;

namespace printerdc {

constexpr int kMinPrinterDotsPerInch = 36;

struct PrinterDC {
    PrinterQueue queue;
    DEVMODE mode{};
    PaperSize paper;
    int dpiX = 0;
    int dpiY = 0;
    SIZE physical{0, 0};  // pixels
    POINT offset{0, 0};   // printable area's top-left on the page, pixels
    std::unique_ptr<gdi::Surface> surface;
    std::unique_ptr<PdfWriter> writer;
    std::string title;
    std::string output;
    bool pageOpen = false;
};

struct PrinterDCs {
    std::mutex mutex;
    std::map<HDC, std::unique_ptr<PrinterDC>> dcs;
    std::vector<testing::PrintedDocument> printed;
    int nextFileJob = 1;
};

PrinterDCs& TheDCs() {
    static PrinterDCs* state = [] {
        auto* created = new PrinterDCs;
        testing::AddResetHook([created] {
            std::lock_guard lock(created->mutex);
            created->printed.clear();
        });
        return created;
    }();
    return *state;
}

int HundredthsMmToPixels(int value, int dpi) {
    return static_cast<int>((static_cast<int64_t>(value) * dpi + 1270) / 2540);
}

int Resolution(SHORT requested, int fallback) {
    const int dpi = requested > 0 ? requested : fallback;
    return std::clamp(dpi, kMinPrinterDotsPerInch, kMaxPrinterDotsPerInch);
}

// Fills in the page geometry from the settings; landscape turns the paper a quarter turn.
void Lay(PrinterDC& printer) {
    const int fallback =
        printer.queue.resolutions.empty() ? kMaxPrinterDotsPerInch : printer.queue.resolutions.front();
    printer.dpiX = Resolution(printer.mode.dmPrintQuality, fallback);
    printer.dpiY = Resolution(printer.mode.dmYResolution, printer.dpiX);
    const PaperSize& paper = printer.paper;
    RECT margins = paper.margins;
    int width = paper.width, length = paper.length;
    if (printer.mode.dmOrientation == DMORIENT_LANDSCAPE) {
        std::swap(width, length);
        margins = RECT{paper.margins.top, paper.margins.right, paper.margins.bottom, paper.margins.left};
    }
    printer.physical =
        SIZE{HundredthsMmToPixels(width, printer.dpiX), HundredthsMmToPixels(length, printer.dpiY)};
    printer.offset = POINT{HundredthsMmToPixels(margins.left, printer.dpiX),
                           HundredthsMmToPixels(margins.top, printer.dpiY)};
    const int printableWidth = std::max(
        1, printer.physical.cx - printer.offset.x - HundredthsMmToPixels(margins.right, printer.dpiX));
    const int printableHeight = std::max(
        1, printer.physical.cy - printer.offset.y - HundredthsMmToPixels(margins.bottom, printer.dpiY));
    printer.surface = gdi::MakeSurface(printableWidth, printableHeight, 32);
}

PrinterDC* Lookup(PrinterDCs& state, HDC dc) {
    const auto found = state.dcs.find(dc);
    return found == state.dcs.end() ? nullptr : found->second.get();
}

// The printer DC with a document open, or null with the error set.
PrinterDC* DocumentOf(PrinterDCs& state, HDC dc) {
    PrinterDC* printer = Lookup(state, dc);
    if (!printer || !printer->writer) {
        SetLastError(printer ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return printer;
}

void ClearPage(gdi::Surface& surface) {
    for (int y = 0; y < surface.height; ++y)
        std::fill_n(surface.Row32(y), surface.width, 0x00FFFFFFu);
}

void AddPage(PrinterDC& printer) {
    const gdi::Surface& surface = *printer.surface;
    PdfPage page;
    page.widthPoints = printer.physical.cx * 72.0 / printer.dpiX;
    page.heightPoints = printer.physical.cy * 72.0 / printer.dpiY;
    page.imageLeft = printer.offset.x * 72.0 / printer.dpiX;
    page.imageTop = printer.offset.y * 72.0 / printer.dpiY;
    page.imageWidth = surface.width * 72.0 / printer.dpiX;
    page.imageHeight = surface.height * 72.0 / printer.dpiY;
    printer.writer->AddPage(page, surface.Row32(0), surface.width, surface.height, surface.stride);
}

}  // namespace printerdc

using namespace printerdc;

namespace printing {

HDC CreatePrinterDC(const char* device, const DEVMODE* mode) {
    std::optional<PrinterQueue> queue = FindPrinter(device);
    if (!queue) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return nullptr;
    }
    auto printer = std::make_unique<PrinterDC>();
    DefaultDevMode(*queue, printer->mode);
    if (mode) MergeDevMode(*queue, printer->mode, *mode);
    printer->paper = *FindPaper(*queue, printer->mode.dmPaperSize);
    printer->queue = std::move(*queue);
    Lay(*printer);
    if (!printer->surface) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    ClearPage(*printer->surface);
    HDC dc = gdi::CreateSurfaceDC(printer->surface.get(), printer->dpiX, printer->dpiY);
    auto& state = TheDCs();
    std::lock_guard lock(state.mutex);
    state.dcs[dc] = std::move(printer);
    return dc;
}

bool PrinterDeviceCaps(HDC dc, int index, int& value) {
    auto& state = TheDCs();
    std::lock_guard lock(state.mutex);
    const PrinterDC* printer = Lookup(state, dc);
    if (!printer) return false;
    const gdi::Surface& surface = *printer->surface;
    switch (index) {
        case TECHNOLOGY:
            value = DT_RASPRINTER;
            break;
        case HORZSIZE:
            value = static_cast<int>(static_cast<int64_t>(surface.width) * 254 / (printer->dpiX * 10));
            break;
        case VERTSIZE:
            value = static_cast<int>(static_cast<int64_t>(surface.height) * 254 / (printer->dpiY * 10));
            break;
        case HORZRES:
            value = surface.width;
            break;
        case VERTRES:
            value = surface.height;
            break;
        case LOGPIXELSX:
            value = printer->dpiX;
            break;
        case LOGPIXELSY:
            value = printer->dpiY;
            break;
        case PHYSICALWIDTH:
            value = printer->physical.cx;
            break;
        case PHYSICALHEIGHT:
            value = printer->physical.cy;
            break;
        case PHYSICALOFFSETX:
            value = printer->offset.x;
            break;
        case PHYSICALOFFSETY:
            value = printer->offset.y;
            break;
        case ASPECTX:
        case ASPECTY:
            value = 300;
            break;
        case ASPECTXY:
            value = 424;
            break;
        case RASTERCAPS:
            value = RC_BITBLT | RC_BANDING | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT |
                    RC_STRETCHDIB;
            break;
        case VREFRESH:
        case DESKTOPHORZRES:
        case DESKTOPVERTRES:
            value = 0;
            break;
        default:
            return false;  // the same as any DC's
    }
    return true;
}

// A document still open when its DC goes is dropped, as AbortDoc would; the page surface goes after
// the lock is released.
void ForgetPrinterDC(HDC dc) {
    auto& state = TheDCs();
    std::unique_ptr<PrinterDC> printer;
    {
        std::lock_guard lock(state.mutex);
        const auto found = state.dcs.find(dc);
        if (found == state.dcs.end()) return;
        printer = std::move(found->second);
        state.dcs.erase(found);
    }
}

}  // namespace printing

int StartDoc(HDC dc, const DOCINFO* info) {
    auto& state = TheDCs();
    std::lock_guard lock(state.mutex);
    PrinterDC* printer = Lookup(state, dc);
    if (!printer || !info) {
        SetLastError(printer ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return SP_ERROR;
    }
    if (printer->writer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return SP_ERROR;
    }
    printer->title = info->lpszDocName ? info->lpszDocName : "";
    printer->writer = std::make_unique<PdfWriter>(printer->title);
    printer->output = info->lpszOutput ? info->lpszOutput : "";
    printer->pageOpen = false;
    return 1;
}

int StartPage(HDC dc) {
    auto& state = TheDCs();
    std::lock_guard lock(state.mutex);
    PrinterDC* printer = DocumentOf(state, dc);
    if (!printer) return SP_ERROR;
    ClearPage(*printer->surface);
    printer->pageOpen = true;
    return 1;
}

int EndPage(HDC dc) {
    auto& state = TheDCs();
    std::lock_guard lock(state.mutex);
    PrinterDC* printer = DocumentOf(state, dc);
    if (!printer) return SP_ERROR;
    if (!printer->pageOpen) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return SP_ERROR;
    }
    AddPage(*printer);
    printer->pageOpen = false;
    return 1;
}

int EndDoc(HDC dc) {
    auto& state = TheDCs();
    std::unique_lock lock(state.mutex);
    PrinterDC* printer = DocumentOf(state, dc);
    if (!printer) return SP_ERROR;
    if (printer->pageOpen) AddPage(*printer);
    printer->pageOpen = false;
    testing::PrintedDocument document;
    document.pages = printer->writer->PageCount();
    document.pdf = printer->writer->Finish();
    printer->writer.reset();
    JobRequest request;
    request.queue = printer->queue.name;
    request.title = printer->title;
    document.title = printer->title;
    request.mediaName = printer->paper.mediaName;
    request.copies = std::max<int>(1, printer->mode.dmCopies);
    request.collate = printer->mode.dmCollate == DMCOLLATE_TRUE;
    const std::string output = printer->output;
    lock.unlock();

    int job = 0;
    if (!output.empty()) {
        std::ofstream file(output, std::ios::binary | std::ios::trunc);
        file.write(document.pdf.data(), static_cast<std::streamsize>(document.pdf.size()));
        file.close();
        if (!file) {
            SetLastError(ERROR_CANTWRITE);
            return SP_OUTOFDISK;
        }
        document.destination = output;
        lock.lock();
        job = state.nextFileJob++;
    } else {
        std::string error;
        job = SubmitPdf(request, document.pdf, error);
        if (job <= 0) {
            SetLastError(ERROR_INVALID_PRINTER_NAME);
            return SP_ERROR;
        }
        document.destination = "cups:" + request.queue + "#" + std::to_string(job);
        lock.lock();
    }
    state.printed.push_back(std::move(document));
    return job;
}

int AbortDoc(HDC dc) {
    auto& state = TheDCs();
    std::lock_guard lock(state.mutex);
    PrinterDC* printer = DocumentOf(state, dc);
    if (!printer) return SP_ERROR;
    printer->writer.reset();
    printer->pageOpen = false;
    return 1;
}

namespace testing {

std::vector<PrintedDocument> PrintedDocuments() {
    auto& state = TheDCs();
    std::lock_guard lock(state.mutex);
    return state.printed;
}

}  // namespace testing

}  // namespace win32
