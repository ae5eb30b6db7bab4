<!-- Page methods: the message functions, loading overlay, connection-lost overlay, validation and control states. Tags, each in double braces, every occurrence: version, servername, serverdescription (each inside a double-quoted script string: the server escapes it as JSON string content). -->
<script type="text/javascript">
  /* The address bar loses its query and fragment (no reload). */
  if (window.location.search || window.location.hash) {
    window.history.replaceState(window.history.state, "", window.location.pathname);
  }

  var vexlo = {
    version: "{{version}}",
    servername: "{{servername}}",
    serverdescription: "{{serverdescription}}"
  };

  function OrvaneServer() {
    return new TOrvaneServerFunctions();
  }

  function orvaneLoaderDisplay(display) {
    setTimeout(function () {
      var loader = document.getElementById("vexlo-loader");
      if (loader) loader.style.display = display;
    }, 0);
  }

  function LockThreadClient() {
    if (vexloloader === true) orvaneLoaderDisplay("flex");
  }

  function UnLockThreadClient() {
    orvaneLoaderDisplay("none");
  }

  if (vexloloader !== true) {
    document.addEventListener("DOMContentLoaded", function () {
      UnLockThreadClient();
    });
  }

  function showOverlayError() {
    var overlay = document.getElementById("overlayerror");
    if (overlay) overlay.style.display = "block";
  }

  function hideOverlayError() {
    var overlay = document.getElementById("overlayerror");
    if (overlay) overlay.style.display = "none";
  }

  function isOverlayErrorVisible() {
    var overlay = document.getElementById("overlayerror");
    return !!overlay && window.getComputedStyle(overlay).display !== "none";
  }

  function jqGridSelectedRows(selarrrow) {
    return Array.prototype.map.call(selarrrow || [], function (row) {
      return String(row).replace("jqg", "");
    });
  }

  /* Marks the empty required fields of a validation group; true when one
     was empty. */
  function checkRequired(validationgroup) {
    var anyEmpty = false;
    var elements = document.querySelectorAll("[validationgroup]");
    for (var i = 0; i < elements.length; i++) {
      var element = elements[i];
      if (element.getAttribute("validationgroup") !== String(validationgroup)) continue;
      if (!element.hasAttribute("required")) continue;
      if (String(element.value == null ? "" : element.value).trim() === "") {
        anyEmpty = true;
        element.classList.add("is-invalid");
        if (typeof element.reportValidity === "function") element.reportValidity();
      } else {
        element.classList.remove("is-invalid");
      }
    }
    return anyEmpty;
  }

  function removeValidationFeedback(elementID) {
    var element = document.getElementById(elementID);
    if (element) element.classList.remove("is-valid", "is-invalid");
    ["_valid_feedback", "_invalid_feedback"].forEach(function (suffix) {
      var feedback = document.getElementById(elementID + suffix);
      if (feedback) feedback.remove();
    });
  }

  /* Marks a field valid or invalid, with the message (plain text) under it
     until the person types in the field. */
  function insertValidationFeedback(elementID, isValid, feedbackMessage) {
    var element = document.getElementById(elementID);
    if (!element) return;
    removeValidationFeedback(elementID);
    var valid = isValid === true || String(isValid).toLowerCase() === "true";
    element.classList.add(valid ? "is-valid" : "is-invalid");
    var message = feedbackMessage == null ? "" : String(feedbackMessage);
    if (message !== "") {
      var feedback = document.createElement("div");
      feedback.id = elementID + (valid ? "_valid_feedback" : "_invalid_feedback");
      feedback.className = valid ? "valid-feedback" : "invalid-feedback";
      feedback.textContent = message;
      element.insertAdjacentElement("afterend", feedback);
    }
    element.addEventListener("input", function () {
      removeValidationFeedback(elementID);
    }, { once: true });
  }

  /* The states of the listed controls as JSON text, for the parameter
     "OrvaneComponentsStatus". The parameter string is split at "&" and its
     values lose %25 and %26 on the server, so every "&" and "%" inside the
     JSON is written as \u0026 and \u0025: the same JSON, and a typed
     "Rua A & B, 100%" reaches the server whole. */
  function GetComponentsStates(JSONOrvaneComponents) {
    var components = JSONOrvaneComponents;
    if (typeof components === "string") {
      try {
        components = JSON.parse(components);
      } catch (error) {
        components = [];
      }
    }
    var states = [];
    if (!Array.isArray(components)) components = [];
    for (var i = 0; i < components.length; i++) {
      var component = components[i] || {};
      var element = component.id ? document.getElementById(component.id) : null;
      if (!element) continue;
      var state = { id: component.id };
      switch (component.OrvaneType) {
        case "TOrvaneEdit":
        case "TOrvaneDBEdit":
        case "TOrvaneDBMemo":
          var text = element.value == null ? "" : String(element.value);
          if (element.classList.contains("text-uppercase")) text = text.toUpperCase();
          else if (element.classList.contains("text-lowercase")) text = text.toLowerCase();
          state.text = text;
          break;
        case "TOrvaneCombobox":
        case "TOrvaneDBCombobox":
          state.selecteditemindex = element.value == null ? "" : String(element.value);
          break;
        case "TOrvaneDBLookupCombobox":
          state.selectedvalue = element.value == null ? "" : String(element.value);
          break;
        case "TOrvaneCheckBox":
        case "TOrvaneDBCheckBox":
          state.checked = element.checked === true;
          break;
      }
      states.push(state);
    }
    return JSON.stringify(states).replace(/&/g, "\\u0026").replace(/%/g, "\\u0025");
  }

  /* A value for the parameter string other than the component states (a
     key, an id): "%" and "&" percent-encoded, so the value cannot split the
     string; the server decodes %25 and %26. */
  function OrvaneParameterValue(value) {
    return String(value == null ? "" : value).replace(/%/g, "%25").replace(/&/g, "%26");
  }

  /* Text for the dialog options that take HTML (the button captions). */
  function orvaneHTMLText(value) {
    var div = document.createElement("div");
    div.textContent = value == null ? "" : String(value);
    return div.innerHTML;
  }

  /* A message dialog the server asked for. options: title and text (shown
     as text), icon, buttons ([{caption, result}], in the desktop's order)
     and dismiss (the result Escape gives). answer(result), when given,
     receives the modal result of the button chosen. */
  function OrvaneMessageDlg(options, answer) {
    options = options || {};
    var buttons = Array.isArray(options.buttons) && options.buttons.length ? options.buttons
      : [{ caption: "OK", result: 1 }];
    var reply = function (result) {
      if (typeof answer === "function") answer(result);
    };
    if (typeof Swal === "undefined") {
      var message = (options.title ? options.title + "\n\n" : "") + String(options.text || "");
      if (buttons.length === 1) {
        window.alert(message);
        reply(buttons[0].result);
      } else {
        reply(window.confirm(message) ? buttons[0].result : options.dismiss);
      }
      return;
    }
    var cancelRole = null;
    var config = {
      titleText: options.title ? String(options.title) : "",
      text: String(options.text == null ? "" : options.text),
      allowOutsideClick: false,
      allowEscapeKey: true,
      heightAuto: false,
      confirmButtonText: orvaneHTMLText(buttons[0].caption),
      confirmButtonColor: "#0d6efd"
    };
    if (options.icon) config.icon = options.icon;
    var chosen;
    if (buttons.length === 2 && buttons[1].result === 2) {
      config.showCancelButton = true;
      config.cancelButtonText = orvaneHTMLText(buttons[1].caption);
      cancelRole = buttons[1].result;
    } else if (buttons.length === 2 || buttons.length === 3) {
      config.showDenyButton = true;
      config.denyButtonText = orvaneHTMLText(buttons[1].caption);
      if (buttons.length === 3) {
        config.showCancelButton = true;
        config.cancelButtonText = orvaneHTMLText(buttons[2].caption);
        cancelRole = buttons[2].result;
      }
    } else if (buttons.length > 3) {
      /* More buttons than the library has: all of them as our own. */
      config.showConfirmButton = false;
      config.didOpen = function () {
        var actions = Swal.getActions();
        actions.style.display = "flex";
        buttons.forEach(function (button) {
          var element = document.createElement("button");
          element.type = "button";
          element.className = "swal2-styled swal2-confirm";
          element.textContent = String(button.caption);
          element.addEventListener("click", function () {
            chosen = button.result;
            Swal.close();
          });
          actions.appendChild(element);
        });
      };
    }
    Swal.fire(config).then(function (result) {
      if (chosen !== undefined) reply(chosen);
      else if (result.isConfirmed) reply(buttons[0].result);
      else if (result.isDenied) reply(buttons[1].result);
      else if (result.dismiss === Swal.DismissReason.cancel && cancelRole !== null) reply(cancelRole);
      else reply(options.dismiss);
    });
  }

  /* Enter in a field presses the form's default button, as on the desktop
     (not in a text area, not in a dialog's own fields). */
  document.addEventListener("keydown", function (event) {
    if (event.key !== "Enter" || event.defaultPrevented || event.isComposing) return;
    var target = event.target;
    if (!target || target.tagName !== "INPUT" || target.closest(".swal2-container")) return;
    var button = document.querySelector("button[data-orvane-default]");
    if (!button || button.disabled || button.classList.contains("invisible")) return;
    event.preventDefault();
    button.click();
  });

  /* A required field loses its error mark as soon as the person types in it. */
  document.addEventListener("input", function (event) {
    var target = event.target;
    if (target && target.hasAttribute && target.hasAttribute("required")) {
      target.classList.remove("is-invalid");
    }
  });
</script>
