// Simple MAPI: the binding to a provider library, TZylMapiMail with its messages and attachments,
// and TZylQuickMail.
#include "zylmapi.h"

#include <dlfcn.h>

#include <cstdlib>
#include <deque>
#include <mutex>

#include "vcl/fileutils.h"
#include "vcl/registry.h"
#include "win32/profile.h"
#include "win32/registry.h"
#include "win32/sysinfo.h"

namespace postrel {

using namespace win32;

// ---------------------------------------------------------------------------------------------
// The binding

namespace zylmapi {

constexpr const char* kDefaultLibrary = "libmapi32.so";

struct BindingState {
    std::mutex mutex;
    bool bound = false;
    TZylMapiBinding binding;
    void* library = nullptr;
    std::string configured;
};

BindingState& Binding() {
    static auto* state = new BindingState;
    return *state;
}

// The registry's word on whether a messaging system is set up on this machine.
bool MessagingConfigured() {
    OSVERSIONINFO version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionEx(&version);
    if (version.dwMajorVersion > 3 || (version.dwMajorVersion == 3 && version.dwMinorVersion > 51)) {
        try {
            vcl::TRegistry registry;
            registry.SetRootKey(HKEY_LOCAL_MACHINE);
            if (!registry.OpenKeyReadOnly("SOFTWARE\\Microsoft\\Windows Messaging Subsystem")) return false;
            return registry.ReadString("MAPI") == "1";
        } catch (const vcl::Exception&) {
            return false;  // a value of another type
        }
    }
    return GetProfileInt("Mail", "MAPI", 0) != 0;
}

// The folder this package was loaded from.
std::string PackageFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&MapiBinding), &info) || !info.dli_fname) return {};
    std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void* OpenLibrary(const std::string& configured, std::string& path) {
    std::vector<std::string> candidates;
    if (!configured.empty()) {
        candidates.push_back(configured);
    } else if (const char* fromEnvironment = std::getenv("ZYL_MAPI_LIBRARY");
               fromEnvironment && *fromEnvironment) {
        candidates.push_back(fromEnvironment);
    } else {
        candidates.push_back(kDefaultLibrary);
        if (const std::string folder = PackageFolder(); !folder.empty())
            candidates.push_back(folder + kDefaultLibrary);
    }
    for (const auto& candidate : candidates)
        if (void* library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            path = candidate;
            return library;
        }
    return nullptr;
}

template <typename Entry>
bool Find(void* library, const char* name, Entry& entry) {
    entry = reinterpret_cast<Entry>(dlsym(library, name));
    return entry != nullptr;
}

void Bind(BindingState& state) {
    state.binding = {};
    if (!MessagingConfigured()) return;
    std::string path;
    void* library = OpenLibrary(state.configured, path);
    if (!library) return;
    TZylMapiBinding& b = state.binding;
    // Every entry point is looked up, so that none is left unset by a short cut.
    bool all = true;
    all &= Find(library, "MAPIFindNext", b.FindNext);
    all &= Find(library, "MAPILogoff", b.Logoff);
    all &= Find(library, "MAPILogon", b.Logon);
    all &= Find(library, "MAPISendMail", b.SendMail);
    all &= Find(library, "MAPIReadMail", b.ReadMail);
    all &= Find(library, "MAPIDeleteMail", b.DeleteMail);
    all &= Find(library, "MAPIResolveName", b.ResolveName);
    all &= Find(library, "MAPIFreeBuffer", b.FreeBuffer);
    all &= Find(library, "MAPIAddress", b.Address);
    all &= Find(library, "MAPISaveMail", b.SaveMail);
    if (!all) {
        dlclose(library);
        b = {};
        b.missingEntryPoint = true;
        return;
    }
    state.library = library;
    b.libraryPath = path;
    b.available = true;
}

}  // namespace zylmapi

const TZylMapiBinding& MapiBinding() {
    auto& state = zylmapi::Binding();
    std::lock_guard lock(state.mutex);
    if (!state.bound) {
        zylmapi::Bind(state);
        state.bound = true;
    }
    return state.binding;
}

void SetMapiLibrary(const std::string& nameOrPath) {
    auto& state = zylmapi::Binding();
    std::lock_guard lock(state.mutex);
    state.configured = nameOrPath;
}

void ResetMapiBinding() {
    auto& state = zylmapi::Binding();
    std::lock_guard lock(state.mutex);
    if (state.library) dlclose(state.library);
    state.library = nullptr;
    state.binding = {};
    state.bound = false;
}

// ---------------------------------------------------------------------------------------------
// Messages

VCL_DEFINE_CLASS(TZylMapiAttachment, vcl::TCollectionItem)

void TZylMapiAttachment::Assign(const vcl::TPersistent* source) {
    if (auto* other = dynamic_cast<const TZylMapiAttachment*>(source)) {
        filename_ = other->filename_;
        return;
    }
    TCollectionItem::Assign(source);
}

VCL_DEFINE_CLASS(TZylMapiAttachments, vcl::TOwnedCollection)

TZylMapiAttachments::TZylMapiAttachments(TZylMapiMessage* owner)
    : TOwnedCollection(owner, TZylMapiAttachment::StaticClass()) {
    SetPropName("Attachments");
}

TZylMapiAttachment* TZylMapiAttachments::Add(const std::string& filename) {
    auto* attachment = static_cast<TZylMapiAttachment*>(TCollection::Add());
    attachment->SetFilename(filename);
    return attachment;
}

TZylMapiAttachment* TZylMapiAttachments::GeTZylMapiAttachment(int index) const {
    return static_cast<TZylMapiAttachment*>(Items(index));
}

void TZylMapiAttachments::SeTZylMapiAttachment(int index, TZylMapiAttachment* value) {
    Items(index)->Assign(value);
}

VCL_DEFINE_CLASS(TZylMapiMessage, vcl::TCollectionItem)

TZylMapiMessage::TZylMapiMessage(vcl::TCollection* collection)
    : TCollectionItem(collection),
      message_(std::make_unique<vcl::TStringList>()),
      to_(std::make_unique<vcl::TStringList>()),
      cc_(std::make_unique<vcl::TStringList>()),
      bc_(std::make_unique<vcl::TStringList>()),
      attachments_(std::make_unique<TZylMapiAttachments>(this)) {
    if (collection) mail_ = dynamic_cast<TZylMapiMail*>(collection->GetOwner());
}

TZylMapiMessage::~TZylMapiMessage() = default;

void TZylMapiMessage::Assign(const vcl::TPersistent* source) {
    if (auto* other = dynamic_cast<const TZylMapiMessage*>(source)) {
        subject_ = other->subject_;
        message_->Assign(other->message_.get());
        to_->Assign(other->to_.get());
        cc_->Assign(other->cc_.get());
        bc_->Assign(other->bc_.get());
        attachments_->Assign(other->attachments_.get());
        receipt_ = other->receipt_;
        dialog_ = other->dialog_;
        sendMethod_ = other->sendMethod_;
        faxNumber_ = other->faxNumber_;
        faxTo_ = other->faxTo_;
        return;
    }
    TCollectionItem::Assign(source);
}

VCL_DEFINE_CLASS(TZylMapiMessages, vcl::TOwnedCollection)

TZylMapiMessages::TZylMapiMessages(TZylMapiMail* owner)
    : TOwnedCollection(owner, TZylMapiMessage::StaticClass()) {
    SetPropName("Messages");
}

TZylMapiMessage* TZylMapiMessages::Add() {
    return static_cast<TZylMapiMessage*>(TCollection::Add());
}

bool TZylMapiMessages::Delete(int index) {
    try {
        TZylMapiMessage* message = GetZylMapiMessage(index);
        if (auto* mail = dynamic_cast<TZylMapiMail*>(GetOwner()); mail && mail->OnDeleteMail) {
            const int id = message->ID();
            TZylMapiSend handler = mail->OnDeleteMail;
            handler(this, message);
            // The handler may have removed the message itself.
            message = static_cast<TZylMapiMessage*>(FindItemID(id));
            if (!message) return true;
        }
        TCollection::Delete(message->Index());
        return true;
    } catch (const std::exception& e) {
        HandleException(this, e);
        return false;
    }
}

TZylMapiMessage* TZylMapiMessages::GetZylMapiMessage(int index) const {
    return static_cast<TZylMapiMessage*>(Items(index));
}

void TZylMapiMessages::SetZylMapiMessage(int index, TZylMapiMessage* value) {
    Items(index)->Assign(value);
}

// ---------------------------------------------------------------------------------------------
// TZylMapiMail

VCL_DEFINE_CLASS(TZylMapiMail, TZylMailsComponent)

TZylMapiMail::TZylMapiMail(vcl::TComponent* owner)
    : TZylMailsComponent(owner),
      messages_(std::make_unique<TZylMapiMessages>(this)),
      signature_(std::make_unique<vcl::TStringList>()) {}

TZylMapiMail::~TZylMapiMail() {
    if (!session_) return;
    const TZylMapiBinding& binding = MapiBinding();
    if (binding.available) binding.Logoff(session_, 0, 0, 0);
}

bool TZylMapiMail::GetMAPIAvail() const {
    return MapiBinding().available;
}

bool TZylMapiMail::CheckMAPI() {
    const TZylMapiBinding& binding = MapiBinding();
    if (binding.available) return true;
    if (ComponentState().Contains(vcl::csDesigning)) {
        if (binding.missingEntryPoint)
            throw TZylExceptdllerror("GetProcAddress for MAPI DLL function(s) failed");
        throw TZylExceptunavailable("MAPI services are not available on this system");
    }
    if (OnMapiNotAvailable) OnMapiNotAvailable(this);
    return false;
}

Integer TZylMapiMail::Logon() {
    if (!CheckMAPI()) return static_cast<Integer>(MAPI_E_FAILURE);
    if (BeforeLogon) BeforeLogon(this);
    if (session_) return 0;
    if (defaultProfile_) {
        vcl::TRegistry registry;
        registry.SetRootKey(HKEY_CURRENT_USER);
        const std::string modern =
            "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
        const std::string key = registry.KeyExists(modern)
                                    ? modern
                                    : "Software\\Microsoft\\Windows Messaging Subsystem\\Profiles";
        if (registry.OpenKeyReadOnly(key)) {
            try {
                profile_ = registry.ReadString("DefaultProfile");
            } catch (const vcl::Exception&) {
                profile_.clear();
            }
        }
    } else {
        logonFlags_ |= MAPI_LOGON_UI;
    }
    if (newSession_) logonFlags_ |= MAPI_NEW_SESSION;
    const TZylMapiBinding& binding = MapiBinding();
    std::string profile = profile_, password = password_;
    LHANDLE session = 0;
    ULONG result = binding.Logon(0, profile.data(), password.data(), logonFlags_, 0, &session);
    if (result != SUCCESS_SUCCESS) {
        // Once more with the messaging system's own logon dialog.
        session = 0;
        result = binding.Logon(0, nullptr, nullptr, logonFlags_ | MAPI_LOGON_UI, 0, &session);
    }
    session_ = result == SUCCESS_SUCCESS ? session : 0;
    if (result != SUCCESS_SUCCESS) {
        if (OnLogonFailure) OnLogonFailure(this, static_cast<Integer>(result));
    } else if (OnLogonSuccess) {
        OnLogonSuccess(this);
    }
    return static_cast<Integer>(result);
}

Integer TZylMapiMail::Logoff() {
    if (!CheckMAPI()) return static_cast<Integer>(MAPI_E_FAILURE);
    if (BeforeLogoff) BeforeLogoff(this);
    if (!session_) return 0;
    const ULONG result = MapiBinding().Logoff(session_, 0, 0, 0);
    session_ = 0;
    if (result != SUCCESS_SUCCESS) {
        if (OnLogoffFailure) OnLogoffFailure(this, static_cast<Integer>(result));
    } else if (OnLogoffSuccess) {
        OnLogoffSuccess(this);
    }
    return static_cast<Integer>(result);
}

bool TZylMapiMail::Execute() {
    bool result = false;
    if (Logon() == 0) {
        if (BeforeSendAll) BeforeSendAll(this);
        SendMapi();
        if (AfterSendAll) AfterSendAll(this);
        Logoff();
        result = true;
    }
    if (AfterExecute) AfterExecute(this);
    return result;
}

namespace zylmapi {

// What a message hands the provider: the records and the text they point into, and the
// provider's own resolutions, freed once the send is over.
struct Outgoing {
    std::deque<std::string> text;
    std::vector<MapiRecipDesc> recipients;
    std::vector<MapiFileDesc> files;
    std::vector<MapiRecipDesc*> resolved;
    const TZylMapiBinding* binding = nullptr;

    ~Outgoing() {
        for (MapiRecipDesc* resolution : resolved)
            binding->FreeBuffer(resolution);
    }
    char* Keep(std::string value) { return text.emplace_back(std::move(value)).data(); }
};

// Resolves each recipient line (To, then CC, then BCC) through the provider; only resolved
// recipients enter the table, in order and without gaps.
void AddRecipients(Outgoing& out, LHANDLE session, const TZylMapiMessage& message) {
    struct Line {
        std::string text;
        ULONG recipientClass;
    };
    std::vector<Line> lines;
    for (auto [list, recipientClass] :
         {std::pair{message.RecipientsTo(), MAPI_TO}, std::pair{message.RecipientsCC(), MAPI_CC},
          std::pair{message.RecipientsBC(), MAPI_BCC}})
        for (int i = 0; i < list->Count(); ++i)
            lines.push_back({list->Strings(i), recipientClass});
    for (const Line& line : lines) {
        if (line.text.empty()) continue;
        std::string name = line.text.substr(0, 255);
        MapiRecipDesc* resolution = nullptr;
        ULONG result = out.binding->ResolveName(session, 0, name.data(), 0, 0, &resolution);
        if (result == MAPI_E_AMBIGUOUS_RECIPIENT || result == MAPI_E_UNKNOWN_RECIPIENT) {
            // The user picks the recipient in the messaging system's dialog.
            if (resolution) out.binding->FreeBuffer(resolution);
            resolution = nullptr;
            name = line.text.substr(0, 255);
            result = out.binding->ResolveName(session, 0, name.data(), MAPI_DIALOG, 0, &resolution);
        }
        if (result != SUCCESS_SUCCESS || !resolution) {
            if (resolution) out.binding->FreeBuffer(resolution);
            continue;
        }
        out.resolved.push_back(resolution);
        MapiRecipDesc entry{};
        entry.ulRecipClass = line.recipientClass;
        const std::string display = resolution->lpszName ? resolution->lpszName : "";
        const bool literal = line.text.find('[') != std::string::npos &&
                             line.text.find(']') != std::string::npos &&
                             display.find('[') == std::string::npos && display.find(']') == std::string::npos;
        if (literal) {
            // "[SMTP:ann@example.com]" goes as written, without its brackets.
            std::string bare = line.text;
            bare.erase(bare.find(']'), 1);
            bare.erase(bare.find('['), 1);
            entry.lpszName = out.Keep(bare);
            entry.lpszAddress = out.Keep(bare);
        } else {
            entry.lpszName = out.Keep(display);
            if (resolution->lpszAddress) entry.lpszAddress = out.Keep(resolution->lpszAddress);
        }
        out.recipients.push_back(entry);
    }
}

}  // namespace zylmapi

ULONG TZylMapiMail::SendOne(TZylMapiMessage& message) {
    const int recipientLines =
        message.RecipientsTo()->Count() + message.RecipientsCC()->Count() + message.RecipientsBC()->Count();
    if (recipientLines > kMaxRecipients) return MAPI_E_TOO_MANY_RECIPIENTS;
    const int attachmentCount = message.Attachments()->Count();
    if (attachmentCount > kMaxAttachments) return MAPI_E_TOO_MANY_FILES;

    zylmapi::Outgoing out;
    out.binding = &MapiBinding();
    // One blank per attachment marks where the provider may place it, then the text.
    std::string note(static_cast<size_t>(attachmentCount), ' ');
    note += '\r';
    for (const vcl::TStringList* lines : {message.Message(), signature_.get()})
        for (int i = 0; i < lines->Count(); ++i)
            note += lines->Strings(i) + "\r\n";
    MapiMessage record{};
    record.lpszSubject = out.Keep(message.Subject());
    record.lpszNoteText = out.Keep(note);
    FLAGS flags = 0;
    if (message.SendMethod() == ccMail) {
        if (recipientLines == 0) {
            flags = MAPI_DIALOG;  // the user names the recipients
        } else {
            flags = message.Dialog() ? MAPI_DIALOG : 0;
            zylmapi::AddRecipients(out, session_, message);
        }
        // A missing file is the provider's to report (MAPI_E_ATTACHMENT_NOT_FOUND) for this message.
        for (int i = 0; i < attachmentCount; ++i) {
            const std::string& path = message.Attachments()->GeTZylMapiAttachment(i)->Filename();
            MapiFileDesc file{};
            file.nPosition = 0xFFFFFFFF;
            file.lpszPathName = out.Keep(path);
            file.lpszFileName = out.Keep(vcl::ExtractFileName(path));
            out.files.push_back(file);
        }
    } else {
        // A fax needs its number: without one there is nobody to send it to.
        if (message.FaxNumber().empty()) return MAPI_E_INVALID_RECIPS;
        MapiRecipDesc fax{};
        fax.ulRecipClass = MAPI_TO;
        fax.lpszName = out.Keep(message.FaxTo());
        fax.lpszAddress = out.Keep("Fax:" + message.FaxNumber());
        out.recipients.push_back(fax);
    }
    if (message.Receipt()) record.flFlags |= MAPI_RECEIPT_REQUESTED;
    record.nRecipCount = static_cast<ULONG>(out.recipients.size());
    record.lpRecips = out.recipients.empty() ? nullptr : out.recipients.data();
    record.nFileCount = static_cast<ULONG>(out.files.size());
    record.lpFiles = out.files.empty() ? nullptr : out.files.data();
    return out.binding->SendMail(session_, 0, &record, flags, 0);
}

Integer TZylMapiMail::SendMapi() {
    if (!CheckMAPI()) return static_cast<Integer>(MAPI_E_FAILURE);
    ULONG last = SUCCESS_SUCCESS;
    // By identity: handlers may add or remove messages while the run goes on.
    std::vector<int> ids;
    for (int i = 0; i < messages_->Count(); ++i)
        ids.push_back(messages_->GetZylMapiMessage(i)->ID());
    for (int id : ids) {
        try {
            auto* message = static_cast<TZylMapiMessage*>(messages_->FindItemID(id));
            if (!message) continue;
            message->SetSent(false);
            if (BeforeSendMail) BeforeSendMail(this, message);
            message = static_cast<TZylMapiMessage*>(messages_->FindItemID(id));
            if (!message) continue;
            last = SendOne(*message);
            if (last != SUCCESS_SUCCESS) {
                if (OnSendError) OnSendError(this, static_cast<Integer>(last), message);
            } else {
                message->SetSent(true);
                if (AfterSendMail) AfterSendMail(this, message);
            }
        } catch (const std::exception& e) {
            HandleException(this, e);
        }
    }
    if (deleteAfterSend_) RemoveSentMessages();
    return static_cast<Integer>(last);
}

void TZylMapiMail::RemoveSentMessages() {
    int index = 0;
    while (index < messages_->Count()) {
        const int count = messages_->Count();
        if (!messages_->GetZylMapiMessage(index)->Sent() || !messages_->Delete(index) ||
            messages_->Count() == count)
            ++index;
    }
}

// ---------------------------------------------------------------------------------------------
// TZylQuickMail

VCL_DEFINE_CLASS(TZylQuickMail, TZylMailsComponent)

TZylQuickMail::TZylQuickMail(vcl::TComponent* owner)
    : TZylMailsComponent(owner), text_(std::make_unique<vcl::TStringList>()) {}

bool TZylQuickMail::Execute() {
    if (BeforeSend) BeforeSend(this);
    const TZylMapiBinding& binding = MapiBinding();
    if (!binding.available) {
        errorNo_ = std::to_string(MAPI_E_FAILURE);
        if (OnError) OnError(this);
        return false;
    }
    std::deque<std::string> text;
    auto keep = [&text](std::string value) { return text.emplace_back(std::move(value)).data(); };
    MapiRecipDesc recipient{};
    recipient.ulRecipClass = MAPI_TO;
    recipient.lpszName = keep(toName_);
    recipient.lpszAddress = keep((mailOrFax_ == ccMail ? "smtp:" : "Fax:") + toAddress_);
    std::string note;
    for (int i = 0; i < text_->Count(); ++i)
        note += text_->Strings(i) + "\r\n";
    MapiMessage record{};
    record.lpszSubject = keep(subject_);
    record.lpszNoteText = keep(note);
    record.flFlags = MAPI_RECEIPT_REQUESTED;
    record.nRecipCount = 1;
    record.lpRecips = &recipient;
    const ULONG result = binding.SendMail(0, 0, &record, MAPI_LOGON_UI, 0);
    errorNo_ = std::to_string(result);
    if (result != SUCCESS_SUCCESS && OnError) OnError(this);
    return result == SUCCESS_SUCCESS;
}

}  // namespace postrel
