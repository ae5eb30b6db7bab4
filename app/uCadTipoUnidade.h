// The unit types: a list and the details of the current one.
#pragma once

#include "app/uCadLista.h"

namespace app {

class TfCadTipoUnidade : public TfCadLista {
  CORE_DECLARE_CLASS()
 public:
  explicit TfCadTipoUnidade(core::TComponent* AOwner);

  ui::TLabel* Label1;
  ui::TDBEdit* DBEdit1;
  ui::TLabel* Label2;
  ui::TDBEdit* DBEdit2;
};

}  // namespace app
