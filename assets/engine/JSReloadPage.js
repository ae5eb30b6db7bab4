/* Reload keeping the session: the script the server pushes to make the page
   load again from the same session. No tags: the token and session come from
   the page's own connection values. The three cookies tell the server to
   serve the page from that session; it clears them at once. */
(function () {
  if (window.location.href.indexOf("#") >= 0) {
    window.history.replaceState(window.history.state, "", window.location.pathname);
  }
  var cookieEnd = "; path=" + window.location.pathname + "; SameSite=Strict";
  document.cookie = "Vexlo_Token=" + encodeURIComponent(connectionInfo.token) + cookieEnd;
  document.cookie = "Vexlo_OrvaneSession=" + encodeURIComponent(connectionInfo.orvanesession) + cookieEnd;
  document.cookie = "Vexlo_ReloadPage=true" + cookieEnd;
  isReloadPage = true;
  window.location.reload();
})();
