#include <gtest/gtest.h>

#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Headless.h"
#include "platform/ui/StdCtrls.h"

using namespace ui;

namespace {

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->Headless()->Reset();
    Application->ResetTerminate();
    Application->SetTitle("Tamblo");
  }
  void TearDown() override {
    Application->Headless()->Reset();
    Application->ResetTerminate();
  }
};

// A login-like form built in code, with its handlers as members.
class TfTeste : public TForm {
 public:
  explicit TfTeste(TComponent* AOwner) : TForm(AOwner) {
    SetName("fTeste");
    SetCaption("Login");
    OnCreate = [this](TComponent*) { Log.push_back("create"); };
    OnShow = [this](TComponent*) { Log.push_back("show"); };
    OnActivate = [this](TComponent*) { Log.push_back("activate"); };
    OnClose = [this](TComponent*, TCloseAction&) { Log.push_back("close"); };
    OnDestroy = [this](TComponent*) {
      Log.push_back("destroy");
      if (Sink) *Sink = Log;
    };
    edtLogin = new TEdit(this);
    edtLogin->SetName("edtLogin");
    edtLogin->SetParent(this);
    edtLogin->SetText("ketil");
    btnEntrar = new TButton(this);
    btnEntrar->SetName("btnEntrar");
    btnEntrar->SetParent(this);
    btnEntrar->SetCaption("Entrar");
    btnEntrar->OnClick = [this](TComponent*) {
      if (edtLogin->Text().empty()) {
        ShowMessage("Informe o Login");
        Abort();
      }
      if (edtLogin->Text() == "ketil")
        Close();
      else
        MessageDlg("Usuário ou Senha não confere!", mtWarning, {mbOK}, 0);
    };
    Button1 = new TButton(this);
    Button1->SetName("Button1");
    Button1->SetParent(this);
    Button1->OnClick = [](TComponent*) { Application->Terminate(); };
  }
  TEdit* edtLogin;
  TButton* btnEntrar;
  TButton* Button1;
  std::vector<std::string> Log;
  std::vector<std::string>* Sink = nullptr;
};

// Runs the click the way the toolkit runs an event handler: an exception no
// handler caught goes to the standard report.
void UserClick(TComponent& form, const std::string& name) {
  try {
    ClickOn(form, name);
  } catch (...) {
    Application->HandleException();
  }
}

}  // namespace

TEST_F(HeadlessTest, ModalRunScriptTypesClicksAndCloses) {
  std::vector<std::string> log;
  auto* f = Create<TfTeste>(nullptr);
  f->Sink = &log;
  f->SetPosition(poScreenCenter);
  f->SetBorderStyle(bsNone);
  f->SetClientWidth(919);
  f->SetClientHeight(535);
  Application->Headless()->OnModal = [](TCustomForm& form) {
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.Left(), (1920 - 919) / 2);
    EXPECT_EQ(form.Top(), (1080 - 535) / 2);
    auto& edt = Find<TEdit>(form, "edtLogin");
    TypeInto(edt, "");
    UserClick(form, "btnEntrar");
    TypeInto(edt, "bryn");
    UserClick(form, "btnEntrar");
    TypeInto(edt, "ketil");
    UserClick(form, "btnEntrar");
  };
  TModalResult r = f->ShowModal();
  EXPECT_EQ(r, mrCancel);
  EXPECT_FALSE(f->Visible());
  auto boxes = Application->Headless()->MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);  // the silent abort adds no second message
  EXPECT_EQ(boxes[0].Request.Text, "Informe o Login");
  EXPECT_EQ(boxes[0].Request.Caption, "Tamblo");
  EXPECT_EQ(boxes[1].Request.Text, "Usuário ou Senha não confere!");
  EXPECT_EQ(boxes[1].Request.DlgType, mtWarning);
  EXPECT_EQ(boxes[1].Request.Buttons, TMsgDlgButtons({mbOK}));
  EXPECT_EQ(boxes[1].Request.X, -1);
  EXPECT_EQ(boxes[1].Result, mrOk);
  f->Free();
  EXPECT_EQ(log, (std::vector<std::string>{"create", "show", "activate", "close", "destroy"}));
}

TEST_F(HeadlessTest, ModalRunLeftOpenFailsInsteadOfHanging) {
  auto* f = Create<TfTeste>(nullptr);
  Application->Headless()->OnModal = [](TCustomForm&) {};
  EXPECT_THROW(f->ShowModal(), EToolkitError);
  EXPECT_FALSE(f->Visible());
  EXPECT_FALSE(f->Modal());
  // Without a script at all it fails the same way.
  Application->Headless()->OnModal = nullptr;
  EXPECT_THROW(f->ShowModal(), EToolkitError);
  f->Free();
}

TEST_F(HeadlessTest, PendingTerminationEndsModalRunsAtOnce) {
  auto* f = Create<TfTeste>(nullptr);
  int runs = 0;
  Application->Headless()->OnModal = [&](TCustomForm& form) {
    ++runs;
    UserClick(form, "Button1");  // "Sair"
  };
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_TRUE(Application->Terminated());
  // A second form shown while termination is pending never takes input.
  auto* g = Create<TfTeste>(nullptr);
  EXPECT_EQ(g->ShowModal(), mrCancel);
  EXPECT_EQ(runs, 1);
  g->Free();
  f->Free();
}

TEST_F(HeadlessTest, AModalFormFreedOrHiddenByItsHandlerEndsItsRun) {
  auto* f = Create<TfTeste>(nullptr);
  Application->Headless()->OnModal = [&](TCustomForm& form) { form.Hide(); };
  EXPECT_EQ(f->ShowModal(), mrCancel);
  Application->Headless()->OnModal = [&](TCustomForm& form) { form.Free(); };
  EXPECT_EQ(f->ShowModal(), mrCancel);  // and no access to the freed form
}

TEST_F(HeadlessTest, ButtonModalResultAndCloseQuery) {
  auto* f = Create<TfTeste>(nullptr);
  f->btnEntrar->OnClick = nullptr;
  f->btnEntrar->SetModalResult(mrOk);
  bool allow = false;
  f->OnCloseQuery = [&](TComponent*, bool& can) { can = allow; };
  Application->Headless()->OnModal = [&](TCustomForm& form) { ClickOn(form, "btnEntrar"); };
  EXPECT_THROW(f->ShowModal(), EToolkitError);  // the close was refused
  allow = true;
  EXPECT_EQ(f->ShowModal(), mrOk);
  f->Free();
}

// A close check that fails (a save refused while closing) is reported and
// the modal form stays open; a script sees that through the run's turn.
TEST_F(HeadlessTest, AFailingCloseCheckIsReportedAndKeepsTheModalFormOpen) {
  auto* f = Create<TfTeste>(nullptr);
  f->btnEntrar->OnClick = nullptr;
  f->btnEntrar->SetModalResult(mrOk);
  bool fail = true;
  f->OnCloseQuery = [&](TComponent*, bool&) {
    if (fail) throw EToolkitError("Não foi possível salvar");
  };
  bool turns[2] = {true, false};
  Application->Headless()->OnModal = [&](TCustomForm& form) {
    ClickOn(form, "btnEntrar");
    turns[0] = Application->Headless()->ModalTurn();
    EXPECT_TRUE(form.Visible());
    fail = false;
    ClickOn(form, "btnEntrar");
    turns[1] = Application->Headless()->ModalTurn();
  };
  EXPECT_EQ(f->ShowModal(), mrOk);
  EXPECT_FALSE(turns[0]);
  EXPECT_TRUE(turns[1]);
  auto boxes = Application->Headless()->MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Request.Text, "Não foi possível salvar");
  EXPECT_FALSE(Application->Headless()->ModalTurn());  // no run any more
  f->Free();
}

TEST_F(HeadlessTest, EnterClicksTheDefaultButtonEscapeTheCancelButton) {
  auto* f = Create<TfTeste>(nullptr);
  f->btnEntrar->SetDefault(true);
  f->Button1->SetCancel(true);
  f->Button1->OnClick = nullptr;
  f->Button1->SetModalResult(mrCancel);
  Application->Headless()->OnModal = [&](TCustomForm&) {
    f->edtLogin->KeyDownFromUser(VK_RETURN, 0);
  };
  EXPECT_EQ(f->ShowModal(), mrCancel);  // btnEntrar closed it
  Application->Headless()->OnModal = [&](TCustomForm&) {
    f->edtLogin->KeyDownFromUser(VK_ESCAPE, 0);
  };
  f->edtLogin->SetText("x");
  EXPECT_EQ(f->ShowModal(), mrCancel);
  f->Free();
}

TEST_F(HeadlessTest, NestedModalRunsUseTheSameScript) {
  auto* outer = Create<TfTeste>(nullptr);
  outer->SetName("fOuter");
  auto* inner = Create<TfTeste>(nullptr);
  inner->SetName("fInner");
  outer->btnEntrar->OnClick = [&](TComponent*) {
    inner->ShowModal();
    outer->Close();
  };
  Application->Headless()->OnModal = [](TCustomForm& form) { ClickOn(form, "btnEntrar"); };
  outer->ShowModal();
  EXPECT_EQ(Application->Headless()->ModalForms(), (std::vector<std::string>{"fOuter", "fInner"}));
  inner->Free();
  outer->Free();
}

TEST_F(HeadlessTest, MessageBoxesAreAnsweredByScript) {
  Application->Headless()->OnMessageBox = [](const TMessageBoxRequest& r) {
    return r.Buttons.Contains(mbNo) ? mrNo : mrOk;
  };
  EXPECT_EQ(MessageDlg("Excluir?", mtConfirmation, mbYesNo(), 0), mrNo);
  Application->Headless()->OnMessageBox = nullptr;
  EXPECT_EQ(MessageDlg("Excluir?", mtConfirmation, mbYesNo(), 0), mrYes);
  ShowMessagePos("Oi", 10, 20);
  auto boxes = Application->Headless()->MessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].Request.Caption, "Confirmação");
  EXPECT_EQ(boxes[2].Request.X, 10);
  EXPECT_EQ(boxes[2].Request.Y, 20);
}

TEST_F(HeadlessTest, StandardExceptionReportAndSilentAbort) {
  try {
    throw std::runtime_error("Falha de conexão com o banco");
  } catch (...) {
    Application->HandleException();
  }
  try {
    Abort();
  } catch (...) {
    Application->HandleException();
  }
  auto boxes = Application->Headless()->MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Request.Text, "Falha de conexão com o banco");
  EXPECT_EQ(boxes[0].Request.DlgType, mtError);
  EXPECT_EQ(boxes[0].Request.Caption, "Tamblo");
}

TEST_F(HeadlessTest, OpenDialogIsScripted) {
  TOpenDialog dlg(nullptr);
  EXPECT_FALSE(dlg.Execute());  // cancelled by default
  Application->Headless()->OnOpenDialog = [](TOpenDialog& d) {
    d.FileName = "/tmp/logo.png";
    return true;
  };
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.FileName, "/tmp/logo.png");
  EXPECT_EQ(Application->Headless()->OpenDialogCount(), 2);
}

// A data module whose creation handler creates a form that looks for it.
class TDMTeste;
TDMTeste* DMTeste = nullptr;
int DataModulesCreated = 0;

class TDMTeste : public TDataModule {
 public:
  explicit TDMTeste(TComponent* AOwner) : TDataModule(AOwner) {
    ++DataModulesCreated;
    OnCreate = [this](TComponent*) {
      // The global is already published here.
      SeenSelf = DMTeste == this;
      if (!DMTeste) Application->CreateForm(DMTeste);
    };
    OnDestroy = [this](TComponent*) { Destroyed = true; };
  }
  bool SeenSelf = false;
  bool Destroyed = false;
};

TEST_F(HeadlessTest, CreateFormPublishesTheReferenceBeforeOnCreate) {
  DataModulesCreated = 0;
  Application->CreateForm(DMTeste);
  EXPECT_TRUE(DMTeste->SeenSelf);
  EXPECT_EQ(DataModulesCreated, 1);
  EXPECT_EQ(Application->MainForm(), nullptr);  // a data module is not a form
  Application->Run();                           // returns at once
  TDMTeste* dm = DMTeste;
  FreeAndNil(DMTeste);
  (void)dm;
}

class TBrokenDM : public TDataModule {
 public:
  explicit TBrokenDM(TComponent* AOwner) : TDataModule(AOwner) {
    OnCreate = [](TComponent*) { throw std::runtime_error("não conectou"); };
  }
};

TEST_F(HeadlessTest, CreateFormFailureClearsTheReference) {
  TBrokenDM* dm = nullptr;
  int before = Application->ComponentCount();
  EXPECT_THROW(Application->CreateForm(dm), std::runtime_error);
  EXPECT_EQ(dm, nullptr);
  EXPECT_EQ(Application->ComponentCount(), before);
}

TEST_F(HeadlessTest, ReleaseAndPostedMessagesRunFromTheLoop) {
  auto* f = Create<TfTeste>(nullptr);
  std::vector<std::string> log;
  f->Sink = &log;
  f->Release();
  EXPECT_TRUE(log.empty());
  Application->ProcessMessages();
  EXPECT_EQ(log.back(), "destroy");

  // A message posted to a control freed before the loop runs is dropped.
  auto* g = Create<TfTeste>(nullptr);
  int seen = 0;
  g->btnEntrar->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_USER + 1) ++seen;
  };
  PostMessage(g->btnEntrar, WM_USER + 1, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(seen, 1);
  PostMessage(g->btnEntrar, WM_USER + 1, 0, 0);
  g->Free();
  Application->ProcessMessages();
  EXPECT_EQ(seen, 1);
}

TEST_F(HeadlessTest, NonModalCloseHidesOrFrees) {
  auto* f = Create<TfTeste>(nullptr);
  f->Show();
  f->Close();
  EXPECT_FALSE(f->Visible());
  std::vector<std::string> log;
  f->Sink = &log;
  f->OnClose = [](TComponent*, TCloseAction& a) { a = caFree; };
  f->Show();
  f->Close();
  Application->ProcessMessages();
  EXPECT_EQ(log.back(), "destroy");
}
