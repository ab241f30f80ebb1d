// Opening files without ever waiting on a special one, and the file-system steps of a safe
// replace. Every file the engine, the game and stomp-headless read or write is opened here.
#pragma once

#include <cstdio>
#include <string>

// How a file is opened: "rb", "r+b", or "wb" (created when missing, emptied when present).
enum class FileUse { kRead, kUpdate, kReplace };

// Opens `path` as a regular file; nullptr with errno set when it cannot be opened or is something
// else: EISDIR for a folder, EINVAL for a FIFO, socket or device. The open never blocks (a FIFO
// with no writer would otherwise hang it), and a file that is refused is never emptied.
std::FILE* OpenRegularFile(const std::string& path, FileUse use);

// Opens `path` for writing as "wb" does, for output that someone may read as it is written: a
// regular file, or a FIFO whose reader has it open already (then writes wait for that reader).
// Anything else is refused as OpenRegularFile refuses it, a FIFO with no reader with ENXIO, so
// the open itself never waits.
std::FILE* OpenOutput(const std::string& path);

// Creates `path` as a new regular file open for writing ("wb"); nullptr with errno set when it
// cannot. Whatever is at the path already, a link (even a dangling one) included, is left alone and
// refused with EEXIST.
std::FILE* CreateNewFile(const std::string& path);

// Removes `path` when it is a plain file: a regular file with no other name, unchanged for
// `age_seconds` or longer. Links, FIFOs, folders and files that share their data with another
// name are left alone. Answers whether it removed the file.
bool RemoveOldPlainFile(const std::string& path, int age_seconds);

// The path `path` finally names once every symbolic link on it is followed; false with errno ELOOP
// for a link that loops, or another errno when a link cannot be read. A dangling link answers
// the missing file it points to.
bool FollowLinks(const std::string& path, std::string& target);

// Forces the folder's entries (a rename into it) to disk; false with errno set when that fails.
bool SyncFolder(const std::string& folder);

// Reads the whole regular file at `path` into `text`; false with errno set as OpenRegularFile does
// or as the read failed.
bool ReadWholeFile(const std::string& path, std::string& text);

// Why an open here failed, for a message: "not a regular file" or the system's own text.
std::string OpenFailure(int error);
