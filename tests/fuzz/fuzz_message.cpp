// The whole path of a browser message from arbitrary bytes: the envelope,
// the dispatch to a live session, the parameter string and the component
// states written into the controls of the session's form. The first byte
// chooses what the rest is:
//   0: the whole message text;
//   1: the Parameters string of an ExecEvent for the form's button;
//   2: the component states of such an ExecEvent;
//   3: the Parameters string of a form-level event (focus, popups).
// A message that breaks the protocol may be refused (the server then closes
// the connection); nothing may crash.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.CallBack.h"
#include "orvane/server/Orvane.Events.h"
#include "orvane/server/Orvane.Server.Functions.h"
#include "tests/fuzz/FuzzThread.h"

using namespace orvane;

namespace {

class TFuzzForm;

// A web control as the controls read their state records: typed look-ups,
// and the record walked whole (serialised), as a control may do.
class TFuzzControl : public IOrvaneControl {
 public:
  TFuzzControl(IOrvaneForm& AForm, std::string AName) : FForm(AForm), FName(std::move(AName)) {
    FEvents = std::make_shared<TOrvaneControlEvents>(this);
  }
  std::string GetName() const override { return FName; }
  std::string GetNamePrefix() const override { return FName; }
  bool GetEnabled() override { return true; }
  bool GetVisible() override { return true; }
  bool GetReadOnly() override { return false; }
  core::TComponent* GetVCLComponent() const override { return nullptr; }
  IOrvaneForm* GetForm() const override { return &FForm; }
  std::shared_ptr<IOrvaneControlEvents> GetEvents() override { return FEvents; }
  bool IsDBGrid() override { return FName == "grd"; }
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>&,
                              TStringList& AParameters) override {
    for (const std::string& p : AParameters) Seen += p.size();
  }
  void ProcessComponentState(const nlohmann::json& AState) override {
    for (const char* key : {"text", "selectedvalue"})
      if (auto it = AState.find(key); it != AState.end() && it->is_string())
        Text = it->get<std::string>();
    if (auto it = AState.find("checked"); it != AState.end() && it->is_boolean())
      Checked = it->get<bool>();
    if (auto it = AState.find("selecteditemindex"); it != AState.end() && it->is_number_integer())
      Index = it->get<int64_t>();
    Seen += AState.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace).size();
  }

  std::string Text;
  bool Checked = false;
  int64_t Index = 0;
  size_t Seen = 0;

 private:
  IOrvaneForm& FForm;
  std::string FName;
  std::shared_ptr<TOrvaneControlEvents> FEvents;
};

class TFuzzForm : public IOrvaneForm {
 public:
  explicit TFuzzForm(IOrvaneSession& ASession) : FSession(ASession) {}
  void DoUpload(const std::vector<std::string>&) override {}
  bool Destroying() const override { return false; }
  IOrvaneSession* GetOrvaneSession() const override { return &FSession; }
  std::string GetFormUUID() const override { return "FORM"; }
  std::vector<IOrvaneControl*> GetControls() override { return {&Edit, &Button, &Grid}; }
  void SetFocusedControl(IOrvaneControl*) override {}

  TFuzzControl Edit{*this, "edtNome"};
  TFuzzControl Button{*this, "btnEntrar"};
  TFuzzControl Grid{*this, "grd"};

 private:
  IOrvaneSession& FSession;
};

// A live session whose work items run at once on the calling thread.
class TFuzzSession : public IOrvaneSession {
 public:
  TFuzzSession() : Form(*this), FCallBacks(std::make_shared<TOrvaneCallBacks>(this)) {}
  std::string GetUUID() const override { return "UUID00000001"; }
  std::string GetToken() const override { return "TOKEN0000000000000000001"; }
  TOrvaneDateTime ExpireDate() const override { return TOrvaneDateTime::max(); }
  void RenewExpireDate() override {}
  bool Closing() const override { return false; }
  bool Destroying() const override { return false; }
  std::vector<std::thread::id> GetThreadIDs() const override { return {}; }
  void ThreadAddCurrent() override {}
  void ThreadRemoveCurrent() override {}
  using IOrvaneSession::ExecThread;
  void ExecThread(bool, std::function<void()> AProc) override {
    try {
      AProc();
    } catch (const std::exception&) {
      // A failing work item ends that item only.
    }
  }
  std::string PathSession() const override { return "/nonexistent/"; }
  std::map<std::string, std::string> GetFileDownloads() const override { return {}; }
  IOrvaneForm* GetActiveForm() override { return &Form; }
  IOrvaneForm* ActiveFormByFormUUID(const std::string& AFormUUID) override {
    return AFormUUID == "FORM" ? &Form : nullptr;
  }
  std::shared_ptr<IOrvaneCallBacks> GetCallBacks() const override { return FCallBacks; }
  unsigned OpenedConnections() const override { return 1; }
  void IncOpenedConnections() override {}
  void DecOpenedConnections() override {}
  void ExecJS(const std::string& AScriptJS) override { Pushed += AScriptJS.size(); }

  TFuzzForm Form;
  size_t Pushed = 0;

 private:
  std::shared_ptr<TOrvaneCallBacks> FCallBacks;
};

// The registry of the one session.
class TFuzzRoot : public IOrvaneBaseClass {
 public:
  explicit TFuzzRoot(std::shared_ptr<IOrvaneSession> ASession) : FSession(std::move(ASession)) {}
  int GetServerPort() const override { return 0; }
  void SetServerPort(int) override {}
  TSessionMap& GetSessions() override { return FMap; }
  bool SessionValid(const std::string& AUUID) override { return AUUID == FSession->GetUUID(); }
  bool SessionValid(const std::string& AToken, const std::string& AUUID) override {
    return SessionValid(AUUID) && AToken == FSession->GetToken();
  }
  std::shared_ptr<IOrvaneSession> SessionByUUID(const std::string& AUUID) override {
    return SessionValid(AUUID) ? FSession : nullptr;
  }
  std::shared_ptr<IOrvaneSession> SessionByThreadID(std::thread::id) override { return FSession; }
  std::shared_ptr<IOrvaneSession> SessionByThreadID(std::thread::id, bool) override {
    return FSession;
  }
  TOrvaneOptions& GetOptions() override { throw std::logic_error("not used"); }
  TOrvaneINIConfig& INIConfig() override { throw std::logic_error("not used"); }
  void InstancePrimaryForm(const std::shared_ptr<IOrvaneSession>&) override {}
  bool Started() const override { return true; }
  void StartServer() override {}
  void StopServer() override {}
  std::shared_ptr<IVexloServerControllerBase> ServerController() const override { return nullptr; }
  void AddSession(const std::shared_ptr<IOrvaneSession>&) override {}
  void RemoveSession(const std::string&) override {}
  size_t SessionCount() override { return 1; }

 private:
  std::shared_ptr<IOrvaneSession> FSession;
  TSessionMap FMap;
};

struct TWorld {
  TWorld() : Session(std::make_shared<TFuzzSession>()), Root(Session), Functions(&Root) {
    auto click = Session->Form.Button.GetEvents()->Add(
        TOrvaneEventType::EventOnClick, TOnEventProc([this](TStringList& AParameters) {
          Session->ExecJS(ValueOf(AParameters, "x"));
        }));
    ClickID = click->GetEventID();
    auto load =
        Session->Form.Grid.GetEvents()->Add(TOrvaneEventType::EventOnLoadJSON, TOnEventProc());
    load->SetOnEvent(TOnGetStrEvent([] { return std::string("{\"rows\":[]}"); }));
    LoadID = load->GetEventID();
  }
  std::shared_ptr<TFuzzSession> Session;
  TFuzzRoot Root;
  TOrvaneServerFunctions Functions;
  std::string ClickID, LoadID;
};

std::string Envelope(const TWorld& AWorld, const std::string& AID, const std::string& AEventID,
                     const std::string& AParameters) {
  nlohmann::ordered_json j = {{"type", "procedure"}, {"name", "ExecEvent"}, {"wait", false}};
  j["parameters"] = {{{"UUID", AWorld.Session->GetUUID()}},
                     {{"Token", AWorld.Session->GetToken()}},
                     {{"FormUUID", "FORM"}},
                     {{"ID", AID}},
                     {{"EventID", AEventID}},
                     {{"Parameters", AParameters}},
                     {{"LockClient", true}}};
  return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void Run(TWorld& AWorld, uint8_t AMode, const std::string& AInput) {
  std::string text;
  switch (AMode % 4) {
    case 0:
      text = AInput;
      break;
    case 1:
      text = Envelope(AWorld, "btnEntrar", AWorld.ClickID, AInput);
      break;
    case 2:
      text = Envelope(AWorld, "btnEntrar", AWorld.ClickID, "OrvaneComponentsStatus=" + AInput);
      break;
    default:
      text = Envelope(AWorld, "FORM", (AInput.size() & 1) ? "ComponentFocused" : "OnShowPopup",
                      AInput);
      break;
  }
  TOrvaneWebSocketContext context;
  std::string answer;
  try {
    TOrvaneWebSocketMessage message = FormatReceivedMesssage(text);
    AWorld.Functions.ReceiveMessage(message, context, answer);
  } catch (const EOrvaneProtocolError&) {
    // Refused: the server closes the connection.
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
  if (ASize < 1) return 0;
  static TWorld world;
  std::string input(reinterpret_cast<const char*>(AData + 1), ASize - 1);
  fuzzthread::OnConnectionThread([&] { Run(world, AData[0], input); });
  return 0;
}
