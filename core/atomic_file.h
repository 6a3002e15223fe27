// Whole-file replacement for the files the program keeps (settings, backups): a reader, or the program
// started again after a crash or a full disk, finds either the old file or the new one, never a part.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Writes the contents to a temporary file beside the target, flushes and closes it, then renames it
// over the target. False, with the target as it was and no temporary left behind, when any step fails;
// reason then says which step and why. A file already there under the temporary's name is never
// touched: the next free name is taken.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view contents,
                         std::string* reason = nullptr);

// The temporary file's name for a target: "<target>.vantrel-tmp", then "<target>.vantrel-tmp1" and on.
std::filesystem::path AtomicTemporaryPath(const std::filesystem::path& target, unsigned attempt = 0);

namespace atomicdetail {
// Makes every write fail once this many bytes of the temporary file are out, as a full disk would
// (tests only); nothing restores normal writes.
void SetWriteLimit(std::optional<size_t> bytes);
}  // namespace atomicdetail
