// The login window: the first window of the program. It closes itself only
// on one of the two accounts; "Sair" ends the program.
#pragma once

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "vexlo/Vexlo.Forms.h"

namespace app {

class TfLogin : public vexlo::TVexloForm {
  CORE_DECLARE_CLASS()
 public:
  explicit TfLogin(core::TComponent* AOwner);

  ui::TImage* Image2;
  ui::TLabel* Label1;
  ui::TLabel* lblLogin;
  ui::TEdit* edtLogin;
  ui::TLabel* lblSenha;
  ui::TEdit* edtSenha;
  ui::TButton* btnEntrar;
  ui::TButton* Button1;
  ui::TImage* Image1;

  void FormCreate(core::TComponent* Sender);
  void btnEntrarClick(core::TComponent* Sender);
  void Button1Click(core::TComponent* Sender);

  // The web page (read only in a web session).
  void ExportVexlo() override;
  void InitControlsVexlo(orvane::TOrvaneControl* AOrvaneControl) override;
  void RenderVexlo(orvane::TOrvaneControl* AOrvaneControl, std::string& HTMLControl) override;
};

extern TfLogin* fLogin;

}  // namespace app
