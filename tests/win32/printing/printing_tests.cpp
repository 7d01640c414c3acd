// Printers on the private CUPS server: the list and the default, settings blocks, paper sizes, and
// documents drawn on printer DCs arriving as PDF; and the same calls with no server at all.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/print_server.h"
#include "support/real_peers.h"
#include "support/tempdir.h"
#include "win32/errors.h"
#include "win32/gdi.h"
#include "win32/kernel.h"
#include "win32/printing.h"

namespace {

using namespace win32;
namespace wt = win32::testing;

class PrintingTest : public ::testing::Test {
protected:
    void SetUp() override {
        server = &zyltest::PrintServer::Get();
        if (!server->Error().empty()) GTEST_SKIP() << server->Error();
    }
    void TearDown() override { wt::ResetPlatform(); }

    static DEVMODE Settings(SHORT paper, SHORT orientation, SHORT dotsPerInch) {
        DEVMODE mode{};
        mode.dmSize = sizeof mode;
        mode.dmFields = DM_PAPERSIZE | DM_ORIENTATION | DM_PRINTQUALITY;
        mode.dmPaperSize = paper;
        mode.dmOrientation = orientation;
        mode.dmPrintQuality = dotsPerInch;
        return mode;
    }

    zyltest::PrintServer* server = nullptr;
};

TEST_F(PrintingTest, ListsTheQueuesAndTheDefaultAtEveryLevel) {
    DWORD needed = 0, count = 0;
    EXPECT_FALSE(EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    ASSERT_GT(needed, 2 * sizeof(PRINTER_INFO_4));
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 4, buffer.data(), needed, &needed, &count));
    ASSERT_EQ(count, 2u);
    const auto* level4 = reinterpret_cast<const PRINTER_INFO_4*>(buffer.data());
    EXPECT_STREQ(level4[0].pPrinterName, "ZylPdf");
    EXPECT_STREQ(level4[1].pPrinterName, "ZylText");
    EXPECT_TRUE(level4[0].Attributes & PRINTER_ATTRIBUTE_DEFAULT);
    EXPECT_FALSE(level4[1].Attributes & PRINTER_ATTRIBUTE_DEFAULT);
    // Strings live inside the caller's buffer.
    EXPECT_GE(reinterpret_cast<const BYTE*>(level4[1].pPrinterName), buffer.data());
    EXPECT_LT(reinterpret_cast<const BYTE*>(level4[1].pPrinterName), buffer.data() + needed);

    EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    buffer.assign(needed, 0);
    ASSERT_TRUE(EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count));
    const auto* level2 = reinterpret_cast<const PRINTER_INFO_2*>(buffer.data());
    EXPECT_EQ(std::string(level2[0].pPortName).rfind("file://", 0), 0u) << level2[0].pPortName;
    ASSERT_NE(level2[0].pDevMode, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(level2[0].pDevMode->dmDeviceName), "ZylPdf");
    EXPECT_EQ(level2[0].pDevMode->dmPaperSize, DMPAPER_LETTER);  // the PPD's default

    EnumPrinters(PRINTER_ENUM_DEFAULT, nullptr, 5, nullptr, 0, &needed, &count);
    buffer.assign(needed, 0);
    ASSERT_TRUE(EnumPrinters(PRINTER_ENUM_DEFAULT, nullptr, 5, buffer.data(), needed, &needed, &count));
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(reinterpret_cast<const PRINTER_INFO_5*>(buffer.data())->pPrinterName, "ZylPdf");
    EXPECT_FALSE(EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 3, nullptr, 0, &needed, &count));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);

    char name[4];
    DWORD size = sizeof name;
    EXPECT_FALSE(GetDefaultPrinter(name, &size));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, 7u);
    char fits[16];
    size = sizeof fits;
    ASSERT_TRUE(GetDefaultPrinter(fits, &size));
    EXPECT_STREQ(fits, "ZylPdf");
}

TEST_F(PrintingTest, PaperSizesAndSettingsComeFromTheQueue) {
    const int count = DeviceCapabilities("ZylPdf", nullptr, DC_PAPERS, nullptr, nullptr);
    ASSERT_GT(count, 3);
    std::vector<WORD> papers(count);
    std::vector<POINT> sizes(count);
    std::vector<char> names(count * 64);
    DeviceCapabilities("ZylPdf", nullptr, DC_PAPERS, reinterpret_cast<char*>(papers.data()), nullptr);
    DeviceCapabilities("ZylPdf", nullptr, DC_PAPERSIZE, reinterpret_cast<char*>(sizes.data()), nullptr);
    DeviceCapabilities("ZylPdf", nullptr, DC_PAPERNAMES, names.data(), nullptr);
    bool letter = false, a4 = false, envelope = false;
    for (int i = 0; i < count; ++i) {
        if (papers[i] == DMPAPER_LETTER) {
            letter = true;
            EXPECT_EQ(sizes[i].x, 2159);
            EXPECT_EQ(sizes[i].y, 2794);
            EXPECT_STREQ(&names[i * 64], "Letter");
        }
        if (papers[i] == DMPAPER_A4) {
            a4 = true;
            EXPECT_EQ(sizes[i].x, 2100);
            EXPECT_EQ(sizes[i].y, 2970);
        }
        envelope = envelope || papers[i] == DMPAPER_ENV_DL;
    }
    EXPECT_TRUE(letter && a4 && envelope);
    EXPECT_EQ(DeviceCapabilities("NoSuchQueue", nullptr, DC_PAPERS, nullptr, nullptr), -1);

    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinter("ZylText", &printer, nullptr));
    EXPECT_EQ(DocumentProperties(nullptr, printer, nullptr, nullptr, nullptr, 0),
              static_cast<LONG>(sizeof(DEVMODE)));
    DEVMODE in = Settings(DMPAPER_A4, DMORIENT_LANDSCAPE, 0);
    in.dmFields = DM_PAPERSIZE | DM_ORIENTATION;
    DEVMODE out{};
    EXPECT_EQ(DocumentProperties(nullptr, printer, nullptr, &out, &in, DM_OUT_BUFFER | DM_IN_BUFFER), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(out.dmDeviceName), "ZylText");
    EXPECT_EQ(out.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(out.dmCopies, 1);
    EXPECT_TRUE(ClosePrinter(printer));
    EXPECT_FALSE(ClosePrinter(printer));
    EXPECT_FALSE(OpenPrinter("NoSuchQueue", &printer, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
}

TEST_F(PrintingTest, TwoPagesArriveAsOnePdfWithWhatWasDrawn) {
    const DEVMODE mode = Settings(DMPAPER_LETTER, DMORIENT_PORTRAIT, 100);
    HDC dc = CreateDC(nullptr, "ZylPdf", nullptr, &mode);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 100);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 850);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), 1100);
    const int offsetX = GetDeviceCaps(dc, PHYSICALOFFSETX), offsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES) + 2 * offsetX, 850);

    const std::string title = "Two pages " + std::to_string(getpid());
    DOCINFO info{sizeof(DOCINFO), title.c_str(), nullptr, nullptr, 0};
    ASSERT_GT(StartDoc(dc, &info), 0);
    EXPECT_EQ(StartDoc(dc, &info), SP_ERROR);
    ASSERT_GT(StartPage(dc), 0);
    RECT block{100, 100, 300, 200};
    FillRect(dc, &block, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ASSERT_GT(EndPage(dc), 0);
    ASSERT_GT(StartPage(dc), 0);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT second{400, 500, 500, 600};
    FillRect(dc, &second, red);
    DeleteObject(red);
    ASSERT_GT(EndPage(dc), 0);
    const int job = EndDoc(dc);
    EXPECT_GT(job, 0);
    DeleteDC(dc);

    const std::vector<wt::PrintedDocument> printed = wt::PrintedDocuments();
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].pages, 2);
    EXPECT_EQ(printed[0].destination, "cups:ZylPdf#" + std::to_string(job));
    EXPECT_EQ(zyltest::PdfPageCount(printed[0].pdf), 2);

    const std::string arrived = server->PrintedPdf(title, 20000);
    ASSERT_FALSE(arrived.empty()) << "the job did not reach the queue's file";
    EXPECT_EQ(zyltest::PdfPageCount(arrived), 2);
    // Rendered back at the DC's resolution, the drawing stands where it was drawn (plus the
    // printable area's offset on the page).
    EXPECT_EQ(zyltest::PdfPixel(arrived, 1, 100, offsetX + 200, offsetY + 150), 0x000000);
    EXPECT_EQ(zyltest::PdfPixel(arrived, 1, 100, offsetX + 350, offsetY + 150), 0xFFFFFF);
    EXPECT_EQ(zyltest::PdfPixel(arrived, 2, 100, offsetX + 450, offsetY + 550), 0xFF0000);
    EXPECT_EQ(zyltest::PdfPixel(arrived, 2, 100, offsetX + 200, offsetY + 150), 0xFFFFFF);
}

TEST_F(PrintingTest, OutputFileLandscapeAndAbort) {
    zyltest::TempDir temp;
    const DEVMODE mode = Settings(DMPAPER_A4, DMORIENT_LANDSCAPE, 72);
    HDC dc = CreateDC("WINSPOOL", "ZylPdf", nullptr, &mode);
    ASSERT_NE(dc, nullptr);
    EXPECT_GT(GetDeviceCaps(dc, PHYSICALWIDTH), GetDeviceCaps(dc, PHYSICALHEIGHT));

    DOCINFO dropped{sizeof(DOCINFO), "Dropped", nullptr, nullptr, 0};
    ASSERT_GT(StartDoc(dc, &dropped), 0);
    StartPage(dc);
    EXPECT_GT(AbortDoc(dc), 0);
    EXPECT_EQ(EndDoc(dc), SP_ERROR);
    EXPECT_TRUE(wt::PrintedDocuments().empty());

    const std::string file = temp.File("out.pdf");
    DOCINFO info{sizeof(DOCINFO), "Fichier \xC3\xA9t\xC3\xA9", file.c_str(), nullptr, 0};
    ASSERT_GT(StartDoc(dc, &info), 0);
    StartPage(dc);
    // EndDoc ends the page still open.
    ASSERT_GT(EndDoc(dc), 0);
    DeleteDC(dc);
    const std::string pdfInfo = zyltest::RunCommand("pdfinfo '" + file + "'");
    EXPECT_EQ(zyltest::PdfPageCount(zyltest::ReadTextFile(file)), 1);
    EXPECT_NE(pdfInfo.find("842 x 595 pts"), std::string::npos) << pdfInfo;
    EXPECT_NE(pdfInfo.find("Fichier \xC3\xA9t\xC3\xA9"), std::string::npos) << pdfInfo;
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), 0);
}

TEST(PrintingWithoutServer, EverythingIsEmptyAndFailsTheWin32Way) {
    const char* saved = std::getenv("CUPS_SERVER");
    const std::string previous = saved ? saved : "";
    setenv("CUPS_SERVER", ("127.0.0.1:" + std::to_string(zyltest::FreeLoopbackPort())).c_str(), 1);
    DWORD needed = 1, count = 1;
    EXPECT_TRUE(EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count));
    EXPECT_EQ(needed, 0u);
    EXPECT_EQ(count, 0u);
    DWORD size = 0;
    EXPECT_FALSE(GetDefaultPrinter(nullptr, &size));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(CreateDC(nullptr, "ZylPdf", nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
    HANDLE printer = nullptr;
    EXPECT_FALSE(OpenPrinter("ZylPdf", &printer, nullptr));
    if (saved)
        setenv("CUPS_SERVER", previous.c_str(), 1);
    else
        unsetenv("CUPS_SERVER");
}

}  // namespace
