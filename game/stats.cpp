#include "game/stats.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/stream.h"
#include "game/globals.h"

namespace {

constexpr const char* kStatsPath = "stats.dat";
// Beside the real file, so that the rename stays within one file system and is atomic.
constexpr const char* kTempPath = "stats.dat.tmp";

// Why a system call failed, or `fallback` when it left no error number.
std::string Reason(const std::string& fallback) {
  return errno != 0 ? std::strerror(errno) : fallback;
}

// Writes the six values into the temporary file and forces them to disk; the reason of a failure,
// or empty on success. A temporary file it made but could not complete is removed again.
std::string WriteTemp() {
  errno = 0;
  TStreamPtr stream = WriteStream(kTempPath);
  if (!stream) return Reason("cannot create " + std::string(kTempPath));
  std::string failure;
  try {
    for (int value : {highscore, item, money, stock[0], stock[1], stock[2]})
      stream->WriteInt(value);
    if (!stream->Sync()) failure = Reason("cannot flush the file to disk");
    stream->Close();
  } catch (const TStreamException& error) { failure = Reason(error.what()); }
  if (!failure.empty()) {
    stream.reset();
    std::remove(kTempPath);
  }
  return failure;
}

}  // namespace

// Called once at start-up; a missing file leaves every value at 0, an unreadable one stops it. A
// file shorter than 24 bytes stops the program with the stream's read error, named after the file
// (the file is only read).
void LoadStats() {
  TStreamPtr stream = ReadStream(kStatsPath);
  if (!stream) {
    // Only a missing file means no progress yet: one that exists but cannot be read would be
    // replaced by the next save, so start-up stops instead. A folder in its place is left to the
    // save, which cannot replace it and says so.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(kStatsPath, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_directory(status)) {
      throw TRuntimeError(std::string(kStatsPath) + ": exists but cannot be read");
    }
    return;
  }
  try {
    highscore = stream->ReadInt();
    item = stream->ReadInt();
    money = stream->ReadInt();
    stock[0] = stream->ReadInt();
    stock[1] = stream->ReadInt();
    stock[2] = stream->ReadInt();
  } catch (const TStreamReadException& error) {
    throw TRuntimeError(std::string(kStatsPath) + ": " + error.what() + " (shorter than 24 bytes)");
  }
  stream->Close();
}

// Called when a game ends (pause screen, game-over screen, window closed during a game).
// The old file is replaced only by a complete new one; a failed save is reported and play goes on.
void SaveStats() {
  if (score > highscore) highscore = score;
  std::string failure = WriteTemp();
  if (failure.empty()) {
    errno = 0;
    if (std::rename(kTempPath, kStatsPath) == 0) return;
    failure = Reason("cannot replace the file");
    std::remove(kTempPath);
  }
  std::fprintf(stderr, "stomp: progress not saved to %s: %s\n", kStatsPath, failure.c_str());
}
