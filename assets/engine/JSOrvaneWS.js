<!-- The page's main WebSocket: startOrvaneServer(), the pushed scripts and the reconnection. No tags. -->
<script type="text/javascript">
  var orvaneProbing = false;
  var orvanePageLeaving = false;

  /* Runs the scripts the server pushes ({"ExecJS": [script, ...]}), in order;
     a failing script ends that push only. */
  function orvaneExecMessage(data) {
    var message;
    try {
      message = JSON.parse(data);
    } catch (error) {
      console.error("Orvane: mensagem do servidor não é JSON:", error);
      return;
    }
    var scripts = message && message.ExecJS;
    if (!Array.isArray(scripts)) return;
    try {
      for (var i = 0; i < scripts.length; i++) (0, eval)(String(scripts[i]));
    } catch (error) {
      console.error("Orvane: script enviado pelo servidor falhou:", error);
    }
  }

  function startOrvaneServer() {
    var ws = new WebSocket(OrvaneSocketURL("connectionparams"));
    orvanews = ws;
    ws.onopen = function () {
      if (ws !== orvanews) return;
      if (!vpageloadcomplete) {
        vpageloadcomplete = true;
        PageLoadComplete();
      }
      hideOverlayError();
    };
    ws.onmessage = function (event) {
      orvaneExecMessage(event.data);
    };
    ws.onclose = function () {
      if (ws !== orvanews || isReloadPage || orvanePageLeaving) return;
      showOverlayError();
      orvaneProbeReconnect();
    };
  }

  /* Asks the server whether this page's session lives: 202 reconnects in
     place, 401 or 200 reloads the page; no answer, or a proxy's 5xx while
     the server is down, asks again a second later. */
  function orvaneProbeReconnect() {
    if (orvaneProbing) return;
    orvaneProbing = true;
    var again = function () {
      setTimeout(probe, 1000);
    };
    var probe = function () {
      if (orvanePageLeaving) return;
      fetch(reConnectURL, { method: "HEAD", cache: "no-store", credentials: "same-origin" }).then(
        function (response) {
          if (response.status === 202) {
            orvaneProbing = false;
            hideOverlayError();
            startOrvaneServer();
          } else if (response.status === 401 || response.status === 200) {
            isReloadPage = true;
            window.location.reload();
          } else if (response.status >= 500) {
            again();
          } else {
            orvaneProbing = false;
          }
        },
        again);
    };
    probe();
  }

  window.addEventListener("pagehide", function () {
    orvanePageLeaving = true;
  });
  window.addEventListener("pageshow", function (event) {
    /* A page restored from the back-forward cache has lost its connection. */
    if (event.persisted) window.location.reload();
  });
</script>
