// A scripted SMTP server on 127.0.0.1 for exact dialogue and faults: it answers every command with
// a default or a configured reply, writes replies whole or in pieces, closes or stalls at a chosen
// command, and records what the client sent.
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zyltest {

class SmtpPeer {
public:
    // "CONNECT" names the moment after accepting (the greeting), "." the end of the data.
    enum class Action { Reply, Close, Stall };

    // Listens on a free port and serves connections one after the other until destroyed.
    SmtpPeer();
    ~SmtpPeer();
    SmtpPeer(const SmtpPeer&) = delete;
    SmtpPeer& operator=(const SmtpPeer&) = delete;

    int Port() const { return port_; }
    std::string PortText() const { return std::to_string(port_); }

    // What to do at the nth command with that verb (counted over the peer's life from 0), or at
    // every one when occurrence is -1. Raw replies are written as given, line ends included.
    void SetReply(const std::string& verb, std::string raw, int occurrence = -1);
    void CloseAt(const std::string& verb, int occurrence = -1);
    void StallAt(const std::string& verb, int occurrence = -1);
    // Replies go out in pieces of this many bytes, each sent on its own (0: whole).
    void SetPieceSize(size_t size) { pieceSize_ = size; }
    // Keep only the size of each message's data (for large transfers).
    void SetKeepData(bool keep) { keepData_ = keep; }

    // Every command line received, in order, without its line end.
    std::vector<std::string> Commands() const;
    // The data of each message as it arrived (dot-stuffed), the final "." line excluded.
    std::vector<std::string> Messages() const;
    std::vector<size_t> MessageSizes() const;
    // Waits until the client has closed the connections it opened (at most the given time).
    bool WaitIdle(int milliseconds) const;
    int Connections() const { return connections_; }

private:
    struct Rule {
        Action action = Action::Reply;
        std::string raw;
    };

    void Serve();
    void Converse(int handle);
    bool ReadLine(int handle, std::string& buffer, std::string& line);
    bool Respond(int handle, const std::string& verb, const std::string& defaultReply,
                 std::string* sent = nullptr);
    bool WriteAll(int handle, const std::string& bytes);
    Rule RuleFor(const std::string& verb);

    int listener_ = -1;
    int stopPipe_[2] = {-1, -1};
    int port_ = 0;
    size_t pieceSize_ = 0;
    size_t consumed_ = 0;  // of the conversation's read buffer
    bool keepData_ = true;
    std::atomic<int> connections_{0};
    std::atomic<bool> busy_{false};

    mutable std::mutex mutex_;
    mutable std::condition_variable idle_;
    std::map<std::string, std::map<int, Rule>> rules_;
    std::map<std::string, int> counts_;
    std::vector<std::string> commands_;
    std::vector<std::string> messages_;
    std::vector<size_t> sizes_;
    std::thread thread_;
};

}  // namespace zyltest
