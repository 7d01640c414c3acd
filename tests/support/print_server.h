// The private CUPS server of the printing tests: the one scripts/test started (CUPS_SERVER and
// ZYL_CUPS_FOLDER in the environment), else one started here with scripts/cups-server for the
// process. Either way its queues are "ZylPdf" (PDF, the default) and "ZylText", whose jobs arrive in
// files of Folder(). The process gets a HOME of its own so that no user's lpoptions count.
#pragma once

#include <filesystem>
#include <string>

namespace zyltest {

class PrintServer {
public:
    // The server for this process; Error() says why there is none.
    static PrintServer& Get();

    const std::string& Error() const { return error_; }
    const std::filesystem::path& Folder() const { return folder_; }
    const std::string& Address() const { return address_; }
    // The PDF of the job titled `title` (ASCII) once the PDF queue has written it (its
    // printer-language header removed), or empty when it does not arrive within the time. Processes
    // sharing the server find their own jobs by title.
    std::string PrintedPdf(const std::string& title, int milliseconds);

private:
    PrintServer();
    std::string error_;
    std::filesystem::path folder_;
    std::string address_;
};

// The number of pages pdfinfo reads in a PDF, -1 when it cannot read it.
int PdfPageCount(const std::string& pdf);
// Renders page `page` (1-based) at `dotsPerInch` with pdftoppm; the pixel at (x, y) as 0xRRGGBB,
// or -1 when the page cannot be rendered.
long PdfPixel(const std::string& pdf, int page, int dotsPerInch, int x, int y);

}  // namespace zyltest
