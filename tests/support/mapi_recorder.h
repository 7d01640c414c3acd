// A Simple MAPI provider for tests (tests/programs/mapi_recorder.cpp): it answers as the test
// scripts it and records every call and every message handed to it. The test reaches its state
// through the library's ZylMapiRecorder().
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "win32/mapi.h"

namespace zyltest {

struct MapiRecorder {
    struct Resolution {
        win32::ULONG result = win32::SUCCESS_SUCCESS;
        std::string name;
        std::string address;
    };
    struct Recipient {
        win32::ULONG recipientClass = 0;
        std::string name;
        std::string address;  // "(none)" when none was given
    };
    struct Sent {
        win32::LHANDLE session = 0;
        win32::FLAGS flags = 0;
        win32::FLAGS messageFlags = 0;
        std::string subject;
        std::string note;
        std::vector<Recipient> recipients;
        std::vector<std::string> files;  // "path|name"
    };

    // The script.
    std::vector<win32::ULONG> logonResults;  // taken in turn; success once they run out
    win32::ULONG logoffResult = win32::SUCCESS_SUCCESS;
    // Answers of MAPIResolveName by the name asked for, without and with MAPI_DIALOG; a name
    // missing from the map is unknown.
    std::map<std::string, Resolution> names;
    std::map<std::string, Resolution> dialogNames;
    // The result of MAPISendMail when the attachments exist; null: success.
    std::function<win32::ULONG(const Sent&)> sendResult;

    // The record.
    std::vector<std::string> calls;  // "Logon profile|password|flags", "Resolve name|flags", ...
    std::vector<Sent> sent;
    int buffersOut = 0;    // allocated by MAPIResolveName and not yet freed
    int buffersFreed = 0;  // freed through MAPIFreeBuffer
    int badFrees = 0;      // MAPIFreeBuffer of a block it never handed out
    win32::LHANDLE nextSession = 100;

    void Reset() { *this = MapiRecorder(); }
};

}  // namespace zyltest

// The recorder library's state.
using ZylMapiRecorderFunction = zyltest::MapiRecorder* (*)();
