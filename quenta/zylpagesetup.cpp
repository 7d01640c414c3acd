// The page-setup dialog component.
#include "quenta/zylpagesetup.h"

#include <cstring>
#include <memory>
#include <string>

#include "vcl/forms.h"
#include "vcl/printers.h"
#include "win32/messages.h"
#include "win32/user.h"

namespace quenta {

using namespace win32;

namespace zylpagesetup {

// The dialog being executed, for the hook procedure. Saved and restored around each execution so
// that a dialog started from an event of another still finds the right component.
TZylPageSetupDialog* currentDialog = nullptr;

constexpr std::pair<TZylPageSetupOption, DWORD> kOptionFlags[] = {
    {poDefaultMinMargins, PSD_DEFAULTMINMARGINS},
    {poDisableMargins, PSD_DISABLEMARGINS},
    {poDisableOrientation, PSD_DISABLEORIENTATION},
    {poDisablePagePainting, PSD_DISABLEPAGEPAINTING},
    {poDisablePaper, PSD_DISABLEPAPER},
    {poDisablePrinter, PSD_DISABLEPRINTER},
    {poNoWarning, PSD_NOWARNING},
    {poShowHelp, PSD_SHOWHELP},
};

void ReportException(vcl::TObject* sender, const std::exception& error) {
    if (vcl::Application) vcl::Application->HandleException(sender, error);
}

// The names block: four 16-bit offsets (driver at 8, device, port, default flag 0), then the three
// names, each ended by a zero byte.
HGLOBAL NewNamesBlock(const std::string& device, const std::string& driver, const std::string& port) {
    HGLOBAL block = GlobalAlloc(GHND, device.size() + driver.size() + port.size() + 11);
    if (!block) return nullptr;
    auto* bytes = static_cast<BYTE*>(GlobalLock(block));
    const DEVNAMES header{8, static_cast<WORD>(8 + driver.size() + 1),
                          static_cast<WORD>(8 + driver.size() + 1 + device.size() + 1), 0};
    std::memcpy(bytes, &header, sizeof header);
    std::memcpy(bytes + header.wDriverOffset, driver.c_str(), driver.size() + 1);
    std::memcpy(bytes + header.wDeviceOffset, device.c_str(), device.size() + 1);
    std::memcpy(bytes + header.wOutputOffset, port.c_str(), port.size() + 1);
    GlobalUnlock(block);
    return block;
}

HGLOBAL CopyBlock(HGLOBAL source) {
    const size_t size = GlobalSize(source);
    HGLOBAL copy = size ? GlobalAlloc(GHND, size) : nullptr;
    if (!copy) return nullptr;
    std::memcpy(GlobalLock(copy), GlobalLock(source), size);
    GlobalUnlock(copy);
    GlobalUnlock(source);
    return copy;
}

// The names a returned names block holds; false when the block is missing or malformed.
bool ReadNames(HGLOBAL block, std::string& device, std::string& driver, std::string& port) {
    const size_t size = block ? GlobalSize(block) : 0;
    if (size < sizeof(DEVNAMES)) return false;
    const auto* bytes = static_cast<const char*>(GlobalLock(block));
    if (!bytes) return false;
    DEVNAMES header;
    std::memcpy(&header, bytes, sizeof header);
    auto text = [&](WORD offset) {
        return offset < size ? std::string(bytes + offset, strnlen(bytes + offset, size - offset))
                             : std::string();
    };
    driver = text(header.wDriverOffset);
    device = text(header.wDeviceOffset);
    port = text(header.wOutputOffset);
    GlobalUnlock(block);
    return !device.empty();
}

}  // namespace zylpagesetup

using namespace zylpagesetup;

// The hook procedure, installed as setup hook and, when both paint events are set, as paint hook.
struct ZylPageSetupHook {
    static UINT_PTR Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        TZylPageSetupDialog* dialog = currentDialog;
        if (!dialog) return FALSE;
        if (message == WM_COMMAND && LOWORD(wParam) == psh3 && HIWORD(wParam) == 0) {
            try {
                return dialog->Printer(window);
            } catch (const std::exception& error) {
                ReportException(dialog, error);
                return FALSE;
            }
        }
        if (dialog->PaintsPage()) {
            if (message == WM_PSD_PAGESETUPDLG) return InitPaintPage(*dialog, wParam, lParam);
            if (message >= WM_PSD_FULLPAGERECT && message <= WM_PSD_YAFULLPAGERECT)
                return PaintPage(*dialog, message, wParam, lParam);
        }
        if (message == WM_INITDIALOG) {
            RECT frame{};
            GetWindowRect(window, &frame);
            const int width = frame.right - frame.left, height = frame.bottom - frame.top;
            SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                         (GetSystemMetrics(SM_CYSCREEN) - height) / 3, 0, 0,
                         SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
            return TRUE;
        }
        return FALSE;
    }

    // The high word of wParam carries bits: 8 envelope, 4 portrait, 2 a printer of the HPPCL class.
    static UINT_PTR InitPaintPage(TZylPageSetupDialog& dialog, WPARAM wParam, LPARAM lParam) {
        const WORD kind = HIWORD(wParam);
        try {
            return dialog.OnInitPaintPage(&dialog, static_cast<int16_t>(LOWORD(wParam)),
                                          (kind & PSD_PAGE_ENVELOPE) ? ptEnvelope : ptPaper,
                                          (kind & PSD_PAGE_PORTRAIT) ? poPortrait : poLandscape,
                                          (kind & PSD_PAGE_HPPCL) ? ptHPPCL : ptDotMatrix,
                                          reinterpret_cast<PZylDlgData>(lParam));
        } catch (const std::exception& error) {
            ReportException(&dialog, error);
            return FALSE;
        }
    }

    static UINT_PTR PaintPage(TZylPageSetupDialog& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        const vcl::TRect rect = lParam ? *reinterpret_cast<const RECT*>(lParam) : vcl::TRect{0, 0, 0, 0};
        const auto what = static_cast<TZylPaintWhat>(message - WM_PSD_FULLPAGERECT);
        auto canvas = std::make_unique<vcl::TCanvas>();
        canvas->SetHandle(reinterpret_cast<HDC>(wParam));
        const vcl::ScopeExit release([&canvas] { canvas->SetHandle(nullptr); });
        try {
            return dialog.OnPaintPage(&dialog, what, canvas.get(), rect);
        } catch (const std::exception& error) {
            ReportException(&dialog, error);
            return FALSE;
        }
    }
};

VCL_DEFINE_CLASS(TZylPageSetupDialog, vcl::TCommonDialog)

TZylPageSetupDialog::TZylPageSetupDialog(vcl::TComponent* owner) : vcl::TCommonDialog(owner) {}

bool TZylPageSetupDialog::Printer(HWND wnd) {
    if (!OnPrinter) return false;
    OnPrinter(this, wnd);
    return true;
}

bool TZylPageSetupDialog::Execute() {
    PAGESETUPDLG record{};
    record.lStructSize = sizeof record;
    record.hwndOwner = vcl::Application ? vcl::Application->Handle() : nullptr;
    record.Flags = PSD_MARGINS;
    // Whatever blocks the record holds when Execute leaves, by any path, are freed here; a block
    // handed to the printer is taken out of the record first.
    const vcl::ScopeExit freeBlocks([&record] {
        if (record.hDevMode) GlobalFree(record.hDevMode);
        if (record.hDevNames) GlobalFree(record.hDevNames);
    });
    if (OnPrinter || OnInitPaintPage || OnPaintPage) {
        record.Flags |= PSD_ENABLEPAGESETUPHOOK;
        record.lpfnPageSetupHook = ZylPageSetupHook::Procedure;
    }
    for (const auto& [option, flag] : kOptionFlags)
        if (options_.Contains(option)) record.Flags |= flag;
    record.Flags |=
        measurements_ == pmMillimeters ? PSD_INHUNDREDTHSOFMILLIMETERS : PSD_INTHOUSANDTHSOFINCHES;
    if (PaintsPage()) {
        record.Flags |= PSD_ENABLEPAGEPAINTHOOK;
        record.lpfnPagePaintHook = ZylPageSetupHook::Procedure;
    }

    std::string device, driver, port;
    HGLOBAL settings = nullptr;
    try {
        vcl::Printer()->GetPrinter(device, driver, port, settings);
    } catch (const vcl::EPrinter&) {
        settings = nullptr;  // no printer: the platform's dialog says so
    }
    if (settings) {
        record.hDevNames = NewNamesBlock(device, driver, port);
        record.hDevMode = CopyBlock(settings);
        if (!record.hDevNames || !record.hDevMode) throw vcl::EOutOfMemory("Out of memory");
    }
    record.lCustData = custData_;
    record.ptPaperSize = paperSize_;
    record.rtMinMargin = minMargins_;
    record.rtMargin = margins_;

    bool accepted = false;
    {
        const vcl::ScopedValue current(currentDialog, this);
        accepted = TaskModalDialog([&record] { return PageSetupDlg(&record) != FALSE; });
    }
    if (!accepted) return false;
    paperSize_ = record.ptPaperSize;
    minMargins_ = record.rtMinMargin;
    margins_ = record.rtMargin;
    // A dialog that answered OK without naming a printer leaves the current one as it is.
    if (!ReadNames(record.hDevNames, device, driver, port)) return true;
    HGLOBAL chosen = record.hDevMode;
    record.hDevMode = nullptr;
    vcl::Printer()->SetPrinter(device, driver, port, chosen);
    return true;
}

}  // namespace quenta
