#include "platform/db/FireBird.h"

#include <firebird/Interface.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <random>
#include <thread>

#include "platform/db/Win1252.h"

namespace db {

using namespace Firebird;

namespace {

constexpr unsigned kCharsetOctets = 1;
constexpr unsigned kCharsetWin1252 = 53;

IMaster* Master() {
  static IMaster* master = fb_get_master_interface();
  return master;
}

// Turns a Firebird status into the text the server gave.
std::string StatusText(const IStatus* AStatus) {
  char buf[2048];
  Master()->getUtilInterface()->formatStatus(buf, sizeof buf, const_cast<IStatus*>(AStatus));
  std::string s = buf;
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return Win1252ToUtf8(s);
}

// A status wrapper that owns its IStatus.
class TStatus {
 public:
  TStatus() : FStatus(Master()->getStatus()), FWrapper(FStatus) {}
  ~TStatus() { FStatus->dispose(); }
  TStatus(const TStatus&) = delete;
  TStatus& operator=(const TStatus&) = delete;
  ThrowStatusWrapper* operator&() { return &FWrapper; }

 private:
  IStatus* FStatus;
  ThrowStatusWrapper FWrapper;
};

// Releases an interface at scope exit.
template <class T>
struct TRef {
  T* P = nullptr;
  TRef() = default;
  explicit TRef(T* p) : P(p) {}
  ~TRef() {
    if (!P) return;
    if constexpr (requires { P->release(); })
      P->release();
    else
      P->dispose();
  }
  TRef(const TRef&) = delete;
  TRef& operator=(const TRef&) = delete;
  T* operator->() const { return P; }
  T* Detach() {
    T* p = P;
    P = nullptr;
    return p;
  }
};

// A write that met another transaction's change of the same record (it
// waited for that transaction, which then committed).
class EConcurrentChange : public EDatabaseError {
 public:
  using EDatabaseError::EDatabaseError;
};

// True when the status names a record changed or locked by another
// transaction: isc_deadlock, isc_lock_conflict or isc_update_conflict.
bool IsConcurrentChange(const IStatus* AStatus) {
  constexpr intptr_t kDeadlock = 335544336, kLockConflict = 335544345, kUpdateConflict = 335544451;
  const intptr_t* v = const_cast<IStatus*>(AStatus)->getErrors();
  while (v && *v != isc_arg_end) {
    if (v[0] == isc_arg_gds &&
        (v[1] == kDeadlock || v[1] == kLockConflict || v[1] == kUpdateConflict))
      return true;
    v += v[0] == isc_arg_cstring ? 3 : 2;  // a counted string has a length and a pointer
  }
  return false;
}

// Calls F, turning Firebird's exceptions into EDatabaseError with AContext
// in front of the server's message.
template <class F>
auto Guard(const std::string& AContext, F&& AFunc) -> decltype(AFunc()) {
  try {
    return AFunc();
  } catch (const FbException& e) {
    const std::string head = AContext.empty() ? std::string() : AContext + ":\n";
    if (IsConcurrentChange(e.getStatus()))
      throw EConcurrentChange(head +
                              "outro usuário gravou este registro ao mesmo tempo. Tente de novo.");
    throw EDatabaseError(head + StatusText(e.getStatus()));
  }
}

// Guard for a write that is one statement in a transaction of its own.
// When another transaction changed the same record at the same moment, the
// write is run again in a new transaction, as if it had come a moment
// later (what two clerks saving one after the other would get).
template <class F>
void GuardWrite(const std::string& AContext, F&& AWrite) {
  constexpr int kAttempts = 5;
  thread_local std::minstd_rand random(std::random_device{}());
  for (int attempt = 1;; ++attempt) {
    try {
      Guard(AContext, AWrite);
      return;
    } catch (const EConcurrentChange&) {
      if (attempt == kAttempts) throw;
    }
    // Writers that met each other do not meet again at once.
    std::uniform_int_distribution<int> pause(5, 20 * attempt);
    std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
  }
}

// ISC dates count days from 1858-11-17; TDateTime from 1899-12-30.
constexpr int kIscDateOffset = 15018;

void ToIscTimestamp(TDateTime AValue, ISC_DATE& ADate, ISC_TIME& ATime) {
  long long ms = std::llround(AValue * 86400000.0);
  long long days = ms >= 0 ? ms / 86400000LL : -((-ms + 86399999LL) / 86400000LL);
  long long rest = ms - days * 86400000LL;
  ADate = static_cast<ISC_DATE>(days + kIscDateOffset);
  ATime = static_cast<ISC_TIME>(rest * 10);
}

TDateTime FromIscTimestamp(ISC_DATE ADate, ISC_TIME ATime) {
  return static_cast<double>(ADate - kIscDateOffset) + ATime / 864000000.0;
}

// Runs a call whose failure must not throw (clean-up, a liveness check);
// false when the server reported an error.
template <class F>
bool Succeeds(F&& ACall) {
  IStatus* s = Master()->getStatus();
  CheckStatusWrapper w(s);
  ACall(&w);
  const bool ok = !(w.getState() & IStatus::STATE_ERRORS);
  s->dispose();
  return ok;
}

// A transaction that rolls back unless committed.
class TTransaction {
 public:
  TTransaction(IAttachment* AAttachment, bool AWrite) {
    TStatus st;
    IUtil* util = Master()->getUtilInterface();
    TRef<IXpbBuilder> tpb(util->getXpbBuilder(&st, IXpbBuilder::TPB, nullptr, 0));
    tpb->insertTag(&st, AWrite ? isc_tpb_write : isc_tpb_read);
    tpb->insertTag(&st, isc_tpb_read_committed);
    tpb->insertTag(&st, isc_tpb_rec_version);
    tpb->insertTag(&st, isc_tpb_wait);
    tpb->insertInt(&st, isc_tpb_lock_timeout, 10);
    FTra = AAttachment->startTransaction(&st, tpb->getBufferLength(&st), tpb->getBuffer(&st));
  }
  ~TTransaction() {
    if (FTra && !Succeeds([&](CheckStatusWrapper* w) { FTra->rollback(w); })) FTra->release();
  }
  TTransaction(const TTransaction&) = delete;
  TTransaction& operator=(const TTransaction&) = delete;
  ITransaction* Get() const { return FTra; }
  void Commit() {
    TStatus st;
    FTra->commit(&st);
    FTra = nullptr;
  }

 private:
  ITransaction* FTra = nullptr;
};

// A message buffer described by metadata.
struct TMessage {
  IMessageMetadata* Meta = nullptr;
  std::vector<unsigned char> Buffer;
  ~TMessage() {
    if (Meta) Meta->release();
  }
  void Reset(IMessageMetadata* AMeta) {
    if (Meta) Meta->release();
    Meta = AMeta;
    TStatus st;
    Buffer.assign(Meta ? Meta->getMessageLength(&st) : 0, 0);
  }
};

TBytes ReadBlob(IAttachment* AAtt, ITransaction* ATra, ISC_QUAD* AId) {
  TStatus st;
  TBytes out;
  IBlob* blob = AAtt->openBlob(&st, ATra, AId, 0, nullptr);
  unsigned char buf[32768];
  for (;;) {
    unsigned len = 0;
    int cc = blob->getSegment(&st, sizeof buf, buf, &len);
    if (cc != IStatus::RESULT_OK && cc != IStatus::RESULT_SEGMENT) break;
    out.insert(out.end(), buf, buf + len);
  }
  blob->close(&st);
  return out;
}

void WriteBlob(IAttachment* AAtt, ITransaction* ATra, ISC_QUAD* AId, const uint8_t* AData,
               size_t ASize) {
  TStatus st;
  IBlob* blob = AAtt->createBlob(&st, ATra, AId, 0, nullptr);
  size_t pos = 0;
  while (pos < ASize) {
    unsigned n = static_cast<unsigned>(std::min<size_t>(32768, ASize - pos));
    blob->putSegment(&st, n, AData + pos);
    pos += n;
  }
  blob->close(&st);
}

// Builds an input message for positional parameters from typed values.
void BuildInput(IAttachment* AAtt, ITransaction* ATra,
                const std::vector<std::pair<TFieldType, TValue>>& AValues, TMessage& AMsg) {
  if (AValues.empty()) {
    AMsg.Reset(nullptr);
    return;
  }
  TStatus st;
  unsigned n = static_cast<unsigned>(AValues.size());
  // Text goes to the server in WIN1252.
  std::vector<std::string> texts(n);
  TRef<IMetadataBuilder> b(Master()->getMetadataBuilder(&st, n));
  for (unsigned i = 0; i < n; ++i) {
    const auto& [type, v] = AValues[i];
    if (auto s = std::get_if<std::string>(&v)) {
      texts[i] = Utf8ToWin1252(*s);
      if (texts[i].size() > 32765)
        throw EDatabaseError("Texto longo demais para um parâmetro (máximo de 32765 caracteres)");
      b->setType(&st, i, SQL_VARYING + 1);
      b->setLength(&st, i, static_cast<unsigned>(std::max<size_t>(texts[i].size(), 1)));
      b->setCharSet(&st, i, kCharsetWin1252);
    } else if (std::holds_alternative<int64_t>(v)) {
      b->setType(&st, i, SQL_INT64 + 1);
      b->setLength(&st, i, 8);
      b->setScale(&st, i, 0);
    } else if (std::holds_alternative<double>(v)) {
      bool stamp = type == TFieldType::ftDateTime || type == TFieldType::ftDate ||
                   type == TFieldType::ftTime;
      b->setType(&st, i, (stamp ? SQL_TIMESTAMP : SQL_DOUBLE) + 1);
      b->setLength(&st, i, 8);
    } else if (std::holds_alternative<bool>(v)) {
      b->setType(&st, i, SQL_BOOLEAN + 1);
      b->setLength(&st, i, 1);
    } else if (std::holds_alternative<TBytes>(v)) {
      b->setType(&st, i, SQL_BLOB + 1);
      b->setLength(&st, i, 8);
      b->setSubType(&st, i, 0);
    } else {
      b->setType(&st, i, SQL_VARYING + 1);
      b->setLength(&st, i, 1);
      b->setCharSet(&st, i, kCharsetWin1252);
    }
  }
  AMsg.Reset(b->getMetadata(&st));
  IMessageMetadata* m = AMsg.Meta;
  unsigned char* buf = AMsg.Buffer.data();
  for (unsigned i = 0; i < n; ++i) {
    const TValue& v = AValues[i].second;
    unsigned off = m->getOffset(&st, i);
    auto* nullInd = reinterpret_cast<short*>(buf + m->getNullOffset(&st, i));
    *nullInd = IsNullValue(v) ? -1 : 0;
    if (IsNullValue(v)) continue;
    switch (m->getType(&st, i) & ~1u) {
      case SQL_VARYING: {
        uint16_t len = static_cast<uint16_t>(texts[i].size());
        std::memcpy(buf + off, &len, 2);
        std::memcpy(buf + off + 2, texts[i].data(), len);
        break;
      }
      case SQL_INT64:
        std::memcpy(buf + off, &std::get<int64_t>(v), 8);
        break;
      case SQL_DOUBLE:
        std::memcpy(buf + off, &std::get<double>(v), 8);
        break;
      case SQL_TIMESTAMP: {
        ISC_TIMESTAMP ts;
        ToIscTimestamp(std::get<double>(v), ts.timestamp_date, ts.timestamp_time);
        std::memcpy(buf + off, &ts, sizeof ts);
        break;
      }
      case SQL_BOOLEAN:
        buf[off] = std::get<bool>(v) ? 1 : 0;
        break;
      case SQL_BLOB: {
        const TBytes& bytes = std::get<TBytes>(v);
        ISC_QUAD id;
        WriteBlob(AAtt, ATra, &id, bytes.data(), bytes.size());
        std::memcpy(buf + off, &id, sizeof id);
        break;
      }
      default:
        break;
    }
  }
}

// Runs a statement that returns no rows in a write transaction of its own and
// commits it.
void ExecuteCommitted(IAttachment* AAtt, const std::string& ASQL,
                      const std::vector<std::pair<TFieldType, TValue>>& AParams) {
  TStatus st;
  TTransaction tra(AAtt, true);
  TMessage in;
  BuildInput(AAtt, tra.Get(), AParams, in);
  TRef<IStatement> stmt(
      AAtt->prepare(&st, tra.Get(), 0, Utf8ToWin1252(ASQL).c_str(), SQL_DIALECT_V6, 0));
  stmt->execute(&st, tra.Get(), in.Meta, in.Meta ? in.Buffer.data() : nullptr, nullptr, nullptr);
  tra.Commit();
}

// How one output column is read into a field value.
struct TColumn {
  unsigned Type = 0;
  int SubType = 0;
  int Scale = 0;
  unsigned Offset = 0;
  unsigned NullOffset = 0;
  unsigned Length = 0;
  unsigned CharSet = 0;
  int FieldIndex = -1;
  TFieldType FieldType = TFieldType::ftUnknown;
};

TFieldType TypeOfColumn(const TColumn& c) {
  switch (c.Type) {
    case SQL_VARYING:
    case SQL_TEXT:
      return TFieldType::ftString;
    case SQL_SHORT:
      return c.Scale ? TFieldType::ftFloat : TFieldType::ftSmallint;
    case SQL_LONG:
      return c.Scale ? TFieldType::ftFloat : TFieldType::ftInteger;
    case SQL_INT64:
      return c.Scale ? TFieldType::ftFloat : TFieldType::ftLargeint;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return TFieldType::ftFloat;
    case SQL_TIMESTAMP:
      return TFieldType::ftDateTime;
    case SQL_TYPE_DATE:
      return TFieldType::ftDate;
    case SQL_TYPE_TIME:
      return TFieldType::ftTime;
    case SQL_BLOB:
      return c.SubType == 1 ? TFieldType::ftMemo : TFieldType::ftBlob;
    case SQL_BOOLEAN:
      return TFieldType::ftBoolean;
    default:
      return TFieldType::ftString;
  }
}

std::vector<TColumn> DescribeColumns(IMessageMetadata* AMeta) {
  TStatus st;
  unsigned n = AMeta->getCount(&st);
  std::vector<TColumn> cols(n);
  for (unsigned i = 0; i < n; ++i) {
    TColumn& c = cols[i];
    c.Type = AMeta->getType(&st, i) & ~1u;
    c.SubType = AMeta->getSubType(&st, i);
    c.Scale = AMeta->getScale(&st, i);
    c.Offset = AMeta->getOffset(&st, i);
    c.NullOffset = AMeta->getNullOffset(&st, i);
    c.Length = AMeta->getLength(&st, i);
    c.CharSet = AMeta->getCharSet(&st, i);
  }
  return cols;
}

double ScaleDown(int64_t v, int scale) {
  return static_cast<double>(v) * std::pow(10.0, scale);
}

TValue ReadColumn(const TColumn& c, const unsigned char* buf, IAttachment* AAtt,
                  ITransaction* ATra) {
  if (*reinterpret_cast<const short*>(buf + c.NullOffset) != 0) return {};
  const unsigned char* p = buf + c.Offset;
  auto text = [&](std::string_view raw) -> TValue {
    if (c.CharSet == kCharsetOctets) return std::string(raw);
    return Win1252ToUtf8(raw);
  };
  switch (c.Type) {
    case SQL_VARYING: {
      uint16_t len;
      std::memcpy(&len, p, 2);
      return text(std::string_view(reinterpret_cast<const char*>(p + 2), len));
    }
    case SQL_TEXT: {
      std::string_view raw(reinterpret_cast<const char*>(p), c.Length);
      while (!raw.empty() && raw.back() == ' ') raw.remove_suffix(1);
      return text(raw);
    }
    case SQL_SHORT: {
      int16_t v;
      std::memcpy(&v, p, 2);
      return c.Scale ? TValue(ScaleDown(v, c.Scale)) : TValue(int64_t(v));
    }
    case SQL_LONG: {
      int32_t v;
      std::memcpy(&v, p, 4);
      return c.Scale ? TValue(ScaleDown(v, c.Scale)) : TValue(int64_t(v));
    }
    case SQL_INT64: {
      int64_t v;
      std::memcpy(&v, p, 8);
      return c.Scale ? TValue(ScaleDown(v, c.Scale)) : TValue(v);
    }
    case SQL_FLOAT: {
      float v;
      std::memcpy(&v, p, 4);
      return double(v);
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
      double v;
      std::memcpy(&v, p, 8);
      return v;
    }
    case SQL_TIMESTAMP: {
      ISC_TIMESTAMP ts;
      std::memcpy(&ts, p, sizeof ts);
      return FromIscTimestamp(ts.timestamp_date, ts.timestamp_time);
    }
    case SQL_TYPE_DATE: {
      ISC_DATE d;
      std::memcpy(&d, p, sizeof d);
      return FromIscTimestamp(d, 0);
    }
    case SQL_TYPE_TIME: {
      ISC_TIME t;
      std::memcpy(&t, p, sizeof t);
      return t / 864000000.0;
    }
    case SQL_BOOLEAN:
      return *p != 0;
    case SQL_BLOB: {
      ISC_QUAD id;
      std::memcpy(&id, p, sizeof id);
      TBytes bytes = ReadBlob(AAtt, ATra, &id);
      if (c.SubType == 1)
        return text(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
      return bytes;
    }
    default:
      return {};
  }
}

// Detaches, or at least frees, an attachment whose server may be gone.
void Detach(IAttachment* AAtt) {
  if (!Succeeds([&](CheckStatusWrapper* w) { AAtt->detach(w); })) AAtt->release();
}

// Attachments of closed pooled connections, kept for the next Open with the
// same parameters. Attaching costs a full authentication on the server
// (about 15 ms here), reusing one a round trip. An attachment between two
// statements holds no transaction (each statement's is scoped), so the next
// user finds it as fresh.
class TAttachmentPool {
 public:
  using TClock = std::chrono::steady_clock;
  // More idle ones than this are detached, the longest idle first.
  static constexpr size_t MaxIdle = 32;

  static TAttachmentPool& Instance() {
    // Never destroyed: the client library may be shut down before static
    // destructors run, and the idle attachments stay reachable for the
    // leak checker.
    static auto* pool = new TAttachmentPool;
    return *pool;
  }

  // An idle attachment for AKey that still answers, or null.
  IAttachment* Take(const std::string& AKey) {
    for (;;) {
      IAttachment* att = nullptr;
      {
        std::lock_guard<std::mutex> g(FLock);
        for (size_t i = FIdle.size(); i-- > 0;)
          if (FIdle[i].Key == AKey) {
            att = FIdle[i].Attachment;
            FIdle.erase(FIdle.begin() + static_cast<std::ptrdiff_t>(i));
            break;
          }
      }
      if (!att) return nullptr;
      if (Succeeds([&](CheckStatusWrapper* w) { att->ping(w); })) return att;
      Detach(att);  // the server restarted or dropped it: try the next
    }
  }

  void Give(const std::string& AKey, IAttachment* AAtt) {
    IAttachment* evicted = nullptr;
    {
      std::lock_guard<std::mutex> g(FLock);
      if (FIdle.size() >= MaxIdle) {
        evicted = FIdle.front().Attachment;
        FIdle.erase(FIdle.begin());
      }
      FIdle.push_back({AKey, AAtt, TClock::now()});
    }
    if (evicted) Detach(evicted);
  }

  void DetachIdle(std::chrono::seconds AIdleFor) {
    std::vector<IAttachment*> old;
    {
      std::lock_guard<std::mutex> g(FLock);
      const auto before = TClock::now() - AIdleFor;
      auto kept = std::stable_partition(FIdle.begin(), FIdle.end(),
                                        [&](const TIdle& i) { return i.Since > before; });
      for (auto i = kept; i != FIdle.end(); ++i) old.push_back(i->Attachment);
      FIdle.erase(kept, FIdle.end());
    }
    for (IAttachment* att : old) Detach(att);
  }

  size_t IdleCount() {
    std::lock_guard<std::mutex> g(FLock);
    return FIdle.size();
  }

 private:
  struct TIdle {
    std::string Key;
    IAttachment* Attachment;
    TClock::time_point Since;
  };
  std::mutex FLock;
  std::vector<TIdle> FIdle;  // oldest first
};

}  // namespace

// ---------------------------------------------------------------------------

struct TConnection::TImpl {
  IAttachment* Attachment = nullptr;
};

const core::TClassInfo& TConnection::StaticClass() {
  static core::TClassInfo info("TConnection", &core::TComponent::StaticClass(),
                               core::FactoryOf<TConnection>());
  return info;
}

TConnection::TConnection(core::TComponent* AOwner)
    : core::TComponent(AOwner), FImpl(std::make_unique<TImpl>()) {}

TConnection::~TConnection() {
  BeginDestroy();
  try {
    Close();
  } catch (...) {
    // Detaching from a server that went away must not stop the destruction.
  }
  for (TQuery* q : FQueries) q->FConnection = nullptr;
}

TConnection::TImpl& TConnection::Impl() const {
  return *FImpl;
}

bool TConnection::Connected() const {
  return FImpl->Attachment != nullptr;
}

std::string TConnection::ConnectionString() const {
  if (Params.Server.empty()) return Params.Database;
  return Params.Server + "/" + std::to_string(Params.Port) + ":" + Params.Database;
}

void TConnection::Open() {
  if (Connected()) return;
  if (Params.Database.empty())
    throw EDatabaseError(
        "Não foi possível conectar: o caminho do banco de dados não foi informado");
  std::string where = ConnectionString();
  if (Pooled) FImpl->Attachment = TAttachmentPool::Instance().Take(PoolKey());
  if (!FImpl->Attachment)
    FImpl->Attachment = Guard("Não foi possível conectar ao banco de dados " + where, [&] {
      TStatus st;
      IUtil* util = Master()->getUtilInterface();
      TRef<IXpbBuilder> dpb(util->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0));
      dpb->insertString(&st, isc_dpb_user_name, Params.User_Name.c_str());
      if (!Params.Password.empty())
        dpb->insertString(&st, isc_dpb_password, Params.Password.c_str());
      dpb->insertString(&st, isc_dpb_lc_ctype, Params.CharacterSet.c_str());
      TRef<IProvider> prov(Master()->getDispatcher());
      return prov->attachDatabase(&st, where.c_str(), dpb->getBufferLength(&st),
                                  dpb->getBuffer(&st));
    });
  if (AfterConnect) AfterConnect(this);
}

void TConnection::Close() {
  if (!Connected()) return;
  std::vector<TQuery*> queries = FQueries;
  for (TQuery* q : queries) q->Close();
  IAttachment* att = FImpl->Attachment;
  FImpl->Attachment = nullptr;
  if (Pooled)
    TAttachmentPool::Instance().Give(PoolKey(), att);
  else
    Detach(att);
  if (AfterDisconnect && !Destroying()) AfterDisconnect(this);
}

std::string TConnection::PoolKey() const {
  // Everything the attachment was made with.
  return ConnectionString() + '\n' + Params.User_Name + '\n' + Params.Password + '\n' +
         Params.CharacterSet;
}

void TConnection::DetachPooled(std::chrono::seconds AIdleFor) {
  TAttachmentPool::Instance().DetachIdle(AIdleFor);
}

size_t TConnection::PooledCount() {
  return TAttachmentPool::Instance().IdleCount();
}

void TConnection::AttachQuery(TQuery* AQuery) {
  FQueries.push_back(AQuery);
}

void TConnection::DetachQuery(TQuery* AQuery) {
  FQueries.erase(std::remove(FQueries.begin(), FQueries.end(), AQuery), FQueries.end());
}

void TConnection::ExecSQL(const std::string& ASQL, const std::vector<TValue>& AParams) {
  if (!Connected()) Open();
  std::vector<std::pair<TFieldType, TValue>> typed;
  for (const TValue& v : AParams) typed.emplace_back(TFieldType::ftUnknown, v);
  Guard("Erro ao executar o comando", [&] { ExecuteCommitted(FImpl->Attachment, ASQL, typed); });
}

// ---------------------------------------------------------------------------

int64_t TParam::AsLargeInt() const {
  if (auto i = std::get_if<int64_t>(&Value)) return *i;
  if (auto d = std::get_if<double>(&Value)) return static_cast<int64_t>(*d);
  return 0;
}

void TParam::SetAsLargeInt(int64_t AValue) {
  if (DataType == TFieldType::ftUnknown) DataType = TFieldType::ftLargeint;
  Value = AValue;
}

std::string TParam::AsString() const {
  if (auto s = std::get_if<std::string>(&Value)) return *s;
  if (auto i = std::get_if<int64_t>(&Value)) return std::to_string(*i);
  return "";
}

void TParam::SetAsString(const std::string& AValue) {
  if (DataType == TFieldType::ftUnknown) DataType = TFieldType::ftString;
  Value = AValue;
}

void TParam::SetAsFloat(double AValue) {
  if (DataType == TFieldType::ftUnknown) DataType = TFieldType::ftFloat;
  Value = AValue;
}

void TParam::SetAsDateTime(TDateTime AValue) {
  DataType = TFieldType::ftDateTime;
  Value = AValue;
}

TParam* TParams::FindParam(std::string_view AName) {
  for (TParam& p : FItems)
    if (core::SameText(p.Name, AName)) return &p;
  return nullptr;
}

TParam& TParams::ParamByName(std::string_view AName) {
  TParam* p = FindParam(AName);
  if (!p) throw EDatabaseError("Parâmetro '" + std::string(AName) + "' não encontrado");
  return *p;
}

TParam& TParams::Add(const std::string& AName, TFieldType ADataType) {
  FItems.emplace_back(AName, ADataType);
  return FItems.back();
}

// ---------------------------------------------------------------------------

namespace {

bool IdentStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IdentChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

// Calls AOnCode for each stretch of SQL outside quotes and comments.
template <class F>
std::string ScanSql(const std::string& s, F&& AOnCode) {
  std::string out;
  size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    if (c == '\'' || c == '"') {
      size_t j = i + 1;
      while (j < s.size()) {
        if (s[j] == c) {
          if (j + 1 < s.size() && s[j + 1] == c) {
            j += 2;
            continue;
          }
          break;
        }
        ++j;
      }
      out.append(s, i, std::min(j + 1, s.size()) - i);
      i = j + 1;
    } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
      size_t j = s.find('\n', i);
      if (j == std::string::npos) j = s.size();
      out.append(s, i, j - i);
      i = j;
    } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
      size_t j = s.find("*/", i + 2);
      j = j == std::string::npos ? s.size() : j + 2;
      out.append(s, i, j - i);
      i = j;
    } else {
      i = AOnCode(s, i, out);
    }
  }
  return out;
}

}  // namespace

std::string ParseSqlParams(const std::string& ASQL, std::vector<std::string>& ANames) {
  ANames.clear();
  return ScanSql(ASQL, [&](const std::string& s, size_t i, std::string& out) {
    if (s[i] == ':' && i + 1 < s.size() && IdentStart(s[i + 1])) {
      size_t j = i + 1;
      while (j < s.size() && IdentChar(s[j])) ++j;
      ANames.push_back(s.substr(i + 1, j - i - 1));
      out += '?';
      return j;
    }
    out += s[i];
    return i + 1;
  });
}

std::string SqlBaseTable(const std::string& ASQL) {
  // Blank out quoted text and comments, then look for the first FROM.
  std::string code = ScanSql(ASQL, [](const std::string& s, size_t i, std::string& out) {
    out += s[i];
    return i + 1;
  });
  std::string upper = code;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  size_t pos = 0;
  while ((pos = upper.find("FROM", pos)) != std::string::npos) {
    bool startOk = pos == 0 || !IdentChar(upper[pos - 1]);
    bool endOk = pos + 4 >= upper.size() || !IdentChar(upper[pos + 4]);
    if (startOk && endOk) {
      size_t i = pos + 4;
      while (i < upper.size() && std::isspace(static_cast<unsigned char>(upper[i]))) ++i;
      if (i < upper.size() && upper[i] == '"') {
        size_t j = code.find('"', i + 1);
        return code.substr(i + 1, j == std::string::npos ? std::string::npos : j - i - 1);
      }
      size_t j = i;
      while (j < upper.size() && IdentChar(upper[j])) ++j;
      return upper.substr(i, j - i);
    }
    pos += 4;
  }
  return "";
}

// ---------------------------------------------------------------------------

const core::TClassInfo& TQuery::StaticClass() {
  static core::TClassInfo info("TQuery", &TDataSet::StaticClass(), core::FactoryOf<TQuery>());
  return info;
}

TQuery::TQuery(core::TComponent* AOwner) : TDataSet(AOwner) {
  FSQL.OnChange = [this] { SQLChanged(); };
}

TQuery::~TQuery() {
  BeginDestroy();
  FSQL.OnChange = nullptr;
  SetConnection(nullptr);
}

void TQuery::SetConnection(TConnection* AConnection) {
  if (AConnection == FConnection) return;
  if (Active() && !Destroying()) Close();
  if (FConnection) {
    FConnection->DetachQuery(this);
    RemoveFreeNotification(FConnection);
  }
  FConnection = AConnection;
  if (FConnection) {
    FConnection->AttachQuery(this);
    FreeNotification(FConnection);
  }
}

void TQuery::Notification(core::TComponent* AComponent, core::TOperation AOperation) {
  TDataSet::Notification(AComponent, AOperation);
  if (AOperation == core::TOperation::opRemove && AComponent == FConnection) FConnection = nullptr;
}

void TQuery::SQLChanged() {
  if (Active()) Close();
  std::vector<std::string> names;
  ParseSqlParams(FSQL.Text(), names);
  TParams fresh;
  for (const std::string& n : names) {
    if (fresh.FindParam(n)) continue;
    if (TParam* old = FParams.FindParam(n))
      fresh.Add(old->Name, old->DataType).Value = old->Value;
    else
      fresh.Add(n, TFieldType::ftUnknown);
  }
  FParams = std::move(fresh);
}

TConnection& TQuery::CheckConnection() const {
  if (!FConnection) throw EDatabaseError(Name() + ": nenhuma conexão foi definida");
  if (!FConnection->Connected()) FConnection->Open();
  return *FConnection;
}

std::vector<std::pair<TFieldType, TValue>> TQuery::ParamValues(
    const std::vector<std::string>& ANames) {
  std::vector<std::pair<TFieldType, TValue>> values;
  for (const std::string& n : ANames) {
    TParam& p = FParams.ParamByName(n);
    values.emplace_back(p.DataType, p.Value);
  }
  return values;
}

void TQuery::InternalOpen(std::vector<TRecord>& ARows) {
  TConnection& con = CheckConnection();
  std::vector<std::string> names;
  std::string sql = ParseSqlParams(FSQL.Text(), names);
  if (sql.find_first_not_of(" \t\r\n") == std::string::npos)
    throw EDatabaseError(Name() + ": o comando SQL está vazio");
  Guard(Name() + ": erro ao abrir a consulta", [&] {
    TStatus st;
    IAttachment* att = con.Impl().Attachment;
    TTransaction tra(att, false);
    TMessage in;
    BuildInput(att, tra.Get(), ParamValues(names), in);
    TRef<IStatement> stmt(att->prepare(&st, tra.Get(), 0, Utf8ToWin1252(sql).c_str(),
                                       SQL_DIALECT_V6, IStatement::PREPARE_PREFETCH_METADATA));
    TMessage out;
    out.Reset(stmt->getOutputMetadata(&st));
    std::vector<TColumn> cols = DescribeColumns(out.Meta);
    bool dynamic = FieldCount() == 0;
    for (unsigned i = 0; i < cols.size(); ++i) {
      std::string alias = Win1252ToUtf8(out.Meta->getAlias(&st, i));
      TField* f = FindField(alias);
      if (!f && dynamic) f = &AddDynamicField(alias, TypeOfColumn(cols[i]), cols[i].Length);
      if (f) {
        cols[i].FieldIndex = f->Index();
        cols[i].FieldType = f->DataType();
      }
    }
    for (int k = 0; k < FieldCount(); ++k) {
      if (Fields(k).FieldKind == TFieldKind::fkLookup) continue;  // never read
      bool found = std::any_of(cols.begin(), cols.end(),
                               [&](const TColumn& c) { return c.FieldIndex == k; });
      if (!found)
        throw EDatabaseError("campo " + std::string("'") + Fields(k).FieldName() +
                             "' não encontrado no resultado");
    }
    TRef<IResultSet> rs(stmt->openCursor(&st, tra.Get(), in.Meta,
                                         in.Meta ? in.Buffer.data() : nullptr, out.Meta, 0));
    std::vector<TValue> values(static_cast<size_t>(FieldCount()));
    unsigned char* buf = out.Buffer.data();
    while (rs->fetchNext(&st, buf) == IStatus::RESULT_OK) {
      for (const TColumn& c : cols) {
        if (c.FieldIndex < 0) continue;
        TValue v = ReadColumn(c, buf, att, tra.Get());
        // Stored values use the alternative of their field's type.
        if (auto d = std::get_if<double>(&v);
            d && (c.FieldType == TFieldType::ftLargeint || c.FieldType == TFieldType::ftInteger ||
                  c.FieldType == TFieldType::ftSmallint))
          v = static_cast<int64_t>(std::llround(*d));
        else if (auto i = std::get_if<int64_t>(&v); i && c.FieldType == TFieldType::ftFloat)
          v = static_cast<double>(*i);
        else if (auto s = std::get_if<std::string>(&v); s && c.FieldType == TFieldType::ftBlob)
          v = TBytes(s->begin(), s->end());
        values[static_cast<size_t>(c.FieldIndex)] = std::move(v);
      }
      ARows.push_back(TRecord::Encode(values));
    }
    rs->close(&st);
    rs.Detach();
    tra.Commit();
  });
}

std::string TQuery::EffectiveUpdateTable() const {
  if (!UpdateTableName.empty()) return UpdateTableName;
  return SqlBaseTable(FSQL.Text());
}

namespace {
std::string QuoteIdent(const std::string& s) {
  return "\"" + s + "\"";
}
}  // namespace

void TQuery::InternalPost(const std::vector<TValue>* AOld, std::vector<TValue>& AValues) {
  TConnection& con = CheckConnection();
  std::string table = EffectiveUpdateTable();
  if (table.empty())
    throw EDatabaseError(Name() + ": não foi possível determinar a tabela a gravar");
  std::vector<TField*> keys;
  for (int i = 0; i < FieldCount(); ++i)
    if (Fields(i).ProviderFlags & pfInKey) keys.push_back(&Fields(i));

  std::string sql;
  std::vector<std::pair<TFieldType, TValue>> params;
  if (AOld == nullptr) {
    std::string cols, marks;
    for (int i = 0; i < FieldCount(); ++i) {
      TField& f = Fields(i);
      if (!(f.ProviderFlags & pfInUpdate) || IsNullValue(AValues[i])) continue;
      if (!cols.empty()) {
        cols += ", ";
        marks += ", ";
      }
      cols += QuoteIdent(f.FieldName());
      marks += "?";
      params.emplace_back(f.DataType(), AValues[i]);
    }
    sql = "INSERT INTO " + QuoteIdent(table) +
          (cols.empty() ? " DEFAULT VALUES" : " (" + cols + ") VALUES (" + marks + ")");
    if (!keys.empty()) {
      sql += " RETURNING ";
      for (size_t k = 0; k < keys.size(); ++k)
        sql += (k ? ", " : "") + QuoteIdent(keys[k]->FieldName());
    }
  } else {
    if (keys.empty())
      throw EDatabaseError(Name() + ": não há campo chave para identificar o registro");
    std::string sets;
    for (int i = 0; i < FieldCount(); ++i) {
      TField& f = Fields(i);
      if (!(f.ProviderFlags & pfInUpdate) || AValues[i] == (*AOld)[i]) continue;
      if (!sets.empty()) sets += ", ";
      sets += QuoteIdent(f.FieldName()) + " = ?";
      params.emplace_back(f.DataType(), AValues[i]);
    }
    if (sets.empty()) return;
    sql = "UPDATE " + QuoteIdent(table) + " SET " + sets + " WHERE ";
    for (size_t k = 0; k < keys.size(); ++k) {
      sql += (k ? " AND " : "") + QuoteIdent(keys[k]->FieldName()) + " = ?";
      params.emplace_back(keys[k]->DataType(), (*AOld)[keys[k]->Index()]);
    }
  }

  GuardWrite(Name() + ": erro ao gravar o registro", [&] {
    TStatus st;
    IAttachment* att = con.Impl().Attachment;
    TTransaction tra(att, true);
    TMessage in;
    BuildInput(att, tra.Get(), params, in);
    TRef<IStatement> stmt(att->prepare(&st, tra.Get(), 0, Utf8ToWin1252(sql).c_str(),
                                       SQL_DIALECT_V6, IStatement::PREPARE_PREFETCH_METADATA));
    TMessage out;
    out.Reset(stmt->getOutputMetadata(&st));
    bool returning = out.Meta->getCount(&st) > 0;
    stmt->execute(&st, tra.Get(), in.Meta, in.Meta ? in.Buffer.data() : nullptr,
                  returning ? out.Meta : nullptr, returning ? out.Buffer.data() : nullptr);
    if (AOld && stmt->getAffectedRecords(&st) == 0)
      throw EDatabaseError(
          "O registro não foi encontrado: foi excluído ou alterado por outro usuário");
    if (returning) {
      std::vector<TColumn> cols = DescribeColumns(out.Meta);
      for (size_t k = 0; k < keys.size() && k < cols.size(); ++k) {
        TValue v = ReadColumn(cols[k], out.Buffer.data(), att, tra.Get());
        AValues[keys[k]->Index()] = v;
      }
    }
    tra.Commit();
  });
}

void TQuery::InternalDelete(const std::vector<TValue>& AValues) {
  TConnection& con = CheckConnection();
  std::string table = EffectiveUpdateTable();
  std::string sql = "DELETE FROM " + QuoteIdent(table) + " WHERE ";
  std::vector<std::pair<TFieldType, TValue>> params;
  for (int i = 0; i < FieldCount(); ++i) {
    TField& f = Fields(i);
    if (!(f.ProviderFlags & pfInKey)) continue;
    if (!params.empty()) sql += " AND ";
    sql += QuoteIdent(f.FieldName()) + " = ?";
    params.emplace_back(f.DataType(), AValues[i]);
  }
  if (params.empty())
    throw EDatabaseError(Name() + ": não há campo chave para identificar o registro");
  GuardWrite(Name() + ": erro ao excluir o registro",
             [&] { ExecuteCommitted(con.Impl().Attachment, sql, params); });
}

void TQuery::ValidateFieldValue(const TField& AField, const TValue& AValue) {
  auto s = std::get_if<std::string>(&AValue);
  if (!s) return;
  std::string encoded = Utf8ToWin1252(*s);  // throws for text WIN1252 cannot hold
  if (AField.Size() > 0 && AField.DataType() == TFieldType::ftString &&
      encoded.size() > static_cast<size_t>(AField.Size()))
    throw EDatabaseError("O campo '" + AField.GetDisplayLabel() + "' aceita no máximo " +
                         std::to_string(AField.Size()) + " caracteres (foram informados " +
                         std::to_string(encoded.size()) + ")");
}

void TQuery::ExecSQL() {
  TConnection& con = CheckConnection();
  std::vector<std::string> names;
  std::string sql = ParseSqlParams(FSQL.Text(), names);
  auto params = ParamValues(names);
  Guard(Name() + ": erro ao executar o comando",
        [&] { ExecuteCommitted(con.Impl().Attachment, sql, params); });
}

}  // namespace db
