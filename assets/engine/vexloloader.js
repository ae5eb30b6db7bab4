/*
 * Vexlo loading overlay: a light veil over the whole window with a white box
 * saying "Aguarde" and three bouncing dots. It is added shown when the
 * document is ready, so it covers the page until the page-load event is
 * answered; LockThreadClient() and UnLockThreadClient() (page head) show and
 * hide the element #vexlo-loader afterwards.
 */
(function () {
  "use strict";

  var STYLE =
    "#vexlo-loader{position:fixed;top:0;left:0;width:100%;height:100%;" +
    "background-color:rgba(255,255,255,0.1);z-index:9999;display:flex;" +
    "align-items:center;justify-content:center}" +
    "#vexlo-loader .vexlo-loader-box{background-color:#fff;border-radius:8px;" +
    "box-shadow:0 4px 16px rgba(0,0,0,0.2);padding:18px 28px;display:flex;" +
    "flex-direction:column;align-items:center;font-family:system-ui,-apple-system," +
    "'Segoe UI',Roboto,'Helvetica Neue',Arial,sans-serif;font-size:1rem;color:#333}" +
    "#vexlo-loader .vexlo-loader-dots{display:flex;gap:6px;margin-top:12px;height:30px;" +
    "align-items:flex-end}" +
    "#vexlo-loader .vexlo-loader-dot{width:15px;height:15px;border-radius:50%;" +
    "animation:vexlo-loader-bounce 0.6s linear infinite}" +
    "#vexlo-loader .vexlo-loader-dot:nth-child(1){background-color:#FA5667;animation-delay:0.1s}" +
    "#vexlo-loader .vexlo-loader-dot:nth-child(2){background-color:#7A45E5;animation-delay:0.2s}" +
    "#vexlo-loader .vexlo-loader-dot:nth-child(3){background-color:#FAC24C;animation-delay:0.3s}" +
    "@keyframes vexlo-loader-bounce{0%,100%{transform:translateY(0)}" +
    "50%{transform:translateY(-15px)}}";

  function addLoader() {
    if (document.getElementById("vexlo-loader")) return;
    var style = document.createElement("style");
    style.id = "vexlo-loader-style";
    style.textContent = STYLE;
    document.head.appendChild(style);

    var loader = document.createElement("div");
    loader.id = "vexlo-loader";
    loader.setAttribute("role", "status");
    loader.setAttribute("aria-live", "polite");
    var box = document.createElement("div");
    box.className = "vexlo-loader-box";
    var text = document.createElement("span");
    text.className = "vexlo-loader-text";
    text.textContent = "Aguarde";
    var dots = document.createElement("div");
    dots.className = "vexlo-loader-dots";
    for (var i = 0; i < 3; i++) {
      var dot = document.createElement("span");
      dot.className = "vexlo-loader-dot";
      dots.appendChild(dot);
    }
    box.appendChild(text);
    box.appendChild(dots);
    loader.appendChild(box);
    document.body.appendChild(loader);
  }

  if (document.readyState === "loading") {
    document.addEventListener("DOMContentLoaded", addLoader);
  } else {
    addLoader();
  }
})();
