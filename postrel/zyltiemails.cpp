// The message model and the mail host.
#include "zyltiemails.h"

#include "vcl/registry.h"

namespace postrel {

namespace {

constexpr const char* kDefaultMimeType = "application/octet-stream";

bool IsTokenCharacter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("!#$&^_.+-").find(static_cast<char>(c)) != std::string_view::npos;
}

// A registry value is used only when it reads as type/subtype, so that it cannot break a header.
bool IsMimeType(std::string_view value) {
    size_t slash = value.find('/');
    if (slash == 0 || slash == std::string_view::npos || slash + 1 == value.size() || value.size() > 255)
        return false;
    for (size_t i = 0; i < value.size(); ++i)
        if (i != slash && !IsTokenCharacter(static_cast<unsigned char>(value[i]))) return false;
    return true;
}

std::string NamePart(const std::string& path) {
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TZylAttachment

VCL_DEFINE_CLASS(TZylAttachment, vcl::TCollectionItem)

TZylAttachment::TZylAttachment(vcl::TCollection* collection)
    : TCollectionItem(collection), encodedLines_(std::make_unique<vcl::TStringList>()) {
    if (collection) message_ = dynamic_cast<TZylMessage*>(collection->GetOwner());
}

TZylAttachment::~TZylAttachment() = default;

void TZylAttachment::SetEncodedLines(std::unique_ptr<vcl::TStringList> lines) {
    encodedLines_ = lines ? std::move(lines) : std::make_unique<vcl::TStringList>();
}

void TZylAttachment::SaveToFile(const std::string& fileName) {
    if (!stream_) throw EZylMailError("Invalid Operation");
    try {
        // A name without a folder stays in the current folder: "." and ".." name no file there.
        if (fileName.find('/') == std::string::npos &&
            (fileName.empty() || fileName == "." || fileName == ".."))
            throw EZylMailError(vcl::Format("\"%s\" is not a file name", {fileName}));
        stream_->SaveToFile(fileName);
    } catch (const std::exception& e) {
        HandleException(this, e);
    }
}

void TZylAttachment::Assign(const vcl::TPersistent* source) {
    if (auto* other = dynamic_cast<const TZylAttachment*>(source)) {
        fileName_ = other->fileName_;
        pathName_ = other->pathName_;
        mimeType_ = other->mimeType_;
        encodedLines_->Assign(other->encodedLines_.get());
        if (other->stream_) {
            auto copy = std::make_unique<vcl::TMemoryStream>();
            other->stream_->SaveToStream(*copy);
            stream_ = std::move(copy);
        } else {
            stream_.reset();
        }
        return;
    }
    TCollectionItem::Assign(source);
}

// ---------------------------------------------------------------------------------------------
// TZylAttachments

VCL_DEFINE_CLASS(TZylAttachments, vcl::TOwnedCollection)

TZylAttachments::TZylAttachments(TZylMessage* owner)
    : TOwnedCollection(owner, TZylAttachment::StaticClass()) {
    SetPropName("Attachments");
}

TZylAttachment* TZylAttachments::Add(const std::string& path) {
    auto* attachment = static_cast<TZylAttachment*>(TCollection::Add());
    attachment->SetFileName(NamePart(path));
    attachment->SetPathName(path);
    attachment->SetMimeType(GetMimeType(path));
    return attachment;
}

bool TZylAttachments::Delete(int index) {
    try {
        TCollection::Delete(index);
        return true;
    } catch (const std::exception& e) {
        HandleException(this, e);
        return false;
    }
}

std::string TZylAttachments::GetMimeType(const std::string& fileName) {
    std::string name = NamePart(fileName);
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) return kDefaultMimeType;
    std::string extension = name.substr(dot);
    if (extension.find('\0') != std::string::npos) return kDefaultMimeType;
    try {
        vcl::TRegistry registry;
        registry.SetRootKey(win32::HKEY_CLASSES_ROOT);
        if (!registry.OpenKeyReadOnly("\\" + extension)) return kDefaultMimeType;
        std::string value = registry.ReadString("Content Type");
        return IsMimeType(value) ? value : kDefaultMimeType;
    } catch (const vcl::Exception&) {
        // A value of another type or a registry that cannot be read: the documented fallback.
        return kDefaultMimeType;
    }
}

TZylAttachment* TZylAttachments::GeTZylAttachment(int index) const {
    return static_cast<TZylAttachment*>(Items(index));
}

void TZylAttachments::SeTZylAttachment(int index, TZylAttachment* value) {
    Items(index)->Assign(value);
}

// ---------------------------------------------------------------------------------------------
// TZylMessage

VCL_DEFINE_CLASS(TZylMessage, vcl::TCollectionItem)

TZylMessage::TZylMessage(vcl::TCollection* collection)
    : TCollectionItem(collection),
      message_(std::make_unique<vcl::TStringList>()),
      attachments_(std::make_unique<TZylAttachments>(this)) {
    if (collection) host_ = dynamic_cast<TZylMailHost*>(collection->GetOwner());
}

TZylMessage::~TZylMessage() = default;

std::string TZylMessage::DisplayName() const {
    return dynamic_cast<TZylSMTPMail*>(host_) ? "Outgoing Message" : "Incoming Message";
}

void TZylMessage::Assign(const vcl::TPersistent* source) {
    if (auto* other = dynamic_cast<const TZylMessage*>(source)) {
        fromMail_ = other->fromMail_;
        replyTo_ = other->replyTo_;
        sendTo_ = other->sendTo_;
        subject_ = other->subject_;
        fromName_ = other->fromName_;
        message_->Assign(other->message_.get());
        attachments_->Assign(other->attachments_.get());
        messageId_ = other->messageId_;
        inReplyTo_ = other->inReplyTo_;
        date_ = other->date_;
        carbonCopy_ = other->carbonCopy_;
        blindCopy_ = other->blindCopy_;
        receiptTo_ = other->receiptTo_;
        return;
    }
    TCollectionItem::Assign(source);
}

// ---------------------------------------------------------------------------------------------
// TZylMessages

VCL_DEFINE_CLASS(TZylMessages, vcl::TOwnedCollection)

TZylMessages::TZylMessages(TZylMailHost* owner) : TOwnedCollection(owner, TZylMessage::StaticClass()) {
    SetPropName("Messages");
}

TZylMessage* TZylMessages::Add() {
    return static_cast<TZylMessage*>(TCollection::Add());
}

bool TZylMessages::Delete(int index) {
    try {
        TCollection::Delete(index);
        return true;
    } catch (const std::exception& e) {
        HandleException(this, e);
        return false;
    }
}

TZylMessage* TZylMessages::GetZylMessage(int index) const {
    return static_cast<TZylMessage*>(Items(index));
}

void TZylMessages::SetZylMessage(int index, TZylMessage* value) {
    Items(index)->Assign(value);
}

// ---------------------------------------------------------------------------------------------
// TZylMailHost

VCL_DEFINE_CLASS(TZylMailHost, TZylMailsComponent)

TZylMailHost::TZylMailHost(vcl::TComponent* owner)
    : TZylMailsComponent(owner), messages_(std::make_unique<TZylMessages>(this)) {}

TZylMailHost::~TZylMailHost() {
    if (run_) {
        // Freed by a handler during a run: the frames below still use the connection objects,
        // so the run releases them when it unwinds.
        run_->alive = false;
        if (socket_) {
            socket_->OnConnect = nullptr;
            socket_->OnDisconnect = nullptr;
            socket_->OnError = nullptr;
        }
        run_->socket = std::move(socket_);
        run_->stream = std::move(stream_);
        return;
    }
    ReleaseConnection();
}

bool TZylMailHost::RunConnection(const std::function<void()>& dialogue) {
    if (busy_) return TZylMailHost::Execute();
    TRun run;
    run_ = &run;
    busy_ = true;
    bool result = false;
    // Both steps run whatever the other did; each failure is reported and fails the run.
    auto step = [&](const std::function<void()>& body) {
        try {
            body();
        } catch (const TComponentFreed&) {
        } catch (const std::exception& e) {
            HandleException(this, e);
            if (run.alive) result = false;
        }
        return run.alive;
    };
    if (!step([&] {
            result = TZylMailHost::Execute();
            if (run.alive) dialogue();
        }))
        return false;
    if (!step([&] {
            connected_ = false;
            if (socket_) socket_->Close();
        }))
        return false;
    ReleaseConnection();
    busy_ = false;
    run_ = nullptr;
    return result;
}

void TZylMailHost::CreateConnection(vcl::TNotifyEvent& onConnect, vcl::TNotifyEvent& onDisconnect) {
    if (socket_) return;
    socket_.reset(new vcl::TClientSocket(nullptr));
    socket_->SetClientType(vcl::ctBlocking);
    socket_->OnConnect = [this, &onConnect](vcl::TObject* sender, vcl::TCustomWinSocket*) {
        connected_ = true;
        Fire(onConnect, sender);
    };
    socket_->OnDisconnect = [this, &onDisconnect](vcl::TObject* sender, vcl::TCustomWinSocket*) {
        connected_ = false;
        Fire(onDisconnect, sender);
    };
    socket_->OnError = [this](vcl::TObject* sender, vcl::TCustomWinSocket*, vcl::TErrorEvent,
                              Integer& errorCode) { ConnectionError(sender, errorCode); };
}

bool TZylMailHost::StartTls(Integer timeoutMs, std::string& reason) {
    vcl::TTlsOptions options;
    options.ServerName = host_;
    options.TrustedCertificates = trustedCertificates_;
    options.AcceptSelfSigned = acceptSelfSigned_;
    try {
        socket_->Socket()->StartTls(options, timeoutMs);
        return true;
    } catch (const vcl::ETlsError& e) {
        reason = e.Message();
        return false;
    }
}

std::string TZylMailHost::TlsProtocol() const {
    return socket_ ? socket_->Socket()->TlsProtocol() : std::string();
}

void TZylMailHost::ReleaseConnection() {
    stream_.reset();
    if (socket_) {
        socket_->OnConnect = nullptr;
        socket_->OnDisconnect = nullptr;
        socket_->OnError = nullptr;
        socket_.reset();
    }
    connected_ = false;
}

void TZylMailHost::Pump() {
    TRun* run = run_;
    ProcessMessages();
    if (run && !run->alive) throw TComponentFreed{};
}

bool TZylMailHost::Execute() {
    if (OnExecute) OnExecute(this);
    return true;
}

void TZylMailHost::SetProgressStep(TZylPStep value) {
    if (value < 1 || value > 100) throw vcl::ERangeError("Value must be between 1 and 100");
    progressStep_ = value;
}

}  // namespace postrel
