// The Simple MAPI provider the mail package's tests load: it answers as the test scripts it and
// records what it was handed (see support/mapi_recorder.h). Built once whole and once without
// MAPISaveMail, to stand for a provider that lacks an entry point.
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "support/mapi_recorder.h"

using namespace win32;

namespace {

zyltest::MapiRecorder& Recorder() {
    static zyltest::MapiRecorder recorder;
    return recorder;
}

std::set<void*>& Blocks() {
    static std::set<void*> blocks;
    return blocks;
}

std::string Text(const char* text) {
    return text ? std::string(text) : std::string("(none)");
}

}  // namespace

extern "C" {

zyltest::MapiRecorder* ZylMapiRecorder() {
    return &Recorder();
}

ULONG MAPILogon(ULONG_PTR, char* profile, char* password, FLAGS flags, ULONG, LHANDLE* session) {
    auto& recorder = Recorder();
    recorder.calls.push_back("Logon " + Text(profile) + "|" + Text(password) + "|" + std::to_string(flags));
    ULONG result = SUCCESS_SUCCESS;
    if (!recorder.logonResults.empty()) {
        result = recorder.logonResults.front();
        recorder.logonResults.erase(recorder.logonResults.begin());
    }
    *session = result == SUCCESS_SUCCESS ? recorder.nextSession++ : 0;
    return result;
}

ULONG MAPILogoff(LHANDLE session, ULONG_PTR, FLAGS, ULONG) {
    Recorder().calls.push_back("Logoff " + std::to_string(session));
    return Recorder().logoffResult;
}

ULONG MAPIResolveName(LHANDLE, ULONG_PTR, char* name, FLAGS flags, ULONG, MapiRecipDesc** recipient) {
    auto& recorder = Recorder();
    const std::string asked = Text(name);
    recorder.calls.push_back("Resolve " + asked + "|" + std::to_string(flags));
    *recipient = nullptr;
    const auto& book = (flags & MAPI_DIALOG) ? recorder.dialogNames : recorder.names;
    const auto found = book.find(asked);
    if (found == book.end()) return MAPI_E_UNKNOWN_RECIPIENT;
    if (found->second.result != SUCCESS_SUCCESS) return found->second.result;
    // One block: the record, then its two strings.
    const std::string& display = found->second.name;
    const std::string& address = found->second.address;
    auto* block =
        static_cast<char*>(std::calloc(1, sizeof(MapiRecipDesc) + display.size() + address.size() + 2));
    auto* record = reinterpret_cast<MapiRecipDesc*>(block);
    record->ulRecipClass = MAPI_TO;
    record->lpszName = block + sizeof(MapiRecipDesc);
    std::memcpy(record->lpszName, display.c_str(), display.size() + 1);
    record->lpszAddress = record->lpszName + display.size() + 1;
    std::memcpy(record->lpszAddress, address.c_str(), address.size() + 1);
    Blocks().insert(block);
    ++recorder.buffersOut;
    *recipient = record;
    return SUCCESS_SUCCESS;
}

ULONG MAPIFreeBuffer(void* block) {
    auto& recorder = Recorder();
    if (!Blocks().erase(block)) {
        ++recorder.badFrees;
        return MAPI_E_FAILURE;
    }
    std::free(block);
    --recorder.buffersOut;
    ++recorder.buffersFreed;
    return SUCCESS_SUCCESS;
}

ULONG MAPISendMail(LHANDLE session, ULONG_PTR, MapiMessage* message, FLAGS flags, ULONG) {
    auto& recorder = Recorder();
    zyltest::MapiRecorder::Sent sent;
    sent.session = session;
    sent.flags = flags;
    sent.messageFlags = message->flFlags;
    sent.subject = Text(message->lpszSubject);
    sent.note = Text(message->lpszNoteText);
    for (ULONG i = 0; i < message->nRecipCount; ++i)
        sent.recipients.push_back({message->lpRecips[i].ulRecipClass, Text(message->lpRecips[i].lpszName),
                                   Text(message->lpRecips[i].lpszAddress)});
    for (ULONG i = 0; i < message->nFileCount; ++i)
        sent.files.push_back(Text(message->lpFiles[i].lpszPathName) + "|" +
                             Text(message->lpFiles[i].lpszFileName));
    recorder.calls.push_back("Send " + sent.subject);
    recorder.sent.push_back(sent);
    for (ULONG i = 0; i < message->nFileCount; ++i) {
        struct stat facts {};
        if (!message->lpFiles[i].lpszPathName || stat(message->lpFiles[i].lpszPathName, &facts) != 0)
            return MAPI_E_ATTACHMENT_NOT_FOUND;
    }
    return recorder.sendResult ? recorder.sendResult(sent) : SUCCESS_SUCCESS;
}

ULONG MAPIFindNext(LHANDLE, ULONG_PTR, char*, char*, FLAGS, ULONG, char*) {
    return MAPI_E_NOT_SUPPORTED;
}
ULONG MAPIReadMail(LHANDLE, ULONG_PTR, char*, FLAGS, ULONG, MapiMessage**) {
    return MAPI_E_NOT_SUPPORTED;
}
ULONG MAPIDeleteMail(LHANDLE, ULONG_PTR, char*, FLAGS, ULONG) {
    return MAPI_E_NOT_SUPPORTED;
}
ULONG MAPIAddress(LHANDLE, ULONG_PTR, char*, ULONG, char*, ULONG, MapiRecipDesc*, FLAGS, ULONG, ULONG*,
                  MapiRecipDesc**) {
    return MAPI_E_NOT_SUPPORTED;
}
#ifndef ZYL_RECORDER_WITHOUT_SAVEMAIL
ULONG MAPISaveMail(LHANDLE, ULONG_PTR, MapiMessage*, FLAGS, ULONG, char*) {
    return MAPI_E_NOT_SUPPORTED;
}
#endif

}  // extern "C"
