#include "orvane/server/Orvane.CallBack.h"

#include "orvane/server/Orvane.Interfaces.h"
#include "orvane/server/Orvane.Util.h"

namespace orvane {

// ---------------------------------------------------------------------------
// TOrvaneCallBack

TOrvaneCallBack::TOrvaneCallBack(std::string AName, TCallBackEvent ACallBackEvent)
    : FName(std::move(AName)),
      FCallBackEvent(std::move(ACallBackEvent)),
      FCallBackID(GenerateRandomString(18)) {}

void TOrvaneCallBack::SetName(const std::string& AName) {
  std::lock_guard<std::mutex> g(FLock);
  FName = AName;
}

std::string TOrvaneCallBack::GetName() const {
  std::lock_guard<std::mutex> g(FLock);
  return FName;
}

std::string TOrvaneCallBack::GetResponse() const {
  std::lock_guard<std::mutex> g(FLock);
  return FResponse;
}

void TOrvaneCallBack::Execute(const TStringList& AEventParams, std::string& AResult) {
  if (!FCallBackEvent) return;
  AResult = FCallBackEvent(AEventParams);
  std::lock_guard<std::mutex> g(FLock);
  FResponse = AResult;
}

// ---------------------------------------------------------------------------
// TOrvaneCallBacks

TOrvaneCallBackList TOrvaneCallBacks::GetCallBacks() const {
  std::lock_guard<std::mutex> g(FLock);
  return FItems;
}

void TOrvaneCallBacks::Add(const std::shared_ptr<IOrvaneCallBack>& AOrvaneCallBack) {
  if (!AOrvaneCallBack) return;
  std::string name = AOrvaneCallBack->GetName();
  std::lock_guard<std::mutex> g(FLock);
  for (auto& item : FItems)
    if (item.first == name) {
      item.second = AOrvaneCallBack;
      return;
    }
  FItems.emplace_back(name, AOrvaneCallBack);
}

std::shared_ptr<IOrvaneCallBack> TOrvaneCallBacks::Register(const std::string& AName,
                                                            TCallBackEvent ACallBackEventProc) {
  auto callback = std::make_shared<TOrvaneCallBack>(AName, std::move(ACallBackEventProc));
  Add(callback);
  return callback;
}

void TOrvaneCallBacks::Unregister(const std::string& AName) {
  std::lock_guard<std::mutex> g(FLock);
  for (auto it = FItems.begin(); it != FItems.end(); ++it)
    if (it->first == AName) {
      FItems.erase(it);
      return;
    }
}

std::shared_ptr<IOrvaneCallBack> TOrvaneCallBacks::Find(const std::string& AName) const {
  std::lock_guard<std::mutex> g(FLock);
  for (const auto& item : FItems)
    if (item.first == AName) return item.second;
  return nullptr;
}

std::shared_ptr<IOrvaneCallBack> TOrvaneCallBacks::FindByID(const std::string& ACallBackID) const {
  std::lock_guard<std::mutex> g(FLock);
  for (const auto& item : FItems)
    if (item.second->GetCallBackID() == ACallBackID) return item.second;
  return nullptr;
}

void TOrvaneCallBacks::Execute(const std::string& AName, const TStringList& AEventParams,
                               std::string& AResult) {
  // Run outside the lock: the procedure may register or unregister callbacks.
  if (auto callback = Find(AName)) callback->Execute(AEventParams, AResult);
}

std::string TOrvaneCallBacks::CallBackJS(const std::string& ACallBackName,
                                         const std::string& AFormUUID, bool LockClient,
                                         const std::string& Parameters) {
  std::string formUUID = AFormUUID;
  if (formUUID.empty() && FSession)
    if (IOrvaneForm* form = FSession->GetActiveForm()) formUUID = form->GetFormUUID();
  return CallBackDirectJS(ACallBackName, formUUID, LockClient, Parameters);
}

std::string TOrvaneCallBacks::CallBackDirectJS(const std::string& ACallBackName,
                                               const std::string& AFormUUID, bool LockClient,
                                               const std::string& Parameters) {
  std::string parameters = Parameters.empty() ? "''" : Parameters;
  auto callback = Find(ACallBackName);
  if (!callback) return "";
  std::string uuid = FSession ? FSession->GetUUID() : "";
  std::string token = FSession ? FSession->GetToken() : "";
  return "OrvaneServer().CallBack('" + uuid + "', '" + token + "', '" + AFormUUID + "', '" +
         callback->GetCallBackID() + "', " + parameters + ", " + (LockClient ? "true" : "false") +
         ")";
}

}  // namespace orvane
