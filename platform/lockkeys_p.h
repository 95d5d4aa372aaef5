#pragma once

enum class LockKey { CapsLock, NumLock };

// Implemented once per window system, in a source file of its own.
bool queryLockKey(LockKey key);
