// The request situations: a list and the details of the current one; the icon and
// colour are shown but cannot be changed.
#pragma once

#include "app/uCadLista.h"

namespace app {

class TfCadSituacao : public TfCadLista {
  CORE_DECLARE_CLASS()
 public:
  explicit TfCadSituacao(core::TComponent* AOwner);

  ui::TLabel* Label1;
  ui::TDBEdit* DBEdit1;
  ui::TLabel* Label2;
  ui::TDBEdit* DBEdit2;
  ui::TLabel* Label3;
  ui::TDBImage* dbiLogoSituacao;
  ui::TLabel* Label4;
  ui::TDBEdit* DBEdit3;
};

}  // namespace app
