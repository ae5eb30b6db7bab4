#include "app/uCadUnidades.h"

#include "app/uDM.h"

namespace app {

const core::TClassInfo& TfCadUnidades::StaticClass() {
  static core::TClassInfo info("TfCadUnidades", &TfCadLista::StaticClass(),
                               core::FactoryOf<TfCadUnidades>());
  return info;
}

TfCadUnidades::TfCadUnidades(core::TComponent* AOwner)
    : TfCadLista(AOwner, "fCadUnidades", "Cadastro de Unidades", &TDM::qryUnidades,
                 &TDM::dtsUnidades, {{"ID_UNIDADE", 65}, {"NOME_UNIDADE", 228}}) {
  Label1 = MakeLabel(this, GroupBox1, "Label1", "Id Unidade", 16, 24);
  DBEdit1 = MakeDBEdit(this, GroupBox1, "DBEdit1", Fonte(), "ID_UNIDADE", 16, 42, 121);
  MakeKeyReadOnly(DBEdit1);
  Label2 = MakeLabel(this, GroupBox1, "Label2", "Nome da Unidade", 16, 74);
  DBEdit2 = MakeDBEdit(this, GroupBox1, "DBEdit2", Fonte(), "NOME_UNIDADE", 16, 92, 400);
  Label3 = MakeLabel(this, GroupBox1, "Label3", "Tipo de Unidade", 16, 124);
  DBLookupComboBox1 =
      MakeLookup(this, GroupBox1, "DBLookupComboBox1", Fonte(), "ID_TIPO_UNIDADE",
                 DM->dtsTipoUnidade, "ID_TIPO_UNIDADE", "TIPO_UNIDADE", 16, 142, 400);

  ConcluirCadastro({{Label1, DBEdit1, "col-12 col-md-4"},
                    {Label2, DBEdit2, "col-12 col-md-8"},
                    {Label3, DBLookupComboBox1, "col-12 col-md-8"}});
}

}  // namespace app
