// The X11 focus source: "_NET_ACTIVE_WINDOW" of the first screen's root window, watched through
// property-change events on the root (no polling), and the "_NET_WM_PID" of that window.
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/active_program.h"
#include "platform/log_categories.h"

namespace platform {

namespace {

class XcbFocusSource : public IFocusSource {
  public:
    XcbFocusSource() { Connect(); }
    ~XcbFocusSource() override { Disconnect(); }

    FocusState Current() override {
        if (!connection_ || xcb_connection_has_error(connection_)) {
            Lost();
            return {};
        }
        const xcb_window_t window = ReadWindowProperty(root_, activeAtom_);
        if (!connection_ || xcb_connection_has_error(connection_)) {
            Lost();
            return {};
        }
        if (window == XCB_WINDOW_NONE) return {true, 0};
        return {true, ReadCardinal(window, pidAtom_)};
    }

    int EventDescriptor() const override {
        return connection_ ? xcb_get_file_descriptor(connection_) : -1;
    }

    bool DrainEvents() override {
        if (!connection_) return false;
        bool changed = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
                const auto* property = reinterpret_cast<xcb_property_notify_event_t*>(event);
                if (property->atom == activeAtom_) changed = true;
            }
            std::free(event);
        }
        if (xcb_connection_has_error(connection_)) {
            Lost();
            return true;
        }
        return changed;
    }

  private:
    void Connect() {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) return;
        int screenNumber = 0;
        connection_ = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(connection_)) {
            xcb_disconnect(connection_);
            connection_ = nullptr;
            return;
        }
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = 0; i < screenNumber && screens.rem; ++i) xcb_screen_next(&screens);
        if (!screens.rem) {
            Disconnect();
            return;
        }
        root_ = screens.data->root;
        activeAtom_ = Atom("_NET_ACTIVE_WINDOW");
        pidAtom_ = Atom("_NET_WM_PID");
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
    }

    void Disconnect() {
        if (connection_) xcb_disconnect(connection_);
        connection_ = nullptr;
    }

    void Lost() {
        if (connection_ && !lostLogged_) {
            qCWarning(lcPlatform)
                << "the X server went away: programs in front are found from /proc";
            lostLogged_ = true;
        }
        Disconnect();
    }

    xcb_atom_t Atom(const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return atom;
    }

    // One 32-bit value of a property, or 0.
    uint32_t ReadValue(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
        if (property == XCB_ATOM_NONE) return 0;
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, property, type, 0, 1), nullptr);
        uint32_t value = 0;
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
            std::memcpy(&value, xcb_get_property_value(reply), sizeof value);
        std::free(reply);
        return value;
    }

    xcb_window_t ReadWindowProperty(xcb_window_t window, xcb_atom_t property) {
        return ReadValue(window, property, XCB_ATOM_WINDOW);
    }
    std::int64_t ReadCardinal(xcb_window_t window, xcb_atom_t property) {
        return ReadValue(window, property, XCB_ATOM_CARDINAL);
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t activeAtom_ = XCB_ATOM_NONE;
    xcb_atom_t pidAtom_ = XCB_ATOM_NONE;
    bool lostLogged_ = false;
};

}  // namespace

std::unique_ptr<IFocusSource> MakeXcbFocusSource() { return std::make_unique<XcbFocusSource>(); }

}  // namespace platform
