// The data module: the one database connection and every dataset the forms
// show, each paired with its data source.
//
// The desktop has one module. In web mode each session has its own, with
// its own connection: `DM`, used on a session's threads, is that session's
// module, made through the session's instance registry the first time it is
// used (a visitor who only sees the login page costs no database
// attachment) and freed with the session.
#pragma once

#include <cstddef>

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

  // True for a web session's module: its creation handler only opens the
  // datasets (no login or menu runs inside it).
  bool SessionModule() const { return FSessionModule; }

 private:
  bool FSessionModule = false;
};

// The data module the calling code works with. On a thread working for a
// web session (inside its forms guard) it is the session's module, made on
// first use and never null; everywhere else it is the desktop's one module,
// nil while none exists.
class TDMReference {
 public:
  TDM* operator->() const { return Get(); }
  operator TDM*() const { return Get(); }
  // Publishes the desktop module (on a session's thread: registers the
  // module as the session's, when it has none yet).
  TDMReference& operator=(TDM* AValue);
  // Compares without making a session's module.
  bool operator==(std::nullptr_t) const;
  bool operator!=(std::nullptr_t ANull) const { return !(*this == ANull); }
  // The desktop's slot (the program start publishes the module there).
  TDM*& Desktop() { return FDesktop; }
  // Forgets a module that is being freed.
  void Forget(TDM* AModule);

 private:
  TDM* Get() const;
  TDM* FDesktop = nullptr;
};

extern TDMReference DM;

}  // namespace app
