// Internet mail: the message model shared by sending and retrieving, the mail host, SMTP sending
// with composition of the header lines, MIME multipart bodies and base64 attachments, and POP3
// retrieval with parsing of headers and MIME parts and decoding of attachments.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "vcl/classes.h"
#include "vcl/scktcomp.h"
#include "zylmails.h"
#include "zylpop3reply.h"
#include "zylsmtpreply.h"

namespace postrel {

using vcl::Integer;
using vcl::Word;

// Percent steps between two progress events: 1..100.
using TZylPStep = vcl::Byte;

using TZylOnError = std::function<void(vcl::TObject* Sender, Integer Error, const std::string& VMessage)>;
using TZylOnCodingStart =
    std::function<void(vcl::TObject* Sender, const std::string& FileName, Integer BytesCount)>;
using TZylOnCodingProgress = std::function<void(vcl::TObject* Sender, Word Percent)>;
using TZylSendingProgress = std::function<void(vcl::TObject* Sender, Word Percent)>;
using TZylOnDelete = std::function<void(vcl::TObject* Sender, Word Index)>;
using TZylBeforeRetrieve = std::function<void(vcl::TObject* Sender, Word Index)>;

class TZylMailHost;
class TZylMessage;
class TZylSMTPMail;
class TZylPOPMail;

// ---------------------------------------------------------------------------------------------
// Message model

class TZylAttachment : public vcl::TCollectionItem {
    VCL_DECLARE_CLASS(TZylAttachment, vcl::TCollectionItem)
public:
    explicit TZylAttachment(vcl::TCollection* collection);
    ~TZylAttachment() override;

    // The file's name without its directory, as the mail names it.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& value) { fileName_ = value; }
    // The file the attachment is read from; empty after loading from a form, when FileName is used.
    const std::string& PathName() const { return pathName_; }
    void SetPathName(const std::string& value) { pathName_ = value; }
    // Empty until looked up (at Add, or at composition for an attachment read from a form).
    const std::string& MimeType() const { return mimeType_; }
    void SetMimeType(const std::string& value) { mimeType_ = value; }
    // The base64 lines of the last encoding, or those of a received part.
    vcl::TStringList* EncodedLines() const { return encodedLines_.get(); }
    void SetEncodedLines(std::unique_ptr<vcl::TStringList> lines);
    // The decoded content of a received attachment; nullptr when there is none.
    vcl::TMemoryStream* Stream() const { return stream_.get(); }
    void SetStream(std::unique_ptr<vcl::TMemoryStream> stream) { stream_ = std::move(stream); }
    TZylMessage* Message() const { return message_; }

    // Writes the decoded content. Without content: EZylMailError "Invalid Operation"; a failure
    // while writing (also a name without folder that names no file: "", "." or "..") goes to
    // HandleException and is not passed on. FileName of a received attachment is always safe to
    // put after a folder the application chose.
    void SaveToFile(const std::string& fileName);

    std::string DisplayName() const override { return "Mail Attachment"; }
    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylAttachment>& p) {
        p.Property("FileName", &TZylAttachment::FileName, &TZylAttachment::SetFileName);
    }

private:
    std::string fileName_;
    std::string pathName_;
    std::string mimeType_;
    std::unique_ptr<vcl::TStringList> encodedLines_;
    std::unique_ptr<vcl::TMemoryStream> stream_;
    TZylMessage* message_ = nullptr;
};

class TZylAttachments : public vcl::TOwnedCollection {
    VCL_DECLARE_CLASS(TZylAttachments, vcl::TOwnedCollection)
public:
    explicit TZylAttachments(TZylMessage* owner);

    using vcl::TCollection::Add;
    // Appends an attachment for the file at path; its MIME type comes from the registry.
    TZylAttachment* Add(const std::string& path);
    // Frees the attachment; false (with the exception shown through HandleException) on failure.
    bool Delete(int index);
    // HKEY_CLASSES_ROOT\.ext "Content Type", or "application/octet-stream".
    static std::string GetMimeType(const std::string& fileName);

    TZylAttachment* GeTZylAttachment(int index) const;
    void SeTZylAttachment(int index, TZylAttachment* value);
};

class TZylMessage : public vcl::TCollectionItem {
    VCL_DECLARE_CLASS(TZylMessage, vcl::TCollectionItem)
public:
    explicit TZylMessage(vcl::TCollection* collection);
    ~TZylMessage() override;

    const std::string& FromMail() const { return fromMail_; }
    void SetFromMail(const std::string& value) { fromMail_ = value; }
    const std::string& ReplyTo() const { return replyTo_; }
    void SetReplyTo(const std::string& value) { replyTo_ = value; }
    // Addresses separated by commas.
    const std::string& SendTo() const { return sendTo_; }
    void SetSendTo(const std::string& value) { sendTo_ = value; }
    const std::string& Subject() const { return subject_; }
    void SetSubject(const std::string& value) { subject_ = value; }
    const std::string& FromName() const { return fromName_; }
    void SetFromName(const std::string& value) { fromName_ = value; }
    vcl::TStringList* Message() const { return message_.get(); }
    void SetMessage(vcl::TStringList* value) { message_->Assign(value); }
    TZylAttachments* Attachments() const { return attachments_.get(); }
    void SetZylAttachments(TZylAttachments* value) { attachments_->Assign(value); }

    const std::string& MessageId() const { return messageId_; }
    void SetMessageId(const std::string& value) { messageId_ = value; }
    const std::string& InReplyTo() const { return inReplyTo_; }
    void SetInReplyTo(const std::string& value) { inReplyTo_ = value; }
    const std::string& Date() const { return date_; }
    void SetDate(const std::string& value) { date_ = value; }
    // Beyond the published fields, for programs and the MAPI provider: addresses (separated by
    // commas) that get a copy in the "Cc:" field, and that get a copy unnamed; and the address a
    // read receipt is asked for (Disposition-Notification-To). None is stored in form files.
    const std::string& CarbonCopy() const { return carbonCopy_; }
    void SetCarbonCopy(const std::string& value) { carbonCopy_ = value; }
    const std::string& BlindCopy() const { return blindCopy_; }
    void SetBlindCopy(const std::string& value) { blindCopy_ = value; }
    const std::string& ReceiptTo() const { return receiptTo_; }
    void SetReceiptTo(const std::string& value) { receiptTo_ = value; }

    TZylMailHost* Host() const { return host_; }

    std::string DisplayName() const override;
    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylMessage>& p) {
        p.Property("FromMail", &TZylMessage::FromMail, &TZylMessage::SetFromMail);
        p.Property("ReplyTo", &TZylMessage::ReplyTo, &TZylMessage::SetReplyTo);
        p.Property("SendTo", &TZylMessage::SendTo, &TZylMessage::SetSendTo);
        p.Property("Subject", &TZylMessage::Subject, &TZylMessage::SetSubject);
        p.Property("FromName", &TZylMessage::FromName, &TZylMessage::SetFromName);
        p.Property("Message", &TZylMessage::Message, &TZylMessage::SetMessage);
        p.Property("Attachments", &TZylMessage::Attachments, &TZylMessage::SetZylAttachments);
    }

private:
    std::string fromMail_;
    std::string replyTo_;
    std::string sendTo_;
    std::string subject_;
    std::string fromName_;
    std::unique_ptr<vcl::TStringList> message_;
    std::unique_ptr<TZylAttachments> attachments_;
    std::string messageId_;
    std::string inReplyTo_;
    std::string date_;
    std::string carbonCopy_;
    std::string blindCopy_;
    std::string receiptTo_;
    TZylMailHost* host_ = nullptr;
};

class TZylMessages : public vcl::TOwnedCollection {
    VCL_DECLARE_CLASS(TZylMessages, vcl::TOwnedCollection)
public:
    explicit TZylMessages(TZylMailHost* owner);

    TZylMessage* Add();
    // Frees the message; false (with the exception shown through HandleException) on failure.
    bool Delete(int index);
    TZylMessage* GetZylMessage(int index) const;
    void SetZylMessage(int index, TZylMessage* value);
};

// ---------------------------------------------------------------------------------------------
// Mail host

// How a connection is protected: not at all, upgraded to TLS after the greeting (STARTTLS, or
// STLS for POP3), or TLS from the first byte (SMTP on 465, POP3 on 995).
enum class TZylMailSecurity : uint8_t { msNone, msStartTLS, msImplicitTLS };
VCL_ENUM_NAMES(TZylMailSecurity, "msNone", "msStartTLS", "msImplicitTLS")
using enum TZylMailSecurity;

class TZylMailHost : public TZylMailsComponent {
    VCL_DECLARE_CLASS(TZylMailHost, TZylMailsComponent)
public:
    explicit TZylMailHost(vcl::TComponent* owner);
    ~TZylMailHost() override;

    // Fires OnExecute and succeeds.
    bool Execute() override;

    const std::string& Host() const { return host_; }
    void SetHost(const std::string& value) { host_ = value; }
    // Converted to an integer when the connection opens.
    const std::string& Port() const { return port_; }
    void SetPort(const std::string& value) { port_ = value; }
    TZylMessages* Messages() const { return messages_.get(); }
    void SetZylMessages(TZylMessages* value) { messages_->Assign(value); }
    TZylPStep ProgressStep() const { return progressStep_; }
    // Raises vcl::ERangeError outside 1..100.
    void SetProgressStep(TZylPStep value);

    // TLS. The server's certificate must lead to the system's store (or to TrustedCertificates, a
    // PEM file, when set) and name Host; AcceptSelfSigned lets a self-signed certificate through,
    // still checked for the name. Once TLS was asked for, the run never goes on in clear text.
    TZylMailSecurity Security() const { return security_; }
    void SetSecurity(TZylMailSecurity value) { security_ = value; }
    const std::string& TrustedCertificates() const { return trustedCertificates_; }
    void SetTrustedCertificates(const std::string& value) { trustedCertificates_ = value; }
    bool AcceptSelfSigned() const { return acceptSelfSigned_; }
    void SetAcceptSelfSigned(bool value) { acceptSelfSigned_ = value; }
    // "TLSv1.3" and the like while the run's connection is protected, else empty.
    std::string TlsProtocol() const;

    vcl::TNotifyEvent OnExecute;

    // The port a new component of this class starts with.
    virtual std::string DefaultPort() const { return {}; }

    // Run state, for applications and tests.
    bool Busy() const { return busy_; }
    bool Connected() const { return connected_; }
    // The connection of the run under way; nullptr between runs.
    vcl::TClientSocket* Socket() const { return socket_.get(); }

    static void Publish(vcl::Published<TZylMailHost>& p) {
        p.Property("Host", &TZylMailHost::Host, &TZylMailHost::SetHost);
        p.Property("Port", &TZylMailHost::Port, &TZylMailHost::SetPort).Stored(&TZylMailHost::PortStored);
        p.Property("Messages", &TZylMailHost::Messages, &TZylMailHost::SetZylMessages);
        p.Property("ProgressStep", &TZylMailHost::ProgressStep, &TZylMailHost::SetProgressStep, 1);
        p.Property("Security", &TZylMailHost::Security, &TZylMailHost::SetSecurity, msNone);
        p.Property("TrustedCertificates", &TZylMailHost::TrustedCertificates,
                   &TZylMailHost::SetTrustedCertificates);
        p.Property("AcceptSelfSigned", &TZylMailHost::AcceptSelfSigned, &TZylMailHost::SetAcceptSelfSigned,
                   false);
        p.Event("OnExecute", &TZylMailHost::OnExecute);
    }

protected:
    // What outlives the component when a handler frees it during a run: the connection objects
    // are released only after every frame that uses them has returned.
    struct TRun {
        bool alive = true;
        vcl::TComponentPtr<vcl::TClientSocket> socket;
        std::unique_ptr<vcl::TWinSocketStream> stream;
    };
    // Thrown through the dialogue when a handler freed the component; only Execute catches it.
    struct TComponentFreed {};

    // Runs a handler, then leaves the run at once when the handler freed the component.
    template <typename Handler, typename... Args>
    void Fire(const Handler& handler, Args&&... args);
    // Dispatches waiting messages, then leaves the run when a handler freed the component.
    void Pump();
    // One run of a connection: OnExecute, then the dialogue, then the connection closed and
    // released on every path. An exception from the dialogue or the close goes to HandleException
    // and fails the run. A call during a run only fires OnExecute. False, without touching the
    // component again, when a handler freed it.
    bool RunConnection(const std::function<void()>& dialogue);
    // Creates the run's blocking connection: connecting and disconnecting keep Connected() and
    // fire the events given; an error of the connection goes to ConnectionError.
    void CreateConnection(vcl::TNotifyEvent& onConnect, vcl::TNotifyEvent& onDisconnect);
    virtual void ConnectionError(vcl::TObject* sender, Integer errorCode) = 0;
    // Drops the connection's notifications, then the stream and the connection.
    void ReleaseConnection();
    // Starts TLS on the run's connection within the limit; false with the reason in `reason` (the
    // connection is closed then).
    bool StartTls(Integer timeoutMs, std::string& reason);

    vcl::TComponentPtr<vcl::TClientSocket> socket_;
    std::unique_ptr<vcl::TWinSocketStream> stream_;
    TRun* run_ = nullptr;
    bool busy_ = false;
    bool connected_ = false;

private:
    bool PortStored() const { return port_ != DefaultPort(); }

    std::string host_;
    std::string port_;
    TZylMailSecurity security_ = msNone;
    std::string trustedCertificates_;
    bool acceptSelfSigned_ = false;
    std::unique_ptr<TZylMessages> messages_;
    TZylPStep progressStep_ = 1;
};

template <typename Handler, typename... Args>
void TZylMailHost::Fire(const Handler& handler, Args&&... args) {
    if (!handler) return;
    TRun* run = run_;
    Handler call = handler;  // the handler may replace itself or free the component
    call(std::forward<Args>(args)...);
    if (run && !run->alive) throw TComponentFreed{};
}

// ---------------------------------------------------------------------------------------------
// SMTP sending

// How TZylSMTPMail logs in: not at all, with the best method the server offers (CRAM-MD5, then
// PLAIN, then LOGIN), or with the one named (refused when the server does not offer it).
enum class TZylSMTPAuthMethod : uint8_t { samNone, samAutomatic, samPlain, samLogin, samCramMD5 };
VCL_ENUM_NAMES(TZylSMTPAuthMethod, "samNone", "samAutomatic", "samPlain", "samLogin", "samCramMD5")
using enum TZylSMTPAuthMethod;

// How long each step of the dialogue may wait for the server, in milliseconds (the limits of
// RFC 5321 section 4.5.3.2; tests shorten them). Writes count a stalled data block.
struct TZylSMTPTimeouts {
    Integer Greeting = 5 * 60'000;
    Integer Helo = 5 * 60'000;
    Integer MailFrom = 5 * 60'000;
    Integer RcptTo = 5 * 60'000;
    Integer DataStart = 2 * 60'000;
    Integer DataBlock = 3 * 60'000;
    Integer DataEnd = 10 * 60'000;
    Integer Quit = 5 * 60'000;
};

class TZylSMTPMail : public TZylMailHost {
    VCL_DECLARE_CLASS(TZylSMTPMail, TZylMailHost)
public:
    static constexpr int kMaxRecipients = 256;
    // The connection stream's own wait, in milliseconds.
    static constexpr Integer kStreamTimeOut = 20;

    explicit TZylSMTPMail(vcl::TComponent* owner);
    ~TZylSMTPMail() override;

    // Sends every message over one connection. False only when an exception ended the run; a
    // refused reply goes to OnError. A call during a run only fires OnExecute.
    bool Execute() override;

    vcl::TStringList* Signature() const { return signature_.get(); }
    void SetSignature(vcl::TStringList* value) { signature_->Assign(value); }
    const std::string& DateTimeFormat() const { return dateTimeFormat_; }
    void SetDateTimeFormat(const std::string& value) { dateTimeFormat_ = value; }
    // Pause after every data line, in milliseconds; 0 sends at line speed (messages still pumped).
    Integer LineDelay() const { return lineDelay_; }
    // Raises vcl::ERangeError for a negative value.
    void SetLineDelay(Integer value);

    // The login. With a Security or an AuthMethod the dialogue opens with EHLO (HELO otherwise),
    // and what the server's EHLO reply does not offer is refused with an error. The password is
    // never written to form files: programs set it at run time.
    TZylSMTPAuthMethod AuthMethod() const { return authMethod_; }
    void SetAuthMethod(TZylSMTPAuthMethod value) { authMethod_ = value; }
    const std::string& Username() const { return username_; }
    void SetUsername(const std::string& value) { username_ = value; }
    const std::string& Password() const { return password_; }
    void SetPassword(const std::string& value) { password_ = value; }
    // What the last EHLO reply offered.
    const TZylSMTPCapabilities& Capabilities() const { return capabilities_; }

    vcl::TNotifyEvent OnConnect;
    vcl::TNotifyEvent OnDisconnect;
    TZylOnError OnError;
    vcl::TNotifyEvent OnBeforeSend;
    vcl::TNotifyEvent OnAfterSend;
    vcl::TNotifyEvent OnSuccessSend;
    TZylSendingProgress OnSendProgress;
    TZylOnCodingStart OnEncodeStart;
    TZylOnCodingProgress OnEncodeProgress;
    vcl::TNotifyEvent OnEncodeEnd;

    // The dialogue, as Execute runs it.
    void Connect();
    void Disconnect();
    bool SendMessage(TZylMessage* message);
    // The lines that go after DATA (header lines, an empty line, the body); nullptr when the run
    // was aborted while encoding. Raises EZylMailError when a field would break the header.
    std::unique_ptr<vcl::TStringList> InitializeMessage(TZylMessage* message);
    std::string CreateUIN();
    std::string CreateBounds();
    void Base64Encode(TZylAttachment* attachment);
    // Writes every byte of text or fails as a connection error.
    void SendSocketText(std::string_view text);
    // Reads one whole reply; gives back its final line.
    void GetSocketText(std::string& text);

    // Run state, for applications and tests.
    const std::string& LastReplyCode() const { return replyCode_; }
    const std::string& LastReplyText() const { return replyText_; }
    Word LastSendPercent() const { return lastSendPercent_; }
    Word LastEncodePercent() const { return lastEncodePercent_; }
    const TZylSMTPTimeouts& Timeouts() const { return timeouts_; }
    void SetTimeouts(const TZylSMTPTimeouts& value) { timeouts_ = value; }
    // Length of one wait for the server between two pumps of the message queue (200 ms).
    Integer WaitSlice() const { return waitSlice_; }
    void SetWaitSlice(Integer value) { waitSlice_ = value > 0 ? value : 1; }

    std::string DefaultPort() const override { return "25"; }
    // The locale's long date format, ", ", and its long time format.
    static std::string DefaultDateTimeFormat();

    static void Publish(vcl::Published<TZylSMTPMail>& p) {
        p.Property("Signature", &TZylSMTPMail::Signature, &TZylSMTPMail::SetSignature);
        p.Property("DateTimeFormat", &TZylSMTPMail::DateTimeFormat, &TZylSMTPMail::SetDateTimeFormat)
            .Stored(&TZylSMTPMail::DateTimeFormatStored);
        p.Property("LineDelay", &TZylSMTPMail::LineDelay, &TZylSMTPMail::SetLineDelay, 40);
        p.Property("AuthMethod", &TZylSMTPMail::AuthMethod, &TZylSMTPMail::SetAuthMethod, samNone);
        p.Property("Username", &TZylSMTPMail::Username, &TZylSMTPMail::SetUsername);
        p.Event("OnConnect", &TZylSMTPMail::OnConnect);
        p.Event("OnDisconnect", &TZylSMTPMail::OnDisconnect);
        p.Event("OnError", &TZylSMTPMail::OnError);
        p.Event("OnBeforeSend", &TZylSMTPMail::OnBeforeSend);
        p.Event("OnAfterSend", &TZylSMTPMail::OnAfterSend);
        p.Event("OnSuccessSend", &TZylSMTPMail::OnSuccessSend);
        p.Event("OnSendProgress", &TZylSMTPMail::OnSendProgress);
        p.Event("OnEncodeStart", &TZylSMTPMail::OnEncodeStart);
        p.Event("OnEncodeProgress", &TZylSMTPMail::OnEncodeProgress);
        p.Event("OnEncodeEnd", &TZylSMTPMail::OnEncodeEnd);
    }

private:
    bool DateTimeFormatStored() const { return dateTimeFormat_ != DefaultDateTimeFormat(); }

    void ConnectionError(vcl::TObject* sender, Integer errorCode) override;
    void RaiseErrorAndExit(vcl::TObject* sender);
    // Reports a failure of the connection through its error route and raises ESocketError.
    [[noreturn]] void ConnectionError(Integer code, const char* api);
    // The reply code as a number, or the connection's error when no reply explains the failure.
    Integer ReplyError() const;
    void Command(std::string_view text);
    // Reads a reply within the limit; true when its code is one of the accepted ones.
    bool Expect(Integer timeoutMs, std::initializer_list<std::string_view> accepted);
    void ReadReply(Integer timeoutMs);
    // False when the run was aborted between two lines.
    bool SendDataLines(const vcl::TStringList& lines);
    void FlushOutput();
    void ValidateMessage(const TZylMessage& message) const;
    // The attachment again after handlers ran: looked up by identity, nullptr when it is gone.
    TZylAttachment* FindAttachment(TZylAttachment* attachment, TZylMessage* message, int messageId,
                                   int attachmentId) const;
    // Encodes the file into lines with the encode events; false when the run was aborted.
    bool EncodeFile(const std::string& path, std::vector<std::string>& lines);
    // Encodes an attachment, stores the lines in it (when it still exists) and fires OnEncodeEnd.
    bool EncodeAttachment(TZylAttachment* attachment, TZylMessage* message, std::vector<std::string>& lines);
    std::string LocalHostName() const;
    // The protected, logged-in opening after the greeting; false after an error was reported.
    bool Secure();
    bool Ehlo();
    bool Authenticate();
    // Reports a refusal of this side (no reply code explains it) and ends the run as failed.
    void Refuse(const std::string& reason);

    std::unique_ptr<vcl::TStringList> signature_;
    std::string dateTimeFormat_;
    Integer lineDelay_ = 40;
    TZylSMTPAuthMethod authMethod_ = samNone;
    std::string username_;
    std::string password_;
    TZylSMTPCapabilities capabilities_;
    bool runFailed_ = false;
    TZylSMTPTimeouts timeouts_;
    Integer waitSlice_ = 200;

    TZylReplyReader reader_;
    std::string output_;

    bool errorFlag_ = false;
    bool abort_ = false;
    std::string replyCode_;
    std::string replyText_;
    std::string lastReplyLine_;
    std::vector<std::string> lastReply_;
    Integer socketError_ = 0;
    Word lastSendPercent_ = 0;
    Word lastEncodePercent_ = 0;
};

// ---------------------------------------------------------------------------------------------
// POP3 retrieval

enum class TZylMailSessionState : uint8_t { Authorization, Transaction };
VCL_ENUM_NAMES(TZylMailSessionState, "Authorization", "Transaction")

// The Error of OnError when the server refused a command (2000-2006), or when this side refused a
// message it could not take (2007, 2008; the message stays on the server and the run goes on).
inline constexpr Integer kPOPErrorGreeting = 2000;
inline constexpr Integer kPOPErrorLogin = 2001;
inline constexpr Integer kPOPErrorQuit = 2002;
inline constexpr Integer kPOPErrorDelete = 2003;
inline constexpr Integer kPOPErrorRetrieve = 2004;
inline constexpr Integer kPOPErrorTop = 2005;
inline constexpr Integer kPOPErrorStat = 2006;
inline constexpr Integer kPOPErrorTooLarge = 2007;
inline constexpr Integer kPOPErrorFormat = 2008;

// A message that cannot be read as mail: "Message Format Error".
class EZylMessageFormatError : public EZylMailError {
public:
    EZylMessageFormatError() : EZylMailError("Message Format Error") {}
    using EZylMailError::EZylMailError;
    const char* ClassName() const noexcept override { return "EZylMessageFormatError"; }
};

// How TZylPOPMail logs in: USER and PASS, APOP (the password's digest with the greeting's stamp;
// refused when the greeting has none), or SASL PLAIN (AUTH PLAIN).
enum class TZylPOPAuthMethod : uint8_t { pamUserPass, pamAPOP, pamSaslPlain };
VCL_ENUM_NAMES(TZylPOPAuthMethod, "pamUserPass", "pamAPOP", "pamSaslPlain")
using enum TZylPOPAuthMethod;

class TZylPOPMail : public TZylMailHost {
    VCL_DECLARE_CLASS(TZylPOPMail, TZylMailHost)
public:
    // The connection stream's own wait, in milliseconds.
    static constexpr Integer kStreamTimeOut = 100;
    // How long the server may stay silent while a reply or a message is awaited.
    static constexpr Integer kDefaultTimeout = 2 * 60'000;
    static constexpr Integer kDefaultMaxMessageSize = 64 * 1024 * 1024;

    explicit TZylPOPMail(vcl::TComponent* owner);
    ~TZylPOPMail() override;

    // Logs in, retrieves every message into Messages (deleting each on the server when
    // DeleteOfServer is set) and logs out. False when an exception ended the run or any error was
    // reported through OnError. A call during a run only fires OnExecute.
    bool Execute() override;

    bool DeleteOfServer() const { return deleteOfServer_; }
    void SetDeleteOfServer(bool value) { deleteOfServer_ = value; }
    // Sent with USER and PASS; a line break or NUL in them is refused when they are sent.
    const std::string& Username() const { return username_; }
    void SetUsername(const std::string& value) { username_ = value; }
    const std::string& Password() const { return password_; }
    void SetPassword(const std::string& value) { password_ = value; }
    TZylPOPAuthMethod AuthMethod() const { return authMethod_; }
    void SetAuthMethod(TZylPOPAuthMethod value) { authMethod_ = value; }
    // The largest message taken, in bytes; a larger one is passed over with OnError (2007) and
    // left on the server. Raises vcl::ERangeError below 1.
    Integer MaxMessageSize() const { return maxMessageSize_; }
    void SetMaxMessageSize(Integer value);

    vcl::TNotifyEvent OnConnect;
    vcl::TNotifyEvent OnDisconnect;
    TZylOnError OnError;
    TZylOnCodingStart OnDecodeStart;
    TZylOnCodingProgress OnDecodeProgress;
    vcl::TNotifyEvent OnDecodeEnd;
    TZylBeforeRetrieve BeforeRetrieve;
    vcl::TNotifyEvent AfterRetrieve;
    TZylOnCodingProgress OnRetrieveProgress;
    TZylOnDelete OnDelete;

    // The dialogue, as Execute runs it. Index is the message's number on the server (from 1).
    void Connect();
    bool Login();
    // STAT: the number of messages in the mailbox, 0 when refused.
    Integer Init();
    // Retrieves every message not yet deleted on this connection; returns how many arrived whole.
    Integer RetrieveAllMessages();
    // Downloads and parses one message into a new item of Messages. nullptr when the server
    // refused (OnError 2004, connection closed) or the message was refused here (OnError 2007 or
    // 2008, connection kept).
    TZylMessage* RetrieveMessage(Integer index);
    void DeleteMessage(Integer index);
    // TOP index 0: the message's header lines, each ended by CR LF. False when refused (2005).
    bool RetrieveHeaders(Integer index, std::string& headers);
    void Disconnect();

    // Parses a message's text as retrieved (CR LF or LF line ends, dot stuffing undone) into a new
    // item of Messages, decoding its attachments with the decode events, and fires AfterRetrieve.
    // Raises EZylMessageFormatError for a message that cannot be read (the item is removed first).
    TZylMessage* ParseMessage(std::string_view text);
    // Reads only the header fields of a message's text (such as RetrieveHeaders gives) into a new
    // item of Messages; whatever follows them is not read, and no event is fired.
    TZylMessage* ParseHeaders(std::string_view text);
    // Decodes the attachment's encoded lines into a new stream, with the decode events.
    void Base64Decode(TZylAttachment* attachment);
    // The same for uuencoded lines (from the line after "begin"); a character outside the
    // uuencode range raises EZylMessageFormatError, with what was decoded before it kept.
    void UUDecode(TZylAttachment* attachment);

    // Search helpers over lists of lines; true and the index of the first hit (positions 0-based).
    // The line whose upper-case form begins with key:
    static bool FindInHeaders(std::string_view key, const vcl::TStrings& list, int& index);
    // The line whose upper-case form contains key, and where:
    static bool FindInStringList(std::string_view key, const vcl::TStrings& list, int& position, int& index);
    static bool FindInStringListCS(std::string_view key, const vcl::TStrings& list, int& position,
                                   int& index);
    // The first uuencode "begin" line and the file name it gives.
    static bool GetUUAttachments(const vcl::TStrings& list, int& index, std::string& fileName);

    // Run state, for applications and tests.
    TZylMailSessionState SessionState() const { return sessionState_; }
    // "+OK" or "-ERR" (or whatever else began the last status line), and the text after it.
    const std::string& LastStatus() const { return status_; }
    const std::string& LastReplyText() const { return replyText_; }
    Integer MessageCount() const { return messageCount_; }
    // The numbers deleted on this connection, as decimal strings.
    const vcl::TStringList* DeletedMessages() const { return deleted_.get(); }
    Word LastRetrievePercent() const { return lastRetrievePercent_; }
    Word LastDecodePercent() const { return lastDecodePercent_; }

    Integer Timeout() const { return timeout_; }
    void SetTimeout(Integer value) { timeout_ = value > 0 ? value : 1; }
    // Length of one wait for the server between two pumps of the message queue (200 ms).
    Integer WaitSlice() const { return waitSlice_; }
    void SetWaitSlice(Integer value) { waitSlice_ = value > 0 ? value : 1; }

    std::string DefaultPort() const override { return "110"; }

    static void Publish(vcl::Published<TZylPOPMail>& p) {
        p.Property("Messages", &TZylMailHost::Messages, &TZylMailHost::SetZylMessages).Stored(false);
        p.Property("DeleteOfServer", &TZylPOPMail::DeleteOfServer, &TZylPOPMail::SetDeleteOfServer, false);
        p.Property("Username", &TZylPOPMail::Username, &TZylPOPMail::SetUsername);
        p.Property("Password", &TZylPOPMail::Password, &TZylPOPMail::SetPassword);
        p.Property("AuthMethod", &TZylPOPMail::AuthMethod, &TZylPOPMail::SetAuthMethod, pamUserPass);
        p.Property("MaxMessageSize", &TZylPOPMail::MaxMessageSize, &TZylPOPMail::SetMaxMessageSize,
                   kDefaultMaxMessageSize);
        p.Event("OnConnect", &TZylPOPMail::OnConnect);
        p.Event("OnDisconnect", &TZylPOPMail::OnDisconnect);
        p.Event("OnError", &TZylPOPMail::OnError);
        p.Event("OnDecodeStart", &TZylPOPMail::OnDecodeStart);
        p.Event("OnDecodeProgress", &TZylPOPMail::OnDecodeProgress);
        p.Event("OnDecodeEnd", &TZylPOPMail::OnDecodeEnd);
        p.Event("BeforeRetrieve", &TZylPOPMail::BeforeRetrieve);
        p.Event("AfterRetrieve", &TZylPOPMail::AfterRetrieve);
        p.Event("OnRetrieveProgress", &TZylPOPMail::OnRetrieveProgress);
        p.Event("OnDelete", &TZylPOPMail::OnDelete);
    }

private:
    friend class TZylMessageBuilder;

    void ConnectionError(vcl::TObject* sender, Integer errorCode) override;
    // The error routine: closes the connection and reports code and the last reply text.
    void RaiseErrorAndExit(vcl::TObject* sender, Integer code);
    void RaiseError(Integer code) { RaiseErrorAndExit(this, code); }
    // Reports a message refused here, keeping the connection.
    void ReportRefusal(Integer code, const std::string& text);
    // STLS and the TLS handshake; false after the failure was reported.
    bool UpgradeToTls();
    // Ends the run with a failure of this side that no server reply explains.
    void Refuse(Integer code, const std::string& reason);
    [[noreturn]] void ConnectionError(Integer code, const char* api);
    void Command(std::string_view text);
    // Reads one status line; true for "+OK".
    bool ReadStatus();
    // Waits for the next bytes from the server within the time limit and feeds them to the reader.
    size_t ReceiveChunk();
    // Reads a multi-line answer into text, with retrieval progress if asked; false when it passes
    // MaxMessageSize, with the rest of the answer still to be passed over by SkipBody.
    bool ReadBody(std::string& text, uint64_t expectedSize, bool withProgress);
    void SkipBody(uint64_t expectedSize);
    TZylMessage* FindMessage(int id) const;
    // Decodes base64 or uuencoded lines with the decode events; store takes the bytes before the
    // final events. False when a uuencoded line held a character outside the code.
    bool DecodeLines(const std::string& fileName, std::span<const std::string_view> lines, bool uuencoded,
                     const std::function<void(std::string& bytes)>& store);
    void DecodeAttachment(TZylAttachment* attachment, bool uuencoded);

    bool deleteOfServer_ = false;
    std::string username_;
    std::string password_;
    TZylPOPAuthMethod authMethod_ = pamUserPass;
    std::string greeting_;
    Integer maxMessageSize_ = kDefaultMaxMessageSize;
    Integer timeout_ = kDefaultTimeout;
    Integer waitSlice_ = 200;

    TZylPOP3Reader reader_;
    bool errorFlag_ = false;
    bool errorReported_ = false;
    std::string status_;
    std::string replyText_;
    TZylMailSessionState sessionState_ = TZylMailSessionState::Authorization;
    Integer messageCount_ = 0;
    std::unique_ptr<vcl::TStringList> deleted_;
    uint64_t received_ = 0;
    Word lastRetrievePercent_ = 0;
    Word lastDecodePercent_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Base64

// Appends the base64 text of the bytes as lines of 76 characters (57 bytes each), the last one
// shorter and padded with "=" as needed. Blocks of a multiple of 57 bytes can be encoded one after
// the other into the same list.
void Base64EncodeLines(const uint8_t* data, size_t size, std::vector<std::string>& lines);
// Appends the same lines to one buffer, each ended by lineEnd.
void Base64EncodeText(const uint8_t* data, size_t size, std::string& text, std::string_view lineEnd = "\r\n");

// Rounds numerator * 100 / denominator to the nearest integer, halves to even (64-bit).
Word PercentOf(uint64_t numerator, uint64_t denominator);
// The same, never above 100.
inline Word ClampedPercent(uint64_t numerator, uint64_t denominator) {
    Word percent = PercentOf(numerator, denominator);
    return percent > 100 ? Word{100} : percent;
}

}  // namespace postrel
