// Files written whole: beside the target first, then renamed over it.
#pragma once

#include <filesystem>
#include <string_view>

namespace vortexa {

// Writes `bytes` to a temporary file beside fileName and puts it in the
// target's place only when complete, so that a failure (a full disk) never
// leaves a half-written file and keeps any earlier one. Through a symbolic
// link the file it points to is replaced; an existing file keeps its
// permissions. Throws std::runtime_error naming the file and the reason.
void WriteFileWhole(const std::filesystem::path& fileName, std::string_view bytes);

}  // namespace vortexa
