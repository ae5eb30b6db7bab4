// Callbacks: named procedures that server code registers in its session and
// that the page calls back through the script CallBackJS writes. The browser
// names a callback by its random id, never by its name.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "orvane/server/Orvane.Server.HTTP.Commom.h"

namespace orvane {

class IOrvaneSession;

// Receives the parsed parameter list ("name=value" items) and returns a result.
using TCallBackEvent = std::function<std::string(const TStringList& AEventParams)>;

class IOrvaneCallBack {
 public:
  virtual ~IOrvaneCallBack() = default;
  virtual void SetName(const std::string& AName) = 0;
  virtual std::string GetName() const = 0;
  virtual std::string GetCallBackID() const = 0;
  virtual TCallBackEvent GetCallBack() const = 0;
  virtual std::string GetResponse() const = 0;
  // Runs the procedure and keeps its result as the response.
  virtual void Execute(const TStringList& AEventParams, std::string& AResult) = 0;
};

class TOrvaneCallBack : public IOrvaneCallBack {
 public:
  TOrvaneCallBack(std::string AName, TCallBackEvent ACallBackEvent);

  void SetName(const std::string& AName) override;
  std::string GetName() const override;
  std::string GetCallBackID() const override { return FCallBackID; }
  TCallBackEvent GetCallBack() const override { return FCallBackEvent; }
  std::string GetResponse() const override;
  void Execute(const TStringList& AEventParams, std::string& AResult) override;

 private:
  mutable std::mutex FLock;
  std::string FName;
  TCallBackEvent FCallBackEvent;
  const std::string FCallBackID;  // 18 random characters
  std::string FResponse;
};

using TOrvaneCallBackList = std::vector<std::pair<std::string, std::shared_ptr<IOrvaneCallBack>>>;

class IOrvaneCallBacks {
 public:
  virtual ~IOrvaneCallBacks() = default;
  // Name to callback, in registration order.
  virtual TOrvaneCallBackList GetCallBacks() const = 0;
  virtual void Add(const std::shared_ptr<IOrvaneCallBack>& AOrvaneCallBack) = 0;
  virtual std::shared_ptr<IOrvaneCallBack> Register(const std::string& AName,
                                                    TCallBackEvent ACallBackEventProc) = 0;
  virtual void Unregister(const std::string& AName) = 0;
  // Runs the named callback; AResult stays as it is when there is none.
  virtual void Execute(const std::string& AName, const TStringList& AEventParams,
                       std::string& AResult) = 0;
  // The page's call of a callback; empty when the name is not registered.
  // An empty AFormUUID stands for the session's active web form.
  virtual std::string CallBackJS(const std::string& ACallBackName, const std::string& AFormUUID,
                                 bool LockClient, const std::string& Parameters) = 0;
  virtual std::string CallBackDirectJS(const std::string& ACallBackName,
                                       const std::string& AFormUUID, bool LockClient,
                                       const std::string& Parameters) = 0;
  // The callback with that id, or null.
  virtual std::shared_ptr<IOrvaneCallBack> FindByID(const std::string& ACallBackID) const = 0;
};

class TOrvaneCallBacks : public IOrvaneCallBacks {
 public:
  explicit TOrvaneCallBacks(IOrvaneSession* ASession) : FSession(ASession) {}

  TOrvaneCallBackList GetCallBacks() const override;
  void Add(const std::shared_ptr<IOrvaneCallBack>& AOrvaneCallBack) override;
  std::shared_ptr<IOrvaneCallBack> Register(const std::string& AName,
                                            TCallBackEvent ACallBackEventProc) override;
  void Unregister(const std::string& AName) override;
  void Execute(const std::string& AName, const TStringList& AEventParams,
               std::string& AResult) override;
  std::string CallBackJS(const std::string& ACallBackName, const std::string& AFormUUID,
                         bool LockClient, const std::string& Parameters) override;
  std::string CallBackDirectJS(const std::string& ACallBackName, const std::string& AFormUUID,
                               bool LockClient, const std::string& Parameters) override;
  std::shared_ptr<IOrvaneCallBack> FindByID(const std::string& ACallBackID) const override;

 private:
  std::shared_ptr<IOrvaneCallBack> Find(const std::string& AName) const;

  IOrvaneSession* FSession;  // the owning session
  mutable std::mutex FLock;
  TOrvaneCallBackList FItems;
};

}  // namespace orvane
