' A short tour of the suite: each library created by its ProgID and called
' late-bound, exactly as a script writer would.
Option Explicit

Sub Show(label, value)
  WScript.Echo "  " & label & " = " & value
End Sub

' A 32-bit host (syswow64's cscript, classic VB, 32-bit Office) loads the x86
' DLLs, a 64-bit host the x64 DLLs; the process's architecture tells which.
Dim architecture : architecture = CreateObject("WScript.Shell").Environment("PROCESS").Item("PROCESSOR_ARCHITECTURE")
If architecture = "x86" Then
  WScript.Echo "Answered by the x86 DLLs (32-bit host, PROCESSOR_ARCHITECTURE=" & architecture & ")"
Else
  WScript.Echo "Answered by the x64 DLLs (64-bit host, PROCESSOR_ARCHITECTURE=" & architecture & ")"
End If

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

WScript.Echo "Demo finished: all four libraries answered (" & architecture & ")"
