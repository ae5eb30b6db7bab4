<!-- Page variables. Tags, each in double braces, replaced at their first occurrence: pathjs and pathcss (the server writes each value in single quotes), vexloloader (true or false). -->
<script type="text/javascript">
  var isReloadPage = false;
  var vpageloadcomplete = false;
  var vpathjs = {{pathjs}};
  var vpathcss = {{pathcss}};
  var orvanews = null;
  var connectionInfo = {};
  var vexloloader = {{vexloloader}};
  var focusedElement = null;
  var reConnectURL = null;
</script>
