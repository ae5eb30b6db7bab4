// The program start: sets the title, creates the data module through the
// application (which publishes DM before the module's creation handler
// runs) and enters the message loop.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/uConfig.h"
#include "app/uDM.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    args = app::LoadDatabaseConfig(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tamblo: %s\n", e.what());
    return 2;
  }

  ui::Application->SetTitle("Tamblo");
  try {
    ui::Application->CreateForm(app::DM);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tamblo: %s\n", e.what());
    ui::Application->HandleException(std::current_exception());
    return 1;
  }

  std::printf("Tamblo: banco de dados %s aberto.\n", app::DM->conBD->ConnectionString().c_str());
  for (db::TQuery* q : {app::DM->qryPrefeitura, app::DM->qrySituacao, app::DM->qryTipoSolicitacao,
                        app::DM->qryUnidades, app::DM->qryTipoUnidade, app::DM->qryLisSolicitacao})
    if (q->Active())
      std::printf("  %-20s %d registro(s)\n", q->Name().c_str(), q->RecordCount());
  ui::Application->Run();
  return 0;
}
