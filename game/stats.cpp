#include "game/stats.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/files.h"
#include "engine/stream.h"
#include "game/globals.h"

namespace {

constexpr const char* kStatsPath = "stats.dat";
// Temporary names tried beside the file a save replaces: "<file>.tmp", then "<file>.tmp1" and on.
// A name already taken (a save in progress, a save killed half-way, or something planted) is
// skipped, never reused.
constexpr int kTempNames = 100;
// A save takes milliseconds: a plain temporary file this old is what a save killed half-way left,
// and it is removed to give its name back, so that such leftovers never use up the names.
constexpr int kLeftoverAgeSeconds = 10 * 60;

// Why a system call failed, or `fallback` when it left no error number.
std::string Reason(const std::string& fallback) {
  return errno != 0 ? std::strerror(errno) : fallback;
}

// Creates a fresh temporary file beside `target` (so that the rename stays within one file system
// and is atomic) and names it in `temp`; nullptr with `failure` set when none can be made.
TStreamPtr CreateTemp(const std::string& target, std::string& temp, std::string& failure) {
  for (int n = 0; n < kTempNames; ++n) {
    temp = target + ".tmp" + (n == 0 ? "" : std::to_string(n));
    RemoveOldPlainFile(temp, kLeftoverAgeSeconds);
    errno = 0;
    if (TStreamPtr stream = CreateStream(temp)) return stream;
    if (errno != EEXIST) {
      failure = Reason("cannot create " + temp);
      return nullptr;
    }
  }
  failure = "no free temporary name beside " + target;
  return nullptr;
}

// Writes the six values into a new temporary file beside `target` and forces them to disk; the
// reason of a failure, or empty on success with the file's name in `temp`. A temporary file it
// made but could not complete is removed again.
std::string WriteTemp(const std::string& target, std::string& temp) {
  std::string failure;
  TStreamPtr stream = CreateTemp(target, temp, failure);
  if (!stream) return failure;
  try {
    for (int value : {highscore, item, money, stock[0], stock[1], stock[2]})
      stream->WriteInt(value);
    errno = 0;
    if (!stream->Sync()) failure = Reason("cannot flush the file to disk");
    stream->Close();
  } catch (const TStreamException& error) { failure = Reason(error.what()); }
  if (!failure.empty()) {
    stream.reset();
    std::remove(temp.c_str());
  }
  return failure;
}

// Where the save goes: "stats.dat", or the file it links to, so that a link stays a link; empty
// with `failure` set when a link cannot be followed.
std::string SaveTarget(std::string& failure) {
  std::string target;
  errno = 0;
  if (!FollowLinks(kStatsPath, target)) failure = Reason("cannot follow the link");
  return target;
}

// Replaces `target` by a complete new save; the reason of a failure, or empty.
std::string Replace(const std::string& target) {
  std::string temp;
  std::string failure = WriteTemp(target, temp);
  if (!failure.empty()) return failure;
  errno = 0;
  if (std::rename(temp.c_str(), target.c_str()) == 0) return "";
  failure = Reason("cannot replace the file");
  std::remove(temp.c_str());
  return failure;
}

}  // namespace

// Called once at start-up; a missing file leaves every value at 0, an unreadable one stops it. A
// file shorter than 24 bytes stops the program with the stream's read error, named after the file
// (the file is only read).
void LoadStats() {
  errno = 0;
  TStreamPtr stream = ReadStream(kStatsPath);
  if (!stream) {
    // Only a missing file (a dangling link included) means no progress yet: one that exists but
    // cannot be read (a looping link, a FIFO, a device) would be replaced by the next save, so
    // start-up stops instead. A folder in its place is left to the save, which cannot replace it
    // and says so.
    if (errno == ENOENT || errno == EISDIR) return;
    throw TRuntimeError(std::string(kStatsPath) + ": exists but cannot be read");
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
// The old file is replaced only by a complete new one, and the folder is synced so that the
// rename itself survives a power cut; a failed save is reported and play goes on.
void SaveStats() {
  if (score > highscore) highscore = score;
  std::string failure;
  const std::string target = SaveTarget(failure);
  if (failure.empty()) failure = Replace(target);
  if (!failure.empty()) {
    std::fprintf(stderr, "stomp: progress not saved to %s: %s\n", kStatsPath, failure.c_str());
    return;
  }
  errno = 0;
  if (!SyncFolder(std::filesystem::path(target).parent_path().string())) {
    std::fprintf(stderr, "stomp: progress saved to %s but not forced to disk: %s\n", kStatsPath,
                 Reason("cannot sync the folder").c_str());
  }
}
