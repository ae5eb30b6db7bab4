// A small blocking TCP/TLS client for the server tests: connects to
// 127.0.0.1, writes, reads with a time limit (a test never hangs), and
// generates a throw-away certificate for the TLS tests.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace testnet {

class TClient {
 public:
  explicit TClient(int APort, SSL_CTX* ATLS = nullptr) {
    FFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(APort));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(FFd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
      throw std::runtime_error("connect failed");
    if (ATLS) {
      FSSL = SSL_new(ATLS);
      SSL_set_fd(FSSL, FFd);
      if (SSL_connect(FSSL) != 1) {
        ERR_clear_error();
        Handshake = false;
      } else {
        Handshake = true;
      }
    }
  }
  ~TClient() {
    if (FSSL) SSL_free(FSSL);
    ::close(FFd);
  }
  TClient(const TClient&) = delete;
  TClient& operator=(const TClient&) = delete;

  bool Handshake = false;

  void Send(const std::string& AData) {
    size_t done = 0;
    while (done < AData.size()) {
      ssize_t n = FSSL ? SSL_write(FSSL, AData.data() + done, static_cast<int>(AData.size() - done))
                       : ::send(FFd, AData.data() + done, AData.size() - done, MSG_NOSIGNAL);
      if (n <= 0) throw std::runtime_error("send failed");
      done += static_cast<size_t>(n);
    }
  }
  // Sends without failing when the server has already closed.
  void TrySend(const std::string& AData) {
    try {
      Send(AData);
    } catch (...) {
    }
  }

  // Reads until the server closes (or ATimeoutMs passes without data).
  std::string ReadAll(int ATimeoutMs = 10000) {
    std::string out;
    for (;;) {
      std::string chunk = ReadSome(ATimeoutMs);
      if (chunk.empty()) return out;
      out += chunk;
    }
  }

  // Reads exactly ACount bytes (fewer when the server closes first).
  std::string ReadN(size_t ACount, int ATimeoutMs = 10000) {
    std::string out;
    while (out.size() < ACount) {
      if (FPending.empty()) {
        std::string chunk = ReadSomeRaw(ATimeoutMs);
        if (chunk.empty()) break;
        FPending = chunk;
      }
      size_t take = std::min(ACount - out.size(), FPending.size());
      out += FPending.substr(0, take);
      FPending.erase(0, take);
    }
    return out;
  }

  // Reads up to and including the empty line that ends an HTTP head.
  std::string ReadHead(int ATimeoutMs = 10000) {
    std::string out;
    while (out.find("\r\n\r\n") == std::string::npos) {
      std::string c = ReadN(1, ATimeoutMs);
      if (c.empty()) break;
      out += c;
    }
    return out;
  }

  // True when the server closed the connection (EOF or reset) within the time.
  bool ClosedByServer(int ATimeoutMs = 10000) {
    for (;;) {
      if (!FPending.empty()) {
        FPending.clear();
        continue;
      }
      pollfd p{FFd, POLLIN, 0};
      if (::poll(&p, 1, ATimeoutMs) <= 0) return false;
      char buf[4096];
      ssize_t n = FSSL ? SSL_read(FSSL, buf, sizeof buf) : ::recv(FFd, buf, sizeof buf, 0);
      if (n <= 0) return true;
    }
  }

  int Fd() const { return FFd; }

 private:
  std::string ReadSome(int ATimeoutMs) {
    if (!FPending.empty()) {
      std::string s;
      s.swap(FPending);
      return s;
    }
    return ReadSomeRaw(ATimeoutMs);
  }
  std::string ReadSomeRaw(int ATimeoutMs) {
    if (!FSSL || SSL_pending(FSSL) == 0) {
      pollfd p{FFd, POLLIN, 0};
      if (::poll(&p, 1, ATimeoutMs) <= 0) return "";
    }
    char buf[65536];
    ssize_t n = FSSL ? SSL_read(FSSL, buf, sizeof buf) : ::recv(FFd, buf, sizeof buf, 0);
    if (n <= 0) {
      ERR_clear_error();
      return "";
    }
    return std::string(buf, static_cast<size_t>(n));
  }

  int FFd;
  SSL* FSSL = nullptr;
  std::string FPending;
};

// Makes a self-signed certificate and key in ADir with the openssl command.
inline void MakeCertificate(const std::filesystem::path& ADir, std::string& ACert,
                            std::string& AKey) {
  std::filesystem::create_directories(ADir);
  ACert = (ADir / "cert.pem").string();
  AKey = (ADir / "key.pem").string();
  std::string cmd =
      "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 "
      "-subj /CN=localhost -keyout '" +
      AKey + "' -out '" + ACert + "' >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) throw std::runtime_error("openssl req failed");
}

// A client TLS context limited to the given protocol versions.
inline SSL_CTX* ClientContext(int AMinVersion, int AMaxVersion) {
  SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
  SSL_CTX_set_verify(ctx, SSL_VERIFY_NONE, nullptr);
  SSL_CTX_set_min_proto_version(ctx, AMinVersion);
  SSL_CTX_set_max_proto_version(ctx, AMaxVersion);
  // Old versions are disabled at security level 1 and up; lower it so the
  // test can offer them and see the server refuse.
  SSL_CTX_set_security_level(ctx, 0);
  return ctx;
}

inline std::filesystem::path TempDir(const std::string& AName) {
  auto p = std::filesystem::temp_directory_path() /
           (AName + "-" + std::to_string(::getpid()) + "-" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(p);
  return p;
}

}  // namespace testnet
