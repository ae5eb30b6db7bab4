#include "platform/ui/qt/QtBackend.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <cstring>
#include <map>

#include "platform/ui/Buttons.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

namespace ui::qt {

namespace {

const char* const kModelProp = "tamblo_control";

TControl* ModelOf(const QObject* AObject) {
  if (!AObject) return nullptr;
  QVariant v = AObject->property(kModelProp);
  if (!v.isValid()) return nullptr;
  return reinterpret_cast<TControl*>(v.value<quintptr>());
}

void SetModel(QObject* AObject, TControl* AControl) {
  AObject->setProperty(kModelProp,
                       QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(AControl)));
}

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string S(const QString& q) {
  QByteArray b = q.toUtf8();
  return std::string(b.constData(), static_cast<size_t>(b.size()));
}

QColor ToQColor(TColor c) {
  TColor rgb = ColorToRGB(c);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

bool IsSystemColor(TColor c) {
  return (c & clSystemColor) == clSystemColor;
}

QString FontFamily(const std::string& AName) {
  static std::map<std::string, QString> cache;
  auto it = cache.find(AName);
  if (it != cache.end()) return it->second;
  QString family = Q(AName);
  if (!QFontDatabase::families().contains(family, Qt::CaseInsensitive))
    family = TQtBackend::FallbackFontFamily();
  cache[AName] = family;
  return family;
}

QFont ToQFont(const TFont& f) {
  QFont q(FontFamily(f.Name()));
  q.setPointSize(f.Size() > 0 ? f.Size() : 9);
  q.setBold(f.Style() & fsBold);
  q.setItalic(f.Style() & fsItalic);
  q.setUnderline(f.Style() & fsUnderline);
  q.setStrikeOut(f.Style() & fsStrikeOut);
  return q;
}

QRect ToQRect(const TRect& r) {
  return QRect(r.Left, r.Top, r.Width(), r.Height());
}

// A model call made for a user's input: an exception no handler caught goes
// to the standard exception report, as the toolkit's message loop does.
template <class F>
void Guard(F&& AFunc) {
  try {
    AFunc();
  } catch (...) {
    Application->HandleException(std::current_exception());
  }
}

QPixmap PixmapOf(const TPicture& APicture) {
  QPixmap pm;
  if (!APicture.Empty())
    pm.loadFromData(reinterpret_cast<const uchar*>(APicture.Data().data()),
                    static_cast<uint>(APicture.Data().size()));
  return pm;
}

TShiftState ShiftOf(Qt::KeyboardModifiers m, Qt::MouseButtons b = Qt::NoButton) {
  TShiftState s = 0;
  if (m & Qt::ShiftModifier) s |= ssShift;
  if (m & Qt::ControlModifier) s |= ssCtrl;
  if (m & Qt::AltModifier) s |= ssAlt;
  if (b & Qt::LeftButton) s |= ssLeft;
  if (b & Qt::RightButton) s |= ssRight;
  if (b & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

struct TKeyMap {
  int Qt;
  uint16_t VK;
};
const TKeyMap kKeys[] = {
    {Qt::Key_Backspace, VK_BACK},  {Qt::Key_Tab, VK_TAB},       {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN},   {Qt::Key_Enter, VK_RETURN},  {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},      {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},     {Qt::Key_PageUp, VK_PRIOR},  {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},         {Qt::Key_Home, VK_HOME},     {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},           {Qt::Key_Right, VK_RIGHT},   {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Insert, VK_INSERT},   {Qt::Key_Delete, VK_DELETE},
};

uint16_t VKOf(int AQtKey) {
  for (const auto& k : kKeys)
    if (k.Qt == AQtKey) return k.VK;
  if (AQtKey >= Qt::Key_F1 && AQtKey <= Qt::Key_F12)
    return static_cast<uint16_t>(VK_F1 + (AQtKey - Qt::Key_F1));
  if ((AQtKey >= Qt::Key_0 && AQtKey <= Qt::Key_9) || (AQtKey >= Qt::Key_A && AQtKey <= Qt::Key_Z))
    return static_cast<uint16_t>(AQtKey);
  return 0;
}

int QtKeyOf(uint16_t AVK) {
  for (const auto& k : kKeys)
    if (k.VK == AVK && k.Qt != Qt::Key_Backtab && k.Qt != Qt::Key_Enter) return k.Qt;
  if (AVK >= VK_F1 && AVK <= VK_F12) return Qt::Key_F1 + (AVK - VK_F1);
  if ((AVK >= '0' && AVK <= '9') || (AVK >= 'A' && AVK <= 'Z')) return AVK;
  return 0;
}

QKeySequence KeySequenceOf(TShortCut s) {
  int key = QtKeyOf(static_cast<uint16_t>(s & 0xFF));
  if (!key) return QKeySequence();
  int mods = 0;
  if (s & scShift) mods |= Qt::SHIFT;
  if (s & scCtrl) mods |= Qt::CTRL;
  if (s & scAlt) mods |= Qt::ALT;
  return QKeySequence(key | mods);
}

// Draws '*' (or the edit's own character) for hidden passwords.
class TPasswordStyle : public QProxyStyle {
 public:
  explicit TPasswordStyle(char32_t AChar) : FChar(AChar) {}
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return static_cast<int>(FChar);
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }

 private:
  char32_t FChar;
};

// Canvas drawing on a QPainter.
class TQtPainter : public TCanvasPainter {
 public:
  explicit TQtPainter(QPainter& APainter) : P(APainter) {}
  void FillRect(const TRect& R, const TBrush& B) override {
    if (B.Style == bsClear) return;
    P.fillRect(ToQRect(R), ToQColor(B.Color));
  }
  void FrameRect(const TRect& R, const TPen& Pen) override {
    P.setPen(QPen(ToQColor(Pen.Color), Pen.Width));
    P.setBrush(Qt::NoBrush);
    P.drawRect(QRect(R.Left, R.Top, R.Width() - 1, R.Height() - 1));
  }
  void TextOut(int X, int Y, const std::string& AText, const TFont& AFont,
               const TBrush& ABrush) override {
    QFont f = ToQFont(AFont);
    P.setFont(f);
    QFontMetrics fm(f);
    QRect r(X, Y, fm.horizontalAdvance(Q(AText)) + 1, fm.height());
    if (ABrush.Style != bsClear) P.fillRect(r, ToQColor(ABrush.Color));
    P.setPen(ToQColor(AFont.Color()));
    P.drawText(r, Qt::AlignLeft | Qt::AlignTop, Q(AText));
  }
  void DrawPicture(const TRect& R, const TPicture& APicture) override {
    QPixmap pm = PixmapOf(APicture);
    if (!pm.isNull()) P.drawPixmap(ToQRect(R), pm);
  }
  void DrawFocusRect(const TRect& R) override {
    P.setPen(QPen(Qt::black, 1, Qt::DotLine));
    P.setBrush(Qt::NoBrush);
    P.drawRect(QRect(R.Left, R.Top, R.Width() - 1, R.Height() - 1));
  }
  void DrawCloseButton(const TRect& R, bool APushed) override {
    QRect r(R.Left, R.Top, R.Width() - 1, R.Height() - 1);
    P.setPen(QColor(APushed ? 90 : 140, APushed ? 90 : 140, APushed ? 90 : 140));
    P.setBrush(APushed ? QColor(200, 200, 200) : QColor(235, 235, 235));
    P.drawRect(r);
    P.setPen(QPen(QColor(60, 60, 60), 1.5));
    int m = 3;
    P.drawLine(r.left() + m, r.top() + m, r.right() - m, r.bottom() - m);
    P.drawLine(r.right() - m, r.top() + m, r.left() + m, r.bottom() - m);
  }
  TSize TextExtent(const std::string& AText, const TFont& AFont) override {
    QFontMetrics fm(ToQFont(AFont));
    return TSize{fm.horizontalAdvance(Q(AText)), fm.height()};
  }

 private:
  QPainter& P;
};

// Sets a canvas's painter for the length of a paint.
class TPaintScope {
 public:
  TPaintScope(TCanvas& ACanvas, QPainter& APainter) : C(ACanvas), Painter(APainter) {
    C.SetPainter(&Painter);
  }
  ~TPaintScope() { C.SetPainter(nullptr); }

 private:
  TCanvas& C;
  TQtPainter Painter;
};

TCanvas* CanvasOf(TControl* c) {
  if (auto* g = dynamic_cast<TGraphicControl*>(c)) return g->Canvas();
  if (auto* w = dynamic_cast<TCustomControl*>(c)) return w->Canvas();
  return nullptr;
}

void PaintModel(QWidget* w, TControl* c) {
  if (!c) return;
  TCanvas* canvas = CanvasOf(c);
  if (!canvas) return;
  QPainter p(w);
  TPaintScope scope(*canvas, p);
  Guard([&] {
    if (auto* g = dynamic_cast<TGraphicControl*>(c)) g->Paint();
    if (auto* cc = dynamic_cast<TCustomControl*>(c)) cc->Paint();
  });
}

// ---------------------------------------------------------------------------
// Widgets for model classes that need their own painting or events.

// A form: a window (or, when the form sits inside another control, a child
// widget) holding an optional menu bar and the client area.
class TFormWidget : public QWidget {
 public:
  explicit TFormWidget(QWidget* AParent) : QWidget(AParent), Client(new QWidget(this)) {}
  QWidget* Client;
  QMenuBar* MenuBar = nullptr;
  bool Syncing = false;

  int MenuHeight() const {
    return MenuBar && MenuBar->isVisible() ? MenuBar->sizeHint().height() : 0;
  }
  void LayoutClient() {
    int mh = MenuHeight();
    if (MenuBar) MenuBar->setGeometry(0, 0, width(), mh);
    Client->setGeometry(0, mh, width(), height() - mh);
  }

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QWidget::resizeEvent(e);
    LayoutClient();
    auto* form = dynamic_cast<TCustomForm*>(ModelOf(this));
    if (!form || Syncing || !isWindow()) return;
    Guard([&] { form->SetBounds(form->Left(), form->Top(), width(), height() - MenuHeight()); });
  }
  void moveEvent(QMoveEvent* e) override {
    QWidget::moveEvent(e);
    auto* form = dynamic_cast<TCustomForm*>(ModelOf(this));
    if (!form || Syncing || !isWindow()) return;
    Guard([&] { form->SetBounds(x(), y(), form->Width(), form->Height()); });
  }
  void closeEvent(QCloseEvent* e) override {
    auto* form = dynamic_cast<TCustomForm*>(ModelOf(this));
    e->ignore();  // the model decides; it hides the window when it closes
    if (form) Guard([&] { form->Close(); });
  }
  void changeEvent(QEvent* e) override {
    QWidget::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange || Syncing) return;
    auto* form = dynamic_cast<TCustomForm*>(ModelOf(this));
    if (!form) return;
    TWindowState ws = isMaximized() ? wsMaximized : isMinimized() ? wsMinimized : wsNormal;
    Syncing = true;
    Guard([&] { form->SetWindowState(ws); });
    Syncing = false;
  }
  void paintEvent(QPaintEvent*) override {}
};

// Any other control: paints through the model's canvas when it has one.
class TPaintWidget : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override { PaintModel(this, ModelOf(this)); }
};

// Shows a window maximised. It takes the screen's free area first: without
// a window manager nobody else would size it.
void MaximizeOnScreen(QWidget* AWindow) {
  if (QScreen* screen = AWindow->screen() ? AWindow->screen() : QGuiApplication::primaryScreen())
    AWindow->setGeometry(screen->availableGeometry());
  AWindow->showMaximized();
}

// A label. With an end ellipsis, text wider than the label is cut with "…"
// and the whole text becomes the tooltip (unless the label has a hint).
class TLabelWidget : public QLabel {
 public:
  using QLabel::QLabel;
  void SetLabelText(const QString& AText, bool AElide, const QString& AHint) {
    FText = AText;
    FElide = AElide;
    FHint = AHint;
    Fit();
  }
  // The text as it shows now (elided or whole).
  bool Elided() const { return text() != FText; }

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QLabel::resizeEvent(e);
    Fit();
  }
  void changeEvent(QEvent* e) override {
    QLabel::changeEvent(e);
    if (e->type() == QEvent::FontChange) Fit();
  }

 private:
  void Fit() {
    QString shown = FText;
    if (FElide && !wordWrap()) {
      int room = contentsRect().width() - 2 * margin() - 2 * indent();
      shown = fontMetrics().elidedText(FText, Qt::ElideRight, std::max(0, room));
    }
    if (text() != shown) setText(shown);
    setToolTip(!FHint.isEmpty() ? FHint : shown != FText ? FText : QString());
  }
  QString FText;
  QString FHint;
  bool FElide = false;
};

class TPanelWidget : public QFrame {
 public:
  using QFrame::QFrame;

 protected:
  void paintEvent(QPaintEvent* e) override {
    QFrame::paintEvent(e);
    auto* pnl = dynamic_cast<TCustomPanel*>(ModelOf(this));
    if (!pnl) return;
    if (pnl->ShowCaption() && !pnl->Caption().empty()) {
      QPainter p(this);
      p.setFont(ToQFont(pnl->Font()));
      p.setPen(ToQColor(pnl->Font().Color()));
      int flags = Qt::AlignVCenter | (pnl->Alignment() == taLeftJustify    ? Qt::AlignLeft
                                      : pnl->Alignment() == taRightJustify ? Qt::AlignRight
                                                                           : Qt::AlignHCenter);
      p.drawText(rect().adjusted(2, 0, -2, 0), flags, Q(pnl->Caption()));
    }
    PaintModel(this, pnl);
  }
};

class TImageWidget : public QWidget {
 public:
  using QWidget::QWidget;
  void PictureChanged() {
    FKey.clear();
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    TControl* c = ModelOf(this);
    auto* view = dynamic_cast<TPictureView*>(c);
    if (!view) return;
    if (dynamic_cast<TWinControl*>(c)) {
      // A data-aware picture is a framed box in the window colour.
      QPainter frame(this);
      frame.fillRect(rect(), ToQColor(c->Color()));
      frame.setPen(QColor(130, 135, 144));
      frame.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    const TPicture& pic = view->ShownPicture();
    if (pic.Empty()) return;
    if (FKey != pic.Data()) {
      FKey = pic.Data();
      FPixmap = PixmapOf(pic);
    }
    if (FPixmap.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(ToQRect(view->PictureRect()), FPixmap);
  }

 private:
  std::string FKey;
  QPixmap FPixmap;
};

// A tab strip with its pages as child widgets. The tabs are drawn here from
// the model's geometry; owner-drawn strips draw through the model.
class TTabStripWidget : public QWidget {
 public:
  explicit TTabStripWidget(QWidget* AParent) : QWidget(AParent) { setMouseTracking(true); }

 protected:
  void paintEvent(QPaintEvent*) override {
    auto* tc = dynamic_cast<TCustomTabControl*>(ModelOf(this));
    if (!tc) return;
    QPainter p(this);
    TRect d = tc->DisplayRect();
    p.setPen(QColor(180, 180, 180));
    p.setBrush(QColor(255, 255, 255));
    if (tc->TabCount() > 0) p.drawRect(QRect(d.Left - 2, d.Top - 2, d.Width() + 3, d.Height() + 3));
    if (tc->OwnerDraw()) {
      TPaintScope scope(*tc->Canvas(), p);
      tc->Canvas()->Font.Assign(tc->Font());
      Guard([&] { tc->PaintTabs(); });
      return;
    }
    std::vector<std::string> caps = tc->TabCaptions();
    int active = tc->TabIndex();
    p.setFont(ToQFont(tc->Font()));
    for (int i = 0; i < static_cast<int>(caps.size()); ++i) {
      QRect r = ToQRect(tc->TabRect(i));
      if (i == active) r.adjust(-2, -2, 2, 1);
      p.setPen(QColor(180, 180, 180));
      p.setBrush(i == active ? QColor(255, 255, 255) : QColor(235, 235, 235));
      p.drawRect(r.adjusted(0, 0, -1, 0));
      p.setPen(ToQColor(tc->Font().Color()));
      p.drawText(r.adjusted(6, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, Q(caps[i]));
    }
  }
};

// The rows of a data grid, read from the model as the view needs them (a
// request list may hold a hundred thousand rows).
class TGridItemModel : public QAbstractTableModel {
 public:
  explicit TGridItemModel(QTableView* AView) : QAbstractTableModel(AView), FView(AView) {}

  TDBGrid* Grid() const { return FView ? dynamic_cast<TDBGrid*>(ModelOf(FView)) : nullptr; }

  // Takes the grid's columns and rows again.
  void Reload() {
    beginResetModel();
    FTitles.clear();
    FAlign.clear();
    FEditable.clear();
    FRows = 0;
    if (TDBGrid* g = Grid()) {
      std::vector<TColumn*> cols = g->VisibleColumns();
      for (size_t i = 0; i < cols.size(); ++i) {
        db::TField* f = cols[i]->Field();
        std::string title = cols[i]->Title().Caption;
        if (title.empty()) title = f ? f->GetDisplayLabel() : cols[i]->FieldName();
        FTitles << Q(title);
        FAlign.push_back(cols[i]->Alignment() == taRightJustify ? Qt::AlignRight
                         : cols[i]->Alignment() == taCenter     ? Qt::AlignHCenter
                                                                : Qt::AlignLeft);
        FEditable.push_back(g->CanEditCell(static_cast<int>(i)));
      }
      FRows = g->RowCount();
    }
    endResetModel();
  }
  void RowsChanged() {
    if (FRows != (Grid() ? Grid()->RowCount() : 0)) {
      Reload();
      return;
    }
    if (FRows > 0 && !FTitles.isEmpty())
      emit dataChanged(index(0, 0), index(FRows - 1, static_cast<int>(FTitles.size()) - 1));
    emit headerDataChanged(Qt::Vertical, 0, std::max(0, FRows - 1));
  }

  int rowCount(const QModelIndex& AParent) const override { return AParent.isValid() ? 0 : FRows; }
  int columnCount(const QModelIndex& AParent) const override {
    return AParent.isValid() ? 0 : static_cast<int>(FTitles.size());
  }
  QVariant data(const QModelIndex& AIndex, int ARole) const override {
    TDBGrid* g = Grid();
    if (!g || !AIndex.isValid()) return {};
    if (ARole == Qt::DisplayRole || ARole == Qt::EditRole)
      return Q(g->CellText(AIndex.row(), AIndex.column()));
    if (ARole == Qt::TextAlignmentRole && AIndex.column() < static_cast<int>(FAlign.size()))
      return static_cast<int>(FAlign[AIndex.column()] | Qt::AlignVCenter);
    return {};
  }
  QVariant headerData(int ASection, Qt::Orientation AOrientation, int ARole) const override {
    if (ARole != Qt::DisplayRole) return {};
    if (AOrientation == Qt::Horizontal)
      return ASection < FTitles.size() ? FTitles[ASection] : QVariant();
    // The indicator column marks the current record.
    TDBGrid* g = Grid();
    return g && g->Row() == ASection ? QString::fromUtf8("\u25B6") : QString();
  }
  Qt::ItemFlags flags(const QModelIndex& AIndex) const override {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (AIndex.column() < static_cast<int>(FEditable.size()) && FEditable[AIndex.column()])
      f |= Qt::ItemIsEditable;
    return f;
  }
  bool setData(const QModelIndex& AIndex, const QVariant& AValue, int ARole) override {
    TDBGrid* g = Grid();
    if (!g || ARole != Qt::EditRole) return false;
    std::string text = S(AValue.toString());
    if (text == g->CellText(AIndex.row(), AIndex.column())) return false;
    Guard([&] { g->EditCellByUser(AIndex.row(), AIndex.column(), text); });
    return true;
  }

 private:
  QPointer<QTableView> FView;
  QStringList FTitles;
  std::vector<Qt::Alignment> FAlign;
  std::vector<bool> FEditable;
  int FRows = 0;
};

}  // namespace

// ---------------------------------------------------------------------------

class TQtBackendPrivate : public QObject {
 public:
  TQtBackendPrivate();
  ~TQtBackendPrivate() override;
  bool eventFilter(QObject* AWatched, QEvent* AEvent) override;

  QWidget* Realize(TControl& AControl, QWidget* AParentWidget);
  QWidget* CreateWidget(TControl& AControl, QWidget* AParentWidget);
  void RebuildMenuBar(TCustomForm& AForm);
  void FillMenu(QMenu* AMenu, TMenuItem* AItem, std::map<QAction*, TMenuItem*>* AMap);

  QTimer Ticker;
  bool Replaying = false;
};

namespace {

// Where the children of a control's widget go (the client area of a form).
QWidget* ContainerOf(QWidget* w) {
  if (auto* f = dynamic_cast<TFormWidget*>(w)) return f->Client;
  return w;
}

}  // namespace

// The peer of one control: keeps its widget in step with the model.
class TQtPeer : public TControlPeer {
 public:
  TQtPeer(TQtBackendPrivate* ABackend, TControl* AControl, QWidget* AWidget)
      : FBackend(ABackend), FControl(AControl), FWidget(AWidget) {}
  ~TQtPeer() override {
    if (!FWidget) return;
    SetModel(FWidget, nullptr);
    if (auto* f = dynamic_cast<TFormWidget*>(FWidget.data())) SetModel(f->Client, nullptr);
    FWidget->hide();
    // Later: the widget may be the one whose signal is running now.
    FWidget->deleteLater();
  }

  void Changed(TControlChange AWhat) override {
    if (!FWidget) return;
    bool old = Syncing;
    Syncing = true;
    try {
      Sync(AWhat);
    } catch (...) {
      Syncing = old;
      throw;
    }
    Syncing = old;
  }

  void SetFocus() override {
    if (!FWidget) return;
    QWidget* w = FWidget;
    if (auto* c = dynamic_cast<QComboBox*>(w); c && c->lineEdit()) w = c->lineEdit();
    if (w->window()->isVisible()) {
      w->window()->activateWindow();
      w->setFocus(Qt::OtherFocusReason);
    }
  }

  QWidget* Widget() const { return FWidget; }
  bool Syncing = false;

  void SyncAll() {
    for (TControlChange c :
         {TControlChange::Font, TControlChange::Color, TControlChange::Style, TControlChange::Text,
          TControlChange::Items, TControlChange::ItemIndex, TControlChange::Checked,
          TControlChange::ReadOnly, TControlChange::Enabled, TControlChange::Hint,
          TControlChange::Picture, TControlChange::TabOrder, TControlChange::Bounds,
          TControlChange::Visible})
      Changed(c);
  }

 private:
  void Sync(TControlChange AWhat);
  void SyncGrid(TDBGrid& AGrid, QTableView* ATable);
  void SyncBounds();
  void SyncText();
  void SyncStyle();
  void SyncColor();

  TQtBackendPrivate* FBackend;
  TControl* FControl;
  QPointer<QWidget> FWidget;
};

namespace {
TQtPeer* PeerOf(const QObject* o) {
  TControl* c = ModelOf(o);
  return c ? dynamic_cast<TQtPeer*>(c->Peer()) : nullptr;
}
bool IsSyncing(const QObject* o) {
  TQtPeer* p = PeerOf(o);
  return !p || p->Syncing;
}
}  // namespace

void TQtPeer::SyncGrid(TDBGrid& g, QTableView* tv) {
  auto* model = static_cast<TGridItemModel*>(tv->model());
  bool reload = model->columnCount({}) != static_cast<int>(g.VisibleColumns().size());
  if (reload) {
    model->Reload();
  } else {
    model->RowsChanged();
  }
  std::vector<TColumn*> cols = g.VisibleColumns();
  for (size_t i = 0; i < cols.size(); ++i)
    tv->setColumnWidth(static_cast<int>(i), cols[i]->Width());
  tv->horizontalHeader()->setVisible(g.Options() & dgTitles);
  tv->verticalHeader()->setVisible(g.Options() & dgIndicator);
  tv->setEditTriggers((g.Options() & dgEditing) && !g.ReadOnly()
                          ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::AnyKeyPressed
                          : QAbstractItemView::NoEditTriggers);
  Sync(TControlChange::ItemIndex);
}

void TQtPeer::SyncBounds() {
  TControl* c = FControl;
  if (auto* fw = dynamic_cast<TFormWidget*>(FWidget.data())) {
    fw->Syncing = true;
    if (fw->isWindow()) {
      if (!fw->isMaximized() && !fw->isMinimized()) {
        fw->move(c->Left(), c->Top());
        fw->resize(c->Width(), c->Height() + fw->MenuHeight());
      }
    } else {
      fw->setGeometry(c->Left(), c->Top(), c->Width(), c->Height());
    }
    fw->LayoutClient();
    fw->Syncing = false;
    return;
  }
  FWidget->setGeometry(c->Left(), c->Top(), c->Width(), c->Height());
}

void TQtPeer::SyncColor() {
  TControl* c = FControl;
  QWidget* w = FWidget;
  if (auto* f = dynamic_cast<TFormWidget*>(w)) w = f->Client;
  QPalette pal = w->palette();
  QColor color = ToQColor(c->Color());
  if (dynamic_cast<TCustomEdit*>(c) || dynamic_cast<TCustomComboBox*>(c) ||
      dynamic_cast<TDateTimePicker*>(c) || dynamic_cast<TDBGrid*>(c)) {
    // Text boxes: their own colour unless it is the usual window colour
    // (a grey read-only field shows grey).
    if (c->Color() != clWindow) pal.setColor(QPalette::Base, color);
  } else if (auto* l = dynamic_cast<TCustomLabel*>(c)) {
    bool custom = !IsSystemColor(c->Color());
    w->setAutoFillBackground(!l->Transparent() && custom);
    if (custom) pal.setColor(QPalette::Window, color);
  } else if (auto* p = dynamic_cast<TCustomPanel*>(c)) {
    w->setAutoFillBackground(!p->ParentBackground() || !IsSystemColor(c->Color()));
    pal.setColor(QPalette::Window, color);
  } else if (dynamic_cast<TCustomForm*>(c) || dynamic_cast<TTabSheet*>(c)) {
    w->setAutoFillBackground(true);
    pal.setColor(QPalette::Window, color);
  } else if (dynamic_cast<TWinControl*>(c) && !IsSystemColor(c->Color())) {
    w->setAutoFillBackground(true);
    pal.setColor(QPalette::Window, color);
    pal.setColor(QPalette::Button, color);
  }
  if (c->Font().Color() != clWindowText) {
    QColor fc = ToQColor(c->Font().Color());
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
      pal.setColor(g, QPalette::WindowText, fc);
      pal.setColor(g, QPalette::Text, fc);
      pal.setColor(g, QPalette::ButtonText, fc);
    }
  }
  // Disabled text stays readable on coloured backgrounds, as the toolkit's grey text is.
  QColor gray = ToQColor(clGrayText);
  pal.setColor(QPalette::Disabled, QPalette::WindowText, gray);
  pal.setColor(QPalette::Disabled, QPalette::Text, gray);
  pal.setColor(QPalette::Disabled, QPalette::ButtonText, gray);
  w->setPalette(pal);
}

void TQtPeer::SyncText() {
  TControl* c = FControl;
  QWidget* w = FWidget;
  if (auto* form = dynamic_cast<TCustomForm*>(c)) {
    w->setWindowTitle(Q(form->Caption()));
  } else if (auto* memo = dynamic_cast<TCustomMemo*>(c)) {
    auto* pe = static_cast<QPlainTextEdit*>(w);
    if (S(pe->toPlainText()) != memo->Text()) pe->setPlainText(Q(memo->Text()));
  } else if (auto* edit = dynamic_cast<TCustomEdit*>(c)) {
    auto* le = static_cast<QLineEdit*>(w);
    if (S(le->text()) != edit->Text()) {
      int pos = le->cursorPosition();
      le->setText(Q(edit->Text()));
      le->setCursorPosition(std::min(pos, static_cast<int>(le->text().size())));
    }
  } else if (auto* combo = dynamic_cast<TCustomComboBox*>(c)) {
    auto* cb = static_cast<QComboBox*>(w);
    if (cb->isEditable() && S(cb->currentText()) != combo->Text())
      cb->setEditText(Q(combo->Text()));
  } else if (auto* lbl = dynamic_cast<TCustomLabel*>(c)) {
    static_cast<TLabelWidget*>(w)->SetLabelText(
        Q(lbl->Caption()), lbl->EllipsisPosition() == epEndEllipsis, Q(lbl->Hint()));
  } else if (dynamic_cast<TButton*>(c) || dynamic_cast<TSpeedButton*>(c)) {
    static_cast<QPushButton*>(w)->setText(Q(c->Caption()));
  } else if (dynamic_cast<TCustomCheckBox*>(c) || dynamic_cast<TRadioButton*>(c)) {
    static_cast<QAbstractButton*>(w)->setText(Q(c->Caption()));
  } else if (dynamic_cast<TCustomGroupBox*>(c)) {
    static_cast<QGroupBox*>(w)->setTitle(Q(c->Caption()));
  } else if (auto* dtp = dynamic_cast<TDateTimePicker*>(c)) {
    auto* de = static_cast<QDateTimeEdit*>(w);
    int y, m, d, hh, nn, ss, ms;
    db::DecodeDateTime(dtp->DateTime(), y, m, d, hh, nn, ss, ms);
    QDateTime v(QDate(y, m, d), QTime(hh, nn, ss));
    if (de->dateTime() != v) de->setDateTime(v);
  } else {
    w->update();
  }
}

void TQtPeer::SyncStyle() {
  TControl* c = FControl;
  QWidget* w = FWidget;
  if (auto* form = dynamic_cast<TCustomForm*>(c)) {
    auto* fw = static_cast<TFormWidget*>(w);
    if (fw->isWindow()) {
      Qt::WindowFlags flags = Qt::Window;
      switch (form->BorderStyle()) {
        case bsNone:
          flags |= Qt::FramelessWindowHint;
          break;
        case bsDialog:
        case bsToolWindow:
          flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  Qt::WindowCloseButtonHint;
          break;
        default:
          break;
      }
      bool visible = fw->isVisible();
      if (fw->windowFlags() != flags) {
        fw->setWindowFlags(flags);
        if (visible) fw->show();
      }
      if (visible) {
        fw->Syncing = true;
        switch (form->WindowState()) {
          case wsMaximized:
            if (!fw->isMaximized()) MaximizeOnScreen(fw);
            break;
          case wsMinimized:
            if (!fw->isMinimized()) fw->showMinimized();
            break;
          case wsNormal:
            if (fw->isMaximized() || fw->isMinimized()) fw->showNormal();
            break;
        }
        fw->Syncing = false;
      }
    }
  } else if (auto* edit = dynamic_cast<TCustomEdit*>(c); edit && !dynamic_cast<TCustomMemo*>(c)) {
    auto* le = static_cast<QLineEdit*>(w);
    if (edit->PasswordChar()) {
      le->setEchoMode(QLineEdit::Password);
      auto* style = new TPasswordStyle(edit->PasswordChar());
      style->setParent(le);
      le->setStyle(style);
    } else {
      le->setEchoMode(QLineEdit::Normal);
    }
    le->setPlaceholderText(Q(edit->TextHint()));
    le->setMaxLength(edit->MaxLength() > 0 ? edit->MaxLength() : 32767);
  } else if (auto* memo = dynamic_cast<TCustomMemo*>(c)) {
    auto* pe = static_cast<QPlainTextEdit*>(w);
    pe->setLineWrapMode(memo->WordWrap() ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    bool v = memo->ScrollBars() == ssVertical || memo->ScrollBars() == ssBoth;
    bool h = memo->ScrollBars() == ssHorizontal || memo->ScrollBars() == ssBoth;
    pe->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    pe->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
  } else if (auto* lbl = dynamic_cast<TCustomLabel*>(c)) {
    auto* ql = static_cast<QLabel*>(w);
    ql->setWordWrap(lbl->WordWrap());
    Qt::Alignment a = lbl->Alignment() == taLeftJustify    ? Qt::AlignLeft
                      : lbl->Alignment() == taRightJustify ? Qt::AlignRight
                                                           : Qt::AlignHCenter;
    a |= lbl->Layout() == tlTop      ? Qt::AlignTop
         : lbl->Layout() == tlBottom ? Qt::AlignBottom
                                     : Qt::AlignVCenter;
    ql->setAlignment(a);
    SyncText();  // the ellipsis setting
  } else if (auto* btn = dynamic_cast<TButton*>(c)) {
    static_cast<QPushButton*>(w)->setDefault(btn->Default());
  } else if (auto* sb = dynamic_cast<TSpeedButton*>(c)) {
    auto* pb = static_cast<QPushButton*>(w);
    pb->setFlat(sb->Flat());
    pb->setCheckable(sb->GroupIndex() != 0);
    pb->setChecked(sb->Down());
    QString css;
    if (sb->Margin() >= 0) css = QString("text-align: left; padding-left: %1px;").arg(sb->Margin());
    pb->setStyleSheet(css.isEmpty() ? QString() : "QPushButton { " + css + " }");
  } else if (auto* combo = dynamic_cast<TCustomComboBox*>(c)) {
    auto* cb = static_cast<QComboBox*>(w);
    cb->setEditable(combo->Style() != csDropDownList);
    cb->setMaxVisibleItems(std::max(1, combo->DropDownCount()));
    // An editable combo box types into an inner line edit.
    if (QLineEdit* le = cb->lineEdit(); le && !le->property("tamblo_hooked").toBool()) {
      le->setProperty("tamblo_hooked", true);
      QObject::connect(le, &QLineEdit::textEdited, cb, [cb](const QString& text) {
        auto* model = dynamic_cast<TCustomComboBox*>(ModelOf(cb));
        if (!model || IsSyncing(cb)) return;
        Guard([&] { model->SetTextByUser(S(text)); });
      });
    }
  } else if (auto* pnl = dynamic_cast<TCustomPanel*>(c)) {
    auto* fr = static_cast<QFrame*>(w);
    if (pnl->BevelOuter() == bvNone && pnl->BevelInner() == bvNone) {
      fr->setFrameStyle(QFrame::NoFrame);
    } else {
      fr->setFrameShape(QFrame::Panel);
      fr->setFrameShadow(pnl->BevelOuter() == bvLowered ? QFrame::Sunken : QFrame::Raised);
      fr->setLineWidth(pnl->BevelWidth());
    }
    fr->update();
  } else if (auto* dtp = dynamic_cast<TDateTimePicker*>(c)) {
    static_cast<QDateTimeEdit*>(w)->setDisplayFormat(dtp->Kind() == dtkDate ? "dd/MM/yyyy"
                                                                            : "HH:mm:ss");
  } else {
    w->update();
  }
}

void TQtPeer::Sync(TControlChange AWhat) {
  TControl* c = FControl;
  QWidget* w = FWidget;
  switch (AWhat) {
    case TControlChange::Bounds:
      SyncBounds();
      break;
    case TControlChange::Visible:
      if (!dynamic_cast<TCustomForm*>(c) || !w->isWindow()) w->setVisible(c->Visible());
      break;
    case TControlChange::Enabled:
      w->setEnabled(c->Enabled());
      break;
    case TControlChange::Text:
      SyncText();
      break;
    case TControlChange::Font:
      w->setFont(ToQFont(c->Font()));
      SyncColor();
      break;
    case TControlChange::Color:
      SyncColor();
      break;
    case TControlChange::Hint:
      if (dynamic_cast<TCustomLabel*>(c))
        SyncText();  // the tooltip may also show an elided text
      else
        w->setToolTip(Q(c->Hint()));
      break;
    case TControlChange::TabOrder:
      if (auto* wc = dynamic_cast<TWinControl*>(c))
        w->setFocusPolicy(wc->TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
      break;
    case TControlChange::ReadOnly:
      if (auto* grid = dynamic_cast<TDBGrid*>(c)) {
        static_cast<TGridItemModel*>(static_cast<QTableView*>(w)->model())->Reload();
        SyncGrid(*grid, static_cast<QTableView*>(w));
      }
      if (auto* memo = dynamic_cast<TCustomMemo*>(c))
        static_cast<QPlainTextEdit*>(w)->setReadOnly(memo->ReadOnly());
      else if (auto* e = dynamic_cast<TCustomEdit*>(c))
        static_cast<QLineEdit*>(w)->setReadOnly(e->ReadOnly());
      break;
    case TControlChange::Items:
      if (auto* combo = dynamic_cast<TCustomComboBox*>(c)) {
        auto* cb = static_cast<QComboBox*>(w);
        QStringList items;
        for (const auto& l : combo->Items().Lines()) items << Q(l);
        QStringList current;
        for (int i = 0; i < cb->count(); ++i) current << cb->itemText(i);
        if (items != current) {
          cb->clear();
          cb->addItems(items);
        }
        Sync(TControlChange::ItemIndex);
      } else if (auto* form = dynamic_cast<TCustomForm*>(c)) {
        FBackend->RebuildMenuBar(*form);
      } else if (auto* grid = dynamic_cast<TDBGrid*>(c)) {
        SyncGrid(*grid, static_cast<QTableView*>(w));
      } else {
        w->update();
      }
      break;
    case TControlChange::ItemIndex:
      if (auto* combo = dynamic_cast<TCustomComboBox*>(c)) {
        auto* cb = static_cast<QComboBox*>(w);
        if (cb->currentIndex() != combo->ItemIndex()) cb->setCurrentIndex(combo->ItemIndex());
        SyncText();
      } else if (auto* grid = dynamic_cast<TDBGrid*>(c)) {
        auto* tv = static_cast<QTableView*>(w);
        QAbstractItemModel* m = tv->model();
        if (grid->Row() >= 0 && grid->Row() < m->rowCount()) {
          int col = std::clamp(grid->SelectedIndex(), 0, std::max(0, m->columnCount() - 1));
          QModelIndex at = m->index(grid->Row(), col);
          if (tv->currentIndex().row() != grid->Row()) tv->setCurrentIndex(at);
          tv->selectRow(grid->Row());
          tv->scrollTo(at);
        } else {
          tv->clearSelection();
        }
        static_cast<TGridItemModel*>(m)->RowsChanged();
      }
      break;
    case TControlChange::Checked:
      if (auto* cb = dynamic_cast<TCustomCheckBox*>(c)) {
        auto* q = static_cast<QCheckBox*>(w);
        q->setTristate(cb->AllowGrayed());
        q->setCheckState(cb->State() == cbChecked  ? Qt::Checked
                         : cb->State() == cbGrayed ? Qt::PartiallyChecked
                                                   : Qt::Unchecked);
      } else if (auto* rb = dynamic_cast<TRadioButton*>(c)) {
        static_cast<QRadioButton*>(w)->setChecked(rb->Checked());
      } else if (auto* sb = dynamic_cast<TSpeedButton*>(c)) {
        static_cast<QPushButton*>(w)->setChecked(sb->Down());
      }
      break;
    case TControlChange::Picture:
      if (auto* iw = dynamic_cast<TImageWidget*>(w)) iw->PictureChanged();
      if (auto* sb = dynamic_cast<TSpeedButton*>(c)) {
        QPixmap pm = PixmapOf(sb->Glyph());
        static_cast<QPushButton*>(w)->setIcon(pm.isNull() ? QIcon() : QIcon(pm));
        if (!pm.isNull()) static_cast<QPushButton*>(w)->setIconSize(pm.size());
      }
      break;
    case TControlChange::Style:
      SyncStyle();
      break;
    case TControlChange::ActivePage:
    case TControlChange::Repaint:
    case TControlChange::Focus:
      w->update();
      break;
    case TControlChange::ZOrder:
      if (auto* parent = c->Parent())
        for (int i = 0; i < parent->ControlCount(); ++i)
          if (QWidget* cw = WidgetOf(parent->Controls(i))) cw->raise();
      break;
  }
}

// ---------------------------------------------------------------------------

TQtBackendPrivate::TQtBackendPrivate() {
  qApp->installEventFilter(this);
  // Runs the calls the model queued (Release, PostMessage) even when no
  // native event arrives.
  Ticker.setInterval(20);
  QObject::connect(&Ticker, &QTimer::timeout, [] { Application->RunQueuedCalls(); });
  Ticker.start();
  QApplication::setFont(QFont(FontFamily("Segoe UI"), 9));
  SetTextMeasure([](const std::string& AText, const TFont& AFont) {
    QFontMetrics fm(ToQFont(AFont));
    return TSize{fm.horizontalAdvance(Q(AText)), fm.height()};
  });
}

TQtBackendPrivate::~TQtBackendPrivate() {
  SetTextMeasure(nullptr);
  Ticker.stop();
  if (qApp) qApp->removeEventFilter(this);
}

QWidget* TQtBackendPrivate::CreateWidget(TControl& c, QWidget* parent) {
  QWidget* w = nullptr;
  if (dynamic_cast<TCustomForm*>(&c)) {
    auto* fw = new TFormWidget(parent);
    SetModel(fw->Client, &c);
    w = fw;
  } else if (dynamic_cast<TCustomMemo*>(&c)) {
    auto* pe = new QPlainTextEdit(parent);
    QObject::connect(pe, &QPlainTextEdit::textChanged, pe, [pe] {
      auto* memo = dynamic_cast<TCustomMemo*>(ModelOf(pe));
      if (!memo || IsSyncing(pe)) return;
      std::string t = S(pe->toPlainText());
      if (t != memo->Text()) Guard([&] { memo->SetTextByUser(t); });
    });
    w = pe;
  } else if (dynamic_cast<TCustomEdit*>(&c)) {
    auto* le = new QLineEdit(parent);
    QObject::connect(le, &QLineEdit::textEdited, le, [le](const QString& text) {
      auto* edit = dynamic_cast<TCustomEdit*>(ModelOf(le));
      if (!edit || IsSyncing(le)) return;
      Guard([&] { edit->SetTextByUser(S(text)); });
    });
    w = le;
  } else if (dynamic_cast<TButton*>(&c) || dynamic_cast<TSpeedButton*>(&c)) {
    auto* pb = new QPushButton(parent);
    pb->setAutoDefault(false);
    if (dynamic_cast<TSpeedButton*>(&c)) pb->setFocusPolicy(Qt::NoFocus);
    QObject::connect(pb, &QPushButton::clicked, pb, [pb] {
      TControl* m = ModelOf(pb);
      if (!m) return;
      Guard([&] { m->ClickByUser(); });
      if (TQtPeer* p = PeerOf(pb)) p->Changed(TControlChange::Checked);
    });
    w = pb;
  } else if (dynamic_cast<TCustomCheckBox*>(&c) || dynamic_cast<TRadioButton*>(&c)) {
    QAbstractButton* b;
    if (dynamic_cast<TRadioButton*>(&c)) {
      auto* rb = new QRadioButton(parent);
      rb->setAutoExclusive(false);  // the model unchecks the others
      b = rb;
    } else {
      b = new QCheckBox(parent);
    }
    QObject::connect(b, &QAbstractButton::clicked, b, [b] {
      TControl* m = ModelOf(b);
      if (!m) return;
      Guard([&] { m->ClickByUser(); });
      if (TQtPeer* p = PeerOf(b)) p->Changed(TControlChange::Checked);
    });
    w = b;
  } else if (dynamic_cast<TCustomComboBox*>(&c)) {
    auto* cb = new QComboBox(parent);
    cb->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(cb, QOverload<int>::of(&QComboBox::activated), cb, [cb](int index) {
      auto* combo = dynamic_cast<TCustomComboBox*>(ModelOf(cb));
      if (!combo || IsSyncing(cb) || index < 0) return;
      Guard([&] { combo->SelectByUser(index); });
    });
    w = cb;
  } else if (dynamic_cast<TCustomGroupBox*>(&c)) {
    w = new QGroupBox(parent);
  } else if (dynamic_cast<TCustomPanel*>(&c)) {
    w = new TPanelWidget(parent);
  } else if (dynamic_cast<TCustomLabel*>(&c)) {
    auto* l = new TLabelWidget(parent);
    l->setTextFormat(Qt::PlainText);
    w = l;
  } else if (dynamic_cast<TPictureView*>(&c)) {
    w = new TImageWidget(parent);
  } else if (dynamic_cast<TCustomTabControl*>(&c)) {
    w = new TTabStripWidget(parent);
  } else if (dynamic_cast<TDBGrid*>(&c)) {
    auto* tv = new QTableView(parent);
    tv->setModel(new TGridItemModel(tv));
    tv->setSelectionBehavior(QAbstractItemView::SelectRows);
    tv->setSelectionMode(QAbstractItemView::SingleSelection);
    tv->verticalHeader()->setDefaultSectionSize(22);
    tv->verticalHeader()->setMinimumSectionSize(18);
    tv->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tv->horizontalHeader()->setHighlightSections(false);
    // Cells clip their text as the toolkit's grid does.
    tv->setTextElideMode(Qt::ElideNone);
    tv->setWordWrap(false);
    QObject::connect(tv->selectionModel(), &QItemSelectionModel::currentChanged, tv,
                     [tv](const QModelIndex& at, const QModelIndex&) {
                       auto* grid = dynamic_cast<TDBGrid*>(ModelOf(tv));
                       if (!grid || IsSyncing(tv) || !at.isValid()) return;
                       Guard([&] { grid->MoveToCellByUser(at.row(), at.column()); });
                     });
    QObject::connect(tv, &QTableView::clicked, tv, [tv](const QModelIndex& at) {
      auto* grid = dynamic_cast<TDBGrid*>(ModelOf(tv));
      if (!grid || IsSyncing(tv) || !at.isValid()) return;
      Guard([&] { grid->SelectCellByUser(at.row(), at.column()); });
    });
    w = tv;
  } else if (dynamic_cast<TDateTimePicker*>(&c)) {
    auto* de = new QDateTimeEdit(parent);
    de->setCalendarPopup(true);
    QObject::connect(de, &QDateTimeEdit::dateTimeChanged, de, [de](const QDateTime& v) {
      auto* dtp = dynamic_cast<TDateTimePicker*>(ModelOf(de));
      if (!dtp || IsSyncing(de)) return;
      QDate d = v.date();
      QTime t = v.time();
      Guard([&] {
        dtp->SetDateTime(
            db::EncodeDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()));
      });
    });
    w = de;
  } else {
    auto* pw = new TPaintWidget(parent);
    pw->setMouseTracking(true);
    w = pw;
  }
  if (!dynamic_cast<TWinControl*>(&c)) w->setFocusPolicy(Qt::NoFocus);
  return w;
}

QWidget* TQtBackendPrivate::Realize(TControl& c, QWidget* AParentWidget) {
  QWidget* w = CreateWidget(c, AParentWidget);
  SetModel(w, &c);
  auto peer = std::make_unique<TQtPeer>(this, &c, w);
  TQtPeer* p = peer.get();
  c.SetPeer(std::move(peer));
  p->SyncAll();
  if (auto* form = dynamic_cast<TCustomForm*>(&c)) RebuildMenuBar(*form);
  if (auto* wc = dynamic_cast<TWinControl*>(&c)) {
    QWidget* container = ContainerOf(w);
    for (int i = 0; i < wc->ControlCount(); ++i) Realize(*wc->Controls(i), container);
  }
  return w;
}

void TQtBackendPrivate::FillMenu(QMenu* AMenu, TMenuItem* AItem,
                                 std::map<QAction*, TMenuItem*>* AMap) {
  for (int i = 0; i < AItem->Count(); ++i) {
    TMenuItem* it = AItem->Items(i);
    if (!it->Visible()) continue;
    if (it->IsLine()) {
      AMenu->addSeparator();
      continue;
    }
    if (it->Count() > 0) {
      QMenu* sub = AMenu->addMenu(Q(it->Caption()));
      sub->setEnabled(it->Enabled());
      FillMenu(sub, it, AMap);
      continue;
    }
    QAction* a = AMenu->addAction(Q(it->Caption()));
    a->setEnabled(it->Enabled());
    a->setCheckable(it->Checked());
    a->setChecked(it->Checked());
    if (it->ShortCut()) a->setShortcut(KeySequenceOf(it->ShortCut()));
    if (AMap) {
      (*AMap)[a] = it;
    } else {
      QObject::connect(a, &QAction::triggered, a, [it] { Guard([&] { it->Click(); }); });
    }
  }
}

void TQtBackendPrivate::RebuildMenuBar(TCustomForm& AForm) {
  auto* fw = dynamic_cast<TFormWidget*>(WidgetOf(&AForm));
  if (!fw) return;
  if (fw->MenuBar) {
    fw->MenuBar->hide();
    fw->MenuBar->deleteLater();
    fw->MenuBar = nullptr;
  }
  TMainMenu* menu = AForm.Menu();
  if (menu && fw->isWindow()) {
    menu->OnChange = [this, &AForm] { RebuildMenuBar(AForm); };
    fw->MenuBar = new QMenuBar(fw);
    TMenuItem* root = menu->Items();
    for (int i = 0; i < root->Count(); ++i) {
      TMenuItem* top = root->Items(i);
      if (!top->Visible()) continue;
      if (top->Count() == 0) {
        // A top-level item without sub-items acts when chosen.
        QAction* a = fw->MenuBar->addAction(Q(top->Caption()));
        a->setEnabled(top->Enabled());
        if (top->ShortCut()) a->setShortcut(KeySequenceOf(top->ShortCut()));
        QObject::connect(a, &QAction::triggered, a, [top] { Guard([&] { top->Click(); }); });
      } else {
        QMenu* m = fw->MenuBar->addMenu(Q(top->Caption()));
        m->setEnabled(top->Enabled());
        FillMenu(m, top, nullptr);
      }
    }
    fw->MenuBar->show();
  }
  fw->Syncing = true;
  if (fw->isWindow() && !fw->isMaximized())
    fw->resize(AForm.Width(), AForm.Height() + fw->MenuHeight());
  fw->LayoutClient();
  fw->Syncing = false;
}

bool TQtBackendPrivate::eventFilter(QObject* AWatched, QEvent* AEvent) {
  if (!AWatched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(AWatched);
  switch (AEvent->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* ke = static_cast<QKeyEvent*>(AEvent);
      // Only the first receiver: the focus widget (or the window without one).
      QWidget* focus = QApplication::focusWidget();
      if (Replaying || (focus ? widget != focus : !widget->isWindow())) return false;
      // The model control of the focused widget or its nearest ancestor.
      TWinControl* win = nullptr;
      for (QWidget* w = widget; w && !win; w = w->isWindow() ? nullptr : w->parentWidget())
        win = dynamic_cast<TWinControl*>(ModelOf(w));
      if (!win) return false;
      if (auto* pb = dynamic_cast<QPushButton*>(WidgetOf(win));
          pb && (ke->key() == Qt::Key_Space) && AEvent->type() == QEvent::KeyPress)
        return false;  // a focused button clicks itself on space
      uint16_t vk = VKOf(ke->key());
      TShiftState shift = ShiftOf(ke->modifiers());
      if (AEvent->type() == QEvent::KeyRelease) {
        if (vk) Guard([&] { win->KeyUpFromUser(vk, shift); });
        return false;
      }
      bool consumed = false;
      if (vk) Guard([&] { consumed = win->KeyDownFromUser(vk, shift); });
      if (consumed) return true;
      QString text = ke->text();
      if (text.isEmpty() || (text.size() == 1 && text[0].unicode() < 32 && text[0] != '\b'))
        return false;
      std::u32string chars = text.toStdU32String();
      if (chars.size() != 1) return false;
      char32_t ch = chars[0];
      char32_t original = ch;
      bool keep = true;
      Guard([&] { keep = win->DoKeyPress(ch); });
      if (!keep) return true;
      if (ch != original) {
        // A handler changed the character: type the new one instead.
        QString nt = QString::fromStdU32String(std::u32string(1, ch));
        QKeyEvent replaced(QEvent::KeyPress, 0, ke->modifiers(), nt);
        Replaying = true;
        QCoreApplication::sendEvent(widget, &replaced);
        Replaying = false;
        return true;
      }
      return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      TControl* c = ModelOf(widget);
      if (!c || dynamic_cast<TFormWidget*>(widget)) return false;
      auto* me = static_cast<QMouseEvent*>(AEvent);
      QPoint p = me->position().toPoint();
      TMouseButton b = me->button() == Qt::RightButton    ? mbRight
                       : me->button() == Qt::MiddleButton ? mbMiddle
                                                          : mbLeft;
      TShiftState shift = ShiftOf(me->modifiers(), me->buttons());
      QPointer<QWidget> guard(widget);
      switch (AEvent->type()) {
        case QEvent::MouseButtonPress:
          Guard([&] { c->MouseDownFromUser(b, shift, p.x(), p.y()); });
          break;
        case QEvent::MouseButtonRelease:
          Guard([&] { c->MouseUpFromUser(b, shift, p.x(), p.y()); });
          break;
        case QEvent::MouseButtonDblClick:
          Guard([&] {
            c->Perform(WM_LBUTTONDBLCLK, static_cast<intptr_t>(shift), PointToLParam(p.x(), p.y()));
          });
          break;
        default:
          Guard([&] { c->MouseMoveFromUser(shift, p.x(), p.y()); });
          break;
      }
      // A handler may have freed the control (and its widget).
      if (!guard || ModelOf(widget) != c) return true;
      // The strip handles its own clicks; a control with a context menu of
      // the model does not show the native one.
      return dynamic_cast<TTabStripWidget*>(widget) != nullptr;
    }
    case QEvent::Enter:
      if (TControl* c = ModelOf(widget); c && !dynamic_cast<TFormWidget*>(widget))
        Guard([&] { c->MouseEnterFromUser(); });
      return false;
    case QEvent::Leave:
      if (TControl* c = ModelOf(widget); c && !dynamic_cast<TFormWidget*>(widget))
        Guard([&] { c->MouseLeaveFromUser(); });
      return false;
    case QEvent::FocusIn: {
      auto* win = dynamic_cast<TWinControl*>(ModelOf(widget));
      if (!win || dynamic_cast<TCustomForm*>(win)) return false;
      TCustomForm* form = win->GetParentForm();
      if (form && form->ActiveControl() != win) Guard([&] { form->SetActiveControl(win); });
      return false;
    }
    case QEvent::ContextMenu: {
      TControl* c = ModelOf(widget);
      for (TControl* x = c; x; x = x->Parent())
        if (x->PopupMenu()) return true;  // the model shows its own menu
      return false;
    }
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------

TQtBackend::TQtBackend() : d(std::make_unique<TQtBackendPrivate>()) {}

TQtBackend::~TQtBackend() {
  d.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

const char* TQtBackend::FallbackFontFamily() {
  return "DejaVu Sans";
}

void TQtBackend::ShowForm(TCustomForm& AForm) {
  auto* fw = dynamic_cast<TFormWidget*>(WidgetOf(&AForm));
  if (!fw) fw = static_cast<TFormWidget*>(d->Realize(AForm, nullptr));
  if (!fw->isWindow()) {
    fw->setVisible(true);
    return;
  }
  fw->setWindowModality(AForm.Modal() ? Qt::ApplicationModal : Qt::NonModal);
  if (auto* p = dynamic_cast<TQtPeer*>(AForm.Peer())) {
    p->Changed(TControlChange::Style);
    p->Changed(TControlChange::Bounds);
  }
  fw->Syncing = true;
  switch (AForm.WindowState()) {
    case wsMaximized:
      MaximizeOnScreen(fw);
      break;
    case wsMinimized:
      fw->showMinimized();
      break;
    default:
      fw->show();
      break;
  }
  fw->Syncing = false;
  fw->raise();
  fw->activateWindow();
  QApplication::setActiveWindow(fw);
  if (fw->isMaximized()) {
    // The window's real size flows back into the model (aligned children follow).
    QSize s = fw->size();
    Guard([&] {
      AForm.SetBounds(AForm.Left(), AForm.Top(), s.width(), s.height() - fw->MenuHeight());
    });
  }
  if (TWinControl* ac = AForm.ActiveControl())
    if (ac->Peer()) ac->Peer()->SetFocus();
}

void TQtBackend::HideForm(TCustomForm& AForm) {
  QWidget* w = WidgetOf(&AForm);
  if (w) w->hide();
}

void TQtBackend::RunModal(TCustomForm&, const std::function<bool()>& ADone) {
  while (!ADone()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    Application->RunQueuedCalls();
  }
}

void TQtBackend::RealizeControl(TControl& AControl) {
  TWinControl* parent = AControl.Parent();
  QWidget* pw = parent ? WidgetOf(parent) : nullptr;
  if (!pw) return;
  QWidget* w = d->Realize(AControl, ContainerOf(pw));
  if (AControl.Visible()) w->show();
}

void TQtBackend::ProcessMessages() {
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  Application->RunQueuedCalls();
}

TModalResult TQtBackend::MessageBox(const TMessageBoxRequest& r) {
  QMessageBox::Icon icon = r.DlgType == mtWarning        ? QMessageBox::Warning
                           : r.DlgType == mtError        ? QMessageBox::Critical
                           : r.DlgType == mtInformation  ? QMessageBox::Information
                           : r.DlgType == mtConfirmation ? QMessageBox::Question
                                                         : QMessageBox::NoIcon;
  QMessageBox box(icon, Q(r.Caption), Q(r.Text), QMessageBox::NoButton,
                  QApplication::activeWindow());
  box.setWindowModality(Qt::ApplicationModal);
  std::map<QAbstractButton*, TModalResult> results;
  QAbstractButton* escape = nullptr;
  auto buttons = r.Buttons.List();
  if (buttons.empty()) buttons.push_back(mbOK);
  for (TMsgDlgBtn b : buttons) {
    QMessageBox::ButtonRole role =
        (b == mbOK || b == mbYes || b == mbYesToAll || b == mbAll) ? QMessageBox::AcceptRole
        : (b == mbCancel || b == mbNo || b == mbNoToAll || b == mbClose || b == mbAbort)
            ? QMessageBox::RejectRole
            : QMessageBox::ActionRole;
    QPushButton* pb = box.addButton(Q(ButtonCaption(b)), role);
    pb->setObjectName(Q("btn" + std::to_string(ModalResultOf(b))));
    results[pb] = ModalResultOf(b);
    if (b == mbCancel || b == mbNo || b == mbClose) escape = pb;
    if (results.size() == 1) box.setDefaultButton(pb);
  }
  if (escape) box.setEscapeButton(escape);
  box.adjustSize();
  QSize s = box.sizeHint();
  if (r.X < 0 || r.Y < 0) {
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    box.move(screen.x() + (screen.width() - s.width()) / 2,
             screen.y() + (screen.height() - s.height()) / 2);
  } else {
    box.move(r.X, r.Y);
  }
  box.exec();
  auto it = results.find(box.clickedButton());
  if (it == results.end()) return escape ? results[escape] : mrCancel;
  return it->second;
}

namespace {
// "Imagens|*.png;*.jpg|Todos|*.*" becomes "Imagens (*.png *.jpg);;Todos (*.*)".
QString QtFilter(const std::string& AFilter) {
  QStringList parts = Q(AFilter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    out << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
  return out.join(";;");
}
}  // namespace

bool TQtBackend::ExecuteOpenDialog(TOpenDialog& ADialog) {
  QFileDialog dlg(QApplication::activeWindow(), Q(ADialog.Title.empty() ? "Abrir" : ADialog.Title),
                  Q(ADialog.InitialDir), QtFilter(ADialog.Filter));
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setFileMode((ADialog.Options & ofAllowMultiSelect) ? QFileDialog::ExistingFiles
                                                         : QFileDialog::ExistingFile);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  QStringList filters = QtFilter(ADialog.Filter).split(";;", Qt::SkipEmptyParts);
  if (ADialog.FilterIndex >= 1 && ADialog.FilterIndex <= filters.size())
    dlg.selectNameFilter(filters[ADialog.FilterIndex - 1]);
  if (dlg.exec() != QDialog::Accepted) return false;
  QStringList files = dlg.selectedFiles();
  if (files.isEmpty()) return false;
  ADialog.Files.clear();
  for (const QString& f : files) ADialog.Files.push_back(S(f));
  ADialog.FileName = ADialog.Files.front();
  return true;
}

void TQtBackend::Popup(TPopupMenu& AMenu, int X, int Y) {
  QMenu menu;
  std::map<QAction*, TMenuItem*> items;
  d->FillMenu(&menu, AMenu.Items(), &items);
  if (menu.isEmpty()) return;
  // The item runs after the menu has closed (its handler may open dialogs).
  QAction* chosen = nullptr;
  QObject::connect(&menu, &QMenu::triggered, &menu, [&chosen](QAction* a) { chosen = a; });
  QAction* returned = menu.exec(QPoint(X, Y));
  if (!chosen) chosen = returned;
  auto it = items.find(chosen);
  if (it != items.end()) Guard([&] { it->second->Click(); });
}

TRect TQtBackend::ScreenRect() {
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return Rect(0, 0, 1024, 768);
  QRect r = s->availableGeometry();
  return Rect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
}

bool TQtBackend::ClipboardHasText() {
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  return m && m->hasText();
}

std::string TQtBackend::ClipboardText() {
  return S(QGuiApplication::clipboard()->text());
}

void TQtBackend::SetClipboardText(const std::string& AText) {
  QGuiApplication::clipboard()->setText(Q(AText));
}

bool TQtBackend::ClipboardHasBitmap() {
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  return m && m->hasImage();
}

TBitmap TQtBackend::ClipboardBitmap() {
  QImage img = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGBA8888);
  TBitmap bmp;
  if (img.isNull()) return bmp;
  bmp.SetSize(img.width(), img.height());
  for (int y = 0; y < img.height(); ++y)
    std::memcpy(bmp.Pixels().data() + static_cast<size_t>(y) * img.width() * 4,
                img.constScanLine(y), static_cast<size_t>(img.width()) * 4);
  return bmp;
}

void TQtBackend::SetClipboardBitmap(const TBitmap& ABitmap) {
  QImage img(ABitmap.Pixels().data(), ABitmap.Width(), ABitmap.Height(), ABitmap.Width() * 4,
             QImage::Format_RGBA8888);
  QGuiApplication::clipboard()->setImage(img.copy());
}

void InstallQtBackend() {
  Application->SetBackend(std::make_shared<TQtBackend>());
}

QWidget* WidgetOf(const TControl* AControl) {
  if (!AControl) return nullptr;
  auto* p = dynamic_cast<TQtPeer*>(AControl->Peer());
  return p ? p->Widget() : nullptr;
}

}  // namespace ui::qt
