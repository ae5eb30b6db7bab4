<!-- Page-load event, sent once when the main connection first opens. Tags, each in double braces, every occurrence: Token, UUID, FormUUID, ControlID, EventID. -->
<script type="text/javascript">
  function PageLoadComplete() {
    setTimeout(function () {
      OrvaneServer().ExecEvent("{{UUID}}", "{{Token}}", "{{FormUUID}}", "{{ControlID}}", "{{EventID}}", "", true);
    }, 100);
  }
</script>
