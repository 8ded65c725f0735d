' Corvane from VBScript: sizes and questions about files and folders.
' Run with tools/run-script examples/corvane.vbs (it puts the check helpers in
' front); each Check line shows the answer to expect.
Dim files, fso
Set files = CreateObject("Corvane.Corvane")
Set fso = CreateObject("Scripting.FileSystemObject")

' A small folder to look at: two files of 1,536 and 512 bytes.
Dim folder : folder = fso.GetSpecialFolder(2) & "\corvane_example"
If Not fso.FolderExists(folder) Then fso.CreateFolder folder
Dim stream
Set stream = fso.CreateTextFile(folder & "\a.txt", True) : stream.Write String(1536, "a") : stream.Close
Set stream = fso.CreateTextFile(folder & "\b.txt", True) : stream.Write String(512, "b") : stream.Close

' The size of a file or a whole tree as text, in the unit of SizeMode
' (Bytes 1, KBytes 2, MBytes 3, Gbytes 4).
Check "bytes", files.FolderOrFileSize(folder, 1), "2048"
Check "kilobytes", files.FolderOrFileSize(folder, 2), "2"
Check "one file", files.FolderOrFileSize(folder & "\a.txt", 2), "1.5"
WScript.Echo "The folder takes " & files.FolderOrFileSize(folder, 2) & " KB"

fso.DeleteFolder folder, True
Summary "example corvane.vbs"
