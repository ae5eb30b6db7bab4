/* The menu page of Tamblo's web mode: shows the state the server keeps (the
   side menu folded or not, its groups, the active tab) and tells the server
   which tab a person chose or closed. The rules live on the server; this
   script only shows their result. It also fits the data grids to the space
   they sit in. */
(function () {
  "use strict";

  function tabLinks(tabsId) {
    var tabs = tabsId ? document.getElementById(tabsId) : null;
    return tabs ? Array.prototype.slice.call(tabs.querySelectorAll(".nav-tabs .nav-link")) : [];
  }

  // Every tab gets its close control once.
  function addCloseButtons(links) {
    links.forEach(function (link, index) {
      var item = link.parentElement;
      if (!item || item.querySelector(".tamblo-fechar-aba")) return;
      var close = document.createElement("button");
      close.type = "button";
      close.className = "btn-close tamblo-fechar-aba";
      close.title = "Fechar";
      close.setAttribute("aria-label", "Fechar " + link.textContent);
      close.addEventListener("click", function (event) {
        event.preventDefault();
        event.stopPropagation();
        TambloFecharAba(index);
      });
      item.appendChild(close);
      link.addEventListener("show.bs.tab", function () {
        if (!link.dataset.tambloServer) TambloEscolherAba(index);
        delete link.dataset.tambloServer;
      });
    });
  }

  window.TambloAplicarEstado = function (estado) {
    if (!estado) return;
    var menu = document.getElementById("PNLMENU");
    if (menu) menu.classList.toggle("recolhido", !!estado.recolhido);
    Object.keys(estado.grupos || {}).forEach(function (id) {
      var grupo = document.getElementById(id);
      if (grupo) grupo.classList.toggle("recolhido", !!estado.grupos[id]);
    });
    var conteudo = document.getElementById("TAMBLO_CONTEUDO");
    if (conteudo) conteudo.classList.toggle("sem-abas", !estado.total);
    var links = tabLinks(estado.abas);
    addCloseButtons(links);
    var link = links[estado.ativa];
    if (link && !link.classList.contains("active") && window.bootstrap) {
      link.dataset.tambloServer = "1";
      bootstrap.Tab.getOrCreateInstance(link).show();
    }
  };

  // A grid keeps the column widths of its desktop grid but is as wide as
  // the space it sits in: wider columns scroll sideways inside it instead
  // of running out of the page. Hidden grids (another tab) wait until shown.
  function fitGrids() {
    if (!window.jQuery) return;
    jQuery("table.ui-jqgrid-btable").each(function () {
      var box = jQuery(document.getElementById("gbox_" + this.id));
      var room = Math.floor(box.parent().width() || 0);
      if (room > 0 && Math.abs(room - box.outerWidth()) > 1)
        jQuery(this).jqGrid("setGridWidth", room, false);
    });
  }
  var fitPending = false;
  function fitGridsSoon() {
    if (fitPending) return;
    fitPending = true;
    window.requestAnimationFrame(function () {
      fitPending = false;
      fitGrids();
    });
  }
  window.addEventListener("resize", fitGridsSoon);
  document.addEventListener("shown.bs.tab", fitGridsSoon);
  document.addEventListener("shown.bs.modal", fitGridsSoon);
  if (window.jQuery) jQuery(document).on("jqGridAfterGridComplete", fitGridsSoon);

  document.addEventListener("DOMContentLoaded", function () {
    window.TambloAplicarEstado(window.TambloEstado);
    fitGridsSoon();
  });
})();
