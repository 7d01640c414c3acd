// The private CUPS server of the printing tests.
#include "support/print_server.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/real_peers.h"
#include "support/tempdir.h"

namespace zyltest {

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path ScratchFolder() {
    static const std::filesystem::path folder = [] {
        char pattern[] = "/tmp/zyl-print-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::filesystem::path(made ? made : "/tmp");
    }();
    return folder;
}

}  // namespace

PrintServer& PrintServer::Get() {
    static PrintServer* server = new PrintServer;
    return *server;
}

PrintServer::PrintServer() {
    const std::filesystem::path scratch = ScratchFolder();
    std::filesystem::create_directories(scratch / "home");
    setenv("HOME", (scratch / "home").c_str(), 1);
    const char* server = std::getenv("CUPS_SERVER");
    const char* folder = std::getenv("ZYL_CUPS_FOLDER");
    if (server && *server && folder && *folder) {
        address_ = server;
        folder_ = folder;
        return;
    }
#ifdef ZYL_CUPS_SCRIPT
    folder_ = scratch / "cups";
    const std::string script = ZYL_CUPS_SCRIPT;
    std::string output = RunCommand(script + " start '" + folder_.string() + "' 2>&1");
    while (!output.empty() && (output.back() == '\n' || output.back() == ' '))
        output.pop_back();
    if (output.rfind("127.0.0.1:", 0) != 0) {
        error_ = "no private CUPS server: " + output;
        return;
    }
    address_ = output;
    setenv("CUPS_SERVER", address_.c_str(), 1);
    std::atexit([] {
        const PrintServer& self = Get();
        RunCommand(std::string(ZYL_CUPS_SCRIPT) + " stop '" + self.folder_.string() + "'");
        std::filesystem::remove_all(ScratchFolder());
    });
#else
    error_ = "no private CUPS server: CUPS_SERVER is not set";
#endif
}

std::string PrintServer::PrintedPdf(const std::string& title, int milliseconds) {
    // The PDF carries its title as UTF-16 in hexadecimal, which the queue's filter writes in lower case.
    std::string marker = "feff";
    for (const char c : title) {
        char unit[8];
        std::snprintf(unit, sizeof unit, "%04x", static_cast<unsigned char>(c));
        marker += unit;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        const std::string all = ReadAll(folder_ / "zylpdf.out");
        const size_t at = all.find(marker);
        const size_t start = at == std::string::npos ? std::string::npos : all.rfind("%PDF", at);
        const size_t end = start == std::string::npos ? std::string::npos : all.find("%%EOF", at);
        if (end != std::string::npos) {
            // An incremental update may follow the first end marker, up to the next document.
            const size_t next = all.find("%PDF", end);
            const size_t last = all.rfind("%%EOF", next == std::string::npos ? all.size() : next);
            return all.substr(start, last + 5 - start);
        }
        if (std::chrono::steady_clock::now() > deadline) return {};
        // An external server's work, not a test's wait.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

int PdfPageCount(const std::string& pdf) {
    TempDir temp;
    const std::string file = temp.File("page.pdf");
    std::ofstream(file, std::ios::binary) << pdf;
    const std::string info = RunCommand("pdfinfo '" + file + "' 2>/dev/null");
    const size_t at = info.find("Pages:");
    if (at == std::string::npos) return -1;
    return std::atoi(info.c_str() + at + 6);
}

long PdfPixel(const std::string& pdf, int page, int dotsPerInch, int x, int y) {
    TempDir temp;
    const std::string file = temp.File("page.pdf");
    std::ofstream(file, std::ios::binary) << pdf;
    const std::string prefix = temp.File("render");
    RunCommand("pdftoppm -r " + std::to_string(dotsPerInch) + " -f " + std::to_string(page) + " -l " +
               std::to_string(page) + " -singlefile '" + file + "' '" + prefix + "' 2>/dev/null");
    const std::string image = ReadAll(prefix + ".ppm");
    // P6 header: magic, width, height, maximum, then RGB bytes.
    std::istringstream header(image);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    header >> magic >> width >> height >> maximum;
    if (magic != "P6" || x < 0 || y < 0 || x >= width || y >= height) return -1;
    const size_t data = static_cast<size_t>(header.tellg()) + 1;
    const size_t at = data + (static_cast<size_t>(y) * width + x) * 3;
    if (at + 2 >= image.size()) return -1;
    return (static_cast<long>(static_cast<unsigned char>(image[at])) << 16) |
           (static_cast<unsigned char>(image[at + 1]) << 8) | static_cast<unsigned char>(image[at + 2]);
}

}  // namespace zyltest
