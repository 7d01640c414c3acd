// The queues of the CUPS server and job submission, through libcups.
#include <cups/cups.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "printing/printing_internal.h"

namespace win32::printing {

namespace cups {

// A server that does not answer within this time counts as absent: the list is then empty.
constexpr int kConnectTimeoutMilliseconds = 3000;

struct KnownPaper {
    const char* mediaName;
    SHORT code;
    const char* name;
    bool envelope;
    int width, length;  // nominal, hundredths of a millimetre: the server's are rounded from points
};

constexpr KnownPaper kKnownPapers[] = {
    {"na_letter_8.5x11in", DMPAPER_LETTER, "Letter", false, 21590, 27940},
    {"na_legal_8.5x14in", DMPAPER_LEGAL, "Legal", false, 21590, 35560},
    {"na_ledger_11x17in", DMPAPER_TABLOID, "Tabloid", false, 27940, 43180},
    {"na_invoice_5.5x8.5in", DMPAPER_STATEMENT, "Statement", false, 13970, 21590},
    {"na_executive_7.25x10.5in", DMPAPER_EXECUTIVE, "Executive", false, 18415, 26670},
    {"iso_a3_297x420mm", DMPAPER_A3, "A3", false, 29700, 42000},
    {"iso_a4_210x297mm", DMPAPER_A4, "A4", false, 21000, 29700},
    {"iso_a5_148x210mm", DMPAPER_A5, "A5", false, 14800, 21000},
    {"iso_a6_105x148mm", DMPAPER_A6, "A6", false, 10500, 14800},
    {"jis_b4_257x364mm", DMPAPER_B4, "B4 (JIS)", false, 25700, 36400},
    {"jis_b5_182x257mm", DMPAPER_B5, "B5 (JIS)", false, 18200, 25700},
    {"na_number-10_4.125x9.5in", DMPAPER_ENV_10, "Envelope #10", true, 10477, 24130},
    {"iso_dl_110x220mm", DMPAPER_ENV_DL, "Envelope DL", true, 11000, 22000},
    {"iso_c5_162x229mm", DMPAPER_ENV_C5, "Envelope C5", true, 16200, 22900},
    {"iso_c6_114x162mm", DMPAPER_ENV_C6, "Envelope C6", true, 11400, 16200},
    {"na_monarch_3.875x7.5in", DMPAPER_ENV_MONARCH, "Envelope Monarch", true, 9843, 19050},
};

// Sizes of a queue that reports none (a raw queue), hundredths of a millimetre.
constexpr struct {
    SHORT code;
    int width, length;
} kFallbackPapers[] = {
    {DMPAPER_LETTER, 21590, 27940}, {DMPAPER_LEGAL, 21590, 35560}, {DMPAPER_A4, 21000, 29700}};

struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
using Connection = std::unique_ptr<http_t, HttpCloser>;

// The server of CUPS_SERVER, else of the client configuration, asked afresh on each call so that a
// changed environment counts.
Connection Connect() {
    cupsSetServer(nullptr);
    return Connection(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                   kConnectTimeoutMilliseconds, nullptr));
}

// Settings blocks carry at most 31 characters of a queue's name.
bool NamesQueue(const std::string& name, const std::string& queue) {
    return queue == name || (name.size() == CCHDEVICENAME - 1 && queue.compare(0, name.size(), name) == 0);
}

std::string Option(const cups_dest_t& dest, const char* name) {
    const char* value = cupsGetOption(name, dest.num_options, dest.options);
    return value ? value : "";
}

PaperSize PaperFromMedia(const cups_size_t& size, SHORT& nextUserCode) {
    PaperSize paper;
    paper.mediaName = size.media;
    paper.width = std::min(size.width, size.length);
    paper.length = std::max(size.width, size.length);
    paper.margins = RECT{size.left, size.top, size.right, size.bottom};
    const auto known = std::find_if(std::begin(kKnownPapers), std::end(kKnownPapers),
                                    [&](const KnownPaper& k) { return paper.mediaName == k.mediaName; });
    if (known != std::end(kKnownPapers)) {
        paper.code = known->code;
        paper.name = known->name;
        paper.envelope = known->envelope;
        paper.width = known->width;
        paper.length = known->length;
    } else {
        paper.code = nextUserCode++;
        // "om_small-photo_100x150mm" reads as "small-photo 100x150mm".
        std::string name = paper.mediaName;
        if (const size_t first = name.find('_'); first != std::string::npos) name.erase(0, first + 1);
        std::replace(name.begin(), name.end(), '_', ' ');
        paper.name = name;
    }
    return paper;
}

void AddPaper(PrinterQueue& queue, PaperSize paper) {
    auto same = std::find_if(queue.papers.begin(), queue.papers.end(),
                             [&](const PaperSize& p) { return p.mediaName == paper.mediaName; });
    if (same == queue.papers.end()) {
        queue.papers.push_back(std::move(paper));
        return;
    }
    // A size offered with and without borders: the bordered one is what an application can fill.
    const bool borderless = same->margins.left == 0 && same->margins.top == 0 && same->margins.right == 0 &&
                            same->margins.bottom == 0;
    if (borderless) {
        const SHORT code = same->code;
        *same = std::move(paper);
        same->code = code;
    }
}

void ReadDetails(http_t* http, cups_dest_t* dest, PrinterQueue& queue) {
    cups_dinfo_t* info = cupsCopyDestInfo(http, dest);
    SHORT nextUserCode = DMPAPER_USER;
    if (info) {
        const int count = cupsGetDestMediaCount(http, dest, info, CUPS_MEDIA_FLAGS_DEFAULT);
        for (int i = 0; i < count; ++i) {
            cups_size_t size{};
            if (cupsGetDestMediaByIndex(http, dest, info, i, CUPS_MEDIA_FLAGS_DEFAULT, &size))
                AddPaper(queue, PaperFromMedia(size, nextUserCode));
        }
        cups_size_t size{};
        if (cupsGetDestMediaDefault(http, dest, info, CUPS_MEDIA_FLAGS_DEFAULT, &size)) {
            for (const PaperSize& paper : queue.papers)
                if (paper.mediaName == size.media) queue.defaultPaper = paper.code;
        }
        if (ipp_attribute_t* resolution = cupsFindDestDefault(http, dest, info, "printer-resolution")) {
            int yResolution = 0;
            ipp_res_t units = IPP_RES_PER_INCH;
            int x = ippGetResolution(resolution, 0, &yResolution, &units);
            if (units == IPP_RES_PER_CM) x = x * 254 / 100;
            if (x > 0) queue.resolutions.push_back(x);
        }
        if (ipp_attribute_t* supported = cupsFindDestSupported(http, dest, info, "printer-resolution")) {
            for (int i = 0; i < ippGetCount(supported); ++i) {
                int yResolution = 0;
                ipp_res_t units = IPP_RES_PER_INCH;
                int x = ippGetResolution(supported, i, &yResolution, &units);
                if (units == IPP_RES_PER_CM) x = x * 254 / 100;
                if (x > 0 && std::find(queue.resolutions.begin(), queue.resolutions.end(), x) ==
                                 queue.resolutions.end())
                    queue.resolutions.push_back(x);
            }
        }
        cupsFreeDestInfo(info);
    }
    if (queue.papers.empty()) {
        for (const auto& fallback : kFallbackPapers) {
            cups_size_t size{};
            const auto known = std::find_if(std::begin(kKnownPapers), std::end(kKnownPapers),
                                            [&](const KnownPaper& k) { return k.code == fallback.code; });
            std::strncpy(size.media, known->mediaName, sizeof size.media - 1);
            size.width = fallback.width;
            size.length = fallback.length;
            queue.papers.push_back(PaperFromMedia(size, nextUserCode));
        }
    }
    if (!FindPaper(queue, queue.defaultPaper)) queue.defaultPaper = queue.papers.front().code;
    if (queue.resolutions.empty()) queue.resolutions.push_back(kMaxPrinterDotsPerInch);
}

}  // namespace cups

using namespace cups;

std::vector<PrinterQueue> QueryPrinters(bool details, const std::string& detailsOf) {
    std::vector<PrinterQueue> queues;
    Connection http = Connect();
    if (!http) return queues;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(http.get(), &dests);
    for (int i = 0; i < count; ++i) {
        cups_dest_t& dest = dests[i];
        if (dest.instance) continue;
        PrinterQueue queue;
        queue.name = dest.name;
        queue.isDefault = dest.is_default != 0;
        queue.driver = Option(dest, "printer-make-and-model");
        if (queue.driver.empty()) queue.driver = "CUPS";
        queue.port = Option(dest, "device-uri");
        if (queue.port.empty()) queue.port = Option(dest, "printer-uri-supported");
        queue.location = Option(dest, "printer-location");
        queue.comment = Option(dest, "printer-info");
        queue.shared = Option(dest, "printer-is-shared") == "true";
        const std::string state = Option(dest, "printer-state");
        if (state == "4") queue.status = PRINTER_STATUS_PRINTING;
        if (state == "5") queue.status = PRINTER_STATUS_PAUSED;
        const long type = std::strtol(Option(dest, "printer-type").c_str(), nullptr, 10);
        queue.color = (type & CUPS_PRINTER_COLOR) != 0;
        if (detailsOf.empty() ? details : NamesQueue(detailsOf, queue.name))
            ReadDetails(http.get(), &dest, queue);
        queues.push_back(std::move(queue));
    }
    cupsFreeDests(count, dests);
    std::sort(queues.begin(), queues.end(),
              [](const PrinterQueue& a, const PrinterQueue& b) { return a.name < b.name; });
    return queues;
}

std::optional<PrinterQueue> FindPrinter(const std::string& name) {
    if (name.empty()) return std::nullopt;
    for (PrinterQueue& queue : QueryPrinters(false, name))
        if (NamesQueue(name, queue.name)) return std::move(queue);
    return std::nullopt;
}

int SubmitPdf(const JobRequest& request, const std::string& pdf, std::string& error) {
    Connection http = Connect();
    if (!http) {
        error = "the print server cannot be reached";
        return 0;
    }
    cups_option_t* options = nullptr;
    int optionCount = 0;
    optionCount =
        cupsAddOption("copies", std::to_string(std::max(1, request.copies)).c_str(), optionCount, &options);
    if (request.copies > 1)
        optionCount = cupsAddOption("collate", request.collate ? "true" : "false", optionCount, &options);
    if (!request.mediaName.empty())
        optionCount = cupsAddOption("media", request.mediaName.c_str(), optionCount, &options);
    // The pages are already laid out for the paper: the server must not scale them again.
    optionCount = cupsAddOption("fit-to-page", "false", optionCount, &options);
    const int job =
        cupsCreateJob(http.get(), request.queue.c_str(), request.title.c_str(), optionCount, options);
    cupsFreeOptions(optionCount, options);
    if (job <= 0) {
        error = cupsLastErrorString();
        return 0;
    }
    bool sent = cupsStartDocument(http.get(), request.queue.c_str(), job, request.title.c_str(),
                                  CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE;
    sent = sent && cupsWriteRequestData(http.get(), pdf.data(), pdf.size()) == HTTP_STATUS_CONTINUE;
    const bool finished = cupsFinishDocument(http.get(), request.queue.c_str()) == IPP_STATUS_OK;
    if (!sent || !finished) {
        error = cupsLastErrorString();
        cupsCancelJob2(http.get(), request.queue.c_str(), job, 0);
        return 0;
    }
    return job;
}

const PaperSize* FindPaper(const PrinterQueue& queue, SHORT code) {
    for (const PaperSize& paper : queue.papers)
        if (paper.code == code) return &paper;
    return nullptr;
}

void DefaultDevMode(const PrinterQueue& queue, DEVMODE& mode) {
    std::memset(&mode, 0, sizeof mode);
    std::memcpy(mode.dmDeviceName, queue.name.data(), std::min<size_t>(queue.name.size(), CCHDEVICENAME - 1));
    mode.dmSpecVersion = DM_SPECVERSION;
    mode.dmSize = sizeof(DEVMODE);
    mode.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_PRINTQUALITY | DM_YRESOLUTION |
                    DM_COLLATE | DM_COLOR | DM_FORMNAME;
    mode.dmOrientation = DMORIENT_PORTRAIT;
    mode.dmPaperSize = queue.defaultPaper;
    mode.dmScale = 100;
    mode.dmCopies = 1;
    mode.dmPrintQuality =
        static_cast<SHORT>(queue.resolutions.empty() ? kMaxPrinterDotsPerInch : queue.resolutions.front());
    mode.dmYResolution = mode.dmPrintQuality;
    mode.dmColor = queue.color ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
    mode.dmCollate = DMCOLLATE_FALSE;
    if (const PaperSize* paper = FindPaper(queue, queue.defaultPaper)) {
        std::memcpy(mode.dmFormName, paper->name.data(),
                    std::min<size_t>(paper->name.size(), CCHFORMNAME - 1));
        mode.dmPaperWidth = static_cast<SHORT>(paper->width / 10);
        mode.dmPaperLength = static_cast<SHORT>(paper->length / 10);
    }
}

void MergeDevMode(const PrinterQueue& queue, DEVMODE& mode, const DEVMODE& input) {
    const DWORD fields = input.dmFields;
    if ((fields & DM_ORIENTATION) &&
        (input.dmOrientation == DMORIENT_PORTRAIT || input.dmOrientation == DMORIENT_LANDSCAPE))
        mode.dmOrientation = input.dmOrientation;
    if ((fields & DM_PAPERSIZE)) {
        if (const PaperSize* paper = FindPaper(queue, input.dmPaperSize)) {
            mode.dmPaperSize = paper->code;
            std::memset(mode.dmFormName, 0, sizeof mode.dmFormName);
            std::memcpy(mode.dmFormName, paper->name.data(),
                        std::min<size_t>(paper->name.size(), CCHFORMNAME - 1));
            mode.dmPaperWidth = static_cast<SHORT>(paper->width / 10);
            mode.dmPaperLength = static_cast<SHORT>(paper->length / 10);
        }
    }
    if ((fields & DM_COPIES) && input.dmCopies > 0) mode.dmCopies = input.dmCopies;
    if ((fields & DM_COLLATE) && (input.dmCollate == DMCOLLATE_FALSE || input.dmCollate == DMCOLLATE_TRUE))
        mode.dmCollate = input.dmCollate;
    if ((fields & DM_PRINTQUALITY) && input.dmPrintQuality > 0) {
        mode.dmPrintQuality = input.dmPrintQuality;
        mode.dmYResolution = input.dmPrintQuality;
    }
    if ((fields & DM_YRESOLUTION) && input.dmYResolution > 0) mode.dmYResolution = input.dmYResolution;
    if ((fields & DM_COLOR) && (input.dmColor == DMCOLOR_MONOCHROME || input.dmColor == DMCOLOR_COLOR))
        mode.dmColor = input.dmColor;
}

}  // namespace win32::printing
