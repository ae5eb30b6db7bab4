#include "app/uDM.h"

#include "app/uConfig.h"
#include "app/uLogin.h"
#include "app/uMenu.h"
#include "orvane/server/Orvane.Session.h"
#include "vexlo/Vexlo.Instance.h"

namespace app {

TDMReference DM;

namespace {

// The registry of the session the calling thread works for, or null.
vexlo::TVexloInstance* SessionRegistry(orvane::IOrvaneSession* ASession) {
  if (!ASession) return nullptr;
  auto registry = std::dynamic_pointer_cast<vexlo::TVexloInstance>(ASession->GetVexloInstance());
  if (!registry)
    throw core::EToolkitError(
        "A sessão web não tem registro de instâncias: o módulo de dados não pode ser criado");
  return registry.get();
}

}  // namespace

TDM* TDMReference::Get() const {
  orvane::IOrvaneSession* session = orvane::CurrentOrvaneSession();
  if (!session) return FDesktop;
  vexlo::TVexloInstance* registry = SessionRegistry(session);
  if (TDM* module = registry->GetInstance<TDM>()) return module;
  // Registered before its creation handler runs, as the desktop publishes
  // its module first.
  TDM* module = new TDM(registry->Owner());
  registry->AddInstace(module);
  try {
    module->AfterConstruction();
  } catch (...) {
    module->Free();
    throw;
  }
  return module;
}

TDMReference& TDMReference::operator=(TDM* AValue) {
  orvane::IOrvaneSession* session = orvane::CurrentOrvaneSession();
  if (!session) {
    FDesktop = AValue;
  } else if (AValue) {
    SessionRegistry(session)->AddInstace(AValue);
  }
  return *this;
}

bool TDMReference::operator==(std::nullptr_t) const {
  // A session always has its module: it is made when first used.
  return orvane::CurrentOrvaneSession() ? false : FDesktop == nullptr;
}

void TDMReference::Forget(TDM* AModule) {
  if (FDesktop == AModule) FDesktop = nullptr;
}

using db::TFieldType;

namespace {

const std::vector<std::string> kSolicitacaoSelect = {
    "SELECT",
    "    SOL.ID_SOLICITACAO,",
    "    SOL.DATA_SOLICITACAO,",
    "    SOL.SOLICITACAO,",
    "    SOL.ID_USUARIO,",
    "    SOL.ID_PREFEITURA,",
    "    SOL.ID_SITUACAO,",
    "    SOL.ID_TIPO,",
    "    SOL.ID_UNIDADE,",
    "    USU.NOME_USUARIO,",
    "    SIT.NOME_SITUACAO,",
    "    TPS.NOME_TIPO,",
    "    UNI.NOME_UNIDADE",
    "FROM",
    "  SOLICITACAO SOL",
    "  LEFT JOIN USUARIO          USU ON USU.ID_USUARIO  = SOL.ID_USUARIO",
    "  LEFT JOIN SITUACAO         SIT ON SIT.ID_SITUACAO = SOL.ID_SITUACAO",
    "  LEFT JOIN TIPO_SOLICITACAO TPS ON TPS.ID_TIPO     = SOL.ID_TIPO",
    "  LEFT JOIN UNIDADE          UNI ON UNI.ID_UNIDADE  = SOL.ID_UNIDADE",
};

void SetSQL(db::TQuery* q, std::vector<std::string> lines) {
  core::TStrings s;
  for (auto& l : lines) s.Add(l);
  q->SQL().Assign(s);
}

// The key of a table: written, identifies the row, assigned by the database
// on insert.
void KeyField(db::TQuery* q, const std::string& name, const std::string& label) {
  db::TField& f = q->AddField(name, TFieldType::ftLargeint);
  f.DisplayLabel = label;
  f.Required = true;
  f.AutoGenerateValue = true;
  f.ProviderFlags = db::pfInUpdate | db::pfInWhere | db::pfInKey;
}

db::TField& DataField(db::TQuery* q, const std::string& name, TFieldType type,
                      const std::string& label, bool required) {
  db::TField& f = q->AddField(name, type, type == TFieldType::ftString ? 100 : 0);
  f.DisplayLabel = label;
  f.Required = required;
  f.ProviderFlags = db::pfInUpdate;
  return f;
}

// A name read through a join: shown, never written.
void JoinedField(db::TQuery* q, const std::string& name, const std::string& label) {
  db::TField& f = q->AddField(name, TFieldType::ftString, 100);
  f.DisplayLabel = label;
  f.ReadOnly = true;
  f.ProviderFlags = 0;
}

void SolicitacaoFields(db::TQuery* q) {
  KeyField(q, "ID_SOLICITACAO", "Controle");
  q->FieldByName("ID_SOLICITACAO").DisplayFormat = "00000000";
  DataField(q, "DATA_SOLICITACAO", TFieldType::ftDateTime, "Data Solicitação", true);
  DataField(q, "SOLICITACAO", TFieldType::ftString, "Descrição", true);
  DataField(q, "ID_USUARIO", TFieldType::ftLargeint, "", true);
  DataField(q, "ID_PREFEITURA", TFieldType::ftLargeint, "", true);
  DataField(q, "ID_SITUACAO", TFieldType::ftLargeint, "", true);
  DataField(q, "ID_TIPO", TFieldType::ftLargeint, "", true);
  DataField(q, "ID_UNIDADE", TFieldType::ftLargeint, "", true);
  JoinedField(q, "NOME_USUARIO", "Usuário");
  JoinedField(q, "NOME_SITUACAO", "Situação");
  JoinedField(q, "NOME_TIPO", "Tipo");
  JoinedField(q, "NOME_UNIDADE", "Unidade");
}

}  // namespace

const core::TClassInfo& TDM::StaticClass() {
  static core::TClassInfo info("TDM", &ui::TDataModule::StaticClass(), core::FactoryOf<TDM>());
  return info;
}

TDM::TDM(core::TComponent* AOwner)
    : ui::TDataModule(AOwner),
      FSessionModule(dynamic_cast<orvane::IOrvaneSession*>(AOwner) != nullptr) {
  SetName("DM");
  OnCreate = [this](core::TComponent* Sender) { DataModuleCreate(Sender); };

  conBD = new db::TConnection(this);
  conBD->SetName("conBD");
  conBD->Params.DriverID = "FB";
  conBD->Params.Protocol = "TCPIP";
  conBD->Params.Server = DatabaseConfig().Host;
  conBD->Params.Port = 3050;
  conBD->Params.Database = DatabaseConfig().Path;
  conBD->Params.User_Name = "SYSDBA";
  conBD->Params.Password = "plumtree7";
  conBD->Params.CharacterSet = "WIN1252";
  conBD->LoginPrompt = false;
  // Web sessions come and go: each one's attachment serves the next.
  conBD->Pooled = FSessionModule;

  auto pair = [this](db::TQuery*& q, db::TDataSource*& d, const std::string& stem) {
    q = new db::TQuery(this);
    q->SetName("qry" + stem);
    q->SetConnection(conBD);
    d = new db::TDataSource(this);
    d->SetName("dts" + stem);
    d->SetDataSet(q);
  };
  pair(qryPrefeitura, dtsPrefeitura, "Prefeitura");
  pair(qrySituacao, dtsSituacao, "Situacao");
  pair(qryTipoSolicitacao, dtsTipoSolicitacao, "TipoSolicitacao");
  pair(qryUnidades, dtsUnidades, "Unidades");
  pair(qryTipoUnidade, dtsTipoUnidade, "TipoUnidade");
  pair(qryLisSolicitacao, dtsLisSolicitacao, "LisSolicitacao");
  pair(qrySolicitacao, dtsSolicitacao, "Solicitacao");
  pair(qrySql, dtsSql, "Sql");
  pair(qryUsuario, dtsUsuario, "Usuario");

  SetSQL(qryPrefeitura, {"SELECT", "    ID_PREFEITURA,", "    NOME_PREFEITURA,",
                         "    LOGO_PREFEITURA", "FROM", "  PREFEITURA"});
  KeyField(qryPrefeitura, "ID_PREFEITURA", "Id Prefeitura");
  DataField(qryPrefeitura, "NOME_PREFEITURA", TFieldType::ftString, "Nome Prefeitura", false);
  DataField(qryPrefeitura, "LOGO_PREFEITURA", TFieldType::ftBlob, "Logo Prefeitura", false);

  SetSQL(qrySituacao,
         {"SELECT", "  SIT.*", "FROM", "  SITUACAO SIT", "ORDER BY", "  SIT.ID_SITUACAO"});
  KeyField(qrySituacao, "ID_SITUACAO", "Id Situacao");
  DataField(qrySituacao, "NOME_SITUACAO", TFieldType::ftString, "Situação", true);
  DataField(qrySituacao, "LOGO_SITUACAO", TFieldType::ftBlob, "Ícone Situação", false);
  DataField(qrySituacao, "COR_SITUACAO", TFieldType::ftString, "Cor Situação", false);

  SetSQL(qryTipoSolicitacao,
         {"SELECT", "  TPS.*", "FROM", "  TIPO_SOLICITACAO TPS", "ORDER BY", "  TPS.ID_TIPO"});
  KeyField(qryTipoSolicitacao, "ID_TIPO", "Id Tipo");
  DataField(qryTipoSolicitacao, "NOME_TIPO", TFieldType::ftString, "Tipo de Solicitação", true);
  DataField(qryTipoSolicitacao, "LOGO_SITUACAO", TFieldType::ftBlob, "Ícone", false);
  DataField(qryTipoSolicitacao, "COR_SITUACAO", TFieldType::ftString, "Cor", false);

  SetSQL(qryUnidades,
         {"SELECT", "  UNI.*", "FROM", "  UNIDADE UNI", "ORDER BY", "  UNI.ID_UNIDADE"});
  KeyField(qryUnidades, "ID_UNIDADE", "Id Unidade");
  DataField(qryUnidades, "NOME_UNIDADE", TFieldType::ftString, "Nome da Unidade", true);
  DataField(qryUnidades, "ID_TIPO_UNIDADE", TFieldType::ftLargeint, "Tipo de Unidade", true);

  SetSQL(qryTipoUnidade,
         {"SELECT", "  TPU.*", "FROM", "  TIPO_UNIDADE TPU", "ORDER BY", "  TPU.ID_TIPO_UNIDADE"});
  KeyField(qryTipoUnidade, "ID_TIPO_UNIDADE", "Id Tipo Unidade");
  DataField(qryTipoUnidade, "TIPO_UNIDADE", TFieldType::ftString, "Tipo de Unidade", true);

  std::vector<std::string> list = kSolicitacaoSelect;
  list.push_back("ORDER BY");
  list.push_back("  SOL.DATA_SOLICITACAO");
  SetSQL(qryLisSolicitacao, list);
  SolicitacaoFields(qryLisSolicitacao);

  std::vector<std::string> one = kSolicitacaoSelect;
  one.push_back("WHERE");
  one.push_back("  SOL.ID_SOLICITACAO = :P_ID_SOLICITACAO");
  SetSQL(qrySolicitacao, one);
  SolicitacaoFields(qrySolicitacao);
  db::TParam& p = qrySolicitacao->ParamByName("P_ID_SOLICITACAO");
  p.DataType = TFieldType::ftLargeint;
  p.ParamType = db::TParamType::ptInput;
  p.Value = int64_t{0};
  // A new request is dated now and belongs to the current city hall.
  qrySolicitacao->OnNewRecord = [this](db::TDataSet& DataSet) {
    DataSet.FieldByName("DATA_SOLICITACAO").SetAsDateTime(db::Now());
    if (qryPrefeitura->Active() && !qryPrefeitura->IsEmpty())
      DataSet.FieldByName("ID_PREFEITURA")
          .SetValue(qryPrefeitura->FieldByName("ID_PREFEITURA").Value());
  };

  SetSQL(qryUsuario, {"SELECT", "  USU.ID_USUARIO,", "  USU.NOME_USUARIO", "FROM", "  USUARIO USU",
                      "ORDER BY", "  USU.NOME_USUARIO"});
  KeyField(qryUsuario, "ID_USUARIO", "Id Usuário");
  DataField(qryUsuario, "NOME_USUARIO", TFieldType::ftString, "Usuário", false);

  // Stored state: connected, the five reference datasets open.
  conBD->SetConnected(true);
  qryPrefeitura->Open();
  qrySituacao->Open();
  qryTipoSolicitacao->Open();
  qryUnidades->Open();
  qryTipoUnidade->Open();
  qryUsuario->Open();
}

TDM::~TDM() {
  DM.Forget(this);
}

void TDM::DataModuleCreate(core::TComponent*) {
  conBD->SetConnected(true);
  if (FSessionModule) {
    // A web session's module: its datasets open, its forms come from the
    // session's pages.
    qryPrefeitura->Open();
    qrySituacao->Open();
    qryTipoSolicitacao->Open();
    qryUnidades->Open();
    qryTipoUnidade->Open();
    qryLisSolicitacao->Open();
    return;
  }
  if (fLogin == nullptr) fLogin = core::Create<TfLogin>(this);
  // The login closes itself only on valid credentials; "Sair" ends the
  // program, which also ends this modal run.
  fLogin->ShowModal();
  TfLogin* login = fLogin;
  fLogin = nullptr;
  login->Free();

  qryPrefeitura->Open();
  qrySituacao->Open();
  qryTipoSolicitacao->Open();
  qryUnidades->Open();
  qryTipoUnidade->Open();
  qryLisSolicitacao->Open();

  if (fMenu == nullptr) fMenu = core::Create<TfMenu>(this);
  // "Sair" ends the program, which ends this modal run; a pending
  // termination (the login's "Sair") ends it at once.
  fMenu->ShowModal();
  TfMenu* menu = fMenu;
  fMenu = nullptr;
  menu->Free();
}

}  // namespace app
