#include "engine/stream.h"

#include "engine/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>

TCStream::TCStream(std::FILE* file, int mode) : _cstream(file), _mode(mode) {
  _pos = static_cast<int>(std::ftell(file));
  std::fseek(file, 0, SEEK_END);
  _size = static_cast<int>(std::ftell(file));
  std::fseek(file, _pos, SEEK_SET);
}

// A stream released while open closes itself; a destructor cannot raise, so a failed final flush
// is only detectable by closing explicitly first.
TCStream::~TCStream() {
  try {
    Close();
  } catch (const TStreamWriteException&) {}
}

int TCStream::Seek(int pos) {
  if (!_cstream) return -1;
  if (_last_io == LastIo::kWrite) Flush();  // so that a failed write is not lost in the seek
  std::fseek(_cstream, pos, SEEK_SET);
  _last_io = LastIo::kNone;
  _pos = static_cast<int>(std::ftell(_cstream));
  return _pos;
}

int TCStream::Read(void* buffer, int count) {
  if (!_cstream || count <= 0) return 0;
  SwitchTo(LastIo::kRead);
  const int n = static_cast<int>(std::fread(buffer, 1, static_cast<std::size_t>(count), _cstream));
  _pos += n;
  return n;
}

int TCStream::Write(const void* buffer, int count) {
  if (!_cstream || count <= 0) return 0;
  SwitchTo(LastIo::kWrite);
  const int n = static_cast<int>(std::fwrite(buffer, 1, static_cast<std::size_t>(count), _cstream));
  // Once the system refused a write, the C library still takes bytes into its buffer and may
  // drop them without a word: from then on nothing counts as written.
  if (std::ferror(_cstream)) return 0;
  _pos += n;
  _size = std::max(_size, _pos);
  return n;
}

void TCStream::Flush() {
  if (!_cstream || !(_mode & MODE_WRITE)) return;
  if (std::fflush(_cstream) != 0 || std::ferror(_cstream)) throw TStreamWriteException();
}

void TCStream::Close() {
  if (!_cstream) return;
  std::FILE* file = _cstream;
  _pos = 0;
  _size = 0;
  _cstream = nullptr;
  _last_io = LastIo::kNone;
  const bool flushed = !(_mode & MODE_WRITE) || (std::fflush(file) == 0 && !std::ferror(file));
  const bool closed = std::fclose(file) == 0;
  if ((_mode & MODE_WRITE) && !(flushed && closed)) throw TStreamWriteException();
}

bool TCStream::Sync() {
  if (!_cstream || std::fflush(_cstream) != 0 || std::ferror(_cstream)) return false;
  return ::fsync(::fileno(_cstream)) == 0;
}

void TCStream::SwitchTo(LastIo io) {
  if (_last_io == LastIo::kWrite && io == LastIo::kRead) {
    Flush();
  } else if (_last_io == LastIo::kRead && io == LastIo::kWrite) {
    std::fseek(_cstream, 0, SEEK_CUR);
  }
  _last_io = io;
}

void TCStream::ReadBytes(void* buffer, int count) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    const int n = Read(bytes, count);
    if (n == 0) throw TStreamReadException();
    bytes += n;
    count -= n;
  }
}

void TCStream::WriteBytes(const void* buffer, int count) {
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  while (count > 0) {
    const int n = Write(bytes, count);
    if (n == 0) throw TStreamWriteException();
    bytes += n;
    count -= n;
  }
}

int TCStream::ReadByte() {
  unsigned char byte = 0;
  ReadBytes(&byte, 1);
  return byte;
}

// Little-endian whatever the host's byte order.
int TCStream::ReadInt() {
  unsigned char bytes[4];
  ReadBytes(bytes, 4);
  const std::uint32_t value =
      bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t{bytes[3]} << 24;
  return static_cast<int>(value);
}

void TCStream::WriteInt(int value) {
  const auto bits = static_cast<std::uint32_t>(value);
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
      static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
  WriteBytes(bytes, 4);
}

TStreamPtr OpenFile(const std::string& path, bool readable, bool writeable) {
  std::string file_path = path;
  std::replace(file_path.begin(), file_path.end(), '\\', '/');
  FileUse use = FileUse::kRead;
  int mode = TCStream::MODE_READ;
  if (readable && writeable) {
    use = FileUse::kUpdate;
    mode = TCStream::MODE_READ | TCStream::MODE_WRITE;
  } else if (writeable) {
    use = FileUse::kReplace;
    mode = TCStream::MODE_WRITE;
  }
  std::FILE* file = OpenRegularFile(file_path, use);
  if (!file) return nullptr;
  // Positions and sizes are ints: a larger file is not one this engine can use.
  struct stat info {};
  if (::fstat(::fileno(file), &info) != 0 || info.st_size > INT_MAX) {
    std::fclose(file);
    errno = EFBIG;
    return nullptr;
  }
  return std::make_shared<TCStream>(file, mode);
}

TStreamPtr CreateStream(const std::string& path) {
  std::FILE* file = CreateNewFile(path);
  return file ? std::make_shared<TCStream>(file, TCStream::MODE_WRITE) : nullptr;
}

TStreamPtr ReadStream(const std::string& path) { return OpenFile(path, true, false); }
TStreamPtr WriteStream(const std::string& path) { return OpenFile(path, false, true); }
