// The request types: a list and the details of the current one; the icon and
// colour are shown but cannot be changed.
#pragma once

#include "app/uCadLista.h"

namespace app {

class TfCadTipoSolicitacao : public TfCadLista {
  CORE_DECLARE_CLASS()
 public:
  explicit TfCadTipoSolicitacao(core::TComponent* AOwner);

  ui::TLabel* Label1;
  ui::TDBEdit* DBEdit1;
  ui::TLabel* Label2;
  ui::TDBEdit* DBEdit2;
  ui::TLabel* Label3;
  ui::TDBImage* dbiLogoTipo;
  ui::TLabel* Label4;
  ui::TDBEdit* DBEdit3;
};

}  // namespace app
