#include "app/uCadSituacao.h"

#include "app/uDM.h"

namespace app {

const core::TClassInfo& TfCadSituacao::StaticClass() {
  static core::TClassInfo info("TfCadSituacao", &TfCadLista::StaticClass(),
                               core::FactoryOf<TfCadSituacao>());
  return info;
}

TfCadSituacao::TfCadSituacao(core::TComponent* AOwner)
    : TfCadLista(AOwner, "fCadSituacao", "Cadastro de Situação de Solicitação", &TDM::qrySituacao,
                 &TDM::dtsSituacao, {{"ID_SITUACAO", 68}, {"NOME_SITUACAO", 225}}) {
  Label1 = MakeLabel(this, GroupBox1, "Label1", "Id Situacao", 16, 24);
  DBEdit1 = MakeDBEdit(this, GroupBox1, "DBEdit1", Fonte(), "ID_SITUACAO", 16, 42, 121);
  MakeKeyReadOnly(DBEdit1);
  Label2 = MakeLabel(this, GroupBox1, "Label2", "Situação", 16, 74);
  DBEdit2 = MakeDBEdit(this, GroupBox1, "DBEdit2", Fonte(), "NOME_SITUACAO", 16, 92, 400);
  Label3 = MakeLabel(this, GroupBox1, "Label3", "Ícone Situação", 16, 124);
  dbiLogoSituacao = Make<ui::TDBImage>(this, GroupBox1, "dbiLogoSituacao", 16, 142, 105, 105);
  dbiLogoSituacao->SetDataSource(Fonte());
  dbiLogoSituacao->SetDataField("LOGO_SITUACAO");
  dbiLogoSituacao->SetProportional(true);
  dbiLogoSituacao->SetEnabled(false);
  Label4 = MakeLabel(this, GroupBox1, "Label4", "Cor Situação", 16, 256);
  DBEdit3 = MakeDBEdit(this, GroupBox1, "DBEdit3", Fonte(), "COR_SITUACAO", 16, 274, 121);
  DBEdit3->SetEnabled(false);

  ConcluirCadastro({{Label1, DBEdit1, "col-12 col-md-4"},
                    {Label2, DBEdit2, "col-12 col-md-8"},
                    {Label3, dbiLogoSituacao, "col-12 col-md-4"},
                    {Label4, DBEdit3, "col-12 col-md-4"}});
}

}  // namespace app
