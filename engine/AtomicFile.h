#pragma once

#include "engine/core/Api.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace foliant::engine {

// Replaces the file at path with contents so that readers see either the old file or the
// whole new one: the bytes go to a temporary file in the same folder, which is flushed to
// disk and renamed over the target. On any failure the temporary file is removed, the target
// is left as it was, and EngineError says what failed ("cannot create a temporary file in
// /reports: permission denied"). A symbolic link is followed and the file it names is
// replaced; a device or named pipe is written into, never replaced (see ResolveWriteTarget).
// Temporary files that earlier saves into the same folder left behind when they were killed
// are removed first.
FOLIANT_ENGINE_API void WriteFileAtomically(const std::string& path, std::string_view contents);

// The same with contents made piece by piece: produce hands each piece to the writer it is
// given as soon as it is made, so that a long export is never held whole. When produce throws,
// the temporary file is removed, the target is left as it was, and the exception goes on.
using ChunkWriter = std::function<void(std::string_view)>;
FOLIANT_ENGINE_API void WriteFileAtomically(const std::string& path,
                                            const std::function<void(const ChunkWriter&)>& produce);

// For tests: makes the next atomic writes fail at one step, as a full disk or a failing
// device would. Reset with std::nullopt.
enum class WriteFailure { Write, Sync, Rename };
FOLIANT_ENGINE_API void SetWriteFailureForTesting(std::optional<WriteFailure> failure);

} // namespace foliant::engine
