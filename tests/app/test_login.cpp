// The login window and the program start, headless, on a real database.
#include <gtest/gtest.h>

#include "app/uConfig.h"
#include "app/uDM.h"
#include "app/uLogin.h"
#include "app/uMenu.h"
#include "app/uProgram.h"
#include "platform/ui/Headless.h"
#include "tests/support/TestDatabase.h"

using namespace app;
using testing_support::TAccess;
using testing_support::TTestDatabase;

namespace {

class LoginTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { database = new TTestDatabase(TAccess::Embedded); }
  static void TearDownTestSuite() {
    delete database;
    database = nullptr;
  }
  void SetUp() override {
    DatabaseConfig().Host = database->Host();
    DatabaseConfig().Path = database->Path();
    headless().Reset();
    ui::Application->ResetTerminate();
  }
  void TearDown() override {
    core::FreeAndNil(DM.Desktop());
    headless().Reset();
    ui::Application->ResetTerminate();
  }
  static ui::THeadlessBackend& headless() { return *ui::Application->Headless(); }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (auto& m : headless().MessageBoxes()) texts.push_back(m.Request.Text);
    return texts;
  }

  static TTestDatabase* database;
};
TTestDatabase* LoginTest::database = nullptr;

}  // namespace

TEST_F(LoginTest, WindowLayoutAndKeyboardOrder) {
  DM = new TDM(nullptr);
  TfLogin* f = core::Create<TfLogin>(nullptr);
  EXPECT_EQ(f->Caption(), "Login");
  EXPECT_EQ(f->BorderStyle(), ui::bsNone);
  EXPECT_EQ(f->ClientWidth(), 919);
  EXPECT_EQ(f->ClientHeight(), 535);
  EXPECT_EQ(f->Color(), ui::clWhite);
  EXPECT_EQ(f->Font().Name(), "Segoe UI");
  EXPECT_EQ(f->Font().Size(), 9);
  EXPECT_EQ(f->edtSenha->PasswordChar(), U'*');
  EXPECT_EQ(f->Image1->Width(), 447);
  EXPECT_EQ(f->Image1->Left(), 919 - 447);
  EXPECT_TRUE(f->Image1->Stretch());
  struct Geometry {
    ui::TControl* c;
    int left, top, width, height;
  } geometry[] = {{f->Image2, 180, 57, 105, 105},
                  {f->Label1, 110, 184, 247, 73},
                  {f->btnEntrar, 110, 408, 247, 33},
                  {f->Button1, 840, 496, 71, 31}};
  for (auto& g : geometry) {
    EXPECT_EQ(g.c->Left(), g.left) << g.c->Name();
    EXPECT_EQ(g.c->Top(), g.top) << g.c->Name();
    EXPECT_EQ(g.c->Width(), g.width) << g.c->Name();
    EXPECT_EQ(g.c->Height(), g.height) << g.c->Name();
  }
  EXPECT_EQ(f->edtLogin->Left(), 110);
  EXPECT_EQ(f->edtLogin->Top(), 303);
  EXPECT_EQ(f->edtSenha->Top(), 359);
  EXPECT_EQ(f->edtLogin->Width(), 247);
  EXPECT_LT(f->lblLogin->Top(), f->edtLogin->Top());
  EXPECT_LT(f->lblSenha->Top(), f->edtSenha->Top());
  EXPECT_EQ(f->Label1->Caption(), "Digite seu nome de usuário e senha para entrar");
  EXPECT_TRUE(f->Label1->WordWrap());
  EXPECT_EQ(f->btnEntrar->Caption(), "Entrar");
  EXPECT_EQ(f->Button1->Caption(), "Sair");
  EXPECT_FALSE(f->Image2->Picture().Empty());
  EXPECT_EQ(f->edtLogin->TabOrder(), 0);
  EXPECT_EQ(f->btnEntrar->TabOrder(), 1);
  EXPECT_EQ(f->edtSenha->TabOrder(), 2);
  EXPECT_EQ(f->Button1->TabOrder(), 3);
  f->Free();
}

TEST_F(LoginTest, CredentialCases) {
  struct Case {
    const char* name;
    const char* password;
    bool accepted;
    std::vector<std::string> messages;
  } cases[] = {
      {"ketil", "ketil", true, {}},
      {"bryn", "bryn", true, {}},
      {"ketil", "bryn", false, {"Usuário ou Senha não confere!"}},
      {"KETIL", "KETIL", false, {"Usuário ou Senha não confere!"}},
      {"ketil ", "ketil", false, {"Usuário ou Senha não confere!"}},
      {"", "", false, {"Informe o Login"}},
      {"", "ketil", false, {"Informe o Login"}},
      {"ketil", "", false, {"Informe a senha"}},
  };
  DM = new TDM(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " / " + c.password);
    headless().Reset();
    TfLogin* f = core::Create<TfLogin>(nullptr);
    bool stillOpen = false;
    headless().OnModal = [&](ui::TCustomForm& form) {
      ui::TypeInto(ui::Find<ui::TEdit>(form, "edtLogin"), c.name);
      ui::TypeInto(ui::Find<ui::TEdit>(form, "edtSenha"), c.password);
      ui::ClickOn(form, "btnEntrar");
      stillOpen = form.ModalResult() == ui::mrNone;
      if (stillOpen) {
        // The fields are left as typed.
        EXPECT_EQ(f->edtLogin->Text(), c.name);
        EXPECT_EQ(f->edtSenha->Text(), c.password);
        form.SetModalResult(ui::mrCancel);
      }
    };
    f->ShowModal();
    EXPECT_EQ(!stillOpen, c.accepted);
    EXPECT_EQ(Messages(), c.messages);
    if (!c.messages.empty() && c.messages[0] == "Usuário ou Senha não confere!") {
      auto box = headless().MessageBoxes()[0].Request;
      EXPECT_EQ(box.DlgType, ui::mtWarning);
      EXPECT_EQ(box.X, -1);
      EXPECT_EQ(box.Y, -1);
    }
    f->Free();
  }
}

// Enter in either field presses "Entrar"; Escape does nothing.
TEST_F(LoginTest, EnterPressesEntrarAndEscapeDoesNothing) {
  DM = new TDM(nullptr);
  TfLogin* f = core::Create<TfLogin>(nullptr);
  EXPECT_TRUE(f->btnEntrar->Default());
  struct Case {
    const char* field;
    const char* password;
    std::vector<std::string> messages;
    bool closed;
  } cases[] = {
      {"edtLogin", "ketil", {}, true},
      {"edtSenha", "ketil", {}, true},
      {"edtSenha", "errada", {"Usuário ou Senha não confere!"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " / " + c.password);
    headless().Reset();
    bool closed = false, escapeKept = false;
    headless().OnModal = [&](ui::TCustomForm& form) {
      ui::TypeInto(*f->edtSenha, c.password);
      auto& field = ui::Find<ui::TEdit>(form, c.field);
      field.SetFocus();
      field.KeyDownFromUser(ui::VK_ESCAPE, 0);
      escapeKept = form.ModalResult() == ui::mrNone && headless().MessageBoxes().empty();
      EXPECT_TRUE(field.KeyDownFromUser(ui::VK_RETURN, 0));
      closed = form.ModalResult() != ui::mrNone;
      if (!closed) form.SetModalResult(ui::mrCancel);
    };
    f->ShowModal();
    EXPECT_TRUE(escapeKept);
    EXPECT_EQ(closed, c.closed);
    EXPECT_EQ(Messages(), c.messages);
  }
  f->Free();
}

TEST_F(LoginTest, CreatingTheFormWithTheDataModuleSetKeepsOneDataModule) {
  DM = new TDM(nullptr);
  TDM* before = DM;
  TfLogin* f = core::Create<TfLogin>(nullptr);
  EXPECT_EQ(DM, before);
  for (int i = 0; i < f->ComponentCount(); ++i)
    EXPECT_EQ(dynamic_cast<TDM*>(f->Components(i)), nullptr);
  f->Free();
}

TEST_F(LoginTest, StartUpLogsInOpensTheDataSetsAndRunsTheMenu) {
  headless().OnModal = [](ui::TCustomForm& form) {
    EXPECT_NE(DM, nullptr);  // published before the creation handler ran
    if (&form == fLogin) {
      ui::ClickOn(form, "btnEntrar");  // both fields start with "ketil"
      return;
    }
    // The menu runs once the datasets are open.
    EXPECT_EQ(fLogin, nullptr);
    EXPECT_EQ(fMenu, &form);
    EXPECT_NE(FTDI, nullptr);
    EXPECT_TRUE(DM->qryLisSolicitacao->Active());
    EXPECT_FALSE(DM->qrySolicitacao->Active());
    ui::ClickOn(form, "btnFechar");  // "Sair"
  };
  EXPECT_EQ(ProgramStart(), 0);
  EXPECT_EQ(ui::Application->Title(), "Tamblo");
  EXPECT_EQ(headless().ModalForms(), (std::vector<std::string>{"fLogin", "fMenu"}));
  EXPECT_EQ(fLogin, nullptr);
  EXPECT_EQ(fMenu, nullptr);
  EXPECT_EQ(FTDI, nullptr);
  EXPECT_TRUE(ui::Application->Terminated());
  ASSERT_NE(DM, nullptr);
  EXPECT_TRUE(headless().MessageBoxes().empty());
}

TEST_F(LoginTest, SairEndsTheProgram) {
  headless().OnModal = [](ui::TCustomForm& form) { ui::ClickOn(form, "Button1"); };
  EXPECT_EQ(ProgramStart(), 0);
  EXPECT_TRUE(ui::Application->Terminated());
  EXPECT_EQ(fLogin, nullptr);
  // The menu is created and freed, but its modal run ends at once.
  EXPECT_EQ(headless().ModalForms(), std::vector<std::string>{"fLogin"});
  EXPECT_EQ(fMenu, nullptr);
  EXPECT_TRUE(headless().MessageBoxes().empty());
}

TEST_F(LoginTest, UnreachableDatabaseIsReportedAndNoWindowOpens) {
  DatabaseConfig().Host = "127.0.0.1";
  DatabaseConfig().Path = "/tmp/tamblo-firebird/nao-existe.fdb";
  EXPECT_EQ(ProgramStart(), 1);
  EXPECT_EQ(DM, nullptr);
  EXPECT_TRUE(headless().ModalForms().empty());
  auto boxes = headless().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Request.DlgType, ui::mtError);
  EXPECT_EQ(boxes[0].Request.Text.rfind("Não foi possível conectar ao banco de dados", 0), 0u)
      << boxes[0].Request.Text;
}
