// File streams: little-endian ints, end of file, the read and write errors, opening rules.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/stream.h"
#include "support/headless_run.h"

namespace {

namespace fs = std::filesystem;

class StreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "stream_test_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  void WriteFileBytes(const std::string& name, const std::vector<unsigned char>& bytes) const {
    std::ofstream out(PathOf(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }

  std::vector<unsigned char> FileBytes(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path dir_;
};

TEST_F(StreamTest, IntsAreWrittenAndReadLeastSignificantByteFirst) {
  const std::vector<int> values = {1, -1, 0x12345678, INT_MIN, 0};
  TStreamPtr out = WriteStream(PathOf("ints.dat"));
  ASSERT_TRUE(out);
  for (int value : values) out->WriteInt(value);
  EXPECT_EQ(out->Pos(), 20);
  EXPECT_EQ(out->Size(), 20);
  out->Close();

  const std::vector<unsigned char> expected = {0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF,
                                               0xFF, 0x78, 0x56, 0x34, 0x12, 0x00, 0x00,
                                               0x00, 0x80, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(FileBytes("ints.dat"), expected);

  TStreamPtr in = ReadStream(PathOf("ints.dat"));
  ASSERT_TRUE(in);
  EXPECT_EQ(in->Size(), 20);
  for (int value : values) {
    EXPECT_EQ(in->Eof(), 0);
    EXPECT_EQ(in->ReadInt(), value);
  }
  EXPECT_EQ(in->Eof(), 1);
}

TEST_F(StreamTest, BytesReadAsUnsigned) {
  WriteFileBytes("bytes.dat", {0x00, 0x7F, 0x80, 0xFF});
  TStreamPtr in = ReadStream(PathOf("bytes.dat"));
  ASSERT_TRUE(in);
  EXPECT_EQ(in->ReadByte(), 0);
  EXPECT_EQ(in->ReadByte(), 127);
  EXPECT_EQ(in->ReadByte(), 128);
  EXPECT_EQ(in->ReadByte(), 255);
  EXPECT_THROW(in->ReadByte(), TStreamReadException);
}

TEST_F(StreamTest, ShortReadRaisesAfterConsumingWhatIsLeft) {
  WriteFileBytes("six.dat", {0x2A, 0x00, 0x00, 0x00, 0x07, 0x08});
  TStreamPtr in = ReadStream(PathOf("six.dat"));
  ASSERT_TRUE(in);
  EXPECT_EQ(in->ReadInt(), 42);
  try {
    in->ReadInt();
    FAIL() << "no error at the end of the file";
  } catch (const TStreamReadException& error) {
    EXPECT_STREQ(error.what(), "Error reading from stream");
  }
  EXPECT_EQ(in->Pos(), 6);
  EXPECT_EQ(in->Eof(), 1);
}

TEST_F(StreamTest, EmptyFileIsAtItsEndAtOnce) {
  WriteFileBytes("empty.dat", {});
  TStreamPtr in = ReadStream(PathOf("empty.dat"));
  ASSERT_TRUE(in);
  EXPECT_EQ(in->Size(), 0);
  EXPECT_EQ(in->Eof(), 1);
  EXPECT_THROW(in->ReadInt(), TStreamReadException);
}

TEST_F(StreamTest, WriteStreamTruncates) {
  WriteFileBytes("old.dat", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  TStreamPtr out = WriteStream(PathOf("old.dat"));
  ASSERT_TRUE(out);
  EXPECT_EQ(out->Size(), 0);
  EXPECT_EQ(out->Eof(), 1);
  out->Close();
  EXPECT_EQ(fs::file_size(PathOf("old.dat")), 0u);
}

TEST_F(StreamTest, UnopenablePathsGiveNone) {
  fs::create_directory(PathOf("folder"));
  EXPECT_FALSE(ReadStream(PathOf("missing.dat")));
  EXPECT_FALSE(WriteStream(PathOf("no/such/folder/x.dat")));
  EXPECT_FALSE(WriteStream(PathOf("folder")));
  EXPECT_FALSE(ReadStream(PathOf("folder")));  // opens on Linux, but holds no bytes to read
  EXPECT_TRUE(fs::is_directory(PathOf("folder")));
}

// Only regular files are streams. A FIFO with no writer, a socket or a device opens at once and is
// refused in every mode: nothing waits on it and nothing is written to it. The alarm ends the test
// if an open ever blocks.
TEST_F(StreamTest, SpecialFilesAreRefusedWithoutWaiting) {
  ASSERT_EQ(::mkfifo(PathOf("fifo").c_str(), 0600), 0);
  const int listening = testing_support::ListeningUnixSocket(PathOf("socket"));
  ASSERT_GE(listening, 0);
  const struct {
    const char* name;
    bool readable, writeable;
  } modes[] = {{"read", true, false}, {"update", true, true}, {"replace", false, true}};
  ::alarm(20);
  for (const std::string& path : {PathOf("fifo"), PathOf("socket"), std::string("/dev/zero")}) {
    for (const auto& mode : modes) {
      EXPECT_FALSE(OpenFile(path, mode.readable, mode.writeable)) << path << ", " << mode.name;
    }
  }
  // A FIFO with a reader opens for writing; it is refused all the same.
  const int reader = ::open(PathOf("fifo").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_FALSE(WriteStream(PathOf("fifo")));
  ::alarm(0);
  ::close(reader);
  ::close(listening);
}

TEST_F(StreamTest, BackslashesSeparateFolders) {
  fs::create_directory(PathOf("gfx"));
  WriteFileBytes("gfx/map.dat", {9});
  TStreamPtr in = ReadStream(dir_.string() + "\\gfx\\map.dat");
  ASSERT_TRUE(in);
  EXPECT_EQ(in->ReadByte(), 9);
}

TEST_F(StreamTest, CloseTwiceAndReleaseWhileOpen) {
  {
    TStreamPtr out = WriteStream(PathOf("released.dat"));
    ASSERT_TRUE(out);
    out->WriteInt(-2);
  }  // released while open: closes itself, and the buffered bytes reach the file
  EXPECT_EQ(FileBytes("released.dat"), (std::vector<unsigned char>{0xFE, 0xFF, 0xFF, 0xFF}));

  TStreamPtr in = ReadStream(PathOf("released.dat"));
  ASSERT_TRUE(in);
  in->Close();
  EXPECT_EQ(in->Pos(), 0);
  EXPECT_EQ(in->Size(), 0);
  in->Close();
  EXPECT_THROW(in->ReadByte(), TStreamReadException);
}

// A file-size limit makes the kernel refuse the data beyond it, as a full disk does; SIGXFSZ is
// ignored meanwhile, so the refusal comes back as a failed write.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    const rlimit limited{bytes, old_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limited);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*old_handler_)(int) = nullptr;
};

// The stream buffers the write, so the refusal arrives when the data is flushed.
TEST_F(StreamTest, RefusedWriteIsReportedAtCloseNotTakenForSuccess) {
  const FileSizeLimit limit(2);
  TStreamPtr out = WriteStream(PathOf("closed.dat"));
  ASSERT_TRUE(out);
  out->WriteInt(7);
  try {
    out->Close();
    FAIL() << "a lost write was reported as success";
  } catch (const TStreamWriteException& error) {
    EXPECT_STREQ(error.what(), "Error writing to stream");
  }
  EXPECT_NO_THROW(out->Close());  // the file is closed all the same

  TStreamPtr flushed = WriteStream(PathOf("flushed.dat"));
  ASSERT_TRUE(flushed);
  flushed->WriteInt(7);
  EXPECT_THROW(flushed->Flush(), TStreamWriteException);
  EXPECT_FALSE(flushed->Sync());
}

TEST_F(StreamTest, RefusedWriteBeyondTheBufferRaisesInWriteBytes) {
  const FileSizeLimit limit(2);
  TStreamPtr out = WriteStream(PathOf("large.dat"));
  ASSERT_TRUE(out);
  const std::vector<unsigned char> block(1 << 20, 0xAB);
  EXPECT_THROW(out->WriteBytes(block.data(), static_cast<int>(block.size())),
               TStreamWriteException);
}

TEST_F(StreamTest, SyncWritesThroughAnOpenFile) {
  TStreamPtr out = WriteStream(PathOf("synced.dat"));
  ASSERT_TRUE(out);
  out->WriteInt(0x01020304);
  EXPECT_TRUE(out->Sync());
  EXPECT_EQ(FileBytes("synced.dat"), (std::vector<unsigned char>{4, 3, 2, 1}));
  out->Close();
  EXPECT_FALSE(out->Sync());
}

TEST_F(StreamTest, ReadWriteStreamSwitchesBetweenReadingAndWriting) {
  WriteFileBytes("rw.dat", {'A', 'B', 'C', 'D', 'E', 'F'});
  TStreamPtr rw = OpenFile(PathOf("rw.dat"), true, true);
  ASSERT_TRUE(rw);
  EXPECT_EQ(rw->Size(), 6);
  EXPECT_EQ(rw->ReadByte(), 'A');
  EXPECT_EQ(rw->ReadByte(), 'B');
  rw->WriteBytes("xy", 2);
  EXPECT_EQ(rw->ReadByte(), 'E');
  rw->WriteBytes("zz", 2);  // past the end: the file grows
  EXPECT_EQ(rw->Pos(), 7);
  EXPECT_EQ(rw->Size(), 7);
  EXPECT_EQ(rw->Seek(0), 0);
  unsigned char all[7];
  rw->ReadBytes(all, 7);
  EXPECT_EQ(std::string(all, all + 7), "ABxyEzz");
  EXPECT_EQ(rw->Eof(), 1);
}

}  // namespace
