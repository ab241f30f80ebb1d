#include "engine/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace {

// As many links as the kernel follows in one path before it answers ELOOP.
constexpr int kMaxLinks = 40;

// Closes `fd` and answers nullptr with errno `error`, which close must not overwrite.
std::FILE* Refuse(int fd, int error) {
  ::close(fd);
  errno = error;
  return nullptr;
}

// Opening with O_NONBLOCK returns at once for a FIFO: one with no reader refuses a writer with
// ENXIO, and the descriptor is checked before any read or write. A file is emptied only after it
// proved to be a regular file.
std::FILE* Open(const std::string& path, FileUse use, bool pipe_allowed) {
  int flags = O_RDONLY;
  const char* mode = "rb";
  if (use == FileUse::kUpdate) {
    flags = O_RDWR;
    mode = "r+b";
  } else if (use == FileUse::kReplace) {
    flags = O_WRONLY | O_CREAT;
    mode = "wb";
  }
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0) return Refuse(fd, errno);
  if (S_ISDIR(info.st_mode)) return Refuse(fd, EISDIR);
  const bool regular = S_ISREG(info.st_mode);
  if (!regular && !(pipe_allowed && S_ISFIFO(info.st_mode))) return Refuse(fd, EINVAL);
  const int status = ::fcntl(fd, F_GETFL);
  if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) return Refuse(fd, errno);
  if (regular && use == FileUse::kReplace && ::ftruncate(fd, 0) != 0) return Refuse(fd, errno);
  std::FILE* file = ::fdopen(fd, mode);
  return file ? file : Refuse(fd, errno);
}

}  // namespace

std::FILE* OpenRegularFile(const std::string& path, FileUse use) { return Open(path, use, false); }

std::FILE* OpenOutput(const std::string& path) { return Open(path, FileUse::kReplace, true); }

// O_EXCL makes the create fail on anything already there, a link included, so that a name planted
// in advance can neither redirect the write nor share its data with another file.
std::FILE* CreateNewFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "wb");
  return file ? file : Refuse(fd, errno);
}

bool RemoveOldPlainFile(const std::string& path, int age_seconds) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1)
    return false;
  if (info.st_mtime > std::time(nullptr) - age_seconds) return false;
  // Should a link have taken the name meanwhile, unlink removes that link, never what it names.
  return ::unlink(path.c_str()) == 0;
}

bool FollowLinks(const std::string& path, std::string& target) {
  std::filesystem::path current = path;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0) {
      if (errno != ENOENT) return false;
    } else if (S_ISLNK(info.st_mode)) {
      std::error_code error;
      const std::filesystem::path link = std::filesystem::read_symlink(current, error);
      if (error) {
        errno = error.value();
        return false;
      }
      // A relative link is relative to the folder that holds it.
      current = link.is_absolute() ? link : current.parent_path() / link;
      continue;
    }
    target = current.string();
    return true;
  }
  errno = ELOOP;
  return false;
}

bool SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  const int error = errno;
  ::close(fd);
  errno = error;
  return synced;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
  std::FILE* file = OpenRegularFile(path, FileUse::kRead);
  if (!file) return false;
  text.clear();
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  const bool read = !std::ferror(file);
  std::fclose(file);
  if (!read) errno = EIO;
  return read;
}

std::string OpenFailure(int error) {
  // ENXIO: a FIFO with no reader, or a socket, refused by the open itself.
  const bool special = error == EISDIR || error == EINVAL || error == ENXIO;
  return special ? "not a regular file" : std::strerror(error);
}
