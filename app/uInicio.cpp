#include "app/uInicio.h"

#include "app/uDM.h"
#include "vexlo/Vexlo.Item.HTML.Row.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.h"

namespace app {

const core::TClassInfo& TfInicio::StaticClass() {
  static core::TClassInfo info("TfInicio", &vexlo::TVexloForm::StaticClass(),
                               core::FactoryOf<TfInicio>());
  return info;
}

namespace {

ui::TLabel* MakeLabel(TfInicio* AForm, const std::string& AName, int ATop) {
  auto* label = new ui::TLabel(AForm);
  label->SetName(AName);
  label->SetParent(AForm);
  label->SetBounds(24, ATop, 600, 21);
  label->SetAutoSize(false);
  return label;
}

}  // namespace

TfInicio::TfInicio(core::TComponent* AOwner) : vexlo::TVexloForm(AOwner) {
  SetName("fInicio");
  SetCaption("Tamblo");
  SetClientWidth(648);
  SetClientHeight(160);
  lblTitulo = MakeLabel(this, "lblTitulo", 16);
  lblTitulo->SetCaption("Login efetuado com sucesso.");
  lblUsuario = MakeLabel(this, "lblUsuario", 48);
  lblPrefeitura = MakeLabel(this, "lblPrefeitura", 80);
  lblConexao = MakeLabel(this, "lblConexao", 112);
  OnCreate = [this](core::TComponent* Sender) { FormCreate(Sender); };
}

void TfInicio::SetUsuario(const std::string& ALogin) {
  lblUsuario->SetCaption("Bem-vindo(a), " + ALogin + ".");
}

void TfInicio::FormCreate(core::TComponent*) {
  // The session's own data module: its city hall and its own connection.
  lblPrefeitura->SetCaption(DM->qryPrefeitura->FieldByName("NOME_PREFEITURA").AsString());
  db::TQuery* q = DM->qrySql;
  q->Close();
  q->SQL().SetText("SELECT CURRENT_CONNECTION AS CONEXAO FROM RDB$DATABASE");
  q->Open();
  lblConexao->SetCaption("Sessão ligada ao banco de dados pela conexão nº " +
                         q->FieldByName("CONEXAO").AsString() + ".");
  q->Close();
}

void TfInicio::ExportVexlo() {
  vexlo::TVexloForm::ExportVexlo();
  SetTitle("Início");
  Vexlo()->FrameworkExportType()->SetTemplateMasterHTMLFile("");
  Vexlo()->FrameworkExportType()->SetTemplatePageHTMLFile("pages\\inicio.html");
  auto rows = Vexlo()->Items().Add().Row("row", false, "", "", "");
  rows->Items().Add().VCLObj(lblTitulo, "fs-3 fw-semibold text-success");
  rows->Items().Add().VCLObj(lblUsuario, "fs-5");
  rows->Items().Add().VCLObj(lblPrefeitura, "fs-5");
  rows->Items().Add().VCLObj(lblConexao, "text-secondary");
}

}  // namespace app
