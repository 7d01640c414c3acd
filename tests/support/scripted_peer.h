// The common part of the scripted servers on 127.0.0.1 that tests talk to: a listener on a free
// port served by one thread, connection after connection; per-verb rules that replace an answer,
// close the connection or stall it; answers written whole or in pieces; and a record of every
// command line received. A protocol's peer supplies the conversation.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zyltest {

class ScriptedPeer {
public:
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    int Port() const { return port_; }
    std::string PortText() const { return std::to_string(port_); }

    // What to do at the nth command with that verb ("CONNECT" is the greeting), counted over the
    // peer's life from 0, or at every one when occurrence is -1. A raw answer is written as given,
    // line ends included, in place of the peer's own; Close and Stall first write raw, if any.
    void SetReply(const std::string& verb, std::string raw, int occurrence = -1);
    void CloseAt(const std::string& verb, int occurrence = -1, std::string raw = {});
    void StallAt(const std::string& verb, int occurrence = -1, std::string raw = {});
    // Answers go out in pieces of this many bytes, each sent on its own (0: whole).
    void SetPieceSize(size_t size) { pieceSize_ = size; }

    // Every command line received, in order, without its line end.
    std::vector<std::string> Commands() const;
    // Waits until the client has closed the connections it opened (at most the given time).
    bool WaitIdle(int milliseconds) const;
    int Connections() const { return connections_; }

protected:
    // Listens; the derived constructor calls Start last and its destructor calls Stop first, so
    // the serving thread never meets a half-built or half-destroyed peer.
    explicit ScriptedPeer(const char* name);
    virtual ~ScriptedPeer();
    void Start();
    void Stop();

    // One connection, from the greeting to the end; the handle is closed afterwards.
    virtual void Converse(int handle) = 0;

    // Reads one line (without CR LF) and records it as a command when asked; false when the
    // client closed or the peer is stopping.
    bool ReadLine(int handle, std::string& line, bool command = true);
    // Carries out the rule for the verb, or writes the peer's own answer (asked for only when no
    // rule replaces it); gives back what was written. True while the conversation goes on.
    bool Respond(int handle, const std::string& verb, const std::function<std::string()>& ownAnswer,
                 std::string* written = nullptr);

    mutable std::mutex mutex_;  // guards what the derived peer records, too

private:
    enum class Action { Reply, Close, Stall };
    struct Rule {
        Action action = Action::Reply;
        std::string raw;
    };

    void Serve();
    Rule RuleFor(const std::string& verb);
    bool WriteAll(int handle, const std::string& bytes);
    bool Hold(int handle);

    const char* name_;
    int listener_ = -1;
    int stopPipe_[2] = {-1, -1};
    int port_ = 0;
    std::atomic<size_t> pieceSize_{0};
    std::string buffer_;   // the conversation's read buffer
    size_t consumed_ = 0;  // of buffer_
    std::atomic<int> connections_{0};
    bool busy_ = false;

    mutable std::condition_variable idle_;
    std::map<std::string, std::map<int, Rule>> rules_;
    std::map<std::string, int> counts_;
    std::vector<std::string> commands_;
    std::thread thread_;
};

}  // namespace zyltest
