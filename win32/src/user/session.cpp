// The desktop shared by the processes of a user session. Each process that owns top-level windows
// listens on a Unix-domain socket "<pid>.sock" in the session folder; a thread of its own answers
// what others ask: the list of its top-level windows (kept up to date by the UI thread, so that a
// busy program is still listed), one window's description, and calls that its own threads carry
// out (showing, raising, activating, posted and sent messages). A process that died leaves a socket
// nobody listens on: the first process that finds it so removes it, and its windows are gone.
//
// Handles of other processes' windows carry the owner's process id above their low 32 bits, so
// they never collide with this process's own handles, and a handle of this process that comes back
// in that form is read as the local one.
//
// The desktop's z-order across processes: topmost windows first, then the processes by when they
// last brought a window to the top, each process's windows in its own order. The foreground belongs
// to the process that took it last; it tells the others, whose active window then loses activation
// as Win32's does when another program comes to the front.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>

#include "user/user_internal.h"

namespace win32 {

namespace user::session {

namespace {

// Requests and their answers travel as frames: a 32-bit length, then the bytes.
enum class Request : uint8_t {
    list = 1,    // -> the process with its windows
    describe,    // handle -> found, window, the process without windows
    show,        // handle, command, time limit -> answered, result, error
    bringToTop,  // handle, time limit -> answered, result, error
    foreground,  // handle, time limit -> answered, result, error
    post,        // handle, message, wParam, lParam -> answered, result, error
    send,        // handle, message, wParam, lParam, time limit, data -> answered, result, error, data
    deactivate,  // stamp of the process that took the foreground -> nothing
};

constexpr size_t kMaxFrame = 16 * 1024 * 1024;
constexpr UINT kListTimeout = 2000;    // a process's answer to a question about its windows
constexpr UINT kActionTimeout = 5000;  // a call its UI thread carries out
constexpr UINT kNoticeTimeout = 500;   // a notice nobody waits for the effect of
constexpr int kPumpSlice = 5;          // milliseconds between looks at this thread's own queue
constexpr UINT_PTR kLocalMask = 0xFFFFFFFF;

class WireWriter {
public:
    WireWriter& U8(uint8_t value) {
        bytes_.push_back(static_cast<char>(value));
        return *this;
    }
    WireWriter& U32(uint32_t value) { return Raw(&value, sizeof value); }
    WireWriter& U64(uint64_t value) { return Raw(&value, sizeof value); }
    WireWriter& I64(int64_t value) { return Raw(&value, sizeof value); }
    WireWriter& Str(std::string_view text) {
        U32(static_cast<uint32_t>(text.size()));
        bytes_.append(text);
        return *this;
    }
    std::string Frame() const {
        std::string frame(sizeof(uint32_t), '\0');
        const auto size = static_cast<uint32_t>(bytes_.size());
        std::memcpy(frame.data(), &size, sizeof size);
        return frame + bytes_;
    }

private:
    WireWriter& Raw(const void* data, size_t size) {
        bytes_.append(static_cast<const char*>(data), size);
        return *this;
    }
    std::string bytes_;
};

// Reads fields in order; a short or malformed frame makes every later read answer 0 and Ok() false.
class WireReader {
public:
    explicit WireReader(std::string_view bytes) : rest_(bytes) {}
    bool Ok() const { return ok_; }
    uint8_t U8() {
        uint8_t value = 0;
        Raw(&value, sizeof value);
        return value;
    }
    uint32_t U32() {
        uint32_t value = 0;
        Raw(&value, sizeof value);
        return value;
    }
    uint64_t U64() {
        uint64_t value = 0;
        Raw(&value, sizeof value);
        return value;
    }
    int64_t I64() {
        int64_t value = 0;
        Raw(&value, sizeof value);
        return value;
    }
    std::string Str() {
        const uint32_t size = U32();
        if (!ok_ || size > rest_.size()) {
            ok_ = false;
            return {};
        }
        std::string text(rest_.substr(0, size));
        rest_.remove_prefix(size);
        return text;
    }

private:
    void Raw(void* out, size_t size) {
        if (!ok_ || rest_.size() < size) {
            ok_ = false;
            return;
        }
        std::memcpy(out, rest_.data(), size);
        rest_.remove_prefix(size);
    }
    std::string_view rest_;
    bool ok_ = true;
};

enum class Mode : uint8_t { automatic, folder, isolated };

struct SessionState {
    Mode mode = Mode::automatic;
    std::string folder;     // where the sockets are; empty until resolved, or when unusable
    bool resolved = false;  // folder was looked at
    // While this process listens
    bool joined = false;
    int listenFd = -1;
    int wakeFds[2] = {-1, -1};
    std::thread server;
    std::string socketPath;
    DWORD uiThread = 0;
    bool exitHookInstalled = false;
    uint64_t raised = 0;
    uint64_t activated = 0;
    uint64_t lastStamp = 0;
    // What the server thread answers from, in local handles
    std::mutex publishedMutex;
    RemoteProcess published;                             // the process, without its windows
    std::unordered_map<UINT_PTR, RemoteWindow> windows;  // by handle
    std::vector<UINT_PTR> order;                         // z-order, topmost first
};

SessionState& Session() {
    static SessionState* state = new SessionState;
    return *state;
}

DWORD OwnProcess() {
    static const DWORD pid = static_cast<DWORD>(::getpid());
    return pid;
}

HWND ForeignForm(DWORD process, UINT_PTR local) {
    return MakeHandle<HWND>((static_cast<UINT_PTR>(process) << 32) | (local & kLocalMask));
}

DWORD ProcessOf(HWND hwnd) {
    return static_cast<DWORD>(HandleValue(hwnd) >> 32);
}

uint64_t LocalPart(HWND hwnd) {
    return HandleValue(hwnd) & kLocalMask;
}

// Strictly increasing within the process; the monotonic clock is one for every process of the machine.
uint64_t NextStamp() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    auto& session = Session();
    const uint64_t stamp =
        static_cast<uint64_t>(now.tv_sec) * 1000000000ULL + static_cast<uint64_t>(now.tv_nsec);
    session.lastStamp = std::max(stamp, session.lastStamp + 1);
    return session.lastStamp;
}

// Empty for "none": a desktop of the process's own.
std::string DefaultFolder() {
    if (const char* configured = std::getenv("ZYL_SESSION"); configured && *configured)
        return std::string_view(configured) == "none" ? std::string() : std::string(configured);
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/zyl-session";
    return "/tmp/zyl-session-" + std::to_string(::getuid());
}

// The folder must be a real folder of this user that nobody else can enter: others could otherwise
// listen in place of a process or read what windows it has.
bool PrepareFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    if ((info.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) return false;
    return true;
}

// The session folder, or empty when this process keeps a desktop of its own.
const std::string& Folder() {
    auto& session = Session();
    if (session.mode == Mode::isolated) {
        static const std::string none;
        return none;
    }
    if (!session.resolved) {
        session.resolved = true;
        if (session.mode == Mode::automatic) session.folder = DefaultFolder();
        if (session.folder.empty() || !PrepareFolder(session.folder)) session.folder.clear();
    }
    return session.folder;
}

std::string SocketPath(const std::string& folder, DWORD process) {
    return folder + "/" + std::to_string(process) + ".sock";
}

bool FillAddress(const std::string& path, sockaddr_un* address) {
    if (path.size() >= sizeof address->sun_path) return false;
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    std::memcpy(address->sun_path, path.data(), path.size());
    return true;
}

using Deadline = std::chrono::steady_clock::time_point;

Deadline DeadlineAfter(UINT milliseconds) {
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

int MillisecondsLeft(Deadline deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
            .count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

// Waits for the socket; a waiting UI thread keeps answering what other threads send it, so that a
// process that sends back while handling this one's message does not lock both.
bool WaitForSocket(int fd, short events, Deadline deadline, bool pump) {
    for (;;) {
        const int left = MillisecondsLeft(deadline);
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, pump ? std::min(left, kPumpSlice) : left);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
        if (left == 0) return false;
        if (pump) ProcessIncomingSends();
    }
}

bool WriteAll(int fd, std::string_view bytes, Deadline deadline, bool pump) {
    while (!bytes.empty()) {
        const ssize_t written = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written > 0) {
            bytes.remove_prefix(static_cast<size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            WaitForSocket(fd, POLLOUT, deadline, pump))
            continue;
        return false;
    }
    return true;
}

bool ReadExactly(int fd, char* out, size_t size, Deadline deadline, bool pump) {
    while (size > 0) {
        const ssize_t got = ::recv(fd, out, size, MSG_DONTWAIT);
        if (got > 0) {
            out += got;
            size -= static_cast<size_t>(got);
            continue;
        }
        if (got == 0) return false;  // the other side went away
        if (errno == EINTR) continue;
        if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitForSocket(fd, POLLIN, deadline, pump)) continue;
        return false;
    }
    return true;
}

std::optional<std::string> ReadFrame(int fd, Deadline deadline, bool pump) {
    uint32_t size = 0;
    if (!ReadExactly(fd, reinterpret_cast<char*>(&size), sizeof size, deadline, pump) || size > kMaxFrame)
        return std::nullopt;
    std::string bytes(size, '\0');
    if (!ReadExactly(fd, bytes.data(), size, deadline, pump)) return std::nullopt;
    return bytes;
}

void WriteWindow(WireWriter& out, const RemoteWindow& w) {
    out.U64(HandleValue(w.handle)).U32(w.thread).U32(w.style).U32(w.exStyle).U64(HandleValue(w.owner));
    out.U32(static_cast<uint32_t>(w.rect.left)).U32(static_cast<uint32_t>(w.rect.top));
    out.U32(static_cast<uint32_t>(w.rect.right)).U32(static_cast<uint32_t>(w.rect.bottom));
    out.Str(w.className).Str(w.text);
}

// Handles on the wire are the sender's local ones; the reader turns them into foreign ones.
RemoteWindow ReadWindow(WireReader& in, DWORD process) {
    RemoteWindow w;
    const uint64_t handle = in.U64();
    w.handle = ForeignForm(process, handle);
    w.thread = in.U32();
    w.style = in.U32();
    w.exStyle = in.U32();
    const uint64_t owner = in.U64();
    w.owner = owner ? ForeignForm(process, owner) : nullptr;
    w.rect.left = static_cast<LONG>(in.U32());
    w.rect.top = static_cast<LONG>(in.U32());
    w.rect.right = static_cast<LONG>(in.U32());
    w.rect.bottom = static_cast<LONG>(in.U32());
    w.className = in.Str();
    w.text = in.Str();
    return w;
}

void WriteProcessHeader(WireWriter& out, const RemoteProcess& p) {
    out.U32(p.process).U64(p.raised).U64(p.activated).U8(p.appActive ? 1 : 0).U64(HandleValue(p.active));
}

RemoteProcess ReadProcessHeader(WireReader& in) {
    RemoteProcess p;
    p.process = in.U32();
    p.raised = in.U64();
    p.activated = in.U64();
    p.appActive = in.U8() != 0;
    const uint64_t active = in.U64();
    p.active = active ? ForeignForm(p.process, active) : nullptr;
    return p;
}

// Asks the process and returns its answer; nullopt when it is gone, busy past the limit, or the
// answer is malformed. A socket nobody listens on belongs to a process that died: it is removed.
std::optional<std::string> Ask(DWORD process, const WireWriter& request, UINT timeout) {
    const std::string& folder = Folder();
    if (folder.empty()) return std::nullopt;
    const std::string path = SocketPath(folder, process);
    sockaddr_un address{};
    if (!FillAddress(path, &address)) return std::nullopt;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return std::nullopt;
    std::optional<std::string> answer;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno == ECONNREFUSED) ::unlink(path.c_str());
    } else {
        const Deadline deadline = DeadlineAfter(timeout);
        const bool pump = IsUiThread();
        if (WriteAll(fd, request.Frame(), deadline, pump)) answer = ReadFrame(fd, deadline, pump);
    }
    ::close(fd);
    return answer;
}

// The other processes that have a socket in the folder (alive or not).
std::vector<DWORD> PeerProcesses() {
    std::vector<DWORD> peers;
    const std::string& folder = Folder();
    if (folder.empty()) return peers;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return peers;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        constexpr std::string_view kSuffix = ".sock";
        if (name.size() <= kSuffix.size() || name.substr(name.size() - kSuffix.size()) != kSuffix) continue;
        const std::string_view digits = name.substr(0, name.size() - kSuffix.size());
        if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
            digits.size() > 9)
            continue;
        const auto process = static_cast<DWORD>(std::stoul(std::string(digits)));
        if (process != OwnProcess()) peers.push_back(process);
    }
    ::closedir(dir);
    std::sort(peers.begin(), peers.end());
    return peers;
}

// ---------------------------------------------------------------------------------------------
// Serving

RemoteWindow LocalWindow(const Window* w) {
    RemoteWindow r;
    r.handle = w->Handle();
    r.thread = w->thread;
    r.style = w->style;
    r.exStyle = w->exStyle;
    r.owner = w->owner ? w->owner->Handle() : nullptr;
    r.rect = w->rect;
    r.className = w->cls->name;
    r.text = w->text;
    return r;
}

// Under publishedMutex.
void PublishHeader(SessionState& session) {
    auto& s = S();
    session.published.process = OwnProcess();
    session.published.raised = session.raised;
    session.published.activated = session.activated;
    session.published.appActive = s.appActive;
    session.published.active = s.active ? s.active->Handle() : nullptr;
}

// Under publishedMutex.
void PublishOrder(SessionState& session) {
    session.order.clear();
    if (S().desktop)
        for (const Window* w : S().desktop->children)
            if (!w->destroyed) session.order.push_back(w->handle);
}

void PublishAll() {
    auto& session = Session();
    std::lock_guard lock(session.publishedMutex);
    session.windows.clear();
    if (S().desktop)
        for (const Window* w : S().desktop->children)
            if (!w->destroyed) session.windows[w->handle] = LocalWindow(w);
    PublishOrder(session);
    PublishHeader(session);
}

bool Join();

// Whether this process publishes its windows, joining the session with its first top-level window.
bool Publishing() {
    auto& session = Session();
    if (session.mode == Mode::isolated || !IsUiThread()) return false;
    if (session.joined) return true;
    if (!S().desktop || S().desktop->children.empty() || !Join()) return false;
    PublishAll();
    return true;
}

struct CallAnswer {
    bool answered = false;
    LRESULT result = 0;
    DWORD error = 0;
    std::string data;
};

// Runs `call` on the window's thread and answers what it returned.
CallAnswer RunOnWindowThread(HWND hwnd, UINT timeout, std::function<LRESULT()> call) {
    CallAnswer answer;
    const DWORD thread = WindowThread(hwnd);
    if (!thread) {
        answer.error = ERROR_INVALID_WINDOW_HANDLE;
        return answer;
    }
    auto error = std::make_shared<DWORD>(0);
    auto task = [call = std::move(call), error]() -> LRESULT {
        SetLastError(0);
        const LRESULT r = call();
        *error = GetLastError();
        return r;
    };
    try {
        answer.answered = RunOnThread(thread, task, true, std::min(timeout, kActionTimeout), &answer.result);
    } catch (...) {
        answer.answered = true;  // the window procedure raised: Win32 answers 0
        answer.result = 0;
    }
    answer.error = answer.answered ? *error : ERROR_TIMEOUT;
    return answer;
}

// Pointer-carrying messages that cross processes with their data, as Win32 marshals them.
struct SendData {
    std::string text;
    COPYDATASTRUCT copy{};
};

CallAnswer ServeSend(HWND hwnd, WireReader& in) {
    const auto message = static_cast<UINT>(in.U32());
    const auto wParam = static_cast<WPARAM>(in.U64());
    auto lParam = static_cast<LPARAM>(in.I64());
    const UINT timeout = in.U32();
    auto data = std::make_shared<SendData>();
    data->text = in.Str();
    const uint64_t copyTag = in.U64();
    CallAnswer bad;
    if (!in.Ok()) return bad;
    if (message == WM_GETTEXT) data->text.assign(std::min<size_t>(wParam, kMaxFrame / 2), '\0');
    auto call = [hwnd, message, wParam, lParam, data, copyTag]() mutable -> LRESULT {
        switch (message) {
            case WM_SETTEXT:
            case WM_GETTEXT:
                lParam = reinterpret_cast<LPARAM>(data->text.data());
                break;
            case WM_COPYDATA:
                data->copy = COPYDATASTRUCT{static_cast<ULONG_PTR>(copyTag),
                                            static_cast<DWORD>(data->text.size()), data->text.data()};
                lParam = reinterpret_cast<LPARAM>(&data->copy);
                break;
            default:
                break;
        }
        return SendMessage(hwnd, message, wParam, lParam);
    };
    CallAnswer answer = RunOnWindowThread(hwnd, timeout, std::move(call));
    if (answer.answered && message == WM_GETTEXT)
        answer.data = data->text.substr(
            0, std::clamp<size_t>(static_cast<size_t>(answer.result), 0, data->text.size()));
    return answer;
}

void Deactivated(uint64_t stamp) {
    auto& session = Session();
    if (stamp <= session.activated || !S().appActive) return;
    ActivateWindow(nullptr, WA_INACTIVE);
}

std::string Serve(std::string_view requestBytes, DWORD uiThread) {
    auto& session = Session();
    WireReader in(requestBytes);
    const auto request = static_cast<Request>(in.U8());
    WireWriter out;
    if (request == Request::list) {
        std::lock_guard lock(session.publishedMutex);
        WriteProcessHeader(out, session.published);
        std::vector<const RemoteWindow*> listed;
        for (UINT_PTR handle : session.order)
            if (auto found = session.windows.find(handle); found != session.windows.end())
                listed.push_back(&found->second);
        out.U32(static_cast<uint32_t>(listed.size()));
        for (const RemoteWindow* w : listed)
            WriteWindow(out, *w);
        return out.Frame();
    }
    if (request == Request::deactivate) {
        const uint64_t stamp = in.U64();
        if (in.Ok())
            RunOnThread(
                uiThread,
                [stamp]() -> LRESULT {
                    Deactivated(stamp);
                    return 0;
                },
                false, 0, nullptr);
        return out.Frame();
    }
    const HWND hwnd = MakeHandle<HWND>(static_cast<UINT_PTR>(in.U64()));
    if (request == Request::describe) {
        std::lock_guard lock(session.publishedMutex);
        auto found = session.windows.find(HandleValue(hwnd));
        out.U8(found != session.windows.end() ? 1 : 0);
        if (found != session.windows.end()) WriteWindow(out, found->second);
        WriteProcessHeader(out, session.published);
        return out.Frame();
    }
    CallAnswer answer;
    switch (request) {
        case Request::show: {
            const auto command = static_cast<int>(in.U32());
            const UINT timeout = in.U32();
            if (in.Ok())
                answer = RunOnWindowThread(hwnd, timeout, [hwnd, command] {
                    return static_cast<LRESULT>(ShowWindow(hwnd, command));
                });
            break;
        }
        case Request::bringToTop: {
            const UINT timeout = in.U32();
            if (in.Ok())
                answer = RunOnWindowThread(hwnd, timeout,
                                           [hwnd] { return static_cast<LRESULT>(BringWindowToTop(hwnd)); });
            break;
        }
        case Request::foreground: {
            const UINT timeout = in.U32();
            if (in.Ok())
                answer = RunOnWindowThread(
                    hwnd, timeout, [hwnd] { return static_cast<LRESULT>(SetForegroundWindow(hwnd)); });
            break;
        }
        case Request::post: {
            const auto message = static_cast<UINT>(in.U32());
            const auto wParam = static_cast<WPARAM>(in.U64());
            const auto lParam = static_cast<LPARAM>(in.I64());
            if (in.Ok()) {
                SetLastError(0);
                answer.answered = true;
                answer.result = PostMessage(hwnd, message, wParam, lParam);
                answer.error = answer.result ? 0 : GetLastError();
            }
            break;
        }
        case Request::send:
            answer = ServeSend(hwnd, in);
            break;
        default:
            break;
    }
    out.U8(answer.answered ? 1 : 0).I64(answer.result).U32(answer.error).Str(answer.data);
    return out.Frame();
}

void ServeLoop(int listenFd, int wakeFd, DWORD uiThread) {
    for (;;) {
        pollfd entries[2] = {{listenFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        if (::poll(entries, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (entries[1].revents) return;
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) continue;
        const Deadline deadline = DeadlineAfter(kListTimeout);
        if (auto request = ReadFrame(fd, deadline, false)) {
            std::string reply;
            try {
                reply = Serve(*request, uiThread);
            } catch (...) {
                reply.clear();  // nothing sensible to answer: the asker sees the connection close
            }
            if (!reply.empty()) WriteAll(fd, reply, DeadlineAfter(kListTimeout), false);
        }
        ::close(fd);
    }
}

void Leave() {
    auto& session = Session();
    if (!session.joined) return;
    session.joined = false;
    const char wake = 1;
    [[maybe_unused]] const ssize_t written = ::write(session.wakeFds[1], &wake, 1);
    if (session.server.joinable()) session.server.join();
    ::close(session.listenFd);
    ::close(session.wakeFds[0]);
    ::close(session.wakeFds[1]);
    session.listenFd = session.wakeFds[0] = session.wakeFds[1] = -1;
    ::unlink(session.socketPath.c_str());
}

bool Join() {
    auto& session = Session();
    if (session.joined) return true;
    const std::string& folder = Folder();
    if (folder.empty()) return false;
    const std::string path = SocketPath(folder, OwnProcess());
    sockaddr_un address{};
    if (!FillAddress(path, &address)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    ::unlink(path.c_str());  // left by a process of the same id that died
    int wake[2] = {-1, -1};
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 64) != 0 || ::pipe2(wake, O_CLOEXEC) != 0) {
        ::close(fd);
        ::unlink(path.c_str());
        return false;
    }
    session.listenFd = fd;
    session.wakeFds[0] = wake[0];
    session.wakeFds[1] = wake[1];
    session.socketPath = path;
    session.uiThread = S().uiThread ? S().uiThread : CurrentThread();
    session.joined = true;
    session.server = std::thread(ServeLoop, fd, wake[0], session.uiThread);
    if (!session.exitHookInstalled) {
        session.exitHookInstalled = true;
        std::atexit(Leave);
    }
    return true;
}

WireWriter Ask1(Request request, HWND foreign) {
    WireWriter out;
    out.U8(static_cast<uint8_t>(request)).U64(LocalPart(foreign));
    return out;
}

// Asks the window's process to carry out a call; false (last error set) when it did not.
bool AskCall(HWND foreign, const WireWriter& request, UINT timeout, CallAnswer* answer) {
    auto reply = Ask(ProcessOf(foreign), request, timeout + 1000);
    if (!reply) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    WireReader in(*reply);
    answer->answered = in.U8() != 0;
    answer->result = static_cast<LRESULT>(in.I64());
    answer->error = in.U32();
    answer->data = in.Str();
    if (!in.Ok()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (!answer->answered) {
        SetLastError(answer->error ? answer->error : ERROR_TIMEOUT);
        return false;
    }
    if (answer->error) SetLastError(answer->error);
    return true;
}

}  // namespace

bool IsForeign(HWND hwnd) {
    const DWORD process = ProcessOf(hwnd);
    return process != 0 && process != OwnProcess();
}

HWND Local(HWND hwnd) {
    return ProcessOf(hwnd) == OwnProcess() ? MakeHandle<HWND>(HandleValue(hwnd) & kLocalMask) : hwnd;
}

bool Shared() {
    return !Folder().empty();
}

std::vector<RemoteProcess> OtherProcesses() {
    std::vector<RemoteProcess> processes;
    if (!Shared()) return processes;
    WireWriter request;
    request.U8(static_cast<uint8_t>(Request::list));
    for (DWORD process : PeerProcesses()) {
        auto reply = Ask(process, request, kListTimeout);
        if (!reply) continue;
        WireReader in(*reply);
        RemoteProcess p = ReadProcessHeader(in);
        const uint32_t count = in.U32();
        for (uint32_t i = 0; i < count && in.Ok(); ++i)
            p.windows.push_back(ReadWindow(in, process));
        if (in.Ok() && p.process == process) processes.push_back(std::move(p));
    }
    return processes;
}

bool Describe(HWND foreign, RemoteWindow* window, RemoteProcess* process) {
    auto reply = Ask(ProcessOf(foreign), Ask1(Request::describe, foreign), kListTimeout);
    if (!reply) return false;
    WireReader in(*reply);
    if (in.U8() != 1) return false;
    RemoteWindow w = ReadWindow(in, ProcessOf(foreign));
    RemoteProcess p = ReadProcessHeader(in);
    if (!in.Ok()) return false;
    if (window) *window = std::move(w);
    if (process) *process = std::move(p);
    return true;
}

DWORD StyleOf(HWND foreign) {
    RemoteWindow remote;
    return Describe(foreign, &remote, nullptr) ? remote.style : 0;
}

std::vector<HWND> DesktopOrder(const std::vector<RemoteProcess>& others) {
    struct Band {
        uint64_t raised;
        std::vector<std::pair<HWND, bool>> windows;  // handle, topmost
    };
    std::vector<Band> bands;
    Band own{Session().raised, {}};
    if (S().desktop)
        for (Window* w : S().desktop->children)
            if (!w->destroyed) own.windows.emplace_back(w->Handle(), (w->exStyle & WS_EX_TOPMOST) != 0);
    bands.push_back(std::move(own));
    for (const RemoteProcess& p : others) {
        Band band{p.raised, {}};
        for (const RemoteWindow& w : p.windows)
            band.windows.emplace_back(w.handle, (w.exStyle & WS_EX_TOPMOST) != 0);
        bands.push_back(std::move(band));
    }
    std::stable_sort(bands.begin(), bands.end(),
                     [](const Band& a, const Band& b) { return a.raised > b.raised; });
    std::vector<HWND> order;
    for (bool topmost : {true, false})
        for (const Band& band : bands)
            for (const auto& [handle, isTopmost] : band.windows)
                if (isTopmost == topmost) order.push_back(handle);
    return order;
}

bool RemoteShowWindow(HWND foreign, int command, BOOL* result) {
    WireWriter request = Ask1(Request::show, foreign);
    request.U32(static_cast<uint32_t>(command)).U32(kActionTimeout);
    CallAnswer answer;
    if (!AskCall(foreign, request, kActionTimeout, &answer)) return false;
    *result = static_cast<BOOL>(answer.result);
    return true;
}

bool RemoteBringToTop(HWND foreign) {
    WireWriter request = Ask1(Request::bringToTop, foreign);
    request.U32(kActionTimeout);
    CallAnswer answer;
    return AskCall(foreign, request, kActionTimeout, &answer) && answer.result != 0;
}

bool RemoteSetForeground(HWND foreign) {
    WireWriter request = Ask1(Request::foreground, foreign);
    request.U32(kActionTimeout);
    CallAnswer answer;
    return AskCall(foreign, request, kActionTimeout, &answer) && answer.result != 0;
}

bool RemotePost(HWND foreign, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT || message == WM_GETTEXT || message == WM_COPYDATA) {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return false;
    }
    WireWriter request = Ask1(Request::post, foreign);
    request.U32(message).U64(wParam).I64(lParam);
    CallAnswer answer;
    return AskCall(foreign, request, kActionTimeout, &answer) && answer.result != 0;
}

bool RemoteSend(HWND foreign, UINT message, WPARAM wParam, LPARAM lParam, UINT timeout, LRESULT* result) {
    std::string data;
    uint64_t copyTag = 0;
    if (message == WM_SETTEXT && lParam) {
        data = reinterpret_cast<const char*>(lParam);
        data.push_back('\0');
    } else if (message == WM_COPYDATA && lParam) {
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (copy->lpData && copy->cbData) data.assign(static_cast<const char*>(copy->lpData), copy->cbData);
        copyTag = copy->dwData;
    }
    // A sender that waits without limit still hears of a process that stopped answering.
    const UINT limit = timeout == INFINITE ? kActionTimeout : timeout;
    WireWriter request = Ask1(Request::send, foreign);
    request.U32(message).U64(wParam).I64(lParam).U32(limit).Str(data).U64(copyTag);
    CallAnswer answer;
    if (!AskCall(foreign, request, limit, &answer)) return false;
    if (message == WM_GETTEXT && lParam && wParam > 0) {
        const int copied = CopyText(answer.data, reinterpret_cast<char*>(lParam), wParam);
        answer.result = copied;
    }
    *result = answer.result;
    return true;
}

bool ForegroundElsewhere(HWND* window) {
    if (!Shared()) return false;
    uint64_t newest = S().appActive ? Session().activated : 0;
    bool elsewhere = false;
    for (const RemoteProcess& p : OtherProcesses())
        if (p.appActive && p.active && p.activated > newest) {
            newest = p.activated;
            *window = p.active;
            elsewhere = true;
        }
    return elsewhere;
}

void WindowChanged(Window* w) {
    if (!Publishing()) return;
    RemoteWindow entry = LocalWindow(w);
    auto& session = Session();
    std::lock_guard lock(session.publishedMutex);
    session.windows[w->handle] = std::move(entry);
}

void OrderChanged(Window* moved) {
    if (!Publishing()) return;
    auto& session = Session();
    const auto& children = S().desktop->children;
    const auto place = std::find(children.begin(), children.end(), moved);
    std::lock_guard lock(session.publishedMutex);
    session.windows[moved->handle] = LocalWindow(moved);
    // One window moved: its handle moves in the list, which otherwise stays as it is.
    auto& order = session.order;
    order.erase(std::remove(order.begin(), order.end(), moved->handle), order.end());
    const auto index = static_cast<size_t>(place - children.begin());
    if (place == children.end() || order.size() + 1 != children.size())
        PublishOrder(session);
    else
        order.insert(order.begin() + static_cast<std::ptrdiff_t>(index), moved->handle);
    PublishHeader(session);
}

void WindowGone(Window* w) {
    if (!Publishing()) return;
    auto& session = Session();
    std::lock_guard lock(session.publishedMutex);
    session.windows.erase(w->handle);
    session.order.erase(std::remove(session.order.begin(), session.order.end(), w->handle),
                        session.order.end());
}

void ActivationChanged() {
    if (!Publishing()) return;
    auto& session = Session();
    std::lock_guard lock(session.publishedMutex);
    PublishHeader(session);
}

void RaisedToTop() {
    if (Session().mode != Mode::isolated) Session().raised = NextStamp();
}

void BecameForeground() {
    auto& session = Session();
    if (session.mode == Mode::isolated || !Shared()) return;
    session.activated = NextStamp();
    session.raised = session.activated;
    ActivationChanged();
    WireWriter notice;
    notice.U8(static_cast<uint8_t>(Request::deactivate)).U64(session.activated);
    for (DWORD process : PeerProcesses())
        Ask(process, notice, kNoticeTimeout);
}

void ResetSession() {
    Leave();
    auto& session = Session();
    session.mode = Mode::isolated;
    session.folder.clear();
    session.resolved = true;
    session.raised = session.activated = 0;
    std::lock_guard lock(session.publishedMutex);
    session.published = RemoteProcess{};
    session.windows.clear();
    session.order.clear();
}

}  // namespace user::session

namespace testing {

void SetSessionFolder(const std::string& folder) {
    user::session::ResetSession();
    auto& session = user::session::Session();
    if (folder.empty()) return;
    session.mode = user::session::Mode::folder;
    session.folder = folder;
    session.resolved = false;
    user::session::Publishing();
}

std::string SessionFolder() {
    return user::session::Folder();
}

}  // namespace testing

}  // namespace win32
