// Mail handed to the machine's messaging system through Simple MAPI: TZylMapiMail logs on to a
// profile, sends a collection of messages (mail or fax, with To, CC and BCC recipients,
// attachments, receipt and dialog options) and logs off; TZylQuickMail sends one message to one
// recipient in one call.
//
// The provider is a shared library exporting the ten Simple MAPI entry points (win32/mapi.h). It
// is bound on first use, once per process: only when the registry says a messaging system is
// configured (HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows Messaging Subsystem, "MAPI" = "1") and
// a library exporting all ten entry points loads. The library is the one SetMapiLibrary names (or
// the environment's ZYL_MAPI_LIBRARY), else libmapi32.so from the loader's path or beside this
// package.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vcl/classes.h"
#include "win32/mapi.h"
#include "zylmails.h"

namespace postrel {

using vcl::Integer;

// MAPI is missing while the component is being designed.
class TZylExceptunavailable : public vcl::Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "TZylExceptunavailable"; }
};
// The provider lacks an entry point.
class TZylExceptdllerror : public vcl::Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "TZylExceptdllerror"; }
};
// Declared for attachment failures; nothing raises it.
class TZylExceptAttachmentError : public vcl::Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "TZylExceptAttachmentError"; }
};

enum class TZylFaxorMail : uint8_t { ccMail, ccFax };
VCL_ENUM_NAMES(TZylFaxorMail, "ccMail", "ccFax")
using enum TZylFaxorMail;

class TZylMapiMail;
class TZylMapiMessage;

using TZylMapiConnect = std::function<void(vcl::TObject* Sender, Integer ErrorNo)>;
using TZylOnSendError = std::function<void(vcl::TObject* Sender, Integer ErrorNo, TZylMapiMessage* Mail)>;
using TZylMapiSend = std::function<void(vcl::TObject* Sender, TZylMapiMessage* Mail)>;

// ---------------------------------------------------------------------------------------------
// The binding

struct TZylMapiBinding {
    bool available = false;
    // A library loaded but lacked an entry point (available is false then).
    bool missingEntryPoint = false;
    std::string libraryPath;
    win32::LPMAPILOGON Logon = nullptr;
    win32::LPMAPILOGOFF Logoff = nullptr;
    win32::LPMAPISENDMAIL SendMail = nullptr;
    win32::LPMAPIRESOLVENAME ResolveName = nullptr;
    win32::LPMAPIFREEBUFFER FreeBuffer = nullptr;
    win32::LPMAPIFINDNEXT FindNext = nullptr;
    win32::LPMAPIREADMAIL ReadMail = nullptr;
    win32::LPMAPIDELETEMAIL DeleteMail = nullptr;
    win32::LPMAPIADDRESS Address = nullptr;
    win32::LPMAPISAVEMAIL SaveMail = nullptr;
};

// Binds on the first call (thread-safe, once) and gives the binding from then on.
const TZylMapiBinding& MapiBinding();
// The provider library to load instead of the default; takes effect at the next binding.
void SetMapiLibrary(const std::string& nameOrPath);
// Unloads the provider so that the next use binds again (tests, and programs that installed one).
void ResetMapiBinding();

// ---------------------------------------------------------------------------------------------
// Messages

class TZylMapiAttachment : public vcl::TCollectionItem {
    VCL_DECLARE_CLASS(TZylMapiAttachment, vcl::TCollectionItem)
public:
    explicit TZylMapiAttachment(vcl::TCollection* collection) : TCollectionItem(collection) {}

    // The file's full path.
    const std::string& Filename() const { return filename_; }
    void SetFilename(const std::string& value) { filename_ = value; }

    std::string DisplayName() const override { return "Attachment"; }
    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylMapiAttachment>& p) {
        p.Property("Filename", &TZylMapiAttachment::Filename, &TZylMapiAttachment::SetFilename);
    }

private:
    std::string filename_;
};

class TZylMapiAttachments : public vcl::TOwnedCollection {
    VCL_DECLARE_CLASS(TZylMapiAttachments, vcl::TOwnedCollection)
public:
    explicit TZylMapiAttachments(TZylMapiMessage* owner);

    using vcl::TCollection::Add;
    TZylMapiAttachment* Add(const std::string& filename);
    TZylMapiAttachment* GeTZylMapiAttachment(int index) const;
    void SeTZylMapiAttachment(int index, TZylMapiAttachment* value);
};

class TZylMapiMessage : public vcl::TCollectionItem {
    VCL_DECLARE_CLASS(TZylMapiMessage, vcl::TCollectionItem)
public:
    explicit TZylMapiMessage(vcl::TCollection* collection);
    ~TZylMapiMessage() override;

    const std::string& Subject() const { return subject_; }
    void SetSubject(const std::string& value) { subject_ = value; }
    vcl::TStringList* Message() const { return message_.get(); }
    void SetMessage(vcl::TStringList* value) { message_->Assign(value); }
    // One recipient a line: a name the profile's address book resolves, an address, or a literal
    // "[type:address]" that is sent as written.
    vcl::TStringList* RecipientsTo() const { return to_.get(); }
    void SetRecipientsTo(vcl::TStringList* value) { to_->Assign(value); }
    vcl::TStringList* RecipientsCC() const { return cc_.get(); }
    void SetRecipientsCC(vcl::TStringList* value) { cc_->Assign(value); }
    vcl::TStringList* RecipientsBC() const { return bc_.get(); }
    void SetRecipientsBC(vcl::TStringList* value) { bc_->Assign(value); }
    TZylMapiAttachments* Attachments() const { return attachments_.get(); }
    void SetAttachments(TZylMapiAttachments* value) { attachments_->Assign(value); }
    bool Receipt() const { return receipt_; }
    void SetReceipt(bool value) { receipt_ = value; }
    // The messaging system shows the message for the user to finish and send.
    bool Dialog() const { return dialog_; }
    void SetDialog(bool value) { dialog_ = value; }
    TZylFaxorMail SendMethod() const { return sendMethod_; }
    void SetSendMethod(TZylFaxorMail value) { sendMethod_ = value; }
    const std::string& FaxNumber() const { return faxNumber_; }
    void SetFaxNumber(const std::string& value) { faxNumber_ = value; }
    const std::string& FaxTo() const { return faxTo_; }
    void SetFaxTo(const std::string& value) { faxTo_ = value; }

    TZylMapiMail* Mail() const { return mail_; }
    // Set once the messaging system accepted the message in the last run.
    bool Sent() const { return sent_; }
    void SetSent(bool value) { sent_ = value; }

    std::string DisplayName() const override { return "Outgoing Mail"; }
    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylMapiMessage>& p) {
        using C = TZylMapiMessage;
        p.Property("Subject", &C::Subject, &C::SetSubject);
        p.Property("Message", &C::Message, &C::SetMessage);
        p.Property("RecipientsTo", &C::RecipientsTo, &C::SetRecipientsTo);
        p.Property("RecipientsCC", &C::RecipientsCC, &C::SetRecipientsCC);
        p.Property("RecipientsBC", &C::RecipientsBC, &C::SetRecipientsBC);
        p.Property("Attachments", &C::Attachments, &C::SetAttachments);
        p.Property("Receipt", &C::Receipt, &C::SetReceipt, false);
        p.Property("Dialog", &C::Dialog, &C::SetDialog, false);
        p.Property("SendMethod", &C::SendMethod, &C::SetSendMethod, ccMail);
        p.Property("FaxNumber", &C::FaxNumber, &C::SetFaxNumber);
        p.Property("FaxTo", &C::FaxTo, &C::SetFaxTo);
    }

private:
    std::string subject_;
    std::unique_ptr<vcl::TStringList> message_, to_, cc_, bc_;
    std::unique_ptr<TZylMapiAttachments> attachments_;
    bool receipt_ = false;
    bool dialog_ = false;
    TZylFaxorMail sendMethod_ = ccMail;
    std::string faxNumber_;
    std::string faxTo_;
    TZylMapiMail* mail_ = nullptr;
    bool sent_ = false;
};

class TZylMapiMessages : public vcl::TOwnedCollection {
    VCL_DECLARE_CLASS(TZylMapiMessages, vcl::TOwnedCollection)
public:
    explicit TZylMapiMessages(TZylMapiMail* owner);

    TZylMapiMessage* Add();
    // Fires the owner's OnDeleteMail (Sender: this collection), then frees the message. False, with
    // the exception shown through HandleException, when that fails or the index is out of range.
    bool Delete(int index);
    TZylMapiMessage* GetZylMapiMessage(int index) const;
    void SetZylMapiMessage(int index, TZylMapiMessage* value);
};

// ---------------------------------------------------------------------------------------------
// TZylMapiMail

class TZylMapiMail : public TZylMailsComponent {
    VCL_DECLARE_CLASS(TZylMapiMail, TZylMailsComponent)
public:
    // The most recipients one message may have, and the most attachments.
    static constexpr int kMaxRecipients = 999;
    static constexpr int kMaxAttachments = 100;

    explicit TZylMapiMail(vcl::TComponent* owner);
    // Logs off an open session.
    ~TZylMapiMail() override;

    // Logon, every message, logoff: true when the logon succeeded. AfterExecute fires either way.
    bool Execute() override;
    // 0 on success, else the provider's result (MAPI_E_FAILURE when MAPI is missing).
    Integer Logon();
    Integer Logoff();
    // Sends every message. Returns the last provider result. A message with too many recipients
    // (MAPI_E_TOO_MANY_RECIPIENTS) or attachments (MAPI_E_TOO_MANY_FILES) is refused alone through
    // OnSendError, and the run goes on with the next.
    Integer SendMapi();
    // MAPI is missing: raises TZylExceptunavailable (or TZylExceptdllerror for a provider without
    // every entry point) while designing, fires OnMapiNotAvailable at run time. True when MAPI is
    // there.
    virtual bool CheckMAPI();
    bool GetMAPIAvail() const;
    bool MAPIAvail() const { return GetMAPIAvail(); }
    win32::LHANDLE Session() const { return session_; }
    win32::FLAGS LogonFlags() const { return logonFlags_; }

    TZylMapiMessages* Messages() const { return messages_.get(); }
    void SeTZylMapiMessages(TZylMapiMessages* value) { messages_->Assign(value); }
    const std::string& Profile() const { return profile_; }
    void SetProfile(const std::string& value) { profile_ = value; }
    const std::string& Password() const { return password_; }
    void SetPassword(const std::string& value) { password_ = value; }
    bool DefaultProfile() const { return defaultProfile_; }
    void SetDefaultProfile(bool value) { defaultProfile_ = value; }
    bool NewSession() const { return newSession_; }
    void SetNewSession(bool value) { newSession_ = value; }
    vcl::TStringList* Signature() const { return signature_.get(); }
    void SetSignature(vcl::TStringList* value) { signature_->Assign(value); }
    bool DeleteAfterSend() const { return deleteAfterSend_; }
    void SetDeleteAfterSend(bool value) { deleteAfterSend_ = value; }

    vcl::TNotifyEvent BeforeLogon, BeforeSendAll, AfterSendAll, BeforeLogoff, AfterExecute;
    vcl::TNotifyEvent OnLogonSuccess, OnLogoffSuccess;
    TZylMapiConnect OnLogonFailure, OnLogoffFailure;
    TZylMapiSend BeforeSendMail, AfterSendMail;
    TZylOnSendError OnSendError;
    TZylMapiSend OnDeleteMail;
    vcl::TNotifyEvent OnMapiNotAvailable;

    static void Publish(vcl::Published<TZylMapiMail>& p) {
        using C = TZylMapiMail;
        p.Property("Messages", &C::Messages, &C::SeTZylMapiMessages);
        p.Property("Profile", &C::Profile, &C::SetProfile);
        p.Property("Password", &C::Password, &C::SetPassword);
        p.Property("DefaultProfile", &C::DefaultProfile, &C::SetDefaultProfile, true);
        p.Property("NewSession", &C::NewSession, &C::SetNewSession, false);
        p.Property("Signature", &C::Signature, &C::SetSignature);
        p.Property("DeleteAfterSend", &C::DeleteAfterSend, &C::SetDeleteAfterSend, true);
        p.Event("BeforeLogon", &C::BeforeLogon);
        p.Event("BeforeSendAll", &C::BeforeSendAll);
        p.Event("AfterSendAll", &C::AfterSendAll);
        p.Event("BeforeLogoff", &C::BeforeLogoff);
        p.Event("AfterExecute", &C::AfterExecute);
        p.Event("OnLogonSuccess", &C::OnLogonSuccess);
        p.Event("OnLogoffSuccess", &C::OnLogoffSuccess);
        p.Event("OnLogonFailure", &C::OnLogonFailure);
        p.Event("OnLogoffFailure", &C::OnLogoffFailure);
        p.Event("BeforeSendMail", &C::BeforeSendMail);
        p.Event("AfterSendMail", &C::AfterSendMail);
        p.Event("OnSendError", &C::OnSendError);
        p.Event("OnDeleteMail", &C::OnDeleteMail);
        p.Event("OnMapiNotAvailable", &C::OnMapiNotAvailable);
    }

private:
    // Sends one message; the provider's result.
    win32::ULONG SendOne(TZylMapiMessage& message);
    void RemoveSentMessages();

    std::unique_ptr<TZylMapiMessages> messages_;
    std::string profile_;
    std::string password_;
    bool defaultProfile_ = true;
    bool newSession_ = false;
    std::unique_ptr<vcl::TStringList> signature_;
    bool deleteAfterSend_ = true;
    win32::LHANDLE session_ = 0;
    win32::FLAGS logonFlags_ = 0;
};

// ---------------------------------------------------------------------------------------------
// TZylQuickMail

class TZylQuickMail : public TZylMailsComponent {
    VCL_DECLARE_CLASS(TZylQuickMail, TZylMailsComponent)
public:
    explicit TZylQuickMail(vcl::TComponent* owner);

    // Sends the message; false (with ErrorNo and OnError) when MAPI is missing or refused it.
    bool Execute() override;

    const std::string& ToName() const { return toName_; }
    void SetToName(const std::string& value) { toName_ = value; }
    const std::string& ToEmailorFaxAddress() const { return toAddress_; }
    void SetToEmailorFaxAddress(const std::string& value) { toAddress_ = value; }
    vcl::TStringList* TextToSend() const { return text_.get(); }
    void SetText(vcl::TStringList* value) { text_->Assign(value); }
    const std::string& Subject() const { return subject_; }
    void SetSubject(const std::string& value) { subject_ = value; }
    TZylFaxorMail MailorFax() const { return mailOrFax_; }
    void SetMailorFax(TZylFaxorMail value) { mailOrFax_ = value; }
    // The result of the last send as decimal text ("0" when accepted).
    const std::string& ErrorNo() const { return errorNo_; }
    void SetErrorNo(const std::string& value) { errorNo_ = value; }

    vcl::TNotifyEvent BeforeSend;
    vcl::TNotifyEvent OnError;

    static void Publish(vcl::Published<TZylQuickMail>& p) {
        using C = TZylQuickMail;
        p.Property("ToName", &C::ToName, &C::SetToName).Stored(&C::ToNameStored);
        p.Property("ToEmailorFaxAddress", &C::ToEmailorFaxAddress, &C::SetToEmailorFaxAddress)
            .Stored(&C::ToAddressStored);
        p.Property("TextToSend", &C::TextToSend, &C::SetText);
        p.Property("Subject", &C::Subject, &C::SetSubject);
        p.Property("MailorFax", &C::MailorFax, &C::SetMailorFax, ccMail);
        p.Property("ErrorNo", &C::ErrorNo, &C::SetErrorNo);
        p.Event("BeforeSend", &C::BeforeSend);
        p.Event("OnError", &C::OnError);
    }

    static constexpr const char* kPresetName = "Zyl Support";
    static constexpr const char* kPresetAddress = "support@zyl.example";

private:
    bool ToNameStored() const { return toName_ != kPresetName; }
    bool ToAddressStored() const { return toAddress_ != kPresetAddress; }

    std::string toName_ = kPresetName;
    std::string toAddress_ = kPresetAddress;
    std::unique_ptr<vcl::TStringList> text_;
    std::string subject_;
    TZylFaxorMail mailOrFax_ = ccMail;
    std::string errorNo_;
};

}  // namespace postrel
