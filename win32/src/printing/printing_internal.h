// What the printing units share: the queues as the CUPS server describes them, job submission, the
// default settings block of a queue, and the seam through which the GDI serves printer DCs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "win32/printing.h"

namespace win32::printing {

struct PaperSize {
    SHORT code = 0;         // DMPAPER_*
    std::string name;       // as the dialogs show it
    std::string mediaName;  // the server's (PWG) name
    int width = 0;          // portrait, hundredths of a millimetre
    int length = 0;
    RECT margins{0, 0, 0, 0};  // unprintable borders, hundredths of a millimetre, portrait
    bool envelope = false;
};

struct PrinterQueue {
    std::string name;
    std::string driver;  // make and model
    std::string port;    // device URI
    std::string location;
    std::string comment;
    bool isDefault = false;
    bool shared = false;
    DWORD status = 0;
    std::vector<PaperSize> papers;
    SHORT defaultPaper = DMPAPER_LETTER;
    std::vector<int> resolutions;  // dots per inch, the default first
    bool color = false;
};

// Every queue of the server (none when it cannot be reached). With details, paper sizes and
// resolutions are asked for too (one more request per queue); `detailsOf` asks for one queue's only.
std::vector<PrinterQueue> QueryPrinters(bool details, const std::string& detailsOf = {});
std::optional<PrinterQueue> FindPrinter(const std::string& name);

const PaperSize* FindPaper(const PrinterQueue& queue, SHORT code);
// The queue's defaults, with pDevModeInput's fields in `fields` applied over them.
void DefaultDevMode(const PrinterQueue& queue, DEVMODE& mode);
void MergeDevMode(const PrinterQueue& queue, DEVMODE& mode, const DEVMODE& input);

struct JobRequest {
    std::string queue;
    std::string title;
    std::string mediaName;
    int copies = 1;
    bool collate = false;
};
// The job number, or 0 with `error` set.
int SubmitPdf(const JobRequest& request, const std::string& pdf, std::string& error);

// The GDI's seam: a DC from CreateDC for a device that is not the display, its capabilities, and
// its end. PrinterDeviceCaps is false for DCs that are not printer DCs.
HDC CreatePrinterDC(const char* device, const DEVMODE* mode);
bool PrinterDeviceCaps(HDC dc, int index, int& value);
void ForgetPrinterDC(HDC dc);

}  // namespace win32::printing
