// The print and page-setup dialogs on the private CUPS server, answered by script.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/print_server.h"
#include "win32/commdlg.h"
#include "win32/gdi.h"
#include "win32/kernel.h"
#include "win32/messages.h"
#include "win32/user.h"

namespace {

using namespace win32;
namespace wt = win32::testing;

std::vector<std::pair<UINT, WPARAM>> paintMessages;
bool stopAtFullPage = false;
bool takePrinterButton = false;
int printerButtonCalls = 0;

UINT_PTR RecordPaint(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    EXPECT_NE(lParam, 0);
    paintMessages.emplace_back(message, message == WM_PSD_PAGESETUPDLG ? wParam : 0);
    // What one part's drawing sets on the dialog's DC does not reach the next part nor the dialog.
    if (message > WM_PSD_FULLPAGERECT) {
        EXPECT_EQ(GetBkMode(reinterpret_cast<HDC>(wParam)), TRANSPARENT);
    }
    if (message >= WM_PSD_FULLPAGERECT) SetBkMode(reinterpret_cast<HDC>(wParam), OPAQUE);
    return message == WM_PSD_FULLPAGERECT && stopAtFullPage;
}

UINT_PTR SetupHook(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) SetWindowPos(window, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    if (message == WM_COMMAND && LOWORD(wParam) == psh3) {
        ++printerButtonCalls;
        return takePrinterButton;
    }
    return FALSE;
}

std::string DeviceOf(HGLOBAL names) {
    const auto* block = static_cast<const char*>(GlobalLock(names));
    DEVNAMES header;
    std::memcpy(&header, block, sizeof header);
    std::string device = block + header.wDeviceOffset;
    GlobalUnlock(names);
    return device;
}

class CommonDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string& error = zyltest::PrintServer::Get().Error(); !error.empty())
            GTEST_SKIP() << error;
        paintMessages.clear();
        stopAtFullPage = takePrinterButton = false;
        printerButtonCalls = 0;
        record.lStructSize = sizeof record;
    }
    void TearDown() override {
        if (record.hDevMode) GlobalFree(record.hDevMode);
        if (record.hDevNames) GlobalFree(record.hDevNames);
        wt::ResetPlatform();
    }

    PAGESETUPDLG record{};
};

TEST_F(CommonDialogTest, PageSetupRefusesBadRecordsAndRunsNothingWithoutScript) {
    EXPECT_FALSE(PageSetupDlg(nullptr));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
    record.lStructSize = sizeof record - 4;
    EXPECT_FALSE(PageSetupDlg(&record));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
    record.lStructSize = sizeof record;
    record.Flags = PSD_ENABLEPAGEPAINTHOOK;
    EXPECT_FALSE(PageSetupDlg(&record));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_NOHOOK);
    record.Flags = 0;
    EXPECT_FALSE(PageSetupDlg(&record));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    ASSERT_EQ(wt::CommonDialogLog().size(), 1u);
    EXPECT_EQ(wt::CommonDialogLog()[0].outcome, "no script");
    EXPECT_EQ(record.hDevMode, nullptr);
}

TEST_F(CommonDialogTest, PageSetupMarginsInBothUnitsOkAndCancel) {
    // Without PSD_MARGINS the margins start at an inch; the platform centres the dialog.
    wt::SetPageSetupScript({});
    ASSERT_TRUE(PageSetupDlg(&record));
    EXPECT_EQ(record.rtMargin.left, 1000);
    EXPECT_EQ(record.rtMargin.bottom, 1000);
    EXPECT_EQ(record.ptPaperSize.x, 8500);  // the default queue's Letter
    EXPECT_EQ(record.ptPaperSize.y, 11000);
    EXPECT_EQ(DeviceOf(record.hDevNames), "ZylPdf");
    const RECT window = wt::CommonDialogLog().back().window;
    EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left)) / 2);
    EXPECT_EQ(window.top, (GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top)) / 2);

    // The same 1000 in hundredths of a millimetre is 10 mm; A4 turned on its side.
    record.Flags = PSD_MARGINS | PSD_INHUNDREDTHSOFMILLIMETERS;
    record.rtMargin = RECT{1000, 1000, 1000, 1000};
    wt::PageSetupScript script;
    script.paperSize = DMPAPER_A4;
    script.orientation = DMORIENT_LANDSCAPE;
    wt::SetPageSetupScript(script);
    ASSERT_TRUE(PageSetupDlg(&record));
    EXPECT_EQ(record.rtMargin.top, 1000);
    EXPECT_EQ(record.ptPaperSize.x, 29700);
    EXPECT_EQ(record.ptPaperSize.y, 21000);
    const auto* mode = static_cast<const DEVMODE*>(GlobalLock(record.hDevMode));
    EXPECT_EQ(mode->dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(mode->dmOrientation, DMORIENT_LANDSCAPE);
    GlobalUnlock(record.hDevMode);

    // Typed margins below the printer's unprintable border are raised to it; Cancel changes nothing.
    record.Flags = PSD_MARGINS | PSD_INTHOUSANDTHSOFINCHES;
    script = {};
    script.margins = RECT{0, 0, 2000, 0};
    wt::SetPageSetupScript(script);
    ASSERT_TRUE(PageSetupDlg(&record));
    EXPECT_EQ(record.rtMargin.right, 2000);
    EXPECT_EQ(record.rtMargin.left, record.rtMinMargin.left);
    EXPECT_GT(record.rtMinMargin.left, 0);
    const RECT kept = record.rtMargin;
    script.margins = RECT{3000, 3000, 3000, 3000};
    script.cancel = true;
    wt::SetPageSetupScript(script);
    EXPECT_FALSE(PageSetupDlg(&record));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(record.rtMargin.left, kept.left);
    EXPECT_EQ(wt::CommonDialogLog().back().outcome, "cancelled");
}

TEST_F(CommonDialogTest, PaintHookHearsEachPartInOrder) {
    record.Flags = PSD_ENABLEPAGEPAINTHOOK;
    record.lpfnPagePaintHook = RecordPaint;
    wt::SetPageSetupScript({});
    ASSERT_TRUE(PageSetupDlg(&record));
    const std::vector<UINT> letter = {WM_PSD_PAGESETUPDLG, WM_PSD_FULLPAGERECT, WM_PSD_MINMARGINRECT,
                                      WM_PSD_MARGINRECT, WM_PSD_GREEKTEXTRECT};
    ASSERT_EQ(paintMessages.size(), letter.size());
    for (size_t i = 0; i < letter.size(); ++i)
        EXPECT_EQ(paintMessages[i].first, letter[i]);
    EXPECT_EQ(LOWORD(paintMessages[0].second), DMPAPER_LETTER);
    EXPECT_EQ(HIWORD(paintMessages[0].second), PSD_PAGE_PORTRAIT | PSD_PAGE_HPPCL);

    // An envelope adds the stamp and the return address; each change of paper paints again.
    paintMessages.clear();
    wt::PageSetupScript script;
    script.paperSize = DMPAPER_ENV_DL;
    wt::SetPageSetupScript(script);
    ASSERT_TRUE(PageSetupDlg(&record));
    ASSERT_EQ(paintMessages.size(), 12u);
    EXPECT_EQ(paintMessages[5].first, WM_PSD_PAGESETUPDLG);
    EXPECT_EQ(LOWORD(paintMessages[5].second), DMPAPER_ENV_DL);
    EXPECT_EQ(HIWORD(paintMessages[5].second), PSD_PAGE_PORTRAIT | PSD_PAGE_HPPCL | PSD_PAGE_ENVELOPE);
    EXPECT_EQ(paintMessages[10].first, WM_PSD_ENVSTAMPRECT);
    EXPECT_EQ(paintMessages[11].first, WM_PSD_YAFULLPAGERECT);

    // TRUE for the full page ends the sample page's messages.
    paintMessages.clear();
    stopAtFullPage = true;
    wt::SetPageSetupScript({});
    ASSERT_TRUE(PageSetupDlg(&record));
    EXPECT_EQ(paintMessages.size(), 2u);
}

TEST_F(CommonDialogTest, PrinterButtonGoesToTheHookOrOpensPrintSetup) {
    record.Flags = PSD_ENABLEPAGESETUPHOOK;
    record.lpfnPageSetupHook = SetupHook;
    takePrinterButton = true;
    wt::PageSetupScript script;
    script.pressPrinter = true;
    wt::SetPageSetupScript(script);
    ASSERT_TRUE(PageSetupDlg(&record));
    EXPECT_EQ(printerButtonCalls, 1);
    EXPECT_FALSE(wt::CommonDialogLog().back().printSetupOpened);
    EXPECT_EQ(wt::CommonDialogLog().back().window.left, 10);  // the hook moved it on WM_INITDIALOG
    EXPECT_EQ(wt::CommonDialogLog().back().window.top, 20);

    // A hook that declines, like no hook, lets the platform's Print Setup dialog open; its printer
    // becomes the page setup's.
    takePrinterButton = false;
    wt::SetPageSetupScript(script);
    wt::PrintDlgScript choose;
    choose.printer = "ZylText";
    wt::SetPrintDlgScript(choose);
    ASSERT_TRUE(PageSetupDlg(&record));
    EXPECT_EQ(printerButtonCalls, 2);
    const std::vector<wt::CommonDialogRecord> log = wt::CommonDialogLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 2].dialog, "Print Setup");
    EXPECT_TRUE(log.back().printSetupOpened);
    EXPECT_EQ(DeviceOf(record.hDevNames), "ZylText");
}

TEST_F(CommonDialogTest, PrintDialogChoosesCopiesPagesAndGivesADC) {
    PRINTDLG print{};
    print.lStructSize = sizeof print;
    print.Flags = PD_RETURNDEFAULT;
    ASSERT_TRUE(PrintDlg(&print));
    EXPECT_EQ(DeviceOf(print.hDevNames), "ZylPdf");
    const auto* names = static_cast<const DEVNAMES*>(GlobalLock(print.hDevNames));
    EXPECT_EQ(names->wDefault, DN_DEFAULTPRN);
    GlobalUnlock(print.hDevNames);
    print.Flags = PD_RETURNDEFAULT;
    EXPECT_FALSE(PrintDlg(&print));
    EXPECT_EQ(CommDlgExtendedError(), PDERR_RETDEFFAILURE);

    print.Flags = PD_USEDEVMODECOPIESANDCOLLATE | PD_RETURNDC;
    print.nMinPage = 1;
    print.nMaxPage = 5;
    wt::PrintDlgScript script;
    script.copies = 3;
    script.pages = std::make_pair<WORD, WORD>(2, 4);
    script.collate = true;
    wt::SetPrintDlgScript(script);
    ASSERT_TRUE(PrintDlg(&print));
    EXPECT_TRUE(print.Flags & PD_PAGENUMS);
    EXPECT_EQ(print.nFromPage, 2);
    EXPECT_EQ(print.nToPage, 4);
    EXPECT_EQ(print.nCopies, 1);
    const auto* mode = static_cast<const DEVMODE*>(GlobalLock(print.hDevMode));
    EXPECT_EQ(mode->dmCopies, 3);
    EXPECT_EQ(mode->dmCollate, DMCOLLATE_TRUE);
    GlobalUnlock(print.hDevMode);
    ASSERT_NE(print.hDC, nullptr);
    EXPECT_EQ(GetDeviceCaps(print.hDC, TECHNOLOGY), DT_RASPRINTER);
    DeleteDC(print.hDC);

    // Pages outside the allowed range keep the dialog from closing.
    script.pages = std::make_pair<WORD, WORD>(4, 9);
    wt::SetPrintDlgScript(script);
    print.Flags = 0;
    EXPECT_FALSE(PrintDlg(&print));
    EXPECT_EQ(wt::CommonDialogLog().back().outcome, "refused: pages out of range");
    GlobalFree(print.hDevMode);
    GlobalFree(print.hDevNames);
}

}  // namespace
