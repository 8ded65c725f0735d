' The file queries and file operations from VBScript: existence, times,
' content identity, short paths, descriptions, copy, move and delete, and
' names that the code page holds or lacks.
Dim lib : Set lib = CreateObject("Corvane.Corvane")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
Dim work : work = fso.GetSpecialFolder(2) & "\corvane_files"
If fso.FolderExists(work) Then fso.DeleteFolder work, True
fso.CreateFolder work

Sub WriteText(path, text)
  Dim stream : Set stream = fso.CreateTextFile(path, True)
  stream.Write text
  stream.Close
End Sub

Function ReadText(path)
  Dim stream : Set stream = fso.OpenTextFile(path)
  If stream.AtEndOfStream Then ReadText = "" Else ReadText = stream.ReadAll
  stream.Close
End Function

' FolderOrFileExist.
WriteText work & "\a.txt", "alpha"
Check "file exists", lib.FolderOrFileExist(work & "\a.txt"), True
Check "folder exists", lib.FolderOrFileExist(work), True
Check "missing path", lib.FolderOrFileExist(work & "\none.txt"), False
Check "empty path", lib.FolderOrFileExist(""), False
Check "result is Boolean", TypeName(lib.FolderOrFileExist(work)), "Boolean"

' FolderOrFileTimeCreate: the host's own text of the same local time.
Check "file time", lib.FolderOrFileTimeCreate(work & "\a.txt"), CStr(fso.GetFile(work & "\a.txt").DateLastModified)
On Error Resume Next
Dim text : text = "stale"
text = lib.FolderOrFileTimeCreate(work & "\none.txt")
Check "missing path is error 53", Err.Number, 53
Check "error text", Err.Description, "File not found"
Check "no result on error", text, "stale"
Err.Clear
On Error GoTo 0

' FileIdentify: blocks of 10000 bytes and a remainder.
Dim body : body = String(25000, "q")
Dim i
For i = 1 To 25000 Step 997
  body = Left(body, i - 1) & Chr(65 + (i Mod 26)) & Mid(body, i + 1)
Next
WriteText work & "\one.bin", body
WriteText work & "\two.bin", body
WriteText work & "\changed.bin", Left(body, 20000) & "#" & Mid(body, 20002)
WriteText work & "\ten.bin", String(10000, "z")
WriteText work & "\ten1.bin", String(10001, "z")
WriteText work & "\empty1.bin", ""
WriteText work & "\empty2.bin", ""
Check "25000 equal bytes", lib.FileIdentify(work & "\one.bin", work & "\two.bin"), True
Check "byte 20001 differs", lib.FileIdentify(work & "\one.bin", work & "\changed.bin"), False
Check "10000 and 10001", lib.FileIdentify(work & "\ten.bin", work & "\ten1.bin"), False
Check "itself", lib.FileIdentify(work & "\one.bin", work & "\one.bin"), True
Check "two empty files", lib.FileIdentify(work & "\empty1.bin", work & "\empty2.bin"), True
Check "missing second", lib.FileIdentify(work & "\empty1.bin", work & "\new.bin"), False
Check "no file made", fso.FileExists(work & "\new.bin"), False
Check "missing first", lib.FileIdentify(work & "\new.bin", work & "\empty1.bin"), False
Check "missing folder", lib.FileIdentify(work & "\one.bin", work & "\nofolder\x.bin"), False
Check "no folder made", fso.FolderExists(work & "\nofolder"), False
fso.GetFile(work & "\two.bin").Attributes = 1
Check "read-only file", lib.FileIdentify(work & "\one.bin", work & "\two.bin"), True
fso.GetFile(work & "\two.bin").Attributes = 0
On Error Resume Next
Dim same : same = 7
same = lib.FileIdentify(work & "\one.bin", work)
Check "folder as second path", Err.Number, 75
Check "no result on error", same, 7
Err.Clear
Check "next call is clean", lib.FileIdentify(work & "\one.bin", work & "\two.bin"), True
Check "no error after", Err.Number, 0
On Error GoTo 0

' DOSPath.
Check "missing path has no short form", lib.DOSPath(work & "\none.txt"), ""
Dim longName : longName = work & "\A long file name.text"
WriteText longName, "long"
Dim short : short = lib.DOSPath(longName)
Dim leaf : leaf = Mid(short, InStrRev(short, "\") + 1)
CheckTrue "short leaf is 8.3: " & leaf, Len(leaf) <= 12 And InStr(leaf, " ") = 0 And InStr(leaf, "~") > 0
CheckTrue "short form names the file", lib.FolderOrFileExist(short) And ReadText(short) = "long"
Check "short form of the short form", lib.DOSPath(short), short
Check "short folder path unchanged in length", Len(lib.DOSPath("C:\windows")), Len("C:\windows")

' GetDllDescription on our own libraries, both builds.
Dim dist : dist = "Z:" & Replace(WScript.Arguments(0), "/", "\")
Dim arch, name, described : described = 0
For Each arch In Array("x64", "x86")
  For Each name In Array("Velmora", "Tarsen", "Corvane", "Lirrow")
    If fso.FileExists(dist & "\" & arch & "\" & name & ".dll") Then
      Check name & " " & arch, lib.GetDllDescription(dist & "\" & arch & "\" & name & ".dll"), "ActiveX DLL"
      described = described + 1
    End If
  Next
Next
CheckTrue "at least Corvane and Lirrow in both builds", described >= 4
Check "a text file", lib.GetDllDescription(work & "\a.txt"), ""
Check "a path longer than any module's", lib.GetDllDescription(String(40000, "x")), ""
Check "a missing file", lib.GetDllDescription(work & "\none.dll"), ""

' CopyFiles: ReWrite is the fail-if-exists flag.
WriteText work & "\src.txt", "source"
WriteText work & "\dst.txt", "old"
Check "copy over, ReWrite False", lib.CopyFiles(work & "\src.txt", work & "\dst.txt", False), True
Check "destination overwritten", ReadText(work & "\dst.txt"), "source"
WriteText work & "\dst.txt", "old"
Check "copy over, ReWrite True", lib.CopyFiles(work & "\src.txt", work & "\dst.txt", True), False
Check "destination kept", ReadText(work & "\dst.txt"), "old"
Check "copy to new, ReWrite True", lib.CopyFiles(work & "\src.txt", work & "\new1.txt", True), True
Check "copy to new, ReWrite False", lib.CopyFiles(work & "\src.txt", work & "\new2.txt", False), True
Check "copied content", ReadText(work & "\new1.txt") & ReadText(work & "\new2.txt"), "sourcesource"
fso.CreateFolder work & "\box"
Check "copy onto a folder", lib.CopyFiles(work & "\src.txt", work & "\box", False), False
Check "copy of a missing file", lib.CopyFiles(work & "\none.txt", work & "\new3.txt", False), False

' MoveFiles: ReWrite True replaces a destination file.
WriteText work & "\m1.txt", "mover"
WriteText work & "\m2.txt", "target"
Check "move onto file, ReWrite False", lib.MoveFiles(work & "\m1.txt", work & "\m2.txt", False), False
Check "both stay", ReadText(work & "\m1.txt") & "|" & ReadText(work & "\m2.txt"), "mover|target"
Check "move onto file, ReWrite True", lib.MoveFiles(work & "\m1.txt", work & "\m2.txt", True), True
Check "source gone", fso.FileExists(work & "\m1.txt"), False
Check "destination replaced", ReadText(work & "\m2.txt"), "mover"
Check "move to a new name", lib.MoveFiles(work & "\m2.txt", work & "\m3.txt", False), True
Check "renamed", ReadText(work & "\m3.txt"), "mover"
Check "move onto folder, ReWrite True", lib.MoveFiles(work & "\m3.txt", work & "\box", True), False
Check "move onto folder, ReWrite False", lib.MoveFiles(work & "\m3.txt", work & "\box", False), False
Check "folder and file stay", fso.FolderExists(work & "\box") And fso.FileExists(work & "\m3.txt"), True
Check "move a folder", lib.MoveFiles(work & "\box", work & "\crate", False), True
Check "folder moved", fso.FolderExists(work & "\crate") And Not fso.FolderExists(work & "\box"), True
Check "missing source keeps the destination", lib.MoveFiles(work & "\none.txt", work & "\m3.txt", True), False
Check "destination still there", ReadText(work & "\m3.txt"), "mover"
Check "same file in other case", lib.MoveFiles(work & "\m3.txt", work & "\M3.TXT", True), False
Check "same file kept", ReadText(work & "\m3.txt"), "mover"

' DeleteFolderOrFile straight away.
WriteText work & "\d.txt", "bye"
Check "delete a file", lib.DeleteFolderOrFile(work & "\d.txt", False, False), True
Check "file deleted", fso.FileExists(work & "\d.txt"), False
Check "delete a missing path", lib.DeleteFolderOrFile(work & "\d.txt", False, False), True
Check "delete a folder directly", lib.DeleteFolderOrFile(work & "\crate", False, False), False
Check "folder stays", fso.FolderExists(work & "\crate"), True
'
' Names that the run's code page holds and lacks (arguments 1 and 2). A
' character the page lacks would come back as "?", a pattern naming the
' neighbours xa.txt and xb.txt.
Dim held : held = WScript.Arguments(1)
Dim lacking : lacking = WScript.Arguments(2)
Dim cp : cp = work & "\cp"
fso.CreateFolder cp
WriteText cp & "\xa.txt", "same"
WriteText cp & "\xb.txt", "same"
WriteText cp & "\x" & lacking & ".txt", "same"
WriteText cp & "\x" & held & ".txt", "held"
Sub CheckNeighbours(label)
  Check label & ": xa.txt kept", ReadText(cp & "\xa.txt"), "same"
  Check label & ": xb.txt kept", ReadText(cp & "\xb.txt"), "same"
  Check label & ": the lacking name kept", ReadText(cp & "\x" & lacking & ".txt"), "same"
End Sub

Dim odd : odd = cp & "\x" & lacking & ".txt"
Dim arg : arg = odd
Check "lacking: exists", lib.FolderOrFileExist(arg), False
Check "lacking: short path", lib.DOSPath(arg), ""
Check "lacking: size", lib.FolderOrFileSize(arg, 1), "0"
Check "lacking: identify", lib.FileIdentify(arg, cp & "\xa.txt"), False
Check "lacking: copy from", lib.CopyFiles(arg, cp & "\copy.txt", False), False
Check "lacking: copy onto", lib.CopyFiles(cp & "\xa.txt", arg, False), False
Check "lacking: move onto", lib.MoveFiles(cp & "\xa.txt", arg, True), False
Check "lacking: move from", lib.MoveFiles(arg, cp & "\moved.txt", False), False
Check "lacking: delete", lib.DeleteFolderOrFile(arg, False, False), False
Check "lacking: recycle", lib.DeleteFolderOrFile(arg, True, False), False
Check "lacking: variable never written", arg, odd
Check "lacking: nothing copied or moved", fso.FileExists(cp & "\copy.txt") Or fso.FileExists(cp & "\moved.txt"), False
CheckNeighbours "lacking"
On Error Resume Next
text = lib.FolderOrFileTimeCreate(arg)
Check "lacking: time is error 53", Err.Number, 53
Err.Clear
On Error GoTo 0

Dim kept : kept = cp & "\x" & held & ".txt"
arg = kept
Check "held: exists", lib.FolderOrFileExist(arg), True
Check "held: size", lib.FolderOrFileSize(arg, 1), "4"
Check "held: short path names it", ReadText(lib.DOSPath(arg)), "held"
CheckTrue "held: time", lib.FolderOrFileTimeCreate(arg) <> ""
Check "held: copy", lib.CopyFiles(arg, cp & "\c" & held & ".txt", False), True
Check "held: identify", lib.FileIdentify(arg, cp & "\c" & held & ".txt"), True
Check "held: move", lib.MoveFiles(cp & "\c" & held & ".txt", cp & "\m" & held & ".txt", True), True
Check "held: moved", ReadText(cp & "\m" & held & ".txt"), "held"
Check "held: delete", lib.DeleteFolderOrFile(cp & "\m" & held & ".txt", False, False), True
Check "held: deleted", fso.FileExists(cp & "\m" & held & ".txt"), False
Check "held: variable as written", arg, kept
Check "held: recycle", lib.DeleteFolderOrFile(arg, True, False), True
Check "held: recycled", fso.FileExists(kept), False
CheckNeighbours "held"

fso.DeleteFolder work, True
Summary "corvane_file_methods.vbs"
