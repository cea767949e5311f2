#include "LhaReader.h"

#include "archiver/LhaArchiveWalk.h"
#include "archiver/LhaMemberName.h"
#include "archiver/ReplaceByRename.h"

#include <lhasa.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace lha {
namespace {

// Feeds a decoder the member's compressed bytes, read in large blocks:
// decoders ask for a few bytes at a time.
class CompressedData {
public:
    CompressedData(const ByteSource& source, std::uint64_t offset, std::uint64_t length)
        : source_(source), offset_(offset), remaining_(length), buffer_(kBlock) {}

    static size_t read(void* buf, size_t len, void* self) {
        return static_cast<CompressedData*>(self)->read(static_cast<std::uint8_t*>(buf), len);
    }

private:
    static constexpr size_t kBlock = 256 * 1024;

    size_t read(std::uint8_t* out, size_t len) {
        size_t done = 0;
        while (done < len) {
            if (next_ == filled_ && !refill()) {
                break;
            }
            const size_t n = std::min(len - done, filled_ - next_);
            std::copy_n(buffer_.data() + next_, n, out + done);
            next_ += n;
            done += n;
        }
        return done;
    }

    bool refill() {
        const size_t n = static_cast<size_t>(std::min<std::uint64_t>(kBlock, remaining_));
        if (n == 0 || !source_.readAt(offset_, buffer_.data(), n)) {
            return false;
        }
        offset_ += n;
        remaining_ -= n;
        next_ = 0;
        filled_ = n;
        return true;
    }

    const ByteSource& source_;
    std::uint64_t offset_;
    std::uint64_t remaining_;
    std::vector<std::uint8_t> buffer_;
    size_t next_ = 0;
    size_t filled_ = 0;
};

struct DecoderDeleter {
    void operator()(LHADecoder* decoder) const { lha_decoder_free(decoder); }
};

// One member's decoder and the compressed bytes it reads, which must stay
// where the decoder found them. type is null for a method lhasa does not
// know; decoder is null when the member cannot be decoded.
struct MemberDecoder {
    MemberDecoder(const ByteSource& source, const WalkEntry& entry)
        : input(source, entry.dataOffset, entry.header->compressed_length) {
        char method[sizeof entry.header->compress_method];
        std::copy_n(entry.header->compress_method, sizeof method, method);
        type = lha_decoder_for_name(method);
        if (type != nullptr) {
            decoder.reset(
                lha_decoder_new(type, &CompressedData::read, &input, entry.header->length));
        }
    }
    MemberDecoder(const MemberDecoder&) = delete;
    MemberDecoder& operator=(const MemberDecoder&) = delete;

    CompressedData input;
    LHADecoderType* type = nullptr;
    std::unique_ptr<LHADecoder, DecoderDeleter> decoder;
};

// Decodes one member into a temporary file in the folder and renames it
// over its bare name only once its length and CRC are right.
Status extractMember(const ByteSource& source, const WalkEntry& entry, int folderFd,
                     const std::string& bareName) {
    const LHAFileHeader& header = *entry.header;
    MemberDecoder member(source, entry);
    if (member.type == nullptr) {
        return Status::UnsupportedMethod;
    }
    LHADecoder* decoder = member.decoder.get();
    if (decoder == nullptr) {
        return Status::DamagedArchive;
    }
    ReplaceByRename::PendingFile output(folderFd, ".unlha-XXXXXX");
    if (!output.valid()) {
        return Status::WriteFailed;
    }
    std::vector<std::uint8_t> buffer(256 * 1024);
    while (true) {
        const size_t n = lha_decoder_read(decoder, buffer.data(), buffer.size());
        if (n == 0) {
            break;
        }
        if (!output.write(buffer.data(), n)) {
            return Status::WriteFailed;
        }
    }
    if (lha_decoder_get_length(decoder) != header.length ||
        lha_decoder_get_crc(decoder) != header.crc) {
        return Status::CrcMismatch;
    }
    if (header.timestamp != 0) {
        const struct timespec times[2] = {{0, UTIME_NOW},
                                          {static_cast<time_t>(header.timestamp), 0}};
        ::futimens(output.fd(), times);  // a time that cannot be set is no reason to fail
    }
    return output.commit(bareName, ReplaceByRename::Existing::Replace,
                         ReplaceByRename::FolderSync::ByCaller)
               ? Status::Ok
               : Status::WriteFailed;
}

ExtractResult extractFrom(const ByteSource& source, const std::filesystem::path& folder,
                          std::string_view pattern) {
    ExtractResult result;
    const FileDescriptor folderHandle =
        FileDescriptor::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (!folderHandle.valid()) {
        result.status = Status::MissingFolder;
        return result;
    }
    const int folderFd = folderHandle.get();
    ArchiveWalk walk(source);
    if (!walk.isOpen()) {
        result.status = Status::CannotOpenArchive;
        return result;
    }
    while (true) {
        const std::optional<WalkEntry> entry = walk.next();
        if (!entry) {
            break;
        }
        if (!entry->isFile) {
            continue;
        }
        const MemberName name = ParseMemberName(entry->storedDirectory, entry->storedName);
        if (!MatchesPattern(name.bareName, pattern)) {
            continue;
        }
        Status status = Status::UnsafeMemberName;
        if (name.safe) {
            status = extractMember(source, *entry, folderFd, name.bareName);
        }
        if (status == Status::Ok) {
            ++result.filesWritten;
        } else if (result.status == Status::Ok) {
            result.status = status;
        }
    }
    if (walk.damaged() && result.status == Status::Ok) {
        result.status = Status::DamagedArchive;
    }
    if (result.filesWritten > 0) {
        ::fsync(folderFd);
    }
    return result;
}

}  // namespace

const char* StatusText(Status status) {
    switch (status) {
        case Status::Ok:
            return "OK";
        case Status::BadCommand:
            return "bad command";
        case Status::CannotOpenArchive:
            return "cannot open archive";
        case Status::DamagedArchive:
            return "damaged archive";
        case Status::UnsafeMemberName:
            return "unsafe member name";
        case Status::CrcMismatch:
            return "CRC error";
        case Status::UnsupportedMethod:
            return "unsupported method";
        case Status::MissingFolder:
            return "no such folder";
        case Status::WriteFailed:
            return "write error";
        case Status::StoreFailed:
            return "store failed";
    }
    return "error";
}

ExtractResult ExtractFiles(const std::filesystem::path& archive,
                           const std::filesystem::path& folder, std::string_view pattern) {
    const std::optional<FileSource> source = FileSource::open(archive);
    if (!source) {
        return {Status::CannotOpenArchive, 0};
    }
    return extractFrom(*source, folder, pattern);
}

ExtractResult ExtractFilesFromMemory(std::span<const std::uint8_t> archive,
                                     const std::filesystem::path& folder,
                                     std::string_view pattern) {
    const MemorySource source(archive);
    return extractFrom(source, folder, pattern);
}

std::optional<std::vector<MemberInfo>> ListFiles(const std::filesystem::path& archive) {
    const std::optional<FileSource> source = FileSource::open(archive);
    if (!source) {
        return std::nullopt;
    }
    ArchiveWalk walk(*source);
    if (!walk.isOpen()) {
        return std::nullopt;
    }
    std::vector<MemberInfo> members;
    while (const std::optional<WalkEntry> entry = walk.next()) {
        if (!entry->isFile) {
            continue;
        }
        const MemberName name = ParseMemberName(entry->storedDirectory, entry->storedName);
        const LHAFileHeader& header = *entry->header;
        members.push_back({name.safe ? name.bareName : std::string(),
                           std::string(header.compress_method), header.length,
                           header.compressed_length, header.crc, header.header_level});
    }
    if (walk.damaged()) {
        return std::nullopt;
    }
    return members;
}

std::optional<std::vector<std::uint8_t>> ReadMemberStart(const std::filesystem::path& archive,
                                                         size_t index, size_t length) {
    const std::optional<FileSource> source = FileSource::open(archive);
    if (!source) {
        return std::nullopt;
    }
    ArchiveWalk walk(*source);
    size_t files = 0;
    while (const std::optional<WalkEntry> entry = walk.next()) {
        if (!entry->isFile || files++ != index) {
            continue;
        }
        MemberDecoder member(*source, *entry);
        LHADecoder* decoder = member.decoder.get();
        if (decoder == nullptr) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> bytes(std::min<std::uint64_t>(length, entry->header->length));
        size_t filled = 0;
        while (filled < bytes.size()) {
            const size_t n =
                lha_decoder_read(decoder, bytes.data() + filled, bytes.size() - filled);
            if (n == 0) {
                return std::nullopt;
            }
            filled += n;
        }
        return bytes;
    }
    return std::nullopt;
}

}  // namespace lha
