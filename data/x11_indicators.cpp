#include "x11_indicators.h"

#include <QGuiApplication>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
// The C header names a field "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>
#include <cstring>
#endif

namespace qm {

#if QT_CONFIG(xcb)

namespace {

// free() for the replies and errors xcb hands over.
template <typename T>
struct XcbReply {
    T* value = nullptr;
    ~XcbReply() { std::free(value); }
};

struct IndicatorNames {
    xcb_connection_t* connection = nullptr;
    bool usable = false;
    xcb_atom_t capsLock = XCB_ATOM_NONE;
    xcb_atom_t numLock = XCB_ATOM_NONE;
};

xcb_atom_t existingAtom(xcb_connection_t* connection, const char* name)
{
    XcbReply<xcb_generic_error_t> error;
    XcbReply<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(std::strlen(name)), name), &error.value)};
    return reply.value ? reply.value->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// Asked once per connection: whether the server speaks XKB, and the names of the two indicators.
const IndicatorNames& indicatorNames(xcb_connection_t* connection)
{
    static IndicatorNames names;
    if (names.connection == connection)
        return names;
    names = IndicatorNames{connection};
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_xkb_id);
    if (!extension || !extension->present)
        return names;
    XcbReply<xcb_generic_error_t> error;
    XcbReply<xcb_xkb_use_extension_reply_t> use{xcb_xkb_use_extension_reply(
        connection, xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), &error.value)};
    names.usable = use.value && use.value->supported;
    if (names.usable) {
        names.capsLock = existingAtom(connection, "Caps Lock");
        names.numLock = existingAtom(connection, "Num Lock");
    }
    return names;
}

}  // namespace

std::optional<bool> x11LockIndicator(LockKey key)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection))
        return std::nullopt;
    const IndicatorNames& names = indicatorNames(connection);
    if (!names.usable)
        return std::nullopt;

    // By name where the keymap names its indicators, as the usual ones do.
    const xcb_atom_t name = key == LockKey::CapsLock ? names.capsLock : names.numLock;
    if (name != XCB_ATOM_NONE) {
        XcbReply<xcb_generic_error_t> error;
        XcbReply<xcb_xkb_get_named_indicator_reply_t> reply{xcb_xkb_get_named_indicator_reply(
            connection,
            xcb_xkb_get_named_indicator(connection, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_LED_CLASS_DFLT_XI_CLASS,
                                        XCB_XKB_ID_DFLT_XI_ID, name),
            &error.value)};
        if (reply.value && reply.value->found)
            return reply.value->on != 0;
    }
    // Otherwise the places the usual servers give them: Caps Lock first, Num Lock second.
    XcbReply<xcb_generic_error_t> error;
    XcbReply<xcb_xkb_get_indicator_state_reply_t> state{xcb_xkb_get_indicator_state_reply(
        connection, xcb_xkb_get_indicator_state(connection, XCB_XKB_ID_USE_CORE_KBD),
        &error.value)};
    if (!state.value)
        return std::nullopt;
    return (state.value->state & (key == LockKey::CapsLock ? 1u : 2u)) != 0;
}

#else

std::optional<bool> x11LockIndicator(LockKey)
{
    return std::nullopt;
}

#endif

}  // namespace qm
