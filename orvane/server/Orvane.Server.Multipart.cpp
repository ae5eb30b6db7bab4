#include "orvane/server/Orvane.Server.Multipart.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "orvane/server/Orvane.Server.WebSocket.h"

namespace orvane {

namespace {

constexpr size_t kMaxPartHead = 16 * 1024;

// The file name a part's head gives ("filename=" and its quoted value), or
// false when the part carries no file.
bool PartFileName(std::string_view AHead, std::string& AName) {
  size_t line = 0;
  while (line < AHead.size()) {
    size_t eol = AHead.find("\r\n", line);
    if (eol == std::string_view::npos) eol = AHead.size();
    std::string_view text = AHead.substr(line, eol - line);
    line = eol + 2;
    if (text.find("Content-Disposition:") == std::string_view::npos) continue;
    for (size_t f = text.find("filename="); f != std::string_view::npos;
         f = text.find("filename=", f + 1)) {
      // A parameter of its own, not the tail of another one's value.
      if (f > 0 && text[f - 1] != ' ' && text[f - 1] != ';') continue;
      size_t q = f + 9;
      if (q >= text.size() || text[q] != '"') continue;
      size_t e = text.find('"', q + 1);
      if (e == std::string_view::npos) return false;
      AName = std::string(text.substr(q + 1, e - q - 1));
      return true;
    }
    return false;
  }
  return false;
}

}  // namespace

TMultipartReader::TMultipartReader(std::string_view ABoundary, THandlers AHandlers)
    : FDelimiter("\r\n--" + std::string(ABoundary)),
      FHandlers(std::move(AHandlers)),
      FState(ABoundary.empty() ? TState::Failed : TState::Preamble),
      // The first delimiter starts the body, without the CRLF the others
      // have in front.
      FBuffer("\r\n") {}

bool TMultipartReader::Fail() {
  FState = TState::Failed;
  FBuffer.clear();
  return false;
}

bool TMultipartReader::Feed(std::string_view AData) {
  if (FState == TState::Failed) return false;
  if (FState == TState::End) return true;
  FBuffer.append(AData.data(), AData.size());
  while (Step()) {
  }
  return FState != TState::Failed;
}

// One step of the reader over the buffer; false when it needs more input
// (or stopped).
bool TMultipartReader::Step() {
  switch (FState) {
    case TState::Preamble:
    case TState::Content: {
      size_t at = FBuffer.find(FDelimiter);
      size_t keep = FDelimiter.size() - 1;
      if (at == std::string::npos) {
        // Everything but a possible start of the delimiter is content.
        if (FBuffer.size() > keep) {
          size_t n = FBuffer.size() - keep;
          if (FInFile && !FHandlers.OnFileData(std::string_view(FBuffer.data(), n))) return Fail();
          FBuffer.erase(0, n);
        }
        return false;
      }
      if (FState == TState::Content && FInFile) {
        FStatus = TStreamFileStatus::SFSWriteFile;
        if (at > 0 && !FHandlers.OnFileData(std::string_view(FBuffer.data(), at))) return Fail();
        if (FHandlers.OnFileEnd && !FHandlers.OnFileEnd()) return Fail();
        FInFile = false;
        FStatus = TStreamFileStatus::SFSNone;
      }
      FBuffer.erase(0, at + FDelimiter.size());
      FState = TState::AfterDelimiter;
      return true;
    }
    case TState::AfterDelimiter: {
      if (FBuffer.size() < 2) return false;
      if (FBuffer.compare(0, 2, "--") == 0) {
        FState = TState::End;
        FBuffer.clear();
        return false;
      }
      // Blanks may follow a delimiter before its line ends (a few, however
      // the body is cut into pieces).
      constexpr size_t kMaxDelimiterTail = 256;
      size_t eol = FBuffer.find("\r\n");
      if (eol == std::string::npos) return FBuffer.size() >= kMaxDelimiterTail + 2 ? Fail() : false;
      if (eol > kMaxDelimiterTail) return Fail();
      FBuffer.erase(0, eol + 2);
      FState = TState::Headers;
      return true;
    }
    case TState::Headers: {
      size_t end;
      size_t skip;
      if (FBuffer.compare(0, 2, "\r\n") == 0) {
        end = 0;  // a part without head lines
        skip = 2;
      } else {
        end = FBuffer.find("\r\n\r\n");
        skip = 4;
      }
      if (end == std::string::npos) return FBuffer.size() >= kMaxPartHead + 4 ? Fail() : false;
      if (end > kMaxPartHead) return Fail();
      std::string name;
      bool file = PartFileName(std::string_view(FBuffer.data(), end), name) && !name.empty();
      FBuffer.erase(0, end + skip);
      FStatus = TStreamFileStatus::SFSWaitingFile;
      if (file) {
        FStatus = TStreamFileStatus::SFSCreateFile;
        if (FHandlers.OnFileBegin && !FHandlers.OnFileBegin(name)) return Fail();
      }
      FInFile = file;
      FState = TState::Content;
      return true;
    }
    case TState::End:
    case TState::Failed:
      return false;
  }
  return false;
}

std::vector<TMultipartFile> ReadMultipartFormData(std::string_view ABody,
                                                  std::string_view ABoundary) {
  std::vector<TMultipartFile> files;
  TMultipartFile current;
  TMultipartReader::THandlers handlers;
  handlers.OnFileBegin = [&](const std::string& AName) {
    current = TMultipartFile{AName, ""};
    return true;
  };
  handlers.OnFileData = [&](std::string_view AData) {
    current.Content.append(AData.data(), AData.size());
    return true;
  };
  handlers.OnFileEnd = [&] {
    files.push_back(std::move(current));
    return true;
  };
  TMultipartReader reader(ABoundary, std::move(handlers));
  reader.Feed(ABody);
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

std::string UploadFileType(std::string_view AName) {
  size_t dot = AName.rfind('.');
  std::string type(dot == std::string_view::npos ? AName : AName.substr(dot + 1));
  for (char& c : type)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return type;
}

TUploadFileWriter::TUploadFileWriter(const std::string& AFolder, const std::string& AFileName) {
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
    FFile = fd;
    FPath = path;
    return;
  }
  throw std::runtime_error("Nomes esgotados para o arquivo enviado \"" + AFileName + "\"");
}

TUploadFileWriter::~TUploadFileWriter() {
  Discard();
}

void TUploadFileWriter::Write(std::string_view AData) {
  if (FFile < 0) throw std::runtime_error("O arquivo enviado já foi fechado");
  size_t done = 0;
  while (done < AData.size()) {
    ssize_t w = ::write(FFile, AData.data() + done, AData.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0)
      throw std::runtime_error("Não foi possível gravar o arquivo enviado \"" + FPath +
                               "\": " + std::strerror(errno));
    done += static_cast<size_t>(w);
  }
  FSize += AData.size();
}

std::string TUploadFileWriter::Close() {
  if (FFile >= 0) {
    int fd = FFile;
    FFile = -1;
    if (::close(fd) != 0) {
      ::unlink(FPath.c_str());
      throw std::runtime_error("Não foi possível gravar o arquivo enviado \"" + FPath + "\"");
    }
  }
  std::string path = FPath;
  FPath.clear();
  return path;
}

void TUploadFileWriter::Discard() {
  if (FFile >= 0) {
    ::close(FFile);
    FFile = -1;
  }
  if (!FPath.empty()) {
    ::unlink(FPath.c_str());
    FPath.clear();
  }
}

std::string SaveUploadedFile(const std::string& AFolder, const std::string& AFileName,
                             std::string_view AContent) {
  TUploadFileWriter writer(AFolder, AFileName);
  writer.Write(AContent);
  return writer.Close();
}

}  // namespace orvane
