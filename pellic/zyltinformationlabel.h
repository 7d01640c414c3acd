// TZylInformationLabel: one fact about the system (owner, memory, screen, key states, disk, ...)
// after a text of the application's. The fact is read when InfoType is set and on UpdateInfo; the
// caption is always CaptionLabel followed by CaptionValue.
#pragma once

#include <cstdint>
#include <string>

#include "vcl/designeditors.h"
#include "vcl/stdctrls.h"

namespace pellic {

enum class TZylInformation : uint8_t {
    iOrganisationName,
    iOwnerName,
    iProgramFilesDir,
    iSystemRoot,
    iProcessorType,
    iPlatformName,
    iPlatformVersion,
    iBuildNumber,
    iTotalPhysicalMemory,
    iCurrentDiskSize,
    iScreenHeight,
    iScreenWidth,
    iUserName,
    iComputerName,
    iMemoryLoad,
    iAvailablePhysicalMemory,
    iUsedPhysicalMemory,
    iNumLock,
    iCapsLock,
    iScrollLock,
    iCurrentDiskFree,
    iCurrentTime,
    iCurrentDate,
    iSwapFileSettings,
    iSwapFileSize,
    iSwapFileUsage
};
VCL_ENUM_NAMES(TZylInformation, "iOrganisationName", "iOwnerName", "iProgramFilesDir", "iSystemRoot",
               "iProcessorType", "iPlatformName", "iPlatformVersion", "iBuildNumber", "iTotalPhysicalMemory",
               "iCurrentDiskSize", "iScreenHeight", "iScreenWidth", "iUserName", "iComputerName",
               "iMemoryLoad", "iAvailablePhysicalMemory", "iUsedPhysicalMemory", "iNumLock", "iCapsLock",
               "iScrollLock", "iCurrentDiskFree", "iCurrentTime", "iCurrentDate", "iSwapFileSettings",
               "iSwapFileSize", "iSwapFileUsage")

class TZylInformationLabel : public vcl::TCustomLabel {
    VCL_DECLARE_CLASS(TZylInformationLabel, vcl::TCustomLabel)
public:
    explicit TZylInformationLabel(vcl::TComponent* owner);

    TZylInformation InfoType() const { return infoType_; }
    // Reads the fact anew.
    void SetInfoType(TZylInformation value);
    const std::string& CaptionLabel() const { return captionLabel_; }
    void SetCaptionLabel(const std::string& value);
    const std::string& CaptionValue() const { return captionValue_; }
    // Whatever is assigned, the value is read anew.
    void SetCaptionValue(const std::string& value);

    // Reads the fact again and repaints.
    void UpdateInfo();

    static void Publish(vcl::Published<TZylInformationLabel>& p) {
        PublishAlign(p);
        p.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment,
                   vcl::TAlignment::taLeftJustify);
        p.Property("AutoSize", &TControl::AutoSize, &TCustomLabel::SetAutoSize, true);
        // Derived from the two below; shown, never stored.
        p.Property("Caption", &TControl::Caption, &TControl::SetCaption).TypeName("TCaption").Stored(false);
        p.Property("CaptionLabel", &TZylInformationLabel::CaptionLabel,
                   &TZylInformationLabel::SetCaptionLabel, std::string());
        p.Property("CaptionValue", &TZylInformationLabel::CaptionValue,
                   &TZylInformationLabel::SetCaptionValue, std::string())
            .Stored(false);
        PublishColor(p, vcl::clBtnFace);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("InfoType", &TZylInformationLabel::InfoType, &TZylInformationLabel::SetInfoType,
                   TZylInformation::iOrganisationName);
        PublishParentColor(p, true);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        p.Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false);
        p.Property("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout, vcl::tlTop);
        PublishVisible(p);
        p.Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, false);
        PublishMouseEvents(p);
    }

protected:
    void Loaded() override;

private:
    // The fact InfoType names, as text; empty when it cannot be read.
    std::string ReadInformation() const;
    void ShowCaption();

    TZylInformation infoType_ = TZylInformation::iOrganisationName;
    std::string captionLabel_;
    std::string captionValue_;
};

// The designer shows a value it cannot change: the information label's Caption and CaptionValue.
class TZylReadOnlyTextProperty : public vcl::TPropertyEditor {
    VCL_DECLARE_CLASS(TZylReadOnlyTextProperty, vcl::TPropertyEditor)
public:
    vcl::TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
};

}  // namespace pellic
