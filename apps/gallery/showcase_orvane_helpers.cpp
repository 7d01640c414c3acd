// Showcases of the system package's helper components: the files a collector found, and the
// settings of the others as the property inspector lists them, each set up as a program would.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "gallery.h"
#include "orvane/zyltapplication.h"
#include "orvane/zyltfilecollector.h"
#include "orvane/zyltfileexecute.h"
#include "orvane/zyltfileproperties.h"
#include "orvane/zyltformsaver.h"
#include "orvane/zyltlogfile.h"
#include "orvane/zyltstoredata.h"
#include "orvane/zylttextreplace.h"
#include "orvane/zylttimetrigger.h"
#include "vcl/filectrl.h"
#include "vcl/stdctrls.h"
#include "win32/files.h"

using namespace vcl;
using namespace orvane;

namespace {

namespace fs = std::filesystem;
using gallery::Place;

// A folder of the gallery's own below the temporary folder, removed with everything in it.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name)
        : path_(fs::temp_directory_path() / ("zyl-gallery-" + name + "-" + std::to_string(getpid()))) {
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Writes `bytes` bytes of text to the file `name` (folders made as needed).
    fs::path Write(const std::string& name, size_t bytes) const {
        const fs::path file = path_ / name;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << std::string(bytes, 'x');
        return file;
    }
    fs::path Native(const std::string& name) const { return path_ / name; }
    // The drive path of a file in the folder ("" for the folder itself).
    std::string Windows(const std::string& name = {}) const {
        return win32::WindowsPath((name.empty() ? path_ : path_ / name).string());
    }

private:
    fs::path path_;
};

gallery::Registration fileCollector{
    "TZylFileCollector", "orvane",
    "The pictures found below a folder with the mask *.jpg: each folder's files in sorted order, then "
    "its subfolders; the list as LocatedObjects holds it, less the folder's own path.",
    [](gallery::Album& album) {
        const ScratchFolder photos("photos");
        photos.Write("beach.jpg", 2400);
        photos.Write("notes.txt", 300);
        photos.Write("alps.jpg", 5100);
        photos.Write("2024/harbour.jpg", 3300);
        photos.Write("2024/tickets.pdf", 900);
        photos.Write("2024/winter/snow.jpg", 4200);
        photos.Write("archive/old.jpg", 1200);

        TForm* form = album.NewForm("Find pictures", 330, 190);
        auto* collector = new TZylFileCollector(form);
        collector->SetName("ZylFileCollector1");
        collector->SetInitialDirectory(photos.Windows());
        collector->SetFileMask("*.jpg");
        collector->Execute();

        auto* heading = Place<TLabel>(form, 8, 8, 314, 16);
        heading->SetCaption("Pictures in the photo folder (*.jpg):");
        auto* list = Place<TListBox>(form, 8, 28, 314, 124);
        const std::string root = photos.Windows() + "\\";
        for (Integer i = 0; i < collector->LocatedObjects()->Count(); ++i) {
            std::string found = collector->LocatedObjects()->Strings(i);
            if (found.starts_with(root)) found.erase(0, root.size());
            list->Items()->Add(found);
        }
        auto* total = Place<TLabel>(form, 8, 162, 314, 16);
        total->SetCaption(IntToStr(collector->LocatedObjects()->Count()) + " files, " +
                          IntToStr(collector->TotalSize()) + " bytes");
        album.Shoot("Pictures found below a folder", form, collector);
    }};

gallery::Registration fileProperties{
    "TZylFileProperties", "orvane",
    "A read-only text file's name parts, attributes, size and time stamp, read from the file itself.",
    [](gallery::Album& album) {
        const ScratchFolder reports("reports");
        const fs::path file = reports.Write("summary.txt", 12345);
        TComponentPtr<TZylFileProperties> properties(new TZylFileProperties(nullptr));
        properties->SetName("ZylFileProperties1");
        properties->SetFilename(reports.Windows("summary.txt"));
        properties->SetAttributes(TFileType{ftReadOnly, ftArchive});
        gallery::ShootInspector(album, properties.get(), "A read-only file of 12,345 bytes", false);
        properties->SetAttributes(TFileType{ftArchive});
    }};

gallery::Registration driveVolume{
    "TZylDriveVolume", "orvane",
    "The label, serial number, file system and its flags of the drive that holds the temporary folder, "
    "read live.",
    [](gallery::Album& album) {
        const ScratchFolder scratch("volume");
        const std::string drive = scratch.Windows();
        TComponentPtr<TZylDriveVolume> volume(new TZylDriveVolume(nullptr));
        volume->SetName("ZylDriveVolume1");
        volume->OnError = [](Integer) {};
        if (!drive.empty()) volume->SetCurrentDrive(drive[0]);
        gallery::ShootInspector(album, volume.get(), "The temporary folder's drive");
    }};

gallery::Registration fileExecute{
    "TZylFileExecute", "orvane",
    "A document to print through the shell's print verb, minimized, waiting for it.",
    [](gallery::Album& album) {
        TComponentPtr<TZylFileExecute> execute(new TZylFileExecute(nullptr));
        execute->SetName("ZylFileExecute1");
        execute->SetFilename("C:\\Documents\\invoice.txt");
        execute->SetExePath("C:\\Documents");
        execute->SetExeStyle(osPrint);
        execute->SetWindowstate(wsMinimized);
        execute->SetWait(true);
        gallery::ShootInspector(album, execute.get(), "Print a document and wait", false);
    }};

gallery::Registration applicationSettings{
    "TZylApplication", "orvane",
    "The application object's hint colour and pause, its title and icon, set from the form; the hint "
    "settings are those it took from the application.",
    [](gallery::Album& album) {
        const std::string title = Application->Title();
        auto owner = TComponentPtr<TForm>(new TForm(nullptr, 0));
        auto* settings = new TZylApplication(owner.get());
        settings->SetName("ZylApplication1");
        settings->SetApplicationTitle("Garden Planner");
        gallery::ShootInspector(album, settings, "Application settings with a title", false);
        owner.reset();
        Application->SetTitle(title);
    }};

gallery::Registration onlyOne{
    "TZylOnlyOne", "orvane",
    "At most two copies of the program on the desktop; a third brings the last one forward and ends.",
    [](gallery::Album& album) {
        TComponentPtr<TZylOnlyOne> only(new TZylOnlyOne(nullptr));
        only->SetName("ZylOnlyOne1");
        only->SetInstances(2);
        only->SetOnExceed(aRestoreAndExit);
        gallery::ShootInspector(album, only.get(), "Two copies at most", false);
    }};

gallery::Registration storeData{"TZylStoreData", "orvane",
                                "A data store kept in an ini file's section, its settings unfolded.",
                                [](gallery::Album& album) {
                                    TComponentPtr<TZylStoreData> store(new TZylStoreData(nullptr));
                                    store->SetName("ZylStoreData1");
                                    store->DataStore()->SetDatatype(sIniFile);
                                    store->DataStore()->Inifile()->SetFilename("planner.ini");
                                    store->DataStore()->Inifile()->SetSection("Beds");
                                    store->DataStore()->SetErrorStr("(none)");
                                    gallery::ShootInspector(album, store.get(), "Kept in an ini file", false);
                                }};

gallery::Registration illegalAbort{
    "TZylIllegalAbort", "orvane",
    "The crash detector's store: the registry section where the program marks that it is running.",
    [](gallery::Album& album) {
        // Never read as a form, so it marks nothing in the registry.
        TComponentPtr<TZylIllegalAbort> abort(new TZylIllegalAbort(nullptr));
        abort->SetName("ZylIllegalAbort1");
        abort->ParamStore()->Registry()->SetPath("Software\\Garden Planner");
        abort->ParamStore()->Registry()->SetSection("Running");
        gallery::ShootInspector(album, abort.get(), "Marked in the registry", false);
    }};

gallery::Registration logFile{
    "TZylLogFile", "orvane",
    "A log whose lines carry a tag, the time and the date, below a header of their own; then the file "
    "after two lines were logged.",
    [](gallery::Album& album) {
        const ScratchFolder logs("logs");
        TComponentPtr<TZylLogFile> log(new TZylLogFile(nullptr));
        log->SetName("ZylLogFile1");
        log->SetLogFile(logs.Windows("planner.log"));
        log->SetHeader("Garden Planner log");
        log->SetLogHeader(true);
        log->SetSpecial("planner:");
        log->SetLogSpecial(true);
        log->SetLogDate(true);
        log->SetLogTime(true);
        log->Log("Started");
        log->Log("Opened beds.plan");
        gallery::ShootInspector(album, log.get(), "Date and time on every line", false);

        TForm* form = album.NewForm("planner.log", 360, 110);
        auto* memo = Place<TMemo>(form, 8, 8, 344, 94);
        std::ifstream written(logs.Native("planner.log"));
        memo->SetText(std::string(std::istreambuf_iterator<char>(written), {}));
        album.Shoot("The log after two lines", form, log.get());
    }};

gallery::Registration textReplace{
    "TZylTextReplace", "orvane",
    "A text file copied line by line through BeforeWrite, here its first 100 lines only.",
    [](gallery::Album& album) {
        TComponentPtr<TZylTextReplace> replace(new TZylTextReplace(nullptr));
        replace->SetName("ZylTextReplace1");
        replace->SetFileFrom("C:\\Data\\plants.csv");
        replace->SetFileTo("C:\\Data\\plants-fixed.csv");
        replace->SetUseNoOfLines(true);
        replace->SetNoOfLinesOnly(100);
        gallery::ShootInspector(album, replace.get(), "The first 100 lines", false);
    }};

gallery::Registration timeTrigger{
    "TZylTimeTrigger", "orvane",
    "An alarm at half past seven on a given day, armed; the current time and date are read from the "
    "clock.",
    [](gallery::Album& album) {
        TComponentPtr<TZylTimeTrigger> trigger(new TZylTimeTrigger(nullptr));
        trigger->SetName("ZylTimeTrigger1");
        trigger->SetTriggerTime("07:30:00");
        trigger->SetTriggerDate("2030-05-01");
        trigger->SetCheckForTrigger(true);
        gallery::ShootInspector(album, trigger.get(), "Armed for 7:30 on a May morning", false);
    }};

}  // namespace
