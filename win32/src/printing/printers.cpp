// The printer list, the printer handles, settings blocks and device capabilities.
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "printing/printing_internal.h"
#include "win32/errors.h"
#include "win32/kernel.h"

namespace win32 {

using namespace printing;

namespace printers {

// Lays out EnumPrinters' answer: the structures first, then settings blocks, then the strings.
class PrinterInfoPacker {
public:
    PrinterInfoPacker(BYTE* buffer, size_t structBytes, size_t extraBytes, size_t stringBytes)
        : buffer_(buffer),
          extras_(structBytes),
          strings_(structBytes + extraBytes),
          needed_(structBytes + extraBytes + stringBytes) {}

    size_t Needed() const { return needed_; }
    char* String(const std::string& text) {
        char* place = reinterpret_cast<char*>(buffer_ + strings_);
        std::memcpy(place, text.c_str(), text.size() + 1);
        strings_ += text.size() + 1;
        return place;
    }
    DEVMODE* DevMode(const DEVMODE& mode) {
        auto* place = reinterpret_cast<DEVMODE*>(buffer_ + extras_);
        std::memcpy(place, &mode, sizeof mode);
        extras_ += sizeof mode;
        return place;
    }

private:
    BYTE* buffer_;
    size_t extras_;
    size_t strings_;
    size_t needed_;
};

std::vector<std::string> InfoStrings(const PrinterQueue& queue, DWORD level) {
    switch (level) {
        case 1:
            return {queue.name + "," + queue.driver + "," + queue.location, queue.name, queue.comment};
        case 2:
            return {"", queue.name, queue.name, queue.port, queue.driver, queue.comment, queue.location,
                    "", "raw",      "RAW",      ""};
        case 4:
            return {queue.name, ""};
        default:
            return {queue.name, queue.port};
    }
}

DWORD Attributes(const PrinterQueue& queue) {
    return PRINTER_ATTRIBUTE_LOCAL | (queue.isDefault ? PRINTER_ATTRIBUTE_DEFAULT : 0) |
           (queue.shared ? PRINTER_ATTRIBUTE_SHARED : 0);
}

size_t StructSize(DWORD level) {
    switch (level) {
        case 1:
            return sizeof(PRINTER_INFO_1);
        case 2:
            return sizeof(PRINTER_INFO_2);
        case 4:
            return sizeof(PRINTER_INFO_4);
        default:
            return sizeof(PRINTER_INFO_5);
    }
}

void FillInfo(PrinterInfoPacker& packer, BYTE* place, const PrinterQueue& queue, DWORD level) {
    const std::vector<std::string> texts = InfoStrings(queue, level);
    std::vector<char*> s;
    for (const std::string& text : texts)
        s.push_back(packer.String(text));
    switch (level) {
        case 1: {
            auto* info = reinterpret_cast<PRINTER_INFO_1*>(place);
            *info = PRINTER_INFO_1{0x00800000 /* PRINTER_ENUM_ICON8 */, s[0], s[1], s[2]};
            break;
        }
        case 2: {
            DEVMODE mode;
            DefaultDevMode(queue, mode);
            auto* info = reinterpret_cast<PRINTER_INFO_2*>(place);
            *info = PRINTER_INFO_2{};
            info->pServerName = s[0];
            info->pPrinterName = s[1];
            info->pShareName = s[2];
            info->pPortName = s[3];
            info->pDriverName = s[4];
            info->pComment = s[5];
            info->pLocation = s[6];
            info->pDevMode = packer.DevMode(mode);
            info->pSepFile = s[7];
            info->pPrintProcessor = s[8];
            info->pDatatype = s[9];
            info->pParameters = s[10];
            info->Attributes = Attributes(queue);
            info->Status = queue.status;
            break;
        }
        case 4: {
            auto* info = reinterpret_cast<PRINTER_INFO_4*>(place);
            *info = PRINTER_INFO_4{s[0], nullptr, Attributes(queue)};
            break;
        }
        default: {
            auto* info = reinterpret_cast<PRINTER_INFO_5*>(place);
            *info = PRINTER_INFO_5{s[0], s[1], Attributes(queue), 15000, 45000};
            break;
        }
    }
}

struct PrinterHandles {
    std::mutex mutex;
    std::map<uintptr_t, std::string> open;
    uintptr_t next = 0x5000;
};

PrinterHandles& Handles() {
    static PrinterHandles* handles = new PrinterHandles;
    return *handles;
}

std::optional<std::string> HandlePrinter(HANDLE handle) {
    auto& handles = Handles();
    std::lock_guard lock(handles.mutex);
    const auto found = handles.open.find(reinterpret_cast<uintptr_t>(handle));
    if (found == handles.open.end()) return std::nullopt;
    return found->second;
}

void CopyPaperName(const std::string& name, char* out) {
    std::memset(out, 0, 64);
    std::memcpy(out, name.data(), std::min<size_t>(name.size(), 63));
}

}  // namespace printers

using namespace printers;

BOOL EnumPrinters(DWORD Flags, const char* Name, DWORD Level, BYTE* pPrinterEnum, DWORD cbBuf,
                  DWORD* pcbNeeded, DWORD* pcReturned) {
    if (!pcbNeeded || !pcReturned) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *pcbNeeded = 0;
    *pcReturned = 0;
    if (Level != 1 && Level != 2 && Level != 4 && Level != 5) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    // Remote print servers by name are not reachable from here: the list is the local server's.
    if (Name && *Name) {
        SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    std::vector<PrinterQueue> queues;
    if (Flags & (PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS | PRINTER_ENUM_DEFAULT | PRINTER_ENUM_NAME))
        queues = QueryPrinters(Level == 2);
    if (Flags & PRINTER_ENUM_DEFAULT)
        std::erase_if(queues, [](const PrinterQueue& queue) { return !queue.isDefault; });

    const size_t structBytes = StructSize(Level) * queues.size();
    const size_t extraBytes = Level == 2 ? sizeof(DEVMODE) * queues.size() : 0;
    size_t stringBytes = 0;
    for (const PrinterQueue& queue : queues)
        for (const std::string& text : InfoStrings(queue, Level))
            stringBytes += text.size() + 1;
    PrinterInfoPacker packer(pPrinterEnum, structBytes, extraBytes, stringBytes);
    *pcbNeeded = static_cast<DWORD>(packer.Needed());
    if (queues.empty()) return TRUE;
    if (!pPrinterEnum || cbBuf < packer.Needed()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    for (size_t i = 0; i < queues.size(); ++i)
        FillInfo(packer, pPrinterEnum + i * StructSize(Level), queues[i], Level);
    *pcReturned = static_cast<DWORD>(queues.size());
    return TRUE;
}

BOOL GetDefaultPrinter(char* pszBuffer, DWORD* pcchBuffer) {
    if (!pcchBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (const PrinterQueue& queue : QueryPrinters(false)) {
        if (!queue.isDefault) continue;
        const DWORD needed = static_cast<DWORD>(queue.name.size() + 1);
        if (!pszBuffer || *pcchBuffer < needed) {
            *pcchBuffer = needed;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::memcpy(pszBuffer, queue.name.c_str(), needed);
        *pcchBuffer = needed;
        return TRUE;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}

BOOL OpenPrinter(const char* pPrinterName, HANDLE* phPrinter, const void*) {
    if (!phPrinter) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *phPrinter = nullptr;
    const std::optional<PrinterQueue> queue = FindPrinter(pPrinterName ? pPrinterName : "");
    if (!queue) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return FALSE;
    }
    auto& handles = Handles();
    std::lock_guard lock(handles.mutex);
    const uintptr_t handle = handles.next++;
    handles.open[handle] = queue->name;
    *phPrinter = reinterpret_cast<HANDLE>(handle);
    return TRUE;
}

BOOL ClosePrinter(HANDLE hPrinter) {
    auto& handles = Handles();
    std::lock_guard lock(handles.mutex);
    if (handles.open.erase(reinterpret_cast<uintptr_t>(hPrinter)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

LONG DocumentProperties(HWND, HANDLE hPrinter, const char* pDeviceName, DEVMODE* pDevModeOutput,
                        const DEVMODE* pDevModeInput, DWORD fMode) {
    std::string name = pDeviceName ? pDeviceName : "";
    if (hPrinter) {
        const std::optional<std::string> opened = HandlePrinter(hPrinter);
        if (!opened) {
            SetLastError(ERROR_INVALID_HANDLE);
            return -1;
        }
        name = *opened;
    }
    const std::optional<PrinterQueue> queue = FindPrinter(name);
    if (!queue) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return -1;
    }
    if (fMode == 0) return sizeof(DEVMODE);
    if (!(fMode & DM_OUT_BUFFER)) return 1;
    if (!pDevModeOutput) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    DEVMODE result;
    DefaultDevMode(*queue, result);
    if ((fMode & DM_IN_BUFFER) && pDevModeInput) MergeDevMode(*queue, result, *pDevModeInput);
    *pDevModeOutput = result;
    return 1;
}

int DeviceCapabilities(const char* pDevice, const char*, WORD fwCapability, char* pOutput, const DEVMODE*) {
    const std::optional<PrinterQueue> queue = FindPrinter(pDevice ? pDevice : "");
    if (!queue) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return -1;
    }
    const int count = static_cast<int>(queue->papers.size());
    switch (fwCapability) {
        case DC_FIELDS:
            return static_cast<int>(DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_PRINTQUALITY |
                                    DM_YRESOLUTION | DM_COLLATE | DM_COLOR | DM_FORMNAME);
        case DC_SIZE:
            return sizeof(DEVMODE);
        case DC_ORIENTATION:
            return 90;
        case DC_COPIES:
            return 999;
        case DC_PAPERS:
            if (pOutput)
                for (int i = 0; i < count; ++i) {
                    const WORD code = static_cast<WORD>(queue->papers[i].code);
                    std::memcpy(pOutput + i * sizeof(WORD), &code, sizeof code);
                }
            return count;
        case DC_PAPERSIZE:
            if (pOutput)
                for (int i = 0; i < count; ++i) {
                    const POINT size{queue->papers[i].width / 10, queue->papers[i].length / 10};
                    std::memcpy(pOutput + i * sizeof(POINT), &size, sizeof size);
                }
            return count;
        case DC_PAPERNAMES:
            if (pOutput)
                for (int i = 0; i < count; ++i)
                    CopyPaperName(queue->papers[i].name, pOutput + i * 64);
            return count;
        case DC_ENUMRESOLUTIONS: {
            const int resolutions = static_cast<int>(queue->resolutions.size());
            if (pOutput)
                for (int i = 0; i < resolutions; ++i) {
                    const LONG pair[2] = {queue->resolutions[i], queue->resolutions[i]};
                    std::memcpy(pOutput + i * sizeof pair, pair, sizeof pair);
                }
            return resolutions;
        }
        default:
            SetLastError(ERROR_NOT_SUPPORTED);
            return -1;
    }
}

}  // namespace win32
