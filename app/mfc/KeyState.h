// The state of the lock keys, where the window system can tell it: under X11 from the
// keyboard's indicator lights; elsewhere it is unknown.
#pragma once

constexpr unsigned LOCK_CAPS = 1;
constexpr unsigned LOCK_NUM = 2;
constexpr unsigned LOCK_SCROLL = 4;

// True with the mask of the lock keys that are on (LOCK_CAPS, LOCK_NUM, LOCK_SCROLL);
// false when the window system cannot tell them.
bool GetLockKeyState(unsigned* locks);

// Tests replace where the state comes from; null restores the window system's.
using LockKeyReader = bool (*)(unsigned* locks);
void SetLockKeyReader(LockKeyReader reader);
