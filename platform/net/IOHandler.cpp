#include "platform/net/IOHandler.h"

#include <fcntl.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>

namespace net {

namespace {

std::string OpenSSLError() {
  unsigned long e = ERR_get_error();
  if (e == 0) return "erro desconhecido";
  char buf[256];
  ERR_error_string_n(e, buf, sizeof buf);
  ERR_clear_error();
  return buf;
}

constexpr size_t kChunk = 16384;
constexpr int kHandshakeTimeout = 10000;

}  // namespace

// ---------------------------------------------------------------------------
// TServerIOHandlerSSL

TServerIOHandlerSSL::TServerIOHandlerSSL() = default;

TServerIOHandlerSSL::~TServerIOHandlerSSL() {
  if (FContext) SSL_CTX_free(FContext);
}

void TServerIOHandlerSSL::Init() {
  SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
  if (!ctx) throw ESocketError("Não foi possível criar o contexto TLS: " + OpenSSLError());
  // TLS 1.2 is the lowest version offered; SSLv2, SSLv3, TLS 1.0 and 1.1 are
  // broken and never negotiated.
  SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
  SSL_CTX_set_options(ctx, SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
  SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER |
                            SSL_MODE_RELEASE_BUFFERS);
  if (SSLOptions.CertFile.empty() ||
      SSL_CTX_use_certificate_chain_file(ctx, SSLOptions.CertFile.c_str()) != 1) {
    std::string err = OpenSSLError();
    SSL_CTX_free(ctx);
    throw ESocketError("Certificado TLS inválido ou ausente (\"" + SSLOptions.CertFile +
                       "\"): " + err);
  }
  const std::string& key = SSLOptions.KeyFile.empty() ? SSLOptions.CertFile : SSLOptions.KeyFile;
  if (SSL_CTX_use_PrivateKey_file(ctx, key.c_str(), SSL_FILETYPE_PEM) != 1 ||
      SSL_CTX_check_private_key(ctx) != 1) {
    std::string err = OpenSSLError();
    SSL_CTX_free(ctx);
    throw ESocketError("Chave privada TLS inválida ou ausente (\"" + key + "\"): " + err);
  }
  if (SSLOptions.VerifyPeer) {
    if (!SSLOptions.RootCertFile.empty())
      SSL_CTX_load_verify_locations(ctx, SSLOptions.RootCertFile.c_str(), nullptr);
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER | SSL_VERIFY_FAIL_IF_NO_PEER_CERT, nullptr);
    SSL_CTX_set_verify_depth(ctx, SSLOptions.VerifyDepth);
  } else {
    SSL_CTX_set_verify(ctx, SSL_VERIFY_NONE, nullptr);
  }
  if (FContext) SSL_CTX_free(FContext);
  FContext = ctx;
}

// ---------------------------------------------------------------------------
// TIOHandler

TIOHandler::TIOHandler(int AFd, SSL_CTX* ASSLContext, bool AIsNonBlocking)
    : FFd(AFd), FSSLContext(ASSLContext) {
  if (!AIsNonBlocking) {
    int flags = fcntl(FFd, F_GETFL, 0);
    if (!(flags & O_NONBLOCK)) fcntl(FFd, F_SETFL, flags | O_NONBLOCK);
  }
  if (FSSLContext) SSL_CTX_up_ref(FSSLContext);
}

TIOHandler::~TIOHandler() {
  if (FSSL) SSL_free(FSSL);
  if (FSSLContext) SSL_CTX_free(FSSLContext);
  ::close(FFd);
}

void TIOHandler::WaitFor(short AEvents, int ATimeout, const char* AWhat) {
  pollfd p{FFd, AEvents, 0};
  for (;;) {
    int r = ::poll(&p, 1, ATimeout);
    if (r > 0) return;
    if (r == 0) {
      Disconnect();
      throw ESocketError(std::string("Tempo esgotado ao ") + AWhat);
    }
    if (errno != EINTR) {
      Disconnect();
      throw ESocketError(std::string("Falha ao ") + AWhat + ": " + std::strerror(errno));
    }
  }
}

void TIOHandler::SetPassThrough(bool AValue) {
  if (AValue || !FPassThrough) {
    FPassThrough = AValue;
    return;
  }
  FPassThrough = false;
  if (!FSSLContext) return;
  std::lock_guard<std::mutex> g(FSSLLock);
  FSSL = SSL_new(FSSLContext);
  if (!FSSL || SSL_set_fd(FSSL, FFd) != 1)
    throw ESocketError("Não foi possível iniciar o TLS: " + OpenSSLError());
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHandshakeTimeout);
  for (;;) {
    ERR_clear_error();
    int r = SSL_accept(FSSL);
    if (r == 1) return;
    int err = SSL_get_error(FSSL, r);
    int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    deadline - std::chrono::steady_clock::now())
                                    .count());
    if (left <= 0) {
      Disconnect();
      throw ESocketError("Tempo esgotado no handshake TLS");
    }
    if (err == SSL_ERROR_WANT_READ) {
      WaitFor(POLLIN, left, "negociar o TLS");
    } else if (err == SSL_ERROR_WANT_WRITE) {
      WaitFor(POLLOUT, left, "negociar o TLS");
    } else {
      std::string msg = OpenSSLError();
      Disconnect();
      throw ESocketError("Falha no handshake TLS: " + msg);
    }
  }
}

int TIOHandler::ReadWait() const {
  if (FReadDeadline == kNoDeadline) return FReadTimeout;
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(FReadDeadline - TClock::now());
  // At least 0: poll then only takes what is already there.
  int ms = static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(left.count(), INT32_MAX)));
  return FReadTimeout < 0 ? ms : std::min(ms, FReadTimeout);
}

size_t TIOHandler::ReadSome(char* ABuffer, size_t ASize) {
  for (;;) {
    if (FDisconnected.load()) throw ESocketError("Conexão encerrada");
    if (FSSL) {
      int r, err;
      {
        std::lock_guard<std::mutex> g(FSSLLock);
        ERR_clear_error();
        r = SSL_read(FSSL, ABuffer, static_cast<int>(std::min<size_t>(ASize, 1 << 30)));
        err = r > 0 ? SSL_ERROR_NONE : SSL_get_error(FSSL, r);
      }
      if (r > 0) return static_cast<size_t>(r);
      if (err == SSL_ERROR_WANT_READ) {
        WaitFor(POLLIN, ReadWait(), "ler da conexão");
      } else if (err == SSL_ERROR_WANT_WRITE) {
        WaitFor(POLLOUT, ReadWait(), "ler da conexão");
      } else if (err == SSL_ERROR_ZERO_RETURN) {
        FDisconnected = true;
        throw EConnClosedGracefully();
      } else {
        Disconnect();
        if (err == SSL_ERROR_SYSCALL) throw EConnClosedGracefully();
        throw ESocketError("Falha de leitura TLS: " + OpenSSLError());
      }
      continue;
    }
    ssize_t n = ::recv(FFd, ABuffer, ASize, 0);
    if (n > 0) return static_cast<size_t>(n);
    if (n == 0) {
      FDisconnected = true;
      throw EConnClosedGracefully();
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      WaitFor(POLLIN, ReadWait(), "ler da conexão");
    } else if (errno != EINTR) {
      int e = errno;
      Disconnect();
      throw ESocketError(std::string("Falha de leitura: ") + std::strerror(e));
    }
  }
}

void TIOHandler::Fill() {
  char chunk[kChunk];
  size_t n = ReadSome(chunk, sizeof chunk);
  if (FInputPos > 0 && FInputPos == FInput.size()) {
    FInput.clear();
    FInputPos = 0;
  }
  FInput.append(chunk, n);
}

std::string TIOHandler::ReadLn(size_t AMaxLength) {
  size_t scanned = FInputPos;
  for (;;) {
    size_t lf = FInput.find('\n', scanned);
    if (lf != std::string::npos) {
      size_t end = lf;
      if (end > FInputPos && FInput[end - 1] == '\r') --end;
      if (end - FInputPos > AMaxLength) throw ELimitExceeded("Linha longa demais");
      std::string line = FInput.substr(FInputPos, end - FInputPos);
      FInputPos = lf + 1;
      if (FInputPos == FInput.size()) {
        FInput.clear();
        FInputPos = 0;
        if (FInput.capacity() > 4096) std::string().swap(FInput);
      }
      return line;
    }
    if (FInput.size() - FInputPos > AMaxLength + 1) throw ELimitExceeded("Linha longa demais");
    if (FInputPos > 0) {
      FInput.erase(0, FInputPos);
      FInputPos = 0;
    }
    scanned = FInput.size();
    Fill();
  }
}

void TIOHandler::ReadBytes(char* ABuffer, size_t ACount) {
  size_t have = std::min(ACount, FInput.size() - FInputPos);
  if (have > 0) {
    std::memcpy(ABuffer, FInput.data() + FInputPos, have);
    FInputPos += have;
    if (FInputPos == FInput.size()) {
      FInput.clear();
      FInputPos = 0;
      if (FInput.capacity() > 4096) std::string().swap(FInput);
    }
  }
  size_t done = have;
  while (done < ACount) {
    size_t left = ACount - done;
    if (left >= kChunk) {
      done += ReadSome(ABuffer + done, left);
    } else {
      Fill();
      size_t take = std::min(left, FInput.size() - FInputPos);
      std::memcpy(ABuffer + done, FInput.data() + FInputPos, take);
      FInputPos += take;
      done += take;
    }
  }
}

std::string TIOHandler::ReadBytes(size_t ACount) {
  std::string s(ACount, '\0');
  if (ACount > 0) ReadBytes(s.data(), ACount);
  return s;
}

uint8_t TIOHandler::ReadByte() {
  char c;
  ReadBytes(&c, 1);
  return static_cast<uint8_t>(c);
}

void TIOHandler::Write(std::string_view AData) {
  std::lock_guard<std::mutex> w(FWriteLock);
  size_t done = 0;
  while (done < AData.size()) {
    if (FDisconnected.load()) throw ESocketError("Conexão encerrada");
    size_t left = AData.size() - done;
    if (FSSL) {
      int r, err;
      {
        std::lock_guard<std::mutex> g(FSSLLock);
        ERR_clear_error();
        r = SSL_write(FSSL, AData.data() + done, static_cast<int>(std::min<size_t>(left, 1 << 30)));
        err = r > 0 ? SSL_ERROR_NONE : SSL_get_error(FSSL, r);
      }
      if (r > 0) {
        done += static_cast<size_t>(r);
      } else if (err == SSL_ERROR_WANT_WRITE) {
        WaitFor(POLLOUT, FWriteTimeout, "escrever na conexão");
      } else if (err == SSL_ERROR_WANT_READ) {
        WaitFor(POLLIN, FWriteTimeout, "escrever na conexão");
      } else {
        std::string msg = OpenSSLError();
        Disconnect();
        throw ESocketError("Falha de escrita TLS: " + msg);
      }
      continue;
    }
    ssize_t n = ::send(FFd, AData.data() + done, left, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      WaitFor(POLLOUT, FWriteTimeout, "escrever na conexão");
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      int e = errno;
      Disconnect();
      throw ESocketError(std::string("Falha de escrita: ") + std::strerror(e));
    }
  }
}

size_t TIOHandler::ReceiveAvailable(size_t AMax, bool& AEnded) {
  AEnded = FDisconnected.load();
  size_t total = 0;
  while (!AEnded && total < AMax) {
    if (FInputPos > 0 && FInputPos == FInput.size()) {
      FInput.clear();
      FInputPos = 0;
    }
    char chunk[kChunk];
    size_t want = std::min(AMax - total, kChunk);
    ssize_t n = ::recv(FFd, chunk, want, 0);
    if (n > 0) {
      FInput.append(chunk, static_cast<size_t>(n));
      total += static_cast<size_t>(n);
      if (static_cast<size_t>(n) < want) break;  // drained for now
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      break;
    } else {
      AEnded = true;  // closed by the peer, or failed
    }
  }
  return total;
}

void TIOHandler::Disconnect() {
  if (!FDisconnected.exchange(true)) ::shutdown(FFd, SHUT_RDWR);
}

void TIOHandler::CloseGracefully(size_t AMaxDrain, int AMaxMillis) {
  if (FDisconnected.exchange(true)) return;
  if (FSSL) {
    std::lock_guard<std::mutex> g(FSSLLock);
    ERR_clear_error();
    SSL_shutdown(FSSL);  // close_notify, best effort
  }
  ::shutdown(FFd, SHUT_WR);
  // Read what the peer still sends until it closes, so that closing our
  // side with unread input does not reset the connection and lose the answer
  // on its way. Bounded in time and size.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(AMaxMillis);
  char buf[4096];
  size_t drained = 0;
  while (drained < AMaxDrain) {
    int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    deadline - std::chrono::steady_clock::now())
                                    .count());
    if (left <= 0) break;
    pollfd p{FFd, POLLIN, 0};
    int r = ::poll(&p, 1, left);
    if (r <= 0) break;
    ssize_t n = ::recv(FFd, buf, sizeof buf, 0);
    if (n <= 0) break;
    drained += static_cast<size_t>(n);
  }
}

}  // namespace net
