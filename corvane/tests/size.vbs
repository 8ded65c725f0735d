' FolderOrFileSize from VBScript: units, trees, odd paths, and the text of
' every size compared with the host's own CStr of the same value.
' Argument: the folder made by make_size_tree.py (Unix form).
Dim lib : Set lib = CreateObject("Corvane.Corvane")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
Dim tree : tree = "Z:" & Replace(WScript.Arguments(0), "/", "\")

Function MakeFile(path, bytes)
  Dim stream : Set stream = fso.CreateTextFile(path, True)
  If bytes > 0 Then stream.Write String(bytes, "x")
  stream.Close
  Set MakeFile = fso.GetFile(path)
End Function

' A work folder of this script's own.
Dim work : work = tree & "\work"
If fso.FolderExists(work) Then fso.DeleteFolder work, True
fso.CreateFolder work

' Units.
MakeFile work & "\1536.bin", 1536
MakeFile work & "\one.bin", 1
Dim unitCases : unitCases = Array( _
  Array("\1536.bin", 1, "1536"), Array("\1536.bin", 2, "1.5"), _
  Array("\1536.bin", 3, "0.00146484375"), Array("\1536.bin", 4, "1.43051147460938E-06"), _
  Array("\one.bin", 4, "9.31322574615479E-10"), Array("\one.bin", 2, "0.0009765625"))
Dim c
For Each c In unitCases
  Check "unit " & c(0) & " mode " & c(1), lib.FolderOrFileSize(work & c(0), c(1)), c(2)
Next
Check "123456789 bytes in MBytes", lib.FolderOrFileSize(tree & "\sizes\s123456789.bin", 3), "117.737568855286"
Check "result is a String", TypeName(lib.FolderOrFileSize(work & "\one.bin", 1)), "String"

' Modes outside 1 to 4 give the empty text, whatever the path.
Dim mode
For Each mode In Array(0, 5, -1)
  Check "mode " & mode, lib.FolderOrFileSize(work & "\1536.bin", mode), ""
Next

' Missing and empty paths count 0.
Check "missing path", lib.FolderOrFileSize(work & "\no such file", 1), "0"
Check "missing folder", lib.FolderOrFileSize(work & "\none\deeper\", 2), "0"
Check "empty path", lib.FolderOrFileSize("", 1), "0"

' Empty folders, and folders whose subfolders hold no files.
fso.CreateFolder work & "\empty"
fso.CreateFolder work & "\hollow"
fso.CreateFolder work & "\hollow\a"
fso.CreateFolder work & "\hollow\a\b"
fso.CreateFolder work & "\hollow\c"
For mode = 1 To 4
  Check "empty folder mode " & mode, lib.FolderOrFileSize(work & "\empty", mode), "0"
  Check "hollow folder mode " & mode, lib.FolderOrFileSize(work & "\hollow\", mode), "0"
Next

' A tree with hidden and system files and a hidden subfolder.
Dim counted : counted = work & "\counted"
fso.CreateFolder counted
' A dot name is a hidden folder on this file system.
fso.CreateFolder counted & "\.inner"
MakeFile counted & "\plain.txt", 100
MakeFile(counted & "\hidden.txt", 20).Attributes = 2
MakeFile(counted & "\system.txt", 3).Attributes = 4
MakeFile(counted & "\both.txt", 4000).Attributes = 6
MakeFile counted & "\.inner\deep.txt", 7
CheckTrue "hidden attribute set", (fso.GetFile(counted & "\hidden.txt").Attributes And 2) <> 0
CheckTrue "system attribute set", (fso.GetFile(counted & "\system.txt").Attributes And 4) <> 0
Check "hidden and system counted", lib.FolderOrFileSize(counted, 1), "4130"
Check "trailing backslash", lib.FolderOrFileSize(counted & "\", 1), "4130"
Check "hidden folder alone", lib.FolderOrFileSize(counted & "\.inner", 1), "7"
Check "in KBytes", lib.FolderOrFileSize(counted, 2), CStr(4130 / 1024)

' Arguments are not written.
Dim path, unit
path = counted & "\" : unit = 2
lib.FolderOrFileSize path, unit
Check "path untouched", path, counted & "\"
Check "mode untouched", unit, 2

' 5 GiB inside a folder (a sparse file): the high half weighs 2^32.
Check "5 GiB in bytes", lib.FolderOrFileSize(tree & "\big", 1), "5368709220"
Check "5 GiB file alone", lib.FolderOrFileSize(tree & "\big\five.bin", 1), "5368709120"
Check "5 GiB file in GBytes", lib.FolderOrFileSize(tree & "\big\five.bin", 4), "5"

' Symbolic links back into the tree are not followed: every file once.
Check "link cycle", lib.FolderOrFileSize(tree & "\cycle", 1), "35"
Check "link cycle from inside", lib.FolderOrFileSize(tree & "\cycle\a", 1), "30"
Check "the link named itself is walked", lib.FolderOrFileSize(tree & "\cycle\a\up", 1), "35"
Check "links to a sibling tree", lib.FolderOrFileSize(tree & "\sibling", 1), "1100"
Check "a chain of links back to the top", lib.FolderOrFileSize(tree & "\chain", 1), "7"
Check "a link to a link to a link, named itself", lib.FolderOrFileSize(tree & "\chain\l1", 1), "1"
Check "over 4 GiB under a link back", lib.FolderOrFileSize(tree & "\over4g", 1), "16106127361"
Check "over 4 GiB in GBytes", lib.FolderOrFileSize(tree & "\over4g", 4), CStr(16106127361 / 1073741824)

' Every size in every unit as the host writes the same value.
Dim file, size, value, name
For Each file In fso.GetFolder(tree & "\sizes").Files
  name = file.Name
  size = CDbl(Mid(name, 2, Len(name) - 5))
  value = size
  For mode = 1 To 4
    Check name & " mode " & mode, lib.FolderOrFileSize(tree & "\sizes\" & name, mode), CStr(value)
    value = value / 1024
  Next
Next
Check "sizes compared", fso.GetFolder(tree & "\sizes").Files.Count, 355

' A path with a NUL inside is measured up to the NUL, as the platform reads it
' (a NUL used to make the walk find its own directory until the stack ran out).
Check "NUL inside the path", lib.FolderOrFileSize(tree & "\sizes" & Chr(0) & "\more", 1), _
  lib.FolderOrFileSize(tree & "\sizes", 1)

fso.DeleteFolder work, True
Summary "corvane_size.vbs"
