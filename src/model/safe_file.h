// Whole-file reading with a size limit, and saving that replaces the target
// in one step: data goes to a temporary file beside it, which is then renamed
// over the target, so an interrupted save never destroys the previous file.
// A target reached through symbolic links is the file they lead to (the links
// stay links), and a file the user may not write is never replaced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace grusk {

// The file that path names once its symbolic links are followed (the path
// itself when it is no link); the result need not exist.
std::string resolveSymlinks(const std::string& path);
// False when the file exists and the current user may not write it. Root may
// write anything, so for root a file without any write permission bit counts
// as protected: the user marked it read-only on purpose.
bool mayReplaceFile(const std::string& path);

// The writer gets an open binary stream and returns false on failure. A
// target that mayReplaceFile refuses fails with errno EACCES, unchanged.
bool writeFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& writer);
bool writeFileAtomically(const std::string& path, const void* data, size_t size);
inline bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
    return writeFileAtomically(path, bytes.data(), bytes.size());
}

// Reads a whole file; nullopt when it cannot be opened or is larger than maxSize.
std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path, size_t maxSize);
// Size of a regular file, or -1 when it does not exist or is not a regular file.
long long fileSize(const std::string& path);
bool canOpenForReading(const std::string& path);

// Case-insensitive check of a file name ending such as ".cas".
bool endsWithNoCase(const std::string& text, const std::string& ending);

}  // namespace grusk
