// The live X11 display driven as a person would: a private Xvfb, the test program on it in live
// mode, and xdotool (XTEST) and xclip for the mouse, the keyboard and the other program on the
// clipboard. Each step checks what the program says it saw.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/real_peers.h"
#include "support/tempdir.h"
#include "support/xvfb_server.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace live_display_tests {

// A request the server refuses (reading a window while it is being resized, say) is an answer to
// look at again, not the end of the test program as Xlib's own handler would make it.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

struct Point {
    int x = 0, y = 0;
};

class LiveDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server_.Installed()) GTEST_SKIP() << "Xvfb is not installed (Debian package xvfb)";
        ASSERT_TRUE(server_.Error().empty()) << server_.Error();
        ASSERT_FALSE(zyltest::FindProgram({"/usr/bin/xdotool"}).empty()) << "xdotool is not installed";
        display_ = XOpenDisplay(server_.Name().c_str());
        ASSERT_NE(display_, nullptr);
        XSetErrorHandler(IgnoreXError);
        // The pointer starts away from the form, so that nothing on it shows as hot.
        Xdo("mousemove 1000 740");
        app_ = std::make_unique<zyltest::ChildProcess>(
            ZYL_LIVE_APP, std::vector<std::string>{},
            std::map<std::string, std::string>{
                {"DISPLAY", server_.Name()}, {"ZYL_DISPLAY", "x11"}, {"ZYL_SESSION", "none"}});
        const auto ready = app_->ReadLine(20000);
        ASSERT_TRUE(ready && ready->rfind("ready ", 0) == 0) << (ready ? *ready : "no line");
        std::istringstream points(ready->substr(6));
        points >> button_.x >> button_.y >> edit_.x >> edit_.y >> menu_.x >> menu_.y >> edge_.x >> edge_.y;
        window_ = FindWindow("--name 'Zyl live test'");
        ASSERT_NE(window_, 0u) << "the form has no visible X window";
    }
    void TearDown() override {
        app_.reset();
        if (display_) XCloseDisplay(display_);
    }

    std::string Xdo(const std::string& arguments) {
        return zyltest::RunCommand("DISPLAY=" + server_.Name() + " xdotool " + arguments + " 2>&1");
    }
    // The first visible window the search finds, waiting for it a bounded time.
    ::Window FindWindow(const std::string& search) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string found = Xdo("search --onlyvisible " + search);
            if (!found.empty() && std::isdigit(static_cast<unsigned char>(found[0])))
                return std::stoul(found);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return 0;
    }
    void Click(Point p) { Xdo("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " click 1"); }
    bool Saw(const std::string& line) { return app_->WaitForLine(line, 10000); }

    zyltest::XvfbServer server_;
    Display* display_ = nullptr;
    std::unique_ptr<zyltest::ChildProcess> app_;
    ::Window window_ = 0;
    Point button_, edit_, menu_, edge_;
};

// The pixels the server shows for the form, row by row as 0x00RRGGBB words.
std::vector<uint32_t> ServerPixels(Display* display, ::Window window, int* width, int* height) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) return {};
    *width = attributes.width;
    *height = attributes.height;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) return {};
    std::vector<uint32_t> pixels;
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x)
            pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
}

// The form's pixels as a dump of the test program wrote them.
std::vector<uint32_t> ReadDump(const std::string& path, int* width, int* height) {
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(width), 4);
    in.read(reinterpret_cast<char*>(height), 4);
    if (!in || *width <= 0 || *height <= 0) return {};
    std::vector<uint32_t> pixels(static_cast<size_t>(*width) * static_cast<size_t>(*height));
    in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size() * 4));
    return in ? pixels : std::vector<uint32_t>{};
}

// The server shows `expected` in the window: uploads follow the program's painting, so the
// server is read until it agrees, a bounded time.
void ExpectServerShows(Display* display, ::Window window, const std::vector<uint32_t>& expected, int width,
                       int height) {
    ASSERT_FALSE(expected.empty()) << "no pixels to compare with";
    int liveWidth = 0, liveHeight = 0;
    std::vector<uint32_t> shown;
    for (int attempt = 0; attempt < 100 && shown != expected; ++attempt) {
        if (attempt) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        shown = ServerPixels(display, window, &liveWidth, &liveHeight);
    }
    ASSERT_EQ(liveWidth, width);
    ASSERT_EQ(liveHeight, height);
    // The count, the first and the rectangle that holds them all say which upload went missing.
    size_t differing = 0, first = 0;
    int left = width, top = height, right = -1, bottom = -1;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (shown[i] == expected[i]) continue;
        if (differing++ == 0) first = i;
        const int x = static_cast<int>(i % static_cast<size_t>(width)),
                  y = static_cast<int>(i / static_cast<size_t>(width));
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x + 1);
        bottom = std::max(bottom, y + 1);
    }
    EXPECT_EQ(differing, 0u) << "within (" << left << ", " << top << ")-(" << right << ", " << bottom
                             << "), first at (" << first % static_cast<size_t>(width) << ", "
                             << first / static_cast<size_t>(width) << "): server " << std::hex << shown[first]
                             << ", platform " << expected[first];
}

TEST_F(LiveDisplay, PixelsOnTheServerEqualTheHeadlessRendering) {
    zyltest::TempDir folder;
    const std::string dump = (folder.Path() / "form.pixels").string();
    // A desktop of its own: in a shared one its form would take the foreground from the live one.
    zyltest::ChildProcess headless(ZYL_LIVE_APP, {"--dump", dump},
                                   {{"ZYL_DISPLAY", "headless"}, {"ZYL_SESSION", "none"}});
    ASSERT_EQ(headless.Wait(20000), 0);
    int width = 0, height = 0;
    const std::vector<uint32_t> expected = ReadDump(dump, &width, &height);
    ExpectServerShows(display_, window_, expected, width, height);
}

// What changes after the first upload goes out as the changed parts alone: typing, a pressed
// button, a resize and an exposure must all leave the server showing what the platform painted.
TEST_F(LiveDisplay, ChangedPixelsFollowOnTheServer) {
    zyltest::TempDir folder;
    const std::string dump = (folder.Path() / "form.pixels").string();
    const auto platformShows = [&](int* width, int* height) {
        app_->WriteLine("dump " + dump);
        return Saw("dumped") ? ReadDump(dump, width, height) : std::vector<uint32_t>{};
    };
    int width = 0, height = 0;
    Click(edit_);
    Xdo("type --delay 10 'Changed 123'");
    ASSERT_TRUE(Saw("text Changed 123"));
    Xdo("mousemove " + std::to_string(button_.x) + " " + std::to_string(button_.y) + " mousedown 1");
    std::vector<uint32_t> pressed = platformShows(&width, &height);
    ExpectServerShows(display_, window_, pressed, width, height);
    Xdo("mouseup 1");
    ASSERT_TRUE(Saw("click"));

    Xdo("mousemove " + std::to_string(edge_.x) + " " + std::to_string(edge_.y) + " mousedown 1 mousemove " +
        std::to_string(edge_.x - 40) + " " + std::to_string(edge_.y) + " mouseup 1");
    ASSERT_TRUE(Saw("size 320 240"));
    std::vector<uint32_t> narrower = platformShows(&width, &height);
    ExpectServerShows(display_, window_, narrower, width, height);

    // Another window over the form and gone again: the server asks for the part it lost.
    const ::Window cover =
        XCreateSimpleWindow(display_, DefaultRootWindow(display_), 80, 60, 200, 150, 0, 0, 0xFF00FF);
    XMapRaised(display_, cover);
    XSync(display_, False);
    XDestroyWindow(display_, cover);
    XSync(display_, False);
    ExpectServerShows(display_, window_, narrower, width, height);
}

TEST_F(LiveDisplay, ClicksKeysShortcutsAndMenusReachTheProgram) {
    Click(button_);
    EXPECT_TRUE(Saw("click"));

    Click(edit_);
    Xdo("type --delay 10 'Hello 42'");
    EXPECT_TRUE(Saw("text Hello 42"));

    // The keypad's operators, then keys that type nothing: function keys with their modifiers.
    Xdo("key KP_Add KP_Multiply");
    EXPECT_TRUE(Saw("text Hello 42+*"));
    // (Ctrl+Alt+F<n> belongs to the server: it switches consoles.)
    Xdo("key F5 shift+F12 ctrl+shift+F3 alt+F6");
    EXPECT_TRUE(Saw("key 116"));
    EXPECT_TRUE(Saw("key 123 shift"));
    EXPECT_TRUE(Saw("key 114 shift ctrl"));
    EXPECT_TRUE(Saw("key 117 alt"));

    Xdo("key ctrl+k");
    EXPECT_TRUE(Saw("command Choose"));

    // The menu opens as a window of its own where the platform put it; its first item is chosen.
    Click(menu_);
    const ::Window popup = FindWindow("--class '#32768'");
    ASSERT_NE(popup, 0u) << "no menu window on the server";
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(display_, popup, &attributes));
    EXPECT_TRUE(attributes.override_redirect);
    ::Window child = 0;
    int x = 0, y = 0;
    XTranslateCoordinates(display_, popup, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    // Dropped from the File item, where the platform placed it.
    EXPECT_LT(x, menu_.x);
    EXPECT_GT(y, menu_.y);
    EXPECT_LT(y - menu_.y, 20);
    // The menu's modal loop runs: commands from outside still reach the program.
    zyltest::TempDir folder;
    app_->WriteLine("dump " + (folder.Path() / "form.pixels").string());
    EXPECT_TRUE(Saw("dumped"));
    Click(Point{x + 20, y + 10});
    EXPECT_TRUE(Saw("command Choose"));
}

TEST_F(LiveDisplay, EdgeDragResizesPingIsAnsweredAndWindowManagerCloseEndsTheProgram) {
    const std::string from = std::to_string(edge_.x) + " " + std::to_string(edge_.y);
    const std::string to = std::to_string(edge_.x + 60) + " " + std::to_string(edge_.y);
    Xdo("mousemove " + from + " mousedown 1 mousemove " + to + " mouseup 1");
    EXPECT_TRUE(Saw("size 420 240"));
    XWindowAttributes attributes{};
    for (int attempt = 0; attempt < 100 && attributes.width != 420; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        XGetWindowAttributes(display_, window_, &attributes);
    }
    EXPECT_EQ(attributes.width, 420);

    // A window manager's ping: the program answers on the root window while its loop runs.
    const Atom protocols = XInternAtom(display_, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display_, "_NET_WM_PING", False);
    XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = window_;
    request.xclient.message_type = protocols;
    request.xclient.format = 32;
    request.xclient.data.l[0] = static_cast<long>(ping);
    request.xclient.data.l[1] = 4242;  // the time stamp the answer carries back
    request.xclient.data.l[2] = static_cast<long>(window_);
    XSendEvent(display_, window_, False, NoEventMask, &request);
    XFlush(display_);
    bool answered = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!answered && std::chrono::steady_clock::now() < deadline) {
        while (!answered && XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            answered = event.type == ClientMessage && event.xclient.message_type == protocols &&
                       static_cast<Atom>(event.xclient.data.l[0]) == ping &&
                       event.xclient.data.l[1] == 4242 &&
                       static_cast<::Window>(event.xclient.data.l[2]) == window_ &&
                       event.xclient.window == DefaultRootWindow(display_);
        }
        pollfd fd{ConnectionNumber(display_), POLLIN, 0};
        if (!answered) poll(&fd, 1, 50);
    }
    EXPECT_TRUE(answered) << "no answer to _NET_WM_PING";

    // What a window manager sends when the user closes the window from its frame.
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window_;
    close.xclient.message_type = protocols;
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window_, False, NoEventMask, &close);
    XFlush(display_);
    EXPECT_TRUE(Saw("close"));
    EXPECT_EQ(app_->Wait(10000), 0);
}

TEST_F(LiveDisplay, ClipboardTextGoesBothWaysWithAnotherProgram) {
    ASSERT_FALSE(zyltest::FindProgram({"/usr/bin/xclip"}).empty()) << "xclip is not installed";
    const std::string xclip = "DISPLAY=" + server_.Name() + " xclip -selection clipboard";
    app_->WriteLine("copy Zyl on the clipboard \xC3\xA9t\xC3\xA9");
    ASSERT_TRUE(Saw("copied"));
    EXPECT_EQ(zyltest::RunCommand(xclip + " -o -target UTF8_STRING"),
              "Zyl on the clipboard \xC3\xA9t\xC3\xA9");
    EXPECT_EQ(zyltest::RunCommand(xclip + " -o -target STRING"), "Zyl on the clipboard \xE9t\xE9");

    zyltest::RunCommand("printf 'typed elsewhere \\303\\274' | " + xclip + " -i >/dev/null 2>&1");
    // xclip takes the selection from a process of its own, a moment after it returns.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (zyltest::RunCommand(xclip + " -o") == "typed elsewhere \xC3\xBC") break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    app_->WriteLine("paste");
    std::optional<std::string> pasted;
    while ((pasted = app_->ReadLine(10000)) && pasted->rfind("paste ", 0) != 0) {
    }
    EXPECT_EQ(pasted.value_or("(nothing)"), "paste typed elsewhere \xC3\xBC");
}

TEST_F(LiveDisplay, IdleProgramUsesNoProcessorTime) {
    const auto cpuTicks = [&] {
        std::ifstream stat("/proc/" + std::to_string(app_->Pid()) + "/stat");
        std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(all.substr(all.rfind(')') + 2));
        std::string field;
        long utime = 0, stime = 0;
        for (int index = 3; fields >> field; ++index) {
            if (index == 14) utime = std::stol(field);
            if (index == 15) {
                stime = std::stol(field);
                break;
            }
        }
        return utime + stime;
    };
    const long before = cpuTicks();
    // The measurement itself: five seconds of a shown form with nothing to do.
    std::this_thread::sleep_for(std::chrono::seconds(5));
    const long used = cpuTicks() - before;
    EXPECT_LE(used, 5 * sysconf(_SC_CLK_TCK) / 100) << used << " ticks in 5 s";
}

TEST_F(LiveDisplay, TrayIconDocksInTheSystemTrayAndReportsClicks) {
    // A minimal XEmbed tray: owns the selection, announces itself, embeds what asks to dock.
    const ::Window root = DefaultRootWindow(display_);
    const ::Window tray = XCreateSimpleWindow(display_, root, 900, 740, 100, 24, 0, 0, 0x808080);
    XSelectInput(display_, tray, SubstructureNotifyMask);
    XMapWindow(display_, tray);
    const Atom selection = XInternAtom(display_, "_NET_SYSTEM_TRAY_S0", False);
    XSetSelectionOwner(display_, selection, tray, CurrentTime);
    XEvent manager{};
    manager.xclient.type = ClientMessage;
    manager.xclient.window = root;
    manager.xclient.message_type = XInternAtom(display_, "MANAGER", False);
    manager.xclient.format = 32;
    manager.xclient.data.l[0] = CurrentTime;
    manager.xclient.data.l[1] = static_cast<long>(selection);
    manager.xclient.data.l[2] = static_cast<long>(tray);
    XSendEvent(display_, root, False, StructureNotifyMask, &manager);
    XFlush(display_);

    const Atom opcode = XInternAtom(display_, "_NET_SYSTEM_TRAY_OPCODE", False);
    ::Window icon = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!icon && std::chrono::steady_clock::now() < deadline) {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == ClientMessage && event.xclient.message_type == opcode &&
                event.xclient.data.l[1] == 0)
                icon = static_cast<::Window>(event.xclient.data.l[2]);
        }
        pollfd fd{ConnectionNumber(display_), POLLIN, 0};
        poll(&fd, 1, 50);
    }
    ASSERT_NE(icon, 0u) << "the icon never asked to dock";
    XReparentWindow(display_, icon, tray, 4, 4);
    XMapWindow(display_, icon);
    XSync(display_, False);

    Click(Point{904 + 8, 744 + 8});
    EXPECT_TRUE(Saw("tray 513"));  // WM_LBUTTONDOWN
    EXPECT_TRUE(Saw("tray 514"));  // WM_LBUTTONUP
}

}  // namespace live_display_tests
