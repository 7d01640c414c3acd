// The window manager's own records, shared by the units of win32/src/user.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "gdi/dc_internal.h"
#include "win32/user.h"

namespace win32::user {

using gdi::Region;

struct ClassRecord {
    std::string name;
    std::string key;  // lower case
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int wndExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON iconSmall = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    std::string menuName;
    const char* menuNamePointer = nullptr;  // a resource id travels as is
    std::vector<uint8_t> extra;
    int windows = 0;
    bool system = false;
};

// The screen under a shown window of a CS_SAVEBITS class. Hiding the window puts these pixels
// back instead of asking the windows below to paint again; whatever was drawn below meanwhile is
// listed as stale and painted the ordinary way.
struct PixelBuffer {
    std::unique_ptr<uint32_t[]> data;
    size_t size = 0;
};
struct SavedBits {
    RECT area{};         // screen coordinates, within the screen
    SIZE screen{};       // the screen size when saved
    PixelBuffer pixels;  // the rows of `area`
    Region stale;        // screen coordinates
};

struct Window {
    UINT_PTR handle = 0;
    std::shared_ptr<ClassRecord> cls;
    DWORD thread = 0;
    // procs.front() is the class procedure, procs.back() the current one.
    std::vector<WNDPROC> procs;
    // Members taken out of the chain and what they had replaced.
    std::vector<std::pair<WNDPROC, WNDPROC>> removedProcs;
    DWORD style = 0;
    DWORD exStyle = 0;
    Window* parent = nullptr;
    Window* owner = nullptr;
    std::vector<Window*> children;  // z-order, topmost first
    RECT rect{};                    // in the parent's client coordinates
    RECT client{};                  // relative to rect's top-left corner
    std::string text;
    HMENU menu = nullptr;  // menu bar of a top-level window, id of a child
    HINSTANCE instance = nullptr;
    LONG_PTR userData = 0;
    std::vector<uint8_t> extra;
    HRGN region = nullptr;

    // Painting
    Region update;  // client coordinates
    bool erase = false;
    bool internalPaint = false;
    bool ncDirty = false;      // the frame waits for WM_NCPAINT
    bool paintListed = false;  // counted in State::windowsToPaint
    int paintPending = 0;      // listed windows in this subtree, itself included

    // Placement
    RECT normalRect{};  // restored position, parent client coordinates
    POINT minPosition{-1, -1};
    POINT maxPosition{-1, -1};
    bool restoreToMaximized = false;
    std::unique_ptr<SavedBits> savedBits;  // top-level windows of CS_SAVEBITS classes, while shown
    int ownedCount = 0;                    // windows whose owner this is

    // Lifetime: the record outlives its handle until the last call on it returns.
    int busy = 0;
    bool destroying = false;
    bool destroyed = false;
    bool created = false;
    bool isDesktop = false;
    bool isMessageRoot = false;

    bool IsChild() const { return (style & WS_CHILD) != 0; }
    HWND Handle() const { return MakeHandle<HWND>(handle); }
    WNDPROC Proc() const { return procs.empty() ? nullptr : procs.back(); }
};

// Raw input waiting for the UI thread.
struct RawInput {
    enum Kind : uint8_t { Mouse, Key } kind = Mouse;
    UINT message = 0;  // WM_MOUSEMOVE, WM_LBUTTONDOWN ..., WM_MOUSEWHEEL; WM_KEYDOWN / WM_KEYUP
    int virtualKey = 0;
    UINT codePoint = 0;  // VK_PACKET strokes
    int wheel = 0;
    WORD xButton = 0;
    WPARAM keyFlags = 0;  // MK_* after the event
    bool repeat = false;
    POINT pt{};
    DWORD time = 0;
};

struct SentItem {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool done = false;
    bool notify = false;            // nobody waits for it
    std::function<LRESULT()> task;  // run on the receiving thread instead of a message
    std::exception_ptr error;
    std::shared_ptr<struct Queue> sender;
};

struct Queue {
    DWORD threadId = 0;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentItem>> sent;
    bool quit = false;
    int quitCode = 0;
    std::atomic<uint64_t> signals{0};  // bumped (under the mutex) by anything that should end a wait
    std::atomic<int> sentCount{0};     // entries in `sent`, readable without the mutex
};

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT interval = 0;
    ULONGLONG due = 0;
    TIMERPROC proc = nullptr;
    DWORD thread = 0;
    uint64_t order = 0;
};

struct Caret {
    HWND hwnd = nullptr;
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
    POINT pos{};
    int hidden = 1;  // created hidden
};

// Everything the window manager keeps; the UI thread reads and writes it without a lock, other
// threads only look windows up (under tableMutex) and post or send to queues.
struct State {
    std::mutex tableMutex;
    std::vector<Window*> slots;  // index 0 unused
    std::vector<uint16_t> generations;
    std::deque<uint32_t> freeSlots;
    // How many live windows hold each procedure in their chain or among what they took out of it.
    std::unordered_map<WNDPROC, int> procUses;

    std::unordered_map<std::string, std::shared_ptr<ClassRecord>> classes;
    ATOM nextAtom = 0xC000;

    Window* desktop = nullptr;
    Window* messageRoot = nullptr;
    DWORD uiThread = 0;

    Window* active = nullptr;
    Window* focus = nullptr;
    Window* capture = nullptr;
    bool appActive = false;

    // Input
    std::mutex inputMutex;
    std::deque<RawInput> input;
    std::atomic<size_t> inputSize{0};  // input.size(), readable without the mutex
    BYTE keys[256]{};                  // as of the messages retrieved
    BYTE asyncKeys[256]{};             // as of the events injected
    POINT cursor{};
    RECT clip{};
    bool clipped = false;
    HCURSOR cursorShape = nullptr;
    int cursorCount = 0;
    UINT doubleClickTime = 500;
    int doubleClickWidth = 4;
    int doubleClickHeight = 4;
    bool swapButtons = false;
    struct Click {
        HWND hwnd = nullptr;
        UINT message = 0;
        DWORD time = 0;
        POINT pt{};
        bool valid = false;
    } lastClick;
    bool altTapped = false;  // Alt went down and nothing else was pressed with it
    HWND trackLeave = nullptr;

    // Messages
    DWORD messageTime = 0;
    POINT messagePos{};
    int windowsToPaint = 0;
    std::vector<Window*> savers;         // windows holding SavedBits
    std::vector<PixelBuffer> spareBits;  // buffers of bits put back, for the next window to save

    // Timers
    std::vector<Timer> timers;
    uint64_t timerOrder = 0;
    UINT_PTR nextTimerId = 0x7FF0;

    Caret caret;
    UINT caretBlinkTime = 530;

    std::function<void(std::string_view)> modalScript;
    HWND moveSize = nullptr;
    std::unordered_map<UINT_PTR, HWND> dcs;  // DCs handed out by GetDC/BeginPaint
    HWND lockedWindow = nullptr;             // LockWindowUpdate
};

State& S();
std::mutex& BeepMutex();

// Handle lookup: nullptr for zero, stale or destroyed handles (without touching the error code).
Window* Find(HWND hwnd);
// The same, setting ERROR_INVALID_WINDOW_HANDLE on failure.
Window* Get(HWND hwnd);
DWORD CurrentThread();
bool IsUiThread();

// Keeps a record alive across a call that may destroy it.
class Hold {
public:
    explicit Hold(Window* w);
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    Window* w_;
};
void ReleaseRecord(Window* w);

// The thread of a window, looked up under the table lock (0 for a bad handle).
DWORD WindowThread(HWND hwnd);

// Messages
LRESULT Send(Window* w, UINT message, WPARAM wParam, LPARAM lParam);
std::shared_ptr<Queue> CurrentQueue();
Queue& ThisQueue();  // the calling thread's queue, without reference counting
std::shared_ptr<Queue> QueueOf(DWORD threadId);
void WakeUiThread();
// Runs `task` on the thread `threadId` where that thread processes sent messages (retrieving
// messages, or waiting for a send of its own). With `wait`, waits up to `timeout` milliseconds for
// the answer; false when the thread has no queue or the time ran out (the task still runs later, so
// it must own what it uses). An exception of the task reaches the waiting caller.
bool RunOnThread(DWORD threadId, std::function<LRESULT()> task, bool wait, UINT timeout, LRESULT* result);
// Starts watching the mount table for media of removable and CD-ROM drives (once per process).
void StartMediaWatch();
// Processes what other threads sent to the calling thread.
void ProcessIncomingSends();
void PurgeWindowMessages(Window* w);
void ResetMessages();

// The atom table shared by registered messages and clipboard formats (0xC000..0xFFFF).
UINT RegisteredAtom(std::string_view name);
bool RegisteredAtomName(UINT atom, std::string* name);
// A modal loop with nothing to do: waits on the real clock, else asks the script, else raises
// ModalLoopStuck.
void ModalIdle(std::string_view loopName);
bool AnythingPending();

// Geometry
RECT ScreenRect(const Window* w);        // window rectangle, screen coordinates
RECT ScreenClientRect(const Window* w);  // client rectangle, screen coordinates
POINT ClientOrigin(const Window* w);     // screen position of client (0, 0)
bool VisibleFlag(const Window* w);       // the window and all its ancestors visible
struct Frame {
    int left, top, right, bottom;  // window edge to client edge
};
Frame NonClientFrame(DWORD style, DWORD exStyle, bool menu);
LRESULT DefaultHitTest(Window* w, POINT screen);
void DefaultCalcSize(Window* w, RECT* rect);
void DefaultMinMaxInfo(Window* w, MINMAXINFO* info);
LRESULT DefaultWindowPosChanging(Window* w, WINDOWPOS* pos);
void DefaultWindowPosChanged(Window* w, const WINDOWPOS* pos);
BOOL SetWindowPosInternal(Window* w, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL ShowWindowInternal(Window* w, int command);
Window* TopLevel(Window* w);
bool IsDescendant(const Window* ancestor, const Window* w);
// Visible region of the window (whole window or client), screen coordinates; only the part within
// `limit` when one is given, which spares the windows that lie elsewhere.
Region VisibleRegion(Window* w, bool clientOnly, bool clipChildren, bool clipSiblings,
                     const RECT* limit = nullptr);
Window* WindowAt(POINT screen, LRESULT* hitTest, bool sendHitTest);
void SetDesktopSize(int width, int height);

// Painting
// With childFrames, the borders of children that the region meets are redrawn too (what Win32's
// RDW_FRAME with RDW_ALLCHILDREN does, and what a window uncovering others needs).
void InvalidateInternal(Window* w, const Region& region, bool erase, bool allChildren, bool noChildren,
                        bool childFrames = false);
// Frames of a window and its visible descendants wait for WM_NCPAINT.
void MarkFrames(Window* w);
void SetUpdate(Window* w, Region region);
void RefreshPaintState(Window* w);
// Adds `delta` to the pending-paint count of `w` and of every window above it.
void AddPaintPending(Window* w, int delta);
void SendEraseNow(Window* w);
Window* FindWindowToPaint(DWORD thread, Window* limit);
// Exposes a screen area to the children of `parent` after `changed` (one of them) was hidden,
// moved or sized: the windows below it are asked to paint what they now show, top-down, the
// area shrinking past each. Windows above it cover the area and are left alone unless the
// z-order changed too. A `changed` window still visible excludes its own (new) rectangle.
void InvalidateBehind(Window* parent, Region screenArea, Window* changed, bool zOrderChanged);
// A frame DC: the window DC clipped to the frame.
HDC FrameDC(Window* w);

// Saved bits
void SaveBitsUnder(Window* w);
// Puts back the saved pixels within `exposed` (screen coordinates) and returns the part of it the
// windows below must still paint; without saved bits that is all of it. The bits are gone after.
Region RestoreSavedBits(Window* w, Region exposed);
void DiscardSavedBits(Window* w);
void DiscardAllSavedBits();
// Drawing through a screen DC of `w` within `drawn` (screen coordinates): saved bits of windows
// above it that cover the area are stale there.
void NoteScreenDrawing(Window* w, const Region& drawn);

// Window tree
Window* CreateDesktopIfNeeded();
void DestroyAllWindows();
std::vector<Window*> TopLevelWindows(bool includeMessageOnly);
void MoveInZOrder(Window* w, HWND insertAfter);
// Sets the owner of a top-level window, keeping the owners' counts.
void SetOwner(Window* w, Window* owner);
void ResetWindows();

// Procedures
WNDPROC ResolveRemovedProc(Window* w, WNDPROC proc);

// Hooks
bool HooksInstalled(int hookId);
bool AnyHooks();
LRESULT CallHooks(int hookId, int code, WPARAM wParam, LPARAM lParam);
void ResetHooks();

// Focus and activation
void ActivateWindow(Window* w, WORD how);
void WindowGoingAway(Window* w, bool destroying);
void SetFocusInternal(Window* w);
void ReleaseCaptureInternal(Window* newCapture);
void ResetInput();
bool ConvertInput(const RawInput& raw, bool remove, MSG* msg, bool* eaten);
bool HasInput();
void ApplyKeyMessage(const MSG& msg);
UINT CharacterFor(UINT virtualKey, const BYTE* keyState, bool* isSystem);
LPARAM KeyLParam(int virtualKey, bool up, bool previousDown, bool alt);
// A character typed as itself (a VK_PACKET press and release), whatever the keys held.
void InjectPacket(UINT codePoint);

// Timers
bool DueTimer(DWORD thread, HWND filter, UINT filterMin, UINT filterMax, bool remove, MSG* msg);
void KillWindowTimers(Window* w);
bool AnyTimer(DWORD thread);
long long MillisecondsToNextTimer(DWORD thread);

// Desktop
void ResetDesktop();
// SC_SCREENSAVE starts the screen saver when it is active; the user's next input stops it.
void StartScreenSaver();
void StopScreenSaver();
void DestroyCaretOf(Window* w);
void HideCaretForPaint(Window* w);
void ShowCaretAfterPaint(Window* w);
void ClipboardWindowGone(Window* w);
void ResetClipboard();
// The clipboard's text (UTF-8, up to its terminator) for other programs; false when it holds none.
bool ClipboardTextForOthers(std::string* text);

// ---------------------------------------------------------------------------------------------
// The session: top-level windows shared with the other processes of the user's session (session.cpp)

namespace session {

// A window of another process as that process published it. Handles of other processes' windows
// carry the process id above their low 32 bits.
struct RemoteWindow {
    HWND handle = nullptr;
    DWORD thread = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND owner = nullptr;
    RECT rect{};  // screen coordinates
    std::string className;
    std::string text;
};

struct RemoteProcess {
    DWORD process = 0;
    uint64_t raised = 0;     // when it last brought a window to the top
    uint64_t activated = 0;  // when its windows last became the foreground
    bool appActive = false;
    HWND active = nullptr;
    std::vector<RemoteWindow> windows;  // z-order, topmost first
};

// A handle of another process's window (one of this process in that form is not foreign).
bool IsForeign(HWND hwnd);
// This process's own windows come back from other processes in the foreign form: the local handle.
HWND Local(HWND hwnd);
// True when this process belongs to a session that others can share.
bool Shared();
// Every other live process of the session with its windows; processes that died are cleaned away.
std::vector<RemoteProcess> OtherProcesses();
// A foreign window as its process describes it now, with that process's state (without its window
// list); false when the window or its process is gone.
bool Describe(HWND foreign, RemoteWindow* window, RemoteProcess* process);
// The style of another process's window; 0 when it is gone.
DWORD StyleOf(HWND foreign);
// The top-level windows of every process in the desktop's z-order (topmost windows first, then the
// processes by when they last raised a window): local handles for this process's windows.
std::vector<HWND> DesktopOrder(const std::vector<RemoteProcess>& others);

// Calls carried out by the window's own process; false (with the last error set) when the window
// or its process is gone or did not answer in time.
bool RemoteShowWindow(HWND foreign, int command, BOOL* result);
bool RemoteBringToTop(HWND foreign);
bool RemoteSetForeground(HWND foreign);
bool RemotePost(HWND foreign, UINT message, WPARAM wParam, LPARAM lParam);
bool RemoteSend(HWND foreign, UINT message, WPARAM wParam, LPARAM lParam, UINT timeout, LRESULT* result);
// The foreground window when another process holds the foreground; false when this one does.
bool ForegroundElsewhere(HWND* window);

// Bookkeeping of the UI thread: what the others see follows each change at once, at the cost of
// the one window that changed (an order change copies the list of handles). Nothing when private.
void WindowChanged(Window* w);     // a top-level window's caption, style, place or size
void OrderChanged(Window* moved);  // a top-level window came, or moved in the z-order
void WindowGone(Window* w);        // a top-level window is destroyed or no longer top-level
void ActivationChanged();          // the active window, or whether the application is active
void RaisedToTop();                // a top-level window came to the top of its band
void BecameForeground();           // this process took the foreground (tells the others)
void ResetSession();

}  // namespace session

bool EqualNoCase(std::string_view a, std::string_view b);
// Copies text into a buffer of `size` bytes (NUL included), not splitting a UTF-8 sequence.
int CopyText(const std::string& text, char* buffer, size_t size);

}  // namespace win32::user
