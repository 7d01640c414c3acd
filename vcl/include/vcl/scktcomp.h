// Client sockets: TClientSocket with its connection object TClientWinSocket, and TWinSocketStream
// for blocking reads and writes with time limits, on POSIX sockets.
//
// Choices where the platform differs: socket errors carry the Windows Sockets codes (WSAE...) that
// the framework's programs compare against; a blocking client connects within Open, so OnConnecting
// and OnConnect fire before Open returns. A non-blocking client also connects within Open; after
// that it is watched from the thread's timers, which fire OnRead when data waits and OnDisconnect
// when the peer has closed.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>

#include "vcl/classes.h"

namespace vcl {

// Windows Sockets error codes.
inline constexpr Integer WSAEINTR = 10004;
inline constexpr Integer WSAEBADF = 10009;
inline constexpr Integer WSAEACCES = 10013;
inline constexpr Integer WSAEFAULT = 10014;
inline constexpr Integer WSAEINVAL = 10022;
inline constexpr Integer WSAEMFILE = 10024;
inline constexpr Integer WSAEWOULDBLOCK = 10035;
inline constexpr Integer WSAENOTSOCK = 10038;
inline constexpr Integer WSAEMSGSIZE = 10040;
inline constexpr Integer WSAEADDRINUSE = 10048;
inline constexpr Integer WSAEADDRNOTAVAIL = 10049;
inline constexpr Integer WSAENETDOWN = 10050;
inline constexpr Integer WSAENETUNREACH = 10051;
inline constexpr Integer WSAENETRESET = 10052;
inline constexpr Integer WSAECONNABORTED = 10053;
inline constexpr Integer WSAECONNRESET = 10054;
inline constexpr Integer WSAENOBUFS = 10055;
inline constexpr Integer WSAENOTCONN = 10057;
inline constexpr Integer WSAESHUTDOWN = 10058;
inline constexpr Integer WSAETIMEDOUT = 10060;
inline constexpr Integer WSAECONNREFUSED = 10061;
inline constexpr Integer WSAEHOSTDOWN = 10064;
inline constexpr Integer WSAEHOSTUNREACH = 10065;
inline constexpr Integer WSAHOST_NOT_FOUND = 11001;
inline constexpr Integer WSATRY_AGAIN = 11002;
inline constexpr Integer WSANO_RECOVERY = 11003;
inline constexpr Integer WSANO_DATA = 11004;

// The Windows Sockets code for a POSIX errno value (WSAEINVAL for one without a counterpart).
Integer SocketErrorFromErrno(int error);
// The system's text for a Windows Sockets code.
std::string SocketErrorText(Integer code);

// "Windows socket error: %s (%d), on API '%s'", the text, the code and the failing call.
class ESocketError : public Exception {
public:
    explicit ESocketError(std::string message, Integer errorCode = 0)
        : Exception(std::move(message)), errorCode_(errorCode) {}
    const char* ClassName() const noexcept override { return "ESocketError"; }
    Integer ErrorCode() const { return errorCode_; }

private:
    Integer errorCode_;
};

enum class TErrorEvent : uint8_t { eeGeneral, eeSend, eeReceive, eeConnect, eeDisconnect, eeAccept };
VCL_ENUM_NAMES(TErrorEvent, "eeGeneral", "eeSend", "eeReceive", "eeConnect", "eeDisconnect", "eeAccept")
using enum TErrorEvent;

enum class TClientType : uint8_t { ctNonBlocking, ctBlocking };
VCL_ENUM_NAMES(TClientType, "ctNonBlocking", "ctBlocking")
using enum TClientType;

enum class TSocketEvent : uint8_t {
    seLookup,
    seConnecting,
    seConnect,
    seDisconnect,
    seListen,
    seAccept,
    seWrite,
    seRead
};
VCL_ENUM_NAMES(TSocketEvent, "seLookup", "seConnecting", "seConnect", "seDisconnect", "seListen", "seAccept",
               "seWrite", "seRead")
using enum TSocketEvent;

class TCustomWinSocket;
class TClientSocket;
class TTlsSession;

// How a connection's TLS session checks the server. The certificate chain must lead to a
// certificate of the system's store, or of TrustedCertificates (a PEM file) when that is set, and
// name ServerName (a host name or an IP address; empty takes the host or address connected to).
// AcceptSelfSigned lets a certificate that signed itself stand in for a trusted one, for tests
// and private servers; its name is still checked.
struct TTlsOptions {
    std::string ServerName;
    std::string TrustedCertificates;
    bool AcceptSelfSigned = false;
};

// A TLS handshake that failed, with the reason (a certificate that did not verify names why).
class ETlsError : public ESocketError {
public:
    explicit ETlsError(std::string message) : ESocketError(std::move(message), WSAECONNABORTED) {}
    const char* ClassName() const noexcept override { return "ETlsError"; }
};

using TSocketNotifyEvent = std::function<void(TObject* Sender, TCustomWinSocket* Socket)>;
// A handler that sets ErrorCode to 0 has dealt with the error; otherwise ESocketError is raised.
using TSocketErrorEvent = std::function<void(TObject* Sender, TCustomWinSocket* Socket,
                                             TErrorEvent ErrorEvent, Integer& ErrorCode)>;

// One connection. Its handle is -1 while it is closed.
class TCustomWinSocket : public TObject {
    VCL_DECLARE_CLASS(TCustomWinSocket, TObject)
public:
    TCustomWinSocket();
    ~TCustomWinSocket() override;

    int SocketHandle() const { return handle_; }
    bool Connected() const { return connected_; }
    // Whether reads and writes wait (ctBlocking) or the connection is watched for readiness.
    bool Blocking() const { return blocking_; }

    // Shuts the connection down and fires the disconnect notification once; closing a closed
    // socket does nothing, so this is safe from inside any notification.
    void Close();

    // Sends every byte or reports the error (eeSend): returns the count sent, which is short only
    // when an error handler cleared the error.
    Integer SendBuf(const void* buffer, Integer count);
    Integer SendText(std::string_view text);
    // Takes what has arrived, at most count bytes, without waiting; 0 when nothing is there.
    Integer ReceiveBuf(void* buffer, Integer count);
    std::string ReceiveText();
    // Bytes that can be read now without waiting.
    Integer ReceiveLength() const;

    // Starts TLS on the open connection of a blocking client (implicit TLS right after the connect,
    // or the upgrade after STARTTLS or STLS): the handshake is bounded by timeoutMs, and from then
    // on every read and write goes through the session. A failure closes the connection and raises
    // ETlsError; there is no way back to clear text.
    void StartTls(const TTlsOptions& options, Integer timeoutMs);
    bool TlsActive() const { return tls_ != nullptr; }
    // "TLSv1.3" and the like while TLS is active.
    std::string TlsProtocol() const;

    std::string LocalHost() const;
    std::string LocalAddress() const;
    Integer LocalPort() const;
    std::string RemoteHost() const;
    std::string RemoteAddress() const;
    Integer RemotePort() const;

    // The connection's notification and error routes; the client socket installs them.
    std::function<void(TCustomWinSocket* Socket, TSocketEvent SocketEvent)> OnSocketEvent;
    std::function<void(TCustomWinSocket* Socket, TErrorEvent ErrorEvent, Integer& ErrorCode)> OnErrorEvent;

    // Reports an error through OnErrorEvent; raises ESocketError unless the handler cleared the code.
    void Error(TErrorEvent errorEvent, Integer errorCode, std::string_view api);

protected:
    friend class TClientSocket;
    friend class TWinSocketStream;
    void Event(TSocketEvent socketEvent);
    void Attach(int handle, bool blocking);

    // One transfer that does not wait: the count moved, or 0 with `wait` set to the poll event to
    // wait for (0 when the peer closed, -1 after an error, whose Windows Sockets code is `error`).
    struct Transfer {
        ssize_t count = 0;
        short wait = 0;
        Integer error = 0;
    };
    Transfer ReceiveSome(void* buffer, size_t count);
    Transfer SendSome(const void* buffer, size_t count);
    // Bytes already received and decrypted, waiting to be read.
    bool Buffered() const;

    std::unique_ptr<TTlsSession> tls_;
    std::string connectedName_;

    int handle_ = -1;
    bool connected_ = false;
    bool blocking_ = true;
    bool closing_ = false;
};

class TClientWinSocket : public TCustomWinSocket {
    VCL_DECLARE_CLASS(TClientWinSocket, TCustomWinSocket)
public:
    TClientWinSocket() { blocking_ = false; }

    TClientType ClientType() const { return clientType_; }
    void SetClientType(TClientType value);

    // Resolves address or host, connects, and fires seLookup, seConnecting and seConnect; a
    // failure goes to Error(eeConnect) (WSAHOST_NOT_FOUND when the name does not resolve).
    void Connect(const std::string& host, const std::string& address, Integer port);

private:
    TClientType clientType_ = ctNonBlocking;
};

class TClientSocket : public TComponent {
    VCL_DECLARE_CLASS(TClientSocket, TComponent)
public:
    explicit TClientSocket(TComponent* owner);
    ~TClientSocket() override;

    bool Active() const;
    // True opens (at design time only the flag is kept); false closes.
    void SetActive(bool value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    // Address wins over Host when both are set, as the framework does.
    const std::string& Host() const { return host_; }
    void SetHost(const std::string& value);
    const std::string& Address() const { return address_; }
    void SetAddress(const std::string& value);
    Integer Port() const { return port_; }
    void SetPort(Integer value);
    // A service name ("smtp") or number used when Port is 0.
    const std::string& Service() const { return service_; }
    void SetService(const std::string& value);
    TClientType ClientType() const { return socket_->ClientType(); }
    void SetClientType(TClientType value);

    TClientWinSocket* Socket() const { return socket_.get(); }

    TSocketNotifyEvent OnLookup;
    TSocketNotifyEvent OnConnecting;
    TSocketNotifyEvent OnConnect;
    TSocketNotifyEvent OnDisconnect;
    TSocketNotifyEvent OnRead;
    TSocketNotifyEvent OnWrite;
    TSocketErrorEvent OnError;

    void Loaded() override;

    static void Publish(Published<TClientSocket>& p) {
        p.Property("Active", &TClientSocket::Active, &TClientSocket::SetActive, false);
        p.Property("Address", &TClientSocket::Address, &TClientSocket::SetAddress);
        p.Property("ClientType", &TClientSocket::ClientType, &TClientSocket::SetClientType, ctNonBlocking);
        p.Property("Host", &TClientSocket::Host, &TClientSocket::SetHost);
        p.Property("Port", &TClientSocket::Port, &TClientSocket::SetPort, 0);
        p.Property("Service", &TClientSocket::Service, &TClientSocket::SetService);
        p.Event("OnLookup", &TClientSocket::OnLookup);
        p.Event("OnConnecting", &TClientSocket::OnConnecting);
        p.Event("OnConnect", &TClientSocket::OnConnect);
        p.Event("OnDisconnect", &TClientSocket::OnDisconnect);
        p.Event("OnRead", &TClientSocket::OnRead);
        p.Event("OnWrite", &TClientSocket::OnWrite);
        p.Event("OnError", &TClientSocket::OnError);
    }

private:
    void SocketEvent(TCustomWinSocket* socket, TSocketEvent socketEvent);
    void SocketError(TCustomWinSocket* socket, TErrorEvent errorEvent, Integer& errorCode);
    void StartWatching();
    void StopWatching();
    void Watch();

    std::unique_ptr<TClientWinSocket> socket_;
    std::string host_;
    std::string address_;
    std::string service_;
    Integer port_ = 0;
    bool streamedActive_ = false;
    uintptr_t watchTimer_ = 0;
};

// Blocking reads and writes on a connection of a blocking client, each bounded by TimeOut.
class TWinSocketStream : public TStream {
    VCL_DECLARE_CLASS(TWinSocketStream, TStream)
public:
    // Raises ESocketError "Socket must be in blocking mode" for a non-blocking connection.
    TWinSocketStream(TCustomWinSocket* socket, Integer timeOut);

    // True when data is waiting or the peer has closed (a read then tells which); false when
    // the time ran out or the connection is closed.
    bool WaitForData(Integer timeout);
    // Waits up to TimeOut for data, then takes what is there (at most count bytes). Returns 0
    // when the time ran out, when the peer closed (PeerClosed() then says so) or when the
    // connection is closed. Errors go to the connection's error route (eeReceive).
    Int64 Read(void* buffer, Int64 count) override;
    // Writes every byte unless no progress is made for TimeOut (the count written so far is
    // returned) or an error is reported (eeSend). Never raises SIGPIPE.
    Int64 Write(const void* buffer, Int64 count) override;
    // The stream has no position.
    Int64 Seek(Int64, TSeekOrigin) override { return 0; }

    Integer TimeOut() const { return timeOut_; }
    void SetTimeOut(Integer value) { timeOut_ = value; }
    bool PeerClosed() const { return peerClosed_; }

private:
    TCustomWinSocket* socket_;
    Integer timeOut_;
    bool peerClosed_ = false;
};

}  // namespace vcl
