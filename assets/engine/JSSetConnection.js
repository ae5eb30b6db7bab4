<!-- Connection values. Tags, each in double braces: protocol, host, Port, urlpath and ChannelName (first occurrence), Token and UUID (every occurrence). Each value stands inside a double-quoted script string: the server escapes it as JSON string content. -->
<script type="text/javascript">
  function setConnection(protocoltype, host, port, urlPath, token, orvanesession, channelname) {
    connectionInfo = {
      protocol: protocoltype,
      host: host,
      port: port,
      pathPrefix: urlPath,
      token: token,
      orvanesession: orvanesession,
      channelname: channelname
    };
  }
  setConnection("{{protocol}}", "{{host}}", "{{Port}}", "{{urlpath}}", "{{Token}}", "{{UUID}}", "{{ChannelName}}");
  reConnectURL = "reconnect?token=" + encodeURIComponent("{{Token}}") + "&&orvanesession=" + encodeURIComponent("{{UUID}}");
  document.addEventListener("DOMContentLoaded", function () {
    hideOverlayError();
    startOrvaneServer();
  });
</script>
