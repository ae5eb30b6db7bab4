// The page a web session shows once the login has succeeded: who is logged
// in, the city hall, and the session's own database connection.
#pragma once

#include <string>

#include "platform/ui/StdCtrls.h"
#include "vexlo/Vexlo.Forms.h"

namespace app {

class TfInicio : public vexlo::TVexloForm {
  CORE_DECLARE_CLASS()
 public:
  explicit TfInicio(core::TComponent* AOwner);

  ui::TLabel* lblTitulo;
  ui::TLabel* lblUsuario;
  ui::TLabel* lblPrefeitura;
  ui::TLabel* lblConexao;

  // The greeting for the person who logged in.
  void SetUsuario(const std::string& ALogin);
  void FormCreate(core::TComponent* Sender);

  void ExportVexlo() override;
};

}  // namespace app
