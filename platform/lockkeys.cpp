#include "platform/lockkeys.h"

#include "platform/lockkeys_p.h"

bool isCapsLockOn()
{
    return queryLockKey(LockKey::CapsLock);
}

bool isNumLockOn()
{
    return queryLockKey(LockKey::NumLock);
}

#if !defined(SMELT_LOCKKEYS_X11) && !defined(SMELT_LOCKKEYS_WIN)
bool queryLockKey(LockKey)
{
    return false;
}
#endif
