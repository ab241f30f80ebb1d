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
  int Read(void* buffer, int count);   // up to count bytes; returns the number read
  int Write(const void* buffer, int count);
  void Flush();
  void Close();  // flushes and closes; closing again does nothing

  // Typed access; short reads raise TStreamReadException, failed writes TStreamWriteException.
  void ReadBytes(void* buffer, int count);
  void WriteBytes(const void* buffer, int count);
  int ReadByte();
  int ReadInt();
  void WriteInt(int value);

  // Flushes the file's data to the storage device (fsync); false when that fails.
  bool Sync();

 private:
  int _pos = 0;
  int _size = 0;
  std::FILE* _cstream = nullptr;
  int _mode = 0;
};

using TStream = TCStream;
using TStreamPtr = std::shared_ptr<TCStream>;

// Opens an existing file for reading; nullptr (none) when it cannot be opened.
// Backslashes in the path are taken as forward slashes.
TStreamPtr ReadStream(const std::string& path);
// Creates or truncates a file for writing; nullptr when it cannot be opened.
TStreamPtr WriteStream(const std::string& path);
