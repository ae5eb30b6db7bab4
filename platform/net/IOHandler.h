// The I/O of one accepted connection, plain or TLS: buffered line and block
// reads, whole writes, and a disconnect that any thread may call.
//
// The socket is non-blocking underneath; reads and writes wait with poll(),
// so a TLS connection can be written by one thread while its own thread waits
// for input (the OpenSSL object is only touched under a lock, never while
// waiting).
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace net {

// A socket failure: the peer went away, a read or write failed or timed out.
class ESocketError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The peer closed its side; a normal end of a connection.
class EConnClosedGracefully : public ESocketError {
 public:
  EConnClosedGracefully() : ESocketError("Conexão encerrada pelo cliente") {}
};

// Input over a limit (a line or block longer than allowed).
class ELimitExceeded : public ESocketError {
 public:
  using ESocketError::ESocketError;
};

// TLS settings of a server.
struct TSSLOptions {
  std::string CertFile;      // PEM certificate (chain)
  std::string KeyFile;       // PEM private key
  std::string RootCertFile;  // CA file for peer verification (unused when VerifyPeer is off)
  bool VerifyPeer = false;
  int VerifyDepth = 0;
};

// The server-side TLS handler: owns the OpenSSL context built from the options.
// TLS 1.2 is the lowest version it offers.
class TServerIOHandlerSSL {
 public:
  TServerIOHandlerSSL();
  ~TServerIOHandlerSSL();
  TServerIOHandlerSSL(const TServerIOHandlerSSL&) = delete;
  TServerIOHandlerSSL& operator=(const TServerIOHandlerSSL&) = delete;

  TSSLOptions SSLOptions;

  // Builds the OpenSSL context from SSLOptions; throws with a clear message
  // when the certificate or key cannot be used.
  void Init();
  SSL_CTX* Context() const { return FContext; }

 private:
  SSL_CTX* FContext = nullptr;
};

class TIOHandler {
 public:
  // Takes ownership of the connected socket AFd (made non-blocking unless
  // AIsNonBlocking says it is already). With a TLS context the connection
  // starts in pass-through mode; SetPassThrough(false) runs the handshake.
  TIOHandler(int AFd, SSL_CTX* ASSLContext, bool AIsNonBlocking = false);
  ~TIOHandler();
  TIOHandler(const TIOHandler&) = delete;
  TIOHandler& operator=(const TIOHandler&) = delete;

  bool IsTLS() const { return FSSLContext != nullptr; }
  bool PassThrough() const { return FPassThrough; }
  // Switching pass-through off on a TLS connection performs the server
  // handshake (throws on failure).
  void SetPassThrough(bool AValue);

  // Milliseconds a read may wait for data; -1 waits for ever.
  void SetReadTimeout(int AMilliseconds) { FReadTimeout = AMilliseconds; }
  // A moment after which no read waits any more, however the data trickles
  // in; kNoDeadline (the default) sets no deadline.
  using TClock = std::chrono::steady_clock;
  static constexpr TClock::time_point kNoDeadline = TClock::time_point::max();
  void SetReadDeadline(TClock::time_point AMoment) { FReadDeadline = AMoment; }
  // Milliseconds a write may wait for the peer to take data.
  void SetWriteTimeout(int AMilliseconds) { FWriteTimeout = AMilliseconds; }

  // Reads one line ending in LF (a CR before it is dropped). Throws
  // ELimitExceeded when the line is longer than AMaxLength bytes.
  std::string ReadLn(size_t AMaxLength);
  uint8_t ReadByte();
  // Reads exactly ACount bytes.
  std::string ReadBytes(size_t ACount);
  void ReadBytes(char* ABuffer, size_t ACount);

  // Writes all of AData, whole: concurrent writers never interleave.
  void Write(std::string_view AData);

  // For the server's event loop, on plain connections only: receives what
  // has arrived (up to AMax bytes) into the input buffer without waiting;
  // returns the bytes taken (0: nothing there yet). AEnded becomes true when
  // the peer has closed its side or the connection failed (what came before
  // is kept). Never throws: connections that end at once are common.
  size_t ReceiveAvailable(size_t AMax, bool& AEnded);
  // The bytes received and not yet consumed by a read.
  std::string_view Buffered() const { return std::string_view(FInput).substr(FInputPos); }
  int Handle() const { return FFd; }

  // Closes the connection in both directions; safe from any thread. The
  // peer is told (FIN); a read blocked on this connection returns.
  void Disconnect();
  bool Connected() const { return !FDisconnected.load(); }

  // Ends the connection from its own thread after an answer: the peer gets
  // the whole answer and then the end of the stream. What the peer still
  // sends is read and dropped (up to AMaxDrain bytes within AMaxMillis), so
  // that unread input does not reset the connection and lose the answer.
  void CloseGracefully(size_t AMaxDrain = 1u << 20, int AMaxMillis = 1000);

  std::atomic<int> Tag{0};
  std::string PeerIP;
  int PeerPort = 0;

 private:
  size_t ReadSome(char* ABuffer, size_t ASize);  // at least one byte, or throws
  void Fill();                                   // reads more into FInput
  void WaitFor(short AEvents, int ATimeout, const char* AWhat);

  int FFd;
  SSL_CTX* FSSLContext;
  SSL* FSSL = nullptr;
  bool FPassThrough = true;
  std::mutex FSSLLock;    // guards FSSL
  std::mutex FWriteLock;  // one whole write at a time
  std::atomic<bool> FDisconnected{false};
  int FReadTimeout = -1;
  TClock::time_point FReadDeadline = kNoDeadline;
  // The wait allowed to a read now: the timeout, cut to the deadline.
  int ReadWait() const;
  int FWriteTimeout = 30000;
  std::string FInput;  // bytes read but not yet consumed
  size_t FInputPos = 0;
};

}  // namespace net
