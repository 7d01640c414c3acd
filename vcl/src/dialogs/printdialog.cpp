// The print and printer-setup dialogs: the platform's PrintDlg filled from and stored into
// Printer().
#include <algorithm>
#include <cstring>

#include "vcl/dialogs.h"
#include "vcl/forms.h"
#include "vcl/printers.h"
#include "win32/commdlg.h"
#include "win32/user.h"

namespace vcl {

using namespace win32;

namespace printdialog {

// The current printer's names and a copy of its settings in blocks of global memory that PrintDlg
// may replace; both null when there is no printer.
struct PrinterBlocks {
    HGLOBAL devMode = nullptr;
    HGLOBAL devNames = nullptr;

    PrinterBlocks() {
        std::string device, driver, port;
        HGLOBAL mode = nullptr;
        try {
            Printer()->GetPrinter(device, driver, port, mode);
        } catch (const EPrinter&) {
            return;
        }
        const size_t namesSize = sizeof(DEVNAMES) + driver.size() + device.size() + port.size() + 3;
        devNames = GlobalAlloc(GHND, namesSize);
        devMode = GlobalAlloc(GHND, GlobalSize(mode));
        if (!devNames || !devMode) {
            if (devNames) GlobalFree(devNames);
            if (devMode) GlobalFree(devMode);
            throw EOutOfMemory("Out of memory");
        }
        auto* names = static_cast<BYTE*>(GlobalLock(devNames));
        DEVNAMES header{sizeof(DEVNAMES), static_cast<WORD>(sizeof(DEVNAMES) + driver.size() + 1),
                        static_cast<WORD>(sizeof(DEVNAMES) + driver.size() + device.size() + 2), 0};
        std::memcpy(names, &header, sizeof header);
        std::memcpy(names + header.wDriverOffset, driver.c_str(), driver.size() + 1);
        std::memcpy(names + header.wDeviceOffset, device.c_str(), device.size() + 1);
        std::memcpy(names + header.wOutputOffset, port.c_str(), port.size() + 1);
        GlobalUnlock(devNames);
        std::memcpy(GlobalLock(devMode), GlobalLock(mode), GlobalSize(mode));
        GlobalUnlock(devMode);
        GlobalUnlock(mode);
    }
    ~PrinterBlocks() {
        if (devMode) GlobalFree(devMode);
        if (devNames) GlobalFree(devNames);
    }
    PrinterBlocks(const PrinterBlocks&) = delete;
    PrinterBlocks& operator=(const PrinterBlocks&) = delete;

    // A record for PrintDlg holding the blocks.
    PRINTDLG Record(DWORD flags) const {
        PRINTDLG record{};
        record.lStructSize = sizeof record;
        record.hwndOwner = Application ? Application->Handle() : nullptr;
        record.hDevMode = devMode;
        record.hDevNames = devNames;
        record.Flags = flags;
        return record;
    }
    // Takes back the blocks PrintDlg left in the record (its own when it replaced them).
    void Keep(const PRINTDLG& record) {
        devMode = record.hDevMode;
        devNames = record.hDevNames;
    }

    // Hands the chosen printer to Printer(), which takes over the settings block.
    void Adopt() {
        const auto* names = static_cast<const char*>(GlobalLock(devNames));
        DEVNAMES header;
        std::memcpy(&header, names, sizeof header);
        const std::string driver = names + header.wDriverOffset, device = names + header.wDeviceOffset,
                          port = names + header.wOutputOffset;
        GlobalUnlock(devNames);
        HGLOBAL mode = devMode;
        devMode = nullptr;
        Printer()->SetPrinter(device, driver, port, mode);
    }
};

}  // namespace printdialog

using printdialog::PrinterBlocks;

bool TCommonDialog::TaskModalDialog(const std::function<bool()>& dialog) {
    std::vector<HWND> disabled;
    if (Application) {
        for (Integer i = 0; Screen && i < Screen->FormCount(); ++i) {
            TCustomForm* form = Screen->Forms(i);
            if (form->HandleAllocated() && IsWindowEnabled(form->Handle())) {
                EnableWindow(form->Handle(), FALSE);
                disabled.push_back(form->Handle());
            }
        }
    }
    const ScopeExit enable([&disabled] {
        for (HWND window : disabled)
            if (IsWindow(window)) EnableWindow(window, TRUE);
    });
    DoShow();
    const bool accepted = dialog();
    DoClose();
    return accepted;
}

VCL_DEFINE_CLASS(TPrintDialog, TCommonDialog)

TPrintDialog::TPrintDialog(TComponent* owner) : TCommonDialog(owner) {}

bool TPrintDialog::Execute() {
    PrinterBlocks blocks;
    PRINTDLG record = blocks.Record(PD_USEDEVMODECOPIESANDCOLLATE);
    if (collate_) record.Flags |= PD_COLLATE;
    if (!options_.Contains(poPrintToFile)) record.Flags |= PD_HIDEPRINTTOFILE;
    if (options_.Contains(poDisablePrintToFile)) record.Flags |= PD_DISABLEPRINTTOFILE;
    if (!options_.Contains(poPageNums)) record.Flags |= PD_NOPAGENUMS;
    if (!options_.Contains(poSelection)) record.Flags |= PD_NOSELECTION;
    if (!options_.Contains(poWarning)) record.Flags |= PD_NOWARNING;
    if (options_.Contains(poHelp)) record.Flags |= PD_SHOWHELP;
    if (printToFile_) record.Flags |= PD_PRINTTOFILE;
    if (printRange_ == prSelection) record.Flags |= PD_SELECTION;
    if (printRange_ == prPageNums) record.Flags |= PD_PAGENUMS;
    auto toWord = [](Integer value) { return static_cast<WORD>(std::clamp<Integer>(value, 0, 0xFFFF)); };
    record.nFromPage = toWord(fromPage_);
    record.nToPage = toWord(toPage_);
    record.nMinPage = toWord(minPage_);
    record.nMaxPage = toWord(maxPage_);
    if (blocks.devMode && copies_ > 0) {
        auto* mode = static_cast<DEVMODE*>(GlobalLock(blocks.devMode));
        mode->dmCopies = static_cast<SHORT>(std::min<Integer>(copies_, 999));
        mode->dmCollate = collate_ ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
        GlobalUnlock(blocks.devMode);
    }
    const bool accepted = TaskModalDialog([&] { return PrintDlg(&record) != FALSE; });
    blocks.Keep(record);
    if (!accepted) return false;
    const auto* mode = static_cast<const DEVMODE*>(GlobalLock(blocks.devMode));
    copies_ = mode->dmCopies;
    collate_ = mode->dmCollate == DMCOLLATE_TRUE;
    GlobalUnlock(blocks.devMode);
    printToFile_ = (record.Flags & PD_PRINTTOFILE) != 0;
    printRange_ = (record.Flags & PD_SELECTION)  ? prSelection
                  : (record.Flags & PD_PAGENUMS) ? prPageNums
                                                 : prAllPages;
    fromPage_ = record.nFromPage;
    toPage_ = record.nToPage;
    blocks.Adopt();
    return true;
}

VCL_DEFINE_CLASS(TPrinterSetupDialog, TCommonDialog)

TPrinterSetupDialog::TPrinterSetupDialog(TComponent* owner) : TCommonDialog(owner) {}

bool TPrinterSetupDialog::Execute() {
    PrinterBlocks blocks;
    PRINTDLG record = blocks.Record(PD_PRINTSETUP);
    const bool accepted = TaskModalDialog([&] { return PrintDlg(&record) != FALSE; });
    blocks.Keep(record);
    if (accepted) blocks.Adopt();
    return accepted;
}

namespace {
const bool printdialogClassesRegistered = [] {
    RegisterClasses({TPrintDialog::StaticClass(), TPrinterSetupDialog::StaticClass()});
    return true;
}();
}  // namespace

}  // namespace vcl
