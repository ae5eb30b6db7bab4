// Firebird access: the connection component and the query dataset. A query
// reads every row of its SQL on open and writes each post back to the table
// of its FROM clause at once, identifying the row by its key fields.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/DB.h"

namespace db {

struct TConnectionParams {
  std::string DriverID = "FB";
  std::string Protocol = "TCPIP";
  std::string Server;  // empty: the embedded engine opens Database locally
  int Port = 3050;
  std::string Database;
  std::string User_Name = "SYSDBA";
  std::string Password;
  std::string CharacterSet = "WIN1252";
};

class TQuery;

class TConnection : public core::TComponent {
  CORE_DECLARE_CLASS()
 public:
  explicit TConnection(core::TComponent* AOwner = nullptr);
  ~TConnection() override;

  TConnectionParams Params;
  bool LoginPrompt = false;
  // Connections that come and go (one per web session) set this: Close
  // hands the attachment to a pool shared by the process and Open takes an
  // idle one made with the same parameters (checked alive) before attaching
  // anew.
  bool Pooled = false;
  // Detaches the pooled attachments idle for at least AIdleFor (zero: all).
  static void DetachPooled(std::chrono::seconds AIdleFor = std::chrono::seconds(0));
  // The idle attachments in the pool.
  static size_t PooledCount();

  bool Connected() const;
  void SetConnected(bool AValue) { AValue ? Open() : Close(); }
  // Attaches to the database; throws EDatabaseError with the server's reason.
  void Open();
  // Closes the datasets that use this connection, then detaches.
  void Close();
  // "host/port:path" over TCP, or the bare path for the embedded engine.
  std::string ConnectionString() const;

  // Runs a statement that returns no rows with positional parameters (?),
  // committed at once.
  void ExecSQL(const std::string& ASQL, const std::vector<TValue>& AParams = {});

  core::TNotifyEvent AfterConnect;
  core::TNotifyEvent AfterDisconnect;

  struct TImpl;
  TImpl& Impl() const;

 private:
  friend class TQuery;
  std::string PoolKey() const;
  void AttachQuery(TQuery* AQuery);
  void DetachQuery(TQuery* AQuery);
  std::unique_ptr<TImpl> FImpl;
  std::vector<TQuery*> FQueries;
};

enum class TParamType { ptInput, ptOutput };

class TParam {
 public:
  TParam(std::string AName, TFieldType ADataType = TFieldType::ftUnknown)
      : Name(std::move(AName)), DataType(ADataType) {}
  std::string Name;
  TFieldType DataType;
  TParamType ParamType = TParamType::ptInput;
  TValue Value;

  bool IsNull() const { return IsNullValue(Value); }
  void Clear() { Value = TValue{}; }
  int64_t AsLargeInt() const;
  void SetAsLargeInt(int64_t AValue);
  int AsInteger() const { return static_cast<int>(AsLargeInt()); }
  void SetAsInteger(int AValue) { SetAsLargeInt(AValue); }
  std::string AsString() const;
  void SetAsString(const std::string& AValue);
  void SetAsFloat(double AValue);
  void SetAsDateTime(TDateTime AValue);
};

class TParams {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }
  TParam& operator[](int AIndex) { return FItems.at(AIndex); }
  const TParam& operator[](int AIndex) const { return FItems.at(AIndex); }
  TParam* FindParam(std::string_view AName);
  // Throws EDatabaseError when there is no such parameter.
  TParam& ParamByName(std::string_view AName);
  TParam& Add(const std::string& AName, TFieldType ADataType);
  void Clear() { FItems.clear(); }

 private:
  std::vector<TParam> FItems;
};

// Replaces the :NAME parameters of a statement by ? and lists their names in
// order (skipping quoted text and comments).
std::string ParseSqlParams(const std::string& ASQL, std::vector<std::string>& ANames);
// The table named right after the first FROM of a SELECT, upper-cased.
std::string SqlBaseTable(const std::string& ASQL);

class TQuery : public TDataSet {
  CORE_DECLARE_CLASS()
 public:
  explicit TQuery(core::TComponent* AOwner = nullptr);
  ~TQuery() override;

  TConnection* Connection() const { return FConnection; }
  void SetConnection(TConnection* AConnection);

  // Changing the SQL closes the query and rebuilds the parameter list,
  // keeping the values and types of parameters whose names remain.
  core::TStrings& SQL() { return FSQL; }
  TParams& Params() { return FParams; }
  TParam& ParamByName(std::string_view AName) { return FParams.ParamByName(AName); }

  // Runs the SQL as a statement that returns no rows, committed at once.
  void ExecSQL();

  // The table posts go to; by default the first table of the FROM clause.
  std::string UpdateTableName;
  std::string EffectiveUpdateTable() const;

 protected:
  void InternalOpen(std::vector<TRecord>& ARows) override;
  void InternalPost(const std::vector<TValue>* AOld, std::vector<TValue>& AValues) override;
  void InternalDelete(const std::vector<TValue>& AValues) override;
  void ValidateFieldValue(const TField& AField, const TValue& AValue) override;
  void Notification(core::TComponent* AComponent, core::TOperation AOperation) override;

 private:
  friend class TConnection;
  void SQLChanged();
  TConnection& CheckConnection() const;
  std::vector<std::pair<TFieldType, TValue>> ParamValues(const std::vector<std::string>& ANames);
  TConnection* FConnection = nullptr;
  core::TStrings FSQL;
  TParams FParams;
};

}  // namespace db
