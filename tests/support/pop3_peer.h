// A scripted POP3 server on 127.0.0.1 for exact dialogue and faults: it serves a mailbox of
// messages (USER, PASS, STAT, LIST, RETR, TOP, DELE, NOOP, QUIT), or a configured answer for any
// command, writes answers whole or in pieces, closes or stalls at a chosen command (after writing
// part of an answer, if asked), and records what the client sent.
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zyltest {

class Pop3Peer {
public:
    // Listens on a free port and serves connections one after the other until destroyed.
    Pop3Peer();
    ~Pop3Peer();
    Pop3Peer(const Pop3Peer&) = delete;
    Pop3Peer& operator=(const Pop3Peer&) = delete;

    int Port() const { return port_; }
    std::string PortText() const { return std::to_string(port_); }

    // The mailbox, numbered from 1: texts with CR LF line ends, dot-stuffed when they are sent.
    void AddMessage(std::string text);

    // What to do at the nth command with that verb ("CONNECT" is the greeting), counted over the
    // peer's life from 0, or at every one when occurrence is -1. A raw answer is written as given,
    // line ends included, in place of the mailbox's; Close and Stall first write raw, if any.
    void SetReply(const std::string& verb, std::string raw, int occurrence = -1);
    void CloseAt(const std::string& verb, int occurrence = -1, std::string raw = {});
    void StallAt(const std::string& verb, int occurrence = -1, std::string raw = {});
    // Answers go out in pieces of this many bytes, each sent on its own (0: whole).
    void SetPieceSize(size_t size) { pieceSize_ = size; }

    // Every command line received, in order, without its line end.
    std::vector<std::string> Commands() const;
    // The numbers deleted with DELE, over all connections, in order.
    std::vector<int> Deleted() const;
    // Waits until the client has closed the connections it opened (at most the given time).
    bool WaitIdle(int milliseconds) const;
    int Connections() const { return connections_; }

private:
    enum class Action { Reply, Close, Stall };
    struct Rule {
        Action action = Action::Reply;
        std::string raw;
    };

    void Serve();
    void Converse(int handle);
    bool ReadLine(int handle, std::string& buffer, std::string& line);
    // Carries out the rule for the verb, or gives the mailbox's answer; true while the
    // conversation goes on.
    bool Respond(int handle, const std::string& verb, const std::string& argument);
    bool WriteAll(int handle, const std::string& bytes);
    Rule RuleFor(const std::string& verb);
    std::string DefaultAnswer(const std::string& verb, const std::string& argument);

    int listener_ = -1;
    int stopPipe_[2] = {-1, -1};
    int port_ = 0;
    std::atomic<size_t> pieceSize_{0};
    size_t consumed_ = 0;  // of the conversation's read buffer
    std::atomic<int> connections_{0};
    std::atomic<bool> busy_{false};

    mutable std::mutex mutex_;
    mutable std::condition_variable idle_;
    std::vector<std::string> mailbox_;
    std::map<std::string, std::map<int, Rule>> rules_;
    std::map<std::string, int> counts_;
    std::vector<std::string> commands_;
    std::vector<int> deleted_;
    std::thread thread_;
};

}  // namespace zyltest
