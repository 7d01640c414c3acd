// The mail components in the form designer: the "Mail Messages" window that edits a component's
// messages and their attachments (TInetMailConfig for the SMTP and POP3 components, TMapiMailConfig
// for the MAPI one), and the property and component editors that open it.
#pragma once

#include <string>

#include "vcl/buttons.h"
#include "vcl/designeditors.h"
#include "vcl/designintf.h"
#include "vcl/dialogs.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"
#include "zylmapi.h"
#include "zyltiemails.h"

namespace postrel {

// The window both classes share. One window of each class is open at a time: opening it for
// another component refills it.
class TZylMailConfigWindow : public vcl::TDesignWindow {
    VCL_DECLARE_CLASS(TZylMailConfigWindow, vcl::TDesignWindow)
public:
    explicit TZylMailConfigWindow(vcl::TComponent* owner);

    vcl::TSpeedButton* SpeedButton1 = nullptr;
    vcl::TSpeedButton* SpeedButton4 = nullptr;
    vcl::TSpeedButton* ExecuteButton = nullptr;
    vcl::TSpeedButton* CloseButton = nullptr;
    vcl::TListBox* MessageList = nullptr;
    vcl::TButton* AddMessageButton = nullptr;
    vcl::TButton* DeleteMessageButton = nullptr;
    vcl::TListBox* AttachmentList = nullptr;
    vcl::TButton* AddAttachmentButton = nullptr;
    vcl::TButton* DeleteAttachmentButton = nullptr;
    vcl::TButton* SaveAttachmentButton = nullptr;
    vcl::TOpenDialog* OpenDialog1 = nullptr;
    vcl::TSaveDialog* SaveDialog1 = nullptr;

    // The list actions, as the buttons run them.
    void AddMessage();
    void DeleteMessage();
    void AddAttachment();
    void DeleteAttachment();
    void SaveAttachment();
    void SelectMessage(int index);
    void SelectAttachment(int index);

protected:
    // What a collection kind supplies.
    virtual vcl::TCollection* Collection() const = 0;
    virtual vcl::TCollection* AttachmentsOf(vcl::TCollectionItem* message) const = 0;
    virtual std::string AttachmentName(vcl::TCollectionItem* attachment) const = 0;
    virtual void AddAttachmentFile(vcl::TCollectionItem* message, const std::string& path) = 0;
    virtual bool Incoming() const { return false; }
    virtual void SaveAttachmentTo(vcl::TCollectionItem*, const std::string&) {}

    // Fills both lists from the collection and shows the window.
    void Fill(vcl::TComponent* mail);
    void FillAttachments();
    void Select(vcl::TPersistent* instance);
    vcl::TCollectionItem* CurrentMessage() const;
    vcl::TCollectionItem* CurrentAttachment() const;
    void ComponentDeleted(vcl::TComponent* component) override;

    vcl::TComponent* mail_ = nullptr;
};

class TInetMailConfig : public TZylMailConfigWindow {
    VCL_DECLARE_CLASS(TInetMailConfig, TZylMailConfigWindow)
public:
    explicit TInetMailConfig(vcl::TComponent* owner) : TZylMailConfigWindow(owner) {}
    ~TInetMailConfig() override;
    void Open(TZylMessages* messages);

protected:
    vcl::TCollection* Collection() const override { return messages_; }
    vcl::TCollection* AttachmentsOf(vcl::TCollectionItem* message) const override;
    std::string AttachmentName(vcl::TCollectionItem* attachment) const override;
    void AddAttachmentFile(vcl::TCollectionItem* message, const std::string& path) override;
    bool Incoming() const override { return dynamic_cast<TZylPOPMail*>(mail_) != nullptr; }
    void SaveAttachmentTo(vcl::TCollectionItem* attachment, const std::string& path) override;

private:
    TZylMessages* messages_ = nullptr;
};

class TMapiMailConfig : public TZylMailConfigWindow {
    VCL_DECLARE_CLASS(TMapiMailConfig, TZylMailConfigWindow)
public:
    explicit TMapiMailConfig(vcl::TComponent* owner);
    ~TMapiMailConfig() override;
    void Open(TZylMapiMessages* messages);

protected:
    vcl::TCollection* Collection() const override { return messages_; }
    vcl::TCollection* AttachmentsOf(vcl::TCollectionItem* message) const override;
    std::string AttachmentName(vcl::TCollectionItem* attachment) const override;
    void AddAttachmentFile(vcl::TCollectionItem* message, const std::string& path) override;

private:
    TZylMapiMessages* messages_ = nullptr;
};

// Opens (or brings forward and refills) the window for the collection of a designed component.
void ConfigureInetMail(TZylMessages* messages);
void ConfigureMapiMail(TZylMapiMessages* messages);
// The property and component editors of the mail components (the package's Register calls it).
void RegisterMailEditors();
// The open windows, nullptr when none.
TInetMailConfig* OpenInetMailConfig();
TMapiMailConfig* OpenMapiMailConfig();

}  // namespace postrel
