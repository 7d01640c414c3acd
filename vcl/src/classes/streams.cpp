#include "vcl/streams.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

#include "win32/files.h"

namespace vcl {

namespace {

constexpr std::string_view kReadError = "Stream read error";
constexpr std::string_view kWriteError = "Stream write error";
constexpr std::string_view kMemoryStreamError = "Out of memory while expanding memory stream";
constexpr std::string_view kInvalidSize = "Invalid stream size (%d)";
// What the system says when another holder's share mode refuses an open.
constexpr std::string_view kSharingViolation =
    "The process cannot access the file because it is being used by another process.";

// The framework copies through a buffer of this size.
constexpr Int64 kCopyBufferSize = 0xF000;
// Memory streams grow in steps of this size.
constexpr Int64 kMemoryDelta = 0x2000;
// Single system calls move at most this much, below every platform's ssize_t limits.
constexpr Int64 kMaxTransfer = Int64{1} << 30;

std::string SystemErrorText(int error) {
    return std::system_category().message(error);
}

// base + offset, or nullopt when the sum leaves Int64.
std::optional<Int64> AddPosition(Int64 base, Int64 offset) {
    Int64 result;
    if (__builtin_add_overflow(base, offset, &result)) return std::nullopt;
    return result;
}

[[noreturn]] void RaiseSizeError(Int64 size) {
    if (size < 0) throw EStreamError(Format(kInvalidSize, {size}));
    throw EStreamError(std::string(kMemoryStreamError));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TStream

VCL_DEFINE_CLASS(TStream, TObject)

Int64 TStream::Size() {
    Int64 position = Seek(0, soCurrent);
    if (position < 0) return -1;
    Int64 end = Seek(0, soEnd);
    Seek(position, soBeginning);
    return end;
}

void TStream::ReadBuffer(void* buffer, Int64 count) {
    if (count == 0) return;
    if (count < 0) throw EReadError(std::string(kReadError));
    auto* bytes = static_cast<Byte*>(buffer);
    // Streams on pipes and sockets may deliver a block in pieces.
    for (Int64 done = 0; done < count;) {
        Int64 got = Read(bytes + done, count - done);
        if (got <= 0) throw EReadError(std::string(kReadError));
        done += std::min(got, count - done);
    }
}

void TStream::WriteBuffer(const void* buffer, Int64 count) {
    if (count == 0) return;
    if (count < 0) throw EWriteError(std::string(kWriteError));
    const auto* bytes = static_cast<const Byte*>(buffer);
    for (Int64 done = 0; done < count;) {
        Int64 put = Write(bytes + done, count - done);
        if (put <= 0) throw EWriteError(std::string(kWriteError));
        done += std::min(put, count - done);
    }
}

Int64 TStream::CopyFrom(TStream& source, Int64 count) {
    std::vector<Byte> buffer;
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
        if (count < 0) {
            // A source that cannot tell its size is copied to its end.
            buffer.resize(static_cast<size_t>(kCopyBufferSize));
            Int64 total = 0;
            for (;;) {
                Int64 got = source.Read(buffer.data(), kCopyBufferSize);
                if (got <= 0) return total;
                WriteBuffer(buffer.data(), got);
                total += got;
            }
        }
    }
    if (count < 0) throw EReadError(std::string(kReadError));
    buffer.resize(static_cast<size_t>(std::min(count, kCopyBufferSize)));
    for (Int64 remaining = count; remaining > 0;) {
        Int64 chunk = std::min(remaining, kCopyBufferSize);
        source.ReadBuffer(buffer.data(), chunk);
        WriteBuffer(buffer.data(), chunk);
        remaining -= chunk;
    }
    return count;
}

std::string TStream::ReadString(Int64 count) {
    std::string result;
    constexpr Int64 kFirstChunk = 0x10000;
    while (count > 0) {
        // Grow with what arrives rather than trusting a huge count up front.
        Int64 chunk = std::min(count, std::max(kFirstChunk, static_cast<Int64>(result.size())));
        size_t old = result.size();
        result.resize(old + static_cast<size_t>(chunk));
        Int64 got = std::clamp<Int64>(Read(result.data() + old, chunk), 0, chunk);
        result.resize(old + static_cast<size_t>(got));
        if (got < chunk) break;
        count -= got;
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// THandleStream

VCL_DEFINE_CLASS(THandleStream, TStream)

Int64 THandleStream::Read(void* buffer, Int64 count) {
    if (count <= 0) return 0;
    for (;;) {
        ssize_t got = ::read(handle_, buffer, static_cast<size_t>(std::min(count, kMaxTransfer)));
        if (got >= 0) return got;
        if (errno != EINTR) return 0;
    }
}

Int64 THandleStream::Write(const void* buffer, Int64 count) {
    if (count <= 0) return 0;
    const auto* bytes = static_cast<const Byte*>(buffer);
    Int64 done = 0;
    while (done < count) {
        ssize_t put =
            ::write(handle_, bytes + done, static_cast<size_t>(std::min(count - done, kMaxTransfer)));
        if (put < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (put == 0) break;
        done += put;
    }
    return done;
}

Int64 THandleStream::Seek(Int64 offset, TSeekOrigin origin) {
    int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    return ::lseek(handle_, static_cast<off_t>(offset), whence);
}

void THandleStream::SetSize(Int64 size) {
    Seek(size, soBeginning);
    int result;
    do {
        result = ::ftruncate(handle_, static_cast<off_t>(size));
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        int error = errno;
        throw EOSError(Format("System Error.  Code: %d.\n%s", {error, SystemErrorText(error)}),
                       static_cast<Cardinal>(error));
    }
}

// ---------------------------------------------------------------------------------------------
// TFileStream

namespace {

bool TryLock(int fd, int operation) {
    for (;;) {
        if (::flock(fd, operation | LOCK_NB) == 0) return true;
        if (errno == EINTR) continue;
        // File systems without locks cannot enforce share modes; the open goes ahead.
        return errno != EWOULDBLOCK;
    }
}

}  // namespace

VCL_DEFINE_CLASS(TFileStream, THandleStream)

namespace {
// The file a name opens: a drive path ("C:\\...", as the file dialogs give them) through the
// platform's drive map, any other name as it stands.
std::string FileToOpen(const std::string& fileName) {
    const bool drivePath =
        fileName.size() >= 2 && fileName[1] == ':' && std::isalpha(static_cast<unsigned char>(fileName[0]));
    if (!drivePath) return fileName;
    std::string native = win32::NativePath(fileName);
    return native.empty() ? fileName : native;
}
}  // namespace

TFileStream::TFileStream(const std::string& fileName, Word mode, Cardinal rights)
    : THandleStream(-1), fileName_(fileName) {
    const bool create = (mode & fmCreate) == fmCreate;
    auto fail = [&](std::string_view reason) {
        if (create) throw EFCreateError(Format("Cannot create file \"%s\". %s", {fileName, reason}));
        throw EFOpenError(Format("Cannot open file \"%s\". %s", {fileName, reason}));
    };
    auto failWith = [&](int error) {
        if (handle_ >= 0) ::close(handle_);
        handle_ = -1;
        fail(SystemErrorText(error));
    };

    Word share = mode == 0xFFFF ? fmShareCompat : static_cast<Word>(mode & 0x00F0);
    Word access = create ? fmOpenReadWrite : static_cast<Word>(mode & 0x000F);
    bool validOpen = create || (mode & 0xFF00) == 0;
    if (!validOpen || access > fmOpenReadWrite || share > fmShareDenyNone ||
        fileName.find('\0') != std::string::npos)
        failWith(EINVAL);

    int flags = O_CLOEXEC | (access == fmOpenRead ? O_RDONLY : access == fmOpenWrite ? O_WRONLY : O_RDWR);
    // Truncation waits until the share locks say the file may be written.
    if (create) flags |= O_CREAT;
    do {
        handle_ = ::open(FileToOpen(fileName).c_str(), flags, static_cast<mode_t>(rights));
    } while (handle_ < 0 && errno == EINTR);
    if (handle_ < 0) failWith(errno);

    struct stat info;
    if (::fstat(handle_, &info) == 0 && S_ISDIR(info.st_mode)) failWith(EISDIR);

    // Any open waits for no exclusive holder; an open for writing for no holder at all.
    bool writing = access != fmOpenRead;
    if (!TryLock(handle_, writing ? LOCK_EX : LOCK_SH)) {
        ::close(handle_);
        handle_ = -1;
        fail(kSharingViolation);
    }
    int keep = share == fmShareExclusive ? LOCK_EX : share == fmShareDenyWrite ? LOCK_SH : LOCK_UN;
    if (keep == LOCK_UN)
        ::flock(handle_, LOCK_UN);
    else if (!TryLock(handle_, keep)) {
        ::close(handle_);
        handle_ = -1;
        fail(kSharingViolation);
    }

    if (create && ::ftruncate(handle_, 0) != 0) failWith(errno);
}

TFileStream::~TFileStream() {
    if (handle_ >= 0) ::close(handle_);
}

// ---------------------------------------------------------------------------------------------
// TCustomMemoryStream

VCL_DEFINE_CLASS(TCustomMemoryStream, TStream)

Int64 TCustomMemoryStream::Read(void* buffer, Int64 count) {
    if (count <= 0 || position_ < 0 || position_ >= size_) return 0;
    Int64 got = std::min(count, size_ - position_);
    std::memcpy(buffer, memory_ + position_, static_cast<size_t>(got));
    position_ += got;
    return got;
}

Int64 TCustomMemoryStream::Seek(Int64 offset, TSeekOrigin origin) {
    Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : size_;
    auto target = AddPosition(base, offset);
    if (!target) return -1;
    position_ = *target;
    return position_;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) const {
    stream.WriteBuffer(memory_, size_);
}

void TCustomMemoryStream::SaveToFile(const std::string& fileName) const {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

// ---------------------------------------------------------------------------------------------
// TMemoryStream

VCL_DEFINE_CLASS(TMemoryStream, TCustomMemoryStream)

TMemoryStream::~TMemoryStream() {
    std::free(memory_);
}

void TMemoryStream::Reallocate(Int64 capacity) {
    if (capacity == capacity_) return;
    if (capacity == 0) {
        std::free(memory_);
        memory_ = nullptr;
        capacity_ = 0;
        return;
    }
    void* resized = std::realloc(memory_, static_cast<size_t>(capacity));
    if (!resized) throw EStreamError(std::string(kMemoryStreamError));
    memory_ = static_cast<Byte*>(resized);
    capacity_ = capacity;
}

void TMemoryStream::SetCapacity(Int64 capacity) {
    if (capacity > kMaxSize) RaiseSizeError(capacity);
    capacity = std::max(capacity, size_);
    Reallocate((capacity + kMemoryDelta - 1) & ~(kMemoryDelta - 1));
}

void TMemoryStream::Grow(Int64 needed) {
    if (needed <= capacity_) return;
    if (needed > kMaxSize) RaiseSizeError(needed);
    Int64 capacity = std::min(std::max(needed, capacity_ + capacity_ / 2), kMaxSize);
    Reallocate((capacity + kMemoryDelta - 1) & ~(kMemoryDelta - 1));
}

Int64 TMemoryStream::Write(const void* buffer, Int64 count) {
    if (count <= 0 || position_ < 0) return 0;
    if (position_ > kMaxSize - count) RaiseSizeError(kMaxSize + 1);
    Int64 end = position_ + count;
    const auto* source = static_cast<const Byte*>(buffer);
    if (end > capacity_) {
        // The data may come from this stream's own block, which growing moves.
        const Byte* old = memory_;
        bool inside = old && source >= old && source < old + capacity_;
        Int64 offset = inside ? source - old : 0;
        Grow(end);
        if (inside) source = memory_ + offset;
    }
    if (position_ > size_) std::memset(memory_ + size_, 0, static_cast<size_t>(position_ - size_));
    std::memmove(memory_ + position_, source, static_cast<size_t>(count));
    size_ = std::max(size_, end);
    position_ = end;
    return count;
}

void TMemoryStream::SetSize(Int64 size) {
    if (size < 0 || size > kMaxSize) RaiseSizeError(size);
    if (size > capacity_) Reallocate((size + kMemoryDelta - 1) & ~(kMemoryDelta - 1));
    if (size > size_) std::memset(memory_ + size_, 0, static_cast<size_t>(size - size_));
    size_ = size;
    if (position_ > size_) position_ = size_;
}

void TMemoryStream::Clear() {
    size_ = 0;
    position_ = 0;
    Reallocate(0);
}

void TMemoryStream::LoadFromStream(TStream& stream) {
    if (&stream == this) return;
    stream.SetPosition(0);
    Int64 count = stream.Size();
    if (count >= 0) {
        SetSize(count);
        stream.ReadBuffer(memory_, count);
        return;
    }
    // A source that cannot tell its size is read to its end.
    SetSize(0);
    position_ = 0;
    Byte chunk[0x4000];
    for (;;) {
        Int64 got = stream.Read(chunk, sizeof chunk);
        if (got <= 0) break;
        WriteBuffer(chunk, got);
    }
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

// ---------------------------------------------------------------------------------------------
// TStringStream

VCL_DEFINE_CLASS(TStringStream, TStream)

Int64 TStringStream::Read(void* buffer, Int64 count) {
    Int64 size = Size();
    if (count <= 0 || position_ >= size) return 0;
    Int64 got = std::min(count, size - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(got));
    position_ += got;
    return got;
}

Int64 TStringStream::Write(const void* buffer, Int64 count) {
    if (count <= 0) return 0;
    if (position_ > TMemoryStream::kMaxSize - count) RaiseSizeError(TMemoryStream::kMaxSize + 1);
    auto at = static_cast<size_t>(position_);
    auto length = static_cast<size_t>(count);
    // replace copes with a buffer inside data_ itself.
    data_.replace(at, std::min(length, data_.size() - at), static_cast<const char*>(buffer), length);
    position_ += count;
    return count;
}

Int64 TStringStream::Seek(Int64 offset, TSeekOrigin origin) {
    Int64 size = Size();
    Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : size;
    auto target = AddPosition(base, offset);
    Int64 position = target ? *target : (offset < 0 ? 0 : size);
    position_ = std::clamp<Int64>(position, 0, size);
    return position_;
}

void TStringStream::SetSize(Int64 size) {
    if (size < 0 || size > TMemoryStream::kMaxSize) RaiseSizeError(size);
    data_.resize(static_cast<size_t>(size));
    if (position_ > size) position_ = size;
}

}  // namespace vcl
