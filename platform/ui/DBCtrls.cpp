#include "platform/ui/DBCtrls.h"

#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"

namespace ui {

TFieldBinding::~TFieldBinding() {
  Link.OnDataChange = nullptr;
  Link.OnEditingChange = nullptr;
  Link.OnUpdateData = nullptr;
  Link.OnActiveChange = nullptr;
  Link.SetDataSource(nullptr);
}

bool TFieldBinding::BeginChange(bool AControlReadOnly) {
  if (AControlReadOnly || !Link.Field() || !Link.CanModify()) return false;
  if (Link.Editing()) return true;
  return Link.Edit();
}

bool TFieldBinding::ChangeMade(bool AControlReadOnly, const std::function<void()>& ARestore) {
  if (Filling) return false;
  bool wasEditing = Link.Editing();
  if (!BeginChange(AControlReadOnly)) return false;
  if (!wasEditing) {
    Filling = true;
    try {
      ARestore();
    } catch (...) {
      Filling = false;
      throw;
    }
    Filling = false;
  }
  Link.Modified();
  return true;
}

bool SameValue(const db::TValue& A, const db::TValue& B) {
  if (A.index() == B.index()) return A == B;
  auto num = [](const db::TValue& v, double& out) {
    if (auto* i = std::get_if<int64_t>(&v)) {
      out = static_cast<double>(*i);
      return true;
    }
    if (auto* d = std::get_if<double>(&v)) {
      out = *d;
      return true;
    }
    return false;
  };
  double a, b;
  if (num(A, a) && num(B, b)) return a == b;
  return false;
}

// ---------------------------------------------------------------------------

const TClassInfo& TDBText::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TDBText", &TCustomLabel::StaticClass(), FactoryOf<TDBText>());
    AddDataProperties<TDBText>(c);
    return c;
  }();
  return info;
}

TDBText::TDBText(TComponent* AOwner) : TCustomLabel(AOwner) {
  SetAutoSize(false);
  FBinding.Link.OnDataChange = [this] { DataChange(); };
}

void TDBText::DataChange() {
  db::TField* f = Field();
  StoreText(f ? f->DisplayText() : std::string());
  AdjustSize();
}

// ---------------------------------------------------------------------------

const TClassInfo& TDBEdit::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TDBEdit", &TCustomEdit::StaticClass(), FactoryOf<TDBEdit>());
    AddDataProperties<TDBEdit>(c);
    return c;
  }();
  return info;
}

TDBEdit::TDBEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  FBinding.Link.OnDataChange = [this] { DataChange(); };
  FBinding.Link.OnUpdateData = [this] { UpdateData(); };
}

void TDBEdit::DataChange() {
  db::TField* f = Field();
  // The edit text ("33") while the user may change the field here, the
  // display text ("00000033") otherwise.
  bool editText = f && Focused() && !FReadOnly && FBinding.Link.CanModify();
  FBinding.Filling = true;
  try {
    TCustomEdit::SetText(!f ? std::string() : editText ? f->Text() : f->DisplayText());
  } catch (...) {
    FBinding.Filling = false;
    throw;
  }
  FBinding.Filling = false;
  if (f && f->DataType() == db::TFieldType::ftString && FMaxLength == 0 && f->Size() > 0)
    FMaxLength = f->Size();
}

void TDBEdit::Change() {
  // A change that did not come from the field edits the record.
  if (!FBinding.Filling) {
    std::string wanted = FText;
    FBinding.ChangeMade(FReadOnly, [&] { TCustomEdit::SetText(wanted); });
  }
  TCustomEdit::Change();
}

bool TDBEdit::CanEditByUser() {
  return FBinding.BeginChange(FReadOnly);
}

void TDBEdit::KeyDown(uint16_t& AKey, TShiftState AShift) {
  TCustomEdit::KeyDown(AKey, AShift);
  if (AKey == VK_ESCAPE && FBinding.Link.IsModified()) {
    FBinding.Link.Reset();  // Escape drops the change
    AKey = 0;
  }
}

void TDBEdit::UpdateData() {
  if (db::TField* f = Field()) f->SetText(FText);
}

void TDBEdit::DoEnter() {
  if (!FBinding.Link.IsModified()) DataChange();
  TCustomEdit::DoEnter();
}

void TDBEdit::DoExit() {
  try {
    FBinding.Link.UpdateRecord();
  } catch (...) {
    if (CanFocus()) SetFocus();
    throw;
  }
  if (!FBinding.Link.IsModified()) DataChange();
  TCustomEdit::DoExit();
}

// ---------------------------------------------------------------------------

const TClassInfo& TDBMemo::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TDBMemo", &TCustomMemo::StaticClass(), FactoryOf<TDBMemo>());
    AddDataProperties<TDBMemo>(c);
    return c;
  }();
  return info;
}

TDBMemo::TDBMemo(TComponent* AOwner) : TCustomMemo(AOwner) {
  FBinding.Link.OnDataChange = [this] { DataChange(); };
  FBinding.Link.OnUpdateData = [this] { UpdateData(); };
}

void TDBMemo::DataChange() {
  db::TField* f = Field();
  FBinding.Filling = true;
  try {
    TCustomMemo::SetText(f ? f->AsString() : std::string());
  } catch (...) {
    FBinding.Filling = false;
    throw;
  }
  FBinding.Filling = false;
}

void TDBMemo::Change() {
  if (!FBinding.Filling) {
    std::string wanted = FText;
    FBinding.ChangeMade(FReadOnly, [&] { TCustomMemo::SetText(wanted); });
  }
  TCustomMemo::Change();
}

bool TDBMemo::CanEditByUser() {
  return FBinding.BeginChange(FReadOnly);
}

void TDBMemo::KeyDown(uint16_t& AKey, TShiftState AShift) {
  TCustomMemo::KeyDown(AKey, AShift);
  if (AKey == VK_ESCAPE && FBinding.Link.IsModified()) {
    FBinding.Link.Reset();
    AKey = 0;
  }
}

void TDBMemo::UpdateData() {
  if (db::TField* f = Field()) f->SetAsString(FText);
}

void TDBMemo::DoExit() {
  try {
    FBinding.Link.UpdateRecord();
  } catch (...) {
    if (CanFocus()) SetFocus();
    throw;
  }
  TCustomMemo::DoExit();
}

// ---------------------------------------------------------------------------

namespace {
// The alternatives of a ValueChecked / ValueUnchecked list.
std::vector<std::string> SplitValues(const std::string& AList) {
  std::vector<std::string> out;
  std::string cur;
  for (char ch : AList) {
    if (ch == ';') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += ch;
    }
  }
  out.push_back(cur);
  return out;
}
bool InList(const std::string& AValue, const std::string& AList) {
  for (const auto& v : SplitValues(AList))
    if (SameText(AnsiUpperCase(v), AnsiUpperCase(AValue))) return true;
  return false;
}
}  // namespace

const TClassInfo& TDBCheckBox::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TDBCheckBox", &TCustomCheckBox::StaticClass(), FactoryOf<TDBCheckBox>());
    AddDataProperties<TDBCheckBox>(c);
    c.AddProperty(CORE_PROP(TDBCheckBox, std::string, "ValueChecked", TPropKind::String, "string",
                            ValueChecked, SetValueChecked));
    c.AddProperty(CORE_PROP(TDBCheckBox, std::string, "ValueUnchecked", TPropKind::String, "string",
                            ValueUnchecked, SetValueUnchecked));
    return c;
  }();
  return info;
}

TDBCheckBox::TDBCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {
  FBinding.Link.OnDataChange = [this] { DataChange(); };
  FBinding.Link.OnUpdateData = [this] { UpdateData(); };
}

void TDBCheckBox::SetValueChecked(const std::string& AValue) {
  FValueChecked = AValue;
  DataChange();
}

void TDBCheckBox::SetValueUnchecked(const std::string& AValue) {
  FValueUnchecked = AValue;
  DataChange();
}

void TDBCheckBox::DataChange() {
  db::TField* f = Field();
  TCheckBoxState st = cbUnchecked;
  if (f && !f->IsNull()) {
    if (f->DataType() == db::TFieldType::ftBoolean)
      st = f->AsBoolean() ? cbChecked : cbUnchecked;
    else if (InList(f->Text(), FValueChecked))
      st = cbChecked;
    else if (InList(f->Text(), FValueUnchecked))
      st = cbUnchecked;
    else
      st = FAllowGrayed ? cbGrayed : cbUnchecked;
  } else if (f && FAllowGrayed) {
    st = cbGrayed;
  }
  FBinding.Filling = true;
  try {
    TCustomCheckBox::SetState(st);
  } catch (...) {
    FBinding.Filling = false;
    throw;
  }
  FBinding.Filling = false;
}

void TDBCheckBox::SetState(TCheckBoxState AValue) {
  if (AValue == FState) return;
  if (!FBinding.Filling) {
    if (!FBinding.BeginChange(FReadOnly)) return;  // the field cannot change now
    TCustomCheckBox::SetState(AValue);
    FBinding.Link.Modified();
    return;
  }
  TCustomCheckBox::SetState(AValue);
}

void TDBCheckBox::Toggle() {
  if (!FBinding.BeginChange(FReadOnly)) return;
  TCustomCheckBox::Toggle();
}

void TDBCheckBox::UpdateData() {
  db::TField* f = Field();
  if (!f) return;
  if (FState == cbGrayed) {
    f->Clear();
  } else if (f->DataType() == db::TFieldType::ftBoolean) {
    f->SetAsBoolean(FState == cbChecked);
  } else {
    f->SetText(SplitValues(FState == cbChecked ? FValueChecked : FValueUnchecked).front());
  }
}

void TDBCheckBox::DoExit() {
  FBinding.Link.UpdateRecord();
  TCustomCheckBox::DoExit();
}

// ---------------------------------------------------------------------------

const TClassInfo& TDBComboBox::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TDBComboBox", &TCustomComboBox::StaticClass(), FactoryOf<TDBComboBox>());
    AddDataProperties<TDBComboBox>(c);
    return c;
  }();
  return info;
}

TDBComboBox::TDBComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {
  FBinding.Link.OnDataChange = [this] { DataChange(); };
  FBinding.Link.OnUpdateData = [this] { UpdateData(); };
}

void TDBComboBox::DataChange() {
  db::TField* f = Field();
  std::string text = f ? f->Text() : std::string();
  FBinding.Filling = true;
  try {
    if (FStyle == csDropDownList)
      SetItemIndex(FItems.IndexOf(text));
    else
      TCustomComboBox::SetText(text);
  } catch (...) {
    FBinding.Filling = false;
    throw;
  }
  FBinding.Filling = false;
}

void TDBComboBox::Change() {
  if (!FBinding.Filling) {
    std::string wanted = FText;
    int index = FItemIndex;
    FBinding.ChangeMade(false, [&] {
      if (FStyle == csDropDownList)
        SetItemIndex(index);
      else
        TCustomComboBox::SetText(wanted);
    });
  }
  TCustomComboBox::Change();
}

bool TDBComboBox::CanEditByUser() {
  return FBinding.BeginChange(false);
}

void TDBComboBox::UpdateData() {
  if (db::TField* f = Field()) f->SetText(FText);
}

void TDBComboBox::DoExit() {
  FBinding.Link.UpdateRecord();
  TCustomComboBox::DoExit();
}

// ---------------------------------------------------------------------------

const TClassInfo& TDBLookupComboBox::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TDBLookupComboBox", &TCustomComboBox::StaticClass(),
                 FactoryOf<TDBLookupComboBox>());
    AddDataProperties<TDBLookupComboBox>(c);
    c.AddProperty(MakeProp<TDBLookupComboBox, db::TDataSource*>(
        "ListSource", TPropKind::Component, "TDataSource",
        [](const TDBLookupComboBox& o) { return o.ListSource(); },
        [](TDBLookupComboBox& o, db::TDataSource* v) { o.SetListSource(v); }));
    c.AddProperty(CORE_PROP(TDBLookupComboBox, std::string, "ListField", TPropKind::String,
                            "string", ListField, SetListField));
    c.AddProperty(CORE_PROP(TDBLookupComboBox, std::string, "KeyField", TPropKind::String, "string",
                            KeyField, SetKeyField));
    return c;
  }();
  return info;
}

TDBLookupComboBox::TDBLookupComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {
  FStyle = csDropDownList;
  FBinding.Link.OnDataChange = [this] { DataChange(); };
}

TDBLookupComboBox::~TDBLookupComboBox() {
  FListLink.SetDataSource(nullptr);
}

void TDBLookupComboBox::SetListSource(db::TDataSource* AValue) {
  FListLink.SetDataSource(AValue);
  RefreshList();
}

void TDBLookupComboBox::SetListField(const std::string& AValue) {
  FListField = AValue;
  RefreshList();
}

void TDBLookupComboBox::SetKeyField(const std::string& AValue) {
  FKeyField = AValue;
  RefreshList();
}

std::string TDBLookupComboBox::DisplayFieldName() const {
  size_t semi = FListField.find(';');
  return semi == std::string::npos ? FListField : FListField.substr(0, semi);
}

void TDBLookupComboBox::RefreshList() {
  if (Destroying()) return;
  db::TDataSet* ds = FListLink.DataSet();
  std::vector<db::TValue> keys;
  TStrings items;
  if (ds && ds->Active() && !FKeyField.empty() && !FListField.empty()) {
    db::TField* key = ds->FindField(FKeyField);
    db::TField* shown = ds->FindField(DisplayFieldName());
    if (key && shown) {
      // Read by record number: the list dataset's cursor and state stay as
      // they are (another form may be editing one of its records).
      int count = ds->RecordCount();
      keys.reserve(static_cast<size_t>(count));
      for (int rec = 1; rec <= count; ++rec) {
        keys.push_back(ds->RowValue(rec, *key));
        items.Add(ds->RowDisplayText(rec, *shown));
      }
    }
  }
  FKeys = std::move(keys);
  FBinding.Filling = true;
  FItems.Assign(items);
  FBinding.Filling = false;
  ShowKey(Field() ? Field()->Value() : FKeyValue);
}

void TDBLookupComboBox::ShowKey(const db::TValue& AKey) {
  int index = -1;
  if (!db::IsNullValue(AKey))
    for (size_t i = 0; i < FKeys.size(); ++i)
      if (SameValue(FKeys[i], AKey)) {
        index = static_cast<int>(i);
        break;
      }
  FKeyValue = AKey;
  FBinding.Filling = true;
  SetItemIndex(index);
  FBinding.Filling = false;
}

void TDBLookupComboBox::DataChange() {
  ShowKey(Field() ? Field()->Value() : db::TValue{});
}

db::TValue TDBLookupComboBox::KeyValue() const {
  if (FItemIndex >= 0 && FItemIndex < static_cast<int>(FKeys.size())) return FKeys[FItemIndex];
  return FKeyValue;
}

void TDBLookupComboBox::SetKeyValue(const db::TValue& AValue) {
  ShowKey(AValue);
}

bool TDBLookupComboBox::CanEditByUser() {
  if (FReadOnly) return false;
  if (!FBinding.DataSource()) return true;  // a plain list of keys
  return FBinding.BeginChange(false);
}

void TDBLookupComboBox::SelectByUser(int AIndex) {
  if (AIndex < 0 || AIndex >= static_cast<int>(FKeys.size()))
    throw EToolkitError("Índice de item fora dos limites: " + std::to_string(AIndex));
  if (!CanEditByUser()) {
    Changed(TControlChange::ItemIndex);
    return;
  }
  // The chosen key goes into the field at once.
  if (db::TField* f = Field()) f->SetValue(FKeys[AIndex]);
  FKeyValue = FKeys[AIndex];
  SetItemIndex(AIndex);
  Click();
  Select();
}

// ---------------------------------------------------------------------------

const TClassInfo& TDBImage::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TDBImage", &TCustomControl::StaticClass(), FactoryOf<TDBImage>());
    AddDataProperties<TDBImage>(c);
    c.AddProperty(
        CORE_PROP(TDBImage, bool, "Stretch", TPropKind::Bool, "Boolean", Stretch, SetStretch));
    c.AddProperty(
        CORE_PROP(TDBImage, bool, "Center", TPropKind::Bool, "Boolean", Center, SetCenter));
    c.AddProperty(CORE_PROP(TDBImage, bool, "Proportional", TPropKind::Bool, "Boolean",
                            Proportional, SetProportional));
    c.AddProperty(
        CORE_PROP(TDBImage, bool, "ReadOnly", TPropKind::Bool, "Boolean", ReadOnly, SetReadOnly));
    return c;
  }();
  return info;
}

TDBImage::TDBImage(TComponent* AOwner) : TCustomControl(AOwner) {
  FWidth = 105;
  FHeight = 105;
  FColor = clWindow;
  SetTabStop(true);
  FPicture.OnChange = [this] { PictureChanged(); };
  FBinding.Link.OnDataChange = [this] { DataChange(); };
  FBinding.Link.OnUpdateData = [this] { UpdateData(); };
}

void TDBImage::SetStretch(bool AValue) {
  FStretch = AValue;
  Changed(TControlChange::Picture);
}
void TDBImage::SetCenter(bool AValue) {
  FCenter = AValue;
  Changed(TControlChange::Picture);
}
void TDBImage::SetProportional(bool AValue) {
  FProportional = AValue;
  Changed(TControlChange::Picture);
}

TRect TDBImage::PictureRect() const {
  return PictureDestRect(FPicture.Width(), FPicture.Height(), ClientWidth(), ClientHeight(),
                         FStretch, FCenter, FProportional);
}

void TDBImage::DataChange() {
  db::TField* f = Field();
  FBinding.Filling = true;
  try {
    if (!f || f->IsNull()) {
      FPicture.Clear();
    } else {
      db::TBytes bytes = f->AsBytes();
      std::string data(bytes.begin(), bytes.end());
      try {
        FPicture.LoadFromData(data);
      } catch (const EInvalidGraphic&) {
        // Bytes that are no picture show as an empty image.
        FPicture.Clear();
      }
    }
  } catch (...) {
    FBinding.Filling = false;
    throw;
  }
  FBinding.Filling = false;
  Changed(TControlChange::Picture);
}

void TDBImage::PictureChanged() {
  Changed(TControlChange::Picture);
  if (FBinding.Filling) return;
  TPicture wanted;
  wanted.Assign(FPicture);
  if (!FBinding.ChangeMade(FReadOnly, [&] { FPicture.Assign(wanted); })) {
    DataChange();  // show the stored picture again
    throw EToolkitError("A imagem não pode ser alterada agora");
  }
  Changed(TControlChange::Picture);
}

void TDBImage::UpdateData() {
  db::TField* f = Field();
  if (!f) return;
  if (FPicture.Empty())
    f->Clear();
  else
    f->SetAsBytes(db::TBytes(FPicture.Data().begin(), FPicture.Data().end()));
}

void TDBImage::PasteFromClipboard() {
  if (!Clipboard()->HasFormat(CF_BITMAP)) return;
  Clipboard()->AssignTo(FPicture);
}

void TDBImage::CopyToClipboard() {
  if (FPicture.Empty()) return;
  if (FPicture.Format() == pfPNG) Clipboard()->Assign(FPicture);
}

void TDBImage::CutToClipboard() {
  CopyToClipboard();
  FPicture.Clear();
}

void TDBImage::KeyDown(uint16_t& AKey, TShiftState AShift) {
  TCustomControl::KeyDown(AKey, AShift);
  if (AKey == 0) return;
  bool ctrl = AShift & ssCtrl;
  if ((ctrl && AKey == 'V') || ((AShift & ssShift) && AKey == VK_INSERT)) {
    PasteFromClipboard();
    AKey = 0;
  } else if ((ctrl && AKey == 'C') || (ctrl && AKey == VK_INSERT)) {
    CopyToClipboard();
    AKey = 0;
  } else if ((ctrl && AKey == 'X') || ((AShift & ssShift) && AKey == VK_DELETE)) {
    CutToClipboard();
    AKey = 0;
  } else if (AKey == VK_ESCAPE && FBinding.Link.IsModified()) {
    FBinding.Link.Reset();
    AKey = 0;
  }
}

void TDBImage::DoExit() {
  FBinding.Link.UpdateRecord();
  TCustomControl::DoExit();
}

}  // namespace ui
