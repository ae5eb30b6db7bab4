// The data module: the one database connection and every dataset the forms
// show, each paired with its data source.
#pragma once

#include "platform/db/FireBird.h"
#include "platform/ui/Forms.h"

namespace app {

class TDM : public ui::TDataModule {
  CORE_DECLARE_CLASS()
 public:
  // Builds the components with their stored state: connects and opens the
  // five reference datasets. OnCreate (DataModuleCreate) runs afterwards,
  // from AfterConstruction.
  explicit TDM(core::TComponent* AOwner);
  ~TDM() override;

  db::TConnection* conBD;
  db::TQuery* qryPrefeitura;
  db::TDataSource* dtsPrefeitura;
  db::TQuery* qrySituacao;
  db::TDataSource* dtsSituacao;
  db::TQuery* qryTipoSolicitacao;
  db::TDataSource* dtsTipoSolicitacao;
  db::TQuery* qryUnidades;
  db::TDataSource* dtsUnidades;
  db::TQuery* qryTipoUnidade;
  db::TDataSource* dtsTipoUnidade;
  db::TQuery* qryLisSolicitacao;
  db::TDataSource* dtsLisSolicitacao;
  db::TQuery* qrySolicitacao;
  db::TDataSource* dtsSolicitacao;
  db::TQuery* qrySql;
  db::TDataSource* dtsSql;
  // The persons a request can be registered for (the request form's list).
  db::TQuery* qryUsuario;
  db::TDataSource* dtsUsuario;

  void DataModuleCreate(core::TComponent* Sender);
};

// The one data module; nil while none exists.
extern TDM* DM;

}  // namespace app
