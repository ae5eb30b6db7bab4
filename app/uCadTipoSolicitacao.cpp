#include "app/uCadTipoSolicitacao.h"

#include "app/uDM.h"

namespace app {

const core::TClassInfo& TfCadTipoSolicitacao::StaticClass() {
  static core::TClassInfo info("TfCadTipoSolicitacao", &TfCadLista::StaticClass(),
                               core::FactoryOf<TfCadTipoSolicitacao>());
  return info;
}

TfCadTipoSolicitacao::TfCadTipoSolicitacao(core::TComponent* AOwner)
    : TfCadLista(AOwner, "fCadTipoSolicitacao", "Cadastro de Tipo de Solicitação",
                 &TDM::qryTipoSolicitacao, &TDM::dtsTipoSolicitacao,
                 {{"ID_TIPO", 51}, {"NOME_TIPO", 241}}) {
  Label1 = MakeLabel(this, GroupBox1, "Label1", "Id Tipo", 16, 24);
  DBEdit1 = MakeDBEdit(this, GroupBox1, "DBEdit1", Fonte(), "ID_TIPO", 16, 42, 121);
  MakeKeyReadOnly(DBEdit1);
  Label2 = MakeLabel(this, GroupBox1, "Label2", "Tipo de Solicitação", 16, 74);
  DBEdit2 = MakeDBEdit(this, GroupBox1, "DBEdit2", Fonte(), "NOME_TIPO", 16, 92, 400);
  Label3 = MakeLabel(this, GroupBox1, "Label3", "Ícone", 16, 124);
  dbiLogoTipo = Make<ui::TDBImage>(this, GroupBox1, "dbiLogoTipo", 16, 142, 105, 105);
  dbiLogoTipo->SetDataSource(Fonte());
  dbiLogoTipo->SetDataField("LOGO_SITUACAO");
  dbiLogoTipo->SetProportional(true);
  dbiLogoTipo->SetEnabled(false);
  Label4 = MakeLabel(this, GroupBox1, "Label4", "Cor", 16, 256);
  DBEdit3 = MakeDBEdit(this, GroupBox1, "DBEdit3", Fonte(), "COR_SITUACAO", 16, 274, 121);
  DBEdit3->SetEnabled(false);

  ConcluirCadastro({{Label1, DBEdit1, "col-12 col-md-4"},
                    {Label2, DBEdit2, "col-12 col-md-8"},
                    {Label3, dbiLogoTipo, "col-12 col-md-4"},
                    {Label4, DBEdit3, "col-12 col-md-4"}});
}

}  // namespace app
