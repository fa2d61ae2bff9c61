// Atomic file writing and bounded file reading.
#include "base/files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "base/code_page.h"

namespace base {
namespace {

// Largest single write; Linux moves at most about 2 GiB per call anyway.
constexpr std::size_t kWriteChunk = std::size_t{1} << 30;
// Temporary names stay within the 255-byte name limit of the file systems.
constexpr std::size_t kMaxTempStem = 200;

// The process's file-creation mask, read without changing it (umask() would, and that
// races with other threads creating files).
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
    }
  }
  return 022;
}

bool WriteAll(int fd, const ByteBuffer& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    std::size_t chunk = bytes.size() - done;
    if (chunk > kWriteChunk) chunk = kWriteChunk;
    const ssize_t written = write(fd, bytes.data() + done, chunk);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

bool WriteFileBytes(const Text& textPath, const ByteBuffer& bytes, Durability durability) {
  const std::string path = TextToFileName(textPath);
  if (path.empty() || path.back() == '/' || path.find('\0') != std::string::npos) return false;
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

  // Keep the permissions of the file being replaced; a new file gets those of any newly
  // created file.
  mode_t mode = 0666 & ~CurrentUmask();
  struct stat existing;
  if (stat(path.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) return false;
    if (S_ISREG(existing.st_mode)) {
      // A file its owner may not write is passed over, as writing it in place would be,
      // though the rename below would get past its permissions.
      if (access(path.c_str(), W_OK) != 0) return false;
      mode = existing.st_mode & 0777;
    }
  }

  std::string temp = folder + (slash == std::string::npos ? "/." : ".") + name.substr(0, kMaxTempStem) +
              ".XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;

  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, bytes);
  // Flush to the disk before the rename, so that a crash leaves the old or the new file,
  // never an empty one. File systems without sync support answer EINVAL.
  while (ok && durability == Durability::flushed && fsync(fd) != 0) {
    if (errno == EINTR) continue;
    if (errno != EINVAL && errno != EROFS) ok = false;
    break;
  }
  // close() reports delayed write errors on some file systems (NFS).
  if (close(fd) != 0 && errno != EINTR) ok = false;
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) unlink(temp.c_str());
  return ok;
}

bool ReadFileBytes(const Text& textPath, ByteBuffer& bytes, std::size_t maxBytes) {
  const std::string path = TextToFileName(textPath);
  bytes.clear();
  if (path.empty() || path.find('\0') != Text::npos) return false;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info;
  // Only regular files: reading a pipe or a device could block or never end.
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            static_cast<unsigned long long>(info.st_size) <= maxBytes;
  if (ok) {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    // Reads until end of file; a file that grew past `maxBytes` meanwhile is refused.
    while (ok) {
      if (done == bytes.size()) {
        if (done == maxBytes) {
          unsigned char extra;
          ssize_t more;
          do more = read(fd, &extra, 1);
          while (more < 0 && errno == EINTR);
          ok = more == 0;
          break;
        }
        const std::size_t room = maxBytes - done;
        bytes.resize(done + (room < 65536 ? room : 65536));
      }
      const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0) {
        if (errno != EINTR) ok = false;
      } else if (got == 0) {
        bytes.resize(done);
        break;
      } else {
        done += static_cast<std::size_t>(got);
      }
    }
  }
  close(fd);
  if (!ok) bytes.clear();
  return ok;
}

}  // namespace base
