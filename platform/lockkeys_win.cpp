#include "platform/lockkeys_p.h"

#include <windows.h>

bool queryLockKey(LockKey key)
{
    // Low bit: toggled on; high bit: held down. At a key release only the toggle is left,
    // and either bit counts as on.
    return GetKeyState(key == LockKey::CapsLock ? VK_CAPITAL : VK_NUMLOCK) != 0;
}
