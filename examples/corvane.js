// Corvane from JScript: the size of a folder tree.
// Run with tools/run-script examples/corvane.js.
var files = new ActiveXObject("Corvane.Corvane");
var fso = new ActiveXObject("Scripting.FileSystemObject");

var folder = fso.GetSpecialFolder(2) + "\\corvane_example_js";
if (!fso.FolderExists(folder)) fso.CreateFolder(folder);
var stream = fso.CreateTextFile(folder + "\\a.txt", true);
stream.Write(new Array(3073).join("a"));  // 3,072 bytes
stream.Close();

check("bytes", files.FolderOrFileSize(folder, 1), "3072");
check("kilobytes", files.FolderOrFileSize(folder, 2), "3");

fso.DeleteFolder(folder, true);
summary("example corvane.js");
