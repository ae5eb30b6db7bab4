// Control events and callbacks: one event per type, auto-publishing, the
// browser calls they write, the handlers they run, and the session's
// callback registry.
#include <gtest/gtest.h>

#include "orvane/server/Orvane.CallBack.h"
#include "orvane/server/Orvane.Events.h"
#include "platform/ui/StdCtrls.h"
#include "tests/orvane/server/test_session_support.h"

using namespace orvane;
using sesstest::TLog;
using sesstest::TTestControl;
using sesstest::TTestEngine;
using sesstest::TTestVexlo;

namespace {

bool IsAlnum(const std::string& AText) {
  return std::all_of(AText.begin(), AText.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

class OrvaneEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    Session = E.NewSession();
    Page.Form.Session = Session.get();
    Session->SetVexloBaseClass(&Page);
    Button = std::make_unique<ui::TButton>(nullptr);
    Control = std::make_unique<TTestControl>(Page.Form, Button.get(), "Button1", Log);
  }
  void TearDown() override { Session->Close(); }

  TTestEngine E;
  std::shared_ptr<TOrvaneSession> Session;
  TLog Log;
  TTestVexlo Page{"FORMUUID123456", Log};
  std::unique_ptr<ui::TButton> Button;
  std::unique_ptr<TTestControl> Control;
};

}  // namespace

TEST_F(OrvaneEvents, OneEventPerTypeAndTheFirstStays) {
  auto events = Control->GetEvents();
  TLog calls;
  auto first = events->Add(TOrvaneEventType::EventOnClick,
                           TOnEventProc([&](TStringList&) { calls.Add("primeiro"); }));
  auto second = events->Add(TOrvaneEventType::EventOnClick,
                            TOnEventProc([&](TStringList&) { calls.Add("segundo"); }));
  EXPECT_EQ(first, second);
  EXPECT_EQ(events->Count(), 1);
  events->Add(std::make_shared<TOrvaneControlEvent>(Control.get(), TOrvaneEventType::EventOnClick));
  EXPECT_EQ(events->Count(), 1);
  TStringList params;
  events->Item(TOrvaneEventType::EventOnClick)->CallEvent(params);
  EXPECT_EQ(calls.Items(), std::vector<std::string>{"primeiro"});
  EXPECT_EQ(events->Item(TOrvaneEventType::EventOnDblClick), nullptr);

  auto dbl = events->Add(TOrvaneEventType::EventOnDblClick, TOnEventProc(), true);
  EXPECT_EQ(events->Count(), 2);
  EXPECT_EQ(events->Item(1), dbl);
  EXPECT_EQ(events->FindByID(dbl->GetEventID()), dbl);
  EXPECT_EQ(events->FindByID("nenhum"), nullptr);
  EXPECT_THROW(events->Item(2), std::out_of_range);
  EXPECT_THROW(events->Item(-1), std::out_of_range);
  events->Delete(0);
  EXPECT_EQ(events->Item(0), dbl);
  EXPECT_THROW(events->Delete(5), std::out_of_range);
}

TEST_F(OrvaneEvents, ClickChangeAndKeyDownArePublishedByDefault) {
  for (int t = 0; t <= static_cast<int>(TOrvaneEventType::EventOnClosePopup); ++t) {
    auto type = static_cast<TOrvaneEventType>(t);
    TOrvaneControlEvent event(Control.get(), type);
    bool expected = type == TOrvaneEventType::EventOnClick ||
                    type == TOrvaneEventType::EventOnChange ||
                    type == TOrvaneEventType::EventOnKeyDown;
    EXPECT_EQ(event.GetAutoPublishedEvent(), expected) << t;
    EXPECT_EQ(event.GetEventID().size(), 19u);
    EXPECT_TRUE(IsAlnum(event.GetEventID())) << event.GetEventID();
  }
  TOrvaneControlEvent dbl(Control.get(), TOrvaneEventType::EventOnDblClick);
  dbl.SetAutoPublishedEvent(true);
  EXPECT_TRUE(dbl.GetAutoPublishedEvent());
  TOrvaneControlEvent other(Control.get(), TOrvaneEventType::EventOnDblClick);
  EXPECT_NE(dbl.GetEventID(), other.GetEventID());
}

TEST_F(OrvaneEvents, EventJSWritesTheBrowserCall) {
  auto click = Control->GetEvents()->Add(TOrvaneEventType::EventOnClick, TOnEventProc());
  std::string head = "('" + Session->GetUUID() + "', '" + Session->GetToken() +
                     "', 'FORMUUID123456', 'Button1', '" + click->GetEventID() + "', ";
  EXPECT_EQ(click->EventJS(TEventProcType::ExecEventProc, "", true),
            "OrvaneServer().ExecEvent" + head + "'', true)");
  EXPECT_EQ(click->EventJS(TEventProcType::GetFromEventProc, "\"valor=\" + this.value", false),
            "OrvaneServer().GetFromEvent" + head + "\"valor=\" + this.value, false)");
}

TEST_F(OrvaneEvents, CallEventPrefersTheNotificationHandler) {
  TLog calls;
  TOrvaneControlEvent event(Control.get(), TOrvaneEventType::EventOnClick);
  TStringList params{"a=1"};
  event.CallEvent(params);  // nothing assigned: nothing happens
  event.SetOnEvent(TOnEventProc([&](TStringList& p) { calls.Add("proc:" + p.at(0)); }));
  event.CallEvent(params);
  event.SetOnEvent(core::TNotifyEvent([&](core::TComponent* Sender) {
    calls.Add(Sender == Button.get() ? "notify:botao" : "notify:outro");
  }));
  event.CallEvent(params);
  EXPECT_EQ(calls.Items(), (std::vector<std::string>{"proc:a=1", "notify:botao"}));
  EXPECT_EQ(event.CallEventResponse(params), "");
  event.SetOnEvent(TOnGetStrEvent([] { return std::string("{\"rows\":[]}"); }));
  EXPECT_EQ(event.CallEventResponse(params), "{\"rows\":[]}");
}

TEST_F(OrvaneEvents, CallbacksAreRegisteredByNameAndCalledById) {
  auto callbacks = Session->GetCallBacks();
  ASSERT_NE(callbacks, nullptr);
  EXPECT_EQ(callbacks->CallBackJS("Salvar", "", true, ""), "");
  auto salvar = callbacks->Register(
      "Salvar", [](const TStringList& p) { return "salvo:" + ValueOf(p, "id"); });
  EXPECT_EQ(salvar->GetCallBackID().size(), 18u);
  EXPECT_TRUE(IsAlnum(salvar->GetCallBackID()));
  std::string head =
      "OrvaneServer().CallBack('" + Session->GetUUID() + "', '" + Session->GetToken() + "', '";
  // An empty FormUUID stands for the active web form.
  EXPECT_EQ(callbacks->CallBackJS("Salvar", "", true, ""),
            head + "FORMUUID123456', '" + salvar->GetCallBackID() + "', '', true)");
  EXPECT_EQ(callbacks->CallBackJS("Salvar", "OUTRO", false, "'id=' + x"),
            head + "OUTRO', '" + salvar->GetCallBackID() + "', 'id=' + x, false)");

  std::string result = "antes";
  callbacks->Execute("Nenhum", {"id=1"}, result);
  EXPECT_EQ(result, "antes");
  callbacks->Execute("Salvar", {"id=7"}, result);
  EXPECT_EQ(result, "salvo:7");
  EXPECT_EQ(salvar->GetResponse(), "salvo:7");

  // Registering the name again replaces the callback and its id.
  auto again =
      callbacks->Register("Salvar", [](const TStringList&) { return std::string("novo"); });
  EXPECT_NE(again->GetCallBackID(), salvar->GetCallBackID());
  EXPECT_EQ(callbacks->FindByID(salvar->GetCallBackID()), nullptr);
  EXPECT_EQ(callbacks->FindByID(again->GetCallBackID()), again);
  EXPECT_EQ(callbacks->GetCallBacks().size(), 1u);
  callbacks->Unregister("Salvar");
  EXPECT_TRUE(callbacks->GetCallBacks().empty());
  EXPECT_EQ(callbacks->CallBackDirectJS("Salvar", "F", true, ""), "");
}
