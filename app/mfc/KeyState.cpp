#include "KeyState.h"

#include <QGuiApplication>
#include <cstdlib>

#ifdef TAVO_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace {

// X11 numbers the keyboard's lights from 1: Caps Lock, Num Lock, Scroll Lock.
bool ReadWindowSystem(unsigned* locks)
{
#if defined(TAVO_HAVE_XCB) && QT_CONFIG(xcb)
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    xcb_get_keyboard_control_reply_t* reply =
        xcb_get_keyboard_control_reply(connection, xcb_get_keyboard_control(connection), nullptr);
    if (!reply)
        return false;
    *locks = reply->led_mask & (LOCK_CAPS | LOCK_NUM | LOCK_SCROLL);
    std::free(reply);
    return true;
#else
    (void)locks;
    return false;
#endif
}

LockKeyReader reader = ReadWindowSystem;

} // namespace

bool GetLockKeyState(unsigned* locks)
{
    *locks = 0;
    return reader(locks);
}

void SetLockKeyReader(LockKeyReader replacement)
{
    reader = replacement ? replacement : ReadWindowSystem;
}
