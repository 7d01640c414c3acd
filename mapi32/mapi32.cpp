// libmapi32: the project's Simple MAPI provider. Programs reach it through the mail package's
// binding (or any loader of the ten entry points).
//
// Profiles live in the registry under HKEY_CURRENT_USER\Software\Microsoft\Windows Messaging
// Subsystem\Profiles: the key's "DefaultProfile" names the default, and each profile is a subkey
// with the values
//   FromAddress, FromName       the sender
//   SmtpHost, SmtpPort          the SMTP server (port "25" when missing)
//   Security                    "starttls" or "implicit" (else none)
//   UserName, Password          the SMTP login (automatic method) when UserName is set
//   TrustedCertificates         a PEM file trusted besides the system's store
//   SendmailCommand             instead of SMTP: a program and its arguments (split at blanks,
//                               run without a shell) that reads the message on its input
//   LogonPassword               when set, MAPILogon must be given it
// and a subkey "Addresses" whose values map display names to addresses (the address book).
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "postrel/zyltiemails.h"
#include "vcl/forms.h"
#include "vcl/registry.h"
#include "vcl/stdctrls.h"
#include "vcl/sysutils.h"
#include "win32/files.h"
#include "win32/mapi.h"

extern char** environ;

using namespace win32;

namespace {

constexpr const char* kProfiles = "Software\\Microsoft\\Windows Messaging Subsystem\\Profiles";

struct Profile {
    std::string fromAddress, fromName;
    std::string smtpHost, smtpPort = "25", security, userName, password, trusted;
    std::string sendmail;
    std::string logonPassword;
    std::vector<std::pair<std::string, std::string>> addresses;  // display name, address
};

// The profile of that name, or the default one for an empty name.
std::optional<Profile> LoadProfile(std::string name) {
    try {
        vcl::TRegistry registry;
        registry.SetRootKey(HKEY_CURRENT_USER);
        if (name.empty()) {
            if (!registry.OpenKeyReadOnly(kProfiles)) return std::nullopt;
            name = registry.ReadString("DefaultProfile");
            registry.CloseKey();
            if (name.empty()) return std::nullopt;
        }
        if (name.find('\\') != std::string::npos ||
            !registry.OpenKeyReadOnly(std::string(kProfiles) + "\\" + name))
            return std::nullopt;
        Profile profile;
        profile.fromAddress = registry.ReadString("FromAddress");
        profile.fromName = registry.ReadString("FromName");
        profile.smtpHost = registry.ReadString("SmtpHost");
        if (registry.ValueExists("SmtpPort")) profile.smtpPort = registry.ReadString("SmtpPort");
        profile.security = vcl::LowerCase(registry.ReadString("Security"));
        profile.userName = registry.ReadString("UserName");
        profile.password = registry.ReadString("Password");
        profile.trusted = registry.ReadString("TrustedCertificates");
        profile.sendmail = registry.ReadString("SendmailCommand");
        profile.logonPassword = registry.ReadString("LogonPassword");
        registry.CloseKey();
        if (registry.OpenKeyReadOnly(std::string(kProfiles) + "\\" + name + "\\Addresses")) {
            vcl::TStringList names;
            registry.GetValueNames(&names);
            for (int i = 0; i < names.Count(); ++i)
                profile.addresses.emplace_back(names.Strings(i), registry.ReadString(names.Strings(i)));
        }
        return profile;
    } catch (const std::exception&) {
        return std::nullopt;  // a value of another type: the profile cannot be used
    }
}

struct State {
    std::mutex mutex;
    std::map<LHANDLE, Profile> sessions;
    LHANDLE next = 1;
    std::set<void*> blocks;
};

// An object, not a leaked pointer: unloading the provider frees what its sessions hold.
State& Provider() {
    static State state;
    return state;
}

// The session's profile, or for session 0 the default one.
std::optional<Profile> SessionProfile(LHANDLE session, ULONG& error) {
    if (session == 0) {
        auto profile = LoadProfile("");
        error = profile ? SUCCESS_SUCCESS : MAPI_E_LOGON_FAILURE;
        return profile;
    }
    auto& state = Provider();
    std::lock_guard lock(state.mutex);
    auto found = state.sessions.find(session);
    error = found == state.sessions.end() ? MAPI_E_INVALID_SESSION : SUCCESS_SUCCESS;
    if (found == state.sessions.end()) return std::nullopt;
    return found->second;
}

// "SMTP:ann@example.com", "[SMTP:ann@example.com]" and "ann@example.com" are addresses as they
// stand.
std::optional<std::string> LiteralAddress(const std::string& text) {
    std::string address = text;
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']')
        address = address.substr(1, address.size() - 2);
    if (vcl::LowerCase(address.substr(0, 5)) == "smtp:") address = address.substr(5);
    if (address.find('@') == std::string::npos || address.find_first_of(" <>,[]\"") != std::string::npos)
        return std::nullopt;
    return address;
}

struct Resolved {
    ULONG result = MAPI_E_UNKNOWN_RECIPIENT;
    std::string name, address;
};

// A name: an address, else one entry of the address book whose name is it (regardless of case)
// or, failing that, begins with it.
Resolved Resolve(const Profile& profile, const std::string& text) {
    if (auto address = LiteralAddress(text)) return {SUCCESS_SUCCESS, *address, "SMTP:" + *address};
    const std::string wanted = vcl::LowerCase(text);
    std::vector<const std::pair<std::string, std::string>*> exact, partial;
    for (const auto& entry : profile.addresses) {
        const std::string name = vcl::LowerCase(entry.first);
        if (name == wanted) exact.push_back(&entry);
        if (!wanted.empty() && name.rfind(wanted, 0) == 0) partial.push_back(&entry);
    }
    const auto& found = exact.empty() ? partial : exact;
    if (found.empty()) return {};
    if (found.size() > 1) return {MAPI_E_AMBIGUOUS_RECIPIENT, {}, {}};
    const auto address = LiteralAddress(found[0]->second);
    if (!address) return {};
    return {SUCCESS_SUCCESS, found[0]->first, "SMTP:" + *address};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Runs the program with the message on its input; true when it ended with status 0.
bool RunSendmail(const std::string& command, const vcl::TStringList& lines) {
    std::vector<std::string> words;
    std::istringstream split(command);
    for (std::string word; split >> word;)
        words.push_back(word);
    if (words.empty()) return false;
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int channel[2];
    if (pipe(channel) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, channel[0], 0);
    posix_spawn_file_actions_addclose(&actions, channel[1]);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(channel[0]);
    bool written = spawned == 0;
    for (int i = 0; written && i < lines.Count(); ++i) {
        std::string line = lines.Strings(i);
        // The lines were made for SMTP's DATA: a doubled leading dot goes back to one.
        if (line.size() >= 2 && line[0] == '.' && line[1] == '.') line.erase(0, 1);
        line += '\n';
        written = write(channel[1], line.data(), line.size()) == static_cast<ssize_t>(line.size());
    }
    close(channel[1]);
    if (spawned != 0) return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return written && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The compose form MAPI_DIALOG shows: the recipients, subject and text for the user to finish.
// False when the user cancelled.
bool ComposeDialog(postrel::TZylMessage& message) {
    using namespace vcl;
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetName("MapiComposeForm");
    form->SetCaption("New Message");
    form->SetBorderStyle(bsDialog);
    form->SetPosition(poScreenCenter);
    form->SetClientWidth(420);
    form->SetClientHeight(300);
    auto field = [&](const char* name, const char* caption, int top, const std::string& text) {
        auto* label = new TLabel(form.get());
        label->SetParent(form.get());
        label->SetCaption(caption);
        label->SetBounds(10, top + 3, 60, 16);
        auto* edit = new TEdit(form.get());
        edit->SetName(name);
        edit->SetParent(form.get());
        edit->SetBounds(76, top, 334, 21);
        edit->SetText(text);
        return edit;
    };
    TEdit* to = field("ToEdit", "&To:", 10, message.SendTo());
    TEdit* cc = field("CcEdit", "&Cc:", 36, message.CarbonCopy());
    TEdit* subject = field("SubjectEdit", "&Subject:", 62, message.Subject());
    auto* text = new TMemo(form.get());
    text->SetName("TextMemo");
    text->SetParent(form.get());
    text->SetBounds(10, 90, 400, 164);
    text->Lines()->Assign(message.Message());
    auto button = [&](const char* name, const char* caption, int left, TModalResult result) {
        auto* pressed = new TButton(form.get());
        pressed->SetName(name);
        pressed->SetParent(form.get());
        pressed->SetCaption(caption);
        pressed->SetBounds(left, 264, 75, 25);
        pressed->SetModalResult(result);
        return pressed;
    };
    button("SendButton", "&Send", 254, mrOk)->SetDefault(true);
    button("CancelButton", "Cancel", 335, mrCancel)->SetCancel(true);
    if (form->ShowModal() != mrOk) return false;
    message.SetSendTo(to->Text());
    message.SetCarbonCopy(cc->Text());
    message.SetSubject(subject->Text());
    message.Message()->Assign(text->Lines());
    return true;
}

ULONG Deliver(const Profile& profile, MapiMessage& record, FLAGS flags) {
    using namespace postrel;
    vcl::TComponentPtr<TZylSMTPMail> mail(new TZylSMTPMail(nullptr));
    TZylMessage* message = mail->Messages()->Add();
    // Recipients: the address given, else the name resolved in the profile's address book.
    std::string lists[3];
    for (ULONG i = 0; i < record.nRecipCount; ++i) {
        const MapiRecipDesc& recipient = record.lpRecips[i];
        if (recipient.ulRecipClass == MAPI_ORIG) continue;
        if (recipient.ulRecipClass > MAPI_BCC) return MAPI_E_BAD_RECIPTYPE;
        std::optional<std::string> address;
        if (recipient.lpszAddress && *recipient.lpszAddress) {
            address = LiteralAddress(recipient.lpszAddress);
            if (!address) return MAPI_E_BAD_RECIPTYPE;  // a fax or another kind this provider cannot reach
        } else {
            const Resolved resolved = Resolve(profile, recipient.lpszName ? recipient.lpszName : "");
            if (resolved.result != SUCCESS_SUCCESS) return resolved.result;
            address = LiteralAddress(resolved.address);
        }
        std::string& list = lists[recipient.ulRecipClass - 1];
        list += (list.empty() ? "" : ", ") + *address;
    }
    message->SetSendTo(lists[0]);
    message->SetCarbonCopy(lists[1]);
    message->SetBlindCopy(lists[2]);
    message->SetSubject(record.lpszSubject ? record.lpszSubject : "");
    std::string note = record.lpszNoteText ? record.lpszNoteText : "";
    // One blank per attachment and a CR mark where attachments go: they go after the text here.
    if (note.size() > record.nFileCount && note.find_first_not_of(' ') == record.nFileCount &&
        note[record.nFileCount] == '\r' &&
        (note.size() == record.nFileCount + 1 || note[record.nFileCount + 1] != '\n'))
        note.erase(0, record.nFileCount + 1);
    for (const auto& line : Lines(note))
        message->Message()->Add(line);
    const MapiRecipDesc* origin = record.lpOriginator;
    message->SetFromMail(origin && origin->lpszAddress
                             ? LiteralAddress(origin->lpszAddress).value_or(profile.fromAddress)
                             : profile.fromAddress);
    message->SetFromName(origin && origin->lpszName ? origin->lpszName : profile.fromName);
    if (record.flFlags & MAPI_RECEIPT_REQUESTED) message->SetReceiptTo(message->FromMail());
    for (ULONG i = 0; i < record.nFileCount; ++i) {
        const MapiFileDesc& file = record.lpFiles[i];
        // A native path, or a drive path as the platform's file dialogs give them.
        const std::string path = file.lpszPathName ? file.lpszPathName : "";
        const std::string native = path.size() > 1 && path[1] == ':' ? win32::NativePath(path) : path;
        struct stat facts {};
        if (native.empty() || stat(native.c_str(), &facts) != 0 || !S_ISREG(facts.st_mode))
            return MAPI_E_ATTACHMENT_NOT_FOUND;
        TZylAttachment* attachment = message->Attachments()->Add(native);
        if (file.lpszFileName && *file.lpszFileName) attachment->SetFileName(file.lpszFileName);
    }
    if ((flags & MAPI_DIALOG) && !ComposeDialog(*message)) return MAPI_USER_ABORT;
    if (message->SendTo().empty() && message->CarbonCopy().empty() && message->BlindCopy().empty())
        return MAPI_E_INVALID_RECIPS;
    if (message->FromMail().empty()) return MAPI_E_FAILURE;  // the profile names no sender

    if (!profile.sendmail.empty()) {
        message->SetDate(vcl::FormatDateTime(TZylSMTPMail::DefaultDateTimeFormat(), vcl::Now()));
        std::unique_ptr<vcl::TStringList> lines = mail->InitializeMessage(message);
        return lines && RunSendmail(profile.sendmail, *lines) ? SUCCESS_SUCCESS : MAPI_E_FAILURE;
    }
    if (profile.smtpHost.empty()) return MAPI_E_FAILURE;
    mail->SetHost(profile.smtpHost);
    mail->SetPort(profile.smtpPort);
    mail->SetLineDelay(0);
    mail->SetSecurity(profile.security == "starttls"   ? msStartTLS
                      : profile.security == "implicit" ? msImplicitTLS
                                                       : msNone);
    mail->SetTrustedCertificates(profile.trusted);
    if (!profile.userName.empty()) {
        mail->SetAuthMethod(samAutomatic);
        mail->SetUsername(profile.userName);
        mail->SetPassword(profile.password);
    }
    Integer refusal = 0;
    mail->OnError = [&refusal](vcl::TObject*, Integer error, const std::string&) { refusal = error; };
    bool accepted = false;
    mail->OnSuccessSend = [&accepted](vcl::TObject*) { accepted = true; };
    const bool ran = mail->Execute();
    if (accepted && ran) return SUCCESS_SUCCESS;
    return refusal >= 10000 || !ran ? MAPI_E_NETWORK_FAILURE : MAPI_E_FAILURE;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) ULONG MAPILogon(ULONG_PTR, char* profileName, char* password, FLAGS,
                                                       ULONG, LHANDLE* session) {
    if (!session) return MAPI_E_FAILURE;
    *session = 0;
    auto profile = LoadProfile(profileName ? profileName : "");
    if (!profile) return MAPI_E_LOGON_FAILURE;
    if (!profile->logonPassword.empty() && profile->logonPassword != (password ? password : ""))
        return MAPI_E_LOGON_FAILURE;
    auto& state = Provider();
    std::lock_guard lock(state.mutex);
    *session = state.next++;
    state.sessions[*session] = std::move(*profile);
    return SUCCESS_SUCCESS;
}

__attribute__((visibility("default"))) ULONG MAPILogoff(LHANDLE session, ULONG_PTR, FLAGS, ULONG) {
    auto& state = Provider();
    std::lock_guard lock(state.mutex);
    return state.sessions.erase(session) ? SUCCESS_SUCCESS : MAPI_E_INVALID_SESSION;
}

__attribute__((visibility("default"))) ULONG MAPIResolveName(LHANDLE session, ULONG_PTR, char* name, FLAGS,
                                                             ULONG, MapiRecipDesc** recipient) {
    if (!recipient) return MAPI_E_FAILURE;
    *recipient = nullptr;
    ULONG error = SUCCESS_SUCCESS;
    auto profile = SessionProfile(session, error);
    if (!profile) return error;
    const Resolved resolved = Resolve(*profile, name ? name : "");
    if (resolved.result != SUCCESS_SUCCESS) return resolved.result;
    // One block: the record, then its two strings; MAPIFreeBuffer frees it.
    const size_t size = sizeof(MapiRecipDesc) + resolved.name.size() + resolved.address.size() + 2;
    auto* block = static_cast<char*>(std::calloc(1, size));
    if (!block) return MAPI_E_INSUFFICIENT_MEMORY;
    auto* record = reinterpret_cast<MapiRecipDesc*>(block);
    record->ulRecipClass = MAPI_TO;
    record->lpszName = block + sizeof(MapiRecipDesc);
    std::memcpy(record->lpszName, resolved.name.c_str(), resolved.name.size() + 1);
    record->lpszAddress = record->lpszName + resolved.name.size() + 1;
    std::memcpy(record->lpszAddress, resolved.address.c_str(), resolved.address.size() + 1);
    auto& state = Provider();
    std::lock_guard lock(state.mutex);
    state.blocks.insert(block);
    *recipient = record;
    return SUCCESS_SUCCESS;
}

__attribute__((visibility("default"))) ULONG MAPIFreeBuffer(void* block) {
    auto& state = Provider();
    std::lock_guard lock(state.mutex);
    if (!state.blocks.erase(block)) return MAPI_E_FAILURE;
    std::free(block);
    return SUCCESS_SUCCESS;
}

__attribute__((visibility("default"))) ULONG MAPISendMail(LHANDLE session, ULONG_PTR, MapiMessage* message,
                                                          FLAGS flags, ULONG) {
    if (!message) return MAPI_E_INVALID_MESSAGE;
    ULONG error = SUCCESS_SUCCESS;
    auto profile = SessionProfile(session, error);
    if (!profile) return error;
    try {
        return Deliver(*profile, *message, flags);
    } catch (const std::exception&) {
        return MAPI_E_FAILURE;
    }
}

__attribute__((visibility("default"))) ULONG MAPIFindNext(LHANDLE, ULONG_PTR, char*, char*, FLAGS, ULONG,
                                                          char*) {
    return MAPI_E_NO_MESSAGES;
}

__attribute__((visibility("default"))) ULONG MAPIReadMail(LHANDLE, ULONG_PTR, char*, FLAGS, ULONG,
                                                          MapiMessage**) {
    return MAPI_E_INVALID_MESSAGE;
}

__attribute__((visibility("default"))) ULONG MAPIDeleteMail(LHANDLE, ULONG_PTR, char*, FLAGS, ULONG) {
    return MAPI_E_INVALID_MESSAGE;
}

__attribute__((visibility("default"))) ULONG MAPIAddress(LHANDLE, ULONG_PTR, char*, ULONG, char*, ULONG,
                                                         MapiRecipDesc*, FLAGS, ULONG, ULONG*,
                                                         MapiRecipDesc**) {
    return MAPI_E_NOT_SUPPORTED;
}

__attribute__((visibility("default"))) ULONG MAPISaveMail(LHANDLE, ULONG_PTR, MapiMessage*, FLAGS, ULONG,
                                                          char*) {
    return MAPI_E_NOT_SUPPORTED;
}

}  // extern "C"
