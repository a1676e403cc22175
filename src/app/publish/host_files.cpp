#include "app/publish/host_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tvac::app::publish {

std::optional<std::string> ReadWholeFile(const std::string& path, std::string& error) {
  std::error_code code;
  if (std::filesystem::is_directory(path, code)) {
    error = path + ": is a folder";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be read: " + std::strerror(errno);
    return std::nullopt;
  }
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) {
    error = path + ": cannot be read";
    return std::nullopt;
  }
  return std::move(content).str();
}

bool ReplaceFile(const std::string& path, std::string_view bytes, std::string& error) {
  std::error_code code;
  if (std::filesystem::is_directory(path, code)) {
    error = path + ": is a folder";
    return false;
  }
  // Created like any new file (the umask applies), under a name no one else uses.
  const std::string temporary = path + ".tmp-" + std::to_string(getpid());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = path + ": cannot be written: " + std::strerror(errno);
    return false;
  }
  int failure = 0;
  for (std::size_t done = 0; failure == 0 && done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n == 0 || errno != EINTR) {
      failure = n == 0 ? EIO : errno;
    }
  }
  if (failure == 0 && fsync(fd) != 0) failure = errno;
  if (close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) failure = errno;
  if (failure == 0) return true;
  error = path + ": cannot be written: " + std::strerror(failure);
  unlink(temporary.c_str());
  return false;
}

}  // namespace tvac::app::publish
