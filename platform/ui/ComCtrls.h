// Tab controls, page controls with tab sheets, and the date picker.
#pragma once

#include <string>
#include <vector>

#include "platform/db/DateTime.h"
#include "platform/ui/Controls.h"

namespace ui {

using db::TDateTime;

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };

class TCustomTabControl;
class TPageControl;

using TTabChangingEvent = std::function<void(TComponent* Sender, bool& AllowChange)>;
using TDrawTabEvent =
    std::function<void(TCustomTabControl* Control, int TabIndex, const TRect& Rect, bool Active)>;

// A strip of tabs. Tab geometry is computed in the model: tabs sit left to
// right from x = 2, y = 2, each as wide as its caption plus padding, TabHeight
// high. Owner-drawn strips draw each tab through DrawTab on the canvas.
class TCustomTabControl : public TCustomControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TCustomTabControl(TComponent* AOwner);

  // The captions of the visible tabs, in order.
  virtual std::vector<std::string> TabCaptions() const = 0;
  int TabCount() const { return static_cast<int>(TabCaptions().size()); }
  // The rectangle of a tab in control coordinates (empty when out of range).
  TRect TabRect(int AIndex) const;
  // The tab at a point, or -1.
  int IndexOfTabAt(int X, int Y) const;
  // The area below the tabs where pages show.
  TRect DisplayRect() const;
  virtual int TabIndex() const = 0;

  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool AValue);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool AValue) { FHotTrack = AValue; }
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool AValue) { FMultiLine = AValue; }
  TTabPosition TabPosition() const { return FTabPosition; }
  void SetTabPosition(TTabPosition AValue);
  TTabStyle Style() const { return FStyle; }
  void SetStyle(TTabStyle AValue);
  int TabHeight() const { return FTabHeight > 0 ? FTabHeight : 24; }
  void SetTabHeight(int AValue);

  // Draws one tab: OnDrawTab when assigned, else the caption. Descendants
  // override it to draw their own tabs (close buttons and the like).
  virtual void DrawTab(int ATabIndex, const TRect& ARect, bool AActive);
  // Paints every tab on the canvas (the backend sets the canvas painter).
  virtual void PaintTabs();

  // The change notifications of the strip.
  virtual bool CanChange();
  virtual void Change();

  TTabChangingEvent OnChanging;
  TNotifyEvent OnChange;
  TDrawTabEvent OnDrawTab;

  // A user chooses a tab: OnChanging may refuse, then the tab shows and
  // OnChange runs.
  virtual void SelectTabByUser(int AIndex) = 0;

 protected:
  // A user's click selects the tab under the mouse before the mouse events run.
  void WndProc(TMessage& AMessage) override;

 private:
  bool FOwnerDraw = false;
  bool FHotTrack = false;
  bool FMultiLine = false;
  TTabPosition FTabPosition = tpTop;
  TTabStyle FStyle = tsTabs;
  int FTabHeight = 0;
};

class TTabSheet : public TWinControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return FPageControl; }
  // Puts the sheet on a page control (and makes it the sheet's parent).
  void SetPageControl(TPageControl* AValue);
  int PageIndex() const;
  void SetPageIndex(int AValue);
  // The index among the visible tabs, or -1 when the tab is hidden.
  int TabIndex() const;
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool AValue);
  void SetText(const std::string& AValue) override;
  void SetVisible(bool AValue) override;

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

 private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
};

class TPageControl : public TCustomTabControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;
  int PageCount() const { return static_cast<int>(FPages.size()); }
  TTabSheet* Pages(int AIndex) const { return FPages.at(AIndex); }
  TTabSheet* ActivePage() const { return FActivePage; }
  // Shows the page (no change notifications: those are for a user's choice).
  void SetActivePage(TTabSheet* APage);
  int ActivePageIndex() const;
  void SetActivePageIndex(int AValue);
  // The next or previous visible page after ACurrent, wrapping around.
  TTabSheet* FindNextPage(TTabSheet* ACurrent, bool AGoForward, bool ACheckTabVisible) const;
  void SelectNextPage(bool AGoForward);
  // Moves a page to a new index.
  void MovePage(TTabSheet* APage, int ANewIndex);

  std::vector<std::string> TabCaptions() const override;
  int TabIndex() const override;
  // The sheet of a visible tab index.
  TTabSheet* PageOfTab(int ATabIndex) const;
  void SelectTabByUser(int AIndex) override;

 protected:
  void AlignControls() override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* APage);
  void RemovePage(TTabSheet* APage);
  void ShowPages();
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
};

enum TDateTimeKind { dtkDate, dtkTime };

// A date (or time) picker. Setting the value fires OnChange.
class TDateTimePicker : public TWinControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TDateTimePicker(TComponent* AOwner);
  TDateTime DateTime() const { return FDateTime; }
  void SetDateTime(TDateTime AValue);
  TDateTime Date() const;
  void SetDate(TDateTime AValue);
  TDateTime Time() const;
  void SetTime(TDateTime AValue);
  TDateTimeKind Kind() const { return FKind; }
  void SetKind(TDateTimeKind AValue);
  // The value as text ("dd/mm/yyyy" or "hh:nn:ss").
  std::string DateText() const;
  // Parses text in the same layout; throws EConvertError when it is not a date.
  void SetDateText(const std::string& AText);
  TNotifyEvent OnChange;

 private:
  TDateTime FDateTime;
  TDateTimeKind FKind = dtkDate;
};

class EConvertError : public EToolkitError {
 public:
  using EToolkitError::EToolkitError;
};

}  // namespace ui
