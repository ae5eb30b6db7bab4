#include "app/uLogin.h"

#include "app/uDM.h"
#include "app/uResources.h"
#include "vexlo/Vexlo.Item.HTML.Row.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.h"

namespace app {

TfLogin* fLogin = nullptr;

const core::TClassInfo& TfLogin::StaticClass() {
  static core::TClassInfo info("TfLogin", &vexlo::TVexloForm::StaticClass(),
                               core::FactoryOf<TfLogin>());
  return info;
}

namespace {

template <class T>
T* Make(ui::TWinControl* AParent, const std::string& AName, int ALeft, int ATop, int AWidth,
        int AHeight) {
  T* c = new T(AParent);
  c->SetName(AName);
  c->SetParent(AParent);
  c->SetBounds(ALeft, ATop, AWidth, AHeight);
  return c;
}

}  // namespace

TfLogin::TfLogin(core::TComponent* AOwner) : vexlo::TVexloForm(AOwner) {
  SetName("fLogin");
  SetCaption("Login");
  SetBorderStyle(ui::bsNone);
  SetClientWidth(919);
  SetClientHeight(535);
  SetColor(ui::clWhite);
  SetPosition(ui::poDesktopCenter);
  Font().SetName("Segoe UI");
  Font().SetSize(9);

  Image1 = Make<ui::TImage>(this, "Image1", 472, 0, 447, 535);
  Image1->SetAlign(ui::alRight);
  Image1->SetStretch(true);
  Image1->Picture().LoadFromData(ResLoginSide());

  Image2 = Make<ui::TImage>(this, "Image2", 180, 57, 105, 105);
  Image2->Picture().LoadFromData(ResLogo());

  Label1 = Make<ui::TLabel>(this, "Label1", 110, 184, 247, 73);
  Label1->SetAutoSize(false);
  Label1->SetWordWrap(true);
  Label1->SetCaption("Digite seu nome de usuário e senha para entrar");

  lblLogin = Make<ui::TLabel>(this, "lblLogin", 110, 284, 150, 15);
  lblLogin->SetAutoSize(false);
  lblLogin->SetCaption("Nome de Usuário");
  edtLogin = Make<ui::TEdit>(this, "edtLogin", 110, 303, 247, 23);
  edtLogin->SetText("ketil");

  lblSenha = Make<ui::TLabel>(this, "lblSenha", 110, 340, 120, 15);
  lblSenha->SetAutoSize(false);
  lblSenha->SetCaption("Senha");
  edtSenha = Make<ui::TEdit>(this, "edtSenha", 110, 359, 247, 23);
  edtSenha->SetPasswordChar(U'*');
  edtSenha->SetText("ketil");

  btnEntrar = Make<ui::TButton>(this, "btnEntrar", 110, 408, 247, 33);
  btnEntrar->SetCaption("Entrar");
  // Enter in either field presses "Entrar"; the form has no cancel button,
  // so Escape does nothing.
  btnEntrar->SetDefault(true);
  btnEntrar->OnClick = [this](core::TComponent* Sender) { btnEntrarClick(Sender); };

  Button1 = Make<ui::TButton>(this, "Button1", 840, 496, 71, 31);
  Button1->SetCaption("Sair");
  Button1->OnClick = [this](core::TComponent* Sender) { Button1Click(Sender); };

  // The button comes before the password field in the keyboard order.
  edtLogin->SetTabOrder(0);
  btnEntrar->SetTabOrder(1);
  edtSenha->SetTabOrder(2);
  Button1->SetTabOrder(3);

  OnCreate = [this](core::TComponent* Sender) { FormCreate(Sender); };
}

void TfLogin::FormCreate(core::TComponent*) {
  if (DM == nullptr) {
    // Published before its creation handler runs, as the program start does.
    DM = new TDM(this);
    DM->AfterConstruction();
  }
}

void TfLogin::btnEntrarClick(core::TComponent*) {
  const std::string& login = edtLogin->Text();
  const std::string& senha = edtSenha->Text();
  if (login.empty()) {
    ShowMessage("Informe o Login");
    core::Abort();
  }
  if (senha.empty()) {
    ShowMessage("Informe a senha");
    core::Abort();
  }
  if (login == "ketil" && senha == "ketil") {
    Close();
  } else if (login == "bryn" && senha == "bryn") {
    Close();
  } else {
    MessageDlg("Usuário ou Senha não confere!", ui::mtWarning, ui::TMsgDlgButtons{ui::mbOK}, 0);
  }
}

void TfLogin::Button1Click(core::TComponent*) {
  ui::Application->Terminate();
}

void TfLogin::ExportVexlo() {
  vexlo::TVexloForm::ExportVexlo();
  SetTitle("Corvessa");
  Vexlo()->FrameworkExportType()->SetTemplateMasterHTMLFile("");
  Vexlo()->FrameworkExportType()->SetTemplatePageHTMLFile("pages\\login.html");
  auto fields = Vexlo()->Items().Add().Row("row", false, "", "", "");
  fields->Items().Add().VCLObj(lblLogin, "fs-4 fw-bold");
  fields->Items().Add().VCLObj(edtLogin, "fs-4");
  fields->Items().Add().VCLObj(lblSenha, "fs-4 fw-bold");
  fields->Items().Add().VCLObj(edtSenha, "fs-4");
  auto buttons = Vexlo()->Items().Add().Row("row", false, "", "", "");
  buttons->Items().Add().VCLObj(btnEntrar, "");
}

void TfLogin::InitControlsVexlo(orvane::TOrvaneControl* AOrvaneControl) {
  vexlo::TVexloForm::InitControlsVexlo(AOrvaneControl);
}

void TfLogin::RenderVexlo(orvane::TOrvaneControl* AOrvaneControl, std::string& HTMLControl) {
  vexlo::TVexloForm::RenderVexlo(AOrvaneControl, HTMLControl);
}

}  // namespace app
