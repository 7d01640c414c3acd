#include "pellic/zyltinformationlabel.h"

#include <vector>

#include "vcl/registry.h"
#include "vcl/sysutils.h"
#include "win32/files.h"
#include "win32/registry.h"
#include "win32/sysinfo.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace pellic {

using namespace win32;

VCL_DEFINE_CLASS(TZylInformationLabel, vcl::TCustomLabel)
VCL_DEFINE_CLASS(TZylReadOnlyTextProperty, vcl::TPropertyEditor)

namespace zyltinformationlabel {

std::string MachineValue(const char* name) {
    try {
        // Read access only: reading the machine's settings must never need the right to change them.
        vcl::TRegistry registry(KEY_READ);
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        if (!registry.OpenKeyReadOnly("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion")) return {};
        return registry.ValueExists(name) ? registry.ReadString(name) : std::string();
    } catch (const vcl::Exception&) {
        return {};  // a value of another type, or no registry at all
    }
}

std::string Kilobytes(uint64_t bytes) {
    return vcl::IntToStr(static_cast<vcl::Int64>(bytes / 1024)) + " KB";
}

// Size or free space of the current directory's drive in megabytes; empty when it cannot be read.
std::string CurrentDisk(bool total) {
    std::vector<char> folder(4096);
    const DWORD length = GetCurrentDirectory(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0 || length >= folder.size()) return {};
    ULARGE_INTEGER available{}, size{}, free{};
    if (!GetDiskFreeSpaceEx(folder.data(), &available, &size, &free)) return {};
    const uint64_t bytes = total ? size.QuadPart : free.QuadPart;
    return vcl::IntToStr(static_cast<vcl::Int64>(bytes / 1024 / 1024)) + " MB";
}

std::string KeyToggle(int key) {
    return (GetKeyState(key) & 1) ? "On" : "Off";
}

}  // namespace zyltinformationlabel

TZylInformationLabel::TZylInformationLabel(vcl::TComponent* owner) : vcl::TCustomLabel(owner) {
    captionValue_ = ReadInformation();
    ShowCaption();
}

void TZylInformationLabel::SetInfoType(TZylInformation value) {
    infoType_ = value;
    captionValue_ = ReadInformation();
    ShowCaption();
}

void TZylInformationLabel::SetCaptionLabel(const std::string& value) {
    captionLabel_ = value;
    ShowCaption();
}

void TZylInformationLabel::SetCaptionValue(const std::string&) {
    captionValue_ = ReadInformation();
    ShowCaption();
}

void TZylInformationLabel::UpdateInfo() {
    captionValue_ = ReadInformation();
    ShowCaption();
    Invalidate();
}

void TZylInformationLabel::Loaded() {
    vcl::TCustomLabel::Loaded();
    ShowCaption();
}

void TZylInformationLabel::ShowCaption() {
    if (!IsLoading()) SetCaption(captionLabel_ + captionValue_);
}

std::string TZylInformationLabel::ReadInformation() const {
    using namespace zyltinformationlabel;
    using vcl::IntToStr;
    MEMORYSTATUS memory{};
    memory.dwLength = sizeof memory;
    OSVERSIONINFO version{};
    version.dwOSVersionInfoSize = sizeof version;
    switch (infoType_) {
        case TZylInformation::iOrganisationName:
            return MachineValue("RegisteredOrganization");
        case TZylInformation::iOwnerName:
            return MachineValue("RegisteredOwner");
        case TZylInformation::iProgramFilesDir:
            return MachineValue("ProgramFilesDir");
        case TZylInformation::iSystemRoot:
            return MachineValue("SystemRoot");
        case TZylInformation::iProcessorType: {
            SYSTEM_INFO system{};
            GetSystemInfo(&system);
            switch (system.dwProcessorType) {
                case 386:
                    return "Intel 386";
                case 486:
                    return "Intel 486";
                case 586:
                    return "Intel Pentium";
                default:
                    return {};
            }
        }
        case TZylInformation::iPlatformName:
        case TZylInformation::iPlatformVersion:
        case TZylInformation::iBuildNumber:
            if (!GetVersionEx(&version)) return {};
            if (infoType_ == TZylInformation::iPlatformVersion)
                return IntToStr(version.dwMajorVersion) + "." + IntToStr(version.dwMinorVersion);
            if (infoType_ == TZylInformation::iBuildNumber) return IntToStr(version.dwBuildNumber);
            switch (version.dwPlatformId) {
                case VER_PLATFORM_WIN32s:
                    return "Windows 3.1";
                case VER_PLATFORM_WIN32_WINDOWS:
                    return "Windows 95";
                case VER_PLATFORM_WIN32_NT:
                    return "Windows NT";
                default:
                    return {};
            }
        case TZylInformation::iScreenHeight:
            return IntToStr(GetSystemMetrics(SM_CYSCREEN));
        case TZylInformation::iScreenWidth:
            return IntToStr(GetSystemMetrics(SM_CXSCREEN));
        case TZylInformation::iUserName: {
            char name[256];
            DWORD size = sizeof name;
            return GetUserName(name, &size) ? std::string(name) : std::string();
        }
        case TZylInformation::iComputerName: {
            char name[256];
            DWORD size = sizeof name;
            return GetComputerName(name, &size) ? std::string(name, size) : std::string();
        }
        case TZylInformation::iNumLock:
            return KeyToggle(VK_NUMLOCK);
        case TZylInformation::iCapsLock:
            return KeyToggle(VK_CAPITAL);
        case TZylInformation::iScrollLock:
            return KeyToggle(VK_SCROLL);
        case TZylInformation::iCurrentDiskSize:
            return CurrentDisk(true);
        case TZylInformation::iCurrentDiskFree:
            return CurrentDisk(false);
        case TZylInformation::iCurrentTime:
            return vcl::FormatDateTime("t", vcl::Now());
        case TZylInformation::iCurrentDate:
            return vcl::FormatDateTime("ddddd", vcl::Now());
        default:
            break;
    }
    // The memory figures.
    GlobalMemoryStatus(&memory);
    switch (infoType_) {
        case TZylInformation::iTotalPhysicalMemory:
            return Kilobytes(memory.dwTotalPhys);
        case TZylInformation::iMemoryLoad:
            return IntToStr(memory.dwMemoryLoad) + " Percent";
        case TZylInformation::iAvailablePhysicalMemory:
            return Kilobytes(memory.dwAvailPhys);
        case TZylInformation::iUsedPhysicalMemory:
            return Kilobytes(memory.dwTotalVirtual - memory.dwAvailVirtual);
        case TZylInformation::iSwapFileSettings:
            return Kilobytes(memory.dwTotalPageFile);
        case TZylInformation::iSwapFileSize:
            return Kilobytes(memory.dwTotalPageFile - memory.dwAvailPageFile);
        case TZylInformation::iSwapFileUsage: {
            // No paging file at all is none of it in use.
            if (memory.dwTotalPageFile == 0) return "0 %";
            const auto freeShare = static_cast<vcl::Int64>(static_cast<double>(memory.dwAvailPageFile) /
                                                           static_cast<double>(memory.dwTotalPageFile) * 100);
            return IntToStr(100 - freeShare) + " %";
        }
        default:
            return {};
    }
}

// ---------------------------------------------------------------------------------------------
// TZylReadOnlyTextProperty

vcl::TPropertyAttributes TZylReadOnlyTextProperty::GetAttributes() const {
    return {vcl::paMultiSelect, vcl::paReadOnly};
}

std::string TZylReadOnlyTextProperty::GetValue() const {
    return GetStrValue();
}

}  // namespace pellic
