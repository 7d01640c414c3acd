// The SMTP dialogue of TZylSMTPMail: connection, greeting, envelope, data and QUIT, with every
// wait bounded and the message queue pumped while waiting.
#include <algorithm>

#include "win32/kernel.h"
#include "zylmailauth.h"
#include "zyltiemails.h"

namespace postrel {

namespace {

// Data lines are gathered up to this size before a write when no pause is asked between lines.
constexpr size_t kOutputFlushSize = 64 * 1024;

std::vector<std::string> SplitRecipients(const std::string& sendTo) {
    std::vector<std::string> recipients;
    std::string all = vcl::Trim(sendTo);
    size_t start = 0;
    for (;;) {
        size_t comma = all.find(',', start);
        recipients.push_back(vcl::Trim(std::string_view(all).substr(start, comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return recipients;
}

bool BreaksLine(std::string_view value) {
    return value.find_first_of(std::string_view("\r\n\0", 3)) != value.npos;
}

}  // namespace

TZylSMTPMail::TZylSMTPMail(vcl::TComponent* owner)
    : TZylMailHost(owner),
      signature_(std::make_unique<vcl::TStringList>()),
      dateTimeFormat_(DefaultDateTimeFormat()) {
    SetPort(DefaultPort());
}

TZylSMTPMail::~TZylSMTPMail() = default;

std::string TZylSMTPMail::DefaultDateTimeFormat() {
    return vcl::FormatSettings.LongDateFormat + ", " + vcl::FormatSettings.LongTimeFormat;
}

void TZylSMTPMail::SetLineDelay(Integer value) {
    if (value < 0) throw vcl::ERangeError("LineDelay must not be negative");
    lineDelay_ = value;
}

// ---------------------------------------------------------------------------------------------
// Run

bool TZylSMTPMail::Execute() {
    if (busy_) return TZylMailHost::Execute();
    runFailed_ = false;
    // A refused login or protection fails the run; other refusals go to OnError only.
    return RunConnection([this] {
               Connect();
               // Protection or login failed: reported already, nothing may be sent.
               if (runFailed_) return;
               std::vector<int> ids;
               for (int i = 0; i < Messages()->Count(); ++i)
                   ids.push_back(Messages()->Items(i)->ID());
               for (int id : ids)
                   if (auto* message = static_cast<TZylMessage*>(Messages()->FindItemID(id)))
                       SendMessage(message);
               Disconnect();
           }) &&
           !runFailed_;
}

void TZylSMTPMail::ConnectionError(vcl::TObject* sender, Integer errorCode) {
    // Errors of the connection itself: the reply code of an earlier command says nothing here.
    replyCode_.clear();
    replyText_ = vcl::SocketErrorText(errorCode);
    socketError_ = errorCode;
    RaiseErrorAndExit(sender);
}

// ---------------------------------------------------------------------------------------------
// Dialogue

void TZylSMTPMail::Connect() {
    Integer port = vcl::StrToInt(Port());
    CreateConnection(OnConnect, OnDisconnect);
    if (socket_->Active()) socket_->Close();
    socket_->SetPort(port);
    socket_->SetHost(Host());
    errorFlag_ = false;
    replyCode_.clear();
    replyText_.clear();
    socketError_ = 0;
    reader_.Clear();
    output_.clear();
    capabilities_ = {};
    socket_->Open();
    stream_ = std::make_unique<vcl::TWinSocketStream>(socket_->Socket(), kStreamTimeOut);
    if (errorFlag_ || !connected_) return;
    if (Security() == msImplicitTLS) {
        std::string reason;
        if (!StartTls(timeouts_.Greeting, reason)) return Refuse(reason);
    }
    // Anything but a ready greeting is a refusal (a "421" or "554" server says so at once).
    if (!Expect(timeouts_.Greeting, {"220"})) {
        errorFlag_ = true;
        RaiseErrorAndExit(this);
        return;
    }
    if (Security() != msNone || authMethod_ != samNone) {
        if (!Secure()) return;
    } else {
        Command("HELO " + socket_->Socket()->LocalHost() + "\r\n");
        if (!Expect(timeouts_.Helo, {"250"})) {
            errorFlag_ = true;
            RaiseErrorAndExit(this);
            return;
        }
    }
    abort_ = false;
}

bool TZylSMTPMail::Ehlo() {
    Command("EHLO " + socket_->Socket()->LocalHost() + "\r\n");
    if (!Expect(timeouts_.Helo, {"250"})) {
        runFailed_ = true;
        RaiseErrorAndExit(this);
        return false;
    }
    capabilities_ = ParseEhloCapabilities(lastReply_);
    return true;
}

bool TZylSMTPMail::Secure() {
    if (!Ehlo()) return false;
    if (Security() == msStartTLS) {
        if (!capabilities_.StartTls) {
            Refuse("The server does not offer STARTTLS");
            return false;
        }
        Command("STARTTLS\r\n");
        if (!Expect(timeouts_.Helo, {"220"})) {
            runFailed_ = true;
            RaiseErrorAndExit(this);
            return false;
        }
        // Whatever came with the reply was sent in clear text and may be forged (RFC 3207 section 6).
        if (reader_.Pending() > 0) {
            Refuse("The server sent data ahead of the TLS handshake");
            return false;
        }
        std::string reason;
        if (!StartTls(timeouts_.Helo, reason)) {
            Refuse(reason);
            return false;
        }
        // What the server offered before TLS counts no more.
        if (!Ehlo()) return false;
    }
    return authMethod_ == samNone || Authenticate();
}

bool TZylSMTPMail::Authenticate() {
    if (BreaksLine(username_) || BreaksLine(password_)) {
        Refuse("\"Username\" and \"Password\" must not hold line breaks or NUL characters");
        return false;
    }
    std::string mechanism;
    switch (authMethod_) {
        case samAutomatic:
            for (const char* preferred : {"CRAM-MD5", "PLAIN", "LOGIN"})
                if (capabilities_.Offers(preferred)) {
                    mechanism = preferred;
                    break;
                }
            break;
        case samPlain:
            mechanism = "PLAIN";
            break;
        case samLogin:
            mechanism = "LOGIN";
            break;
        case samCramMD5:
            mechanism = "CRAM-MD5";
            break;
        case samNone:
            return true;
    }
    if (mechanism.empty() || !capabilities_.Offers(mechanism)) {
        Refuse(mechanism.empty() ? std::string("The server offers no login method")
                                 : "The server does not offer the login method " + mechanism);
        return false;
    }
    // Each step: the command, and the reply that lets the next one go.
    auto step = [this](const std::string& line, std::string_view accepted) {
        Command(line + "\r\n");
        if (Expect(timeouts_.Helo, {accepted})) return true;
        runFailed_ = true;
        RaiseErrorAndExit(this);
        return false;
    };
    if (mechanism == "PLAIN") return step("AUTH PLAIN " + SaslPlainResponse(username_, password_), "235");
    if (mechanism == "LOGIN") {
        return step("AUTH LOGIN", "334") && step(SaslBase64(username_), "334") &&
               step(SaslBase64(password_), "235");
    }
    if (!step("AUTH CRAM-MD5", "334")) return false;
    const std::string answer =
        CramMd5Response(username_, password_, std::string_view(lastReplyLine_).substr(4));
    if (answer.empty()) {
        Command("*\r\n");  // cancels the exchange
        Refuse("The server's CRAM-MD5 challenge is not base64");
        return false;
    }
    return step(answer, "235");
}

void TZylSMTPMail::Refuse(const std::string& reason) {
    replyCode_.clear();
    replyText_ = reason;
    socketError_ = vcl::WSAECONNABORTED;
    runFailed_ = true;
    RaiseErrorAndExit(this);
}

void TZylSMTPMail::Disconnect() {
    if (!connected_) return;
    if (!abort_) {
        Command("QUIT\r\n");
        ReadReply(timeouts_.Quit);
        if (replyCode_ != "221") {
            errorFlag_ = true;
            Fire(OnError, this, ReplyError(), replyText_);
        }
    }
    output_.clear();
    connected_ = false;
    if (socket_) socket_->Close();
}

bool TZylSMTPMail::SendMessage(TZylMessage* message) {
    if (!connected_) throw EZylMailError("Not Connected");
    if (!message) throw EZylMailError("No message to send");
    if (message->FromMail().empty()) throw EZylMailError("\"FromMail\" is not specified");
    if (message->SendTo().empty() && message->CarbonCopy().empty() && message->BlindCopy().empty())
        throw EZylMailError("\"SendTo\" is not specified");
    message->SetDate(vcl::FormatDateTime(dateTimeFormat_, vcl::Now()));
    ValidateMessage(*message);
    std::string fromMail = message->FromMail();
    std::vector<std::string> recipients;
    for (const std::string* list : {&message->SendTo(), &message->CarbonCopy(), &message->BlindCopy()})
        if (!list->empty())
            for (std::string& recipient : SplitRecipients(*list))
                recipients.push_back(std::move(recipient));
    if (recipients.size() > static_cast<size_t>(kMaxRecipients))
        throw EZylMailError(vcl::Format("\"SendTo\" names %d addresses; at most %d are sent in one message",
                                        {static_cast<Integer>(recipients.size()), kMaxRecipients}));

    std::unique_ptr<vcl::TStringList> lines = InitializeMessage(message);
    // From here on the message may be gone: handlers run, and only copies are used.
    message = nullptr;
    if (abort_ || !lines) return false;
    Fire(OnBeforeSend, this);

    Command("MAIL FROM:<" + fromMail + ">\r\n");
    if (!Expect(timeouts_.MailFrom, {"250"})) {
        RaiseErrorAndExit(this);
        return false;
    }
    for (const std::string& recipient : recipients) {
        Command("RCPT TO:<" + recipient + ">\r\n");
        if (!Expect(timeouts_.RcptTo, {"250", "251"})) {
            RaiseErrorAndExit(this);
            return false;
        }
    }
    Command("DATA\r\n");
    if (!Expect(timeouts_.DataStart, {"354"})) {
        RaiseErrorAndExit(this);
        return false;
    }
    if (!SendDataLines(*lines)) return false;
    output_ += "\r\n.\r\n";
    ReadReply(timeouts_.DataEnd);
    if (lastSendPercent_ < 100) Fire(OnSendProgress, this, Word{100});
    if (replyCode_ != "250") {
        RaiseErrorAndExit(this);
        return false;
    }
    Fire(OnSuccessSend, this);
    Fire(OnAfterSend, this);
    return true;
}

bool TZylSMTPMail::SendDataLines(const vcl::TStringList& lines) {
    const uint64_t count = static_cast<uint64_t>(lines.Count());
    uint64_t nextStep = ProgressStep();
    lastSendPercent_ = 0;
    for (uint64_t i = 0; i < count; ++i) {
        const std::string line = lines.Strings(static_cast<int>(i));
        output_ += line;
        output_ += "\r\n";
        if (lineDelay_ > 0 || output_.size() >= kOutputFlushSize) FlushOutput();
        Word percent = PercentOf(i, count);
        lastSendPercent_ = percent;
        if (percent >= nextStep) {
            Fire(OnSendProgress, this, percent);
            nextStep += ProgressStep();
        }
        Pump();
        if (abort_) return false;
        if (lineDelay_ > 0) win32::Sleep(static_cast<win32::DWORD>(lineDelay_));
    }
    return true;
}

void TZylSMTPMail::SendSocketText(std::string_view text) {
    output_.append(text);
    FlushOutput();
}

void TZylSMTPMail::GetSocketText(std::string& text) {
    ReadReply(timeouts_.MailFrom);
    text = lastReplyLine_;
}

void TZylSMTPMail::Command(std::string_view text) {
    output_.append(text);
    FlushOutput();
}

void TZylSMTPMail::FlushOutput() {
    size_t done = 0;
    Integer stalled = 0;
    while (done < output_.size()) {
        if (!stream_ || !socket_ || socket_->Socket()->SocketHandle() < 0) {
            output_.clear();
            ConnectionError(vcl::WSAENOTCONN, "send");
        }
        vcl::Int64 written =
            stream_->Write(output_.data() + done, static_cast<vcl::Int64>(output_.size() - done));
        if (written > 0) {
            done += static_cast<size_t>(written);
            stalled = 0;
            continue;
        }
        // A server that takes nothing for the whole limit of a data block has stalled.
        stalled += std::max<Integer>(stream_->TimeOut(), 1);
        Pump();
        if (stalled >= timeouts_.DataBlock) {
            output_.clear();
            ConnectionError(vcl::WSAETIMEDOUT, "send");
        }
    }
    output_.clear();
}

bool TZylSMTPMail::Expect(Integer timeoutMs, std::initializer_list<std::string_view> accepted) {
    ReadReply(timeoutMs);
    return std::find(accepted.begin(), accepted.end(), replyCode_) != accepted.end();
}

void TZylSMTPMail::ReadReply(Integer timeoutMs) {
    FlushOutput();
    TZylReply reply;
    Integer waited = 0;
    char buffer[1024];
    for (;;) {
        TZylReplyReader::TStatus status = reader_.Next(reply);
        if (status == TZylReplyReader::TStatus::Complete) break;
        if (status == TZylReplyReader::TStatus::TooLong) {
            reader_.Clear();
            ConnectionError(vcl::WSAEMSGSIZE, "recv");
        }
        if (!stream_ || !socket_ || socket_->Socket()->SocketHandle() < 0)
            ConnectionError(vcl::WSAENOTCONN, "recv");
        // The waits are counted, not the clock, so that a manual clock cannot hold a run forever.
        Integer slice = std::max<Integer>(1, std::min(waitSlice_, timeoutMs - waited));
        if (!stream_->WaitForData(slice)) {
            waited += slice;
            Pump();
            if (waited >= timeoutMs) ConnectionError(vcl::WSAETIMEDOUT, "recv");
            continue;
        }
        vcl::Int64 count = stream_->Read(buffer, sizeof buffer);
        if (count > 0)
            reader_.Feed(buffer, static_cast<size_t>(count));
        else if (stream_->PeerClosed())
            ConnectionError(vcl::WSAECONNRESET, "recv");
    }
    replyCode_ = reply.code;
    replyText_ = reply.text;
    lastReplyLine_ = reply.lines.back();
    lastReply_ = std::move(reply.lines);
    Pump();
}

// ---------------------------------------------------------------------------------------------
// Errors

Integer TZylSMTPMail::ReplyError() const {
    Integer code = 0;
    if (replyCode_.size() == 3 && vcl::TryStrToInt(replyCode_, code) && code >= 0) return code;
    return socketError_;
}

void TZylSMTPMail::RaiseErrorAndExit(vcl::TObject* sender) {
    errorFlag_ = true;
    abort_ = true;
    Disconnect();
    Fire(OnError, sender, ReplyError(), replyText_);
}

void TZylSMTPMail::ConnectionError(Integer code, const char* api) {
    if (socket_) socket_->Socket()->Error(vcl::eeReceive, code, api);
    throw vcl::ESocketError(
        vcl::Format("Windows socket error: %s (%d), on API '%s'", {vcl::SocketErrorText(code), code, api}),
        code);
}

void TZylSMTPMail::ValidateMessage(const TZylMessage& message) const {
    struct Field {
        const char* name;
        const std::string& value;
    };
    const Field fields[] = {{"FromMail", message.FromMail()},   {"SendTo", message.SendTo()},
                            {"Subject", message.Subject()},     {"FromName", message.FromName()},
                            {"ReplyTo", message.ReplyTo()},     {"InReplyTo", message.InReplyTo()},
                            {"Date", message.Date()},           {"CarbonCopy", message.CarbonCopy()},
                            {"BlindCopy", message.BlindCopy()}, {"ReceiptTo", message.ReceiptTo()}};
    for (const Field& field : fields)
        if (BreaksLine(field.value))
            throw EZylMailError(
                vcl::Format("\"%s\" must not hold line breaks or NUL characters", {field.name}));
    for (int i = 0; i < message.Attachments()->Count(); ++i)
        if (BreaksLine(message.Attachments()->GeTZylAttachment(i)->FileName()))
            throw EZylMailError(vcl::Format(
                "The file name of attachment %d must not hold line breaks or NUL characters", {i}));
}

}  // namespace postrel
