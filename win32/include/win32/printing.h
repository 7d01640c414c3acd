// Printers: the queues of the CUPS server the process reaches (CUPS_SERVER, else the local one), their
// paper sizes and resolutions, the printer settings block, and printer DCs.
//
// A printer DC draws each page with the platform's own raster engine into a memory surface of the
// printable area at the printer's resolution (at most kMaxPrinterDotsPerInch); EndDoc hands the pages
// to CUPS as one PDF document, one image per page. With DOCINFO::lpszOutput set the PDF goes to that
// file (a native path) instead. Without a reachable server the printer list is empty, nothing throws,
// and the calls that need a printer fail with ERROR_INVALID_PRINTER_NAME.
#pragma once

#include <string>
#include <vector>

#include "win32/types.h"

namespace win32 {

inline constexpr int CCHDEVICENAME = 32;
inline constexpr int CCHFORMNAME = 32;
inline constexpr int kMaxPrinterDotsPerInch = 300;

// The printer settings block, in the published field layout (the display fields are kept for size).
struct DEVMODE {
    BYTE dmDeviceName[CCHDEVICENAME];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    SHORT dmOrientation;
    SHORT dmPaperSize;
    SHORT dmPaperLength;  // tenths of a millimetre
    SHORT dmPaperWidth;
    SHORT dmScale;
    SHORT dmCopies;
    SHORT dmDefaultSource;
    SHORT dmPrintQuality;  // dots per inch, or a negative DMRES_* value
    SHORT dmColor;
    SHORT dmDuplex;
    SHORT dmYResolution;
    SHORT dmTTOption;
    SHORT dmCollate;
    BYTE dmFormName[CCHFORMNAME];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmNup;
    DWORD dmDisplayFrequency;
    DWORD dmICMMethod;
    DWORD dmICMIntent;
    DWORD dmMediaType;
    DWORD dmDitherType;
    DWORD dmReserved1;
    DWORD dmReserved2;
    DWORD dmPanningWidth;
    DWORD dmPanningHeight;
};
static_assert(sizeof(DEVMODE) == 156);

inline constexpr WORD DM_SPECVERSION = 0x0401;
inline constexpr DWORD DM_ORIENTATION = 0x00000001;
inline constexpr DWORD DM_PAPERSIZE = 0x00000002;
inline constexpr DWORD DM_PAPERLENGTH = 0x00000004;
inline constexpr DWORD DM_PAPERWIDTH = 0x00000008;
inline constexpr DWORD DM_SCALE = 0x00000010;
inline constexpr DWORD DM_COPIES = 0x00000100;
inline constexpr DWORD DM_DEFAULTSOURCE = 0x00000200;
inline constexpr DWORD DM_PRINTQUALITY = 0x00000400;
inline constexpr DWORD DM_COLOR = 0x00000800;
inline constexpr DWORD DM_DUPLEX = 0x00001000;
inline constexpr DWORD DM_YRESOLUTION = 0x00002000;
inline constexpr DWORD DM_COLLATE = 0x00008000;
inline constexpr DWORD DM_FORMNAME = 0x00010000;

inline constexpr SHORT DMORIENT_PORTRAIT = 1;
inline constexpr SHORT DMORIENT_LANDSCAPE = 2;
inline constexpr SHORT DMCOLOR_MONOCHROME = 1;
inline constexpr SHORT DMCOLOR_COLOR = 2;
inline constexpr SHORT DMCOLLATE_FALSE = 0;
inline constexpr SHORT DMCOLLATE_TRUE = 1;
inline constexpr SHORT DMRES_DRAFT = -1;
inline constexpr SHORT DMRES_LOW = -2;
inline constexpr SHORT DMRES_MEDIUM = -3;
inline constexpr SHORT DMRES_HIGH = -4;

// Paper sizes. Sizes a queue offers that have no number of their own get DMPAPER_USER + n.
inline constexpr SHORT DMPAPER_LETTER = 1;
inline constexpr SHORT DMPAPER_TABLOID = 3;
inline constexpr SHORT DMPAPER_LEDGER = 4;
inline constexpr SHORT DMPAPER_LEGAL = 5;
inline constexpr SHORT DMPAPER_STATEMENT = 6;
inline constexpr SHORT DMPAPER_EXECUTIVE = 7;
inline constexpr SHORT DMPAPER_A3 = 8;
inline constexpr SHORT DMPAPER_A4 = 9;
inline constexpr SHORT DMPAPER_A5 = 11;
inline constexpr SHORT DMPAPER_B4 = 12;
inline constexpr SHORT DMPAPER_B5 = 13;
inline constexpr SHORT DMPAPER_ENV_10 = 20;
inline constexpr SHORT DMPAPER_ENV_DL = 27;
inline constexpr SHORT DMPAPER_ENV_C5 = 28;
inline constexpr SHORT DMPAPER_ENV_C6 = 31;
inline constexpr SHORT DMPAPER_ENV_MONARCH = 37;
inline constexpr SHORT DMPAPER_A6 = 70;
inline constexpr SHORT DMPAPER_USER = 256;

// The names block of the common dialogs: offsets from the block's start to three zero-terminated
// strings.
struct DEVNAMES {
    WORD wDriverOffset;
    WORD wDeviceOffset;
    WORD wOutputOffset;
    WORD wDefault;
};
inline constexpr WORD DN_DEFAULTPRN = 0x0001;

// ---------------------------------------------------------------------------------------------
// The printer list

inline constexpr DWORD PRINTER_ENUM_DEFAULT = 0x00000001;
inline constexpr DWORD PRINTER_ENUM_LOCAL = 0x00000002;
inline constexpr DWORD PRINTER_ENUM_CONNECTIONS = 0x00000004;
inline constexpr DWORD PRINTER_ENUM_NAME = 0x00000008;
inline constexpr DWORD PRINTER_ENUM_REMOTE = 0x00000010;
inline constexpr DWORD PRINTER_ENUM_SHARED = 0x00000020;
inline constexpr DWORD PRINTER_ENUM_NETWORK = 0x00000040;
inline constexpr DWORD PRINTER_ATTRIBUTE_DEFAULT = 0x00000004;
inline constexpr DWORD PRINTER_ATTRIBUTE_SHARED = 0x00000008;
inline constexpr DWORD PRINTER_ATTRIBUTE_NETWORK = 0x00000010;
inline constexpr DWORD PRINTER_ATTRIBUTE_LOCAL = 0x00000040;
inline constexpr DWORD PRINTER_STATUS_PAUSED = 0x00000001;
inline constexpr DWORD PRINTER_STATUS_PRINTING = 0x00000400;

struct PRINTER_INFO_1 {
    DWORD Flags;
    char* pDescription;  // "name,driver,location"
    char* pName;
    char* pComment;
};
struct PRINTER_INFO_2 {
    char* pServerName;
    char* pPrinterName;
    char* pShareName;
    char* pPortName;
    char* pDriverName;
    char* pComment;
    char* pLocation;
    DEVMODE* pDevMode;
    char* pSepFile;
    char* pPrintProcessor;
    char* pDatatype;
    char* pParameters;
    void* pSecurityDescriptor;
    DWORD Attributes;
    DWORD Priority;
    DWORD DefaultPriority;
    DWORD StartTime;
    DWORD UntilTime;
    DWORD Status;
    DWORD cJobs;
    DWORD AveragePPM;
};
struct PRINTER_INFO_4 {
    char* pPrinterName;
    char* pServerName;
    DWORD Attributes;
};
struct PRINTER_INFO_5 {
    char* pPrinterName;
    char* pPortName;
    DWORD Attributes;
    DWORD DeviceNotSelectedTimeout;
    DWORD TransmissionRetryTimeout;
};

// Levels 1, 2, 4 and 5. The structures come first in the buffer, the strings they point to after
// them; a buffer too small fails with ERROR_INSUFFICIENT_BUFFER and *pcbNeeded says how much is
// needed. PRINTER_ENUM_DEFAULT lists the default printer alone. `Name` must be null or empty.
BOOL EnumPrinters(DWORD Flags, const char* Name, DWORD Level, BYTE* pPrinterEnum, DWORD cbBuf,
                  DWORD* pcbNeeded, DWORD* pcReturned);
// The default queue's name; ERROR_FILE_NOT_FOUND without one, ERROR_INSUFFICIENT_BUFFER (and the
// size needed with its terminator in *pcchBuffer) when it does not fit.
BOOL GetDefaultPrinter(char* pszBuffer, DWORD* pcchBuffer);

BOOL OpenPrinter(const char* pPrinterName, HANDLE* phPrinter, const void* pDefault);
BOOL ClosePrinter(HANDLE hPrinter);

inline constexpr DWORD DM_UPDATE = 1;
inline constexpr DWORD DM_COPY = 2;
inline constexpr DWORD DM_PROMPT = 4;
inline constexpr DWORD DM_MODIFY = 8;
inline constexpr DWORD DM_OUT_BUFFER = DM_COPY;
inline constexpr DWORD DM_IN_BUFFER = DM_MODIFY;
// fMode 0: the size of the printer's settings block. DM_OUT_BUFFER: the printer's defaults, merged
// with the fields of pDevModeInput that DM_IN_BUFFER names, are written to pDevModeOutput; IDOK (1).
// A negative value on failure.
LONG DocumentProperties(HWND hWnd, HANDLE hPrinter, const char* pDeviceName, DEVMODE* pDevModeOutput,
                        const DEVMODE* pDevModeInput, DWORD fMode);

inline constexpr WORD DC_FIELDS = 1;
inline constexpr WORD DC_PAPERS = 2;     // WORD per size
inline constexpr WORD DC_PAPERSIZE = 3;  // POINT per size, tenths of a millimetre, portrait
inline constexpr WORD DC_SIZE = 8;
inline constexpr WORD DC_ENUMRESOLUTIONS = 13;  // two LONGs per resolution
inline constexpr WORD DC_PAPERNAMES = 16;       // 64 characters per size, zero-padded
inline constexpr WORD DC_ORIENTATION = 17;
inline constexpr WORD DC_COPIES = 18;
// The number of entries, the entries written to pOutput when it is not null; -1 for an unknown
// printer or capability.
int DeviceCapabilities(const char* pDevice, const char* pPort, WORD fwCapability, char* pOutput,
                       const DEVMODE* pDevMode);

// ---------------------------------------------------------------------------------------------
// Printing

struct DOCINFO {
    int cbSize;
    const char* lpszDocName;
    const char* lpszOutput;  // a native file path: the PDF goes there instead of to the queue
    const char* lpszDatatype;
    DWORD fwType;
};
inline constexpr int SP_ERROR = -1;
inline constexpr int SP_APPABORT = -2;
inline constexpr int SP_OUTOFDISK = -4;

// CreateDC(driver, device, output, devmode) with a device that is a queue of the list gives a
// printer DC; the settings block (may be null) chooses paper, orientation and resolution.
// StartDoc returns a positive job number, or SP_ERROR when a document is already open.
int StartDoc(HDC dc, const DOCINFO* info);
// StartPage clears the page to white; EndPage keeps it.
int StartPage(HDC dc);
int EndPage(HDC dc);
// Submits the document (a page still open is ended first). SP_ERROR when the queue refused it.
int EndDoc(HDC dc);
// Drops the document; nothing reaches the printer.
int AbortDoc(HDC dc);

namespace testing {

// What the last EndDoc of this process produced: the PDF bytes, its page count and where it went
// ("cups:<queue>#<job>" or the output file).
struct PrintedDocument {
    std::string title;
    std::string destination;
    int pages = 0;
    std::string pdf;
};
std::vector<PrintedDocument> PrintedDocuments();

}  // namespace testing

}  // namespace win32
