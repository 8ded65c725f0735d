// Host objects written in JScript (reached through IDispatchEx), and calls
// whose every argument arrives by value.
var sys = new ActiveXObject("Tarsen.Tarsen");
var fso = new ActiveXObject("Scripting.FileSystemObject");

// A name the object does not know is the host's error: the properties exist.
var unknown = {};
check("properties the object lacks", errorNumber(function () { sys.ApletList(unknown); }), 438);
var fileList = { Pattern: "", FileName: "" };
sys.ApletList(fileList);
check("Pattern set", fileList.Pattern, "*.cpl");
check("FileName set", fileList.FileName.toLowerCase(), fso.GetSpecialFolder(1).Path.toLowerCase());

var list = { items: ["kept"], AddItem: function (text) { list.items.push(text); } };
sys.GetRegystredFileTypes(list);
check("items kept", list.items[0], "kept");
checkTrue("extensions appended", list.items.length > 1);
var plain = true;
for (var i = 1; i < list.items.length; i++)
  if (list.items[i] !== list.items[i].toLowerCase() || list.items[i].charAt(0) === ".") plain = false;
checkTrue("lower-cased, without the dot", plain);

check("system folder by value", sys.GetSystemDirs(19, 1).toLowerCase(), fso.GetSpecialFolder(1).Path.toLowerCase() + "\\");
check("not a member", sys.GetSystemDirs(17, 1), "");
check("memory mode 8", sys.MemoryWork(8), 0);
check("drive type", sys.DriveType("C:\\"), 2);
check("display 800.5 x 600 asks for 800", sys.ChangeDisplayResolution(800.5, 600), true);
check("display back", sys.ChangeDisplayResolution(1024, 768), true);
check("no process", sys.KillProcess(-4), false);
check("missing program", errorNumber(function () { sys.StartAndWait("Z:\\no\\such\\program.exe"); }), 53);

summary("tarsen_hosts.js");
