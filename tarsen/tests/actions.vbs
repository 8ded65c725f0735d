' Processes, registry, windows, display, keyboard, cursor and disks from
' VBScript, with the host's list controls stood in for by a script class that
' logs every access in order.
Dim sys : Set sys = CreateObject("Tarsen.Tarsen")
Dim shell : Set shell = CreateObject("WScript.Shell")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")

' The script host cannot delete keys here: reg.exe does.
Sub RemoveKey(key)
  shell.Run "reg.exe delete """ & key & """ /f", 0, True
End Sub

Class ListBox
  Public Log
  Public Texts
  Public Datas
  Private lastIndex
  Private Sub Class_Initialize()
    Log = ""
    Set Texts = CreateObject("Scripting.Dictionary")
    Set Datas = CreateObject("Scripting.Dictionary")
    lastIndex = -1
  End Sub
  Public Property Let Pattern(value)
    Log = Log & "Pattern=" & value & ";"
  End Property
  Public Property Let FileName(value)
    Log = Log & "FileName=" & value & ";"
  End Property
  Public Sub Clear()
    Log = Log & "Clear;"
    Texts.RemoveAll
    Datas.RemoveAll
  End Sub
  Public Sub AddItem(text)
    Log = Log & "AddItem;"
    Dim cut : cut = InStr(text, Chr(0))
    If cut > 0 Then text = Left(text, cut - 1)
    lastIndex = Texts.Count
    Texts.Add lastIndex, text
  End Sub
  Public Property Get NewIndex()
    Log = Log & "NewIndex;"
    NewIndex = lastIndex
  End Property
  Public Property Let ItemData(index, value)
    Log = Log & "ItemData(" & index & ");"
    Datas(index) = value
  End Property
  Public Function TextAt(index)
    TextAt = Texts(index)
  End Function
  Public Function DataAt(index)
    DataAt = Datas(index)
  End Function
  Public Function IndexOf(text)
    Dim i
    IndexOf = -1
    For i = 0 To Texts.Count - 1
      If LCase(Texts(i)) = LCase(text) Then IndexOf = i
    Next
  End Function
End Class

' ApletList: Pattern, then FileName with the system folder.
Dim box : Set box = New ListBox
sys.ApletList box
Check "ApletList accesses", LCase(box.Log), LCase("Pattern=*.cpl;FileName=" & fso.GetSpecialFolder(1).Path & ";")

' ProcessList: Clear, then AddItem, NewIndex, ItemData per process.
Dim child : Set child = shell.Exec("notepad.exe")
Set box = New ListBox
box.AddItem "left over"
box.Log = ""
sys.ProcessList box
Check "ProcessList clears first", Left(box.Log, 6), "Clear;"
Dim perProcess : perProcess = "AddItem;NewIndex;ItemData(0);"
Check "first process accesses", Mid(box.Log, 7, Len(perProcess)), perProcess
CheckTrue "one entry per process", (Len(box.Log) - 6) > 3 * Len(perProcess)
Check "old items gone", box.IndexOf("left over"), -1
CheckTrue "cscript listed", box.IndexOf("cscript.exe") >= 0
Dim i, childIndex : childIndex = -1
For i = 0 To box.Texts.Count - 1
  If box.DataAt(i) = child.ProcessID Then childIndex = i
Next
CheckTrue "the child's id is item data", childIndex >= 0
If childIndex >= 0 Then Check "the child's name", LCase(box.TextAt(childIndex)), "notepad.exe"
Check "KillProcess", sys.KillProcess(child.ProcessID), True
Dim waited : waited = 0
Do While child.Status = 0 And waited < 100
  WScript.Sleep 100
  waited = waited + 1
Loop
Check "the child ended", child.Status, 1
Check "KillProcess of no process", sys.KillProcess(-4), False
On Error Resume Next
sys.ProcessList Nothing
Check "no list object", Err.Number, 91
Err.Clear
On Error GoTo 0

' GetRegystredFileTypes appends lower-cased extensions.
shell.RegWrite "HKCR\.TARSENVBS\", "tarsenvbsfile"
Set box = New ListBox
box.AddItem "kept"
sys.GetRegystredFileTypes box
Check "items kept", box.TextAt(0), "kept"
CheckTrue "extension added lower-cased", box.IndexOf("tarsenvbs") > 0
Check "no Clear", InStr(box.Log, "Clear"), 0
Dim allLower : allLower = True
For i = 1 To box.Texts.Count - 1
  If box.TextAt(i) <> LCase(box.TextAt(i)) Or Left(box.TextAt(i), 1) = "." Then allLower = False
Next
CheckTrue "every item lower-cased, without the dot", allLower
RemoveKey "HKCR\.TARSENVBS"

' MSOfficeComponents against a key the script writes.
shell.RegWrite "HKCR\Word.Document\CurVer\", "Word.Document.8"
Check "Word registered", sys.MSOfficeComponents(1), True
RemoveKey "HKCR\Word.Document"
Check "Word gone", sys.MSOfficeComponents(1), False
Check "member 0", sys.MSOfficeComponents(0), False
Check "member 5", sys.MSOfficeComponents(5), False

' StartAndWait: returns when the program has ended; error 53 when it cannot start.
Dim marker : marker = fso.GetSpecialFolder(2).Path & "\tarsen_vbs.marker"
If fso.FileExists(marker) Then fso.DeleteFile marker
Dim commandLine : commandLine = "cmd.exe /c echo done> """ & marker & """"
sys.StartAndWait commandLine
CheckTrue "StartAndWait waited", fso.FileExists(marker)
If fso.FileExists(marker) Then fso.DeleteFile marker
On Error Resume Next
sys.StartAndWait "Z:\no\such\program.exe"
Check "missing program", Err.Number, 53
Err.Clear
On Error GoTo 0
sys.ApletShell "tarsen_no_such_applet.cpl"

' Windows: hWnd 0 finds nothing and leaves the part as it was.
Dim part : part = "Some PART"
Check "GetWindowHandle from 0", sys.GetWindowHandle(part, 0), 0
Check "part untouched", part, "Some PART"
Check "GetWindowFullCaption from 0", sys.GetWindowFullCaption(part, 0), ""
Check "ChangeWindowCaption, no window", sys.ChangeWindowCaption("Tarsen: no such window", "x"), False
Check "DisableWindow, no window", sys.DisableWindow("Tarsen: no such window", 0), False

' Display: a mode of the list, then back.
Check "800 x 600", sys.ChangeDisplayResolution(800, 600), True
Check "back to 1024 x 768", sys.ChangeDisplayResolution(1024, 768), True
Check "Width beyond a Long", sys.ChangeDisplayResolution(3E9, 600), False

' Keyboard and cursor.
Check "keyboard layout", sys.GetKeyboardLanguage, 0
Check "cursor hidden one step", sys.CursorVisible(False), True
Check "cursor shown again", sys.CursorVisible(True), False

' Disks.
Dim drive : Set drive = fso.GetDrive("C:")
Dim serialHex : serialHex = Right("0000000" & Hex(drive.SerialNumber), 8)
Check "GetVolumeSerialNumber", sys.GetVolumeSerialNumber("C:\"), Left(serialHex, 4) & "-" & Right(serialHex, 4)
Check "DisksInfo serial", sys.DisksInfo("C:\", 1), CStr(drive.SerialNumber)
Check "DisksInfo file system", sys.DisksInfo("C:\", 3), drive.FileSystem
Check "DisksInfo label", sys.DisksInfo("C:\", 2), drive.VolumeName
Check "DriveType C:", sys.DriveType("C:\"), 2
Check "DriveType of no root", sys.DriveType("Q:\"), 0
Check "serial of no volume", sys.GetVolumeSerialNumber("Q:\"), "0000-0000"

Summary "tarsen_actions.vbs"
