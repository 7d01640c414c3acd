// TLS client sessions: the handshake with certificate and name checks, and record transfers on a
// non-blocking descriptor.
#include "sockets/tls.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace vcl {

namespace {

bool IsAddress(const std::string& name) {
    unsigned char scratch[16];
    return inet_pton(AF_INET, name.c_str(), scratch) == 1 || inet_pton(AF_INET6, name.c_str(), scratch) == 1;
}

// Lets a certificate that signed itself through; every other fault stands.
int AcceptingSelfSigned(int ok, X509_STORE_CTX* store) {
    if (ok) return 1;
    const int error = X509_STORE_CTX_get_error(store);
    return error == X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT || error == X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN;
}

// The last error OpenSSL queued, as text; empty when there is none.
std::string QueuedError() {
    unsigned long code = 0, last = 0;
    while ((code = ERR_get_error()) != 0)
        last = code;
    if (!last) return {};
    char text[256];
    ERR_error_string_n(last, text, sizeof text);
    return text;
}

}  // namespace

TTlsSession::TTlsSession(int handle, const TTlsOptions& options, const std::string& connectedName,
                         int timeoutMs) {
    ERR_clear_error();
    const std::string name = options.ServerName.empty() ? connectedName : options.ServerName;
    auto fail = [this](const std::string& reason) {
        if (ssl_) SSL_free(ssl_);
        if (context_) SSL_CTX_free(context_);
        ssl_ = nullptr;
        context_ = nullptr;
        throw ETlsError("TLS handshake failed: " + reason);
    };
    context_ = SSL_CTX_new(TLS_client_method());
    if (!context_) fail(QueuedError());
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
    // Writers go on from where a short write left off, with the rest of their buffer.
    SSL_CTX_set_mode(context_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    if (options.TrustedCertificates.empty()) {
        SSL_CTX_set_default_verify_paths(context_);
    } else if (SSL_CTX_load_verify_locations(context_, options.TrustedCertificates.c_str(), nullptr) != 1) {
        fail("cannot read the trusted certificates in \"" + options.TrustedCertificates + "\"");
    }
    SSL_CTX_set_verify(context_, SSL_VERIFY_PEER, options.AcceptSelfSigned ? AcceptingSelfSigned : nullptr);
    ssl_ = SSL_new(context_);
    if (!ssl_ || SSL_set_fd(ssl_, handle) != 1) fail(QueuedError());
    if (name.empty()) fail("no server name to check the certificate against");
    if (IsAddress(name)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), name.c_str());
    } else {
        SSL_set_tlsext_host_name(ssl_, name.c_str());
        SSL_set1_host(ssl_, name.c_str());
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int result = SSL_connect(ssl_);
        if (result == 1) return;
        const int error = SSL_get_error(ssl_, result);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
            const long verified = SSL_get_verify_result(ssl_);
            if (verified != X509_V_OK)
                fail("the certificate of \"" + name +
                     "\" was refused: " + X509_verify_cert_error_string(verified));
            std::string reason = QueuedError();
            if (reason.empty())
                reason = error == SSL_ERROR_SYSCALL && errno ? std::string(std::strerror(errno))
                                                             : "the server closed the connection";
            fail(reason);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        pollfd entry{handle, static_cast<short>(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT), 0};
        if (left <= 0 || (poll(&entry, 1, static_cast<int>(left)) < 0 && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline)
            fail("the server did not answer in time");
    }
}

TTlsSession::~TTlsSession() {
    SSL_free(ssl_);
    SSL_CTX_free(context_);
}

ssize_t TTlsSession::Result(int result, short& wait, Integer& error) {
    if (result > 0) return result;
    wait = 0;
    switch (SSL_get_error(ssl_, result)) {
        case SSL_ERROR_WANT_READ:
            wait = POLLIN;
            return 0;
        case SSL_ERROR_WANT_WRITE:
            wait = POLLOUT;
            return 0;
        case SSL_ERROR_ZERO_RETURN:
            return 0;
        case SSL_ERROR_SYSCALL:
            ERR_clear_error();
            // A peer that closed without the closing alert has still closed.
            if (errno == 0) return 0;
            error = SocketErrorFromErrno(errno);
            return -1;
        default:
            ERR_clear_error();
            error = WSAECONNABORTED;
            return -1;
    }
}

ssize_t TTlsSession::Read(void* buffer, size_t count, short& wait, Integer& error) {
    errno = 0;
    const int wanted = static_cast<int>(std::min<size_t>(count, 1 << 30));
    return Result(SSL_read(ssl_, buffer, wanted), wait, error);
}

ssize_t TTlsSession::Write(const void* buffer, size_t count, short& wait, Integer& error) {
    errno = 0;
    const int wanted = static_cast<int>(std::min<size_t>(count, 1 << 30));
    return Result(SSL_write(ssl_, buffer, wanted), wait, error);
}

bool TTlsSession::Pending() const {
    return SSL_pending(ssl_) > 0;
}

std::string TTlsSession::Protocol() const {
    return SSL_get_version(ssl_);
}

void TTlsSession::Shutdown() {
    SSL_shutdown(ssl_);
    ERR_clear_error();
}

}  // namespace vcl
