// File streams with byte and little-endian int access, and the engine's error types.
#pragma once

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

// Base of every error the engine raises; an unhandled one ends the program (see RunGuarded in
// engine/system.h) with its text on stderr and exit status -1.
class TRuntimeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TStreamException : public TRuntimeError {
 public:
  using TRuntimeError::TRuntimeError;
};

class TStreamReadException : public TStreamException {
 public:
  TStreamReadException() : TStreamException("Error reading from stream") {}
};

class TStreamWriteException : public TStreamException {
 public:
  TStreamWriteException() : TStreamException("Error writing to stream") {}
};

// A stream over a file of the C library. Position and size are cached, so Eof costs no system call.
class TCStream {
 public:
  static constexpr int MODE_READ = 1;
  static constexpr int MODE_WRITE = 2;

  TCStream(std::FILE* file, int mode);
  ~TCStream();  // closes the file if still open
  TCStream(const TCStream&) = delete;
  TCStream& operator=(const TCStream&) = delete;

  int Pos() const { return _pos; }
  int Size() const { return _size; }
  int Eof() const { return _pos == _size ? 1 : 0; }
  int Seek(int pos);
  int Read(void* buffer, int count);         // up to count bytes; returns the number read
  int Write(const void* buffer, int count);  // returns the number written
  void Flush();  // raises TStreamWriteException when buffered data cannot be written
  // Flushes and closes; closing again does nothing. When the buffered data cannot be written the
  // file is closed all the same and TStreamWriteException is raised, so that a lost write is never
  // taken for a successful one.
  void Close();

  // Typed access; short reads raise TStreamReadException, failed writes TStreamWriteException.
  void ReadBytes(void* buffer, int count);
  void WriteBytes(const void* buffer, int count);
  int ReadByte();
  int ReadInt();
  void WriteInt(int value);

  // Flushes the file's data to the storage device (fsync); false when that fails or the stream is
  // closed. Used by the atomic save: write a temporary file, Sync, Close, rename.
  bool Sync();

 private:
  // The C library needs a flush or seek between a read and a write on the same file ("r+b").
  enum class LastIo { kNone, kRead, kWrite };
  void SwitchTo(LastIo io);

  int _pos = 0;
  int _size = 0;
  std::FILE* _cstream = nullptr;
  int _mode = 0;
  LastIo _last_io = LastIo::kNone;
};

using TStream = TCStream;
using TStreamPtr = std::shared_ptr<TCStream>;

// Opens a file: readable and writeable "r+b", writeable only "wb" (created or emptied), else "rb".
// nullptr (none), with errno set, when it cannot be opened, is not a regular file (a folder, FIFO,
// socket or device; see OpenRegularFile) or is too large for int positions. Backslashes in the path
// are taken as forward slashes.
TStreamPtr OpenFile(const std::string& path, bool readable, bool writeable);
// Opens an existing regular file for reading; nullptr when it cannot be opened.
TStreamPtr ReadStream(const std::string& path);
// Creates or empties a regular file for writing; nullptr when it cannot be opened.
TStreamPtr WriteStream(const std::string& path);
// Creates a new file for writing; nullptr, with errno EEXIST, when anything is at the path already
// (a link included, which is neither followed nor reused).
TStreamPtr CreateStream(const std::string& path);
