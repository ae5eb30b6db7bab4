#include "app/uFormBuilder.h"

#include <algorithm>

#include "orvane/controls/Orvane.Forms.Controls.h"
#include "platform/ui/ComCtrls.h"
#include "vexlo/Vexlo.Item.HTML.Row.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/Vexlo.h"

namespace app {

void IniciarFormCadastro(ui::TCustomForm& AForm, const std::string& AName,
                         const std::string& ACaption) {
  AForm.SetName(AName);
  AForm.SetCaption(ACaption);
  AForm.SetClientWidth(900);
  AForm.SetClientHeight(480);
  AForm.SetColor(ui::clWhite);
  AForm.Font().SetName("Segoe UI");
  AForm.Font().SetSize(9);
}

TCadFrame BuildCadFrame(ui::TCustomForm& AForm, const std::string& ACaption,
                        db::TDataSource* ASource, bool AWithList,
                        std::initializer_list<TGridColumn> AColumns) {
  TCadFrame f;
  int w = AForm.ClientWidth(), h = AForm.ClientHeight();
  f.pnButtons = MakePanel(&AForm, &AForm, "pnButtons", ui::alTop, 0, 0, w, 41);
  f.lblTituloTela = MakeLabel(&AForm, f.pnButtons, "lblTituloTela", ACaption, 0, 0);
  f.lblTituloTela->SetAutoSize(false);
  f.lblTituloTela->SetAlign(ui::alClient);
  f.lblTituloTela->SetLayout(ui::tlCenter);
  f.lblTituloTela->Font().SetStyle(ui::fsBold);
  f.lblTituloTela->Font().SetSize(16);
  f.btnSair = MakeButton(&AForm, f.pnButtons, "btnSair", "Sair", w - 107, 2, 105, 37);
  f.btnSair->SetAlign(ui::alRight);

  f.pnlDados = MakePanel(&AForm, &AForm, "pnlDados", ui::alClient, 0, 41, w, h - 41);
  if (!AWithList) return f;

  f.Panel1 = MakePanel(&AForm, f.pnlDados, "Panel1", ui::alTop, 0, 0, w, 47);
  f.btnNovo = MakeButton(&AForm, f.Panel1, "btnNovo", "Novo", 3, 3, 111, 41);
  f.btnSalvar = MakeButton(&AForm, f.Panel1, "btnSalvar", "Salvar", 117, 3, 111, 41);
  f.btnCancelar = MakeButton(&AForm, f.Panel1, "btnCancelar", "Cancelar", 231, 3, 111, 41);

  f.GroupBox2 = Make<ui::TGroupBox>(&AForm, f.pnlDados, "GroupBox2", 0, 47, 338, h - 88);
  f.GroupBox2->SetCaption("Listagem");
  f.GroupBox2->SetAlign(ui::alLeft);
  f.DBGrid1 = Make<ui::TDBGrid>(&AForm, f.GroupBox2, "DBGrid1", 2, 17, 334, h - 107);
  f.DBGrid1->SetAlign(ui::alClient);
  f.DBGrid1->SetReadOnly(true);
  f.DBGrid1->SetOptions((f.DBGrid1->Options() & ~ui::dgEditing) | ui::dgRowSelect |
                        ui::dgAlwaysShowSelection);
  for (const TGridColumn& c : AColumns) {
    ui::TColumn* col = f.DBGrid1->Columns().Add();
    col->SetFieldName(c.FieldName);
    if (c.Width >= 0) col->SetWidth(c.Width);
  }
  f.DBGrid1->SetDataSource(ASource);

  f.GroupBox1 = Make<ui::TGroupBox>(&AForm, f.pnlDados, "GroupBox1", 338, 47, w - 338, h - 88);
  f.GroupBox1->SetCaption("Detalhes");
  f.GroupBox1->SetAlign(ui::alClient);
  return f;
}

db::TDataSource* CriarDtsStatus(core::TComponent& AOwner, db::TDataSet* ADataSet,
                                std::function<void(core::TComponent*)> AOnStateChange) {
  auto* status = new db::TDataSource(&AOwner);
  status->SetName("dtsStatus");
  status->OnStateChange = std::move(AOnStateChange);
  status->SetDataSet(ADataSet);
  status->OnStateChange(status);
  return status;
}

bool IsEditing(const db::TDataSet* ADataSet) {
  return ADataSet && (ADataSet->State() == db::TDataSetState::dsEdit ||
                      ADataSet->State() == db::TDataSetState::dsInsert);
}

void ApplyEditButtons(db::TDataSet* ADataSet, ui::TControl* ANovo, ui::TControl* ASalvar,
                      ui::TControl* ACancelar) {
  bool editing = IsEditing(ADataSet);
  if (ANovo) ANovo->SetEnabled(!editing);
  ASalvar->SetEnabled(editing);
  ACancelar->SetEnabled(editing);
}

bool ConfirmarAlteracoes(vexlo::TVexloForm& AForm, db::TDataSet* ADataSet,
                         const std::function<void()>& ASalvar) {
  if (!IsEditing(ADataSet) || ui::Application->Terminated() || AForm.WebSessionEnding())
    return true;
  // What the controls hold goes into the record first; a value they cannot
  // write (a malformed date) counts as a change too.
  bool changed;
  try {
    ADataSet->UpdateRecord();
    changed = ADataSet->Modified();
  } catch (const db::EDatabaseError&) {
    changed = true;
  }
  if (!changed) {
    ADataSet->Cancel();
    return true;
  }
  // The user sees the form whose record is pending: a tab comes to the front.
  if (auto* sheet = dynamic_cast<ui::TTabSheet*>(AForm.Parent()))
    if (ui::TPageControl* pages = sheet->PageControl()) pages->SetActivePage(sheet);
  switch (AForm.MessageDlg("Deseja salvar as alterações?", ui::mtConfirmation, ui::mbYesNoCancel(),
                           0)) {
    case ui::mrYes:
      if (ASalvar)
        ASalvar();
      else
        ADataSet->Post();
      return !IsEditing(ADataSet);
    case ui::mrNo:
      ADataSet->Cancel();
      return true;
    default:
      return false;
  }
}

void ExportarCadastroWeb(vexlo::TVexloForm& AForm, ui::TControl* ATitulo, ui::TControl* ASair,
                         std::initializer_list<ui::TControl*> ABotoes, ui::TControl* AGrade,
                         const std::vector<TCampoWeb>& ACampos) {
  vexlo::TVexloItems& items = AForm.Vexlo()->Items();
  auto titulo = items.Add().Row("row align-items-center g-2 mb-2 tamblo-titulo", false, "", "", "");
  titulo->Items().Add().VCLObj(ATitulo, "col fs-4 fw-bold");
  titulo->Items().Add().VCLObj(ASair, "btn-outline-secondary col-auto tamblo-sair");
  if (ABotoes.size() > 0) {
    auto barra = items.Add().HTMLDIV("d-flex flex-wrap gap-2 mb-3", "", "", "");
    const char* estilos[] = {"btn-primary", "btn-success", "btn-outline-secondary"};
    size_t i = ABotoes.size() == 2 ? 1 : 0;
    for (ui::TControl* botao : ABotoes)
      barra->Items().Add().VCLObj(botao,
                                  std::string(estilos[std::min<size_t>(i++, 2)]) + " tamblo-botao");
  }
  auto linha = items.Add().Row("row g-3", false, "", "", "");
  if (AGrade) {
    auto lista = linha->Items().Add().HTMLDIV("col-12 col-lg-5 tamblo-lista", "", "", "");
    lista->Items().Add().VCLObj(AGrade, "");
  }
  auto detalhes = linha->Items().Add().HTMLDIV(AGrade ? "col-12 col-lg-7" : "col-12", "", "", "");
  auto campos = detalhes->Items().Add().Row("row g-2", false, "", "", "");
  for (const TCampoWeb& c : ACampos) {
    auto par = campos->Items().Add().HTMLDIV(c.Colunas, "", "", "");
    if (c.Rotulo) par->Items().Add().VCLObj(c.Rotulo, "form-label mb-1 d-block");
    if (c.Campo) par->Items().Add().VCLObj(c.Campo, "");
  }
}

void ReportarDigitacaoWeb(orvane::TOrvaneControl* AOrvaneControl) {
  core::TComponent* vcl = AOrvaneControl ? AOrvaneControl->GetVCLComponent() : nullptr;
  if (!dynamic_cast<ui::TDBEdit*>(vcl) && !dynamic_cast<ui::TDBLookupComboBox*>(vcl) &&
      !dynamic_cast<ui::TDBMemo*>(vcl))
    return;
  // The event carries the page's values; applying them is what edits the
  // record, so the handler itself has nothing to do.
  if (auto events = AOrvaneControl->GetEvents())
    events->Add(orvane::TOrvaneEventType::EventOnChange, [](orvane::TStringList&) {});
}

}  // namespace app
