#include "platform/db/DB.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/db/DBFilter.h"

namespace db {

namespace {

bool IsIntegerType(TFieldType t) {
  return t == TFieldType::ftSmallint || t == TFieldType::ftInteger || t == TFieldType::ftLargeint;
}

bool IsFloatType(TFieldType t) {
  return t == TFieldType::ftFloat || t == TFieldType::ftDate || t == TFieldType::ftTime ||
         t == TFieldType::ftDateTime;
}

bool IsTextType(TFieldType t) {
  return t == TFieldType::ftString || t == TFieldType::ftMemo;
}

std::string Quoted(const std::string& s) {
  return "'" + s + "'";
}

EDatabaseError ConversionError(const TField& f, const std::string& text) {
  return EDatabaseError("'" + text + "' não é um valor válido para o campo " +
                        Quoted(f.GetDisplayLabel()));
}

std::string FloatToStr(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  std::string s = buf;
  std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

bool ParseFloatText(std::string text, double& out) {
  std::replace(text.begin(), text.end(), ',', '.');
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return end && *end == '\0';
}

bool ParseIntText(const std::string& text, int64_t& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (!end || *end != '\0' || errno == ERANGE) return false;
  out = v;
  return true;
}

}  // namespace

bool IsNullValue(const TValue& v) {
  return std::holds_alternative<std::monostate>(v);
}

const char* StateName(TDataSetState AState) {
  switch (AState) {
    case TDataSetState::dsInactive:
      return "Inactive";
    case TDataSetState::dsBrowse:
      return "Browse";
    case TDataSetState::dsEdit:
      return "Edit";
    case TDataSetState::dsInsert:
      return "Insert";
  }
  return "";
}

// ---------------------------------------------------------------------------
// Display formats

namespace {

// Splits a display format into its literal prefix, the number mask and the
// literal suffix, and formats the digits of |value| into it.
std::string ApplyNumberMask(std::string_view fmt, bool negative, std::string intDigits,
                            const std::string& fracDigitsFull) {
  size_t first = fmt.find_first_of("0#.,");
  if (first == std::string_view::npos) return std::string(fmt);
  size_t last = fmt.find_last_of("0#.,");
  std::string_view prefix = fmt.substr(0, first);
  std::string_view mask = fmt.substr(first, last - first + 1);
  std::string_view suffix = fmt.substr(last + 1);

  size_t dot = mask.find('.');
  std::string_view intMask = mask.substr(0, dot);
  std::string_view fracMask = dot == std::string_view::npos ? "" : mask.substr(dot + 1);
  bool thousands = intMask.find(',') != std::string_view::npos;
  size_t minInt = std::count(intMask.begin(), intMask.end(), '0');
  if (intDigits == "0") intDigits.clear();
  while (intDigits.size() < minInt) intDigits.insert(intDigits.begin(), '0');
  if (thousands) {
    std::string grouped;
    int n = 0;
    for (size_t i = intDigits.size(); i-- > 0;) {
      grouped.insert(grouped.begin(), intDigits[i]);
      if (++n % 3 == 0 && i > 0) grouped.insert(grouped.begin(), '.');
    }
    intDigits = grouped;
  }
  std::string frac;
  size_t minFrac = std::count(fracMask.begin(), fracMask.end(), '0');
  size_t maxFrac = minFrac + std::count(fracMask.begin(), fracMask.end(), '#');
  frac = fracDigitsFull.substr(0, std::min(maxFrac, fracDigitsFull.size()));
  while (frac.size() > minFrac && !frac.empty() && frac.back() == '0') frac.pop_back();
  std::string out(prefix);
  bool allZero = intDigits.find_first_not_of("0.") == std::string::npos &&
                 frac.find_first_not_of('0') == std::string::npos;
  if (negative && !allZero) out += '-';
  out += intDigits;
  if (!frac.empty()) out += "," + frac;
  out += suffix;
  return out;
}

size_t FracPlaces(std::string_view fmt) {
  size_t dot = fmt.find('.');
  if (dot == std::string_view::npos) return 0;
  size_t n = 0;
  for (size_t i = dot + 1; i < fmt.size() && (fmt[i] == '0' || fmt[i] == '#'); ++i) ++n;
  return n;
}

}  // namespace

std::string FormatFloat(std::string_view AFormat, double AValue) {
  if (AFormat.empty()) return FloatToStr(AValue);
  size_t places = FracPlaces(AFormat);
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(places), std::fabs(AValue));
  std::string s = buf;
  size_t dot = s.find('.');
  std::string intDigits = s.substr(0, dot);
  std::string frac = dot == std::string::npos ? "" : s.substr(dot + 1);
  return ApplyNumberMask(AFormat, AValue < 0, intDigits, frac);
}

std::string FormatInteger(std::string_view AFormat, int64_t AValue) {
  if (AFormat.empty()) return std::to_string(AValue);
  uint64_t mag = AValue < 0 ? 0 - static_cast<uint64_t>(AValue) : static_cast<uint64_t>(AValue);
  return ApplyNumberMask(AFormat, AValue < 0, std::to_string(mag), "");
}

// ---------------------------------------------------------------------------
// TRecord: [uint32 n][null bits][pad to 4][uint32 offsets n+1][data]

namespace {
size_t HeaderSize(uint32_t n) {
  size_t bits = (n + 7) / 8;
  size_t pad = (4 - (4 + bits) % 4) % 4;
  return 4 + bits + pad + 4 * (n + 1);
}
}  // namespace

TRecord TRecord::Encode(const std::vector<TValue>& AValues) {
  uint32_t n = static_cast<uint32_t>(AValues.size());
  size_t dataSize = 0;
  for (const TValue& v : AValues) {
    if (auto s = std::get_if<std::string>(&v))
      dataSize += s->size();
    else if (auto b = std::get_if<TBytes>(&v))
      dataSize += b->size();
    else if (std::holds_alternative<bool>(v))
      dataSize += 1;
    else if (!IsNullValue(v))
      dataSize += 8;
  }
  size_t header = HeaderSize(n);
  TRecord r;
  r.FData.reset(new uint8_t[header + dataSize]);
  uint8_t* p = r.FData.get();
  std::memset(p, 0, header);
  std::memcpy(p, &n, 4);
  uint8_t* bits = p + 4;
  uint8_t* offsets = p + header - 4 * (n + 1);
  uint32_t off = 0;
  uint8_t* data = p + header;
  for (uint32_t i = 0; i < n; ++i) {
    std::memcpy(offsets + 4 * i, &off, 4);
    const TValue& v = AValues[i];
    if (IsNullValue(v)) {
      bits[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
    } else if (auto s = std::get_if<std::string>(&v)) {
      std::memcpy(data + off, s->data(), s->size());
      off += static_cast<uint32_t>(s->size());
    } else if (auto b = std::get_if<TBytes>(&v)) {
      if (!b->empty()) std::memcpy(data + off, b->data(), b->size());
      off += static_cast<uint32_t>(b->size());
    } else if (auto x = std::get_if<bool>(&v)) {
      data[off++] = *x ? 1 : 0;
    } else if (auto x = std::get_if<int64_t>(&v)) {
      std::memcpy(data + off, x, 8);
      off += 8;
    } else if (auto x = std::get_if<double>(&v)) {
      std::memcpy(data + off, x, 8);
      off += 8;
    }
  }
  std::memcpy(offsets + 4 * n, &off, 4);
  return r;
}

int TRecord::FieldCount() const {
  if (!FData) return 0;
  uint32_t n;
  std::memcpy(&n, FData.get(), 4);
  return static_cast<int>(n);
}

bool TRecord::IsNull(int AIndex) const {
  if (AIndex < 0 || AIndex >= FieldCount()) return true;
  return (FData[4 + AIndex / 8] >> (AIndex % 8)) & 1;
}

std::string_view TRecord::Raw(int AIndex) const {
  uint32_t n = static_cast<uint32_t>(FieldCount());
  if (AIndex < 0 || static_cast<uint32_t>(AIndex) >= n) return {};
  size_t header = HeaderSize(n);
  const uint8_t* offsets = FData.get() + header - 4 * (n + 1);
  uint32_t a, b;
  std::memcpy(&a, offsets + 4 * AIndex, 4);
  std::memcpy(&b, offsets + 4 * (AIndex + 1), 4);
  return std::string_view(reinterpret_cast<const char*>(FData.get() + header + a), b - a);
}

TValue TRecord::Get(int AIndex, TFieldType AType) const {
  if (IsNull(AIndex)) return {};
  std::string_view raw = Raw(AIndex);
  if (IsTextType(AType)) return std::string(raw);
  if (AType == TFieldType::ftBlob) return TBytes(raw.begin(), raw.end());
  if (AType == TFieldType::ftBoolean) return !raw.empty() && raw[0] != 0;
  if (raw.size() != 8) return {};
  if (IsIntegerType(AType)) {
    int64_t v;
    std::memcpy(&v, raw.data(), 8);
    return v;
  }
  double v;
  std::memcpy(&v, raw.data(), 8);
  return v;
}

std::vector<TValue> TRecord::Decode(const std::vector<TFieldType>& ATypes) const {
  std::vector<TValue> out(ATypes.size());
  for (size_t i = 0; i < ATypes.size(); ++i) out[i] = Get(static_cast<int>(i), ATypes[i]);
  return out;
}

// ---------------------------------------------------------------------------
// TField

TField::TField(TDataSet& ADataSet, std::string AFieldName, TFieldType ADataType, int ASize)
    : FDataSet(ADataSet), FFieldName(std::move(AFieldName)), FDataType(ADataType), FSize(ASize) {
  if (IsIntegerType(ADataType) || IsFloatType(ADataType)) Alignment = TAlignment::taRightJustify;
}

TValue TField::Value() const {
  return FDataSet.GetFieldValue(*this);
}

void TField::SetValue(const TValue& AValue) {
  TValue v = AValue;
  // Bring the value to the alternative the field's type keeps.
  if (!IsNullValue(v)) {
    if (IsTextType(FDataType)) {
      if (!std::holds_alternative<std::string>(v)) {
        TValue saved = v;
        if (auto i = std::get_if<int64_t>(&saved))
          v = std::to_string(*i);
        else if (auto d = std::get_if<double>(&saved))
          v = FloatToStr(*d);
        else if (auto b = std::get_if<bool>(&saved))
          v = std::string(*b ? "True" : "False");
        else if (auto by = std::get_if<TBytes>(&saved))
          v = std::string(by->begin(), by->end());
      }
      // An empty text is no value: required checks treat it as missing.
      if (std::get<std::string>(v).empty()) v = TValue{};
    } else if (IsIntegerType(FDataType)) {
      if (auto d = std::get_if<double>(&v))
        v = static_cast<int64_t>(std::llround(*d));
      else if (auto b = std::get_if<bool>(&v))
        v = int64_t(*b);
      else if (auto s = std::get_if<std::string>(&v)) {
        int64_t i;
        if (!ParseIntText(*s, i)) throw ConversionError(*this, *s);
        v = i;
      } else if (!std::holds_alternative<int64_t>(v)) {
        throw ConversionError(*this, "?");
      }
    } else if (IsFloatType(FDataType)) {
      if (auto i = std::get_if<int64_t>(&v))
        v = static_cast<double>(*i);
      else if (auto s = std::get_if<std::string>(&v)) {
        double d;
        bool ok =
            FDataType == TFieldType::ftFloat ? ParseFloatText(*s, d) : TryStrToDateTime(*s, d);
        if (!ok) throw ConversionError(*this, *s);
        v = d;
      } else if (!std::holds_alternative<double>(v)) {
        throw ConversionError(*this, "?");
      }
    } else if (FDataType == TFieldType::ftBoolean) {
      if (auto i = std::get_if<int64_t>(&v))
        v = *i != 0;
      else if (auto s = std::get_if<std::string>(&v))
        v = core::SameText(*s, "True") || *s == "1";
    } else if (FDataType == TFieldType::ftBlob) {
      if (auto s = std::get_if<std::string>(&v)) v = TBytes(s->begin(), s->end());
      if (std::get<TBytes>(v).empty()) v = TValue{};
    }
  }
  FDataSet.SetFieldValue(*this, v);
}

bool TField::IsNull() const {
  return IsNullValue(Value());
}

std::string TField::AsString() const {
  return TextOf(Value());
}

std::string TField::TextOf(const TValue& v) const {
  if (auto s = std::get_if<std::string>(&v)) return *s;
  if (auto i = std::get_if<int64_t>(&v)) return std::to_string(*i);
  if (auto d = std::get_if<double>(&v)) {
    switch (FDataType) {
      case TFieldType::ftDate:
        return DateToStr(*d);
      case TFieldType::ftTime:
        return TimeToStr(*d);
      case TFieldType::ftDateTime:
        return DateTimeToStr(*d);
      default:
        return FloatToStr(*d);
    }
  }
  if (auto b = std::get_if<bool>(&v)) return *b ? "True" : "False";
  if (auto by = std::get_if<TBytes>(&v)) return std::string(by->begin(), by->end());
  return "";
}

void TField::SetAsString(const std::string& AValue) {
  if (AValue.empty() && !IsTextType(FDataType)) {
    Clear();
    return;
  }
  SetValue(AValue);
}

int64_t TField::AsLargeInt() const {
  TValue v = Value();
  if (auto i = std::get_if<int64_t>(&v)) return *i;
  if (auto d = std::get_if<double>(&v)) return static_cast<int64_t>(std::llround(*d));
  if (auto b = std::get_if<bool>(&v)) return *b;
  if (auto s = std::get_if<std::string>(&v)) {
    int64_t i;
    if (!ParseIntText(*s, i)) throw ConversionError(*this, *s);
    return i;
  }
  return 0;
}

void TField::SetAsLargeInt(int64_t AValue) {
  SetValue(AValue);
}

double TField::AsFloat() const {
  TValue v = Value();
  if (auto d = std::get_if<double>(&v)) return *d;
  if (auto i = std::get_if<int64_t>(&v)) return static_cast<double>(*i);
  if (auto s = std::get_if<std::string>(&v)) {
    double d;
    if (!ParseFloatText(*s, d)) throw ConversionError(*this, *s);
    return d;
  }
  return 0;
}

void TField::SetAsFloat(double AValue) {
  SetValue(AValue);
}

TDateTime TField::AsDateTime() const {
  TValue v = Value();
  if (auto d = std::get_if<double>(&v)) return *d;
  if (auto s = std::get_if<std::string>(&v)) {
    double d;
    if (!TryStrToDateTime(*s, d)) throw ConversionError(*this, *s);
    return d;
  }
  return 0;
}

void TField::SetAsDateTime(TDateTime AValue) {
  SetValue(AValue);
}

bool TField::AsBoolean() const {
  TValue v = Value();
  if (auto b = std::get_if<bool>(&v)) return *b;
  if (auto i = std::get_if<int64_t>(&v)) return *i != 0;
  return false;
}

void TField::SetAsBoolean(bool AValue) {
  SetValue(AValue);
}

TBytes TField::AsBytes() const {
  TValue v = Value();
  if (auto b = std::get_if<TBytes>(&v)) return *b;
  if (auto s = std::get_if<std::string>(&v)) return TBytes(s->begin(), s->end());
  return {};
}

void TField::SetAsBytes(const TBytes& AValue) {
  SetValue(AValue);
}

std::string TField::DisplayTextOf(const TValue& v) const {
  if (IsNullValue(v)) return "";
  if (!DisplayFormat.empty()) {
    if (auto i = std::get_if<int64_t>(&v)) return FormatInteger(DisplayFormat, *i);
    if (auto d = std::get_if<double>(&v); d && FDataType == TFieldType::ftFloat)
      return FormatFloat(DisplayFormat, *d);
  }
  if (FDataType == TFieldType::ftBlob) return "(BLOB)";
  if (FDataType == TFieldType::ftMemo) return "(MEMO)";
  return TextOf(v);
}

void TField::SetText(const std::string& AText) {
  SetAsString(AText);
}

bool TField::CanModify() const {
  return !ReadOnly && FDataSet.Active();
}

// ---------------------------------------------------------------------------
// TDataLink

TDataLink::~TDataLink() {
  SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* ADataSource) {
  if (ADataSource == FDataSource) return;
  if (FDataSource) {
    auto& links = FDataSource->FLinks;
    links.erase(std::remove(links.begin(), links.end(), this), links.end());
  }
  FDataSource = ADataSource;
  if (FDataSource) FDataSource->FLinks.push_back(this);
  UpdateState();
}

TDataSet* TDataLink::DataSet() const {
  return FDataSource ? FDataSource->DataSet() : nullptr;
}

void TDataLink::UpdateState() {
  bool active = FDataSource && FDataSource->Enabled() && FDataSource->DataSet() &&
                FDataSource->DataSet()->Active();
  if (active != FActive) {
    FActive = active;
    ActiveChanged();
  }
  TDataSetState st = active ? FDataSource->DataSet()->State() : TDataSetState::dsInactive;
  bool editing =
      active && !ReadOnly && (st == TDataSetState::dsEdit || st == TDataSetState::dsInsert);
  if (editing != FEditing) {
    FEditing = editing;
    EditingChanged();
  }
}

bool TDataLink::Edit() {
  if (!ReadOnly && FDataSource && FDataSource->AutoEdit && FActive) {
    TDataSet* ds = FDataSource->DataSet();
    if (ds->State() == TDataSetState::dsBrowse) ds->Edit();
  }
  return FEditing;
}

void TDataLink::UpdateRecord() {
  if (FUpdating) return;
  FUpdating = true;
  try {
    UpdateData();
  } catch (...) {
    FUpdating = false;
    throw;
  }
  FUpdating = false;
}

void TDataLink::DataEvent(TDataEvent AEvent, TField* AField) {
  switch (AEvent) {
    case TDataEvent::deUpdateState:
      UpdateState();
      break;
    case TDataEvent::deFieldChange:
    case TDataEvent::deRecordChange:
      if (FActive && !FUpdating) RecordChanged(AField);
      break;
    case TDataEvent::deDataSetChange:
      if (FActive) DataSetChanged();
      break;
    case TDataEvent::deDataSetScroll:
      if (FActive) DataSetScrolled(0);
      break;
    case TDataEvent::deLayoutChange:
      if (FActive) LayoutChanged();
      break;
    case TDataEvent::deUpdateRecord:
      if (FActive) UpdateRecord();
      break;
  }
}

// ---------------------------------------------------------------------------
// TFieldDataLink

void TFieldDataLink::SetFieldName(const std::string& AFieldName) {
  if (FFieldName == AFieldName) return;
  FFieldName = AFieldName;
  UpdateField();
}

void TFieldDataLink::UpdateField() {
  TField* f = nullptr;
  if (Active() && !FFieldName.empty()) f = DataSet()->FindField(FFieldName);
  FField = f;
  FModified = false;
  if (OnDataChange) OnDataChange();
}

bool TFieldDataLink::CanModify() const {
  return !ReadOnly && FField && FField->CanModify();
}

void TFieldDataLink::Reset() {
  FModified = false;
  if (OnDataChange) OnDataChange();
}

void TFieldDataLink::ActiveChanged() {
  UpdateField();
  if (OnActiveChange) OnActiveChange();
}

void TFieldDataLink::EditingChanged() {
  if (OnEditingChange) OnEditingChange();
}

void TFieldDataLink::LayoutChanged() {
  UpdateField();
}

void TFieldDataLink::RecordChanged(TField* AField) {
  if (AField == nullptr || AField == FField) {
    FModified = false;
    if (OnDataChange) OnDataChange();
  }
}

void TFieldDataLink::UpdateData() {
  if (FModified) {
    if (FField && OnUpdateData) OnUpdateData();
    FModified = false;
  }
}

// ---------------------------------------------------------------------------
// TDataSource

const core::TClassInfo& TDataSource::StaticClass() {
  static core::TClassInfo info("TDataSource", &core::TComponent::StaticClass(),
                               core::FactoryOf<TDataSource>());
  return info;
}

TDataSource::TDataSource(core::TComponent* AOwner) : core::TComponent(AOwner) {}

TDataSource::~TDataSource() {
  BeginDestroy();
  while (!FLinks.empty()) FLinks.back()->SetDataSource(nullptr);
  SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* ADataSet) {
  if (ADataSet == FDataSet) return;
  if (FDataSet) {
    auto& list = FDataSet->FDataSources;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    RemoveFreeNotification(FDataSet);
  }
  FDataSet = ADataSet;
  if (FDataSet) {
    FDataSet->FDataSources.push_back(this);
    FreeNotification(FDataSet);
  }
  SetState(FDataSet ? FDataSet->State() : TDataSetState::dsInactive);
  NotifyLinks(TDataEvent::deUpdateState, nullptr);
}

void TDataSource::SetEnabled(bool AValue) {
  if (FEnabled == AValue) return;
  FEnabled = AValue;
  NotifyLinks(TDataEvent::deUpdateState, nullptr);
}

void TDataSource::Notification(core::TComponent* AComponent, core::TOperation AOperation) {
  core::TComponent::Notification(AComponent, AOperation);
  if (AOperation == core::TOperation::opRemove && AComponent == FDataSet) SetDataSet(nullptr);
}

void TDataSource::NotifyLinks(TDataEvent AEvent, TField* AField) {
  // A link may detach itself while being told; walk a copy.
  std::vector<TDataLink*> links = FLinks;
  for (TDataLink* l : links)
    if (std::find(FLinks.begin(), FLinks.end(), l) != FLinks.end()) l->DataEvent(AEvent, AField);
}

void TDataSource::SetState(TDataSetState AState) {
  if (FState == AState) return;
  FState = AState;
  NotifyLinks(TDataEvent::deUpdateState, nullptr);
  if (OnStateChange) OnStateChange(this);
}

void TDataSource::DataEvent(TDataEvent AEvent, TField* AField) {
  if (AEvent == TDataEvent::deUpdateState) {
    SetState(FDataSet ? FDataSet->State() : TDataSetState::dsInactive);
    return;
  }
  if (!FEnabled) return;
  NotifyLinks(AEvent, AField);
  switch (AEvent) {
    case TDataEvent::deFieldChange:
    case TDataEvent::deRecordChange:
    case TDataEvent::deDataSetChange:
    case TDataEvent::deDataSetScroll:
    case TDataEvent::deLayoutChange:
      if (OnDataChange) OnDataChange(this, AEvent == TDataEvent::deFieldChange ? AField : nullptr);
      break;
    case TDataEvent::deUpdateRecord:
      if (OnUpdateData) OnUpdateData(this);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// TDataSet

const core::TClassInfo& TDataSet::StaticClass() {
  static core::TClassInfo info("TDataSet", &core::TComponent::StaticClass(), nullptr);
  return info;
}

const core::TClassInfo& TMemDataSet::StaticClass() {
  static core::TClassInfo info("TMemDataSet", &TDataSet::StaticClass(),
                               core::FactoryOf<TMemDataSet>());
  return info;
}

TDataSet::TDataSet(core::TComponent* AOwner) : core::TComponent(AOwner) {}

TDataSet::~TDataSet() {
  BeginDestroy();
  // Data sources keep a pointer to us; let them go first.
  while (!FDataSources.empty()) FDataSources.back()->SetDataSet(nullptr);
}

TField& TDataSet::AddField(const std::string& AFieldName, TFieldType ADataType, int ASize) {
  if (Active())
    throw EDatabaseError("Não é possível incluir campos com o conjunto de dados aberto");
  if (FindField(AFieldName)) throw EDatabaseError("Campo duplicado: " + Quoted(AFieldName));
  // Persistent fields stay in front of dynamic ones.
  auto f = std::make_unique<TField>(*this, AFieldName, ADataType, ASize);
  FFields.insert(FFields.begin() + static_cast<long>(FPersistentFieldCount), std::move(f));
  ++FPersistentFieldCount;
  for (size_t i = 0; i < FFields.size(); ++i) FFields[i]->FIndex = static_cast<int>(i);
  return *FFields[FPersistentFieldCount - 1];
}

TField& TDataSet::AddLookupField(const std::string& AFieldName, TFieldType ADataType, int ASize,
                                 const std::string& AKeyFields, TDataSet* ALookupDataSet,
                                 const std::string& ALookupKeyFields,
                                 const std::string& ALookupResultField) {
  TField& f = AddField(AFieldName, ADataType, ASize);
  f.FieldKind = TFieldKind::fkLookup;
  f.KeyFields = AKeyFields;
  f.LookupDataSet = ALookupDataSet;
  f.LookupKeyFields = ALookupKeyFields;
  f.LookupResultField = ALookupResultField;
  f.ProviderFlags = 0;
  return f;
}

TValue TDataSet::LookupValueOf(const TField& AField, const TValue& AKey) const {
  TDataSet* list = AField.LookupDataSet;
  if (IsNullValue(AKey) || !list || !list->Active()) return {};
  if (!list->FindField(AField.LookupKeyFields) || !list->FindField(AField.LookupResultField))
    return {};
  return list->Lookup(AField.LookupKeyFields, AKey, AField.LookupResultField);
}

TField& TDataSet::AddDynamicField(const std::string& AFieldName, TFieldType ADataType, int ASize) {
  auto f = std::make_unique<TField>(*this, AFieldName, ADataType, ASize);
  f->FIndex = static_cast<int>(FFields.size());
  FFields.push_back(std::move(f));
  return *FFields.back();
}

TField* TDataSet::FindField(std::string_view AFieldName) const {
  for (const auto& f : FFields)
    if (core::SameText(f->FieldName(), AFieldName)) return f.get();
  return nullptr;
}

TField& TDataSet::FieldByName(std::string_view AFieldName) const {
  TField* f = FindField(AFieldName);
  if (!f)
    throw EDatabaseError(Name() + ": campo " + Quoted(std::string(AFieldName)) + " não encontrado");
  return *f;
}

std::vector<TFieldType> TDataSet::FieldTypes() const {
  std::vector<TFieldType> t;
  t.reserve(FFields.size());
  for (const auto& f : FFields) t.push_back(f->DataType());
  return t;
}

void TDataSet::CheckActive() const {
  if (!Active())
    throw EDatabaseError(Name() + ": operação não permitida com o conjunto de dados fechado");
}

void TDataSet::Open() {
  if (Active()) return;
  if (BeforeOpen) BeforeOpen(*this);
  std::vector<TRecord> rows;
  try {
    InternalOpen(rows);
    FRows = std::move(rows);
    FFilterExpr.reset();
    if (FFiltered && !FFilter.empty()) ApplyFilter();
  } catch (...) {
    FRows.clear();
    FFields.resize(FPersistentFieldCount);
    throw;
  }
  RebuildView();
  FCursor = FView.empty() ? -1 : 0;
  FBof = true;
  FEof = FView.empty();
  SetState(TDataSetState::dsBrowse);
  DataEvent(TDataEvent::deDataSetChange);
  if (AfterOpen) AfterOpen(*this);
  if (AfterScroll) AfterScroll(*this);
}

void TDataSet::Close() {
  if (!Active()) return;
  if (BeforeClose) BeforeClose(*this);
  // A pending insert or edit is discarded.
  FBuffer.clear();
  FModified = false;
  FRows.clear();
  FRows.shrink_to_fit();
  FView.clear();
  FView.shrink_to_fit();
  FCursor = -1;
  FBof = FEof = true;
  FFilterExpr.reset();
  InternalClose();
  SetState(TDataSetState::dsInactive);
  FFields.resize(FPersistentFieldCount);
  if (AfterClose) AfterClose(*this);
}

void TDataSet::SetState(TDataSetState AState) {
  if (FState == AState) return;
  FState = AState;
  // Copy: a handler may change the list of data sources.
  std::vector<TDataSource*> sources = FDataSources;
  for (TDataSource* ds : sources)
    if (std::find(FDataSources.begin(), FDataSources.end(), ds) != FDataSources.end())
      ds->DataEvent(TDataEvent::deUpdateState, nullptr);
}

void TDataSet::DataEvent(TDataEvent AEvent, TField* AField) {
  if (FDisableCount > 0 && AEvent != TDataEvent::deUpdateRecord) {
    FPendingChange = true;
    return;
  }
  std::vector<TDataSource*> sources = FDataSources;
  for (TDataSource* ds : sources)
    if (std::find(FDataSources.begin(), FDataSources.end(), ds) != FDataSources.end())
      ds->DataEvent(AEvent, AField);
}

void TDataSet::EnableControls() {
  if (FDisableCount == 0) return;
  if (--FDisableCount == 0 && FPendingChange) {
    FPendingChange = false;
    DataEvent(TDataEvent::deDataSetChange);
  }
}

void TDataSet::ApplyFilter() {
  FFilterExpr.reset();
  if (!FFiltered || FFilter.empty()) return;
  FFilterExpr = TFilterExpression::Parse(
      FFilter, [this](std::string_view name) -> std::optional<TFilterExpression::TFieldRef> {
        TField* f = FindField(name);
        if (!f) return std::nullopt;
        return TFilterExpression::TFieldRef{f->Index(), f->DataType()};
      });
}

bool TDataSet::RecordPasses(const TRecord& ARecord) const {
  return !FFilterExpr || FFilterExpr->Matches(ARecord);
}

void TDataSet::RebuildView() {
  FView.clear();
  FView.reserve(FRows.size());
  for (size_t i = 0; i < FRows.size(); ++i)
    if (RecordPasses(FRows[i])) FView.push_back(static_cast<int>(i));
}

// The view is kept in step with single-row changes without re-filtering
// every row, so appending many rows stays linear.
void TDataSet::ViewRowInserted(int ARowIndex) {
  auto it = std::lower_bound(FView.begin(), FView.end(), ARowIndex);
  for (auto j = it; j != FView.end(); ++j) ++*j;
  if (RecordPasses(FRows[ARowIndex])) FView.insert(it, ARowIndex);
}

void TDataSet::ViewRowChanged(int ARowIndex) {
  auto it = std::lower_bound(FView.begin(), FView.end(), ARowIndex);
  bool present = it != FView.end() && *it == ARowIndex;
  bool passes = RecordPasses(FRows[ARowIndex]);
  if (passes && !present)
    FView.insert(it, ARowIndex);
  else if (!passes && present)
    FView.erase(it);
}

void TDataSet::ViewRowRemoved(int ARowIndex) {
  auto it = std::lower_bound(FView.begin(), FView.end(), ARowIndex);
  if (it != FView.end() && *it == ARowIndex) it = FView.erase(it);
  for (auto j = it; j != FView.end(); ++j) --*j;
}

int TDataSet::FindViewIndex(int ARowIndex) const {
  auto it = std::lower_bound(FView.begin(), FView.end(), ARowIndex);
  return (it != FView.end() && *it == ARowIndex) ? static_cast<int>(it - FView.begin()) : -1;
}

void TDataSet::SetFilter(const std::string& AFilter) {
  if (AFilter == FFilter) return;
  std::string old = FFilter;
  FFilter = AFilter;
  if (Active() && FFiltered) {
    CheckBrowseMode();
    try {
      ApplyFilter();
    } catch (...) {
      FFilter = old;
      ApplyFilter();
      throw;
    }
    RebuildView();
    First();
    DataEvent(TDataEvent::deDataSetChange);
  }
}

void TDataSet::SetFiltered(bool AValue) {
  if (AValue == FFiltered) return;
  FFiltered = AValue;
  if (Active()) {
    CheckBrowseMode();
    try {
      ApplyFilter();
    } catch (...) {
      FFiltered = false;
      FFilterExpr.reset();
      throw;
    }
    RebuildView();
    First();
    DataEvent(TDataEvent::deDataSetChange);
  }
}

bool TDataSet::IsEmpty() const {
  return FView.empty() && FState != TDataSetState::dsInsert;
}

int TDataSet::RecordCount() const {
  return static_cast<int>(FView.size());
}

int TDataSet::RecNo() const {
  if (FState == TDataSetState::dsInsert) return 0;
  return FCursor < 0 ? 0 : FCursor + 1;
}

void TDataSet::SetRecNo(int AValue) {
  CheckActive();
  CheckBrowseMode();
  if (AValue < 1 || AValue > RecordCount()) return;
  if (FCursor != AValue - 1) {
    FCursor = AValue - 1;
    FBof = FEof = false;
    Scrolled();
  }
}

void TDataSet::Scrolled() {
  DataEvent(TDataEvent::deDataSetScroll);
  if (AfterScroll) AfterScroll(*this);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  if (FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert) {
    UpdateRecord();
    if (FModified)
      Post();
    else
      Cancel();
  }
}

void TDataSet::First() {
  CheckBrowseMode();
  FCursor = FView.empty() ? -1 : 0;
  FBof = true;
  FEof = FView.empty();
  Scrolled();
}

void TDataSet::Last() {
  CheckBrowseMode();
  FCursor = static_cast<int>(FView.size()) - 1;
  FEof = true;
  FBof = FView.empty();
  Scrolled();
}

void TDataSet::Next() {
  CheckBrowseMode();
  if (FCursor + 1 < static_cast<int>(FView.size())) {
    ++FCursor;
    FBof = false;
    FEof = false;
    Scrolled();
  } else {
    FEof = true;
    FBof = FView.empty();
  }
}

void TDataSet::Prior() {
  CheckBrowseMode();
  if (FCursor > 0) {
    --FCursor;
    FBof = false;
    FEof = false;
    Scrolled();
  } else {
    FBof = true;
    FEof = FView.empty();
  }
}

int TDataSet::MoveBy(int ADistance) {
  CheckBrowseMode();
  if (FView.empty()) return 0;
  int target = std::clamp(FCursor + ADistance, 0, static_cast<int>(FView.size()) - 1);
  int moved = target - FCursor;
  FBof = ADistance < 0 && FCursor + ADistance < 0;
  FEof = ADistance > 0 && FCursor + ADistance >= static_cast<int>(FView.size());
  if (moved != 0) {
    FCursor = target;
    Scrolled();
  }
  return moved;
}

bool TDataSet::Locate(std::string_view AFieldName, const TValue& AValue, bool ACaseInsensitive) {
  CheckBrowseMode();
  TField& f = FieldByName(AFieldName);
  for (size_t i = 0; i < FView.size(); ++i) {
    TValue v = FRows[FView[i]].Get(f.Index(), f.DataType());
    bool match;
    if (IsTextType(f.DataType()) && std::holds_alternative<std::string>(AValue) &&
        std::holds_alternative<std::string>(v)) {
      match = ACaseInsensitive
                  ? core::SameText(std::get<std::string>(v), std::get<std::string>(AValue))
                  : std::get<std::string>(v) == std::get<std::string>(AValue);
    } else if (auto a = std::get_if<int64_t>(&v); a && std::holds_alternative<int64_t>(AValue)) {
      match = *a == std::get<int64_t>(AValue);
    } else if (auto d = std::get_if<double>(&v); d && std::holds_alternative<int64_t>(AValue)) {
      match = *d == static_cast<double>(std::get<int64_t>(AValue));
    } else {
      match = v == AValue;
    }
    if (match) {
      if (FCursor != static_cast<int>(i)) {
        FCursor = static_cast<int>(i);
        FBof = FEof = false;
        Scrolled();
      }
      return true;
    }
  }
  return false;
}

TValue TDataSet::Lookup(std::string_view AKeyField, const TValue& AKeyValue,
                        std::string_view AResultField) {
  CheckActive();
  TField& key = FieldByName(AKeyField);
  TField& res = FieldByName(AResultField);
  for (int recNo = 1; recNo <= RecordCount(); ++recNo) {
    TValue v = RowValue(recNo, key);
    bool match = v == AKeyValue;
    if (!match) {
      if (auto a = std::get_if<int64_t>(&v); a && std::holds_alternative<int64_t>(AKeyValue))
        match = *a == std::get<int64_t>(AKeyValue);
    }
    if (match) return RowValue(recNo, res);
  }
  return {};
}

const TRecord* TDataSet::RowOf(int ARecNo, bool& AEdited) const {
  AEdited = false;
  if (ARecNo < 1 || ARecNo > static_cast<int>(FView.size())) return nullptr;
  AEdited = FState == TDataSetState::dsEdit && ARecNo - 1 == FCursor;
  return &FRows[FView[ARecNo - 1]];
}

void TDataSet::CheckOwnField(const TField& AField) const {
  if (&AField.DataSet() != this)
    throw EDatabaseError("O campo " + Quoted(AField.FieldName()) + " não pertence a " + Name());
}

TValue TDataSet::RowValue(int ARecNo, int AFieldIndex) const {
  if (AFieldIndex < 0 || AFieldIndex >= FieldCount()) return {};
  const TField& f = *FFields[static_cast<size_t>(AFieldIndex)];
  if (f.FieldKind == TFieldKind::fkLookup) {
    TField* key = FindField(f.KeyFields);
    return key && key != &f ? LookupValueOf(f, RowValue(ARecNo, key->Index())) : TValue{};
  }
  bool edited;
  const TRecord* r = RowOf(ARecNo, edited);
  if (!r) return {};
  if (edited) return FBuffer[static_cast<size_t>(AFieldIndex)];
  return r->Get(AFieldIndex, FFields[static_cast<size_t>(AFieldIndex)]->DataType());
}

TValue TDataSet::RowValue(int ARecNo, const TField& AField) const {
  CheckOwnField(AField);
  return RowValue(ARecNo, AField.Index());
}

bool TDataSet::RowIsNull(int ARecNo, const TField& AField) const {
  CheckOwnField(AField);
  if (AField.FieldKind == TFieldKind::fkLookup) return IsNullValue(RowValue(ARecNo, AField));
  bool edited;
  const TRecord* r = RowOf(ARecNo, edited);
  if (!r) return true;
  if (edited) return IsNullValue(FBuffer[static_cast<size_t>(AField.Index())]);
  return r->IsNull(AField.Index());
}

std::string TDataSet::RowText(int ARecNo, const TField& AField) const {
  return AField.TextOf(RowValue(ARecNo, AField));
}

std::string TDataSet::RowDisplayText(int ARecNo, const TField& AField) const {
  return AField.DisplayTextOf(RowValue(ARecNo, AField));
}

const TRecord* TDataSet::CurrentRecord() const {
  if (FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert) return nullptr;
  if (FCursor < 0 || FCursor >= static_cast<int>(FView.size())) return nullptr;
  return &FRows[FView[FCursor]];
}

TValue TDataSet::GetFieldValue(const TField& AField) const {
  if (AField.FieldKind == TFieldKind::fkLookup) {
    TField* key = FindField(AField.KeyFields);
    return key && key != &AField ? LookupValueOf(AField, GetFieldValue(*key)) : TValue{};
  }
  if (FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert) {
    size_t i = static_cast<size_t>(AField.Index());
    return i < FBuffer.size() ? FBuffer[i] : TValue{};
  }
  const TRecord* r = CurrentRecord();
  return r ? r->Get(AField.Index(), AField.DataType()) : TValue{};
}

void TDataSet::SetFieldValue(TField& AField, const TValue& AValue) {
  if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert)
    throw EDatabaseError(Name() + ": o conjunto de dados não está em modo de edição ou inserção");
  if (AField.ReadOnly)
    throw EDatabaseError("O campo " + Quoted(AField.GetDisplayLabel()) +
                         " não pode ser modificado");
  if (AField.FieldKind == TFieldKind::fkLookup) {
    SetLookupFieldValue(AField, AValue);
    return;
  }
  ValidateFieldValue(AField, AValue);
  FBuffer[static_cast<size_t>(AField.Index())] = AValue;
  FModified = true;
  DataEvent(TDataEvent::deFieldChange, &AField);
  if (AField.OnChange) AField.OnChange(AField);
}

void TDataSet::SetLookupFieldValue(TField& AField, const TValue& AValue) {
  TField* key = FindField(AField.KeyFields);
  if (!key || key == &AField)
    throw EDatabaseError("O campo " + Quoted(AField.GetDisplayLabel()) +
                         " não tem o campo chave " + Quoted(AField.KeyFields));
  if (IsNullValue(AValue)) {
    key->Clear();
    return;
  }
  TDataSet* list = AField.LookupDataSet;
  TField* listKey = list && list->Active() ? list->FindField(AField.LookupKeyFields) : nullptr;
  TField* listResult = list && list->Active() ? list->FindField(AField.LookupResultField) : nullptr;
  if (listKey && listResult) {
    std::string wanted = AField.TextOf(AValue);
    for (int rec = 1; rec <= list->RecordCount(); ++rec)
      if (list->RowText(rec, *listResult) == wanted) {
        key->SetValue(list->RowValue(rec, *listKey));
        return;
      }
  }
  throw EDatabaseError("O valor " + Quoted(AField.TextOf(AValue)) + " não é válido para o campo " +
                       Quoted(AField.GetDisplayLabel()));
}

void TDataSet::StartInsert(bool AAppend) {
  CheckBrowseMode();
  if (BeforeInsert) BeforeInsert(*this);
  FBuffer.assign(FFields.size(), TValue{});
  FInsertAt = (AAppend || FCursor < 0) ? -1 : FView[FCursor];
  FModified = false;
  SetState(TDataSetState::dsInsert);
  if (OnNewRecord) OnNewRecord(*this);
  // Values a new record starts with are no change of the user's.
  FModified = false;
  DataEvent(TDataEvent::deDataSetChange);
  if (AfterInsert) AfterInsert(*this);
}

void TDataSet::Append() {
  StartInsert(true);
}

void TDataSet::Insert() {
  StartInsert(false);
}

void TDataSet::Edit() {
  if (FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert) return;
  CheckActive();
  if (FView.empty()) {
    Insert();
    return;
  }
  if (BeforeEdit) BeforeEdit(*this);
  FBuffer = FRows[FView[FCursor]].Decode(FieldTypes());
  FModified = false;
  SetState(TDataSetState::dsEdit);
  DataEvent(TDataEvent::deRecordChange);
  if (AfterEdit) AfterEdit(*this);
}

void TDataSet::UpdateRecord() {
  if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert) return;
  DataEvent(TDataEvent::deUpdateRecord);
}

void TDataSet::CheckRequiredFields() {
  for (const auto& f : FFields) {
    if (!f->Required || !IsNullValue(FBuffer[static_cast<size_t>(f->Index())])) continue;
    if (FState == TDataSetState::dsInsert && f->AutoGenerateValue) continue;
    throw EDatabaseError("Campo " + Quoted(f->GetDisplayLabel()) + " deve ter um valor");
  }
}

void TDataSet::Post() {
  CheckActive();
  if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert) return;
  UpdateRecord();
  if (BeforePost) BeforePost(*this);
  CheckRequiredFields();
  bool inserting = FState == TDataSetState::dsInsert;
  std::vector<TValue> values = FBuffer;
  int rowIndex;
  if (inserting) {
    InternalPost(nullptr, values);
    rowIndex = FInsertAt < 0 ? static_cast<int>(FRows.size()) : FInsertAt;
    FRows.insert(FRows.begin() + rowIndex, TRecord::Encode(values));
    ViewRowInserted(rowIndex);
  } else {
    rowIndex = FView[FCursor];
    std::vector<TValue> old = FRows[rowIndex].Decode(FieldTypes());
    InternalPost(&old, values);
    FRows[rowIndex] = TRecord::Encode(values);
    ViewRowChanged(rowIndex);
  }
  FBuffer.clear();
  FModified = false;
  int vi = FindViewIndex(rowIndex);
  if (vi < 0) {
    // The posted row does not pass the filter: stay near it.
    auto it = std::lower_bound(FView.begin(), FView.end(), rowIndex);
    vi = it == FView.end() ? static_cast<int>(FView.size()) - 1
                           : static_cast<int>(it - FView.begin());
  }
  FCursor = vi;
  FBof = FEof = FView.empty();
  SetState(TDataSetState::dsBrowse);
  DataEvent(TDataEvent::deDataSetChange);
  if (AfterPost) AfterPost(*this);
}

void TDataSet::Cancel() {
  if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert) return;
  if (BeforeCancel) BeforeCancel(*this);
  FBuffer.clear();
  FModified = false;
  SetState(TDataSetState::dsBrowse);
  DataEvent(TDataEvent::deDataSetChange);
  if (AfterCancel) AfterCancel(*this);
}

void TDataSet::Delete() {
  CheckActive();
  if (FState == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  if (FView.empty())
    throw EDatabaseError(Name() + ": não é possível excluir, o conjunto de dados está vazio");
  if (FState == TDataSetState::dsEdit) Cancel();
  if (BeforeDelete) BeforeDelete(*this);
  int rowIndex = FView[FCursor];
  InternalDelete(FRows[rowIndex].Decode(FieldTypes()));
  FRows.erase(FRows.begin() + rowIndex);
  ViewRowRemoved(rowIndex);
  if (FCursor >= static_cast<int>(FView.size())) FCursor = static_cast<int>(FView.size()) - 1;
  FBof = FEof = FView.empty();
  DataEvent(TDataEvent::deDataSetChange);
  if (AfterDelete) AfterDelete(*this);
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  int recNo = RecNo();
  std::vector<TRecord> rows;
  InternalOpen(rows);
  FRows = std::move(rows);
  RebuildView();
  FCursor = FView.empty() ? -1 : std::clamp(recNo - 1, 0, static_cast<int>(FView.size()) - 1);
  FBof = FEof = FView.empty();
  DataEvent(TDataEvent::deDataSetChange);
}

}  // namespace db
