// A TLS client session over a connected, non-blocking descriptor (OpenSSL).
#pragma once

#include <sys/types.h>

#include <string>

#include "vcl/scktcomp.h"

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace vcl {

class TTlsSession {
public:
    // Shakes hands within timeoutMs; raises ETlsError with the reason when that fails.
    TTlsSession(int handle, const TTlsOptions& options, const std::string& connectedName, int timeoutMs);
    ~TTlsSession();
    TTlsSession(const TTlsSession&) = delete;
    TTlsSession& operator=(const TTlsSession&) = delete;

    // As TCustomWinSocket's transfers: a count, or 0 with the poll event to wait for, or 0 with
    // wait 0 (the peer closed) or -1 with an error code.
    ssize_t Read(void* buffer, size_t count, short& wait, Integer& error);
    ssize_t Write(const void* buffer, size_t count, short& wait, Integer& error);
    bool Pending() const;
    std::string Protocol() const;
    // Sends the closing alert when it can without waiting.
    void Shutdown();

private:
    ssize_t Result(int result, short& wait, Integer& error);

    SSL_CTX* context_ = nullptr;
    SSL* ssl_ = nullptr;
};

}  // namespace vcl
