// The city hall's units: a list and the details of the current one, with its
// type chosen from the unit types.
#pragma once

#include "app/uCadLista.h"

namespace app {

class TfCadUnidades : public TfCadLista {
  CORE_DECLARE_CLASS()
 public:
  explicit TfCadUnidades(core::TComponent* AOwner);

  ui::TLabel* Label1;
  ui::TDBEdit* DBEdit1;
  ui::TLabel* Label2;
  ui::TDBEdit* DBEdit2;
  ui::TLabel* Label3;
  ui::TDBLookupComboBox* DBLookupComboBox1;
};

}  // namespace app
