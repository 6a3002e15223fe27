#include "core/atomic_file.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "core/text.h"

namespace {

std::optional<size_t>& WriteLimit() {
    static std::optional<size_t> limit;
    return limit;
}

// Pieces small enough that a limit set by a test cuts a write in the middle, as a disk filling up would.
constexpr size_t kChunkBytes = 4096;

void Explain(std::string* reason, std::string text) {
    if (reason) *reason = std::move(text);
}

void RemoveQuietly(const std::filesystem::path& file) {
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
}

}  // namespace

namespace atomicdetail {
void SetWriteLimit(std::optional<size_t> bytes) {
    WriteLimit() = bytes;
}
}  // namespace atomicdetail

std::filesystem::path AtomicTemporaryPath(const std::filesystem::path& target, unsigned attempt) {
    std::filesystem::path temporary = target;
    temporary += ".vantrel-tmp" + (attempt == 0 ? std::string() : std::to_string(attempt));
    return temporary;
}

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view contents,
                         std::string* reason) {
    // Whatever stands under a temporary's name (a run that was killed, a file of the user's) is
    // somebody's: it is neither overwritten nor removed.
    constexpr unsigned kAttempts = 100;
    std::filesystem::path temporary;
    for (unsigned attempt = 0; attempt < kAttempts; ++attempt) {
        std::error_code ignored;
        temporary = AtomicTemporaryPath(target, attempt);
        if (!std::filesystem::exists(std::filesystem::symlink_status(temporary, ignored))) break;
        if (attempt + 1 == kAttempts) {
            Explain(reason, "Cannot write: no free temporary name beside " + text::PathToUtf8(target));
            return false;
        }
    }
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            Explain(reason, "Cannot write: " + text::PathToUtf8(temporary));
            return false;
        }
        size_t written = 0;
        while (written < contents.size() && out) {
            size_t chunk = std::min(kChunkBytes, contents.size() - written);
            if (WriteLimit()) {
                const size_t room = *WriteLimit() > written ? *WriteLimit() - written : 0;
                if (room == 0) {
                    out.setstate(std::ios::badbit);
                    break;
                }
                chunk = std::min(chunk, room);
            }
            out.write(contents.data() + written, static_cast<std::streamsize>(chunk));
            written += chunk;
        }
        out.flush();
        out.close();
        // close() reports the last buffered bytes that did not reach the disk.
        if (out.fail()) {
            RemoveQuietly(temporary);
            Explain(reason, "Cannot write: " + text::PathToUtf8(temporary));
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
        RemoveQuietly(temporary);
        Explain(reason, "Cannot replace " + text::PathToUtf8(target) + ": " + error.message());
        return false;
    }
    return true;
}
