// Tarsen from JScript: facts about the running system.
// Run with tools/run-script examples/tarsen.js.
var system = new ActiveXObject("Tarsen.Tarsen");

check("WindowsType", system.WindowsType(), 2);
WScript.Echo("Computer: " + system.GetComputerName());
checkTrue("a computer name", system.GetComputerName().length > 0);

// GetSystemDirs(Windows = 18, Slash = 1): the Windows folder with a backslash.
var folder = system.GetSystemDirs(18, 1);
check("ends with a backslash", folder.charAt(folder.length - 1), "\\");
checkTrue("physical memory in MB", system.MemoryWork(7) > 0);
check("DriveType of C:\\", system.DriveType("C:\\"), 2);

summary("example tarsen.js");
