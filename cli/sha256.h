// SHA-256 of a file, for the definition file's fingerprint in a backup.
#pragma once
#include <string>

namespace qzctl {
// Lower-case hexadecimal digest of the file's bytes; empty when it cannot be read.
std::string fileSha256(const std::string& path);
}  // namespace qzctl
