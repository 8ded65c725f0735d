' A short tour of the suite: each library created by its ProgID and called
' late-bound, exactly as a script writer would.
Option Explicit

Sub Show(label, value)
  WScript.Echo "  " & label & " = " & value
End Sub

WScript.Echo "Lirrow (text and calendar)"
Dim lirrow : Set lirrow = CreateObject("Lirrow.Lirrow")
Show "FindAndReplace(""abcabc"", ""b"", ""x"")", lirrow.FindAndReplace("abcabc", "b", "x")
Show "StringCount(""a,b,,c"", "","")", lirrow.StringCount("a,b,,c", ",")
Dim day : day = DateSerial(2003, 9, 11)
Show "DateFunction(LastOfQuarter, 11 Sep 2003)", lirrow.DateFunction(1, day)
Show "DateFunction(LastBusDay, 11 Sep 2003)", lirrow.DateFunction(12, day)
Show "DateFunction(DayOfYear, 11 Sep 2003)", lirrow.DateFunction(10, day)
Show "IsLeapYear(2000)", lirrow.IsLeapYear(2000)
Show "TextCode(""Hello"")  (1 = Win, 2 = Dos)", lirrow.TextCode("Hello")
On Error Resume Next
Dim count : count = lirrow.StringCount(String(40000, "x"), "x")
Show "StringCount of 40000 matches", "error " & Err.Number & " (" & Err.Description & ")"
Err.Clear
On Error GoTo 0

WScript.Echo "Velmora (windows, mouse, gradient)"
Dim velmora : Set velmora = CreateObject("Velmora.Velmora")
Show "GetCursorLocate(mx), GetCursorLocate(my)", velmora.GetCursorLocate(1) & ", " & velmora.GetCursorLocate(2)
Dim painter : Set painter = CreateObject("Velmora.ClassForGradient")
Show "ClassForGradient Color1, Color2, Angle", Hex(painter.Color1) & ", " & Hex(painter.Color2) & ", " & painter.Angle
Dim table
painter.BlendColors &HFF0000, &H0000FF, 5, table
Dim i, colours : colours = ""
For i = 0 To UBound(table) : colours = colours & Hex(table(i)) & " " : Next
Show "BlendColors(blue to red, 5 steps)", colours

WScript.Echo "Corvane (files and folders)"
Dim corvane : Set corvane = CreateObject("Corvane.Corvane")
Dim windows : windows = CreateObject("Scripting.FileSystemObject").GetSpecialFolder(0).Path
Show "FolderOrFileExist(%windir%)", corvane.FolderOrFileExist(windows)
Show "FolderOrFileSize(%windir%\system32, KBytes)", corvane.FolderOrFileSize(windows & "\system32", 2) & " KiB"
Show "DOSPath(""C:\Program Files"")", corvane.DOSPath("C:\Program Files")
Show "FolderOrFileTimeCreate(%windir%\system.ini)", corvane.FolderOrFileTimeCreate(windows & "\system.ini")

WScript.Echo "Tarsen (system facts)"
Dim tarsen : Set tarsen = CreateObject("Tarsen.Tarsen")
Show "WindowsType  (2 = NT family)", tarsen.WindowsType
Show "WorkTime (seconds since start)", tarsen.WorkTime
Show "GetComputerName", tarsen.GetComputerName
Show "GetUserName", tarsen.GetUserName
Show "MemoryWork(TotalPhysicalMemory) in MB", tarsen.MemoryWork(7)
Show "MemoryWork(PercentMemoryFree)", tarsen.MemoryWork(5)
Show "GetVolumeSerialNumber(""C:\"")", tarsen.GetVolumeSerialNumber("C:\")
Show "DriveType(""C:\"")  (2 = fixed)", tarsen.DriveType("C:\")
