// Streams: the abstract TStream, streams on POSIX descriptors and files, in memory and over a string.
#pragma once

#include <string>
#include <string_view>

#include "vcl/objects.h"

namespace vcl {

enum class TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };
VCL_ENUM_NAMES(TSeekOrigin, "soBeginning", "soCurrent", "soEnd")
using enum TSeekOrigin;

// File open modes: one access mode or'ed with one share mode. fmCreate creates or truncates and
// opens for reading and writing; its low byte may carry a share mode. The older value 0xFFFF is
// also taken as fmCreate without a share mode.
inline constexpr Word fmCreate = 0xFF00;
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmShareCompat = 0x0000;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyRead = 0x0030;
inline constexpr Word fmShareDenyNone = 0x0040;

class TStream : public TObject {
    VCL_DECLARE_CLASS(TStream, TObject)
public:
    // Transfer up to count bytes and return how many moved; a count of zero or less moves nothing.
    virtual Int64 Read(void* buffer, Int64 count) = 0;
    virtual Int64 Write(const void* buffer, Int64 count) = 0;
    // Returns the new position, or -1 when the stream cannot go there.
    virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;

    Int64 Position() { return Seek(0, soCurrent); }
    void SetPosition(Int64 position) { Seek(position, soBeginning); }
    // The default finds the end by seeking and comes back.
    virtual Int64 Size();
    // The default does nothing, for streams that cannot change their size.
    virtual void SetSize(Int64) {}

    // Raise EReadError "Stream read error" / EWriteError "Stream write error" on a short transfer.
    void ReadBuffer(void* buffer, Int64 count);
    void WriteBuffer(const void* buffer, Int64 count);
    // Copies count bytes from the current position of source; a count of 0 copies all of source
    // from its start. Returns the number of bytes copied.
    Int64 CopyFrom(TStream& source, Int64 count);

    // Up to count bytes from the current position; fewer at the end of the stream.
    std::string ReadString(Int64 count);
    void WriteString(std::string_view text) { WriteBuffer(text.data(), static_cast<Int64>(text.size())); }
};

// A stream on an open POSIX descriptor, which it does not close. Reads and writes retry after
// signals; a write transfers everything unless the system refuses. A failing system call reads
// or writes nothing, which ReadBuffer and WriteBuffer report.
class THandleStream : public TStream {
    VCL_DECLARE_CLASS(THandleStream, TStream)
public:
    explicit THandleStream(int handle) : handle_(handle) {}

    int Handle() const { return handle_; }

    Int64 Read(void* buffer, Int64 count) override;
    Int64 Write(const void* buffer, Int64 count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    // Moves to the new size and ends the file there; raises EOSError when the system refuses.
    void SetSize(Int64 size) override;

protected:
    int handle_;
};

// A stream on a named file, closed when the stream is destroyed. Raises EFCreateError
// "Cannot create file \"%s\". %s" or EFOpenError "Cannot open file \"%s\". %s" with the system's
// reason.
//
// Share modes are enforced among processes and streams that use them, through advisory flock
// locks: fmShareExclusive holds an exclusive lock, fmShareDenyWrite a shared one; every open fails
// while another holds an exclusive lock, and an open for writing fails while another holds any.
// fmShareDenyRead cannot be expressed with advisory locks and is accepted without effect.
class TFileStream : public THandleStream {
    VCL_DECLARE_CLASS(TFileStream, THandleStream)
public:
    // rights are the permission bits of a created file, before the umask.
    TFileStream(const std::string& fileName, Word mode, Cardinal rights = 0666);
    ~TFileStream() override;

    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

// A stream over a block of memory that it does not manage; descendants provide the block.
// Positions may lie anywhere: reading outside the data returns nothing.
class TCustomMemoryStream : public TStream {
    VCL_DECLARE_CLASS(TCustomMemoryStream, TStream)
public:
    void* Memory() const { return memory_; }

    Int64 Read(void* buffer, Int64 count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override { return size_; }

    void SaveToStream(TStream& stream) const;
    void SaveToFile(const std::string& fileName) const;

protected:
    void SetPointer(void* memory, Int64 size) {
        memory_ = static_cast<Byte*>(memory);
        size_ = size;
    }

    Byte* memory_ = nullptr;
    Int64 size_ = 0;
    Int64 position_ = 0;
};

// A growable stream in memory. Writing past the end fills the gap with zero bytes.
class TMemoryStream : public TCustomMemoryStream {
    VCL_DECLARE_CLASS(TMemoryStream, TCustomMemoryStream)
public:
    // The most a memory stream holds; asking for more raises EStreamError
    // "Out of memory while expanding memory stream", as a failed allocation does.
    static constexpr Int64 kMaxSize = Int64{1} << 40;

    TMemoryStream() = default;
    ~TMemoryStream() override;

    Int64 Write(const void* buffer, Int64 count) override;
    // New bytes are zero; a position beyond the new end moves to the end.
    void SetSize(Int64 size) override;
    void Clear();

    Int64 Capacity() const { return capacity_; }
    // Never below Size; rounded up to a multiple of 8 KB.
    void SetCapacity(Int64 capacity);

    // Replaces the contents with the whole of stream (read from its start) or of a file.
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);

private:
    void Reallocate(Int64 capacity);
    void Grow(Int64 needed);

    Int64 capacity_ = 0;
};

// A stream over a std::string. Seeking clamps to the data; writing overwrites and extends.
class TStringStream : public TStream {
    VCL_DECLARE_CLASS(TStringStream, TStream)
public:
    explicit TStringStream(std::string data = {}) : data_(std::move(data)) {}

    const std::string& DataString() const { return data_; }

    Int64 Read(void* buffer, Int64 count) override;
    Int64 Write(const void* buffer, Int64 count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override { return static_cast<Int64>(data_.size()); }
    // Cuts or extends with zero bytes; a position beyond the new end moves to the end.
    void SetSize(Int64 size) override;

private:
    std::string data_;
    Int64 position_ = 0;
};

}  // namespace vcl
