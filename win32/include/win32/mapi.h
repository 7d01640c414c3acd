// Simple MAPI: the records, flags and result codes of the published messaging interface, and the
// types of its ten entry points. A provider is a shared library exporting the entry points by
// these names with C linkage; the mail package loads one at run time.
#pragma once

#include "win32/types.h"

namespace win32 {

using LHANDLE = ULONG_PTR;
using FLAGS = ULONG;

struct MapiFileDesc {
    ULONG ulReserved;
    ULONG flFlags;
    ULONG nPosition;  // 0xFFFFFFFF: the provider places the attachment
    char* lpszPathName;
    char* lpszFileName;
    void* lpFileType;
};

struct MapiRecipDesc {
    ULONG ulReserved;
    ULONG ulRecipClass;  // MAPI_ORIG, MAPI_TO, MAPI_CC or MAPI_BCC
    char* lpszName;
    char* lpszAddress;
    ULONG ulEIDSize;
    void* lpEntryID;
};

struct MapiMessage {
    ULONG ulReserved;
    char* lpszSubject;
    char* lpszNoteText;
    char* lpszMessageType;
    char* lpszDateReceived;
    char* lpszConversationID;
    FLAGS flFlags;
    MapiRecipDesc* lpOriginator;
    ULONG nRecipCount;
    MapiRecipDesc* lpRecips;
    ULONG nFileCount;
    MapiFileDesc* lpFiles;
};

// Logon, send and resolve flags.
inline constexpr FLAGS MAPI_LOGON_UI = 0x00000001;
inline constexpr FLAGS MAPI_NEW_SESSION = 0x00000002;
inline constexpr FLAGS MAPI_DIALOG = 0x00000008;
inline constexpr FLAGS MAPI_FORCE_DOWNLOAD = 0x00001000;
inline constexpr FLAGS MAPI_PASSWORD_UI = 0x00020000;
// Message flags.
inline constexpr FLAGS MAPI_UNREAD = 0x00000001;
inline constexpr FLAGS MAPI_RECEIPT_REQUESTED = 0x00000002;
inline constexpr FLAGS MAPI_SENT = 0x00000004;
// Recipient classes.
inline constexpr ULONG MAPI_ORIG = 0;
inline constexpr ULONG MAPI_TO = 1;
inline constexpr ULONG MAPI_CC = 2;
inline constexpr ULONG MAPI_BCC = 3;

// Results.
inline constexpr ULONG SUCCESS_SUCCESS = 0;
inline constexpr ULONG MAPI_USER_ABORT = 1;
inline constexpr ULONG MAPI_E_FAILURE = 2;
inline constexpr ULONG MAPI_E_LOGON_FAILURE = 3;
inline constexpr ULONG MAPI_E_DISK_FULL = 4;
inline constexpr ULONG MAPI_E_INSUFFICIENT_MEMORY = 5;
inline constexpr ULONG MAPI_E_ACCESS_DENIED = 6;
inline constexpr ULONG MAPI_E_TOO_MANY_SESSIONS = 8;
inline constexpr ULONG MAPI_E_TOO_MANY_FILES = 9;
inline constexpr ULONG MAPI_E_TOO_MANY_RECIPIENTS = 10;
inline constexpr ULONG MAPI_E_ATTACHMENT_NOT_FOUND = 11;
inline constexpr ULONG MAPI_E_ATTACHMENT_OPEN_FAILURE = 12;
inline constexpr ULONG MAPI_E_ATTACHMENT_WRITE_FAILURE = 13;
inline constexpr ULONG MAPI_E_UNKNOWN_RECIPIENT = 14;
inline constexpr ULONG MAPI_E_BAD_RECIPTYPE = 15;
inline constexpr ULONG MAPI_E_NO_MESSAGES = 16;
inline constexpr ULONG MAPI_E_INVALID_MESSAGE = 17;
inline constexpr ULONG MAPI_E_TEXT_TOO_LARGE = 18;
inline constexpr ULONG MAPI_E_INVALID_SESSION = 19;
inline constexpr ULONG MAPI_E_TYPE_NOT_SUPPORTED = 20;
inline constexpr ULONG MAPI_E_AMBIGUOUS_RECIPIENT = 21;
inline constexpr ULONG MAPI_E_MESSAGE_IN_USE = 22;
inline constexpr ULONG MAPI_E_NETWORK_FAILURE = 23;
inline constexpr ULONG MAPI_E_INVALID_EDITFIELDS = 24;
inline constexpr ULONG MAPI_E_INVALID_RECIPS = 25;
inline constexpr ULONG MAPI_E_NOT_SUPPORTED = 26;

// The entry points, as a provider exports them.
using LPMAPILOGON = ULONG (*)(ULONG_PTR ulUIParam, char* lpszProfileName, char* lpszPassword, FLAGS flFlags,
                              ULONG ulReserved, LHANDLE* lplhSession);
using LPMAPILOGOFF = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, FLAGS flFlags, ULONG ulReserved);
using LPMAPISENDMAIL = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, MapiMessage* lpMessage,
                                 FLAGS flFlags, ULONG ulReserved);
using LPMAPIRESOLVENAME = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, char* lpszName, FLAGS flFlags,
                                    ULONG ulReserved, MapiRecipDesc** lppRecip);
using LPMAPIFREEBUFFER = ULONG (*)(void* pv);
using LPMAPIFINDNEXT = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, char* lpszMessageType,
                                 char* lpszSeedMessageID, FLAGS flFlags, ULONG ulReserved,
                                 char* lpszMessageID);
using LPMAPIREADMAIL = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, char* lpszMessageID, FLAGS flFlags,
                                 ULONG ulReserved, MapiMessage** lppMessage);
using LPMAPIDELETEMAIL = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, char* lpszMessageID, FLAGS flFlags,
                                   ULONG ulReserved);
using LPMAPIADDRESS = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, char* lpszCaption, ULONG nEditFields,
                                char* lpszLabels, ULONG nRecips, MapiRecipDesc* lpRecips, FLAGS flFlags,
                                ULONG ulReserved, ULONG* lpnNewRecips, MapiRecipDesc** lppNewRecips);
using LPMAPISAVEMAIL = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, MapiMessage* lpMessage,
                                 FLAGS flFlags, ULONG ulReserved, char* lpszMessageID);

}  // namespace win32
