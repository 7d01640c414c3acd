#include "orvane/zyltsysteminfo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "vcl/fileutils.h"
#include "vcl/registry.h"
#include "vcl/sysutils.h"
#include "win32/files.h"
#include "win32/sysinfo.h"
#include "win32/user.h"
#include "win32/version.h"

namespace orvane {

namespace systeminfo {

constexpr vcl::Int64 kKilobyte = 1024;
constexpr vcl::Int64 kMegabyte = 1048576;
// Drive figures are counted in thousands of kilobytes, as the component always showed them.
constexpr vcl::Int64 kDriveMegabyte = 1024000;

std::string Count(vcl::Int64 value, const char* unit) {
    return vcl::IntToStr(value) + unit;
}

vcl::Int64 Bytes(win32::SIZE_T value) {
    return static_cast<vcl::Int64>(value > static_cast<win32::SIZE_T>(INT64_MAX) ? INT64_MAX : value);
}

}  // namespace systeminfo

// ---------------------------------------------------------------------------------------------
// TZylResourceInfo

VCL_DEFINE_CLASS(TZylResourceInfo, TZylSystemsComponent)

TZylResourceInfo::TZylResourceInfo(vcl::TComponent* owner)
    : TZylSystemsComponent(owner), timer_(new vcl::TTimer(this)) {
    ReadValues();
    timer_->SetInterval(1000);
    timer_->SetOnTimer([this](vcl::TObject*) { Tick(); });
    timer_->SetEnabled(true);
}

TZylResourceInfo::~TZylResourceInfo() = default;

bool TZylResourceInfo::KeyToggled(int virtualKey) {
    return win32::GetKeyState(virtualKey) & 1;
}

void TZylResourceInfo::ReadValues() {
    using namespace systeminfo;
    win32::MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    win32::GlobalMemoryStatus(&status);
    memoryPercInUse_ = vcl::IntToStr(status.dwMemoryLoad) + " Percent";
    physMemTotal_ = Count(Bytes(status.dwTotalPhys) / kKilobyte, " KB");
    physMemFree_ = Count(Bytes(status.dwAvailPhys) / kKilobyte, " KB");
    pageFileUsed_ =
        Count(Bytes(status.dwTotalPageFile) / kMegabyte - Bytes(status.dwAvailPageFile) / kMegabyte, " MB");
    virtualMemUsed_ =
        Count(Bytes(status.dwTotalVirtual) / kKilobyte - Bytes(status.dwAvailVirtual) / kKilobyte, " KB");
    // A drive that does not answer reads -1 bytes; its figures show 0 rather than a negative size.
    currDriveFree_ = Count(std::max<vcl::Int64>(vcl::DiskFree(0), 0) / kDriveMegabyte, " MB");
    currDriveSize_ = Count(std::max<vcl::Int64>(vcl::DiskSize(0), 0) / kDriveMegabyte, " MB");
    const vcl::TDateTime now = vcl::Now();
    currentTime_ = vcl::TimeToStr(now);
    currentDate_ = vcl::DateToStr(now);
    numLock_ = KeyToggled(kNumLockKey);
    capsLock_ = KeyToggled(kCapsLockKey);
    scrollLock_ = KeyToggled(kScrollLockKey);
}

void TZylResourceInfo::Tick() {
    ReadValues();
    if (OnNewValues) OnNewValues(this);
}

// ---------------------------------------------------------------------------------------------
// TZylSystemDetails

VCL_DEFINE_CLASS(TZylSystemDetails, TZylSystemsComponent)

TZylSystemDetails::TZylSystemDetails(vcl::TComponent* owner) : TZylSystemsComponent(owner) {
    ReadRegisteredValues();
    ReadProcessorAndSystem();
    ReadMemoryAndDrive();
    ReadScreenSize();
}

void TZylSystemDetails::ReadRegisteredValues() {
    try {
        vcl::TRegistry registry(win32::KEY_READ);
        registry.SetRootKey(win32::HKEY_LOCAL_MACHINE);
        if (!registry.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", false)) return;
        organisation_ = registry.ReadString("RegisteredOrganization");
        owner_ = registry.ReadString("RegisteredOwner");
        programFilesDir_ = registry.ReadString("ProgramFilesDir");
        systemRoot_ = registry.ReadString("SystemRoot");
    } catch (const vcl::Exception&) {
        // A value of another type, or a registry that cannot be opened: the details stay empty.
    }
}

void TZylSystemDetails::ReadProcessorAndSystem() {
    cpu_ = win32::GetProcessorName();
    win32::OPERATING_SYSTEM_INFO system;
    if (!win32::GetOperatingSystemInfo(&system)) return;
    os_ = system.name;
    winVersion_ = vcl::IntToStr(system.majorVersion) + "." + vcl::IntToStr(system.minorVersion);
    build_ = vcl::IntToStr(system.buildNumber);
}

void TZylSystemDetails::ReadMemoryAndDrive() {
    using namespace systeminfo;
    win32::MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    win32::GlobalMemoryStatus(&status);
    totalMemory_ = Count(Bytes(status.dwTotalPhys) / kKilobyte, " KB");
    const vcl::Int64 driveSize = vcl::DiskSize(3);
    driveC_ = driveSize < 0 ? std::string() : Count(driveSize / kMegabyte, " MB");
}

void TZylSystemDetails::ReadScreenSize() {
    screenWidth_ = vcl::IntToStr(win32::GetSystemMetrics(win32::SM_CXSCREEN));
    screenHeight_ = vcl::IntToStr(win32::GetSystemMetrics(win32::SM_CYSCREEN));
}

TZylInfoString TZylSystemDetails::Username() const {
    char name[win32::UNLEN + 1] = {};
    win32::DWORD size = sizeof name;
    if (!win32::GetUserName(name, &size) || name[0] == '\0') return "User not logged on";
    return name;
}

TZylInfoString TZylSystemDetails::ComputerName() const {
    char name[win32::MAX_COMPUTERNAME_LENGTH + 1] = {};
    win32::DWORD size = sizeof name;
    if (!win32::GetComputerName(name, &size) || size == 0) return "Error on locating Computername";
    return std::string(name, size);
}

// ---------------------------------------------------------------------------------------------
// TZylVersionDetails

VCL_DEFINE_CLASS(TZylVersionDetails, TZylSystemsComponent)

TZylVersionDetails::TZylVersionDetails(vcl::TComponent* owner) : TZylSystemsComponent(owner) {
    ReInitialize();
}

void TZylVersionDetails::ReInitialize() {
    std::vector<char> path(4096);
    const win32::DWORD length =
        win32::GetModuleFileName(nullptr, path.data(), static_cast<win32::DWORD>(path.size()));
    ReadFrom(length > 0 && length < path.size() ? std::string(path.data(), length) : std::string());
}

void TZylVersionDetails::ReadFrom(const std::string& fileName) {
    constexpr win32::WORD kUsEnglish = 1033;
    struct Translation {
        win32::WORD language;
        win32::WORD codePage;
    };
    TZylInfoString* const fields[] = {&companyName_,    &fileDescription_,  &fileVersion_, &internalName_,
                                      &legalCopyright_, &originalFilename_, &productName_, &productVersion_};
    static constexpr const char* kNames[] = {"CompanyName",  "FileDescription", "FileVersion",
                                             "InternalName", "LegalCopyRight",  "OriginalFileName",
                                             "ProductName",  "ProductVersion"};
    for (TZylInfoString* field : fields)
        field->clear();

    win32::DWORD handle = 0;
    const win32::DWORD size = fileName.empty() ? 0 : win32::GetFileVersionInfoSize(fileName.c_str(), &handle);
    if (size == 0) return;
    std::vector<win32::BYTE> block(size);
    if (!win32::GetFileVersionInfo(fileName.c_str(), handle, size, block.data())) return;

    Translation chosen{kUsEnglish, 0};
    void* table = nullptr;
    win32::UINT tableLength = 0;
    if (win32::VerQueryValue(block.data(), "\\VarFileInfo\\Translation", &table, &tableLength) && table) {
        const size_t count = tableLength / sizeof(Translation);
        for (size_t i = 0; i < count; ++i) {
            Translation entry;
            std::memcpy(&entry, static_cast<const win32::BYTE*>(table) + i * sizeof entry, sizeof entry);
            chosen = entry;
            if (entry.language == kUsEnglish) break;
        }
    }
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04X%04X\\", chosen.language, chosen.codePage);
    for (size_t i = 0; i < std::size(kNames); ++i) {
        void* value = nullptr;
        win32::UINT valueLength = 0;
        const std::string query = prefix + std::string(kNames[i]);
        if (!win32::VerQueryValue(block.data(), query.c_str(), &value, &valueLength) || !value) continue;
        // The length counts the terminating NUL.
        const auto* text = static_cast<const char*>(value);
        *fields[i] = std::string(text, valueLength > 0 ? valueLength - 1 : 0);
    }
}

}  // namespace orvane
