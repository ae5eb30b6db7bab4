// Native windows for the toolkit model, with Qt 6 Widgets. The model keeps
// the truth: every control gets a native widget (its peer) that mirrors the
// model's properties, and a user's input on the widget goes through the same
// model paths as in the headless backend (setting Text fires OnChange, a
// click runs ClickByUser, Tab follows TabOrder/TabStop).
#pragma once

#include <memory>

#include "platform/ui/Forms.h"

class QWidget;

namespace ui::qt {

class TQtBackendPrivate;

class TQtBackend : public TWidgetBackend {
 public:
  // Needs a QApplication; installs an application-wide input filter.
  TQtBackend();
  ~TQtBackend() override;

  void ShowForm(TCustomForm& AForm) override;
  void HideForm(TCustomForm& AForm) override;
  void RunModal(TCustomForm& AForm, const std::function<bool()>& ADone) override;
  void RealizeControl(TControl& AControl) override;
  void ProcessMessages() override;
  TModalResult MessageBox(const TMessageBoxRequest& ARequest) override;
  bool ExecuteOpenDialog(TOpenDialog& ADialog) override;
  void Popup(TPopupMenu& AMenu, int X, int Y) override;
  TRect ScreenRect() override;
  bool ClipboardHasText() override;
  std::string ClipboardText() override;
  void SetClipboardText(const std::string& AText) override;
  bool ClipboardHasBitmap() override;
  TBitmap ClipboardBitmap() override;
  void SetClipboardBitmap(const TBitmap& ABitmap) override;

  // The font family used for "Segoe UI" when it is not installed.
  static const char* FallbackFontFamily();

 private:
  std::unique_ptr<TQtBackendPrivate> d;
};

// Sets a TQtBackend on the application (a QApplication must exist).
void InstallQtBackend();

// The native widget of a control (the window for a form), or nullptr when it
// has none yet.
QWidget* WidgetOf(const TControl* AControl);

}  // namespace ui::qt
