// The platform's clipboard text and the CLIPBOARD selection: this process owns the selection while
// its clipboard holds text, and reads another program's text when the clipboard is opened.
#include <poll.h>

#include <algorithm>
#include <chrono>

// Xlib last: see x11_internal.h.
#include "display/x11/x11_internal.h"

namespace win32::display::x11 {

namespace {

constexpr int kConversionTimeout = 1000;  // milliseconds another program has to answer

std::string Latin1ToUtf8(const unsigned char* bytes, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char c = bytes[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// STRING is Latin-1: characters beyond it become '?'.
std::string Utf8ToLatin1(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        uint32_t cp = length == 1 ? b : b & (0x3F >> (length - 1));
        for (size_t k = 1; k < length && i + k < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out += cp < 0x100 ? static_cast<char>(cp) : '?';
        i += length;
    }
    return out;
}

// Waits for an event of `type` on `window` without disturbing the others in the queue.
bool AwaitEvent(Display* display, ::Window window, int type, XEvent* event, int milliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (XCheckTypedWindowEvent(display, window, type, event)) return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        if (left <= 0) return false;
        XFlush(display);
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(std::min<long long>(left, 50)));
    }
}

}  // namespace

void Backend::ClipboardChanged() {
    // The connection belongs to the UI thread: a change made elsewhere is taken up at its next sync.
    if (!user::IsUiThread()) {
        clipboardChanged_ = true;
        Wake();
        return;
    }
    clipboardChanged_ = false;
    std::string text;
    if (user::ClipboardTextForOthers(&text)) {
        XSetSelectionOwner(display_, atoms.clipboard, helper_, CurrentTime);
        ownsClipboard_ = XGetSelectionOwner(display_, atoms.clipboard) == helper_;
    } else if (ownsClipboard_) {
        XSetSelectionOwner(display_, atoms.clipboard, None, CurrentTime);
        ownsClipboard_ = false;
    }
    XFlush(display_);
}

void Backend::HandleSelectionClear(XSelectionClearEvent& event) {
    if (event.selection == atoms.clipboard) ownsClipboard_ = false;
}

void Backend::HandleSelectionRequest(XSelectionRequestEvent& event) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = event.requestor;
    reply.xselection.selection = event.selection;
    reply.xselection.target = event.target;
    reply.xselection.property = None;
    reply.xselection.time = event.time;
    // Old clients name no property: the target's name serves.
    const Atom property = event.property != None ? event.property : event.target;
    std::string text;
    if (event.selection == atoms.clipboard && ownsClipboard_ && user::ClipboardTextForOthers(&text)) {
        if (event.target == atoms.targets) {
            const Atom targets[] = {atoms.targets, atoms.utf8String, atoms.text, XA_STRING};
            XChangeProperty(display_, event.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(targets), 4);
            reply.xselection.property = property;
        } else if (event.target == atoms.utf8String || event.target == atoms.text ||
                   event.target == XA_STRING) {
            const bool latin1 = event.target == XA_STRING;
            if (latin1) text = Utf8ToLatin1(text);
            // One request carries it, or the requestor gets a refusal rather than a part.
            const long limit =
                std::max(XExtendedMaxRequestSize(display_), XMaxRequestSize(display_)) * 4 - 64;
            if (static_cast<long>(text.size()) <= limit) {
                XChangeProperty(display_, event.requestor, property, latin1 ? XA_STRING : atoms.utf8String, 8,
                                PropModeReplace, reinterpret_cast<const unsigned char*>(text.data()),
                                static_cast<int>(text.size()));
                reply.xselection.property = property;
            }
        }
    }
    XSendEvent(display_, event.requestor, False, NoEventMask, &reply);
    XFlush(display_);
}

bool Backend::ForeignClipboardText(std::string* text) {
    if (!user::IsUiThread()) return false;
    const ::Window owner = XGetSelectionOwner(display_, atoms.clipboard);
    if (owner == None || owner == helper_) return false;
    for (const Atom target : {atoms.utf8String, static_cast<Atom>(XA_STRING)}) {
        XDeleteProperty(display_, helper_, atoms.zylSelection);
        XConvertSelection(display_, atoms.clipboard, target, atoms.zylSelection, helper_, CurrentTime);
        XEvent notify;
        if (!AwaitEvent(display_, helper_, SelectionNotify, &notify, kConversionTimeout)) return false;
        if (notify.xselection.property == None) continue;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::string received;
        if (XGetWindowProperty(display_, helper_, atoms.zylSelection, 0, 0x1FFFFFFF, True, AnyPropertyType,
                               &type, &format, &count, &after, &data) != Success)
            return false;
        if (type == atoms.incr) {
            // Large text comes in parts: each new value of the property is the next one, an empty
            // value the end.
            if (data) XFree(data);
            for (;;) {
                XEvent changed;
                do {
                    if (!AwaitEvent(display_, helper_, PropertyNotify, &changed, kConversionTimeout))
                        return false;
                } while (changed.xproperty.atom != atoms.zylSelection ||
                         changed.xproperty.state != PropertyNewValue);
                data = nullptr;
                if (XGetWindowProperty(display_, helper_, atoms.zylSelection, 0, 0x1FFFFFFF, True,
                                       AnyPropertyType, &type, &format, &count, &after, &data) != Success)
                    return false;
                const bool last = count == 0;
                if (data) {
                    received.append(reinterpret_cast<const char*>(data), count);
                    XFree(data);
                }
                if (last) break;
            }
        } else {
            if (data) {
                if (format == 8) received.assign(reinterpret_cast<const char*>(data), count);
                XFree(data);
            }
        }
        *text = target == XA_STRING
                    ? Latin1ToUtf8(reinterpret_cast<const unsigned char*>(received.data()), received.size())
                    : received;
        return true;
    }
    return false;
}

}  // namespace win32::display::x11
