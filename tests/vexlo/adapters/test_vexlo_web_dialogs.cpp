// Bridge forms in a web session behave as on the desktop: ShowMessage and
// MessageDlg wait on a session thread for the page's answer (a closing
// session ends the wait silently), ShowModal waits until the form closes,
// the non-waiting modal run hands its result on, a ModalResult set by a
// handler closes a modal form, popups open and close on the page, and a
// handler's failure is reported on the page.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <nlohmann/json.hpp>

#include "platform/ui/Headless.h"
#include "platform/ui/StdCtrls.h"
#include "tests/vexlo/adapters/AdapterTestSupport.h"
#include "vexlo/Vexlo.Orvane.Form.h"

using namespace vexlo;
using adaptertest::TAdapterFixture;
using adaptertest::TFixtureForm;
using webtest::Eventually;

namespace {

class WebDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    Page = F.Form([](TFixtureForm&) {}, [](TFixtureForm&) {}, "fPagina");
    F.Session->SetVexloBaseClass(Page->Vexlo());
  }
  // The options of the dialog pushed last, once one is.
  nlohmann::json DialogOptions() {
    std::string push;
    EXPECT_TRUE(Eventually([&] {
      for (const std::string& p : F.Session->Pushes())
        if (p.find("OrvaneMessageDlg(") != std::string::npos) push = p;
      return !push.empty();
    }));
    if (push.empty()) return nullptr;
    EXPECT_EQ(push.rfind("UnLockThreadClient(); OrvaneMessageDlg(", 0), 0u) << push;
    size_t start = push.find('(', push.find("OrvaneMessageDlg")) + 1;
    size_t end = push.find(", function (result) {", start);
    if (end == std::string::npos) end = push.find(", null);", start);
    return nlohmann::json::parse(push.substr(start, end - start));
  }
  // Answers the open dialog as the page does: its callback, on a session
  // thread.
  void Answer(const std::string& AParameter) {
    std::shared_ptr<orvane::IOrvaneCallBack> callback;
    for (const auto& [name, cb] : F.Session->GetCallBacks()->GetCallBacks())
      if (name.rfind("CallBackMessageResponse", 0) == 0) callback = cb;
    ASSERT_NE(callback, nullptr);
    bool pushed = false;
    for (const std::string& p : F.Session->Pushes())
      pushed = pushed || p.find("'" + callback->GetCallBackID() + "', \"result=\" + result") !=
                             std::string::npos;
    EXPECT_TRUE(pushed) << "the page calls the dialog's callback";
    F.Session->ExecThread(true, [&] {
      std::string result;
      callback->Execute({AParameter}, result);
    });
  }
  size_t OpenDialogCallbacks() {
    size_t n = 0;
    for (const auto& [name, cb] : F.Session->GetCallBacks()->GetCallBacks())
      n += name.rfind("CallBackMessageResponse", 0) == 0;
    return n;
  }

  TAdapterFixture F;
  TFixtureForm* Page = nullptr;
};

}  // namespace

TEST_F(WebDialogs, MessageDlgWaitsForTheAnswerTheDialogOffers) {
  std::promise<std::pair<ui::TModalResult, ui::TModalResult>> done;
  F.Session->ExecThread(false, [&] {
    ui::TModalResult web = -1;
    ui::TModalResult r =
        Page->MessageDlg("Deseja salvar as alterações?\n\"Sim\" grava `${x}`", ui::mtConfirmation,
                         ui::mbYesNoCancel(), 0, [&](ui::TModalResult R) { web = R; });
    done.set_value({r, web});
  });
  nlohmann::json options = DialogOptions();
  EXPECT_EQ(options["title"], "Confirmação");
  EXPECT_EQ(options["text"], "Deseja salvar as alterações?\n\"Sim\" grava `${x}`");
  EXPECT_EQ(options["icon"], "question");
  EXPECT_EQ(options["buttons"], nlohmann::json::parse(R"([{"caption":"Sim","result":6},
      {"caption":"Não","result":7},{"caption":"Cancelar","result":2}])"));
  EXPECT_EQ(options["dismiss"], 2);
  auto future = done.get_future();
  // An answer the dialog does not offer is no answer.
  Answer("result=1");
  Answer("result=sete");
  EXPECT_EQ(future.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
  Answer("result=7");
  ASSERT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(future.get(), std::make_pair(ui::mrNo, ui::mrNo));
  EXPECT_EQ(OpenDialogCallbacks(), 0u);
}

TEST_F(WebDialogs, ShowMessageWaitsAndAClosingSessionEndsTheWaitSilently) {
  std::promise<void> answered;
  F.Session->ExecThread(false, [&] {
    Page->ShowMessage("Informe o Login");
    answered.set_value();
  });
  nlohmann::json options = DialogOptions();
  EXPECT_EQ(options["title"], "");
  EXPECT_EQ(options["text"], "Informe o Login");
  EXPECT_EQ(options["icon"], "info");
  EXPECT_EQ(options["buttons"], nlohmann::json::parse(R"([{"caption":"OK","result":1}])"));
  Answer("result=1");
  EXPECT_EQ(answered.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);

  std::promise<std::string> ended;
  F.Session->TakePushes();
  F.Session->ExecThread(false, [&] {
    try {
      Page->MessageDlg("Usuário ou Senha não confere!", ui::mtWarning, {ui::mbOK}, 0);
      ended.set_value("answered");
    } catch (const core::EAbort&) {
      ended.set_value("aborted");
    }
  });
  EXPECT_EQ(DialogOptions()["icon"], "warning");
  F.Session->Close();
  auto future = ended.get_future();
  ASSERT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(future.get(), "aborted");
}

TEST_F(WebDialogs, ShowModalWaitsUntilTheFormClosesAndThePreviousPageReturns) {
  TFixtureForm* modal = F.Form([](TFixtureForm&) {}, [](TFixtureForm&) {}, "fModal");
  std::promise<ui::TModalResult> result;
  F.Session->TakePushes();
  F.Session->ExecThread(false, [&] { result.set_value(modal->ShowModal()); });
  ASSERT_TRUE(Eventually([&] { return F.Session->GetVexloBaseClass() == modal->Vexlo(); }));
  ASSERT_TRUE(Eventually([&] { return !F.Session->Pushes().empty(); }));  // the page reloads
  EXPECT_TRUE(modal->ShowingModal());
  EXPECT_EQ(modal->PriorVexlo(), Page);
  auto future = result.get_future();
  EXPECT_EQ(future.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  // A handler of the modal form sets its ModalResult: the form closes after
  // the event, as the desktop's modal loop does.
  F.Session->ExecThread(true, [&] {
    modal->SetModalResult(ui::mrOk);
    modal->OrvaneForm()->DoEventHandled();
  });
  ASSERT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(future.get(), ui::mrOk);
  EXPECT_FALSE(modal->ShowingModal());
  EXPECT_EQ(F.Session->GetVexloBaseClass(), Page->Vexlo());
}

TEST_F(WebDialogs, AModalRunAsPopupNestsTheFormInThePageAndLeavesItAgain) {
  ui::TButton* ok = nullptr;
  TFixtureForm* modal = F.Form([&](TFixtureForm& M) { ok = M.Add<ui::TButton>("btnOk", "OK"); },
                               [&](TFixtureForm& M) {
                                 M.Vexlo()->Items().Add().VCLObj(ok);
                                 M.SetShowModalAsPopup(true);
                               },
                               "fModal");
  modal->SetCaption("Escolha <1>");
  const size_t pageItems = Page->Vexlo()->Items().Count();
  std::promise<ui::TModalResult> result;
  F.Session->TakePushes();
  F.Session->ExecThread(false, [&] { result.set_value(modal->ShowModal()); });
  // The page stays; it reloads with the popup holding the nested form.
  // (The forms are read inside the session's forms guard, as its threads do.)
  ASSERT_TRUE(Eventually([&] {
    bool showing = false;
    F.Session->ExecThread(true, [&] { showing = modal->ShowingModal(); });
    return showing;
  }));
  ASSERT_TRUE(Eventually([&] { return !F.Session->Pushes().empty(); }));
  EXPECT_EQ(F.Session->GetVexloBaseClass(), Page->Vexlo());
  std::string body;
  F.Session->ExecThread(true, [&] {
    EXPECT_EQ(Page->Vexlo()->Items().Count(), pageItems + 1);
    EXPECT_EQ(Page->Vexlo()->PopupCount(), 1);
    EXPECT_EQ(modal->Vexlo()->VexloOwner(), Page->Vexlo());
    EXPECT_EQ(Page->OrvaneForm()->Controls().size(), 1u);  // the nested button
    Page->Clear();
    Page->Render();
    body = Page->Vexlo()->GetBodyHTML();
  });
  EXPECT_NE(body.find("id=\"MODALFMODAL\""), std::string::npos) << body;
  EXPECT_NE(body.find("Escolha &lt;1&gt;</h5>"), std::string::npos) << body;
  EXPECT_NE(body.find("$orvanenested(FMODAL)"), std::string::npos) << body;
  // Once the page has loaded, the popup opens.
  F.Session->TakePushes();
  F.Session->ExecThread(true, [&] { Page->DoPageLoaded(); });
  ASSERT_TRUE(Eventually([&] {
    for (const std::string& p : F.Session->Pushes())
      if (p.find("\"MODALFMODAL\"") != std::string::npos && p.find(".show()") != std::string::npos)
        return true;
    return false;
  }));
  auto future = result.get_future();
  EXPECT_EQ(future.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  // A handler of the popup's form sets the result: the popup hides and the
  // form leaves the page.
  F.Session->TakePushes();
  F.Session->ExecThread(true, [&] {
    modal->SetModalResult(ui::mrOk);
    modal->OrvaneForm()->DoEventHandled();
  });
  ASSERT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(future.get(), ui::mrOk);
  EXPECT_FALSE(modal->ShowingModal());
  bool hidden = false;
  for (const std::string& p : F.Session->Pushes())
    hidden = hidden || (p.find("\"MODALFMODAL\"") != std::string::npos &&
                        p.find(".hide()") != std::string::npos);
  EXPECT_TRUE(hidden);
  F.Session->ExecThread(true, [&] {
    EXPECT_EQ(Page->Vexlo()->Items().Count(), pageItems);
    EXPECT_EQ(Page->Vexlo()->PopupCount(), 0);
    EXPECT_EQ(Page->Vexlo()->NestedCount(), 0);
    EXPECT_EQ(modal->Vexlo()->VexloOwner(), nullptr);
    EXPECT_TRUE(Page->OrvaneForm()->Controls().empty());
  });
  EXPECT_EQ(F.Session->GetVexloBaseClass(), Page->Vexlo());
}

TEST_F(WebDialogs, EndApplicationEndsTheSessionAndThePageStartsAfresh) {
  F.Session->TakePushes();
  F.Session->ExecThread(true, [&] { Page->EndApplication(); });
  auto pushes = F.Session->Pushes();
  ASSERT_EQ(pushes.size(), 1u);
  EXPECT_NE(pushes[0].find("window.location.replace(window.location.pathname)"), std::string::npos);
  // The session closes on a thread of its own once the handler is done.
  const std::string uuid = F.Session->GetUUID();
  EXPECT_TRUE(Eventually([&] { return F.Session->Closing(); }));
  EXPECT_TRUE(Eventually([&] { return F.Root.Engine->SessionByUUID(uuid) == nullptr; }));
  EXPECT_FALSE(ui::Application->Terminated());
}

TEST_F(WebDialogs, TheModalRunThatDoesNotWaitHandsItsResultOn) {
  TFixtureForm* modal = F.Form([](TFixtureForm&) {}, [](TFixtureForm&) {}, "fModal");
  bool allow = false;
  modal->OnCloseQuery = [&](core::TComponent*, bool& CanClose) { CanClose = allow; };
  std::promise<ui::TModalResult> closed;
  F.Session->ExecThread(
      true, [&] { modal->ShowModal([&](ui::TModalResult R) { closed.set_value(R); }); });
  EXPECT_EQ(F.Session->GetVexloBaseClass(), modal->Vexlo());
  // Refused by its close check: it stays, with no result.
  F.Session->ExecThread(true, [&] {
    modal->SetModalResult(ui::mrOk);
    EXPECT_FALSE(modal->CloseWhenModalResult());
  });
  EXPECT_EQ(modal->ModalResult(), ui::mrNone);
  EXPECT_TRUE(modal->ShowingModal());
  allow = true;
  F.Session->ExecThread(true, [&] { modal->Close(); });
  auto future = closed.get_future();
  ASSERT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(future.get(), ui::mrCancel);
  EXPECT_EQ(F.Session->GetVexloBaseClass(), Page->Vexlo());
}

TEST_F(WebDialogs, PopupsOpenAndCloseOnThePage) {
  F.Session->TakePushes();
  F.Session->ExecThread(true, [&] {
    Page->ShowPopup("popAjuda");
    Page->ShowPopup("popAjuda");
    Page->ClosePopup("popAjuda");
  });
  auto pushes = F.Session->Pushes();
  ASSERT_EQ(pushes.size(), 3u);
  EXPECT_NE(pushes[0].find("document.getElementById(\"POPAJUDA\")"), std::string::npos);
  EXPECT_NE(pushes[0].find("bootstrap.Modal.getOrCreateInstance(e).show();"), std::string::npos);
  EXPECT_NE(pushes[2].find("bootstrap.Modal.getOrCreateInstance(e).hide();"), std::string::npos);
  EXPECT_EQ(Page->PopupsShowing(), std::vector<std::string>{"popAjuda"});
  Page->PopupClosed("popAjuda");
  EXPECT_TRUE(Page->PopupsShowing().empty());
}

TEST_F(WebDialogs, AHandlersFailureIsReportedOnThePage) {
  ui::TButton* salvar = nullptr;
  ui::TButton* abortar = nullptr;
  TFixtureForm* form = F.Form(
      [&](TFixtureForm& f) {
        salvar = f.Add<ui::TButton>("btnSalvar", "Salvar");
        salvar->OnClick = [](core::TComponent*) {
          throw std::runtime_error("O campo \"Nome\" é obrigatório");
        };
        abortar = f.Add<ui::TButton>("btnAbortar", "Abortar");
        abortar->OnClick = [](core::TComponent*) { core::Abort(); };
      },
      [&](TFixtureForm& f) {
        f.Vexlo()->Items().Add().VCLObj(salvar);
        f.Vexlo()->Items().Add().VCLObj(abortar);
      });
  F.Render(*form);
  F.Session->TakePushes();
  F.Session->ExecThread(true, [&] {
    EXPECT_NO_THROW(TAdapterFixture::Fire(TAdapterFixture::Web(*form, salvar),
                                          orvane::TOrvaneEventType::EventOnClick));
    // The silent abort stays silent.
    EXPECT_THROW(TAdapterFixture::Fire(TAdapterFixture::Web(*form, abortar),
                                       orvane::TOrvaneEventType::EventOnClick),
                 core::EAbort);
  });
  nlohmann::json options = DialogOptions();
  EXPECT_EQ(options["title"], "Erro");
  EXPECT_EQ(options["icon"], "error");
  EXPECT_EQ(options["text"], "O campo \"Nome\" é obrigatório");
  EXPECT_EQ(F.Session->Pushes().size(), 1u);
}

TEST(WebDialogsDesktop, OnTheDesktopPopupsDoNothingAndModalRunsAreTheToolkits) {
  TFixtureForm* form = new TFixtureForm(static_cast<core::TComponent*>(nullptr));
  form->AfterConstruction();
  EXPECT_FALSE(form->IsVexloContext());
  form->ShowPopup("popAjuda");
  EXPECT_TRUE(form->PopupsShowing().empty());
  ui::Application->Headless()->OnModal = [](ui::TCustomForm& AForm) {
    AForm.SetModalResult(ui::mrYes);
  };
  ui::TModalResult got = ui::mrNone;
  form->ShowModal([&](ui::TModalResult R) { got = R; });
  EXPECT_EQ(got, ui::mrYes);
  ui::Application->Headless()->OnModal = nullptr;
  form->Free();
}
