// Stand-ins for the session and web form that later layers provide, and a
// WebSocket client over the test socket client.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Interfaces.h"
#include "orvane/server/Orvane.Server.WebSocket.h"
#include "tests/platform/net/TestClient.h"

namespace orvanetest {

class TTestForm : public orvane::IOrvaneForm {
 public:
  void DoUpload(const std::vector<std::string>& AFiles) override {
    std::lock_guard<std::mutex> g(Lock);
    Uploads.push_back(AFiles);
    if (FailUpload) throw std::runtime_error("falha do formulário");
  }
  bool Destroying() const override { return DestroyingFlag.load(); }
  orvane::IOrvaneSession* GetOrvaneSession() const override { return Session; }
  std::string GetFormUUID() const override { return "F1"; }
  // The page shows an upload with these limits (any file by default).
  bool GetUploadLimits(orvane::TOrvaneUploadLimits& ALimits) override {
    std::lock_guard<std::mutex> g(Lock);
    ALimits = Limits;
    return AcceptsUploads;
  }

  std::mutex Lock;
  orvane::TOrvaneUploadLimits Limits{0, 0, 0, {}};
  bool AcceptsUploads = true;
  std::vector<std::vector<std::string>> Uploads;
  std::atomic<bool> DestroyingFlag{false};
  std::atomic<bool> FailUpload{false};
  orvane::IOrvaneSession* Session = nullptr;
};

class TTestSession : public orvane::IOrvaneSession {
 public:
  TTestSession(std::string AUUID, std::string AToken, std::string AFolder)
      : FUUID(std::move(AUUID)), FToken(std::move(AToken)), FFolder(std::move(AFolder)) {
    FExpire = std::chrono::system_clock::now() + std::chrono::hours(60);
    Form.Session = this;
  }

  std::string GetUUID() const override { return FUUID; }
  std::string GetToken() const override { return FToken; }
  orvane::TOrvaneDateTime ExpireDate() const override {
    std::lock_guard<std::mutex> g(FLock);
    return FExpire;
  }
  void RenewExpireDate() override {
    std::lock_guard<std::mutex> g(FLock);
    FExpire = std::chrono::system_clock::now() + std::chrono::hours(60);
    ++Renewals;
  }
  void SetExpireDate(orvane::TOrvaneDateTime AValue) {
    std::lock_guard<std::mutex> g(FLock);
    FExpire = AValue;
  }
  bool Closing() const override { return ClosingFlag.load(); }
  bool Destroying() const override { return false; }
  std::vector<std::thread::id> GetThreadIDs() const override {
    std::lock_guard<std::mutex> g(FLock);
    return FThreadIDs;
  }
  void ThreadAddCurrent() override {
    std::lock_guard<std::mutex> g(FLock);
    FThreadIDs.push_back(std::this_thread::get_id());
    ++ThreadAdds;
  }
  void ThreadRemoveCurrent() override {
    std::lock_guard<std::mutex> g(FLock);
    auto id = std::this_thread::get_id();
    for (auto it = FThreadIDs.begin(); it != FThreadIDs.end(); ++it)
      if (*it == id) {
        FThreadIDs.erase(it);
        break;
      }
    ++ThreadRemoves;
  }
  void ExecThread(bool, std::function<void()> AProc) override {
    std::thread t([this, AProc] {
      ThreadAddCurrent();
      AProc();
      ThreadRemoveCurrent();
    });
    t.join();
  }
  std::string PathSession() const override { return FFolder; }
  std::map<std::string, std::string> GetFileDownloads() const override {
    std::lock_guard<std::mutex> g(FLock);
    return Downloads;
  }
  orvane::IOrvaneForm* GetActiveForm() override { return &Form; }
  orvane::IOrvaneForm* ActiveFormByFormUUID(const std::string& AFormUUID) override {
    return AFormUUID == Form.GetFormUUID() ? &Form : nullptr;
  }
  unsigned OpenedConnections() const override { return FOpened.load(); }
  void IncOpenedConnections() override { ++FOpened; }
  void DecOpenedConnections() override {
    unsigned v = FOpened.load();
    while (v > 0 && !FOpened.compare_exchange_weak(v, v - 1)) {
    }
  }

  std::atomic<bool> ClosingFlag{false};
  std::atomic<int> Renewals{0};
  std::atomic<int> ThreadAdds{0}, ThreadRemoves{0};
  std::map<std::string, std::string> Downloads;
  TTestForm Form;

 private:
  std::string FUUID, FToken, FFolder;
  mutable std::mutex FLock;
  orvane::TOrvaneDateTime FExpire;
  std::vector<std::thread::id> FThreadIDs;
  std::atomic<unsigned> FOpened{0};
};

// A server controller that records the notices it receives.
class TTestController : public orvane::IVexloServerControllerBase {
 public:
  std::string ServerName() const override { return "Tamblo Teste"; }
  std::string ServerDescription() const override { return "Servidor de teste"; }
  void DoSessionChange(orvane::TSessionChangeType AType,
                       const std::shared_ptr<orvane::IOrvaneSession>&) override {
    std::lock_guard<std::mutex> g(Lock);
    Notices.push_back(AType);
  }
  void InstancePrimaryForm(const std::shared_ptr<orvane::IOrvaneSession>&) override {}
  std::vector<orvane::TSessionChangeType> Taken() {
    std::lock_guard<std::mutex> g(Lock);
    return Notices;
  }
  std::mutex Lock;
  std::vector<orvane::TSessionChangeType> Notices;
};

// A masked client frame (browsers always mask).
inline std::string ClientFrame(const std::string& APayload, uint8_t AFirstByte = 0x81) {
  std::string f;
  f.push_back(static_cast<char>(AFirstByte));
  uint64_t len = APayload.size();
  if (len <= 125) {
    f.push_back(static_cast<char>(0x80 | len));
  } else if (len <= 65535) {
    f.push_back(static_cast<char>(0xFE));
    f.push_back(static_cast<char>(len >> 8));
    f.push_back(static_cast<char>(len & 0xFF));
  } else {
    f.push_back(static_cast<char>(0xFF));
    for (int s = 56; s >= 0; s -= 8) f.push_back(static_cast<char>((len >> s) & 0xFF));
  }
  const unsigned char mask[4] = {0x12, 0x34, 0x56, 0x78};
  for (unsigned char m : mask) f.push_back(static_cast<char>(m));
  for (size_t i = 0; i < APayload.size(); ++i)
    f.push_back(static_cast<char>(APayload[i] ^ mask[i & 3]));
  return f;
}

struct TServerFrame {
  uint8_t FirstByte = 0;
  uint8_t LengthByte = 0;  // the length byte as sent (126/127 for the long forms)
  std::string Payload;
  bool Ok = false;
};

// Reads one (unmasked) server frame.
inline TServerFrame ReadServerFrame(testnet::TClient& AClient, int ATimeoutMs = 10000) {
  TServerFrame f;
  std::string h = AClient.ReadN(2, ATimeoutMs);
  if (h.size() < 2) return f;
  f.FirstByte = static_cast<uint8_t>(h[0]);
  f.LengthByte = static_cast<uint8_t>(h[1]);
  uint64_t len = f.LengthByte & 0x7F;
  if (len == 126) {
    std::string e = AClient.ReadN(2, ATimeoutMs);
    len = (static_cast<uint64_t>(static_cast<uint8_t>(e[0])) << 8) | static_cast<uint8_t>(e[1]);
  } else if (len == 127) {
    std::string e = AClient.ReadN(8, ATimeoutMs);
    len = 0;
    for (char c : e) len = (len << 8) | static_cast<uint8_t>(c);
  }
  f.Payload = AClient.ReadN(static_cast<size_t>(len), ATimeoutMs);
  f.Ok = f.Payload.size() == len;
  return f;
}

// Sends an upgrade request and returns the head of the answer (empty when
// the server closed without answering).
inline std::string UpgradeRequest(testnet::TClient& AClient, const std::string& APathAndQuery,
                                  const std::string& AKeyHeader = "Sec-WebSocket-Key") {
  AClient.Send("GET " + APathAndQuery +
               " HTTP/1.1\r\nHost: 127.0.0.1:8888\r\nUpgrade: websocket\r\n"
               "Connection: Upgrade\r\n" +
               AKeyHeader + ": dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
  return AClient.ReadHead();
}

}  // namespace orvanetest
