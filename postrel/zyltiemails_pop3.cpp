// The POP3 dialogue of TZylPOPMail (RFC 1939): greeting, USER and PASS, STAT, RETR with progress,
// DELE, TOP and QUIT, with every wait bounded and the message queue pumped while waiting.
#include <algorithm>

#include "zylmailauth.h"
#include "zylmimedecode.h"
#include "zyltiemails.h"

namespace postrel {

namespace {

constexpr size_t kReadSize = 64 * 1024;
// A refused message is passed over up to this far beyond what the server announced for it.
constexpr uint64_t kSkipSlack = 1024 * 1024;

bool BreaksCommand(std::string_view value) {
    return value.find_first_of(std::string_view("\r\n\0", 3)) != value.npos;
}

// The number before the first blank of a reply text; false when it does not start with digits.
bool LeadingNumber(std::string_view text, uint64_t& number) {
    size_t digits = 0;
    number = 0;
    while (digits < text.size() && digits < 19 && text[digits] >= '0' && text[digits] <= '9')
        number = number * 10 + static_cast<uint64_t>(text[digits++] - '0');
    return digits > 0 && (digits == text.size() || text[digits] == ' ');
}

}  // namespace

VCL_DEFINE_CLASS(TZylPOPMail, TZylMailHost)

TZylPOPMail::TZylPOPMail(vcl::TComponent* owner)
    : TZylMailHost(owner), deleted_(std::make_unique<vcl::TStringList>()) {
    SetPort(DefaultPort());
}

TZylPOPMail::~TZylPOPMail() = default;

void TZylPOPMail::SetMaxMessageSize(Integer value) {
    if (value < 1) throw vcl::ERangeError("MaxMessageSize must be at least 1");
    maxMessageSize_ = value;
}

// ---------------------------------------------------------------------------------------------
// Run

bool TZylPOPMail::Execute() {
    if (busy_) return TZylMailHost::Execute();
    errorReported_ = false;
    // A run that a handler ended by freeing the component gives false before the flag is read.
    return RunConnection([this] {
               TRun* run = run_;
               Connect();
               if (Login()) {
                   Init();
                   RetrieveAllMessages();
               } else {
                   ShowMailMessage(this, "Unable to connect");
                   if (!run->alive) return;
               }
               Disconnect();
           }) &&
           !errorReported_;
}

void TZylPOPMail::ConnectionError(vcl::TObject* sender, Integer errorCode) {
    status_.clear();
    replyText_ = vcl::SocketErrorText(errorCode);
    RaiseErrorAndExit(sender, errorCode);
}

// ---------------------------------------------------------------------------------------------
// Dialogue

void TZylPOPMail::Connect() {
    messageCount_ = 0;
    Integer port = vcl::StrToInt(Port());
    CreateConnection(OnConnect, OnDisconnect);
    if (socket_->Active()) socket_->Close();
    socket_->SetPort(port);
    socket_->SetHost(Host());
    errorFlag_ = false;
    status_.clear();
    replyText_.clear();
    reader_.Clear();
    socket_->Open();
    deleted_->Clear();
    if (!connected_) return;
    stream_ = std::make_unique<vcl::TWinSocketStream>(socket_->Socket(), kStreamTimeOut);
    if (Security() == msImplicitTLS) {
        std::string reason;
        if (!StartTls(timeout_, reason)) return Refuse(vcl::WSAECONNABORTED, reason);
    }
    bool ready = ReadStatus();
    greeting_ = replyText_;
    sessionState_ = TZylMailSessionState::Authorization;
    if (!ready) RaiseError(kPOPErrorGreeting);
}

bool TZylPOPMail::UpgradeToTls() {
    Command("STLS\r\n");
    if (!ReadStatus()) {
        Refuse(kPOPErrorLogin, "The server does not offer STLS: " + replyText_);
        return false;
    }
    // Whatever came with the reply was sent in clear text and may be forged.
    if (reader_.Pending() > 0) {
        Refuse(vcl::WSAECONNABORTED, "The server sent data ahead of the TLS handshake");
        return false;
    }
    std::string reason;
    if (!StartTls(timeout_, reason)) {
        Refuse(vcl::WSAECONNABORTED, reason);
        return false;
    }
    return true;
}

void TZylPOPMail::Refuse(Integer code, const std::string& reason) {
    status_.clear();
    replyText_ = reason;
    RaiseErrorAndExit(this, code);
}

bool TZylPOPMail::Login() {
    if (!connected_) throw EZylMailError("Invalid Operation. User not connected");
    if (BreaksCommand(username_) || BreaksCommand(password_))
        throw EZylMailError("\"Username\" and \"Password\" must not hold line breaks or NUL characters");
    if (Security() == msStartTLS && !socket_->Socket()->TlsActive() && !UpgradeToTls()) return false;
    // Each step: the command, and a positive status that lets the next one go.
    auto step = [this](const std::string& command) {
        Command(command + "\r\n");
        if (ReadStatus()) return true;
        RaiseError(kPOPErrorLogin);
        return false;
    };
    switch (authMethod_) {
        case pamUserPass:
            if (!step("USER " + username_) || !step("PASS " + password_)) return false;
            break;
        case pamAPOP: {
            const std::string stamp = ApopStamp(greeting_);
            if (stamp.empty()) {
                Refuse(kPOPErrorLogin, "The server's greeting offers no APOP");
                return false;
            }
            if (!step("APOP " + username_ + " " + ApopDigest(stamp, password_))) return false;
            break;
        }
        case pamSaslPlain:
            if (!step("AUTH PLAIN " + SaslPlainResponse(username_, password_))) return false;
            break;
    }
    sessionState_ = TZylMailSessionState::Transaction;
    return true;
}

Integer TZylPOPMail::Init() {
    Command("STAT\r\n");
    uint64_t count = 0;
    if (!ReadStatus() || !LeadingNumber(replyText_, count)) {
        RaiseError(kPOPErrorStat);
        return 0;
    }
    // Message numbers travel as 16-bit values in the events.
    messageCount_ = static_cast<Integer>(std::min<uint64_t>(count, 0xFFFF));
    return messageCount_;
}

Integer TZylPOPMail::RetrieveAllMessages() {
    const Integer count = messageCount_;
    Integer fetched = 0;
    for (Integer index = 1; index <= count; ++index) {
        if (deleted_->IndexOf(std::to_string(index)) >= 0) continue;
        // Only a message that arrived whole and was understood is ever deleted.
        if (!RetrieveMessage(index)) continue;
        if (deleteOfServer_) DeleteMessage(index);
        ++fetched;
    }
    return fetched;
}

TZylMessage* TZylPOPMail::RetrieveMessage(Integer index) {
    if (!connected_) throw EZylMailError("Not Connected");
    Fire(BeforeRetrieve, this, static_cast<Word>(index));
    Command("RETR " + std::to_string(index) + "\r\n");
    received_ = 0;
    if (!ReadStatus()) {
        RaiseError(kPOPErrorRetrieve);
        return nullptr;
    }
    uint64_t expected = 0;
    if (!LeadingNumber(replyText_, expected) || expected == 0) expected = 100;
    std::string text;
    bool whole = expected <= static_cast<uint64_t>(maxMessageSize_) && ReadBody(text, expected, true);
    if (!whole) {
        text = std::string();
        SkipBody(expected);
        ReportRefusal(kPOPErrorTooLarge, vcl::Format("Message %d is larger than the limit of %d bytes",
                                                     {index, maxMessageSize_}));
        return nullptr;
    }
    try {
        return ParseMessage(text);
    } catch (const EZylMessageFormatError& e) {
        // A message that cannot be read stays on the server; the run goes on with the next one.
        ReportRefusal(kPOPErrorFormat, vcl::Format("Message %d: %s", {index, e.what()}));
        return nullptr;
    }
}

bool TZylPOPMail::ReadBody(std::string& text, uint64_t expectedSize, bool withProgress) {
    lastRetrievePercent_ = 0;
    uint64_t nextStep = ProgressStep();
    for (;;) {
        auto status = reader_.NextBody(text, static_cast<size_t>(maxMessageSize_));
        if (status == TZylPOP3Reader::TStatus::Complete) break;
        if (status == TZylPOP3Reader::TStatus::TooLong) return false;
        ReceiveChunk();
        Pump();
        if (!withProgress) continue;
        // The status line counts too, so a server's announced size is passed before the end.
        Word percent = ClampedPercent(received_, expectedSize);
        lastRetrievePercent_ = percent;
        if (percent >= nextStep) {
            Fire(OnRetrieveProgress, this, percent);
            while (nextStep <= percent)
                nextStep += ProgressStep();
        }
    }
    if (withProgress && lastRetrievePercent_ < 100) Fire(OnRetrieveProgress, this, Word{100});
    return true;
}

void TZylPOPMail::SkipBody(uint64_t expectedSize) {
    // Bounded, so that an answer without end ends as a connection error.
    const uint64_t limit =
        std::max<uint64_t>(static_cast<uint64_t>(maxMessageSize_), expectedSize) + kSkipSlack;
    for (;;) {
        auto status = reader_.SkipBody(static_cast<size_t>(limit));
        if (status == TZylPOP3Reader::TStatus::Complete) return;
        if (status == TZylPOP3Reader::TStatus::TooLong) {
            reader_.Clear();
            ConnectionError(vcl::WSAEMSGSIZE, "recv");
        }
        ReceiveChunk();
    }
}

void TZylPOPMail::DeleteMessage(Integer index) {
    if (!connected_) throw EZylMailError("Not Connected");
    Pump();
    Command("DELE " + std::to_string(index) + "\r\n");
    if (!ReadStatus()) {
        RaiseError(kPOPErrorDelete);
        return;
    }
    deleted_->Add(std::to_string(index));
    if (messageCount_ > 0) --messageCount_;
    Fire(OnDelete, this, static_cast<Word>(index));
}

bool TZylPOPMail::RetrieveHeaders(Integer index, std::string& headers) {
    if (!connected_) throw EZylMailError("Not Connected");
    headers.clear();
    Command("TOP " + std::to_string(index) + " 0\r\n");
    if (!ReadStatus()) {
        RaiseError(kPOPErrorTop);
        return false;
    }
    if (ReadBody(headers, 100, false)) return true;
    headers.clear();
    SkipBody(0);
    ReportRefusal(kPOPErrorTooLarge,
                  vcl::Format("The headers of message %d are larger than the limit of %d bytes",
                              {index, maxMessageSize_}));
    return false;
}

void TZylPOPMail::Disconnect() {
    if (!connected_) return;
    Command("QUIT\r\n");
    if (!ReadStatus()) {
        RaiseError(kPOPErrorQuit);
        return;
    }
    stream_.reset();
    connected_ = false;
    if (socket_) socket_->Close();
}

// ---------------------------------------------------------------------------------------------
// Reading and writing

void TZylPOPMail::Command(std::string_view text) {
    size_t done = 0;
    Integer stalled = 0;
    while (done < text.size()) {
        if (!stream_ || !socket_ || socket_->Socket()->SocketHandle() < 0)
            ConnectionError(vcl::WSAENOTCONN, "send");
        vcl::Int64 written = stream_->Write(text.data() + done, static_cast<vcl::Int64>(text.size() - done));
        if (written > 0) {
            done += static_cast<size_t>(written);
            stalled = 0;
            continue;
        }
        stalled += std::max<Integer>(stream_->TimeOut(), 1);
        Pump();
        if (stalled >= timeout_) ConnectionError(vcl::WSAETIMEDOUT, "send");
    }
}

bool TZylPOPMail::ReadStatus() {
    std::string line;
    for (;;) {
        auto status = reader_.NextLine(line);
        if (status == TZylPOP3Reader::TStatus::Complete) break;
        if (status == TZylPOP3Reader::TStatus::TooLong) {
            reader_.Clear();
            ConnectionError(vcl::WSAEMSGSIZE, "recv");
        }
        ReceiveChunk();
    }
    size_t blank = line.find(' ');
    status_ = vcl::Trim(std::string_view(line).substr(0, blank));
    replyText_ =
        blank == std::string::npos ? std::string() : vcl::Trim(std::string_view(line).substr(blank + 1));
    // Anything but a positive status is a refusal, also a line that is no POP3 status at all.
    errorFlag_ = status_ != "+OK";
    Pump();
    return !errorFlag_;
}

size_t TZylPOPMail::ReceiveChunk() {
    char buffer[kReadSize];
    // The waits are counted, not the clock, so that a manual clock cannot hold a run forever.
    Integer waited = 0;
    for (;;) {
        if (!stream_ || !socket_ || socket_->Socket()->SocketHandle() < 0)
            ConnectionError(vcl::WSAENOTCONN, "recv");
        Integer slice = std::max<Integer>(1, std::min(waitSlice_, timeout_ - waited));
        if (!stream_->WaitForData(slice)) {
            waited += slice;
            Pump();
            if (waited >= timeout_) ConnectionError(vcl::WSAETIMEDOUT, "recv");
            continue;
        }
        vcl::Int64 count = stream_->Read(buffer, sizeof buffer);
        if (count <= 0) {
            if (stream_->PeerClosed()) ConnectionError(vcl::WSAECONNRESET, "recv");
            // Under TLS a record may carry no data (a session ticket): wait on.
            waited += slice;
            if (waited >= timeout_) ConnectionError(vcl::WSAETIMEDOUT, "recv");
            continue;
        }
        reader_.Feed(buffer, static_cast<size_t>(count));
        received_ += static_cast<uint64_t>(count);
        return static_cast<size_t>(count);
    }
}

// ---------------------------------------------------------------------------------------------
// Errors

void TZylPOPMail::RaiseErrorAndExit(vcl::TObject* sender, Integer code) {
    errorFlag_ = true;
    errorReported_ = true;
    stream_.reset();
    connected_ = false;
    if (socket_) socket_->Close();
    Fire(OnError, sender, code, replyText_);
}

void TZylPOPMail::ReportRefusal(Integer code, const std::string& text) {
    errorReported_ = true;
    Fire(OnError, this, code, text);
}

void TZylPOPMail::ConnectionError(Integer code, const char* api) {
    if (socket_) socket_->Socket()->Error(vcl::eeReceive, code, api);
    throw vcl::ESocketError(
        vcl::Format("Windows socket error: %s (%d), on API '%s'", {vcl::SocketErrorText(code), code, api}),
        code);
}

// ---------------------------------------------------------------------------------------------
// Search helpers

bool TZylPOPMail::FindInHeaders(std::string_view key, const vcl::TStrings& list, int& index) {
    for (int i = 0; i < list.Count(); ++i)
        if (vcl::UpperCase(list.Strings(i)).starts_with(key)) {
            index = i;
            return true;
        }
    return false;
}

bool TZylPOPMail::FindInStringList(std::string_view key, const vcl::TStrings& list, int& position,
                                   int& index) {
    for (int i = 0; i < list.Count(); ++i) {
        size_t found = vcl::UpperCase(list.Strings(i)).find(key);
        if (found != std::string::npos) {
            position = static_cast<int>(found);
            index = i;
            return true;
        }
    }
    return false;
}

bool TZylPOPMail::FindInStringListCS(std::string_view key, const vcl::TStrings& list, int& position,
                                     int& index) {
    for (int i = 0; i < list.Count(); ++i) {
        size_t found = list.Strings(i).find(key);
        if (found != std::string::npos) {
            position = static_cast<int>(found);
            index = i;
            return true;
        }
    }
    return false;
}

bool TZylPOPMail::GetUUAttachments(const vcl::TStrings& list, int& index, std::string& fileName) {
    for (int i = 0; i < list.Count(); ++i)
        if (IsUUBeginLine(list.Strings(i), &fileName)) {
            index = i;
            return true;
        }
    return false;
}

}  // namespace postrel
