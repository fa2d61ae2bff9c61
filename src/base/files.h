// Files and special folders.
#pragma once

#include "base/text.h"

namespace base {

// Writes `bytes` to `path` atomically: the bytes go to a new file in the same folder which
// then replaces `path` by rename. True on success. False for an empty path, a missing
// folder, a path that names a folder or ends in "/", or any error; the earlier file at
// `path` is then intact and nothing partial stays. Creates no folders. A replaced file keeps
// its permission bits; a new one gets 0666 less the umask.
// `Durability::flushed` waits for the bytes to reach the disk before the rename, so a crash
// leaves the old or the new file; `unflushed` skips that wait, for scratch files.
enum class Durability { flushed, unflushed };
bool WriteFileBytes(const Text& path, const ByteBuffer& bytes,
                    Durability durability = Durability::flushed);

// The whole regular file, or false (with `bytes` empty) when it cannot be read. Refuses
// files over `maxBytes`.
bool ReadFileBytes(const Text& path, ByteBuffer& bytes, std::size_t maxBytes);

enum class FolderKind { desktop, temporaryFiles };

// The user's XDG desktop folder, or $TMPDIR (else "/tmp"), always ending in "/";
// the empty text on failure.
Text SpecialFolder(FolderKind kind);

}  // namespace base
