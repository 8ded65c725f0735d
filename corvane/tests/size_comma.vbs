' FolderOrFileSize under regional settings whose decimal separator is a comma.
' Argument: the folder made by make_size_tree.py (Unix form).
Dim lib : Set lib = CreateObject("Corvane.Corvane")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
Dim tree : tree = "Z:" & Replace(WScript.Arguments(0), "/", "\")

Check "the settings have a comma", CStr(1.5), "1,5"
Check "1536 bytes in KBytes", lib.FolderOrFileSize(tree & "\sizes\s1536.bin", 2), "1,5"
Check "1 byte in GBytes", lib.FolderOrFileSize(tree & "\sizes\s1.bin", 4), "9,31322574615479E-10"
Check "bytes have no separator", lib.FolderOrFileSize(tree & "\big", 1), "5368709220"

' The host's CStr writes the positional form with the comma but leaves a full
' stop in the scientific form here; the library puts the regional separator
' in both, so the scientific texts are compared with the comma put in.
Dim file, size, value, mode, name, expected
For Each file In fso.GetFolder(tree & "\sizes").Files
  name = file.Name
  size = CDbl(Mid(name, 2, Len(name) - 5))
  value = size
  For mode = 1 To 4
    expected = CStr(value)
    If InStr(expected, "E") > 0 Then expected = Replace(expected, ".", ",")
    Check name & " mode " & mode, lib.FolderOrFileSize(tree & "\sizes\" & name, mode), expected
    value = value / 1024
  Next
Next

Summary "corvane_size_comma.vbs"
