// One file's name parts, attributes, size and time stamp, read and changed through properties, and
// the volume information of a drive.
#pragma once

#include <functional>
#include <string>

#include "orvane/zylsystem.h"
#include "vcl/filectrl.h"

namespace orvane {

// Writing Filename, Attributes, Date, Time or Extension acts on the file; writing any other
// property only reads every value from the file again. A file that cannot be found leaves the
// name empty, the size -1 and the other values empty.
class TZylFileProperties : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylFileProperties, TZylSystemsComponent)
public:
    explicit TZylFileProperties(vcl::TComponent* owner) : TZylSystemsComponent(owner) {}

    const std::string& Filename() const { return filename_; }
    // Keeps the name only when the file exists; then reads every value.
    void SetFilename(const std::string& value);
    const std::string& NameOnly() const { return nameOnly_; }
    void SetNameOnly(const std::string&) { Refresh(); }
    const std::string& NameAndExtension() const { return nameAndExtension_; }
    void SetNameAndExtension(const std::string&) { Refresh(); }
    const std::string& Path() const { return path_; }
    void SetPath(const std::string&) { Refresh(); }
    const std::string& Extension() const { return extension_; }
    // Renames the file to the new extension (a dot and at most three characters, upper case); the
    // rest of the name keeps its spelling. Never replaces an existing file. Empty re-reads it.
    void SetExtension(const std::string& value);
    const std::string& Date() const { return date_; }
    // The date (or time) part of the time stamp, in the locale's formats; EConvertError for a text
    // that does not read as one.
    void SetDate(const std::string& value);
    const std::string& Time() const { return time_; }
    void SetTime(const std::string& value);
    const std::string& AttributesShort() const { return attributesShort_; }
    void SetAttributesShort(const std::string&) { Refresh(); }
    vcl::TFileType Attributes() const { return attributes_; }
    // Sets or clears read-only, hidden, system and archive as the set says.
    void SetAttributes(vcl::TFileType value);
    // Bytes; 64 bits, so that files of 2 GiB and more report their true size.
    vcl::Int64 Size() const { return size_; }
    void SetSize(vcl::Int64) { Refresh(); }
    // The time stamp, 0 when it could not be read.
    vcl::TDateTime FileDateTime() const { return dateTime_; }

    // Reads every value from the file.
    void Refresh();

    static void Publish(vcl::Published<TZylFileProperties>& p) {
        using F = TZylFileProperties;
        p.Property("Filename", &F::Filename, &F::SetFilename).Stored(false);
        p.Property("NameOnly", &F::NameOnly, &F::SetNameOnly).Stored(false);
        p.Property("NameAndExtension", &F::NameAndExtension, &F::SetNameAndExtension).Stored(false);
        p.Property("Path", &F::Path, &F::SetPath).Stored(false);
        p.Property("Extension", &F::Extension, &F::SetExtension).Stored(false);
        p.Property("Date", &F::Date, &F::SetDate).Stored(false);
        p.Property("Time", &F::Time, &F::SetTime).Stored(false);
        p.Property("AttributesShort", &F::AttributesShort, &F::SetAttributesShort).Stored(false);
        p.Property("Attributes", &F::Attributes, &F::SetAttributes).Stored(false);
        p.Property("Size", &F::Size, &F::SetSize).Stored(false);
    }

private:
    void ClearValues();
    void SetTimeStamp(const std::string& text);

    std::string filename_;
    std::string nameOnly_;
    std::string nameAndExtension_;
    std::string path_;
    std::string extension_;
    std::string date_;
    std::string time_;
    std::string attributesShort_;
    vcl::TFileType attributes_;
    vcl::Int64 size_ = -1;
    vcl::TDateTime dateTime_ = 0;
};

using TZylOnDriveVolumeError = std::function<void(vcl::Integer ErrorNumber)>;

// The label, serial number, file system and its flags of CurrentDrive, read when the component is
// made and whenever the drive is set. Every failed query reports through OnError, or without a
// handler in a message box.
class TZylDriveVolume : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylDriveVolume, TZylSystemsComponent)
public:
    explicit TZylDriveVolume(vcl::TComponent* owner);

    char CurrentDrive() const { return currentDrive_; }
    // Upper-cased and taken only when it is a letter; the update runs in any case.
    void SetCurrentDrive(char value);
    const std::string& VolumeLabel() const { return volumeLabel_; }
    void SetVolumeLabel(const std::string&) { QueryLabel(); }
    const std::string& SerialNumber() const { return serialNumber_; }
    void SetSerialNumber(const std::string&) { QuerySerialNumber(); }
    const std::string& FileSystemName() const { return fileSystemName_; }
    void SetFileSystemName(const std::string&) { QueryFileSystemName(); }
    vcl::Integer FileSystemFlags() const { return static_cast<vcl::Integer>(flags_); }
    void SetFileSystemFlags(vcl::Integer) { QueryFlags(); }
    bool CaseSensitive() const { return flags_ & kCaseSensitive; }
    bool CasePreserved() const { return flags_ & kCasePreserved; }
    bool StoredUniCodeOnDisk() const { return flags_ & kUnicodeOnDisk; }
    bool PersistentACLS() const { return flags_ & kPersistentAcls; }
    bool FileCompression() const { return flags_ & kFileCompression; }
    bool VolumeIsCompressed() const { return flags_ & kVolumeIsCompressed; }
    void SetFlag(bool) { QueryFlags(); }

    // Fires BeforeUpdate, queries everything and fires AfterUpdate.
    void Update();

    vcl::TNotifyEvent BeforeUpdate;
    vcl::TNotifyEvent AfterUpdate;
    TZylOnDriveVolumeError OnError;

    static constexpr win32::DWORD kCaseSensitive = 1;
    static constexpr win32::DWORD kCasePreserved = 2;
    static constexpr win32::DWORD kUnicodeOnDisk = 4;
    static constexpr win32::DWORD kPersistentAcls = 8;
    static constexpr win32::DWORD kFileCompression = 16;
    static constexpr win32::DWORD kVolumeIsCompressed = 0x8000;

    static void Publish(vcl::Published<TZylDriveVolume>& p) {
        using D = TZylDriveVolume;
        p.Property("CurrentDrive", &D::CurrentDrive, &D::SetCurrentDrive).Stored(false);
        p.Property("VolumeLabel", &D::VolumeLabel, &D::SetVolumeLabel).Stored(false);
        p.Property("SerialNumber", &D::SerialNumber, &D::SetSerialNumber).Stored(false);
        p.Property("FileSystemName", &D::FileSystemName, &D::SetFileSystemName).Stored(false);
        p.Property("FileSystemFlags", &D::FileSystemFlags, &D::SetFileSystemFlags).Stored(false);
        p.Property("CaseSensitive", &D::CaseSensitive, &D::SetFlag).Stored(false);
        p.Property("CasePreserved", &D::CasePreserved, &D::SetFlag).Stored(false);
        p.Property("StoredUniCodeOnDisk", &D::StoredUniCodeOnDisk, &D::SetFlag).Stored(false);
        p.Property("PersistentACLS", &D::PersistentACLS, &D::SetFlag).Stored(false);
        p.Property("FileCompression", &D::FileCompression, &D::SetFlag).Stored(false);
        p.Property("VolumeIsCompressed", &D::VolumeIsCompressed, &D::SetFlag).Stored(false);
        p.Event("BeforeUpdate", &D::BeforeUpdate);
        p.Event("AfterUpdate", &D::AfterUpdate);
        p.Event<TZylOnDriveVolumeError>("OnError", &D::OnError);
    }

private:
    // One GetVolumeInformation call on the drive's root; false (reported) when it fails.
    bool Query(char* label, win32::DWORD* serial, win32::DWORD* flags, char* fileSystem);
    void QueryFlags();
    void QuerySerialNumber();
    void QueryLabel();
    void QueryFileSystemName();
    void ReportError(win32::DWORD error);

    char currentDrive_ = 'C';
    std::string volumeLabel_;
    std::string serialNumber_;
    std::string fileSystemName_;
    win32::DWORD flags_ = 0;
};

}  // namespace orvane
