#include "app/uCadTipoUnidade.h"

#include "app/uDM.h"

namespace app {

const core::TClassInfo& TfCadTipoUnidade::StaticClass() {
  static core::TClassInfo info("TfCadTipoUnidade", &TfCadLista::StaticClass(),
                               core::FactoryOf<TfCadTipoUnidade>());
  return info;
}

TfCadTipoUnidade::TfCadTipoUnidade(core::TComponent* AOwner)
    : TfCadLista(AOwner, "fCadTipoUnidade", "Cadastro de Tipos de Unidade", &TDM::qryTipoUnidade,
                 &TDM::dtsTipoUnidade, {{"ID_TIPO_UNIDADE", -1}, {"TIPO_UNIDADE", 200}}) {
  Label1 = MakeLabel(this, GroupBox1, "Label1", "Id Tipo Unidade", 16, 24);
  // Grey, but editable and in the keyboard order.
  DBEdit1 = MakeDBEdit(this, GroupBox1, "DBEdit1", Fonte(), "ID_TIPO_UNIDADE", 16, 42, 121);
  DBEdit1->SetColor(ui::clBtnFace);
  Label2 = MakeLabel(this, GroupBox1, "Label2", "Tipo de Unidade", 16, 74);
  DBEdit2 = MakeDBEdit(this, GroupBox1, "DBEdit2", Fonte(), "TIPO_UNIDADE", 16, 92, 400);

  ConcluirCadastro({{Label1, DBEdit1, "col-12 col-md-4"}, {Label2, DBEdit2, "col-12 col-md-8"}});
}

}  // namespace app
