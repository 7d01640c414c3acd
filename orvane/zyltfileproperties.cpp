#include "orvane/zyltfileproperties.h"

#include <cstdio>

#include "vcl/dialogs.h"
#include "vcl/fileutils.h"
#include "vcl/forms.h"
#include "vcl/streams.h"
#include "win32/files.h"

namespace orvane {

using vcl::Integer;

namespace fileproperties {

constexpr std::pair<vcl::TFileAttr, Integer> kAttributeBits[] = {
    {vcl::ftReadOnly, vcl::faReadOnly},   {vcl::ftHidden, vcl::faHidden},
    {vcl::ftSystem, vcl::faSysFile},      {vcl::ftVolumeID, vcl::faVolumeID},
    {vcl::ftDirectory, vcl::faDirectory}, {vcl::ftArchive, vcl::faArchive},
};

// The attributes a program may change; the others describe what the entry is.
constexpr vcl::TFileAttr kWritable[] = {vcl::ftReadOnly, vcl::ftHidden, vcl::ftSystem, vcl::ftArchive};

Integer BitOf(vcl::TFileAttr attribute) {
    for (const auto& [flag, bit] : kAttributeBits)
        if (flag == attribute) return bit;
    return 0;
}

}  // namespace fileproperties

// ---------------------------------------------------------------------------------------------
// TZylFileProperties

VCL_DEFINE_CLASS(TZylFileProperties, TZylSystemsComponent)

void TZylFileProperties::SetFilename(const std::string& value) {
    if (value == filename_) return;
    filename_ =
        !value.empty() && (vcl::FileExists(value) || vcl::DirectoryExists(value)) ? value : std::string();
    Refresh();
}

void TZylFileProperties::ClearValues() {
    nameOnly_.clear();
    nameAndExtension_.clear();
    path_.clear();
    extension_.clear();
    date_.clear();
    time_.clear();
    attributesShort_.clear();
    attributes_ = {};
    size_ = -1;
    dateTime_ = 0;
}

void TZylFileProperties::Refresh() {
    ClearValues();
    if (filename_.empty()) return;
    filename_ = vcl::ExpandFileName(filename_);
    nameAndExtension_ = vcl::ExtractFileName(filename_);
    nameOnly_ = nameAndExtension_.substr(0, nameAndExtension_.find('.'));
    path_ = vcl::ExtractFilePath(filename_);
    extension_ = vcl::ExtractFileExt(filename_);

    if (const Integer bits = vcl::FileGetAttr(filename_); bits != -1) {
        for (const auto& [flag, bit] : fileproperties::kAttributeBits)
            if (bits & bit) attributes_.Include(flag);
    }
    attributesShort_ = "----";
    if (attributes_.Contains(vcl::ftSystem)) attributesShort_[0] = 'S';
    if (attributes_.Contains(vcl::ftHidden)) attributesShort_[1] = 'H';
    if (attributes_.Contains(vcl::ftReadOnly)) attributesShort_[2] = 'R';
    if (attributes_.Contains(vcl::ftArchive)) attributesShort_[3] = 'A';

    vcl::TSearchRec search;
    if (vcl::FindFirst(filename_, vcl::faAnyFile, search) == 0) size_ = search.Size;
    vcl::FindClose(search);

    const uintptr_t handle = vcl::FileOpen(filename_, vcl::fmOpenRead);
    if (handle == static_cast<uintptr_t>(-1)) return;
    const Integer age = vcl::FileGetDate(handle);
    vcl::FileClose(handle);
    if (age == -1) return;
    dateTime_ = vcl::FileDateToDateTime(age);
    date_ = vcl::DateToStr(dateTime_);
    time_ = vcl::TimeToStr(dateTime_);
}

void TZylFileProperties::SetAttributes(vcl::TFileType value) {
    if (value == attributes_ || filename_.empty()) return;
    Integer bits = vcl::FileGetAttr(filename_);
    if (bits == -1) return;
    for (const vcl::TFileAttr attribute : fileproperties::kWritable) {
        const Integer bit = fileproperties::BitOf(attribute);
        bits = value.Contains(attribute) ? (bits | bit) : (bits & ~bit);
    }
    if (vcl::FileSetAttr(filename_, bits) == 0) Refresh();
}

void TZylFileProperties::SetTimeStamp(const std::string& text) {
    const vcl::TDateTime stamp = vcl::StrToDateTime(text);
    const uintptr_t handle = vcl::FileOpen(filename_, vcl::fmOpenReadWrite);
    if (handle == static_cast<uintptr_t>(-1)) return;
    vcl::FileSetDate(handle, vcl::DateTimeToFileDate(stamp));
    vcl::FileClose(handle);
    Refresh();
}

void TZylFileProperties::SetDate(const std::string& value) {
    if (value == date_ || value.empty() || filename_.empty()) return;
    SetTimeStamp(value + " " + time_);
}

void TZylFileProperties::SetTime(const std::string& value) {
    if (value == time_ || value.empty() || filename_.empty()) return;
    SetTimeStamp(date_ + " " + value);
}

void TZylFileProperties::SetExtension(const std::string& value) {
    if (value.empty() || filename_.empty()) {
        Refresh();
        return;
    }
    std::string extension = value[0] == '.' ? value : "." + value;
    extension = vcl::UpperCase(extension.substr(0, 4));
    const std::string renamed = vcl::ChangeFileExt(filename_, extension);
    if (renamed != filename_ && vcl::RenameFile(filename_, renamed)) {
        filename_ = renamed;
        Refresh();
    }
}

// ---------------------------------------------------------------------------------------------
// TZylDriveVolume

VCL_DEFINE_CLASS(TZylDriveVolume, TZylSystemsComponent)

TZylDriveVolume::TZylDriveVolume(vcl::TComponent* owner) : TZylSystemsComponent(owner) {
    Update();
}

void TZylDriveVolume::SetCurrentDrive(char value) {
    const char letter = (value >= 'a' && value <= 'z') ? static_cast<char>(value - 'a' + 'A') : value;
    if (letter >= 'A' && letter <= 'Z') currentDrive_ = letter;
    Update();
}

void TZylDriveVolume::Update() {
    if (BeforeUpdate) BeforeUpdate(this);
    QueryFlags();
    QuerySerialNumber();
    QueryLabel();
    QueryFileSystemName();
    QueryFlags();
    if (AfterUpdate) AfterUpdate(this);
}

bool TZylDriveVolume::Query(char* label, win32::DWORD* serial, win32::DWORD* flags, char* fileSystem) {
    const std::string root = std::string(1, currentDrive_) + ":\\";
    const win32::UINT previousMode = win32::SetErrorMode(win32::SEM_FAILCRITICALERRORS);
    win32::DWORD maximumLength = 0;
    const bool ok =
        win32::GetVolumeInformation(root.c_str(), label, label ? win32::MAX_PATH : 0, serial, &maximumLength,
                                    flags, fileSystem, fileSystem ? win32::MAX_PATH : 0);
    const win32::DWORD error = ok ? 0 : win32::GetLastError();
    win32::SetErrorMode(previousMode);
    if (!ok) ReportError(error);
    return ok;
}

void TZylDriveVolume::QueryFlags() {
    flags_ = 0;
    win32::DWORD flags = 0;
    if (Query(nullptr, nullptr, &flags, nullptr)) flags_ = flags;
}

void TZylDriveVolume::QuerySerialNumber() {
    serialNumber_.clear();
    win32::DWORD serial = 0;
    if (!Query(nullptr, &serial, nullptr, nullptr)) return;
    char text[16];
    std::snprintf(text, sizeof text, "%04X:%04X", static_cast<unsigned>(serial >> 16),
                  static_cast<unsigned>(serial & 0xFFFF));
    serialNumber_ = text;
}

void TZylDriveVolume::QueryLabel() {
    volumeLabel_.clear();
    char label[win32::MAX_PATH] = {};
    if (Query(label, nullptr, nullptr, nullptr)) volumeLabel_ = vcl::UpperCase(label);
}

void TZylDriveVolume::QueryFileSystemName() {
    fileSystemName_.clear();
    char name[win32::MAX_PATH] = {};
    if (Query(nullptr, nullptr, nullptr, name)) fileSystemName_ = vcl::UpperCase(name);
}

void TZylDriveVolume::ReportError(win32::DWORD error) {
    if (OnError) {
        OnError(static_cast<Integer>(error));
        return;
    }
    vcl::TForm* box = vcl::CreateMessageDialog(
        "Error " + std::to_string(error) + " in Drive Volume Information !", vcl::mtWarning, {vcl::mbOK});
    const vcl::ScopeExit release([box] { box->Free(); });
    box->SetCaption("TZylDriveVolume");
    box->ShowModal();
}

}  // namespace orvane
