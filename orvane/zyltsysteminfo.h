// Facts about the machine and the running program as read-only properties: memory, drive and lock
// key figures refreshed every second, the owner, processor, operating system, user and screen, and
// the strings of the program's version resource. Writing one of them discards the value written and
// reads the facts again; none is stored in a form file.
#pragma once

#include <string>

#include "orvane/zylsystem.h"
#include "vcl/extctrls.h"

namespace orvane {

// Text properties shown read-only by the designer.
using TZylInfoString = std::string;

// Memory, page file, address space and current drive figures, the lock keys and the time, read at
// creation and on every tick of a one-second timer (in the designer too), which then fires
// OnNewValues. Memory is counted in 64 bits, so machines with more than 4 GiB read true.
class TZylResourceInfo : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylResourceInfo, TZylSystemsComponent)
public:
    explicit TZylResourceInfo(vcl::TComponent* owner);
    ~TZylResourceInfo() override;

    const TZylInfoString& MemoryPercInUse() const { return memoryPercInUse_; }
    const TZylInfoString& PhysMemTotal() const { return physMemTotal_; }
    const TZylInfoString& PhysMemFree() const { return physMemFree_; }
    const TZylInfoString& PageFileUsed() const { return pageFileUsed_; }
    const TZylInfoString& VirtualMemUsed() const { return virtualMemUsed_; }
    const TZylInfoString& CurrDriveFree() const { return currDriveFree_; }
    const TZylInfoString& CurrDriveSize() const { return currDriveSize_; }
    const TZylInfoString& CurrentTime() const { return currentTime_; }
    const TZylInfoString& CurrentDate() const { return currentDate_; }
    void SetInfo(const TZylInfoString&) { ReadValues(); }

    bool NumLock() const { return numLock_; }
    void SetNumLock(bool) { numLock_ = KeyToggled(kNumLockKey); }
    bool CapsLock() const { return capsLock_; }
    void SetCapsLock(bool) { capsLock_ = KeyToggled(kCapsLockKey); }
    bool ScrollLock() const { return scrollLock_; }
    void SetScrollLock(bool) { scrollLock_ = KeyToggled(kScrollLockKey); }

    // Reads every value again (what each tick does before OnNewValues).
    void ReadValues();

    vcl::TNotifyEvent OnNewValues;

    static void Publish(vcl::Published<TZylResourceInfo>& p) {
        using R = TZylResourceInfo;
        for (auto [name, getter] : {std::pair{"MemoryPercInUse", &R::MemoryPercInUse},
                                    {"PhysMemTotal", &R::PhysMemTotal},
                                    {"PhysMemFree", &R::PhysMemFree},
                                    {"PageFileUsed", &R::PageFileUsed},
                                    {"VirtualMemUsed", &R::VirtualMemUsed},
                                    {"CurrDriveFree", &R::CurrDriveFree},
                                    {"CurrDriveSize", &R::CurrDriveSize},
                                    {"CurrentTime", &R::CurrentTime},
                                    {"CurrentDate", &R::CurrentDate}})
            p.Property(name, getter, &R::SetInfo).TypeName("TZylInfoString").Stored(false);
        p.Property("NumLock", &R::NumLock, &R::SetNumLock).Stored(false);
        p.Property("CapsLock", &R::CapsLock, &R::SetCapsLock).Stored(false);
        p.Property("ScrollLock", &R::ScrollLock, &R::SetScrollLock).Stored(false);
        p.Event("OnNewValues", &R::OnNewValues);
    }

private:
    static constexpr int kNumLockKey = 0x90;
    static constexpr int kCapsLockKey = 0x14;
    static constexpr int kScrollLockKey = 0x91;

    static bool KeyToggled(int virtualKey);
    void Tick();

    vcl::TTimer* timer_;
    TZylInfoString memoryPercInUse_;
    TZylInfoString physMemTotal_;
    TZylInfoString physMemFree_;
    TZylInfoString pageFileUsed_;
    TZylInfoString virtualMemUsed_;
    TZylInfoString currDriveFree_;
    TZylInfoString currDriveSize_;
    TZylInfoString currentTime_;
    TZylInfoString currentDate_;
    bool numLock_ = false;
    bool capsLock_ = false;
    bool scrollLock_ = false;
};

// The registered owner and organisation, folders, processor, operating system, memory, drive C,
// screen size, user and computer, read once at creation; the user and computer names are read
// whenever they are asked for. Writing any property reads the screen size again.
class TZylSystemDetails : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylSystemDetails, TZylSystemsComponent)
public:
    explicit TZylSystemDetails(vcl::TComponent* owner);

    const TZylInfoString& Organisation() const { return organisation_; }
    const TZylInfoString& Owner() const { return owner_; }
    const TZylInfoString& ProgramFilesDir() const { return programFilesDir_; }
    const TZylInfoString& SystemRoot() const { return systemRoot_; }
    // The processor's model name.
    const TZylInfoString& CPU() const { return cpu_; }
    // The distribution's name; WinVersion and Build come from the kernel release.
    const TZylInfoString& OS() const { return os_; }
    const TZylInfoString& WinVersion() const { return winVersion_; }
    const TZylInfoString& Build() const { return build_; }
    const TZylInfoString& TotalMemory() const { return totalMemory_; }
    // Empty when the drive does not answer.
    const TZylInfoString& DriveC() const { return driveC_; }
    const TZylInfoString& ScreenWidth() const { return screenWidth_; }
    const TZylInfoString& ScreenHeight() const { return screenHeight_; }
    // "User not logged on" when the user's name cannot be read.
    TZylInfoString Username() const;
    // "Error on locating Computername" when the host name cannot be read.
    TZylInfoString ComputerName() const;
    void SetInfo(const TZylInfoString&) { ReadScreenSize(); }

    static void Publish(vcl::Published<TZylSystemDetails>& p) {
        using S = TZylSystemDetails;
        for (auto [name, getter] : {std::pair{"Organisation", &S::Organisation},
                                    {"Owner", &S::Owner},
                                    {"ProgramFilesDir", &S::ProgramFilesDir},
                                    {"SystemRoot", &S::SystemRoot},
                                    {"CPU", &S::CPU},
                                    {"OS", &S::OS},
                                    {"WinVersion", &S::WinVersion},
                                    {"Build", &S::Build},
                                    {"TotalMemory", &S::TotalMemory},
                                    {"DriveC", &S::DriveC},
                                    {"ScreenWidth", &S::ScreenWidth},
                                    {"ScreenHeight", &S::ScreenHeight}})
            p.Property(name, getter, &S::SetInfo).TypeName("TZylInfoString").Stored(false);
        p.Property("Username", &S::Username, &S::SetInfo).TypeName("TZylInfoString").Stored(false);
        p.Property("ComputerName", &S::ComputerName, &S::SetInfo).TypeName("TZylInfoString").Stored(false);
    }

private:
    void ReadRegisteredValues();
    void ReadProcessorAndSystem();
    void ReadMemoryAndDrive();
    void ReadScreenSize();

    TZylInfoString organisation_;
    TZylInfoString owner_;
    TZylInfoString programFilesDir_;
    TZylInfoString systemRoot_;
    TZylInfoString cpu_;
    TZylInfoString os_;
    TZylInfoString winVersion_;
    TZylInfoString build_;
    TZylInfoString totalMemory_;
    TZylInfoString driveC_;
    TZylInfoString screenWidth_;
    TZylInfoString screenHeight_;
};

// The strings of the program file's version resource in the language chosen from its translation
// table: US English if listed, else the last language listed. A file without a version resource
// leaves them empty.
class TZylVersionDetails : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylVersionDetails, TZylSystemsComponent)
public:
    explicit TZylVersionDetails(vcl::TComponent* owner);

    const TZylInfoString& CompanyName() const { return companyName_; }
    const TZylInfoString& FileDescription() const { return fileDescription_; }
    const TZylInfoString& FileVersion() const { return fileVersion_; }
    const TZylInfoString& InternalName() const { return internalName_; }
    const TZylInfoString& LegalCopyright() const { return legalCopyright_; }
    const TZylInfoString& OriginalFilename() const { return originalFilename_; }
    const TZylInfoString& ProductName() const { return productName_; }
    const TZylInfoString& ProductVersion() const { return productVersion_; }
    void SetInfo(const TZylInfoString&) { ReInitialize(); }

    // Reads the program file's version resource again.
    void ReInitialize();
    // Reads the version resource of another file (a library, a program) instead.
    void ReadFrom(const std::string& fileName);

    static void Publish(vcl::Published<TZylVersionDetails>& p) {
        using V = TZylVersionDetails;
        for (auto [name, getter] : {std::pair{"CompanyName", &V::CompanyName},
                                    {"FileDescription", &V::FileDescription},
                                    {"FileVersion", &V::FileVersion},
                                    {"InternalName", &V::InternalName},
                                    {"LegalCopyright", &V::LegalCopyright},
                                    {"OriginalFilename", &V::OriginalFilename},
                                    {"ProductName", &V::ProductName},
                                    {"ProductVersion", &V::ProductVersion}})
            p.Property(name, getter, &V::SetInfo).TypeName("TZylInfoString").Stored(false);
    }

private:
    TZylInfoString companyName_;
    TZylInfoString fileDescription_;
    TZylInfoString fileVersion_;
    TZylInfoString internalName_;
    TZylInfoString legalCopyright_;
    TZylInfoString originalFilename_;
    TZylInfoString productName_;
    TZylInfoString productVersion_;
};

}  // namespace orvane
