// The form base every application form derives from. On the desktop it is the
// toolkit's form: messages go to native dialogs, popups do nothing and no
// bridge object is attached. In web mode the engine calls back into the form
// through the hooks declared here.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "vexlo/Vexlo.HTML.CSS.h"
#include "vexlo/Vexlo.Instance.h"

namespace orvane {
class IOrvaneSession;
class TOrvaneControl;
class TOrvaneForm;
class TOrvaneDBGrid;
class TOrvaneDBGridColumnButton;
class IOrvaneDBGrid;
class IOrvaneDBGridColumnButton;
}  // namespace orvane

namespace vexlo {

class TVexlo;
class IVexloItemHTMLPopup;

// Called with the popup's name and a second string the caller passes empty.
using TOnPopup = std::function<void(const std::string& AName, const std::string& AValue)>;
using TOnTagHTML = std::function<void(const std::string& TagString, std::string& ReplaceTag)>;
using TOnUpload =
    std::function<void(const std::vector<std::string>& AFiles, core::TComponent* Sender)>;

class TVexloForm : public ui::TForm {
  CORE_DECLARE_CLASS()
 public:
  explicit TVexloForm(core::TComponent* AOwner);
  // Constructed for a registry: the registry's owner owns the form.
  explicit TVexloForm(TVexloInstance& AOwner);
  ~TVexloForm() override;

  // A form created on a thread that works for a web session (inside its
  // forms guard) gets its bridge object there: the bridge object, its web
  // form, and the page the form declares in ExportVexlo.
  void AfterConstruction() override;
  // The bridge object goes before the controls it mirrors.
  void BeforeDestruction() override;
  // Attaches a bridge object for the session (once) and runs ExportVexlo.
  void AttachVexlo(orvane::IOrvaneSession* ASession);

  // --- the bridge's virtual operations, in slot order ---
  // Declares the page; the base declares nothing.
  virtual void ExportVexlo() {}
  virtual void InitControlsVexlo(orvane::TOrvaneControl* /*AOrvaneControl*/) {}
  virtual void RenderVexlo(orvane::TOrvaneControl* /*AOrvaneControl*/,
                           std::string& /*HTMLControl*/) {}
  virtual void CellButtonClick(orvane::TOrvaneDBGrid* /*AOrvaneDBGrid*/,
                               orvane::TOrvaneDBGridColumnButton* /*AOrvaneCellButton*/,
                               int /*ARow*/, int /*AColIndex*/) {}
  virtual void SetupVexlo() {}
  virtual void DoPageLoaded();
  virtual void DoUpload(const std::vector<std::string>& AFiles, core::TComponent* Sender);
  // A cell button of a web grid was clicked on row ARow (the dataset is
  // there): the button's procedure, its click event (sender: this form),
  // then CellButtonClick.
  virtual void DoCellButtonClick(orvane::IOrvaneDBGrid* AOrvaneDBGrid,
                                 orvane::IOrvaneDBGridColumnButton* AOrvaneCellButton, int ARow,
                                 int AColIndex);
  virtual void DoRenderOrvaneControl(orvane::TOrvaneControl* AOrvaneControl,
                                     std::string& HTMLControl);
  virtual void DoInitOrvaneControl(orvane::TOrvaneControl* AOrvaneControl);
  virtual void DoTagHTML(const std::string& TagString, std::string& ReplaceTag);

  // Frees the form at once (Release is not deferred here).
  void DestroyInstance();
  void Release();

  // True only while the form serves a web session.
  bool IsVexloContext() const { return FVexlo != nullptr; }
  // True while the form's web session is closing (nothing can be asked of
  // its page any more); false on the desktop.
  bool WebSessionEnding() const;

  // Messages, dialogs, modal runs and closing behave in a web session as on
  // the desktop: the calling handler waits for the person's answer. The
  // page shows the dialog (SweetAlert2) and sends the answer back; the wait
  // lends the session's forms guard to other work, and a session that
  // closes meanwhile ends it with the silent abort.

  // The information box: native and centred on the desktop; on the page a
  // dialog with an OK button.
  void ShowMessage(const std::string& Msg);
  // The message dialog of that type with those buttons; returns the pressed
  // button's modal result (Escape on the page answers as the cancel button
  // of the set: Cancelar, else Não, else OK).
  ui::TModalResult MessageDlg(const std::string& Msg, ui::TMsgDlgType DlgType,
                              ui::TMsgDlgButtons Buttons, int HelpCtx);
  // The same; in a web session AWebResult also receives the result.
  ui::TModalResult MessageDlg(const std::string& Msg, ui::TMsgDlgType DlgType,
                              ui::TMsgDlgButtons Buttons, int HelpCtx,
                              const std::function<void(ui::TModalResult)>& AWebResult);
  // An error report on the page (the web counterpart of the toolkit's
  // standard exception report); returns at once. Nothing on the desktop.
  void ShowWebError(const std::string& AMessage);
  // The modal run. In a web session the form becomes the session's page
  // and the calling session thread waits until the form closes.
  ui::TModalResult ShowModal() override;
  // A modal run that does not wait: AOnClose receives the modal result once
  // the form has closed (in a web session as a work item of its own, after
  // the handler that closed it). On the desktop it follows the modal run.
  void ShowModal(std::function<void(ui::TModalResult)> AOnClose);
  // In a web session: the close checks and OnClose, then the form leaves
  // the session's pages (the previous one shows again) and its modal run
  // ends with its ModalResult (mrCancel when none was set).
  void Close() override;
  // In a web session a top-level form shows as the session's page.
  void SetVisible(bool AValue) override;
  // In a web session a modal run of this form shows it as a popup over the
  // page that is showing (the form joins that page as a nested form), not as
  // a page of its own. Off by default.
  bool ShowModalAsPopup() const { return FShowModalAsPopup; }
  void SetShowModalAsPopup(bool AValue) { FShowModalAsPopup = AValue; }
  // The end of the program: on the desktop the application terminates; in a
  // web session the session ends (its forms and data module go) and the
  // page starts afresh with a new session.
  void EndApplication();
  // A modal web form whose ModalResult a handler set closes now (as the
  // desktop's modal loop would); false when its close checks refused.
  bool CloseWhenModalResult();
  // Popups exist only in web mode: the page opens or closes the popup
  // declared under that name.
  void ShowPopup(const std::string& AName);
  void ClosePopup(const std::string& AName);
  // Called by the web engine's dispatch when the browser opened or closed a popup.
  void PopupOpened(const std::string& AName);
  void PopupClosed(const std::string& AName);

  core::TComponentClass GetTemplateClassForm() const { return FTemplateClassForm; }

  // The application's primary form class has loaded its page.
  bool Showing() const { return FShowing; }

  // Class operations on the global registry.
  template <class T>
  static T* CreateInstance() {
    return GlobalVexloInstance().CreateInstance<T>();
  }
  template <class T>
  static T* GetInstance() {
    return GlobalVexloInstance().GetInstance<T>();
  }

  // Published properties.
  TVexlo* Vexlo() const { return FVexlo; }
  // The web form of the bridge object, or null.
  orvane::TOrvaneForm* OrvaneForm() const;
  core::TComponentClass TemplateClassForm() const { return FTemplateClassForm; }
  void SetTemplateClassForm(core::TComponentClass AValue) { FTemplateClassForm = AValue; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& AValue) { FTitle = AValue; }
  const std::string& SubTitle() const { return FSubTitle; }
  void SetSubTitle(const std::string& AValue) { FSubTitle = AValue; }
  TCSSClass& CSSClass() { return FCSSClass; }
  std::vector<std::string>& PopupsShowing() { return FPopupsShowing; }
  TOnPopup& OnShowPopup() { return FOnShowPopup; }
  TOnPopup& OnClosePopup() { return FOnClosePopup; }
  core::TNotifyEvent& OnPageLoaded() { return FOnPageLoaded; }
  TOnTagHTML& OnTagHTML() { return FOnTagHTML; }
  TOnUpload& OnUpload() { return FOnUpload; }
  bool ShowingModal() const { return FShowingModal; }
  void SetShowingModal(bool AValue) { FShowingModal = AValue; }
  TVexloForm* PriorVexlo() const { return FPriorVexlo; }
  void SetPriorVexlo(TVexloForm* AValue);
  bool UsedVexloInstance() const { return FUsedVexloInstance; }
  void SetUsedVexloInstance(bool AValue) { FUsedVexloInstance = AValue; }
  int MessageResponse() const { return FMessageResponse; }

  // Web-mode operations, carried out by the bridge object; on the desktop
  // there is none and they do nothing.
  std::string Language() const;
  void SetLanguage(const std::string& AValue);
  void Clear();
  void Render();
  void DoCloseShowmodal();
  void ExportVexloAllControls();

 protected:
  void Notification(core::TComponent* AComponent, core::TOperation AOperation) override;

 private:
  // Frees the bridge object after taking it out of its session.
  void DetachVexlo();
  // The session of the bridge object (null on the desktop).
  orvane::IOrvaneSession* WebSession() const;
  // The dialog on the page; waits for the answer.
  ui::TModalResult WebMessageDlg(const std::string& ACaption, const std::string& AMsg,
                                 ui::TMsgDlgType ADlgType, ui::TMsgDlgButtons AButtons);
  // Makes the form the session's page (FShowingModal already set).
  void ShowWebPage();
  // The modal run of a popup form over AHost's page; waits until it closes.
  ui::TModalResult ShowModalPopup(TVexloForm* AHost);
  // On the host page: adds the popup with the nested form (the page
  // reloads), or takes it away (the popup hides).
  void OpenModalPopup(TVexloForm* AForm);
  void CloseModalPopup(TVexloForm* AForm, bool AHide);
  std::string ModalPopupName() const { return "Modal" + Name(); }
  // The web close; false when the close checks refused.
  bool WebClose();

  TVexlo* FVexlo = nullptr;  // owned
  int FMessageResponse = 0;
  core::TComponentClass FTemplateClassForm = nullptr;
  std::string FTitle;
  std::string FSubTitle;
  TCSSClass FCSSClass;
  bool FShowing = false;
  std::vector<std::string> FPopupsShowing;
  TOnPopup FOnShowPopup;
  TOnPopup FOnClosePopup;
  core::TNotifyEvent FOnPageLoaded;
  TOnTagHTML FOnTagHTML;
  TOnUpload FOnUpload;
  bool FUsedVexloInstance = false;
  bool FShowingModal = false;
  TVexloForm* FPriorVexlo = nullptr;
  std::function<void(ui::TModalResult)> FOnModalClose;
  bool FShowModalAsPopup = false;
  // The page form this form's modal popup is on, while it is shown.
  TVexloForm* FPopupHost = nullptr;
  // On a host page: the modal popups open over it, in order of opening.
  struct TModalPopup {
    TVexloForm* Form;
    std::shared_ptr<IVexloItemHTMLPopup> Popup;
  };
  std::vector<TModalPopup> FModalPopups;
  // A modal form that closed with caFree, freed once its waiting caller has
  // its result.
  std::shared_ptr<core::TComponent> FFreeAfterModal;
};

}  // namespace vexlo
