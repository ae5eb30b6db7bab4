/*
 * Orvane message functions: the browser side of the page's WebSocket
 * messages. OrvaneServer() (declared in the page head) returns a new
 * TOrvaneServerFunctions; the page's event calls use ExecEvent, GetFromEvent
 * and CallBack.
 *
 * Every message is one JSON text:
 *   {"type": ..., "name": ..., "wait": true|false,
 *    "parameters": [{"UUID": ...}, {"Token": ...}, ...]}
 * The page head declares the globals used here: connectionInfo (the
 * connection values), orvanews (the page's main WebSocket) and
 * LockThreadClient() for the loading overlay.
 */
"use strict";

/*
 * The address of one of the engine's WebSocket routes ("connectionparams" or
 * "connectionresponseparams") with the page's token, session and channel.
 *
 * The page's own address is where the browser reached this server, also
 * through a reverse proxy that drops the port from the Host header, rewrites
 * it or terminates TLS; so scheme, host, port and folder come from
 * window.location. The server's values in connectionInfo serve only a page
 * that has no http(s) address of its own.
 */
function OrvaneSocketURL(route, info) {
  info = info || connectionInfo;
  var query = "?token=" + encodeURIComponent(info.token) +
    "&orvanesession=" + encodeURIComponent(info.orvanesession) +
    "&channelname=" + encodeURIComponent(info.channelname);
  var loc = window.location;
  if (loc.protocol === "http:" || loc.protocol === "https:") {
    var scheme = loc.protocol === "https:" ? "wss:" : "ws:";
    // Relative to the page's folder, like every other address of the page,
    // so a page served under a proxy's sub-path keeps its prefix.
    var url = new URL("websocket/" + route, loc.href);
    return scheme + "//" + url.host + url.pathname + query;
  }
  var protocol = info.protocol === "wss" ? "wss" : "ws";
  var port = parseInt(info.port, 10);
  var prefix = info.pathPrefix && info.pathPrefix !== "/" ? info.pathPrefix : "";
  return protocol + "://" + (info.host || "localhost") + (port > 0 ? ":" + port : "") +
    "/websocket" + prefix + "/" + route + query;
}

/* "true" (any case) and true count as set; anything else does not. */
function OrvaneIsTrue(value) {
  return value === true || String(value).toLowerCase() === "true";
}

function TOrvaneServerFunctions() {}

TOrvaneServerFunctions.prototype.message = function (type, name, wait, parameters) {
  return JSON.stringify({ type: type, name: name, wait: wait, parameters: parameters });
};

/*
 * Sends on the page's main connection. A message that cannot be sent (the
 * connection is down: the connection-lost overlay is up and reconnecting) is
 * dropped, and the loading overlay it raised is released again.
 */
TOrvaneServerFunctions.prototype.sendMain = function (text, locked) {
  var ws = typeof orvanews !== "undefined" ? orvanews : null;
  if (ws && ws.readyState === WebSocket.OPEN) {
    ws.send(text);
    return true;
  }
  console.warn("Orvane: sem conexão com o servidor; evento não enviado");
  if (locked && typeof UnLockThreadClient === "function") UnLockThreadClient();
  return false;
};

TOrvaneServerFunctions.prototype.lock = function (LockClient) {
  var locked = OrvaneIsTrue(LockClient);
  if (locked && typeof LockThreadClient === "function") LockThreadClient();
  return locked;
};

TOrvaneServerFunctions.prototype.eventParameters = function (UUID, Token, FormUUID, ID, EventID,
  Parameters, locked) {
  return [
    { UUID: String(UUID) }, { Token: String(Token) }, { FormUUID: String(FormUUID) },
    { ID: String(ID) }, { EventID: String(EventID) },
    { Parameters: Parameters == null ? "" : String(Parameters) }, { LockClient: locked }
  ];
};

/* A control or form event, handled on the server without an answer. */
TOrvaneServerFunctions.prototype.ExecEvent = function (UUID, Token, FormUUID, ID, EventID,
  Parameters, LockClient) {
  var locked = this.lock(LockClient);
  this.sendMain(this.message("procedure", "ExecEvent", false,
    this.eventParameters(UUID, Token, FormUUID, ID, EventID, Parameters, locked)), locked);
};

/*
 * An event whose answer the page needs (a grid's rows): sent on a connection
 * of its own. Returns a promise of the answer text, "{}" when it fails.
 */
TOrvaneServerFunctions.prototype.GetFromEvent = function (UUID, Token, FormUUID, ID, EventID,
  Parameters, LockClient) {
  var locked = this.lock(LockClient);
  var text = this.message("function", "GetFromEvent", true,
    this.eventParameters(UUID, Token, FormUUID, ID, EventID, Parameters, locked));
  return this.sendMessageAndAwaitResponse(text).catch(function (error) {
    console.error("Orvane: GetFromEvent falhou:", error);
    return "{}";
  });
};

/* Runs a callback the server registered for this page; never answered. */
TOrvaneServerFunctions.prototype.CallBack = function (UUID, Token, FormUUID, CallBackID, Parameters,
  LockClient) {
  var locked = this.lock(LockClient);
  this.sendMain(this.message("function", "CallBack", false, [
    { UUID: String(UUID) }, { Token: String(Token) }, { FormUUID: String(FormUUID) },
    { CallBackID: String(CallBackID) },
    { Parameters: Parameters == null ? "" : String(Parameters) }, { LockClient: locked }
  ]), locked);
};

/*
 * Opens a WebSocket to the response route, sends the message once it is open
 * and resolves with the first message received, then closes the socket. It
 * fails on a socket error and on a close before any answer.
 */
TOrvaneServerFunctions.prototype.sendMessageAndAwaitResponse = function (message) {
  return new Promise(function (resolve, reject) {
    var answered = false;
    var ws;
    try {
      ws = new WebSocket(OrvaneSocketURL("connectionresponseparams"));
    } catch (error) {
      reject(error);
      return;
    }
    ws.onopen = function () {
      ws.send(message);
    };
    ws.onmessage = function (event) {
      if (answered) return;
      answered = true;
      resolve(event.data);
      ws.close(1000);
    };
    ws.onerror = function () {
      if (!answered) {
        answered = true;
        reject(new Error("erro na conexão de resposta"));
      }
    };
    ws.onclose = function (event) {
      if (!answered) {
        answered = true;
        reject(new Error("conexão de resposta fechada sem resposta (código " + event.code + ")"));
      }
    };
  });
};
