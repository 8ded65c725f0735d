' The walk a script writer would write: the scripting runtime's Files and
' SubFolders, summed recursively. Times one walk of the tree given as argument.
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")

Function FolderBytes(folder)
  Dim total, file, child
  total = 0
  For Each file In folder.Files
    total = total + file.Size
  Next
  For Each child In folder.SubFolders
    total = total + FolderBytes(child)
  Next
  FolderBytes = total
End Function

Dim started : started = Timer
Dim total : total = FolderBytes(fso.GetFolder(WScript.Arguments(0)))
WScript.Echo "script " & total & " " & FormatNumber(Timer - started, 3, True, False, False)
