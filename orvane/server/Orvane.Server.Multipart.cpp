#include "orvane/server/Orvane.Server.Multipart.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "orvane/server/Orvane.Server.WebSocket.h"

namespace orvane {

std::vector<TMultipartFile> ReadMultipartFormData(std::string_view ABody,
                                                  std::string_view ABoundary) {
  std::vector<TMultipartFile> files;
  if (ABoundary.empty()) return files;
  const std::string delimiter = "\r\n--" + std::string(ABoundary);
  TStreamFileStatus state = TStreamFileStatus::SFSNone;
  std::string name;
  size_t pos = 0;
  while (pos < ABody.size()) {
    size_t eol = ABody.find("\r\n", pos);
    std::string_view line =
        ABody.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos);
    size_t next = eol == std::string_view::npos ? ABody.size() : eol + 2;
    if (state == TStreamFileStatus::SFSNone) {
      if (line.find("Content-Disposition:") != std::string_view::npos) {
        name.clear();
        size_t f = line.find("filename=");
        if (f != std::string_view::npos) {
          size_t q = line.find('"', f + 9);
          if (q != std::string_view::npos) {
            size_t e = line.find('"', q + 1);
            if (e != std::string_view::npos) name = std::string(line.substr(q + 1, e - q - 1));
          }
        }
        state = TStreamFileStatus::SFSWaitingFile;
      }
      pos = next;
      continue;
    }
    // SFSWaitingFile: skip the part's head up to its empty line.
    if (!line.empty() || eol == std::string_view::npos) {
      pos = next;
      continue;
    }
    state = TStreamFileStatus::SFSCreateFile;
    size_t start = next;
    // The content runs up to the CRLF before the next delimiter line.
    size_t end = ABody.find(delimiter, start);
    if (end == std::string_view::npos) break;  // truncated part: dropped
    state = TStreamFileStatus::SFSWriteFile;
    if (!name.empty()) files.push_back({name, ABody.substr(start, end - start)});
    state = TStreamFileStatus::SFSNone;
    pos = end + 2;
  }
  return files;
}

std::string SafeUploadFileName(std::string_view AName) {
  size_t slash = AName.find_last_of("/\\");
  std::string_view base = slash == std::string_view::npos ? AName : AName.substr(slash + 1);
  if (base.empty() || base == "." || base == ".." || base.size() > 255) return "";
  for (char c : base)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "";
  if (!IsValidUTF8(base)) return "";
  return std::string(base);
}

std::string SaveUploadedFile(const std::string& AFolder, const std::string& AFileName,
                             std::string_view AContent) {
  std::error_code ec;
  std::filesystem::create_directories(AFolder, ec);
  std::string folder = AFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  size_t dot = AFileName.rfind('.');
  std::string stem = dot == std::string::npos ? AFileName : AFileName.substr(0, dot);
  std::string ext = dot == std::string::npos ? "" : AFileName.substr(dot);
  for (long n = 0; n < 100000; ++n) {
    std::string path = folder + (n == 0 ? AFileName : stem + std::to_string(n) + ext);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      throw std::runtime_error("Não foi possível gravar o arquivo enviado \"" + path +
                               "\": " + std::strerror(errno));
    }
    size_t done = 0;
    while (done < AContent.size()) {
      ssize_t w = ::write(fd, AContent.data() + done, AContent.size() - done);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        int e = errno;
        ::close(fd);
        ::unlink(path.c_str());
        throw std::runtime_error("Não foi possível gravar o arquivo enviado \"" + path +
                                 "\": " + std::strerror(e));
      }
      done += static_cast<size_t>(w);
    }
    ::close(fd);
    return path;
  }
  throw std::runtime_error("Nomes esgotados para o arquivo enviado \"" + AFileName + "\"");
}

}  // namespace orvane
