// Streams: memory, string, handle and file streams, their edges and their errors.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "support/tempdir.h"
#include "vcl/classes.h"
#include "win32/files.h"

using namespace vcl;

namespace {

std::string Contents(TMemoryStream& stream) {
    return {static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size())};
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

template <typename E>
std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const E& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Memory streams

TEST(StreamsMemory, ReadWriteSeekAndSize) {
    TMemoryStream stream;
    stream.WriteString("hello world");
    EXPECT_EQ(stream.Position(), 11);
    EXPECT_EQ(stream.Size(), 11);
    EXPECT_EQ(stream.Seek(-5, soEnd), 6);
    EXPECT_EQ(stream.ReadString(100), "world") << "reading past the end returns fewer bytes";
    EXPECT_EQ(stream.ReadString(1), "");
    stream.SetPosition(0);
    stream.WriteString("J");
    EXPECT_EQ(stream.Seek(2, soCurrent), 3);
    EXPECT_EQ(Contents(stream), "Jello world");
}

TEST(StreamsMemory, WritingBeyondTheEndZeroFillsTheGap) {
    TMemoryStream stream;
    stream.WriteString("abcdef");
    stream.SetSize(2);
    EXPECT_EQ(stream.Position(), 2) << "the position follows a shrinking end";
    stream.SetPosition(5);
    stream.WriteString("z");
    EXPECT_EQ(Contents(stream), std::string("ab\0\0\0z", 6));
    stream.SetSize(8);
    EXPECT_EQ(Contents(stream), std::string("ab\0\0\0z\0\0", 8));
}

TEST(StreamsMemory, NegativePositionsTransferNothing) {
    TMemoryStream stream;
    stream.WriteString("abc");
    EXPECT_EQ(stream.Seek(-10, soCurrent), -7);
    char buffer[4];
    EXPECT_EQ(stream.Read(buffer, 4), 0);
    EXPECT_EQ(stream.Write("x", 1), 0);
    EXPECT_EQ(stream.Seek(INT64_MAX, soEnd), -1) << "an overflowing target is refused";
    EXPECT_EQ(stream.Position(), -7);
    EXPECT_EQ(Contents(stream), "abc");
}

TEST(StreamsMemory, BufferErrorsOnShortTransfers) {
    TMemoryStream stream;
    stream.WriteString("ab");
    stream.SetPosition(0);
    char buffer[8];
    EXPECT_EQ(MessageOf<EReadError>([&] { stream.ReadBuffer(buffer, 3); }), "Stream read error");
    EXPECT_EQ(MessageOf<EReadError>([&] { stream.ReadBuffer(buffer, -1); }), "Stream read error");
    stream.SetPosition(-1);
    EXPECT_EQ(MessageOf<EWriteError>([&] { stream.WriteBuffer("x", 1); }), "Stream write error");
    stream.SetPosition(TMemoryStream::kMaxSize);
    EXPECT_EQ(MessageOf<EStreamError>([&] { stream.WriteBuffer("x", 1); }),
              "Out of memory while expanding memory stream");
    EXPECT_THROW(stream.SetSize(-1), EStreamError);
}

TEST(StreamsMemory, CapacityGrowsInBlocksAndClearReleases) {
    TMemoryStream stream;
    stream.WriteString("x");
    EXPECT_EQ(stream.Capacity(), 0x2000);
    stream.SetCapacity(0x2001);
    EXPECT_EQ(stream.Capacity(), 0x4000);
    stream.SetCapacity(0);
    EXPECT_EQ(stream.Capacity(), 0x2000) << "never below the size";
    stream.Clear();
    EXPECT_EQ(stream.Capacity(), 0);
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_EQ(stream.Memory(), nullptr);
}

TEST(StreamsMemory, WritingItsOwnMemoryWhileGrowing) {
    TMemoryStream stream;
    std::string block(0x2000, 'q');
    stream.WriteString(block);
    stream.WriteBuffer(stream.Memory(), 0x2000);
    EXPECT_EQ(Contents(stream), block + block);
}

TEST(StreamsMemory, CopyFromWholeSourceOrACount) {
    TStringStream source(std::string(100000, 'k') + "tail");
    source.SetPosition(50);
    TMemoryStream dest;
    EXPECT_EQ(dest.CopyFrom(source, 0), 100004) << "count 0 copies all from the start";
    EXPECT_EQ(Contents(dest), source.DataString());

    source.SetPosition(100000);
    TMemoryStream part;
    EXPECT_EQ(part.CopyFrom(source, 3), 3);
    EXPECT_EQ(Contents(part), "tai");
    EXPECT_THROW(part.CopyFrom(source, 5), EReadError);
}

TEST(StreamsMemory, SaveAndLoadThroughFiles) {
    zyltest::TempDir dir;
    TMemoryStream stream;
    std::string bytes("\0\x01\xFF binary\r\n", 12);
    stream.WriteString(bytes);
    stream.SaveToFile(dir.File("data.bin"));
    EXPECT_EQ(FileText(dir.File("data.bin")), bytes);

    TMemoryStream loaded;
    loaded.WriteString("previous contents that are longer");
    loaded.LoadFromFile(dir.File("data.bin"));
    EXPECT_EQ(Contents(loaded), bytes);

    TMemoryStream copy;
    loaded.SetPosition(7);
    copy.LoadFromStream(loaded);
    EXPECT_EQ(Contents(copy), bytes) << "loading reads the source from its start";
}

// ---------------------------------------------------------------------------------------------
// String streams

TEST(StreamsString, OverwritesExtendsAndClampsSeeks) {
    TStringStream stream("abcdef");
    EXPECT_EQ(stream.Seek(2, soBeginning), 2);
    stream.WriteString("XY");
    EXPECT_EQ(stream.DataString(), "abXYef");
    stream.Seek(-1, soEnd);
    stream.WriteString("123");
    EXPECT_EQ(stream.DataString(), "abXYe123");
    EXPECT_EQ(stream.Seek(100, soBeginning), 8);
    EXPECT_EQ(stream.Seek(-100, soCurrent), 0);
    EXPECT_EQ(stream.ReadString(3), "abX");
    stream.SetSize(2);
    EXPECT_EQ(stream.Position(), 2);
    EXPECT_EQ(stream.DataString(), "ab");
    stream.Write(stream.DataString().data(), 2);
    EXPECT_EQ(stream.DataString(), "abab");
}

// ---------------------------------------------------------------------------------------------
// Files

TEST(StreamsFile, CreateWriteReopenAndTruncate) {
    zyltest::TempDir dir;
    std::string path = dir.File("f.dat");
    {
        TFileStream file(path, fmCreate);
        file.WriteString(std::string("one\0two", 7));
        EXPECT_EQ(file.Size(), 7);
        EXPECT_EQ(file.FileName(), path);
    }
    {
        TFileStream file(path, fmOpenReadWrite);
        EXPECT_EQ(file.ReadString(3), "one");
        file.SetSize(5);
        EXPECT_EQ(file.Position(), 5);
        file.WriteString("!");
    }
    EXPECT_EQ(FileText(path), std::string("one\0t!", 6));
    {
        TFileStream file(path, fmOpenRead);
        char c;
        file.Seek(0, soEnd);
        EXPECT_EQ(file.Read(&c, 1), 0);
        EXPECT_EQ(file.Write("x", 1), 0) << "a read-only stream writes nothing";
        EXPECT_THROW(file.WriteBuffer("x", 1), EWriteError);
    }
    { TFileStream file(path, fmCreate); }
    EXPECT_EQ(FileText(path), "");
}

// The file dialogs name files by drive: such a name opens the file the drive map points at, in
// any letter case for a file that exists.
TEST(StreamsFile, DrivePathsOpenThroughTheDriveMap) {
    zyltest::TempDir dir;
    win32::testing::MapDrive('S', dir.Path().string());
    {
        TFileStream file("S:\\Made.txt", fmCreate);
        file.WriteString("made");
    }
    EXPECT_EQ(FileText(dir.File("Made.txt")), "made");
    {
        TFileStream file("s:\\MADE.TXT", fmOpenRead);
        EXPECT_EQ(file.ReadString(4), "made");
    }
    win32::testing::UnmapDrive('S');
}

TEST(StreamsFile, OpenAndCreateErrorsCarryTheSystemReason) {
    zyltest::TempDir dir;
    std::string missing = dir.File("missing.txt");
    EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream(missing, fmOpenRead); }),
              "Cannot open file \"" + missing + "\". No such file or directory");
    std::string nested = dir.File("no/such/dir.txt");
    EXPECT_EQ(MessageOf<EFCreateError>([&] { TFileStream(nested, fmCreate); }),
              "Cannot create file \"" + nested + "\". No such file or directory");
    EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream(dir.Path().string(), fmOpenRead); }),
              "Cannot open file \"" + dir.Path().string() + "\". Is a directory");
    { TFileStream file(dir.File("x"), fmCreate); }
    EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream(dir.File("x"), 3); }),
              "Cannot open file \"" + dir.File("x") + "\". Invalid argument");
    EXPECT_TRUE(MessageOf<EFOpenError>([&] {
                    TFileStream(dir.File("x") + std::string(1, '\0'), fmOpenRead);
                }).ends_with("Invalid argument"));
    // An old-style fmCreate works as well.
    EXPECT_NO_THROW(TFileStream(dir.File("old"), 0xFFFF));
}

TEST(StreamsFile, ShareModesRefuseConflictingOpens) {
    zyltest::TempDir dir;
    std::string path = dir.File("shared");
    { TFileStream create(path, fmCreate); }
    auto refused = [&](Word mode) {
        try {
            TFileStream other(path, mode);
            return false;
        } catch (const EFOpenError& e) {
            EXPECT_NE(e.Message().find("being used by another process"), std::string::npos);
            return true;
        }
    };
    {
        TFileStream exclusive(path, fmOpenRead | fmShareExclusive);
        EXPECT_TRUE(refused(fmOpenRead | fmShareDenyNone));
        EXPECT_TRUE(refused(fmOpenWrite));
        EXPECT_THROW(TFileStream(path, fmCreate), EFCreateError);
    }
    {
        TFileStream denyWrite(path, fmOpenRead | fmShareDenyWrite);
        EXPECT_FALSE(refused(fmOpenRead | fmShareDenyWrite));
        EXPECT_FALSE(refused(fmOpenRead));
        EXPECT_TRUE(refused(fmOpenReadWrite | fmShareDenyNone));
        EXPECT_TRUE(refused(fmOpenRead | fmShareExclusive));
    }
    {
        TFileStream none(path, fmOpenReadWrite | fmShareDenyNone);
        EXPECT_FALSE(refused(fmOpenReadWrite | fmShareDenyNone));
    }
}

TEST(StreamsFile, HandleStreamOnAPipeReadsWholeBuffers) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    THandleStream reader(fds[0]);
    THandleStream writer(fds[1]);
    writer.WriteString("abc");
    writer.WriteString("def");
    char buffer[6];
    reader.ReadBuffer(buffer, 6);
    EXPECT_EQ(std::string(buffer, 6), "abcdef");
    EXPECT_EQ(reader.Size(), -1) << "a pipe cannot tell its size";
    close(fds[1]);
    EXPECT_THROW(reader.ReadBuffer(buffer, 1), EReadError);
    close(fds[0]);
}
