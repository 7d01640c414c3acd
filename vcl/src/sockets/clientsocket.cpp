// Client sockets on POSIX: non-blocking descriptors waited on with poll, so that every wait has a
// limit and no write can block forever or raise SIGPIPE.
#include "vcl/scktcomp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <map>

#include "sockets/tls.h"
#include "win32/user.h"

namespace vcl {

namespace {

constexpr int kConnectTimeoutMs = 75'000;
constexpr win32::UINT kWatchIntervalMs = 10;

struct ErrorName {
    Integer code;
    const char* text;
};

constexpr ErrorName kSocketErrorTexts[] = {
    {WSAEINTR, "A blocking operation was interrupted"},
    {WSAEBADF, "The file handle supplied is not valid"},
    {WSAEACCES, "An attempt was made to access a socket in a way forbidden by its access permissions"},
    {WSAEFAULT, "The system detected an invalid pointer address"},
    {WSAEINVAL, "An invalid argument was supplied"},
    {WSAEMFILE, "Too many open sockets"},
    {WSAEWOULDBLOCK, "A non-blocking socket operation could not be completed immediately"},
    {WSAENOTSOCK, "An operation was attempted on something that is not a socket"},
    {WSAEMSGSIZE, "A message sent on a datagram socket was larger than the internal message buffer"},
    {WSAEADDRINUSE, "Only one usage of each socket address is normally permitted"},
    {WSAEADDRNOTAVAIL, "The requested address is not valid in its context"},
    {WSAENETDOWN, "A socket operation encountered a dead network"},
    {WSAENETUNREACH, "A socket operation was attempted to an unreachable network"},
    {WSAENETRESET, "The connection has been broken due to keep-alive activity"},
    {WSAECONNABORTED, "An established connection was aborted by the software in your host machine"},
    {WSAECONNRESET, "An existing connection was forcibly closed by the remote host"},
    {WSAENOBUFS, "No buffer space is available"},
    {WSAENOTCONN, "The socket is not connected"},
    {WSAESHUTDOWN, "The socket had already been shut down"},
    {WSAETIMEDOUT, "The connection attempt timed out"},
    {WSAECONNREFUSED, "No connection could be made because the target machine actively refused it"},
    {WSAEHOSTDOWN, "The destination host is down"},
    {WSAEHOSTUNREACH, "A socket operation was attempted to an unreachable host"},
    {WSAHOST_NOT_FOUND, "No such host is known"},
    {WSATRY_AGAIN, "This is usually a temporary error during hostname resolution"},
    {WSANO_RECOVERY, "A non-recoverable error occurred during a database lookup"},
    {WSANO_DATA, "The requested name is valid, but no data of the requested type was found"},
};

std::string AddressText(const sockaddr_storage& address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(address).sin_addr, text, sizeof text);
    else if (address.ss_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr, text, sizeof text);
    return text;
}

Integer AddressPort(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return 0;
}

Integer ResolverError(int error) {
    switch (error) {
        case EAI_AGAIN:
            return WSATRY_AGAIN;
        case EAI_FAIL:
            return WSANO_RECOVERY;
        case EAI_NODATA:
            return WSANO_DATA;
        case EAI_SYSTEM:
            return SocketErrorFromErrno(errno);
        default:
            return WSAHOST_NOT_FOUND;
    }
}

// Waits for the events on the descriptor; returns the poll result (0 on time-out, -1 on error).
int PollFor(int handle, short events, int timeoutMs, short& revents) {
    pollfd entry{handle, events, 0};
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int result = poll(&entry, 1, timeoutMs);
        if (result >= 0 || errno != EINTR) {
            revents = entry.revents;
            return result;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        timeoutMs = left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }
}

int PendingError(int handle) {
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
    return error;
}

// A descriptor that polls as failed without a pending error was hung up by the peer.
Integer FailedSocketError(int handle) {
    int error = PendingError(handle);
    return error ? SocketErrorFromErrno(error) : WSAECONNRESET;
}

// Connections watched for readiness, by timer id.
std::map<uintptr_t, TClientSocket*>& WatchedSockets() {
    static std::map<uintptr_t, TClientSocket*> watched;
    return watched;
}

}  // namespace

Integer SocketErrorFromErrno(int error) {
    switch (error) {
        case EINTR:
            return WSAEINTR;
        case EBADF:
            return WSAEBADF;
        case EACCES:
        case EPERM:
            return WSAEACCES;
        case EFAULT:
            return WSAEFAULT;
        case EMFILE:
        case ENFILE:
            return WSAEMFILE;
        case EAGAIN:
            return WSAEWOULDBLOCK;
        case ENOTSOCK:
            return WSAENOTSOCK;
        case EMSGSIZE:
            return WSAEMSGSIZE;
        case EADDRINUSE:
            return WSAEADDRINUSE;
        case EADDRNOTAVAIL:
            return WSAEADDRNOTAVAIL;
        case ENETDOWN:
            return WSAENETDOWN;
        case ENETUNREACH:
            return WSAENETUNREACH;
        case ENETRESET:
            return WSAENETRESET;
        case ECONNABORTED:
            return WSAECONNABORTED;
        case ECONNRESET:
            return WSAECONNRESET;
        case ENOBUFS:
        case ENOMEM:
            return WSAENOBUFS;
        case ENOTCONN:
            return WSAENOTCONN;
        case EPIPE:
        case ESHUTDOWN:
            return WSAESHUTDOWN;
        case ETIMEDOUT:
            return WSAETIMEDOUT;
        case ECONNREFUSED:
            return WSAECONNREFUSED;
        case EHOSTDOWN:
            return WSAEHOSTDOWN;
        case EHOSTUNREACH:
            return WSAEHOSTUNREACH;
        default:
            return WSAEINVAL;
    }
}

std::string SocketErrorText(Integer code) {
    for (const auto& entry : kSocketErrorTexts)
        if (entry.code == code) return entry.text;
    return Format("Unknown socket error %d", {code});
}

// ---------------------------------------------------------------------------------------------
// TCustomWinSocket

VCL_DEFINE_CLASS(TCustomWinSocket, TObject)

TCustomWinSocket::TCustomWinSocket() = default;

TCustomWinSocket::~TCustomWinSocket() {
    tls_.reset();
    if (handle_ >= 0) ::close(handle_);
}

void TCustomWinSocket::StartTls(const TTlsOptions& options, Integer timeoutMs) {
    if (handle_ < 0 || !connected_) throw ETlsError("TLS handshake failed: the connection is not open");
    if (!blocking_) throw ETlsError("TLS handshake failed: TLS needs a blocking client");
    if (tls_) throw ETlsError("TLS handshake failed: TLS is active already");
    try {
        tls_ =
            std::make_unique<TTlsSession>(handle_, options, connectedName_, std::max<Integer>(timeoutMs, 1));
    } catch (const ETlsError&) {
        Close();
        throw;
    }
}

std::string TCustomWinSocket::TlsProtocol() const {
    return tls_ ? tls_->Protocol() : std::string();
}

TCustomWinSocket::Transfer TCustomWinSocket::ReceiveSome(void* buffer, size_t count) {
    Transfer result;
    if (tls_) {
        result.count = tls_->Read(buffer, count, result.wait, result.error);
        return result;
    }
    for (;;) {
        result.count = ::recv(handle_, buffer, count, MSG_DONTWAIT);
        if (result.count >= 0) return result;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            result.count = 0;
            result.wait = POLLIN;
        } else {
            result.error = SocketErrorFromErrno(errno);
        }
        return result;
    }
}

TCustomWinSocket::Transfer TCustomWinSocket::SendSome(const void* buffer, size_t count) {
    Transfer result;
    if (tls_) {
        result.count = tls_->Write(buffer, count, result.wait, result.error);
        if (result.count == 0 && result.wait == 0 && result.error == 0) {
            result.count = -1;
            result.error = WSAECONNRESET;
        }
        return result;
    }
    for (;;) {
        result.count = ::send(handle_, buffer, count, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (result.count > 0) return result;
        if (result.count < 0 && errno == EINTR) continue;
        if (result.count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            result.count = 0;
            result.wait = POLLOUT;
        } else {
            result.error = result.count == 0 ? WSAECONNRESET : SocketErrorFromErrno(errno);
            result.count = -1;
        }
        return result;
    }
}

bool TCustomWinSocket::Buffered() const {
    return tls_ && tls_->Pending();
}

void TCustomWinSocket::Attach(int handle, bool blocking) {
    handle_ = handle;
    blocking_ = blocking;
    connected_ = false;
}

void TCustomWinSocket::Event(TSocketEvent socketEvent) {
    if (OnSocketEvent) OnSocketEvent(this, socketEvent);
}

void TCustomWinSocket::Error(TErrorEvent errorEvent, Integer errorCode, std::string_view api) {
    Integer code = errorCode;
    if (OnErrorEvent) OnErrorEvent(this, errorEvent, code);
    if (code != 0)
        throw ESocketError(
            Format("Windows socket error: %s (%d), on API '%s'", {SocketErrorText(code), code, api}), code);
}

void TCustomWinSocket::Close() {
    if (handle_ < 0 || closing_) return;
    closing_ = true;
    bool wasConnected = connected_;
    if (tls_) {
        tls_->Shutdown();
        tls_.reset();
    }
    ::shutdown(handle_, SHUT_RDWR);
    ::close(handle_);
    handle_ = -1;
    connected_ = false;
    closing_ = false;
    if (wasConnected) Event(seDisconnect);
}

Integer TCustomWinSocket::SendBuf(const void* buffer, Integer count) {
    if (count <= 0) return 0;
    if (handle_ < 0) {
        Error(eeSend, WSAENOTCONN, "send");
        return 0;
    }
    const char* bytes = static_cast<const char*>(buffer);
    Integer sent = 0;
    while (sent < count) {
        const Transfer step = SendSome(bytes + sent, static_cast<size_t>(count - sent));
        if (step.count > 0) {
            sent += static_cast<Integer>(step.count);
            continue;
        }
        if (step.wait) {
            short revents = 0;
            int ready = PollFor(handle_, step.wait, kConnectTimeoutMs, revents);
            if (ready > 0 && !(revents & (POLLERR | POLLNVAL))) continue;
            Error(eeSend, ready == 0 ? WSAETIMEDOUT : FailedSocketError(handle_), "send");
            return sent;
        }
        Error(eeSend, step.error, "send");
        return sent;
    }
    return sent;
}

Integer TCustomWinSocket::SendText(std::string_view text) {
    if (text.size() > static_cast<size_t>(std::numeric_limits<Integer>::max())) {
        Error(eeSend, WSAEMSGSIZE, "send");
        return 0;
    }
    return SendBuf(text.data(), static_cast<Integer>(text.size()));
}

Integer TCustomWinSocket::ReceiveLength() const {
    if (handle_ < 0) return 0;
    int available = 0;
    if (ioctl(handle_, FIONREAD, &available) != 0) available = 0;
    // Under TLS the descriptor's bytes are records: what they hold is at most their size.
    if (tls_ && tls_->Pending()) available = std::max(available, 16 * 1024);
    return available;
}

Integer TCustomWinSocket::ReceiveBuf(void* buffer, Integer count) {
    if (count <= 0 || handle_ < 0) return 0;
    const Transfer step = ReceiveSome(buffer, static_cast<size_t>(count));
    if (step.count > 0) return static_cast<Integer>(step.count);
    if (step.count < 0) Error(eeReceive, step.error, "recv");
    return 0;
}

std::string TCustomWinSocket::ReceiveText() {
    std::string text(static_cast<size_t>(ReceiveLength()), '\0');
    if (text.empty()) return text;
    text.resize(static_cast<size_t>(ReceiveBuf(text.data(), static_cast<Integer>(text.size()))));
    return text;
}

std::string TCustomWinSocket::LocalHost() const {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::string TCustomWinSocket::LocalAddress() const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (handle_ < 0 || getsockname(handle_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
    return AddressText(address);
}

Integer TCustomWinSocket::LocalPort() const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (handle_ < 0 || getsockname(handle_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return AddressPort(address);
}

std::string TCustomWinSocket::RemoteAddress() const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (handle_ < 0 || getpeername(handle_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
    return AddressText(address);
}

std::string TCustomWinSocket::RemoteHost() const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (handle_ < 0 || getpeername(handle_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
    char host[NI_MAXHOST] = {};
    if (getnameinfo(reinterpret_cast<sockaddr*>(&address), length, host, sizeof host, nullptr, 0,
                    NI_NAMEREQD) != 0)
        return {};
    return host;
}

Integer TCustomWinSocket::RemotePort() const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (handle_ < 0 || getpeername(handle_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return AddressPort(address);
}

// ---------------------------------------------------------------------------------------------
// TClientWinSocket

VCL_DEFINE_CLASS(TClientWinSocket, TCustomWinSocket)

void TClientWinSocket::SetClientType(TClientType value) {
    if (value == clientType_) return;
    if (handle_ >= 0) throw ESocketError("Cannot change the socket while it is active");
    clientType_ = value;
    blocking_ = value == ctBlocking;
}

void TClientWinSocket::Connect(const std::string& host, const std::string& address, Integer port) {
    if (handle_ >= 0) throw ESocketError("Cannot change the socket while it is active");
    if (port < 0 || port > 65535) {
        Error(eeConnect, WSAEINVAL, "connect");
        return;
    }
    const std::string& name = address.empty() ? host : address;
    if (name.empty() || name.find('\0') != std::string::npos) {
        Error(eeConnect, WSAHOST_NOT_FOUND, "gethostbyname");
        return;
    }
    Event(seLookup);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = address.empty() ? 0 : AI_NUMERICHOST;
    addrinfo* found = nullptr;
    std::string service = std::to_string(port);
    int resolved = getaddrinfo(name.c_str(), service.c_str(), &hints, &found);
    if (resolved != 0) {
        Error(eeConnect, ResolverError(resolved), "gethostbyname");
        return;
    }
    std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> results(found, &freeaddrinfo);

    Integer lastError = WSAHOST_NOT_FOUND;
    for (addrinfo* entry = found; entry; entry = entry->ai_next) {
        int handle =
            ::socket(entry->ai_family, entry->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, entry->ai_protocol);
        if (handle < 0) {
            lastError = SocketErrorFromErrno(errno);
            continue;
        }
        Attach(handle, clientType_ == ctBlocking);
        Event(seConnecting);
        if (handle_ < 0) return;  // a notification closed it
        int result = ::connect(handle, entry->ai_addr, entry->ai_addrlen);
        int error = result == 0 ? 0 : errno;
        if (error == EINPROGRESS || error == EINTR) {
            short revents = 0;
            int ready = PollFor(handle, POLLOUT, kConnectTimeoutMs, revents);
            error = ready == 0 ? ETIMEDOUT : ready < 0 ? errno : PendingError(handle);
        }
        if (error == 0) {
            int one = 1;
            setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            connected_ = true;
            connectedName_ = name;
            Event(seConnect);
            return;
        }
        lastError = SocketErrorFromErrno(error);
        ::close(handle);
        handle_ = -1;
    }
    Error(eeConnect, lastError, "connect");
}

// ---------------------------------------------------------------------------------------------
// TClientSocket

VCL_DEFINE_CLASS(TClientSocket, TComponent)

TClientSocket::TClientSocket(TComponent* owner)
    : TComponent(owner), socket_(std::make_unique<TClientWinSocket>()) {
    socket_->OnSocketEvent = [this](TCustomWinSocket* socket, TSocketEvent event) {
        SocketEvent(socket, event);
    };
    socket_->OnErrorEvent = [this](TCustomWinSocket* socket, TErrorEvent event, Integer& code) {
        SocketError(socket, event, code);
    };
}

TClientSocket::~TClientSocket() {
    StopWatching();
    socket_->OnSocketEvent = nullptr;
    socket_->OnErrorEvent = nullptr;
    socket_->Close();
}

bool TClientSocket::Active() const {
    if (Designing() || IsLoading()) return streamedActive_;
    return socket_->Connected();
}

void TClientSocket::SetActive(bool value) {
    if (Designing() || IsLoading()) {
        streamedActive_ = value;
        return;
    }
    if (value) {
        if (socket_->Connected()) return;
        socket_->Connect(
            host_, address_, port_ != 0 ? port_ : [this] {
                if (service_.empty()) return 0;
                Integer number = 0;
                if (TryStrToInt(service_, number)) return number;
                servent* entry = getservbyname(service_.c_str(), "tcp");
                return entry ? static_cast<Integer>(ntohs(static_cast<uint16_t>(entry->s_port))) : 0;
            }());
        if (socket_->Connected() && !socket_->Blocking()) StartWatching();
    } else {
        StopWatching();
        socket_->Close();
    }
}

void TClientSocket::Loaded() {
    TComponent::Loaded();
    if (streamedActive_ && !Designing()) {
        streamedActive_ = false;
        SetActive(true);
    }
}

namespace {
void RequireInactive(const TClientSocket& socket) {
    if (socket.Socket()->SocketHandle() >= 0)
        throw ESocketError("Cannot change the socket while it is active");
}
}  // namespace

void TClientSocket::SetHost(const std::string& value) {
    if (value == host_) return;
    RequireInactive(*this);
    host_ = value;
}

void TClientSocket::SetAddress(const std::string& value) {
    if (value == address_) return;
    RequireInactive(*this);
    address_ = value;
}

void TClientSocket::SetPort(Integer value) {
    if (value == port_) return;
    RequireInactive(*this);
    port_ = value;
}

void TClientSocket::SetService(const std::string& value) {
    if (value == service_) return;
    RequireInactive(*this);
    service_ = value;
}

void TClientSocket::SetClientType(TClientType value) {
    socket_->SetClientType(value);
}

void TClientSocket::SocketEvent(TCustomWinSocket* socket, TSocketEvent socketEvent) {
    switch (socketEvent) {
        case seLookup:
            if (OnLookup) OnLookup(this, socket);
            break;
        case seConnecting:
            if (OnConnecting) OnConnecting(this, socket);
            break;
        case seConnect:
            if (OnConnect) OnConnect(this, socket);
            break;
        case seDisconnect:
            StopWatching();
            if (OnDisconnect) OnDisconnect(this, socket);
            break;
        case seRead:
            if (OnRead) OnRead(this, socket);
            break;
        case seWrite:
            if (OnWrite) OnWrite(this, socket);
            break;
        default:
            break;
    }
}

void TClientSocket::SocketError(TCustomWinSocket* socket, TErrorEvent errorEvent, Integer& errorCode) {
    if (OnError) OnError(this, socket, errorEvent, errorCode);
}

void TClientSocket::StartWatching() {
    if (watchTimer_) return;
    watchTimer_ = win32::SetTimer(nullptr, 0, kWatchIntervalMs,
                                  [](win32::HWND, win32::UINT, win32::UINT_PTR id, win32::DWORD) {
                                      auto& watched = WatchedSockets();
                                      auto found = watched.find(id);
                                      if (found != watched.end()) found->second->Watch();
                                  });
    if (watchTimer_) WatchedSockets()[watchTimer_] = this;
}

void TClientSocket::StopWatching() {
    if (!watchTimer_) return;
    WatchedSockets().erase(watchTimer_);
    win32::KillTimer(nullptr, watchTimer_);
    watchTimer_ = 0;
}

// One look at a non-blocking connection: data waiting fires OnRead (again on later ticks while it
// is left unread); a peer that has closed, with nothing left to read, closes this side too.
void TClientSocket::Watch() {
    int handle = socket_->SocketHandle();
    if (handle < 0) {
        StopWatching();
        return;
    }
    short revents = 0;
    if (PollFor(handle, POLLIN, 0, revents) <= 0) return;
    if (revents & (POLLERR | POLLNVAL)) {
        Integer code = FailedSocketError(handle);
        StopWatching();
        socket_->Close();
        socket_->Error(eeGeneral, code, "select");
        return;
    }
    char probe;
    ssize_t waiting = ::recv(handle, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (waiting > 0)
        SocketEvent(socket_.get(), seRead);
    else if (waiting == 0)
        socket_->Close();
}

// ---------------------------------------------------------------------------------------------
// TWinSocketStream

VCL_DEFINE_CLASS(TWinSocketStream, TStream)

TWinSocketStream::TWinSocketStream(TCustomWinSocket* socket, Integer timeOut)
    : socket_(socket), timeOut_(timeOut) {
    if (!socket_ || !socket_->Blocking()) throw ESocketError("Socket must be in blocking mode");
}

bool TWinSocketStream::WaitForData(Integer timeout) {
    int handle = socket_->SocketHandle();
    if (handle < 0) return false;
    if (socket_->Buffered()) return true;
    short revents = 0;
    int ready = PollFor(handle, POLLIN, timeout < 0 ? 0 : timeout, revents);
    return ready > 0;
}

Int64 TWinSocketStream::Read(void* buffer, Int64 count) {
    if (count <= 0) return 0;
    size_t wanted = static_cast<size_t>(std::min<Int64>(count, std::numeric_limits<int32_t>::max()));
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max<Integer>(timeOut_, 0));
    short wait = socket_->Buffered() ? 0 : POLLIN;
    for (;;) {
        int handle = socket_->SocketHandle();
        if (handle < 0) return 0;
        if (wait) {
            // Under TLS a readable descriptor may carry no data (a handshake record): wait again
            // for what is left of the time.
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            short revents = 0;
            int ready = PollFor(handle, wait, left > 0 ? static_cast<int>(left) : 0, revents);
            if (ready == 0) return 0;
            if (ready < 0) {
                socket_->Error(eeReceive, SocketErrorFromErrno(errno), "recv");
                return 0;
            }
        }
        const TCustomWinSocket::Transfer step = socket_->ReceiveSome(buffer, wanted);
        if (step.count > 0) return step.count;
        if (step.count < 0) {
            socket_->Error(eeReceive, step.error, "recv");
            return 0;
        }
        if (!step.wait) {
            peerClosed_ = true;
            return 0;
        }
        if (std::chrono::steady_clock::now() >= deadline) return 0;
        wait = step.wait;
    }
}

Int64 TWinSocketStream::Write(const void* buffer, Int64 count) {
    if (count <= 0) return 0;
    const char* bytes = static_cast<const char*>(buffer);
    Int64 written = 0;
    while (written < count) {
        int handle = socket_->SocketHandle();
        if (handle < 0) {
            socket_->Error(eeSend, WSAENOTCONN, "send");
            return written;
        }
        size_t piece = static_cast<size_t>(std::min<Int64>(count - written, Int64{1} << 30));
        const TCustomWinSocket::Transfer step = socket_->SendSome(bytes + written, piece);
        if (step.count > 0) {
            written += step.count;
            continue;
        }
        if (step.wait) {
            short revents = 0;
            int ready = PollFor(handle, step.wait, timeOut_ < 0 ? 0 : timeOut_, revents);
            if (ready == 0) return written;
            if (ready > 0 && !(revents & (POLLERR | POLLNVAL))) continue;
            socket_->Error(eeSend, FailedSocketError(handle), "send");
            return written;
        }
        socket_->Error(eeSend, step.error, "send");
        return written;
    }
    return written;
}

}  // namespace vcl
