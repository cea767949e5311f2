#pragma once

#include "archiver/FileDescriptor.h"

#include <cstdint>
#include <string>

namespace lha {

// A file being extracted: written under a hidden temporary name in the
// target folder and renamed over its real name only when complete, so a
// failure never leaves a partial file or harms the file it would replace.
class OutputFile {
public:
    explicit OutputFile(int folderFd);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const { return fd_.valid(); }
    bool write(const void* data, size_t length);
    // Gives the file its modification time (seconds since 1970, 0 to keep
    // the current time) and its bare name in the folder.
    bool commit(const std::string& bareName, std::uint64_t modified);

private:
    int folderFd_;
    FileDescriptor fd_;
    std::string temporaryName_;
};

}  // namespace lha
